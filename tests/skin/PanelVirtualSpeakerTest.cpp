// The speaker icon object and the virtual-speaker panel on a real skinned dialog: placement by angle and
// distance (computed and in the back buffer), creation failures, dragging one speaker and turning the ring
// through synthetic mouse messages, the disabled look, and the turning thread stepped by a hand-driven
// clock (and once by the system's), reporting to a recording listener and stopping cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <cmath>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "ControlHost.h"
#include "ImageFiles.h"
#include "PresentCounter.h"
#include "RectExpectations.h"
#include "SkinDialogFixture.h"
#include "SkinTestSupport.h"
#include "TestPaths.h"
#include "skin/BaseObj.h"
#include "skin/IPanelVirtualSpeakerListener.h"
#include "skin/PanelVirtualSpeaker.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinGraphics.h"
#include "skin/SkinPanel.h"

using namespace oc::test;

namespace {

constexpr Gdiplus::ARGB kRed = 0xFFFF0000;
constexpr Gdiplus::ARGB kGreen = 0xFF00FF00;
constexpr Gdiplus::ARGB kBlue = 0xFF0000FF;
constexpr Gdiplus::ARGB kBackground = 0xFF2060C0;
constexpr Gdiplus::ARGB kDisabledBackground = 0xFFC0C000;

const ImageFiles& TestImages() {
    static const ImageFiles images({
        {L"speaker", 20, 20, kRed}, {L"speakerOff", 20, 20, kBlue}, {L"head", 30, 30, kGreen},
        {L"obj", 40, 30, kRed},     {L"bg", 240, 240, kBackground}, {L"bgOff", 240, 240, kDisabledBackground},
        {L"extra", 10, 10, kGreen},
    });
    return images;
}

std::wstring CatchMessage(const std::function<void()>& action) {
    try {
        action();
    } catch (CxSkinControlsException* e) {
        std::wstring message = e->GetMessage();
        e->Delete();
        return message;
    }
    return L"(no exception)";
}

// The handler serving the dialog: records every report with the thread it came on, and lets a test wait
// for the turning thread's repaint requests.
class RecordingHandler : public IxSkinListener, public IPanelVirtualSpeakerListener {
public:
    struct Event {
        std::wstring kind;
        int index;
        float angle, distance;
        std::array<float, 8> angles;
        DWORD thread;
    };
    void Release() override {}
    int OnSpeakerMoved(int index, float angle, float distance, int done) override {
        Record({done == 1 ? L"moved" : L"moved?", index, angle, distance, {}, ::GetCurrentThreadId()});
        return 1;
    }
    int OnSpeakersRotated(const float* angles, int redraw) override {
        Event event{redraw == 0 ? L"rotated" : L"rotated?", -1, 0, 0, {}, ::GetCurrentThreadId()};
        std::copy(angles, angles + 8, event.angles.begin());
        Record(event);
        return 1;
    }
    void OnPanelRedraw() override {
        Record({L"redraw", -1, 0, 0, {}, ::GetCurrentThreadId()});
        if (onRedraw)
            onRedraw();
        std::lock_guard<std::mutex> guard(mutex);
        ++redraws;
        changed.notify_all();
    }
    void OnTurningNotice() override {
        if (onNotice)
            onNotice();
    }
    // True when `count` repaint requests have come within the time.
    bool WaitForRedraws(int count, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, limit, [&] { return redraws >= count; });
    }
    std::vector<Event> Events() {
        std::lock_guard<std::mutex> guard(mutex);
        return events;
    }
    std::vector<std::wstring> Kinds() {
        std::vector<std::wstring> kinds;
        for (const Event& event : Events())
            kinds.push_back(event.kind);
        return kinds;
    }
    void Clear() {
        std::lock_guard<std::mutex> guard(mutex);
        events.clear();
        redraws = 0;
    }
    int Redraws() {
        std::lock_guard<std::mutex> guard(mutex);
        return redraws;
    }

    std::function<void()> onRedraw;
    std::function<void()> onNotice; // on the user-interface thread

private:
    void Record(const Event& event) {
        std::lock_guard<std::mutex> guard(mutex);
        events.push_back(event);
    }
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Event> events;
    int redraws = 0;
};

