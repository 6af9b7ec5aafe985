// The pop-up menu on real windows: layout, placement within a chosen work area with the tail following
// the point, choosing and closing with the listener's notices, sub-menus, deactivation, the hover
// animation, the balloon background, and listeners that destroy menus while hearing them.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SkinDialogFixture.h"
#include "SkinTestSupport.h"
#include "skin/SkinMenu.h"
#include "skin/SkinMenuItem.h"
#include "skin/SkinToolTip.h"

using namespace oc::test;
using namespace Gdiplus;

namespace {

RECT g_workArea{0, 0, 800, 600};

RECT TestWorkArea(POINT) {
    return g_workArea;
}

// Hears a menu's notices; counts releases instead of freeing.
class MenuRecorder : public IxSkinListener, public IxSkinMenuListener {
public:
    void Release() override { ++releases; }
    void OnMenuPopup(const std::wstring& name, int shown) override {
        log.push_back(L"popup " + name + L" " + std::to_wstring(shown));
        if (onPopup)
            onPopup(name, shown);
    }
    void OnMenuCommand(const std::wstring& name, int id, const std::wstring& item) override {
        log.push_back(L"command " + name + L" " + std::to_wstring(id) + L" " + item);
        if (onCommand)
            onCommand(name, id);
    }

    std::vector<std::wstring> log;
    int releases = 0;
    std::function<void(const std::wstring&, int)> onPopup;
    std::function<void(const std::wstring&, int)> onCommand;
};

using Log = std::vector<std::wstring>;

CxSkinMenuItem* MakeRow(const wchar_t* name, int id, UINT flags = 0, int height = 20) {
    auto* row = new CxSkinMenuItem;
    row->SetName(name);
    row->SetId(id);
    row->SetFlags(flags);
    row->SetHeight(height);
    return row;
}

// A menu 108 x 72: item margins 4, 6, 4, 6; rows 100 wide: "Open" (6-26), a separator of no height, the
// disabled "Off" (26-46) and "Close" (46-66).
class SkinMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_workArea = {0, 0, 800, 600};
        CxSkinMenu::SetWorkAreaSource(&TestWorkArea);
        menu = NewMenu(L"Main");
        menu->AddItem(MakeRow(L"Open", 1));
        menu->AddItem(MakeRow(L"Sep", 2, MF_SEPARATOR));
        menu->AddItem(MakeRow(L"Off", 3, MF_DISABLED));
        menu->AddItem(MakeRow(L"Close", 4));
        menu->SetListener(&recorder);
    }
    void TearDown() override {
        delete menu;
        CxSkinMenu::SetWorkAreaSource(nullptr);
    }

    static CxSkinMenu* NewMenu(const wchar_t* name) {
        auto* m = new CxSkinMenu;
        EXPECT_TRUE(m->Create(CDialog::IDD_POPUP, nullptr));
        m->SetName(name);
        m->SetMarginItem(4, 6, 4, 6);
        m->SetMaxWidth(100);
        m->SetDynamicWidth(FALSE);
        return m;
    }
    static void Mouse(CxSkinMenu* m, UINT message, int x, int y) {
        Deliver(m->GetSafeHwnd(), message, 0, PointParam(x, y));
    }
    static RECT WindowRect(CxSkinMenu* m) {
        RECT r{};
        ::GetWindowRect(m->GetSafeHwnd(), &r);
        return r;
    }
    static bool Visible(CxSkinMenu* m) { return ::IsWindowVisible(m->GetSafeHwnd()) != FALSE; }

    MenuRecorder recorder;
    CxSkinMenu* menu = nullptr;
};

TEST_F(SkinMenuTest, AnEmptyMenuDoesNotOpen) {
    CxSkinMenu empty;
    ASSERT_TRUE(empty.Create(CDialog::IDD_POPUP, nullptr));
    EXPECT_EQ(empty.TrackPopup(100, 100), 0);
    EXPECT_FALSE(::IsWindowVisible(empty.GetSafeHwnd()));
}

