#include "framework/Font.h"

BOOL CFont::CreateFontIndirect(const LOGFONTW& font) {
    if (m_hObject)
        return FALSE;
    m_hObject = ::CreateFontIndirectW(&font);
    return m_hObject != nullptr;
}

BOOL CFont::GetLogFont(LOGFONTW* font) const {
    return m_hObject && ::GetObjectW(m_hObject, sizeof(LOGFONTW), font) == sizeof(LOGFONTW);
}

BOOL CFont::Attach(HFONT font) {
    if (m_hObject || !font)
        return FALSE;
    m_hObject = font;
    return TRUE;
}

HFONT CFont::Detach() {
    HFONT font = m_hObject;
    m_hObject = nullptr;
    return font;
}

BOOL CFont::DeleteObject() {
    if (!m_hObject)
        return FALSE;
    BOOL deleted = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return deleted;
}
