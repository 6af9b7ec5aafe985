#pragma once
// The face the skin draws a culture's texts in. The system's dialog face covers Latin, Greek and Cyrillic;
// GDI+ does not fall back to another face for a missing glyph, so Chinese, Japanese, Korean and Thai texts
// need a face that carries their script, or every character draws as an empty box.
#include <string>

// An installed TrueType face that carries the culture's script: the first of the faces Windows ships for
// it, else any face with the script; empty when the culture's texts need no face of their own, or when no
// installed face has the script (the text then draws as well as the system face can).
std::wstring CultureFontFace(const std::wstring& culture);
