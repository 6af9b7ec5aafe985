// The main window's handler on a real skinned dialog loaded from markup made at run time: content panels
// switched by name (kept or released), the master volume over every output endpoint, the mute button, the
// quick toggles, the status panel's announcements, the poll and the driver notices, and the speaker test.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../skin/SkinDialogFixture.h"
#include "../skin/SkinTestSupport.h"
#include "DialogGallery.h"
#include "HandlerTestSupport.h"
#include "TestPaths.h"
#include "app/AppLytEnvironment.h"
#include "app/AppSettings.h"
#include "app/MainHandler.h"
#include "app/MainPanelHandlers.h"
#include "markup/ILytContainerHost.h"
#include "markup/ILytEnvironment.h"
#include "markup/LytSkinElements.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinPanel.h"
#include "skin/IxSkinSlider.h"
#include "skin/SkinCtrl.h"

using namespace oc::test;

namespace {

std::wstring Format(float value) {
    wchar_t text[32];
    swprintf(text, 32, L"%.2f", static_cast<double>(value));
    return text;
}

// The device as the main window sees it: volumes and mutes per endpoint code (a code without an entry has
// no endpoint), switches of the default render endpoint with the value the driver holds now, and the
// features it supports. Writes are logged as "set <code> <name>=<value>".
class MainDriver : public RecordingDriver {
public:
    int32_t GetEndpointProperty(int32_t code, const wchar_t* name, void* result, int32_t type, uint32_t, void*, int32_t,
                                uint32_t, bool, bool) override {
        const std::wstring key = std::wstring(name);
        if (type == 2) {
            auto it = m_volumes.find(code);
            if (it == m_volumes.end())
                return -1;
            *static_cast<float*>(result) = it->second;
            return kDriverOk;
        }
        auto it = m_endpointInts.find({code, key});
        if (it == m_endpointInts.end())
            return -1;
        *static_cast<int32_t*>(result) = it->second;
        return kDriverOk;
    }
    int32_t SetEndpointProperty(int32_t code, const wchar_t* name, const void* value, int32_t type, uint32_t,
                                const void*, int32_t, uint32_t) override {
        const std::wstring text = type == 2 ? Format(*static_cast<const float*>(value))
                                            : std::to_wstring(*static_cast<const int32_t*>(value));
        m_log.push_back(L"set " + std::to_wstring(code) + L" " + name + L"=" + text);
        if (type == 2 && m_volumes.contains(code))
            m_volumes[code] = *static_cast<const float*>(value);
        else if (type != 2)
            m_endpointInts[{code, name}] = *static_cast<const int32_t*>(value);
        return m_endpointWriteResult;
    }
    int32_t GetDefaultRenderProperty(const wchar_t* name, void* result, int32_t, uint32_t, void*, int32_t, uint32_t,
                                     bool, bool fromCache) override {
        const auto& values = fromCache ? m_live : m_renderValues;
        auto it = values.find(name);
        if (it == values.end())
            return -1;
        *static_cast<int32_t*>(result) = it->second;
        return kDriverOk;
    }
    // The control device's mute and volume: index 0 what the device holds, 1 what the driver last handed out.
    int32_t GetControlDeviceProperty(const wchar_t* name, void* result, int32_t type, uint32_t, void*, int32_t,
                                     uint32_t, bool, bool fromCache) override {
        if (type == 2)
            *static_cast<float*>(result) = m_controlVolume[fromCache];
        else if (std::wstring(name) == L"MuteControl")
            *static_cast<int32_t*>(result) = m_controlMute[fromCache];
        else
            return -1;
        return kDriverOk;
    }
    int32_t IsFeatureSupported(const std::wstring& feature) override { return m_features.contains(feature); }
    bool IsControlDeviceKind1() override { return true; }
    std::wstring GetDefaultCaptureEndpointName() override { return L"MicIn"; }
    std::wstring GetEndpointContent(const std::wstring& endpoint) override { return endpoint + L"Vol"; }
    std::wstring EndpointCodeToName(int32_t code) override {
        return code == 1 ? L"Speaker" : code == 7 ? L"HeadPhone" : code == 2 ? L"MicIn" : code == 12 ? L"SpeakerQuarter" : L"";
    }
    uint32_t GetDeviceKindByName(const std::wstring& endpoint) override {
        return endpoint.empty() || m_gone.contains(endpoint) ? 0 : 1;
    }
    std::wstring GetDefaultRenderEndpointName() override { return m_defaultRender; }
    void SetCurrentContent(const std::wstring& name) override { m_log.push_back(L"content " + name); }
    bool RestartListen(int32_t code, bool restart) override {
        m_log.push_back(L"listen " + std::to_wstring(code) + L" " + std::to_wstring(restart));
        return true;
    }
    bool PlayTestSound(const std::wstring&, int32_t channel) override {
        m_log.push_back(L"play " + std::to_wstring(channel));
        return true;
    }
    bool StopTestSound(bool) override {
        m_stopThread = ::GetCurrentThreadId();
        if (m_stopHang)
            ::WaitForSingleObject(m_stopHang, INFINITE); // a driver that hangs in the stop until released
        m_stopsReturned.fetch_add(1);
        return true;
    }

