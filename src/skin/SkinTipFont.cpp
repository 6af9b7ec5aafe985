#include "skin/SkinTipFont.h"

#include <cwchar>

#include "skin/ScriptFace.h"

void CxSkinTipFont::SetBase(const LOGFONTW& font) {
    m_base = font;
    m_font.DeleteObject();
    m_face.clear();
}

HFONT CxSkinTipFont::For(const std::wstring& text) {
    std::wstring face = xSkinFallbackFace(m_base.lfFaceName, text.c_str());
    if (face.empty())
        face = m_base.lfFaceName;
    // Tips retext on every step of a drag: the font is made again only when the face changes.
    if (m_font.GetSafeHandle() && face == m_face)
        return m_font;
    LOGFONTW font = m_base;
    std::wmemset(font.lfFaceName, L'\0', LF_FACESIZE);
    std::wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    // The face's own charset: a face found for a script answers to it, whatever the tip's font named.
    if (face != m_base.lfFaceName)
        font.lfCharSet = DEFAULT_CHARSET;
    m_font.DeleteObject();
    m_face = face;
    m_font.CreateFontIndirect(font);
    return m_font;
}
