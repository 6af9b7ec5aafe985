#pragma once
// The "TextBox" element: a single-line edit box with its input filters, hint text and colours.
#include "markup/LytOwnedControl.h"

class CLytTextbox : public CLytOwnedControl {
public:
    explicit CLytTextbox(ILytEnvironment& environment);

    static ILytObject* CreateInstance(ILytEnvironment& environment) { return new CLytTextbox(environment); }

    int SetAttribute(const wchar_t* name, const wchar_t* value) override;

protected:
    ~CLytTextbox() override = default;
};
