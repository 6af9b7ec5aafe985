#pragma once
// A button whose power state is its check state: every release inside flips it, before the click is
// reported, so the handler reads the new state.

#include "skin/IxSkinCheckbox.h"
#include "skin/SkinButton.h"

class CxSkinCheckbox : public CxSkinButton, public virtual IxSkinCheckbox {
    DECLARE_DYNAMIC(CxSkinCheckbox)
public:
    CxSkinCheckbox() = default;
    ~CxSkinCheckbox() override = default;

    // IxSkinCheckbox
    void SetUncheckNormalSkin(const std::wstring& path) override { SetNormalSkin(path); }
    void SetUncheckDownSkin(const std::wstring& path) override { SetDownSkin(path); }
    void SetUncheckOverSkin(const std::wstring& path) override { SetOverSkin(path); }
    void SetUncheckDisableSkin(const std::wstring& path) override { SetDisableSkin(path); }
    void SetCheckNormalSkin(const std::wstring& path) override { SetPowerNormalSkin(path); }
    void SetCheckDownSkin(const std::wstring& path) override { SetPowerDownSkin(path); }
    void SetCheckOverSkin(const std::wstring& path) override { SetPowerOverSkin(path); }
    void SetCheckDisableSkin(const std::wstring& path) override { SetPowerDisableSkin(path); }

    void OnLButtonUp(UINT flags, POINT point) override;
};
