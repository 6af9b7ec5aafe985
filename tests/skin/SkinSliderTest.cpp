// The slider on a real skinned dialog: geometry and creation failures, values and scaling, dragging with
// capture, snapping, keys, the page repeat (driven by hand through its clock, and once by the system's
// timer), the value tip, what the listener hears, and what lands in the back buffer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "HandFiredClock.h"
#include "ImageFiles.h"
#include "RectExpectations.h"
#include "SkinDialogFixture.h"
#include "SkinTestSupport.h"
#include "TestPaths.h"
#include "skin/IntelliTip.h"
#include "skin/IxSkinSliderListener.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinSlider.h"

using namespace oc::test;

namespace {

constexpr Gdiplus::ARGB kBlue = 0xFF0000FF;
constexpr Gdiplus::ARGB kGreen = 0xFF00FF00;
constexpr Gdiplus::ARGB kRed = 0xFFFF0000;
constexpr Gdiplus::ARGB kYellow = 0xFFFFFF00;
constexpr Gdiplus::ARGB kMagenta = 0xFFFF00FF;
constexpr uint32_t kHostGrey = 0xFF808080; // the dialog's background without an image

// Within a few steps per channel: resampling may round.
bool Near(uint32_t actual, uint32_t expected, int tolerance = 4) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = static_cast<int>((actual >> shift) & 0xFF), e = static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(a - e) > tolerance)
            return false;
    }
    return true;
}

// Bars and thumbs for both orientations, written once per run.
const ImageFiles& TestImages() {
    static const ImageFiles images({
        {L"bar", 210, 10, kBlue},   {L"color", 210, 10, kGreen},  {L"thumb", 10, 20, kRed},
        {L"over", 10, 20, kYellow}, {L"down", 10, 20, kMagenta},  {L"vbar", 10, 210, kBlue},
        {L"vthumb", 20, 10, kRed},  {L"vcolor", 10, 210, kGreen},
    });
    return images;
}

// A handler serving the dialog: it logs every change it hears.
class RecordingHandler : public IxSkinListener, public IxSkinSliderListener {
public:
    struct Change {
        std::wstring name;
        float value;
        int final;
        bool operator==(const Change& other) const {
            return name == other.name && value == other.value && final == other.final;
        }
    };
    void Release() override {}
    int OnSliderChanged(const std::wstring& name, float value, int final) override {
        changes.push_back({name, value, final});
        return 0;
    }
    std::vector<Change> changes;
};
using Changes = std::vector<RecordingHandler::Change>;

void PrintTo(const RecordingHandler::Change& c, std::ostream* os) {
    *os << "{" << std::string(c.name.begin(), c.name.end()) << ", " << c.value << ", " << c.final << "}";
}

// A clock the test fires by hand, a button it holds, and a keyboard delay it sets.
class FakeRepeatEnvironment : public ISliderRepeatEnvironment, public HandFiredClock<ISliderRepeatEnvironment::TickFunction> {
public:
    UINT StartTimer(UINT periodMs, TickFunction tick, DWORD_PTR user) override { return Start(periodMs, tick, user); }
    void KillTimer(UINT timerId) override { Kill(timerId); }
    bool IsLeftButtonDown() override { return buttonDown; }
    int GetKeyboardDelay() override { return delay; }

    bool buttonDown = true;
    int delay = 2;
};

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The slider sits at (40, 50) in the dialog. Horizontal: 210 x 20 with a 10 x 20 thumb, so the track runs
// over x 5..205 and, over 0..100, the thumb's left edge is at 2 x value. Vertical: 20 x 210, thumb 20 x 10,
// its top at 200 - 2 x value.
constexpr POINT kAt{40, 50};

class SliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDialog(dialog));
        hwnd = dialog.GetSafeHwnd();
        dialog.SetListener(&handler);
    }

    CxSkinSlider* Make(bool horizontal = true, float pos = 50, int smallChange = 0) {
        const ImageFiles& images = TestImages();
        auto* slider = new CxSkinSlider;
        slider->SetName(L"level");
        slider->SetParent(&dialog);
        slider->SetLeft(kAt.x);
        slider->SetTop(kAt.y);
        slider->SetWidth(horizontal ? 210 : 20);
        slider->SetHeight(horizontal ? 20 : 210);
        slider->SetOrientation(horizontal ? 1 : 0);
        slider->SetBarNormalImage(images[horizontal ? L"bar" : L"vbar"]);
        slider->SetThumbNormalImage(images[horizontal ? L"thumb" : L"vthumb"]);
        slider->SetSmallChange(smallChange);
        slider->SetPositionField(pos);
        slider->SetRepeatEnvironment(&clock);
        EXPECT_EQ(slider->Create(), TRUE);
        return slider;
    }

    // Mouse messages in slider coordinates, the modal loop's way.
    void Mouse(UINT message, int x, int y, WPARAM flags = 0) {
        Deliver(hwnd, message, flags, PointParam(kAt.x + x, kAt.y + y));
    }
    void Key(UINT vk) { Deliver(hwnd, WM_KEYDOWN, vk, 1); }
    uint32_t Pixel(int x, int y) const { return dialog.GetPixel(kAt.x + x, kAt.y + y); }
    void Paint() { dialog.CLayerWnd::Invalidate(TRUE); }

    FakeRepeatEnvironment clock; // outlives the sliders that use it
    RecordingHandler handler;
    TestDialog dialog;
    HWND hwnd = nullptr;
};

// ---- creation, geometry, values ----------------------------------------------------------------------

TEST_F(SliderTest, GeometryFollowsTheImagesAndTheValuePlacesTheThumb) {
    auto* h = Make(true, 30);
    EXPECT_EQ(h->GetBarRect(), (RECT{0, 5, 210, 15}));
    EXPECT_EQ(h->GetTrackRect(), (RECT{5, 0, 205, 20}));
    EXPECT_EQ(h->GetThumbRect(), (RECT{60, 0, 70, 20}));
    EXPECT_EQ(h->GetSliderListener(), &handler);

    auto* v = Make(false, 30);
    EXPECT_EQ(v->GetBarRect(), (RECT{5, 0, 15, 210}));
    EXPECT_EQ(v->GetTrackRect(), (RECT{0, 5, 20, 205}));
    EXPECT_EQ(v->GetThumbRect(), (RECT{0, 140, 20, 150})); // the maximum is at the top

    // No "Pos" in the markup: the thumb starts at the minimum.
    auto* unset = Make(true, CxSkinSlider::kNoPosition);
    EXPECT_EQ(unset->GetPos(), 0.0f);
    EXPECT_EQ(unset->GetThumbRect().left, 0);
}

TEST_F(SliderTest, AListenerSetDirectlyStaysUnlessAHandlerServesTheSlider) {
    RecordingHandler own;
    dialog.SetListener(nullptr);
    auto* slider = new CxSkinSlider;
    slider->SetListener(&own); // the drop list's way, before the layer exists
    slider->SetName(L"scroll");
    slider->SetParent(&dialog);
    slider->SetWidth(210);
    slider->SetHeight(20);
    slider->SetBarNormalImage(TestImages()[L"bar"]);
    slider->SetThumbNormalImage(TestImages()[L"thumb"]);
    slider->Create();
    EXPECT_EQ(slider->GetSliderListener(), &own);
    slider->SetFocus();
    Key(VK_UP);
    EXPECT_EQ(own.changes, (Changes{{L"scroll", 1, 1}}));
    EXPECT_TRUE(handler.changes.empty());
}

