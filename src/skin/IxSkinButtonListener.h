#pragma once
// What a button tells the handler that serves it. Each operation carries the control's name; the button
// ignores the results. A handler implements this beside its IxSkinListener base, and the button reaches
// it by casting the handler it finds.

#include <string>

class IxSkinButtonListener {
public:
    virtual int OnClick(const std::wstring& name) = 0;
    virtual int OnRButtonUp(const std::wstring& name) = 0;
    virtual int OnDblClick(const std::wstring& name) = 0;

protected:
    ~IxSkinButtonListener() = default;
};
