// The panel container: wheel paging within the scroll range and its notice, scrolling that moves the child
// controls in even steps, the paint of its background and children (plainly, from a snapshot, or faded),
// and what passes through it (presses, listener lookup).
#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

#include "ControlHost.h"
#include "SkinDialogFixture.h"
#include "SkinTestSupport.h"
#include "skin/IxSkinPanelListener.h"
#include "skin/SkinGraphics.h"
#include "skin/SkinPanel.h"

using namespace Gdiplus;
using namespace oc::test;

namespace {

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kGreen = 0xFF00FF00;

// A control that paints itself in one colour. As an animated layer it is invalidated at every scroll step
// and logs where it stands then.
class Swatch : public CxSkinCtrl {
public:
    explicit Swatch(uint32_t color = kBlue, bool animated = false) : m_color(color), m_animated(animated) {}
    void DrawChildren(CDC* dc, const RECT* /*clip*/) override {
        ++m_draws;
        CxSkinGraphics graphics(dc->GetSafeHdc());
        SolidBrush brush{Color(m_color)};
        graphics->FillRectangle(&brush, 0, 0, GetWidth(), GetHeight());
    }
    BOOL IsAnimated() const override { return m_animated; }
    void InvalidateRect(const RECT& rect, BOOL erase) override {
        if (m_animated)
            m_tops.push_back(GetRect().top);
        CxSkinCtrl::InvalidateRect(rect, erase);
    }

