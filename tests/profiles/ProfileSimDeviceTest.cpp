// The profile strip in the shipped main window over the simulated device, through the real driver object and
// the program's handlers: which profile the strip marks at start, what a click does to the device and to the
// page on screen, the add button's warning, and the stream format after the factory reset.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

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
#include "skin/IxSkinSlider.h"
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
    void EnumerateProfiles(IxSkinListener* handler, IxSkinObject* parent, const LytRect& rect) override {
        if (auto* panel = dynamic_cast<CPanelProfileHandler*>(handler))
            panel->EnumerateProfiles(parent, &rect);
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
        environment.main->SwitchStatusProfilePanel(CMainHandler::kPanelProfile, 0);
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
    // The built-in profile the device cannot take (an effect it lacks) is hidden from the start.
    ASSERT_EQ(Strip().GetItems().count(L"Movie*"), 1u);
    EXPECT_FALSE(Strip().GetItems().at(L"Movie*")->IsVisible());
    EXPECT_TRUE(Strip().GetItems().at(L"Game*")->IsVisible());

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

} // namespace
