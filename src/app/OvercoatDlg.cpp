#include "app/OvercoatDlg.h"

#include <dbt.h>
#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "app/AppSettings.h"
#include "app/HandlerFactory.h"
#include "app/HandlerServices.h"
#include "app/IHandler.h"
#include "app/IMainHandler.h"
#include "app/OvercoatApp.h"
#include "app/PromptDialogs.h"
#include "app/WindowProbe.h"
#include "app/SystemTray.h"
#include "driver/HidReportVariable.h"
#include "driver/IDriverInstance.h"
#include "markup/ILytController.h"
#include "markup/LytController.h"

IMPLEMENT_DYNAMIC(COvercoatDlg, CUIDialog)

std::atomic<bool> COvercoatDlg::s_closing{false};
std::atomic<bool> COvercoatDlg::s_pollPending{false};
std::atomic<COvercoatDlg*> COvercoatDlg::s_mainDialog{nullptr};
oc::driver::HidReportFunction COvercoatDlg::s_hidReport = nullptr;
std::recursive_mutex COvercoatDlg::s_callbackLock;

namespace {

constexpr int kProgramIcon = 128;
constexpr int kFarEdge = 10000;
constexpr UINT kTrayClosePopups = 1136;
// The shell's notice of an application going full screen (ABN_FULLSCREENAPP).
constexpr WPARAM kAppBarFullScreen = 2;
// KSCATEGORY_AUDIO: the device interfaces whose arrival and removal matter here.
constexpr GUID kAudioInterfaceClass = {0x6994AD04, 0x93EF, 0x11D0, {0xA3, 0xCC, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

HICON LoadProgramIcon() {
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIcon), IMAGE_ICON, 0,
                                           0, LR_DEFAULTSIZE | LR_SHARED));
}

bool IsAudioInterface(LPARAM data) {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (!header || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE)
        return false;
    const auto* device = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    return ::IsEqualGUID(device->dbcc_classguid, kAudioInterfaceClass) != FALSE;
}

// The driver library's flags word, for events outside the numbered ones: which message it becomes.
struct FlagRoute {
    uint32_t flags;
    UINT message;
};
constexpr FlagRoute kFlagRoutes[] = {
    {0, WM_EFFECT_CHANGED_0},     {1, WM_DEVICE_ARRIVED},       {16, WM_DEVICE_ARRIVED},
    {2, WM_DEVICE_REMOVED},       {4, WM_DEVICE_REMOVED},       {8, WM_DEVICE_REMOVED},
    {32, WM_DEVICE_REMOVED},      {64, WM_REFRESH_DEVICE_LIST}, {128, WM_EFFECT_CHANGED_128},
    {256, WM_EFFECT_CHANGED_256}, {512, WM_EFFECT_CHANGED_512}, {1024, WM_EFFECT_CHANGED_1024},
};

// The effect messages and the driver notice flags each hands the main window's handler.
struct EffectRoute {
    UINT message;
    uint32_t flags;
};
// The notice that comes with a pending poll.
constexpr uint32_t kPollingFlags = 128;
constexpr EffectRoute kEffectRoutes[] = {
    {WM_EFFECT_CHANGED_128, 128}, {WM_EFFECT_CHANGED_512, 512}, {WM_EFFECT_CHANGED_1024, 1024},
    {WM_EFFECT_CHANGED_256, 256}, {WM_EFFECT_CHANGED_0, 0},
};

// The start switches in the order they are applied.
constexpr unsigned kStartFlagOrder[] = {kSwitchRunsNoDevice, kSwitchHidden, kSwitchUninstall, kSwitchReinit,
                                        kSwitchQuit};

// What the main window reaches through the application object it runs for.
class CAppDialogServices : public IHandlerServices {
public:
    explicit CAppDialogServices(COvercoatApp& app) : m_app(app) {}
    IDriverInstance* GetDriver() override { return m_app.GetDriver(); }
    ILytController* GetLytController() override { return m_app.GetLytController(); }
    std::wstring GetSkinFolder() override { return m_app.GetSkinFolder(); }
    std::wstring GetLanguageText(const std::wstring& key) override { return m_app.GetLanguageText(key); }
    std::wstring FindLanguageKey(const std::wstring& text) override { return m_app.FindLanguageKey(text); }
    std::wstring TranslateText(const std::wstring& text) override { return m_app.TranslateText(text); }
    int GetUITransparent() override { return m_app.GetSettings() ? m_app.GetSettings()->m_nUITransparent : 1; }

private:
    COvercoatApp& m_app;
};

} // namespace

