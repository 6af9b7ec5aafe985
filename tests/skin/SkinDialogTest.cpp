// The skinned dialog on a real window: mouse routing with capture, window moves from empty spots, the
// message filter as the modal loop runs it, focus, layer messages, deactivation, destruction, listener
// look-up and the rounded outline.
#include <gtest/gtest.h>

#include "SkinDialogFixture.h"
#include "SkinTestSupport.h"
#include "TestPaths.h"
#include "skin/SkinToolTip.h"

using namespace oc::test;

namespace {

// Stands in for the text box: the dialog recognises it by its run-time class name alone.
const CRuntimeClass kTextBoxClass = {L"CxSkinTextBox", RUNTIME_CLASS(CLayerWnd)};
const CRuntimeClass kPanelClass = {L"CxSkinPanel", RUNTIME_CLASS(CLayerWnd)};

class FakeTextBox : public Probe {
public:
    FakeTextBox(DialogLog* log, std::wstring name) : Probe(log, std::move(name)) {}
    const CRuntimeClass* GetRuntimeClass() const override { return &kTextBoxClass; }
};

class SkinDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDialog(dialog));
        hwnd = dialog.GetSafeHwnd();
        a = AddProbe(Root(), {10, 10, 60, 40}, &log, L"a");
        b = AddProbe(Root(), {100, 10, 150, 40}, &log, L"b");
        panel = AddProbe(Root(), {10, 100, 290, 190}, &log, L"panel", Probe::Kind::Container);
        c = AddProbe(panel, {20, 10, 70, 40}, &log, L"c");
    }

    CLayerDialog* Root() { return &dialog; }
    bool Mouse(UINT message, int x, int y, WPARAM flags = 0) { return Deliver(hwnd, message, flags, PointParam(x, y)); }
    bool Key(UINT vk) { return Deliver(hwnd, WM_KEYDOWN, vk, 1); }
    // What reached one probe, without its name.
    std::vector<std::wstring> EventsOf(const std::wstring& name) const {
        std::vector<std::wstring> events;
        for (const std::wstring& entry : log) {
            if (entry.rfind(name + L" ", 0) == 0)
                events.push_back(entry.substr(name.size() + 1));
        }
        return events;
    }

    DialogLog log; // outlives the dialog and its probes
    TestDialog dialog;
    HWND hwnd = nullptr;
    Probe* a = nullptr;
    Probe* b = nullptr;
    Probe* panel = nullptr;
    Probe* c = nullptr;
};

using Events = std::vector<std::wstring>;

TEST_F(SkinDialogTest, ReleaseGoesToTheLayerThatTookThePress) {
    const struct {
        POINT release;
        Events expected;
    } cases[] = {
        {{25, 25}, {L"down 10,10", L"up 15,15"}},
        {{200, 60}, {L"down 10,10", L"up 190,50", L"out"}},
        {{-20, 20}, {L"down 10,10", L"up -30,10", L"out"}}, // left of the window: signed coordinates
    };
    for (const auto& test : cases) {
        log.clear();
        Mouse(WM_LBUTTONDOWN, 20, 20);
        EXPECT_EQ(dialog.GetCaptureLayer(), a);
        EXPECT_EQ(dialog.GetFocusLayer(), a);
        EXPECT_TRUE(dialog.IsLeftButtonPressed());
        EXPECT_EQ(GetCapture(), hwnd);
        Mouse(WM_LBUTTONUP, test.release.x, test.release.y);
        EXPECT_EQ(EventsOf(L"a"), test.expected) << test.release.x;
        EXPECT_TRUE(EventsOf(L"b").empty());
        EXPECT_EQ(dialog.GetCaptureLayer(), nullptr);
        EXPECT_FALSE(dialog.IsLeftButtonPressed());
        EXPECT_NE(GetCapture(), hwnd);
    }
}