// A clock the test advances by hand: each Step lets one wait run out. A stop still ends a wait at once.
class SteppedClock : public CPanelVirtualSpeaker::IStepClock {
public:
    SteppedClock() : m_steps(::CreateSemaphoreW(nullptr, 0, 1000, nullptr)) {}
    ~SteppedClock() { ::CloseHandle(m_steps); }
    bool WaitForStep(HANDLE stopEvent, DWORD periodMs) override {
        period = periodMs;
        const HANDLE handles[] = {stopEvent, m_steps};
        // Long enough never to decide a test, short enough that a broken one ends.
        return ::WaitForMultipleObjects(2, handles, FALSE, 10000) == WAIT_OBJECT_0 + 1;
    }
    void Step(int count = 1) { ::ReleaseSemaphore(m_steps, count, nullptr); }
    DWORD period = 0;

private:
    HANDLE m_steps;
};

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// A 260 x 260 panel at (20, 20) of a 300 x 300 dialog: the circle rectangle is (30, 30, 230, 230), 200
// wide, centred on (130, 130) in panel coordinates.
constexpr POINT kAt{20, 20};
constexpr int kSize = 260;

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDialog(dialog, {100, 100}, 300, 300));
        hwnd = dialog.GetSafeHwnd();
        dialog.SetListener(&handler);
    }
    void TearDown() override { clock.Step(100); }

    template <class Room = CPanelVirtualSpeaker> Room* Make(bool images = true) {
        const ImageFiles& files = TestImages();
        auto* panel = new Room;
        panel->SetName(L"PanelVSRoom");
        panel->SetParent(&dialog);
        panel->SetLeft(kAt.x);
        panel->SetTop(kAt.y);
        panel->SetWidth(kSize);
        panel->SetHeight(kSize);
        if (images) {
            panel->SetBarNormalSkin(files[L"bg"]);
            panel->SetSpeakerSkin(100, files[L"head"]);
            for (int i = 0; i < 8; ++i) {
                panel->SetSpeakerSkin(i, files[L"speaker"]);
                panel->SetSpeakerDisableSkin(i, files[L"speakerOff"]);
            }
        }
        panel->SetStepClock(&clock);
        EXPECT_EQ(panel->Create(), TRUE);
        return panel;
    }
    // Every speaker on the ring at distance 1 with the given angles.
    static void PlaceAll(CPanelVirtualSpeaker* panel, const std::array<float, 8>& angles) {
        for (int i = 0; i < 8; ++i)
            panel->SetSpeakerPosition(i, angles[i], 1.0f);
    }

    void Mouse(UINT message, int x, int y, WPARAM flags = 0) {
        Deliver(hwnd, message, flags, PointParam(kAt.x + x, kAt.y + y));
    }
    uint32_t Pixel(int x, int y) const { return dialog.GetPixel(kAt.x + x, kAt.y + y); }
    void Paint() { dialog.CLayerWnd::Invalidate(TRUE); }

    SteppedClock clock; // outlives the panels that use it
    RecordingHandler handler;
    TestDialog dialog;
    HWND hwnd = nullptr;
};

// ---- the speaker icon object ----------------------------------------------------------------------------

TEST_F(PanelTest, IconObjectRectangleHitTestAndPositionFollowItsImage) {
    const ImageFiles& files = TestImages();
    CBaseObj object;
    EXPECT_EQ(object.Create(&dialog, 3, {100, 100}), TRUE);
    EXPECT_EQ(dialog.GetChildCount(), 0); // never in the layer tree
    EXPECT_EQ(object.setSkinImages(files[L"obj"], L"Null", L"", L"Null", L"Null", {0, 0}), 1);
    EXPECT_EQ(object.GetRect(), (RECT{80, 85, 120, 115}));
    EXPECT_EQ(object.GetId(), 3);

    object.SetPosition({50, 60});
    EXPECT_EQ(object.GetRect(), (RECT{30, 45, 70, 75}));
    object.SetPosition({50, 60});
    EXPECT_EQ(object.GetCenter().x, 50);

    EXPECT_TRUE(object.HitTest({31, 46}));
    EXPECT_FALSE(object.HitTest({70, 75})); // right and bottom edges are outside
    object.SetState(CBaseObj::kStateDisabled);
    EXPECT_FALSE(object.HitTest({50, 60}));
    object.SetState(CBaseObj::kStateNormal);
    object.SetVisible(FALSE);
    EXPECT_FALSE(object.HitTest({50, 60}));
}

TEST_F(PanelTest, IconObjectImageFailuresThrowAndLeaveNoImages) {
    const ImageFiles& files = TestImages();
    const std::wstring& good = files[L"obj"];
    const std::wstring& bad = files.missing;
    struct Case {
        std::wstring normal, third, extra, error;
    } cases[] = {
        {bad, L"Null", L"Null", L"CBaseObj::setSkinImages: failed to load normal image (" + bad + L")!"},
        {good, bad, L"Null", L"CBaseObj::setSkinImages: failed to load image(2) (" + bad + L")!"},
        {good, L"Null", bad, bad},
    };
    for (const Case& test : cases) {
        CBaseObj object;
        object.Create(&dialog, 1, {50, 50});
        EXPECT_EQ(CatchMessage([&] {
                      object.setSkinImages(test.normal, L"Null", test.third, L"", test.extra, {0, 0});
                  }),
                  test.error);
        EXPECT_EQ(object.GetImage(0), nullptr);
        EXPECT_EQ(object.GetExtraImage(), nullptr);
        EXPECT_FALSE(object.HitTest({50, 50}));
    }
    // "Null" (or nothing) as the normal image: no change, no throw, nothing drawn.
    CBaseObj object;
    object.Create(&dialog, 1, {50, 50});
    EXPECT_EQ(object.setSkinImages(L"Null", good, good, good, good, {0, 0}), 0);
    EXPECT_EQ(object.setSkinImages(L"", good, good, good, good, {0, 0}), 0);
    EXPECT_EQ(object.GetImage(1), nullptr);
    Surface surface(100, 100);
    Gdiplus::Graphics graphics(surface.Dc());
    object.Draw(graphics);
    EXPECT_EQ(Alpha(surface.At(50, 50)), 0);
}

