#pragma once
// An owned font handle, deleted with the object.
#include <windows.h>

class CFont {
public:
    CFont() = default;
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    HFONT m_hObject = nullptr;

    operator HFONT() const { return m_hObject; }
    HFONT GetSafeHandle() const { return m_hObject; }

    BOOL CreateFontIndirect(const LOGFONTW& font);
    BOOL GetLogFont(LOGFONTW* font) const;
    BOOL Attach(HFONT font);
    HFONT Detach();
    BOOL DeleteObject();
};
