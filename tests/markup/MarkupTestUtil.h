#pragma once
// Helpers shared by the markup tests: wide paths as the program passes them, and files written byte-exact.
#include <filesystem>
#include <fstream>
#include <string>

#include "markup/Utf8.h"

namespace oc::test {

// The path as UTF-16 code units in a wide string, which is how the program hands paths around.
inline std::wstring WidePath(const std::filesystem::path& path) {
#ifdef _WIN32
    return path.wstring();
#else
    return Utf8ToWide(path.string());
#endif
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A wide literal as the UTF-16 text the program would hold (the same in both wchar_t widths for BMP text).
inline std::string Utf8(const std::wstring& text) {
    return WideToUtf8(text);
}

} // namespace oc::test
