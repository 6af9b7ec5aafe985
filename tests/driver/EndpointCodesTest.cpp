// Endpoint names and codes.
#include <gtest/gtest.h>

#include "driver/EndpointCodes.h"

namespace {

TEST(EndpointCodes, PrefixesResolveLongestNameFirst) {
    struct Case {
        const wchar_t* text;
        int32_t expected;
    };
    const Case cases[] = {
        {L"SPDIFInRCAVol", 11}, {L"SPDIFInVol", 104},     {L"SpeakerQuarterEQ", 12},
        {L"SpeakerEQ", 1},      {L"HeadPhoneVirtual", 7}, {L"DesktopMicAEC", 10},
        {L"AuxIn", -1},         {L"speakerEQ", -1},       {L"", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EndpointPrefixToCode(c.text), c.expected) << std::wstring(c.text).c_str();
}

TEST(EndpointCodes, WholeNamesAndCodesRoundTrip) {
    const int32_t codes[] = {1, 2, 3, 4, 7, 8, 9, 10, 11, 12, 104};
    for (int32_t code : codes)
        EXPECT_EQ(EndpointNameToCode(EndpointCodeToName(code)), code);
    EXPECT_EQ(EndpointNameToCode(L"SpeakerEQ"), -1);
    EXPECT_EQ(EndpointNameToCode(L"AuxIn"), -1);
    EXPECT_EQ(EndpointCodeToName(5), L"Unknown");
    EXPECT_EQ(EndpointCodeToName(6), L"Unknown");
    EXPECT_EQ(EndpointCodeToName(-1), L"Unknown");
}

TEST(EndpointCodes, FlowsOfCodes) {
    for (int32_t code : {1, 7, 4, 9, 12}) {
        EXPECT_TRUE(IsRenderEndpointCode(code));
        EXPECT_FALSE(IsCaptureEndpointCode(code));
    }
    for (int32_t code : {2, 10, 3, 104, 8, 11}) {
        EXPECT_TRUE(IsCaptureEndpointCode(code));
        EXPECT_FALSE(IsRenderEndpointCode(code));
    }
    EXPECT_FALSE(IsRenderEndpointCode(5));
    EXPECT_FALSE(IsCaptureEndpointCode(5));
}

} // namespace
