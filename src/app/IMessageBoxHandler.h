#pragma once
// What the skinned message box's handler offers: each operation ends the dialog that holds the handler's
// layer with the matching result.

class IMessageBoxHandler {
public:
    virtual void EndWithYes() = 0;    // IDYES (6)
    virtual void EndWithNo() = 0;     // IDNO (7)
    virtual void EndWithCancel() = 0; // IDCANCEL (2)
    virtual void EndWithOk() = 0;     // IDOK (1)

protected:
    ~IMessageBoxHandler() = default;
};
