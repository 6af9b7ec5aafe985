// The tooltip window of a real skinned dialog, driven by the dialog's message filter and by WM_TIMER
// messages sent in place of the show and poll timers, with the cursor injected; and the slider's value tip.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SkinDialogFixture.h"
#include "SkinTestSupport.h"
#include "skin/IntelliTip.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinToolTip.h"

using namespace oc::test;

namespace {

constexpr POINT kDialogAt{100, 100};

// The texts a tip may show in the cultures whose scripts the system's status face may lack, and a Latin one
// it draws itself.
struct ScriptText {
    const wchar_t* script;
    std::wstring text;
    bool latin;
};
const ScriptText kScriptTexts[] = {
    {L"Han", L"\x97F3\x91CF 60%", false},
    {L"Kana", L"\x30DC\x30EA\x30E5\x30FC\x30E0 -12 dB", false},
    {L"Hangul", L"\xBCFC\xB968 60%", false},
    {L"Thai", L"\x0E23\x0E30\x0E14\x0E31\x0E1A\x0E40\x0E2A\x0E35\x0E22\x0E07 60%", false},
    {L"Latin", L"-12.5 dB", true},
};

// What a GDI font makes of a text: the face GDI actually selects for it, the characters that face has no
// glyph for, and the text's extent.
struct FontUse {
    std::wstring face;
    std::wstring missing;
    SIZE extent{};
};

FontUse UseFont(HFONT font, const std::wstring& text) {
    FontUse use;
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(screen, LF_FACESIZE, face);
    use.face = face;
    std::vector<WORD> glyphs(text.size());
    GetGlyphIndicesW(screen, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    for (size_t i = 0; i < text.size(); ++i)
        if (glyphs[i] == 0xFFFF && text[i] > L' ')
            use.missing += text[i];
    GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &use.extent);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return use;
}

class SkinToolTipTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDialog(dialog, kDialogAt));
        hwnd = dialog.GetSafeHwnd();
        tip = dialog.GetToolTipWindow();
        ASSERT_NE(tip, nullptr);
        tip->SetCursorSource([this] { return cursor; });
        a = AddProbe(Root(), {10, 10, 60, 40}, &log, L"a");
        b = AddProbe(Root(), {100, 10, 150, 40}, &log, L"b");
    }

    CLayerDialog* Root() { return &dialog; }
    // The pointer rests at a client point: the cursor is there and the dialog sees the move.
    void PointerAt(int x, int y) {
        cursor = Screen(x, y);
        Deliver(hwnd, WM_MOUSEMOVE, 0, PointParam(x, y));
    }
    POINT Screen(int x, int y) const {
        POINT point{x, y};
        ClientToScreen(hwnd, &point);
        return point;
    }
    void Tick(UINT_PTR timer) { SendMessageW(tip->GetSafeHwnd(), WM_TIMER, timer, 0); }
    bool Shown() const { return tip->IsWindowVisible() != FALSE; }
    RECT TipRect() const {
        RECT rect{};
        tip->GetWindowRect(&rect);
        return rect;
    }
    // Rests on a tool and lets the show delay pass.
    void ShowOver(int x, int y) {
        PointerAt(x, y);
        Tick(CxSkinToolTip::kShowTimer);
    }

    DialogLog log;
    TestDialog dialog;
    HWND hwnd = nullptr;
    CxSkinToolTip* tip = nullptr;
    POINT cursor{};
    Probe* a = nullptr;
    Probe* b = nullptr;
};

TEST_F(SkinToolTipTest, ShowsAfterTheRestTwentyPixelsBelowTheCursor) {
    ASSERT_TRUE(tip->AddTool(a, L"Alpha", nullptr, 1));
    PointerAt(20, 20);
    ASSERT_NE(tip->GetCurrentTool(), nullptr);
    EXPECT_EQ(tip->GetCurrentTool()->m_owner, a);
    EXPECT_FALSE(Shown()); // armed, waiting for the show delay

    Tick(CxSkinToolTip::kShowTimer);
    ASSERT_TRUE(Shown());
    const POINT screen = Screen(20, 20);
    const RECT rect = TipRect();
    EXPECT_EQ(rect.left, screen.x);
    EXPECT_EQ(rect.top, screen.y + 20);
    const RECT text = tip->CalcTextRect(L"Alpha", 0);
    EXPECT_EQ(rect.right - rect.left, text.right);
    EXPECT_EQ(tip->GetShownText(), L"Alpha");
    tip->UpdateWindow(); // paints without trouble
}

