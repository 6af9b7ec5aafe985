#pragma once
// The skinned pop-up menu as the markup and the handlers drive it.

#include <windows.h>
#include <gdiplus.h>

#include <string>

class IxSkinMenuItem;

// Where the menu lies against the point it opens at, and where its pointer ("tail") sits.
enum SkinMenuTrackingAlign : int {
    kMenuAlignRight = 0, // right of and below the point, tail on the left
    kMenuAlignTop = 1,   // above the point, tail at the bottom
    kMenuAlignBelow = 2, // below the point, tail at the top
};

class IxSkinMenu {
public:
    // The menu owns the row from then on.
    virtual void AddItem(IxSkinMenuItem* item) = 0;
    // Null when the index is out of range.
    virtual IxSkinMenuItem* GetItem(int index) const = 0;
    // Deletes the row; an index out of range does nothing.
    virtual void RemoveItem(int index) = 0;
    // Every row of that name becomes enabled (flags 0) or disabled (MF_DISABLED); its other flags go.
    virtual void EnableItem(const std::wstring& name, BOOL enable) = 0;
    virtual void SetBackground(Gdiplus::ARGB color) = 0;
    virtual void SetBackgroundImage(const wchar_t* path) = 0;
    virtual void SetTrackingOffset(int x, int y) = 0;
    // Left: the tail's size for align 0; bottom: for aligns 1 and 2; top and right have no effect.
    virtual void SetMarginBackground(int left, int top, int right, int bottom) = 0;
    virtual void SetMarginItem(int left, int top, int right, int bottom) = 0;
    virtual void SetMaxWidth(int width) = 0;
    virtual void SetDynamicWidth(BOOL dynamic) = 0;
    virtual void SetName(const std::wstring& name) = 0;
    virtual void SetTrackingAlign(int align) = 0;
    // Lays the rows out and opens the menu at the screen point; 0 when there are no rows.
    virtual int TrackPopup(int x, int y) = 0;

protected:
    ~IxSkinMenu() = default;
};