TEST_F(PanelTest, IconObjectDrawsItsStateImageAndPlacesTheExtraImage) {
    const ImageFiles& files = TestImages();
    const struct {
        POINT offset;
        POINT extraAt;  // a pixel inside the extra image
        POINT normalAt; // a pixel of the normal image only
    } cases[] = {
        {{-1, -1}, {100, 100}, {82, 87}}, // centred on both axes
        {{0, 0}, {84, 89}, {110, 110}},   // at the object's top-left
        {{25, -1}, {110, 100}, {90, 100}},
    };
    for (const auto& test : cases) {
        CBaseObj object;
        object.Create(&dialog, 1, {100, 100}); // rectangle (80, 85, 120, 115)
        object.setSkinImages(files[L"obj"], L"Null", L"Null", L"Null", files[L"extra"], test.offset);
        Surface surface(200, 200);
        {
            CxSkinGraphics graphics(surface.Dc());
            object.Draw(*graphics);
        }
        EXPECT_TRUE(NearColor(surface.At(test.extraAt.x, test.extraAt.y), kGreen)) << test.offset.x;
        EXPECT_TRUE(NearColor(surface.At(test.normalAt.x, test.normalAt.y), kRed)) << test.offset.x;
        EXPECT_EQ(Alpha(surface.At(79, 100)), 0) << test.offset.x;
    }

    // Disabled: the normal image faded (no disabled image of its own), the extra image in grey.
    CBaseObj object;
    object.Create(&dialog, 1, {100, 100});
    object.setSkinImages(files[L"obj"], L"Null", L"Null", L"Null", files[L"extra"], {-1, -1});
    object.SetState(CBaseObj::kStateDisabled);
    Surface surface(200, 200);
    {
        CxSkinGraphics graphics(surface.Dc());
        object.Draw(*graphics);
    }
    EXPECT_NEAR(Alpha(surface.At(82, 87)), 102, 4);
    const uint32_t extra = surface.At(100, 100);
    EXPECT_EQ(Alpha(extra), 255);
    EXPECT_NEAR(Red(extra), Green(extra), 2);
    EXPECT_NEAR(Green(extra), Blue(extra), 2);
}

// ---- creation and placement ---------------------------------------------------------------------------

TEST_F(PanelTest, CreationMakesObjectsFindsTheListenerAndGoesBeneathOtherControls) {
    auto* before = AddProbe(&dialog, {0, 0, 10, 10}, nullptr, L"p");
    auto* panel = Make();
    EXPECT_EQ(dialog.GetChild(0), panel);
    EXPECT_EQ(dialog.GetChild(1), before);
    EXPECT_EQ(panel->GetPanelListener(), &handler);
    EXPECT_EQ(panel->GetCircleRect(), (RECT{30, 30, 230, 230}));
    EXPECT_EQ(panel->GetBackgroundRect(), (RECT{10, 10, 250, 250}));
    EXPECT_EQ(panel->GetSpeaker(100)->GetCenter().x, 130);
    EXPECT_EQ(panel->GetSpeaker(100)->GetRect(), (RECT{115, 115, 145, 145}));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(panel->GetSpeaker(i)->GetId(), i);
    for (int bad : {8, -1, 99, 101}) {
        EXPECT_EQ(panel->GetSpeaker(bad), nullptr) << bad;
        EXPECT_EQ(panel->SetSpeakerSkin(bad, L"x"), 0) << bad;
        EXPECT_EQ(panel->SetSpeakerDisableSkin(bad, L"x"), 0) << bad;
        EXPECT_EQ(panel->SetSpeakerToolTip(bad, L"x"), 0) << bad;
    }
    // The object under a point: the head first, then the speakers, else the panel itself.
    panel->SetSpeakerPosition(0, 0.0f, 0.38f); // (130, 92): clear of the head
    EXPECT_EQ(panel->LayerFromPoint({130, 130}), panel->GetSpeaker(100));
    EXPECT_EQ(panel->LayerFromPoint({130, 92}), panel->GetSpeaker(0));
    EXPECT_EQ(panel->LayerFromPoint({5, 5}), panel);
    EXPECT_EQ(panel->SetSpeakerToolTip(3, L"Left surround"), 1);
    EXPECT_EQ(panel->GetSpeaker(3)->GetToolTipText(), L"Left surround");
}

