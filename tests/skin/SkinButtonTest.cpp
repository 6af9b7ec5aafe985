// The button family on a real skinned dialog: click, right click and double click delivery, sizing,
// image setters and their failures, the state image each state paints, the check tooltip, the check box
// and radio group behaviour, and the repeat button's timer (driven by hand, and once by the system).
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "HandFiredClock.h"
#include "ImageFiles.h"
#include "LayerTestTree.h"
#include "SkinDialogFixture.h"
#include "SkinTestSupport.h"
#include "TestPaths.h"
#include "skin/LayerDialog.h"
#include "skin/LayerToolTip.h"
#include "skin/SkinButton.h"
#include "skin/SkinCheckbox.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinGraphics.h"
#include "skin/SkinRadioButton.h"
#include "skin/SkinRepeatButton.h"
#include "skin/SkinStatic.h"

using namespace oc::test;

namespace {

const CRuntimeClass kPanelClass = {L"CxSkinPanel", RUNTIME_CLASS(CLayerWnd)};

// A handler: it serves the controls beneath its panel or dialog and logs what they report.
class RecordingHandler : public IxSkinListener, public IxSkinButtonListener {
public:
    void Release() override {}
    int OnClick(const std::wstring& name) override { return Log(L"click " + name); }
    int OnRButtonUp(const std::wstring& name) override { return Log(L"rclick " + name); }
    int OnDblClick(const std::wstring& name) override { return Log(L"dblclick " + name); }

    std::vector<std::wstring> events;
    std::function<void(const std::wstring&)> onClick;

private:
    int Log(const std::wstring& event) {
        events.push_back(event);
        if (onClick && event.rfind(L"click ", 0) == 0)
            onClick(event.substr(6));
        return 0;
    }
};

// A container the group search and the listener look-up take for a panel.
class FakePanel : public CLayerWnd, public CxSkinObject {
public:
    FakePanel() { SetLayer(this); }
    const CRuntimeClass* GetRuntimeClass() const override { return &kPanelClass; }
    const wchar_t* GetTypeName() const override { return L"panel"; }
};

// Red, green, blue, yellow, cyan, magenta, grey and white state images, generated per run.
const ImageFiles& TestImages() {
    static const ImageFiles images({
        {L"normal", 40, 20, 0xFFFF0000},       {L"over", 40, 20, 0xFF00FF00},      {L"down", 40, 20, 0xFF0000FF},
        {L"power", 40, 20, 0xFFFFFF00},        {L"powerover", 40, 20, 0xFF00FFFF}, {L"disable", 40, 20, 0xFFFF00FF},
        {L"powerdisable", 40, 20, 0xFF808080}, {L"content", 10, 10, 0xFFFFFFFF},
    });
    return images;
}

template <class Button> Button* MakeButton(IxSkinObject* parent, const std::wstring& name, RECT rect) {
    auto* button = new Button;
    button->SetName(name);
    button->SetLeft(rect.left);
    button->SetTop(rect.top);
    button->SetWidth(rect.right - rect.left);
    button->SetHeight(rect.bottom - rect.top);
    button->SetParent(parent);
    EXPECT_EQ(button->Create(), TRUE);
    return button;
}

class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDialog(dialog));
        hwnd = dialog.GetSafeHwnd();
        dialog.SetListener(&handler);
    }
    bool Mouse(UINT message, int x, int y) { return Deliver(hwnd, message, 0, PointParam(x, y)); }
    void Click(int x, int y) {
        Mouse(WM_LBUTTONDOWN, x, y);
        Mouse(WM_LBUTTONUP, x, y);
    }

    RecordingHandler handler; // outlives the dialog that releases it
    TestDialog dialog;
    HWND hwnd = nullptr;
};

using Events = std::vector<std::wstring>;

