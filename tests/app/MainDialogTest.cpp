// The main window on the test display: it opens from the shipped markup over the simulated device, folds
// the driver library's notices into single window messages, rebuilds on device arrival and removal, hides
// or quits on close, and runs the poll only when a notice armed it.
#include <windows.h>
#include <dbt.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <mutex>
#include <regex>
#include <sstream>
#include <filesystem>
#include <string>
#include <thread>

#include "../skin/SkinTestSupport.h"
#include "AppServices.h"
#include "HandlerTestSupport.h"
#include "ShippedDialogFixture.h"
#include "TestPaths.h"
#include "app/AppSettings.h"
#include "app/IMainDialogHandler.h"
#include "app/OvercoatApp.h"
#include "app/OvercoatDlg.h"
#include "app/UIDialog.h"
#include "markup/ILytController.h"
#include "skin/SkinCtrl.h"

using namespace oc::test;
namespace fs = std::filesystem;

namespace {

// The main window's handler as the dialog sees it: every call is logged by name.
class LoggingMainHandler : public CBaseHandler, public IMainHandler, public IMainDialogHandler {
public:
    explicit LoggingMainHandler(CallLog* log) : m_log(log) { m_name = L"MainWindow"; }
    void Release() override { delete this; }

    void InitControls() override { Log(L"InitControls"); }
    int OnDriverNotify(uint64_t, uint32_t flags) override {
        Log(L"OnDriverNotify " + std::to_wstring(flags));
        return 0;
    }
    void OnDeactivate() override { Log(L"OnDeactivate"); }

    int CollectChangedState(ChangedState& state) override {
        Log(L"CollectChangedState");
        state.content = m_changed;
        return m_changed;
    }
    void OnEffectNotify(const ChangedState&) override { Log(L"OnEffectNotify"); }
    int IsCurrentContent(const wchar_t* text) override {
        Log(std::wstring(L"IsCurrentContent ") + text);
        return 0;
    }
    void RefreshDeviceList() override { Log(L"RefreshDeviceList"); }
    void ShowSettingContent(int32_t code) override { Log(L"ShowSettingContent " + std::to_wstring(code)); }
    void ChooseSurroundContent(int32_t value) override { Log(L"ChooseSurroundContent " + std::to_wstring(value)); }
    void ShowContent(const std::wstring& name, int force) override {
        Log(L"ShowContent " + name + L" " + std::to_wstring(force));
    }
    void RefreshAfterDeviceChange(int flag) override { Log(L"RefreshAfterDeviceChange " + std::to_wstring(flag)); }
    void EnsureContentLoaded() override { Log(L"EnsureContentLoaded"); }
    void ResetToFactoryDefault() override { Log(L"ResetToFactoryDefault"); }
    void OnSoundPlayStep() override { Log(L"OnSoundPlayStep"); }
    void OnHidButton(const std::wstring& key) override { Log(L"OnHidButton " + key); }
    void RefreshDeviceIcons() override { Log(L"RefreshDeviceIcons"); }
    int OnVolumeChanged() override {
        Log(L"OnVolumeChanged");
        return 0;
    }
    int UpdateVolHandler() override { return 0; }

    void ShowInfoDialog() override {}
    void ShowAppSettingDialog() override { Log(L"ShowAppSettingDialog"); }
    void ShowMainWindow() override {}
    void MinimizeMainWindow() override {}
    void CloseMainWindow() override {}
    void ShowAsioPanel() override {}
    int RefreshEffectState(uint64_t, uint32_t) override { return 0; }
    void OpenWithShell(const std::wstring&) override {}
    void SwitchStatusProfilePanel(uint32_t, int) override {}
    void UpdateStatusPanel(const wchar_t*, int) override {}
    float UpdateMasterVolume() override { return 0.0f; }
    ISoundPlayer* GetSoundPlayer() override { return nullptr; }

    int m_changed = 0;

private:
    void Log(const std::wstring& line) {
        std::lock_guard lock(m_mutex);
        m_log->push_back(line);
    }
    CallLog* m_log;
    std::mutex m_mutex;
};

// A driver whose device count the test moves, logging the list and listening calls.
class DeviceDriver : public RecordingDriver {
public:
    void BuildDeviceList() override {
        m_log.push_back(L"BuildDeviceList");
        m_listed = m_present;
    }
    int32_t EnumerateDevices() override { return m_present; }
    int32_t GetDeviceCount() override { return m_listed; }
    void StopAllListening(bool restart) override { m_log.push_back(L"StopAllListening " + std::to_wstring(restart)); }
    void RestoreListening() override { m_log.push_back(L"RestoreListening"); }
    void ApplyEffectDefaults() override { m_log.push_back(L"ApplyEffectDefaults"); }
    uint32_t GetDeviceKindByName(const std::wstring&) override { return m_kind; }
    void StartHidDevice(oc::driver::HidButtonCallback, oc::driver::HidReportFunction* report) override {
        m_log.push_back(L"StartHidDevice");
        *report = m_report;
    }
    void MapButtonToProperty(const oc::driver::ButtonRecord* record, int32_t* code, uint32_t* flow,
                             std::wstring* name) override {
        *code = record->endpointCode;
        *flow = record->flow;
        *name = L"Enable_ENC_LFX";
    }
    void ToggleDeviceProperty(int32_t, uint32_t, const wchar_t* name, int32_t* result, bool toggle) override {
        m_log.push_back(L"toggle " + std::wstring(name) + (toggle ? L" 1" : L" 0"));
        *result = m_toggledTo;
    }
    void RefreshHidButtons() override { m_log.push_back(L"RefreshHidButtons"); }
    std::wstring GetEndpointContent(const std::wstring& name) override { return name + L"Vol"; }

