#pragma once
// The "SkinMenuItem" element: one row of the enclosing "SkinMenu". The row itself is the control; it
// joins its menu, in document order, when its element is finished.
#include "markup/LytObject.h"

class CxSkinMenuItem;

class CLytMenuItem : public CLytObject {
public:
    explicit CLytMenuItem(ILytEnvironment& environment);

    // The element table's creation function.
    static ILytObject* CreateInstance(ILytEnvironment& environment) { return new CLytMenuItem(environment); }

    // Only the row's own tables: a row takes none of the attributes every control shares.
    int SetAttribute(const wchar_t* name, const wchar_t* value) override;
    // Hands the row to the parent's menu; 1.
    int OnCreated() override;
    void OnLoadComplete() override {}
    // A row no menu took (the load stopped first, or the parent was no menu) goes with the object.
    void Destroy() override;

protected:
    ~CLytMenuItem() override = default;

private:
    CxSkinMenuItem* Row() const;
    int SetStateAttribute(int state, const std::wstring& rest, const std::wstring& value);

    bool m_adopted = false;
};
