#pragma once
// A windowless control that draws a rectangle, an ellipse or an upward triangle: as a 2-pixel outline,
// filled with one colour, or filled with a linear gradient made of bands between colour stops.

#include <windows.h>
#include <gdiplus.h>

#include <memory>
#include <vector>

#include "skin/GradientStop.h"
#include "skin/IxSkinShape.h"
#include "skin/SkinCtrl.h"

class CxSkinShape : public CxSkinCtrl, public virtual IxSkinShape {
    DECLARE_DYNAMIC(CxSkinShape)
public:
    enum ShapeType : int { kRectangle = 0, kEllipse = 1, kTriangle = 2 };
    enum FillType : int { kOutline = 0, kSolid = 1, kGradient = 2 };

    CxSkinShape() = default;
    ~CxSkinShape() override = default;

    // IxSkinShape
    void SetShapeType(int type) override { m_shapeType = type; }
    void SetFillType(int type) override { m_fillType = type; }
    void SetSolidColor(SkinColor argb) override { m_solidColor = argb; }
    void SetGradientStartPoint(double x, double y) override { m_start = ToPixels(x, y); }
    void SetGradientEndPoint(double x, double y) override { m_end = ToPixels(x, y); }
    BOOL AddGradientStop(double offset, SkinColor argb) override;

    // Centres a three-stop gradient on c: the stops move to c - 0.4 (not below 0), c and c + 0.4 (not
    // above 1). Any other number of stops is left alone. Does not redraw.
    void SetGradientCenter(double c);

    void Draw(Gdiplus::Graphics* graphics) override;
    using CxSkinCtrl::Draw;
    void DrawChildren(CDC* dc, const RECT* clip) override;

    int GetShapeType() const { return m_shapeType; }
    int GetFillType() const { return m_fillType; }
    SkinColor GetSolidColor() const { return m_solidColor; }
    POINT GetGradientStartPoint() const { return m_start; }
    POINT GetGradientEndPoint() const { return m_end; }
    int GetStopCount() const { return static_cast<int>(m_stops.size()); }
    // Null outside 0..count-1.
    const CGradientStop* GetStop(int index) const;
    // Gradients run top to bottom unless the two points lie 2 or more pixels apart horizontally.
    bool IsVerticalGradient() const;

private:
    POINT ToPixels(double x, double y) const;
    void Fill(Gdiplus::Graphics& graphics, const Gdiplus::Brush& brush, const Gdiplus::RectF& box) const;
    void Outline(Gdiplus::Graphics& graphics, const Gdiplus::RectF& box) const;
    void FillGradient(Gdiplus::Graphics& graphics, const Gdiplus::RectF& box) const;

    int m_shapeType = kRectangle;
    int m_fillType = kSolid;
    SkinColor m_solidColor = 0;
    POINT m_start{0, 0};
    POINT m_end{0, 0};
    std::vector<std::unique_ptr<CGradientStop>> m_stops;
};