    int32_t m_present = 1;
    int32_t m_listed = 1;
    uint32_t m_kind = 1;
    int32_t m_toggledTo = 1;
    oc::driver::HidReportFunction m_report = nullptr;
};

std::atomic<int> g_reports{0};
int32_t CountReport(oc::driver::ButtonRecord*, int32_t) {
    ++g_reports;
    return 0;
}

class FakeTray : public IMainTray {
public:
    explicit FakeTray(CallLog* log) : m_log(log) {}
    void ShowIcon() override { m_log->push_back(L"tray show"); }
    void HideIcon() override { m_log->push_back(L"tray hide"); }
    void RefreshPopup() override { m_log->push_back(L"tray refresh"); }
    void ClosePopups() override { m_log->push_back(L"tray close popups"); }
    CallLog* m_log;
};

class MainDialogTest : public ShippedDialogTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(PrepareApplication(app));
        settings.m_nUITransparent = 0;
    }
    void TearDown() override {
        if (dialog && dialog->GetSafeHwnd())
            dialog->DestroyWindow();
        Pump();
        dialog.reset();
        app.ReleaseLytController();
    }

    // Opens the main window modeless with the logging handler and a fake tray; shows it unless told not to.
    void Open(bool show = true) {
        dialog = std::make_unique<COvercoatDlg>(app, services, &settings);
        dialog->m_createHandler = [this](const std::wstring& name) -> IHandler* {
            if (name != L"MainWindow")
                return nullptr;
            handler = new LoggingMainHandler(&calls);
            return handler;
        };
        dialog->m_makeTray = [this](COvercoatDlg&, const std::wstring& tip, UINT, HICON) {
            calls.push_back(L"tray made " + tip);
            return std::make_unique<FakeTray>(&calls);
        };
        dialog->m_arrivalSettleMs = 0;
        ASSERT_TRUE(dialog->Create(CDialog::IDD_MAIN));
        if (show)
            dialog->ShowWindow(SW_SHOW);
        Pump();
    }
    int Count(const std::wstring& line) const { return static_cast<int>(std::count(calls.begin(), calls.end(), line)); }
    bool Visible() const { return ::IsWindowVisible(dialog->GetSafeHwnd()) != FALSE; }

    TempDir scratch;
    COvercoatApp app;
    AppServices services{app};
    CAppSettings settings{(scratch / "setting.ini").wstring()};
    CallLog calls;
    LoggingMainHandler* handler = nullptr;
    std::unique_ptr<COvercoatDlg> dialog;
};

// The tray icon of a window that starts shown is added once the window is on screen, once; a window started
// hidden to the tray has its icon at once.
TEST_F(MainDialogTest, TheTrayIconComesWithTheFirstShow) {
    const std::wstring made = L"tray made " + app.GetLanguageText(L"ml_Main_TrayMenu_SystemTray");
    Open(false);
    EXPECT_EQ(Count(made), 0);
    dialog->ShowWindow(SW_SHOW);
    EXPECT_EQ(Count(made), 1);
    dialog->ShowWindow(SW_HIDE);
    dialog->ShowWindow(SW_SHOW);
    Pump();
    EXPECT_EQ(Count(made), 1);
    dialog->DestroyWindow();
    dialog.reset();

    calls.clear();
    app.SetSwitches(kSwitchHidden);
    Open(false);
    EXPECT_EQ(Count(made), 1);
}

// Saves the back buffer (premultiplied, with alpha) for a look by eye.
void SaveBackBuffer(CLayerDialog& layer, const fs::path& file) {
    const int width = layer.GetSurfaceWidth(), height = layer.GetSurfaceHeight();
    Gdiplus::Bitmap image(width, height, PixelFormat32bppPARGB);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y, Gdiplus::Color(layer.GetPixel(x, y)));
    }
    fs::create_directories(file.parent_path());
    SavePng(image, file);
}

// The real driver object over the simulated device, with the library's events fired through its control
// export: a burst of volume events is handled once, unknown events do nothing, and after the quit command
// nothing reaches the window.
TEST_F(MainDialogTest, OpensFromTheMarkupOverTheSimulatedDeviceAndFoldsVolumeEvents) {
    ::SetEnvironmentVariableW(L"OC_SIM_STATE", (scratch / "device.state").c_str());
    ::SetEnvironmentVariableW(L"OC_SIM_PIPE",
                              (L"\\\\.\\pipe\\OvercoatMainDialog" + std::to_wstring(::GetCurrentProcessId())).c_str());
    ASSERT_EQ(app.OpenDevice(), DeviceCheck::Ready);
    services.m_driver = app.GetDriver();
    Open();

    EXPECT_EQ(dialog->GetSurfaceWidth(), 900);
    EXPECT_EQ(dialog->GetSurfaceHeight(), 600);
    for (const wchar_t* name :
         {L"BtnClose", L"BtnMinimize", L"BtnMainLogo", L"BtnSetting", L"BtnInfo", L"BtnASIO", L"PanelSwitchButton",
          L"SpeakerVol", L"SpeakerMute", L"EnableSmartVol", L"EnableGX", L"EnableENC", L"PanelDeviceList",
          L"PanelDeviceIconList", L"PanelStatus", L"PanelProfile", L"ScrollUp", L"ScrollDown"})
        EXPECT_NE(CBaseHandler::FindControlIn(dialog.get(), name), nullptr) << name;
    EXPECT_EQ(Count(L"InitControls"), 1);
    EXPECT_EQ(Count(L"tray made " + app.GetLanguageText(L"ml_Main_TrayMenu_SystemTray")), 1);
    // The window background is drawn: an opaque graphite pixel inside the title bar.
    const uint32_t pixel = dialog->GetPixel(450, 30);
    EXPECT_EQ(Alpha(pixel), 255);
    EXPECT_LT(Red(pixel), 0x40);
    SaveBackBuffer(*dialog, fs::current_path() / "gallery" / "MainWindow.png");

    auto control = reinterpret_cast<int32_t (*)(const wchar_t*, wchar_t*, uint32_t)>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"sysTuneLib.dll"), "SimControl")));
    ASSERT_NE(control, nullptr);
    calls.clear();
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(control(L"event 0 0", nullptr, 0), 0);
    ASSERT_EQ(control(L"event 99 3", nullptr, 0), 0);
    ASSERT_EQ(control(L"event 99 256", nullptr, 0), 0);
    // Let the library deliver the whole burst before the window handles any of it.
    ::Sleep(500);
    ASSERT_TRUE(PumpUntil([&] { return Count(L"OnDriverNotify 256") == 1; }));
    ::Sleep(100);
    // The volume notices all arrived before the window handled any: one handling, no more.
    Pump();
    Pump();
    EXPECT_EQ(Count(L"OnVolumeChanged"), 1);
    EXPECT_EQ(Count(L"tray refresh"), 1);
    EXPECT_EQ(calls.size(), 3u) << "an event with flags 3 does nothing";

    dialog->SendMessage(WM_COMMAND, ID_MAIN_QUIT, 0);
    EXPECT_FALSE(::IsWindow(dialog->GetSafeHwnd()));
    EXPECT_TRUE(COvercoatDlg::IsClosing());
    calls.clear();
    ASSERT_EQ(control(L"event 0 0", nullptr, 0), 0);
    ::Sleep(200);
    Pump();
    EXPECT_TRUE(calls.empty());
    dialog.reset();
    app.ReleaseDriver();
    ::SetEnvironmentVariableW(L"OC_SIM_STATE", nullptr);
    ::SetEnvironmentVariableW(L"OC_SIM_PIPE", nullptr);
}