TEST_F(SkinMenuTest, LaysRowsOutAndOpensAtThePoint) {
    ASSERT_EQ(menu->TrackPopup(200, 150), 1);
    EXPECT_TRUE(Visible(menu));
    const RECT window = WindowRect(menu);
    EXPECT_EQ(window.left, 200);
    EXPECT_EQ(window.top, 150);
    EXPECT_EQ(window.right - window.left, 108);
    EXPECT_EQ(window.bottom - window.top, 72);
    EXPECT_EQ(menu->GetItemArea().left, 4);
    EXPECT_EQ(menu->GetItemArea().bottom, 66);
    EXPECT_EQ(menu->GetItemWidth(), 100);
    const RECT close = menu->GetItem(3)->GetRect();
    EXPECT_EQ(close.left, 4);
    EXPECT_EQ(close.top, 46);
    EXPECT_EQ(close.right, 104);
    EXPECT_EQ(close.bottom, 66);
    EXPECT_EQ(recorder.log, (Log{L"popup Main 1"}));
}

TEST_F(SkinMenuTest, RowWidthFollowsMaximumAndDynamicWidth) {
    struct Case {
        BOOL dynamic;
        int maxWidth;
        int itemWidth;
    } const cases[] = {
        {FALSE, 120, 120}, // every row the maximum
        {TRUE, 0, 0},      // every measured row is wider than a maximum of 0
        {TRUE, 200, 34},   // as wide as measured: title 24 + 10
    };
    for (const Case& c : cases) {
        menu->SetDynamicWidth(c.dynamic);
        menu->SetMaxWidth(c.maxWidth);
        ASSERT_EQ(menu->TrackPopup(100, 100), 1);
        EXPECT_EQ(menu->GetItemWidth(), c.itemWidth);
        EXPECT_EQ(menu->GetMenuSize().cx, c.itemWidth + 8);
    }
}

TEST_F(SkinMenuTest, TrackingAlignBelowSwapsTheVerticalItemMargins) {
    menu->SetMarginItem(2, 4, 2, 10);
    menu->SetTrackingAlign(kMenuAlignBelow);
    EXPECT_EQ(menu->GetItemMargins().top, 10);
    EXPECT_EQ(menu->GetItemMargins().bottom, 4);
    menu->SetTrackingAlign(kMenuAlignBelow);
    EXPECT_EQ(menu->GetItemMargins().top, 10) << "the same align again changes nothing";
    menu->SetTrackingAlign(kMenuAlignTop);
    EXPECT_EQ(menu->GetItemMargins().top, 4);
    EXPECT_EQ(menu->GetItemMargins().bottom, 10);
}

TEST_F(SkinMenuTest, StaysInTheWorkAreaAndTheTailFollowsThePoint) {
    menu->SetMarginBackground(5, 0, 0, 5);
    struct Case {
        const char* what;
        RECT work;
        int align;
        POINT at;
        POINT topLeft;
        size_t tailIndex;
        POINT tail;
    } const cases[] = {
        // Align 0: H 72, m 5: t = min(12 + 32, 72 - 10 - 12) = 44.
        {"bottom edge", {0, 0, 800, 600}, kMenuAlignRight, {300, 560}, {300, 528}, 5, {0, 5 + 44}},
        {"room enough", {0, 0, 800, 600}, kMenuAlignRight, {300, 100}, {300, 100}, 5, {0, 5 + 12}},
        {"far below", {0, 0, 800, 600}, kMenuAlignRight, {300, 595}, {300, 528}, 5, {0, 5 + 50}},
        // Align 1 moves up by H; near the right edge it moves left by 58 and the tail right: t = 70, within
        // W - 2m - 12 = 86.
        {"right edge", {0, 0, 800, 600}, kMenuAlignTop, {750, 300}, {692, 228}, 4, {5 + 70, 71}},
        // Align 2 on a monitor right of the primary one: its own left edge is the limit, not 0.
        {"second monitor", {1000, 0, 1800, 600}, kMenuAlignBelow, {990, 300}, {1000, 300}, 4, {5 + 2, -1}},
    };
    for (const Case& c : cases) {
        g_workArea = c.work;
        menu->SetTrackingAlign(c.align);
        ASSERT_EQ(menu->TrackPopup(c.at.x, c.at.y), 1) << c.what;
        const RECT window = WindowRect(menu);
        EXPECT_EQ(window.left, c.topLeft.x) << c.what;
        EXPECT_EQ(window.top, c.topLeft.y) << c.what;
        ASSERT_EQ(menu->GetOutline().size(), 8u);
        EXPECT_EQ(menu->GetOutline()[c.tailIndex].x, c.tail.x) << c.what;
        EXPECT_EQ(menu->GetOutline()[c.tailIndex].y, c.tail.y) << c.what;
        menu->CWnd::ShowWindow(SW_HIDE);
    }
}

