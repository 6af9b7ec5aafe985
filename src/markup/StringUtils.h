#pragma once
// Small helpers on wide strings used across the program. Wide text holds UTF-16 code units in both builds.
// In a wide format, "%ls" is a wide string and "%s" a narrow one (C99 rules, which both builds follow).
#include <memory>
#include <string>

// Formats like the C wide printf family into `text` and returns it. A null format, a failed formatting or
// an empty result leave `text` empty.
std::wstring& FormatString(std::wstring& text, const wchar_t* format, ...);

// A NUL-terminated byte string in the given code page, or null for a null or empty input and when the
// text cannot be converted. Code page 65001 (UTF-8) is converted the same way in every build.
std::unique_ptr<char[]> WideToMultiByte(const wchar_t* text, unsigned int codePage);

// WideToMultiByte in the system's ANSI code page (code page 0).
std::unique_ptr<char[]> WideToAnsi(const wchar_t* text);

// Upper-cases "a".."z" in place; every other character, non-ASCII letters included, stays as it is.
void MakeUpperAscii(wchar_t* text);
void MakeUpperAscii(std::wstring& text);