    std::map<int32_t, float> m_volumes;
    std::map<std::pair<int32_t, std::wstring>, int32_t> m_endpointInts;
    std::map<std::wstring, int32_t> m_renderValues;
    std::map<std::wstring, int32_t> m_live;
    std::set<std::wstring> m_features;
    int32_t m_controlMute[2] = {0, 0};
    float m_controlVolume[2] = {0.5f, 0.5f};
    std::set<std::wstring> m_gone; // endpoints unplugged since the list was built
    std::wstring m_defaultRender = L"Speaker";
    int32_t m_endpointWriteResult = kDriverOk;
    // Devices there now and devices in the list (fewer after an enumeration failed).
    int32_t m_enumerated = 1;
    int32_t m_listed = 1;
    int32_t EnumerateDevices() override { return m_enumerated; }
    int32_t GetDeviceCount() override { return m_listed; }
    void BuildDeviceList() override {
        m_log.push_back(L"build list");
        m_listed = m_enumerated;
    }
    DWORD m_stopThread = 0;
    HANDLE m_stopHang = nullptr;
    std::atomic<int> m_stopsReturned{0};
};

// A content panel's handler: logs what the main window asks of it into the shared journal.
class ContentHandler : public CBaseHandler, public IRotatingHandler {
public:
    ContentHandler(std::wstring name, bool keep, CallLog& log) : m_keep(keep), m_log(log) { m_name = std::move(name); }
    void Release() override {
        m_log.push_back(L"release " + m_name);
        delete this;
    }
    void InitControls() override { m_log.push_back(L"init " + m_name); }
    void OnDeactivate() override { m_log.push_back(L"deactivate " + m_name); }
    int KeepContentLoaded() override { return m_keep ? 1 : 0; }
    int UpdateFromDriver() override { return m_changed; }
    void StopRotation(int, int) override { m_log.push_back(L"stop rotation " + m_name); }

    bool m_keep;
    int m_changed = 0;
    CallLog& m_log;
};

class StatusHandler : public CBaseHandler, public IStatusPanelHandler {
public:
    explicit StatusHandler(CallLog& log) : m_log(log) { m_name = L"PanelStatusHandler"; }
    void Release() override { delete this; }
    void InitControls() override { m_log.push_back(L"status init"); }
    int UpdateFromDriver() override { return m_changed; }
    void OnControlChanged(const std::wstring& key) override { m_log.push_back(L"status " + key); }

    int m_changed = 0;
    CallLog& m_log;
};

// The application's side of the markup: the skin folder, the handlers by panel name and the controller.
class MainEnvironment : public ILytEnvironment, public ILytContainerHost {
public:
    std::wstring TranslateText(const std::wstring& value) const override { return value; }
    std::wstring GetSkinFilePath(const std::wstring& value) const override { return skinFolder + value; }
    std::wstring GetSkinFolder() const override { return skinFolder; }
    int GetScreenDpi() const override { return 96; }

    IxSkinListener* CreateHandler(const std::wstring& name) override {
        if (name == L"MainWindow")
            return makeMain();
        if (name == L"PanelStatus")
            return status = new StatusHandler(log);
        if (auto it = contents.find(name); it != contents.end()) {
            log.push_back(L"create " + name);
            return lastContent = new ContentHandler(name + L"Handler", it->second, log);
        }
        return nullptr;
    }
    ILytController* GetController() const override { return controller; }
    void UpdateContentRect(IxSkinObject* parent, const LytRect& rect) override {
        CAppLytEnvironment::PlaceContentFrame(parent, rect);
    }
    void EnumerateProfiles(IxSkinListener*, IxSkinObject*, const LytRect&) override {}

