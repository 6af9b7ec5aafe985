#include "app/OvercoatApp.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

TEST(CommandLine, SwitchesAreComparedWholeAndCaseSensitively) {
    struct Case {
        std::vector<std::wstring> arguments;
        unsigned bits;
    };
    const Case cases[] = {
        {{}, 0},
        {{L"/d", L"/q"}, kSwitchNoDevice | kSwitchQuit},
        {{L"/D", L"/dd", L"-d", L"d", L"/", L"/d "}, 0},
        {{L"/h", L"/u", L"/i"}, kSwitchHidden | kSwitchUninstall | kSwitchReinit},
        {{L"/x", L"file.txt", L"/q", L"/q"}, kSwitchQuit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.arguments.size() << " arguments");
        EXPECT_EQ(ParseSwitches(c.arguments), c.bits);
    }
}

TEST(CommandLine, TheEntrysCommandLineIsSplitIntoArguments) {
    COvercoatApp app;
    app.m_lpCmdLine = L"\"/d\" unknown  /Q /h";
    app.ParseCommandLine();
    EXPECT_EQ(app.GetSwitches(), kSwitchNoDevice | kSwitchHidden);
}

// A registry key of our own stands in for the shell's folder list.
class CommonAppDataTest : public testing::Test {
protected:
    const wchar_t* m_subKey = L"Software\\Overcoat-tests\\Shell Folders";
    void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Overcoat-tests"); }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Overcoat-tests"); }
    void SetValue(const wchar_t* value) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, m_subKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (value) {
            ::RegSetValueExW(key, L"Common AppData", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                             static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
        }
        ::RegCloseKey(key);
    }
    std::wstring Path() { return GetCommonAppDataPath(L"C:\\Program\\", HKEY_CURRENT_USER, m_subKey); }
};

TEST_F(CommonAppDataTest, FollowsTheRegistryValue) {
    EXPECT_EQ(Path(), L"C:\\Program\\"); // no key at all
    SetValue(nullptr);
    EXPECT_EQ(Path(), L"\\"); // value missing: the root of the current drive
    SetValue(L"C:\\ProgramData");
    EXPECT_EQ(Path(), L"C:\\ProgramData\\");
    SetValue(L"C:\\Data%");
    EXPECT_EQ(Path(), L"C:\\Program\\");
    SetValue(L"%ALLUSERSPROFILE%");
    EXPECT_EQ(Path(), L"%ALLUSERSPROFILE%\\");
    const std::wstring longPath = L"C:\\" + std::wstring(300, L'd');
    SetValue(longPath.c_str());
    EXPECT_EQ(Path(), longPath + L"\\");
}

TEST(DataFiles, RemovingTouchesOnlyTheFolderOwnFiles) {
    oc::test::TempDir dir;
    for (const char* name : {"setting.ini", "Profile.xml", ".keep", "Profile/user.xml"}) {
        fs::create_directories((dir / name).parent_path());
        std::ofstream(dir / name) << "x";
    }
    fs::create_directories(dir / "EffectPlugins");
    RemoveFilesIn(dir.Path().wstring() + L"\\");
    EXPECT_FALSE(fs::exists(dir / "setting.ini"));
    EXPECT_FALSE(fs::exists(dir / "Profile.xml"));
    EXPECT_TRUE(fs::exists(dir / ".keep"));
    EXPECT_TRUE(fs::exists(dir / "Profile" / "user.xml"));
    EXPECT_TRUE(fs::exists(dir / "EffectPlugins"));
}

TEST(Resources, ProgramIconLoadsAtTheSizesItIsDrawnFor) {
    for (int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        HICON icon = static_cast<HICON>(
            ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon, &info));
        BITMAP bitmap{};
        ::GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        ::DestroyIcon(icon);
    }
}

TEST(Paths, SkinFilePathKeepsEmptyAndAbsoluteNames) {
    COvercoatApp app;
    app.InitPaths();
    EXPECT_EQ(app.GetSkinFilePath(L""), L"");
    EXPECT_EQ(app.GetSkinFilePath(L"C:\\x.png"), L"C:\\x.png");
    EXPECT_EQ(app.GetSkinFilePath(L"Main\\Back.png"), app.GetSkinFolder() + L"Main\\Back.png");
    EXPECT_EQ(app.GetSkinFolder(), app.GetProgramFolder() + L"Skin\\Overcoat\\");
    EXPECT_EQ(app.GetProfileFolder(), app.GetProgramFolder() + L"profile\\");
    EXPECT_EQ(app.GetDataFolder(), GetCommonAppDataPath(app.GetProgramFolder()) + L"Korva Software\\");
    EXPECT_TRUE(fs::is_directory(app.GetDataFolder() + L"Profile"));
    EXPECT_TRUE(fs::is_directory(app.GetDataFolder() + L"EffectPlugins"));
    EXPECT_TRUE(app.IsVistaOrLater());
}

