#pragma once
// Faces for the scripts a skin face may lack. GDI+ draws a character its font has no glyph for as an empty
// box and never falls back to another face, so a text in Chinese, Japanese, Korean or Thai needs a face that
// carries its script: the culture's texts get one as the default face, and a single text in another script
// (a language's own name in the language list) is drawn in one found here.
#include <string>

enum class SkinScript { kNone, kThai, kHan, kKana, kHangul };

// The first script of the text that needs a face of its own (kNone for Latin, Greek and Cyrillic).
SkinScript xSkinTextScript(const wchar_t* text);

// An installed TrueType face that draws the script and Latin: the first of the faces Windows ships for it,
// else any face that has the glyphs; empty when none does. Looked up once per script.
const std::wstring& xSkinScriptFace(SkinScript script);

// The face to draw the text in instead of `face`, when `face` lacks the text's script and another face has
// it; empty when `face` serves.
std::wstring xSkinFallbackFace(const wchar_t* face, const wchar_t* text);

// The text with each character `face` has no glyph for, and that has a plain equivalent the face draws (a
// minus sign, a dash, a narrow or no-break space), replaced by that equivalent: an empty box tells a reader
// nothing.
std::wstring xSkinDrawableText(const wchar_t* face, const std::wstring& text);