TEST_F(ButtonTest, ReportsClicksRightClicksAndDoubleClicksOnlyInsideAndEnabled) {
    auto* button = MakeButton<CxSkinButton>(&dialog, L"ok", {10, 10, 60, 40});
    EXPECT_EQ(button->m_buttonListener, &handler);

    Click(20, 20);
    Mouse(WM_RBUTTONDOWN, 20, 20);
    Mouse(WM_RBUTTONUP, 20, 20);
    Mouse(WM_LBUTTONDBLCLK, 20, 20);
    EXPECT_EQ(handler.events, (Events{L"click ok", L"rclick ok", L"dblclick ok"}));

    // Pressed, dragged out and released outside: nothing, and the button is idle again.
    handler.events.clear();
    Mouse(WM_LBUTTONDOWN, 20, 20);
    EXPECT_TRUE(button->IsPressed());
    Mouse(WM_MOUSEMOVE, 100, 100);
    Mouse(WM_LBUTTONUP, 100, 100);
    EXPECT_TRUE(handler.events.empty());
    EXPECT_FALSE(button->IsPressed());
    EXPECT_FALSE(button->IsHot());

    // A right release or double click outside the button (routed to it as the captured layer) says nothing.
    button->OnRButtonUp(0, {70, 5});
    button->OnLButtonDblClk(0, {-1, 5});
    EXPECT_TRUE(handler.events.empty());

    button->Enable(FALSE, TRUE);
    button->OnLButtonUp(0, {5, 5});
    button->OnRButtonUp(0, {5, 5});
    button->OnLButtonDblClk(0, {5, 5});
    EXPECT_TRUE(handler.events.empty());

    // A disabled ancestor silences it too.
    button->Enable(TRUE, FALSE);
    dialog.SetEnabled(FALSE);
    button->FireClick();
    EXPECT_TRUE(handler.events.empty());
    dialog.SetEnabled(TRUE);
    button->FireClick();
    EXPECT_EQ(handler.events, Events{L"click ok"});
}

TEST_F(ButtonTest, HoverFollowsThePointer) {
    auto* button = MakeButton<CxSkinButton>(&dialog, L"b", {10, 10, 60, 40});
    Mouse(WM_MOUSEMOVE, 20, 20);
    EXPECT_TRUE(button->IsHot());
    Mouse(WM_MOUSEMOVE, 200, 150);
    EXPECT_FALSE(button->IsHot());
}

TEST_F(ButtonTest, UnsizedButtonsTakeTheirImageAndCaption) {
    const ImageFiles& images = TestImages();
    auto* byImage = new CxSkinButton;
    byImage->SetNormalSkin(images[L"normal"]);
    byImage->SetParent(&dialog);
    byImage->Create();
    EXPECT_EQ(byImage->GetWidth(), 40);
    EXPECT_EQ(byImage->GetHeight(), 20);

    auto* byCaption = new CxSkinButton;
    byCaption->SetText(L"A rather long caption");
    byCaption->SetParent(&dialog);
    byCaption->Create();
    const SIZE extent = byCaption->GetTextExtent();
    ASSERT_GT(extent.cx, 40);
    EXPECT_EQ(byCaption->GetWidth(), extent.cx + 6);
    EXPECT_EQ(byCaption->GetHeight(), extent.cy + 4);

    // A width but no height: the image sizes it, then the wider caption widens it.
    auto* both = new CxSkinButton;
    both->SetWidth(10);
    both->SetNormalSkin(images[L"normal"]);
    both->SetText(L"A rather long caption");
    both->SetParent(&dialog);
    both->Create();
    EXPECT_EQ(both->GetWidth(), extent.cx + 6);
    EXPECT_EQ(both->GetHeight(), extent.cy > 20 ? extent.cy + 4 : 20);

    // Fully sized buttons keep their size.
    auto* fixed = MakeButton<CxSkinButton>(&dialog, L"f", {0, 0, 10, 10});
    fixed->SetText(L"A rather long caption");
    EXPECT_EQ(fixed->GetWidth(), 10);
}

std::wstring CatchMessage(const std::function<void()>& call) {
    try {
        call();
    } catch (CxSkinControlsException* error) {
        std::wstring text = error->GetMessage();
        error->Delete();
        return text;
    }
    return L"<no exception>";
}