void COvercoatDlg::RunProgramMainWindow(COvercoatApp& app) {
    CAppDialogServices services(app);
    COvercoatDlg dialog(app, services, app.GetSettings());
    dialog.m_makeTray = &MakeSystemTray;
    dialog.m_runWelcome = &RunWelcomeDialog;
    if (CWindowProbe::IsEnabled())
        CxSkinDialog::SetCopyDataHandler(&CWindowProbe::Answer);
    app.m_pMainWnd = &dialog;
    dialog.DoModal();
    app.m_pMainWnd = nullptr;
}

COvercoatDlg::COvercoatDlg(COvercoatApp& app, IHandlerServices& services, CAppSettings* settings, CWnd* parent)
    : CUIDialog(IDD_MAIN, parent), m_app(app), m_services(services), m_settings(settings) {
    m_icon = LoadProgramIcon();
    const std::wstring trayIconPath = m_services.GetSkinFolder() + L"Main\\SystemTray.ico";
    m_trayIcon = static_cast<HICON>(
        ::LoadImageW(nullptr, trayIconPath.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
    m_ownsTrayIcon = m_trayIcon != nullptr;
    if (!m_trayIcon)
        m_trayIcon = m_icon;
    m_trayMessage = ::RegisterWindowMessageW(L"Overcoat tray notification");
    m_firstShow = m_settings ? m_settings->m_nWelcomeMsg : 1;
    m_createHandler = [](const std::wstring& name) { return CreateHandler(name); };
    m_legacyNotices = !m_app.IsVistaOrLater();
    // The settings dialog's tray switch reaches the icon through this window while it lives.
    if (m_settings)
        m_settings->m_pTrayHost = this;
    // A new main window is a new run of the program: events reach it again.
    s_closing = false;
    s_pollPending = false;
}

COvercoatDlg::~COvercoatDlg() {
    {
        // Waits for a callback still using this dialog; later ones find none.
        std::lock_guard withdraw(s_callbackLock);
        COvercoatDlg* self = this;
        s_mainDialog.compare_exchange_strong(self, nullptr);
        oc::driver::StoreReportFunction(&s_hidReport, nullptr);
    }
    if (m_settings && m_settings->m_pTrayHost == this)
        m_settings->m_pTrayHost = nullptr;
    m_tray.reset();
    if (m_ownsTrayIcon)
        ::DestroyIcon(m_trayIcon);
}

IDriverInstance* COvercoatDlg::Driver() const {
    return m_services.GetDriver();
}

int COvercoatDlg::SystemTraySetting() const {
    return m_settings ? m_settings->m_nSystemTray : 1;
}

int COvercoatDlg::TransparencySetting() const {
    return m_settings ? m_settings->m_nUITransparent : 1;
}

IMainDialogHandler* COvercoatDlg::GetMainDialogHandler() const {
    return dynamic_cast<IMainDialogHandler*>(GetListener());
}

BOOL COvercoatDlg::OnInitDialog() {
    // The main window has no markup path of its own: nothing is loaded here.
    CUIDialog::OnInitDialog();
    SetName(L"MainWindow");

    if (HDC screen = ::GetDC(nullptr)) {
        m_app.m_nScreenDpi = ::GetDeviceCaps(screen, LOGPIXELSX);
        ::ReleaseDC(nullptr, screen);
    }
    const HWND hwnd = GetSafeHwnd();
    ::SetWindowLongPtrW(hwnd, GWL_STYLE, ::GetWindowLongPtrW(hwnd, GWL_STYLE) | WS_MINIMIZEBOX | WS_SYSMENU);
    ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    SetTransparency(TransparencySetting(), FALSE);

    if (m_legacyNotices) {
        OpenMixer();
        RegisterDeviceNotices();
        m_winmmMessage = ::RegisterWindowMessageW(L"winmm_devicechange");
    }

    // From here on the library threads may post to this window.
    s_mainDialog = this;
    if (IDriverInstance* driver = Driver()) {
        driver->RegisterCallback(&OnDriverEvent);
        driver->BuildDeviceList();
        driver->StartHidDevice(&OnHidButtonCallback, &s_hidReport);
        driver->ApplyEffectDefaults();
    }

    if (InitMainWindow()) {
        m_timer = ::SetTimer(hwnd, kPollTimer, kPollPeriodMs, nullptr);
        if (m_app.GetSwitches() == 0) {
            m_trayAfterShow = true;
        } else {
            // A start switch may hide the window to the tray at once: the icon must be there first.
            if (SystemTraySetting())
                CreateTray(TRUE);
            ApplyStartFlags(m_app.GetSwitches());
        }
    }
    if (IDriverInstance* driver = Driver())
        driver->RestoreListening();

    // An application bar is told when another application goes full screen.
    APPBARDATA appBar{};
    appBar.cbSize = sizeof(appBar);
    appBar.hWnd = hwnd;
    appBar.uCallbackMessage = WM_APPBAR_NOTIFY;
    m_appBarRegistered = ::SHAppBarMessage(ABM_NEW, &appBar) != 0;
    return TRUE;
}

// The handler, the markup and the first reads; FALSE (with the quit command posted) when the markup failed.
BOOL COvercoatDlg::InitMainWindow() {
    if (IHandler* handler = m_createHandler ? m_createHandler(L"MainWindow") : nullptr) {
        handler->SetWindow(this);
        SetListener(handler);
    }
    ILytController* controller = m_services.GetLytController();
    const std::wstring path = m_services.GetSkinFolder() + L"MainWindow.lyt";
    if (!controller || !controller->Load(path.c_str(), this, nullptr)) {
        // Without the style dictionary no markup loads: name the file that is really at fault.
        const auto* own = dynamic_cast<const CLytController*>(controller);
        m_app.ReportSkinFileFailure(own && !own->IsReady()
                                        ? m_app.GetSkinFilePath(CLytController::kDesignDictionary)
                                        : path);
        PostMessage(WM_COMMAND, ID_MAIN_QUIT, 0);
        return FALSE;
    }
    // Finding the running instance looks for this caption: it comes from the program, never from the skin.
    SetWindowText(m_app.GetTitle());
    // The markup may carry its own transparency; the user's setting wins.
    if (GetTransparency() != TransparencySetting())
        SetTransparency(TransparencySetting(), FALSE);

    if (m_app.GetSwitches() & (kSwitchHidden | kSwitchRunsNoDevice))
        return TRUE;
    if (IHandler* handler = GetHandler())
        handler->InitControls();
    Invalidate(FALSE);
    IDriverInstance* driver = Driver();
    if (driver && driver->EnumerateDevices() > driver->GetDeviceCount()) {
        driver->BuildDeviceList();
        if (IMainDialogHandler* main = GetMainDialogHandler())
            main->RefreshAfterDeviceChange(0);
    }
    if (m_firstShow) {
        m_firstShow = FALSE;
        PostMessage(WM_COMMAND, ID_MAIN_WELCOME, 0);
    }
    return TRUE;
}

void COvercoatDlg::RemoveChildDialog(CUIDialog* dialog) {
    const auto found = std::find(m_childDialogs.begin(), m_childDialogs.end(), dialog);
    if (found != m_childDialogs.end())
        m_childDialogs.erase(found);
}

BOOL COvercoatDlg::IsChildDialogOpen(const std::wstring& name) const {
    return std::any_of(m_childDialogs.begin(), m_childDialogs.end(),
                       [&](const CUIDialog* dialog) { return dialog->GetName() == name; });
}

void COvercoatDlg::CloseChildDialogs() {
    // A closing dialog removes itself from the stack: work on a copy, top first.
    const std::vector<CUIDialog*> open = m_childDialogs;
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        if (IHandler* handler = (*it)->GetHandler())
            handler->OnDeactivate();
        (*it)->SendMessage(WM_COMMAND, IDCANCEL, 0);
    }
    m_childDialogs.clear();
}

void COvercoatDlg::CreateTray(BOOL on) {
    if (!on) {
        if (m_tray)
            m_tray->HideIcon();
        return;
    }
    if (!m_tray && m_makeTray) {
        std::wstring tip = m_services.GetLanguageText(L"ml_Main_TrayMenu_SystemTray");
        if (tip.empty())
            tip = m_app.GetTitle();
        m_tray = m_makeTray(*this, tip, m_trayMessage, m_trayIcon);
    }
    if (m_tray)
        m_tray->ShowIcon();
}

bool COvercoatDlg::IsMainWindowVisible() {
    return ::IsWindowVisible(GetSafeHwnd()) != FALSE;
}

void COvercoatDlg::RestoreMainWindow() {
    OnCommand(ID_MAIN_SHOW, 0);
}

void COvercoatDlg::PostUnique(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND hwnd = GetSafeHwnd();
    if (!hwnd)
        return;
    // Only the window's own thread can take messages off its queue; elsewhere a queued copy absorbs it.
    if (::GetWindowThreadProcessId(hwnd, nullptr) == ::GetCurrentThreadId()) {
        MSG queued;
        while (::PeekMessageW(&queued, hwnd, message, message, PM_REMOVE | PM_NOYIELD)) {
        }
        m_pending.Claim(message);
    } else if (!m_pending.Claim(message)) {
        return;
    }
    if (!::PostMessageW(hwnd, message, wParam, lParam))
        m_pending.Release(message);
}

void COvercoatDlg::PostFolded(UINT message, WPARAM wParam, UINT carrier) {
    if (!m_pending.Claim(message))
        return;
    // The carrier (WM_DEFERRED_POST) has the window's thread post the message itself.
    const bool posted = carrier ? ::PostMessageW(GetSafeHwnd(), carrier, message, 0)
                                : ::PostMessageW(GetSafeHwnd(), message, wParam, 0);
    if (!posted)
        m_pending.Release(message);
}

void COvercoatDlg::ApplyStartFlags(unsigned bits) {
    for (unsigned bit : kStartFlagOrder) {
        if (bits & bit)
            ApplyStartSwitch(bit);
    }
}

void COvercoatDlg::ApplyStartSwitch(unsigned bit) {
    switch (bit) {
    case kSwitchRunsNoDevice:
        PostMessage(WM_COMMAND, ID_MAIN_HIDE, 0);
        CreateTray(FALSE);
        break;
    case kSwitchHidden:
        if (SystemTraySetting()) {
            m_hidden = TRUE;
            PostMessage(WM_COMMAND, ID_MAIN_HIDE, 0);
        } else {
            Invalidate(FALSE);
            PostMessage(WM_COMMAND, ID_MAIN_MINIMIZE, 0);
        }
        break;
    case kSwitchUninstall:
        m_app.RemoveDataFiles();
        break;
    case kSwitchReinit:
        if (IMainDialogHandler* main = GetMainDialogHandler())
            main->ResetToFactoryDefault();
        break;
    case kSwitchQuit:
        PostMessage(WM_COMMAND, ID_MAIN_CLOSE_PROGRAM, 0);
        break;
    default:
        break;
    }
}

void COvercoatDlg::HideMainWindow() {
    CloseChildDialogs();
    const HWND active = ::GetActiveWindow();
    if (active && active != GetSafeHwnd() && ::GetParent(active) == GetSafeHwnd())
        ::ShowWindow(active, SW_HIDE);
    ShowWindow(SW_HIDE);
    m_hidden = FALSE;
}

void COvercoatDlg::Quit() {
    ::KillTimer(GetSafeHwnd(), kPollTimer);
    ::KillTimer(GetSafeHwnd(), kArrivalTimer);
    m_arrivalPending = false;
    m_timer = 0;
    if (s_closing.exchange(true))
        return;
    // The tray repaints so that an icon whose program is gone does not linger.
    if (HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr)) {
        if (HWND notify = ::FindWindowExW(taskbar, nullptr, L"TrayNotifyWnd", nullptr))
            ::InvalidateRect(notify, nullptr, TRUE);
    }
    m_tray.reset();
    DestroyWindow();
}

