#include "markup/LytButton.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "markup/LytSkinControl.h"
#include "markup/LytUncreatedControl.h"
#include "skin/SkinButton.h"

namespace {

struct ButtonAttribute {
    const wchar_t* name;
    void (*apply)(IxSkinButton& button, const ILytEnvironment& environment, const std::wstring& value);
};

using Value = const std::wstring&;

const ButtonAttribute kButtonAttributes[] = {
    {L"Image.Normal",
     [](IxSkinButton& b, const ILytEnvironment& e, Value v) { b.SetNormalSkin(e.GetSkinFilePath(v)); }},
    {L"Image.MouseOver",
     [](IxSkinButton& b, const ILytEnvironment& e, Value v) { b.SetOverSkin(e.GetSkinFilePath(v)); }},
    {L"Image.Selected",
     [](IxSkinButton& b, const ILytEnvironment& e, Value v) {
         b.SetPowerSkin(e.GetSkinFilePath(v), std::wstring(), std::wstring(), std::wstring());
     }},
    {L"Image.Down", [](IxSkinButton& b, const ILytEnvironment& e, Value v) { b.SetDownSkin(e.GetSkinFilePath(v)); }},
    {L"Image.Disable",
     [](IxSkinButton& b, const ILytEnvironment& e, Value v) { b.SetDisableSkin(e.GetSkinFilePath(v)); }},
    {L"Image.Content",
     [](IxSkinButton& b, const ILytEnvironment& e, Value v) { b.SetContentSkin(e.GetSkinFilePath(v)); }},
    {L"Image.Content.Disable",
     [](IxSkinButton& b, const ILytEnvironment& e, Value v) { b.SetContentDisableSkin(e.GetSkinFilePath(v)); }},
    {L"Tooltip.Check",
     [](IxSkinButton& b, const ILytEnvironment& e, Value v) { b.SetCheckToolTip(e.TranslateText(v)); }},
    {L"Text.Check",
     [](IxSkinButton& b, const ILytEnvironment& e, Value v) {
         if (auto* button = dynamic_cast<CxSkinButton*>(&b))
             button->SetCheckText(e.TranslateText(v));
     }},
};

} // namespace

void CLytButton::CreateControl() {
    AdoptControl(new CxSkinButton);
}

void CLytButton::AdoptControl(CxSkinButton* button) {
    SetControl(std::make_unique<CLytSkinControl>(button));
}

IxSkinButton* CLytButton::GetButton() const {
    return dynamic_cast<IxSkinButton*>(GetControl());
}

void CLytButton::Destroy() {
    const auto orphan = LytTakeUncreated(dynamic_cast<CxSkinButton*>(GetControl()));
    CLytObject::Destroy();
}

int CLytButton::SetAttribute(const wchar_t* name, const wchar_t* value) {
    return SetButtonAttribute(name, value);
}

int CLytButton::SetButtonAttribute(const wchar_t* name, const wchar_t* value) {
    const int common = SetCommonAttribute(name, value);
    IxSkinButton* button = GetButton();
    if (common == 1 || !button || !name || !value || !*value)
        return common;
    const std::wstring key(name);
    const auto found = std::find_if(std::begin(kButtonAttributes), std::end(kButtonAttributes),
                                    [&](const ButtonAttribute& attribute) { return key == attribute.name; });
    if (found == std::end(kButtonAttributes))
        return 0;
    return LytGuardAttribute([&] {
        found->apply(*button, Environment(), value);
        return 1;
    });
}
