#include "app/AppSettings.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

std::wstring Repeat(wchar_t c, size_t count) {
    return std::wstring(count, c);
}

class AppSettingsTest : public testing::Test {
protected:
    oc::test::TempDir m_dir;
    std::wstring m_ini = (m_dir / "setting.ini").wstring();

    void WriteIni(const std::string& bytes) { std::ofstream(m_dir / "setting.ini", std::ios::binary) << bytes; }
    std::wstring ReadValue(const wchar_t* key) {
        wchar_t value[300] = {};
        ::GetPrivateProfileStringW(L"Setting", key, L"<none>", value, 300, m_ini.c_str());
        return value;
    }
};

TEST_F(AppSettingsTest, MissingFileGivesTheDefaults) {
    CAppSettings settings(m_ini);
    EXPECT_EQ(settings.m_strAudioDevice, L"");
    EXPECT_EQ(settings.m_strLanguage, CAppSettings::GetDefaultCulture());
    EXPECT_EQ(settings.m_strSkin, L"Overcoat");
    EXPECT_EQ(settings.m_nUITransparent, 1);
    EXPECT_EQ(settings.m_nSystemTray, 1);
    EXPECT_EQ(settings.m_nWelcomeMsg, 1);
    EXPECT_EQ(settings.m_nNoiseCancelPrompt, 1);
    EXPECT_EQ(settings.m_nMicInListenToDevice, 0);
    EXPECT_EQ(settings.m_nEQIndex, 0);
}

struct LoadCase {
    const char* name;
    std::string file;
    std::wstring skin;
    int transparency;
    int tray;
};

TEST_F(AppSettingsTest, LoadKeepsDefaultsForEmptyValuesAndKeepsTransparencyInRange) {
    const LoadCase cases[] = {
        {"empty skin", "[Setting]\r\nSkin=\r\nUITransparent=30\r\n", L"Overcoat", 30, 1},
        {"non-numeric", "[Setting]\r\nSkin=Dark\r\nUITransparent=abc\r\n", L"Dark", 0, 1},
        {"above range", "[Setting]\r\nUITransparent=250\r\n", L"Overcoat", 100, 1},
        {"below range", "[Setting]\r\nUITransparent=-20\r\n", L"Overcoat", 0, 1},
        {"wrapping value", "[Setting]\r\nUITransparent=4294967295\r\n", L"Overcoat", 0, 1},
        {"missing section", "[Other]\r\nSkin=Dark\r\nSystemTray=0\r\n", L"Overcoat", 1, 1},
        {"garbage lines", "\x01\x80garbage\x7f\r\n=\r\n[Setting\r\n[Setting]\r\nSystemTray=0\r\n\x01\x02", L"Overcoat",
         1, 0},
        {"binary", std::string("\xff\xfe\x00\xd8[\x00\x00\x00\xff\xff\x12\x34", 12), L"Overcoat", 1, 1},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.name);
        WriteIni(c.file);
        CAppSettings settings(m_ini);
        EXPECT_EQ(settings.m_strSkin, c.skin);
        EXPECT_EQ(settings.m_nUITransparent, c.transparency);
        EXPECT_EQ(settings.m_nSystemTray, c.tray);
    }
}

TEST_F(AppSettingsTest, LongValuesAreCutTo99Characters) {
    WriteIni("[Setting]\r\nAudioDevice=" + std::string(150, 'x') + "\r\n");
    CAppSettings settings(m_ini);
    EXPECT_EQ(settings.m_strAudioDevice, Repeat(L'x', 99));
}

TEST_F(AppSettingsTest, SaveRoundTripsAndSkipsEmptyStrings) {
    WriteIni("[Setting]\r\nLastAPOName=Equalizer\r\nForeign=kept\r\n");
    {
        CAppSettings settings(m_ini);
        settings.m_strAudioDevice = L"USB Headset";
        settings.m_strAsioDriver = L"Asio 1";
        settings.m_strLanguage = L"de-DE";
        settings.m_strSkin = L"Dark";
        settings.m_strLastAPOName.clear(); // cleared in memory only: the file keeps its value
        settings.m_nUITransparent = 40;
        settings.m_nSystemTray = 0;
        settings.m_nWelcomeMsg = 0;
        settings.m_nMicInListenToDevice = 1;
        settings.m_nLineInListenToDevice = 1;
        settings.m_nAuxInListenToDevice = 1;
        settings.m_nEQIndex = 3;
        settings.m_nQuarterEQIndex = 11;
        settings.m_nNoiseCancelPrompt = 0;
        ASSERT_TRUE(settings.Save());
    }
    CAppSettings loaded(m_ini);
    EXPECT_EQ(loaded.m_strAudioDevice, L"USB Headset");
    EXPECT_EQ(loaded.m_strAsioDriver, L"Asio 1");
    EXPECT_EQ(loaded.GetLanguage(), L"de-DE");
    EXPECT_EQ(loaded.m_strSkin, L"Dark");
    EXPECT_EQ(loaded.m_strLastAPOName, L"Equalizer");
    EXPECT_EQ(loaded.m_nUITransparent, 40);
    EXPECT_EQ(loaded.m_nSystemTray, 0);
    EXPECT_EQ(loaded.m_nWelcomeMsg, 0);
    EXPECT_EQ(loaded.m_nMicInListenToDevice, 1);
    EXPECT_EQ(loaded.m_nLineInListenToDevice, 1);
    EXPECT_EQ(loaded.m_nAuxInListenToDevice, 1);
    EXPECT_EQ(loaded.m_nEQIndex, 3);
    EXPECT_EQ(loaded.m_nQuarterEQIndex, 11);
    EXPECT_EQ(loaded.m_nNoiseCancelPrompt, 1); // never stored
    EXPECT_EQ(ReadValue(L"Foreign"), L"kept");
    EXPECT_EQ(ReadValue(L"UITransparent"), L"40");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "setting.ini.tmp"));
}