TEST_F(SkinMenuTest, ChoosingARowReportsItAfterTheHideNotice) {
    menu->TrackPopup(100, 100);
    Mouse(menu, WM_LBUTTONUP, 50, 50);
    EXPECT_FALSE(Visible(menu));
    EXPECT_EQ(recorder.log, (Log{L"popup Main 1", L"popup Main 0", L"command Main 4 Close"}));
    // The choice is spent: the next close reports none.
    menu->TrackPopup(100, 100);
    menu->CWnd::ShowWindow(SW_HIDE);
    EXPECT_EQ(recorder.log.back(), L"command Main 0 ");
}

TEST_F(SkinMenuTest, InactiveRowsAndEmptySpotsChooseNothing) {
    menu->TrackPopup(100, 100);
    Mouse(menu, WM_LBUTTONUP, 50, 30); // the disabled row
    Mouse(menu, WM_LBUTTONUP, 50, 26); // where the separator lies
    Mouse(menu, WM_LBUTTONUP, 2, 3);   // margin, inside the window
    EXPECT_TRUE(Visible(menu));
    EXPECT_EQ(recorder.log, (Log{L"popup Main 1"}));
}

TEST_F(SkinMenuTest, AReleaseOutsideClosesWithoutAChoice) {
    menu->TrackPopup(100, 100);
    Mouse(menu, WM_LBUTTONUP, -5, 200);
    EXPECT_FALSE(Visible(menu));
    EXPECT_EQ(recorder.log, (Log{L"popup Main 1", L"popup Main 0", L"command Main 0 "}));
}

