// The tray icon and its pop-ups, the tray handler, the Windows tool launchers and the welcome and
// noise-cancellation messages, on real windows under the test display with the skin's own markup.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <regex>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../skin/SkinTestSupport.h"
#include "AppServices.h"
#include "DialogGallery.h"
#include "HandlerTestSupport.h"
#include "ShippedDialogFixture.h"
#include "TestPaths.h"
#include "app/AppSettings.h"
#include "app/ENCPromptMsgHandler.h"
#include "app/OvercoatApp.h"
#include "app/OvercoatDlg.h"
#include "app/SystemTray.h"
#include "app/SystemTrayHandler.h"
#include "app/UIDialog.h"
#include "app/WelcomeMsgHandler.h"
#include "app/WindowsTools.h"
#include "driver/PropertyValue.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinMenuItem.h"
#include "skin/IxSkinSlider.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinDialog.h"
#include "skin/SkinMenu.h"

namespace fs = std::filesystem;
using namespace oc::test;

namespace {

constexpr UINT kTrayMessage = WM_APP + 7;
constexpr UINT kIconId = 484;

// ---- Version codes and launchers ----

TEST(WindowsTools, VersionCodesFollowTheSystemRecord) {
    struct Case {
        DWORD platform, major, minor;
        const wchar_t* servicePack;
        bool realKnown;
        DWORD realMajor, realMinor;
        int expected;
    };
    const Case cases[] = {
        {1, 4, 0, L"", false, 0, 0, 0},  {1, 4, 10, L" B", false, 0, 0, 1}, {1, 4, 10, L" A", false, 0, 0, 2},
        {1, 4, 90, L"", false, 0, 0, 3}, {1, 4, 50, L"", false, 0, 0, 20},  {1, 5, 0, L"", false, 0, 0, 20},
        {2, 4, 0, L"", false, 0, 0, 4},  {2, 5, 0, L"", false, 0, 0, 5},    {2, 5, 1, L"", false, 0, 0, 6},
        {2, 5, 2, L"", false, 0, 0, 6},  {2, 6, 0, L"", false, 0, 0, 7},    {2, 6, 1, L"", false, 0, 0, 9},
        {2, 6, 2, L"", true, 6, 2, 10},  {2, 6, 2, L"", true, 6, 3, 11},    {2, 6, 2, L"", true, 10, 0, 12},
        {2, 6, 2, L"", true, 11, 0, 7},  {2, 6, 2, L"", false, 0, 0, 7},    {2, 6, 3, L"", false, 0, 0, 7},
        {2, 7, 0, L"", false, 0, 0, 20}, {0, 6, 1, L"", false, 0, 0, 20},   {3, 10, 0, L"", false, 0, 0, 20},
    };
    for (const Case& c : cases) {
        const RealVersionReader real = [&c](DWORD* major, DWORD* minor) {
            *major = c.realMajor;
            *minor = c.realMinor;
            return c.realKnown;
        };
        EXPECT_EQ(GetOSVersionCode({c.platform, c.major, c.minor, c.servicePack}, real), c.expected)
            << c.platform << " " << c.major << "." << c.minor;
    }
    // The running system has a code the launchers know what to do with.
    EXPECT_GE(GetOSVersionCode(), 0);
}

struct LaunchRecorder {
    CWindowsTools::OpenFunction Function() {
        return [this](const std::wstring& file, const std::wstring& parameters) -> INT_PTR {
            opened.push_back(parameters.empty() ? file : file + L" " + parameters);
            return opened.size() <= failures ? 2 : 42;
        };
    }
    std::vector<std::wstring> opened;
    size_t failures = 0;
};

TEST(WindowsTools, EachToolStartsTheProgramOfTheSystem) {
    struct Case {
        int code;
        const wchar_t* mixer;
        const wchar_t* recorder;
    };
    const Case cases[] = {
        {6, L"sndvol32.exe", L"sndrec32.exe"},
        {7, L"sndvol.exe", L"SoundRecorder.exe"},
        {9, L"sndvol.exe", L"SoundRecorder.exe"},
        {11, L"sndvol.exe", L"SoundRecorder.exe"},
        {12, L"sndvol.exe", L"C:\\Programs\\Overcoat/SoundRecorder/Recorder.exe"},
        {20, L"sndvol32.exe", L"sndrec32.exe"},
    };
    for (const Case& c : cases) {
        LaunchRecorder recorder;
        CWindowsTools tools;
        tools.m_open = recorder.Function();
        tools.m_osVersionCode = c.code;
        tools.m_programFolder = L"C:\\Programs\\Overcoat\\";
        tools.StartVolumeMixer();
        tools.StartSoundRecorder();
        tools.StartSoundControlPanel();
        EXPECT_EQ(recorder.opened, (std::vector<std::wstring>{c.mixer, c.recorder, L"control.exe mmsys.cpl"}))
            << c.code;
    }

    // The media player falls back to the older one only when the newer does not start.
    LaunchRecorder recorder;
    CWindowsTools tools;
    tools.m_open = recorder.Function();
    tools.StartMediaPlayer();
    EXPECT_EQ(recorder.opened, std::vector<std::wstring>{L"wmplayer.exe"});
    recorder.opened.clear();
    recorder.failures = 1;
    tools.StartMediaPlayer();
    EXPECT_EQ(recorder.opened, (std::vector<std::wstring>{L"wmplayer.exe", L"mplayer2.exe"}));
}

// ---- The tray ----

// Endpoint mute and volume by endpoint code; a code without a value cannot be read. Writes are logged as
// "<code> <property>=<value>".
class TrayDriver : public RecordingDriver {
public:
    int32_t GetEndpointProperty(int32_t code, const wchar_t* name, void* result, int32_t type, uint32_t, void*, int32_t,
                                uint32_t, bool, bool) override {
        if (type == kValueInt) {
            auto it = m_mute.find(code);
            if (std::wstring(name) != L"MuteControl" || it == m_mute.end())
                return -1;
            *static_cast<int32_t*>(result) = it->second;
        } else {
            auto it = m_volume.find(code);
            if (std::wstring(name) != L"VolumeScalarControl" || it == m_volume.end())
                return -1;
            *static_cast<float*>(result) = it->second;
        }
        return kDriverOk;
    }
    int32_t SetEndpointProperty(int32_t code, const wchar_t* name, const void* value, int32_t type, uint32_t,
                                const void* arguments, int32_t, uint32_t) override {
        std::wstring text = std::to_wstring(code) + L" " + name + L"=";
        if (type == kValueInt) {
            text += std::to_wstring(*static_cast<const int32_t*>(value));
        } else {
            wchar_t number[32];
            swprintf(number, 32, L"%.2f", *static_cast<const float*>(value));
            text += number;
            text += arguments ? L" @" + std::to_wstring(*static_cast<const int32_t*>(arguments)) : L" @none";
        }
        m_writes.push_back(text);
        return kDriverOk;
    }
    bool IsControlDeviceKind1() override { return m_supported; }
    int32_t DefaultRenderHasFeature2() override { return m_asio; }