TEST_F(PanelTest, CreationAndBackgroundFailuresAreReportedOrContained) {
    const ImageFiles& files = TestImages();
    CPanelVirtualSpeaker orphan;
    EXPECT_EQ(CatchMessage([&] {
                  orphan.Create(RECT{0, 0, 100, 100}, nullptr, 1);
              }),
              L"CPanelVirtualSpeaker::Create: pParent is NULL, Create failed!");
    EXPECT_EQ(orphan.GetSpeaker(0), nullptr);

    auto* panel = new CPanelVirtualSpeaker;
    EXPECT_EQ(panel->SetBarNormalSkin(files[L"bg"]), 1);
    EXPECT_EQ(CatchMessage([&] { panel->SetBarNormalSkin(files.missing); }),
              L"CPanelVirtualSpeaker::SetBarNormalSkin: failed to load skin (" + files.missing + L")!");
    EXPECT_EQ(panel->GetBackground(), nullptr);
    EXPECT_EQ(CatchMessage([&] { panel->SetBarDisableSkin(files.missing); }),
              L"CPanelVirtualSpeaker::SetBarDisableSkin: failed to load skin (" + files.missing + L")!");
    EXPECT_EQ(panel->SetBarDisableSkin(L""), 1); // an empty path changes nothing

    // A speaker whose picture is missing is made without one; creation goes on.
    panel->SetSpeakerSkin(0, files.missing);
    panel->SetSpeakerSkin(1, files[L"speaker"]);
    panel->SetParent(&dialog);
    panel->SetWidth(kSize);
    panel->SetHeight(kSize);
    EXPECT_EQ(panel->Create(), TRUE);
    EXPECT_EQ(panel->GetSpeaker(0)->GetImage(0), nullptr);
    EXPECT_NE(panel->GetSpeaker(1)->GetImage(0), nullptr);
}

TEST_F(PanelTest, SpeakersArePlacedByAngleAndDistanceAndDrawnThere) {
    auto* panel = Make();
    const struct {
        float angle, distance;
        POINT expected;
    } cases[] = {
        {0.0f, 1.0f, {130, 30}},       {1.570795f, 0.5f, {180, 130}}, {-1.570795f, 1.0f, {30, 130}},
        {3.14159f, 0.75f, {130, 205}}, {0.7853975f, 1.0f, {200, 60}},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(panel->SetSpeakerPosition(2, test.angle, test.distance), 1);
        const POINT at = panel->GetSpeaker(2)->GetCenter();
        EXPECT_EQ(at.x, test.expected.x) << test.angle;
        EXPECT_EQ(at.y, test.expected.y) << test.angle;
        const CPanelVirtualSpeaker::Polar back = panel->PolarOf(at);
        EXPECT_NEAR(back.distance, test.distance, 0.02f) << test.angle;
    }

    // Out-of-range values are held to the ring and wrapped; nonsense is refused.
    EXPECT_EQ(panel->SetSpeakerPosition(0, 0.0f, 3.0f), 1);
    EXPECT_EQ(panel->GetDistance(0), 1.0f);
    EXPECT_EQ(panel->SetSpeakerPosition(0, 0.0f, 0.0f), 1);
    EXPECT_EQ(panel->GetDistance(0), CPanelVirtualSpeaker::kMinDistance);
    EXPECT_EQ(panel->SetSpeakerPosition(0, 7.0f, 1.0f), 1);
    EXPECT_NEAR(panel->GetAngle(0), 7.0f - 6.28318f, 1e-4f);
    EXPECT_EQ(panel->SetSpeakerPosition(0, NAN, 1.0f), 0);
    EXPECT_EQ(panel->SetSpeakerPosition(0, 0.0f, INFINITY), 0);
    EXPECT_EQ(panel->SetSpeakerPosition(8, 0.0f, 1.0f), 0);
    EXPECT_EQ(panel->SetSpeakerPosition(-1, 0.0f, 1.0f), 0);
    EXPECT_EQ(panel->SetSpeakerDistance(8, 1.0f), 0);
    EXPECT_EQ(panel->SetSpeakerDistance(0, 0.5f), 1);
    EXPECT_NEAR(panel->GetAngle(0), 7.0f - 6.28318f, 1e-4f); // the angle stays
    EXPECT_TRUE(handler.Events().empty());                   // placing from outside is never reported

    // In the back buffer: the centre speaker straight above the head, the head, then the background.
    PlaceAll(panel, CPanelVirtualSpeaker::kDefaultAngles);
    Paint();
    EXPECT_TRUE(NearColor(Pixel(130, 30), kRed));
    EXPECT_TRUE(NearColor(Pixel(130, 130), kGreen));
    EXPECT_TRUE(NearColor(Pixel(130, 75), kBackground));
    EXPECT_TRUE(NearColor(Pixel(5, 5), kHostGrey)); // outside the background rectangle
}

// ---- dragging -----------------------------------------------------------------------------------------

