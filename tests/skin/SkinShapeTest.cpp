// The shape control: gradient stops and their centring, the gradient's direction, and what each fill
// paints into the host's back buffer.
#include <gtest/gtest.h>

#include <vector>

#include "ControlHost.h"
#include "SkinTestSupport.h"
#include "skin/SkinShape.h"

using namespace Gdiplus;
using namespace oc::test;

namespace {

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;

std::vector<double> Offsets(const CxSkinShape& shape) {
    std::vector<double> offsets;
    for (int i = 0; i < shape.GetStopCount(); ++i)
        offsets.push_back(shape.GetStop(i)->m_offset);
    return offsets;
}

// The channel that clearly dominates a pixel: 'r', 'g', 'b', or '-' when none does.
char Dominant(uint32_t pixel) {
    const int r = Red(pixel), g = Green(pixel), b = Blue(pixel);
    if (r > g + 60 && r > b + 60)
        return 'r';
    if (g > r + 60 && g > b + 60)
        return 'g';
    if (b > r + 60 && b > g + 60)
        return 'b';
    return '-';
}

CxSkinShape* MakeShape(ControlHost& host, int left, int top, int width, int height, int type, int fill) {
    auto* shape = host.Place(new CxSkinShape, left, top, width, height);
    shape->SetShapeType(type);
    shape->SetFillType(fill);
    return shape;
}

TEST(SkinShape, StopsMustRiseStrictly) {
    const struct {
        std::vector<double> offsets;
        std::vector<BOOL> results;
    } cases[] = {
        {{0, 0.5, 0.5}, {TRUE, TRUE, FALSE}},
        {{0.5, 0.2}, {TRUE, FALSE}},
        {{0.1, 0.4, 0.3, 0.9}, {TRUE, TRUE, FALSE, TRUE}},
        {{-0.5, 0, 1.5}, {TRUE, TRUE, TRUE}},
    };
    for (const auto& c : cases) {
        CxSkinShape shape;
        std::vector<BOOL> results;
        for (double offset : c.offsets)
            results.push_back(shape.AddGradientStop(offset, kRed));
        EXPECT_EQ(results, c.results);
    }
}

TEST(SkinShape, GradientCentreMovesOnlyAThreeStopGradient) {
    const struct {
        std::vector<double> offsets;
        double centre;
        std::vector<double> expected;
    } cases[] = {
        {{0, 0.5, 1}, 0.2, {0, 0.2, 0.6}},         {{0, 0.5, 1}, 0.9, {0.5, 0.9, 1}},
        {{0, 0.5, 1}, 0.5, {0.1, 0.5, 0.9}},       {{0, 1}, 0.2, {0, 1}},
        {{0, 0.3, 0.6, 1}, 0.2, {0, 0.3, 0.6, 1}},
    };
    for (const auto& c : cases) {
        CxSkinShape shape;
        for (double offset : c.offsets)
            shape.AddGradientStop(offset, kRed);
        shape.SetGradientCenter(c.centre);
        const std::vector<double> offsets = Offsets(shape);
        ASSERT_EQ(offsets.size(), c.expected.size());
        for (size_t i = 0; i < offsets.size(); ++i)
            EXPECT_NEAR(offsets[i], c.expected[i], 1e-9) << c.centre << " stop " << i;
    }
}

TEST(SkinShape, PointsAreWholePixelsOfTheSizeAtTheTimeAndPickTheDirection) {
    const struct {
        double sx, sy, ex, ey;
        POINT start, end;
        bool vertical;
    } cases[] = {
        {0.5, 0, 0.5, 1, {50, 0}, {50, 40}, true},
        {0, 0, 1, 0, {0, 0}, {100, 0}, false},
        {0, 0, 0.01, 1, {0, 0}, {1, 40}, true},
        {0, 0, 0.02, 1, {0, 0}, {2, 40}, false},
        {0.999, 0.999, 0.25, 0.5, {99, 39}, {25, 20}, false}, // truncated, not rounded
    };
    for (const auto& c : cases) {
        CxSkinShape shape;
        shape.SetWidth(100);
        shape.SetHeight(40);
        shape.SetGradientStartPoint(c.sx, c.sy);
        shape.SetGradientEndPoint(c.ex, c.ey);
        EXPECT_EQ(shape.GetGradientStartPoint().x, c.start.x);
        EXPECT_EQ(shape.GetGradientStartPoint().y, c.start.y);
        EXPECT_EQ(shape.GetGradientEndPoint().x, c.end.x);
        EXPECT_EQ(shape.GetGradientEndPoint().y, c.end.y);
        EXPECT_EQ(shape.IsVerticalGradient(), c.vertical) << c.ex;
    }

    CxSkinShape unsized;
    unsized.SetGradientStartPoint(0.5, 0.5);
    EXPECT_EQ(unsized.GetGradientStartPoint().x, 0);
    EXPECT_EQ(unsized.GetGradientStartPoint().y, 0);
    unsized.SetWidth(100);
    EXPECT_EQ(unsized.GetGradientStartPoint().x, 0); // converted when set, not later
    unsized.SetGradientEndPoint(1e300, -1e300);      // absurd fractions stay in range
    EXPECT_EQ(unsized.GetGradientEndPoint().x, INT_MAX);
}

TEST(SkinShape, SolidFillsLeaveTheLastTwoColumnsAndRowsEmpty) {
    ControlHost host;
    ASSERT_TRUE(MakeShape(host, 10, 10, 52, 32, CxSkinShape::kRectangle, CxSkinShape::kSolid)->Create());
    auto* ellipse = MakeShape(host, 80, 10, 52, 32, CxSkinShape::kEllipse, CxSkinShape::kSolid);
    auto* triangle = MakeShape(host, 140, 10, 52, 32, CxSkinShape::kTriangle, CxSkinShape::kSolid);
    for (CxSkinShape* shape : {ellipse, triangle})
        ASSERT_TRUE(shape->Create());
    for (int i = 0; i < host.m_root.GetChildCount(); ++i)
        static_cast<CxSkinShape*>(host.m_root.GetChild(i))->SetSolidColor(kRed);
    host.Paint();

    const struct {
        int x, y;
        uint32_t expected;
    } pixels[] = {
        {10 + 25, 10 + 15, kRed},      {10 + 2, 10 + 2, kRed},
        {10 + 48, 10 + 28, kRed},                                     // rectangle (0, 0, 50, 30)
        {10 + 51, 10 + 15, kHostGrey}, {10 + 25, 10 + 31, kHostGrey}, // the last column and row
        {80 + 25, 10 + 15, kRed},      {80 + 2, 10 + 2, kHostGrey},
        {80 + 48, 10 + 28, kHostGrey}, // ellipse corners
        {140 + 25, 10 + 20, kRed},     {140 + 3, 10 + 27, kRed},
        {140 + 4, 10 + 4, kHostGrey},  {140 + 46, 10 + 4, kHostGrey}, // triangle: apex at the top middle
    };
    for (const auto& p : pixels)
        EXPECT_TRUE(NearColor(host.At(p.x, p.y), p.expected, 6))
            << p.x << "," << p.y << std::hex << " " << host.At(p.x, p.y);
}

TEST(SkinShape, OutlineIsTwoPixelsOfTheSolidColour) {
    ControlHost host;
    for (int type : {CxSkinShape::kRectangle, CxSkinShape::kEllipse, CxSkinShape::kTriangle}) {
        auto* shape = MakeShape(host, 20, 20, 62, 42, type, CxSkinShape::kOutline);
        shape->SetSolidColor(kBlue);
        ASSERT_TRUE(shape->Create());
        host.Paint();
        EXPECT_TRUE(NearColor(host.At(20 + 30, 20 + 25), kHostGrey)) << type; // hollow
        // The bottom edge of every type runs along y = 40.
        bool drawn = false;
        for (int y = 20 + 38; y <= 20 + 41; ++y)
            drawn = drawn || Dominant(host.At(20 + 30, y)) == 'b';
        EXPECT_TRUE(drawn) << type;
        delete shape;
    }
}

TEST(SkinShape, GradientBandsRunBetweenNeighbouringStops) {
    ControlHost host;
    auto* vertical = MakeShape(host, 10, 10, 82, 82, CxSkinShape::kRectangle, CxSkinShape::kGradient);
    vertical->SetGradientStartPoint(0.5, 0);
    vertical->SetGradientEndPoint(0.5, 1);
    auto* horizontal = MakeShape(host, 110, 10, 82, 82, CxSkinShape::kRectangle, CxSkinShape::kGradient);
    horizontal->SetGradientStartPoint(0, 0.5);
    horizontal->SetGradientEndPoint(1, 0.5);
    for (CxSkinShape* shape : {vertical, horizontal}) {
        shape->AddGradientStop(0, kRed);
        shape->AddGradientStop(0.5, kGreen);
        shape->AddGradientStop(1, kBlue);
        ASSERT_TRUE(shape->Create());
    }
    host.Paint();
    // Along the gradient (80 pixels): red at the start, green in the middle, blue at the end.
    EXPECT_EQ(Dominant(host.At(10 + 40, 10 + 1)), 'r');
    EXPECT_EQ(Dominant(host.At(10 + 40, 10 + 40)), 'g');
    EXPECT_EQ(Dominant(host.At(10 + 40, 10 + 78)), 'b');
    EXPECT_TRUE(NearColor(host.At(10 + 40, 10 + 81), kHostGrey));
    EXPECT_EQ(Dominant(host.At(110 + 1, 10 + 40)), 'r');
    EXPECT_EQ(Dominant(host.At(110 + 40, 10 + 40)), 'g');
    EXPECT_EQ(Dominant(host.At(110 + 78, 10 + 40)), 'b');
    // Across it the colour does not change.
    EXPECT_TRUE(NearColor(host.At(10 + 5, 10 + 20), host.At(10 + 75, 10 + 20), 6));
    EXPECT_TRUE(NearColor(host.At(110 + 20, 10 + 5), host.At(110 + 20, 10 + 75), 6));

    // Centred low, the green stop moves up to a fifth of the height.
    vertical->SetGradientCenter(0.2);
    host.Paint();
    EXPECT_EQ(Dominant(host.At(10 + 40, 10 + 16)), 'g');
    EXPECT_EQ(Dominant(host.At(10 + 40, 10 + 44)), 'b');
    EXPECT_TRUE(NearColor(host.At(10 + 40, 10 + 60), kHostGrey)); // past the last stop nothing is painted
}

TEST(SkinShape, GradientWithOneStopDrawsNothing) {
    ControlHost host;
    auto* shape = MakeShape(host, 10, 10, 50, 50, CxSkinShape::kEllipse, CxSkinShape::kGradient);
    shape->AddGradientStop(0, kRed);
    ASSERT_TRUE(shape->Create());
    host.Paint();
    EXPECT_TRUE(NearColor(host.At(35, 35), kHostGrey));
}

TEST(SkinShape, PartialRepaintDoesNotPaintOverPixelsOutsideItsArea) {
    ControlHost host;
    auto* shape = MakeShape(host, 10, 10, 102, 82, CxSkinShape::kRectangle, CxSkinShape::kGradient);
    shape->AddGradientStop(0, 0x60FF0000);
    shape->AddGradientStop(1, 0x600000FF);
    ASSERT_TRUE(shape->Create());
    host.Paint();
    const uint32_t outside = host.At(30, 50), inside = host.At(80, 50);
    // Half-transparent colours painted again over themselves would darken, pass after pass.
    for (int i = 0; i < 4; ++i)
        host.m_root.InvalidateRect({70, 40, 90, 60}, FALSE);
    EXPECT_EQ(host.At(30, 50), outside);
    EXPECT_TRUE(NearColor(host.At(80, 50), inside, 2));
}

} // namespace