    std::map<int32_t, int32_t> m_mute;
    std::map<int32_t, float> m_volume;
    std::vector<std::wstring> m_writes;
    bool m_supported = true;
    int32_t m_asio = 1;
};

// The main window's handler as the tray sees it: each service call is logged.
class LoggingMainHandler : public RecordingMainHandler {
public:
    explicit LoggingMainHandler(CallLog* log) : m_calls(log) {}
    void ShowMainWindow() override { m_calls->push_back(L"ShowMainWindow"); }
    void ShowAsioPanel() override { m_calls->push_back(L"ShowAsioPanel"); }
    float UpdateMasterVolume() override { return m_master; }
    int OnDriverNotify(uint64_t value, uint32_t flags) override {
        m_calls->push_back(L"OnDriverNotify " + std::to_wstring(value) + L" " + std::to_wstring(flags));
        return 0;
    }
    CallLog* m_calls;
    float m_master = 0.5f;
};

// The main window: a skinned dialog that logs the commands it receives.
class MainWindow : public CxSkinDialog {
public:
    explicit MainWindow(CallLog* log) : CxSkinDialog(CDialog::IDD_POPUP, nullptr), m_calls(log) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND) {
            m_calls->push_back(L"command " + std::to_wstring(LOWORD(wParam)));
            if (m_onCommand)
                m_onCommand();
        }
        return CxSkinDialog::WindowProc(message, wParam, lParam);
    }
    CallLog* m_calls;
    std::function<void()> m_onCommand;
};

