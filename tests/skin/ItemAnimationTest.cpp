// The key-frame animation: track interpolation, the zoom and fade effects frame by frame on a layer, and
// whole show and hide runs driven by the layer tree.
#include <gtest/gtest.h>

#include <stdexcept>

#include "LayerTestTree.h"
#include "SkinTestSupport.h"
#include "skin/ItemAnimation.h"
#include "skin/ItemAnimationEffect.h"

using namespace oc::test;

namespace {

constexpr float kNoKeyDefault = -1.0f;

TEST(KeyFrameTrack, InterpolatesLinearlyBetweenKeys) {
    const std::vector<KeyFrame> twoKeys{{0.0f, 0.0f}, {0.5f, 10.0f}};
    const std::vector<KeyFrame> oneKey{{0.2f, 4.0f}};
    const struct {
        const std::vector<KeyFrame>* keys;
        float fallback;
        float step;
        float expected;
    } cases[] = {
        {&twoKeys, 0, 0.25f, 5.0f},  {&twoKeys, 0, 0.5f, 10.0f},  {&twoKeys, 0, 0.75f, 10.0f},
        {&twoKeys, 0, 1.0f, 10.0f},  {&twoKeys, 0, -3.0f, 0.0f},  {&twoKeys, 0, 7.0f, 10.0f},
        {&oneKey, 1.0f, 0.1f, 2.5f}, {&oneKey, 1.0f, 0.6f, 4.0f}, {&oneKey, 1.0f, 0.0f, 1.0f},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(CKeyFrameSet::Interpolate(*c.keys, c.step, c.fallback), c.expected) << c.step;
    EXPECT_EQ(CKeyFrameSet::Interpolate({}, 0.3f, kNoKeyDefault), kNoKeyDefault);
}

TEST(KeyFrameTrack, KeysStaySortedAndOutOfRangeStepsAreIgnored) {
    CKeyFrameSet keys(nullptr);
    for (float step : {0.7f, 0.1f, 1.5f, -0.1f, 0.4f, 0.1f})
        keys.AddKey(CKeyFrameSet::kRotation, step, step * 10);
    keys.AddKey(CKeyFrameSet::kRotation, 0.4f, 99.0f); // a step already held: the later value wins
    const auto& track = keys.GetKeys(CKeyFrameSet::kRotation);
    ASSERT_EQ(track.size(), 3u);
    EXPECT_FLOAT_EQ(track[0].step, 0.1f);
    EXPECT_FLOAT_EQ(track[1].value, 99.0f);
    EXPECT_FLOAT_EQ(track[2].step, 0.7f);
    // Empty tracks answer their defaults; the position defaults to where the layer was bound.
    FakeRoot root;
    auto* layer = AddLayer(&root, {12, 34, 50, 60}, nullptr, L"item");
    keys.Bind(layer);
    EXPECT_FLOAT_EQ(keys.ValueAt(CKeyFrameSet::kPosX, 0.5f), 12.0f);
    EXPECT_FLOAT_EQ(keys.ValueAt(CKeyFrameSet::kPosY, 0.5f), 34.0f);
    EXPECT_FLOAT_EQ(keys.ValueAt(CKeyFrameSet::kScaleX, 0.5f), 1.0f);
    EXPECT_FLOAT_EQ(keys.ValueAt(CKeyFrameSet::kRatio, 0.5f), 0.0f);
}

// Records the layer's state after every frame.
struct FrameState {
    POINT pos;
    bool visible;
    bool hasMatrix;
    float scaleX, scaleY;
    int fade;
};

class Effects : public ::testing::Test {
protected:
    // Runs the effect on the layer the way the layer tree does and returns the state after each frame.
    std::vector<FrameState> Play(int direction, int effect) {
        CItemAnimation animation;
        const int frames = animation.Prepare(layer, direction, effect);
        std::vector<FrameState> states;
        for (int i = 1; i <= frames; ++i) {
            animation.ApplyFrame(static_cast<float>(i) / static_cast<float>(frames));
            FrameState s{layer->GetPos(), layer->IsVisible() != FALSE, layer->GetAnimationMatrix() != nullptr, 1, 1,
                         layer->GetFade()};
            if (Gdiplus::Matrix* m = layer->GetAnimationMatrix()) {
                Gdiplus::REAL e[6];
                m->GetElements(e);
                s.scaleX = e[0];
                s.scaleY = e[3];
            }
            states.push_back(s);
        }
        return states; // the animation is gone: the layer no longer points at its matrix
    }

    FakeRoot root;
    ProbeLayer* layer = AddLayer(&root, {10, 10, 80, 45}, nullptr, L"panel"); // 70 x 35
};

TEST_F(Effects, ZoomInGrowsFromTheCentreAndRestoresTheLayer) {
    layer->SetVisible(FALSE, FALSE);
    const auto states = Play(0, 1);
    ASSERT_EQ(states.size(), 7u);
    EXPECT_TRUE(states[0].visible);
    const FrameState& third = states[2]; // step 3/7
    EXPECT_FLOAT_EQ(third.scaleX, 3.0f / 7.0f);
    EXPECT_FLOAT_EQ(third.scaleY, 3.0f / 7.0f);
    EXPECT_EQ(third.pos.x, 30);
    EXPECT_EQ(third.pos.y, 20);
    for (size_t i = 1; i < states.size(); ++i)
        EXPECT_GT(states[i].scaleX, states[i - 1].scaleX) << i;
    EXPECT_FLOAT_EQ(states.back().scaleX, 1.0f);
    EXPECT_EQ(states.back().pos.x, 10);
    EXPECT_EQ(states.back().pos.y, 10);
    EXPECT_TRUE(states.back().visible);
    EXPECT_EQ(layer->GetAnimationMatrix(), nullptr);
}

TEST_F(Effects, ZoomOutShrinksThenHidesAtTheLastFrame) {
    const auto states = Play(1, 1);
    ASSERT_EQ(states.size(), 7u);
    for (size_t i = 0; i + 1 < states.size(); ++i) {
        EXPECT_TRUE(states[i].visible) << i;
        if (i > 0) {
            EXPECT_LE(states[i].scaleX, states[i - 1].scaleX) << i;
        }
    }
    EXPECT_FLOAT_EQ(states[5].scaleX, states[4].scaleX); // the smallest size is held until the end
    EXPECT_FLOAT_EQ(states[0].scaleX, 6.0f / 7.0f);
    EXPECT_FLOAT_EQ(states[4].scaleX, 2.0f / 7.0f);
    EXPECT_FALSE(states.back().visible);
    EXPECT_EQ(states.back().pos.x, 10); // put back where it was, unseen
    EXPECT_EQ(states.back().pos.y, 10);
}

TEST_F(Effects, FadeInShowsTheLayerAndFallsByFiveAFrame) {
    layer->SetVisible(FALSE, FALSE);
    const auto states = Play(0, 2);
    ASSERT_EQ(states.size(), 20u);
    for (size_t i = 0; i < states.size(); ++i) {
        EXPECT_TRUE(states[i].visible) << i;
        EXPECT_EQ(states[i].fade, 95 - 5 * static_cast<int>(i)) << i;
        EXPECT_FALSE(states[i].hasMatrix);
        EXPECT_EQ(states[i].pos.x, 10);
    }
}

TEST_F(Effects, FadeOutRisesToNinetyThenHides) {
    const auto states = Play(1, 2);
    ASSERT_EQ(states.size(), 20u);
    for (size_t i = 0; i < 18; ++i)
        EXPECT_EQ(states[i].fade, 5 + 5 * static_cast<int>(i)) << i;
    EXPECT_EQ(states[18].fade, 90);
    EXPECT_TRUE(states[18].visible);
    EXPECT_FALSE(states.back().visible);
}

TEST_F(Effects, UnknownEffectKeepsTheFrameCountAndMovesNothing) {
    InitItemAnimationEffect(0, 1);
    layer->SetVisible(FALSE, FALSE);
    const auto states = Play(0, 0);
    ASSERT_EQ(states.size(), 7u);
    for (const FrameState& s : states) {
        EXPECT_EQ(s.pos.x, 10);
        EXPECT_FALSE(s.visible); // no effect: the layer is not shown either
        EXPECT_FALSE(s.hasMatrix);
    }
    EXPECT_FALSE(RunItemAnimationEffect(nullptr, 0, 0));
    EXPECT_FALSE(ApplyItemAnimationRatio(0, 0, layer, 0.5f, 10));
    InitItemAnimationEffect(0, 2);
    EXPECT_EQ(GetItemAnimationFrameCount(), 20);
    EXPECT_FALSE(FadeApplyRatio(0, 2, nullptr, 0.5f, 10));
    EXPECT_FALSE(ZoomEffect(nullptr, 0));
}

TEST_F(Effects, StepsOutsideTheRunAreIgnoredAndEveryFrameInvalidates) {
    CItemAnimation animation;
    animation.Prepare(layer, 0, 2);
    root.m_invalidated.clear();
    for (float step : {-0.1f, 1.1f})
        animation.ApplyFrame(step);
    EXPECT_TRUE(root.m_invalidated.empty());
    EXPECT_EQ(layer->GetFade(), 0);
    animation.ApplyFrame(0.5f);
    EXPECT_EQ(root.m_invalidated.size(), 1u);
    EXPECT_EQ(layer->GetFade(), 50);
    EXPECT_FLOAT_EQ(animation.GetKeyFrames().GetCurrentStep(), 0.5f);
}

// An animation that logs its hooks and what the tree looks like during each frame.
class LoggingAnimation : public CItemAnimation {
public:
    static inline std::vector<std::wstring> log;
    static inline CLayerWnd* root = nullptr;
    static inline int throwAtFrame = -1;

protected:
    void OnFrameBegin(float step) override {
        log.push_back(L"begin " + std::to_wstring(static_cast<int>(step * 100 + 0.5f)) +
                      (root->IsInputBlocked() ? L" blocked" : L" open"));
        if (static_cast<int>(log.size()) / 2 == throwAtFrame)
            throw std::runtime_error("frame failed");
    }
    void OnFrameEnd(float step) override {
        log.push_back(L"end " + std::to_wstring(static_cast<int>(step * 100 + 0.5f)));
    }
};

class Runs : public ::testing::Test {
protected:
    void SetUp() override {
        LoggingAnimation::log.clear();
        LoggingAnimation::root = &root;
        LoggingAnimation::throwAtFrame = -1;
        SetLayerAnimationFactory(
            []() -> std::unique_ptr<ILayerAnimation> { return std::make_unique<LoggingAnimation>(); });
    }
    void TearDown() override { SetLayerAnimationFactory(nullptr); }

    FakeRoot root;
    ProbeLayer* panel = AddLayer(&root, {10, 10, 80, 45}, nullptr, L"panel", true);
};

TEST_F(Runs, ShowFadesInWithInputBlockedAndHooksAroundEveryFrame) {
    panel->SetVisible(FALSE, FALSE);
    panel->RunAnimation(TRUE);
    const auto& log = LoggingAnimation::log;
    ASSERT_EQ(log.size(), 40u);
    EXPECT_EQ(log[0], L"begin 5 blocked");
    EXPECT_EQ(log[1], L"end 5");
    EXPECT_EQ(log[38], L"begin 100 blocked");
    EXPECT_EQ(log[39], L"end 100");
    EXPECT_TRUE(panel->IsVisible());
    EXPECT_EQ(panel->GetFade(), 0);
    EXPECT_FALSE(root.IsInputBlocked());
    EXPECT_FALSE(panel->IsAnimationRunning());
}

TEST_F(Runs, HideZoomsOutAndLeavesTheLayerHiddenInPlace) {
    panel->SetAnimationMode(1);
    root.m_invalidated.clear();
    panel->RunAnimation(FALSE);
    EXPECT_EQ(LoggingAnimation::log.size(), 14u);
    EXPECT_FALSE(panel->IsVisible());
    EXPECT_EQ(panel->GetPos().x, 10);
    EXPECT_EQ(panel->GetAnimationMatrix(), nullptr);
    EXPECT_FALSE(root.IsInputBlocked());
    // While it shrinks, every repaint covers the whole area the panel started in.
    ASSERT_FALSE(root.m_invalidated.empty());
    for (const RECT& r : root.m_invalidated)
        EXPECT_TRUE(r.left == 10 && r.top == 10 && r.right == 80 && r.bottom == 45);
}

TEST_F(Runs, AFailingFrameStillUnblocksInputAndDropsTheMatrix) {
    panel->SetAnimationMode(1);
    LoggingAnimation::throwAtFrame = 3;
    EXPECT_THROW(panel->RunAnimation(FALSE), std::runtime_error);
    EXPECT_FALSE(root.IsInputBlocked());
    EXPECT_EQ(panel->GetAnimationMatrix(), nullptr);
    EXPECT_FALSE(panel->IsAnimationRunning());
}

TEST_F(Runs, RegisteredAnimationIsTheLayerTreesDefault) {
    RegisterItemAnimation();
    panel->SetVisible(FALSE, FALSE);
    panel->RunAnimation(TRUE);
    EXPECT_TRUE(LoggingAnimation::log.empty()); // the registered one ran, not the logging one
    EXPECT_TRUE(panel->IsVisible());
    EXPECT_EQ(GetItemAnimationFrameCount(), 20);
    EXPECT_FALSE(root.IsInputBlocked());
}

} // namespace