TEST_F(SkinDialogTest, CapturedMovesFollowThePointerUntilItIsFarAway) {
    Mouse(WM_LBUTTONDOWN, 20, 20);
    const struct {
        POINT point;
        Events expected;
    } cases[] = {
        {{200, 150}, {L"move 190,140"}},  // over other layers: still only the captured one hears it
        {{-20, -5}, {L"move -30,-15"}},   // a drag left of and above the window keeps going
        {{10000, 20}, {L"move 9990,10"}}, // the limit itself is near
        {{10001, 20}, {L"out"}},          {{20, -10001}, {L"out"}},
    };
    for (const auto& test : cases) {
        log.clear();
        Mouse(WM_MOUSEMOVE, test.point.x, test.point.y, MK_LBUTTON);
        EXPECT_EQ(EventsOf(L"a"), test.expected) << test.point.x << "," << test.point.y;
        EXPECT_TRUE(EventsOf(L"b").empty());
        EXPECT_TRUE(EventsOf(L"c").empty());
    }
    Mouse(WM_LBUTTONUP, 20, 20);
}

TEST_F(SkinDialogTest, WithoutCaptureMovesTrackTheHover) {
    Mouse(WM_MOUSEMOVE, 20, 20);
    Mouse(WM_MOUSEMOVE, 40, 120);
    EXPECT_EQ(EventsOf(L"a"), (Events{L"move 10,10", L"out"}));
    EXPECT_EQ(EventsOf(L"c"), (Events{L"move 10,10"}));
}

TEST_F(SkinDialogTest, AReleaseNobodyPressedForClicksNothing) {
    // A press on the panel's empty spot takes no capture; moving onto a control and releasing there must
    // not reach it.
    Mouse(WM_LBUTTONDOWN, 200, 150);
    EXPECT_EQ(dialog.GetCaptureLayer(), nullptr);
    EXPECT_TRUE(dialog.m_moves.empty()); // the panel is a layer: no window move
    Mouse(WM_MOUSEMOVE, 40, 120, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 40, 120);
    EXPECT_EQ(EventsOf(L"c"), (Events{L"move 10,10"}));

    // Nor does the release after a window move started on an empty spot of the dialog.
    log.clear();
    Mouse(WM_LBUTTONDOWN, 250, 60);
    EXPECT_EQ(dialog.m_moves.size(), 1u);
    Mouse(WM_LBUTTONUP, 20, 20);
    EXPECT_TRUE(EventsOf(L"a").empty());
}

TEST_F(SkinDialogTest, RightReleaseDuringALeftDragKeepsTheCapture) {
    Mouse(WM_LBUTTONDOWN, 20, 20);
    Mouse(WM_RBUTTONUP, 120, 20);
    EXPECT_EQ(EventsOf(L"b"), (Events{L"rup 20,10"}));
    EXPECT_EQ(dialog.GetCaptureLayer(), a);
    Mouse(WM_LBUTTONUP, 20, 20);
    EXPECT_EQ(EventsOf(L"a").back(), L"up 10,10");

    // Without a left press a right release ends any capture left behind.
    dialog.SetCaptureLayer(a);
    Mouse(WM_RBUTTONUP, 250, 60);
    EXPECT_EQ(dialog.GetCaptureLayer(), nullptr);
}

TEST_F(SkinDialogTest, BlockedInputSwallowsTheMouseOnly) {
    dialog.SetFocusLayer(b);
    dialog.SetInputBlocked(TRUE);
    EXPECT_FALSE(Mouse(WM_LBUTTONDOWN, 20, 20));
    EXPECT_FALSE(Mouse(WM_MOUSEMOVE, 20, 20));
    EXPECT_TRUE(EventsOf(L"a").empty());
    Key(VK_RIGHT);
    EXPECT_EQ(EventsOf(L"b"), (Events{L"key 39"}));

    dialog.SetInputBlocked(FALSE);
    EXPECT_TRUE(Mouse(WM_LBUTTONDOWN, 20, 20));
    Mouse(WM_LBUTTONUP, 20, 20);
    EXPECT_EQ(EventsOf(L"a"), (Events{L"down 10,10", L"up 10,10"}));
}

