#pragma once
// The check box's names for the button's images: the unchecked look is the button's normal set, the
// checked look its power set. Each setter throws as the button setter it forwards to.

#include <string>

#include "skin/IxSkinButton.h"

class IxSkinCheckbox : public virtual IxSkinButton {
public:
    virtual void SetUncheckNormalSkin(const std::wstring& path) = 0;
    virtual void SetUncheckDownSkin(const std::wstring& path) = 0;
    virtual void SetUncheckOverSkin(const std::wstring& path) = 0;
    virtual void SetUncheckDisableSkin(const std::wstring& path) = 0;
    virtual void SetCheckNormalSkin(const std::wstring& path) = 0;
    virtual void SetCheckDownSkin(const std::wstring& path) = 0;
    virtual void SetCheckOverSkin(const std::wstring& path) = 0;
    virtual void SetCheckDisableSkin(const std::wstring& path) = 0;

protected:
    ~IxSkinCheckbox() = default;
};