TEST_F(SliderTest, CreationAndSettersThrowForMissingImagesAndBadRangesWithoutLeaking) {
    const ImageFiles& images = TestImages();
    struct Case {
        bool bar, thumb;
        int type;
        const wchar_t* error; // null: created
    } cases[] = {
        {false, true, 0, L"CxSkinSlider::SetMap: bar image is invalid!"},
        {true, false, 0, L"CxSkinSlider::SetMap: thumb image is invalid!"},
        {true, false, 1, nullptr}, // a progress bar needs no thumb
    };
    for (const Case& test : cases) {
        auto* slider = new CxSkinSlider;
        slider->SetParent(&dialog);
        slider->SetWidth(210);
        slider->SetHeight(20);
        slider->SetType(test.type);
        if (test.bar)
            slider->SetBarNormalImage(images[L"bar"]);
        if (test.thumb)
            slider->SetThumbNormalImage(images[L"thumb"]);
        std::wstring error;
        try {
            slider->Create();
        } catch (CxSkinControlsException* e) {
            error = e->GetMessage();
            delete e;
        }
        EXPECT_EQ(error, test.error ? test.error : L"");
        // Created or not, the layer hangs in the tree, which frees it.
        EXPECT_EQ(dialog.GetChild(dialog.GetChildCount() - 1), slider);
    }
    EXPECT_EQ(static_cast<CxSkinSlider*>(dialog.GetChild(2))->GetThumbRect(), (RECT{0, 0, 5, 5}));

    auto* slider = Make();
    try {
        slider->SetThumbOverImage(images.missing);
        ADD_FAILURE() << "no exception";
    } catch (CxSkinControlsException* e) {
        EXPECT_EQ(e->GetMessage(), L"CxSkinSlider::SetSkinImage: failed to load skin (" + images.missing + L")!");
        delete e;
    }
    EXPECT_EQ(slider->GetImage(CxSkinSlider::kThumbOver), nullptr);
    slider->SetThumbNormalImage(L""); // an empty path changes nothing
    EXPECT_NE(slider->GetImage(CxSkinSlider::kThumbNormal), nullptr);

    for (auto [min, max] : {std::pair{5, 5}, std::pair{10, -10}}) {
        try {
            slider->SetRange(min, max);
            ADD_FAILURE() << "no exception";
        } catch (CxSkinControlsException* e) {
            EXPECT_EQ(e->GetMessage(), L"CxSkinSlider::SetRange: max <= min error, exchange them !");
            delete e;
        }
        EXPECT_EQ(slider->GetMinimum(), 0);
        EXPECT_EQ(slider->GetMaximum(), 100);
    }
    slider->SetRange(-20, 80);
    EXPECT_EQ(slider->GetMinimum(), -20);
    EXPECT_EQ(slider->GetMaximum(), 80);
}

TEST_F(SliderTest, SetPosClampsIgnoresRepeatsAndScalesDecimalSteps) {
    auto* slider = Make(true, 50);
    EXPECT_EQ(slider->SetPos(50, TRUE), 0); // unchanged
    EXPECT_EQ(slider->SetPos(250, TRUE), 1);
    EXPECT_EQ(slider->GetPos(), 100.0f);
    EXPECT_EQ(slider->GetThumbRect(), (RECT{200, 0, 210, 20}));
    EXPECT_EQ(slider->SetPos(-5, FALSE), 1);
    EXPECT_EQ(slider->GetThumbRect().left, 0);
    EXPECT_TRUE(handler.changes.empty()); // values from outside are not reported

    // "SmallChange" 0.5 over 0..10: the slider counts tenths, the listener hears displayed units.
    auto* scaled = new CxSkinSlider;
    scaled->SetName(L"fine");
    scaled->SetParent(&dialog);
    scaled->SetTop(100);
    scaled->SetWidth(210);
    scaled->SetHeight(20);
    scaled->SetBarNormalImage(TestImages()[L"bar"]);
    scaled->SetThumbNormalImage(TestImages()[L"thumb"]);
    scaled->SetValueScale(10);
    scaled->SetSmallChange(5);
    scaled->SetMinimum(0);
    scaled->SetMaximum(10);
    scaled->SetPositionField(2.0f);
    scaled->Create();
    EXPECT_EQ(scaled->GetMaximum(), 100);
    EXPECT_EQ(scaled->GetPos(), 20.0f);
    EXPECT_EQ(scaled->GetValueFormat(), L"%.1f");
    EXPECT_EQ(scaled->SetPos(2.5f, TRUE), 1);
    EXPECT_EQ(scaled->GetPos(), 25.0f);
    EXPECT_EQ(scaled->FormatValue(), L"2.5");
    scaled->SetFocus();
    Key(VK_RIGHT);
    EXPECT_EQ(handler.changes, (Changes{{L"fine", 3.0f, 1}}));

    const struct {
        unsigned scale, stored;
        const wchar_t* format;
    } scales[] = {{100, 100, L"%.2f"}, {1000, 1000, L"%.3f"}, {5, 1, L""}, {0, 1, L""}};
    for (const auto& test : scales) {
        CxSkinSlider plain;
        plain.SetValueScale(test.scale);
        EXPECT_EQ(plain.GetValueScale(), test.stored) << test.scale;
        EXPECT_EQ(plain.GetValueFormat(), test.format) << test.scale;
    }
}

// ---- dragging ----------------------------------------------------------------------------------------