TEST(SkinButton, FailedLoadsThrowTheirMessageWithThePathAndLeaveTheSlotEmpty) {
    const ImageFiles& images = TestImages();
    const std::wstring& bad = images.missing;
    CxSkinCheckbox button;
    using Call = std::function<void()>;
    const struct {
        Call call;
        const wchar_t* format;
    } cases[] = {
        {[&] { button.SetContentSkin(bad); }, L"SetContentSkin: failed to load content skin (%)!"},
        {[&] { button.SetContentDownSkin(bad); }, L"SetContentDownSkin: failed to load content down skin (%)!"},
        {[&] { button.SetContentOverSkin(bad); }, L"SetContentOverSkin: failed to load content over skin (%)!"},
        {[&] { button.SetContentDisableSkin(bad); },
         L"SetContentDisableSkin: failed to load content disable skin (%)!"},
        {[&] { button.SetNormalSkin(bad); }, L"SetNormalSkin: failed to load normal skin (%)!"},
        {[&] { button.SetOverSkin(bad); }, L"SetSkin: failed to load over image (%)!"},
        {[&] { button.SetDisableSkin(bad); }, L"SetSkin: failed to load disabled image (%)!"},
        {[&] { button.SetDownSkin(bad); }, L"SetSkin: failed to load down image (%)!"},
        {[&] { button.SetPowerNormalSkin(bad); }, L"SetPowerSkin: failed to load power skin (%)!"},
        {[&] { button.SetPowerOverSkin(bad); }, L"SetPowerSkin: failed to load over image (%)!"},
        {[&] { button.SetPowerDownSkin(bad); }, L"SetPowerSkin: failed to load down image (%)!"},
        {[&] { button.SetPowerDisableSkin(bad); }, L"SetPowerSkin: failed to load disabled image (%)!"},
        {[&] { button.SetCheckDisableSkin(bad); }, L"SetPowerSkin: failed to load disabled image (%)!"},
        {[&] { button.SetPowerSkin(images[L"power"], bad, L"", L""); },
         L"SetPowerSkin: failed to load down image (%)!"},
        {[&] { button.SetContentImageAlign(3); }, L"SetContentImageAlign: nAlign is invalid (nAlign=3)!"},
    };
    for (const auto& c : cases) {
        std::wstring expected = c.format;
        if (const size_t at = expected.find(L'%'); at != std::wstring::npos)
            expected.replace(at, 1, bad);
        EXPECT_EQ(CatchMessage(c.call), expected);
    }
    EXPECT_EQ(button.GetContentImageAlign(), 2);
    button.SetContentImageAlign(0);
    EXPECT_EQ(button.GetContentImageAlign(), 0);

    // The normal slot is left empty by a failure and by an empty path; empty paths elsewhere throw nothing.
    button.SetNormalSkin(images[L"normal"]);
    EXPECT_EQ(button.GetNormalImageSize().cx, 40);
    EXPECT_NE(CatchMessage([&] { button.SetNormalSkin(bad); }), L"<no exception>");
    EXPECT_EQ(button.GetNormalImageSize().cx, 0);
    button.SetNormalSkin(images[L"normal"]);
    button.SetNormalSkin(L"");
    EXPECT_EQ(button.GetNormalImageSize().cx, 0);
    EXPECT_EQ(CatchMessage([&] { button.SetContentSkin(L""); }), L"<no exception>");
}

// Paints a button created on a bare layer into a surface and returns the centre pixel.
class PaintTest : public ::testing::Test {
protected:
    void SetUp() override { root.Create({0, 0, 100, 100}, nullptr, 0); }
    void TearDown() override { root.DestroyChildren(); }

    CxSkinButton* Make() {
        auto* button = new CxSkinButton;
        button->SetWidth(40);
        button->SetHeight(20);
        button->Create({0, 0, 40, 20}, &root, 1);
        return button;
    }
    static uint32_t Paint(CxSkinButton& button, POINT at = {20, 10}) {
        Surface surface(40, 20);
        {
            CxSkinGraphics graphics(surface.Dc());
            button.Draw(graphics.Get());
        }
        return surface.At(at.x, at.y);
    }

    FakeRoot root;
};

