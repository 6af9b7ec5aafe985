// The profile strip in the shipped main window over the simulated device, through the real driver object and
// the program's handlers: which profile the strip marks at start, what a click does to the device and to the
// page on screen, the add button's warning, the stream format after the factory reset, and a strip of many
// user profiles' cards.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../skin/ControlHost.h"
#include "../skin/SkinDialogFixture.h"
#include "DriverTestSupport.h"
#include "TestPaths.h"
#include "app/AppSettings.h"
#include "app/HandlerFactory.h"
#include "app/HandlerServices.h"
#include "app/MainHandler.h"
#include "app/UIDialog.h"
#include "driver/EndpointCodes.h"
#include "handlers/effects/EQHandler.h"
#include "markup/ILytContainerHost.h"
#include "markup/ILytController.h"
#include "markup/ILytEnvironment.h"
#include "markup/IProfileController.h"
#include "markup/LytSkinElements.h"
#include "profiles/PanelProfileHandler.h"
#include "profiles/ProfileCapture.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinPanel.h"
#include "skin/IxSkinSlider.h"
#include "skin/SkinImageCache.h"
#include "skin/SkinRadioButton.h"

using namespace oc::test;
namespace fs = std::filesystem;

namespace {

std::wstring Folder(const fs::path& path) {
    return path.wstring() + L"\\";
}

class WindowServices : public IHandlerServices {
public:
    IDriverInstance* GetDriver() override { return driver; }
    ILytController* GetLytController() override { return controller; }
    std::wstring GetSkinFolder() override { return Folder(ProgramDir() / "Skin" / "Overcoat"); }
    std::wstring GetLanguageText(const std::wstring& key) override { return key; }
    std::wstring FindLanguageKey(const std::wstring&) override { return {}; }
    std::wstring TranslateText(const std::wstring& text) override { return text; }
    int GetUITransparent() override { return 0; }

    IDriverInstance* driver = nullptr;
    ILytController* controller = nullptr;
};

// The program's side of the markup, with the handlers of the program's factory pointed at the test's
// services, settings and folders, and the strip's message box answered by the test.
class WindowEnvironment : public ILytEnvironment, public ILytContainerHost {
public:
    std::wstring TranslateText(const std::wstring& value) const override { return value; }
    std::wstring GetSkinFilePath(const std::wstring& value) const override {
        return value.size() >= 2 && value[1] == L':' ? value : GetSkinFolder() + value;
    }
    std::wstring GetSkinFolder() const override { return Folder(ProgramDir() / "Skin" / "Overcoat"); }
    int GetScreenDpi() const override { return 96; }

    IxSkinListener* CreateHandler(const std::wstring& name) override {
        IHandler* handler = ::CreateHandler(name);
        if (auto* base = dynamic_cast<CBaseHandler*>(handler))
            base->SetServices(services);
        if (auto* main = dynamic_cast<CMainHandler*>(handler)) {
            main->SetSettings(settings);
            main->SetLytEnvironment(this);
            main->m_runMarkupDialog = [](const std::wstring&) {};
            this->main = main;
        }
        if (auto* panel = dynamic_cast<CPanelProfileHandler*>(handler)) {
            panel->SetFolders(Folder(ProgramDir()), dataFolder);
            panel->SetSleep([](DWORD) {});
            panel->SetEnvironment(this);
            panel->SetMessageBoxRunner([this](const std::wstring& text, const std::wstring&, UINT) {
                warnings.push_back(text);
                return INT_PTR(IDYES);
            });
            panel->SetDialogRunner([this](CUIDialog&) { return ++addDialogs, INT_PTR(IDNO); });
            strip = panel;
        }
        return handler;
    }
    ILytController* GetController() const override { return controller; }
    void UpdateContentRect(IxSkinObject* parent, const LytRect& rect) override {
        if (auto* owner = dynamic_cast<CMainHandler*>(dynamic_cast<CxSkinObject*>(parent)->GetListener()))
            owner->UpdateContentRect(RECT{rect.left, rect.top, rect.right, rect.bottom});
    }
    // As the program does: the strip reads its files when it is first shown.
    void EnumerateProfiles(IxSkinListener* handler, IxSkinObject* parent, const LytRect& rect) override {
        if (auto* panel = dynamic_cast<CPanelProfileHandler*>(handler))
            panel->PlaceProfiles(parent, &rect);
    }