    std::wstring skinFolder;
    ILytController* controller = nullptr;
    std::function<IxSkinListener*()> makeMain;
    // Content panel names with whether their handler keeps the panel loaded.
    std::map<std::wstring, bool> contents;
    CallLog log;
    StatusHandler* status = nullptr;
    ContentHandler* lastContent = nullptr;
};

class MainServices : public TestServices {
public:
    ILytController* GetLytController() override { return controller; }
    std::wstring GetSkinFolder() override { return skinFolder; }
    ILytController* controller = nullptr;
    std::wstring skinFolder;
};

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A content panel with a background of its own, so the back buffer shows which panel is up.
std::string Content(const std::string& name) {
    std::string markup = "<Canvas Name=\"" + name + "\" Width=\"200\" Height=\"100\"";
    markup += " Background.Image=\"" + name + ".png\">\n";
    markup += "  <Button Name=\"" + name + "Button\" Left=\"5\" Top=\"5\" Width=\"40\" Height=\"20\" />\n";
    return markup + "</Canvas>\n";
}

class MainHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring folder = skin.Path().wstring() + L"\\";
        WriteText(skin / "DesignDictResource.lyt", "<ResourceDictionary.MergedDictionaries />");
        WriteText(skin / "MainWindow.lyt",
                  "<Window Name=\"MainWindow\">\n"
                  "  <Canvas Name=\"PanelStatus\" Left=\"0\" Top=\"0\" Width=\"100\" Height=\"40\" />\n"
                  "  <Canvas Name=\"PanelProfile\" Left=\"0\" Top=\"0\" Width=\"100\" Height=\"40\" />\n"
                  "  <CheckBox Name=\"SpeakerMute\" Left=\"0\" Top=\"160\" Width=\"20\" Height=\"20\" />\n"
                  "  <Slider Name=\"SpeakerVol\" Left=\"30\" Top=\"160\" Width=\"100\" Height=\"10\" Minimum=\"0\"\n"
                  "          Maximum=\"100\" Image.Bar.Normal=\"bar.png\" Image.Thumb.Normal=\"thumb.png\" />\n"
                  "  <CheckBox Name=\"EnableSmartVol\" Left=\"140\" Top=\"160\" Width=\"20\" Height=\"20\" />\n"
                  "  <CheckBox Name=\"EnableGX\" Left=\"170\" Top=\"160\" Width=\"20\" Height=\"20\" />\n"
                  "  <CheckBox Name=\"EnableENC\" Left=\"200\" Top=\"160\" Width=\"20\" Height=\"20\" />\n"
                  "  <Embed Name=\"FrameContent\" Left=\"10\" Top=\"50\" Width=\"200\" Height=\"100\" />\n"
                  "</Window>\n");
        for (const char* name : {"SpeakerVol", "SpeakerEQ", "MicInENC", "SpeakerVirtual", "SpeakerSetting",
                                 "HeadPhoneSetting", "SpeakerVimoSurroundSpeakers", "SpeakerVimoSurroundHeadPhone",
                                 "HeadPhoneVimoSurroundSpeakers", "HeadPhoneVimoSurroundHeadPhone",
                                 "SpeakerQuarterVimoSurroundSpeakers"})
            WriteText(skin / ("apo" + std::string(name) + ".lyt"), Content(name));
        for (const char* wave : {"L-Front.wav", "R-Front.wav"})
            WriteText(skin / wave, "RIFF");
        SavePng(*SolidImage(200, 100, 0xFFC03030), skin / L"SpeakerVol.png");
        SavePng(*SolidImage(200, 100, 0xFF3060C0), skin / L"SpeakerEQ.png");
        SavePng(*SolidImage(100, 10, 0xFF3A4250), skin / L"bar.png");
        SavePng(*SolidImage(10, 10, 0xFFE8ECF0), skin / L"thumb.png");
        environment.skinFolder = folder;
        environment.contents = {{L"SpeakerVol", false},
                                {L"SpeakerEQ", true},
                                {L"MicInENC", false},
                                {L"SpeakerVirtual", true},
                                {L"SpeakerSetting", false},
                                {L"HeadPhoneSetting", false},
                                {L"SpeakerVimoSurroundSpeakers", false},
                                {L"SpeakerVimoSurroundHeadPhone", false},
                                {L"HeadPhoneVimoSurroundSpeakers", false},
                                {L"HeadPhoneVimoSurroundHeadPhone", false},
                                {L"SpeakerQuarterVimoSurroundSpeakers", false}};
        controller = CreateSkinLytController(environment);
        environment.controller = controller;
        services.controller = controller;
        services.skinFolder = folder;
        services.m_driver = &driver;
        settings.m_nMicInListenToDevice = 1;
        driver.m_volumes = {{1, 0.8f}};
        driver.m_endpointInts = {{{1, L"MuteControl"}, 1}};
        environment.makeMain = [this] {
            main = new CMainHandler;
            main->SetServices(&services);
            main->SetSettings(&settings);
            main->SetLytEnvironment(&environment);
            main->m_runMarkupDialog = [this](const std::wstring& path) {
                environment.log.push_back(L"dialog " + path.substr(path.find_last_of(L'\\') + 1));
            };
            return main;
        };
        ASSERT_TRUE(OpenDialog(dialog, {0, 0}, 320, 200));
        ASSERT_EQ(controller->Load((skin / "MainWindow.lyt").wstring().c_str(), &dialog, nullptr), 1);
        ASSERT_NE(main, nullptr);
        main->SetWaveFolder(folder);
        main->InitControls(); // as the main dialog does once the window's markup is loaded
        driver.m_log.clear();
        environment.log.clear();
    }
    void TearDown() override {
        dialog.DestroyWindow();
        controller->Release();
    }

    CallLog TakeLog() { return std::exchange(environment.log, {}); }
    CallLog TakeDriverLog() { return std::exchange(driver.m_log, {}); }
    IxSkinButton* Button(const wchar_t* name) { return dynamic_cast<IxSkinButton*>(main->FindControl(name)); }

    TempDir skin;
    MainDriver driver;
    MainServices services;
    CAppSettings settings{(skin / "setting.ini").wstring()};
    MainEnvironment environment;
    ILytController* controller = nullptr;
    TestDialog dialog; // destroyed before the environment and driver its handlers use
    CMainHandler* main = nullptr;
};

TEST_F(MainHandlerTest, StartsWithTheDefaultEndpointsFirstContentAndTheStatusPanel) {
    EXPECT_EQ(main->GetCurrentContentName(), L"SpeakerVol");
    ASSERT_NE(main->GetCurrentContent(), nullptr);
    EXPECT_EQ(main->GetCurrentContent()->GetName(), L"SpeakerVol");
    EXPECT_EQ(settings.m_strLastAPOName, L"SpeakerVol");
    EXPECT_EQ(main->GetPanelMode(), CMainHandler::kPanelStatus);
    EXPECT_TRUE(main->FindControl(L"PanelStatus")->IsVisible());
    EXPECT_FALSE(main->FindControl(L"PanelProfile")->IsVisible());
    EXPECT_EQ(Button(L"SpeakerMute")->GetCheck(), 1) << "Speaker muted, the missing endpoints count as muted";
    auto* slider = dynamic_cast<IxSkinSlider*>(main->FindControl(L"SpeakerVol"));
    ASSERT_NE(slider, nullptr);
    EXPECT_NEAR(slider->GetPos(), 80.0f, 0.01f);
    EXPECT_EQ(main->GetMasterVolumePercent(), 80);
}

TEST_F(MainHandlerTest, ContentsAreReleasedOrKeptByTheirHandlerAndReusedByName) {
    CxSkinCtrl* volume = main->GetCurrentContent();
    main->ShowContent(L"SpeakerEQ", 0);
    EXPECT_EQ(TakeLog(), (CallLog{L"deactivate SpeakerVolHandler", L"release SpeakerVolHandler", L"create SpeakerEQ",
                                  L"init SpeakerEQHandler"}));
    CxSkinCtrl* eq = main->GetCurrentContent();
    ASSERT_NE(eq, nullptr);
    EXPECT_NE(eq, volume);
    EXPECT_EQ(main->GetCurrentContentName(), L"SpeakerEQ");
    EXPECT_EQ(settings.m_strLastAPOName, L"SpeakerEQ");

    main->ShowContent(L"SpeakerEQ", 0);
    EXPECT_TRUE(TakeLog().empty()) << "the shown content again without force";

    // The equalizer keeps its panel: hidden and cached, then shown again without loading its markup.
    main->ShowContent(L"SpeakerVol", 0);
    EXPECT_EQ(TakeLog(), (CallLog{L"create SpeakerVol", L"init SpeakerVolHandler"}));
    EXPECT_EQ(main->GetCachedContentCount(), 1u);
    EXPECT_FALSE(eq->IsVisible());
    TakeDriverLog();
    main->ShowContent(L"SpeakerEQ", 0);
    EXPECT_EQ(TakeLog(),
              (CallLog{L"deactivate SpeakerVolHandler", L"release SpeakerVolHandler", L"init SpeakerEQHandler"}));
    EXPECT_EQ(main->GetCurrentContent(), eq);
    EXPECT_TRUE(eq->IsVisible());
    EXPECT_EQ(eq->GetParent(), main->GetOwner());
    EXPECT_EQ(TakeDriverLog(), (CallLog{L"content SpeakerEQ"}));

    // Force destroys even a kept panel and loads it again.
    main->ShowContent(L"SpeakerEQ", 1);
    EXPECT_EQ(TakeLog(), (CallLog{L"deactivate SpeakerEQHandler", L"release SpeakerEQHandler", L"create SpeakerEQ",
                                  L"init SpeakerEQHandler"}));
    EXPECT_EQ(main->GetCachedContentCount(), 0u);
    EXPECT_EQ(main->GetCurrentContentName(), L"SpeakerEQ");
}

