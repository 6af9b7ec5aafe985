#pragma once
// What the information dialog's pieces ask of its handler: the component detail window and ending the
// dialog that holds the handler.

class IInfoHandler {
public:
    virtual void ShowDetailWindow() = 0;
    virtual void EndCancel() = 0;
    virtual void EndOk() = 0;

protected:
    ~IInfoHandler() = default;
};