TEST_F(SkinToolTipTest, AutoPopsAfterFiveSecondsUnlessThePointerIsOverTheTip) {
    tip->AddTool(a, L"Alpha", nullptr, 1);
    ShowOver(20, 20);
    for (int tick = 1; tick < 10; ++tick) {
        Tick(CxSkinToolTip::kPollTimer);
        ASSERT_TRUE(Shown()) << tick;
    }
    Tick(CxSkinToolTip::kPollTimer); // 5000 ms
    EXPECT_FALSE(Shown());

    // Again, with the pointer moved onto the tip itself: it stays.
    PointerAt(250, 100);
    ShowOver(20, 20);
    ASSERT_TRUE(Shown());
    const RECT rect = TipRect();
    cursor = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    for (int tick = 1; tick <= 12; ++tick)
        Tick(CxSkinToolTip::kPollTimer);
    EXPECT_TRUE(Shown());
    cursor = Screen(250, 100);
    Tick(CxSkinToolTip::kPollTimer);
    EXPECT_FALSE(Shown());
}

TEST_F(SkinToolTipTest, LeavingTheToolHidesAtTheNextPoll) {
    tip->AddTool(a, L"Alpha", nullptr, 1);
    ShowOver(20, 20);
    PointerAt(250, 100);
    EXPECT_EQ(tip->GetCurrentTool(), nullptr);
    EXPECT_TRUE(Shown());
    Tick(CxSkinToolTip::kPollTimer);
    EXPECT_FALSE(Shown());
}

TEST_F(SkinToolTipTest, AnotherToolTakesOver) {
    tip->AddTool(a, L"Alpha", nullptr, 1);
    tip->AddTool(b, L"Beta", nullptr, 1);
    ShowOver(20, 20);
    PointerAt(120, 20);
    EXPECT_FALSE(Shown());
    ASSERT_NE(tip->GetCurrentTool(), nullptr);
    EXPECT_EQ(tip->GetCurrentTool()->m_owner, b);
    Tick(CxSkinToolTip::kShowTimer);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(tip->GetShownText(), L"Beta");
    EXPECT_EQ(TipRect().top, Screen(120, 20).y + 20);
}

TEST_F(SkinToolTipTest, KeysAndClicksHideTheTip) {
    tip->AddTool(a, L"Alpha", nullptr, 1);
    const struct {
        UINT message;
        bool overTip;
        bool hides;
    } cases[] = {
        {WM_KEYDOWN, false, true},       {WM_CHAR, false, true},         {WM_RBUTTONDOWN, false, true},
        {WM_LBUTTONDBLCLK, false, true}, {WM_LBUTTONDOWN, false, true},  {WM_LBUTTONDOWN, true, false},
        {WM_MOUSEWHEEL, false, false},   {WM_NCLBUTTONDOWN, true, true},
    };
    for (const auto& test : cases) {
        PointerAt(250, 100);
        ShowOver(20, 20);
        ASSERT_TRUE(Shown());
        if (test.overTip) {
            const RECT rect = TipRect();
            cursor = {rect.left + 2, rect.top + 2};
        }
        MSG msg{hwnd, test.message, 0, PointParam(20, 20), 0, cursor};
        dialog.PreTranslateMessage(&msg);
        EXPECT_EQ(!Shown(), test.hides) << test.message << " " << test.overTip;
    }
}

TEST_F(SkinToolTipTest, NothingIsRelayedWhileALayerHoldsTheCapture) {
    tip->AddTool(a, L"Alpha", nullptr, 1);
    Deliver(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(120, 20)); // b takes the capture
    ASSERT_EQ(dialog.GetCaptureLayer(), b);
    PointerAt(20, 20);
    EXPECT_EQ(tip->GetCurrentTool(), nullptr);
    Deliver(hwnd, WM_LBUTTONUP, 0, PointParam(20, 20));
    PointerAt(25, 20);
    EXPECT_NE(tip->GetCurrentTool(), nullptr);
}

