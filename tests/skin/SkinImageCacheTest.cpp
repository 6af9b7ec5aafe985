// The skin image cache: one decode per file shared by every bitmap loaded from it, pixels that outlive the
// cache, and failed loads that fail every time, exactly as without a cache.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "SkinTestSupport.h"
#include "TestPaths.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinDraw.h"
#include "skin/SkinGraphics.h"
#include "skin/SkinImageCache.h"
#include "skin/SkinStatic.h"

using namespace Gdiplus;
using namespace oc::test;

namespace {

constexpr ARGB kRed = 0xFFFF0000, kHalfGreen = 0x8000FF00, kBlue = 0xFF0000FF;

// Three bands of 4 x 6 pixels: opaque red, half-transparent green, opaque blue.
std::wstring SaveBands(const TempDir& dir, const wchar_t* name) {
    auto image = BandedImage(4, 6, {kRed, kHalfGreen, kBlue});
    const std::wstring path = (dir / name).wstring();
    EXPECT_TRUE(SavePng(*image, path));
    return path;
}

// The bitmap drawn 1:1 onto a transparent surface, read back in the middle of each band.
void ExpectBands(Bitmap* image) {
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->GetWidth(), 12u);
    ASSERT_EQ(image->GetHeight(), 6u);
    Surface surface(12, 6);
    {
        CxSkinGraphics g(surface.Dc());
        xSkinDrawImage(*g, image, Rect(0, 0, 12, 6), 0, false, false, 0, 0);
    }
    EXPECT_EQ(surface.At(1, 3), 0xFFFF0000u);
    EXPECT_NEAR(Alpha(surface.At(5, 3)), 128, 2); // premultiplied: the green shrinks with it
    EXPECT_NEAR(Green(surface.At(5, 3)), 128, 2);
    EXPECT_EQ(surface.At(10, 3), 0xFF0000FFu);
}

TEST(SkinImageCache, DecodesEachFileOnceAndEveryBitmapDrawsItsPixels) {
    TempDir dir;
    const std::wstring path = SaveBands(dir, L"bands.png");
    std::wstring sameFile = path;
    std::replace(sameFile.begin(), sameFile.end(), L'\\', L'/');
    sameFile.insert(sameFile.rfind(L'/'), L"/../" + dir.Path().filename().wstring());

    std::unique_ptr<Bitmap> first, second, third;
    {
        CxSkinImageCache cache;
        ASSERT_EQ(CxSkinImageCache::Current(), &cache);
        first = xSkinLoadBitmap(path.c_str());
        second = xSkinLoadBitmap(path.c_str());
        third = xSkinLoadBitmap(sameFile.c_str()); // other separators and a detour: the same file
        EXPECT_EQ(cache.GetDecodedCount(), 1u);
        ASSERT_TRUE(first && second && third);
        EXPECT_NE(first.get(), second.get()); // each control owns its own bitmap
        ExpectBands(second.get());
    }
    EXPECT_EQ(CxSkinImageCache::Current(), nullptr);
    // Bitmaps outlive the cache and each other: their pixels stay until the last one goes.
    first.reset();
    ExpectBands(second.get());
    second.reset();
    ExpectBands(third.get());
}

TEST(SkinImageCache, FailedLoadsFailEveryTimeAndAreNotRemembered) {
    TempDir dir;
    const std::wstring notAnImage = (dir / L"text.png").wstring();
    std::ofstream(dir / L"text.png") << "not a picture";
    const std::wstring missing = (dir / L"missing.png").wstring();

    CxSkinImageCache cache;
    for (const std::wstring& path : {missing, notAnImage, std::wstring()}) {
        EXPECT_EQ(xSkinLoadBitmap(path.c_str()), nullptr) << path;
        EXPECT_EQ(xSkinLoadBitmap(path.c_str()), nullptr) << path;
    }
    EXPECT_EQ(cache.GetDecodedCount(), 0u);

    // A skin setter reports the missing image exactly as it does without a cache.
    CxSkinStatic control;
    try {
        control.SetSkin(missing);
        FAIL() << "no exception";
    } catch (CException* error) {
        ASSERT_TRUE(error->IsKindOf(RUNTIME_CLASS(CxSkinControlsException)));
        EXPECT_EQ(static_cast<CxSkinControlsException*>(error)->GetMessage(),
                  L"SetSkin: failed to load content image (" + missing + L")!");
        error->Delete();
    }
    EXPECT_EQ(control.GetContentImage(), nullptr);

    // The file that was missing arrives: the next load finds it.
    auto image = BandedImage(4, 6, {kRed, kHalfGreen, kBlue});
    ASSERT_TRUE(SavePng(*image, missing));
    ExpectBands(xSkinLoadBitmap(missing.c_str()).get());
    EXPECT_EQ(cache.GetDecodedCount(), 1u);
}

// Caches nest: the one made last serves until it goes, then the one before it serves again.
TEST(SkinImageCache, NestedCacheServesUntilItGoes) {
    TempDir dir;
    const std::wstring path = SaveBands(dir, L"bands.png");
    CxSkinImageCache outer;
    {
        CxSkinImageCache inner;
        ExpectBands(xSkinLoadBitmap(path.c_str()).get());
        EXPECT_EQ(inner.GetDecodedCount(), 1u);
        EXPECT_EQ(outer.GetDecodedCount(), 0u);
    }
    EXPECT_EQ(CxSkinImageCache::Current(), &outer);
    ExpectBands(xSkinLoadBitmap(path.c_str()).get());
    EXPECT_EQ(outer.GetDecodedCount(), 1u);
}

} // namespace
