#include "markup/StringUtils.h"

#include <cstdarg>
#include <cstring>
#include <cwchar>
#include <vector>

#include "markup/Utf8.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

constexpr unsigned int kCodePageUtf8 = 65001;
constexpr unsigned int kCodePageAnsi = 0;

// No text of this program comes near this; a format that still "needs more room" here is a failed one.
constexpr size_t kMaxFormattedLength = size_t{1} << 22;

// vswprintf reports "too small" differently per C library: glibc returns -1, mingw-w64 may return the
// needed length. Both are handled: a needed length is taken as the measurement, -1 doubles the buffer.
bool FormatInto(std::wstring& out, const wchar_t* format, va_list args) {
    std::vector<wchar_t> buffer(512);
    while (buffer.size() <= kMaxFormattedLength) {
        va_list pass;
        va_copy(pass, args);
        int written = std::vswprintf(buffer.data(), buffer.size(), format, pass);
        va_end(pass);
        if (written >= 0 && static_cast<size_t>(written) < buffer.size()) {
            out.assign(buffer.data(), static_cast<size_t>(written));
            return true;
        }
        size_t next = written >= 0 ? static_cast<size_t>(written) + 1 : buffer.size() * 2;
        buffer.assign(next, L'\0');
    }
    return false;
}

#ifdef _WIN32
std::unique_ptr<char[]> ConvertWithPlatform(const wchar_t* text, unsigned int codePage) {
    int needed = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return nullptr;
    auto out = std::make_unique<char[]>(static_cast<size_t>(needed));
    if (WideCharToMultiByte(codePage, 0, text, -1, out.get(), needed, nullptr, nullptr) != needed)
        return nullptr;
    return out;
}
#endif

std::unique_ptr<char[]> CopyOut(const std::string& bytes) {
    auto out = std::make_unique<char[]>(bytes.size() + 1);
    std::memcpy(out.get(), bytes.c_str(), bytes.size() + 1);
    return out;
}

} // namespace

std::wstring& FormatString(std::wstring& text, const wchar_t* format, ...) {
    text.clear();
    if (!format)
        return text;
    std::wstring result;
    va_list args;
    va_start(args, format);
    bool ok = FormatInto(result, format, args);
    va_end(args);
    if (ok && !result.empty())
        text = std::move(result);
    return text;
}

std::unique_ptr<char[]> WideToMultiByte(const wchar_t* text, unsigned int codePage) {
    if (!text || !*text)
        return nullptr;
    if (codePage == kCodePageUtf8)
        return CopyOut(WideToUtf8(text, std::wcslen(text)));
#ifdef _WIN32
    return ConvertWithPlatform(text, codePage);
#else
    // The host's narrow encoding is UTF-8; it has no other code pages to offer.
    if (codePage == kCodePageAnsi)
        return CopyOut(WideToUtf8(text, std::wcslen(text)));
    return nullptr;
#endif
}

std::unique_ptr<char[]> WideToAnsi(const wchar_t* text) {
    return WideToMultiByte(text, kCodePageAnsi);
}

void MakeUpperAscii(wchar_t* text) {
    if (!text)
        return;
    for (; *text; ++text) {
        if (*text >= L'a' && *text <= L'z')
            *text = static_cast<wchar_t>(*text - 32);
    }
}

void MakeUpperAscii(std::wstring& text) {
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - 32);
    }
}
