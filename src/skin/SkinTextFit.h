#pragma once
// How a text is laid out in the area a control gives it. A translation longer than the text the area was
// made for first gives up a little size on one line; a text the area holds on several lines wraps only
// between words; a text laid out to elide ends in an ellipsis rather than a cut letter. What is judged is
// the ink the glyphs leave, so a descender, an accent or a mark above or below a letter counts.

#include <windows.h>
#include <gdiplus.h>

#include <memory>
#include <string>

class CxSkinTextFit {
public:
    // Chooses the size, wrapping and text to draw `text` in `font` with `format` (null: the default one): at the
    // top-left of a layout box of `layout`, of which `visible` shows.
    CxSkinTextFit(Gdiplus::Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font,
                  const Gdiplus::StringFormat* format, const Gdiplus::SizeF& layout, const Gdiplus::SizeF& visible);
    CxSkinTextFit(const CxSkinTextFit&) = delete;
    CxSkinTextFit& operator=(const CxSkinTextFit&) = delete;

    const std::wstring& Text() const { return m_text; }
    const Gdiplus::Font& DrawFont() const { return m_font ? *m_font : m_given; }
    const Gdiplus::StringFormat& Format() const { return *m_format; }
    // The box to lay the text out in (from the area's top-left).
    const Gdiplus::RectF& Layout() const { return m_layout; }
    // False when the text shows whole at none of the sizes it may take.
    bool Whole() const { return m_whole; }

private:
    const Gdiplus::Font& m_given;
    std::wstring m_text;
    std::unique_ptr<Gdiplus::Font> m_font;
    std::unique_ptr<Gdiplus::StringFormat> m_format;
    Gdiplus::RectF m_layout;
    bool m_whole = true;
};

// The ink of the text as DrawString draws it in `box`, unclipped, without the anti-aliased fringe; false when
// the text leaves no ink.
bool xSkinTextInk(const std::wstring& text, const Gdiplus::Font& font,
                  const Gdiplus::StringFormat& format, const Gdiplus::RectF& box, Gdiplus::RectF* ink);
// Whether the layout in `box` places every character: a line too long for a box that does not wrap, or lines
// past its bottom, lose characters without a trace of ink outside it.
bool xSkinTextLaidOutWhole(Gdiplus::Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font,
                           const Gdiplus::StringFormat& format, const Gdiplus::RectF& box);

// Whether the text, laid out in a box `width` wide, is broken inside a word: Latin, Greek, Cyrillic and Hangul
// words end at spaces and punctuation; a run of katakana or of Thai is one word; Chinese characters and
// hiragana may part anywhere.
bool xSkinTextBreaksWord(Gdiplus::Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font,
                         const Gdiplus::StringFormat& format, Gdiplus::REAL width);
