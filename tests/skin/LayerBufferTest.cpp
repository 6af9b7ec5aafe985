// Off-screen surfaces: the layer buffer keeps alpha through a copy; the double-buffer DC lands its
// picture on the target when it ends; the lock serialises threads.
#include <gtest/gtest.h>

#include <thread>

#include "SkinTestSupport.h"
#include "skin/Lock.h"
#include "skin/MemDC.h"
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