    IHandlerServices* services = nullptr;
    CAppSettings* settings = nullptr;
    ILytController* controller = nullptr;
    std::wstring dataFolder;
    CMainHandler* main = nullptr;
    CPanelProfileHandler* strip = nullptr;
    std::vector<std::wstring> warnings;
    int addDialogs = 0;
};

class ProfileSimDevice : public ::testing::Test {
protected:
    // The default device unless a test's fixture names another.
    virtual const wchar_t* Scenario() const { return L""; }

    void SetUp() override {
        sim = std::make_unique<SimEnvironment>(simDir, Scenario());
        session = std::make_unique<DriverSession>(sim->Get());
        Driver()->BuildDeviceList();
        ASSERT_EQ(Driver()->GetDefaultRenderEndpointName(), L"Speaker");
        environment.controller = CreateSkinLytController(environment);
        services.driver = Driver();
        services.controller = environment.controller;
        environment.services = &services;
        environment.settings = &settings;
        environment.dataFolder = Folder(data.Path());
        settings.m_strLastAPOName = L"SpeakerEQ";
    }
    void TearDown() override {
        Close();
        environment.controller->Release();
        session.reset();
        sim.reset();
    }

    // The main window as the program starts it, with the profile strip turned to the front.
    void Open() {
        ASSERT_NO_FATAL_FAILURE(OpenWindow());
        environment.main->SwitchStatusProfilePanel(CMainHandler::kPanelProfile, 0);
    }
    // The main window as the program starts it, the status panel in front.
    void OpenWindow() {
        Close();
        dialog = std::make_unique<TestDialog>();
        ASSERT_TRUE(OpenDialog(*dialog, {0, 0}, 900, 600));
        // The window's own handler comes first, as the main dialog makes it; the markup makes the others.
        auto* main = dynamic_cast<CMainHandler*>(environment.CreateHandler(L"MainWindow"));
        ASSERT_NE(main, nullptr);
        main->SetWindow(dialog.get());
        dialog->SetListener(main);
        const fs::path markup = ProgramDir() / "Skin" / "Overcoat" / "MainWindow.lyt";
        ASSERT_EQ(environment.controller->Load(markup.wstring().c_str(), dialog.get(), nullptr), 1);
        ASSERT_NE(environment.main, nullptr);
        ASSERT_NE(environment.strip, nullptr);
        environment.main->InitControls();
    }
    void Close() {
        if (dialog)
            dialog->DestroyWindow();
        dialog.reset();
        environment.main = nullptr;
        environment.strip = nullptr;
    }

    IDriverInstance* Driver() const { return session->Get(); }
    CPanelProfileHandler& Strip() const { return *environment.strip; }
    int32_t Device(const wchar_t* key, int32_t code = kEndpointSpeaker) const {
        int32_t value = -9999;
        Driver()->GetEndpointProperty(code, key, &value, 0, sizeof value, nullptr, 0, 0, false, false);
        return value;
    }
    void SetDevice(const wchar_t* key, int32_t value, int32_t code = kEndpointSpeaker) const {
        ASSERT_EQ(Driver()->SetEndpointProperty(code, key, &value, 0, 0, nullptr, 0, 0), kDriverOk) << key;
    }
    // A click as the strip hears it: the item has already checked itself within its group.
    int Click(const wchar_t* item) const {
        auto found = Strip().GetItems().find(item);
        if (found != Strip().GetItems().end())
            if (auto* radio = dynamic_cast<CxSkinRadioButton*>(found->second))
                radio->Select(FALSE);
        return Strip().OnButtonClick(item);
    }
    // The item the strip shows checked; empty when none or more than one is.
    std::wstring Marked() const {
        std::wstring marked;
        int count = 0;
        for (const auto& [name, item] : Strip().GetItems())
            if (auto* radio = dynamic_cast<CxSkinRadioButton*>(item); radio && radio->GetCheck())
                marked = name, ++count;
        return count == 1 ? marked : std::wstring();
    }
    // The equalizer sliders of the page on screen, band by band.
    std::vector<float> ShownBands() const {
        std::vector<float> bands;
        CxSkinCtrl* page = environment.main->GetCurrentContent();
        for (const EqBandRow& row : g_EqBandTable) {
            auto* slider = dynamic_cast<IxSkinSlider*>(CBaseHandler::FindControlIn(page, row.slider));
            bands.push_back(slider ? slider->GetPos() : -999.0f);
        }
        return bands;
    }
    std::vector<float> DeviceBands() const {
        std::vector<float> bands;
        for (const EqBandRow& row : g_EqBandTable)
            bands.push_back(static_cast<float>(Device(row.driverKey)));
        return bands;
    }

