// The language texts, loaded from language folders generated in a scratch program folder.
#include "app/OvercoatApp.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Entries = std::vector<std::pair<std::string, std::string>>;

std::string LanguageFile(const Entries& entries) {
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                       "<ResourceDictionary xmlns:x=\"http://schemas.microsoft.com/winfx/2006/xaml\"\n"
                       "                    xmlns:sys=\"clr-namespace:System;assembly=mscorlib\">\n";
    for (const auto& [key, value] : entries)
        text += "    <sys:String x:Key=\"" + key + "\">" + value + "</sys:String>\n";
    return text + "</ResourceDictionary>\n";
}

class LanguageTest : public testing::Test {
protected:
    oc::test::TempDir m_program;
    COvercoatApp m_app;

    void SetUp() override { m_app.UseProgramFolder(m_program.Path().wstring() + L"\\"); }

    void WriteRaw(const std::string& culture, const std::string& name, const std::string& content) {
        const fs::path folder = m_program / "lang" / culture;
        fs::create_directories(folder);
        std::ofstream(folder / name, std::ios::binary) << content;
    }
    void Write(const std::string& culture, const std::string& name, const Entries& entries) {
        WriteRaw(culture, name, LanguageFile(entries));
    }
    std::wstring Text(const wchar_t* key) { return m_app.GetLanguageText(key); }
};

TEST_F(LanguageTest, ChosenCultureWinsAndEveryCommonFileFillsTheLanguageList) {
    Write("da-DK", "common.xaml", {{"LanguageName", "da-DK"}, {"LanguageDescription", "Dansk"}, {"ml_Shared", "da"}});
    Write("de-DE", "common.xaml",
          {{"LanguageName", "de-DE"}, {"LanguageDescription", "Deutsch"}, {"ml_Title", "Titel"}, {"ml_Shared", "de"}});
    Write("de-DE", "dialogs.xaml", {{"ml_Dialog", "Dialog"}});
    Write("en-US", "common.xaml",
          {{"LanguageName", "en-US"}, {"LanguageDescription", "English"}, {"ml_Title", "Title"}, {"ml_Other", "en"}});
    Write("fr-FR", "common.xaml", {{"ml_Other", "fr"}});
    // Only the chosen culture's own files are read beyond the common ones.
    Write("en-US", "dialogs.xaml", {{"ml_Dialog", "Dialog (en)"}, {"ml_EnglishOnly", "x"}});

    ASSERT_EQ(m_app.LoadLanguage(L"de-DE"), 1);
    EXPECT_EQ(Text(L"ml_Title"), L"Titel");
    EXPECT_EQ(Text(L"ml_Shared"), L"de");
    EXPECT_EQ(Text(L"ml_Dialog"), L"Dialog");
    EXPECT_EQ(Text(L"ml_EnglishOnly"), L"");
    // A key the chosen culture lacks shows in English, not in whichever other culture was read last.
    EXPECT_EQ(Text(L"ml_Other"), L"en");
    // The language list: each culture's description under its name.
    EXPECT_EQ(Text(L"da-DK"), L"Dansk");
    EXPECT_EQ(Text(L"de-DE"), L"Deutsch");
    EXPECT_EQ(Text(L"en-US"), L"English");
    EXPECT_EQ(Text(L"LanguageDescription"), L"");
    EXPECT_EQ(Text(L"LanguageName"), L"de-DE");
    EXPECT_EQ(m_app.m_languageName, L"de-DE");
    EXPECT_EQ(m_app.FindLanguageKey(L"English"), L"en-US");
}

TEST_F(LanguageTest, MissingCultureFallsBackToTheFirstListedCultureWithFiles) {
    WriteRaw("da-DK", "readme.txt", "not a language file");
    Write("de-DE", "common.xaml", {{"ml_Title", "Titel"}});
    Write("en-US", "common.xaml", {{"ml_Title", "Title"}, {"ml_English", "en"}});
    ASSERT_EQ(m_app.LoadLanguage(L"xx-XX"), 1);
    EXPECT_EQ(Text(L"ml_Title"), L"Titel");
    EXPECT_EQ(Text(L"ml_English"), L"en"); // the common files of every culture are still read
}

TEST_F(LanguageTest, NoLanguageFileAnywhereFails) {
    EXPECT_EQ(m_app.LoadLanguage(L"en-US"), 0);
    EXPECT_EQ(Text(L"ml_Title"), L"");
    WriteRaw("en-US", "common.xml", "<x/>");
    WriteRaw("de-DE", "notes.txt", "x");
    EXPECT_EQ(m_app.LoadLanguage(L"en-US"), 0);
}