TEST_F(SkinDialogTest, EnterDoesNothingUnlessAFocusedTextBoxTakesIt) {
    // A plain control: Enter is swallowed, other keys reach it, and it is never asked first. (A key the
    // filter lets through is dispatched by the dialog's own keyboard handling, so the filter's answer says
    // nothing; what reached the layers does.)
    dialog.SetFocusLayer(a);
    EXPECT_FALSE(Key(VK_RETURN));
    Key(VK_RIGHT);
    EXPECT_EQ(EventsOf(L"a"), (Events{L"key 39"}));

    auto* box = AddProbe<FakeTextBox>(Root(), {160, 10, 260, 40}, &log, L"box");
    dialog.SetFocusLayer(box);
    const struct {
        BOOL takes;
        UINT key;
        Events expected;
    } cases[] = {
        {TRUE, VK_RETURN, {L"pre 256 13"}},
        {FALSE, VK_RETURN, {L"pre 256 13"}},
        {TRUE, VK_RIGHT, {L"pre 256 39"}},
        {FALSE, VK_RIGHT, {L"pre 256 39", L"key 39"}},
    };
    for (const auto& test : cases) {
        log.clear();
        box->m_takesMessages = test.takes;
        Key(test.key);
        EXPECT_EQ(EventsOf(L"box"), test.expected) << test.key << " " << test.takes;
    }

    // A dialog kind that acts on Enter gets it.
    log.clear();
    dialog.m_takesEnter = true;
    dialog.SetFocusLayer(a);
    Key(VK_RETURN);
    EXPECT_EQ(EventsOf(L"a"), (Events{L"key 13"}));
    EXPECT_TRUE(dialog.IsWindowVisible());
}

TEST_F(SkinDialogTest, KeyboardLayoutRequestsAreSwallowed) {
    dialog.SetFocusLayer(a);
    EXPECT_FALSE(Deliver(hwnd, WM_INPUTLANGCHANGEREQUEST, 0, reinterpret_cast<LPARAM>(GetKeyboardLayout(0))));
}

TEST_F(SkinDialogTest, FocusChangeTellsTheOldLayerAndADyingLayerIsForgottenQuietly) {
    dialog.SetFocusLayer(a);
    dialog.SetFocusLayer(b);
    dialog.SetFocusLayer(b);
    EXPECT_EQ(EventsOf(L"a"), (Events{L"killfocus b"}));

    dialog.SetCaptureLayer(b);
    log.clear();
    delete b;
    EXPECT_EQ(dialog.GetFocusLayer(), nullptr);
    EXPECT_EQ(dialog.GetCaptureLayer(), nullptr);
    EXPECT_TRUE(log.empty());
    Mouse(WM_MOUSEMOVE, 120, 20);
    Key(VK_RIGHT);
}

TEST_F(SkinDialogTest, LayerMessagesReachOnlyLayersStillInTheTree) {
    EXPECT_EQ(SendMessageW(hwnd, 2025, reinterpret_cast<WPARAM>(c), 4), 5);
    EXPECT_EQ(SendMessageW(hwnd, 3023, reinterpret_cast<WPARAM>(a), 9), 10);
    EXPECT_EQ(SendMessageW(hwnd, 3024, reinterpret_cast<WPARAM>(a), 9), 0);
    EXPECT_EQ(log, (DialogLog{L"c message 2025", L"a message 3023"}));

    // A queued message outliving its layer is dropped.
    log.clear();
    const WPARAM stale = reinterpret_cast<WPARAM>(c);
    delete c;
    EXPECT_EQ(SendMessageW(hwnd, 2025, stale, 4), 0);
    EXPECT_TRUE(log.empty());
}

TEST_F(SkinDialogTest, SizeMessageResizesTheRootUnlessEmpty) {
    const RECT before = Root()->GetRect();
    const struct {
        int width, height;
        RECT expected;
    } cases[] = {
        {0, 50, before},
        {50, 0, before},
        {120, 80, {0, 0, 120, 80}},
    };
    for (const auto& test : cases) {
        SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(test.width, test.height));
        const RECT rect = Root()->GetRect();
        EXPECT_TRUE(EqualRect(&rect, &test.expected)) << test.width << "x" << test.height;
    }
}

