#pragma once
// UTF-8 <-> UTF-16 conversion of our own. Every document the system reads or writes is UTF-8 on disk and
// UTF-16 in memory; doing the conversion here (not through the platform) makes the result identical in the
// Windows build and the native test build, where wchar_t is 32 bits wide but still holds UTF-16 code units.
#include <cstddef>
#include <string>

// Decodes UTF-8 into UTF-16 code units stored in `out`, which must have room for `length` units (a UTF-8
// sequence never yields more units than it has bytes). Each maximal invalid subsequence becomes one U+FFFD.
// Returns the number of units written; no terminator is added. `invalid`, when given, receives how many
// replacements were made (a U+FFFD written in the text itself is no replacement).
size_t DecodeUtf8(const unsigned char* bytes, size_t length, wchar_t* out, size_t* invalid = nullptr);

std::wstring Utf8ToWide(const std::string& text);

// Encodes UTF-16 code units as UTF-8. A surrogate pair becomes one 4-byte sequence; a lone surrogate
// becomes U+FFFD. A unit above 0xFFFF (only possible where wchar_t is 32 bits) is taken as a code point.
std::string WideToUtf8(const wchar_t* text, size_t length);
std::string WideToUtf8(const std::wstring& text);
