#include "app/CultureFont.h"

#include <windows.h>

#include <array>
#include <cwchar>

namespace {

struct CultureScript {
    const wchar_t* culture;
    BYTE charset;
    // The faces Windows ships for the script, best first; a face is taken only when it has the script
    // here (Wine's Tahoma, unlike Windows', has no Thai).
    std::array<const wchar_t*, 4> faces;
};

constexpr CultureScript kScripts[] = {
    {L"ja-JP", SHIFTJIS_CHARSET, {L"Yu Gothic UI", L"Meiryo UI", L"Meiryo", L"MS UI Gothic"}},
    {L"ko-KR", HANGUL_CHARSET, {L"Malgun Gothic", L"Gulim", L"Dotum", nullptr}},
    {L"zh-CN", GB2312_CHARSET, {L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun", nullptr}},
    {L"zh-TW", CHINESEBIG5_CHARSET, {L"Microsoft JhengHei UI", L"Microsoft JhengHei", L"PMingLiU", nullptr}},
    {L"th-TH", THAI_CHARSET, {L"Leelawadee UI", L"Tahoma", L"Leelawadee", nullptr}},
};

struct FaceSearch {
    std::wstring found;
};

int CALLBACK TakeTrueTypeFace(const LOGFONTW* font, const TEXTMETRICW* /*metrics*/, DWORD type, LPARAM context) {
    // GDI+ draws only TrueType and OpenType faces; "@" faces are the vertical forms of East Asian faces.
    if (!(type & TRUETYPE_FONTTYPE) || font->lfFaceName[0] == L'@')
        return 1;
    reinterpret_cast<FaceSearch*>(context)->found = font->lfFaceName;
    return 0;
}

// The face (or, for an empty name, the first face) that has the charset; empty when there is none.
std::wstring FindFace(HDC dc, const wchar_t* face, BYTE charset) {
    LOGFONTW query{};
    query.lfCharSet = charset;
    if (face)
        std::wcsncpy(query.lfFaceName, face, LF_FACESIZE - 1); // zero-filled: stays terminated
    FaceSearch search;
    ::EnumFontFamiliesExW(dc, &query, TakeTrueTypeFace, reinterpret_cast<LPARAM>(&search), 0);
    return search.found;
}

// A screen DC for the font enumeration, released with the object.
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

} // namespace

std::wstring CultureFontFace(const std::wstring& culture) {
    for (const CultureScript& script : kScripts) {
        if (culture != script.culture)
            continue;
        const ScreenDC dc;
        if (!dc.Get())
            return L"";
        for (const wchar_t* face : script.faces) {
            if (!face)
                break;
            if (std::wstring found = FindFace(dc.Get(), face, script.charset); !found.empty())
                return found;
        }
        return FindFace(dc.Get(), nullptr, script.charset);
    }
    return L"";
}
