#include "markup/LytMenu.h"

#include <algorithm>
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

struct MenuAttribute {
    const wchar_t* name;
    void (*apply)(CxSkinMenu& menu, const ILytEnvironment& environment, Value value);
};

const MenuAttribute kMenuAttributes[] = {
    {L"Background", [](CxSkinMenu& m, const ILytEnvironment&, Value v) { m.SetBackground(xSkinParseColor(v)); }},
    {L"Image.Background",
     [](CxSkinMenu& m, const ILytEnvironment& e, Value v) { m.SetBackgroundImage(e.GetSkinFilePath(v).c_str()); }},
    {L"Margin.Background",
     [](CxSkinMenu& m, const ILytEnvironment&, Value v) {
         const SkinRect r = xSkinParseRect(v);
         m.SetMarginBackground(r.left, r.top, r.right, r.bottom);
     }},
    {L"Margin.Item",
     [](CxSkinMenu& m, const ILytEnvironment&, Value v) {
         const SkinRect r = xSkinParseRect(v);
         m.SetMarginItem(r.left, r.top, r.right, r.bottom);
     }},
    {L"MaxWidth", [](CxSkinMenu& m, const ILytEnvironment&, Value v) { m.SetMaxWidth(xSkinStringToInt(v)); }},
    {L"DynamicWidth",
     [](CxSkinMenu& m, const ILytEnvironment&, Value v) { m.SetDynamicWidth(v == L"True" ? TRUE : FALSE); }},
    {L"TrackingAlign", [](CxSkinMenu& m, const ILytEnvironment&,
                          Value v) { m.SetTrackingAlign(v == L"TOP" ? kMenuAlignTop : kMenuAlignRight); }},
    {L"TrackingOffset",
     [](CxSkinMenu& m, const ILytEnvironment&, Value v) {
         const SkinPoint p = xSkinParsePoint(v);
         m.SetTrackingOffset(p.x, p.y);
     }},
    {L"Opacity",
     [](CxSkinMenu& m, const ILytEnvironment&, Value v) {
         static_cast<IxSkinDialog&>(m).SetTransparency(CLytObject::OpacityToTransparency(xSkinStringToDouble(v)),
                                                       FALSE);
     }},
    {L"Border", [](CxSkinMenu& m, const ILytEnvironment&, Value v) { m.SetBorder(xSkinStringToInt(v)); }},
    {L"Border.Color", [](CxSkinMenu& m, const ILytEnvironment&, Value v) { m.SetBorderColor(xSkinParseColor(v)); }},
};

} // namespace

CLytMenu* CLytMenu::CreateInstance(ILytEnvironment& environment, IxSkinObject* menu) {
    if (menu)
        return new CLytMenu(environment, menu, false);
    return new CLytMenu(environment, static_cast<CxSkinObject*>(new CxSkinMenu), true);
}

CLytMenu::CLytMenu(ILytEnvironment& environment, IxSkinObject* menu, bool madeMenu)
    : CLytObject(environment, std::make_unique<CLytSkinControl>(menu)), m_madeMenu(madeMenu) {}

// A menu element made its own menu, which nothing else would ever own: inside a row it is the row's
// sub-menu; at the root of a placed load it is the caller's. Anywhere else it is freed with the element.
int CLytMenu::OnCreated() {
    const int result = CLytObject::OnCreated();
    ILytObject* parent = GetParent();
    auto* menu = dynamic_cast<CxSkinMenu*>(GetControl());
    auto* row = parent ? dynamic_cast<CxSkinMenuItem*>(parent->GetControl()) : nullptr;
    if (m_madeMenu && menu && row && !row->GetSubMenu()) {
        row->SetSubMenu(menu);
        m_madeMenu = false;
    }
    return result;
}

int CLytMenu::SetAttribute(const wchar_t* name, const wchar_t* value) {
    auto* menu = dynamic_cast<CxSkinMenu*>(GetControl());
    if (!menu || !name || !value || !*value)
        return 0;
    const std::wstring key(name);
    const auto found = std::find_if(std::begin(kMenuAttributes), std::end(kMenuAttributes),
                                    [&](const MenuAttribute& attribute) { return key == attribute.name; });
    if (found == std::end(kMenuAttributes))
        return 0;
    // As with every other kind, a background image that fails to load costs that image only.
    return LytGuardAttribute([&] {
        found->apply(*menu, Environment(), value);
        return 1;
    });
}

void CLytMenu::OnLoadComplete() {
    CLytObject::OnLoadComplete();
    // Only a load's root hears this: the caller receives the root's control and owns it from now on.
    m_madeMenu = false;
}

void CLytMenu::Destroy() {
    CxSkinMenu* orphan = m_madeMenu ? dynamic_cast<CxSkinMenu*>(GetControl()) : nullptr;
    CLytObject::Destroy();
    delete orphan;
}