TEST_F(PanelTest, DraggingOneSpeakerKeepsItBetweenTheLimitsAndReportsEachMove) {
    auto* panel = Make();
    PlaceAll(panel, CPanelVirtualSpeaker::kDefaultAngles);
    Mouse(WM_LBUTTONDOWN, 130, 30); // on the centre speaker
    EXPECT_EQ(panel->GetDraggedIndex(), 0);
    EXPECT_EQ(dialog.GetCaptureLayer(), panel);

    struct Move {
        POINT pointer;
        POINT placed;
        float distance;
    } moves[] = {
        {{130, 120}, {130, 92}, 0.38f}, // 10 pixels from the centre: held at the inner limit, same direction
        {{130, 10}, {130, 30}, 1.0f},   // beyond the circle: on the circle
        {{180, 130}, {180, 130}, 0.5f}, // inside the ring: where the pointer is
    };
    for (const Move& move : moves) {
        Mouse(WM_MOUSEMOVE, move.pointer.x, move.pointer.y, MK_LBUTTON);
        EXPECT_EQ(panel->GetSpeaker(0)->GetCenter().x, move.placed.x);
        EXPECT_EQ(panel->GetSpeaker(0)->GetCenter().y, move.placed.y);
        EXPECT_NEAR(panel->GetDistance(0), move.distance, 1e-4f);
    }
    // The speaker's box would stick out of the panel: nothing moves, nothing is reported.
    Mouse(WM_MOUSEMOVE, 130, 5, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 255, 130, MK_LBUTTON);
    EXPECT_EQ(panel->GetSpeaker(0)->GetCenter().x, 180);

    const auto events = handler.Events();
    ASSERT_EQ(events.size(), 3u);
    const float angles[] = {0.0f, 0.0f, 1.570795f};
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].kind, L"moved");
        EXPECT_EQ(events[i].index, 0);
        EXPECT_NEAR(events[i].angle, angles[i], 1e-4f);
        EXPECT_NEAR(events[i].distance, moves[i].distance, 1e-4f);
        EXPECT_EQ(events[i].thread, ::GetCurrentThreadId());
    }
    Mouse(WM_LBUTTONUP, 180, 130);
    EXPECT_EQ(panel->GetDraggedIndex(), -1);
    Mouse(WM_MOUSEMOVE, 130, 100);
    EXPECT_EQ(handler.Events().size(), 3u); // no drag without a press

    // The dragged speaker was drawn where it was left.
    Paint();
    EXPECT_TRUE(NearColor(Pixel(180, 130), kRed));
    EXPECT_TRUE(NearColor(Pixel(130, 30), kBackground));
}

TEST_F(PanelTest, DragTurningTurnsAllButTheSubwooferAndTheSubwooferTurnsNothing) {
    auto* panel = Make();
    PlaceAll(panel, CPanelVirtualSpeaker::kDefaultAngles);
    panel->SetMode(CPanelVirtualSpeaker::kModeTurnAll);
    EXPECT_FALSE(panel->IsTurning());

    // Speaker L sits at -45 degrees; drag it to straight ahead: the ring turns by +45 degrees.
    const POINT l = panel->GetSpeaker(1)->GetCenter();
    Mouse(WM_LBUTTONDOWN, l.x, l.y);
    ASSERT_EQ(panel->GetDraggedIndex(), 1);
    Mouse(WM_MOUSEMOVE, 130, 60, MK_LBUTTON);
    const float turn = 0.7853975f;
    for (int k = 0; k < 8; ++k) {
        const float expected = k == 7 ? CPanelVirtualSpeaker::kDefaultAngles[k]
                                      : CPanelVirtualSpeaker::WrapAngle(CPanelVirtualSpeaker::kDefaultAngles[k] + turn);
        EXPECT_NEAR(panel->GetAngle(k), expected, 1e-4f) << k;
        EXPECT_EQ(panel->GetDistance(k), 1.0f) << k;
    }
    EXPECT_EQ(panel->GetSpeaker(1)->GetCenter().x, 130);
    EXPECT_EQ(panel->GetSpeaker(1)->GetCenter().y, 30);
    auto events = handler.Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, L"rotated");
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(events[0].angles[k], panel->GetAngle(k));
    Mouse(WM_LBUTTONUP, 130, 60);

    // The speaker drawn turned: its picture still covers its centre.
    Paint();
    EXPECT_TRUE(NearColor(Pixel(130, 30), kRed));

    handler.Clear();
    const POINT sw = panel->GetSpeaker(7)->GetCenter();
    Mouse(WM_LBUTTONDOWN, sw.x, sw.y);
    EXPECT_EQ(panel->GetDraggedIndex(), 7);
    Mouse(WM_MOUSEMOVE, 40, 130, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 40, 130);
    EXPECT_TRUE(handler.Events().empty());
    EXPECT_EQ(panel->GetSpeaker(7)->GetCenter().x, sw.x);
}