TEST_F(PaintTest, EachStatePaintsItsImage) {
    const ImageFiles& images = TestImages();
    enum Setup { kNormal = 1, kOver = 2, kDown = 4, kPower = 8, kPowerOver = 16, kDisable = 32, kPowerDisable = 64 };
    const struct {
        int images;
        bool hot, on, enabled;
        uint32_t expected; // colour, full alpha unless faded
        int alpha;
    } cases[] = {
        {kNormal | kOver, false, false, true, 0xFF0000, 255},
        {kNormal | kOver, true, false, true, 0x00FF00, 255},
        {kNormal, true, false, true, 0xFF0000, 255},                 // no over image: the normal one
        {kNormal | kDown, false, false, true, 0x0000FF, 255},        // the down image stands for the normal
        {kNormal | kOver | kDown, true, false, true, 0x00FF00, 255}, // ...but not for the over image
        {kNormal | kPower, false, true, true, 0xFFFF00, 255},
        {kNormal | kOver | kPower | kPowerOver, true, true, true, 0x00FFFF, 255},
        {kNormal | kOver | kPower, true, true, true, 0x00FF00, 255}, // on, hot, no power over: the over image
        {kNormal | kPower, true, true, true, 0xFFFF00, 255},         // ...nor over: the power image
        {kNormal | kDisable, false, false, false, 0xFF00FF, 255},
        {kNormal, false, false, false, 0xFF0000, 102}, // faded to 40 %
        {kNormal | kDown, false, false, false, 0x0000FF, 102},
        {kNormal | kPower | kPowerDisable, false, true, false, 0x808080, 255},
        {kNormal | kPower, false, true, false, 0xFFFF00, 102},
    };
    for (const auto& c : cases) {
        CxSkinButton* button = Make();
        const std::pair<int, const wchar_t*> slots[] = {
            {kNormal, L"normal"}, {kOver, L"over"}, {kDown, L"down"}, {kDisable, L"disable"}};
        for (const auto& [bit, name] : slots) {
            if (!(c.images & bit))
                continue;
            if (bit == kNormal)
                button->SetNormalSkin(images[name]);
            else if (bit == kOver)
                button->SetOverSkin(images[name]);
            else if (bit == kDown)
                button->SetDownSkin(images[name]);
            else
                button->SetDisableSkin(images[name]);
        }
        button->SetPowerSkin(c.images & kPower ? images[L"power"] : L"", L"",
                             c.images & kPowerOver ? images[L"powerover"] : L"",
                             c.images & kPowerDisable ? images[L"powerdisable"] : L"");
        button->SetCheck(c.on, FALSE);
        if (c.hot)
            button->OnMouseMove(0, {5, 5});
        button->Enable(c.enabled, FALSE);
        const uint32_t pixel = Paint(*button);
        const int index = static_cast<int>(&c - cases);
        EXPECT_NEAR(Alpha(pixel), c.alpha, 3) << index;
        // Premultiplied: each channel scales with the alpha.
        EXPECT_NEAR(Red(pixel), ((c.expected >> 16) & 0xFF) * c.alpha / 255, 3) << index;
        EXPECT_NEAR(Green(pixel), ((c.expected >> 8) & 0xFF) * c.alpha / 255, 3) << index;
        EXPECT_NEAR(Blue(pixel), (c.expected & 0xFF) * c.alpha / 255, 3) << index;
        root.RemoveChild(button);
        delete button;
    }
}

TEST_F(PaintTest, DisabledFadeCombinesWithTheTransparency) {
    CxSkinButton* button = Make();
    button->SetNormalSkin(TestImages()[L"normal"]);
    button->SetTransparency(50);
    EXPECT_NEAR(Alpha(Paint(*button)), 128, 3);
    button->Enable(FALSE, FALSE);
    EXPECT_NEAR(Alpha(Paint(*button)), 51, 3); // 0.4 x 0.5
}

TEST_F(PaintTest, ContentImageSitsLeftCentredOrRight) {
    const ImageFiles& images = TestImages();
    for (const UINT align : {0u, 1u, 2u}) {
        CxSkinButton* button = Make();
        button->SetContentSkin(images[L"content"]); // 10 x 10 white on a transparent button
        button->SetContentImageAlign(align);
        const int left = align == 1 ? 3 : 15; // (40 - 10) / 2
        Surface surface(40, 20);
        {
            CxSkinGraphics graphics(surface.Dc());
            button->Draw(graphics.Get());
        }
        EXPECT_EQ(Alpha(surface.At(left + 1, 10)), 255) << align;
        EXPECT_EQ(Alpha(surface.At(left - 2, 10)), 0) << align;
        EXPECT_EQ(Alpha(surface.At(left + 11, 10)), 0) << align;
        root.RemoveChild(button);
        delete button;
    }
}

// Records the tools a control registers.
class FakeToolTip : public ILayerToolTip {
public:
    BOOL AddTool(CLayerWnd*, const wchar_t* text, const RECT*, UINT) override {
        m_text = text;
        m_has = true;
        return TRUE;
    }
    void RemoveTool(CLayerWnd*, UINT) override { m_has = false; }
    void SetToolText(const wchar_t* text, CLayerWnd*) override { m_text = text; }
    BOOL HasTool(CLayerWnd*, UINT) const override { return m_has; }
    void ShowWhileDisabled(CLayerWnd*, UINT) override {}

    std::wstring m_text;
    bool m_has = false;
};