TEST_F(SliderTest, DragFollowsThePointerWithCaptureAndReportsEveryMoveThenTheRelease) {
    auto* slider = Make(true, 50);
    Mouse(WM_LBUTTONDOWN, 105, 10); // on the thumb
    EXPECT_TRUE(slider->IsDragging());
    EXPECT_EQ(dialog.GetCaptureLayer(), slider);
    EXPECT_EQ(dialog.GetFocusLayer(), slider);
    EXPECT_EQ(slider->GetThumbState(), CxSkinSlider::kThumbStateDown);

    // x - 1 (half a unit back) over the track from 5, two pixels a unit.
    Mouse(WM_MOUSEMOVE, 126, 10, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 127, 10, MK_LBUTTON); // the same unit: nothing to report
    EXPECT_EQ(slider->GetThumbRect(), (RECT{120, 0, 130, 20}));
    EXPECT_EQ(slider->SetPos(10, TRUE), 0); // values from outside wait for the drag to end
    // Far outside the control the capture still brings the moves; the value stops at the end.
    Mouse(WM_MOUSEMOVE, 400, 90, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, -100, 90, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 46, 90, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 260, 150);
    EXPECT_EQ(handler.changes,
              (Changes{{L"level", 60, 0}, {L"level", 100, 0}, {L"level", 0, 0}, {L"level", 20, 0}, {L"level", 20, 1}}));
    EXPECT_FALSE(slider->IsDragging());
    EXPECT_EQ(slider->GetThumbState(), CxSkinSlider::kThumbStateNormal);
    EXPECT_EQ(dialog.GetCaptureLayer(), nullptr);
    EXPECT_EQ(slider->SetPos(10, TRUE), 1);

    // A drag that loses the pointer (far off, as the dialog reports it) ends there with one final report,
    // and the release that follows reports nothing more.
    handler.changes.clear();
    Mouse(WM_LBUTTONDOWN, 25, 10);
    Mouse(WM_MOUSEMOVE, 46, 10, MK_LBUTTON);
    Deliver(hwnd, WM_MOUSEMOVE, MK_LBUTTON, PointParam(10001, 10));
    EXPECT_FALSE(slider->IsDragging());
    Mouse(WM_LBUTTONUP, 46, 10);
    EXPECT_EQ(handler.changes, (Changes{{L"level", 20, 0}, {L"level", 20, 1}}));

    // Cut short by the window going inactive: the same; a drag that moved nothing reports nothing.
    handler.changes.clear();
    Mouse(WM_LBUTTONDOWN, 45, 10);
    Mouse(WM_MOUSEMOVE, 66, 10, MK_LBUTTON);
    Deliver(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(slider->IsDragging());
    Mouse(WM_LBUTTONDOWN, 65, 10);
    Mouse(WM_MOUSEMOVE, 66, 10, MK_LBUTTON);
    Deliver(hwnd, WM_MOUSEMOVE, MK_LBUTTON, PointParam(10001, 10));
    EXPECT_EQ(handler.changes, (Changes{{L"level", 30, 0}, {L"level", 30, 1}}));
}

TEST_F(SliderTest, DraggingSnapsToTheSmallChangeAndOnlyOntoTicks) {
    auto* slider = Make(true, 50, 10);
    Mouse(WM_LBUTTONDOWN, 105, 10);
    const struct {
        int x;       // pointer
        float after; // position
    } moves[] = {
        {116, 50},  // value 55: within half a step, refused
        {118, 60},  // value 56: rounds to the next step
        {170, 80},  // value 82
        {206, 100}, // the end
        {98, 50},   // value 46: back to 50
    };
    for (const auto& move : moves) {
        Mouse(WM_MOUSEMOVE, move.x, 10, MK_LBUTTON);
        EXPECT_EQ(slider->GetPos(), move.after) << move.x;
        EXPECT_EQ(slider->GetThumbRect().left, static_cast<LONG>(2 * move.after)) << move.x;
    }
    Mouse(WM_LBUTTONUP, 98, 10);
    EXPECT_EQ(handler.changes.size(), 5u);

    // With ticks, a snapped value off every tick is refused.
    slider->SetTicks({0, 50});
    slider->SetTicks({100});
    EXPECT_EQ(slider->GetTicks(), (std::vector<int>{0, 50, 100}));
    Mouse(WM_LBUTTONDOWN, 105, 10);
    Mouse(WM_MOUSEMOVE, 128, 10, MK_LBUTTON); // 60: no tick
    EXPECT_EQ(slider->GetPos(), 50.0f);
    Mouse(WM_MOUSEMOVE, 206, 10, MK_LBUTTON); // 100: a tick
    EXPECT_EQ(slider->GetPos(), 100.0f);
    Mouse(WM_LBUTTONUP, 206, 10);
}

// ---- keys --------------------------------------------------------------------------------------------

TEST_F(SliderTest, ArrowKeysStepByTicksSmallChangeOrAHundredthOfTheRange) {
    const struct {
        std::vector<int> ticks;
        int smallChange, max;
        float start;
        UINT key;
        float after; // equal to start: nothing moved, nothing reported
    } cases[] = {
        {{0, 25, 100}, 0, 100, 25, VK_UP, 100},
        {{0, 25, 100}, 0, 100, 25, VK_DOWN, 0},
        {{0, 25, 100}, 0, 100, 30, VK_RIGHT, 100}, // from the nearest tick's distance
        {{0, 25, 100}, 0, 100, 0, VK_DOWN, 0},     // no tick below: small-change rule, held at the minimum
        {{}, 0, 50, 10, VK_RIGHT, 11},
        {{}, 0, 1000, 10, VK_RIGHT, 20},
        {{}, 0, 1000, 10, VK_LEFT, 0},
        {{}, 7, 100, 98, VK_UP, 100},
        {{}, 7, 100, 100, VK_RIGHT, 100},
        {{}, 7, 100, 50, VK_HOME, 50}, // other keys do nothing
    };
    for (const auto& test : cases) {
        auto* slider = Make(true, 0, test.smallChange);
        slider->SetRange(0, test.max);
        slider->SetTicks(test.ticks);
        slider->SetPos(test.start, FALSE);
        slider->SetFocus();
        handler.changes.clear();
        Key(test.key);
        EXPECT_EQ(slider->GetPos(), test.after) << test.start << " key " << test.key;
        const Changes expected = test.after == test.start ? Changes{} : Changes{{L"level", test.after, 1}};
        EXPECT_EQ(handler.changes, expected) << test.start << " key " << test.key;
        dialog.RemoveChild(slider);
        delete slider;
    }
}

TEST_F(SliderTest, AProgressBarOrADisabledSliderIgnoresMouseAndKeys) {
    auto* bar = Make(true, 50);
    bar->SetType(1);
    auto* off = Make(true, 50);
    off->Enable(FALSE, FALSE);
    for (CxSkinSlider* slider : {bar, off}) {
        slider->OnLButtonDown(0, {105, 10});
        slider->OnMouseMove(MK_LBUTTON, {150, 10});
        slider->OnLButtonDown(0, {180, 10});
        slider->OnLButtonUp(0, {180, 10});
        slider->SetFocus();
        Key(VK_RIGHT);
        EXPECT_EQ(slider->GetPos(), 50.0f);
        EXPECT_FALSE(slider->IsDragging());
    }
    EXPECT_TRUE(handler.changes.empty());
    EXPECT_TRUE(clock.periods.empty());
}

// ---- page repeat -------------------------------------------------------------------------------------

TEST_F(SliderTest, HoldingOnTheBarStepsAtOnceAfterTheDelayThenEveryTickUntilThePointer) {
    auto* slider = Make(true, 50, 10);
    Mouse(WM_LBUTTONDOWN, 180, 10);
    EXPECT_EQ(slider->GetPos(), 60.0f);
    EXPECT_EQ(slider->GetPageDirection(), CxSkinSlider::kTowardsMaximum);
    EXPECT_EQ(slider->GetRepeatState(), CxSliderRepeat::kWaiting);
    EXPECT_EQ(clock.periods, (std::vector<UINT>{750})); // (delay 2 + 1) x 250

    clock.Fire(); // the delay is over: the faster timer takes over, and this tick already posts
    EXPECT_EQ(slider->GetRepeatState(), CxSliderRepeat::kRepeating);
    EXPECT_EQ(clock.periods, (std::vector<UINT>{750, 100}));
    EXPECT_EQ(clock.killed, (std::vector<UINT>{1}));
    EXPECT_EQ(slider->GetPos(), 60.0f); // the step waits for the posted message
    Pump();
    EXPECT_EQ(slider->GetPos(), 70.0f);
    clock.Fire();
    Pump();
    clock.Fire();
    Pump();
    EXPECT_EQ(slider->GetThumbRect(), (RECT{180, 0, 190, 20}));
    // The thumb has reached the pointer: the repeat stops and the press holds the thumb.
    clock.Fire();
    Pump();
    EXPECT_EQ(slider->GetPos(), 90.0f);
    EXPECT_EQ(slider->GetRepeatState(), CxSliderRepeat::kIdle);
    EXPECT_EQ(clock.running, 0u);
    EXPECT_EQ(slider->GetThumbState(), CxSkinSlider::kThumbStateDown);
    Mouse(WM_LBUTTONUP, 180, 10);
    EXPECT_EQ(handler.changes, (Changes{{L"level", 60, 1}, {L"level", 70, 1}, {L"level", 80, 1}, {L"level", 90, 1}}));
    EXPECT_EQ(slider->GetThumbState(), CxSkinSlider::kThumbStateNormal);
    EXPECT_EQ(slider->GetPageDirection(), CxSkinSlider::kUndecided);
}

TEST_F(SliderTest, TheRepeatEndsWithTheButtonAndDropsStaleMessages) {
    auto* slider = Make(true, 50, 10);
    // The timer sees the button up: it stops itself and posts nothing.
    Mouse(WM_LBUTTONDOWN, 20, 10);
    EXPECT_EQ(slider->GetPos(), 40.0f);
    EXPECT_EQ(slider->GetPageDirection(), CxSkinSlider::kTowardsMinimum);
    clock.buttonDown = false;
    clock.Fire();
    EXPECT_EQ(slider->GetRepeatState(), CxSliderRepeat::kIdle);
    EXPECT_EQ(clock.running, 0u);
    Pump();
    EXPECT_EQ(slider->GetPos(), 40.0f);
    Mouse(WM_LBUTTONUP, 20, 10);

    // A repeat posted just before the release does not step after it.
    clock.buttonDown = true;
    Mouse(WM_LBUTTONDOWN, 20, 10);
    clock.Fire();
    Mouse(WM_LBUTTONUP, 20, 10);
    EXPECT_EQ(clock.running, 0u);
    Pump();
    EXPECT_EQ(slider->GetPos(), 30.0f);

    // A tick from a timer already replaced changes nothing.
    Mouse(WM_LBUTTONDOWN, 20, 10);
    const UINT first = clock.running;
    clock.Fire();
    clock.Fire(first);
    EXPECT_EQ(slider->GetRepeatState(), CxSliderRepeat::kRepeating);
    Pump();
    EXPECT_EQ(slider->GetPos(), 10.0f); // the press and one repeat

    // Destroyed while repeating, with a repeat still queued: its timer dies with it, and the queued message
    // finds no layer to step.
    clock.Fire();
    const UINT running = clock.running;
    dialog.RemoveChild(slider);
    delete slider;
    EXPECT_EQ(clock.killed.back(), running);
    EXPECT_EQ(clock.running, 0u);
    Pump();
}

TEST_F(SliderTest, AVerticalSliderPagesTowardsTheMaximumAbove) {
    auto* slider = Make(false, 50, 10);
    EXPECT_EQ(slider->GetThumbRect(), (RECT{0, 100, 20, 110}));
    Mouse(WM_LBUTTONDOWN, 10, 40);
    EXPECT_EQ(slider->GetPos(), 60.0f);
    EXPECT_EQ(slider->GetThumbRect(), (RECT{0, 80, 20, 90}));
    Mouse(WM_LBUTTONUP, 10, 40);
    Mouse(WM_LBUTTONDOWN, 10, 200);
    EXPECT_EQ(slider->GetPos(), 50.0f);
    Mouse(WM_LBUTTONUP, 10, 200);
}

// The system's own multimedia timer and keyboard delay, with the button held by the test.
class HeldButtonEnvironment : public ISliderRepeatEnvironment {
public:
    UINT StartTimer(UINT periodMs, TickFunction tick, DWORD_PTR user) override {
        return System()->StartTimer(periodMs, tick, user);
    }
    void KillTimer(UINT timerId) override { System()->KillTimer(timerId); }
    bool IsLeftButtonDown() override { return true; }
    int GetKeyboardDelay() override { return 0; }
};

// Pumps until the handler has heard `count` changes or the time is up.
bool PumpUntil(const RecordingHandler& handler, size_t count, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (handler.changes.size() < count && GetTickCount() - start < timeoutMs) {
        Pump();
        Sleep(5);
    }
    return handler.changes.size() >= count;
}

TEST_F(SliderTest, TheSystemTimerRepeatsThroughTheHostWindowUntilReleasedOrDestroyed) {
    HeldButtonEnvironment held;
    auto* slider = Make(true, 0, 1);
    slider->SetRepeatEnvironment(&held);
    Mouse(WM_LBUTTONDOWN, 200, 10);
    // The press, then one step at 250 ms and one every 100 ms after it.
    EXPECT_TRUE(PumpUntil(handler, 3, 2000));
    Mouse(WM_LBUTTONUP, 200, 10);
    const size_t atRelease = handler.changes.size();
    Sleep(250);
    Pump();
    EXPECT_EQ(handler.changes.size(), atRelease);
    EXPECT_EQ(slider->GetRepeatState(), CxSliderRepeat::kIdle);

    // Destroyed in the middle of repeating: nothing reaches the freed control.
    Mouse(WM_LBUTTONDOWN, 200, 10);
    EXPECT_TRUE(PumpUntil(handler, atRelease + 2, 2000));
    dialog.RemoveChild(slider);
    delete slider;
    Sleep(150);
    Pump();
}

// ---- value tip ---------------------------------------------------------------------------------------

TEST_F(SliderTest, TheValueTipFollowsTheThumbAndGoesWhenThePointerLeavesIt) {
    auto* slider = Make(true, 50);
    slider->SetTooltipShow(TRUE);
    EXPECT_EQ(slider->GetValueTip(), nullptr); // made on first use

    // Right edge centred on the thumb (plus half the tip), bottom two pixels above it, in screen pixels.
    auto expectAbove = [&](const CIntelliTip* tip, int thumbCentre, const wchar_t* text) {
        ASSERT_NE(tip, nullptr);
        EXPECT_TRUE(tip->IsWindowVisible());
        EXPECT_EQ(tip->GetText(), text);
        POINT thumb{kAt.x + thumbCentre, kAt.y};
        ::ClientToScreen(hwnd, &thumb);
        RECT window;
        tip->GetWindowRect(&window);
        const SIZE size = tip->GetSize();
        EXPECT_EQ(window.right, thumb.x + size.cx / 2);
        EXPECT_EQ(window.bottom, thumb.y - 2);
    };
    Mouse(WM_LBUTTONDOWN, 105, 10);
    Mouse(WM_MOUSEMOVE, 126, 10, MK_LBUTTON);
    expectAbove(slider->GetValueTip(), 125, L"60");
    Mouse(WM_MOUSEMOVE, 170, 10, MK_LBUTTON);
    expectAbove(slider->GetValueTip(), 169, L"82");
    Mouse(WM_LBUTTONUP, 170, 10);
    EXPECT_NE(slider->GetValueTip(), nullptr);

    // Off the thumb without the button: gone.
    Mouse(WM_MOUSEMOVE, 20, 10);
    EXPECT_EQ(slider->GetValueTip(), nullptr);
    // A page click shows it again; a key step hides it.
    Mouse(WM_LBUTTONDOWN, 20, 10);
    Mouse(WM_LBUTTONUP, 20, 10);
    expectAbove(slider->GetValueTip(), 167, L"81");
    Key(VK_LEFT);
    EXPECT_EQ(slider->GetValueTip(), nullptr);
    EXPECT_EQ(slider->GetPos(), 80.0f);

    // Without Tooltip.Show the tip never appears.
    auto* quiet = Make(true, 50);
    Mouse(WM_LBUTTONDOWN, 105, 10);
    Mouse(WM_MOUSEMOVE, 140, 10, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 140, 10);
    EXPECT_EQ(quiet->GetValueTip(), nullptr);
}

TEST_F(SliderTest, AVerticalSlidersTipSitsLeftOfTheThumb) {
    auto* slider = Make(false, 50);
    slider->SetTooltipShow(TRUE);
    Mouse(WM_LBUTTONDOWN, 10, 40);
    const CIntelliTip* tip = slider->GetValueTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->GetText(), L"51");
    const RECT thumb = slider->GetThumbRect();
    POINT left{kAt.x + thumb.left, kAt.y + (thumb.top + thumb.bottom) / 2};
    ::ClientToScreen(hwnd, &left);
    RECT window;
    tip->GetWindowRect(&window);
    EXPECT_EQ(window.right, left.x - 2);
    EXPECT_EQ(window.top, left.y - tip->GetSize().cy / 2);
    Mouse(WM_LBUTTONUP, 10, 40);
}

