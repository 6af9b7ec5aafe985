#include "markup/LytSlider.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

// The slider's inline constructor needs its value tip's complete type.
#include "skin/IntelliTip.h"
#include "skin/SkinParse.h"
#include "skin/SkinSlider.h"

namespace {

using Value = const std::wstring&;

constexpr float kFloatMax = std::numeric_limits<float>::max();

void ApplySmallChange(CxSkinSlider& slider, Value value) {
    const CLytSlider::SmallChange change = CLytSlider::ParseSmallChange(value);
    if (change.scale != 0)
        slider.SetValueScale(change.scale);
    slider.SetSmallChange(change.step);
}

// The markup position in displayed units, kept as the slider's own field for its creation to scale.
// Held to the float range first: a larger double has no float value at all.
void ApplyPosition(CxSkinSlider& slider, Value value) {
    slider.SetPositionField(static_cast<float>(LytReadDecimal(value, -kFloatMax, kFloatMax)));
}

void ApplyTicks(CxSkinSlider& slider, Value value) {
    std::vector<int> ticks;
    for (const std::wstring& part : xSkinSplitString(value, L","))
        ticks.push_back(xSkinStringToInt(part));
    slider.SetTicks(std::move(ticks));
}

} // namespace

// "0.25" is a step of 25 hundredths: the slider then counts in hundredths (scale 100), its step being 25.
// Without decimals ("2", "1.") the value is the step and the scale stays.
CLytSlider::SmallChange CLytSlider::ParseSmallChange(const std::wstring& value) {
    const std::size_t point = value.find(L'.');
    if (point == std::wstring::npos || point + 1 >= value.size())
        return {xSkinStringToInt(value), 0};
    const std::size_t decimals = std::min<std::size_t>(value.size() - point - 1, kMaxScaleDecimals);
    // Decimals beyond the largest scale are dropped, so that the step still agrees with the scale.
    std::wstring digits = value.substr(0, point + 1 + decimals);
    digits.erase(point, 1);
    unsigned scale = 1;
    for (std::size_t i = 0; i < decimals; ++i)
        scale *= 10;
    return {xSkinStringToInt(digits), scale};
}

void CLytSlider::CreateControl() {
    AdoptControl(std::make_unique<CxSkinSlider>());
}

int CLytSlider::SetAttribute(const wchar_t* name, const wchar_t* value) {
    using Row = Attribute<CxSkinSlider>;
    static const Row kAttributes[] = {
        {L"Orientation",
         [](CxSkinSlider& s, const ILytEnvironment&, Value v) { s.SetOrientation(v == L"Horizontal" ? 1 : 0); }},
        {L"Type", [](CxSkinSlider& s, const ILytEnvironment&, Value v) { s.SetType(v == L"ProgressBar" ? 1 : 0); }},
        {L"Image.Bar.Normal",
         [](CxSkinSlider& s, const ILytEnvironment& e, Value v) { s.SetBarNormalImage(e.GetSkinFilePath(v)); }},
        {L"Image.Bar.Color",
         [](CxSkinSlider& s, const ILytEnvironment& e, Value v) { s.SetBarColorImage(e.GetSkinFilePath(v)); }},
        {L"Image.Bar.Disable",
         [](CxSkinSlider& s, const ILytEnvironment& e, Value v) { s.SetBarDisableImage(e.GetSkinFilePath(v)); }},
        {L"Image.Thumb.Normal",
         [](CxSkinSlider& s, const ILytEnvironment& e, Value v) { s.SetThumbNormalImage(e.GetSkinFilePath(v)); }},
        {L"Minimum", [](CxSkinSlider& s, const ILytEnvironment&, Value v) { s.SetMinimum(xSkinStringToInt(v)); }},
        {L"Maximum", [](CxSkinSlider& s, const ILytEnvironment&, Value v) { s.SetMaximum(xSkinStringToInt(v)); }},
        {L"SmallChange", [](CxSkinSlider& s, const ILytEnvironment&, Value v) { ApplySmallChange(s, v); }},
        {L"Pos", [](CxSkinSlider& s, const ILytEnvironment&, Value v) { ApplyPosition(s, v); }},
        {L"Tooltip.Show",
         [](CxSkinSlider& s, const ILytEnvironment&, Value v) { s.SetTooltipShow(v == L"True" ? 1 : 0); }},
        {L"Ticks", [](CxSkinSlider& s, const ILytEnvironment&, Value v) { ApplyTicks(s, v); }},
    };
    return SetTableAttribute(kAttributes, name, value);
}
