#include "profiles/ProfileListItem.h"

void StampListItem(IXmlObject* root, const std::wstring& name, const std::wstring& description) {
    if (!root)
        return;
    const std::wstring& tooltip = description.empty() ? name : description;
    root->SetAttribute(L"Name", name.c_str());
    root->SetAttribute(L"Tooltip", tooltip.c_str());
    root->SetAttribute(L"Tooltip.Check", tooltip.c_str());
}