TEST_F(SkinDialogTest, PressOnAnEmptySpotStartsAWindowMove) {
    const struct {
        BOOL draggable;
        POINT press;
        bool moves;
    } cases[] = {
        {TRUE, {250, 60}, true},
        {TRUE, {20, 20}, false},   // a control
        {TRUE, {200, 150}, false}, // a panel counts as a control
        {FALSE, {250, 60}, false},
    };
    for (const auto& test : cases) {
        dialog.m_moves.clear();
        dialog.SetDraggable(test.draggable);
        Mouse(WM_LBUTTONDOWN, test.press.x, test.press.y);
        ASSERT_EQ(dialog.m_moves.size(), test.moves ? 1u : 0u) << test.press.x << " " << test.draggable;
        if (test.moves) {
            POINT screen = test.press;
            ClientToScreen(hwnd, &screen);
            EXPECT_EQ(dialog.m_moves[0].hitTest, static_cast<UINT>(HTCAPTION));
            EXPECT_EQ(dialog.m_moves[0].point, PointParam(screen.x, screen.y));
            EXPECT_FALSE(dialog.IsLeftButtonPressed());
        }
        Mouse(WM_LBUTTONUP, test.press.x, test.press.y);
    }
}

TEST_F(SkinDialogTest, TheSystemMoveEndsWithTheRelease) {
    dialog.m_interceptMoves = false;
    PostMessageW(hwnd, WM_LBUTTONUP, 0, PointParam(250, 60));
    Mouse(WM_LBUTTONDOWN, 250, 60);
    EXPECT_TRUE(dialog.IsWindow());
    EXPECT_FALSE(dialog.IsLeftButtonPressed());
    Mouse(WM_LBUTTONDOWN, 20, 20);
    Mouse(WM_LBUTTONUP, 20, 20);
    EXPECT_EQ(EventsOf(L"a").back(), L"up 10,10");
}

