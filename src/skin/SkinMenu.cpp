#include "skin/SkinMenu.h"

#include <algorithm>
#include <utility>

#include "skin/LayerToolTip.h"
#include "skin/SkinDraw.h"
#include "skin/SkinGraphics.h"
#include "skin/SkinMenuItem.h"
#include "skin/SystemCursor.h"

using namespace Gdiplus;

IMPLEMENT_DYNAMIC(CxSkinMenu, CxSkinDialog)

namespace {

RECT DefaultWorkArea(POINT at) {
    return CxSkinMenu::MonitorWorkArea(at);
}

SkinMenuWorkAreaSource g_workAreaSource = &DefaultWorkArea;

POINT MessagePoint(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

} // namespace

void CxSkinMenu::SetWorkAreaSource(SkinMenuWorkAreaSource source) {
    g_workAreaSource = source ? source : &DefaultWorkArea;
}

// The monitor's own work area rather than the primary one: a menu opened on a second monitor must stay
// there, and that monitor's left edge need not be 0.
RECT CxSkinMenu::MonitorWorkArea(POINT at) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (HMONITOR monitor = ::MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST);
        monitor && ::GetMonitorInfoW(monitor, &info))
        return info.rcWork;
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

CxSkinMenu::CxSkinMenu() {
    InitMenuFields();
}

CxSkinMenu::CxSkinMenu(UINT templateId, CWnd* parent) : CxSkinDialog(templateId, parent) {
    InitMenuFields();
}

void CxSkinMenu::InitMenuFields() {
    // A press on a menu never drags it: the press has only the default handling.
    SetDraggable(FALSE);
}

CxSkinMenu::~CxSkinMenu() {
    *m_alive = false;
    m_destroying = true;
    // The window goes while the rows still exist and without any notice: whoever deletes a menu is done
    // with it, and may be half destroyed itself.
    if (m_hWnd)
        DestroyWindow();
    if (m_parentMenu && m_parentMenu->m_openSubMenu == this)
        m_parentMenu->m_openSubMenu = nullptr;
    m_chosenItem = nullptr;
    m_openSubMenu = nullptr;
    std::vector<CxSkinMenuItem*> items;
    items.swap(m_items);
    for (CxSkinMenuItem* item : items)
        delete item;
}

void CxSkinMenu::SetParent(IxSkinObject* parent) {
    m_parentMenu = dynamic_cast<CxSkinMenu*>(parent);
    if (m_parentMenu == this)
        m_parentMenu = nullptr;
}

IxSkinMenuListener* CxSkinMenu::ResolveMenuListener() const {
    if (auto* own = dynamic_cast<IxSkinMenuListener*>(GetListener()))
        return own;
    if (m_menuListener)
        return m_menuListener;
    return m_parentMenu ? m_parentMenu->ResolveMenuListener() : nullptr;
}

void CxSkinMenu::AddItem(IxSkinMenuItem* item) {
    auto* row = dynamic_cast<CxSkinMenuItem*>(item);
    // A row the menu already holds would be deleted twice.
    if (!row || std::find(m_items.begin(), m_items.end(), row) != m_items.end())
        return;
    row->SetOwner(static_cast<CxSkinObject*>(this));
    m_items.push_back(row);
}

CxSkinMenuItem* CxSkinMenu::Row(int index) const {
    return index >= 0 && index < GetItemCount() ? m_items[static_cast<size_t>(index)] : nullptr;
}

IxSkinMenuItem* CxSkinMenu::GetItem(int index) const {
    return Row(index);
}

void CxSkinMenu::RemoveItem(int index) {
    CxSkinMenuItem* row = Row(index);
    if (!row)
        return;
    m_items.erase(m_items.begin() + index);
    if (m_chosenItem == row)
        m_chosenItem = nullptr;
    if (m_hotItem == index)
        m_hotItem = -1;
    else if (m_hotItem > index)
        --m_hotItem;
    // The row's sub-menu may be the one showing; its destructor tells this menu.
    delete row;
}

