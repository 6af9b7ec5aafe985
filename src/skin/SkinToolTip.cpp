#include "skin/SkinToolTip.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "framework/DC.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

IMPLEMENT_DYNAMIC(CxSkinToolTip, CWnd)

namespace {

constexpr int kBottomFlipGap = 25;       // a tip pushed up off the bottom edge clears the cursor too
constexpr int kMaxResourceText = 512;    // characters of a string resource named by the owner
constexpr LONG kFallbackFontHeight = 15; // when the system metrics cannot be read
constexpr LONG kFallbackFontWeight = 500;
constexpr wchar_t kPartPadding[] = L"  "; // room for the triangle that marks the other part

bool IsKeyboardMessage(UINT message) {
    return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}

// Button presses other than the plain left press hide the tip at once.
constexpr UINT kHidingClicks[] = {WM_LBUTTONDBLCLK,   WM_RBUTTONDOWN,   WM_RBUTTONDBLCLK,   WM_MBUTTONDOWN,
                                  WM_MBUTTONDBLCLK,   WM_NCLBUTTONDOWN, WM_NCLBUTTONDBLCLK, WM_NCRBUTTONDOWN,
                                  WM_NCRBUTTONDBLCLK, WM_NCMBUTTONDOWN, WM_NCMBUTTONDBLCLK};

bool IsHidingClick(UINT message) {
    return std::find(std::begin(kHidingClicks), std::end(kHidingClicks), message) != std::end(kHidingClicks);
}

bool SameFont(const LOGFONTW& a, const LOGFONTW& b) {
    return a.lfHeight == b.lfHeight && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
           a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           std::wcsncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

COLORREF OrSystem(COLORREF color, int systemIndex) {
    return color == CxSkinToolTipInfo::kSystemColor ? ::GetSysColor(systemIndex) : color;
}

} // namespace

CxSkinToolTip::CxSkinToolTip() : m_logFont(GetSystemStatusFont()) {}

CxSkinToolTip::~CxSkinToolTip() {
    m_current = nullptr;
    m_tools.clear();
    if (m_hWnd)
        DestroyWindow();
}

LOGFONTW CxSkinToolTip::GetSystemStatusFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
        return metrics.lfStatusFont;
    LOGFONTW font{};
    font.lfHeight = kFallbackFontHeight;
    font.lfWeight = kFallbackFontWeight;
    const std::wstring& face = CxSkinCtrl::GetDefaultFontFace();
    std::wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return font;
}

BOOL CxSkinToolTip::Create(CWnd* owner) {
    m_ownerWnd = owner;
    m_ownerRoot = dynamic_cast<CLayerWnd*>(owner);
    LPCWSTR windowClass = RegisterWndClass(CS_SAVEBITS | CS_CLASSDC, ::LoadCursorW(nullptr, IDC_ARROW));
    if (!windowClass)
        return FALSE;
    HWND ownerWindow = owner ? owner->GetSafeHwnd() : nullptr;
    if (!CreateEx(WS_EX_TOPMOST, windowClass, L"", WS_POPUP, 0, 0, 10, 10, ownerWindow))
        return FALSE;
    SetFont(GetSystemStatusFont(), FALSE);
    return TRUE;
}

BOOL CxSkinToolTip::AddTool(CLayerWnd* owner, const wchar_t* text, const RECT* /*rect*/, UINT id) {
    if (!owner)
        return FALSE;
    auto tool = std::make_unique<CxSkinToolTipInfo>();
    tool->m_owner = owner;
    tool->m_id = id;
    if (text == LPSTR_TEXTCALLBACKW)
        tool->m_textSource = CxSkinToolTipInfo::kAskOwner;
    else if (text)
        tool->m_text = text;
    tool->m_rect = owner->GetRectInHost();
    tool->m_maxWidth = m_defaultMaxWidth;
    tool->m_textColor = m_defaultTextColor;
    tool->m_backColor = m_defaultBackColor;
    m_tools.push_back(std::move(tool));
    return TRUE;
}

CxSkinToolTipInfo* CxSkinToolTip::FindTool(CLayerWnd* owner, UINT id) const {
    for (const auto& tool : m_tools) {
        if (tool->m_owner == owner && tool->m_id == id)
            return tool.get();
    }
    return nullptr;
}

void CxSkinToolTip::ShowWhileDisabled(CLayerWnd* owner, UINT id) {
    if (CxSkinToolTipInfo* tool = FindTool(owner, id))
        tool->m_flags |= CxSkinToolTipInfo::kShowWhileDisabled;
}

