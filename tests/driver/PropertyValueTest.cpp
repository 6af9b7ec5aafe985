// Conversions between native values and the driver's text, and the bounds of the property buffers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/PropertyValue.h"

namespace {

TEST(PropertyValue, IntegerTextKeepsItsSign) {
    struct Case {
        const wchar_t* text;
        int32_t expected;
    };
    const Case cases[] = {
        {L"42", 42},
        {L"-45", -45},
        {L"+7", 7},
        {L"  -13dB", -13},
        {L"abc", 0},
        {L"-", 0},
        {L"", 0},
        {L"2147483647", 2147483647},
        {L"-2147483648", INT32_MIN},
        {L"4294967295", -1}, // an unsigned value keeps its 32 bits
        {L"99999999999999999999", -1},
        {L"-99999999999999999999", INT32_MIN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParsePropertyInteger(c.text), c.expected) << std::wstring(c.text).c_str();
    EXPECT_EQ(ParsePropertyInteger(nullptr), 0);
}

TEST(PropertyValue, ByteCountOfSizeZeroIsFourForNumbersOnly) {
    EXPECT_EQ(PropertyByteCount(kValueInt, 0), 4u);
    EXPECT_EQ(PropertyByteCount(kValueUInt, 0), 4u);
    EXPECT_EQ(PropertyByteCount(kValueFloat, 0), 4u);
    EXPECT_EQ(PropertyByteCount(kValueText, 0), 0u);
    EXPECT_EQ(PropertyByteCount(kValueBlock, 0), 0u);
    EXPECT_EQ(PropertyByteCount(kValueUInt, 2), 2u);
}

TEST(PropertyValue, PackRefusesWhatDoesNotFitAndTerminatesText) {
    alignas(8) uint8_t buffer[kPropertyBufferBytes];
    std::memset(buffer, 0xCD, sizeof(buffer));

    uint8_t big[2048] = {};
    EXPECT_FALSE(PackPropertyBytes(buffer, big, kValueBlock, 1025));
    EXPECT_TRUE(PackPropertyBytes(buffer, big, kValueBlock, 1024));

    std::wstring longText(512, L'x');
    EXPECT_FALSE(PackPropertyBytes(buffer, longText.c_str(), kValueText, 1024));
    std::wstring fits(511, L'y');
    ASSERT_TRUE(PackPropertyBytes(buffer, fits.c_str(), kValueText, 1024));
    const auto* text = reinterpret_cast<const wchar_t*>(buffer);
    EXPECT_EQ(std::wstring(text), fits);

    // A 512-byte text buffer holding a short text sends the text and zeroes the rest.
    wchar_t caller[256] = L"Speakers";
    std::memset(buffer, 0xCD, sizeof(buffer));
    ASSERT_TRUE(PackPropertyBytes(buffer, caller, kValueText, sizeof(caller)));
    EXPECT_EQ(std::wstring(text), L"Speakers");
    EXPECT_EQ(buffer[kPropertyBufferBytes - 1], 0);
}

TEST(PropertyValue, NumbersFormatAsTheCacheKeepsThem) {
    const int32_t fifty = 50;
    const float half = 0.5f;
    const int32_t low16 = 0x12345678;
    EXPECT_EQ(FormatPropertyNumber(&fifty, kValueUInt, 4), L"50");
    EXPECT_EQ(FormatPropertyNumber(&half, kValueFloat, 4), L"0.500000");
    EXPECT_EQ(FormatPropertyNumber(&low16, kValueInt, 2), L"22136"); // 0x5678
    EXPECT_EQ(FormatPropertyNumber(L"text", kValueText, 10), L"");
    EXPECT_EQ(FormatPropertyNumber(&fifty, kValueBlock, 4), L"");
}

TEST(PropertyValue, TextToPlaceIsCutToFitAndTerminated) {
    wchar_t place[8];
    std::wmemset(place, L'#', 8);
    CopyTextToPlace(place, 4 * sizeof(wchar_t), L"abcdef", 512);
    EXPECT_EQ(std::wstring(place), L"abc");
    EXPECT_EQ(place[4], L'#');
    CopyTextToPlace(place, 1, L"abcdef", 512); // less than one character: nothing
    EXPECT_EQ(std::wstring(place), L"abc");
}

} // namespace
