// The markup value syntaxes: every control attribute that holds a colour, point, rectangle, list or
// number goes through these, in both builds.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "skin/SkinParse.h"

namespace {

struct ColorCase {
    const wchar_t* text;
    SkinColor expected;
};

TEST(SkinParse, ColorSyntaxAndNames) {
    const ColorCase cases[] = {
        {L"#80FF0000", 0x80FF0000},                       // alpha first
        {L"#FF0000", 0xFFFF0000},                         // opaque
        {L"#00ff7f", 0xFF00FF7F},                         // lower-case digits
        {L"#00000000", 0x00000000},                       // fully transparent stays transparent
        {L"#F00", 0xFFFFFFFF},                            // short form is not supported
        {L"#FF00000", 0xFFFFFFFF},                        // eight characters: neither form
        {L"#12G456", 0xFF000012},                         // digits stop at the first non-digit
        {L"", 0xFFFFFFFF},          {L"red", 0xFFFFFFFF}, // names are case-sensitive
        {L"Red ", 0xFFFFFFFF},      {L"White", 0xFFFFFFFF},     {L"Black", 0xFF000000},  {L"Red", 0xFFFF0000},
        {L"Green", 0xFF008000},     {L"Blue", 0xFF0000FF},      {L"Yellow", 0xFFFFFF00}, {L"Cyan", 0xFF00FFFF},
        {L"Gray", 0xFF808080},      {L"Silver", 0xFFC0C0C0},    {L"Purple", 0xFF800080}, {L"Maroon", 0xFF800000},
        {L"Fuchsia", 0xFFFF00FF},   {L"Lime", 0xFF00FF00},      {L"Olive", 0xFF808000},  {L"Navy", 0xFF000080},
        {L"Teal", 0xFF008080},      {L"LightGray", 0xFFD3D3D3},
    };
    for (const ColorCase& c : cases)
        EXPECT_EQ(xSkinParseColor(c.text), c.expected) << std::wstring(c.text).size() << " chars";
}

TEST(SkinParse, PointsAndRectangles) {
    const struct {
        const wchar_t* text;
        SkinPoint expected;
    } points[] = {
        {L"10,-5", {10, -5}}, {L"7", {0, 7}},
        {L"", {0, 0}},        {L" 3 , 4", {3, 4}},
        {L"1,2,3", {1, 2}}, // y reads its leading number only
        {L"a,b", {0, 0}},     {L"99999999999,-99999999999", {2147483647, -2147483647 - 1}},
    };
    for (const auto& c : points)
        EXPECT_EQ(xSkinParsePoint(c.text), c.expected);

    const struct {
        const wchar_t* text;
        SkinRect expected;
    } rects[] = {
        {L"1,2,3,4", {1, 2, 3, 4}},         {L"1,2", {1, 0, 0, 2}},       {L"5", {0, 0, 0, 5}}, {L"", {0, 0, 0, 0}},
        {L"-1,-2,-3,-4", {-1, -2, -3, -4}}, {L"1,2,3,4,5", {1, 2, 3, 4}},
    };
    for (const auto& c : rects)
        EXPECT_EQ(xSkinParseRect(c.text), c.expected);
}

TEST(SkinParse, SplitNeverGivesEmptyPieces) {
    using List = std::vector<std::wstring>;
    EXPECT_EQ(xSkinSplitString(L";a;;b;", L";"), (List{L"a", L"b"}));
    EXPECT_EQ(xSkinSplitString(L"one, two,three", L", "), (List{L"one", L"two", L"three"}));
    EXPECT_EQ(xSkinSplitString(L";;;", L";"), List{});
    EXPECT_EQ(xSkinSplitString(L"", L";"), List{});
    EXPECT_EQ(xSkinSplitString(L"whole", L""), List{L"whole"});
}

TEST(SkinParse, DoublesReadInTheCLocale) {
    const struct {
        const wchar_t* text;
        double expected;
    } cases[] = {
        {L"1.5", 1.5},     {L"  -0.25", -0.25}, {L"+2", 2.0},  {L"3.75px", 3.75},
        {L"1e3", 1000.0},  {L"", 0.0},          {L"abc", 0.0}, {L"1,5", 1.0}, // comma is no decimal point
        {L"2\u00E9", 2.0}, {L"1e-400", 0.0},    {L".5", 0.5},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(xSkinStringToDouble(c.text), c.expected);
    EXPECT_TRUE(std::isinf(xSkinStringToDouble(L"1e400")));
}

TEST(SkinParse, ComparisonsAreStrict) {
    EXPECT_FALSE(xSkinIsNearlyEqual(1.0f, 1.5f, 0.5f));
    EXPECT_TRUE(xSkinIsNearlyEqual(1.0f, 1.25f, 0.5f));
    EXPECT_TRUE(xSkinIsNearlyEqual(1.25f, 1.0f, 0.5f));
    EXPECT_TRUE(xSkinIsSameColor(0x80FF0000, 0x80FF0000));
    EXPECT_FALSE(xSkinIsSameColor(0x80FF0000, 0x81FF0000)); // alpha counts
}

} // namespace
