#include "markup/LytShape.h"

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "skin/SkinParse.h"
#include "skin/SkinShape.h"

namespace {

using Value = const std::wstring&;

constexpr double kHuge = std::numeric_limits<double>::max();

// A gradient point is a pair of fractions of the shape's size; anything but two parts is no point.
template <void (IxSkinShape::*Set)(double, double)> void ApplyPoint(IxSkinShape& shape, Value value) {
    const std::vector<std::wstring> parts = xSkinSplitString(value, L",");
    if (parts.size() == 2)
        (shape.*Set)(LytReadDecimal(parts[0], -kHuge, kHuge), LytReadDecimal(parts[1], -kHuge, kHuge));
}

// "offset,colour;offset,colour;...": entries of any other shape are skipped. An offset is a fraction of the
// gradient's extent; held to 0..1 (not-a-number as 0), so that the shape's rising-offset check and its band
// arithmetic only ever see ordered, finite fractions.
void AddStops(IxSkinShape& shape, Value value) {
    for (const std::wstring& entry : xSkinSplitString(value, L";")) {
        const std::vector<std::wstring> parts = xSkinSplitString(entry, L",");
        if (parts.size() == 2)
            shape.AddGradientStop(LytReadDecimal(parts[0], 0.0, 1.0), xSkinParseColor(parts[1]));
    }
}

} // namespace

CLytShape::CLytShape(ILytEnvironment& environment) : CLytOwnedControl(environment) {
    AdoptControl(std::make_unique<CxSkinShape>());
}

int CLytShape::SetAttribute(const wchar_t* name, const wchar_t* value) {
    using Row = Attribute<IxSkinShape>;
    static const Row kAttributes[] = {
        {L"Type",
         [](IxSkinShape& s, const ILytEnvironment&, Value v) {
             s.SetShapeType(v == L"Ellipse"    ? CxSkinShape::kEllipse
                            : v == L"Triangle" ? CxSkinShape::kTriangle
                                               : CxSkinShape::kRectangle);
         }},
        {L"Fill",
         [](IxSkinShape& s, const ILytEnvironment&, Value v) {
             s.SetFillType(v == L"Gradient" ? CxSkinShape::kGradient
                           : v == L"Solid"  ? CxSkinShape::kSolid
                                            : CxSkinShape::kOutline);
         }},
        {L"Solid.Color", [](IxSkinShape& s, const ILytEnvironment&, Value v) { s.SetSolidColor(xSkinParseColor(v)); }},
        {L"Gradient.StartPoint", [](IxSkinShape& s, const ILytEnvironment&,
                                    Value v) { ApplyPoint<&IxSkinShape::SetGradientStartPoint>(s, v); }},
        {L"Gradient.EndPoint",
         [](IxSkinShape& s, const ILytEnvironment&, Value v) { ApplyPoint<&IxSkinShape::SetGradientEndPoint>(s, v); }},
        {L"Gradient.Stops", [](IxSkinShape& s, const ILytEnvironment&, Value v) { AddStops(s, v); }},
    };
    return SetTableAttribute(kAttributes, name, value);
}