void CxSkinMenu::EnableItem(const std::wstring& name, BOOL enable) {
    for (CxSkinMenuItem* row : m_items) {
        if (row->GetName() == name)
            row->SetFlags(enable ? 0 : MF_DISABLED);
    }
}

void CxSkinMenu::SetBackgroundImage(const wchar_t* path) {
    if (!path || !*path)
        return;
    m_menuImage = xSkinLoadBitmap(path);
}

void CxSkinMenu::SetMarginBackground(int left, int top, int right, int bottom) {
    m_backgroundMargins = {left, top, right, bottom};
}

void CxSkinMenu::SetMarginItem(int left, int top, int right, int bottom) {
    m_itemMargins = {left, top, right, bottom};
    m_requestedItemMargins = m_itemMargins;
}

void CxSkinMenu::SetTrackingAlign(int align) {
    if (align == m_trackingAlign)
        return;
    m_trackingAlign = align;
    // Below the point the tail sits at the top, so the wider margin moves there with it.
    const bool flipped = align == kMenuAlignBelow;
    m_itemMargins.top = flipped ? m_requestedItemMargins.bottom : m_requestedItemMargins.top;
    m_itemMargins.bottom = flipped ? m_requestedItemMargins.top : m_requestedItemMargins.bottom;
}

void CxSkinMenu::LayOut() {
    const int marginX = static_cast<int>(m_itemMargins.left + m_itemMargins.right);
    int width = marginX;
    int height = static_cast<int>(m_itemMargins.top + m_itemMargins.bottom);
    for (CxSkinMenuItem* row : m_items) {
        const int measured = row->Measure(nullptr);
        height += row->GetHeight();
        const int rowWidth = (measured > m_maxWidth || !m_dynamicWidth) ? m_maxWidth : measured;
        width = std::max(width, rowWidth + marginX);
    }
    m_menuSize = {width, height};
    m_itemArea = {m_itemMargins.left, m_itemMargins.top, width - m_itemMargins.right, height - m_itemMargins.bottom};
    m_itemWidth = width - marginX;
}

RECT CxSkinMenu::PlaceOnScreen(int x, int y, int* dx, int* dy) const {
    const POINT at{x + m_trackingOffset.x, y + m_trackingOffset.y};
    const RECT work = g_workAreaSource(at);
    RECT placed{at.x, at.y, at.x + m_menuSize.cx, at.y + m_menuSize.cy};
    *dx = *dy = 0;
    switch (m_trackingAlign) {
    case kMenuAlignTop:
        ::OffsetRect(&placed, 0, -m_menuSize.cy);
        [[fallthrough]];
    case kMenuAlignBelow:
        if (placed.right > work.right)
            *dx = work.right - placed.right;
        else if (placed.left < work.left)
            *dx = work.left - placed.left;
        break;
    default:
        if (placed.bottom > work.bottom)
            *dy = work.bottom - placed.bottom;
        break;
    }
    ::OffsetRect(&placed, *dx, *dy);
    return placed;
}

void CxSkinMenu::BuildOutline(int dx, int dy) {
    const int w = m_menuSize.cx, h = m_menuSize.cy;
    if (m_trackingAlign == kMenuAlignTop || m_trackingAlign == kMenuAlignBelow) {
        // The tail follows the point when the menu had to move sideways.
        const int m = m_backgroundMargins.bottom;
        const int t = std::min(kTailInset - dx, w - 2 * m - kTailInset);
        if (m_trackingAlign == kMenuAlignTop)
            m_outline = {{0, 0},         {w - 1, 0}, {w - 1, h - m}, {2 * m + t, h - m},
                         {m + t, h - 1}, {t, h - m}, {0, h - m},     {0, 0}};
        else
            m_outline = {{0, h - 1},  {w - 1, h - 1}, {w - 1, m}, {2 * m + t, m},
                         {m + t, -1}, {t, m},         {0, m},     {0, h - 1}};
        return;
    }
    const int m = m_backgroundMargins.left;
    const int t = std::min(kTailInset - dy, h - 2 * m - kTailInset);
    m_outline = {{m, 0}, {w - 1, 0}, {w - 1, h - 1}, {m, h - 1}, {m, 2 * m + t}, {0, m + t}, {m, t}, {m, 0}};
}