void CxSkinToolTip::RemoveTool(CLayerWnd* owner, UINT id) {
    auto it = std::find_if(m_tools.begin(), m_tools.end(),
                           [&](const auto& tool) { return tool->m_owner == owner && tool->m_id == id; });
    if (it == m_tools.end())
        return;
    if (it->get() == m_current) {
        Hide();
        m_current = nullptr;
    }
    m_tools.erase(it);
}

void CxSkinToolTip::ForgetOwner(const CLayerWnd* owner) {
    if (m_current && m_current->m_owner == owner) {
        StopAndHide();
        m_current = nullptr;
    }
    std::erase_if(m_tools, [&](const auto& tool) { return tool->m_owner == owner; });
}

void CxSkinToolTip::SetToolText(const wchar_t* text, CLayerWnd* owner) {
    for (const auto& tool : m_tools) {
        if (tool->m_owner != owner)
            continue;
        const bool ask = text == LPSTR_TEXTCALLBACKW;
        tool->m_textSource = ask ? CxSkinToolTipInfo::kAskOwner : 0;
        tool->m_text = (ask || !text) ? L"" : text;
        return;
    }
}

void CxSkinToolTip::Hide() {
    if (m_hWnd)
        ShowWindow(SW_HIDE);
    m_hidden = TRUE;
}

void CxSkinToolTip::SetFont(const LOGFONTW& font, BOOL redraw) {
    m_logFont = font;
    m_systemFont = SameFont(font, GetSystemStatusFont());
    RecreateFont();
    if (redraw && m_hWnd)
        Invalidate();
}

void CxSkinToolTip::RecreateFont() {
    m_font.DeleteObject();
    m_font.CreateFontIndirect(m_logFont);
    m_textFont.SetBase(m_logFont);
}

POINT CxSkinToolTip::CursorPos() const {
    if (m_cursorSource)
        return m_cursorSource();
    POINT point{};
    ::GetCursorPos(&point);
    return point;
}

POINT CxSkinToolTip::CursorInOwner() const {
    POINT point = CursorPos();
    if (m_ownerWnd && m_ownerWnd->GetSafeHwnd())
        m_ownerWnd->ScreenToClient(&point);
    return point;
}

BOOL CxSkinToolTip::IsCursorOverTip() const {
    if (!m_hWnd || !IsWindowVisible())
        return FALSE;
    RECT rect;
    GetWindowRect(&rect);
    return ::PtInRect(&rect, CursorPos());
}

BOOL CxSkinToolTip::IsPointOnTool(const CxSkinToolTipInfo* tool, POINT point) const {
    // A layer that has left the owner's tree is never dereferenced.
    if (!tool || !m_ownerRoot || !m_ownerRoot->ContainsLayer(tool->m_owner))
        return FALSE;
    if (!(tool->m_flags & CxSkinToolTipInfo::kShowWhileDisabled) && !tool->m_owner->IsEnabled(TRUE))
        return FALSE;
    const RECT rect = tool->m_owner->GetRectInHost();
    return ::PtInRect(&rect, point);
}

CxSkinToolTipInfo* CxSkinToolTip::ToolAt(POINT point) const {
    if (!m_ownerRoot)
        return nullptr;
    // Where no layer lies the root stands for itself: a menu registers its rows' texts on its own layer.
    CLayerWnd* layer = m_ownerRoot->LayerFromPoint(point);
    if (!layer)
        layer = m_ownerRoot;
    for (const auto& tool : m_tools) {
        if (tool->m_owner == layer && IsPointOnTool(tool.get(), point))
            return tool.get();
    }
    return nullptr;
}

void CxSkinToolTip::RelayEvent(const MSG* msg) {
    if (!msg)
        return;
    if (msg->message == WM_MOUSEMOVE) {
        POINT point = msg->pt;
        // The dialog's own moves carry the exact client point; others (the tip itself) the screen one.
        if (m_ownerWnd && msg->hwnd == m_ownerWnd->GetSafeHwnd()) {
            point = {static_cast<short>(LOWORD(msg->lParam)), static_cast<short>(HIWORD(msg->lParam))};
        } else if (m_ownerWnd && m_ownerWnd->GetSafeHwnd()) {
            m_ownerWnd->ScreenToClient(&point);
        }
        CxSkinToolTipInfo* tool = ToolAt(point);
        if (tool) {
            if (tool == m_current || (m_current && IsCursorOverTip()))
                return;
            Arm(tool);
        } else if (!(m_twoParts && m_current && !m_hidden)) {
            // The tip stays until the next poll, which hides it for want of a tool.
            m_current = nullptr;
        }
    } else if (msg->message == WM_LBUTTONDOWN) {
        if (!IsCursorOverTip())
            Hide();
    } else if (IsKeyboardMessage(msg->message) || IsHidingClick(msg->message)) {
        Hide();
    }
}