TEST_F(SkinDialogTest, DeactivationResetsTheMouseAndHidesWhenAsked) {
    for (BOOL hide : {FALSE, TRUE}) {
        log.clear();
        dialog.CWnd::ShowWindow(SW_SHOW);
        dialog.SetHideOnDeactivate(hide);
        Mouse(WM_LBUTTONDOWN, 20, 20);
        SendMessageW(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
        EXPECT_EQ(dialog.IsWindowVisible() != FALSE, !hide);
        EXPECT_EQ(dialog.GetCaptureLayer(), nullptr);
        EXPECT_EQ(dialog.GetFocusLayer(), nullptr);
        const Events events = EventsOf(L"a");
        EXPECT_NE(std::find(events.begin(), events.end(), L"out"), events.end());
        EXPECT_NE(std::find(events.begin(), events.end(), L"killfocus -"), events.end());
        Mouse(WM_LBUTTONUP, 20, 20);
    }
}

TEST_F(SkinDialogTest, TransparencyAndTitle) {
    dialog.SetTransparency(50, TRUE);
    EXPECT_EQ(dialog.GetTransparency(), 50);
    dialog.SetTitle(L"Skinned");
    EXPECT_EQ(dialog.GetWindowText(), L"Skinned");
    EXPECT_STREQ(dialog.GetTypeName(), L"Dialog");
}

TEST_F(SkinDialogTest, NamesBothBasesCarryMeanTheWindowExceptTheRepaint) {
    RECT client{};
    dialog.GetClientRect(&client);
    const RECT layerClient = dialog.GetClientRect();
    EXPECT_EQ(client.right, 300);
    EXPECT_TRUE(EqualRect(&client, &layerClient));
    EXPECT_EQ(dialog.GetParent(), nullptr);
    dialog.Invalidate(FALSE);
    EXPECT_EQ(Alpha(dialog.GetPixel(5, 5)), 255);
    dialog.ShowWindow(SW_HIDE);
    EXPECT_FALSE(dialog.IsWindowVisible());
}

// Notes whether its dialog still had its window when the layer went.
class WitnessProbe : public Probe {
public:
    WitnessProbe(DialogLog* log, CWnd* dialog) : Probe(log, L"witness"), m_dialog(dialog) {}
    ~WitnessProbe() override { Log(m_dialog->GetSafeHwnd() ? L"gone with the window" : L"gone after the window"); }

private:
    CWnd* m_dialog;
};

TEST(SkinDialog, DestroyReleasesTheListenerOnceThenTheLayersAndTheTooltip) {
    for (BOOL later : {FALSE, TRUE}) {
        RecordingListener listener;
        DialogLog log;
        {
            TestDialog dialog;
            dialog.SetDestroyLayersAfterWindow(later);
            ASSERT_TRUE(OpenDialog(dialog));
            dialog.SetListener(&listener);
            AddProbe<WitnessProbe>(static_cast<CLayerDialog*>(&dialog), {10, 10, 60, 40}, &log, &dialog);
            ASSERT_NE(dialog.GetToolTipWindow(), nullptr);
            EXPECT_EQ(static_cast<CLayerDialog&>(dialog).GetToolTip(), dialog.GetToolTipWindow());

            dialog.DestroyWindow();
            ASSERT_FALSE(log.empty());
            EXPECT_EQ(log.back(), later ? L"witness gone after the window" : L"witness gone with the window");
            EXPECT_EQ(listener.m_releases, 1);
            EXPECT_EQ(dialog.GetListener(), nullptr);
            EXPECT_EQ(dialog.GetChildCount(), 0);
            EXPECT_EQ(dialog.GetToolTipWindow(), nullptr);
            EXPECT_EQ(static_cast<CLayerDialog&>(dialog).GetToolTip(), nullptr);
        }
        EXPECT_EQ(listener.m_releases, 1) << later;
    }

    // A dialog that is simply deleted releases it once as well.
    RecordingListener listener;
    {
        TestDialog dialog;
        ASSERT_TRUE(OpenDialog(dialog));
        dialog.SetListener(&listener);
    }
    EXPECT_EQ(listener.m_releases, 1);
}

TEST(SkinDialog, ADialogWithoutTooltipOrWindowStaysSafe) {
    RecordingListener listener; // outlives the dialog that releases it
    TestDialog dialog;          // never created: no window, no tooltip
    dialog.SetListener(&listener);
    auto* layer = AddProbe(static_cast<CLayerDialog*>(&dialog), {0, 0, 10, 10}, nullptr, L"x");
    dialog.EnableToolTips(FALSE);
    dialog.EnableToolTips(TRUE);
    MSG msg{nullptr, WM_MOUSEMOVE, 0, PointParam(5, 5), 0, {}};
    EXPECT_FALSE(dialog.PreTranslateMessage(&msg));
    dialog.ResetMouseState();
    delete layer;
    EXPECT_EQ(dialog.GetToolTipWindow(), nullptr);
}

// Ends its dialog when a layer message reaches it.
class EndingProbe : public Probe {
public:
    EndingProbe(DialogLog* log, CDialog* dialog) : Probe(log, L"ending"), m_dialog(dialog) {}
    LRESULT OnLayerMessage(UINT msg, LPARAM lParam) override {
        Probe::OnLayerMessage(msg, lParam);
        m_dialog->EndDialog(static_cast<int>(lParam));
        return 0;
    }

private:
    CDialog* m_dialog;
};

TEST(SkinDialog, UnderTheModalLoopEnterAndEscapeEndNothing) {
    DialogLog log;
    TestDialog dialog;
    dialog.m_onInit = [&] {
        dialog.SetShapeWidth(200);
        dialog.SetShapeHeight(100);
        dialog.Create();
        auto* probe = AddProbe<EndingProbe>(static_cast<CLayerDialog*>(&dialog), {10, 10, 60, 40}, &log, &dialog);
        dialog.SetFocusLayer(probe);
        HWND hwnd = dialog.GetSafeHwnd();
        PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 1);
        PostMessageW(hwnd, 2025, reinterpret_cast<WPARAM>(probe), 7);
    };
    EXPECT_EQ(dialog.DoModal(), 7);
    // (Closing deactivates the dialog, which then resets focus and hover: those entries follow.)
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(DialogLog(log.begin(), log.begin() + 2), (DialogLog{L"ending key 27", L"ending message 2025"}));
}