TEST_F(SkinMenuTest, EscapeClosesWithoutAChoice) {
    menu->TrackPopup(100, 100);
    Mouse(menu, WM_MOUSEMOVE, 50, 56); // "Close" lit under the pointer is no choice
    Deliver(menu->GetSafeHwnd(), WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_TRUE(Visible(menu)) << "other keys leave it open";
    EXPECT_FALSE(Deliver(menu->GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 1));
    EXPECT_FALSE(Visible(menu));
    EXPECT_EQ(recorder.log, (Log{L"popup Main 1", L"popup Main 0", L"command Main 0 "}));
}

TEST_F(SkinMenuTest, EnableItemReplacesTheFlagsOfEveryRowOfThatName) {
    menu->AddItem(MakeRow(L"Close", 5, MF_CHECKED));
    menu->EnableItem(L"Close", FALSE);
    auto flags = [&](int i) { return static_cast<CxSkinMenuItem*>(menu->GetItem(i))->GetFlags(); };
    EXPECT_EQ(flags(3), UINT(MF_DISABLED));
    EXPECT_EQ(flags(4), UINT(MF_DISABLED));
    menu->EnableItem(L"Off", TRUE);
    EXPECT_EQ(flags(2), 0u);
    EXPECT_EQ(menu->GetItem(5), nullptr);
    EXPECT_EQ(menu->GetItem(-1), nullptr);
    menu->RemoveItem(9);
    menu->RemoveItem(-1);
    EXPECT_EQ(menu->GetItemCount(), 5);
}

TEST_F(SkinMenuTest, NoticesFallBackToTheMenuListenerField) {
    MenuRecorder field;
    menu->m_menuListener = &field;
    menu->TrackPopup(100, 100);
    EXPECT_EQ(field.log.size(), 0u) << "the menu's own listener comes first";
    menu->CWnd::ShowWindow(SW_HIDE);
    menu->SetListener(nullptr);
    recorder.log.clear();
    menu->TrackPopup(100, 100);
    menu->CWnd::ShowWindow(SW_HIDE);
    EXPECT_EQ(field.log, (Log{L"popup Main 1", L"popup Main 0", L"command Main 0 "}));
    EXPECT_TRUE(recorder.log.empty());
}

TEST_F(SkinMenuTest, AListenerMayDestroyTheMenuWhileHearingItClose) {
    menu->TrackPopup(100, 100);
    recorder.onPopup = [&](const std::wstring&, int shown) {
        if (!shown) {
            menu->SetListener(nullptr);
            delete menu;
            menu = nullptr;
        }
    };
    Mouse(menu, WM_LBUTTONUP, 50, 50);
    EXPECT_EQ(menu, nullptr);
    EXPECT_EQ(recorder.log, (Log{L"popup Main 1", L"popup Main 0"})) << "no command from a destroyed menu";
}

TEST_F(SkinMenuTest, DeactivationClosesTheMenu) {
    TestWindow other;
    menu->TrackPopup(100, 100);
    ::SendMessageW(menu->GetSafeHwnd(), WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(other.GetSafeHwnd()));
    EXPECT_FALSE(Visible(menu));
    EXPECT_EQ(recorder.log.back(), L"command Main 0 ");
}

TEST_F(SkinMenuTest, HoverHighlightsTheRowAndAnimatesForTenFrames) {
    auto* open = static_cast<CxSkinMenuItem*>(menu->GetItem(0));
    open->SetEffect(kMenuEffectImage);
    open->SetHighlightImage(SolidImage(4, 4, 0xFF0000FF));
    menu->SetBackground(0xFFFFFFFF);
    menu->TrackPopup(100, 100);
    EXPECT_EQ(menu->GetPixel(50, 16), 0xFFFFFFFFu);
    Mouse(menu, WM_MOUSEMOVE, 50, 16);
    EXPECT_EQ(menu->GetHotItem(), 0);
    EXPECT_EQ(menu->GetAnimationFrame(), 0);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND)) << "the dialog's own hover tracking runs first";
    for (int tick = 0; tick < 12; ++tick)
        ::SendMessageW(menu->GetSafeHwnd(), WM_TIMER, CxSkinMenu::kHoverTimer, 0);
    EXPECT_EQ(menu->GetAnimationFrame(), CxSkinMenu::kHoverFrames);
    EXPECT_EQ(menu->GetPixel(50, 16), 0xFF0000FFu) << "the hot row shows its highlight";
    Mouse(menu, WM_MOUSEMOVE, 50, 30); // the disabled row is never hot
    EXPECT_EQ(menu->GetHotItem(), -1);
    EXPECT_EQ(menu->GetPixel(50, 16), 0xFFFFFFFFu);
}

TEST_F(SkinMenuTest, BalloonIsClippedToTheOutlineAndFramed) {
    menu->SetMarginBackground(10, 0, 0, 0);
    menu->SetBorder(0);
    menu->SetBackground(0xFF336699);
    menu->TrackPopup(100, 100);
    EXPECT_EQ(menu->GetPixel(50, 40), 0xFF336699u);
    EXPECT_EQ(Alpha(menu->GetPixel(2, 3)), 0) << "left of the body, away from the tail";
    EXPECT_EQ(menu->GetPixel(5, 10 + 12), 0xFF336699u) << "inside the tail";
    menu->SetBorder(3);
    menu->SetBorderColor(0xFFFF0000);
    menu->TrackPopup(100, 100);
    EXPECT_EQ(menu->GetPixel(60, 0), 0xFFFF0000u) << "the frame along the top";
}

TEST_F(SkinMenuTest, ARowWithItsTextCutShortGetsATooltip) {
    auto* row = static_cast<CxSkinMenuItem*>(menu->GetItem(0));
    row->SetContent(L"This text is far too long for a row of one hundred pixels");
    menu->TrackPopup(100, 100);
    CxSkinToolTip* tip = menu->GetToolTipWindow();
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(tip->HasTool(menu, 1));
    EXPECT_FALSE(tip->HasTool(menu, 2));
    row->SetContent(L"Ok");
    menu->Update();
    EXPECT_FALSE(tip->HasTool(menu, 1)) << "the tools of the last paint are replaced";
}