void CxSkinToolTip::Arm(CxSkinToolTipInfo* tool) {
    StopAndHide();
    m_hidden = FALSE;
    m_current = tool;
    if (m_hWnd)
        SetTimer(kShowTimer, m_showDelay);
}

void CxSkinToolTip::StopAndHide() {
    // Without a window the ids would name the thread's own timers.
    if (m_hWnd) {
        KillTimer(kShowTimer);
        KillTimer(kPollTimer);
    }
    Hide();
}

void CxSkinToolTip::OnShowTimer() {
    KillTimer(kShowTimer);
    if (!m_current || m_hidden) {
        StopAndHide();
        return;
    }
    if (!IsPointOnTool(m_current, CursorInOwner())) {
        m_current = nullptr;
        return;
    }
    m_secondPart = FALSE;
    BuildShownText();
    if (m_shownText.empty())
        return; // a tool without text is never shown
    const POINT cursor = CursorPos();
    ShowAt({cursor.x + m_cursorOffset.x, cursor.y + m_cursorOffset.y});
    m_elapsed = 0;
    SetTimer(kPollTimer, m_pollPeriod);
}

void CxSkinToolTip::ShowAt(POINT topLeft) {
    const RECT text = CalcTextRect(m_shownText, m_current->m_maxWidth);
    const RECT placed = PlaceRect(topLeft, m_current, text);
    ShowWindow(SW_HIDE);
    SetWindowPos(nullptr, placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOCOPYBITS);
}

void CxSkinToolTip::OnPollTimer() {
    if (!m_current || m_hidden) {
        StopAndHide();
        return;
    }
    m_elapsed += m_pollPeriod;
    const POINT cursor = CursorInOwner();
    const CxSkinToolTipInfo* under = ToolAt(cursor);
    if (under && under != m_current) {
        StopAndHide();
        return;
    }
    const bool onTool = IsPointOnTool(m_current, cursor) && m_elapsed < m_autoPop;
    if (!onTool && !IsCursorOverTip())
        StopAndHide();
}

std::wstring CxSkinToolTip::ToolText(const CxSkinToolTipInfo* tool) const {
    if (tool->m_textSource != CxSkinToolTipInfo::kAskOwner)
        return tool->m_text;
    if (!m_ownerWnd || !m_ownerWnd->GetSafeHwnd())
        return {};
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = m_hWnd;
    info.hdr.idFrom = tool->m_id;
    info.hdr.code = TTN_GETDISPINFOW;
    ::SendMessageW(m_ownerWnd->GetSafeHwnd(), WM_NOTIFY, tool->m_id, reinterpret_cast<LPARAM>(&info));
    if (info.hinst && info.lpszText && IS_INTRESOURCE(info.lpszText)) {
        wchar_t buffer[kMaxResourceText + 1] = {};
        const UINT resource = static_cast<UINT>(reinterpret_cast<uintptr_t>(info.lpszText));
        ::LoadStringW(info.hinst, resource, buffer, kMaxResourceText + 1);
        return buffer;
    }
    if (info.lpszText && info.lpszText != LPSTR_TEXTCALLBACKW && !IS_INTRESOURCE(info.lpszText))
        return info.lpszText;
    info.szText[std::size(info.szText) - 1] = L'\0';
    return info.szText;
}

void CxSkinToolTip::BuildShownText() {
    const std::wstring text = ToolText(m_current);
    const size_t cut = text.find(L'\r');
    m_twoParts = cut != std::wstring::npos;
    if (!m_twoParts) {
        m_shownText = text;
        return;
    }
    std::wstring second = text.substr(cut + 1);
    if (!second.empty() && second.front() == L'\n')
        second.erase(0, 1);
    m_shownText = m_secondPart ? kPartPadding + second : text.substr(0, cut) + kPartPadding;
}

RECT CxSkinToolTip::CalcTextRect(const std::wstring& text, int maxWidth) {
    CDC dc;
    if (!dc.GetWindowDC(nullptr))
        return {};
    dc.SelectObject(m_textFont.For(text));
    int width = maxWidth;
    if (width == 0) {
        size_t start = 0;
        while (start <= text.size()) {
            const size_t end = std::min(text.find(L'\n', start), text.size());
            width = std::max<int>(width, dc.GetTextExtent(text.substr(start, end - start) + kPartPadding).cx);
            start = end + 1;
        }
    }
    RECT bounds{0, 0, width, 0};
    dc.DrawText(text, &bounds, m_format | DT_CALCRECT);
    return {0, 0, width + m_margins.left + m_margins.right,
            (bounds.bottom - bounds.top) + m_margins.top + m_margins.bottom};
}