// A tip in Chinese, Japanese, Korean or Thai shows its glyphs, not empty boxes: it is drawn, and sized, in a
// face that has every character of it; a Latin tip keeps the system's status face.
TEST_F(SkinToolTipTest, EveryScriptIsDrawnInAFaceThatHasItsGlyphs) {
    const std::wstring statusFace = CxSkinToolTip::GetSystemStatusFont().lfFaceName;
    for (const ScriptText& c : kScriptTexts) {
        tip->RemoveTool(a, 1);
        ASSERT_TRUE(tip->AddTool(a, c.text.c_str(), nullptr, 1));
        ShowOver(20, 20);
        ASSERT_TRUE(Shown()) << c.script;
        const FontUse use = UseFont(tip->GetShownTextFont(), c.text);
        EXPECT_EQ(use.missing, L"") << c.script << " in " << use.face;
        if (c.latin) {
            EXPECT_EQ(use.face, statusFace);
        }
        const RECT rect = TipRect();
        EXPECT_GE(rect.right - rect.left, use.extent.cx) << c.script;
        EXPECT_EQ(tip->CalcTextRect(c.text, 0).right, rect.right - rect.left) << c.script;
        tip->UpdateWindow();
        PointerAt(250, 100);
        Tick(CxSkinToolTip::kPollTimer);
    }
}

TEST_F(SkinToolTipTest, ATwoPartTextFlipsOnAClick) {
    tip->AddTool(a, L"First\rSecond", nullptr, 1);
    ShowOver(20, 20);
    ASSERT_TRUE(Shown());
    EXPECT_TRUE(tip->IsTwoPart());
    const struct {
        const wchar_t* text;
        BOOL second;
    } sequence[] = {{L"First  ", FALSE}, {L"  Second", TRUE}, {L"First  ", FALSE}};
    for (const auto& step : sequence) {
        EXPECT_EQ(tip->GetShownText(), step.text);
        EXPECT_EQ(tip->IsSecondPartShown(), step.second);
        tip->UpdateWindow();
        SendMessageW(tip->GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, PointParam(2, 2));
    }
    // While a two-part text shows, leaving the tools keeps it, so the pointer can reach the tip.
    PointerAt(250, 100);
    EXPECT_NE(tip->GetCurrentTool(), nullptr);
}

TEST_F(SkinToolTipTest, PlacementStaysOnTheMonitor) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info));
    const RECT m = info.rcMonitor;
    const RECT text{0, 0, 80, 20};
    const struct {
        POINT point;
        POINT expected;
    } cases[] = {
        {{m.left + 100, m.top + 100}, {m.left + 100, m.top + 100}},
        {{m.right - 10, m.top + 100}, {m.right - 80, m.top + 100}},
        {{m.left - 30, m.top + 100}, {m.left, m.top + 100}},
        {{m.left + 100, m.bottom - 5}, {m.left + 100, m.bottom - 20 - 25}},
        {{m.right - 10, m.bottom - 5}, {m.right - 80, m.bottom - 20 - 25}},
    };
    for (const auto& test : cases) {
        const RECT placed = tip->PlaceRect(test.point, nullptr, text);
        EXPECT_EQ(placed.left, test.expected.x) << test.point.x << "," << test.point.y;
        EXPECT_EQ(placed.top, test.expected.y) << test.point.x << "," << test.point.y;
        EXPECT_EQ(placed.right - placed.left, 80);
        EXPECT_EQ(placed.bottom - placed.top, 20);
    }
}

TEST_F(SkinToolTipTest, DestroyingALayerWhileItsTipShowsIsSafe) {
    // A plain layer leaves its tool behind; the dialog drops it as the layer goes.
    tip->AddTool(a, L"Alpha", nullptr, 1);
    tip->AddTool(a, L"Alpha again", nullptr, 2);
    ShowOver(20, 20);
    ASSERT_TRUE(Shown());
    delete a;
    EXPECT_FALSE(Shown());
    EXPECT_EQ(tip->GetCurrentTool(), nullptr);
    EXPECT_EQ(tip->GetToolCount(), 0);
    Tick(CxSkinToolTip::kPollTimer);
    Tick(CxSkinToolTip::kShowTimer);
    PointerAt(20, 20);
    EXPECT_FALSE(Shown());

    // A control registers through its tooltip text and removes its own tool.
    auto* ctrl = new CxSkinCtrl;
    ctrl->SetParent(&dialog);
    ctrl->SetLeft(10);
    ctrl->SetTop(60);
    ctrl->SetWidth(50);
    ctrl->SetHeight(30);
    ASSERT_EQ(ctrl->Create(), 1);
    ctrl->SetToolTip(L"Control tip");
    EXPECT_EQ(tip->GetToolCount(), 1);
    ShowOver(20, 70);
    ASSERT_TRUE(Shown());
    EXPECT_EQ(tip->GetShownText(), L"Control tip");
    delete ctrl;
    EXPECT_FALSE(Shown());
    EXPECT_EQ(tip->GetToolCount(), 0);
    Tick(CxSkinToolTip::kPollTimer);
}

