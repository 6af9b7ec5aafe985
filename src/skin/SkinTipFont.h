#pragma once
// The GDI font of a tip window (the dialog's tooltip, the slider's value tip). GDI under a face that lacks
// a script draws its characters as empty boxes, so each text is measured and drawn in the tip's font moved
// to a face that carries the text's script, the same face the skin's own texts fall back to; a text the
// tip's face draws keeps that face.

#include <windows.h>

#include <string>

#include "framework/Font.h"

class CxSkinTipFont {
public:
    CxSkinTipFont() = default;
    CxSkinTipFont(const CxSkinTipFont&) = delete;
    CxSkinTipFont& operator=(const CxSkinTipFont&) = delete;

    // The tip's own font; the font made for a text goes with it.
    void SetBase(const LOGFONTW& font);
    // The font to measure and draw the text in: the tip's own, or the same in a face that has the text's
    // script. Valid until the next call or SetBase; null when no font could be made.
    HFONT For(const std::wstring& text);

private:
    LOGFONTW m_base{};
    CFont m_font;
    std::wstring m_face; // the face m_font was made in
};
