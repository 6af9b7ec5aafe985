#pragma once
// The "RadioButton" element: every check-box attribute, then its group name and whether a checked radio
// button still reports clicks.
#include "markup/LytCheckbox.h"

class CLytRadioButton : public CLytCheckbox {
public:
    explicit CLytRadioButton(ILytEnvironment& environment) : CLytCheckbox(environment) {}

    static ILytObject* CreateInstance(ILytEnvironment& environment) { return new CLytRadioButton(environment); }

    int SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void CreateControl() override;

protected:
    ~CLytRadioButton() override = default;
};