TEST_F(ButtonTest, CheckStateSwitchesTheTooltipToTheCheckText) {
    FakeToolTip toolTip;
    ILayerToolTip* real = dialog.GetToolTip();
    dialog.SetToolTip(&toolTip);
    auto* button = MakeButton<CxSkinButton>(&dialog, L"b", {10, 10, 60, 40});
    button->SetToolTip(L"Switch on");
    button->SetCheckToolTip(L"Switch off");
    EXPECT_EQ(toolTip.m_text, L"Switch on");

    button->SetCheck(1, FALSE);
    EXPECT_EQ(button->GetCheck(), 1);
    EXPECT_EQ(toolTip.m_text, L"Switch off");
    toolTip.m_text = L"untouched";
    button->SetCheck(1, FALSE); // unchanged: nothing happens
    EXPECT_EQ(toolTip.m_text, L"untouched");
    button->SetPowerState(0, FALSE);
    EXPECT_EQ(toolTip.m_text, L"Switch on");
    EXPECT_EQ(button->GetToolTip(), L"Switch on");

    // Both texts set again while checked, as a language switch sets them: the checked one shows.
    button->SetCheck(1, FALSE);
    button->SetToolTip(L"Einschalten");
    button->SetCheckToolTip(L"Ausschalten");
    EXPECT_EQ(toolTip.m_text, L"Ausschalten");
    button->SetToolTip(L"Switch on");
    EXPECT_EQ(toolTip.m_text, L"Ausschalten");
    button->SetCheck(0, FALSE);
    EXPECT_EQ(toolTip.m_text, L"Switch on");

    // A transform re-adds the tool over the new area: with the text of the present state.
    button->SetCheck(1, FALSE);
    for (double degrees : {30.0, 0.0}) {
        button->SetRotation(degrees, FALSE);
        EXPECT_EQ(toolTip.m_text, L"Ausschalten") << degrees;
    }
    button->SetScale(1.5, 1.5, FALSE);
    EXPECT_EQ(toolTip.m_text, L"Ausschalten");
    button->SetCheck(0, FALSE);
    button->SetScale(1.0, 1.0, FALSE);
    EXPECT_EQ(toolTip.m_text, L"Switch on");

    // Without a check text the tooltip stays as it is.
    button->SetCheckToolTip(L"");
    button->SetCheck(1, FALSE);
    EXPECT_EQ(toolTip.m_text, L"Switch on");
    dialog.RemoveChild(button);
    delete button;
    dialog.SetToolTip(real);
}

TEST_F(ButtonTest, CheckBoxFlipsOnEveryClickBeforeReporting) {
    auto* box = MakeButton<CxSkinCheckbox>(&dialog, L"box", {10, 10, 60, 40});
    std::vector<int> seen;
    handler.onClick = [&](const std::wstring&) { seen.push_back(box->GetCheck()); };
    Click(20, 20);
    Click(20, 20);
    EXPECT_EQ(seen, (std::vector<int>{1, 0}));
    EXPECT_EQ(handler.events.size(), 2u);

    Mouse(WM_LBUTTONDOWN, 20, 20);
    Mouse(WM_LBUTTONUP, 150, 150);
    EXPECT_EQ(box->GetCheck(), 0);
    EXPECT_EQ(handler.events.size(), 2u);
}

TEST_F(ButtonTest, ACaptionNamingItsControlClicksIt) {
    // handler panel > plain panel > radios "two", "six" and the caption of "six"; on the dialog itself (whose
    // handler serves it) a check box "copy" with its caption on the left, and a caption that names no control.
    auto* served = AddProbe<FakePanel>(&dialog, {0, 0, 300, 100});
    RecordingHandler panelHandler;
    served->SetListener(&panelHandler);
    auto* inner = AddProbe<FakePanel>(served, {0, 0, 300, 100});
    auto* two = MakeButton<CxSkinRadioButton>(inner, L"two", {10, 10, 30, 30});
    auto* six = MakeButton<CxSkinRadioButton>(inner, L"six", {10, 50, 30, 70});
    two->SetGroupName(L"count");
    six->SetGroupName(L"count");
    two->SetCheck(1, FALSE);
    auto* box = MakeButton<CxSkinCheckbox>(&dialog, L"copy", {200, 110, 240, 130});
    const struct {
        IxSkinObject* parent;
        const wchar_t* target;
        RECT rect;
    } captions[] = {{inner, L"six", {40, 50, 140, 70}},
                    {&dialog, L"copy", {10, 110, 190, 130}},
                    {&dialog, L"gone", {10, 150, 190, 170}}};
    for (const auto& c : captions) {
        auto* caption = MakeButton<CxSkinStatic>(c.parent, std::wstring(c.target) + L"_Text", c.rect);
        caption->SetTarget(c.target);
    }

    Click(80, 60);
    EXPECT_EQ(panelHandler.events, Events{L"click six"});
    EXPECT_EQ(six->GetCheck(), 1);
    EXPECT_EQ(two->GetCheck(), 0);
    Click(80, 60); // the lit choice's caption: as the lit radio button itself, nothing
    EXPECT_EQ(panelHandler.events.size(), 1u);

    Click(100, 120);
    EXPECT_EQ(box->GetCheck(), 1);
    Click(100, 120);
    EXPECT_EQ(box->GetCheck(), 0);
    EXPECT_EQ(handler.events, (Events{L"click copy", L"click copy"}));
    EXPECT_TRUE(dialog.m_moves.empty()) << "a caption of a usable control takes the press";
    Mouse(WM_LBUTTONDOWN, 100, 120); // released elsewhere: no click
    Mouse(WM_LBUTTONUP, 250, 190);
    EXPECT_EQ(box->GetCheck(), 0);

    // A caption whose control is missing, disabled or hidden clicks nothing; on the window's background it
    // lets the press move the window, as any text does.
    box->Enable(FALSE, FALSE);
    six->SetVisible(FALSE, FALSE);
    for (POINT at : {POINT{100, 160}, POINT{100, 120}, POINT{80, 60}})
        Click(at.x, at.y);
    EXPECT_EQ(dialog.m_moves.size(), 2u);
    EXPECT_EQ(box->GetCheck(), 0);
    EXPECT_EQ(handler.events.size(), 2u);
    EXPECT_EQ(panelHandler.events.size(), 1u);
}

