#include "app/AppSettings.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
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

// UTF-16 (little-endian, with its mark) of a text whose units are given as they are, lone surrogates too.
std::string Utf16(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct DamageCase {
    const char* name;
    std::string file;
    std::wstring audioDevice; // the key the damage hits, where there is one
    std::wstring skin;
    int tray;
    int transparency;
    bool keptBeside; // the file could not be read in full: saving keeps it as setting.ini.bad
};

// One bad value costs only its key; the rest of the file is read, and a save never replaces what the
// program could not read without keeping it beside.
TEST_F(AppSettingsTest, DamagedFilesCostOnlyTheDamagedKeysAndAreKeptBesideWhenSaved) {
    const std::string megabyte(1 << 20, 'x');
    std::string repeated = "[Setting]\r\nSkin=Dark\r\n";
    for (int i = 0; i < 100000; ++i)
        repeated += "[Setting]\r\nSystemTray=0\r\n";
    const std::string cutUtf16 = Utf16(L"[Setting]\r\nSkin=Dark\r\nSystemTray=0\r\nUITransparent=3");
    const DamageCase cases[] = {
        {"three 1 MB values",
         "[Setting]\r\nSkin=Dark\r\nAudioDevice=" + megabyte + "\r\nSystemTray=0\r\nAsioDriver=" + megabyte +
             "\r\nUITransparent=30\r\nLastAPOName=" + megabyte + "\r\n",
         L"", L"Dark", 0, 30, true},
        {"1 MB integer", "[Setting]\r\nAudioDevice=Headset\r\nSystemTray=" + megabyte + "\r\nSkin=Dark\r\n",
         L"Headset", L"Dark", 1, 1, true},
        {"truncated inside a character", cutUtf16.substr(0, cutUtf16.size() - 1), L"", L"Dark", 0, 1, true},
        {"truncated mid-line", "[Setting]\r\nSkin=Dark\r\nSystemTray=0\r\nAudioDev", L"", L"Dark", 0, 1, false},
        {"100,000 repeated sections", repeated, L"", L"Dark", 0, 1, false},
        {"lone surrogate", Utf16(L"[Setting]\r\nAudioDevice=ab\xD800z\r\nSkin=Dark\r\nSystemTray=0\r\n"), L"",
         L"Dark", 0, 1, true},
        {"invalid UTF-8", "\xEF\xBB\xBF[Setting]\r\nAudioDevice=Kopfh\xC3r\r\nSkin=D\xC3\xA4rk\r\nSystemTray=0\r\n",
         L"", L"D\u00e4rk", 0, 1, true},
        {"17 MB line", "[Setting]\r\nSkin=Dark\r\nSystemTray=0\r\n" + std::string(17 << 20, ';'), L"", L"Dark", 0, 1,
         true},
    };
    for (const DamageCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(m_dir / "setting.ini.bad");
        WriteIni(c.file);
        CAppSettings settings(m_ini);
        EXPECT_EQ(settings.m_strAudioDevice, c.audioDevice);
        EXPECT_EQ(settings.m_strSkin, c.skin);
        EXPECT_EQ(settings.m_nSystemTray, c.tray);
        EXPECT_EQ(settings.m_nUITransparent, c.transparency);
        EXPECT_EQ(settings.WasUnreadable(), c.keptBeside);

        ASSERT_TRUE(settings.Save());
        EXPECT_EQ(std::filesystem::exists(m_dir / "setting.ini.bad"), c.keptBeside);
        if (c.keptBeside) {
            EXPECT_TRUE(ReadBytes(m_dir / "setting.ini.bad") == c.file) << "the unreadable file is kept whole";
        }
        // What was written back reads whole, with every value that could be read.
        CAppSettings reloaded(m_ini);
        EXPECT_FALSE(reloaded.WasUnreadable());
        EXPECT_EQ(reloaded.m_strSkin, c.skin);
        EXPECT_EQ(reloaded.m_nSystemTray, c.tray);
        EXPECT_EQ(reloaded.m_nUITransparent, c.transparency);
    }
}

// Whatever the size, and in UTF-16 without its mark (either order), the keys are read.
TEST_F(AppSettingsTest, LargeAndUnmarkedUtf16FilesAreRead) {
    std::string large = "[Setting]\r\nSkin=Dark\r\n";
    const std::string comment = "; " + std::string(100, '-') + "\r\n";
    while (large.size() < (20u << 20))
        large += comment;
    large += "[Setting]\r\nSystemTray=0\r\n";
    auto unmarked = [](const std::wstring& text, bool little) {
        std::string bytes;
        for (wchar_t c : text) {
            const char low = static_cast<char>(c & 0xFF), high = static_cast<char>((c >> 8) & 0xFF);
            bytes += little ? low : high;
            bytes += little ? high : low;
        }
        return bytes;
    };
    const std::wstring text = L"[Setting]\r\nAudioDevice=Kopfh\u00f6rer \u8033\u673a\r\nSkin=Dark\r\nSystemTray=0\r\n";
    struct Case {
        const char* name;
        std::string file;
        std::wstring audioDevice;
    };
    const Case cases[] = {
        {"20 MB", large, L""},
        {"UTF-16 little-endian without its mark", unmarked(text, true), L"Kopfh\u00f6rer \u8033\u673a"},
        {"UTF-16 big-endian without its mark", unmarked(text, false), L"Kopfh\u00f6rer \u8033\u673a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteIni(c.file);
        CAppSettings settings(m_ini);
        EXPECT_EQ(settings.m_strAudioDevice, c.audioDevice);
        EXPECT_EQ(settings.m_strSkin, L"Dark");
        EXPECT_EQ(settings.m_nSystemTray, 0);
        EXPECT_FALSE(settings.WasUnreadable());
        EXPECT_FALSE(std::filesystem::exists(m_dir / "setting.ini.bad"));
    }
}

// The original of a damaged file is kept as soon as it is read, before any save; a later save, by this
// instance or another, never replaces a kept original: new damage goes to the next free name, and the
// same damage is not kept twice.
TEST_F(AppSettingsTest, KeptOriginalsAreKeptAtLoadAndNeverReplaced) {
    const std::string first = "[Setting]\r\nAudioDevice=USB " + std::string(40000, 'a') + "\r\nSkin=Dark\r\n";
    const std::string second = "[Setting]\r\nSkin=Dark\r\nAsioDriver=" + std::string(40000, 'b') + "\r\n";
    WriteIni(first);
    CAppSettings running(m_ini);
    EXPECT_TRUE(ReadBytes(m_dir / "setting.ini.bad") == first) << "kept before anything could write";
    CAppSettings another(m_ini); // a second start reads the same damage
    running.m_strAudioDevice = L"USB Headset";
    ASSERT_TRUE(running.Save());
    ASSERT_TRUE(another.Save());
    EXPECT_TRUE(ReadBytes(m_dir / "setting.ini.bad") == first);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "setting.ini.bad2")) << "the same bytes are kept once";
    EXPECT_EQ(ReadValue(L"AudioDevice"), L"USB Headset");

    WriteIni(second); // damaged again, differently
    CAppSettings later(m_ini);
    ASSERT_TRUE(later.Save());
    EXPECT_TRUE(ReadBytes(m_dir / "setting.ini.bad") == first);
    EXPECT_TRUE(ReadBytes(m_dir / "setting.ini.bad2") == second);
    EXPECT_EQ(ReadValue(L"Skin"), L"Dark");
}