// Posting from the window's own thread folds queued copies; the effect messages reach the handler's driver
// notice with their flags.
TEST_F(MainDialogTest, PostUniqueFoldsQueuedCopiesAndEffectMessagesNotifyTheHandler) {
    DeviceDriver driver;
    services.m_driver = &driver;
    Open();
    calls.clear();
    for (int i = 0; i < 4; ++i)
        dialog->PostUnique(WM_REFRESH_DEVICE_LIST);
    for (int i = 0; i < 3; ++i)
        dialog->PostMessage(WM_DEFERRED_POST, WM_VOLUME_CHANGED, 0);
    dialog->PostMessage(WM_DEFERRED_POST, 0, 0);
    Pump();
    EXPECT_EQ(Count(L"RefreshDeviceList"), 1);
    EXPECT_EQ(Count(L"OnVolumeChanged"), 1);

    static const struct {
        UINT message;
        const wchar_t* expected;
    } kCases[] = {
        {WM_EFFECT_CHANGED_128, L"OnDriverNotify 128"},     {WM_EFFECT_CHANGED_512, L"OnDriverNotify 512"},
        {WM_EFFECT_CHANGED_1024, L"OnDriverNotify 1024"},   {WM_EFFECT_CHANGED_256, L"OnDriverNotify 256"},
        {WM_EFFECT_CHANGED_0, L"OnDriverNotify 0"},         {WM_SOUND_PLAY_STEP, L"OnSoundPlayStep"},
        {WM_SHOW_SETTING_CONTENT, L"ShowSettingContent 7"}, {WM_CHOOSE_SURROUND_CONTENT, L"ChooseSurroundContent 7"},
    };
    for (const auto& c : kCases) {
        calls.clear();
        dialog->SendMessage(c.message, 7, 0);
        EXPECT_EQ(calls, CallLog{c.expected}) << c.message;
    }
}

// The driver callback on a library thread: each event number and flags word becomes its message.
TEST_F(MainDialogTest, DriverEventsBecomeTheirMessages) {
    DeviceDriver driver;
    services.m_driver = &driver;
    Open();
    // The poll that events 12 and 128 arm would otherwise join the log of a later case.
    ::KillTimer(dialog->GetSafeHwnd(), COvercoatDlg::kPollTimer);
    static const struct {
        int32_t event;
        uint32_t flags;
        const wchar_t* expected;
        const wchar_t* then = nullptr;
    } kCases[] = {
        {2, 0, L"OnVolumeChanged", L"tray refresh"},
        {5, 0, L"IsCurrentContent Boost"},
        {14, 0, L"IsCurrentContent AGC"},
        {8, 0, L"OnSoundPlayStep"},
        {12, 0, L"OnDriverNotify 128"},
        {20, 0, L"OnDriverNotify 0"},
        {20, 64, L"RefreshDeviceList"},
        {20, 1024, L"OnDriverNotify 1024"},
        {20, 512, L"OnDriverNotify 512"},
    };
    for (const auto& c : kCases) {
        calls.clear();
        std::thread library([&] { COvercoatDlg::OnDriverEvent(c.event, c.flags, nullptr); });
        library.join();
        EXPECT_TRUE(PumpUntil([&] { return !calls.empty(); }, 1000)) << c.expected;
        Pump();
        CallLog expected{c.expected};
        if (c.then)
            expected.push_back(c.then);
        EXPECT_EQ(calls, expected) << c.event << "/" << c.flags;
    }
}