TEST_F(AppSettingsTest, NamesOutsideTheAnsiCodePageSurviveANewFile) {
    const std::wstring device = L"Kopfh\u00f6rer \u8033\u673a \u0416";
    {
        CAppSettings settings(m_ini);
        settings.m_strAudioDevice = device;
        ASSERT_TRUE(settings.Save());
    }
    EXPECT_EQ(CAppSettings(m_ini).m_strAudioDevice, device);
}

TEST_F(AppSettingsTest, SaveIntoAMissingFolderFailsWithoutLeavingAnything) {
    CAppSettings settings((m_dir / "missing" / "setting.ini").wstring());
    EXPECT_FALSE(settings.Save());
    EXPECT_FALSE(std::filesystem::exists(m_dir / "missing"));
}

class FakeTrayHost : public ITrayHost {
public:
    std::wstring calls;
    bool visible = true;
    void ShowTrayIcon(bool show) override { calls += show ? L"show;" : L"hide;"; }
    bool IsMainWindowVisible() override { return visible; }
    void RestoreMainWindow() override { calls += L"restore;"; }
};

TEST_F(AppSettingsTest, SetSystemTraySwitchesTheIconAndNeverStrandsAHiddenWindow) {
    CAppSettings settings(m_ini);
    settings.SetSystemTray(0); // no main window yet: only stored
    EXPECT_EQ(settings.m_nSystemTray, 0);

    FakeTrayHost host;
    settings.m_pTrayHost = &host;
    settings.SetSystemTray(0);
    EXPECT_EQ(host.calls, L"");
    settings.SetSystemTray(1);
    host.visible = false;
    settings.SetSystemTray(0);
    EXPECT_EQ(host.calls, L"show;hide;restore;");
    EXPECT_EQ(settings.m_nSystemTray, 0);
}

TEST(DefaultCulture, FollowsTheTableOfShippedLanguages) {
    struct Case {
        WORD primary;
        WORD sub;
        const wchar_t* culture;
    };
    const Case cases[] = {
        {LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL, L"zh-TW"},
        {LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED, L"zh-CN"},
        {LANG_CHINESE, SUBLANG_CHINESE_HONGKONG, L"en-US"},
        {LANG_CHINESE, SUBLANG_CHINESE_SINGAPORE, L"en-US"},
        {LANG_DANISH, SUBLANG_DEFAULT, L"da-DK"},
        {LANG_GERMAN, SUBLANG_GERMAN_AUSTRIAN, L"de-DE"},
        {LANG_SPANISH, SUBLANG_SPANISH_MEXICAN, L"es-ES"},
        {LANG_FRENCH, SUBLANG_FRENCH_CANADIAN, L"fr-FR"},
        {LANG_ITALIAN, SUBLANG_DEFAULT, L"it-IT"},
        {LANG_JAPANESE, SUBLANG_DEFAULT, L"ja-JP"},
        {LANG_KOREAN, SUBLANG_DEFAULT, L"ko-KR"},
        {LANG_DUTCH, SUBLANG_DUTCH_BELGIAN, L"nl-NL"},
        {LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN, L"pt-PT"},
        {LANG_RUSSIAN, SUBLANG_DEFAULT, L"ru-RU"},
        {LANG_SWEDISH, SUBLANG_DEFAULT, L"sv-SE"},
        {LANG_THAI, SUBLANG_DEFAULT, L"th-TH"},
        {LANG_TURKISH, SUBLANG_DEFAULT, L"tr-TR"},
        {LANG_INDONESIAN, SUBLANG_DEFAULT, L"id-ID"},
        {LANG_ENGLISH, SUBLANG_ENGLISH_UK, L"en-US"},
        {LANG_POLISH, SUBLANG_DEFAULT, L"en-US"},
        {LANG_NEUTRAL, SUBLANG_NEUTRAL, L"en-US"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.primary << "/" << c.sub);
        EXPECT_STREQ(CAppSettings::GetDefaultCulture(MAKELANGID(c.primary, c.sub)), c.culture);
    }
}

} // namespace
