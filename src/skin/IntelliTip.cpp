#include "skin/IntelliTip.h"

#include "framework/DC.h"
#include "skin/MemDC.h"
#include "skin/SkinToolTip.h"

IMPLEMENT_DYNAMIC(CIntelliTip, CWnd)

namespace {
// Room around the text: 4 pixels left and right, 2 above and below.
constexpr int kPadX = 4;
constexpr int kPadY = 2;
} // namespace

CIntelliTip::~CIntelliTip() {
    if (m_hWnd)
        DestroyWindow();
}

BOOL CIntelliTip::Create(CWnd* parent) {
    m_parent = parent;
    // Registered once per process; the framework tolerates the class being there already.
    LPCWSTR windowClass = RegisterWndClass(CS_GLOBALCLASS | CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
    if (!windowClass)
        return FALSE;
    return CreateEx(WS_EX_TOOLWINDOW, windowClass, L"", WS_POPUP | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                    parent ? parent->GetSafeHwnd() : nullptr);
}

HDC CIntelliTip::OwnDC() {
    if (!m_dc && m_hWnd)
        m_dc = GetDC();
    return m_dc;
}

void CIntelliTip::SetText(const std::wstring& text) {
    if (text == m_text)
        return;
    m_text = text;
    HDC dc = OwnDC();
    if (!dc)
        return;
    HGDIOBJ old = ::SelectObject(dc, m_font.For(m_text));
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, m_text.c_str(), static_cast<int>(m_text.size()), &extent);
    ::SelectObject(dc, old);
    m_size = {extent.cx + 2 * kPadX, extent.cy + 2 * kPadY};
    if (IsWindowVisible()) {
        MoveToAnchor(SWP_NOZORDER | SWP_NOACTIVATE);
        Invalidate(TRUE);
    }
}

void CIntelliTip::SetPosition(POINT anchor) {
    if (anchor.x == m_anchor.x && anchor.y == m_anchor.y)
        return;
    m_anchor = anchor;
    if (m_hWnd && IsWindowVisible()) {
        MoveToAnchor(SWP_NOZORDER | SWP_NOACTIVATE);
        Invalidate(TRUE);
    }
}

void CIntelliTip::MoveToAnchor(UINT flags) {
    SetWindowPos(nullptr, m_anchor.x - m_size.cx, m_anchor.y, m_size.cx, m_size.cy, flags);
}

void CIntelliTip::Show() {
    if (!m_hWnd)
        return;
    if (!IsWindowVisible())
        MoveToAnchor(SWP_SHOWWINDOW | SWP_NOACTIVATE);
    else
        Invalidate(TRUE);
    KillTimer(kHideTimer);
    SetTimer(kHideTimer, kHideDelay);
}

void CIntelliTip::Hide() {
    if (m_hWnd)
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOACTIVATE);
}

void CIntelliTip::Paint(HDC target) {
    RECT client;
    GetClientRect(&client);
    CMemDC dc(target, client);
    dc.SetBkMode(TRANSPARENT);
    dc.FillRect(client, ::GetSysColorBrush(COLOR_INFOBK));
    dc.FrameRect(client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    RECT text = client;
    ::InflateRect(&text, -kPadX, -kPadY);
    dc.SetTextColor(::GetSysColor(COLOR_INFOTEXT));
    dc.SelectObject(m_font.For(m_text));
    dc.TextOut(text.left, text.top, m_text);
}

LRESULT CIntelliTip::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        m_font.SetBase(CxSkinToolTip::GetSystemStatusFont());
        break;
    case WM_ERASEBKGND:
        // All drawing happens here, through a buffer, so the tip never flickers while it follows a drag.
        Paint(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_PAINT: {
        // Beginning the paint sends the erase that draws; the paint itself adds nothing.
        CDC dc;
        dc.BeginPaint(m_hWnd);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kHideTimer) {
            KillTimer(kHideTimer);
            Hide();
            return 0;
        }
        break;
    case WM_DESTROY:
        KillTimer(kHideTimer);
        if (m_dc) {
            ReleaseDC(m_dc);
            m_dc = nullptr;
        }
        break;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
