// The static control: sizing to its image or text, the content image and background, the border lines,
// text colour and cropping, the window drag through it, and cloning.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ControlHost.h"
#include "SkinDialogFixture.h"
#include "SkinTestSupport.h"
#include "TestPaths.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinStatic.h"

using namespace Gdiplus;
using namespace oc::test;

namespace {

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kWhite = 0xFFFFFFFF;

// Pixels in [left, right) x [top, bottom) that match the test.
int Count(const ControlHost& host, int left, int top, int right, int bottom,
          const std::function<bool(uint32_t)>& test) {
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            count += test(host.At(x, y)) ? 1 : 0;
    return count;
}

bool Inked(uint32_t pixel) {
    return !NearColor(pixel, kHostGrey, 40);
}

// Strongly red and not white: the disabled colour below, never the enabled white text.
bool Reddish(uint32_t pixel) {
    return Red(pixel) > 170 && Green(pixel) < 100 && Blue(pixel) < 100;
}

bool Whitish(uint32_t pixel) {
    return Red(pixel) > 200 && Green(pixel) > 200 && Blue(pixel) > 200;
}

std::wstring SaveImage(const TempDir& dir, const wchar_t* name, int width, int height, ARGB color) {
    auto image = SolidImage(width, height, color);
    const std::wstring path = (dir / name).wstring();
    EXPECT_TRUE(SavePng(*image, path));
    return path;
}

SIZE SizeOf(const CxSkinStatic* control) {
    return {control->GetWidth(), control->GetHeight()};
}

TEST(SkinStatic, UnsizedControlTakesItsImageOrItsTextSize) {
    TempDir dir;
    const std::wstring image = SaveImage(dir, L"content.png", 40, 20, kBlue);
    ControlHost host;

    const struct {
        int width, height;
        SIZE expected;
    } images[] = {{0, 0, {40, 20}}, {100, 0, {100, 20}}, {0, 30, {40, 30}}, {70, 50, {70, 50}}};
    for (const auto& c : images) {
        auto* control = host.Place(new CxSkinStatic, 5, 6, c.width, c.height);
        EXPECT_TRUE(control->SetSkin(image));
        control->SetText(L"a text never decides when there is an image");
        ASSERT_TRUE(control->Create());
        EXPECT_EQ(SizeOf(control).cx, c.expected.cx) << c.width << "x" << c.height;
        EXPECT_EQ(SizeOf(control).cy, c.expected.cy) << c.width << "x" << c.height;
        EXPECT_EQ(control->GetPos().x, 5);
        EXPECT_EQ(control->GetPos().y, 6);
        delete control;
    }

    // A short text: its measured size, which is also what a sized control keeps as its natural size.
    auto* text = host.Place(new CxSkinStatic, 0, 0, 0, 0);
    text->SetText(L"abc");
    ASSERT_TRUE(text->Create());
    const SIZE natural = text->GetNaturalSize();
    EXPECT_GT(natural.cx, 5);
    EXPECT_GT(natural.cy, 5);
    EXPECT_EQ(SizeOf(text).cx, natural.cx);
    EXPECT_EQ(SizeOf(text).cy, natural.cy);
    const SIZE extent = text->GetTextExtent();
    EXPECT_EQ(natural.cx, extent.cx);
    delete text;

    // A very long text is held to 600 pixels; a wrapping one is measured only because it has no size.
    for (UINT flags : {CxSkinStatic::kNoWrap, 0u}) {
        auto* wide = host.Place(new CxSkinStatic, 0, 0, 0, 0);
        wide->SetTextWrapping(flags);
        wide->SetFontSize(30);
        wide->SetText(std::wstring(120, L'W'));
        ASSERT_TRUE(wide->Create());
        EXPECT_EQ(SizeOf(wide).cx, CxSkinStatic::kMaxNaturalWidth) << flags;
        EXPECT_GT(SizeOf(wide).cy, 10) << flags;
        delete wide;
    }

    auto* sized = host.Place(new CxSkinStatic, 0, 0, 30, 12);
    sized->SetTextWrapping(0);
    sized->SetText(L"wrapping text in a sized control");
    ASSERT_TRUE(sized->Create());
    EXPECT_EQ(sized->GetNaturalSize().cx, 0); // nothing needed measuring
    EXPECT_EQ(SizeOf(sized).cx, 30);

    // A new text is only stored: no new measure, no repaint.
    auto* shown = host.Place(new CxSkinStatic, 0, 0, 0, 0);
    shown->SetText(L"x");
    ASSERT_TRUE(shown->Create());
    const SIZE before = shown->GetNaturalSize();
    shown->SetText(L"a much longer text than before");
    EXPECT_EQ(shown->GetText(), L"a much longer text than before");
    EXPECT_EQ(shown->GetNaturalSize().cx, before.cx);
    EXPECT_EQ(SizeOf(shown).cx, before.cx);
}

TEST(SkinStatic, ImageThatCannotLoadThrowsItsPathAndLeavesNoImage) {
    TempDir dir;
    const std::wstring good = SaveImage(dir, L"good.png", 8, 8, kRed);
    const std::wstring missing = (dir / L"missing.png").wstring();
    CxSkinStatic control;
    EXPECT_TRUE(control.SetSkin(good));
    ASSERT_NE(control.GetContentImage(), nullptr);
    try {
        control.SetSkin(missing);
        FAIL() << "no exception";
    } catch (CException* error) {
        ASSERT_TRUE(error->IsKindOf(RUNTIME_CLASS(CxSkinControlsException)));
        EXPECT_EQ(static_cast<CxSkinControlsException*>(error)->GetMessage(),
                  L"SetSkin: failed to load content image (" + missing + L")!");
        error->Delete();
    }
    EXPECT_EQ(control.GetContentImage(), nullptr); // the old image is gone too
}

TEST(SkinStatic, ContentImageWinsOverTheBackgroundAndDimsWhenDisabled) {
    TempDir dir;
    const std::wstring opaque = SaveImage(dir, L"blue.png", 40, 20, kBlue);
    const std::wstring half = SaveImage(dir, L"half.png", 40, 20, 0x800000FF);
    ControlHost host;

    auto* filled = host.Place(new CxSkinStatic, 10, 10, 40, 20);
    filled->SetBackColor(kGreen);
    ASSERT_TRUE(filled->Create());
    auto* imaged = host.Place(new CxSkinStatic, 60, 10, 40, 20);
    imaged->SetBackColor(kGreen); // not drawn under an image
    EXPECT_TRUE(imaged->SetSkin(half));
    ASSERT_TRUE(imaged->Create());
    auto* dimmed = host.Place(new CxSkinStatic, 110, 10, 40, 20);
    EXPECT_TRUE(dimmed->SetSkin(opaque));
    ASSERT_TRUE(dimmed->Create());
    // Stretch mode 1 keeps the image at its own size in a wider control.
    auto* unstretched = host.Place(new CxSkinStatic, 10, 50, 80, 20);
    EXPECT_TRUE(unstretched->SetSkin(opaque));
    unstretched->SetBackgroundStretchMode(1);
    ASSERT_TRUE(unstretched->Create());
    auto* stretched = host.Place(new CxSkinStatic, 100, 50, 80, 20);
    EXPECT_TRUE(stretched->SetSkin(opaque));
    ASSERT_TRUE(stretched->Create());

    host.Paint();
    EXPECT_TRUE(NearColor(host.At(30, 20), kGreen));
    EXPECT_TRUE(NearColor(host.At(80, 20), OverGrey(kBlue, 128 / 255.0)));
    EXPECT_TRUE(NearColor(host.At(130, 20), kBlue));
    EXPECT_TRUE(NearColor(host.At(30, 60), kBlue));
    EXPECT_TRUE(NearColor(host.At(75, 60), kHostGrey));
    EXPECT_TRUE(NearColor(host.At(170, 60), kBlue));

    const struct {
        BOOL enabled;
        int transparency;
        double alpha;
    } looks[] = {{FALSE, 0, 0.4}, {TRUE, 50, 0.5}, {FALSE, 50, 0.2}, {TRUE, 0, 1.0}};
    for (const auto& look : looks) {
        dimmed->Enable(look.enabled, FALSE);
        dimmed->SetTransparency(look.transparency);
        dimmed->Redraw(FALSE);
        EXPECT_TRUE(NearColor(host.At(130, 20), OverGrey(kBlue, look.alpha), 5))
            << look.enabled << " " << look.transparency << std::hex << " " << host.At(130, 20);
    }
}

TEST(SkinStatic, BorderLinesFollowTheFlagsAndFrameFromAbove) {
    ControlHost host;
    auto* control = host.Place(new CxSkinStatic, 50, 30, 60, 20);
    control->SetBorderLineColor(kRed);
    ASSERT_TRUE(control->Create());

    // Left is column 50, top the row above the control (29), right the column past it (110), bottom the
    // row past it (50).
    auto lines = [&host] {
        const bool left = Reddish(host.At(50, 40)), top = Reddish(host.At(80, 29));
        const bool right = Reddish(host.At(110, 40)), bottom = Reddish(host.At(80, 50));
        return std::wstring(left ? L"L" : L"") + (top ? L"T" : L"") + (right ? L"R" : L"") + (bottom ? L"B" : L"");
    };
    const struct {
        const wchar_t* text;
        const wchar_t* drawn;
    } cases[] = {
        {L"1,0,0,1", L"LB"}, {L"1,1,1", L"LB"}, // not four parts: nothing changes
        {L"0,1,1,0", L"TR"}, {L"1,1,1,1", L"LTRB"}, {L"0,0,0,0", L""},   {L"x,2,0,-1", L"TB"},
        {L"", L"TB"},        {L"1,1,1,1,1", L"TB"}, {L"0,,1,0,0", L"T"}, // runs of commas cut once
    };
    for (const auto& c : cases) {
        control->SetBorderLine(c.text);
        host.Paint();
        EXPECT_EQ(lines(), c.drawn) << c.text;
        EXPECT_TRUE(NearColor(host.At(80, 40), kHostGrey)) << c.text; // no fill without a colour
    }
    EXPECT_EQ(control->GetBorderLine(), L"0,,1,0,0");
}

TEST(SkinStatic, TextTakesTheDisabledColourWhenItOrAnAncestorIsDisabled) {
    ControlHost host;
    auto* panel = new CLayerWnd;
    panel->Create({0, 0, 200, 100}, &host.m_root, 1);
    auto* control = new CxSkinStatic;
    control->SetLeft(20);
    control->SetTop(20);
    control->SetWidth(160);
    control->SetHeight(60);
    control->SetText(L"MMMM");
    control->SetFontSize(24);
    control->SetFontStyle(1);
    control->SetForeColor(kWhite);
    control->SetDisabledTextColor(kRed);
    control->CxSkinCtrl::Create({20, 20, 180, 80}, panel, 1);

    auto paint = [&] {
        host.Paint();
        return std::make_pair(Count(host, 20, 20, 180, 80, Whitish), Count(host, 20, 20, 180, 80, Reddish));
    };
    auto [white, red] = paint();
    EXPECT_GT(white, 50);
    EXPECT_EQ(red, 0);

    control->Enable(FALSE, FALSE);
    std::tie(white, red) = paint();
    EXPECT_EQ(white, 0);
    EXPECT_GT(red, 50);

    control->Enable(TRUE, FALSE);
    panel->SetEnabled(FALSE);
    std::tie(white, red) = paint();
    EXPECT_EQ(white, 0);
    EXPECT_GT(red, 50);
}

TEST(SkinStatic, OneLineTextWiderThanTheControlShowsItsLeftPartCutAtTheEdge) {
    ControlHost host;
    // A wide first letter, then low dots: only the letter reaches the upper half of the line.
    auto* control = host.Place(new CxSkinStatic, 40, 30, 40, 40);
    control->SetText(L"W..............................");
    control->SetFontSize(20);
    control->SetForeColor(kWhite);
    ASSERT_TRUE(control->Create());
    ASSERT_GT(control->GetNaturalSize().cx, 40);
    host.Paint();
    EXPECT_GT(Count(host, 40, 38, 62, 50, Inked), 10); // the letter, in the upper half
    EXPECT_EQ(Count(host, 80, 0, 200, 100, Inked), 0); // nothing past the right edge
    EXPECT_EQ(Count(host, 0, 0, 40, 100, Inked), 0);

    // Wrapping text is laid out in the control itself.
    control->SetTextWrapping(0);
    control->SetText(L"W W W W");
    host.Paint();
    EXPECT_EQ(Count(host, 80, 0, 200, 100, Inked), 0);
    EXPECT_GT(Count(host, 40, 30, 80, 70, Inked), 10);
}

TEST(SkinStatic, PressOnAStaticMovesTheWindowButHoverStillFindsIt) {
    TestDialog dialog;
    ASSERT_TRUE(OpenDialog(dialog));
    const HWND hwnd = dialog.GetSafeHwnd();
    auto* label = new CxSkinStatic;
    auto* control = new CxSkinCtrl;
    const struct {
        CxSkinCtrl* ctrl;
        int left;
    } made[] = {{label, 10}, {control, 100}};
    for (const auto& m : made) {
        m.ctrl->SetParent(&dialog);
        m.ctrl->SetLeft(m.left);
        m.ctrl->SetTop(10);
        m.ctrl->SetWidth(50);
        m.ctrl->SetHeight(20);
        m.ctrl->SetText(L"label");
        ASSERT_TRUE(m.ctrl->Create());
    }

    const struct {
        POINT press;
        size_t moves;
        CLayerWnd* capture;
    } presses[] = {{{20, 20}, 1, nullptr}, {{120, 20}, 0, control}};
    for (const auto& p : presses) {
        dialog.m_moves.clear();
        Deliver(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(p.press.x, p.press.y));
        EXPECT_EQ(dialog.m_moves.size(), p.moves) << p.press.x;
        EXPECT_EQ(dialog.GetCaptureLayer(), p.capture) << p.press.x;
        Deliver(hwnd, WM_LBUTTONUP, 0, PointParam(p.press.x, p.press.y));
    }

    EXPECT_EQ(dialog.LayerFromPoint({20, 20}), label); // still the layer under the mouse
    label->SetFreeze(TRUE);
    EXPECT_EQ(dialog.LayerFromPoint({20, 20}), nullptr);
}

TEST(SkinStatic, CloneCopiesTheTextStyleAndJoinsTheSameParent) {
    ControlHost host;
    auto* source = host.Place(new CxSkinStatic, 10, 20, 80, 16);
    source->SetText(L"Component");
    source->SetForeColor(kRed);
    source->SetFontSize(12);
    source->SetFontFamily(L"Tahoma");
    source->SetFontStyle(2);
    source->SetTextAlign(0);
    source->SetTextLineAlign(2);
    source->SetTextWrapping(0);
    source->SetBorderLineColor(kBlue);
    source->SetBorderLine(L"0,0,0,1");
    ASSERT_TRUE(source->Create());
    const int children = host.m_root.GetChildCount();

    const CxSkinCtrl* asControl = source; // the handler finds its templates as plain controls
    auto* clone = dynamic_cast<CxSkinStatic*>(asControl->Clone());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(host.m_root.GetChildCount(), children + 1);
    EXPECT_EQ(clone->GetParent(), &host.m_root);
    const RECT cloneRect = clone->GetRect(), sourceRect = source->GetRect();
    EXPECT_TRUE(EqualRect(&cloneRect, &sourceRect));
    EXPECT_EQ(clone->GetText(), L"Component");
    EXPECT_EQ(clone->GetForeColor(), kRed);
    EXPECT_EQ(clone->GetFontSize(), 12.0);
    EXPECT_EQ(clone->GetFontFamily(), L"Tahoma");
    EXPECT_EQ(clone->GetFontStyle(), 2);
    EXPECT_EQ(clone->GetTextAlign(), 0);
    EXPECT_EQ(clone->GetTextLineAlign(), 2);
    EXPECT_EQ(clone->GetTextWrapping(), 0u);
    EXPECT_EQ(clone->GetBorderLineColor(), kBlue);
    EXPECT_EQ(clone->GetBorderLine(), L"0,0,0,1");
    EXPECT_EQ(clone->GetBorderFlags()[3], 1);
    EXPECT_EQ(clone->GetDesignRect().right - clone->GetDesignRect().left, 80);

    EXPECT_EQ(CxSkinCtrl().Clone(), nullptr);

    // Moved down a row, the clone paints on its own.
    clone->SetRect({10, 50, 90, 66}, FALSE);
    clone->SetText(L"Second");
    host.Paint();
    EXPECT_GT(Count(host, 10, 50, 90, 67, Reddish), 5);
}

} // namespace
