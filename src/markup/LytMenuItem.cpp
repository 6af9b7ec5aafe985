#include "markup/LytMenuItem.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <string>

#include "markup/LytFailure.h"
#include "markup/LytSkinControl.h"
#include "skin/SkinMenu.h"
#include "skin/SkinMenuItem.h"
#include "skin/SkinParse.h"

namespace {

using Value = const std::wstring&;

struct ItemAttribute {
    const wchar_t* name;
    void (*apply)(CxSkinMenuItem& row, const ILytEnvironment& environment, Value value);
};

// The first of these that the value contains anywhere is the row's only flag.
struct FlagWord {
    const wchar_t* word;
    UINT flag;
};

const FlagWord kFlagWords[] = {
    {L"Separator", MF_SEPARATOR},
    {L"Checked", MF_CHECKED},
    {L"Disabled", MF_DISABLED},
};

BOOL IsTrue(Value value) {
    return value == L"True" ? TRUE : FALSE;
}

int EffectOf(Value value) {
    if (value == L"Image")
        return kMenuEffectImage;
    if (value == L"ColorMasking")
        return kMenuEffectOutline;
    return kMenuEffectLight;
}

const ItemAttribute kItemAttributes[] = {
    {L"Name", [](CxSkinMenuItem& r, const ILytEnvironment&, Value v) { r.SetName(v); }},
    {L"Flags",
     [](CxSkinMenuItem& r, const ILytEnvironment&, Value v) {
         const auto found = std::find_if(std::begin(kFlagWords), std::end(kFlagWords),
                                         [&](const FlagWord& f) { return v.find(f.word) != std::wstring::npos; });
         if (found != std::end(kFlagWords))
             r.SetFlags(found->flag);
     }},
    {L"Content", [](CxSkinMenuItem& r, const ILytEnvironment& e, Value v) { r.SetContent(e.TranslateText(v)); }},
    {L"Height", [](CxSkinMenuItem& r, const ILytEnvironment&, Value v) { r.SetHeight(xSkinStringToInt(v)); }},
    {L"TitleWidth", [](CxSkinMenuItem& r, const ILytEnvironment&, Value v) { r.SetTitleWidth(xSkinStringToInt(v)); }},
    {L"SkipTitleDrawing", [](CxSkinMenuItem& r, const ILytEnvironment&, Value v) { r.SetSkipTitleDrawing(IsTrue(v)); }},
    {L"DrawTextContent", [](CxSkinMenuItem& r, const ILytEnvironment&, Value v) { r.SetDrawTextContent(IsTrue(v)); }},
    {L"Effect", [](CxSkinMenuItem& r, const ILytEnvironment&, Value v) { r.SetEffect(EffectOf(v)); }},
    {L"Image.Icon",
     [](CxSkinMenuItem& r, const ILytEnvironment& e, Value v) { r.SetIconImage(e.GetSkinFilePath(v).c_str()); }},
    {L"Image.Check",
     [](CxSkinMenuItem& r, const ILytEnvironment& e, Value v) { r.SetCheckImage(e.GetSkinFilePath(v).c_str()); }},
    {L"Image.SubMenu",
     [](CxSkinMenuItem& r, const ILytEnvironment& e, Value v) { r.SetSubMenuImage(e.GetSkinFilePath(v).c_str()); }},
    {L"Image.Separator",
     [](CxSkinMenuItem& r, const ILytEnvironment& e, Value v) { r.SetSeparatorImage(e.GetSkinFilePath(v).c_str()); }},
};

struct StateAttribute {
    const wchar_t* name;
    void (*apply)(CxSkinMenuItem& row, int state, const ILytEnvironment& environment, Value value);
};

const StateAttribute kStateAttributes[] = {
    {L"Background",
     [](CxSkinMenuItem& r, int s, const ILytEnvironment&, Value v) { r.SetBackground(s, xSkinParseColor(v)); }},
    {L"Image.Background", [](CxSkinMenuItem& r, int s, const ILytEnvironment& e,
                             Value v) { r.SetItemBackgroundImage(s, e.GetSkinFilePath(v).c_str()); }},
    {L"Image.Content", [](CxSkinMenuItem& r, int s, const ILytEnvironment& e,
                          Value v) { r.SetItemContentImage(s, e.GetSkinFilePath(v).c_str()); }},
    {L"Text.Foreground",
     [](CxSkinMenuItem& r, int s, const ILytEnvironment&, Value v) { r.SetTextForeground(s, xSkinParseColor(v)); }},
    {L"Text.FontName", [](CxSkinMenuItem& r, int s, const ILytEnvironment&, Value v) { r.SetTextFontName(s, v); }},
    {L"Text.FontWeight",
     [](CxSkinMenuItem& r, int s, const ILytEnvironment&, Value v) { r.SetTextFontWeight(s, v == L"Bold" ? 1 : 0); }},
    {L"Text.FontHeight",
     [](CxSkinMenuItem& r, int s, const ILytEnvironment& e, Value v) {
         r.SetTextFontHeight(s, CLytObject::ScaleFontSize(xSkinStringToDouble(v), e.GetScreenDpi()));
     }},
    // The light is the row's, whichever state names it.
    {L"LightColor",
     [](CxSkinMenuItem& r, int, const ILytEnvironment&, Value v) { r.SetLightColor(xSkinParseColor(v)); }},
};

struct StatePrefix {
    const wchar_t* prefix;
    int state;
};

const StatePrefix kStatePrefixes[] = {
    {L"Normal.", kMenuItemNormal},
    {L"Over.", kMenuItemHot},
};

} // namespace

