// GDI+ drawing helpers, read back from a premultiplied 32-bit surface.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "SkinTestSupport.h"
#include "TestPaths.h"
#include "skin/SkinDraw.h"
#include "skin/SkinGraphics.h"
#include "skin/SkinTextCache.h"

using namespace Gdiplus;
using namespace oc::test;

namespace {

constexpr ARGB kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;

TEST(SkinDraw, OpacityAndDisabledLookScaleAlpha) {
    const struct {
        int transparency;
        bool disabled;
        int alpha; // expected alpha of an opaque image on a transparent surface
    } cases[] = {{0, false, 255}, {50, false, 128}, {0, true, 102}, {50, true, 51}, {100, false, 0}};
    auto image = SolidImage(8, 8, kRed);
    for (const auto& c : cases) {
        Surface surface(16, 16);
        {
            CxSkinGraphics g(surface.Dc());
            xSkinDrawImage(*g, image.get(), Rect(0, 0, 16, 16), c.transparency, c.disabled, false, 0, 0);
        }
        EXPECT_NEAR(Alpha(surface.At(8, 8)), c.alpha, 2) << c.transparency << " " << c.disabled;
        // Premultiplied: the colour shrinks with the alpha.
        EXPECT_NEAR(Red(surface.At(8, 8)), c.alpha, 2);
    }
    EXPECT_FLOAT_EQ(xSkinImageAlphaFactor(50, true), 0.2f);
    EXPECT_FLOAT_EQ(xSkinImageAlphaFactor(0, false), 1.0f);
}

TEST(SkinDraw, HalfTransparentImageKeepsItsAlphaInTheBackBuffer) {
    auto image = SolidImage(10, 10, 0x80FF0000);
    Surface surface(10, 10);
    {
        CxSkinGraphics g(surface.Dc());
        ASSERT_TRUE(g.HasAlpha());
        xSkinDrawImageStretched(*g, image.get(), Rect(0, 0, 10, 10), 0, 0, false);
    }
    EXPECT_NEAR(Alpha(surface.At(5, 5)), 128, 2);
    EXPECT_NEAR(Red(surface.At(5, 5)), 128, 2);
}

TEST(SkinDraw, ThreeSliceKeepsCapsAndClampsWhenTheyDoNotFit) {
    auto image = BandedImage(10, 4, {kRed, kGreen, kBlue}); // caps of 10, middle of 10
    {
        Surface surface(100, 4);
        {
            CxSkinGraphics g(surface.Dc());
            xSkinDrawImage(*g, image.get(), Rect(0, 0, 100, 4), 0, false, true, 10, 10);
        }
        EXPECT_EQ(surface.At(3, 2) & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(surface.At(50, 2) & 0xFFFFFF, 0x00FF00u);
        EXPECT_EQ(surface.At(96, 2) & 0xFFFFFF, 0x0000FFu);
    }
    {
        // 12 pixels for two caps of 10: they share the width, no middle, nothing drawn outside.
        Surface surface(20, 4);
        {
            CxSkinGraphics g(surface.Dc());
            xSkinDrawImage(*g, image.get(), Rect(0, 0, 12, 4), 0, false, true, 10, 10);
        }
        EXPECT_GT(Red(surface.At(1, 2)), 200);
        EXPECT_GT(Blue(surface.At(10, 2)), 200);
        EXPECT_EQ(Alpha(surface.At(16, 2)), 0);
    }
    {
        // Caps that leave the image no middle: it is stretched whole.
        Surface surface(60, 4);
        {
            CxSkinGraphics g(surface.Dc());
            xSkinDrawImage(*g, image.get(), Rect(0, 0, 60, 4), 0, false, true, 50, 50);
        }
        EXPECT_GT(Red(surface.At(2, 2)), 200);
        EXPECT_GT(Green(surface.At(30, 2)), 200);
        EXPECT_GT(Blue(surface.At(57, 2)), 200);
    }
}

TEST(SkinDraw, StretchModesPlaceTheImage) {
    auto image = BandedImage(10, 10, {kRed, kBlue}); // 20 x 10
    const struct {
        int mode;
        POINT point;
        int alpha;
        int red;
    } probes[] = {
        {1, {5, 5}, 255, 255},  // at the top-left, natural size
        {1, {30, 5}, 0, 0},     // nothing right of the image
        {1, {5, 15}, 0, 0},     // nothing below it
        {2, {5, 5}, 0, 0},      // uniform: 40 x 20 centred vertically, empty band above
        {2, {5, 20}, 255, 255}, // left half red
        {2, {35, 20}, 255, 0},  // right half blue
        {3, {6, 6}, 255, 255},  // uniform fill: covers everything, the middle of the image shown
        {3, {33, 33}, 255, 0},  {0, {5, 35}, 255, 255}, // plain stretch fills the rectangle
    };
    for (const auto& p : probes) {
        Surface surface(40, 40);
        {
            CxSkinGraphics g(surface.Dc());
            xSkinDrawImageStretched(*g, image.get(), Rect(0, 0, 40, 40), p.mode, 0, false);
        }
        const uint32_t pixel = surface.At(p.point.x, p.point.y);
        EXPECT_NEAR(Alpha(pixel), p.alpha, 3) << "mode " << p.mode << " at " << p.point.x << "," << p.point.y;
        EXPECT_NEAR(Red(pixel), p.red, 3) << "mode " << p.mode << " at " << p.point.x << "," << p.point.y;
    }
}

TEST(SkinDraw, LoadBitmapFailsCleanly) {
    TempDir dir;
    auto image = SolidImage(6, 4, 0x80FF0000);
    ASSERT_TRUE(SavePng(*image, dir / L"half.png"));
    auto loaded = xSkinLoadBitmap((dir / L"half.png").wstring().c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetWidth(), 6u);
    Color pixel;
    loaded->GetPixel(1, 1, &pixel);
    EXPECT_NEAR(pixel.GetA(), 0x80, 1);

    FILE* corrupt = _wfopen((dir / L"corrupt.png").wstring().c_str(), L"wb");
    ASSERT_NE(corrupt, nullptr);
    fputs("\x89PNG not really", corrupt);
    fclose(corrupt);
    EXPECT_EQ(xSkinLoadBitmap((dir / L"corrupt.png").wstring().c_str()), nullptr);
    EXPECT_EQ(xSkinLoadBitmap((dir / L"missing.png").wstring().c_str()), nullptr);
    EXPECT_EQ(xSkinLoadBitmap(L""), nullptr);
    EXPECT_EQ(xSkinLoadBitmap(nullptr), nullptr);
}

TEST(SkinDraw, PathFromColourKeyedBitmap) {
    auto keyed = SolidImage(10, 10, 0x00000000); // transparent key at (0, 0)
    {
        Graphics g(keyed.get());
        SolidBrush brush{Color(kRed)};
        g.FillRectangle(&brush, 2, 3, 4, 5);
    }
    auto path = xSkinCreatePathFromBitmap(keyed.get());
    ASSERT_NE(path, nullptr);
    Rect bounds;
    path->GetBounds(&bounds);
    EXPECT_EQ(bounds.X, 2);
    EXPECT_EQ(bounds.Y, 3);
    EXPECT_EQ(bounds.Width, 4);
    EXPECT_EQ(bounds.Height, 5);
    EXPECT_TRUE(path->IsVisible(4, 5));
    EXPECT_FALSE(path->IsVisible(1, 1));

    auto opaque = SolidImage(7, 9, 0xFBFFFFFF); // key alpha 251: no key, the whole image
    auto whole = xSkinCreatePathFromBitmap(opaque.get());
    ASSERT_NE(whole, nullptr);
    whole->GetBounds(&bounds);
    EXPECT_EQ(bounds.Width, 7);
    EXPECT_EQ(bounds.Height, 9);
    EXPECT_EQ(xSkinCreatePathFromBitmap(nullptr), nullptr);
}

TEST(SkinDraw, GlowNeedsRoomAndStaysInItsRectangle) {
    GraphicsPath shape;
    shape.AddRectangle(Rect(0, 0, 40, 40));
    SolidBrush brush{Color(kRed)};
    {
        Surface surface(8, 8);
        {
            CxSkinGraphics g(surface.Dc());
            xSkinDrawPath(*g, &shape, RectF(0, 0, 4, 4), &brush, nullptr); // under 5 px: skipped
        }
        EXPECT_EQ(surface.At(1, 1), 0u);
    }
    Surface surface(60, 60);
    {
        CxSkinGraphics g(surface.Dc());
        xSkinDrawPath(*g, &shape, RectF(0, 0, 50, 50), &brush, nullptr);
    }
    EXPECT_GT(Alpha(surface.At(20, 20)), 100);
    EXPECT_EQ(Alpha(surface.At(55, 55)), 0);

    Surface text(200, 60);
    {
        CxSkinGraphics g(text.Dc());
        FontFamily family(L"Tahoma");
        const FontFamily* face = family.GetLastStatus() == Ok ? &family : FontFamily::GenericSansSerif();
        Pen pen(Color(kRed), 2);
        xSkinDrawOutlinedText(*g, L"GLOW", face, FontStyleBold, 40, RectF(0, 0, 150, 50), nullptr, &brush, &pen);
    }
    int inside = 0, outside = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x)
            if (Alpha(text.At(x, y)) > 0)
                ++(x < 150 && y < 50 ? inside : outside);
    EXPECT_GT(inside, 0);
    EXPECT_EQ(outside, 0);
}

TEST(SkinDraw, ImageInPathIsClipped) {
    auto image = SolidImage(30, 30, kGreen);
    GraphicsPath left;
    left.AddRectangle(Rect(0, 0, 15, 30));
    Surface surface(30, 30);
    {
        CxSkinGraphics g(surface.Dc());
        xSkinDrawImageInPath(*g, image.get(), Rect(0, 0, 30, 30), 0, 0, false, &left);
    }
    EXPECT_GT(Green(surface.At(7, 15)), 200);
    EXPECT_LT(Alpha(surface.At(25, 15)), 10);
}

TEST(SkinDraw, TextIsMeasuredAndKeptInsideItsRectangle) {
    Surface surface(120, 40);
    FontFamily family(L"Tahoma");
    Font font(family.GetLastStatus() == Ok ? &family : FontFamily::GenericSansSerif(), 12, FontStyleRegular, UnitPixel);
    CxSkinGraphics g(surface.Dc());
    const Size plain = xSkinMeasureString(*g, L"Volume", &font, 0);
    const Size padded = xSkinMeasureString(*g, L"Volume", &font, 5);
    EXPECT_GT(plain.Width, 0);
    EXPECT_GT(plain.Height, 0);
    EXPECT_EQ(padded.Width, plain.Width + 5);
    EXPECT_EQ(xSkinMeasureString(*g, L"", &font, 5).Width, 5);

    SolidBrush brush{Color(kRed)};
    xSkinDrawStringToBitmap(*g, L"WWWWWWWWWWWWWWWW", RectF(0, 0, 40, 20), &font, nullptr, &brush, nullptr);
    g->Flush(FlushIntentionSync);
    int inked = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            inked += Alpha(surface.At(x, y)) > 0;
    EXPECT_GT(inked, 0);
    for (int y = 0; y < 40; ++y)
        for (int x = 40; x < 120; ++x)
            ASSERT_EQ(Alpha(surface.At(x, y)), 0) << x << "," << y;
}

// A text drawn again in the same look is the picture rendered the first time, and every change of its look
// (words, colour, size, style, alignment, box, surface) draws anew rather than an earlier picture.
TEST(SkinDraw, KeptTextsDrawAsFreshRenderingsAndFollowEveryChangeOfTheirLook) {
    FontFamily tahoma(L"Tahoma");
    const FontFamily* family = tahoma.GetLastStatus() == Ok ? &tahoma : FontFamily::GenericSansSerif();
    struct Look {
        const wchar_t* text;
        ARGB colour;
        REAL size;
        INT style;
        StringAlignment align;
        REAL width;
        const Size* surface;
    };
    const Size taller(90, 40);
    const Look looks[] = {
        {L"Volume 12", kRed, 12, FontStyleRegular, StringAlignmentNear, 90, nullptr},
        {L"Volume 13", kRed, 12, FontStyleRegular, StringAlignmentNear, 90, nullptr},
        {L"Volume 12", kBlue, 12, FontStyleRegular, StringAlignmentNear, 90, nullptr},
        {L"Volume 12", kRed, 14, FontStyleRegular, StringAlignmentNear, 90, nullptr},
        {L"Volume 12", kRed, 12, FontStyleBold, StringAlignmentNear, 90, nullptr},
        {L"Volume 12", kRed, 12, FontStyleRegular, StringAlignmentFar, 90, nullptr},
        {L"Volume 12", kRed, 12, FontStyleRegular, StringAlignmentNear, 40, nullptr},
        {L"Volume 12", kRed, 12, FontStyleRegular, StringAlignmentNear, 90, &taller},
    };
    const auto draw = [&](const Look& look) {
        Surface surface(100, 30);
        {
            CxSkinGraphics g(surface.Dc());
            const Font font(family, look.size, look.style, UnitPixel);
            const SolidBrush brush{Color(look.colour)};
            StringFormat format;
            format.SetAlignment(look.align);
            format.SetLineAlignment(StringAlignmentCenter);
            xSkinDrawStringToBitmap(*g, look.text, RectF(2, 0, look.width, 30), &font, &format, &brush, look.surface);
        }
        std::vector<uint32_t> pixels;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 100; ++x)
                pixels.push_back(surface.At(x, y));
        return pixels;
    };
    std::vector<std::vector<uint32_t>> fresh;
    for (const Look& look : looks) {
        CxSkinTextCache::Instance().Clear();
        fresh.push_back(draw(look));
    }
    for (size_t i = 1; i < fresh.size(); ++i)
        EXPECT_NE(fresh[i], fresh[0]) << "look " << i << " shows like the first";
    // Each in turn, twice over, with whatever the draws before it kept.
    for (int round = 0; round < 2; ++round)
        for (size_t i = 0; i < fresh.size(); ++i)
            EXPECT_EQ(draw(looks[i]), fresh[i]) << "look " << i << ", round " << round;
}

