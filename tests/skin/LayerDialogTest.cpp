// The layered host window on a real window under the test display: background composition, placement,
// hover and clicks from real mouse messages, repaints read back from the back buffer.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "LayerTestTree.h"
#include "SkinTestSupport.h"
#include "TestPaths.h"
#include "skin/LayerDialog.h"
#include "skin/SkinGraphics.h"
#include "skin/SkinImageCache.h"

using namespace Gdiplus;
using namespace oc::test;

namespace {

constexpr uint32_t kGrey = 0xFF808080;

// Paints itself in one colour, through the same GDI+ path the controls use.
class ColorLayer : public ProbeLayer {
public:
    ColorLayer(EventLog* log, std::wstring name, ARGB color) : ProbeLayer(log, std::move(name)), m_color(color) {}
    void DrawChildren(CDC* dc, const RECT*) override {
        CxSkinGraphics g(dc->GetSafeHdc());
        SolidBrush brush{Color(m_color)};
        g->FillRectangle(&brush, 0, 0, GetWidth(), GetHeight());
    }
    ARGB m_color;
};

// Stands in for the skinned dialog: mouse messages and layer messages go to the root.
class HostWindow : public TestWindow {
public:
    explicit HostWindow(HWND parent = nullptr) : TestWindow(parent) { m_root.Attach(this); }
    ~HostWindow() override {
        m_root.DestroyChildren();
        DestroyWindow();
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        switch (message) {
        case WM_MOUSEMOVE:
            m_root.OnMouseMove(static_cast<UINT>(wParam), point);
            return 0;
        case WM_LBUTTONDOWN:
            m_root.OnLButtonDown(static_cast<UINT>(wParam), point);
            return 0;
        default:
            break;
        }
        LRESULT result = 0;
        if (m_root.DispatchLayerMessage(message, wParam, lParam, &result))
            return result;
        return TestWindow::WindowProc(message, wParam, lParam);
    }

    CLayerDialog m_root;
};

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool Near(uint32_t actual, uint32_t expected, int tolerance = 3) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = static_cast<int>((actual >> shift) & 0xFF), e = static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(a - e) > tolerance)
            return false;
    }
    return true;
}