TEST_F(ButtonTest, RadioGroupKeepsOneCheckedUnderItsHandler) {
    // handler panel A > a1, a2, plain panel > plain panel > a3; handler panel B > b1 (same group name)
    RecordingHandler other;
    auto* servedA = AddProbe<FakePanel>(&dialog, {0, 0, 150, 200});
    servedA->SetListener(&handler);
    auto* a1 = MakeButton<CxSkinRadioButton>(servedA, L"a1", {10, 10, 40, 30});
    auto* a2 = MakeButton<CxSkinRadioButton>(servedA, L"a2", {50, 10, 80, 30});
    auto* plain = AddProbe<FakePanel>(servedA, {0, 50, 150, 150});
    auto* inner = AddProbe<FakePanel>(plain, {0, 0, 150, 100});
    auto* a3 = MakeButton<CxSkinRadioButton>(inner, L"a3", {10, 10, 40, 30});
    auto* servedB = AddProbe<FakePanel>(&dialog, {160, 50, 290, 150});
    servedB->SetListener(&other);
    auto* b1 = MakeButton<CxSkinRadioButton>(servedB, L"b1", {10, 10, 40, 30});
    for (auto* radio : {a1, a2, a3, b1})
        radio->SetGroupName(L"mode");
    b1->SetCheck(1, FALSE);
    a2->SetCheck(1, FALSE);

    Click(20, 20); // a1
    EXPECT_EQ(handler.events, Events{L"click a1"});
    EXPECT_EQ(a1->GetCheck(), 1);
    EXPECT_EQ(a2->GetCheck(), 0);
    EXPECT_EQ(a3->GetCheck(), 0);
    EXPECT_EQ(b1->GetCheck(), 1); // another handler's group

    Click(20, 70); // a3, two panels down
    EXPECT_EQ(a3->GetCheck(), 1);
    EXPECT_EQ(a1->GetCheck(), 0);

    // The checked one takes no input at all, unless it repeats clicks.
    handler.events.clear();
    Click(20, 70);
    EXPECT_TRUE(handler.events.empty());
    EXPECT_FALSE(a3->IsPressed());
    a3->SetRepeatClick(TRUE);
    Click(20, 70);
    EXPECT_EQ(handler.events, Events{L"click a3"});
    EXPECT_EQ(a3->GetCheck(), 1);

    // Different group names do not meet; an empty group name is a group too.
    a2->SetGroupName(L"");
    a1->SetGroupName(L"");
    a1->Select(FALSE);
    EXPECT_EQ(a1->GetCheck(), 1);
    EXPECT_EQ(a3->GetCheck(), 1);
    a2->Select(FALSE);
    EXPECT_EQ(a1->GetCheck(), 0);
    EXPECT_EQ(a2->GetCheck(), 1);
    EXPECT_TRUE(other.events.empty());
}

TEST_F(ButtonTest, RadioButtonServedByItsOwnHandlerStillChecksItself) {
    RecordingHandler own;
    auto* a1 = MakeButton<CxSkinRadioButton>(&dialog, L"a1", {10, 10, 40, 30});
    a1->SetListener(&own);
    a1->Select(TRUE);
    EXPECT_EQ(a1->GetCheck(), 1);
    a1->SetListener(nullptr);

    // Without any handler there is no group to select in.
    dialog.SetListener(nullptr);
    auto* lone = MakeButton<CxSkinRadioButton>(&dialog, L"lone", {50, 10, 80, 30});
    lone->Select(TRUE);
    EXPECT_EQ(lone->GetCheck(), 0);
}

