#pragma once
// The main window: a markup dialog (template 102) showing "MainWindow.lyt" with the main window's handler,
// run modally by start-up so that its modal loop is the program's message loop. It is also the hub of the
// program's window messages: the stack of open child dialogs, the tray icon, the driver and hardware-button
// libraries' notices (posted here from their threads), and the system's device, display, full-screen,
// power and session notices, which it turns into actions of the main window's handler.

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "app/IMainDialogHandler.h"
#include "driver/DriverLibraryAbi.h"
#include "app/IChildDialogStack.h"
#include "app/PendingMessages.h"
#include "app/UIDialog.h"

class COvercoatApp;
class IDriverInstance;
class IHandler;
class IHandlerServices;

// Window messages of the main window (wParam as each sender documents it).
enum MainDialogMessage : UINT {
    WM_DEFERRED_POST = 1074, // from a library thread: wParam is a message to post once
    WM_SHOW_SETTING_CONTENT = 1124,
    WM_DEVICE_REMOVED = 1127,
    WM_DEVICE_ARRIVED = 1128,
    WM_REFRESH_DEVICE_LIST = 1129,
    WM_EFFECT_CHANGED_128 = 1130,
    WM_VOLUME_CHANGED = 1131,
    WM_SOUND_PLAY_STEP = 1134,
    WM_RESTORE_DISPLAY = 1135,
    WM_EFFECT_CHANGED_512 = 1137,
    WM_EFFECT_CHANGED_1024 = 1138,
    WM_EFFECT_CHANGED_256 = 1139,
    WM_EFFECT_CHANGED_0 = 1140,
    WM_CHOOSE_SURROUND_CONTENT = 1141,
    WM_APPBAR_NOTIFY = 1174,
    // From the library threads, so that the shown page is re-read on the window's thread rather than theirs.
    WM_REFRESH_BOOST_PAGE = WM_APP + 1,
    WM_REFRESH_AGC_PAGE = WM_APP + 2,
    WM_HID_BUTTON_TOGGLED = WM_APP + 3, // the keys wait in the dialog's queue of toggled buttons
};

// Commands of the main window (WM_COMMAND identifiers).
enum MainDialogCommand : UINT {
    ID_MAIN_HIDE = 1001,
    ID_MAIN_MINIMIZE = 1002,
    ID_MAIN_WELCOME = 1010,
    ID_MAIN_SHOW = 32887,
    ID_MAIN_CLOSE_PROGRAM = 32888,
    ID_MAIN_SETTINGS = 32889,
    ID_MAIN_QUIT = 32890,
};

class COvercoatDlg : public CUIDialog, public IChildDialogStack, public ITrayHost {
    DECLARE_DYNAMIC(COvercoatDlg)
public:
    static constexpr UINT_PTR kPollTimer = 1234;
    // The wait for a newly arrived device to settle before it is read.
    static constexpr UINT_PTR kArrivalTimer = 1235;
    static constexpr UINT kPollPeriodMs = 500;
    static constexpr UINT kTrayMenuId = 484;

    // settings may be null (every setting then has its default).
    COvercoatDlg(COvercoatApp& app, IHandlerServices& services, CAppSettings* settings, CWnd* parent = nullptr);
    ~COvercoatDlg() override;

