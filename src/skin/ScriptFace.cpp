#include "skin/ScriptFace.h"

#include <windows.h>

#include <array>
#include <cwchar>
#include <map>
#include <utility>
#include <vector>

namespace {

struct ScriptFaces {
    SkinScript script;
    BYTE charset;
    // Characters a face must draw: two of the script and Latin, for the names and units texts keep.
    const wchar_t* sample;
    // The faces Windows ships for the script, best first (Wine's Tahoma, unlike Windows', has no Thai).
    std::array<const wchar_t*, 4> faces;
};

constexpr ScriptFaces kScriptFaces[] = {
    {SkinScript::kThai, THAI_CHARSET, L"\x0E01\x0E32Hz", {L"Leelawadee UI", L"Tahoma", L"Leelawadee", nullptr}},
    {SkinScript::kKana, SHIFTJIS_CHARSET, L"\x3042\x65E5Hz", {L"Yu Gothic UI", L"Meiryo UI", L"Meiryo", L"MS UI Gothic"}},
    {SkinScript::kHangul, HANGUL_CHARSET, L"\xD55C\xC624Hz", {L"Malgun Gothic", L"Gulim", L"Dotum", nullptr}},
    {SkinScript::kHan, GB2312_CHARSET, L"\x4E2D\x6587Hz", {L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun", nullptr}},
};

struct ScriptRange {
    wchar_t first, last;
    SkinScript script;
};

constexpr ScriptRange kScriptRanges[] = {
    {L'\x0E00', L'\x0E7F', SkinScript::kThai},   {L'\x1100', L'\x11FF', SkinScript::kHangul},
    {L'\x3040', L'\x30FF', SkinScript::kKana},   {L'\x3130', L'\x318F', SkinScript::kHangul},
    {L'\x3400', L'\x9FFF', SkinScript::kHan},    {L'\xAC00', L'\xD7AF', SkinScript::kHangul},
    {L'\xF900', L'\xFAFF', SkinScript::kHan},    {L'\xFF00', L'\xFFEF', SkinScript::kHan},
};

const ScriptFaces* FacesOf(SkinScript script) {
    for (const ScriptFaces& faces : kScriptFaces)
        if (faces.script == script)
            return &faces;
    return nullptr;
}

// A memory DC for the font checks, deleted with the object.
class MeasureDC {
public:
    MeasureDC() : m_dc(::CreateCompatibleDC(nullptr)) {}
    ~MeasureDC() {
        if (m_dc)
            ::DeleteDC(m_dc);
    }
    MeasureDC(const MeasureDC&) = delete;
    MeasureDC& operator=(const MeasureDC&) = delete;
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

// Whether the installed face itself has a glyph for every character. GDI substitutes another face for an
// unknown name, so the face actually selected must be the one asked for.
bool FaceDraws(HDC dc, const wchar_t* face, BYTE charset, const wchar_t* sample) {
    const SelectedFont font(dc, face, charset);
    if (!font.Selected())
        return false;
    wchar_t selected[LF_FACESIZE] = {};
    if (!::GetTextFaceW(dc, LF_FACESIZE, selected) || _wcsicmp(selected, face) != 0)
        return false;
    const int count = static_cast<int>(std::wcslen(sample));
    std::vector<WORD> glyphs(count);
    if (::GetGlyphIndicesW(dc, sample, count, glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
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

std::wstring FindScriptFace(const ScriptFaces& script) {
    const MeasureDC dc;
    if (!dc.Get())
        return L"";
    for (const wchar_t* face : script.faces)
        if (face && FaceDraws(dc.Get(), face, script.charset, script.sample))
            return face;
    // A face may claim the charset and still lack the glyphs (or Latin): each one is checked.
    LOGFONTW query{};
    query.lfCharSet = script.charset;
    std::vector<std::wstring> claimed;
    ::EnumFontFamiliesExW(dc.Get(), &query, CollectTrueTypeFace, reinterpret_cast<LPARAM>(&claimed), 0);
    for (const std::wstring& face : claimed)
        if (FaceDraws(dc.Get(), face.c_str(), script.charset, script.sample))
            return face;
    return L"";
}

// Characters some faces lack, and the plain ones that stand in for them.
struct Equivalent {
    wchar_t character, plain;
};

constexpr Equivalent kEquivalents[] = {
    {L'\x00A0', L' '}, {L'\x2009', L' '}, {L'\x202F', L' '}, {L'\x2010', L'-'},
    {L'\x2011', L'-'}, {L'\x2013', L'-'}, {L'\x2014', L'-'}, {L'\x2212', L'-'},
};

bool FaceHasGlyph(const wchar_t* face, wchar_t character) {
    // Drawing runs on the UI thread only; the fonts installed do not change while the program runs.
    static std::map<std::pair<std::wstring, wchar_t>, bool> known;
    auto key = std::make_pair(std::wstring(face), character);
    auto found = known.find(key);
    if (found == known.end()) {
        const MeasureDC dc;
        const wchar_t sample[] = {character, L'\0'};
        found = known.emplace(std::move(key), dc.Get() && FaceDraws(dc.Get(), face, DEFAULT_CHARSET, sample)).first;
    }
    return found->second;
}

} // namespace

SkinScript xSkinTextScript(const wchar_t* text) {
    for (const wchar_t* c = text; c && *c; ++c) {
        if (*c < L'\x0E00')
            continue;
        for (const ScriptRange& range : kScriptRanges)
            if (*c >= range.first && *c <= range.last)
                return range.script;
    }
    return SkinScript::kNone;
}

const std::wstring& xSkinScriptFace(SkinScript script) {
    // Drawing runs on the UI thread only; the fonts installed do not change while the program runs.
    static std::map<SkinScript, std::wstring> found;
    if (const auto known = found.find(script); known != found.end())
        return known->second;
    const ScriptFaces* faces = FacesOf(script);
    return found[script] = faces ? FindScriptFace(*faces) : std::wstring();
}

std::wstring xSkinFallbackFace(const wchar_t* face, const wchar_t* text) {
    const SkinScript script = xSkinTextScript(text);
    const ScriptFaces* faces = FacesOf(script);
    if (!faces || !face || !*face)
        return L"";
    static std::map<std::pair<std::wstring, SkinScript>, bool> serves;
    auto key = std::make_pair(std::wstring(face), script);
    auto known = serves.find(key);
    if (known == serves.end()) {
        const MeasureDC dc;
        // Only the script's own characters: the face already draws the rest of the texts it is given.
        const wchar_t scriptSample[] = {faces->sample[0], faces->sample[1], L'\0'};
        known = serves.emplace(std::move(key), dc.Get() && FaceDraws(dc.Get(), face, DEFAULT_CHARSET, scriptSample))
                    .first;
    }
    return known->second ? std::wstring() : xSkinScriptFace(script);
}

std::wstring xSkinDrawableText(const wchar_t* face, const std::wstring& text) {
    std::wstring drawable = text;
    if (!face || !*face)
        return drawable;
    for (wchar_t& c : drawable) {
        for (const Equivalent& equivalent : kEquivalents) {
            if (c == equivalent.character && !FaceHasGlyph(face, c) && FaceHasGlyph(face, equivalent.plain))
                c = equivalent.plain;
        }
    }
    return drawable;
}