// The most recently drawn texts stay within the budget; one too large for it is drawn but not kept.
TEST(SkinTextCache, KeepsTheMostRecentlyDrawnWithinItsBudget) {
    CxSkinTextCache cache(1000);
    const auto entry = [](size_t bytes) {
        auto made = std::make_unique<CxSkinTextCache::Entry>();
        made->bytes = bytes;
        return made;
    };
    for (const wchar_t* key : {L"a", L"b", L"c", L"d"})
        ASSERT_NE(cache.Keep(key, entry(200)), nullptr);
    EXPECT_NE(cache.Find(L"a"), nullptr); // now the most recent
    ASSERT_NE(cache.Keep(L"e", entry(250)), nullptr);
    EXPECT_EQ(cache.Find(L"b"), nullptr); // the least recently drawn went
    for (const wchar_t* key : {L"a", L"c", L"d", L"e"})
        EXPECT_NE(cache.Find(key), nullptr) << key;
    EXPECT_EQ(cache.GetBytes(), 850u);

    const CxSkinTextCache::Entry* big = cache.Keep(L"big", entry(251));
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->bytes, 251u);
    EXPECT_EQ(cache.Find(L"big"), nullptr);
    EXPECT_NE(cache.Keep(L"", entry(10)), nullptr); // no key: a look that is not kept
    EXPECT_EQ(cache.GetCount(), 4u);
    EXPECT_EQ(cache.GetBytes(), 850u);
    // Kept again under a key it has: replaced, not counted twice.
    ASSERT_NE(cache.Keep(L"a", entry(100)), nullptr);
    EXPECT_EQ(cache.GetBytes(), 750u);
}

TEST(SkinDraw, FlushDropsOnlyMouseMessages) {
    TestWindow window;
    ASSERT_TRUE(window.IsWindow());
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    window.PostMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
    window.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
    window.PostMessage(WM_USER + 7, 0, 0);
    xSkinFlushMouseMessages();
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE));
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_USER + 7, WM_USER + 7, PM_REMOVE));
}

} // namespace
