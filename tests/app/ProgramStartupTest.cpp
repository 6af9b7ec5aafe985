// Start-up and shutdown with the program's own stages: the language texts, the driver object over the
// simulated device from the assembled program folder, and the device messages.
#include "app/OvercoatApp.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

bool DriverLibraryLoaded() {
    return ::GetModuleHandleW(L"sysTuneLib.dll") != nullptr;
}

std::wstring ReadSetting(const std::wstring& iniPath, const wchar_t* key) {
    wchar_t value[128] = {};
    ::GetPrivateProfileStringW(L"Setting", key, L"", value, 128, iniPath.c_str());
    return value;
}

struct ShownMessage {
    std::wstring text;
    std::wstring caption;
    UINT type;
};

// The data folder is the Wine prefix's own, which only this test program uses; the simulated device
// keeps its state and control pipe apart from every other test.
class ProgramStartupTest : public testing::Test {
protected:
    oc::test::TempDir m_scratch;
    std::wstring m_data;
    std::wstring m_plainMessages;
    std::vector<ShownMessage> m_shown;
    // What the main dialog stage saw while it ran; empty when it never ran.
    std::wstring m_mainDialog;

    void SetUp() override {
        COvercoatApp probe;
        probe.InitPaths();
        m_data = probe.GetDataFolder();
        RemoveFilesIn(m_data);
        ::SetEnvironmentVariableW(L"OC_SIM_STATE", (m_scratch / "device.state").c_str());
        const std::wstring pipe = L"\\\\.\\pipe\\OvercoatAppTests" + std::to_wstring(::GetCurrentProcessId());
        ::SetEnvironmentVariableW(L"OC_SIM_PIPE", pipe.c_str());
        WriteSettings("MultiLanguage=en-US\n");
    }
    void TearDown() override {
        ::SetEnvironmentVariableW(L"OC_SIM_SCENARIO", nullptr);
        ::SetEnvironmentVariableW(L"OC_SIM_STATE", nullptr);
        ::SetEnvironmentVariableW(L"OC_SIM_PIPE", nullptr);
        RemoveFilesIn(m_data);
    }

    void WriteSettings(const std::string& lines) {
        std::ofstream(fs::path(m_data + L"setting.ini")) << "[Setting]\n" << lines;
    }
    std::wstring Setting(const wchar_t* key) { return ReadSetting(m_data + L"setting.ini", key); }
    void UseScenario(const wchar_t* name) { ::SetEnvironmentVariableW(L"OC_SIM_SCENARIO", name); }

    // The program's stages, with every box and the main dialog recorded instead of shown.
    void Prepare(COvercoatApp& app, const fs::path& programFolder = oc::test::ProgramDir()) {
        app.UseProgramFolder(programFolder.wstring() + L"\\");
        app.m_showPlainMessage = [this](const wchar_t* text, const wchar_t*) { m_plainMessages += text; };
        app.m_showSkinnedMessage = [this](const std::wstring& text, const std::wstring& caption, UINT type) {
            m_shown.push_back({text, caption, type});
        };
        app.m_stages.runMainDialog = [this](COvercoatApp& self) {
            m_mainDialog = self.GetDriver() ? L"driver" : L"no driver";
            if (DriverLibraryLoaded())
                m_mainDialog += L", library loaded";
            if (self.GetLytController())
                m_mainDialog += L", markup";
        };
    }
    int Run(COvercoatApp& app, const wchar_t* commandLine) {
        std::wstring line = commandLine;
        return app.Run(::GetModuleHandleW(nullptr), line.data(), SW_SHOW);
    }
    std::wstring EnglishText(const wchar_t* key) {
        COvercoatApp english;
        english.UseProgramFolder(oc::test::ProgramDir().wstring() + L"\\");
        english.LoadLanguage(L"en-US");
        return english.GetLanguageText(key);
    }
};

TEST_F(ProgramStartupTest, NoDeviceShowsTheMissingMessageEndsAndReleasesTheDriver) {
    UseScenario(L"no-device");
    COvercoatApp app(COvercoatApp::ProgramStages());
    Prepare(app);
    EXPECT_EQ(Run(app, L""), 0);
    EXPECT_EQ(app.GetTitle(), EnglishText(L"ml_Main_Title"));
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].text, EnglishText(L"ml_Main_DeviceNotExist"));
    EXPECT_EQ(m_shown[0].caption, EnglishText(L"ml_Main_Info"));
    EXPECT_EQ(m_shown[0].type, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(m_mainDialog, L"");
    EXPECT_EQ(m_plainMessages, L"");
    EXPECT_EQ(app.GetDriver(), nullptr);
    EXPECT_FALSE(DriverLibraryLoaded());
}