class TrayTest : public ShippedDialogTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(PrepareApplication(app));
        services.m_driver = &driver;
        driver.m_mute = {{1, 1}, {7, 1}, {4, 1}, {12, 1}};

        main = std::make_unique<MainWindow>(&calls);
        main->SetListener(&mainHandler);
        mainHandler.SetWindow(main.get());
        ASSERT_TRUE(main->Create(CDialog::IDD_POPUP, nullptr));
        tray = MakeTray();
    }
    void TearDown() override {
        tray.reset();
        if (main) {
            if (main->GetSafeHwnd())
                main->DestroyWindow();
            main->SetListener(nullptr);
        }
        Pump();
        main.reset();
        app.ReleaseLytController();
    }

    std::unique_ptr<CSystemTray> MakeTray(bool withMain = true) {
        auto made = std::make_unique<CSystemTray>();
        made->m_systemMajorVersion = 10;
        made->m_services = &services;
        made->m_notifyIcon = [this](DWORD message, NOTIFYICONDATAW* data) {
            shell.push_back(std::to_wstring(message) + L" " + std::to_wstring(data->uFlags));
            return shellResult;
        };
        made->m_measureIcon = [this](RECT* rect, int* edge) {
            if (!iconFound)
                return FALSE;
            *rect = iconRect;
            *edge = taskbarEdge;
            return TRUE;
        };
        made->m_cursorPos = [this] { return cursor; };
        made->m_createHandler = [this](const std::wstring& name) -> IHandler* {
            calls.push_back(L"handler " + name);
            auto* handler = new CSystemTrayHandler;
            handler->SetServices(&services);
            handler->m_tools.m_open = launches.Function();
            handler->m_tools.m_osVersionCode = 12;
            return handler;
        };
        if (withMain)
            made->SetMainWindow(main.get());
        made->Create(nullptr, kTrayMessage, L"Overcoat", ::LoadIconW(nullptr, IDI_APPLICATION), kIconId);
        return made;
    }
    LRESULT Notice(UINT mouse, WPARAM id = kIconId) {
        return ::SendMessageW(tray->GetSafeHwnd(), kTrayMessage, id, mouse);
    }
    void Click() {
        Notice(WM_LBUTTONDOWN);
        Notice(WM_LBUTTONUP);
    }
    // What the click timer does when it fires, without waiting for it.
    void FireClickTimer() { ::SendMessageW(tray->GetSafeHwnd(), WM_TIMER, CSystemTray::kClickTimer, 0); }
    RECT PopupRect() const {
        RECT rect{};
        ::GetWindowRect(tray->GetPopup()->GetSafeHwnd(), &rect);
        return rect;
    }
    int Count(const std::wstring& line) const { return static_cast<int>(std::count(calls.begin(), calls.end(), line)); }

    COvercoatApp app;
    AppServices services{app};
    TrayDriver driver;
    CallLog calls;
    LoggingMainHandler mainHandler{&calls};
    LaunchRecorder launches;
    std::vector<std::wstring> shell;
    BOOL shellResult = TRUE;
    bool iconFound = true;
    RECT iconRect{600, 700, 616, 716};
    int taskbarEdge = kEdgeBottom;
    POINT cursor{400, 300};
    std::unique_ptr<MainWindow> main;
    std::unique_ptr<CSystemTray> tray;
};