BOOL COvercoatDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    IMainDialogHandler* main = GetMainDialogHandler();
    switch (LOWORD(wParam)) {
    case ID_MAIN_HIDE:
        HideMainWindow();
        return TRUE;
    case ID_MAIN_MINIMIZE:
        if (m_childDialogs.empty())
            ShowWindow(SW_MINIMIZE);
        return TRUE;
    case ID_MAIN_WELCOME:
        if (!IsChildDialogOpen(L"Dialog_WelcomeMsg")) {
            CloseChildDialogs();
            if (m_runWelcome)
                m_runWelcome(*this);
        }
        return TRUE;
    case ID_MAIN_SHOW:
        if (!m_hidden) {
            if (main)
                main->RefreshAfterDeviceChange(0);
            ShowWindow(SW_RESTORE);
            if (m_firstShow) {
                m_firstShow = FALSE;
                PostMessage(WM_COMMAND, ID_MAIN_WELCOME, 0);
            }
        }
        return TRUE;
    case ID_MAIN_CLOSE_PROGRAM:
        CloseChildDialogs();
        PostMessage(WM_COMMAND, ID_MAIN_QUIT, 0);
        return TRUE;
    case ID_MAIN_SETTINGS:
        if (IsChildDialogOpen(L"Dialog_AppSetting"))
            return TRUE;
        if (!m_childDialogs.empty()) {
            CloseChildDialogs();
            PostMessage(WM_COMMAND, ID_MAIN_SETTINGS, 0);
        } else if (auto* services = dynamic_cast<IMainHandler*>(GetListener())) {
            services->ShowAppSettingDialog();
        }
        return TRUE;
    case ID_MAIN_QUIT:
        Quit();
        return TRUE;
    case IDCANCEL:
        if (SystemTraySetting())
            HideMainWindow();
        else
            Quit();
        return TRUE;
    default:
        return CUIDialog::OnCommand(wParam, lParam);
    }
}