TEST_F(PanelTest, ADisabledPanelIgnoresPressesAndDrawsItsDisabledLook) {
    auto* panel = Make();
    PlaceAll(panel, CPanelVirtualSpeaker::kDefaultAngles);
    panel->Enable(FALSE, TRUE);
    Mouse(WM_LBUTTONDOWN, 130, 30);
    Mouse(WM_MOUSEMOVE, 180, 130, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 180, 130);
    EXPECT_EQ(panel->GetDraggedIndex(), -1);
    EXPECT_TRUE(handler.Events().empty());
    EXPECT_EQ(panel->GetSpeaker(0)->GetCenter().y, 30);

    // No disabled background: the background in grey, alpha kept.
    Paint();
    const uint32_t grey = Pixel(130, 75);
    EXPECT_EQ(Alpha(grey), 255);
    EXPECT_NEAR(Red(grey), Green(grey), 2);
    EXPECT_NEAR(Green(grey), Blue(grey), 2);
    EXPECT_EQ(panel->GetSpeaker(0)->GetState(), CBaseObj::kStateDisabled);
    // The speakers in their disabled picture (blue, not the normal red), faded over the grey.
    const uint32_t speaker = Pixel(130, 30);
    EXPECT_GT(Blue(speaker), Red(speaker) + 30);
    EXPECT_LT(Blue(speaker), 250);

    panel->SetBarDisableSkin(TestImages()[L"bgOff"]);
    Paint();
    EXPECT_TRUE(NearColor(Pixel(130, 75), kDisabledBackground));

    panel->Enable(TRUE, TRUE);
    Mouse(WM_LBUTTONDOWN, 130, 30);
    EXPECT_EQ(panel->GetDraggedIndex(), 0);
    Mouse(WM_LBUTTONUP, 130, 30);
}

// ---- the turning thread -------------------------------------------------------------------------------

TEST_F(PanelTest, TurningStepsReportFromTheThreadFollowTheDirectionAndStopCleanly) {
    auto* panel = Make();
    PlaceAll(panel, CPanelVirtualSpeaker::kDefaultAngles);
    EXPECT_FALSE(panel->NeedsRedraw()); // nothing turns yet

    panel->SetMode(CPanelVirtualSpeaker::kModeClockwise);
    EXPECT_TRUE(panel->IsTurning());
    ASSERT_TRUE(handler.WaitForRedraws(1)); // the first step comes at once
    clock.Step(2);
    ASSERT_TRUE(handler.WaitForRedraws(3));
    EXPECT_EQ(clock.period, CPanelVirtualSpeaker::kStepPeriodMs);
    for (int k = 0; k < 8; ++k) {
        const float turned = k == 7 ? 0.0f : 3 * CPanelVirtualSpeaker::kStepAngle;
        EXPECT_NEAR(panel->GetAngle(k), CPanelVirtualSpeaker::kDefaultAngles[k] + turned, 1e-4f) << k;
    }
    EXPECT_TRUE(panel->NeedsRedraw());
    EXPECT_FALSE(panel->NeedsRedraw()); // not turned again since

    // The same mode again changes nothing; the other direction keeps the same thread and turns back.
    panel->SetMode(CPanelVirtualSpeaker::kModeClockwise);
    panel->SetMode(CPanelVirtualSpeaker::kModeCounterClockwise);
    EXPECT_TRUE(panel->IsTurning());
    clock.Step(1);
    ASSERT_TRUE(handler.WaitForRedraws(4));
    EXPECT_NEAR(panel->GetAngle(0), 2 * CPanelVirtualSpeaker::kStepAngle, 1e-4f);

    // The stop cuts the thread's wait short (the clock would wait ten seconds).
    const auto stopping = std::chrono::steady_clock::now();
    panel->SetMode(CPanelVirtualSpeaker::kModeDrag);
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::seconds(2));
    EXPECT_FALSE(panel->IsTurning());
    const auto events = handler.Events();
    const std::vector<std::wstring> expected = {L"rotated", L"redraw", L"rotated", L"redraw",
                                                L"rotated", L"redraw", L"rotated", L"redraw"};
    EXPECT_EQ(handler.Kinds(), expected);
    const DWORD worker = events.front().thread;
    EXPECT_NE(worker, ::GetCurrentThreadId());
    for (const auto& event : events)
        EXPECT_EQ(event.thread, worker);
    EXPECT_NEAR(events[6].angles[0], 2 * CPanelVirtualSpeaker::kStepAngle, 1e-4f);
    EXPECT_EQ(events[6].angles[7], CPanelVirtualSpeaker::kDefaultAngles[7]);

    // Stopped: more clock steps turn nothing.
    clock.Step(3);
    Pump();
    EXPECT_EQ(handler.Redraws(), 4);
    EXPECT_NEAR(panel->GetAngle(0), 2 * CPanelVirtualSpeaker::kStepAngle, 1e-4f);
}