// Removing the last device hides the window and the tray icon; the device coming back brings the tray back
// but not the window; removing one of several only re-shows the content.
TEST_F(MainDialogTest, DeviceRemovalAndArrivalRebuildTheList) {
    DeviceDriver driver;
    driver.m_present = driver.m_listed = 2;
    services.m_driver = &driver;
    Open();
    ASSERT_TRUE(Visible());

    calls.clear();
    driver.m_log.clear();
    driver.m_present = 1;
    driver.m_kind = 0; // the shown endpoint went away
    dialog->SendMessage(WM_DEVICE_REMOVED, 1, 0);
    EXPECT_EQ(driver.m_log, (CallLog{L"BuildDeviceList"}));
    EXPECT_EQ(calls, (CallLog{L"ShowContent SpeakerVol 0", L"RefreshAfterDeviceChange 1"}));
    EXPECT_TRUE(Visible());

    calls.clear();
    driver.m_log.clear();
    driver.m_present = 0;
    dialog->SendMessage(WM_DEVICE_REMOVED, 1, 0);
    EXPECT_EQ(driver.m_log, (CallLog{L"StopAllListening 1", L"BuildDeviceList"}));
    EXPECT_EQ(calls, (CallLog{L"tray hide"}));
    EXPECT_FALSE(Visible());

    // A repeated notice with nothing gone does nothing.
    calls.clear();
    dialog->SendMessage(WM_DEVICE_REMOVED, 1, 0);
    EXPECT_TRUE(calls.empty());

    driver.m_log.clear();
    driver.m_present = 1;
    app.m_nPendingOutputTerminal = 0;
    dialog->SendMessage(WM_DEVICE_ARRIVED, 0, 0);
    EXPECT_EQ(driver.m_log, (CallLog{L"StopAllListening 0", L"BuildDeviceList", L"ApplyEffectDefaults",
                                     L"RestoreListening", L"StartHidDevice"}));
    EXPECT_EQ(calls, (CallLog{L"RefreshAfterDeviceChange 1", L"tray show", L"EnsureContentLoaded"}));
    EXPECT_FALSE(Visible());

    // An arrival notice with no device enumerated stops after the listening stop.
    calls.clear();
    driver.m_log.clear();
    driver.m_present = 0;
    dialog->SendMessage(WM_DEVICE_ARRIVED, 0, 0);
    EXPECT_EQ(driver.m_log, (CallLog{L"StopAllListening 0", L"StartHidDevice"}));
    EXPECT_TRUE(calls.empty());
}