RECT CxSkinToolTip::PlaceRect(POINT point, const CxSkinToolTipInfo* /*tool*/, const RECT& textRect) {
    RECT rect = textRect;
    ::OffsetRect(&rect, point.x - rect.left, point.y - rect.top);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info))
        return rect;
    const RECT& monitor = info.rcMonitor;
    if (rect.right > monitor.right)
        ::OffsetRect(&rect, monitor.right - rect.right, 0);
    if (rect.left < monitor.left)
        ::OffsetRect(&rect, monitor.left - rect.left, 0);
    if (rect.bottom > monitor.bottom)
        ::OffsetRect(&rect, 0, -(rect.bottom - monitor.bottom + kBottomFlipGap));
    return rect;
}

void CxSkinToolTip::OnPaint() {
    CDC dc;
    if (!dc.BeginPaint(m_hWnd))
        return;
    if (!m_current || m_shownText.empty())
        return;
    RECT client;
    GetClientRect(&client);
    dc.FillSolidRect(client, OrSystem(m_current->m_backColor, COLOR_INFOBK));
    dc.SelectStockObject(BLACK_PEN);
    dc.SelectStockObject(NULL_BRUSH);
    dc.Rectangle(client);
    dc.SetTextColor(OrSystem(m_current->m_textColor, COLOR_INFOTEXT));
    dc.SetBkMode(TRANSPARENT);
    dc.SelectObject(m_textFont.For(m_shownText));
    RECT inner{client.left + m_margins.left, client.top + m_margins.top, client.right - m_margins.right,
               client.bottom - m_margins.bottom};
    dc.DrawText(m_shownText, &inner, m_format);
    if (!m_twoParts)
        return;
    // A small black triangle at the padded end points at the part a click brings up.
    TEXTMETRICW metrics{};
    dc.GetTextMetrics(&metrics);
    const int inset = std::max<int>(metrics.tmInternalLeading + metrics.tmExternalLeading, metrics.tmDescent);
    const SIZE padding = dc.GetTextExtent(kPartPadding);
    const int height = padding.cy & ~1;
    const int halfChar = metrics.tmAveCharWidth / 2;
    const int baseX = m_secondPart ? inner.left + padding.cx - halfChar : inner.right - padding.cx + halfChar;
    const int tipX = m_secondPart ? inner.left : inner.right;
    const POINT triangle[] = {
        {tipX, inner.top + height / 2}, {baseX, inner.top + inset}, {baseX, inner.top + height - inset}};
    dc.SelectStockObject(BLACK_BRUSH);
    ::Polygon(dc, triangle, 3);
}

void CxSkinToolTip::OnTipClicked() {
    if (!m_current || m_hidden)
        return;
    if (m_twoParts) {
        m_secondPart = !m_secondPart;
        BuildShownText();
        RECT window;
        GetWindowRect(&window);
        const RECT text = CalcTextRect(m_shownText, m_current->m_maxWidth);
        SetWindowPos(nullptr, window.left, window.top, text.right - text.left, text.bottom - text.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        Invalidate();
    }
    if (m_focusWnd && ::IsWindow(m_focusWnd))
        ::SetFocus(m_focusWnd);
}

LRESULT CxSkinToolTip::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kShowTimer)
            OnShowTimer();
        else if (wParam == kPollTimer)
            OnPollTimer();
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_LBUTTONDOWN:
        OnTipClicked();
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_SETFOCUS:
        m_focusWnd = reinterpret_cast<HWND>(wParam);
        return 0;
    case WM_SETFONT: {
        LOGFONTW font{};
        const bool read = wParam && ::GetObjectW(reinterpret_cast<HFONT>(wParam), sizeof(font), &font) ==
                                        static_cast<int>(sizeof(font));
        SetFont(read ? font : GetSystemStatusFont(), TRUE);
        return 0;
    }
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(m_font.GetSafeHandle());
    case WM_SETTINGCHANGE:
        if (m_systemFont)
            SetFont(GetSystemStatusFont(), TRUE);
        break;
    case WM_DESTROY:
        KillTimer(kShowTimer);
        KillTimer(kPollTimer);
        break;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
