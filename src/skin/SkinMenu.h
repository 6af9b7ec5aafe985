#pragma once
// The toolkit's pop-up menu: a layered top-level window whose outline is a balloon (a rectangle with a
// small pointer, the "tail", towards the point it opened at) and whose rows are CxSkinMenuItem objects.
// It opens at a point within the work area of that point's monitor, highlights the row under the pointer
// with a short glow, opens sub-menus, closes on a click or when it loses activation, and tells its
// listener that it opened, that it closed and which row was chosen.

#include <windows.h>
#include <gdiplus.h>

#include <memory>
#include <string>
#include <vector>

#include "skin/IxSkinMenu.h"
#include "skin/IxSkinMenuListener.h"
#include "skin/LayerBuffer.h"
#include "skin/SkinDialog.h"

class CxSkinMenuItem;

// Where menus learn the work area they must stay in: the area of the monitor nearest a screen point.
// Tests replace it to open menus at edges they choose.
using SkinMenuWorkAreaSource = RECT (*)(POINT at);

class CxSkinMenu : public CxSkinDialog, public IxSkinMenu {
    DECLARE_DYNAMIC(CxSkinMenu)
public:
    static constexpr UINT_PTR kHoverTimer = 10;
    static constexpr UINT kHoverPeriodMs = 50;
    static constexpr int kHoverFrames = 10;
    static constexpr Gdiplus::ARGB kDefaultBackground = 0xFFFFFFFF;
    static constexpr Gdiplus::ARGB kDefaultBorderColor = 0xFFD3D3D3;
    static constexpr int kDefaultBorderWidth = 2;
    // Distance of the tail from the outline's corner before the menu is moved to fit.
    static constexpr int kTailInset = 12;

    CxSkinMenu();
    CxSkinMenu(UINT templateId, CWnd* parent);
    ~CxSkinMenu() override;

    using CLayerDialog::SetBackground;
    using CxSkinDialog::Create;

    // IxSkinObject
    const wchar_t* GetTypeName() const override { return L"SkinMenu"; }
    // The parent object is the menu that owns this one as a sub-menu; anything else is no parent menu.
    void SetParent(IxSkinObject* parent) override;

    // IxSkinMenu
    void AddItem(IxSkinMenuItem* item) override;
    IxSkinMenuItem* GetItem(int index) const override;
    void RemoveItem(int index) override;
    void EnableItem(const std::wstring& name, BOOL enable) override;
    void SetBackground(Gdiplus::ARGB color) override { m_backgroundColor = color; }
    // Also the dialog's and the layered window's background image: the menu composes its own background.
    void SetBackgroundImage(const wchar_t* path) override;
    void SetTrackingOffset(int x, int y) override { m_trackingOffset = {x, y}; }
    void SetMarginBackground(int left, int top, int right, int bottom) override;
    void SetMarginItem(int left, int top, int right, int bottom) override;
    void SetMaxWidth(int width) override { m_maxWidth = width; }
    void SetDynamicWidth(BOOL dynamic) override { m_dynamicWidth = dynamic; }
    // Also the dialog's name.
    void SetName(const std::wstring& name) override { m_menuName = name; }
    void SetTrackingAlign(int align) override;
    int TrackPopup(int x, int y) override;

    void SetBorder(int width) { m_borderWidth = width; }
    void SetBorderColor(Gdiplus::ARGB color) { m_borderColor = color; }

    // Heard when the menu's own listener is no menu listener; not owned. The handler framework sets it for
    // its text-box context menu.
    IxSkinMenuListener* m_menuListener = nullptr;

    // The root's paint: the composed balloon, then the rows.
    void DrawChildren(CDC* dc, const RECT* clip) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    static void SetWorkAreaSource(SkinMenuWorkAreaSource source);
    // The work area of the monitor nearest the point.
    static RECT MonitorWorkArea(POINT at);