TEST_F(ProgramStartupTest, DeviceRunsTheMainDialogWithTheDriverAndReleasesItAtExit) {
    UseScenario(L"default");
    COvercoatApp app(COvercoatApp::ProgramStages());
    Prepare(app);
    EXPECT_EQ(Run(app, L""), 0);
    EXPECT_EQ(m_mainDialog, L"driver, library loaded, markup");
    EXPECT_TRUE(m_shown.empty());
    EXPECT_EQ(app.GetSwitches(), 0u);
    EXPECT_EQ(app.GetDriver(), nullptr);
    EXPECT_EQ(app.GetLytController(), nullptr);
    EXPECT_FALSE(DriverLibraryLoaded());
}

TEST_F(ProgramStartupTest, EmptyJackShowsTheJackMessage) {
    UseScenario(L"jack-empty");
    COvercoatApp app(COvercoatApp::ProgramStages());
    Prepare(app);
    EXPECT_EQ(Run(app, L""), 0);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].text, EnglishText(L"ml_Main_DeviceJackEmpty"));
    EXPECT_EQ(m_shown[0].caption, EnglishText(L"ml_Main_Info"));
    EXPECT_EQ(m_mainDialog, L"");
    EXPECT_FALSE(DriverLibraryLoaded());
}

TEST_F(ProgramStartupTest, NoDeviceSwitchGoesOnWithTheDriverUnlessTheTrayIsOff) {
    UseScenario(L"no-device");
    {
        COvercoatApp app(COvercoatApp::ProgramStages());
        Prepare(app);
        EXPECT_EQ(Run(app, L"/d"), 0);
        EXPECT_EQ(m_mainDialog, L"driver, library loaded, markup");
        EXPECT_TRUE(m_shown.empty());
        EXPECT_EQ(app.GetSwitches(), static_cast<unsigned>(kSwitchNoDevice | kSwitchRunsNoDevice));
        EXPECT_EQ(app.GetDriver(), nullptr);
        EXPECT_FALSE(DriverLibraryLoaded());
    }
    m_mainDialog.clear();
    WriteSettings("MultiLanguage=en-US\nSystemTray=0\n");
    {
        COvercoatApp app(COvercoatApp::ProgramStages());
        Prepare(app);
        EXPECT_EQ(Run(app, L"/d"), 0);
        EXPECT_EQ(m_mainDialog, L"");
        EXPECT_TRUE(m_shown.empty());
        EXPECT_EQ(app.GetDriver(), nullptr);
        EXPECT_FALSE(DriverLibraryLoaded());
    }
}

TEST_F(ProgramStartupTest, NoDriverLibraryCountsAsNoDevice) {
    // A program folder with the language files but without the driver folder.
    fs::create_directories(m_scratch / "program");
    fs::copy(oc::test::ProgramDir() / "lang", m_scratch / "program" / "lang", fs::copy_options::recursive);
    COvercoatApp app(COvercoatApp::ProgramStages());
    Prepare(app, m_scratch / "program");
    EXPECT_EQ(Run(app, L""), 0);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].text, EnglishText(L"ml_Main_DeviceNotExist"));
    EXPECT_EQ(m_mainDialog, L"");
}

TEST_F(ProgramStartupTest, NoLanguageEndsWithThePlainMessageBeforeTheDriverAndStillShutsDown) {
    fs::create_directories(m_scratch / "program" / "lang" / "en-US");
    COvercoatApp app(COvercoatApp::ProgramStages());
    Prepare(app, m_scratch / "program");
    EXPECT_EQ(Run(app, L""), 0);
    EXPECT_EQ(m_plainMessages, L"Failed to find language resource!");
    EXPECT_TRUE(m_shown.empty());
    EXPECT_FALSE(DriverLibraryLoaded());
    EXPECT_EQ(app.GetTitle(), L"Korva Software");
    EXPECT_EQ(app.GetSettings(), nullptr);
    EXPECT_EQ(Setting(L"Skin"), L"Overcoat"); // the shutdown wrote the settings back
}