// Close hides with the tray setting on and quits with it off; the tray's own close command ends the program.
TEST_F(MainDialogTest, CloseHidesWithTheTrayAndQuitsWithoutIt) {
    DeviceDriver driver;
    services.m_driver = &driver;
    Open();
    dialog->SendMessage(WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(::IsWindow(dialog->GetSafeHwnd()));
    EXPECT_FALSE(Visible());
    EXPECT_FALSE(COvercoatDlg::IsClosing());

    dialog->SendMessage(WM_COMMAND, ID_MAIN_SHOW, 0);
    EXPECT_TRUE(Visible());
    EXPECT_EQ(Count(L"RefreshAfterDeviceChange 0"), 1);

    dialog->SendMessage(WM_COMMAND, ID_MAIN_CLOSE_PROGRAM, 0);
    Pump();
    EXPECT_FALSE(::IsWindow(dialog->GetSafeHwnd()));
    EXPECT_TRUE(COvercoatDlg::IsClosing());
    EXPECT_EQ(Count(L"OnDeactivate"), 1);

    settings.m_nSystemTray = 0;
    Open();
    EXPECT_FALSE(COvercoatDlg::IsClosing());
    dialog->SendMessage(WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(::IsWindow(dialog->GetSafeHwnd()));
}

// The settings dialog's tray switch goes through the settings to the window that owns the icon: off hides
// the icon (and brings back a main window hidden in the tray, which nothing could reach otherwise), on shows
// it again, and close then hides to the tray once more.
TEST_F(MainDialogTest, TheTraySettingAddsAndRemovesTheIcon) {
    DeviceDriver driver;
    services.m_driver = &driver;
    Open();
    ASSERT_EQ(settings.m_pTrayHost, static_cast<ITrayHost*>(dialog.get()));
    dialog->SendMessage(WM_COMMAND, ID_MAIN_HIDE, 0);
    ASSERT_FALSE(Visible());
    calls.clear();
    settings.SetSystemTray(0);
    EXPECT_EQ(Count(L"tray hide"), 1);
    EXPECT_TRUE(Visible());

    settings.SetSystemTray(1);
    EXPECT_EQ(Count(L"tray show"), 1);
    settings.SetSystemTray(1); // no change, no call
    EXPECT_EQ(Count(L"tray show"), 1);
    dialog->SendMessage(WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(Visible());
    EXPECT_TRUE(::IsWindow(dialog->GetSafeHwnd()));

    // The settings outlive the window: they forget it as it goes.
    dialog->DestroyWindow();
    dialog.reset();
    EXPECT_EQ(settings.m_pTrayHost, nullptr);
}

// The 500 ms timer asks the handler only after a notice armed the poll, and only once per arming.
TEST_F(MainDialogTest, TimerPollsOnlyWhenArmed) {
    DeviceDriver driver;
    services.m_driver = &driver;
    Open();
    calls.clear();
    dialog->SendMessage(WM_TIMER, COvercoatDlg::kPollTimer, 0);
    EXPECT_TRUE(calls.empty());

    handler->m_changed = 1;
    std::thread library([] { COvercoatDlg::OnDriverEvent(20, 128, nullptr); });
    library.join();
    EXPECT_TRUE(COvercoatDlg::IsPollPending());
    ASSERT_TRUE(PumpUntil([&] { return Count(L"OnEffectNotify") == 1; }, 2000)) << "the real timer runs the poll";
    EXPECT_FALSE(COvercoatDlg::IsPollPending());
    EXPECT_EQ(Count(L"CollectChangedState"), 1);

    handler->m_changed = 0;
    COvercoatDlg::SetPollPending();
    dialog->SendMessage(WM_TIMER, COvercoatDlg::kPollTimer, 0);
    EXPECT_EQ(Count(L"CollectChangedState"), 2);
    EXPECT_EQ(Count(L"OnEffectNotify"), 1);
}

// Idle, the 500 ms timer rests: a tick with nothing pending stops it, a change notice from the library wakes
// it for the poll, and it stops again on the next tick that finds nothing.
TEST_F(MainDialogTest, PollTimerRestsUntilAChangeNoticeWakesIt) {
    DeviceDriver driver;
    services.m_driver = &driver;
    Open();
    const HWND hwnd = dialog->GetSafeHwnd();
    calls.clear();
    dialog->SendMessage(WM_TIMER, COvercoatDlg::kPollTimer, 0);
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(::KillTimer(hwnd, COvercoatDlg::kPollTimer)) << "an idle tick stops the timer";

    handler->m_changed = 1;
    std::thread library([] { COvercoatDlg::OnDriverEvent(20, 128, nullptr); });
    library.join();
    ASSERT_TRUE(PumpUntil([&] { return Count(L"OnEffectNotify") == 1; }, 2000)) << "the notice wakes the timer";
    PumpUntil([] { return false; }, 1200);
    EXPECT_EQ(Count(L"CollectChangedState"), 1);
    EXPECT_FALSE(::KillTimer(hwnd, COvercoatDlg::kPollTimer)) << "the timer rests again";
}

// Without a main-window handler the window still opens and closes cleanly; a markup that cannot be loaded
// quits at once.
TEST_F(MainDialogTest, OpensWithoutAHandlerAndQuitsWhenTheMarkupIsMissing) {
    DeviceDriver driver;
    services.m_driver = &driver;
    dialog = std::make_unique<COvercoatDlg>(app, services, &settings);
    dialog->m_createHandler = nullptr;
    ASSERT_TRUE(dialog->Create(CDialog::IDD_MAIN));
    Pump();
    EXPECT_EQ(dialog->GetHandler(), nullptr);
    dialog->SendMessage(WM_DEVICE_REMOVED, 0, 0);
    dialog->SendMessage(WM_TIMER, COvercoatDlg::kPollTimer, 0);
    dialog->SendMessage(WM_COMMAND, ID_MAIN_QUIT, 0);
    EXPECT_FALSE(::IsWindow(dialog->GetSafeHwnd()));

    // The skin cannot draw a message about itself: a plain box names the file, and the exit code says so.
    std::wstring plain;
    app.m_showPlainMessage = [&](const wchar_t* text, const wchar_t*) { plain += text; };
    services.m_skinFolder = (scratch / "noskin").wstring() + L"\\";
    dialog = std::make_unique<COvercoatDlg>(app, services, &settings);
    ASSERT_TRUE(dialog->Create(CDialog::IDD_MAIN));
    Pump();
    EXPECT_FALSE(::IsWindow(dialog->GetSafeHwnd()));
    EXPECT_NE(plain.find(services.m_skinFolder + L"MainWindow.lyt"), std::wstring::npos) << plain;
    EXPECT_NE(app.GetExitCode(), 0);
}

// A style dictionary that does not load makes every markup fail: the plain box names the dictionary, not the
// main window's markup, which is whole.
TEST_F(MainDialogTest, ABrokenStyleDictionaryIsNamedAsTheCause) {
    const fs::path program = scratch / "program";
    fs::create_directories(program / "Skin" / "Overcoat");
    std::ofstream(program / "Skin" / "Overcoat" / "DesignDictResource.lyt") << "<ResourceDictionary><Style";
    COvercoatApp broken;
    broken.UseProgramFolder(program.wstring() + L"\\");
    broken.InitPaths();
    broken.CreateLytController();
    std::wstring plain;
    broken.m_showPlainMessage = [&](const wchar_t* text, const wchar_t*) { plain += text; };
    AppServices brokenServices(broken);
    brokenServices.m_skinFolder = app.GetSkinFolder(); // the shipped main window markup
    DeviceDriver driver;
    brokenServices.m_driver = &driver;
    {
        COvercoatDlg window(broken, brokenServices, &settings);
        ASSERT_TRUE(window.Create(CDialog::IDD_MAIN));
        Pump();
        EXPECT_FALSE(::IsWindow(window.GetSafeHwnd()));
    }
    EXPECT_NE(plain.find(broken.GetSkinFolder() + L"DesignDictResource.lyt"), std::wstring::npos) << plain;
    EXPECT_EQ(plain.find(L"MainWindow.lyt"), std::wstring::npos);
    EXPECT_NE(broken.GetExitCode(), 0);
    broken.ReleaseLytController();
}

// A second start finds the running program by its caption, which comes from the program's own title and
// never from the skin: a markup whose title is some other text still leaves the window findable.
TEST_F(MainDialogTest, CaptionComesFromTheProgramNotFromTheSkin) {
    std::ifstream shipped(fs::path(app.GetSkinFolder()) / "MainWindow.lyt", std::ios::binary);
    std::string markup((std::istreambuf_iterator<char>(shipped)), std::istreambuf_iterator<char>());
    const std::string title = "Title=\"ml_Main_Title\"";
    const size_t at = markup.find(title);
    ASSERT_NE(at, std::string::npos);
    markup.replace(at, title.size(), "Title=\"\xE2\x80\x8B not the title \xEF\xBF\xBD\"");
    fs::create_directories(scratch / "skin");
    std::ofstream(scratch / "skin" / "MainWindow.lyt", std::ios::binary) << markup;
    services.m_skinFolder = (scratch / "skin").wstring() + L"\\";
    DeviceDriver driver;
    services.m_driver = &driver;
    Open();
    ASSERT_TRUE(::IsWindow(dialog->GetSafeHwnd()));
    wchar_t caption[256] = {};
    ::GetWindowTextW(dialog->GetSafeHwnd(), caption, 256);
    EXPECT_EQ(std::wstring(caption), app.GetTitle());
    EXPECT_EQ(::FindWindowW(nullptr, app.GetTitle().c_str()), dialog->GetSafeHwnd());
}

// Storms of hardware-button presses, device-list notices and device arrivals through the simulated device:
// each kind of work still pending absorbs further requests of its kind, and arrivals wait on a timer, so
// the program is idle (the driver hears no more calls) within a second of the last event.
TEST_F(MainDialogTest, EventStormsLeaveTheProgramIdleWithinASecond) {
    ::SetEnvironmentVariableW(L"OC_SIM_STATE", (scratch / "storm.state").c_str());
    ::SetEnvironmentVariableW(L"OC_SIM_PIPE",
                              (L"\\\\.\\pipe\\OvercoatStorm" + std::to_wstring(::GetCurrentProcessId())).c_str());
    ASSERT_EQ(app.OpenDevice(), DeviceCheck::Ready);
    services.m_driver = app.GetDriver();
    dialog = std::make_unique<COvercoatDlg>(app, services, &settings);
    dialog->m_makeTray = [this](COvercoatDlg&, const std::wstring&, UINT, HICON) {
        return std::make_unique<FakeTray>(&calls);
    };
    dialog->m_runWelcome = nullptr;
    ASSERT_TRUE(dialog->Create(CDialog::IDD_MAIN)); // the program's own main-window handler
    dialog->ShowWindow(SW_SHOW);
    Pump();
    ASSERT_NE(dialog->GetMainDialogHandler(), nullptr);

    auto control = reinterpret_cast<int32_t (*)(const wchar_t*, wchar_t*, uint32_t)>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"sysTuneLib.dll"), "SimControl")));
    ASSERT_NE(control, nullptr);
    const auto driverCalls = [&] {
        wchar_t reply[64] = {};
        control(L"calls", reply, 64);
        return std::stoull(reply);
    };
    const std::wstring press = L"press " + std::to_wstring(oc::driver::kButtonNoiseCancellation);
    // The library threads fire while the window's thread runs its loop, as in the running program.
    std::atomic<bool> stormDone{false};
    std::thread storm([&] {
        for (int i = 0; i < 3000; ++i) {
            control(press.c_str(), nullptr, 0);
            control(L"event 99 64", nullptr, 0); // the device list changed
            if (i % 150 == 0)
                control(L"event 99 1", nullptr, 0); // a device arrived
        }
        stormDone = true;
    });
    while (!stormDone) {
        Pump();
        ::Sleep(1);
    }
    storm.join();
    // Idle: no driver call for a quarter of a second, measured from the end of the storm.
    const auto stormEnd = std::chrono::steady_clock::now();
    auto lastChange = stormEnd;
    unsigned long long seen = driverCalls();
    while (std::chrono::steady_clock::now() - lastChange < std::chrono::milliseconds(250) &&
           std::chrono::steady_clock::now() - stormEnd < std::chrono::seconds(30)) {
        Pump();
        ::Sleep(5);
        const unsigned long long now = driverCalls();
        if (now != seen) {
            seen = now;
            lastChange = std::chrono::steady_clock::now();
        }
    }
    const auto busyMs = std::chrono::duration_cast<std::chrono::milliseconds>(lastChange - stormEnd).count();
    EXPECT_LT(busyMs, 1000) << "the program kept working " << busyMs << " ms after the storm";
    EXPECT_TRUE(::IsWindow(dialog->GetSafeHwnd()));

    dialog->SendMessage(WM_COMMAND, ID_MAIN_QUIT, 0);
    dialog.reset();
    app.ReleaseDriver();
    ::SetEnvironmentVariableW(L"OC_SIM_STATE", nullptr);
    ::SetEnvironmentVariableW(L"OC_SIM_PIPE", nullptr);
}