// A clock, cursor and keyboard settings the test sets, with ticks it fires by hand.
class FakeRepeatSystem : public CxSkinRepeatButton::System, public HandFiredClock<LPTIMECALLBACK> {
public:
    UINT StartTimer(UINT periodMs, LPTIMECALLBACK proc, DWORD_PTR user) override { return Start(periodMs, proc, user); }
    void KillTimer(UINT id) override { Kill(id); }
    int GetKeyboardDelay() override { return delay; }
    int GetKeyboardSpeed() override { return speed; }
    POINT GetCursorPos() override { return cursor; }
    void Tick(UINT id = 0) { Fire(id); }

    int delay = 1;
    int speed = 31;
    POINT cursor{};
};

class RepeatTest : public ButtonTest {
protected:
    void SetUp() override {
        ButtonTest::SetUp();
        button = MakeButton<CxSkinRepeatButton>(&dialog, L"up", {10, 10, 60, 40});
        button->SetSystem(&system);
        system.cursor = button->ClientToScreen({5, 5});
    }

    FakeRepeatSystem system;
    CxSkinRepeatButton* button = nullptr;
};

TEST_F(RepeatTest, HeldPressWaitsForTheDelayThenClicksEveryPeriodAndNotOnRelease) {
    Mouse(WM_LBUTTONDOWN, 20, 20);
    EXPECT_EQ(system.periods, std::vector<UINT>{500}); // (1 + 1) x 250
    EXPECT_EQ(button->GetRepeatState(), 1);
    EXPECT_TRUE(handler.events.empty());

    system.Tick(); // the delay is over: the fast timer starts, no click yet
    EXPECT_EQ(system.periods, (std::vector<UINT>{500, 28}));
    EXPECT_EQ(system.killed, std::vector<UINT>{1});
    EXPECT_EQ(button->GetRepeatState(), 2);
    EXPECT_EQ(button->GetTimerId(), 2u);
    EXPECT_TRUE(handler.events.empty());
    system.Tick();
    system.Tick();
    EXPECT_EQ(handler.events, (Events{L"click up", L"click up"}));

    Mouse(WM_LBUTTONUP, 20, 20);
    EXPECT_EQ(handler.events.size(), 2u);
    EXPECT_EQ(system.running, 0u);
    EXPECT_EQ(button->GetRepeatState(), 0);
    EXPECT_TRUE(button->IsClickArmed());

    // The next short press clicks once, on release.
    Click(20, 20);
    EXPECT_EQ(handler.events.size(), 3u);
}

TEST_F(RepeatTest, KeyboardSettingsSetThePeriods) {
    const struct {
        int delay, speed;
        UINT first, repeat;
    } cases[] = {{0, 0, 250, 400}, {3, 31, 1000, 28}, {2, 10, 750, 280}, {9, 99, 1000, 28}, {-4, -1, 250, 400}};
    for (const auto& c : cases) {
        system.delay = c.delay;
        system.speed = c.speed;
        system.periods.clear();
        Mouse(WM_LBUTTONDOWN, 20, 20);
        system.Tick();
        Mouse(WM_LBUTTONUP, 20, 20);
        EXPECT_EQ(system.periods, (std::vector<UINT>{c.first, c.repeat})) << c.delay << " " << c.speed;
    }
}

TEST_F(RepeatTest, CursorOffTheButtonStopsTheRepetitionWithoutAClick) {
    Mouse(WM_LBUTTONDOWN, 20, 20);
    system.Tick();
    system.cursor = button->ClientToScreen({60, 5});
    system.Tick();
    EXPECT_EQ(system.running, 0u);
    EXPECT_EQ(button->GetRepeatState(), 0);
    system.cursor = button->ClientToScreen({5, 5});
    Mouse(WM_LBUTTONUP, 100, 100);
    EXPECT_TRUE(handler.events.empty());
}

TEST_F(RepeatTest, ANewPressReplacesTheTimerAndStaleTicksDoNothing) {
    Mouse(WM_LBUTTONDOWN, 20, 20);
    const UINT first = system.running;
    button->OnLButtonDown(0, {5, 5});
    EXPECT_EQ(system.killed, std::vector<UINT>{first});
    EXPECT_EQ(button->GetTimerId(), system.running);

    // A tick of the killed timer that was already on its way changes nothing.
    system.Tick(first);
    EXPECT_EQ(button->GetRepeatState(), 1);
    EXPECT_EQ(system.periods.size(), 2u);

    // Leaving the button stops it too.
    button->OnMouseOut();
    EXPECT_EQ(system.running, 0u);
    EXPECT_EQ(button->GetRepeatState(), 0);
    EXPECT_FALSE(button->IsPressed());
}

