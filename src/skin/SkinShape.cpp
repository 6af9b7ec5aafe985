#include "skin/SkinShape.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "framework/DC.h"
#include "skin/SkinGraphics.h"

using namespace Gdiplus;

IMPLEMENT_DYNAMIC(CxSkinShape, CxSkinCtrl)

namespace {

constexpr int kCentredStops = 3;
constexpr double kCentreSpread = 0.4;
constexpr int kVerticalSlack = 2; // points this close horizontally make a top-to-bottom gradient
constexpr REAL kOutlineWidth = 2.0f;
constexpr int kMargin = 2; // the shape box leaves the last two columns and rows empty

// Truncates toward zero like a C cast, but a value beyond the int range (or not a number) cannot wrap.
int TruncateToInt(double value) {
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::clamp(value, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

} // namespace

POINT CxSkinShape::ToPixels(double x, double y) const {
    return {TruncateToInt(m_designWidth * x), TruncateToInt(m_designHeight * y)};
}

BOOL CxSkinShape::AddGradientStop(double offset, SkinColor argb) {
    const bool refused =
        std::any_of(m_stops.begin(), m_stops.end(), [offset](const auto& stop) { return stop->m_offset >= offset; });
    if (refused)
        return FALSE;
    m_stops.push_back(std::make_unique<CGradientStop>(offset, argb));
    return TRUE;
}

void CxSkinShape::SetGradientCenter(double c) {
    if (m_stops.size() != kCentredStops)
        return;
    m_stops[0]->m_offset = std::max(c - kCentreSpread, 0.0);
    m_stops[1]->m_offset = c;
    m_stops[2]->m_offset = std::min(c + kCentreSpread, 1.0);
}

const CGradientStop* CxSkinShape::GetStop(int index) const {
    if (index < 0 || index >= GetStopCount())
        return nullptr;
    return m_stops[static_cast<size_t>(index)].get();
}

bool CxSkinShape::IsVerticalGradient() const {
    return std::abs(static_cast<long long>(m_start.x) - m_end.x) < kVerticalSlack;
}

void CxSkinShape::DrawChildren(CDC* dc, const RECT* /*clip*/) {
    DrawOnDC(dc);
}

void CxSkinShape::Draw(Graphics* graphics) {
    if (!graphics)
        return;
    const RECT paint = GetPaintRect();
    const REAL w = static_cast<REAL>(paint.right - paint.left - kMargin);
    const REAL h = static_cast<REAL>(paint.bottom - paint.top - kMargin);
    if (w <= 0 || h <= 0)
        return;
    const GraphicsState state = graphics->Save();
    ApplyTransform(*graphics);
    const RectF box(0, 0, w, h);
    switch (m_fillType) {
    case kGradient:
        FillGradient(*graphics, box);
        break;
    case kSolid: {
        const SolidBrush brush{Color(m_solidColor)};
        Fill(*graphics, brush, box);
        break;
    }
    default:
        Outline(*graphics, box);
        break;
    }
    graphics->Restore(state);
}

void CxSkinShape::Fill(Graphics& graphics, const Brush& brush, const RectF& box) const {
    switch (m_shapeType) {
    case kEllipse:
        graphics.FillEllipse(&brush, box);
        break;
    case kTriangle: {
        const PointF points[] = {
            {box.X + box.Width / 2, box.Y}, {box.X + box.Width, box.Y + box.Height}, {box.X, box.Y + box.Height}};
        graphics.FillPolygon(&brush, points, 3);
        break;
    }
    default:
        graphics.FillRectangle(&brush, box);
        break;
    }
}

void CxSkinShape::Outline(Graphics& graphics, const RectF& box) const {
    const Pen pen(Color(m_solidColor), kOutlineWidth);
    switch (m_shapeType) {
    case kEllipse:
        graphics.DrawEllipse(&pen, box);
        break;
    case kTriangle: {
        const INT w = static_cast<INT>(box.Width), h = static_cast<INT>(box.Height);
        const Point points[] = {{w / 2, 0}, {w, h}, {0, h}};
        graphics.DrawPolygon(&pen, points, 3);
        break;
    }
    default:
        graphics.DrawRectangle(&pen, box);
        break;
    }
}

void CxSkinShape::FillGradient(Graphics& graphics, const RectF& box) const {
    const bool vertical = IsVerticalGradient();
    const REAL extent = vertical ? box.Height : box.Width;
    for (size_t i = 1; i < m_stops.size(); ++i) {
        const CGradientStop& from = *m_stops[i - 1];
        const CGradientStop& to = *m_stops[i];
        const REAL start = extent * static_cast<REAL>(from.m_offset);
        const REAL length = extent * static_cast<REAL>(to.m_offset) - start;
        if (!(length > 0))
            continue; // a centred gradient may squeeze a band to nothing
        const RectF band = vertical ? RectF(0, start, box.Width, length) : RectF(start, 0, length, box.Height);
        // A little longer than the band, so its edges get the stop colours and not the tiled wrap.
        const RectF ramp =
            vertical ? RectF(0, start - 1, box.Width, length + 2) : RectF(start - 1, 0, length + 2, box.Height);
        LinearGradientBrush brush(ramp, Color(from.m_color), Color(to.m_color),
                                  vertical ? LinearGradientModeVertical : LinearGradientModeHorizontal);
        brush.SetWrapMode(WrapModeTile);
        // The band narrows the repaint's own clip rather than replacing it: a partial repaint must not
        // paint over pixels whose background it has not restored.
        const GraphicsState state = graphics.Save();
        graphics.IntersectClip(band);
        Fill(graphics, brush, box);
        graphics.Restore(state);
    }
}
