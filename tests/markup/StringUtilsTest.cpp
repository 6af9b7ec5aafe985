// Formatting, code-page conversion and ASCII upper-casing; results must match in both builds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "markup/StringUtils.h"
#include "markup/Utf8.h"

namespace {

TEST(FormatString, FormatsWideAndNarrowArgumentsAndNumbers) {
    std::wstring text = L"old";
    EXPECT_EQ(FormatString(text, L"%d", -5), L"-5");
    EXPECT_EQ(FormatString(text, L"%ls%ls.lyt", L"C:\\Program Files\\Overcoat\\Skin\\Overcoat\\", L"MainWindow"),
              L"C:\\Program Files\\Overcoat\\Skin\\Overcoat\\MainWindow.lyt");
    EXPECT_EQ(FormatString(text, L"Fail to load profile file( %ls )", L"a.xml"), L"Fail to load profile file( a.xml )");
    EXPECT_EQ(FormatString(text, L"%s-%d", "narrow", 7), L"narrow-7");
}

TEST(FormatString, NullFormatAndEmptyResultLeaveTheTextEmpty) {
    std::wstring text = L"old";
    EXPECT_EQ(FormatString(text, nullptr), L"");
    text = L"old";
    EXPECT_EQ(FormatString(text, L"%ls", L""), L"");
}

TEST(FormatString, ResultsLongerThanTheFirstBufferAreComplete) {
    std::wstring longPart(3000, L'x');
    std::wstring text;
    FormatString(text, L"[%ls]%d", longPart.c_str(), 42);
    EXPECT_EQ(text, L"[" + longPart + L"]42");
}

TEST(FormatString, KeepsUtf16CodeUnitsAsTheyAre) {
    // A surrogate pair and a non-ASCII letter pass through "%ls" unchanged in either wchar_t width.
    const wchar_t units[] = {L'a', wchar_t(0xD83D), wchar_t(0xDE00), wchar_t(0x00E9), 0};
    std::wstring text;
    FormatString(text, L"%ls", units);
    EXPECT_EQ(text, std::wstring(units));
}

TEST(WideToMultiByte, ConvertsToUtf8AndRefusesEmptyInput) {
    EXPECT_EQ(WideToMultiByte(L"", 65001), nullptr);
    EXPECT_EQ(WideToMultiByte(nullptr, 65001), nullptr);
    EXPECT_EQ(WideToAnsi(L""), nullptr);
    const wchar_t text[] = {L'A', wchar_t(0x00E9), wchar_t(0x20AC), wchar_t(0xD83D), wchar_t(0xDE00), 0};
    auto bytes = WideToMultiByte(text, 65001);
    ASSERT_NE(bytes, nullptr);
    EXPECT_STREQ(bytes.get(), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    auto ascii = WideToAnsi(L"setting.ini");
    ASSERT_NE(ascii, nullptr);
    EXPECT_STREQ(ascii.get(), "setting.ini");
}

TEST(Utf8, LoneSurrogatesAndInvalidBytesBecomeReplacementCharacters) {
    const wchar_t lone[] = {L'a', wchar_t(0xDC00), L'b', wchar_t(0xD800), 0};
    EXPECT_EQ(WideToUtf8(lone, 4), "a\xEF\xBF\xBD"
                                   "b\xEF\xBF\xBD");

    struct Case {
        const char* bytes;
        std::wstring units;
    };
    const Case cases[] = {
        {"plain", L"plain"},
        {"\xC3\xA9", std::wstring(1, wchar_t(0xE9))},
        {"\xF0\x9F\x98\x80", std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}},
        {"a\xFF"
         "b",
         std::wstring{L'a', wchar_t(0xFFFD), L'b'}},
        {"\xC0\xAF", std::wstring{wchar_t(0xFFFD), wchar_t(0xFFFD)}}, // overlong form
        {"\xED\xA0\x80", std::wstring(3, wchar_t(0xFFFD))},           // encoded surrogate
        {"\xE2\x82", std::wstring{wchar_t(0xFFFD)}},                  // truncated at the end
        {"\xE2\x82x", std::wstring{wchar_t(0xFFFD), L'x'}},           // broken in the middle
        {"\xF4\x90\x80\x80", std::wstring(4, wchar_t(0xFFFD))},       // above U+10FFFF
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8ToWide(c.bytes), c.units) << c.bytes;
}

TEST(MakeUpperAscii, UpperCasesOnlyAsciiLetters) {
    std::wstring text = L"a\u00e9-z";
    MakeUpperAscii(text);
    EXPECT_EQ(text, L"A\u00e9-Z");
    wchar_t buffer[] = L"speaker_eq 1";
    MakeUpperAscii(buffer);
    EXPECT_STREQ(buffer, L"SPEAKER_EQ 1");
    MakeUpperAscii(static_cast<wchar_t*>(nullptr));
}

} // namespace
