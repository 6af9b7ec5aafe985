#include "markup/Utf8.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool InRange(unsigned char b, unsigned char lo, unsigned char hi) {
    return b >= lo && b <= hi;
}

// The allowed range of the second byte depends on the lead byte (no overlong forms, no surrogates,
// nothing above U+10FFFF); every later byte is a plain continuation byte.
struct LeadRule {
    int extra;
    unsigned char secondLo, secondHi;
};

LeadRule RuleFor(unsigned char lead) {
    if (InRange(lead, 0xC2, 0xDF))
        return {1, 0x80, 0xBF};
    if (lead == 0xE0)
        return {2, 0xA0, 0xBF};
    if (lead == 0xED)
        return {2, 0x80, 0x9F};
    if (InRange(lead, 0xE1, 0xEF))
        return {2, 0x80, 0xBF};
    if (lead == 0xF0)
        return {3, 0x90, 0xBF};
    if (InRange(lead, 0xF1, 0xF3))
        return {3, 0x80, 0xBF};
    if (lead == 0xF4)
        return {3, 0x80, 0x8F};
    return {0, 0, 0};
}

size_t PutUnit(wchar_t* out, size_t n, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out[n++] = static_cast<wchar_t>(0xD800 + (cp >> 10));
        out[n++] = static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out[n++] = static_cast<wchar_t>(cp);
    }
    return n;
}

void PutUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

size_t DecodeUtf8(const unsigned char* bytes, size_t length, wchar_t* out, size_t* invalid) {
    size_t n = 0;
    size_t i = 0;
    size_t replaced = 0;
    while (i < length) {
        unsigned char lead = bytes[i];
        if (lead < 0x80) {
            out[n++] = static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        LeadRule rule = RuleFor(lead);
        if (rule.extra == 0) {
            n = PutUnit(out, n, kReplacement);
            ++replaced;
            ++i;
            continue;
        }
        char32_t cp = lead & (0x3F >> rule.extra);
        size_t j = i + 1;
        bool complete = true;
        for (int k = 0; k < rule.extra; ++k, ++j) {
            unsigned char lo = k == 0 ? rule.secondLo : 0x80;
            unsigned char hi = k == 0 ? rule.secondHi : 0xBF;
            if (j >= length || !InRange(bytes[j], lo, hi)) {
                complete = false;
                break;
            }
            cp = (cp << 6) | (bytes[j] & 0x3F);
        }
        // An incomplete sequence is replaced as a whole; decoding resumes at the byte that broke it.
        n = PutUnit(out, n, complete ? cp : kReplacement);
        replaced += complete ? 0 : 1;
        i = j;
    }
    if (invalid)
        *invalid = replaced;
    return n;
}

std::wstring Utf8ToWide(const std::string& text) {
    std::wstring out(text.size(), L'\0');
    out.resize(DecodeUtf8(reinterpret_cast<const unsigned char*>(text.data()), text.size(), out.data()));
    return out;
}

std::string WideToUtf8(const wchar_t* text, size_t length) {
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        char32_t unit = static_cast<char32_t>(text[i]);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length) {
            char32_t low = static_cast<char32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                PutUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        bool lone = unit >= 0xD800 && unit <= 0xDFFF;
        PutUtf8(out, lone || unit > 0x10FFFF ? kReplacement : unit);
    }
    return out;
}

std::string WideToUtf8(const std::wstring& text) {
    return WideToUtf8(text.data(), text.size());
}