// Start-up in this process, with stages that record what ran. The data folder is the Wine prefix's
// own, which this test program is the only one to use.
class StartupTest : public testing::Test {
protected:
    std::wstring m_data;
    std::wstring m_trace;

    void SetUp() override {
        COvercoatApp probe;
        probe.InitPaths();
        m_data = probe.GetDataFolder();
        RemoveFilesIn(m_data);
        fs::remove_all(m_data + L"Leftover");
    }
    void TearDown() override {
        RemoveFilesIn(m_data);
        fs::remove_all(m_data + L"Leftover");
    }
    void Put(const std::wstring& name, const std::string& content = "x") {
        fs::create_directories(fs::path(m_data + name).parent_path());
        std::ofstream(fs::path(m_data + name)) << content;
    }
    bool Has(const std::wstring& name) { return fs::exists(fs::path(m_data + name)); }

    void Record(COvercoatApp& app, DeviceCheck device) {
        app.m_showPlainMessage = [this](const wchar_t* text, const wchar_t*) {
            m_trace += L"plain:" + std::wstring(text) + L";";
        };
        app.m_stages.loadLanguage = [this](COvercoatApp&) {
            m_trace += L"language;";
            return true;
        };
        app.m_stages.createMarkupController = [this](COvercoatApp&) { m_trace += L"markup;"; };
        app.m_stages.openDevice = [this, device](COvercoatApp&) {
            m_trace += L"device;";
            Put(L"written-while-running.txt");
            return device;
        };
        app.m_stages.showDeviceMessage = [this](COvercoatApp&, DeviceCheck check) {
            m_trace += check == DeviceCheck::JackEmpty ? L"jack-empty;" : L"missing;";
        };
        app.m_stages.runMainDialog = [this](COvercoatApp&) { m_trace += L"main;"; };
        app.m_stages.releaseMarkupController = [this](COvercoatApp&) { m_trace += L"~markup;"; };
        app.m_stages.releaseProfileController = [this](COvercoatApp&) { m_trace += L"~profiles;"; };
        app.m_stages.releaseDriver = [this](COvercoatApp&) { m_trace += L"~driver;"; };
    }
    int Run(COvercoatApp& app, const wchar_t* commandLine) {
        std::wstring line = commandLine;
        return app.Run(::GetModuleHandleW(nullptr), line.data(), SW_SHOW);
    }
};

TEST_F(StartupTest, StagesRunInOrderAndShutdownAlwaysFollows) {
    struct Case {
        const wchar_t* commandLine;
        DeviceCheck device;
        const char* ini;
        const wchar_t* trace;
        unsigned switches;
    };
    const std::wstring release = L"~markup;~profiles;~driver;";
    const Case cases[] = {
        {L"", DeviceCheck::Ready, "", L"language;markup;device;main;", 0},
        {L"", DeviceCheck::Missing, "", L"language;markup;device;missing;", 0},
        {L"", DeviceCheck::JackEmpty, "", L"language;markup;device;jack-empty;", 0},
        {L"/d", DeviceCheck::Missing, "", L"language;markup;device;main;", kSwitchNoDevice | kSwitchRunsNoDevice},
        {L"/d", DeviceCheck::Ready, "[Setting]\r\nSystemTray=0\r\n", L"language;markup;device;", kSwitchNoDevice},
        {L"/q", DeviceCheck::Ready, "", L"language;", kSwitchQuit},
        {L"/q", DeviceCheck::Ready, "[Setting]\r\nSkin=Dark\r\n", L"language;", kSwitchQuit},
        {L"/q /i", DeviceCheck::Ready, "", L"language;markup;device;main;", kSwitchQuit | kSwitchReinit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << std::string(c.commandLine, c.commandLine + wcslen(c.commandLine))
                                        << "' device " << static_cast<int>(c.device));
        RemoveFilesIn(m_data);
        if (*c.ini)
            Put(L"setting.ini", c.ini);
        m_trace.clear();
        COvercoatApp app;
        Record(app, c.device);
        EXPECT_EQ(Run(app, c.commandLine), 0);
        EXPECT_EQ(m_trace, c.trace + release);
        EXPECT_EQ(app.GetSwitches(), c.switches);
        // Written back at exit, unless the start only quit: then the file is as it was.
        if (c.switches == kSwitchQuit) {
            std::ifstream in(fs::path(m_data + L"setting.ini")); // as it was written: in text mode
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), c.ini);
        } else {
            EXPECT_TRUE(Has(L"setting.ini"));
        }
        EXPECT_EQ(app.GetSettings(), nullptr);
    }
}

