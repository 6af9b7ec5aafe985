#include "app/CultureFont.h"

#include "skin/ScriptFace.h"

namespace {

struct CultureScript {
    const wchar_t* culture;
    SkinScript script;
};

// The cultures whose texts the system's dialog face cannot draw. Japanese texts mix kana and kanji: the face
// found for kana carries both.
constexpr CultureScript kCultureScripts[] = {
    {L"ja-JP", SkinScript::kKana}, {L"ko-KR", SkinScript::kHangul}, {L"zh-CN", SkinScript::kHan},
    {L"zh-TW", SkinScript::kHan},  {L"th-TH", SkinScript::kThai},
};

} // namespace

std::wstring CultureFontFace(const std::wstring& culture) {
    for (const CultureScript& entry : kCultureScripts)
        if (culture == entry.culture)
            return xSkinScriptFace(entry.script);
    return L"";
}
