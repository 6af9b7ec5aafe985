#pragma once
// An upper bound of the width GDI+ measures for a text in one font, from the advances of its characters,
// each measured once. A list of many thousand rows measures exactly only the rows that can be its widest:
// one exact measure costs about as much as a hundred additions here.

#include <windows.h>
#include <gdiplus.h>

#include <string>
#include <unordered_map>

class CTextWidthBound {
public:
    CTextWidthBound(Gdiplus::Graphics& graphics, const Gdiplus::Font* font);
    CTextWidthBound(const CTextWidthBound&) = delete;
    CTextWidthBound& operator=(const CTextWidthBound&) = delete;

    // Pixels that no measure of the text exceeds; kUnbounded where the characters alone cannot tell (a
    // surrogate pair, a tab); 0 for an empty text or without a font.
    int Of(const std::wstring& text);

    static constexpr int kUnbounded = 0x3FFFFFFF;

private:
    float Advance(wchar_t c);

    Gdiplus::Graphics& m_graphics;
    const Gdiplus::Font* m_font;
    std::unordered_map<wchar_t, float> m_advances;
    // The most that a measure adds beyond the advances (GDI+ pads each end of a measured line).
    float m_padding = 0;
};
