#pragma once
// The "CheckBox" element: every button attribute, then the check box's names for the unchecked and
// checked images.
#include "markup/LytButton.h"

class IxSkinCheckbox;

class CLytCheckbox : public CLytButton {
public:
    explicit CLytCheckbox(ILytEnvironment& environment) : CLytButton(environment) {}

    static ILytObject* CreateInstance(ILytEnvironment& environment) { return new CLytCheckbox(environment); }

    int SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void CreateControl() override;

protected:
    ~CLytCheckbox() override = default;

    int SetCheckboxAttribute(const wchar_t* name, const wchar_t* value);
};
