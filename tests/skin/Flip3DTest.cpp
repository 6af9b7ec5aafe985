// The flip transition: its frame angles and transforms, every way Init refuses (so the caller falls back
// to the zoom or fade), and, where this machine can make a Direct3D 9 device, whole runs presented into a
// real layered host window.
#include <gtest/gtest.h>

#include <cmath>

#include "LayerTestTree.h"
#include "SkinTestSupport.h"
#include "skin/Flip3D.h"
#include "skin/ItemAnimation.h"
#include "skin/LayerDialog.h"
#include "skin/SkinGraphics.h"

using namespace Gdiplus;
using namespace oc::test;

namespace {

constexpr uint32_t kGrey = 0xFF808080;
constexpr ARGB kBack = 0xFF0000FF;
constexpr ARGB kFront = 0xFFFF0000;
constexpr ARGB kTop = 0xFF00FF00;
constexpr ARGB kFrontLower = 0xFFFFFF00;

TEST(FlipAngles, TwelveFramesEachWayEndingExactly) {
    EXPECT_EQ(CFlip3D::FrameAngles(true), (std::vector<float>{3, 6, 9, 12, 22, 32, 42, 52, 62, 72, 82, 90}));
    EXPECT_EQ(CFlip3D::FrameAngles(false), (std::vector<float>{80, 70, 60, 50, 40, 30, 20, 10, 7, 4, 1, 0}));
    EXPECT_FLOAT_EQ(CFlip3D::FrontScale(0), 1.0f);
    EXPECT_FLOAT_EQ(CFlip3D::FrontScale(90), 0.8f);
}

// Where a point of the front quad lands in normalised device coordinates.
D3DVec3 FrontToScreen(float angle, D3DVec3 point, int width, int height) {
    const D3DMATRIX all = D3DMatrixMultiply(D3DMatrixMultiply(CFlip3D::FrontWorld(angle), CFlip3D::FrontView()),
                                            CFlip3D::FrontProjection(width, height));
    return D3DTransformCoord(all, point);
}

TEST(FlipTransforms, FlatFrontFillsTheViewAndEdgeOnFrontVanishes) {
    const struct { int width, height; } panels[] = {{245, 33}, {160, 60}, {100, 100}};
    for (const auto& p : panels) {
        const float half = CFlip3D::FrontHalfWidth(p.width, p.height);
        const D3DVec3 topRight = FrontToScreen(0, {half, 1, 0}, p.width, p.height);
        const D3DVec3 bottomLeft = FrontToScreen(0, {-half, -1, 0}, p.width, p.height);
        EXPECT_NEAR(topRight.x, 1.0f, 1e-4) << p.width;
        EXPECT_NEAR(topRight.y, 1.0f, 1e-4) << p.width;
        EXPECT_NEAR(bottomLeft.x, -1.0f, 1e-4) << p.width;
        EXPECT_NEAR(bottomLeft.y, -1.0f, 1e-4) << p.width;
        EXPECT_GT(topRight.z, 0.0f); // inside the depth range, in front of the back panel
        EXPECT_LT(topRight.z, 1.0f);
        // At 90 degrees the top and bottom edges meet on the horizontal axis, 0.8 of the width wide.
        const D3DVec3 top = FrontToScreen(90, {half, 1, 0}, p.width, p.height);
        const D3DVec3 bottom = FrontToScreen(90, {half, -1, 0}, p.width, p.height);
        EXPECT_NEAR(top.y - bottom.y, 0.0f, 1e-3) << p.width;
        EXPECT_NEAR(std::fabs(FrontToScreen(90, {half, 0, 0}, p.width, p.height).x), 0.8f, 1e-3) << p.width;
    }
    // The back panel's pixel box maps onto the whole view at the far end of the depth range.
    const D3DVec3 corner = D3DTransformCoord(D3DMatrixOrthoLH(160, 60, 0, 1), {80, 30, 1});
    EXPECT_FLOAT_EQ(corner.x, 1.0f);
    EXPECT_FLOAT_EQ(corner.y, 1.0f);
    EXPECT_FLOAT_EQ(corner.z, 1.0f);
}

// Paints itself in one colour; optionally checks, from another thread, that the host's lock is held
// while it paints.
class ColorLayer : public ProbeLayer {
public:
    ColorLayer(ARGB color, CxLock* lock = nullptr) : ProbeLayer(nullptr, L"color"), m_color(color), m_lock(lock) {}
    ~ColorLayer() override { JoinProbe(); }
    void DrawChildren(CDC* dc, const RECT*) override {
        ++m_paints;
        CxSkinGraphics g(dc->GetSafeHdc());
        SolidBrush brush{Color(m_color)}, lower{Color(m_lower ? m_lower : m_color)};
        g->FillRectangle(&brush, 0, 0, GetWidth(), GetHeight() / 2);
        g->FillRectangle(&lower, 0, GetHeight() / 2, GetWidth(), GetHeight() - GetHeight() / 2);
        if (m_lock && m_probeLock && !m_probe) {
            m_probe = CreateThread(nullptr, 0, &ColorLayer::TakeLock, m_lock, 0, nullptr);
            // A thread that cannot get the lock within the wait proves the painter holds it.
            m_lockHeld = WaitForSingleObject(m_probe, 200) == WAIT_TIMEOUT;
        }
    }
    void JoinProbe() {
        if (m_probe) {
            WaitForSingleObject(m_probe, INFINITE);
            CloseHandle(m_probe);
            m_probe = nullptr;
        }
    }
    static DWORD WINAPI TakeLock(void* lock) {
        static_cast<CxLock*>(lock)->Lock();
        static_cast<CxLock*>(lock)->Unlock();
        return 0;
    }