void CxSkinMenu::ComposeBackground() {
    const int w = m_menuSize.cx, h = m_menuSize.cy;
    m_balloon.Release();
    // The layered surface and back buffer at the menu's size; the balloon itself is composed here.
    CLayerDialog::SetBackground(w, h, nullptr, 0, 0);
    if (w < 1 || h < 1)
        return;
    Bitmap composed(w, h, PixelFormat32bppARGB);
    if (composed.GetLastStatus() != Ok)
        return;
    {
        Graphics g(&composed);
        g.SetInterpolationMode(InterpolationModeHighQualityBicubic);
        g.SetSmoothingMode(SmoothingModeAntiAlias);
        std::vector<Point> points;
        for (const POINT& p : m_outline)
            points.emplace_back(p.x, p.y);
        GraphicsPath outline;
        outline.AddPolygon(points.data(), static_cast<INT>(points.size()));
        g.SetClip(&outline, CombineModeReplace);
        if (m_menuImage) {
            xSkinPrepareImage(m_menuImage.get());
            g.DrawImage(m_menuImage.get(), Rect(0, 0, w, h));
        } else {
            SolidBrush fill{Color(m_backgroundColor)};
            g.FillRectangle(&fill, 0, 0, w, h);
        }
        if (m_borderWidth >= 1) {
            g.ResetClip();
            Pen pen(Color(m_borderColor), static_cast<REAL>(m_borderWidth));
            g.DrawPath(&pen, &outline);
        }
    }
    if (!m_balloon.Create(GetMemDC()->GetSafeHdc(), w, h))
        return;
    CxSkinGraphics target(m_balloon.GetDC()->GetSafeHdc());
    target->SetCompositingMode(CompositingModeSourceCopy);
    target->DrawImage(&composed, 0, 0, w, h);
}

int CxSkinMenu::TrackPopup(int x, int y) {
    if (m_items.empty())
        return 0;
    // A sub-menu that nobody gave a window opens as a pop-up of the menu above it.
    if (!m_hWnd && !CDialog::Create(CDialog::IDD_POPUP, m_parentMenu))
        return 0;
    LayOut();
    int dx = 0, dy = 0;
    const RECT placed = PlaceOnScreen(x, y, &dx, &dy);
    BuildOutline(dx, dy);
    ComposeBackground();
    MoveWindow(placed, FALSE);
    m_rect = {0, 0, m_menuSize.cx, m_menuSize.cy};
    const std::shared_ptr<bool> alive = m_alive;
    CWnd::ShowWindow(SW_SHOW);
    if (!*alive || !m_hWnd)
        return 1; // the listener closed it again on hearing it open
    SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    // Painted at once: the rows take their places as they are drawn.
    Update();
    return 1;
}

void CxSkinMenu::DrawChildren(CDC* dc, const RECT* clip) {
    if (!dc)
        return;
    if (CDC* balloon = m_balloon.GetDC()) {
        const RECT all{0, 0, m_balloon.GetWidth(), m_balloon.GetHeight()};
        RECT area = all;
        if (clip && !::IntersectRect(&area, clip, &all))
            return;
        dc->BitBlt(area.left, area.top, area.right - area.left, area.bottom - area.top, *balloon, area.left, area.top,
                   SRCCOPY);
    }
    DrawRows(dc);
}

void CxSkinMenu::DrawRows(CDC* dc) {
    ILayerToolTip* tip = GetToolTip();
    if (tip) {
        for (int id = m_rowToolCount; id >= 1; --id)
            tip->RemoveTool(this, static_cast<UINT>(id));
    }
    m_rowToolCount = 0;
    HDC hdc = dc->GetSafeHdc();
    int y = m_itemArea.top;
    for (int index = 0; index < GetItemCount(); ++index) {
        CxSkinMenuItem* row = m_items[static_cast<size_t>(index)];
        const int height = row->GetHeight();
        row->SetRect({m_itemArea.left, y}, {m_itemWidth, height});
        row->Draw(hdc, index == m_hotItem);
        y += height;
        if (tip && row->IsTextTruncated()) {
            const RECT rect = row->GetRect();
            const std::wstring text = row->GetToolTipText();
            tip->AddTool(this, text.c_str(), &rect, static_cast<UINT>(++m_rowToolCount));
        }
    }
    // A hover-animation frame: the glow builds up layer by layer over the hot row.
    if (CxSkinMenuItem* hot = Row(m_hotItem); hot && m_glowLayers > 0) {
        for (int layer = 0; layer < m_glowLayers; ++layer)
            hot->DrawLight(hdc);
        hot->Draw(hdc, TRUE);
    }
}

