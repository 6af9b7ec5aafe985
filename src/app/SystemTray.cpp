#include "app/SystemTray.h"

#include <algorithm>
#include <cwchar>

#include "app/HandlerFactory.h"
#include "app/HandlerServices.h"
#include "app/IHandler.h"
#include "app/OvercoatApp.h"
#include "app/OvercoatDlg.h"
#include "driver/IDriverInstance.h"
#include "markup/ILytController.h"
#include "skin/IxSkinMenuItem.h"
#include "skin/LayerWnd.h"
#include "skin/SkinDialog.h"
#include "skin/SkinMenu.h"

IMPLEMENT_DYNAMIC(CSystemTray, CWnd)

namespace {

constexpr wchar_t kPopupMarkup[] = L"SystemTrayLClick";
constexpr wchar_t kMenuMarkup[] = L"SystemTrayRClick";
constexpr wchar_t kTrayHandler[] = L"SystemTray";
constexpr wchar_t kAsioItem[] = L"ASIO";
// The pop-up keeps this far from the icon.
constexpr int kPopupGap = 2;

DWORD SystemMajorVersion() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return ::GetVersionExW(&info) ? info.dwMajorVersion : 0;
#pragma GCC diagnostic pop
}

int CentreOf(LONG a, LONG b) {
    return static_cast<int>((a + b) / 2);
}

} // namespace

static_assert(sizeof(NOTIFYICONDATAW) >= CSystemTray::kNotifyDataSize, "the shell record is too small");

CSystemTray::CSystemTray() {
    m_notifyIcon = [](DWORD message, NOTIFYICONDATAW* data) { return ::Shell_NotifyIconW(message, data); };
    m_measureIcon = [this](RECT* rect, int* edge) { return GetIconRect(rect, edge); };
    m_createHandler = [](const std::wstring& name) { return CreateHandler(name); };
}

CSystemTray::~CSystemTray() {
    RemoveIcon();
    // The window's WM_DESTROY takes the pop-ups down with it.
    if (IsWindow())
        DestroyWindow();
    DestroyMenu();
    DestroyPopup();
}

BOOL CSystemTray::Create(CWnd* parent, UINT callbackMessage, const std::wstring& tip, HICON icon, UINT id) {
    const DWORD major = m_systemMajorVersion ? m_systemMajorVersion : SystemMajorVersion();
    if (major < 4)
        return FALSE;
    if (!IsWindow() && !CreateEx(0, RegisterWndClass(0), L"", WS_POPUP, 0, 0, 10, 10, nullptr))
        return FALSE;
    const HWND parentHwnd = parent ? parent->GetSafeHwnd() : nullptr;
    if (parentHwnd)
        m_mainWindow = parentHwnd;

    m_data = NOTIFYICONDATAW{};
    m_data.cbSize = kNotifyDataSize;
    m_data.hWnd = parentHwnd ? parentHwnd : GetSafeHwnd();
    m_data.uID = id;
    m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_data.uCallbackMessage = callbackMessage;
    m_data.hIcon = icon;
    // A longer tip is cut to what the record holds.
    wcsncpy_s(m_data.szTip, tip.c_str(), _TRUNCATE);

    m_added = Notify(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP) ? 1 : 0;
    m_hidden = 0;
    return m_added;
}

BOOL CSystemTray::Notify(DWORD message, UINT flags) {
    m_data.uFlags = flags;
    return m_notifyIcon ? m_notifyIcon(message, &m_data) : FALSE;
}

void CSystemTray::HideIcon() {
    if (!m_added || m_hidden)
        return;
    Notify(NIM_DELETE, NIF_ICON);
    m_hidden = 1;
}

void CSystemTray::AddIcon() {
    if (!m_added || !m_hidden)
        return;
    // The shell may refuse (it is restarting, say): the icon then stays hidden, so a later show tries again.
    if (Notify(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP))
        m_hidden = 0;
}

void CSystemTray::RemoveIcon() {
    if (!m_added)
        return;
    if (!m_hidden)
        Notify(NIM_DELETE, NIF_ICON);
    m_added = 0;
    m_hidden = 0;
}

void CSystemTray::ModifyIcon(HICON icon) {
    if (!m_added)
        return;
    m_data.hIcon = icon;
    if (!m_hidden)
        Notify(NIM_MODIFY, NIF_ICON);
}

void CSystemTray::RefreshPopup() {
    if (!m_popup)
        return;
    if (auto* handler = dynamic_cast<IHandler*>(m_popup->GetListener()))
        handler->InitControls();
}