    ARGB m_color;
    ARGB m_lower = 0; // the lower half's colour, when it differs
    CxLock* m_lock;
    int m_paints = 0;
    bool m_probeLock = false;
    bool m_lockHeld = false;
    HANDLE m_probe = nullptr;
};

// A layered host window with a back panel, a front panel over it and a small layer on top.
class FlipHost : public TestWindow {
public:
    FlipHost() {
        m_root.Attach(this);
        m_root.SetBackground(200, 100, nullptr, 0, 0);
        back = AddLayer<ColorLayer>(&m_root, {20, 20, 180, 80}, kBack);
        front = AddLayer<ColorLayer>(&m_root, {20, 20, 180, 80}, kFront);
        front->m_lower = kFrontLower;
        top = AddLayer<ColorLayer>(&m_root, {0, 0, 10, 10}, kTop, &m_root.GetLock());
        m_root.Update();
    }
    ~FlipHost() override {
        top->JoinProbe();
        m_root.DestroyChildren();
        DestroyWindow();
    }
    CLayerDialog m_root;
    ColorLayer* back;
    ColorLayer* front;
    ColorLayer* top;
};

class RecordingFlip : public CFlip3D {
public:
    bool m_missing = false;
    std::vector<float> m_angles;

protected:
    HMODULE LoadDirect3D() override { return m_missing ? nullptr : CFlip3D::LoadDirect3D(); }
    void RenderFrame(float angle) override {
        m_angles.push_back(angle);
        CFlip3D::RenderFrame(angle);
    }
};

bool Near(uint32_t actual, uint32_t expected, int tolerance = 8) {
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(static_cast<int>((actual >> shift) & 0xFF) - static_cast<int>((expected >> shift) & 0xFF)) >
            tolerance)
            return false;
    return true;
}

TEST(FlipInit, WithoutDirect3DFailsAndDrawsNothing) {
    FlipHost host;
    const int paintsBefore = host.top->m_paints;
    RecordingFlip flip;
    flip.m_missing = true;
    flip.SetLayers(host.back, host.front);
    flip.SetTarget(host.top);
    EXPECT_FALSE(flip.Init());
    EXPECT_FALSE(flip.IsInitialised());
    flip.Run(true); // the caller would not, but a stray run must stay harmless
    EXPECT_EQ(flip.m_angles.size(), 12u);
    EXPECT_EQ(host.top->m_paints, paintsBefore);
    EXPECT_EQ(host.m_root.GetPixel(100, 35), kFront);
    flip.Release();
    flip.Release();
}