// A content frame inside a panel of the main window: the window's handler still gets it, in the window's
// coordinates.
TEST_F(MainHandlerTest, AContentFrameInsideAPanelIsPlacedInTheWindow) {
    WriteText(skin / "NestedWindow.lyt",
              "<Window Name=\"MainWindow\">\n"
              "  <Canvas Name=\"Outer\" Left=\"4\" Top=\"6\" Width=\"300\" Height=\"190\">\n"
              "    <Canvas Name=\"Inner\" Left=\"3\" Top=\"2\" Width=\"280\" Height=\"180\">\n"
              "      <Embed Name=\"FrameContent\" Left=\"10\" Top=\"20\" Width=\"200\" Height=\"100\" />\n"
              "    </Canvas>\n"
              "  </Canvas>\n"
              "</Window>\n");
    TestDialog nested;
    ASSERT_TRUE(OpenDialog(nested, {0, 0}, 320, 200));
    ASSERT_EQ(controller->Load((skin / "NestedWindow.lyt").wstring().c_str(), &nested, nullptr), 1);
    CxSkinCtrl* content = main->GetCurrentContent();
    ASSERT_NE(content, nullptr) << "the main handler never heard of the frame";
    EXPECT_EQ(content->GetName(), L"SpeakerVol");
    EXPECT_EQ(content->GetParent(), static_cast<CLayerWnd*>(&nested));
    const RECT placed = content->GetRect();
    EXPECT_EQ(placed.left, 17);
    EXPECT_EQ(placed.top, 28);
    nested.DestroyWindow();
}

// The content frame sits at (10, 50) to (210, 150); the back buffer shows the panel now up.
TEST_F(MainHandlerTest, TheContentFrameShowsTheCurrentPanel) {
    dialog.Update();
    uint32_t pixel = dialog.GetPixel(110, 100);
    EXPECT_GT(Red(pixel), 0xA0);
    EXPECT_LT(Blue(pixel), 0x60);
    main->ShowContent(L"SpeakerEQ", 0);
    dialog.Update();
    pixel = dialog.GetPixel(110, 100);
    EXPECT_LT(Red(pixel), 0x60);
    EXPECT_GT(Blue(pixel), 0xA0);
    EXPECT_FALSE(SaveDialogPicture(dialog, L"MainHandlerContent").empty());

    main->ShowContent(L"SpeakerVol", 0); // the equalizer is kept hidden and must not show through
    dialog.Update();
    pixel = dialog.GetPixel(110, 100);
    EXPECT_GT(Red(pixel), 0xA0);
    EXPECT_LT(Blue(pixel), 0x60);
}

