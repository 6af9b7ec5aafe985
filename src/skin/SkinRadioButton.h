#pragma once
// A check box that checks itself and unchecks the rest of its group. The group is every radio button of
// the same group name under the layer of the handler that serves this one, reached through panels only,
// so equal names under two handlers never meet. A checked radio button ignores presses unless it repeats
// clicks.

#include <vector>

#include "skin/IxSkinRadioButton.h"
#include "skin/SkinCheckbox.h"

class CxSkinRadioButton : public CxSkinCheckbox, public virtual IxSkinRadioButton {
    DECLARE_DYNAMIC(CxSkinRadioButton)
public:
    CxSkinRadioButton() = default;
    ~CxSkinRadioButton() override = default;

    // IxSkinRadioButton
    void SetGroupName(const std::wstring& name) override { m_groupName = name; }
    std::wstring GetGroupName() const override { return m_groupName; }

    // Set from markup only: a checked radio button still reports clicks.
    void SetRepeatClick(BOOL repeat) { m_repeatClick = repeat ? 1 : 0; }
    BOOL GetRepeatClick() const { return m_repeatClick; }

    // Checks the members of the group named like this one and unchecks the others; this button is always
    // among the checked. Nothing happens without a handler to serve the group.
    void Select(BOOL redraw);

    void OnLButtonDown(UINT flags, POINT point) override;
    void OnLButtonUp(UINT flags, POINT point) override;

private:
    // A checked radio button that does not repeat clicks takes no input.
    bool IgnoresInput() { return !m_repeatClick && GetPowerState() != 0; }
    void CollectGroup(const CLayerWnd* layer, std::vector<CxSkinRadioButton*>& group) const;

    std::wstring m_groupName;
    int m_repeatClick = 0;
};
