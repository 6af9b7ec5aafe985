// Off-screen surfaces: the layer buffer keeps alpha through a copy; a picture kept as runs copies any area
// back exactly; the double-buffer DC lands its picture on the target when it ends; the lock serialises
// threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "SkinTestSupport.h"
#include "skin/Lock.h"
#include "skin/MemDC.h"
#include "skin/SurfaceRuns.h"
#include "skin/SkinGraphics.h"

using namespace oc::test;

namespace {

TEST(LayerBuffer, CopiesKeepAlphaAndBadArgumentsMakeNothing) {
    Surface target(40, 40);
    {
        CxSkinGraphics g(target.Dc());
        Gdiplus::SolidBrush half{Gdiplus::Color(0x80, 0, 0, 255)};
        g->FillRectangle(&half, 10, 10, 10, 10);
    }
    CLayerBuffer snapshot;
    ASSERT_TRUE(snapshot.Create(target.Dc(), 20, 20));
    snapshot.GetDC()->BitBlt(0, 0, 20, 20, target.Dc(), 5, 5, SRCCOPY);
    EXPECT_EQ(snapshot.GetPixel(7, 7), target.At(12, 12));
    EXPECT_NEAR(Alpha(snapshot.GetPixel(7, 7)), 128, 2);
    EXPECT_EQ(snapshot.GetPixel(20, 0), 0u); // outside

    EXPECT_FALSE(snapshot.Create(nullptr, 10, 10));
    EXPECT_EQ(snapshot.GetDC(), nullptr); // the previous buffer went too
    EXPECT_FALSE(snapshot.Create(target.Dc(), 0, 10));
}

// GDI+ keeps its view of a buffer's pixels only while the buffer lives: a bitmap of another size made after
// the buffer went, perhaps under the buffer's handle, is painted in its own pixels.
TEST(LayerBuffer, PaintsLandInTheBitmapOfTheMomentAfterBuffersCameAndWent) {
    Surface target(4, 4);
    CLayerBuffer buffer;
    for (const SIZE size : {SIZE{20, 8}, SIZE{60, 30}, SIZE{10, 50}, SIZE{45, 45}}) {
        ASSERT_TRUE(buffer.Create(target.Dc(), 30, 30));
        CxSkinGraphics(buffer.GetDC()->GetSafeHdc());
        buffer.Release();
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = size.cx;
        info.bmiHeader.biHeight = size.cy;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        CBitmap bitmap;
        CDC dc;
        void* bits = nullptr;
        ASSERT_TRUE(dc.CreateCompatibleDC(target.Dc()) && bitmap.CreateDIBSection(dc, info, &bits));
        dc.SelectObject(bitmap);
        {
            CxSkinGraphics g(dc.GetSafeHdc());
            Gdiplus::SolidBrush red{Gdiplus::Color(0xFF, 0xFF, 0, 0)};
            g->FillRectangle(&red, size.cx - 3, size.cy - 3, 3, 3);
        }
        ::GdiFlush();
        // Bottom-up rows: the picture's last row comes first.
        const auto* pixels = static_cast<const uint32_t*>(bits);
        EXPECT_EQ(pixels[size.cx - 1], 0xFFFF0000u) << size.cx << "x" << size.cy;
        EXPECT_EQ(pixels[static_cast<size_t>(3) * size.cx + size.cx - 4], 0u) << size.cx << "x" << size.cy;
    }
}

// A bottom-up picture of rows that change from row to row, with two flat panels across it.
std::vector<uint32_t> SkinLikePicture(int width, int height) {
    std::vector<uint32_t> bits(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t pixel = 0xFF000000u | static_cast<uint32_t>(y % 256) * 0x010101u;
            if (x >= 5 && x < 30 && y >= 4)
                pixel = 0xFF272B31;
            else if (x >= 40 && y >= 10 && y < 50)
                pixel = 0x80101820;
            bits[static_cast<size_t>(height - 1 - y) * width + x] = pixel;
        }
    }
    return bits;
}

TEST(SurfaceRuns, CopiesAnyAreaBackAsItWasAndKeepsNoPictureThatWouldNotShrink) {
    constexpr int kWidth = 90, kHeight = 60;
    const std::vector<uint32_t> picture = SkinLikePicture(kWidth, kHeight);
    CSurfaceRuns runs;
    ASSERT_TRUE(runs.Keep(picture.data(), kWidth, kHeight));
    EXPECT_LT(runs.GetBytes(), picture.size() * sizeof(uint32_t) / 4);
    auto at = [&](int x, int y) { return picture[static_cast<size_t>(kHeight - 1 - y) * kWidth + x]; };
    EXPECT_EQ(runs.GetPixel(6, 20), at(6, 20));
    EXPECT_EQ(runs.GetPixel(89, 59), at(89, 59));
    EXPECT_EQ(runs.GetPixel(90, 0), 0u);

    // Areas inside, across run ends, at the edges and hanging over them, into bottom-up rows of the size.
    const RECT areas[] = {{0, 0, 90, 60}, {29, 3, 41, 11}, {4, 49, 6, 51}, {-10, -5, 12, 8}, {85, 55, 120, 90}};
    for (const RECT& area : areas) {
        std::vector<uint32_t> target(picture.size(), 0x12345678u);
        const RECT clipped{std::max<LONG>(area.left, 0), std::max<LONG>(area.top, 0), std::min<LONG>(area.right, kWidth),
                           std::min<LONG>(area.bottom, kHeight)};
        uint32_t* first = target.data() + static_cast<ptrdiff_t>(kHeight - 1 - clipped.top) * kWidth + clipped.left;
        runs.CopyArea(area, first, -kWidth);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const POINT p{x, y};
                const uint32_t expected = ::PtInRect(&clipped, p) ? at(x, y) : 0x12345678u;
                ASSERT_EQ(target[static_cast<size_t>(kHeight - 1 - y) * kWidth + x], expected)
                    << x << "," << y << " of {" << area.left << "," << area.top << "," << area.right << ","
                    << area.bottom << "}";
            }
        }
    }

    // Noise takes a run a pixel: not kept, and nothing of an earlier picture stays.
    std::vector<uint32_t> noise(picture.size());
    uint32_t seed = 1;
    for (uint32_t& pixel : noise)
        pixel = seed = seed * 1664525u + 1013904223u;
    EXPECT_FALSE(runs.Keep(noise.data(), kWidth, kHeight));
    EXPECT_TRUE(runs.IsEmpty());
    EXPECT_EQ(runs.GetPixel(6, 20), 0u);
}

TEST(MemDC, LandsItsPictureAtTheRectangleWhenItEnds) {
    Surface target(40, 40);
    {
        CMemDC buffer(target.Dc(), {10, 10, 30, 30});
        buffer.FillSolidRect({0, 0, 20, 20}, RGB(255, 0, 0));
        EXPECT_EQ(target.At(15, 15) & 0xFFFFFF, 0u); // nothing on the target yet
    }
    EXPECT_EQ(target.At(15, 15) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(target.At(5, 5) & 0xFFFFFF, 0u);
    EXPECT_EQ(target.At(35, 35) & 0xFFFFFF, 0u);
}

TEST(CxLock, SerialisesThreads) {
    CxLock lock;
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            CxLockGuard hold(lock);
            const long seen = counter;
            std::this_thread::yield();
            counter = seen + 1;
            if (i % 4000 == 0)
                std::this_thread::yield();
        }
    };
    std::thread other(work);
    work();
    other.join();
    EXPECT_EQ(counter, 40000);
    lock.Delete();
    lock.Delete(); // idempotent, and the destructor after it is harmless
    lock.Init();
}

} // namespace