// A menu whose "Open" row carries a sub-menu with "Copy" (id 11) and "Paste" (id 12).
class SkinSubMenuTest : public SkinMenuTest {
protected:
    void SetUp() override {
        SkinMenuTest::SetUp();
        sub = NewMenu(L"Sub");
        sub->AddItem(MakeRow(L"Copy", 11));
        sub->AddItem(MakeRow(L"Paste", 12));
        static_cast<CxSkinMenuItem*>(menu->GetItem(0))->SetSubMenu(sub);
        menu->TrackPopup(100, 100);
        Mouse(menu, WM_MOUSEMOVE, 50, 16);
    }

    CxSkinMenu* sub = nullptr; // owned by the "Open" row
};

TEST_F(SkinSubMenuTest, HoveringTheRowOpensItsSubMenuBesideIt) {
    ASSERT_TRUE(Visible(sub));
    EXPECT_TRUE(Visible(menu)) << "the sub-menu taking the activation does not close its parent";
    EXPECT_EQ(sub->GetParentMenu(), menu);
    EXPECT_EQ(menu->GetOpenSubMenu(), sub);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_ARROW)) << "a row whose sub-menu is open";
    const RECT window = WindowRect(sub);
    EXPECT_EQ(window.left, 100 + 104);
    EXPECT_EQ(window.top, 100 + 16);
    EXPECT_EQ(recorder.log, (Log{L"popup Main 1", L"popup Sub 1"})) << "the sub-menu reports to its owner's listener";
    Mouse(menu, WM_MOUSEMOVE, 50, 56); // "Close" has no sub-menu
    EXPECT_FALSE(Visible(sub));
    EXPECT_EQ(menu->GetOpenSubMenu(), nullptr);
}

TEST_F(SkinSubMenuTest, ChoosingInTheSubMenuClosesBoth) {
    Mouse(sub, WM_LBUTTONUP, 50, 30);
    EXPECT_FALSE(Visible(sub));
    EXPECT_FALSE(Visible(menu));
    EXPECT_EQ(recorder.log, (Log{L"popup Main 1", L"popup Sub 1", L"popup Sub 0", L"command Sub 12 Paste",
                                 L"popup Main 0", L"command Main 0 "}));
    EXPECT_EQ(recorder.releases, 0) << "the shared listener is released by nobody but its owner";
}

TEST_F(SkinSubMenuTest, EscapeInTheSubMenuClosesBothWithoutAChoice) {
    ASSERT_TRUE(Visible(sub));
    EXPECT_FALSE(Deliver(sub->GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 1));
    EXPECT_FALSE(Visible(sub));
    EXPECT_FALSE(Visible(menu));
    EXPECT_EQ(recorder.log, (Log{L"popup Main 1", L"popup Sub 1", L"popup Sub 0", L"command Sub 0 ", L"popup Main 0",
                                 L"command Main 0 "}));
}

TEST_F(SkinSubMenuTest, GoingBackToTheParentClosesOnlyTheSubMenu) {
    ::SendMessageW(sub->GetSafeHwnd(), WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(menu->GetSafeHwnd()));
    EXPECT_FALSE(Visible(sub));
    EXPECT_TRUE(Visible(menu));
}

TEST_F(SkinSubMenuTest, AListenerMayDestroyTheOwningMenuWhenASubMenuRowIsChosen) {
    recorder.onCommand = [&](const std::wstring& name, int) {
        if (name == L"Sub") {
            menu->SetListener(nullptr);
            delete menu; // takes the row and with it the sub-menu that is reporting
            menu = nullptr;
        }
    };
    Mouse(sub, WM_LBUTTONUP, 50, 10);
    EXPECT_EQ(menu, nullptr);
    EXPECT_EQ(recorder.log.back(), L"command Sub 11 Copy") << "nothing is heard from the destroyed menus";
}

TEST_F(SkinSubMenuTest, RemovingTheRowOfTheOpenSubMenuForgetsIt) {
    menu->RemoveItem(0);
    EXPECT_EQ(menu->GetOpenSubMenu(), nullptr);
    EXPECT_EQ(menu->GetHotItem(), -1);
    Mouse(menu, WM_MOUSEMOVE, 50, 16); // what is now the first row: the separator then "Off"
    menu->CWnd::ShowWindow(SW_HIDE);
    EXPECT_EQ(recorder.log.back(), L"command Main 0 ");
}

} // namespace