// A room that counts the repaints the layer tree asks of it, and its paints.
class CountingRoom : public CPanelVirtualSpeaker {
public:
    void InvalidateRect(const RECT& rect, BOOL erase) override {
        ++invalidations;
        CPanelVirtualSpeaker::InvalidateRect(rect, erase);
    }
    void DrawChildren(CDC* dc, const RECT* clip) override {
        ++paints;
        CPanelVirtualSpeaker::DrawChildren(dc, clip);
    }
    int invalidations = 0;
    int paints = 0;
};

// The room's own area is all a turning step repaints and pushes, and the picture there is a full
// repaint's. Hidden, the steps still reach the listener (which writes the device), but nothing is drawn or
// pushed until the window shows again.
TEST_F(PanelTest, ATurningStepPushesTheRoomAloneAndNothingWhileTheWindowIsHidden) {
    PresentCounter presents;
    ASSERT_TRUE(presents.IsHooked());
    auto* room = Make<CountingRoom>();
    PlaceAll(room, CPanelVirtualSpeaker::kDefaultAngles);
    // The virtual-room handler's way: the thread posts, the user-interface thread asks for the repaint.
    handler.onRedraw = [room] { room->PostListenerNotice(); };
    handler.onNotice = [room] { room->Refresh(); };
    Pump();
    presents.Clear();
    const RECT area = room->GetRectInHost();

    room->SetMode(CPanelVirtualSpeaker::kModeClockwise);
    ASSERT_TRUE(handler.WaitForRedraws(1));
    MSG notice;
    ASSERT_TRUE(PeekMessageW(&notice, hwnd, CPanelVirtualSpeaker::kTurningNoticeMessage,
                             CPanelVirtualSpeaker::kTurningNoticeMessage, PM_REMOVE));
    DispatchMessageW(&notice);
    EXPECT_EQ(dialog.GetPendingArea(), area);
    Pump();
    const auto pushed = presents.Presents(hwnd);
    ASSERT_EQ(pushed.size(), 1u);
    EXPECT_EQ(pushed[0].dirty, area);
    const std::vector<uint32_t> stepped = AreaPixels(dialog, area);
    dialog.Update();
    EXPECT_EQ(FirstDifference(stepped, AreaPixels(dialog, area)), -1);

    dialog.CWnd::ShowWindow(SW_HIDE);
    Pump();
    presents.Clear();
    room->paints = 0;
    clock.Step(3);
    ASSERT_TRUE(handler.WaitForRedraws(4));
    Pump();
    const auto kinds = handler.Kinds();
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), L"rotated"), 4);
    EXPECT_EQ(presents.Count(hwnd), 0);
    EXPECT_EQ(room->paints, 0);

    dialog.CWnd::ShowWindow(SW_SHOW);
    Pump();
    EXPECT_EQ(room->paints, 1);
    EXPECT_GE(presents.Count(hwnd), 1);
    const std::vector<uint32_t> shown = AreaPixels(dialog, area);
    dialog.Update();
    EXPECT_EQ(FirstDifference(shown, AreaPixels(dialog, area)), -1);
    EXPECT_NEAR(room->GetAngle(0), 4 * CPanelVirtualSpeaker::kStepAngle, 1e-4f);
    room->SetMode(CPanelVirtualSpeaker::kModeDrag);
}

// Inside a scrolling panel the room is one of the layers every scroll step repaints, while it turns and
// has turned since it was last drawn.
TEST_F(PanelTest, ATurningRoomKeepsMovingWhileItsPanelScrolls) {
    auto* scroller = new CxSkinPanel;
    scroller->SetParent(&dialog);
    scroller->SetLeft(0);
    scroller->SetTop(0);
    scroller->SetWidth(300);
    scroller->SetHeight(300);
    ASSERT_EQ(scroller->Create(), TRUE);
    scroller->SetScrollSize(200, TRUE);
    scroller->SetPageSize(40, TRUE);
    auto* room = new CountingRoom;
    room->SetName(L"PanelVSRoom");
    room->SetParent(static_cast<CxSkinObject*>(scroller));
    room->SetLeft(kAt.x);
    room->SetTop(kAt.y);
    room->SetWidth(kSize);
    room->SetHeight(kSize);
    room->SetStepClock(&clock);
    ASSERT_EQ(room->Create(), TRUE);

    // Still: what a scroll repaints of the room on its own.
    room->invalidations = 0;
    ASSERT_TRUE(scroller->ScrollPageForward(TRUE));
    const int still = room->invalidations;

    room->SetMode(CPanelVirtualSpeaker::kModeClockwise);
    clock.Step(1);
    ASSERT_TRUE(handler.WaitForRedraws(2)); // two steps: turned past the repaint threshold
    room->invalidations = 0;
    ASSERT_TRUE(scroller->ScrollPageForward(TRUE));
    EXPECT_EQ(room->invalidations, still + 1) << "the first scroll step repaints the turned room, once";
    std::vector<CLayerWnd*> animated;
    dialog.CollectChildren(animated);
    EXPECT_TRUE(animated.empty()) << "not turned again since it was last drawn";
    room->SetMode(CPanelVirtualSpeaker::kModeDrag);
}