int CxSkinMenu::RowAt(POINT point, bool forClick) const {
    if (!::PtInRect(&m_itemArea, point))
        return -1;
    for (int index = 0; index < GetItemCount(); ++index) {
        CxSkinMenuItem* row = m_items[static_cast<size_t>(index)];
        if (forClick ? row->HitTest(point) : row->HitTestHover(point))
            return index;
    }
    return -1;
}

void CxSkinMenu::OpenSubMenu(CxSkinMenuItem* row, CxSkinMenu* subMenu) {
    const std::shared_ptr<bool> alive = m_alive;
    const int index = static_cast<int>(std::find(m_items.begin(), m_items.end(), row) - m_items.begin());
    if (CxSkinMenu* open = std::exchange(m_openSubMenu, nullptr); open && open->m_hWnd)
        open->CWnd::ShowWindow(SW_HIDE);
    // Its listener may have closed this menu or removed the row while hearing the sub-menu close.
    if (!*alive || Row(index) != row || row->GetSubMenu() != subMenu)
        return;
    m_openSubMenu = subMenu;
    if (!subMenu)
        return;
    const RECT rect = row->GetRect();
    POINT at{rect.right, (rect.top + rect.bottom) / 2};
    ::ClientToScreen(m_hWnd, &at);
    subMenu->SetParent(static_cast<CxSkinObject*>(this));
    subMenu->SetTrackingAlign(kMenuAlignRight);
    subMenu->TrackPopup(at.x, at.y);
}

void CxSkinMenu::OnMouseMoveMessage(POINT point) {
    const std::shared_ptr<bool> alive = m_alive;
    const int hot = RowAt(point, false);
    if (CxSkinMenuItem* row = Row(hot); row && row->GetSubMenu() != m_openSubMenu) {
        OpenSubMenu(row, row->GetSubMenu());
        if (!*alive)
            return;
    }
    if (hot != m_hotItem) {
        // The hot index is stored first: the invalidation repaints at once.
        CxSkinMenuItem* old = Row(std::exchange(m_hotItem, hot));
        if (old)
            static_cast<CLayerWnd*>(this)->InvalidateRect(old->GetRect(), TRUE);
        if (hot != -1) {
            m_animationFrame = 0;
            SetTimer(kHoverTimer, kHoverPeriodMs);
        }
    }
    ::SetCursor(xSkinSystemCursor((Row(m_hotItem) && !m_openSubMenu) ? IDC_HAND : IDC_ARROW));
}

void CxSkinMenu::OnLButtonUpMessage(POINT point) {
    if (::PtInRect(&m_itemArea, point)) {
        const int chosen = RowAt(point, true);
        if (chosen == -1)
            return;
        m_chosenItem = Row(chosen);
        CloseChain(nullptr);
        return;
    }
    RECT client{};
    CWnd::GetClientRect(&client);
    if (!::PtInRect(&client, point))
        CWnd::ShowWindow(SW_HIDE);
}

void CxSkinMenu::CloseChain(HWND keep) {
    // Every menu's liveness is taken before the first hides: a listener hearing one close may destroy the
    // others (a row's sub-menu goes with the menu that owns the row).
    std::vector<std::pair<CxSkinMenu*, std::shared_ptr<bool>>> chain;
    for (CxSkinMenu* menu = this; menu; menu = menu->m_parentMenu) {
        if (keep && menu->m_hWnd == keep)
            break;
        chain.emplace_back(menu, menu->m_alive);
    }
    for (auto& [menu, alive] : chain) {
        if (*alive && menu->m_hWnd && !menu->m_destroying)
            menu->CWnd::ShowWindow(SW_HIDE);
    }
}