// ---- painting ----------------------------------------------------------------------------------------

TEST_F(SliderTest, TheBackBufferShowsBarColourPartAndThumbWhereTheValueSaysAndInItsState) {
    auto* slider = Make(true, 50);
    slider->SetBarColorImage(TestImages()[L"color"]);
    slider->SetThumbOverImage(TestImages()[L"over"]);
    slider->SetThumbDownImage(TestImages()[L"down"]);
    Paint();
    EXPECT_TRUE(Near(Pixel(105, 10), kRed));
    EXPECT_TRUE(Near(Pixel(50, 10), kGreen)) << std::hex << Pixel(50, 10);
    EXPECT_TRUE(Near(Pixel(150, 10), kBlue));
    EXPECT_TRUE(Near(Pixel(105, 2), kRed));      // the thumb stands over the bar
    EXPECT_TRUE(Near(Pixel(150, 2), kHostGrey)); // outside the bar the window shows

    slider->SetPos(20, TRUE);
    EXPECT_TRUE(Near(Pixel(45, 10), kRed));
    EXPECT_TRUE(Near(Pixel(105, 10), kBlue));
    EXPECT_TRUE(Near(Pixel(30, 10), kGreen));
    EXPECT_TRUE(Near(Pixel(60, 10), kBlue));

    Mouse(WM_MOUSEMOVE, 45, 10);
    EXPECT_EQ(slider->GetThumbState(), CxSkinSlider::kThumbStateOver);
    EXPECT_TRUE(Near(Pixel(45, 10), kYellow));
    Mouse(WM_LBUTTONDOWN, 45, 10);
    EXPECT_TRUE(Near(Pixel(45, 10), kMagenta));
    Mouse(WM_LBUTTONUP, 45, 10);
    EXPECT_TRUE(Near(Pixel(45, 10), kRed));
    Mouse(WM_MOUSEMOVE, 150, 60); // leaving the bar
    EXPECT_TRUE(Near(Pixel(45, 10), kRed));

    // Disabled without a disabled bar: luminance grey at half opacity over the window, no colour part.
    slider->Refresh(FALSE);
    const auto greyOver = [](Gdiplus::ARGB colour, double below) {
        return 0.5 * (0.299 * Red(colour) + 0.587 * Green(colour) + 0.114 * Blue(colour)) + 0.5 * below;
    };
    const auto opaque = [](double level) {
        const auto c = static_cast<uint32_t>(level + 0.5);
        return 0xFF000000u | c << 16 | c << 8 | c;
    };
    const double bar = greyOver(kBlue, 0x80);
    EXPECT_TRUE(Near(Pixel(150, 10), opaque(bar), 6)) << std::hex << Pixel(150, 10);
    EXPECT_TRUE(Near(Pixel(30, 10), opaque(bar), 6)) << std::hex << Pixel(30, 10);
    EXPECT_TRUE(Near(Pixel(45, 10), opaque(greyOver(kRed, bar)), 6)) << std::hex << Pixel(45, 10);
    EXPECT_TRUE(Near(Pixel(45, 2), opaque(greyOver(kRed, 0x80)), 6)) << std::hex << Pixel(45, 2);
}