TEST(LayerDialog, ConstantAlphaFollowsTransparency) {
    const struct {
        int percent;
        BYTE alpha;
    } cases[] = {{0, 255}, {50, 127}, {100, 0}, {25, 191}, {-10, 255}, {150, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(CLayerDialog::ConstantAlpha(c.percent), c.alpha) << c.percent;
}

TEST(LayerDialog, PlainGreySurfaceCentredOnTheScreen) {
    HostWindow host;
    ASSERT_TRUE(host.IsWindow());
    EXPECT_TRUE(host.GetExStyle() & WS_EX_LAYERED);
    host.m_root.SetBackgroundImage((oc::test::TempDir() / L"missing.png").wstring().c_str());
    host.m_root.SetBackground(200, 100, nullptr, 2, 0xFFFF0000);
    EXPECT_EQ(host.m_root.GetSurfaceWidth(), 200);
    EXPECT_EQ(host.m_root.GetSurfaceHeight(), 100);
    EXPECT_EQ(host.m_root.GetPixel(0, 0), kGrey);
    EXPECT_EQ(host.m_root.GetPixel(199, 99), kGrey);
    RECT window;
    host.GetWindowRect(&window);
    EXPECT_EQ(window.right - window.left, 200);
    EXPECT_EQ(window.bottom - window.top, 100);
    EXPECT_NEAR((window.left + window.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
}

TEST(LayerDialog, ImageBackgroundKeepsItsAlphaAndCentresOnTheParent) {
    TempDir dir;
    auto image = SolidImage(40, 30, 0x80FF0000);
    ASSERT_TRUE(SavePng(*image, dir / L"back.png"));
    TestWindow parent(nullptr, 100, 100, 300, 200);
    HostWindow host(parent);
    host.m_root.SetBackgroundImage((dir / L"back.png").wstring().c_str());
    host.m_root.SetBackground(0, 0, nullptr, 0, 0);

    RECT window;
    host.GetWindowRect(&window);
    EXPECT_EQ(window.left, 250 - 20);
    EXPECT_EQ(window.top, 200 - 15);
    EXPECT_EQ(window.right - window.left, 40);
    EXPECT_EQ(window.bottom - window.top, 30);
    const uint32_t pixel = host.m_root.GetPixel(20, 15);
    EXPECT_NEAR(Alpha(pixel), 128, 2);
    EXPECT_NEAR(Red(pixel), 128, 2); // premultiplied, ready for UpdateLayeredWindow

    host.m_root.SetBackgroundImage(L""); // an empty path keeps the image
    EXPECT_NE(host.m_root.GetBackgroundImage(), nullptr);
}

// The image saved as a PNG and loaded as the dialog's background picture.
void LoadBackgroundPicture(HostWindow& host, const TempDir& dir, Bitmap& image) {
    ASSERT_TRUE(SavePng(image, dir / L"back.png"));
    host.m_root.SetBackgroundImage((dir / L"back.png").wstring().c_str());
}

TEST(LayerDialog, OutlineClipsTheBackgroundAndCarriesTheBorder) {
    TempDir dir;
    HostWindow host;
    LoadBackgroundPicture(host, dir, *SolidImage(100, 100, 0xFF0000FF));
    GraphicsPath outline;
    outline.AddRectangle(Rect(20, 20, 60, 60));
    host.m_root.SetBackground(0, 0, &outline, 2, 0xFFFF0000);
    EXPECT_EQ(Alpha(host.m_root.GetPixel(5, 5)), 0);             // outside the outline: transparent
    EXPECT_TRUE(Near(host.m_root.GetPixel(50, 50), 0xFF0000FF)); // inside: the image
    EXPECT_GT(Red(host.m_root.GetPixel(20, 50)), 200);           // on the outline: the border

    host.m_root.SetBackground(0, 0, nullptr, 2, 0xFFFF0000); // a border needs an outline
    EXPECT_TRUE(Near(host.m_root.GetPixel(0, 50), 0xFF0000FF));
}

// A picture of the surface's size is copied rather than drawn; a round outline keeps exactly the pixels a
// clipped GDI+ draw keeps, so the corners are as clear as before and nothing inside is lost. Read through the
// image cache, the picture is decoded straight into the surface, premultiplied, and its own pixels stay
// undecoded.
TEST(LayerDialog, ARoundOutlineKeepsThePixelsAClippedDrawKeeps) {
    for (const bool cached : {false, true}) {
        SCOPED_TRACE(cached ? "through the image cache" : "without a cache");
        std::optional<CxSkinImageCache> cache;
        if (cached)
            cache.emplace();
        TempDir dir;
        auto image = SolidImage(90, 70, 0xC02040C0);
        HostWindow host;
        LoadBackgroundPicture(host, dir, *image);
        GraphicsPath outline;
        outline.AddEllipse(3, 4, 80, 60);
        host.m_root.SetBackground(0, 0, &outline, 0, 0);
        if (cached) {
            EXPECT_EQ(cache->GetPendingCount(), 1u);
        }

        Bitmap reference(90, 70, PixelFormat32bppPARGB);
        {
            Graphics g(&reference);
            g.SetClip(&outline, CombineModeReplace);
            g.DrawImage(image.get(), 0, 0, 90, 70);
        }
        int kept = 0;
        for (int y = 0; y < 70; ++y) {
            for (int x = 0; x < 90; ++x) {
                Color expected;
                reference.GetPixel(x, y, &expected);
                const uint32_t pixel = host.m_root.GetPixel(x, y);
                ASSERT_EQ(Alpha(pixel), expected.GetA()) << x << "," << y;
                if (expected.GetA() == 0)
                    continue;
                ++kept;
                ASSERT_NEAR(Blue(pixel), 0xC0 * 0xC0 / 255, 2) << x << "," << y; // premultiplied
            }
        }
        EXPECT_GT(kept, 3000); // most of the ellipse's 3770 pixels
    }
}

// A 120 x 80 picture like a skin's: a vertical gradient with a rounded panel on it.
std::unique_ptr<Bitmap> SkinLikeImage() {
    auto image = std::make_unique<Bitmap>(120, 80, PixelFormat32bppARGB);
    Graphics g(image.get());
    LinearGradientBrush sheen(Point(0, 0), Point(0, 80), Color(0xFF23272D), Color(0xFF1E2126));
    g.FillRectangle(&sheen, 0, 0, 120, 80);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    GraphicsPath panel;
    panel.AddArc(10, 10, 12, 12, 180, 90);
    panel.AddArc(98, 10, 12, 12, 270, 90);
    panel.AddArc(98, 58, 12, 12, 0, 90);
    panel.AddArc(10, 58, 12, 12, 90, 90);
    panel.CloseFigure();
    SolidBrush fill{Color(0xFF272B31)};
    g.FillPath(&fill, &panel);
    return image;
}

std::unique_ptr<Bitmap> NoiseImage() {
    auto image = std::make_unique<Bitmap>(120, 80, PixelFormat32bppARGB);
    uint32_t seed = 7;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 120; ++x) {
            seed = seed * 1664525u + 1013904223u;
            image->SetPixel(x, y, Color(0xFF000000u | (seed >> 8)));
        }
    }
    return image;
}

// The back buffer is the one surface of the window's size: the composed background is kept beside it as
// runs when it shrinks so (a skin's flat areas and gradients), and only a noisy picture keeps a copy. Either
// way a layer moved away leaves the background exactly as it was.
TEST(LayerDialog, TheBackgroundIsKeptAsRunsUnlessItWillNotShrink) {
    const struct {
        const char* name;
        std::unique_ptr<Bitmap> (*image)();
        bool copy;
    } cases[] = {{"plain grey", nullptr, false}, {"skin-like", &SkinLikeImage, false}, {"noise", &NoiseImage, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        EventLog log;
        HostWindow host;
        if (c.image)
            LoadBackgroundPicture(host, dir, *c.image());
        host.m_root.SetBackground(120, 80, nullptr, 0, 0);
        const size_t surface = 120 * 80 * sizeof(uint32_t);
        if (c.copy)
            EXPECT_EQ(host.m_root.GetBackgroundBytes(), surface);
        else
            EXPECT_LT(host.m_root.GetBackgroundBytes(), surface / 4);

        std::vector<uint32_t> background;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 120; ++x)
                background.push_back(host.m_root.GetPixel(x, y));
        auto* glass = AddLayer<ColorLayer>(&host.m_root, {5, 5, 60, 40}, &log, L"glass", 0x80FF0000);
        glass->Invalidate(FALSE);
        EXPECT_NE(host.m_root.GetPixel(20, 20), background[20 * 120 + 20]);
        glass->SetVisible(FALSE, TRUE);
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 120; ++x)
                ASSERT_EQ(host.m_root.GetPixel(x, y), background[static_cast<size_t>(y) * 120 + x]) << x << "," << y;
    }
}

TEST(LayerDialog, MouseMessagesHoverAndClickTheRightLayer) {
    EventLog log;
    HostWindow host;
    host.m_root.SetBackground(200, 100, nullptr, 0, 0);
    auto* a = AddLayer<ColorLayer>(&host.m_root, {10, 10, 50, 50}, &log, L"A", 0xFFFF0000);
    auto* b = AddLayer<ColorLayer>(&host.m_root, {60, 10, 100, 50}, &log, L"B", 0xFF00FF00);

    host.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    EXPECT_EQ(host.m_root.GetHoveredLayer(), a);
    EXPECT_TRUE(a->IsHovered());
    log.clear();
    host.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(70, 25));
    EXPECT_EQ(log, (EventLog{L"A out", L"B move 10,15"})); // the old one hears it first
    EXPECT_EQ(host.m_root.GetHoveredLayer(), b);

    b->SetEnabled(FALSE);
    host.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    host.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(71, 25)); // a disabled layer is nobody's hover
    EXPECT_EQ(host.m_root.GetHoveredLayer(), nullptr);
    b->SetEnabled(TRUE);

    log.clear();
    host.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(65, 45));
    EXPECT_EQ(log, (EventLog{L"B down 5,35"}));

    host.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(70, 20));
    host.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(150, 80)); // nothing there
    EXPECT_EQ(host.m_root.GetHoveredLayer(), nullptr);
    EXPECT_FALSE(b->IsHovered());

    delete a; // destroying the hovered layer leaves no dangling hover
    host.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(70, 20));
    delete b;
    EXPECT_EQ(host.m_root.GetHoveredLayer(), nullptr);
}