TEST_F(MainHandlerTest, WindowButtonsPostTheirCommandsAndOpenTheirDialogs) {
    const struct {
        const wchar_t* button;
        int systemTray;
        WPARAM command; // 0: no command
        const wchar_t* dialog;
    } cases[] = {
        {L"BtnClose", 1, kCmdCloseToTray, nullptr},   {L"BtnClose", 0, kCmdQuit, nullptr},
        {L"BtnMinimize", 1, kCmdMinimize, nullptr},   {L"BtnSetting", 1, 0, L"dialog Dialog_AppSetting.lyt"},
        {L"BtnInfo", 1, 0, L"dialog DialogInfo.lyt"}, {L"Unknown", 1, 0, nullptr},
    };
    MSG msg;
    while (::PeekMessageW(&msg, dialog.GetSafeHwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
    }
    for (const auto& c : cases) {
        settings.m_nSystemTray = c.systemTray;
        EXPECT_EQ(main->OnClick(c.button), 1) << c.button;
        const bool posted = ::PeekMessageW(&msg, dialog.GetSafeHwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE) != FALSE;
        EXPECT_EQ(posted, c.command != 0) << c.button;
        if (posted) {
            EXPECT_EQ(msg.wParam, c.command) << c.button;
        }
        EXPECT_EQ(TakeLog(), c.dialog ? CallLog{c.dialog} : CallLog{}) << c.button;
    }
}

// A page whose markup does not load never empties the content area: the page shown before comes back
// (loaded again, or from the cache when its handler keeps it), else the endpoint's first page; the failed
// name is never the current content nor the stored last content, and asking for it again changes nothing.
TEST_F(MainHandlerTest, AFailedLoadKeepsAPageShownAndNeverRecordsTheFailedName) {
    WriteText(skin / "apoMicInVol.lyt", Content("MicInVol"));
    environment.contents[L"MicInVol"] = false;
    const struct {
        const wchar_t* before; // shown first
        const wchar_t* gone;   // endpoint unplugged before the failed load, or null
        const wchar_t* failed; // no markup file
        const wchar_t* shown;  // what the content area holds afterwards
    } cases[] = {
        {L"SpeakerVol", nullptr, L"HeadPhoneVol", L"SpeakerVol"},    // released: loaded again
        {L"SpeakerEQ", nullptr, L"SpeakerDolbyHPV2", L"SpeakerEQ"},  // kept: the cached panel again
        {L"SpeakerVol", L"Speaker", L"MicInAGC", L"MicInVol"},       // its endpoint went: the first page
    };
    for (const auto& c : cases) {
        driver.m_gone.clear();
        main->ShowContent(c.before, 0);
        CxSkinCtrl* before = main->GetCurrentContent();
        ASSERT_NE(before, nullptr) << c.before;
        if (c.gone)
            driver.m_gone = {c.gone};
        for (int attempt = 0; attempt < 2; ++attempt) {
            TakeDriverLog();
            main->ShowContent(c.failed, 0);
            ASSERT_NE(main->GetCurrentContent(), nullptr) << c.failed << " left the content area empty";
            EXPECT_EQ(main->GetCurrentContent()->GetName(), c.shown) << c.failed;
            EXPECT_TRUE(main->GetCurrentContent()->IsVisible()) << c.failed;
            EXPECT_EQ(main->GetCurrentContentName(), c.shown) << c.failed;
            EXPECT_EQ(settings.m_strLastAPOName, c.shown) << c.failed;
            EXPECT_EQ(TakeDriverLog().back(), std::wstring(L"content ") + c.shown)
                << "the driver's current content follows the page on screen";
        }
        if (std::wstring(c.before) == L"SpeakerEQ") {
            EXPECT_EQ(main->GetCurrentContent(), before) << "the kept panel, not a second copy";
        }
    }
}

// The panel switch asks for the 3-D flip; where Direct3D cannot draw it (no device under the test display, or
// a panel with nothing to show) the zoom runs instead. Either way the switch ends on the other panel with
// the window taking input again.
TEST_F(MainHandlerTest, ThePanelSwitchFlipsOrFallsBackAndEndsOnTheOtherPanel) {
    CxSkinCtrl* status = main->FindControl(L"PanelStatus");
    CxSkinCtrl* profile = main->FindControl(L"PanelProfile");
    auto* panel = dynamic_cast<IxSkinPanel*>(profile);
    ASSERT_NE(panel, nullptr);
    panel->SetAnimateStyle(2); // Animate.Style="D3D", as the shipped main window asks for it
    for (const int height : {40, 0}) { // an empty panel cannot become a texture: the fallback runs
        profile->SetRect(RECT{0, 0, 100, height}, FALSE);
        main->TogglePanelMode();
        EXPECT_EQ(main->GetPanelMode(), CMainHandler::kPanelProfile) << height;
        EXPECT_TRUE(profile->IsVisible()) << height;
        EXPECT_FALSE(status->IsVisible()) << height;
        EXPECT_FALSE(dialog.IsInputBlocked()) << height;
        main->TogglePanelMode();
        EXPECT_EQ(main->GetPanelMode(), CMainHandler::kPanelStatus) << height;
        EXPECT_TRUE(status->IsVisible()) << height;
        EXPECT_FALSE(profile->IsVisible()) << height;
        EXPECT_FALSE(dialog.IsInputBlocked()) << height;
    }
}

TEST_F(MainHandlerTest, ADeviceChangeMovesAContentWhoseEndpointWentToTheDefaultEndpoint) {
    main->RefreshAfterDeviceChange(0);
    EXPECT_EQ(TakeLog(), (CallLog{L"status init", L"init SpeakerVolHandler"})) << "Speaker is still there";

    main->ShowContent(L"MicInENC", 0);
    TakeLog();
    driver.m_gone = {L"MicIn"};
    main->RefreshAfterDeviceChange(0);
    EXPECT_EQ(main->GetCurrentContentName(), L"SpeakerVol");
    EXPECT_EQ(TakeLog(), (CallLog{L"status init", L"deactivate MicInENCHandler", L"release MicInENCHandler",
                                  L"create SpeakerVol", L"init SpeakerVolHandler"}));

    // Nothing to render to: the default capture endpoint's first content.
    driver.m_gone = {L"Speaker"};
    driver.m_defaultRender.clear();
    TakeDriverLog();
    main->RefreshAfterDeviceChange(0);
    EXPECT_EQ(TakeDriverLog().back(), L"content MicInVol");
    EXPECT_EQ(main->GetCurrentContent(), nullptr) << "apoMicInVol.lyt does not exist";
}

// A device-list notice takes in endpoints that a failed enumeration left out of the list, and has the shown
// volume page read its values again, so a level that could not be read before is shown once it can.
TEST_F(MainHandlerTest, AListNoticeTakesInMissedEndpointsAndRereadsTheVolumePage) {
    ASSERT_EQ(main->GetCurrentContentName(), L"SpeakerVol");
    driver.m_enumerated = 2; // plugged in while enumeration failed
    TakeLog();
    TakeDriverLog();
    main->RefreshDeviceList();
    const CallLog driverLog = TakeDriverLog();
    EXPECT_NE(std::find(driverLog.begin(), driverLog.end(), L"build list"), driverLog.end());
    EXPECT_EQ(driver.m_listed, 2);
    const CallLog log = TakeLog();
    EXPECT_NE(std::find(log.begin(), log.end(), L"init SpeakerVolHandler"), log.end());

    // Nothing new and the same default endpoints: the list stays, the volume page still reads again.
    main->RefreshDeviceList();
    const CallLog again = TakeDriverLog();
    EXPECT_EQ(std::find(again.begin(), again.end(), L"build list"), again.end());
    EXPECT_EQ(TakeLog(), (CallLog{L"init SpeakerVolHandler"}));
}

TEST_F(MainHandlerTest, MicrophoneContentsRestartListeningAndOutsideEffectsKeepTheContent) {
    main->ShowContent(L"MicInENC", 0);
    EXPECT_EQ(TakeDriverLog().back(), L"listen 2 1");

    int messages = 0;
    std::wstring parameters;
    main->m_launch = [&](const wchar_t*, const wchar_t* p) {
        parameters = p;
        return reinterpret_cast<HINSTANCE>(2); // file not found
    };
    main->m_showLaunchFailure = [&] { ++messages; };
    CxSkinCtrl* shown = main->GetCurrentContent();
    main->ShowContent(L"VexaroMicEffects", 0);
    EXPECT_EQ(parameters, L"/SHOW_MIC");
    EXPECT_EQ(messages, 1);
    main->m_launch = [&](const wchar_t*, const wchar_t* p) {
        parameters = p;
        return reinterpret_cast<HINSTANCE>(42);
    };
    main->ShowContent(L"VexaroAudioEffects", 0);
    EXPECT_EQ(parameters, L"/SHOW_AUDIO");
    EXPECT_EQ(messages, 1);
    EXPECT_EQ(main->GetCurrentContent(), shown);
    EXPECT_EQ(main->GetCurrentContentName(), L"MicInENC");
}

TEST_F(MainHandlerTest, MasterVolumeMovesEveryOutputEndpointKeepingTheirDistance) {
    driver.m_volumes = {{1, 0.8f}, {7, 0.5f}, {4, 0.1f}};
    const struct {
        float position;
        CallLog writes;
    } cases[] = {
        {100.0f,
         {L"set 1 VolumeScalarControl=1.00", L"set 7 VolumeScalarControl=0.70", L"set 4 VolumeScalarControl=0.30",
          L"set 12 VolumeScalarControl=0.20"}},
        {0.0f,
         {L"set 1 VolumeScalarControl=0.00", L"set 7 VolumeScalarControl=0.00", L"set 4 VolumeScalarControl=0.00",
          L"set 12 VolumeScalarControl=0.00"}},
    };
    for (const auto& c : cases) {
        driver.m_volumes = {{1, 0.8f}, {7, 0.5f}, {4, 0.1f}};
        EXPECT_EQ(main->OnSliderChanged(L"SpeakerVol", c.position, 0), 1);
        EXPECT_EQ(TakeDriverLog(), c.writes) << c.position;
    }
    EXPECT_EQ(main->OnSliderChanged(L"HeadPhoneVol", 50.0f, 0), 0);
    EXPECT_TRUE(TakeDriverLog().empty());

    // A volume content shown is asked to re-read through the dialog.
    MSG msg;
    while (::PeekMessageW(&msg, dialog.GetSafeHwnd(), kMsgInitContentHandler, kMsgInitContentHandler, PM_REMOVE)) {
    }
    main->OnSliderChanged(L"SpeakerVol", 40.0f, 0);
    ASSERT_TRUE(::PeekMessageW(&msg, dialog.GetSafeHwnd(), kMsgInitContentHandler, kMsgInitContentHandler, PM_REMOVE));
    EXPECT_EQ(reinterpret_cast<IHandler*>(msg.wParam), environment.lastContent);
    EXPECT_FLOAT_EQ(main->UpdateMasterVolume(), 0.4f);
}

TEST_F(MainHandlerTest, MuteTogglesAllOutputsTogetherAndMissingEndpointsCountAsMuted) {
    main->ToggleSpeakerMute(); // Speaker muted, the rest missing: all muted, so unmute
    EXPECT_EQ(TakeDriverLog(), (CallLog{L"set 1 MuteControl=0", L"set 12 MuteControl=0", L"set 7 MuteControl=0",
                                        L"set 4 MuteControl=0"}));
    EXPECT_EQ(Button(L"SpeakerMute")->GetCheck(), 0);
    EXPECT_EQ(TakeLog(), (CallLog{L"init SpeakerVolHandler"}));

    main->ToggleSpeakerMute();
    EXPECT_EQ(TakeDriverLog().front(), L"set 1 MuteControl=1");
    EXPECT_EQ(Button(L"SpeakerMute")->GetCheck(), 1);

    driver.m_endpointInts[{1, L"MuteControl"}] = 0;
    main->UpdateMuteState(FALSE);
    EXPECT_EQ(Button(L"SpeakerMute")->GetCheck(), 0);
}

// Before Vista a mixer notice asks whether the control device's mute or volume moved away from what the
// driver last handed out; from Vista on only the shown volume page is asked.
TEST_F(MainHandlerTest, MixerNoticesCompareTheControlDeviceBeforeVista) {
    const struct {
        int vista;
        int32_t mute[2];
        float volume[2];
        int pageChanged;
        int expected;
    } cases[] = {
        {0, {1, 0}, {0.5f, 0.5f}, 0, 1},     // the mute moved
        {0, {0, 0}, {0.5f, 0.51f}, 0, 1},    // the volume moved by a slider step
        {0, {0, 0}, {0.5f, 0.501f}, 0, 0},   // less than a step is no move
        {0, {0, 0}, {0.5f, 0.5f}, 1, 1},     // the volume page saw a change
        {1, {1, 0}, {0.5f, 0.9f}, 0, 0},     // from Vista on the driver's events report these
        {1, {0, 0}, {0.5f, 0.5f}, 1, 1},
    };
    ASSERT_EQ(main->GetCurrentContentName(), L"SpeakerVol");
    for (const auto& c : cases) {
        main->SetVistaOrLater(c.vista);
        std::copy(std::begin(c.mute), std::end(c.mute), driver.m_controlMute);
        std::copy(std::begin(c.volume), std::end(c.volume), driver.m_controlVolume);
        environment.lastContent->m_changed = c.pageChanged;
        EXPECT_EQ(main->UpdateVolHandler(), c.expected)
            << "vista " << c.vista << " mute " << c.mute[0] << "/" << c.mute[1] << " volume " << c.volume[0] << "/"
            << c.volume[1] << " page " << c.pageChanged;
    }
}

TEST_F(MainHandlerTest, QuickTogglesFollowTheDefaultRenderEndpoint) {
    driver.m_features = {L"SpeakerSVN"};
    main->UpdateQuickToggles(FALSE);
    EXPECT_TRUE(main->FindControl(L"EnableSmartVol")->IsVisible());
    EXPECT_FALSE(main->FindControl(L"EnableGX")->IsVisible()) << "GX is not supported";
    EXPECT_EQ(TakeDriverLog(), (CallLog{L"set 1 Enable_SMART_VOLUME_GFX=0"})) << "an unreadable switch goes off";
    EXPECT_EQ(Button(L"EnableSmartVol")->GetCheck(), 0);

    driver.m_renderValues[L"Enable_SMART_VOLUME_GFX"] = 1;
    main->UpdateQuickToggles(FALSE);
    EXPECT_TRUE(TakeDriverLog().empty());
    EXPECT_EQ(Button(L"EnableSmartVol")->GetCheck(), 1);

    // The click turns the switch over; the status panel ignores announcements that come from a click.
    main->ToggleSmartVolume();
    EXPECT_EQ(TakeDriverLog(), (CallLog{L"set 1 Enable_SMART_VOLUME_GFX=0"}));
    EXPECT_EQ(Button(L"EnableSmartVol")->GetCheck(), 0);
    EXPECT_TRUE(TakeLog().empty());

    driver.m_endpointWriteResult = 5;
    driver.m_renderValues[L"Enable_SMART_VOLUME_GFX"] = 0;
    Button(L"EnableSmartVol")->SetCheck(1, FALSE);
    main->ToggleSmartVolume();
    EXPECT_EQ(Button(L"EnableSmartVol")->GetCheck(), 0) << "a failed write leaves the switch off";

    driver.m_endpointWriteResult = kDriverOk;
    driver.m_endpointInts[{2, L"Enable_ENC_LFX"}] = 0;
    main->ToggleENC();
    EXPECT_EQ(TakeDriverLog().back(), L"set 2 Enable_ENC_LFX=1");
    EXPECT_EQ(Button(L"EnableENC")->GetCheck(), 1);
    EXPECT_EQ(TakeLog(),
              (CallLog{L"init SpeakerVolHandler", L"status Enable_ENC_LFX", L"dialog Dialog_ENCPromptMsg.lyt"}));
    settings.m_nNoiseCancelPrompt = 0;
    main->ToggleENC(); // off again: no note
    main->ToggleENC();
    EXPECT_EQ(Button(L"EnableENC")->GetCheck(), 1);
    EXPECT_EQ(TakeLog(), (CallLog{L"init SpeakerVolHandler", L"status Enable_ENC_LFX", L"init SpeakerVolHandler",
                                  L"status Enable_ENC_LFX"}));
}

TEST_F(MainHandlerTest, AnnouncementsReachTheVisibleStatusPanelOnly) {
    main->UpdateStatusPanel(L"Speaker.Enable_EQ_GFX", 1);
    main->UpdateStatusPanel(L"Enable_SS_LFX", 1);
    main->UpdateStatusPanel(L"Speaker.Enable_EQ_GFX", 0);
    EXPECT_EQ(TakeLog(), (CallLog{L"status Enable_EQ_GFX", L"status Enable_SS_LFX"}));

    main->SwitchStatusProfilePanel(CMainHandler::kPanelProfile, 0);
    EXPECT_TRUE(main->FindControl(L"PanelProfile")->IsVisible());
    EXPECT_FALSE(main->FindControl(L"PanelStatus")->IsVisible());
    main->UpdateStatusPanel(L"Speaker.Enable_EQ_GFX", 1);
    EXPECT_TRUE(TakeLog().empty());
    main->OnClick(L"PanelSwitchButton");
    EXPECT_EQ(main->GetPanelMode(), CMainHandler::kPanelStatus);
    EXPECT_EQ(TakeLog(), (CallLog{L"status init"}));
}

TEST_F(MainHandlerTest, PollRefreshesWhatChangedUnderTheLock) {
    driver.m_features = {L"SpeakerSVN"};
    driver.m_renderValues[L"Enable_SMART_VOLUME_GFX"] = 0;
    driver.m_live[L"Enable_SMART_VOLUME_GFX"] = 1;
    environment.lastContent->m_changed = 1;
    ChangedState state;
    EXPECT_EQ(main->CollectChangedState(state), 1);
    EXPECT_EQ(state.own, 1);
    EXPECT_EQ(state.panel, 0);
    EXPECT_EQ(state.content, 1);
    TakeLog();
    main->OnEffectNotify(state);
    EXPECT_EQ(TakeLog(), (CallLog{L"init SpeakerVolHandler"}));

    driver.m_live = driver.m_renderValues;
    environment.lastContent->m_changed = 0;
    EXPECT_EQ(main->CollectChangedState(state), 0);
}

TEST_F(MainHandlerTest, DriverNoticesKeepTheSurroundSwitchesConsistent) {
    // Five-point-one while the headphone/speaker surround is on: the surround goes off and is announced.
    driver.m_values = {{L"DevChannelNumControl", 6},
                       {L"Enable_KESTAL_HPSPK_LFX", 1},
                       {L"GFSControl", 1},
                       {L"Enable_Channel_COPY_LFX", 0}};
    main->OnDriverNotify(0, 128);
    CallLog writes;
    for (const std::wstring& line : TakeDriverLog()) {
        if (line.rfind(L"set ", 0) == 0)
            writes.push_back(line);
    }
    EXPECT_EQ(writes, (CallLog{L"set Enable_KESTAL_HPSPK_LFX=0/1", L"set GFSControl=0/1", L"set GFSControl=0/1"}));
    EXPECT_EQ(TakeLog(), (CallLog{L"status Enable_KESTAL_HPSPK_LFX"}));

    // Stereo without the surrounds: channel copy goes off (at start and on a notice alike) and is announced.
    driver.m_values = {{L"DevChannelNumControl", 2},
                       {L"Enable_KESTAL_HPSPK_LFX", 0},
                       {L"Enable_SS_LFX", 0},
                       {L"Enable_Channel_COPY_LFX", 1}};
    main->UpdateSurroundFlags();
    EXPECT_EQ(TakeDriverLog().back(), L"set Enable_Channel_COPY_LFX=0/1");
    EXPECT_EQ(TakeLog(), (CallLog{L"status Enable_Channel_COPY_LFX"}));

    // 1024 only compares the virtual-surround switch.
    driver.m_renderValues[L"EnableVirtualSurroundEffect"] = 1;
    driver.m_live[L"EnableVirtualSurroundEffect"] = 0;
    main->OnDriverNotify(0, 1024);
    EXPECT_TRUE(TakeDriverLog().empty());
    EXPECT_EQ(TakeLog(), (CallLog{L"status EnableVirtualSurroundEffect"}));
}

TEST_F(MainHandlerTest, StoppingForAProfileStopsRotationAndTheTestSoundOnAWorker) {
    main->ShowContent(L"SpeakerVirtual", 0);
    ASSERT_EQ(main->Player().PlayChannel(0), 1);
    TakeLog();
    main->StopRotationAndTestSound();
    EXPECT_EQ(TakeLog(), (CallLog{L"stop rotation SpeakerVirtualHandler"}));
    EXPECT_FALSE(main->Player().IsPlaying());
    EXPECT_NE(driver.m_stopThread, 0u);
    EXPECT_NE(driver.m_stopThread, ::GetCurrentThreadId());

    // A panel that listens to the test and goes away hands the notices back to the main window.
    main->ShowContent(L"SpeakerVol", 0);
    ASSERT_EQ(main->GetCurrentContentName(), L"SpeakerVol");
    main->Player().SetListener(environment.lastContent);
    main->ShowContent(L"MicInENC", 0);
    EXPECT_EQ(main->Player().GetListener(), static_cast<ISoundPlayListener*>(main));

    // The driver's end notice comes back through the main window.
    ASSERT_EQ(main->Player().PlayChannel(1), 1);
    main->OnSoundPlayStep();
    EXPECT_FALSE(main->Player().IsPlaying());
}

// The window messages that name an endpoint route to its pages: the setting page, or the surround page the
// endpoint offers, its own kind first (speakers for the speaker outputs, headphones for the headphones).
TEST_F(MainHandlerTest, EndpointMessagesRouteToTheSettingAndTheSurroundPages) {
    enum Route { kSetting, kSurround };
    const struct {
        Route route;
        int32_t code;
        std::set<std::wstring> features;
        const wchar_t* shown;
    } cases[] = {
        {kSetting, 1, {}, L"SpeakerSetting"},
        {kSetting, 7, {}, L"HeadPhoneSetting"},
        {kSetting, 99, {}, L"SpeakerVol"}, // no such endpoint: the page stays
        {kSurround, 1, {L"SpeakerVimoSurroundSpeakers", L"SpeakerVimoSurroundHeadPhone"}, L"SpeakerVimoSurroundSpeakers"},
        {kSurround, 1, {L"SpeakerVimoSurroundHeadPhone"}, L"SpeakerVimoSurroundHeadPhone"},
        {kSurround, 12, {L"SpeakerQuarterVimoSurroundSpeakers"}, L"SpeakerQuarterVimoSurroundSpeakers"},
        {kSurround, 7, {L"HeadPhoneVimoSurroundSpeakers", L"HeadPhoneVimoSurroundHeadPhone"},
         L"HeadPhoneVimoSurroundHeadPhone"},
        {kSurround, 7, {L"HeadPhoneVimoSurroundSpeakers"}, L"HeadPhoneVimoSurroundSpeakers"},
        {kSurround, 7, {}, L"SpeakerVol"},                                  // nothing offered: the page stays
        {kSurround, 2, {L"MicInVimoSurroundSpeakers"}, L"SpeakerVol"},      // inputs have no surround page
    };
    for (const auto& c : cases) {
        main->ShowContent(L"SpeakerVol", 0);
        ASSERT_EQ(main->GetCurrentContentName(), L"SpeakerVol");
        driver.m_features = c.features;
        if (c.route == kSetting)
            main->ShowSettingContent(c.code);
        else
            main->ChooseSurroundContent(c.code);
        EXPECT_EQ(main->GetCurrentContentName(), c.shown) << (c.route == kSetting ? "setting " : "surround ") << c.code;
    }
}

// At exit the main window waits for a speaker-test stop for a bounded time only: a driver that hangs in the
// stop cannot hold the program's end.
TEST_F(MainHandlerTest, TheExitWaitsForAHungTestSoundStopOnlySoLong) {
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(release, nullptr);
    driver.m_stopHang = release;
    ASSERT_EQ(main->Player().PlayChannel(0), 1);
    main->StopRotationAndTestSound(); // its own wait runs out; the worker stays in the driver
    ASSERT_EQ(driver.m_stopsReturned.load(), 0);

    const auto start = std::chrono::steady_clock::now();
    dialog.DestroyWindow(); // the main handler goes with its window
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_LT(waited, std::chrono::milliseconds(CBaseHandler::kStopWaitMs + 2000));
    EXPECT_EQ(driver.m_stopsReturned.load(), 0);

    // Released, the stop ends on the player the handler left behind.
    ::SetEvent(release);
    for (int i = 0; i < 200 && driver.m_stopsReturned.load() == 0; ++i)
        ::Sleep(10);
    EXPECT_EQ(driver.m_stopsReturned.load(), 1);
    ::Sleep(50); // the worker's last steps after the driver call
    driver.m_stopHang = nullptr;
    ::CloseHandle(release);
}

} // namespace