TEST_F(SkinToolTipTest, ToolBookkeeping) {
    Probe* inner = AddProbe(b, {5, 5, 20, 20}, &log, L"inner");
    EXPECT_FALSE(tip->AddTool(nullptr, L"none", nullptr, 1));
    EXPECT_TRUE(tip->AddTool(inner, L"one", nullptr, 4));
    EXPECT_TRUE(tip->AddTool(inner, L"two", nullptr, 4)); // no duplicate check
    EXPECT_EQ(tip->GetToolCount(), 2);
    const RECT expected{105, 15, 120, 30}; // the owner's rectangle in host coordinates
    EXPECT_TRUE(EqualRect(&tip->FindTool(inner, 4)->m_rect, &expected));

    tip->SetToolText(L"renamed", inner);
    EXPECT_EQ(tip->FindTool(inner, 4)->m_text, L"renamed");
    tip->RemoveTool(inner, 4);
    EXPECT_EQ(tip->GetToolCount(), 1);
    EXPECT_EQ(tip->FindTool(inner, 4)->m_text, L"two");
    tip->RemoveTool(a, 4); // an owner without tools: nothing
    tip->SetToolText(L"x", a);
    EXPECT_EQ(tip->GetToolCount(), 1);
    EXPECT_FALSE(tip->HasTool(inner, 5));
    EXPECT_TRUE(tip->HasTool(inner, 4));
}

TEST_F(SkinToolTipTest, TipsThatCannotShow) {
    // An empty text, a disabled owner, tooltips switched off.
    tip->AddTool(a, L"", nullptr, 1);
    ShowOver(20, 20);
    EXPECT_FALSE(Shown());

    tip->AddTool(b, L"Beta", nullptr, 1);
    b->SetEnabled(FALSE);
    PointerAt(120, 20);
    EXPECT_EQ(tip->GetCurrentTool(), nullptr);
    b->SetEnabled(TRUE);

    ShowOver(120, 20);
    ASSERT_TRUE(Shown());
    dialog.EnableToolTips(FALSE);
    EXPECT_FALSE(Shown());
    PointerAt(250, 100);
    EXPECT_NE(tip->GetCurrentTool(), nullptr); // the move was not relayed
}

// A tool asked to show while its layer is disabled does (a read-only choice cut short); others still do not.
TEST_F(SkinToolTipTest, AToolMayShowWhileItsLayerIsDisabled) {
    tip->AddTool(a, L"Speakers (USB Audio Device)", nullptr, 1);
    tip->AddTool(b, L"Beta", nullptr, 1);
    tip->ShowWhileDisabled(a, 1);
    a->SetEnabled(FALSE);
    b->SetEnabled(FALSE);
    ShowOver(20, 20);
    ASSERT_TRUE(Shown());
    EXPECT_EQ(tip->GetShownText(), L"Speakers (USB Audio Device)");
    PointerAt(250, 100);
    Tick(CxSkinToolTip::kPollTimer);
    PointerAt(120, 20);
    EXPECT_EQ(tip->GetCurrentTool(), nullptr);
}

TEST_F(SkinToolTipTest, TheOwnerCanSupplyTheText) {
    dialog.m_notifyText = L"Asked";
    tip->AddTool(a, LPSTR_TEXTCALLBACKW, nullptr, 7);
    EXPECT_EQ(tip->FindTool(a, 7)->m_textSource, CxSkinToolTipInfo::kAskOwner);
    ShowOver(20, 20);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(tip->GetShownText(), L"Asked");
    EXPECT_EQ(dialog.m_notifyIds, (std::vector<UINT>{7}));
}