TEST_F(TrayTest, IconIsAddedHiddenShownAndRemovedThroughTheShell) {
    const NOTIFYICONDATAW& data = tray->GetNotifyData();
    EXPECT_TRUE(tray->IsAdded());
    EXPECT_EQ(data.cbSize, 976u);
    EXPECT_EQ(data.hWnd, tray->GetSafeHwnd()) << "created without a parent, the tray's own window hears the icon";
    EXPECT_EQ(data.uID, kIconId);
    EXPECT_EQ(data.uCallbackMessage, kTrayMessage);
    EXPECT_STREQ(data.szTip, L"Overcoat");

    tray->HideIcon();
    tray->HideIcon();
    tray->ShowIcon();
    tray->ShowIcon();
    tray->ModifyIcon(::LoadIconW(nullptr, IDI_WARNING));
    tray->RemoveIcon();
    tray->RemoveIcon();
    const std::wstring add = std::to_wstring(NIM_ADD) + L" 7", del = std::to_wstring(NIM_DELETE) + L" 2",
                       modify = std::to_wstring(NIM_MODIFY) + L" 2";
    EXPECT_EQ(shell, (std::vector<std::wstring>{add, del, add, modify, del}));

    // A shell that refuses the icon: nothing is added, so nothing is ever deleted.
    shell.clear();
    shellResult = FALSE;
    auto refused = MakeTray();
    EXPECT_FALSE(refused->IsAdded());
    refused->HideIcon();
    refused->RemoveIcon();
    refused.reset();
    EXPECT_EQ(shell, std::vector<std::wstring>{add});

    // A shell that refuses the icon again after a hide: it stays hidden, and a later show tries again.
    shellResult = TRUE;
    auto again = MakeTray();
    again->HideIcon();
    shellResult = FALSE;
    again->ShowIcon();
    EXPECT_TRUE(again->IsHidden());
    shellResult = TRUE;
    again->ShowIcon();
    EXPECT_FALSE(again->IsHidden());

    // A tip longer than the record holds is cut, not overrun; before NT 4 there is no icon at all.
    CSystemTray longTip;
    longTip.m_notifyIcon = [](DWORD, NOTIFYICONDATAW*) { return TRUE; };
    ASSERT_TRUE(longTip.Create(nullptr, kTrayMessage, std::wstring(300, L'x'), nullptr, kIconId));
    EXPECT_EQ(wcslen(longTip.GetNotifyData().szTip), 127u);
    CSystemTray old;
    old.m_systemMajorVersion = 3;
    old.m_notifyIcon = [](DWORD, NOTIFYICONDATAW*) { return TRUE; };
    EXPECT_FALSE(old.Create(nullptr, kTrayMessage, L"Old", nullptr, kIconId));
    EXPECT_FALSE(old.IsWindow());
}

TEST_F(TrayTest, SingleClickOpensThePopupOnceTheDoubleClickTimeHasPassed) {
    driver.m_mute[7] = 0;
    Click();
    EXPECT_EQ(tray->GetPopup(), nullptr) << "the pop-up waits for a possible second click";
    ASSERT_TRUE(PumpUntil([&] { return tray->GetPopup() != nullptr; }, 2000));
    CxSkinDialog* popup = tray->GetPopup();
    EXPECT_TRUE(::IsWindowVisible(popup->GetSafeHwnd()));
    EXPECT_EQ(::GetWindow(popup->GetSafeHwnd(), GW_OWNER), main->GetSafeHwnd());
    EXPECT_EQ(Count(L"handler SystemTray"), 1);

    // Its controls show the driver: not all speakers muted, the master volume at 50 %.
    auto* mute = dynamic_cast<IxSkinButton*>(CBaseHandler::FindControlIn(popup, L"SpeakerMute"));
    auto* volume = dynamic_cast<IxSkinSlider*>(CBaseHandler::FindControlIn(popup, L"SpeakerVol"));
    ASSERT_NE(mute, nullptr);
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(mute->GetCheck(), 0);
    EXPECT_NEAR(volume->GetPos(), 50.0f, 0.5f);
    // Above the icon on a bottom taskbar, centred on it.
    const RECT placed = PopupRect();
    EXPECT_EQ(placed.bottom, iconRect.top - 2);
    EXPECT_LE(std::abs((placed.left + placed.right) / 2 - 608), 1);
    // The tray's refresh reads the driver again.
    driver.m_mute[7] = 1;
    tray->RefreshPopup();
    EXPECT_EQ(mute->GetCheck(), 1);

    // The pop-up's background is drawn: an opaque raised surface away from the controls.
    const uint32_t pixel = popup->GetPixel(popup->GetSurfaceWidth() - 8, 8);
    EXPECT_EQ(Alpha(pixel), 255);
    EXPECT_LT(Red(pixel), 0x60);
    EXPECT_FALSE(SaveDialogPicture(*popup, L"SystemTrayLClick").empty());

    // Another click replaces the pop-up with a fresh one; message 1136 closes it.
    const HWND first = popup->GetSafeHwnd();
    Click();
    FireClickTimer();
    ASSERT_NE(tray->GetPopup(), nullptr);
    EXPECT_FALSE(::IsWindow(first));
    EXPECT_EQ(Count(L"handler SystemTray"), 2);
    const HWND second = tray->GetPopup()->GetSafeHwnd();
    tray->ClosePopups();
    Pump();
    EXPECT_EQ(tray->GetPopup(), nullptr);
    EXPECT_FALSE(::IsWindow(second));
}