// The turning thread may wait on the window (a listener that sends it a message): stopping the thread
// answers that send instead of waiting for a thread that waits for it.
TEST_F(PanelTest, StoppingAnswersMessagesTheThreadSendsMeanwhile) {
    auto* panel = Make();
    HANDLE sending = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<LRESULT> answered{-1};
    handler.onRedraw = [this, sending, &answered] {
        if (::WaitForSingleObject(sending, 0) == WAIT_OBJECT_0)
            return;
        ::SetEvent(sending);
        DWORD_PTR result = 0;
        answered = ::SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 4000, &result) ? 1 : 0;
    };
    panel->SetMode(CPanelVirtualSpeaker::kModeClockwise);
    ASSERT_EQ(::WaitForSingleObject(sending, 5000), WAIT_OBJECT_0);
    const auto stopping = std::chrono::steady_clock::now();
    panel->SetMode(CPanelVirtualSpeaker::kModeDrag);
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::seconds(2));
    EXPECT_FALSE(panel->IsTurning());
    EXPECT_EQ(answered.load(), 1) << "the send timed out: the window did not answer while it waited";
    handler.onRedraw = nullptr;
    ::CloseHandle(sending);
}

TEST_F(PanelTest, EndlessTurningStaysWithinOneTurn) {
    auto* panel = Make();
    PlaceAll(panel, CPanelVirtualSpeaker::kDefaultAngles);
    panel->SetSpeakerPosition(0, 3.13f, 1.0f);
    panel->SetMode(CPanelVirtualSpeaker::kModeClockwise);
    ASSERT_TRUE(handler.WaitForRedraws(1));
    panel->SetMode(CPanelVirtualSpeaker::kModeDrag);
    EXPECT_NEAR(panel->GetAngle(0), 3.13f + 0.035f - 6.28318f, 1e-4f);
    // Still drawn where a speaker at that angle belongs: just left of straight down.
    const POINT at = panel->GetSpeaker(0)->GetCenter();
    EXPECT_NEAR(at.y, 230, 1);
    EXPECT_LT(at.x, 130);
}

TEST_F(PanelTest, TheThreadStopsWhenThePanelGoesAndWhenItsListenerStopsIt) {
    // Torn down while turning: the thread is joined before the panel is freed, and never calls again.
    auto* panel = Make();
    panel->SetMode(CPanelVirtualSpeaker::kModeCounterClockwise);
    ASSERT_TRUE(handler.WaitForRedraws(1));
    delete panel;
    EXPECT_EQ(dialog.GetChildCount(), 0);
    const int redraws = handler.Redraws();
    clock.Step(3);
    Pump();
    EXPECT_EQ(handler.Redraws(), redraws);

    // The layer tree's teardown stops it too.
    panel = Make();
    panel->SetMode(CPanelVirtualSpeaker::kModeClockwise);
    ASSERT_TRUE(handler.WaitForRedraws(redraws + 1));
    panel->DestroyChildren();
    EXPECT_FALSE(panel->IsTurning());
    delete panel;

    // A listener that switches the mode off from the thread itself ends it without a deadlock; the next
    // start makes a fresh thread.
    panel = Make();
    handler.Clear();
    handler.onRedraw = [panel] { panel->SetMode(CPanelVirtualSpeaker::kModeDrag); };
    panel->SetMode(CPanelVirtualSpeaker::kModeClockwise);
    ASSERT_TRUE(handler.WaitForRedraws(1));
    for (int i = 0; i < 100 && panel->IsTurning(); ++i)
        ::Sleep(10);
    EXPECT_FALSE(panel->IsTurning());
    handler.onRedraw = nullptr;
    panel->SetMode(CPanelVirtualSpeaker::kModeClockwise);
    ASSERT_TRUE(handler.WaitForRedraws(2));
    EXPECT_NE(handler.Events().front().thread, handler.Events().back().thread);
    panel->SetMode(CPanelVirtualSpeaker::kModeTurnAll);
    EXPECT_FALSE(panel->IsTurning());
}

TEST_F(PanelTest, TheSystemClockStepsAboutEveryHundredAndFiftyMilliseconds) {
    auto* panel = Make();
    panel->SetStepClock(nullptr);
    const auto start = std::chrono::steady_clock::now();
    panel->SetMode(CPanelVirtualSpeaker::kModeClockwise);
    ASSERT_TRUE(handler.WaitForRedraws(3, std::chrono::seconds(3)));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(250)); // two full waits between three steps
    const auto stopping = std::chrono::steady_clock::now();
    panel->SetMode(CPanelVirtualSpeaker::kModeDrag);
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::milliseconds(400));
    EXPECT_FALSE(panel->IsTurning());
}

} // namespace
