#include "driver/PropertyValue.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <limits>

uint32_t PropertyByteCount(int32_t type, uint32_t size) {
    if (size != 0)
        return size;
    const bool number = type == kValueInt || type == kValueUInt || type == kValueFloat;
    return number ? 4u : 0u;
}

bool PackPropertyBytes(uint8_t (&buffer)[kPropertyBufferBytes], const void* source, int32_t type, uint32_t byteCount) {
    std::memset(buffer, 0, sizeof(buffer));
    if (byteCount > kPropertyBufferBytes)
        return false;
    if (!source || byteCount == 0)
        return true;
    if (type == kValueText) {
        // Callers give the size of their text buffer; only the text itself travels, and the zeroed
        // buffer must keep a terminator after it.
        const size_t length = wcsnlen(static_cast<const wchar_t*>(source), byteCount / sizeof(wchar_t));
        if (length >= kPropertyBufferChars)
            return false;
        std::memcpy(buffer, source, length * sizeof(wchar_t));
        return true;
    }
    std::memcpy(buffer, source, byteCount);
    return true;
}

int32_t ParsePropertyInteger(const wchar_t* text) {
    if (!text)
        return 0;
    while (*text == L' ' || *text == L'\t')
        ++text;
    bool negative = false;
    if (*text == L'-' || *text == L'+') {
        negative = *text == L'-';
        ++text;
    }
    constexpr int64_t kLimit = int64_t{std::numeric_limits<uint32_t>::max()};
    int64_t magnitude = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text)
        magnitude = std::min(magnitude * 10 + (*text - L'0'), kLimit + 1);
    if (negative)
        return magnitude > -int64_t{std::numeric_limits<int32_t>::min()} ? std::numeric_limits<int32_t>::min()
                                                                         : static_cast<int32_t>(-magnitude);
    return static_cast<int32_t>(static_cast<uint32_t>(std::min(magnitude, kLimit)));
}

float ParsePropertyFloat(const wchar_t* text) {
    return text ? static_cast<float>(std::wcstod(text, nullptr)) : 0.0f;
}

std::wstring FormatPropertyNumber(const void* value, int32_t type, uint32_t byteCount) {
    wchar_t text[64] = {};
    if (!value)
        return text;
    if (type == kValueInt || type == kValueUInt) {
        int32_t number = 0;
        std::memcpy(&number, value, std::min<uint32_t>(byteCount, sizeof(number)));
        std::swprintf(text, std::size(text), L"%d", number);
    } else if (type == kValueFloat) {
        float number = 0.0f;
        std::memcpy(&number, value, std::min<uint32_t>(byteCount, sizeof(number)));
        std::swprintf(text, std::size(text), L"%f", static_cast<double>(number));
    }
    return text;
}

void CopyTextToPlace(void* place, uint32_t byteCount, const wchar_t* text, size_t textCapacity) {
    const size_t placeChars = byteCount / sizeof(wchar_t);
    if (!place || placeChars == 0)
        return;
    const size_t length = std::min(wcsnlen(text, textCapacity), placeChars - 1);
    auto* out = static_cast<wchar_t*>(place);
    std::memcpy(out, text, length * sizeof(wchar_t));
    out[length] = L'\0';
}