    TempDir simDir;
    std::unique_ptr<SimEnvironment> sim;
    std::unique_ptr<DriverSession> session;
    TempDir data;
    TempDir scratch;
    CAppSettings settings{(scratch / "setting.ini").wstring()};
    WindowServices services;
    WindowEnvironment environment;
    std::unique_ptr<TestDialog> dialog; // goes before the environment and the driver its handlers use
};

const std::vector<float> kGameSpeakerBands = {2, 1, 0, -1, 0, 2, 4, 4, 2, 1};
const std::vector<float> kMusicSpeakerBands = {5, 4, 2, 0, -1, -1, 0, 2, 3, 4};

// Applying a profile while its page is shown updates that page; the device ends in the profile's state.
TEST_F(ProfileSimDevice, ClickingAProfileChangesTheDeviceAndThePageOnScreen) {
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_EQ(environment.main->GetCurrentContentName(), L"SpeakerEQ");
    // Every built-in profile is one the default device can take.
    for (const wchar_t* builtIn : {L"Game*", L"Movie*", L"Music*"}) {
        ASSERT_EQ(Strip().GetItems().count(builtIn), 1u) << builtIn;
        EXPECT_TRUE(Strip().GetItems().at(builtIn)->IsVisible()) << builtIn;
    }

    for (const auto& [profile, bands] : {std::pair{L"Game*", kGameSpeakerBands}, std::pair{L"Music*", kMusicSpeakerBands}}) {
        SCOPED_TRACE(std::wstring(profile));
        EXPECT_EQ(Click(profile), 1);
        EXPECT_EQ(DeviceBands(), bands);
        EXPECT_EQ(Device(L"Enable_EQ_GFX"), 1);
        EXPECT_EQ(ShownBands(), bands) << "the page shows the device's new values";
        EXPECT_EQ(Marked(), profile);
    }
    // Music has no virtual speaker room: the apply switched it off.
    EXPECT_EQ(Device(L"Enable_SS_LFX"), 0);
}

// A page the main window keeps while another is shown re-reads when it is shown again.
TEST_F(ProfileSimDevice, AKeptPageShowsTheAppliedValuesWhenShownAgain) {
    ASSERT_NO_FATAL_FAILURE(Open());
    auto enabled = [this] {
        auto* button = dynamic_cast<IxSkinButton*>(
            CBaseHandler::FindControlIn(environment.main->GetCurrentContent(), L"BtnEnableSpeakerVirtual"));
        return button ? button->GetCheck() : -1;
    };
    environment.main->ShowContent(L"SpeakerVirtual", 0);
    ASSERT_EQ(enabled(), 0);
    environment.main->ShowContent(L"SpeakerEQ", 0);
    ASSERT_EQ(environment.main->GetCachedContentCount(), 1u);
    ASSERT_EQ(Click(L"Game*"), 1);
    ASSERT_EQ(Device(L"Enable_SS_LFX"), 1);
    environment.main->ShowContent(L"SpeakerVirtual", 0);
    EXPECT_EQ(enabled(), 1);
}

// Started again over a device in a profile's state, the strip marks that profile; adding it again warns.
TEST_F(ProfileSimDevice, AtStartTheProfileTheDeviceHoldsIsMarked) {
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_EQ(Click(L"Game*"), 1);
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(Strip().GetSelectedName(), L"Game*");
    EXPECT_EQ(Marked(), L"Game*");

    // Away from every profile, then back into Game's state behind the strip's back: adding warns.
    SetDevice(L"EQ_Slider1", 7);
    Strip().MatchCurrentProfile(L"Speaker.Enable_EQ_GFX");
    Strip().MatchCurrentProfile(L"Speaker.EQ_Slider1");
    Strip().UpdateUserDefineItem(0);
    ASSERT_EQ(Marked(), L"UserDefine$");
    SetDevice(L"EQ_Slider1", 2);
    EXPECT_EQ(Strip().OnButtonClick(L"AddProfile"), 1);
    EXPECT_EQ(environment.addDialogs, 0);
    EXPECT_EQ(environment.warnings, std::vector<std::wstring>{L"ml_PanelProfile_HasTheSameSettingInProfileList"});
    EXPECT_TRUE(::IsWindowVisible(dialog->GetSafeHwnd())) << "a yes to the notice keeps the main window";

    // Away from every profile the add dialog opens.
    SetDevice(L"EQ_Slider1", 7);
    Strip().OnButtonClick(L"AddProfile");
    EXPECT_EQ(environment.addDialogs, 1);
}

// A profile saved from the device's current settings is the one marked after a restart.
TEST_F(ProfileSimDevice, AProfileSavedFromTheCurrentSettingsIsMarkedAfterARestart) {
    const fs::path folder = data / "Profile" / "Speaker";
    fs::create_directories(folder);
    {
        CProfileCapture capture(*Driver(), *GetProfileController());
        ASSERT_NE(capture.WriteProfileObject((folder / "Mine.profile").wstring()), 0);
    }
    fs::copy_file(ProgramDir() / "profile" / "UserDefineFormwork.lyt", folder / "Mine.lyt");
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(Strip().GetSelectedName(), L"Speaker_Mine");
    EXPECT_EQ(Marked(), L"Speaker_Mine");
}

// Each saved profile's card reads its own profile's name, though every card is a copy of one template:
// one saved before the start and one added through the dialog. A profile naming an effect the speakers
// lack (voice clarity) is kept off the strip.
TEST_F(ProfileSimDevice, EachSavedProfilesCardReadsItsOwnName) {
    const fs::path folder = data / "Profile" / "Speaker";
    fs::create_directories(folder);
    // The files as the add dialog leaves them: the captured settings and a copy of the template.
    auto save = [&](const std::wstring& name) {
        CProfileCapture capture(*Driver(), *GetProfileController());
        ASSERT_NE(capture.WriteProfileObject((folder / (name + L".profile")).wstring()), 0);
        fs::copy_file(ProgramDir() / "profile" / "UserDefineFormwork.lyt", folder / (name + L".lyt"));
    };
    ASSERT_NO_FATAL_FAILURE(save(L"Late night"));
    ASSERT_NO_FATAL_FAILURE(save(L"Dialogue"));
    std::ofstream(folder / "Dialogue.profile", std::ios::trunc)
        << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Profile Name=\"UserDefine\"><Endpoint Name=\"Speakers\" "
           "DataFlow=\"Out\"><ApoEffect Name=\"SpeakerVimoVoiceClarity\"><Property Name=\"Enable_VOICECLARITY_LFX\" "
           "Value=\"1\" UIName=\"\" ValueType=\"\" Args=\"\" ArgsType=\"\" /></ApoEffect></Endpoint></Profile>\n";
    ASSERT_NO_FATAL_FAILURE(Open());
    // Away from every profile, so that the add button opens the dialog.
    SetDevice(L"Enable_EQ_GFX", 1);
    SetDevice(L"EQ_Slider1", 7);
    Strip().MatchCurrentProfile(L"Speaker.Enable_EQ_GFX");
    Strip().MatchCurrentProfile(L"Speaker.EQ_Slider1");
    Strip().UpdateUserDefineItem(0);
    ASSERT_EQ(Marked(), L"UserDefine$");
    Strip().SetDialogRunner([&](CUIDialog& added) {
        save(L"Podcast");
        added.SetControlName(L"AddingFile", L"Podcast");
        return INT_PTR(IDYES);
    });
    ASSERT_EQ(Strip().OnButtonClick(L"AddProfile"), 1);

    for (const wchar_t* name : {L"Late night", L"Podcast"}) {
        const auto item = Strip().GetItems().find(std::wstring(L"Speaker_") + name);
        ASSERT_NE(item, Strip().GetItems().end()) << name;
        EXPECT_EQ(item->second->GetText(), name);
        EXPECT_TRUE(item->second->IsVisible()) << name;
    }
    ASSERT_EQ(Strip().GetItems().count(L"Speaker_Dialogue"), 1u);
    EXPECT_FALSE(Strip().GetItems().at(L"Speaker_Dialogue")->IsVisible());
}

// The "/i" start resets the device to the shipped factory settings through the main window: the profile the
// strip marked is no longer selected and the default output's first page is shown with the device's values.
TEST_F(ProfileSimDevice, TheFactoryResetRestoresTheShippedSettingsAndShowsTheDefaultOutput) {
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_EQ(Click(L"Game*"), 1);
    ASSERT_EQ(DeviceBands(), kGameSpeakerBands);
    environment.main->ShowContent(L"MicInVol", 0);
    ASSERT_EQ(environment.main->GetCurrentContentName(), L"MicInVol");

    environment.main->ResetToFactoryDefault();
    EXPECT_EQ(DeviceBands(), std::vector<float>(kGameSpeakerBands.size(), 0.0f));
    EXPECT_EQ(Device(L"Enable_EQ_GFX"), 0);
    EXPECT_EQ(Device(L"Enable_SS_LFX"), 0);
    EXPECT_NE(Strip().GetSelectedName(), L"Game*");
    EXPECT_NE(Marked(), L"Game*");
    EXPECT_EQ(Driver()->GetDefaultRenderEndpointName(), L"Speaker");
    EXPECT_EQ(environment.main->GetCurrentContentName(), Driver()->GetEndpointContent(L"Speaker"));
}

// After a profile is applied the device list marks the inputs the device holds as default, though the change
// came without a notice the window heard: here the write a profile's input setting makes.
TEST_F(ProfileSimDevice, AfterAProfileTheDeviceListMarksTheDefaultInputTheDeviceHolds) {
    ASSERT_NO_FATAL_FAILURE(Open());
    auto marked = [this](const wchar_t* marker) {
        auto* radio = dynamic_cast<CxSkinRadioButton*>(CBaseHandler::FindControlIn(dialog.get(), marker));
        return radio && radio->GetCheck() != 0;
    };
    ASSERT_TRUE(marked(L"DefaultMicIn"));
    const int32_t on = 1;
    const int32_t selector = 0;
    ASSERT_EQ(Driver()->SetEndpointProperty(kEndpointLineIn, L"DefaultDeviceControl", &on, kValueInt, sizeof on,
                                            &selector, kValueUInt, sizeof selector),
              kDriverOk);
    ASSERT_EQ(Click(L"Game*"), 1);
    EXPECT_EQ(Driver()->GetDefaultCaptureEndpointName(), L"LineIn");
    EXPECT_TRUE(marked(L"DefaultLineIn"));
    EXPECT_FALSE(marked(L"DefaultMicIn"));
    EXPECT_TRUE(marked(L"DefaultSpeakers"));
}

// A device whose outputs share one switched connector: while the reset writes the defaults on one output
// terminal, the settings of the other outputs cannot be read.
class ProfileSwitchedOutputs : public ProfileSimDevice {
protected:
    const wchar_t* Scenario() const override { return L"switched-outputs"; }
};

// The factory reset leaves no stream format behind (here the headphone's two channels with the defaults'
// rate and depth) for the next profile click to write to the speakers.
TEST_F(ProfileSwitchedOutputs, AfterTheFactoryResetAProfileClickWritesNoFormatItLacks) {
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(Strip().ApplyFactoryDefault(), 1);
    Driver()->BuildDeviceList();
    ASSERT_EQ(Driver()->GetDefaultRenderEndpointName(), L"Speaker");
    const int32_t channels = Device(L"DevChannelNumControl");
    const int32_t rate = Device(L"DevSampleRateControl");
    const int32_t depth = Device(L"DevBitDepthControl");
    ASSERT_EQ(Click(L"Game*"), 1);
    EXPECT_EQ(Device(L"EQ_Slider1"), 2);
    EXPECT_EQ(Device(L"DevChannelNumControl"), channels);
    EXPECT_EQ(Device(L"DevSampleRateControl"), rate);
    EXPECT_EQ(Device(L"DevBitDepthControl"), depth);
}


// Heap bytes in use over every heap of the process, and the calling thread's CPU and wall-clock time.
double HeapKB() {
    HANDLE heaps[256];
    const DWORD count = std::min<DWORD>(::GetProcessHeaps(256, heaps), 256);
    size_t busy = 0;
    for (DWORD i = 0; i < count; ++i) {
        ::HeapLock(heaps[i]);
        PROCESS_HEAP_ENTRY entry{};
        while (::HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                busy += entry.cbData;
        ::HeapUnlock(heaps[i]);
    }
    return busy / 1024.0;
}

struct Clock {
    double cpuMs = 0;
    double wallMs = 0;

    static Clock Now() {
        Clock clock;
        FILETIME created, ended, kernel, user;
        if (::GetThreadTimes(::GetCurrentThread(), &created, &ended, &kernel, &user))
            clock.cpuMs = (ULARGE_INTEGER{{kernel.dwLowDateTime, kernel.dwHighDateTime}}.QuadPart +
                           ULARGE_INTEGER{{user.dwLowDateTime, user.dwHighDateTime}}.QuadPart) / 1e4;
        LARGE_INTEGER now, frequency;
        ::QueryPerformanceCounter(&now);
        ::QueryPerformanceFrequency(&frequency);
        clock.wallMs = now.QuadPart * 1000.0 / frequency.QuadPart;
        return clock;
    }
};

// What a step cost: heap bytes it left in use, CPU and wall-clock time.
struct Cost {
    double heapKB = 0;
    double cpuMs = 0;
    double wallMs = 0;
};

template <class Step> Cost Measure(Step step) {
    const double heap = HeapKB();
    const Clock start = Clock::Now();
    step();
    const Clock end = Clock::Now();
    return {HeapKB() - heap, end.cpuMs - start.cpuMs, end.wallMs - start.wallMs};
}

// A strip of many user profiles, each saved from the device's state with the shipped card template, under
// the program's image cache.
class ProfileCards : public ProfileSimDevice {
protected:
    void SaveUserProfiles(int count) {
        const fs::path folder = data / "Profile" / "Speaker";
        fs::create_directories(folder);
        const fs::path first = folder / "P0000.profile";
        {
            CProfileCapture capture(*Driver(), *GetProfileController());
            ASSERT_NE(capture.WriteProfileObject(first.wstring()), 0);
        }
        for (int i = 0; i < count; ++i) {
            wchar_t title[16];
            std::swprintf(title, std::size(title), L"P%04d", i);
            if (i > 0)
                fs::copy_file(first, folder / (std::wstring(title) + L".profile"));
            fs::copy_file(ProgramDir() / "profile" / "UserDefineFormwork.lyt", folder / (std::wstring(title) + L".lyt"));
        }
        if (count == 0)
            fs::remove(first);
    }
    // The main window, drawn, over a data folder of only that many user profiles; the strip not yet shown.
    void OpenWithUserProfiles(int count) {
        Close();
        for (const auto& entry : fs::directory_iterator(data.Path()))
            fs::remove_all(entry.path());
        ASSERT_NO_FATAL_FAILURE(SaveUserProfiles(count));
        ASSERT_NO_FATAL_FAILURE(OpenWindow());
        dialog->Update();
    }

    CxSkinImageCache images; // as the program installs one for its whole run
};

constexpr uint32_t kCardFill = 0xFF272B31;         // the template's picture, unchecked
constexpr uint32_t kCheckedCardFill = 0xFF31363E;  // and checked

// Every card of the template shows one picture read once, every card in the visible row is drawn with
// it, page by page, and a card's settings cost the strip a small fraction of what a private copy of each
// profile's document took.
TEST_F(ProfileCards, CardsShareTheTemplatesPictureAndEachShownCardIsDrawn) {
    constexpr int kProfiles = 24;
    Cost withoutProfiles, withProfiles;
    size_t pictures = 0;
    for (int count : {0, kProfiles}) {
        ASSERT_NO_FATAL_FAILURE(OpenWithUserProfiles(count));
        (count ? withProfiles : withoutProfiles) = Measure([&] {
            environment.main->SwitchStatusProfilePanel(CMainHandler::kPanelProfile, 0);
            dialog->Update();
        });
        if (count == 0)
            pictures = images.GetDecodedCount();
    }
    ASSERT_EQ(Strip().GetItems().size(), kProfiles + 4u);
    const double perCard = (withProfiles.heapKB - withoutProfiles.heapKB) / kProfiles;
    EXPECT_LT(perCard, 10.0) << "KB of heap per listed profile";

    // The built-in cards read the template's pictures; the user profiles' cards add no file.
    EXPECT_EQ(images.GetDecodedCount(), pictures);
    auto* panel = dynamic_cast<IxSkinPanel*>(environment.main->FindControl(L"PanelProfileList"));
    ASSERT_NE(panel, nullptr);
    const RECT list = dynamic_cast<CxSkinCtrl*>(panel)->GetRectInHost();
    int drawn = 0;
    std::set<std::wstring> seen;
    for (int page = 0; panel->GetScrollPos(FALSE) < panel->GetScrollSize(FALSE) || page == 0; ++page) {
        panel->SetScrollPos(page * (list.right - list.left), FALSE, FALSE);
        dialog->Update();
        for (const auto& [name, item] : Strip().GetItems()) {
            const RECT card = item->GetRectInHost();
            if (!item->IsVisible() || card.left < list.left || card.right > list.right)
                continue;
            auto* radio = dynamic_cast<CxSkinRadioButton*>(item);
            const uint32_t fill = radio && radio->GetCheck() ? kCheckedCardFill : kCardFill;
            // The inner corners, clear of the caption and of the anti-aliased frame.
            for (const POINT at : {POINT{10, 10}, POINT{101, 10}, POINT{10, 61}, POINT{101, 61}})
                EXPECT_TRUE(NearColor(dialog->GetPixel(card.left + at.x, card.top + at.y), fill, 8))
                    << "card " << std::string(name.begin(), name.end()) << " at " << at.x << "," << at.y;
            drawn += seen.insert(name).second ? 1 : 0;
        }
        if (page > kProfiles)
            break;
    }
    EXPECT_EQ(images.GetDecodedCount(), pictures) << "scrolling through the cards read no picture again";
    EXPECT_GE(drawn, kProfiles) << "every user profile's card was shown on some page";
}

// By hand: prints what the first switch to the strip costs per card, and where it goes.
// profile_panel_tests --gtest_also_run_disabled_tests --gtest_filter=*MeasureFirstSwitch*
TEST_F(ProfileCards, DISABLED_MeasureFirstSwitch) {
    const char* counts = std::getenv("OC_CARDS");
    std::vector<int> sizes;
    for (const char* at = counts ? counts : "0,50,500"; *at;) {
        char* end = nullptr;
        sizes.push_back(static_cast<int>(std::strtol(at, &end, 10)));
        at = *end ? end + 1 : end;
    }
    Cost zero;
    for (int count : sizes) {
        ASSERT_NO_FATAL_FAILURE(OpenWithUserProfiles(count));
        Cost enumerateCost;
        const Cost cost = Measure([&] {
            enumerateCost = Measure([&] { Strip().LoadPlacedProfiles(); });
            environment.main->SwitchStatusProfilePanel(CMainHandler::kPanelProfile, 0);
            dialog->Update();
        });
        ASSERT_EQ(Strip().GetItems().size(), static_cast<size_t>(count) + 4u);
        std::printf("      reading the files and making the cards: cpu %.1f ms\n", enumerateCost.cpuMs);
        if (count == 0)
            zero = cost;
        std::printf("%4d profiles: heap %8.0f KB  cpu %7.1f ms  wall %7.1f ms", count, cost.heapKB, cost.cpuMs,
                    cost.wallMs);
        if (count)
            std::printf("  | per card: heap %.1f KB  cpu %.2f ms  wall %.2f ms", (cost.heapKB - zero.heapKB) / count,
                        (cost.cpuMs - zero.cpuMs) / count, (cost.wallMs - zero.wallMs) / count);
        std::printf("\n");
        if (count) {
            const Cost paintCost = Measure([&] { dialog->Update(); });
            // Where it goes: the cards alone, and the settings documents alone, loaded once more.
            const fs::path folder = data / "Profile" / "Speaker";
            ILytObject* list = CLytSkinElementFactory().WrapSkinObject(Strip().GetItems().begin()->second->GetParentObject(), environment);
            const LytRect placement{0, 0, 112, 72};
            std::vector<IxSkinObject*> cards;
            const Cost cardCost = Measure([&] {
                for (int i = 0; i < count; ++i)
                    cards.push_back(environment.controller->LoadFile((folder / L"P0000.lyt").wstring().c_str(), list, &placement));
            });
            list->Destroy();
            struct Keeper : IProfileControllerListener {
                void OnProfileLoaded(IXmlObject* root) override { roots.push_back(root); }
                void OnProfileError(const wchar_t*) override {}
                std::vector<IXmlObject*> roots;
            } keeper;
            GetProfileController()->SetListener(&keeper);
            const Cost documentCost = Measure([&] {
                for (int i = 0; i < count; ++i)
                    GetProfileController()->Load((folder / L"P0000.profile").wstring().c_str());
            });
            GetProfileController()->SetListener(nullptr);
            for (IXmlObject* root : keeper.roots)
                root->Release();
            // Of that, only opening and reading the two files of each card, with no parse.
            const Cost filesCost = Measure([&] {
                std::vector<char> bytes(1 << 16);
                for (int i = 0; i < count; ++i)
                    for (const wchar_t* file : {L"P0000.lyt", L"P0000.profile"})
                        if (std::FILE* in = ::_wfopen((folder / file).wstring().c_str(), L"rb")) {
                            while (std::fread(bytes.data(), 1, bytes.size(), in) == bytes.size()) {
                            }
                            std::fclose(in);
                        }
            });
            std::printf("      cards alone: heap %.1f KB  cpu %.2f ms each; settings documents alone: heap %.1f KB  cpu %.2f ms each; "
                        "opening and reading both files alone: cpu %.2f ms each\n",
                        cardCost.heapKB / count, cardCost.cpuMs / count, documentCost.heapKB / count,
                        documentCost.cpuMs / count, filesCost.cpuMs / count);
            const std::wstring settings = (folder / L"P0000.profile").wstring();
            const Cost recordCost = Measure([&] {
                for (int i = 0; i < count; ++i)
                    Strip().LoadProfile(settings, 0);
            });
            Strip().SetPendingReload();
            const Cost applicableCost = Measure([&] { Strip().RefreshApplicability(); });
            const Cost placeCost = Measure([&] { Strip().RefreshProfileList(); });
            const Cost markCost = Measure([&] { Strip().UpdateUserDefineItem(0); });
            std::printf("      per card cpu: document and record %.2f ms, applicability %.3f ms, placing %.3f ms, "
                        "marking %.3f ms; one full repaint %.1f ms\n",
                        recordCost.cpuMs / count, applicableCost.cpuMs / count, placeCost.cpuMs / count,
                        markCost.cpuMs / count, paintCost.cpuMs);
        }
        Close();
    }
}

} // namespace