TEST_F(StartupTest, MissingLanguageEndsStartupWithThePlainMessageAndStillSavesSettings) {
    COvercoatApp app;
    Record(app, DeviceCheck::Ready);
    app.m_stages.loadLanguage = [this](COvercoatApp&) {
        m_trace += L"language;";
        return false;
    };
    EXPECT_EQ(Run(app, L""), 0);
    EXPECT_EQ(m_trace, L"language;plain:Failed to find language resource!;~markup;~profiles;~driver;");
    EXPECT_TRUE(Has(L"setting.ini"));
}

TEST_F(StartupTest, TitleComesFromTheLanguageTextsWhenThereIsOne) {
    COvercoatApp app;
    Record(app, DeviceCheck::Ready);
    app.m_stages.loadLanguage = [](COvercoatApp& self) {
        self.LanguageStrings() = std::make_unique<std::map<std::wstring, std::wstring>>();
        (*self.LanguageStrings())[L"ml_Main_Title"] = L"Overcoat Control";
        return true;
    };
    Run(app, L"/q");
    EXPECT_EQ(app.GetTitle(), L"Overcoat Control");
    EXPECT_EQ(app.GetLanguageText(L"ml_Main_Title"), L""); // freed at exit

    COvercoatApp plain;
    Run(plain, L"/q"); // nothing filled in: the program starts and ends cleanly
    EXPECT_EQ(plain.GetTitle(), L"Korva Software");
}

// A file where the data folder belongs: nothing can be saved, so start-up says so once, naming the folder,
// and leaves the file as it is. A start that only quits says nothing.
TEST_F(StartupTest, ADataFolderThatCannotBeMadeIsToldOnceAtStart) {
    oc::test::TempDir root;
    const fs::path inTheWay = root / "Korva Software";
    std::ofstream(inTheWay) << "in the way";
    const struct {
        const wchar_t* commandLine;
        size_t told;
    } cases[] = {{L"", 1}, {L"/q", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << std::string(c.commandLine, c.commandLine + wcslen(c.commandLine))
                                        << "'");
        COvercoatApp app;
        Record(app, DeviceCheck::Ready);
        app.UseCommonDataFolder(root.Path().wstring() + L"\\");
        std::vector<std::wstring> told;
        app.m_showSkinnedMessage = [&](const std::wstring& text, const std::wstring&, UINT type) {
            told.push_back(text);
            EXPECT_EQ(type, static_cast<UINT>(MB_ICONWARNING));
        };
        Run(app, c.commandLine);
        EXPECT_EQ(app.GetUnusableDataFolder(), inTheWay.wstring() + L"\\");
        ASSERT_EQ(told.size(), c.told);
        if (c.told) {
            EXPECT_NE(told[0].find(inTheWay.wstring()), std::wstring::npos) << "the folder is named";
        }
        std::ifstream kept(inTheWay);
        EXPECT_EQ(std::string((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>()), "in the way");
    }
}

TEST_F(StartupTest, QuitWithUninstallRemovesTheDataFilesAndEnds) {
    Put(L"setting.ini", "[Setting]\r\nSkin=Dark\r\n");
    Put(L"Profile.xml");
    Put(L".hidden");
    Put(L"Leftover\\inside.txt");
    COvercoatApp app;
    Record(app, DeviceCheck::Ready);
    EXPECT_EQ(Run(app, L"/q /u"), 0);
    EXPECT_EQ(m_trace, L"language;~markup;~profiles;~driver;");
    EXPECT_FALSE(Has(L"Profile.xml"));
    EXPECT_FALSE(Has(L"setting.ini"));
    EXPECT_TRUE(Has(L".hidden"));
    EXPECT_TRUE(Has(L"Leftover\\inside.txt"));
}

TEST_F(StartupTest, QuitWithUninstallAndReinitRemovesStartsAndRemovesAgain) {
    Put(L"Profile.xml");
    COvercoatApp app;
    Record(app, DeviceCheck::Ready);
    app.m_stages.createMarkupController = [this](COvercoatApp&) {
        m_trace += Has(L"Profile.xml") ? L"markup-with-old-files;" : L"markup;";
    };
    EXPECT_EQ(Run(app, L"/q /u /i"), 0);
    EXPECT_EQ(m_trace, L"language;markup;device;main;~markup;~profiles;~driver;");
    EXPECT_FALSE(Has(L"written-while-running.txt"));
    EXPECT_FALSE(Has(L"setting.ini"));
}

TEST_F(StartupTest, ShutdownCopesWithNothingStarted) {
    COvercoatApp app;
    EXPECT_EQ(app.ExitInstance(), 0);
    EXPECT_EQ(app.ExitInstance(), 0);
}

} // namespace