void COvercoatDlg::OnPollTimer() {
    if (!s_pollPending.exchange(false)) {
        // Nothing to apply: the timer rests until the next change notice wakes it.
        ::KillTimer(GetSafeHwnd(), kPollTimer);
        m_timer = 0;
        return;
    }
    IMainDialogHandler* main = GetMainDialogHandler();
    if (!main)
        return;
    ChangedState state;
    if (main->CollectChangedState(state))
        main->OnEffectNotify(state);
}

void COvercoatDlg::OnVolumeChanged() {
    if (IMainDialogHandler* main = GetMainDialogHandler())
        main->OnVolumeChanged();
    if (m_tray)
        m_tray->RefreshPopup();
}

void COvercoatDlg::OnActivationMessage(WPARAM bits) {
    if (bits >= 1 && bits <= 16) {
        m_app.SetSwitches(static_cast<unsigned>(bits));
        ApplyStartFlags(static_cast<unsigned>(bits));
        return;
    }
    IDriverInstance* driver = Driver();
    if (!driver || driver->CountKind1Devices() < 1) {
        const bool jackEmpty = driver && driver->HasOnlyPartlySupportedDevice();
        m_app.ShowDeviceMessage(jackEmpty ? DeviceCheck::JackEmpty : DeviceCheck::Missing);
        return;
    }
    OnCommand(ID_MAIN_SHOW, 0);
    const HWND hwnd = GetSafeHwnd();
    ::SetForegroundWindow(hwnd);
    // Raised above everything once, without staying topmost.
    ::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void COvercoatDlg::RestoreDisplay() {
    const std::vector<CUIDialog*> open = m_childDialogs;
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        (*it)->ShowDialog();
    ShowDialog();
}

BOOL COvercoatDlg::OnDeviceChangeNotice(WPARAM event, LPARAM data) {
    if (!IsAudioInterface(data))
        return FALSE;
    if (event == DBT_DEVICEARRIVAL) {
        if (m_legacyNotices)
            OpenMixer();
        PostUnique(WM_DEVICE_ARRIVED);
    } else if (event == DBT_DEVICEREMOVECOMPLETE)
        PostUnique(WM_DEVICE_REMOVED);
    return TRUE;
}

void COvercoatDlg::OpenMixer() {
    CloseMixer();
    m_mixerCount = ::mixerGetNumDevs();
    if (m_mixerCount == 0)
        return;
    if (::mixerOpen(&m_mixer, 0, reinterpret_cast<DWORD_PTR>(GetSafeHwnd()), 0, CALLBACK_WINDOW) != MMSYSERR_NOERROR) {
        m_mixer = nullptr;
        return;
    }
    ::mixerGetDevCapsW(reinterpret_cast<UINT_PTR>(m_mixer), &m_mixerCaps, sizeof(m_mixerCaps));
}

void COvercoatDlg::CloseMixer() {
    if (m_mixer)
        ::mixerClose(m_mixer);
    m_mixer = nullptr;
}

void COvercoatDlg::RegisterDeviceNotices() {
    if (m_deviceNotify)
        ::UnregisterDeviceNotification(m_deviceNotify);
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kAudioInterfaceClass;
    m_deviceNotify = ::RegisterDeviceNotificationW(GetSafeHwnd(), &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!m_deviceNotify && m_app.m_showPlainMessage) {
        wchar_t text[96];
        swprintf(text, 96, L"RegisterDeviceNotification failed: %d\n", static_cast<int>(::GetLastError()));
        m_app.m_showPlainMessage(text, L"Registration");
    }
}

// A mixer notice: the mute or the volume, else whichever of the gain, boost and hardware equaliser pages is
// shown re-reads itself.
void COvercoatDlg::OnMixerNotice() {
    IMainDialogHandler* main = GetMainDialogHandler();
    if (!main)
        return;
    if (main->UpdateVolHandler()) {
        main->OnVolumeChanged();
        if (m_tray)
            m_tray->RefreshPopup();
        return;
    }
    for (const wchar_t* page : {L"AGC", L"Boost", L"HWEQ"}) {
        if (main->IsCurrentContent(page))
            break;
    }
}

void COvercoatDlg::NotifyHandler(uint32_t flags) {
    if (IHandler* handler = GetHandler())
        handler->OnDriverNotify(0, flags);
}

void COvercoatDlg::PaintMinimized() {
    PAINTSTRUCT paint;
    const HWND hwnd = GetSafeHwnd();
    HDC dc = ::BeginPaint(hwnd, &paint);
    ::SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(hwnd, &client);
    const int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_icon);
    ::EndPaint(hwnd, &paint);
}