// A panel and a control that are also skin objects, as the real ones are.
class FakePanel : public Probe, public CxSkinObject {
public:
    FakePanel() : Probe(nullptr, L"panel", Kind::Container) { SetLayer(this); }
    const CRuntimeClass* GetRuntimeClass() const override { return &kPanelClass; }
};

class FakeControl : public Probe, public CxSkinObject {
public:
    FakeControl() : Probe(nullptr, L"control") { SetLayer(this); }
};

TEST(SkinDialog, ListenerLookUpWalksUpThroughPanelsToTheDialog) {
    RecordingListener ofDialog, ofPanel, ofControl; // outlive the objects that release them
    TestDialog dialog;
    CLayerDialog* root = &dialog;
    // root > plain container > panel > plain container > control
    auto* outer = AddProbe(root, {0, 0, 200, 200}, nullptr, L"outer", Probe::Kind::Container);
    auto* panel = AddProbe<FakePanel>(outer, {10, 10, 190, 190});
    auto* inner = AddProbe(panel, {10, 10, 150, 150}, nullptr, L"inner", Probe::Kind::Container);
    auto* control = AddProbe<FakeControl>(inner, {10, 10, 50, 50});

    EXPECT_EQ(control->FindListener(), nullptr);
    EXPECT_EQ(control->FindListenerLayer(), nullptr);

    const struct {
        CxSkinObject* holder;
        RecordingListener* listener;
        CLayerWnd* layer;
    } steps[] = {
        {&dialog, &ofDialog, root},
        {panel, &ofPanel, panel},
        {control, &ofControl, control},
    };
    for (const auto& step : steps) {
        step.holder->SetListener(step.listener);
        EXPECT_EQ(control->FindListener(), step.listener);
        EXPECT_EQ(control->FindListenerLayer(), step.layer);
    }
    EXPECT_EQ(dialog.FindListener(), &ofDialog);
    EXPECT_EQ(dialog.FindListenerLayer(), root);
    EXPECT_EQ(panel->FindListener(), &ofPanel);

    // An object drawn by the dialog itself (a menu row) stands on the root layer and is served by the dialog.
    CxSkinObject row;
    row.SetLayer(root);
    EXPECT_EQ(row.FindListener(), &ofDialog);
    EXPECT_EQ(row.FindListenerLayer(), root);
    CxSkinObject detached;
    EXPECT_EQ(detached.FindListener(), nullptr);
}

TEST(SkinDialog, RoundedCornersLeaveTheCornersClear) {
    TempDir dir;
    auto image = SolidImage(300, 200, 0xFF3060C0);
    ASSERT_TRUE(SavePng(*image, dir / L"back.png"));
    for (int radius : {0, 8}) {
        TestDialog dialog;
        ASSERT_TRUE(dialog.Create(CDialog::IDD_POPUP, nullptr));
        dialog.SetBackgroundImage((dir / L"back.png").wstring().c_str());
        dialog.SetShapeWidth(300);
        dialog.SetShapeHeight(200);
        dialog.SetCornerRadius(radius);
        EXPECT_EQ(dialog.Create(), 1);
        EXPECT_EQ(dialog.GetSurfaceWidth(), 300);
        EXPECT_EQ(Alpha(dialog.GetPixel(150, 100)), 255);
        EXPECT_EQ(Alpha(dialog.GetPixel(1, 1)), radius ? 0 : 255) << radius;
        EXPECT_EQ(Alpha(dialog.GetPixel(298, 198)), radius ? 0 : 255) << radius;
    }
}

} // namespace