TEST(LayerDialog, InvalidateRepaintsTheLayerAreaOnly) {
    EventLog log;
    HostWindow host;
    host.m_root.SetBackground(200, 100, nullptr, 0, 0);
    auto* a = AddLayer<ColorLayer>(&host.m_root, {10, 10, 50, 50}, &log, L"A", 0xFFFF0000);
    auto* b = AddLayer<ColorLayer>(&host.m_root, {60, 10, 100, 50}, &log, L"B", 0xFF00FF00);
    host.m_root.Invalidate(TRUE);
    EXPECT_EQ(host.m_root.GetPixel(30, 30), 0xFFFF0000u);
    EXPECT_EQ(host.m_root.GetPixel(80, 30), 0xFF00FF00u);
    EXPECT_EQ(host.m_root.GetPixel(150, 80), kGrey);

    a->m_color = 0xFF0000FF;
    b->m_color = 0xFFFFFF00;
    a->Invalidate(FALSE);
    EXPECT_EQ(host.m_root.GetPixel(30, 30), 0xFF0000FFu);
    EXPECT_EQ(host.m_root.GetPixel(80, 30), 0xFF00FF00u); // outside the area: untouched

    a->SetVisible(FALSE, TRUE);
    EXPECT_EQ(host.m_root.GetPixel(30, 30), kGrey); // the background comes back under a hidden layer
}