void CSystemTray::NotifyOwner() {
    if (IsWindow())
        PostMessage(kMsgClosePopups);
}

IHandlerServices& CSystemTray::Services() const {
    return m_services ? *m_services : AppHandlerServices();
}

IHandler* CSystemTray::MakeHandler() const {
    return m_createHandler ? m_createHandler(kTrayHandler) : nullptr;
}

CWnd* CSystemTray::MainWindow() const {
    // The main window may go before the tray: only a live window is acted on.
    return m_mainWindow && ::IsWindow(m_mainWindow) ? CWnd::FromHandlePermanent(m_mainWindow) : nullptr;
}

LRESULT CSystemTray::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != 0 && message == m_data.uCallbackMessage)
        return OnTrayNotification(wParam, lParam);
    switch (message) {
    case kMsgClosePopups:
        DestroyPopupWindows();
        return 0;
    case WM_TIMER:
        if (wParam == kClickTimer) {
            OnClickTimer();
            return 0;
        }
        break;
    case WM_DESTROY:
        DestroyMenu();
        DestroyPopup();
        break;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CSystemTray::OnTrayNotification(WPARAM wParam, LPARAM lParam) {
    if (wParam != m_data.uID)
        return 0;
    if (m_inNotice)
        return 1;
    m_inNotice = 1;
    switch (static_cast<UINT>(lParam)) {
    case WM_LBUTTONDOWN:
        m_leftDown = 1;
        break;
    case WM_LBUTTONUP:
        if (m_leftDown) {
            m_leftDown = 0;
            if (!MeasureIcon()) {
                // The usual case under Wine and on newer taskbars: the click landed under the cursor, as
                // the menu assumes too.
                const POINT cursor = CursorPos();
                m_iconRect = {cursor.x, cursor.y, cursor.x + 1, cursor.y + 1};
            }
            m_clickTimer = SetTimer(kClickTimer, kClickDelayMs);
        }
        break;
    case WM_LBUTTONDBLCLK:
        if (m_clickTimer) {
            KillTimer(kClickTimer);
            m_clickTimer = 0;
        }
        if (CWnd* main = MainWindow()) {
            main->SendMessage(WM_COMMAND, ID_MAIN_SHOW, 0);
            // The command may have closed the program.
            if (::IsWindow(m_mainWindow))
                ::SetForegroundWindow(m_mainWindow);
        }
        break;
    case WM_RBUTTONDOWN:
        if (m_clickTimer) {
            KillTimer(kClickTimer);
            m_clickTimer = 0;
        }
        break;
    case WM_RBUTTONUP:
        OpenMenu();
        break;
    default:
        break;
    }
    m_inNotice = 0;
    return 0;
}

BOOL CSystemTray::MeasureIcon() {
    RECT rect{};
    int edge = m_edge;
    if (!m_measureIcon || !m_measureIcon(&rect, &edge))
        return FALSE;
    m_iconRect = rect;
    m_edge = edge;
    return TRUE;
}

// ---- The left-click pop-up ----

void CSystemTray::OnClickTimer() {
    KillTimer(kClickTimer);
    m_clickTimer = 0;
    DestroyPopup();
    OpenPopup();
}

void CSystemTray::OpenPopup() {
    CWnd* main = MainWindow();
    auto popup = std::make_unique<CxSkinDialog>(CDialog::IDD_POPUP, main);
    IHandler* handler = MakeHandler();
    if (handler) {
        handler->SetWindow(popup.get());
        popup->SetListener(handler);
    }
    popup->SetDestroyLayersAfterWindow(TRUE);
    popup->SetDraggable(FALSE);
    if (!popup->Create(CDialog::IDD_POPUP, main))
        return;
    m_popup = popup.release();

    ILytController* controller = Services().GetLytController();
    const std::wstring path = Services().GetSkinFolder() + kPopupMarkup + L".lyt";
    if (!controller || !controller->Load(path.c_str(), m_popup, nullptr)) {
        DestroyPopup();
        return;
    }
    if (handler)
        handler->InitControls();
    PlacePopup();
}

void CSystemTray::PlacePopup() {
    RECT window{};
    m_popup->CWnd::GetWindowRect(&window);
    const RECT& icon = m_iconRect;
    const int dx = CentreOf(icon.left, icon.right) - CentreOf(window.left, window.right);
    ::OffsetRect(&window, dx, 0);
    if (m_edge == kEdgeTop)
        ::OffsetRect(&window, 0, icon.bottom + kPopupGap - window.top);
    else
        ::OffsetRect(&window, 0, icon.top - kPopupGap - window.bottom);
    // Inside the work area of the icon's screen on both axes, a pixel in from its sides.
    RECT work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (::GetMonitorInfoW(::MonitorFromRect(&icon, MONITOR_DEFAULTTONEAREST), &monitor))
        work = monitor.rcWork;
    if (window.left < work.left)
        ::OffsetRect(&window, work.left + 1 - window.left, 0);
    else if (window.right > work.right)
        ::OffsetRect(&window, work.right - 1 - window.right, 0);
    if (window.top < work.top)
        ::OffsetRect(&window, 0, work.top - window.top);
    else if (window.bottom > work.bottom)
        ::OffsetRect(&window, 0, work.bottom - window.bottom);
    m_popup->CWnd::MoveWindow(window, FALSE);
    m_popup->CWnd::ShowWindow(SW_SHOW);
    // A layered window shows only what its back buffer holds: the whole tree is drawn once it is in place.
    m_popup->CLayerWnd::Invalidate(TRUE);
}

void CSystemTray::DestroyPopup() {
    CxSkinDialog* popup = m_popup;
    m_popup = nullptr;
    if (!popup)
        return;
    if (popup->IsWindow())
        popup->DestroyWindow();
    delete popup;
}

// ---- The right-click menu ----

void CSystemTray::OpenMenu() {
    DestroyMenu();
    CWnd* main = MainWindow();
    auto menu = std::make_unique<CxSkinMenu>(CDialog::IDD_POPUP, main);
    IHandler* handler = MakeHandler();
    if (handler) {
        handler->SetWindow(dynamic_cast<CLayerWnd*>(main));
        menu->SetListener(handler);
    }
    menu->SetDestroyLayersAfterWindow(TRUE);
    if (!menu->Create(CDialog::IDD_POPUP, main))
        return;
    m_menu = menu.release();

    ILytController* controller = Services().GetLytController();
    const std::wstring path = Services().GetSkinFolder() + kMenuMarkup + L".lyt";
    if (!controller || !controller->Load(path.c_str(), m_menu, nullptr)) {
        DestroyMenu();
        return;
    }
    IDriverInstance* driver = Services().GetDriver();
    if (!driver || driver->DefaultRenderHasFeature2() == 0) {
        for (int index = 0; index < m_menu->GetItemCount(); ++index) {
            IxSkinMenuItem* item = m_menu->GetItem(index);
            if (item && item->GetName() == kAsioItem) {
                m_menu->RemoveItem(index);
                break;
            }
        }
    }
    TrackMenu();
}

POINT CSystemTray::CursorPos() const {
    if (m_cursorPos)
        return m_cursorPos();
    POINT cursor{};
    ::GetCursorPos(&cursor);
    return cursor;
}

void CSystemTray::TrackMenu() {
    if (!MeasureIcon()) {
        const POINT cursor = CursorPos();
        m_menu->TrackPopup(cursor.x, cursor.y);
        return;
    }
    const int x = CentreOf(m_iconRect.left, m_iconRect.right);
    if (m_edge == kEdgeTop) {
        m_menu->SetTrackingAlign(kMenuAlignBelow);
        m_menu->TrackPopup(x, m_iconRect.bottom);
    } else {
        m_menu->SetTrackingAlign(kMenuAlignTop);
        m_menu->TrackPopup(x, m_iconRect.top);
    }
}

void CSystemTray::DestroyMenu() {
    CxSkinMenu* menu = m_menu;
    m_menu = nullptr;
    if (!menu)
        return;
    if (menu->IsWindow())
        menu->DestroyWindow();
    delete menu;
}

void CSystemTray::DestroyPopupWindows() {
    // A bare WM_DESTROY would leave the windows on screen: the pop-ups are closed for real.
    DestroyMenu();
    DestroyPopup();
}

// ---- The program's tray ----

std::unique_ptr<IMainTray> MakeSystemTray(COvercoatDlg& owner, const std::wstring& tip, UINT message, HICON icon) {
    auto tray = std::make_unique<CSystemTray>();
    tray->m_appTitle = theApp.GetTitle();
    // The main dialog does not pass the icon's notices on, so the tray's own window hears them.
    tray->SetMainWindow(&owner);
    tray->Create(nullptr, message, tip, icon, COvercoatDlg::kTrayMenuId);
    return tray;
}