TEST_F(ProgramStartupTest, FallbackCultureIsStoredAndNamesTheTitle) {
    fs::create_directories(m_scratch / "program" / "lang");
    fs::copy(oc::test::ProgramDir() / "lang" / "de-DE", m_scratch / "program" / "lang" / "de-DE");
    WriteSettings("MultiLanguage=xx-XX\n");
    // A start that only quits writes no setting; one that runs stores the culture it fell back to.
    UseScenario(L"no-device");
    {
        COvercoatApp quit(COvercoatApp::ProgramStages()); // its instance mark ends with it
        Prepare(quit, m_scratch / "program");
        EXPECT_EQ(Run(quit, L"/q"), 0);
        EXPECT_EQ(Setting(L"MultiLanguage"), L"xx-XX");
    }
    COvercoatApp app(COvercoatApp::ProgramStages());
    Prepare(app, m_scratch / "program");
    EXPECT_EQ(Run(app, L""), 0);
    EXPECT_EQ(Setting(L"MultiLanguage"), L"de-DE");
    COvercoatApp german;
    german.UseProgramFolder((m_scratch / "program").wstring() + L"\\");
    ASSERT_EQ(german.LoadLanguage(L"de-DE"), 1);
    EXPECT_EQ(app.GetTitle(), german.GetLanguageText(L"ml_Main_Title"));
    EXPECT_EQ(m_plainMessages, L"");
}

TEST_F(ProgramStartupTest, DeviceMessagesDropARepeatWhileOnScreen) {
    COvercoatApp app;
    app.LanguageStrings() = std::make_unique<std::map<std::wstring, std::wstring>>();
    app.SetLanguageString(L"ml_Main_DeviceNotExist", L"missing");
    app.SetLanguageString(L"ml_Main_DeviceJackEmpty", L"jack");
    app.SetLanguageString(L"ml_Main_Info", L"Info");
    std::wstring trace;
    app.m_showSkinnedMessage = [&](const std::wstring& text, const std::wstring& caption, UINT) {
        trace += text + L"/" + caption + L";";
        // Requests that arrive while this box is up: the same message is dropped, the other one shows.
        app.ShowDeviceMessage(text == L"missing" ? DeviceCheck::Missing : DeviceCheck::JackEmpty);
        if (text == L"missing")
            app.ShowDeviceMessage(DeviceCheck::JackEmpty);
    };
    app.ShowDeviceMessage(DeviceCheck::Missing);
    EXPECT_EQ(trace, L"missing/Info;jack/Info;");
    app.ShowDeviceMessage(DeviceCheck::Missing); // closed again: shown again
    app.ShowDeviceMessage(DeviceCheck::Ready);
    EXPECT_EQ(trace, L"missing/Info;jack/Info;missing/Info;jack/Info;");

    // Without the skinned box nothing is shown and nothing waits.
    app.m_showSkinnedMessage = nullptr;
    app.ShowDeviceMessage(DeviceCheck::JackEmpty);
}

TEST_F(ProgramStartupTest, DriverSettingsReadAndWriteTheSettingsWhileTheyLive) {
    WriteSettings("LastAPOName=SpeakerEQHandler\nLineInListenToDevice=1\nAuxInListenToDevice=3\n");
    COvercoatApp app;
    CAppDriverSettings settings(app);
    std::wstring seen;
    app.m_stages.runMainDialog = [&](COvercoatApp&) {
        seen = settings.GetLastApoName();
        for (auto source :
             {IDriverSettings::kListenMicIn, IDriverSettings::kListenLineIn, IDriverSettings::kListenAuxIn})
            seen += L"," + std::to_wstring(settings.GetListenToDevice(source));
        settings.SetAudioDevice(L"Speakers (USB Audio Device)");
    };
    EXPECT_EQ(Run(app, L"/d"), 0); // no driver stage: runs as without a device
    EXPECT_EQ(seen, L"SpeakerEQHandler,0,1,3");
    EXPECT_EQ(Setting(L"AudioDevice"), L"Speakers (USB Audio Device)");
    // Freed at exit before the driver object is released: defaults, and nothing is stored.
    EXPECT_EQ(settings.GetLastApoName(), L"");
    EXPECT_EQ(settings.GetListenToDevice(IDriverSettings::kListenAuxIn), 0);
    settings.SetAudioDevice(L"ignored");
}

} // namespace