TEST(SkinToolTip, FontFollowsTheSystemUntilSetOtherwise) {
    CxSkinToolTip tip;
    ASSERT_TRUE(tip.Create(nullptr));
    LOGFONTW font{};
    ASSERT_TRUE(GetObjectW(tip.GetFont(), sizeof(font), &font));
    const LOGFONTW system = CxSkinToolTip::GetSystemStatusFont();
    EXPECT_EQ(font.lfHeight, system.lfHeight);
    EXPECT_STREQ(font.lfFaceName, system.lfFaceName);

    LOGFONTW larger = system;
    larger.lfHeight = system.lfHeight * 2 - 1;
    HFONT handle = CreateFontIndirectW(&larger);
    SendMessageW(tip.GetSafeHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
    ASSERT_TRUE(GetObjectW(tip.GetFont(), sizeof(font), &font));
    EXPECT_EQ(font.lfHeight, larger.lfHeight);
    DeleteObject(handle);
}

TEST(IntelliTip, SizedToTheTextAndRightAlignedToTheAnchor) {
    const std::wstring text = L"-12.5 dB";
    SIZE extent{};
    {
        const LOGFONTW font = CxSkinToolTip::GetSystemStatusFont();
        HFONT handle = CreateFontIndirectW(&font);
        HDC screen = GetDC(nullptr);
        HGDIOBJ old = SelectObject(screen, handle);
        GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &extent);
        SelectObject(screen, old);
        ReleaseDC(nullptr, screen);
        DeleteObject(handle);
    }

    CIntelliTip tip;
    ASSERT_TRUE(tip.Create(nullptr));
    CIntelliTip second; // the window class is already there: tolerated
    ASSERT_TRUE(second.Create(nullptr));

    tip.SetText(text);
    EXPECT_EQ(tip.GetSize().cx, extent.cx + 8);
    EXPECT_EQ(tip.GetSize().cy, extent.cy + 4);
    tip.SetPosition({600, 300});
    tip.Show();
    ASSERT_TRUE(tip.IsWindowVisible());
    RECT rect{};
    tip.GetWindowRect(&rect);
    EXPECT_EQ(rect.right, 600);
    EXPECT_EQ(rect.top, 300);
    EXPECT_EQ(rect.right - rect.left, tip.GetSize().cx);
    EXPECT_EQ(rect.bottom - rect.top, tip.GetSize().cy);

    // A longer text widens the tip leftwards; the same text again changes nothing.
    const SIZE before = tip.GetSize();
    tip.SetText(text + L" (max)");
    EXPECT_GT(tip.GetSize().cx, before.cx);
    tip.SetText(text + L" (max)");
    tip.GetWindowRect(&rect);
    EXPECT_EQ(rect.right, 600);
    EXPECT_EQ(rect.right - rect.left, tip.GetSize().cx);

    // Moving along with a drag.
    tip.SetPosition({640, 320});
    tip.GetWindowRect(&rect);
    EXPECT_EQ(rect.right, 640);
    EXPECT_EQ(rect.top, 320);

    // Painting: a black frame around the info colour.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, tip.GetSize().cx, tip.GetSize().cy);
    HGDIOBJ old = SelectObject(memory, bitmap);
    EXPECT_EQ(SendMessageW(tip.GetSafeHwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0), 1);
    EXPECT_EQ(GetPixel(memory, 0, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(GetPixel(memory, 2, 1) & 0xFFFFFF, GetSysColor(COLOR_INFOBK) & 0xFFFFFF);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    // One second after the last Show the timer hides it.
    SendMessageW(tip.GetSafeHwnd(), WM_TIMER, CIntelliTip::kHideTimer, 0);
    EXPECT_FALSE(tip.IsWindowVisible());
}

// The value tip as well: each script in a face that has its glyphs, the tip sized by that face's extent.
TEST(IntelliTip, EveryScriptIsDrawnAndSizedInAFaceThatHasItsGlyphs) {
    const std::wstring statusFace = CxSkinToolTip::GetSystemStatusFont().lfFaceName;
    CIntelliTip tip;
    ASSERT_TRUE(tip.Create(nullptr));
    for (const ScriptText& c : kScriptTexts) {
        tip.SetText(c.text);
        const FontUse use = UseFont(tip.GetDrawFont(), c.text);
        EXPECT_EQ(use.missing, L"") << c.script << " in " << use.face;
        if (c.latin) {
            EXPECT_EQ(use.face, statusFace);
        }
        EXPECT_EQ(tip.GetSize().cx, use.extent.cx + 8) << c.script;
        EXPECT_EQ(tip.GetSize().cy, use.extent.cy + 4) << c.script;
    }
}

} // namespace