TEST_F(TrayTest, DoubleClickShowsTheMainWindowAndNoPopup) {
    Click();
    Notice(WM_LBUTTONDBLCLK);
    EXPECT_EQ(Count(L"command " + std::to_wstring(ID_MAIN_SHOW)), 1);
    PumpFor(500);
    EXPECT_EQ(tray->GetPopup(), nullptr);
    EXPECT_EQ(Count(L"handler SystemTray"), 0);

    // A notice that arrives while one is being handled is turned away at once.
    LRESULT nested = -1;
    main->m_onCommand = [&] { nested = Notice(WM_RBUTTONUP); };
    Notice(WM_LBUTTONDBLCLK);
    main->m_onCommand = nullptr;
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(tray->GetMenu(), nullptr);

    // An up without its down, a right press after a click, and another icon's notices open nothing.
    Notice(WM_LBUTTONUP);
    Click();
    Notice(WM_RBUTTONDOWN);
    EXPECT_EQ(Notice(WM_LBUTTONDOWN, kIconId + 1), 0);
    Notice(WM_LBUTTONUP, kIconId + 1);
    PumpFor(500);
    EXPECT_EQ(tray->GetPopup(), nullptr);
}

TEST_F(TrayTest, PopupIsPlacedBesideTheTaskbarAndInsideTheScreen) {
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    struct Case {
        const char* what;
        int edge;
        RECT icon;
    };
    const Case cases[] = {
        {"top taskbar", kEdgeTop, {300, 0, 316, 24}},
        {"right taskbar", kEdgeRight, {width - 20, 400, width - 4, 416}},
        {"left of the screen", kEdgeBottom, {0, 700, 8, 716}},
    };
    for (const Case& c : cases) {
        taskbarEdge = c.edge;
        iconRect = c.icon;
        Click();
        FireClickTimer();
        ASSERT_NE(tray->GetPopup(), nullptr) << c.what;
        const RECT placed = PopupRect();
        if (c.edge == kEdgeTop)
            EXPECT_EQ(placed.top, c.icon.bottom + 2) << c.what;
        else
            EXPECT_EQ(placed.bottom, c.icon.top - 2) << c.what;
        EXPECT_GE(placed.left, 1) << c.what;
        EXPECT_LE(placed.right, width - 1) << c.what;
    }
}

// An icon that cannot be measured (Wine, newer taskbars): the pop-up opens where the click was, wholly on
// the screen, whichever corner the cursor is in.
TEST_F(TrayTest, UnmeasuredIconOpensThePopupAtTheCursorOnTheScreen) {
    iconFound = false;
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    const POINT corners[] = {{width - 3, height - 2}, {2, 1}, {width / 2, height / 2}};
    for (const POINT at : corners) {
        SCOPED_TRACE(std::to_string(at.x) + "," + std::to_string(at.y));
        cursor = at;
        Click();
        ASSERT_TRUE(PumpUntil([&] { return tray->GetPopup() != nullptr; }, 2000));
        EXPECT_TRUE(::IsWindowVisible(tray->GetPopup()->GetSafeHwnd()));
        const RECT placed = PopupRect();
        EXPECT_GE(placed.left, 0);
        EXPECT_GE(placed.top, 0);
        EXPECT_LE(placed.right, width);
        EXPECT_LE(placed.bottom, height);
        EXPECT_LE(placed.left, at.x);
        EXPECT_GE(placed.right, at.x);
        if (at.y > height / 4) {
            EXPECT_LE(placed.bottom, at.y) << "above the click, as over a bottom taskbar";
        }
        tray->ClosePopups();
        Pump();
    }
}

