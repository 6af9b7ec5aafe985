#pragma once
// The "SkinMenu" element: a skinned pop-up menu. A menu file is usually loaded into an existing menu,
// whose wrapper then takes the root element's attributes; the rows are "SkinMenuItem" children.
#include "markup/LytObject.h"

class IxSkinObject;

class CLytMenu : public CLytObject {
public:
    // Wraps the existing menu's skin object, or makes a new menu when there is none.
    static CLytMenu* CreateInstance(ILytEnvironment& environment, IxSkinObject* menu);
    // The element table's creation function: a new menu.
    static ILytObject* CreateElement(ILytEnvironment& environment) { return CreateInstance(environment, nullptr); }

    // Only the menu's own table: a menu takes none of the attributes every control shares.
    int SetAttribute(const wchar_t* name, const wchar_t* value) override;
    // A new menu written inside a row becomes that row's sub-menu, which owns it from then on; 0.
    int OnCreated() override;
    // A new menu at the root of a placed load goes to the load's caller with the root's control.
    void OnLoadComplete() override;
    // A new menu that neither a row nor the load's caller took goes with the element.
    void Destroy() override;

protected:
    CLytMenu(ILytEnvironment& environment, IxSkinObject* menu, bool madeMenu);
    ~CLytMenu() override = default;

private:
    bool m_madeMenu;
};