// A container repainted for a small area paints only its children that meet it, at every depth.
TEST(LayerDialog, AnAreaRepaintPaintsOnlyTheLayersThatMeetIt) {
    EventLog log;
    HostWindow host;
    host.m_root.SetBackground(200, 100, nullptr, 0, 0);
    auto* page = AddLayer(&host.m_root, {0, 0, 200, 100}, &log, L"page", true);
    AddLayer(page, {10, 10, 50, 50}, &log, L"A");
    auto* b = AddLayer(page, {60, 10, 100, 50}, &log, L"B");
    host.m_root.GetPixel(0, 0);
    EXPECT_EQ(log, (EventLog{L"page paint", L"A paint", L"B paint"}));
    log.clear();
    b->Invalidate(FALSE);
    host.m_root.GetPixel(0, 0);
    EXPECT_EQ(log, (EventLog{L"page paint", L"B paint"}));
}

TEST(LayerDialog, RepeatedUpdatesDoNotPileUpTranslucentPixels) {
    TempDir dir;
    auto clear = SolidImage(60, 60, 0x00000000);
    ASSERT_TRUE(SavePng(*clear, dir / L"clear.png"));
    EventLog log;
    HostWindow host;
    host.m_root.SetBackgroundImage((dir / L"clear.png").wstring().c_str());
    host.m_root.SetBackground(0, 0, nullptr, 0, 0);
    auto* glass = AddLayer<ColorLayer>(&host.m_root, {10, 10, 40, 40}, &log, L"glass", 0x80FF0000);
    for (int i = 0; i < 4; ++i)
        glass->Update();
    EXPECT_NEAR(Alpha(host.m_root.GetPixel(20, 20)), 128, 2);
    EXPECT_EQ(Alpha(host.m_root.GetPixel(50, 50)), 0);
}

TEST(LayerDialog, RecomposingTheBackgroundLeaksNoGdiObjects) {
    HostWindow host;
    host.m_root.SetBackground(120, 80, nullptr, 0, 0);
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    HGDIOBJ oldBackBuffer = GetCurrentObject(host.m_root.GetMemDC()->GetSafeHdc(), OBJ_BITMAP);
    for (int i = 0; i < 20; ++i)
        host.m_root.SetBackground(120 + i, 80, nullptr, 0, 0);
    // Every replaced surface is gone (the system may not count objects, so the handle is asked too).
    EXPECT_EQ(GetObjectType(oldBackBuffer), 0u);
    EXPECT_NE(GetCurrentObject(host.m_root.GetMemDC()->GetSafeHdc(), OBJ_BITMAP), oldBackBuffer);
    if (before != 0) {
        EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before + 2);
    }
}

TEST(LayerDialog, LayerMessagesReachOnlyLayersStillInTheTree) {
    EventLog log;
    HostWindow host;
    auto* live = AddLayer(&host.m_root, {0, 0, 10, 10}, &log, L"live");
    LRESULT result = 0;
    EXPECT_TRUE(host.m_root.DispatchLayerMessage(2025, reinterpret_cast<WPARAM>(live), 41, &result));
    EXPECT_EQ(result, 42);
    EXPECT_TRUE(host.m_root.DispatchLayerMessage(3023, reinterpret_cast<WPARAM>(live), 0, nullptr));
    EXPECT_FALSE(host.m_root.DispatchLayerMessage(2024, reinterpret_cast<WPARAM>(live), 0, nullptr));
    EXPECT_FALSE(host.m_root.DispatchLayerMessage(3024, reinterpret_cast<WPARAM>(live), 0, nullptr));

    // A page repeat queued, then the panel switched: the message must find nobody.
    auto* doomed = AddLayer(&host.m_root, {0, 0, 10, 10}, &log, L"doomed");
    ASSERT_TRUE(doomed->PostMessage(2025, reinterpret_cast<WPARAM>(doomed), 0));
    ASSERT_TRUE(live->PostMessage(2026, reinterpret_cast<WPARAM>(live), 0));
    delete doomed;
    log.clear();
    Pump();
    EXPECT_EQ(log, (EventLog{L"live message 2026"}));
}

} // namespace