// Start switches: "/h" with the tray hides without first reads, "/q" closes the program.
TEST_F(MainDialogTest, StartSwitchesHideOrCloseTheProgram) {
    DeviceDriver driver;
    services.m_driver = &driver;
    app.SetSwitches(kSwitchHidden);
    Open();
    EXPECT_EQ(Count(L"InitControls"), 0) << "a hidden start makes no first reads";
    EXPECT_FALSE(Visible());
    EXPECT_FALSE(dialog->IsHiddenFlag()) << "the hide command clears the flag";
    app.SetSwitches(0);

    dialog->SendMessage(WM_COMMAND, ID_MAIN_SHOW, 0);
    EXPECT_TRUE(Visible());
    dialog->ApplyStartFlags(kSwitchQuit);
    Pump();
    EXPECT_FALSE(::IsWindow(dialog->GetSafeHwnd()));
}

// Markup dialogs opened over the main window stand on its stack: the settings command with another dialog
// open closes that one first and then opens the settings; hiding closes every open dialog, top first.
TEST_F(MainDialogTest, ChildDialogStackAndTheSettingsCommand) {
    DeviceDriver driver;
    services.m_driver = &driver;
    Open();
    app.m_pMainWnd = dialog.get();
    CUIDialog info(CDialog::IDD_POPUP, dialog.get());
    CUIDialog prompt(CDialog::IDD_POPUP, dialog.get());
    ASSERT_TRUE(info.Create(CDialog::IDD_POPUP, dialog.get()));
    ASSERT_TRUE(prompt.Create(CDialog::IDD_POPUP, dialog.get()));
    static_cast<IxSkinDialog&>(info).SetName(L"DialogInfo");
    static_cast<IxSkinDialog&>(prompt).SetName(L"Dialog_AppSetting");
    EXPECT_EQ(dialog->ChildDialogs(), (std::vector<CUIDialog*>{&info, &prompt}));
    EXPECT_TRUE(dialog->IsChildDialogOpen(L"DialogInfo"));

    calls.clear();
    dialog->SendMessage(WM_COMMAND, ID_MAIN_SETTINGS, 0);
    Pump();
    EXPECT_TRUE(calls.empty()) << "the settings dialog is already open";
    EXPECT_EQ(dialog->ChildDialogs().size(), 2u);

    prompt.DestroyWindow();
    EXPECT_EQ(dialog->ChildDialogs(), (std::vector<CUIDialog*>{&info}));
    dialog->SendMessage(WM_COMMAND, ID_MAIN_SETTINGS, 0);
    EXPECT_TRUE(dialog->ChildDialogs().empty());
    Pump();
    EXPECT_EQ(calls, CallLog{L"ShowAppSettingDialog"});

    // The system close with a dialog open closes that dialog, not the main window.
    CUIDialog again(CDialog::IDD_POPUP, dialog.get());
    ASSERT_TRUE(again.Create(CDialog::IDD_POPUP, dialog.get()));
    again.ShowWindow(SW_SHOW);
    dialog->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(::IsWindowVisible(again.GetSafeHwnd()));
    EXPECT_TRUE(Visible());
    dialog->SendMessage(WM_COMMAND, ID_MAIN_HIDE, 0);
    EXPECT_TRUE(dialog->ChildDialogs().empty());
    EXPECT_FALSE(Visible());
    info.DestroyWindow();
    again.DestroyWindow();
    app.m_pMainWnd = nullptr;
}