TEST_F(RepeatTest, DestroyingAHeldButtonKillsItsTimer) {
    Mouse(WM_LBUTTONDOWN, 20, 20);
    system.Tick();
    const UINT running = system.running;
    dialog.RemoveChild(button);
    delete button;
    EXPECT_EQ(system.killed.back(), running);
    EXPECT_EQ(system.running, 0u);
}

// The system's own multimedia timer, with the keyboard at its fastest and the cursor held on the button.
class FastSystem : public CxSkinRepeatButton::System {
public:
    UINT StartTimer(UINT period, LPTIMECALLBACK proc, DWORD_PTR user) override {
        return CxSkinRepeatButton::DefaultSystem().StartTimer(period, proc, user);
    }
    void KillTimer(UINT id) override { CxSkinRepeatButton::DefaultSystem().KillTimer(id); }
    int GetKeyboardDelay() override { return 0; }
    int GetKeyboardSpeed() override { return 31; }
    POINT GetCursorPos() override { return cursor; }
    POINT cursor{};
};

class CountingHandler : public IxSkinListener, public IxSkinButtonListener {
public:
    void Release() override {}
    int OnClick(const std::wstring&) override {
        threads.push_back(GetCurrentThreadId());
        return ++clicks;
    }
    int OnRButtonUp(const std::wstring&) override { return 0; }
    int OnDblClick(const std::wstring&) override { return 0; }
    std::atomic<int> clicks{0};
    std::vector<DWORD> threads;
};

// Runs the dialog's messages for a while, as the program's message loop would.
void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

// A tick on another thread, as the multimedia timer delivers it: the listener hears the click only when
// the host window's messages run, on the user-interface thread.
TEST_F(RepeatTest, TimerThreadClicksReachTheListenerOnTheWindowThread) {
    DWORD clickThread = 0;
    handler.onClick = [&](const std::wstring&) { clickThread = GetCurrentThreadId(); };
    Mouse(WM_LBUTTONDOWN, 20, 20);
    system.Tick();
    std::thread([&] { system.Tick(); }).join();
    EXPECT_TRUE(handler.events.empty()) << "the timer's thread reached the listener";
    PumpFor(0);
    EXPECT_EQ(handler.events, Events{L"click up"});
    EXPECT_EQ(clickThread, GetCurrentThreadId());

    // A click still queued when the button goes is dropped with it.
    std::thread([&] { system.Tick(); }).join();
    dialog.RemoveChild(button);
    delete button;
    PumpFor(0);
    EXPECT_EQ(handler.events.size(), 1u);
}

TEST(SkinRepeatButton, TheSystemTimerClicksOnTheWindowThreadUntilReleased) {
    CountingHandler handler;
    TestDialog dialog;
    ASSERT_TRUE(OpenDialog(dialog));
    dialog.SetListener(&handler);
    auto* button = MakeButton<CxSkinRepeatButton>(&dialog, L"up", {10, 10, 60, 40});
    button->m_buttonListener = &handler;
    FastSystem system;
    system.cursor = button->ClientToScreen({5, 5});
    button->SetSystem(&system);

    button->OnLButtonDown(0, {5, 5});
    PumpFor(700); // 250 ms delay, then one click every 28 ms
    button->OnLButtonUp(0, {5, 5});
    PumpFor(0);
    const int atRelease = handler.clicks.load();
    EXPECT_GE(atRelease, 3); // about 16 on an idle machine
    EXPECT_LE(atRelease, 30);
    ASSERT_FALSE(handler.threads.empty());
    for (DWORD thread : handler.threads)
        EXPECT_EQ(thread, GetCurrentThreadId());
    PumpFor(100);
    EXPECT_EQ(handler.clicks.load(), atRelease); // stopped, and no click for the release

    // Destroyed while repeating: the timer dies with it and never reaches the freed button.
    button->OnLButtonDown(0, {5, 5});
    PumpFor(350);
    dialog.RemoveChild(button);
    delete button;
    const int atDestroy = handler.clicks.load();
    PumpFor(100);
    EXPECT_EQ(handler.clicks.load(), atDestroy);
    dialog.DestroyWindow();
}

} // namespace