    std::vector<LONG> m_tops;
    int m_draws = 0;

private:
    uint32_t m_color;
    bool m_animated;
};

class PanelListener : public IxSkinListener, public IxSkinPanelListener {
public:
    void Release() override { ++m_releases; }
    int OnPanelNotify(BOOL vertical, int position) override {
        m_notices.emplace_back(vertical != FALSE, position);
        return 0;
    }
    std::vector<std::pair<bool, int>> m_notices;
    int m_releases = 0;
};

// A control under a parent skin object, made the markup's way: parent, design rectangle, then Create.
template <class Control, class... Args>
Control* Make(IxSkinObject* parent, int left, int top, int width, int height, Args&&... args) {
    auto* control = new Control(std::forward<Args>(args)...);
    control->SetParent(parent);
    control->SetLeft(left);
    control->SetTop(top);
    control->SetWidth(width);
    control->SetHeight(height);
    static_cast<IxSkinObject*>(static_cast<CxSkinObject*>(control))->Create();
    return control;
}

IxSkinObject* AsParent(CxSkinPanel* panel) {
    return static_cast<CxSkinObject*>(panel);
}

constexpr short kTowardsUser = -WHEEL_DELTA;
constexpr short kAway = WHEEL_DELTA;

TEST(SkinPanel, WheelPagesWithinTheRangeAndTellsTheListener) {
    PanelListener listener;
    ControlHost host;
    auto* panel = host.Place(new CxSkinPanel, 20, 10, 100, 60);
    panel->Create();
    panel->SetListener(&listener);
    panel->SetScrollSize(100, TRUE);
    panel->SetPageSize(40, TRUE);
    const POINT inside{50, 40};

    const struct {
        short delta;
        BOOL taken;
        int position;
    } turns[] = {{kTowardsUser, TRUE, 40},
                 {kTowardsUser, TRUE, 80},
                 {kTowardsUser, TRUE, 100},
                 {kTowardsUser, FALSE, 100},
                 {kAway, TRUE, 60}};
    for (const auto& turn : turns) {
        EXPECT_EQ(panel->OnMouseWheel(0, turn.delta, inside), turn.taken);
        EXPECT_EQ(panel->GetScrollPos(TRUE), turn.position);
        EXPECT_EQ(panel->GetAppliedOffset().y, turn.position);
    }
    const std::vector<std::pair<bool, int>> expected{{true, 40}, {true, 80}, {true, 100}, {true, 60}};
    EXPECT_EQ(listener.m_notices, expected);

    // The horizontal axis scrolls when the vertical one cannot.
    panel->SetScrollSize(0, TRUE);
    panel->SetScrollSize(50, FALSE);
    panel->SetPageSize(20, FALSE);
    EXPECT_TRUE(panel->OnMouseWheel(0, kTowardsUser, inside));
    EXPECT_EQ(panel->GetScrollPos(FALSE), 20);
    EXPECT_EQ(listener.m_notices.back(), std::make_pair(false, 20));

    // Negative sizes: a scroll size stops the axis, a page is refused.
    panel->SetPageSize(-5, FALSE);
    EXPECT_EQ(panel->GetPageSize(FALSE), 20);
    panel->SetScrollSize(-5, FALSE);
    EXPECT_EQ(panel->GetScrollSize(FALSE), 0);
    EXPECT_FALSE(panel->OnMouseWheel(0, kTowardsUser, inside));
    panel->SetListener(nullptr);
    EXPECT_EQ(listener.m_releases, 1);
}

TEST(SkinPanel, WheelOutsideOrOnAHiddenOrDisabledPanelIsNotTaken) {
    const struct {
        const char* what;
        POINT point;
        bool hide, disableParent;
    } cases[] = {
        {"outside", {150, 80}, false, false},
        {"hidden", {50, 40}, true, false},
        {"disabled ancestor", {50, 40}, false, true},
    };
    for (const auto& c : cases) {
        ControlHost host;
        auto* outer = host.Place(new CxSkinPanel, 0, 0, 200, 100);
        outer->Create();
        auto* panel = Make<CxSkinPanel>(AsParent(outer), 20, 10, 100, 60);
        panel->SetScrollSize(100, TRUE);
        panel->SetPageSize(40, TRUE);
        if (c.hide)
            panel->SetVisible(FALSE, FALSE);
        if (c.disableParent)
            outer->Enable(FALSE, FALSE);
        EXPECT_FALSE(panel->OnMouseWheel(0, kTowardsUser, c.point)) << c.what;
        EXPECT_EQ(panel->GetScrollPos(TRUE), 0) << c.what;
    }
}

TEST(SkinPanel, AnInnerPanelTakesTheWheelBeforeItsContainer) {
    ControlHost host;
    auto* outer = host.Place(new CxSkinPanel, 0, 0, 200, 100);
    outer->Create();
    outer->SetScrollSize(100, TRUE);
    outer->SetPageSize(10, TRUE);
    auto* inner = Make<CxSkinPanel>(AsParent(outer), 20, 10, 100, 60);
    inner->SetScrollSize(100, TRUE);
    inner->SetPageSize(30, TRUE);
    EXPECT_TRUE(host.m_root.OnMouseWheel(0, kTowardsUser, {50, 40}));
    EXPECT_EQ(inner->GetScrollPos(TRUE), 30);
    EXPECT_EQ(outer->GetScrollPos(TRUE), 0);
    // Outside the inner panel the outer one scrolls.
    EXPECT_TRUE(host.m_root.OnMouseWheel(0, kTowardsUser, {150, 90}));
    EXPECT_EQ(outer->GetScrollPos(TRUE), 10);
}

TEST(SkinPanel, ScrollMovesEveryChildControlInEvenStepsThatAddUpExactly) {
    ControlHost host;
    auto* panel = host.Place(new CxSkinPanel, 0, 0, 200, 100);
    panel->Create();
    panel->SetScrollSize(100, TRUE);
    panel->SetPageSize(40, TRUE);
    auto* tracked = Make<Swatch>(AsParent(panel), 10, 60, 30, 20, kBlue, true);
    auto* rotated = Make<Swatch>(AsParent(panel), 100, 40, 40, 10);
    rotated->SetRotation(90, FALSE);
    const RECT rotatedBefore = rotated->GetRect(), designBefore = rotated->GetDesignRect();
    auto* bare = new CLayerWnd;
    bare->Create({150, 50, 160, 60}, panel, 0);

    panel->SetScrollPos(50, TRUE, TRUE);
    ASSERT_EQ(tracked->m_tops.size(), 20u);
    LONG previous = 60;
    for (LONG top : tracked->m_tops) {
        const LONG step = previous - top;
        EXPECT_TRUE(step == 2 || step == 3) << step;
        previous = top;
    }
    EXPECT_EQ(tracked->GetRect().top, 10);
    EXPECT_EQ(panel->GetAppliedOffset().y, 50);
    // A transformed control is painted at its design rectangle: both move.
    EXPECT_EQ(rotated->GetRect().top, rotatedBefore.top - 50);
    EXPECT_EQ(rotated->GetDesignRect().top, designBefore.top - 50);
    EXPECT_EQ(bare->GetRect().top, 50);

    // Without animation it is one step; a position beyond the range is taken, and a page step clamps it.
    tracked->m_tops.clear();
    panel->SetScrollPos(300, TRUE, FALSE);
    EXPECT_EQ(tracked->m_tops, std::vector<LONG>{-240});
    EXPECT_EQ(panel->GetScrollPos(TRUE), 300);
    EXPECT_TRUE(panel->ScrollPageForward(TRUE));
    EXPECT_EQ(panel->GetScrollPos(TRUE), 100);
    EXPECT_EQ(tracked->GetRect().top, -40);
    EXPECT_TRUE(panel->ScrollPageBack(TRUE));
    EXPECT_TRUE(panel->ScrollPageBack(TRUE));
    EXPECT_TRUE(panel->ScrollPageBack(TRUE));
    EXPECT_FALSE(panel->ScrollPageBack(TRUE));
    EXPECT_EQ(tracked->GetRect().top, 60);
    EXPECT_EQ(bare->GetRect().top, 50);
}

TEST(SkinPanel, FarOffScrollTargetsSaturateInsteadOfWrapping) {
    ControlHost host;
    auto* panel = host.Place(new CxSkinPanel, 0, 0, 200, 100);
    panel->Create();
    auto* child = Make<Swatch>(AsParent(panel), 10, 10, 20, 20);
    panel->SetScrollPos(INT_MAX, TRUE, TRUE);
    panel->SetScrollPos(INT_MIN, TRUE, FALSE);
    EXPECT_EQ(panel->GetAppliedOffset().y, INT_MIN);
    const RECT rect = child->GetRect();
    EXPECT_LE(rect.top, rect.bottom);
}

TEST(SkinPanel, PaintsItsBackgroundUnderItsChildrenAndClipsThemToItsArea) {
    ControlHost host;
    auto* panel = host.Place(new CxSkinPanel, 20, 10, 100, 60);
    panel->Create();
    panel->SetBackgroundImage(SolidImage(100, 60, kRed));
    Make<Swatch>(AsParent(panel), 0, 0, 30, 30, kBlue);
    // Below the panel's area until scrolled: not drawn at all, as a card scrolled out of a long strip.
    auto* below = Make<Swatch>(AsParent(panel), 40, 70, 30, 30, kBlue);
    // Drawn after the panel, outside it: the panel's clip has to be gone by then.
    host.Place(new Swatch(kGreen), 130, 10, 20, 20)->Create();
    host.Paint();
    EXPECT_EQ(below->m_draws, 0);
    EXPECT_TRUE(NearColor(host.At(25, 15), kBlue));
    EXPECT_TRUE(NearColor(host.At(100, 50), kRed));
    EXPECT_TRUE(NearColor(host.At(150, 50), kHostGrey));
    EXPECT_TRUE(NearColor(host.At(140, 20), kGreen));

    // Scrolled by 20 the child's lower part remains; what went above the panel is not drawn.
    panel->SetScrollPos(20, TRUE, FALSE);
    host.Paint();
    EXPECT_TRUE(NearColor(host.At(25, 15), kBlue));
    EXPECT_TRUE(NearColor(host.At(25, 25), kRed));
    EXPECT_TRUE(NearColor(host.At(25, 5), kHostGrey));
    EXPECT_EQ(below->m_draws, 1);
    EXPECT_TRUE(NearColor(host.At(70, 65), kBlue));
}

// A panel inside a panel (a list's row) that lies wholly outside its container, below or scrolled above it,
// paints nothing at all: its clip is empty, not missing.
TEST(SkinPanel, ARowWhollyOutsideItsListPaintsNothing) {
    ControlHost host;
    auto* list = host.Place(new CxSkinPanel, 20, 20, 100, 40);
    list->Create();
    auto* shown = Make<CxSkinPanel>(AsParent(list), 0, 5, 100, 20);
    Make<Swatch>(AsParent(shown), 0, 0, 100, 20, kGreen);
    auto* below = Make<CxSkinPanel>(AsParent(list), 0, 45, 100, 25);
    Make<Swatch>(AsParent(below), 0, 0, 100, 25, kBlue);
    host.Paint();
    EXPECT_TRUE(NearColor(host.At(50, 35), kGreen));
    EXPECT_TRUE(NearColor(host.At(50, 75), kHostGrey)) << "the row below the list shows under it";

    // Scrolled by 40 the shown row has gone above the list, and the one below has come into it.
    list->SetScrollSize(40, TRUE);
    list->SetScrollPos(40, TRUE, FALSE);
    host.Paint();
    EXPECT_TRUE(NearColor(host.At(50, 2), kHostGrey)) << "the row scrolled out shows above the list";
    EXPECT_TRUE(NearColor(host.At(50, 35), kBlue));
}

TEST(SkinPanel, CapturedBackgroundWinsOverTheImage) {
    ControlHost host;
    auto* panel = host.Place(new CxSkinPanel, 20, 10, 100, 60);
    panel->Create();
    host.Paint();
    // Without an image nothing is captured.
    panel->CaptureBackground(host.m_root.GetMemDC());
    EXPECT_EQ(panel->GetBackgroundSnapshot().GetDC(), nullptr);

    panel->SetBackgroundImage(SolidImage(100, 60, kRed));
    panel->CaptureBackground(host.m_root.GetMemDC());
    ASSERT_NE(panel->GetBackgroundSnapshot().GetDC(), nullptr);
    panel->SetBackgroundImage(SolidImage(100, 60, kGreen));
    host.Paint();
    EXPECT_TRUE(NearColor(host.At(70, 40), kRed));
}

TEST(SkinPanel, FadingPanelIsPresentedThroughItsOpacity) {
    ControlHost host;
    auto* panel = host.Place(new CxSkinPanel, 20, 10, 100, 60);
    panel->Create();
    panel->SetBackgroundImage(SolidImage(100, 60, kRed));
    Matrix identity;
    panel->SetAnimationMatrix(&identity);
    panel->SetFade(50);
    host.Paint();
    const uint32_t half = host.At(70, 40);
    panel->SetFade(0);
    host.Paint();
    const uint32_t whole = host.At(70, 40);
    panel->SetAnimationMatrix(nullptr);
    EXPECT_TRUE(NearColor(half, OverGrey(kRed, 0.5), 8)) << std::hex << half;
    EXPECT_TRUE(NearColor(whole, kRed)) << std::hex << whole;
}

TEST(SkinPanel, IsFoundAsTheListenerOfItsControlsAndPassesPressesOn) {
    PanelListener listener;
    TestDialog dialog;
    ASSERT_TRUE(OpenDialog(dialog));
    auto* panel = Make<CxSkinPanel>(static_cast<CxSkinObject*>(&dialog), 20, 10, 100, 60);
    EXPECT_STREQ(panel->GetRuntimeClass()->m_lpszClassName, L"CxSkinPanel");
    panel->SetListener(&listener);
    auto* child = Make<Swatch>(AsParent(panel), 10, 10, 30, 30);
    EXPECT_EQ(child->FindListener(), &listener);

    // A press over the child reaches the child; one on the bare panel leaves no capture behind.
    panel->OnLButtonDown(MK_LBUTTON, {20, 20});
    EXPECT_EQ(dialog.GetCaptureLayer(), child);
    dialog.SetCaptureLayer(nullptr);
    panel->OnLButtonDown(MK_LBUTTON, {80, 50});
    EXPECT_EQ(dialog.GetCaptureLayer(), nullptr);
    EXPECT_NE(dialog.GetFocusLayer(), panel);
    dialog.DestroyWindow();
}

} // namespace
