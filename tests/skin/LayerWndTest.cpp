// The layer tree on a fake host: dispatch order, hover, hit testing, invalidation, destruction and the
// show/hide animation run.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "LayerTestTree.h"
#include "framework/DC.h"
#include "skin/LayerAnimation.h"

using namespace oc::test;

namespace {

bool Has(const EventLog& log, const std::wstring& entry) {
    return std::find(log.begin(), log.end(), entry) != log.end();
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class LayerTree : public ::testing::Test {
protected:
    EventLog log;
    FakeRoot root;
};

TEST_F(LayerTree, OverlappingChildrenClickTheLaterHoverBoth) {
    AddLayer(&root, {10, 10, 60, 60}, &log, L"A");
    AddLayer(&root, {40, 40, 90, 90}, &log, L"B");

    root.OnLButtonDown(0, {50, 50});
    EXPECT_EQ(log, (EventLog{L"B down 10,10"})); // the later child only, in its own coordinates

    log.clear();
    root.OnMouseMove(0, {50, 50});
    EXPECT_TRUE(root.GetChild(0)->IsHovered());
    EXPECT_TRUE(root.GetChild(1)->IsHovered());
    EXPECT_EQ(log, (EventLog{L"B move 10,10", L"A move 40,40"})); // last to first

    log.clear();
    root.OnMouseMove(0, {20, 20}); // still on A, off B
    EXPECT_TRUE(Has(log, L"B out"));
    EXPECT_FALSE(root.GetChild(1)->IsHovered());
    EXPECT_TRUE(root.GetChild(0)->IsHovered());
}

TEST_F(LayerTree, HiddenChildIsNeitherPaintedNorHit) {
    auto* under = AddLayer(&root, {0, 0, 100, 100}, &log, L"under");
    auto* hidden = AddLayer(&root, {0, 0, 100, 100}, &log, L"hidden");
    hidden->SetVisible(FALSE, FALSE);

    root.OnLButtonDown(0, {5, 5});
    EXPECT_EQ(log, (EventLog{L"under down 5,5"}));
    EXPECT_EQ(root.LayerFromPoint({5, 5}), under);

    log.clear();
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    root.DrawChildren(&dc, nullptr);
    EXPECT_EQ(log, (EventLog{L"under paint"}));
    EXPECT_EQ(dc.GetViewportOrg().x, 0); // every origin change was undone

    log.clear();
    const RECT elsewhere{200, 200, 300, 300};
    root.DrawChildren(&dc, &elsewhere); // a clip that misses the child
    EXPECT_TRUE(log.empty());
}

TEST_F(LayerTree, ChildOfDisabledContainerGetsNoClick) {
    auto* panel = AddLayer(&root, {0, 0, 200, 200}, &log, L"panel", true);
    auto* button = AddLayer(panel, {10, 10, 50, 50}, &log, L"button");
    panel->SetEnabled(FALSE);
    root.OnLButtonDown(0, {20, 20});
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(button->IsEnabled(FALSE));
    EXPECT_FALSE(button->IsEnabled(TRUE));

    panel->SetEnabled(TRUE);
    root.OnLButtonDown(0, {20, 20});
    EXPECT_EQ(log, (EventLog{L"panel down 20,20", L"button down 10,10"}));
}

TEST_F(LayerTree, DestroyingALayerClearsTheHostPointersAndItsParentsList) {
    auto* panel = AddLayer(&root, {0, 0, 200, 200}, &log, L"panel", true);
    auto* focus = AddLayer(panel, {0, 0, 10, 10}, &log, L"focus");
    auto* capture = AddLayer(panel, {20, 0, 30, 10}, &log, L"capture");
    auto* keep = AddLayer(&root, {300, 0, 310, 10}, &log, L"keep");
    focus->SetFocus();
    capture->SetCapture();
    EXPECT_EQ(root.GetFocusLayer(), focus);

    delete focus; // by its owner, not its parent
    EXPECT_EQ(root.GetFocusLayer(), nullptr);
    EXPECT_EQ(panel->GetChildCount(), 1);
    EXPECT_EQ(root.GetCaptureLayer(), capture);

    root.m_hovered = keep;
    root.RemoveChild(panel);
    root.AddChild(panel);
    root.DestroyChildren(); // the whole tree, children before parents' lists go
    EXPECT_EQ(root.GetCaptureLayer(), nullptr);
    EXPECT_EQ(root.m_hovered, nullptr);
    EXPECT_EQ(root.GetChildCount(), 0);
    EXPECT_TRUE(Has(log, L"capture destroyed"));
    EXPECT_TRUE(Has(log, L"panel destroyed"));
}

TEST_F(LayerTree, VisibilityAndChildAccess) {
    auto* a = AddLayer(&root, {10, 20, 30, 40}, &log, L"a");
    auto* b = AddLayer(&root, {0, 0, 5, 5}, &log, L"b");

    a->SetVisible(TRUE, TRUE); // unchanged: no redraw
    EXPECT_TRUE(root.m_invalidated.empty());
    a->ShowWindow(1); // only 5 shows
    EXPECT_FALSE(a->IsVisible());
    ASSERT_EQ(root.m_invalidated.size(), 1u);
    EXPECT_TRUE(SameRect(root.m_invalidated[0], {10, 20, 30, 40})); // offset into the root's coordinates
    a->ShowWindow(SW_SHOW);
    EXPECT_TRUE(a->IsVisible());

    EXPECT_EQ(root.GetChild(-1), nullptr);
    EXPECT_EQ(root.GetChild(2), nullptr);
    EXPECT_EQ(root.GetFirstChild(), a);
    EXPECT_EQ(root.GetNextChild(a), b);
    EXPECT_EQ(root.GetNextChild(b), nullptr);
    EXPECT_EQ(a->GetNextSibling(), b);
    root.RemoveChild(a);
    root.RemoveChild(a); // absent: nothing
    EXPECT_EQ(root.GetChildCount(), 1);
    root.AddChild(a);
}

TEST_F(LayerTree, InvalidationTravelsUpInParentCoordinates) {
    auto* panel = AddLayer(&root, {100, 50, 300, 250}, &log, L"panel", true);
    auto* button = AddLayer(panel, {10, 20, 40, 30}, &log, L"button");
    button->Invalidate(FALSE);
    ASSERT_EQ(root.m_invalidated.size(), 1u);
    EXPECT_TRUE(SameRect(root.m_invalidated[0], {110, 70, 140, 80}));
    EXPECT_TRUE(SameRect(button->GetRectInHost(), {110, 70, 140, 80}));
    EXPECT_TRUE(SameRect(root.GetRectInHost(), {0, 0, 400, 300}));
}

TEST_F(LayerTree, SearchesDescendIntoContainers) {
    auto* panel = AddLayer(&root, {100, 100, 200, 200}, &log, L"panel", true);
    auto* inner = AddLayer(panel, {10, 10, 20, 20}, &log, L"inner");
    auto* animated = AddLayer(panel, {30, 30, 40, 40}, &log, L"animated");
    animated->m_animated = true;

    EXPECT_EQ(root.LayerFromPoint({115, 115}), inner);
    EXPECT_EQ(root.LayerFromPoint({150, 150}), nullptr); // a container alone is never the answer
    EXPECT_TRUE(root.ChildFromPoint({150, 150}, TRUE));
    EXPECT_FALSE(root.ChildFromPoint({150, 150}, FALSE));
    EXPECT_TRUE(root.IsDescendant(inner));
    EXPECT_FALSE(panel->IsDescendant(&root));

    std::vector<CLayerWnd*> collected;
    root.CollectChildren(collected);
    EXPECT_EQ(collected, std::vector<CLayerWnd*>{animated});

    inner->SetHovered(TRUE);
    root.ResetChildStates();
    EXPECT_FALSE(inner->IsHovered());
}

TEST_F(LayerTree, WheelStopsAtTheFirstTaker) {
    AddLayer(&root, {0, 0, 10, 10}, &log, L"first")->m_wheelAnswer = true;
    AddLayer(&root, {0, 0, 10, 10}, &log, L"second");
    EXPECT_TRUE(root.OnMouseWheel(0, 120, {5, 5}));
    EXPECT_EQ(log, (EventLog{L"second wheel", L"first wheel"}));
    log.clear();
    root.SetEnabled(FALSE);
    EXPECT_FALSE(root.OnMouseWheel(0, 120, {5, 5}));
    EXPECT_TRUE(log.empty());
}

// An animation that records what the layer tree showed it.
struct AnimationProbe {
    static inline int frames = 3;
    static inline std::vector<float> steps;
    static inline std::vector<bool> blockedDuringFrames;
    static inline int direction = -1, effect = -1;
    static inline bool throwAtSecond = false;
    static inline CLayerWnd* root = nullptr;
};

class FakeAnimation : public ILayerAnimation {
public:
    int Prepare(CLayerWnd* /*layer*/, int direction, int effect) override {
        AnimationProbe::direction = direction;
        AnimationProbe::effect = effect;
        return AnimationProbe::frames;
    }
    void ApplyFrame(float step) override {
        AnimationProbe::steps.push_back(step);
        AnimationProbe::blockedDuringFrames.push_back(AnimationProbe::root->IsInputBlocked());
        if (AnimationProbe::throwAtSecond && AnimationProbe::steps.size() == 2)
            throw std::runtime_error("frame failed");
    }
};

class AnimationRun : public LayerTree {
protected:
    void SetUp() override {
        AnimationProbe::steps.clear();
        AnimationProbe::blockedDuringFrames.clear();
        AnimationProbe::throwAtSecond = false;
        AnimationProbe::root = &root;
        SetLayerAnimationFactory(
            []() -> std::unique_ptr<ILayerAnimation> { return std::make_unique<FakeAnimation>(); });
    }
    void TearDown() override { SetLayerAnimationFactory(nullptr); }
};

TEST_F(AnimationRun, StepsEveryFrameWithInputBlockedThenUnblocks) {
    auto* panel = AddLayer(&root, {0, 0, 100, 100}, &log, L"panel", true);
    auto* animated = AddLayer(panel, {0, 0, 10, 10}, &log, L"item");
    animated->m_animated = true;
    panel->SetAnimationMode(1);

    panel->RunAnimation(TRUE);
    EXPECT_EQ(AnimationProbe::steps, (std::vector<float>{1.0f / 3, 2.0f / 3, 1.0f}));
    EXPECT_EQ(AnimationProbe::blockedDuringFrames, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(AnimationProbe::direction, 0);
    EXPECT_EQ(AnimationProbe::effect, 2);     // showing always fades
    EXPECT_EQ(root.m_invalidated.size(), 3u); // the animated layer, once per frame
    EXPECT_FALSE(root.IsInputBlocked());
    EXPECT_FALSE(panel->IsAnimationRunning());

    panel->RunAnimation(FALSE);
    EXPECT_EQ(AnimationProbe::direction, 1);
    EXPECT_EQ(AnimationProbe::effect, 1); // hiding uses the layer's own mode
}

TEST_F(AnimationRun, InputIsUnblockedOnEveryExit) {
    auto* panel = AddLayer(&root, {0, 0, 100, 100}, &log, L"panel", true);
    AnimationProbe::throwAtSecond = true;
    EXPECT_THROW(panel->RunAnimation(TRUE), std::runtime_error);
    EXPECT_FALSE(root.IsInputBlocked());
    EXPECT_FALSE(panel->IsAnimationRunning());

    SetLayerAnimationFactory(nullptr); // no animation module at all
    panel->RunAnimation(TRUE);
    EXPECT_FALSE(root.IsInputBlocked());
}

TEST_F(AnimationRun, InvalidationDuringARunCoversTheStartArea) {
    auto* panel = AddLayer(&root, {10, 10, 110, 110}, &log, L"panel", true);
    struct Mover : ILayerAnimation {
        CLayerWnd* layer = nullptr;
        int Prepare(CLayerWnd* l, int, int) override {
            layer = l;
            return 1;
        }
        void ApplyFrame(float) override {
            layer->MoveTo(50, 50);
            layer->Invalidate(FALSE);
        }
    };
    SetLayerAnimationFactory([]() -> std::unique_ptr<ILayerAnimation> { return std::make_unique<Mover>(); });
    panel->RunAnimation(TRUE);
    ASSERT_FALSE(root.m_invalidated.empty());
    EXPECT_TRUE(SameRect(root.m_invalidated.back(), {10, 10, 110, 110}));
}

} // namespace
