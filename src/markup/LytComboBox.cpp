#include "markup/LytComboBox.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "markup/LytController.h"
#include "markup/LytSkinControl.h"
#include "markup/LytUncreatedControl.h"
#include "skin/SkinComboBox.h"
#include "skin/SkinParse.h"

namespace {

using Value = const std::wstring&;
using Env = const ILytEnvironment&;

struct ComboAttribute {
    const wchar_t* name;
    void (*apply)(IxSkinComboBox& combo, Env environment, Value value);
};

enum : int { kNormal = 0, kSelected = 1 };
enum : int { kBottomButton = 0, kTopButton = 1 };

int Int(Value value) {
    return xSkinStringToInt(value);
}

// Both item looks take the same font setting.
template <class Setter, class Argument> void ForBothStates(IxSkinComboBox& combo, Setter setter, const Argument& arg) {
    (combo.*setter)(kNormal, arg);
    (combo.*setter)(kSelected, arg);
}

#define OC_IMAGE(setter) [](IxSkinComboBox& c, Env e, Value v) { c.setter(e.GetSkinFilePath(v)); }
#define OC_INT(setter) [](IxSkinComboBox& c, Env, Value v) { c.setter(Int(v)); }
#define OC_SCROLL_BUTTON(button, state)                                                                                \
    [](IxSkinComboBox& c, Env e, Value v) { c.SetScrollButtonImage(e.GetSkinFilePath(v), button, state); }

const ComboAttribute kComboAttributes[] = {
    {L"Image.Background", OC_IMAGE(SetLabelBkImage)},
    {L"Label.Left", OC_INT(SetLabelLeft)},
    {L"Label.Top", OC_INT(SetLabelTop)},
    {L"Label.Width", OC_INT(SetLabelWidth)},
    {L"Label.Height", OC_INT(SetLabelHeight)},
    {L"Dropbutton.Left", OC_INT(SetDropButtonLeft)},
    {L"Dropbutton.Top", OC_INT(SetDropButtonTop)},
    {L"Dropbutton.Width", OC_INT(SetDropButtonWidth)},
    {L"Dropbutton.Height", OC_INT(SetDropButtonHeight)},
    {L"Dropbutton.Image.Normal", OC_IMAGE(SetDropButtonNormalImage)},
    {L"Dropbutton.Image.MouseOver", OC_IMAGE(SetDropButtonOverImage)},
    {L"Dropbutton.Image.Selected", OC_IMAGE(SetDropButtonSelectedImage)},
    {L"Dropbutton.Image.Disable", OC_IMAGE(SetDropButtonDisableImage)},
    {L"Droplist.Margin",
     [](IxSkinComboBox& c, Env, Value v) {
         const SkinRect margin = xSkinParseRect(v);
         c.SetDropListMargin(margin.left, margin.top, margin.right, margin.bottom);
     }},
    {L"Droplist.Width", OC_INT(SetDropListWidth)},
    {L"Droplist.DynamicWidth",
     [](IxSkinComboBox& c, Env, Value v) { c.SetDropListDynamicWidth(v == L"False" ? 0 : 1); }},
    {L"Droplist.Height", OC_INT(SetDropListHeight)},
    {L"Droplist.Background",
     [](IxSkinComboBox& c, Env, Value v) { c.SetBackgroundColor(kNormal, xSkinParseColor(v)); }},
    {L"Droplist.Image.Background", OC_IMAGE(SetDropListBkImage)},
    {L"Droplist.Image.BottomHeight", OC_INT(SetDropListBottomHeight)},
    {L"Item.Height", OC_INT(SetItemHeight)},
    {L"Item.Image.Normal", [](IxSkinComboBox& c, Env e, Value v) { c.SetItemImage(kNormal, e.GetSkinFilePath(v)); }},
    {L"Item.Image.Selected",
     [](IxSkinComboBox& c, Env e, Value v) { c.SetItemImage(kSelected, e.GetSkinFilePath(v)); }},
    // The selected item's own background: the list's background keeps what "Droplist.Background" gave it.
    {L"Item.Background.Selected",
     [](IxSkinComboBox& c, Env, Value v) { c.SetBackgroundColor(kSelected, xSkinParseColor(v)); }},
    {L"Item.Text.Color.Normal",
     [](IxSkinComboBox& c, Env, Value v) { c.SetItemTextColor(kNormal, xSkinParseColor(v)); }},
    {L"Item.Text.Color.Selected",
     [](IxSkinComboBox& c, Env, Value v) { c.SetItemTextColor(kSelected, xSkinParseColor(v)); }},
    {L"Item.Text.FontName",
     [](IxSkinComboBox& c, Env, Value v) { ForBothStates(c, &IxSkinComboBox::SetItemFontName, v); }},
    {L"Item.Text.FontWeight",
     [](IxSkinComboBox& c, Env, Value v) {
         ForBothStates(c, &IxSkinComboBox::SetItemFontWeight, v == L"Bold" ? 1 : 0);
     }},
    {L"Item.Text.FontHeight",
     [](IxSkinComboBox& c, Env e, Value v) {
         ForBothStates(c, &IxSkinComboBox::SetItemFontHeight,
                       CLytObject::ScaleFontSize(xSkinStringToDouble(v), e.GetScreenDpi()));
     }},
    {L"Scroll.Image.Background", OC_IMAGE(SetScrollBkImage)},
    {L"Scroll.Image.Thumb", OC_IMAGE(SetScrollThumbImage)},
    {L"ScrollButton.Top.Image.Normal", OC_SCROLL_BUTTON(kTopButton, 0)},
    {L"ScrollButton.Top.Image.MouseOver", OC_SCROLL_BUTTON(kTopButton, 1)},
    {L"ScrollButton.Top.Image.Selected", OC_SCROLL_BUTTON(kTopButton, 2)},
    {L"ScrollButton.Top.Image.Disable", OC_SCROLL_BUTTON(kTopButton, 3)},
    {L"ScrollButton.Bottom.Image.Normal", OC_SCROLL_BUTTON(kBottomButton, 0)},
    {L"ScrollButton.Bottom.Image.MouseOver", OC_SCROLL_BUTTON(kBottomButton, 1)},
    {L"ScrollButton.Bottom.Image.Selected", OC_SCROLL_BUTTON(kBottomButton, 2)},
    {L"ScrollButton.Bottom.Image.Disable", OC_SCROLL_BUTTON(kBottomButton, 3)},
};

#undef OC_IMAGE
#undef OC_INT
#undef OC_SCROLL_BUTTON

} // namespace

void CLytComboBox::CreateControl() {
    auto* combo = new CxSkinComboBox;
    // The drop button is a control of its own and takes its identifier from the same counter.
    combo->SetDropButtonId(CLytController::NextControlId());
    SetControl(std::make_unique<CLytSkinControl>(combo));
}

IxSkinComboBox* CLytComboBox::GetComboBox() const {
    return dynamic_cast<IxSkinComboBox*>(GetControl());
}

void CLytComboBox::Destroy() {
    const auto orphan = LytTakeUncreated(dynamic_cast<CxSkinComboBox*>(GetControl()));
    CLytObject::Destroy();
}

int CLytComboBox::SetAttribute(const wchar_t* name, const wchar_t* value) {
    const int common = SetCommonAttribute(name, value);
    IxSkinComboBox* combo = GetComboBox();
    if (common == 1 || !combo || !name || !value || !*value)
        return common;
    const std::wstring key(name);
    const auto found = std::find_if(std::begin(kComboAttributes), std::end(kComboAttributes),
                                    [&](const ComboAttribute& attribute) { return key == attribute.name; });
    if (found == std::end(kComboAttributes))
        return 0;
    return LytGuardAttribute([&] {
        found->apply(*combo, Environment(), value);
        return 1;
    });
}
