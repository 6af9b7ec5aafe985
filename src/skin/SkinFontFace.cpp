#include "skin/SkinFontFace.h"

using namespace Gdiplus;

CxSkinFontFace::CxSkinFontFace(const std::wstring& name) : m_named(name.c_str()) {}

const FontFamily* CxSkinFontFace::Get() const {
    return m_named.GetLastStatus() == Ok ? &m_named : FontFamily::GenericSansSerif();
}
