#include "markup/LytStatic.h"

#include <memory>
#include <string>

#include "markup/LytStretch.h"
#include "skin/SkinDraw.h"
#include "skin/SkinParse.h"
#include "skin/SkinStatic.h"

namespace {

using Value = const std::wstring&;

} // namespace

CLytStatic::CLytStatic(ILytEnvironment& environment) : CLytOwnedControl(environment) {
    AdoptControl(std::make_unique<CxSkinStatic>());
}

int CLytStatic::SetAttribute(const wchar_t* name, const wchar_t* value) {
    using Row = Attribute<CxSkinStatic>;
    static const Row kAttributes[] = {
        {L"Source", [](CxSkinStatic& s, const ILytEnvironment& e, Value v) { s.SetSkin(e.GetSkinFilePath(v)); }},
        {L"Stretch",
         [](CxSkinStatic& s, const ILytEnvironment&, Value v) {
             if (const auto mode = LytStretchMode(v))
                 s.SetBackgroundStretchMode(*mode);
         }},
        {L"TextWrapping", [](CxSkinStatic& s, const ILytEnvironment&,
                             Value v) { s.SetTextWrapping(v == L"Wrap" ? 0 : CxSkinStatic::kNoWrap); }},
        {L"BorderLine", [](CxSkinStatic& s, const ILytEnvironment&, Value v) { s.SetBorderLine(v); }},
        {L"BorderLineColor",
         [](CxSkinStatic& s, const ILytEnvironment&, Value v) { s.SetBorderLineColor(xSkinParseColor(v)); }},
        // The caption of a check box or radio button names it: a click on the caption clicks the control.
        {L"Target", [](CxSkinStatic& s, const ILytEnvironment&, Value v) { s.SetTarget(v); }},
    };
    return SetTableAttribute(kAttributes, name, value);
}