// What the caller does when Init fails: the layer tree's zoom hides the front panel on the real host, and
// its fade shows it again.
TEST(FlipInit, ZoomAndFadeTakeOverOnTheRealHost) {
    FlipHost host;
    RecordingFlip flip;
    flip.m_missing = true;
    flip.SetLayers(host.back, host.front);
    ASSERT_FALSE(flip.Init());
    flip.Release();

    RegisterItemAnimation();
    host.front->SetAnimationMode(1);
    host.front->RunAnimation(FALSE);
    EXPECT_FALSE(host.front->IsVisible());
    EXPECT_EQ(host.m_root.GetPixel(100, 35), kBack);
    EXPECT_FALSE(host.m_root.IsInputBlocked());

    host.front->RunAnimation(TRUE);
    EXPECT_TRUE(host.front->IsVisible());
    EXPECT_EQ(host.front->GetFade(), 0);
    EXPECT_EQ(host.m_root.GetPixel(100, 35), kFront);
    EXPECT_EQ(host.front->GetAnimationMatrix(), nullptr);
    SetLayerAnimationFactory(nullptr);
}

TEST(FlipInit, RefusesPanelsItCannotShow) {
    FlipHost host;
    FakeRoot windowless; // a tree with no layered host dialog
    auto* stray = AddLayer<ColorLayer>(&windowless, {0, 0, 50, 50}, kFront);
    CLayerDialog detached; // a host that never got a window
    auto* unhosted = AddLayer<ColorLayer>(&detached, {0, 0, 50, 50}, kFront);
    auto* empty = AddLayer<ColorLayer>(&host.m_root, {30, 30, 30, 60}, kFront);
    const struct {
        const char* what;
        CLayerWnd* back;
        CLayerWnd* front;
    } cases[] = {
        {"no panels", nullptr, nullptr},
        {"no front", host.back, nullptr},
        {"front outside a layered host", host.back, stray},
        {"host without a window", host.back, unhosted},
        {"empty front", host.back, empty},
    };
    for (const auto& c : cases) {
        CFlip3D flip;
        flip.SetLayers(c.back, c.front);
        EXPECT_FALSE(flip.Init()) << c.what;
    }
    detached.DestroyChildren();
}

// Only where Direct3D 9 gives this process a device; elsewhere the fallback tests above cover the caller.
TEST(FlipRun, PresentsEveryFrameUnderTheHostLockAndEndsOnTheRightPanel) {
    FlipHost host;
    host.m_root.SetTransparency(20);
    RecordingFlip flip;
    flip.SetLayers(host.back, host.front);
    flip.SetTarget(host.top);
    if (!flip.Init())
        GTEST_SKIP() << "no Direct3D 9 device on this machine";
    host.front->m_color = host.front->m_lower = kTop;
    EXPECT_TRUE(flip.Init()); // a second Init keeps the first snapshots
    EXPECT_EQ(flip.GetBlend().SourceConstantAlpha, 204);

    host.top->m_probeLock = true;
    const int paintsBefore = host.top->m_paints;
    flip.Run(true);
    EXPECT_EQ(flip.m_angles, CFlip3D::FrameAngles(true));
    EXPECT_EQ(host.top->m_paints - paintsBefore, 12);
    EXPECT_TRUE(host.top->m_lockHeld);
    host.top->JoinProbe();
    // Edge-on at 90 degrees: the back panel shows through the whole panel area, the top layer over it.
    EXPECT_TRUE(Near(host.m_root.GetPixel(100, 35), kBack)) << std::hex << host.m_root.GetPixel(100, 35);
    EXPECT_TRUE(Near(host.m_root.GetPixel(100, 65), kBack)) << std::hex << host.m_root.GetPixel(100, 65);
    EXPECT_TRUE(Near(host.m_root.GetPixel(5, 5), kTop));
    EXPECT_EQ(host.m_root.GetPixel(100, 90), kGrey); // outside the panel nothing changed

    flip.m_angles.clear();
    flip.Run(false);
    EXPECT_EQ(flip.m_angles.back(), 0.0f);
    // Flat again at 0 degrees: the front panel, as it was at Init and the right way up, covers the area.
    const struct {
        int x, y;
        ARGB color;
    } probes[] = {{100, 35, kFront}, {22, 22, kFront}, {100, 65, kFrontLower}, {177, 77, kFrontLower}};
    for (const auto& p : probes)
        EXPECT_TRUE(Near(host.m_root.GetPixel(p.x, p.y), p.color))
            << p.x << "," << p.y << ": " << std::hex << host.m_root.GetPixel(p.x, p.y);

    flip.Release();
    EXPECT_FALSE(flip.IsInitialised());
}

} // namespace