LRESULT COvercoatDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == m_app.GetActivationMessage() && message != 0) {
        OnActivationMessage(wParam);
        return 0;
    }
    if (message == m_winmmMessage && message != 0) {
        PostUnique(WM_REFRESH_DEVICE_LIST);
        return 0;
    }
    // Handling starts: a request from now on posts again.
    m_pending.Release(message);
    IMainDialogHandler* main = GetMainDialogHandler();
    for (const EffectRoute& route : kEffectRoutes) {
        if (message == route.message) {
            // The library marks a poll pending before it posts this notice: a resting timer wakes for it.
            if (route.flags == kPollingFlags && !m_timer)
                m_timer = ::SetTimer(GetSafeHwnd(), kPollTimer, kPollPeriodMs, nullptr);
            NotifyHandler(route.flags);
            return 0;
        }
    }
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE && !m_childDialogs.empty()) {
            CUIDialog* top = m_childDialogs.back();
            if (IHandler* handler = top->GetHandler())
                handler->OnDeactivate();
            top->SendMessage(WM_COMMAND, IDCANCEL, 0);
            return 0;
        }
        break;
    case WM_PAINT:
        if (::IsIconic(GetSafeHwnd())) {
            PaintMinimized();
            return 0;
        }
        break;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(m_icon);
    case WM_WINDOWPOSCHANGED:
        // The tray icon follows the window's first show, so the icon never comes before the window.
        if (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) {
            if (std::exchange(m_trayAfterShow, false) && SystemTraySetting())
                CreateTray(TRUE);
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            ResetMouseState();
        break;
    case WM_DESTROY:
        if (IHandler* handler = GetHandler())
            handler->OnDeactivate();
        if (m_appBarRegistered) {
            APPBARDATA appBar{};
            appBar.cbSize = sizeof(appBar);
            appBar.hWnd = GetSafeHwnd();
            ::SHAppBarMessage(ABM_REMOVE, &appBar);
            m_appBarRegistered = false;
        }
        ::KillTimer(GetSafeHwnd(), kPollTimer);
        CloseMixer();
        if (m_deviceNotify) {
            ::UnregisterDeviceNotification(m_deviceNotify);
            m_deviceNotify = nullptr;
        }
        break;
    case MM_MIXM_LINE_CHANGE:
    case MM_MIXM_CONTROL_CHANGE:
        if (m_legacyNotices) {
            OnMixerNotice();
            return 0;
        }
        break;
    case WM_TIMER:
        if (wParam == kPollTimer) {
            OnPollTimer();
            return 0;
        }
        if (wParam == kArrivalTimer) {
            ::KillTimer(GetSafeHwnd(), kArrivalTimer);
            m_arrivalPending = false;
            RunDeviceArrival();
            return 0;
        }
        break;
    case WM_MOVE: {
        const int left = static_cast<short>(LOWORD(lParam));
        const int top = static_cast<short>(HIWORD(lParam));
        if (left > kFarEdge || left < -kFarEdge || top > kFarEdge || top < -kFarEdge) {
            if (main)
                main->RefreshDeviceIcons();
            if (m_tray)
                m_tray->ClosePopups();
        }
        break;
    }
    case WM_QUERYENDSESSION:
        if (m_settings)
            m_settings->Save();
        break;
    case WM_DISPLAYCHANGE:
        if (!m_fullScreen)
            PostMessage(WM_RESTORE_DISPLAY, 0, 0);
        break;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMRESUMESUSPEND) {
            if (IDriverInstance* driver = Driver())
                driver->RefreshHidButtons();
        }
        break;
    case WM_DEVICECHANGE:
        OnDeviceChangeNotice(wParam, lParam);
        break;
    case WM_DEFERRED_POST:
        if (wParam != 0)
            PostUnique(static_cast<UINT>(wParam));
        return 0;
    case WM_SHOW_SETTING_CONTENT:
        if (main)
            main->ShowSettingContent(static_cast<int32_t>(wParam));
        return 0;
    case WM_DEVICE_REMOVED:
        OnDeviceChange(0);
        return 0;
    case WM_DEVICE_ARRIVED:
        ScheduleDeviceArrival();
        return 0;
    case WM_REFRESH_DEVICE_LIST:
        if (main)
            main->RefreshDeviceList();
        return 0;
    case WM_VOLUME_CHANGED:
        OnVolumeChanged();
        return 0;
    case WM_SOUND_PLAY_STEP:
        if (main)
            main->OnSoundPlayStep();
        return 0;
    case WM_RESTORE_DISPLAY:
        RestoreDisplay();
        return 0;
    case WM_CHOOSE_SURROUND_CONTENT:
        if (main)
            main->ChooseSurroundContent(static_cast<int32_t>(wParam));
        return 0;
    case WM_REFRESH_BOOST_PAGE:
    case WM_REFRESH_AGC_PAGE:
        if (main)
            main->IsCurrentContent(message == WM_REFRESH_BOOST_PAGE ? L"Boost" : L"AGC");
        return 0;
    case WM_HID_BUTTON_TOGGLED:
        OnHidButtonsToggled();
        return 0;
    case WM_APPBAR_NOTIFY:
        if (wParam == kAppBarFullScreen) {
            if (lParam) {
                m_fullScreen = TRUE;
            } else if (m_fullScreen) {
                m_fullScreen = FALSE;
                PostMessage(WM_RESTORE_DISPLAY, 0, 0);
            }
        }
        return 0;
    default:
        break;
    }
    return CUIDialog::WindowProc(message, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------------------
// The library threads' side: they only post to the window, except where the main window's handler must
// answer at once.

void COvercoatDlg::OnDriverEvent(int32_t event, uint32_t flags, const oc::driver::DeviceKey*) {
    if (s_closing)
        return;
    std::lock_guard inUse(s_callbackLock);
    COvercoatDlg* dialog = s_mainDialog;
    if (!dialog)
        return;
    switch (event) {
    case 0:
    case 1:
    case 2:
        // Posted by the window's own thread, the only one that can take queued copies away.
        dialog->PostFolded(WM_VOLUME_CHANGED, 0, WM_DEFERRED_POST);
        return;
    case 5:
    case 14:
        // The page's controls belong to the window's thread: the re-read is posted there, folded like the
        // volume notices.
        dialog->PostFolded(event == 5 ? WM_REFRESH_BOOST_PAGE : WM_REFRESH_AGC_PAGE, 0, WM_DEFERRED_POST);
        return;
    case 8:
        dialog->PostUnique(WM_SOUND_PLAY_STEP);
        return;
    case 12:
    case 13:
        // Pending before the notice is posted, so the notice always finds the poll it must wake the timer for.
        SetPollPending();
        dialog->PostUnique(WM_EFFECT_CHANGED_128);
        return;
    default:
        break;
    }
    const auto route = std::find_if(std::begin(kFlagRoutes), std::end(kFlagRoutes),
                                    [&](const FlagRoute& r) { return r.flags == flags; });
    if (route == std::end(kFlagRoutes))
        return;
    WPARAM wParam = 0;
    if (route->message == WM_DEVICE_REMOVED)
        wParam = (flags == 2 || flags == 8 || !dialog->m_app.IsWin7OrLater()) ? 1 : 0;
    if (route->message == WM_EFFECT_CHANGED_128)
        SetPollPending();
    dialog->PostUnique(route->message, wParam, 0);
}

void COvercoatDlg::OnHidButtonCallback(oc::driver::ButtonRecord* record) {
    std::lock_guard inUse(s_callbackLock);
    COvercoatDlg* dialog = s_mainDialog;
    if (!record || !dialog || s_closing)
        return;
    IDriverInstance* driver = dialog->Driver();
    if (!driver)
        return;
    int32_t code = -1;
    uint32_t flow = 0;
    std::wstring name;
    driver->MapButtonToProperty(record, &code, &flow, &name);
    int32_t value = 0;
    driver->ToggleDeviceProperty(code, flow, name.c_str(), &value, true);
    if (record->report) {
        record->state = value == 1 ? 1 : 0;
        if (oc::driver::HidReportFunction report = oc::driver::LoadReportFunction(&s_hidReport))
            report(record, 0);
    }
    // The shown page and the status panel are refreshed on the window's thread, for every key toggled since
    // the last refresh.
    {
        std::lock_guard lock(dialog->m_toggledMutex);
        dialog->m_toggledKeys.push_back(name);
    }
    dialog->PostFolded(WM_HID_BUTTON_TOGGLED);
}

void COvercoatDlg::OnHidButtonsToggled() {
    std::vector<std::wstring> keys;
    {
        std::lock_guard lock(m_toggledMutex);
        keys.swap(m_toggledKeys);
    }
    // However often a button was pressed since the last refresh, its key is refreshed once.
    std::vector<std::wstring> distinct;
    for (std::wstring& key : keys) {
        if (std::find(distinct.begin(), distinct.end(), key) == distinct.end())
            distinct.push_back(std::move(key));
    }
    IMainDialogHandler* main = GetMainDialogHandler();
    for (const std::wstring& key : distinct) {
        if (main)
            main->OnHidButton(key);
    }
}

void COvercoatDlg::ScheduleDeviceArrival() {
    if (m_arrivalSettleMs == 0) {
        RunDeviceArrival();
        return;
    }
    if (m_arrivalPending)
        return; // the arrival already waiting reads the device as it then is
    m_arrivalPending = ::SetTimer(GetSafeHwnd(), kArrivalTimer, m_arrivalSettleMs, nullptr) != 0;
    if (!m_arrivalPending)
        RunDeviceArrival();
}

void COvercoatDlg::RunDeviceArrival() {
    OnDeviceChange(1);
    if (IDriverInstance* driver = Driver())
        driver->StartHidDevice(&OnHidButtonCallback, &s_hidReport);
}

// ---------------------------------------------------------------------------------------------------------
// Device arrival and removal, on the window's thread.

void COvercoatDlg::OnDeviceChange(int arrived) {
    IMainDialogHandler* main = GetMainDialogHandler();
    if (!GetHandler() || !Driver())
        return;
    if (arrived)
        OnDeviceArrived(main);
    else
        OnDeviceRemoved(main);
}

void COvercoatDlg::OnDeviceArrived(IMainDialogHandler* main) {
    IDriverInstance* driver = Driver();
    driver->StopAllListening(false);
    if (driver->EnumerateDevices() == 0)
        return;
    if (driver->GetDeviceCount() == 0)
        CloseChildDialogs();
    driver->BuildDeviceList();
    driver->ApplyEffectDefaults();
    if (m_app.m_nPendingOutputTerminal == 1) {
        int32_t control = -1;
        if (driver->GetControlDeviceProperty(L"DefaultDeviceControl", &control, 1, 0, nullptr, 0, 0, false, false) ==
                kDriverOk &&
            control == 0) {
            const int32_t on = 1;
            driver->SetControlDeviceProperty(L"DefaultDeviceControl", &on, 1, 0, nullptr, 0, 0);
        }
        const std::wstring controlName = driver->GetControlEndpointName();
        if (main && controlName != driver->GetCurrentEndpointName())
            main->ShowContent(driver->GetEndpointContent(controlName), 0);
        m_app.m_nPendingOutputTerminal = 0;
    }
    if (main)
        main->RefreshAfterDeviceChange(1);
    if (SystemTraySetting())
        CreateTray(TRUE);
    if (main)
        main->EnsureContentLoaded();
    driver->RestoreListening();
}

void COvercoatDlg::OnDeviceRemoved(IMainDialogHandler* main) {
    IDriverInstance* driver = Driver();
    const int32_t count = driver->EnumerateDevices();
    if (count >= driver->GetDeviceCount())
        return;
    const std::wstring previous = driver->GetCurrentEndpointName();
    if (count == 0)
        driver->StopAllListening(true);
    driver->BuildDeviceList();
    if (count > 0) {
        if (main && driver->GetDeviceKindByName(previous) != 1)
            main->ShowContent(driver->GetEndpointContent(driver->GetCurrentEndpointName()), 0);
        if (main)
            main->RefreshAfterDeviceChange(1);
        return;
    }
    CloseAsioPanels();
    HideMainWindow();
    CreateTray(FALSE);
}

void COvercoatDlg::CloseAsioPanels() {
    struct Search {
        HWND owner;
        std::vector<HWND> found;
    } search{GetSafeHwnd(), {}};
    ::EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (::GetParent(hwnd) != s->owner)
                return TRUE;
            wchar_t caption[101] = {};
            ::GetWindowTextW(hwnd, caption, 101);
            if (wcsstr(caption, L"ASIO"))
                s->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    for (HWND panel : search.found)
        ::SendMessageW(panel, WM_CLOSE, 0, 0);
}
