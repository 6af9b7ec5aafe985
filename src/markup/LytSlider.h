#pragma once
// The "Slider" element: a slider or progress bar. Its markup gives values in displayed units; a
// "SmallChange" with decimals makes the slider count in whole steps of that size.
#include <string>

#include "markup/LytOwnedControl.h"

class CLytSlider : public CLytOwnedControl {
public:
    // The largest value scale a "SmallChange" can ask for: 10 to the 9th still fits the scale's 32 bits.
    static constexpr int kMaxScaleDecimals = 9;

    explicit CLytSlider(ILytEnvironment& environment) : CLytOwnedControl(environment) {}

    static ILytObject* CreateInstance(ILytEnvironment& environment) { return new CLytSlider(environment); }

    int SetAttribute(const wchar_t* name, const wchar_t* value) override;
    // Makes the slider; the object keeps it until the element is finished.
    void CreateControl() override;

    // What a "SmallChange" value asks for: the step in internal units and the value scale (0 when the
    // scale is to stay as it is).
    struct SmallChange {
        int step;
        unsigned scale;
    };
    static SmallChange ParseSmallChange(const std::wstring& value);

protected:
    ~CLytSlider() override = default;
};
