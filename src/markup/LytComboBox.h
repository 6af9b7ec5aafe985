#pragma once
// The "ComboBox" element: a skinned combo box with its label, drop button, drop list and scroll bar looks.
// Its "ComboBoxItem" children fill it.
#include "markup/LytObject.h"

class IxSkinComboBox;

class CLytComboBox : public CLytObject {
public:
    explicit CLytComboBox(ILytEnvironment& environment) : CLytObject(environment, nullptr) {}

    // The element table's creation function.
    static ILytObject* CreateInstance(ILytEnvironment& environment) { return new CLytComboBox(environment); }

    int SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void CreateControl() override;
    // A combo that never joined a layer tree (the load stopped first) has no other owner.
    void Destroy() override;

protected:
    ~CLytComboBox() override = default;

private:
    IxSkinComboBox* GetComboBox() const;
};