TEST_F(SliderTest, AProgressBarDrawsNoThumbAndAVerticalColourPartGrowsFromTheBottom) {
    auto* bar = Make(true, 50);
    bar->SetType(1);
    bar->SetBarColorImage(TestImages()[L"color"]);
    Paint();
    EXPECT_TRUE(Near(Pixel(100, 10), kGreen));
    EXPECT_TRUE(Near(Pixel(110, 10), kBlue));
    dialog.RemoveChild(bar);
    delete bar;

    // Vertical: the part grows up from the bottom of the bar, a quarter of it for a quarter of the range
    // (180 high, to fit the window).
    auto* v = new CxSkinSlider;
    v->SetParent(&dialog);
    v->SetLeft(kAt.x);
    v->SetTop(0);
    v->SetWidth(20);
    v->SetHeight(180);
    v->SetOrientation(0);
    v->SetType(1);
    v->SetBarNormalImage(TestImages()[L"vbar"]);
    v->SetBarColorImage(TestImages()[L"vcolor"]);
    v->SetPositionField(25);
    v->Create();
    EXPECT_EQ(v->GetBarRect(), (RECT{0, 0, 10, 180}));
    Paint();
    // 44 of the 178 inner pixels: y 135..178.
    const auto at = [&](int y) { return dialog.GetPixel(kAt.x + 5, y); };
    EXPECT_TRUE(Near(at(175), kGreen)) << std::hex << at(175);
    EXPECT_TRUE(Near(at(140), kGreen)) << std::hex << at(140);
    EXPECT_TRUE(Near(at(130), kBlue)) << std::hex << at(130);
    EXPECT_TRUE(Near(at(20), kBlue)) << std::hex << at(20);
}

} // namespace
