#pragma once
// One row of a skinned menu as the menu, the markup and the handlers see it.

#include <windows.h>
#include <gdiplus.h>

#include <string>

class CxSkinMenu;

// The row's two drawn states; a third style record exists but is never drawn.
enum SkinMenuItemState : int {
    kMenuItemNormal = 0,
    kMenuItemHot = 1,
    kMenuItemStateCount = 3,
};

// Hover decorations.
enum SkinMenuItemEffect : int {
    kMenuEffectNone = 0,
    kMenuEffectImage = 1,
    kMenuEffectOutline = 2,
    kMenuEffectLight = 3,
};

class IxSkinMenuItem {
public:
    // Windows menu flags: MF_SEPARATOR, MF_CHECKED, MF_DISABLED, MF_GRAYED; replaces all of them.
    virtual void SetFlags(UINT flags) = 0;
    virtual void SetName(const std::wstring& name) = 0;
    virtual void SetContent(const std::wstring& text) = 0;
    virtual void SetHeight(int height) = 0;
    virtual void SetTitleWidth(int width) = 0;
    virtual void SetSkipTitleDrawing(BOOL skip) = 0;
    virtual void SetDrawTextContent(BOOL draw) = 0;
    virtual void SetEffect(int effect) = 0;
    virtual void SetBackground(int state, Gdiplus::ARGB color) = 0;
    virtual void SetTextForeground(int state, Gdiplus::ARGB color) = 0;
    virtual void SetTextFontName(int state, const std::wstring& face) = 0;
    virtual void SetTextFontWeight(int state, int style) = 0;
    virtual void SetTextFontHeight(int state, int points) = 0;
    // Image setters do nothing for an empty path and throw a CxSkinControlsException pointer when the
    // file cannot be loaded.
    virtual void SetItemContentImage(int state, const wchar_t* path) = 0;
    virtual void SetItemBackgroundImage(int state, const wchar_t* path) = 0;
    virtual void SetIconImage(const wchar_t* path) = 0;
    virtual void SetCheckImage(const wchar_t* path) = 0;
    virtual void SetSubMenuImage(const wchar_t* path) = 0;
    virtual void SetSeparatorImage(const wchar_t* path) = 0;
    // The row owns the sub-menu from then on; it reports to the owning menu's listener.
    virtual void SetSubMenu(CxSkinMenu* menu) = 0;
    // The row's natural width; a null DC measures on the desktop's.
    virtual int Measure(HDC dc) = 0;
    virtual void Draw(HDC dc, BOOL hot) = 0;
    virtual void SetRect(POINT position, SIZE size) = 0;
    virtual int GetHeight() const = 0;
    virtual RECT GetRect() const = 0;
    virtual std::wstring GetToolTipText() const = 0;
    virtual int GetId() const = 0;
    virtual std::wstring GetName() const = 0;
    virtual CxSkinMenu* GetSubMenu() const = 0;
    // Whether a click at the point chooses the row.
    virtual BOOL HitTest(POINT point) const = 0;
    // Whether the point hovers the row; records the answer as the row's hover state.
    virtual BOOL HitTestHover(POINT point) = 0;
    virtual BOOL IsTextTruncated() const = 0;
    virtual void DrawLight(HDC dc) = 0;
    virtual void SetLightColor(Gdiplus::ARGB color) = 0;

protected:
    ~IxSkinMenuItem() = default;
};