    const std::wstring& GetMenuName() const { return m_menuName; }
    Gdiplus::ARGB GetBackgroundColor() const { return m_backgroundColor; }
    Gdiplus::Bitmap* GetMenuImage() const { return m_menuImage.get(); }
    POINT GetTrackingOffset() const { return m_trackingOffset; }
    RECT GetBackgroundMargins() const { return m_backgroundMargins; }
    int GetMaxWidth() const { return m_maxWidth; }
    BOOL IsDynamicWidth() const { return m_dynamicWidth; }
    int GetBorder() const { return m_borderWidth; }
    Gdiplus::ARGB GetBorderColor() const { return m_borderColor; }
    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    int GetTrackingAlign() const { return m_trackingAlign; }
    RECT GetItemMargins() const { return m_itemMargins; }
    RECT GetItemArea() const { return m_itemArea; }
    SIZE GetMenuSize() const { return m_menuSize; }
    int GetItemWidth() const { return m_itemWidth; }
    int GetHotItem() const { return m_hotItem; }
    int GetAnimationFrame() const { return m_animationFrame; }
    CxSkinMenu* GetParentMenu() const { return m_parentMenu; }
    CxSkinMenu* GetOpenSubMenu() const { return m_openSubMenu; }
    // The balloon's outline points of the last opening, in window coordinates.
    const std::vector<POINT>& GetOutline() const { return m_outline; }
    // The listener notices go to: the menu listener face of the own listener, else the menu listener field,
    // else the parent menu's.
    IxSkinMenuListener* ResolveMenuListener() const;

protected:
    // Escape closes the menu and the menus it hangs from, choosing nothing.
    BOOL OnEscapeKey() override;

private:
    void InitMenuFields();
    void LayOut();
    RECT PlaceOnScreen(int x, int y, int* dx, int* dy) const;
    void BuildOutline(int dx, int dy);
    void ComposeBackground();
    void DrawRows(CDC* dc);
    void RefreshRowToolTips();

    void OnMouseMoveMessage(POINT point);
    // FALSE when the menu went away while its listeners heard of it.
    void OnLButtonUpMessage(POINT point);
    void OnTimerMessage(UINT_PTR id);
    void OnShowWindowMessage(BOOL shown);
    void OnActivateMessage(UINT state, HWND activated);
    void OpenSubMenu(CxSkinMenuItem* row, CxSkinMenu* subMenu);
    // Hides this menu and the menus above it, stopping at `keep` (a menu that is being activated).
    void CloseChain(HWND keep);
    CxSkinMenuItem* Row(int index) const;
    int RowAt(POINT point, bool forClick) const;

    std::wstring m_menuName;
    int m_trackingAlign = kMenuAlignRight;
    Gdiplus::ARGB m_backgroundColor = kDefaultBackground;
    POINT m_trackingOffset{};
    RECT m_itemMargins{};
    RECT m_requestedItemMargins{};
    RECT m_backgroundMargins{};
    int m_maxWidth = 0;
    BOOL m_dynamicWidth = TRUE;
    RECT m_itemArea{};
    SIZE m_menuSize{};
    int m_itemWidth = 0;
    CxSkinMenu* m_parentMenu = nullptr;
    CxSkinMenu* m_openSubMenu = nullptr;
    int m_hotItem = -1;
    int m_animationFrame = 0;
    int m_borderWidth = kDefaultBorderWidth;
    Gdiplus::ARGB m_borderColor = kDefaultBorderColor;
    CxSkinMenuItem* m_chosenItem = nullptr;
    std::vector<CxSkinMenuItem*> m_items;

    std::unique_ptr<Gdiplus::Bitmap> m_menuImage;
    std::vector<POINT> m_outline;
    CLayerBuffer m_balloon;
    // How many glow layers the next paint lays over the hot row (the hover animation's frame).
    int m_glowLayers = 0;
    int m_rowToolCount = 0;
    // Cleared when the menu is destroyed: a listener may destroy the menu (or the menu that owns it) while
    // hearing a notice, and the code that called it must not touch it afterwards.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    bool m_destroying = false;
};
