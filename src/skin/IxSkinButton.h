#pragma once
// What markup elements and handlers set on every kind of button: its state, content and power images,
// the check (power) state and the tooltip shown while it is on. Every image setter takes a file path,
// ignores an empty one where noted, and throws a CxSkinControlsException (as a pointer) when the file
// cannot be loaded, leaving that image unset.

#include <windows.h>

#include <string>

#include "skin/IxSkinCtrl.h"

class IxSkinButton : public virtual IxSkinCtrl {
public:
    // Power normal, down, over and disabled images; each non-empty path replaces its image.
    virtual void SetPowerSkin(const std::wstring& power, const std::wstring& down, const std::wstring& over,
                              const std::wstring& disabled) = 0;
    // The content setters keep the old image for an empty path.
    virtual void SetContentSkin(const std::wstring& path) = 0;
    virtual void SetContentDownSkin(const std::wstring& path) = 0;
    virtual void SetContentOverSkin(const std::wstring& path) = 0;
    virtual void SetContentDisableSkin(const std::wstring& path) = 0;
    // The state setters drop the old image first, so an empty path clears it.
    virtual void SetNormalSkin(const std::wstring& path) = 0;
    virtual void SetOverSkin(const std::wstring& path) = 0;
    virtual void SetDisableSkin(const std::wstring& path) = 0;
    virtual void SetDownSkin(const std::wstring& path) = 0;
    virtual void SetPowerNormalSkin(const std::wstring& path) = 0;
    virtual void SetPowerOverSkin(const std::wstring& path) = 0;
    // Non-zero: state images keep 15-pixel end caps and stretch only their middle.
    virtual void SetThreeSliceStretch(int stretch) = 0;
    virtual int GetCheck() = 0;
    virtual void SetCheck(int on, BOOL redraw) = 0;
    virtual int GetPowerState() = 0;
    virtual void SetPowerState(int on, BOOL redraw) = 0;
    // 1 left, 0 or 2 centred; anything else throws and keeps the old alignment.
    virtual void SetContentImageAlign(UINT align) = 0;
    virtual void SetCheckToolTip(const std::wstring& text) = 0;

protected:
    ~IxSkinButton() = default;
};