    // The program's main window over the application object, run modally until the program quits.
    static void RunProgramMainWindow(COvercoatApp& app);

    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // IChildDialogStack: add pushes on top, remove takes the first equal entry out.
    void AddChildDialog(CUIDialog* dialog) override { m_childDialogs.push_back(dialog); }
    void RemoveChildDialog(CUIDialog* dialog) override;
    BOOL IsChildDialogOpen(const std::wstring& name) const;
    void CloseChildDialogs();
    void CreateTray(BOOL on);
    // ITrayHost: the settings switch the tray icon through the window that owns it.
    void ShowTrayIcon(bool show) override { CreateTray(show ? TRUE : FALSE); }
    bool IsMainWindowVisible() override;
    void RestoreMainWindow() override;
    // Posts the message once: on the window's own thread every queued copy is removed first; from another
    // thread a copy still queued absorbs the request (the library notices, see CPendingMessages).
    void PostUnique(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void ApplyStartFlags(unsigned bits);
    void ApplyStartSwitch(unsigned bit);
    // Run on WM_DEVICE_ARRIVED (arrived 1) and WM_DEVICE_REMOVED (arrived 0).
    void OnDeviceChange(int arrived);

    IMainDialogHandler* GetMainDialogHandler() const;
    IMainTray* GetTray() const { return m_tray.get(); }
    BOOL IsFullScreen() const { return m_fullScreen; }
    BOOL IsHiddenFlag() const { return m_hidden; }
    BOOL IsFirstShow() const { return m_firstShow; }
    const std::vector<CUIDialog*>& ChildDialogs() const { return m_childDialogs; }

    // The process-wide flags the library threads read.
    static void SetPollPending() { s_pollPending = true; }
    static bool IsPollPending() { return s_pollPending; }
    static bool IsClosing() { return s_closing; }
    static COvercoatDlg* GetMainDialog() { return s_mainDialog; }

    // The library callbacks registered at initialisation.
    static void OnDriverEvent(int32_t event, uint32_t flags, const oc::driver::DeviceKey* key);
    static void OnHidButtonCallback(oc::driver::ButtonRecord* record);

    // Seams: how the handler, the tray and the welcome dialog are made, and the settle time before a newly
    // arrived device is read (0 reads it at once). Each defaults to the program's own.
    std::function<IHandler*(const std::wstring& name)> m_createHandler;
    std::function<std::unique_ptr<IMainTray>(COvercoatDlg& owner, const std::wstring& tip, UINT message, HICON icon)>
        m_makeTray;
    std::function<void(COvercoatDlg& owner)> m_runWelcome;
    DWORD m_arrivalSettleMs = 500;
    // Before Windows Vista the volume and device notices come from the mixer and from device-interface
    // registration; set from the system version at construction.
    bool m_legacyNotices = false;

private:
    IDriverInstance* Driver() const;
    int SystemTraySetting() const;
    int TransparencySetting() const;
    BOOL InitMainWindow();
    void HideMainWindow();
    void Quit();
    void OnPollTimer();
    void OnVolumeChanged();
    void OnActivationMessage(WPARAM bits);
    void RestoreDisplay();
    BOOL OnDeviceChangeNotice(WPARAM event, LPARAM data);
    void OnDeviceArrived(IMainDialogHandler* main);
    void OnDeviceRemoved(IMainDialogHandler* main);
    void CloseAsioPanels();
    void PaintMinimized();
    void NotifyHandler(uint32_t flags);
    void OpenMixer();
    void CloseMixer();
    void RegisterDeviceNotices();
    void OnMixerNotice();
    void OnHidButtonsToggled();
    // A device arrival waits on a timer, not on the window's thread; arrivals during the wait join it.
    void ScheduleDeviceArrival();
    void RunDeviceArrival();
    // Posts a folded message from a library thread unless a queued copy absorbs it.
    void PostFolded(UINT message, WPARAM wParam = 0, UINT carrier = 0);

    COvercoatApp& m_app;
    IHandlerServices& m_services;
    CAppSettings* m_settings;
    HICON m_icon = nullptr;
    HICON m_trayIcon = nullptr;
    bool m_ownsTrayIcon = false;
    std::unique_ptr<IMainTray> m_tray;
    UINT m_trayMessage = 0;
    UINT_PTR m_timer = 0;
    BOOL m_firstShow = FALSE;
    BOOL m_hidden = FALSE;
    // The tray icon of a window that starts shown is added once the window is on screen: the shell's tray
    // answers slowly, and the user looks at the window first.
    bool m_trayAfterShow = false;
    BOOL m_fullScreen = FALSE;
    bool m_appBarRegistered = false;
    HMIXER m_mixer = nullptr;
    UINT m_mixerCount = 0;
    MIXERCAPSW m_mixerCaps{};
    HDEVNOTIFY m_deviceNotify = nullptr;
    UINT m_winmmMessage = 0;
    std::mutex m_toggledMutex;
    std::vector<std::wstring> m_toggledKeys; // filled on the button library's thread
    std::vector<CUIDialog*> m_childDialogs;
    bool m_arrivalPending = false;
    CPendingMessages<13> m_pending{{WM_DEVICE_REMOVED, WM_DEVICE_ARRIVED, WM_REFRESH_DEVICE_LIST,
                                    WM_EFFECT_CHANGED_128, WM_VOLUME_CHANGED, WM_SOUND_PLAY_STEP,
                                    WM_EFFECT_CHANGED_512, WM_EFFECT_CHANGED_1024, WM_EFFECT_CHANGED_256,
                                    WM_EFFECT_CHANGED_0, WM_REFRESH_BOOST_PAGE, WM_REFRESH_AGC_PAGE,
                                    WM_HID_BUTTON_TOGGLED}};

    static std::atomic<bool> s_closing;
    static std::atomic<bool> s_pollPending;
    static std::atomic<COvercoatDlg*> s_mainDialog;
    static oc::driver::HidReportFunction s_hidReport;
    // Held by a library callback for as long as it uses the main dialog, and by the dialog's destructor
    // while it withdraws: a callback finds either no dialog or one that stays whole until it returns.
    // Recursive: a callback may run inside a driver call that another callback made on the same thread.
    static std::recursive_mutex s_callbackLock;
};