// A hardware button toggles its property on the library's thread, reports the new state back when asked to
// and has the main window refreshed for that key on the window's thread.
TEST_F(MainDialogTest, HardwareButtonTogglesItsPropertyAndReportsTheState) {
    DeviceDriver driver;
    driver.m_report = &CountReport;
    services.m_driver = &driver;
    Open();
    static const struct {
        uint64_t report;
        int32_t toggledTo;
        uint32_t state;
        int reports;
    } kCases[] = {{1, 1, 1, 1}, {1, 0, 0, 1}, {1, -1, 0, 1}, {0, 1, 7, 0}};
    for (const auto& c : kCases) {
        calls.clear();
        driver.m_log.clear();
        g_reports = 0;
        driver.m_toggledTo = c.toggledTo;
        oc::driver::ButtonRecord record{};
        record.buttonId = oc::driver::kButtonNoiseCancellation;
        record.state = 7;
        record.report = c.report;
        std::thread library([&] { COvercoatDlg::OnHidButtonCallback(&record); });
        library.join();
        EXPECT_EQ(record.state, c.state);
        EXPECT_EQ(g_reports.load(), c.reports);
        EXPECT_EQ(driver.m_log, CallLog{L"toggle Enable_ENC_LFX 1"});
        EXPECT_TRUE(calls.empty()) << "the window is refreshed on its own thread";
        Pump();
        EXPECT_EQ(calls, CallLog{L"OnHidButton Enable_ENC_LFX"});
    }
    // Resume from suspend re-reads the buttons; a device arrival starts the button library again.
    driver.m_log.clear();
    dialog->SendMessage(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    EXPECT_EQ(driver.m_log, CallLog{L"RefreshHidButtons"});
    driver.m_log.clear();
    dialog->SendMessage(WM_DEVICE_ARRIVED, 0, 0);
    ASSERT_FALSE(driver.m_log.empty());
    EXPECT_EQ(driver.m_log.back(), L"StartHidDevice");
}

// A driver that holds the button thread inside its mapping for a while, as a slow library would.
class SlowButtonDriver : public DeviceDriver {
public:
    void MapButtonToProperty(const oc::driver::ButtonRecord* record, int32_t* code, uint32_t* flow,
                             std::wstring* name) override {
        ::SetEvent(m_inside);
        ::Sleep(300);
        DeviceDriver::MapButtonToProperty(record, code, flow, name);
        m_mapped = true;
    }
    HANDLE m_inside = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> m_mapped{false};
};

// The window goes while a button callback is using it: its end waits for the callback to leave, and a
// callback that comes after finds no window.
TEST_F(MainDialogTest, TheWindowEndsOnlyAfterALibraryCallbackInsideItHasLeft) {
    SlowButtonDriver driver;
    services.m_driver = &driver;
    Open();
    oc::driver::ButtonRecord record{};
    record.buttonId = oc::driver::kButtonNoiseCancellation;
    std::thread library([&] { COvercoatDlg::OnHidButtonCallback(&record); });
    ASSERT_EQ(::WaitForSingleObject(driver.m_inside, 5000), WAIT_OBJECT_0);
    dialog->DestroyWindow();
    dialog.reset();
    EXPECT_TRUE(driver.m_mapped.load()) << "the window was freed under the callback";
    library.join();
    EXPECT_EQ(COvercoatDlg::GetMainDialog(), nullptr);
    driver.m_log.clear();
    COvercoatDlg::OnHidButtonCallback(&record);
    EXPECT_TRUE(driver.m_log.empty());
    ::CloseHandle(driver.m_inside);
}

// System notices: audio interface arrival and removal become the device messages (folded), a display change
// re-shows the windows unless a full-screen application runs, and a window moved far off screen closes the
// jack menu and the tray pop-ups.
TEST_F(MainDialogTest, SystemNoticesBecomeMainWindowActions) {
    DeviceDriver driver;
    services.m_driver = &driver;
    Open();
    const HWND hwnd = dialog->GetSafeHwnd();
    const auto queued = [&](UINT message) {
        MSG msg;
        int count = 0;
        while (::PeekMessageW(&msg, hwnd, message, message, PM_REMOVE))
            ++count;
        return count;
    };
    DEV_BROADCAST_DEVICEINTERFACE_W audio{};
    audio.dbcc_size = sizeof(audio);
    audio.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    audio.dbcc_classguid = {0x6994AD04, 0x93EF, 0x11D0, {0xA3, 0xCC, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
    DEV_BROADCAST_DEVICEINTERFACE_W other = audio;
    other.dbcc_classguid.Data1 ^= 1;
    const auto notice = [&](WPARAM event, DEV_BROADCAST_DEVICEINTERFACE_W& data) {
        dialog->SendMessage(WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&data));
    };
    notice(DBT_DEVICEARRIVAL, audio);
    notice(DBT_DEVICEARRIVAL, audio);
    notice(DBT_DEVICEARRIVAL, other);
    notice(DBT_DEVICEREMOVECOMPLETE, audio);
    EXPECT_EQ(queued(WM_DEVICE_ARRIVED), 1);
    EXPECT_EQ(queued(WM_DEVICE_REMOVED), 1);

    dialog->SendMessage(WM_DISPLAYCHANGE, 32, 0);
    EXPECT_EQ(queued(WM_RESTORE_DISPLAY), 1);
    dialog->SendMessage(WM_APPBAR_NOTIFY, 2, 1);
    EXPECT_TRUE(dialog->IsFullScreen());
    dialog->SendMessage(WM_DISPLAYCHANGE, 32, 0);
    EXPECT_EQ(queued(WM_RESTORE_DISPLAY), 0);
    dialog->SendMessage(WM_APPBAR_NOTIFY, 2, 0);
    EXPECT_FALSE(dialog->IsFullScreen());
    EXPECT_EQ(queued(WM_RESTORE_DISPLAY), 1);
    dialog->SendMessage(WM_APPBAR_NOTIFY, 2, 0);
    EXPECT_EQ(queued(WM_RESTORE_DISPLAY), 0) << "only the end of a full-screen run re-shows";

    calls.clear();
    dialog->SendMessage(WM_MOVE, 0, MAKELPARAM(100, 100));
    EXPECT_TRUE(calls.empty());
    dialog->SendMessage(WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(-32000), static_cast<WORD>(-32000)));
    EXPECT_EQ(calls, (CallLog{L"RefreshDeviceIcons", L"tray close popups"}));
}

// Before Windows Vista the mixer and the multimedia device message carry the notices: a mixer notice without
// a volume change asks the gain, boost and equaliser pages in turn; the device message refreshes the list.
TEST_F(MainDialogTest, LegacyNoticesBeforeVista) {
    DeviceDriver driver;
    services.m_driver = &driver;
    std::wstring plain;
    app.m_showPlainMessage = [&](const wchar_t* text, const wchar_t* caption) {
        plain = std::wstring(caption) + L": " + text;
    };
    dialog = std::make_unique<COvercoatDlg>(app, services, &settings);
    dialog->m_legacyNotices = true;
    dialog->m_createHandler = [this](const std::wstring&) -> IHandler* {
        handler = new LoggingMainHandler(&calls);
        return handler;
    };
    ASSERT_TRUE(dialog->Create(CDialog::IDD_MAIN));
    Pump();
    // A failed registration is reported and the program goes on.
    EXPECT_TRUE(plain.empty() || plain.rfind(L"Registration: RegisterDeviceNotification failed: ", 0) == 0) << plain;

    calls.clear();
    dialog->SendMessage(MM_MIXM_CONTROL_CHANGE, 0, 0);
    EXPECT_EQ(calls, (CallLog{L"IsCurrentContent AGC", L"IsCurrentContent Boost", L"IsCurrentContent HWEQ"}));
    calls.clear();
    const UINT winmm = ::RegisterWindowMessageW(L"winmm_devicechange");
    dialog->SendMessage(winmm, 0, 0);
    dialog->SendMessage(winmm, 0, 0);
    Pump();
    EXPECT_EQ(calls, CallLog{L"RefreshDeviceList"});
}

// Every text key of the main window's markup has a text in both shipped cultures, and every image it names
// is in the assembled skin folder.
TEST_F(MainDialogTest, MarkupTextsAndImagesAreComplete) {
    const fs::path skin = fs::path(app.GetSkinFolder());
    std::wifstream in(skin / "MainWindow.lyt");
    std::wstringstream text;
    text << in.rdbuf();
    const std::wstring markup = text.str();
    ASSERT_FALSE(markup.empty());

    const std::wregex image(LR"re("([A-Za-z]+/[A-Za-z_]+\.png)")re");
    int images = 0;
    for (std::wsregex_iterator it(markup.begin(), markup.end(), image), end; it != end; ++it, ++images)
        EXPECT_TRUE(fs::exists(skin / (*it)[1].str())) << (*it)[1].str();
    EXPECT_GT(images, 20);

    const std::wregex key(LR"re("(ml_[A-Za-z_]+)")re");
    for (const wchar_t* culture : {L"en-US", L"de-DE"}) {
        COvercoatApp texts;
        texts.UseProgramFolder(ProgramDir().wstring() + L"\\");
        ASSERT_EQ(texts.LoadLanguage(culture), 1);
        for (std::wsregex_iterator it(markup.begin(), markup.end(), key), end; it != end; ++it)
            EXPECT_FALSE(texts.GetLanguageText((*it)[1].str()).empty()) << culture << " " << (*it)[1].str();
        EXPECT_FALSE(texts.GetLanguageText(L"ml_Main_TrayMenu_SystemTray").empty());
    }
}

// The program itself over the simulated device: it opens its 900 x 600 main window, and the command the tray
// sends to end the program closes the window and ends the process cleanly.
TEST_F(MainDialogTest, ProgramOpensItsMainWindowAndEndsOnTheCloseCommand) {
    ::SetEnvironmentVariableW(L"OC_SIM_STATE", (scratch / "program.state").c_str());
    ::SetEnvironmentVariableW(L"OC_SIM_PIPE",
                              (L"\\\\.\\pipe\\OvercoatMainProgram" + std::to_wstring(::GetCurrentProcessId())).c_str());
    std::wstring exe = (ProgramDir() / "Overcoat.exe").wstring();
    std::wstring line = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(
        ::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    struct Search {
        DWORD pid;
        HWND found = nullptr;
    } search{process.dwProcessId};
    const auto findMain = [&] {
        ::EnumWindows(
            [](HWND hwnd, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                DWORD pid = 0;
                ::GetWindowThreadProcessId(hwnd, &pid);
                RECT rect{};
                ::GetWindowRect(hwnd, &rect);
                if (pid == s->pid && ::IsWindowVisible(hwnd) && rect.right - rect.left == 900 &&
                    rect.bottom - rect.top == 600) {
                    s->found = hwnd;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    };
    EXPECT_TRUE(PumpUntil(findMain, 20000)) << "the main window did not open";
    if (search.found)
        ::PostMessageW(search.found, WM_COMMAND, ID_MAIN_CLOSE_PROGRAM, 0);
    else
        ::TerminateProcess(process.hProcess, 99);
    EXPECT_EQ(::WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
    DWORD code = 0xBEEF;
    ::GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(code, 0u);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ::SetEnvironmentVariableW(L"OC_SIM_STATE", nullptr);
    ::SetEnvironmentVariableW(L"OC_SIM_PIPE", nullptr);
}

} // namespace