BOOL CxSkinMenu::OnEscapeKey() {
    m_chosenItem = nullptr;
    CloseChain(nullptr);
    return TRUE;
}

void CxSkinMenu::OnTimerMessage(UINT_PTR id) {
    if (id != kHoverTimer)
        return;
    if (m_animationFrame >= kHoverFrames) {
        KillTimer(kHoverTimer);
        return;
    }
    if (Row(m_hotItem)) {
        m_glowLayers = m_animationFrame;
        Update();
        m_glowLayers = 0;
    }
    ++m_animationFrame;
}

void CxSkinMenu::OnShowWindowMessage(BOOL shown) {
    const std::shared_ptr<bool> alive = m_alive;
    if (shown) {
        m_hotItem = -1;
        ::SetFocus(m_hWnd);
    } else {
        KillTimer(kHoverTimer);
        // A sub-menu never outlives the showing of the menu it hangs from.
        if (CxSkinMenu* open = std::exchange(m_openSubMenu, nullptr); open && open->m_hWnd)
            open->CWnd::ShowWindow(SW_HIDE);
        if (!*alive)
            return;
    }
    // What the notices report is taken now: a listener may remove rows or destroy the menu meanwhile.
    const std::wstring name = m_menuName;
    int itemId = 0;
    std::wstring itemName;
    if (!shown) {
        if (CxSkinMenuItem* chosen = std::exchange(m_chosenItem, nullptr)) {
            itemId = chosen->GetId();
            itemName = chosen->GetName();
        }
    }
    if (IxSkinMenuListener* listener = ResolveMenuListener())
        listener->OnMenuPopup(name, shown ? 1 : 0);
    if (shown || !*alive)
        return;
    if (IxSkinMenuListener* listener = ResolveMenuListener())
        listener->OnMenuCommand(name, itemId, itemName);
}

void CxSkinMenu::OnActivateMessage(UINT state, HWND activated) {
    if (state != WA_INACTIVE || !IsWindowVisible())
        return;
    if (m_openSubMenu && m_openSubMenu->IsWindowVisible())
        return;
    // Opening a sub-menu activates it before it is visible; that is no reason to close.
    for (CxSkinMenu* sub = m_openSubMenu; sub; sub = sub->m_openSubMenu) {
        if (activated && sub->m_hWnd == activated)
            return;
    }
    // Going back to a menu above closes only the menus below it.
    CloseChain(activated);
}

LRESULT CxSkinMenu::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_destroying)
        return CxSkinDialog::WindowProc(message, wParam, lParam);
    switch (message) {
    case WM_MOUSEMOVE: {
        // The dialog's hover tracking first: over a menu it finds no layer and would reset the cursor.
        const std::shared_ptr<bool> alive = m_alive;
        const LRESULT result = CxSkinDialog::WindowProc(message, wParam, lParam);
        if (*alive)
            OnMouseMoveMessage(MessagePoint(lParam));
        return result;
    }
    case WM_LBUTTONUP:
        OnLButtonUpMessage(MessagePoint(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        return CDialog::WindowProc(message, wParam, lParam);
    case WM_TIMER:
        if (wParam == kHoverTimer) {
            OnTimerMessage(wParam);
            return 0;
        }
        break;
    case WM_SHOWWINDOW: {
        const LRESULT result = CxSkinDialog::WindowProc(message, wParam, lParam);
        OnShowWindowMessage(static_cast<BOOL>(wParam));
        return result;
    }
    case WM_ACTIVATE: {
        const LRESULT result = CxSkinDialog::WindowProc(message, wParam, lParam);
        OnActivateMessage(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        return result;
    }
    case WM_PAINT:
        ValidateRect(nullptr);
        return 0;
    case WM_ERASEBKGND:
    case WM_SETCURSOR:
        return 1;
    case WM_CLOSE:
        return 0;
    default:
        break;
    }
    return CxSkinDialog::WindowProc(message, wParam, lParam);
}
