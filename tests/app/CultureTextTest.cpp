// The shipped cultures: every culture's files carry every English key in a translation of their own, and
// its texts draw real glyphs in the face the program picks for the culture, not empty boxes.
#include "app/OvercoatApp.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinDraw.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <string>
#include <vector>

using namespace Gdiplus;

namespace {

std::map<std::wstring, std::wstring> ShippedTexts(const std::wstring& culture) {
    COvercoatApp app;
    app.UseProgramFolder(oc::test::ProgramDir().wstring() + L"\\");
    EXPECT_EQ(app.LoadLanguage(culture), 1) << culture;
    // The loaded texts hold every culture's description too; keep the culture's own keys.
    std::map<std::wstring, std::wstring> texts;
    for (const auto& [key, text] : *app.LanguageStrings())
        if (key.rfind(L"ml_", 0) == 0)
            texts[key] = text;
    return texts;
}

bool OwnFolder(const std::wstring& culture) {
    return std::filesystem::exists(oc::test::ProgramDir() / "lang" / culture / "common.xaml");
}

TEST(CultureTextTest, EveryCultureTranslatesEveryEnglishKey) {
    const auto english = ShippedTexts(L"en-US");
    ASSERT_GT(english.size(), 500u);
    for (const wchar_t* culture : LanguageCultures()) {
        if (std::wstring(culture) == L"en-US")
            continue;
        ASSERT_TRUE(OwnFolder(culture)) << "no language files for " << std::string(culture, culture + 5);
        const auto texts = ShippedTexts(culture);
        size_t same = 0;
        for (const auto& [key, text] : english) {
            const auto found = texts.find(key);
            EXPECT_NE(found, texts.end()) << std::string(culture, culture + 5) << " lacks a key";
            if (found != texts.end() && found->second == text)
                ++same;
        }
        // Names, units and numbers stay as they are; everything else is translated.
        EXPECT_LT(same * 4, english.size()) << std::string(culture, culture + 5) << ": " << same << " texts as in English";
    }
}

// What a message must carry in every language: the invalid-name message lists every character a profile
// name may not hold (the backslash too), and the messages that name a file or folder keep the place for it.
TEST(CultureTextTest, MessagesCarryWhatTheyMustNameInEveryCulture) {
    for (const wchar_t* culture : LanguageCultures()) {
        SCOPED_TRACE(std::string(culture, culture + 5));
        const auto texts = ShippedTexts(culture);
        const std::wstring invalid = texts.count(L"ml_PanelProfile_ProfileName_Invalid")
                                         ? texts.at(L"ml_PanelProfile_ProfileName_Invalid")
                                         : std::wstring();
        for (const wchar_t refused : std::wstring(L"\\/:*?\"<>|"))
            EXPECT_NE(invalid.find(refused), std::wstring::npos) << "the name message lacks " << char(refused);
        for (const wchar_t* key : {L"ml_Main_SkinFileDamaged", L"ml_Main_DataFolderUnusable"}) {
            const auto found = texts.find(key);
            EXPECT_TRUE(found != texts.end() && found->second.find(L"{0}") != std::wstring::npos)
                << std::string(key, key + std::wcslen(key)) << " has no place for the path";
        }
    }
}

// One character drawn the way the skin's statics and buttons draw text, as a row of pixels.
std::vector<ARGB> Draw(const std::wstring& face, wchar_t character) {
    constexpr int kSide = 40;
    Bitmap bitmap(kSide, kSide, PixelFormat32bppARGB);
    {
        Graphics graphics(&bitmap);
        graphics.Clear(Color(255, 255, 255, 255));
        FontFamily family(face.c_str());
        Font font(&family, 22.0f, FontStyleRegular, UnitPixel);
        SolidBrush brush(Color(255, 0, 0, 0));
        StringFormat format;
        const wchar_t text[] = {character, L'\0'};
        xSkinDrawStringToBitmap(graphics, text, RectF(0, 0, kSide, kSide), &font, &format, &brush, nullptr);
    }
    std::vector<ARGB> pixels;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            Color color;
            bitmap.GetPixel(x, y, &color);
            pixels.push_back(color.GetValue());
        }
    return pixels;
}

int Ink(const std::vector<ARGB>& pixels) {
    int dark = 0;
    for (ARGB pixel : pixels)
        dark += Color(pixel).GetG() < 128 ? 1 : 0;
    return dark;
}

bool Sampled(wchar_t c) {
    return c > 0x7F || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

TEST(CultureTextTest, EachCultureDrawsItsTextsInAFaceThatHasTheirScript) {
    for (const wchar_t* culture : LanguageCultures()) {
        const auto texts = ShippedTexts(culture);
        const std::wstring& face = CxSkinCtrl::GetDefaultFontFace();
        // Face names are ASCII: a plain narrowing serves the failure message.
        const std::string name = std::string(culture, culture + 5) + " in " + std::string(face.begin(), face.end());
        // A code point no face has: what a missing glyph looks like in this face.
        const auto missing = Draw(face, L'\x0378');
        std::wstring sample;
        for (const wchar_t* key : {L"ml_Main_Title", L"ml_Setting_Language", L"ml_Device_HeadPhone", L"ml_EQ_Save"})
            sample += texts.count(key) ? texts.at(key) : L"";
        ASSERT_FALSE(sample.empty()) << name;
        int checked = 0;
        for (wchar_t c : sample) {
            if (!Sampled(c))
                continue;
            const auto drawn = Draw(face, c);
            EXPECT_GT(Ink(drawn), 0) << name << ": U+" << std::hex << static_cast<int>(c) << " draws nothing";
            EXPECT_NE(drawn, missing) << name << ": U+" << std::hex << static_cast<int>(c)
                                      << " draws as an empty box";
            ++checked;
        }
        EXPECT_GT(checked, 3) << name;
    }
    CxSkinCtrl::SetDefaultFontFace(L"");
}

// The language list shows every culture by its own name while the texts are in another culture's face: a
// name in a script that face lacks still draws real glyphs.
TEST(CultureTextTest, EveryLanguageNameDrawsInTheEnglishFace) {
    COvercoatApp app;
    app.UseProgramFolder(oc::test::ProgramDir().wstring() + L"\\");
    ASSERT_EQ(app.LoadLanguage(L"en-US"), 1);
    const std::wstring& face = CxSkinCtrl::GetDefaultFontFace();
    const auto missing = Draw(face, L'\x0378');
    int foreign = 0;
    for (const wchar_t* culture : LanguageCultures()) {
        const std::string name(culture, culture + 5);
        const auto description = app.LanguageStrings()->find(culture);
        ASSERT_NE(description, app.LanguageStrings()->end()) << name;
        for (wchar_t c : description->second) {
            if (c <= 0x7F)
                continue;
            const auto drawn = Draw(face, c);
            EXPECT_GT(Ink(drawn), 0) << name << ": U+" << std::hex << static_cast<int>(c) << " draws nothing";
            EXPECT_NE(drawn, missing) << name << ": U+" << std::hex << static_cast<int>(c) << " draws as an empty box";
            foreign += c >= 0x0E00 ? 1 : 0;
        }
    }
    // Chinese, Japanese, Korean and Thai names were checked.
    EXPECT_GT(foreign, 8);
}

} // namespace
