#include "markup/LytComboBoxItem.h"

#include "skin/IxSkinComboBox.h"
#include "skin/SkinObject.h"

int CLytComboBoxItem::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value)
        return 0;
    const std::wstring key(name);
    if (key == L"Name") {
        m_name = value;
        return 1;
    }
    if (key == L"Content") {
        m_content = Environment().TranslateText(value);
        return 1;
    }
    return 0;
}

void CLytComboBoxItem::SetParent(ILytObject* parent) {
    SetParentLink(parent);
    if (auto* base = dynamic_cast<CLytObject*>(parent))
        base->AddChild(this);
}

int CLytComboBoxItem::OnCreated() {
    ILytObject* parent = GetParent();
    auto* combo = parent ? dynamic_cast<IxSkinComboBox*>(parent->GetControl()) : nullptr;
    if (!combo)
        return 1;
    const int index = combo->AddString(m_content);
    if (index != -1)
        combo->SetItemName(index, m_name);
    return 1;
}
