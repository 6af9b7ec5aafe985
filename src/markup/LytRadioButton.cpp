#include "markup/LytRadioButton.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "skin/SkinRadioButton.h"

namespace {

struct RadioAttribute {
    const wchar_t* name;
    void (*apply)(CxSkinRadioButton& radio, const std::wstring& value);
};

// Neither setter throws, so no guard is needed.
const RadioAttribute kRadioAttributes[] = {
    {L"GroupName", [](CxSkinRadioButton& r, const std::wstring& v) { r.SetGroupName(v); }},
    {L"RepeatClick", [](CxSkinRadioButton& r, const std::wstring& v) { r.SetRepeatClick(v == L"True"); }},
};

} // namespace

void CLytRadioButton::CreateControl() {
    AdoptControl(new CxSkinRadioButton);
}

int CLytRadioButton::SetAttribute(const wchar_t* name, const wchar_t* value) {
    const int inherited = SetCheckboxAttribute(name, value);
    auto* radio = dynamic_cast<CxSkinRadioButton*>(GetControl());
    if (inherited == 1 || !radio || !name || !value || !*value)
        return inherited;
    const std::wstring key(name);
    const auto found = std::find_if(std::begin(kRadioAttributes), std::end(kRadioAttributes),
                                    [&](const RadioAttribute& attribute) { return key == attribute.name; });
    if (found == std::end(kRadioAttributes))
        return 0;
    found->apply(*radio, value);
    return 1;
}