TEST_F(AppSettingsTest, SaveKeepsForeignLinesAndDropsOnlyTheDamagedOnes) {
    WriteIni("; comment\r\n[Other]\r\nKey=1\r\n[Setting]\r\nAudioDevice=" + std::string(40000, 'y') +
             "\r\nForeign=kept\r\nSkin=Dark\r\n");
    CAppSettings settings(m_ini);
    ASSERT_TRUE(settings.Save());
    wchar_t other[16] = {};
    ::GetPrivateProfileStringW(L"Other", L"Key", L"", other, 16, m_ini.c_str());
    EXPECT_STREQ(other, L"1");
    EXPECT_EQ(ReadValue(L"Foreign"), L"kept");
    EXPECT_EQ(ReadValue(L"Skin"), L"Dark");
    EXPECT_EQ(ReadValue(L"AudioDevice"), L"<none>");
    EXPECT_EQ(ReadValue(L"SystemTray"), L"1");
}

TEST_F(AppSettingsTest, AFileThatCannotBeOpenedIsLeftAlone) {
    WriteIni("[Setting]\r\nSkin=Dark\r\n");
    HANDLE locked = ::CreateFileW(m_ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    CAppSettings settings(m_ini);
    EXPECT_TRUE(settings.WasUnreadable());
    EXPECT_EQ(settings.m_strSkin, L"Overcoat");
    EXPECT_FALSE(settings.Save());
    ::CloseHandle(locked);
    EXPECT_EQ(ReadBytes(m_dir / "setting.ini"), "[Setting]\r\nSkin=Dark\r\n");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "setting.ini.tmp"));
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
