#pragma once
// The "ComboBoxItem" element: one entry of the enclosing "ComboBox". It has no control of its own; when its
// element is finished it adds its content to the combo and names the new entry.
#include <string>

#include "markup/LytObject.h"

class CLytComboBoxItem : public CLytObject {
public:
    explicit CLytComboBoxItem(ILytEnvironment& environment) : CLytObject(environment, nullptr) {}

    // The element table's creation function.
    static ILytObject* CreateInstance(ILytEnvironment& environment) { return new CLytComboBoxItem(environment); }

    // "Name" and "Content" only: an entry takes none of the attributes every control shares.
    int SetAttribute(const wchar_t* name, const wchar_t* value) override;
    // Only links the parent: there is no control to hang under it.
    void SetParent(ILytObject* parent) override;
    // Adds the entry to the parent's combo box; 1.
    int OnCreated() override;
    void OnLoadComplete() override {}

    const std::wstring& GetName() const { return m_name; }
    const std::wstring& GetContent() const { return m_content; }

protected:
    ~CLytComboBoxItem() override = default;

private:
    std::wstring m_name;
    std::wstring m_content;
};
