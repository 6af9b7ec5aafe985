#include "markup/LytTextbox.h"

#include <memory>
#include <string>

#include "skin/SkinParse.h"
#include "skin/SkinTextBox.h"

namespace {

using Value = const std::wstring&;

// The switches take exactly "True" or "False"; any other value leaves the switch as it is.
template <void (*Set)(IxSkinTextBox&, BOOL)> void ApplySwitch(IxSkinTextBox& box, const ILytEnvironment&, Value v) {
    if (v == L"True")
        Set(box, TRUE);
    else if (v == L"False")
        Set(box, FALSE);
}

void SetClearText(IxSkinTextBox& box, BOOL on) {
    box.SetClearText(on);
}
void SetPassword(IxSkinTextBox& box, BOOL on) {
    box.SetPassword(on);
}
void SetNumberOnly(IxSkinTextBox& box, BOOL on) {
    box.SetNumberOnly(on);
}
void SetNatural(IxSkinTextBox& box, BOOL on) {
    box.SetNatural(on);
}
void SetReadOnly(IxSkinTextBox& box, BOOL on) {
    box.SetReadOnly(on);
}

} // namespace

CLytTextbox::CLytTextbox(ILytEnvironment& environment) : CLytOwnedControl(environment) {
    AdoptControl(std::make_unique<CxSkinTextBox>());
}

int CLytTextbox::SetAttribute(const wchar_t* name, const wchar_t* value) {
    using Row = Attribute<IxSkinTextBox>;
    static const Row kAttributes[] = {
        {L"BackgroundImage",
         [](IxSkinTextBox& b, const ILytEnvironment& e, Value v) { b.SetBackgroundImage(e.GetSkinFilePath(v)); }},
        {L"ClearText", &ApplySwitch<&SetClearText>},
        {L"Password", &ApplySwitch<&SetPassword>},
        {L"IsNumberOnly", &ApplySwitch<&SetNumberOnly>},
        {L"IsNatural", &ApplySwitch<&SetNatural>},
        {L"IsReadOnly", &ApplySwitch<&SetReadOnly>},
        {L"MaxLength", [](IxSkinTextBox& b, const ILytEnvironment&, Value v) { b.SetMaxLength(xSkinStringToInt(v)); }},
        {L"InputHintText",
         [](IxSkinTextBox& b, const ILytEnvironment& e, Value v) { b.SetInputHintText(e.TranslateText(v)); }},
        {L"SelectedBackColor",
         [](IxSkinTextBox& b, const ILytEnvironment&, Value v) { b.SetSelectedBackColor(xSkinParseColor(v)); }},
        {L"CaretColor", [](IxSkinTextBox& b, const ILytEnvironment&, Value v) { b.SetCaretColor(xSkinParseColor(v)); }},
    };
    return SetTableAttribute(kAttributes, name, value);
}
