#pragma once
// The "RepeatButton" element: exactly the button's attributes, over a button that repeats while held.
#include "markup/LytButton.h"

class CLytRepeatButton : public CLytButton {
public:
    explicit CLytRepeatButton(ILytEnvironment& environment) : CLytButton(environment) {}

    static ILytObject* CreateInstance(ILytEnvironment& environment) { return new CLytRepeatButton(environment); }

    void CreateControl() override;

protected:
    ~CLytRepeatButton() override = default;
};