TEST_F(LanguageTest, BrokenFilesAreSkippedAndTheOthersStillLoad) {
    WriteRaw("en-US", "broken.xaml", "sys:String x:Key=\"ml_Broken\" never an element");
    WriteRaw("en-US", "empty.xaml", "");
    WriteRaw("en-US", ".hidden.xaml", LanguageFile({{"ml_Hidden", "hidden"}}));
    fs::create_directories(m_program / "lang" / "en-US" / "folder.xaml");
    Write("en-US", "common.xaml", {{"ml_Title", "Title"}});
    ASSERT_EQ(m_app.LoadLanguage(L"en-US"), 1);
    EXPECT_EQ(Text(L"ml_Title"), L"Title");
    EXPECT_EQ(Text(L"ml_Broken"), L"");
    EXPECT_EQ(Text(L"ml_Hidden"), L"");
}

// The shipped language files with one of them damaged: the texts it held show in English, never in another
// culture; a damaged English file leaves its texts empty (the program then keeps its own English title).
TEST_F(LanguageTest, ADamagedFileOfTheChosenCultureFallsBackToEnglish) {
    const fs::path shipped = oc::test::ProgramDir() / "lang";
    fs::copy(shipped, m_program / "lang", fs::copy_options::recursive);
    COvercoatApp english;
    english.UseProgramFolder(oc::test::ProgramDir().wstring() + L"\\");
    ASSERT_EQ(english.LoadLanguage(L"en-US"), 1);
    struct Case {
        const char* culture;
        const char* file;
        const wchar_t* key;
        bool englishText;
    };
    const Case cases[] = {
        {"de-DE", "common.xaml", L"ml_Main_Title", true},
        {"ja-JP", "common.xaml", L"ml_Main_DeviceNotExist", true},
        {"fr-FR", "Main.xaml", L"ml_Main_Tip_ENC", true},
        {"en-US", "common.xaml", L"ml_Main_Title", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.culture) + "/" + c.file);
        const fs::path file = m_program / "lang" / c.culture / c.file;
        std::ifstream in(file, std::ios::binary);
        const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        // Cut before its third entry and closed by a tag that closes nothing: the file does not read.
        size_t cut = 0;
        for (int i = 0; i < 3; ++i)
            cut = good.find("<sys:String", cut + 1);
        ASSERT_NE(cut, std::string::npos);
        const std::string damaged = good.substr(0, cut) + "</Wrong>";
        std::ofstream(file, std::ios::binary | std::ios::trunc) << damaged;

        ASSERT_EQ(m_app.LoadLanguage(std::wstring(c.culture, c.culture + 5)), 1);
        EXPECT_EQ(Text(c.key), c.englishText ? english.GetLanguageText(c.key) : L"");
        // The language list is still complete, and the damaged file is left as it was.
        EXPECT_FALSE(Text(L"zh-TW").empty());
        std::ifstream after(file, std::ios::binary);
        EXPECT_TRUE(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()) == damaged);
        after.close();
        std::ofstream(file, std::ios::binary | std::ios::trunc) << good;
    }
}

TEST_F(LanguageTest, OnlyWellFormedEntriesEnterTheTexts) {
    WriteRaw("en-US", "common.xaml",
             "<ResourceDictionary xmlns:x=\"x\" xmlns:sys=\"s\">\n"
             "  <sys:String x:Key=\"ml_Kept\">kept</sys:String>\n"
             "  <sys:String x:Key=\"ml_Spaces\">  two  </sys:String>\n"
             "  <sys:String x:Key=\"ml_Entity\">a &amp; b</sys:String>\n"
             "  <sys:String Note=\"first\" x:Key=\"ml_SecondAttribute\">ignored</sys:String>\n"
             "  <String x:Key=\"ml_OtherElement\">ignored</String>\n"
             "  <sys:String x:key=\"ml_LowerCase\">ignored</sys:String>\n"
             "  <sys:String x:Key=\"\">no key</sys:String>\n"
             "  <sys:String x:Key=\"ml_Empty\"></sys:String>\n"
             "  <Group><sys:String x:Key=\"ml_Nested\">ignored</sys:String></Group>\n"
             "</ResourceDictionary>\n");
    // Read after common.xaml: its empty text must not wipe the earlier one.
    Write("en-US", "zz-later.xaml", {{"ml_Kept", ""}});
    ASSERT_EQ(m_app.LoadLanguage(L"en-US"), 1);
    EXPECT_EQ(Text(L"ml_Kept"), L"kept");
    EXPECT_EQ(Text(L"ml_Spaces"), L"  two  ");
    EXPECT_EQ(Text(L"ml_Entity"), L"a & b");
    for (const wchar_t* key :
         {L"ml_SecondAttribute", L"ml_OtherElement", L"ml_LowerCase", L"", L"ml_Empty", L"ml_Nested"})
        EXPECT_EQ(Text(key), L"") << key;
    EXPECT_EQ(m_app.LanguageStrings()->size(), 3u);
}