CLytMenuItem::CLytMenuItem(ILytEnvironment& environment)
    : CLytObject(environment, std::make_unique<CLytSkinControl>(static_cast<CxSkinObject*>(new CxSkinMenuItem))) {}

CxSkinMenuItem* CLytMenuItem::Row() const {
    return dynamic_cast<CxSkinMenuItem*>(GetControl());
}

int CLytMenuItem::SetAttribute(const wchar_t* name, const wchar_t* value) {
    CxSkinMenuItem* row = Row();
    if (!row || !name || !value || !*value)
        return 0;
    const std::wstring key(name);
    for (const StatePrefix& prefix : kStatePrefixes) {
        const std::wstring start(prefix.prefix);
        if (key.compare(0, start.size(), start) == 0)
            return SetStateAttribute(prefix.state, key.substr(start.size()), value);
    }
    const auto found = std::find_if(std::begin(kItemAttributes), std::end(kItemAttributes),
                                    [&](const ItemAttribute& attribute) { return key == attribute.name; });
    if (found == std::end(kItemAttributes))
        return 0;
    // A row image that fails to load costs that image, not the menu: the row still joins it.
    return LytGuardAttribute([&] {
        found->apply(*row, Environment(), value);
        return 1;
    });
}

int CLytMenuItem::SetStateAttribute(int state, const std::wstring& rest, const std::wstring& value) {
    const auto found = std::find_if(std::begin(kStateAttributes), std::end(kStateAttributes),
                                    [&](const StateAttribute& attribute) { return rest == attribute.name; });
    if (found == std::end(kStateAttributes))
        return 0;
    return LytGuardAttribute([&] {
        found->apply(*Row(), state, Environment(), value);
        return 1;
    });
}

int CLytMenuItem::OnCreated() {
    CxSkinMenuItem* row = Row();
    ILytObject* parent = GetParent();
    if (!row || !parent)
        return 1;
    IxSkinObject* owner = parent->GetControl();
    auto* menu = dynamic_cast<CxSkinMenu*>(owner);
    if (!menu)
        return 1;
    row->SetOwner(owner);
    menu->AddItem(row);
    m_adopted = menu->GetItem(menu->GetItemCount() - 1) == row;
    return 1;
}

void CLytMenuItem::Destroy() {
    CxSkinMenuItem* orphan = m_adopted ? nullptr : Row();
    CLytObject::Destroy();
    delete orphan;
}
