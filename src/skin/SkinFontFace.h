#pragma once
// A font face by name for a control's text. A skin may name a face this machine does not have: the text
// then shows in the system's generic sans-serif face rather than not at all.

#include <windows.h>
#include <gdiplus.h>

#include <string>

class CxSkinFontFace {
public:
    explicit CxSkinFontFace(const std::wstring& name);
    CxSkinFontFace(const CxSkinFontFace&) = delete;
    CxSkinFontFace& operator=(const CxSkinFontFace&) = delete;

    // The named family, or the generic sans-serif one when the name is not installed; valid while this lives.
    const Gdiplus::FontFamily* Get() const;

private:
    Gdiplus::FontFamily m_named;
};
