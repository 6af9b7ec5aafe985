#pragma once
// What the markup "Canvas" and "Panel" elements and the handlers set on a panel container beyond the
// common control properties: its background image, its scroll range and page, and the markup's
// animation style. Axis flags: 0 is horizontal (x, cx), non-zero vertical (y, cy).

#include <windows.h>
#include <gdiplus.h>

#include <memory>

#include "skin/IxSkinCtrl.h"

class IxSkinPanel : public virtual IxSkinCtrl {
public:
    // Takes the image over; a null image removes the background. Returns TRUE.
    virtual BOOL SetBackgroundImage(std::unique_ptr<Gdiplus::Bitmap> image) = 0;
    // The largest scroll position of the axis; a negative size is stored as 0, which stops the axis.
    virtual void SetScrollSize(int size, BOOL bVertical) = 0;
    virtual int GetScrollSize(BOOL bVertical) const = 0;
    // Moves the children to the position as given (not clamped), in 20 steps when animated, else at once.
    virtual void SetScrollPos(int position, BOOL bVertical, BOOL bAnimate) = 0;
    virtual int GetScrollPos(BOOL bVertical) const = 0;
    // A negative page is refused.
    virtual void SetPageSize(int size, BOOL bVertical) = 0;
    virtual int GetPageSize(BOOL bVertical) const = 0;
    // One page on or back, within 0..scroll size, animated; TRUE when the position changed.
    virtual BOOL ScrollPageForward(BOOL bVertical) = 0;
    virtual BOOL ScrollPageBack(BOOL bVertical) = 0;
    // Kept for the handlers (2 asks for the flip transition); the panel itself does not use it.
    virtual void SetAnimateStyle(int style) = 0;
    virtual int GetAnimateStyle() const = 0;

protected:
    ~IxSkinPanel() = default;
};