TEST_F(LanguageTest, DescriptionBeforeNameGoesUnderThePreviousName) {
    // da-DK's common file is the first ever read: no language name yet.
    Write("da-DK", "common.xaml", {{"LanguageDescription", "Dansk"}, {"LanguageName", "da-DK"}});
    Write("de-DE", "common.xaml", {{"LanguageDescription", "Deutsch"}, {"LanguageName", "de-DE"}});
    Write("en-US", "common.xaml", {{"LanguageName", "en-US"}, {"LanguageDescription", "English"}});
    ASSERT_EQ(m_app.LoadLanguage(L"de-DE"), 1);
    EXPECT_EQ(Text(L""), L"Dansk");
    EXPECT_EQ(Text(L"da-DK"), L"Deutsch");
    // The chosen culture's file is read again last, after en-US's.
    EXPECT_EQ(Text(L"en-US"), L"Deutsch");
    EXPECT_EQ(m_app.LanguageStrings()->count(L"de-DE"), 0u);
    EXPECT_EQ(m_app.m_languageName, L"de-DE");
}

TEST_F(LanguageTest, LookUpsAndChangesOfTheTexts) {
    // Nothing loaded yet: look-ups are empty and changes are dropped.
    m_app.SetLanguageString(L"ml_Early", L"early");
    EXPECT_EQ(Text(L"ml_Early"), L"");
    EXPECT_EQ(m_app.FindLanguageKey(L"early"), L"");
    EXPECT_EQ(m_app.TranslateText(L"ml_Early"), L"ml_Early");

    Write("en-US", "common.xaml",
          {{"ml_B", "same"}, {"ml_A", "same"}, {"ml_", "bare prefix"}, {"ml_Title", "Title"}, {"Plain", "plain"}});
    ASSERT_EQ(m_app.LoadLanguage(L"en-US"), 1);
    EXPECT_EQ(m_app.FindLanguageKey(L"same"), L"ml_A"); // the key that sorts first
    EXPECT_EQ(m_app.FindLanguageKey(L"Same"), L"");
    EXPECT_EQ(m_app.FindLanguageKey(L"sam"), L"");

    const std::pair<const wchar_t*, const wchar_t*> translations[] = {
        {L"ml_Title", L"Title"},
        {L"ml_Missing", L"ml_Missing"},
        {L"ml_", L"bare prefix"},
        {L"Plain", L"Plain"},
        {L"Ml_Title", L"Ml_Title"},
        {L"ml", L"ml"},
        {L"", L""},
        {L" ml_Title", L" ml_Title"},
    };
    for (const auto& [text, expected] : translations)
        EXPECT_EQ(m_app.TranslateText(text), expected) << text;

    m_app.SetLanguageString(L"ml_Title", L"New title");
    m_app.SetLanguageString(L"ml_Added", L"added");
    EXPECT_EQ(Text(L"ml_Title"), L"New title");
    EXPECT_EQ(Text(L"ml_Added"), L"added");
    // A reload starts from an empty map.
    ASSERT_EQ(m_app.LoadLanguage(L"en-US"), 1);
    EXPECT_EQ(Text(L"ml_Title"), L"Title");
    EXPECT_EQ(Text(L"ml_Added"), L"");
}

// The language files the program ships: every culture's common file names itself, and the texts
// start-up shows are there in each.
TEST(ShippedLanguages, EveryCultureHasTheStartupTexts) {
    COvercoatApp app;
    app.UseProgramFolder(oc::test::ProgramDir().wstring() + L"\\");
    const fs::path lang = oc::test::ProgramDir() / "lang";
    std::vector<std::wstring> cultures;
    for (const auto& entry : fs::directory_iterator(lang))
        cultures.push_back(entry.path().filename().wstring());
    ASSERT_GE(cultures.size(), 2u);
    for (const std::wstring& culture : cultures) {
        SCOPED_TRACE(std::string(culture.begin(), culture.end()));
        ASSERT_EQ(app.LoadLanguage(culture), 1);
        EXPECT_EQ(app.GetLanguageText(L"LanguageName"), culture);
        EXPECT_FALSE(app.GetLanguageText(culture).empty());
        for (const wchar_t* key :
             {L"ml_Main_Title", L"ml_Main_Info", L"ml_Main_DeviceNotExist", L"ml_Main_DeviceJackEmpty"})
            EXPECT_FALSE(app.GetLanguageText(key).empty()) << key;
    }
}

} // namespace
