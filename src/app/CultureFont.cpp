#include "app/CultureFont.h"

#include <windows.h>

#include <array>
#include <cwchar>
#include <vector>

namespace {

struct CultureScript {
    const wchar_t* culture;
    BYTE charset;
    // Characters a face must draw for the culture: one of the script, and Latin for the names and units
    // the translations keep.
    const wchar_t* sample;
    // The faces Windows ships for the script, best first; a face is taken only when it has the script
    // here (Wine's Tahoma, unlike Windows', has no Thai).
    std::array<const wchar_t*, 4> faces;
};

constexpr CultureScript kScripts[] = {
    {L"ja-JP", SHIFTJIS_CHARSET, L"\x3042\x65E5Hz", {L"Yu Gothic UI", L"Meiryo UI", L"Meiryo", L"MS UI Gothic"}},
    {L"ko-KR", HANGUL_CHARSET, L"\xD55C\xC624Hz", {L"Malgun Gothic", L"Gulim", L"Dotum", nullptr}},
    {L"zh-CN", GB2312_CHARSET, L"\x4E2D\x8BBEHz", {L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun", nullptr}},
    {L"zh-TW", CHINESEBIG5_CHARSET, L"\x4E2D\x9AD4Hz",
     {L"Microsoft JhengHei UI", L"Microsoft JhengHei", L"PMingLiU", nullptr}},
    {L"th-TH", THAI_CHARSET, L"\x0E01\x0E32Hz", {L"Leelawadee UI", L"Tahoma", L"Leelawadee", nullptr}},
};

// A screen DC for the font checks, released with the object.
class ScreenDC {
public:
    ScreenDC() : m_dc(::GetDC(nullptr)) {}
    ~ScreenDC() {
        if (m_dc)
            ::ReleaseDC(nullptr, m_dc);
    }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

// A font selected into a DC for the life of the object.
class SelectedFont {
public:
    SelectedFont(HDC dc, const wchar_t* face, BYTE charset) : m_dc(dc) {
        LOGFONTW font{};
        font.lfHeight = -16;
        font.lfCharSet = charset;
        std::wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1); // zero-filled: stays terminated
        m_font = ::CreateFontIndirectW(&font);
        m_previous = m_font ? ::SelectObject(dc, m_font) : nullptr;
    }
    ~SelectedFont() {
        if (m_previous)
            ::SelectObject(m_dc, m_previous);
        if (m_font)
            ::DeleteObject(m_font);
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;
    bool Selected() const { return m_previous != nullptr; }

private:
    HDC m_dc;
    HFONT m_font = nullptr;
    HGDIOBJ m_previous = nullptr;
};

// Whether the installed face itself has a glyph for every sample character. GDI would substitute another
// face for an unknown name, so the face actually selected must be the one asked for.
bool FaceDraws(HDC dc, const wchar_t* face, const CultureScript& script) {
    const SelectedFont font(dc, face, script.charset);
    if (!font.Selected())
        return false;
    wchar_t selected[LF_FACESIZE] = {};
    if (!::GetTextFaceW(dc, LF_FACESIZE, selected) || _wcsicmp(selected, face) != 0)
        return false;
    const int count = static_cast<int>(std::wcslen(script.sample));
    std::vector<WORD> glyphs(count);
    if (::GetGlyphIndicesW(dc, script.sample, count, glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
        return false;
    for (WORD glyph : glyphs)
        if (glyph == 0xFFFF)
            return false;
    return true;
}

int CALLBACK CollectTrueTypeFace(const LOGFONTW* font, const TEXTMETRICW* /*metrics*/, DWORD type, LPARAM context) {
    // GDI+ draws only TrueType and OpenType faces; "@" faces are the vertical forms of East Asian faces.
    if ((type & TRUETYPE_FONTTYPE) && font->lfFaceName[0] != L'@')
        reinterpret_cast<std::vector<std::wstring>*>(context)->push_back(font->lfFaceName);
    return 1;
}

// Every installed TrueType face that says it has the charset, in the system's order.
std::vector<std::wstring> FacesWithCharset(HDC dc, BYTE charset) {
    LOGFONTW query{};
    query.lfCharSet = charset;
    std::vector<std::wstring> faces;
    ::EnumFontFamiliesExW(dc, &query, CollectTrueTypeFace, reinterpret_cast<LPARAM>(&faces), 0);
    return faces;
}

std::wstring FaceForScript(HDC dc, const CultureScript& script) {
    for (const wchar_t* face : script.faces) {
        if (face && FaceDraws(dc, face, script))
            return face;
    }
    // A face may claim a charset and still lack the glyphs (or Latin): each one is checked.
    for (const std::wstring& face : FacesWithCharset(dc, script.charset)) {
        if (FaceDraws(dc, face.c_str(), script))
            return face;
    }
    return L"";
}

} // namespace

std::wstring CultureFontFace(const std::wstring& culture) {
    for (const CultureScript& script : kScripts) {
        if (culture != script.culture)
            continue;
        const ScreenDC dc;
        return dc.Get() ? FaceForScript(dc.Get(), script) : L"";
    }
    return L"";
}
