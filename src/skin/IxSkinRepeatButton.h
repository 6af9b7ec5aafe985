#pragma once
// The repeat button's timer state, as the drop list's scroll arrows drive it.

#include <windows.h>

#include "skin/IxSkinButton.h"

class IxSkinRepeatButton : public virtual IxSkinButton {
public:
    // Kills a running timer; the repeat state becomes idle in every case.
    virtual void StopTimer() = 0;
    // Whether the cursor (screen coordinates) lies on the button.
    virtual BOOL IsCursorInButton() = 0;
    // 0 idle, 1 waiting for the first repeat, 2 repeating.
    virtual int GetRepeatState() = 0;
    virtual void SetRepeatState(int state) = 0;
    virtual UINT GetTimerId() = 0;
    virtual void SetTimerId(UINT id) = 0;

protected:
    ~IxSkinRepeatButton() = default;
};
