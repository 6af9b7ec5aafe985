// What a skinned dialog pushes to the screen, counted at UpdateLayeredWindow(Indirect): a change and the
// follow-ups its handler queues cost one present of their area alone, whose pixels are a full repaint's;
// nothing is drawn or pushed while the window is hidden or minimised; the whole surface goes out when the
// screen's copy may differ from the back buffer elsewhere.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlHost.h"
#include "ImageFiles.h"
#include "PresentCounter.h"
#include "RectExpectations.h"
#include "SkinDialogFixture.h"
#include "SkinTestSupport.h"
#include "skin/IxSkinSliderListener.h"
#include "skin/SkinGraphics.h"
#include "skin/SkinSlider.h"

using namespace oc::test;

namespace {

constexpr Gdiplus::ARGB kBlue = 0xFF0000FF;
constexpr Gdiplus::ARGB kRed = 0xFFFF0000;
constexpr UINT kShowValue = 2040; // a layer message: the box shows the value in lParam

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// A value box: a translucent fill whose colour follows the value it is sent, counting its paints.
class ValueBox : public CLayerWnd {
public:
    void DrawChildren(CDC* dc, const RECT*) override {
        ++paints;
        CxSkinGraphics g(dc->GetSafeHdc());
        Gdiplus::SolidBrush brush{Gdiplus::Color(0x80, static_cast<BYTE>(value * 2), 0x40, 0xC0)};
        g->FillRectangle(&brush, 0, 0, GetWidth(), GetHeight());
    }
    LRESULT OnLayerMessage(UINT msg, LPARAM lParam) override {
        if (msg != kShowValue)
            return 0;
        value = static_cast<int>(lParam);
        Invalidate(FALSE);
        return 1;
    }
    int value = 0;
    int paints = 0;
};

// Like a page's handler: the slider's change is written, and its value box is refreshed by a queued message.
class QueuingHandler : public IxSkinListener, public IxSkinSliderListener {
public:
    void Release() override {}
    int OnSliderChanged(const std::wstring&, float value, int) override {
        if (box)
            box->PostMessage(kShowValue, reinterpret_cast<WPARAM>(static_cast<CLayerWnd*>(box)),
                             static_cast<LPARAM>(value));
        return 1;
    }
    ValueBox* box = nullptr;
};

const ImageFiles& TestImages() {
    static const ImageFiles images({{L"bar", 210, 10, kBlue}, {L"thumb", 10, 20, kRed}});
    return images;
}

class PresentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(presents.IsHooked());
        ASSERT_TRUE(OpenDialog(dialog));
        hwnd = dialog.GetSafeHwnd();
        dialog.SetListener(&handler);
        box = AddProbe<ValueBox>(&dialog, {60, 120, 160, 160});
        handler.box = box;
    }

    CxSkinSlider* MakeSlider() {
        auto* slider = new CxSkinSlider;
        slider->SetName(L"level");
        slider->SetParent(&dialog);
        slider->SetLeft(40);
        slider->SetTop(50);
        slider->SetWidth(210);
        slider->SetHeight(20);
        slider->SetOrientation(1);
        slider->SetBarNormalImage(TestImages()[L"bar"]);
        slider->SetThumbNormalImage(TestImages()[L"thumb"]);
        slider->SetPositionField(50);
        EXPECT_EQ(slider->Create(), TRUE);
        return slider;
    }
    // The back buffer over the area is what a repaint of the whole window makes of it.
    void ExpectAreaIsAFullRepaints(const RECT& area) {
        const std::vector<uint32_t> pushed = AreaPixels(dialog, area);
        dialog.Update();
        EXPECT_EQ(FirstDifference(pushed, AreaPixels(dialog, area)), -1);
    }

    PresentCounter presents; // counts from before the window exists
    QueuingHandler handler;
    TestDialog dialog;
    ValueBox* box = nullptr;
    HWND hwnd = nullptr;
};

TEST_F(PresentTest, ASliderMoveAndTheRefreshItQueuesCostOnePresentOfTheirArea) {
    auto* slider = MakeSlider();
    Pump();
    const RECT thumb = slider->GetThumbRect();
    POINT at{40 + (thumb.left + thumb.right) / 2, 50 + 10};
    Deliver(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(at.x, at.y));
    Pump();
    RECT changed;
    const RECT sliderArea = slider->GetRectInHost(), boxArea = box->GetRectInHost();
    ::UnionRect(&changed, &sliderArea, &boxArea);
    for (int move = 0; move < 5; ++move) {
        SCOPED_TRACE(move);
        presents.Clear();
        const int paints = box->paints;
        at.x += 8;
        Deliver(hwnd, WM_MOUSEMOVE, MK_LBUTTON, PointParam(at.x, at.y));
        Pump();
        const auto pushed = presents.Presents(hwnd);
        ASSERT_EQ(pushed.size(), 1u);
        EXPECT_EQ(pushed[0].dirty, changed); // the slider and its box, not the window
        EXPECT_EQ(box->paints, paints + 1);
        EXPECT_EQ(box->value, static_cast<int>(slider->GetPos()));
    }
    ExpectAreaIsAFullRepaints(changed);
    Deliver(hwnd, WM_LBUTTONUP, 0, PointParam(at.x, at.y));
}

TEST_F(PresentTest, NothingIsDrawnOrPushedWhileTheWindowIsHiddenOrMinimised) {
    const struct {
        const char* name;
        int hide, show;
        bool whole; // the window's whole picture goes out again
    } cases[] = {{"hidden", SW_HIDE, SW_SHOW, false}, {"minimised", SW_MINIMIZE, SW_RESTORE, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dialog.CWnd::ShowWindow(c.hide);
        Pump();
        presents.Clear();
        box->paints = 0;
        for (int value = 1; value <= 3; ++value) {
            box->PostMessage(kShowValue, reinterpret_cast<WPARAM>(static_cast<CLayerWnd*>(box)), value * 40);
            Pump();
        }
        EXPECT_EQ(presents.Count(hwnd), 0);
        EXPECT_EQ(box->paints, 0);

        // Showing paints what waited, once, and pushes it.
        dialog.CWnd::ShowWindow(c.show);
        Pump();
        const auto pushed = presents.Presents(hwnd);
        ASSERT_EQ(pushed.size(), 1u);
        if (c.whole)
            EXPECT_TRUE(::IsRectEmpty(&pushed[0].dirty));
        else
            EXPECT_EQ(pushed[0].dirty, box->GetRectInHost());
        EXPECT_EQ(box->paints, 1);
        ExpectAreaIsAFullRepaints(box->GetRectInHost());
    }
}

TEST_F(PresentTest, TheWholeSurfaceGoesOutWhenTheScreensCopyMayDifferElsewhere) {
    const struct {
        const char* name;
        void (*change)(TestDialog&);
    } cases[] = {
        {"another constant alpha", [](TestDialog& d) { d.CLayerDialog::SetTransparency(30); }},
        {"a new surface", [](TestDialog& d) { d.Create(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Pump();
        box->Invalidate(FALSE);
        Pump();
        presents.Clear();
        c.change(dialog);
        box->Invalidate(FALSE);
        Pump();
        box->Invalidate(FALSE);
        Pump();
        const auto pushed = presents.Presents(hwnd);
        ASSERT_GE(pushed.size(), 2u);
        EXPECT_TRUE(::IsRectEmpty(&pushed.front().dirty));         // everything once
        EXPECT_EQ(pushed.back().dirty, box->GetRectInHost()); // then the area alone again
    }
}

} // namespace
