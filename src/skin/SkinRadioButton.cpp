#include "skin/SkinRadioButton.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CxSkinRadioButton, CxSkinCheckbox)

namespace {
constexpr wchar_t kPanelClass[] = L"CxSkinPanel";
}

void CxSkinRadioButton::OnLButtonDown(UINT flags, POINT point) {
    if (IsClickArmed() && IgnoresInput())
        return;
    CxSkinButton::OnLButtonDown(flags, point);
}

void CxSkinRadioButton::OnLButtonUp(UINT flags, POINT point) {
    if (IsClickArmed()) {
        if (IgnoresInput())
            return;
        if (IsInside(point) && GetPowerState() == 0)
            Select(TRUE);
    }
    // The button's release, not the check box's: a radio button is never unchecked by a click.
    CxSkinButton::OnLButtonUp(flags, point);
}

void CxSkinRadioButton::CollectGroup(const CLayerWnd* layer, std::vector<CxSkinRadioButton*>& group) const {
    for (int i = 0; i < layer->GetChildCount(); ++i) {
        CLayerWnd* child = layer->GetChild(i);
        if (xSkinIsKindOfName(child, kPanelClass)) {
            CollectGroup(child, group);
        } else if (child->IsKindOf(RUNTIME_CLASS(CxSkinRadioButton))) {
            auto* radio = static_cast<CxSkinRadioButton*>(child);
            if (radio->m_groupName == m_groupName)
                group.push_back(radio);
        }
    }
}

void CxSkinRadioButton::Select(BOOL redraw) {
    const CLayerWnd* root = FindListenerLayer();
    if (!root)
        return;
    std::vector<CxSkinRadioButton*> group;
    CollectGroup(root, group);
    const std::wstring& name = GetName();
    for (CxSkinRadioButton* member : group)
        member->SetCheck(member->GetName() == name ? 1 : 0, redraw);
    // A radio button outside the search (not hung from its handler's layer through panels) would otherwise
    // uncheck the whole group and stay unchecked itself.
    if (std::find(group.begin(), group.end(), this) == group.end())
        SetCheck(1, redraw);
}
