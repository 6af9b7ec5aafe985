#include "skin/SkinParse.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

struct NamedColor {
    std::wstring_view name;
    SkinColor argb;
};

// Compared whole and case-sensitively, as every markup keyword is.
constexpr NamedColor kNamedColors[] = {
    {L"White", 0xFFFFFFFF},     {L"Black", 0xFF000000},  {L"Red", 0xFFFF0000},    {L"Green", 0xFF008000},
    {L"Blue", 0xFF0000FF},      {L"Yellow", 0xFFFFFF00}, {L"Cyan", 0xFF00FFFF},   {L"Gray", 0xFF808080},
    {L"Silver", 0xFFC0C0C0},    {L"Purple", 0xFF800080}, {L"Maroon", 0xFF800000}, {L"Fuchsia", 0xFFFF00FF},
    {L"Lime", 0xFF00FF00},      {L"Olive", 0xFF808000},  {L"Navy", 0xFF000080},   {L"Teal", 0xFF008080},
    {L"LightGray", 0xFFD3D3D3},
};

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// Reading stops at the first character that is not a digit; at most 8 digits ever reach here.
uint32_t ReadHex(std::wstring_view digits) {
    uint32_t value = 0;
    for (wchar_t c : digits) {
        int d = HexDigit(c);
        if (d < 0)
            break;
        value = value << 4 | static_cast<uint32_t>(d);
    }
    return value;
}

// The C library's notion of white space, independent of any locale.
bool IsSpace(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

size_t SkipSpace(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    return i;
}

} // namespace

SkinColor xSkinParseColor(std::wstring_view text) {
    if (text.empty())
        return kSkinColorWhite;
    if (text[0] == L'#') {
        if (text.size() == 7)
            return 0xFF000000u | ReadHex(text.substr(1));
        if (text.size() == 9)
            return ReadHex(text.substr(1));
        return kSkinColorWhite;
    }
    for (const NamedColor& named : kNamedColors) {
        if (named.name == text)
            return named.argb;
    }
    return kSkinColorWhite;
}

int32_t xSkinStringToInt(std::wstring_view text) {
    size_t i = SkipSpace(text);
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
        negative = text[i++] == L'-';
    // Accumulate negatively so INT32_MIN is representable; clamp like the C library does on overflow.
    constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > kMax + 1)
            value = kMax + 1; // saturate: further digits cannot bring it back
    }
    if (negative)
        return static_cast<int32_t>(-value < kMin ? kMin : -value);
    return static_cast<int32_t>(value > kMax ? kMax : value);
}

SkinPoint xSkinParsePoint(std::wstring_view text) {
    size_t comma = text.find(L',');
    if (comma == std::wstring_view::npos)
        return {0, xSkinStringToInt(text)};
    return {xSkinStringToInt(text.substr(0, comma)), xSkinStringToInt(text.substr(comma + 1))};
}

SkinRect xSkinParseRect(std::wstring_view text) {
    // Each of the first three fields takes the text up to the next comma, or 0 when there is none left.
    auto take = [&text]() -> int32_t {
        size_t comma = text.find(L',');
        if (comma == std::wstring_view::npos)
            return 0;
        int32_t value = xSkinStringToInt(text.substr(0, comma));
        text.remove_prefix(comma + 1);
        return value;
    };
    SkinRect rect;
    rect.left = take();
    rect.top = take();
    rect.right = take();
    rect.bottom = xSkinStringToInt(text);
    return rect;
}

std::vector<std::wstring> xSkinSplitString(std::wstring_view text, std::wstring_view delimiters) {
    std::vector<std::wstring> pieces;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t start = text.find_first_not_of(delimiters, pos);
        if (start == std::wstring_view::npos)
            break;
        size_t end = text.find_first_of(delimiters, start);
        if (end == std::wstring_view::npos)
            end = text.size();
        pieces.emplace_back(text.substr(start, end - start));
        pos = end;
    }
    return pieces;
}

double xSkinStringToDouble(std::wstring_view text) {
    // A number is ASCII only, so the text is narrowed character by character: anything outside ASCII
    // ends the number exactly as its code-page form would. No locale is consulted: "1.5" is always 1.5.
    size_t i = SkipSpace(text);
    std::string narrow;
    narrow.reserve(text.size() - i);
    for (; i < text.size(); ++i) {
        wchar_t c = text[i];
        narrow.push_back(c > 0 && c < 0x80 ? static_cast<char>(c) : '\x7F');
    }
    const char* first = narrow.data();
    const char* last = first + narrow.size();
    bool negative = false;
    if (first != last && (*first == '+' || *first == '-'))
        negative = *first++ == '-';
    double value = 0.0;
    auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument)
        return 0.0;
    if (result.ec == std::errc::result_out_of_range) {
        // The C library answers HUGE_VAL for an overflow and zero for an underflow. An underflow has a
        // negative exponent, or no exponent and nothing but zeros before the decimal point.
        std::string_view number(first, static_cast<size_t>(result.ptr - first));
        size_t exponent = number.find_first_of("eE");
        bool tiny = exponent != std::string_view::npos
                        ? number.substr(exponent + 1).starts_with('-')
                        : number.substr(0, number.find('.')).find_first_not_of('0') == std::string_view::npos;
        value = tiny ? 0.0 : HUGE_VAL;
    }
    return negative ? -value : value;
}

bool xSkinIsSameColor(SkinColor a, SkinColor b) {
    return a == b;
}

bool xSkinIsNearlyEqual(float a, float b, float tolerance) {
    return std::fabs(a - b) < tolerance;
}
