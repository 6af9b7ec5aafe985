#include "markup/LytCheckbox.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "skin/SkinCheckbox.h"

namespace {

struct CheckboxAttribute {
    const wchar_t* name;
    void (IxSkinCheckbox::*set)(const std::wstring& path);
};

const CheckboxAttribute kCheckboxAttributes[] = {
    {L"Image.Uncheck.Normal", &IxSkinCheckbox::SetUncheckNormalSkin},
    {L"Image.Uncheck.MouseOver", &IxSkinCheckbox::SetUncheckOverSkin},
    {L"Image.Check.Normal", &IxSkinCheckbox::SetCheckNormalSkin},
    {L"Image.Check.MouseOver", &IxSkinCheckbox::SetCheckOverSkin},
};

} // namespace

void CLytCheckbox::CreateControl() {
    AdoptControl(new CxSkinCheckbox);
}

int CLytCheckbox::SetAttribute(const wchar_t* name, const wchar_t* value) {
    return SetCheckboxAttribute(name, value);
}

int CLytCheckbox::SetCheckboxAttribute(const wchar_t* name, const wchar_t* value) {
    const int inherited = SetButtonAttribute(name, value);
    auto* checkbox = dynamic_cast<IxSkinCheckbox*>(GetControl());
    if (inherited == 1 || !checkbox || !name || !value || !*value)
        return inherited;
    const std::wstring key(name);
    const auto found = std::find_if(std::begin(kCheckboxAttributes), std::end(kCheckboxAttributes),
                                    [&](const CheckboxAttribute& attribute) { return key == attribute.name; });
    if (found == std::end(kCheckboxAttributes))
        return 0;
    return LytGuardAttribute([&] {
        (checkbox->*found->set)(Environment().GetSkinFilePath(value));
        return 1;
    });
}
