#pragma once
// The value syntaxes of the markup (colours, points, rectangles, lists, numbers) and the small value
// comparisons the controls share. Plain standard C++ so the parsers run in the sanitizer build too.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// 0xAARRGGBB, alpha in the top byte.
using SkinColor = uint32_t;

struct SkinPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const SkinPoint&, const SkinPoint&) = default;
};

struct SkinRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const SkinRect&, const SkinRect&) = default;
};

constexpr SkinColor kSkinColorWhite = 0xFFFFFFFFu;

// "#RRGGBB", "#AARRGGBB" or one of the 17 colour names; anything else is opaque white.
SkinColor xSkinParseColor(std::wstring_view text);
// "x,y"; without a comma the whole text is y and x is 0.
SkinPoint xSkinParsePoint(std::wstring_view text);
// "l,t,r,b", consumed from the left: "1,2" is (1, 0, 0, 2).
SkinRect xSkinParseRect(std::wstring_view text);
// Pieces between runs of delimiter characters; never an empty piece.
std::vector<std::wstring> xSkinSplitString(std::wstring_view text, std::wstring_view delimiters);
// A C-locale double from the leading number of the text (0 when there is none).
double xSkinStringToDouble(std::wstring_view text);
// The leading decimal integer as the C library reads it, clamped to the 32-bit range (0 when there is none).
int32_t xSkinStringToInt(std::wstring_view text);

bool xSkinIsSameColor(SkinColor a, SkinColor b);
// Strict: a difference equal to the tolerance is not "nearly equal".
bool xSkinIsNearlyEqual(float a, float b, float tolerance);