TEST_F(TrayTest, RightClickOpensTheMenuWithAsioOnlyWhenTheDeviceHasIt) {
    for (int32_t asio : {1, 0}) {
        driver.m_asio = asio;
        Notice(WM_RBUTTONDOWN);
        Notice(WM_RBUTTONUP);
        CxSkinMenu* menu = tray->GetMenu();
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(::IsWindowVisible(menu->GetSafeHwnd()));
        EXPECT_EQ(menu->GetTrackingAlign(), kMenuAlignTop) << "above the icon of a bottom taskbar";
        bool hasAsio = false;
        for (int i = 0; i < menu->GetItemCount(); ++i)
            hasAsio = hasAsio || menu->GetItem(i)->GetName() == L"ASIO";
        EXPECT_EQ(hasAsio, asio != 0);
        EXPECT_GE(menu->GetItemCount(), 9);
    }
    EXPECT_FALSE(SaveDialogPicture(*tray->GetMenu(), L"SystemTrayRClick").empty());

    // A top taskbar opens it below the icon; an icon not found opens it at the cursor.
    taskbarEdge = kEdgeTop;
    Notice(WM_RBUTTONUP);
    EXPECT_EQ(tray->GetMenu()->GetTrackingAlign(), kMenuAlignBelow);
    iconFound = false;
    Notice(WM_RBUTTONUP);
    ASSERT_NE(tray->GetMenu(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(tray->GetMenu()->GetSafeHwnd()));
}

TEST_F(TrayTest, TrayOutlivesItsMainWindowAndItsPopups) {
    Click();
    FireClickTimer();
    Notice(WM_RBUTTONUP);
    ASSERT_NE(tray->GetPopup(), nullptr);
    ASSERT_NE(tray->GetMenu(), nullptr);

    // The main window goes first: the tray's notices act on nothing that is gone.
    main->SetListener(nullptr);
    main->DestroyWindow();
    Pump();
    Notice(WM_LBUTTONDBLCLK);
    Click();
    FireClickTimer();
    Notice(WM_RBUTTONUP);
    Pump();
    EXPECT_EQ(Count(L"command " + std::to_wstring(ID_MAIN_SHOW)), 0);

    // The tray goes with its pop-ups open.
    tray.reset();
    Pump();
}

TEST_F(TrayTest, IconMeasureAnswersSoundlyWhateverTheTaskbar) {
    // The test display may have no taskbar at all; when it has one, the answer is a real edge.
    RECT rect{};
    int edge = -1;
    if (tray->GetIconRect(&rect, &edge)) {
        EXPECT_GE(edge, kEdgeLeft);
        EXPECT_LE(edge, kEdgeRight);
        EXPECT_LE(rect.left, rect.right);
    }
    EXPECT_FALSE(tray->GetIconRect(nullptr, &edge));
}

// Every text key of the tray's and the messages' markup has its text in each shipped culture.
TEST_F(TrayTest, MarkupTextsExistInEveryCulture) {
    const std::regex key("ml_[A-Za-z_]+");
    for (const wchar_t* culture : {L"en-US", L"de-DE"}) {
        ASSERT_EQ(app.LoadLanguage(culture), 1);
        for (const wchar_t* file :
             {L"SystemTrayLClick.lyt", L"SystemTrayRClick.lyt", L"Dialog_WelcomeMsg.lyt", L"Dialog_ENCPromptMsg.lyt"}) {
            std::ifstream in(fs::path(app.GetSkinFolder()) / file);
            ASSERT_TRUE(in) << file;
            const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            for (std::sregex_iterator it(text.begin(), text.end(), key), end; it != end; ++it) {
                const std::string found = it->str();
                const std::wstring name(found.begin(), found.end());
                EXPECT_FALSE(app.GetLanguageText(name).empty()) << name << " in " << file;
            }
        }
    }
}

// ---- The tray handler ----

class TrayHandlerTest : public TrayTest {
protected:
    void SetUp() override {
        TrayTest::SetUp();
        handler = std::make_unique<CSystemTrayHandler>();
        handler->SetServices(&services);
        handler->SetWindow(main.get());
        handler->m_tools.m_open = launches.Function();
        handler->m_tools.m_osVersionCode = 9;
    }
    void TearDown() override {
        handler.reset();
        TrayTest::TearDown();
    }
    std::unique_ptr<CSystemTrayHandler> handler;
};

TEST_F(TrayHandlerTest, MenuCommandsReachTheLaunchersAndTheMainWindow) {
    struct Case {
        const wchar_t* item;
        std::vector<std::wstring> launched;
        std::vector<std::wstring> called;
    };
    const std::wstring settings = L"command " + std::to_wstring(ID_MAIN_SETTINGS);
    const std::wstring close = L"command " + std::to_wstring(ID_MAIN_CLOSE_PROGRAM);
    const Case cases[] = {
        {L"OpenMainWnd", {}, {L"ShowMainWindow"}},
        {L"VolumeControl", {L"sndvol.exe"}, {}},
        {L"WindowMediaPlayer", {L"wmplayer.exe"}, {}},
        {L"SoundRecorder", {L"SoundRecorder.exe"}, {}},
        {L"MultimediaProperties", {L"control.exe mmsys.cpl"}, {}},
        {L"ASIO", {}, {L"ShowAsioPanel"}},
        {L"Settings", {}, {settings}},
        {L"AppClose", {}, {L"ShowMainWindow", L"OnDriverNotify 0 32888", close}},
        {L"asio", {}, {}},
        {L"", {}, {}},
    };
    for (const Case& c : cases) {
        launches.opened.clear();
        calls.clear();
        handler->OnMenuCommand(L"SystemTrayMenu", 0, c.item);
        Pump();
        EXPECT_EQ(launches.opened, c.launched) << c.item;
        EXPECT_EQ(calls, c.called) << c.item;
    }
}

TEST_F(TrayHandlerTest, MuteMutesAllSpeakersUnlessAllAreMuted) {
    struct Case {
        std::map<int32_t, int32_t> mute;
        int written;
    };
    const Case cases[] = {
        {{{1, 1}, {7, 1}, {4, 1}, {12, 1}}, 0},
        {{{1, 1}, {7, 0}, {4, 1}, {12, 1}}, 1},
        {{{1, 1}, {7, 1}, {12, 1}}, 0}, // an endpoint that cannot be read counts as muted
        {{{1, 0}}, 1},
    };
    for (const Case& c : cases) {
        driver.m_mute = c.mute;
        driver.m_writes.clear();
        EXPECT_EQ(handler->OnClick(L"SpeakerMute"), 1);
        const std::wstring v = std::to_wstring(c.written);
        EXPECT_EQ(driver.m_writes, (std::vector<std::wstring>{L"1 MuteControl=" + v, L"12 MuteControl=" + v,
                                                              L"7 MuteControl=" + v, L"4 MuteControl=" + v}));
    }
    driver.m_writes.clear();
    EXPECT_EQ(handler->OnClick(L"SpeakerVol"), 1);
    EXPECT_TRUE(driver.m_writes.empty());
}

TEST_F(TrayHandlerTest, VolumeMovesEverySpeakerByTheSameStepWithinRange) {
    driver.m_volume = {{1, 0.9f}, {7, 0.2f}, {12, 0.5f}}; // endpoint 4 cannot be read: it starts at 0
    mainHandler.m_master = 0.5f;
    handler->OnSliderChanged(L"SpeakerVol", 80.0f, 0);
    EXPECT_EQ(driver.m_writes,
              (std::vector<std::wstring>{L"1 VolumeScalarControl=1.00 @-1", L"7 VolumeScalarControl=0.50 @-1",
                                         L"4 VolumeScalarControl=0.30 @-1", L"12 VolumeScalarControl=0.80 @-1"}));
    driver.m_writes.clear();
    handler->OnSliderChanged(L"SpeakerVol", 0.0f, 0);
    EXPECT_EQ(driver.m_writes[1], L"7 VolumeScalarControl=0.00 @-1") << "never below silence";
}

TEST_F(TrayHandlerTest, UnsupportedDeviceDisablesThePopupControls) {
    driver.m_supported = false;
    Click();
    FireClickTimer();
    ASSERT_NE(tray->GetPopup(), nullptr);
    for (const wchar_t* name : {L"SpeakerMute", L"SpeakerVol"}) {
        CxSkinCtrl* control = CBaseHandler::FindControlIn(tray->GetPopup(), name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_FALSE(control->IsEnabled(FALSE)) << name;
    }
}

// ---- The welcome and noise-cancellation messages ----

TEST(PromptMessages, TurnOffButtonFlipsTheSettingAndOnlyTheWelcomeIsStored) {
    TempDir scratch;
    const std::wstring ini = (scratch / "setting.ini").wstring();
    {
        CAppSettings settings(ini);
        CWelcomeMsgHandler welcome;
        welcome.SetSettings(&settings);
        EXPECT_EQ(welcome.OnClick(L"BtnDisableWelcomeMsg"), 1);
        EXPECT_EQ(settings.m_nWelcomeMsg, 0);
        EXPECT_EQ(welcome.OnClick(L"BtnDisableENCPromptMsg"), 1) << "the other message's button does nothing";
        EXPECT_EQ(welcome.OnClick(L"BtnExit"), 1) << "no dialog to end: nothing happens";
    }
    EXPECT_EQ(CAppSettings(ini).m_nWelcomeMsg, 0) << "the welcome message does not come at the next start";
    {
        CAppSettings settings(ini);
        CWelcomeMsgHandler welcome;
        welcome.SetSettings(&settings);
        welcome.OnClick(L"BtnDisableWelcomeMsg");
        welcome.OnClick(L"BtnDisableWelcomeMsg");
        EXPECT_EQ(welcome.IsMessageEnabled(), 1);
    }
    EXPECT_EQ(CAppSettings(ini).m_nWelcomeMsg, 1) << "pressed twice: on again";
    {
        CAppSettings settings(ini);
        CENCPromptMsgHandler prompt;
        prompt.SetSettings(&settings);
        prompt.OnClick(L"BtnDisableENCPromptMsg");
        EXPECT_EQ(settings.m_nNoiseCancelPrompt, 0);
        EXPECT_EQ(settings.m_nWelcomeMsg, 1);
    }
    EXPECT_EQ(CAppSettings(ini).m_nNoiseCancelPrompt, 1) << "the prompt comes back at the next start";
}

class PromptDialogTest : public TrayTest {};

TEST_F(PromptDialogTest, MessagesShowFromTheSkinAndTheExitButtonEndsThem) {
    for (const wchar_t* name : {L"Dialog_WelcomeMsg", L"Dialog_ENCPromptMsg"}) {
        CUIDialog dialog(CDialog::IDD_POPUP, main.get());
        UseSkinMarkup(dialog, app, name);
        static CUIDialog* s_running = nullptr;
        static std::wstring s_picture;
        static bool s_checked = false;
        s_running = &dialog;
        s_picture = name;
        s_checked = false;
        // Once the dialog runs: look at it, then press its exit button.
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
            ::KillTimer(nullptr, id);
            auto* handler = dynamic_cast<CPromptMsgHandler*>(s_running->GetHandler());
            if (!handler) {
                s_running->EndDialog(-5);
                return;
            }
            s_checked = CBaseHandler::FindControlIn(s_running, L"BtnExit") != nullptr &&
                        Alpha(s_running->GetPixel(200, 24)) == 255;
            SaveDialogPicture(*s_running, s_picture);
            handler->OnClick(L"BtnExit");
        });
        ASSERT_NE(timer, 0u);
        EXPECT_EQ(dialog.DoModal(), IDCANCEL) << name;
        EXPECT_TRUE(s_checked) << name;
    }
}

} // namespace
