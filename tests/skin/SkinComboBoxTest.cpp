// The combo box and its drop list on real windows: item operations with bad indexes, opening geometry,
// choosing by click and by keys, the list's ends, scrolling by wheel, scroll bar and scroll buttons,
// painting of the label and the items, cut-text tooltips, and owners that go away while the list is open.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ImageFiles.h"
#include "SkinDialogFixture.h"
#include "SkinTestSupport.h"
#include "TestPaths.h"
#include "skin/SkinButton.h"
#include "skin/SkinComboBox.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinDraw.h"
#include "skin/SkinDropList.h"
#include "skin/SkinRepeatButton.h"
#include "skin/SkinSlider.h"
#include "skin/TextWidthBound.h"

using namespace oc::test;

namespace {

POINT g_cursor{-1000, -1000};

POINT TestCursor() {
    return g_cursor;
}

// The handler serving the dialog: logs the combo's reports and may act on them.
class ComboHandler : public IxSkinListener, public IxSkinComboBoxListener {
public:
    void Release() override {}
    int OnSelChange(const std::wstring& name, int index) override {
        events.push_back(name + L" " + std::to_wstring(index));
        if (onSelChange)
            onSelChange();
        return 1;
    }
    std::vector<std::wstring> events;
    std::function<void()> onSelChange;
};

const ImageFiles& TestImages() {
    static const ImageFiles images({
        {L"label", 150, 24, 0xFF00FF00},     {L"button", 24, 24, 0xFF000080}, {L"buttonsel", 24, 24, 0xFF800000},
        {L"buttonover", 24, 24, 0xFF008000}, {L"item", 10, 10, 0xFFFF0000},   {L"itemsel", 10, 10, 0xFF0000FF},
        {L"scrollbk", 12, 40, 0xFF404040},   {L"thumb", 12, 12, 0xFFC0C0C0},  {L"arrow", 12, 10, 0xFFFFFF00},
        {L"listbk", 100, 60, 0xFF00FFFF},
    });
    return images;
}

std::wstring Message(CxSkinControlsException* e) {
    std::wstring text = e->GetMessage();
    e->Delete();
    return text;
}

// A 300 x 200 dialog at (100, 100) with a 150 x 24 combo at (10, 10): the label over its left part, the
// drop button at its right end, and a list of 20-pixel items at most 100 pixels high.
class ComboTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_cursor = {-1000, -1000};
        ASSERT_TRUE(OpenDialog(dialog));
        dialog.SetListener(&handler);
        hwnd = dialog.GetSafeHwnd();
        const ImageFiles& images = TestImages();
        combo = new CxSkinComboBox;
        combo->SetName(L"Mode");
        combo->SetLeft(10);
        combo->SetTop(10);
        combo->SetWidth(150);
        combo->SetHeight(24);
        combo->SetParent(&dialog);
        combo->SetLabelRect(4, 0, 120, 24);
        combo->SetDropButtonRect({126, 0, 150, 24});
        combo->SetDropButtonNormalImage(images[L"button"]);
        combo->SetDropButtonSelectedImage(images[L"buttonsel"]);
        combo->SetDropButtonOverImage(images[L"buttonover"]);
        combo->SetLabelBkImage(images[L"label"]);
        combo->SetItemHeight(20);
        combo->SetDropListHeight(100);
        combo->SetDropListDynamicWidth(0);
        combo->SetItemImage(0, images[L"item"]);
        combo->SetItemImage(1, images[L"itemsel"]);
        combo->SetCursorSource(&TestCursor);
        ASSERT_EQ(combo->Create(), TRUE);
        list = combo->GetDropList();
    }
    void TearDown() override {
        // The combo is a layer of the dialog, which frees it.
        dialog.DestroyWindow();
    }

    void AddItems(int count) {
        for (int i = 0; i < count; ++i)
            combo->AddString(L"Item " + std::to_wstring(i));
    }
    bool Mouse(HWND target, UINT message, int x, int y) { return Deliver(target, message, 0, PointParam(x, y)); }
    void ClickCombo() {
        Mouse(hwnd, WM_LBUTTONDOWN, 20, 20);
        Mouse(hwnd, WM_LBUTTONUP, 20, 20);
    }
    HWND ListWindow() const { return list->GetSafeHwnd(); }
    bool ListShown() const { return ListWindow() && ::IsWindowVisible(ListWindow()); }
    void Key(UINT key) { Deliver(ListWindow(), WM_KEYDOWN, key, 0); }
    RECT ListRect() const {
        RECT rect{};
        ::GetWindowRect(ListWindow(), &rect);
        return rect;
    }
    static void Pump() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    TestDialog dialog;
    HWND hwnd = nullptr;
    ComboHandler handler;
    CxSkinComboBox* combo = nullptr;
    CxSkinDropList* list = nullptr;
};

TEST_F(ComboTest, BadIndexesGiveMinusOneOrEmptyAndChangeNothing) {
    AddItems(3);
    combo->SetItemName(1, L"one");
    combo->SetItemData(1, 42);
    for (int bad : {-2, -1, 3, 100}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(combo->SetItemName(bad, L"x"), -1);
        EXPECT_EQ(combo->GetItemName(bad), L"");
        EXPECT_EQ(combo->SetItemData(bad, 7), -1);
        EXPECT_EQ(combo->GetItemData(bad), -1);
        std::wstring text = L"kept";
        combo->GetItemText(bad, text);
        EXPECT_EQ(text, L"kept");
        EXPECT_EQ(combo->DeleteString(bad), -1);
    }
    EXPECT_EQ(combo->GetCount(), 3);
    EXPECT_EQ(combo->GetItemName(1), L"one");
    EXPECT_EQ(combo->GetItemData(1), 42);
}

TEST_F(ComboTest, SetCurSelTakesValidIndexesOnlyAndMinusOneKeepsTheLabel) {
    AddItems(3);
    EXPECT_EQ(combo->SetCurSel(2, TRUE), 2);
    EXPECT_EQ(combo->GetLabelText(), L"Item 2");
    EXPECT_EQ(combo->GetToolTip(), L"Item 2");
    EXPECT_EQ(combo->SetCurSel(3, TRUE), -1); // the count
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->SetCurSel(-5, TRUE), -1);
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->SetCurSel(-1, TRUE), -1);
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_EQ(combo->GetLabelText(), L"Item 2");
    EXPECT_TRUE(handler.events.empty());
}

TEST_F(ComboTest, DeletingTracksTheSelection) {
    struct Case {
        int selected, removed, selectionAfter;
        const wchar_t* labelAfter;
    };
    const Case cases[] = {
        {2, 2, -1, L""},      // the selected item: no selection, empty label
        {2, 0, 1, L"Item 2"}, // an earlier one: the selection shifts down, the label stays
        {1, 3, 1, L"Item 1"}, // a later one: nothing moves
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.removed);
        combo->ResetContent();
        AddItems(4);
        combo->SetCurSel(c.selected, FALSE);
        EXPECT_EQ(combo->DeleteString(c.removed), 3);
        EXPECT_EQ(combo->GetCurSel(), c.selectionAfter);
        EXPECT_EQ(combo->GetLabelText(), c.labelAfter);
    }
    combo->ResetContent();
    EXPECT_EQ(combo->GetCount(), 0);
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_EQ(combo->GetLabelText(), L"");
}

TEST_F(ComboTest, ImageSettersThrowTheirMessages) {
    const std::wstring& missing = TestImages().missing;
    struct Case {
        std::function<void()> call;
        std::wstring message;
    };
    const Case cases[] = {
        {[&] { combo->SetLabelBkImage(missing); }, L"SetLabelBkImage: failed to load " + missing},
        {[&] { combo->SetDropListBkImage(missing); }, L"DropList background: failed to load " + missing},
        {[&] { combo->SetDropButtonNormalImage(L""); }, L"Drop Buttom Normal: Empty"},
        {[&] { combo->SetItemImage(0, missing); }, L"DropList ItemNormal: failed to load " + missing},
        {[&] { combo->SetItemImage(1, missing); }, L"DropList ItemNormal: failed to load " + missing},
        {[&] { combo->SetScrollBkImage(missing); }, L"Scroll background: failed to load " + missing},
        {[&] { combo->SetScrollThumbImage(missing); }, L"Scroll Block: failed to load " + missing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            c.call();
            ADD_FAILURE() << "no exception";
        } catch (CxSkinControlsException* e) {
            EXPECT_EQ(Message(e), c.message);
        }
    }
    EXPECT_NE(combo->GetLabelBackground(), nullptr); // the old label image stays
    combo->SetItemImage(0, L"");                     // an empty item image does nothing
    EXPECT_NE(list->GetItemImage(0), nullptr);
}

TEST_F(ComboTest, ListHeightComesFromTheBackgroundImageOnlyWhenUnset) {
    combo->SetDropListHeight(0);
    combo->SetDropListBkImage(TestImages()[L"listbk"]);
    EXPECT_EQ(combo->GetDropListHeight(), 60);
    combo->SetDropListHeight(90);
    combo->SetDropListBkImage(TestImages()[L"listbk"]);
    EXPECT_EQ(combo->GetDropListHeight(), 90);
}

TEST_F(ComboTest, OpensBelowTheComboWithTheSizeItsItemsNeed) {
    // Empty texts measure 0 wide, so the side margins alone make the needed width.
    struct Case {
        int dynamic, listWidth, marginLeft, items, listHeight;
        int width, height;
    };
    const Case cases[] = {
        {1, 100, 240, 2, 100, 200, 40}, // needs 250: twice the list width at most
        {1, 100, 50, 2, 100, 100, 40},  // needs 60: the list width at least
        {0, 100, 240, 2, 100, 100, 40}, // fixed width
        {0, 0, 0, 2, 100, 150, 40},     // no width: the combo's
        {0, 100, 0, 0, 100, 100, 60},   // empty: room for three items
        {0, 100, 0, 20, 150, 100, 150}, // 400 needed, 150 allowed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.marginLeft + c.items);
        combo->ResetContent();
        for (int i = 0; i < c.items; ++i)
            combo->AddString(L"");
        combo->SetDropListDynamicWidth(c.dynamic);
        combo->SetDropListWidth(c.listWidth);
        combo->SetDropListHeight(c.listHeight);
        combo->SetDropListMargin(c.marginLeft, 0, 10, 0);
        ClickCombo();
        ASSERT_TRUE(ListShown());
        const RECT rect = ListRect();
        EXPECT_EQ(rect.left, 110);
        EXPECT_EQ(rect.top, 134);
        EXPECT_EQ(rect.right - rect.left, c.width);
        EXPECT_EQ(rect.bottom - rect.top, c.height);
        EXPECT_TRUE(combo->GetDropButton()->GetCheck());
        ::ShowWindow(ListWindow(), SW_HIDE);
        EXPECT_FALSE(combo->GetDropButton()->GetCheck());
    }
}

TEST_F(ComboTest, DynamicWidthMakesRoomForTheScrollBar) {
    combo->SetScrollBkImage(TestImages()[L"scrollbk"]);
    combo->SetScrollThumbImage(TestImages()[L"thumb"]);
    for (int i = 0; i < 10; ++i)
        combo->AddString(L"");
    combo->SetDropListDynamicWidth(1);
    combo->SetDropListWidth(100);
    combo->SetDropListMargin(100, 0, 10, 0); // 110 needed, plus the 12-pixel scroll bar
    ClickCombo();
    const RECT rect = ListRect();
    EXPECT_EQ(rect.right - rect.left, 122);
}

// Each row's bound is never below what GDI+ measures for it, whatever the script, spaces or kerning.
TEST(TextWidthBoundTest, NeverBelowTheMeasuredWidth) {
    const std::wstring texts[] = {L"Preset 12", L"iiiiiiiiiiii", L"WWWWWW", L"AVAVAV To Ty", L"a  b   c    d",
                                  L" leading and trailing ", L"Mon pr\u00e9r\u00e9glage", L"\u30de\u30a4\u30d7\u30ea\u30bb\u30c3\u30c8",
                                  L"\u0e40\u0e1e\u0e25\u0e07\u0e17\u0e35\u0e48\u0e0a\u0e2d\u0e1a", L"\u0423\u043c\u043d\u0430\u044f \u0433\u0440\u043e\u043c\u043a\u043e\u0441\u0442\u044c"};
    HDC screen = ::GetDC(nullptr);
    {
        Gdiplus::Graphics graphics(screen);
        for (const wchar_t* face : {L"Tahoma", L"WenQuanYi Micro Hei", L"Loma"}) {
            const Gdiplus::FontFamily family(face);
            ASSERT_EQ(family.GetLastStatus(), Gdiplus::Ok) << "the test prefix installs " << face;
            for (const int style : {Gdiplus::FontStyleRegular, Gdiplus::FontStyleBold}) {
                const Gdiplus::Font font(&family, 9.0f, style, Gdiplus::UnitPoint);
                CTextWidthBound bound(graphics, &font);
                Gdiplus::StringFormat format(Gdiplus::StringFormatFlagsNoWrap);
                for (const std::wstring& text : texts) {
                    Gdiplus::RectF measured;
                    graphics.MeasureString(text.c_str(), static_cast<INT>(text.size()), &font,
                                           Gdiplus::RectF(0, 0, 65535, 65535), &format, &measured);
                    EXPECT_GE(bound.Of(text), static_cast<int>(measured.Width)) << face << " " << style;
                }
            }
        }
        const Gdiplus::FontFamily tahoma(L"Tahoma");
        const Gdiplus::Font font(&tahoma, 9.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
        CTextWidthBound bound(graphics, &font);
        EXPECT_EQ(bound.Of(L""), 0);
        EXPECT_EQ(bound.Of(L"a\tb"), CTextWidthBound::kUnbounded);
        EXPECT_EQ(bound.Of(L"\U0001F600"), CTextWidthBound::kUnbounded);
    }
    ::ReleaseDC(nullptr, screen);
}

// A list of thousands of rows measures only those that can widen it, and still opens exactly as wide as its
// widest row needs, which then shows whole.
TEST_F(ComboTest, ADynamicListIsAsWideAsItsWidestRowAmongThousands) {
    constexpr int kWide = 2; // in view when the list opens
    combo->SetDropListDynamicWidth(1);
    combo->SetDropListWidth(150);
    combo->SetDropListMargin(0, 0, 0, 0);
    const std::wstring wide[] = {L"A preset with a much longer name", L"WWWWWWWWWWWWWWWWW",
                                 L"a b c d e f g h i j k l m n o p q r s t u"};
    for (const std::wstring& widest : wide) {
        SCOPED_TRACE(widest);
        combo->ResetContent();
        for (int i = 0; i < 3000; ++i)
            combo->AddString(i == kWide ? widest : L"Preset " + std::to_wstring(i));
        const SIZE all = list->MeasureItems();
        ASSERT_GT(all.cx, 150) << "the wide row widens the list";
        ASSERT_LT(all.cx, 300);
        EXPECT_EQ(list->MeasureItems(150 - list->GetScrollBarWidth(), 300).cx, all.cx);
        ClickCombo();
        ASSERT_TRUE(ListShown());
        const RECT rect = ListRect();
        EXPECT_EQ(rect.right - rect.left, all.cx + list->GetScrollBarWidth());
        // Measured as it is drawn: the row the list widened for shows whole.
        std::wstring shown;
        xSkinSetTextObserver([&](Gdiplus::Graphics&, const SkinDrawnText& drawn) {
            if (drawn.text == widest)
                shown = drawn.shown;
        });
        list->Invalidate(FALSE);
        list->Update();
        xSkinSetTextObserver(nullptr);
        EXPECT_EQ(shown, widest);
        EXPECT_FALSE(list->GetItem(kWide)->IsTextCut());
        ::ShowWindow(ListWindow(), SW_HIDE);
    }
}

TEST_F(ComboTest, ClickingAnItemReportsItAndClosesTheList) {
    AddItems(4);
    ClickCombo();
    ASSERT_TRUE(ListShown());
    EXPECT_EQ(list->GetCurrent(), -1);
    Mouse(ListWindow(), WM_MOUSEMOVE, 30, 50);
    EXPECT_EQ(list->GetCurrent(), 2);
    EXPECT_TRUE(list->GetItem(2)->IsHover());
    Mouse(ListWindow(), WM_LBUTTONDOWN, 30, 50);
    Mouse(ListWindow(), WM_LBUTTONUP, 30, 50);
    EXPECT_FALSE(ListShown());
    EXPECT_EQ(handler.events, (std::vector<std::wstring>{L"Mode 2"}));
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->GetLabelText(), L"Item 2");
    EXPECT_EQ(combo->GetToolTip(), L"Item 2");
    EXPECT_FALSE(combo->GetDropButton()->GetCheck());

    // Opened again, the highlight starts at the selection.
    ClickCombo();
    EXPECT_EQ(list->GetCurrent(), 2);
}

TEST_F(ComboTest, ReleaseOutsideTheItemsKeepsTheListOpen) {
    AddItems(2);
    combo->SetCurSel(1, FALSE);
    combo->SetDropListMargin(0, 0, 0, 30); // 70 high: 30 pixels below the items
    ClickCombo();
    ASSERT_EQ(ListRect().bottom - ListRect().top, 70);
    Mouse(ListWindow(), WM_LBUTTONDOWN, 30, 10);
    Mouse(ListWindow(), WM_LBUTTONUP, 30, 60);
    EXPECT_TRUE(ListShown());
    EXPECT_TRUE(handler.events.empty());
    Key(VK_RETURN); // the highlight started at the selection
    EXPECT_EQ(handler.events, (std::vector<std::wstring>{L"Mode 1"}));
}

TEST_F(ComboTest, PressOnTheComboClosesTheListWithoutReopeningIt) {
    AddItems(3);
    ClickCombo();
    ASSERT_TRUE(ListShown());
    // The press on the combo takes the focus from the list, which closes with the pointer over the combo.
    g_cursor = {150, 120};
    ::SetFocus(hwnd);
    EXPECT_FALSE(ListShown());
    EXPECT_TRUE(combo->IsToggleSuppressed());
    EXPECT_FALSE(combo->GetDropButton()->GetCheck());
    ClickCombo();
    EXPECT_FALSE(ListShown());
    EXPECT_FALSE(combo->IsToggleSuppressed());
    EXPECT_TRUE(handler.events.empty());
    ClickCombo();
    EXPECT_TRUE(ListShown());

    // Closed with the pointer elsewhere, the next click opens it again.
    g_cursor = {600, 500};
    ::SetFocus(hwnd);
    EXPECT_FALSE(combo->IsToggleSuppressed());
    ClickCombo();
    EXPECT_TRUE(ListShown());
}

TEST_F(ComboTest, KeysMoveTheHighlightWithinTheListAndEnterChooses) {
    AddItems(3);
    ClickCombo();
    Key(VK_UP); // from no highlight: the first item, never above it
    EXPECT_EQ(list->GetCurrent(), 0);
    for (int i = 0; i < 5; ++i)
        Key(VK_DOWN);
    EXPECT_EQ(list->GetCurrent(), 2); // never past the last
    Key(VK_UP);
    Key(VK_RETURN);
    EXPECT_FALSE(ListShown());
    EXPECT_EQ(handler.events, (std::vector<std::wstring>{L"Mode 1"}));
    EXPECT_EQ(combo->GetCurSel(), 1);
}

TEST_F(ComboTest, EnterWithoutHighlightKeepsTheSelection) {
    AddItems(3);
    combo->SetCurSel(2, FALSE);
    combo->SetCurSel(-1, FALSE);
    ClickCombo();
    Key(VK_RETURN);
    EXPECT_FALSE(ListShown());
    EXPECT_TRUE(handler.events.empty());
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_EQ(combo->GetLabelText(), L"Item 2");
}

TEST_F(ComboTest, KeysOnAnEmptyListChooseNothing) {
    ClickCombo();
    ASSERT_TRUE(ListShown());
    Key(VK_DOWN);
    Key(VK_UP);
    EXPECT_EQ(list->GetCurrent(), -1);
    Key(VK_RETURN);
    EXPECT_FALSE(ListShown());
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_TRUE(handler.events.empty());
}

TEST_F(ComboTest, AnyOtherKeyClosesAndKeepsTheSelection) {
    AddItems(3);
    combo->SetCurSel(1, FALSE);
    ClickCombo();
    Key(VK_DOWN);
    g_cursor = {150, 120}; // not a press on the combo: the next click still opens
    Key('A');
    EXPECT_FALSE(ListShown());
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->GetLabelText(), L"Item 1");
    EXPECT_TRUE(handler.events.empty());
    EXPECT_FALSE(combo->GetDropButton()->GetCheck());
    EXPECT_FALSE(combo->IsToggleSuppressed());
}

class ScrollTest : public ComboTest {
protected:
    void SetUp() override {
        ComboTest::SetUp();
        combo->SetScrollBkImage(TestImages()[L"scrollbk"]);
        combo->SetScrollThumbImage(TestImages()[L"thumb"]);
        combo->SetScrollButtonImage(TestImages()[L"arrow"], 1, 0);
        combo->SetScrollButtonImage(TestImages()[L"arrow"], 0, 0);
        combo->SetDropListWidth(150);
    }
    void Wheel(short delta) {
        Deliver(ListWindow(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), PointParam(150, 170));
    }
};

TEST_F(ScrollTest, WheelScrollsOneItemWithinTheRange) {
    AddItems(10);
    ClickCombo();
    CxSkinSlider* bar = list->GetScrollBar();
    ASSERT_TRUE(bar->IsCreated());
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->GetMinimum(), 0);
    EXPECT_EQ(bar->GetMaximum(), 100);
    EXPECT_EQ(list->GetItemArea().right, 138); // the scroll column takes 12 pixels
    const RECT barRect = bar->GetRect();
    EXPECT_EQ(barRect.top, 10); // below the up button
    EXPECT_EQ(barRect.bottom, 90);
    const int offsets[] = {20, 40, 60, 80, 100, 100};
    for (int expected : offsets) {
        Wheel(-120);
        EXPECT_EQ(list->GetScrollOffset(), expected);
        EXPECT_FLOAT_EQ(bar->GetPos(), static_cast<float>(100 - expected));
    }
    for (int i = 0; i < 7; ++i)
        Wheel(120);
    EXPECT_EQ(list->GetScrollOffset(), 0);
    // Scrolled by 40, the second visible row is item 3.
    Wheel(-120);
    Wheel(-120);
    Mouse(ListWindow(), WM_MOUSEMOVE, 30, 25);
    EXPECT_EQ(list->GetCurrent(), 3);
}

TEST_F(ScrollTest, ScrollBarAndKeysMoveTheItems) {
    AddItems(10);
    ClickCombo();
    list->OnSliderChanged(L"", 30.0f, 1);
    EXPECT_EQ(list->GetScrollOffset(), 70);
    list->OnSliderChanged(L"", 100.0f, 1);
    EXPECT_EQ(list->GetScrollOffset(), 0);
    for (int i = 0; i < 7; ++i)
        Key(VK_DOWN);
    EXPECT_EQ(list->GetCurrent(), 6);
    EXPECT_EQ(list->GetScrollOffset(), 40); // item 6 ends at 140, the area is 100 high
    for (int i = 0; i < 5; ++i)
        Key(VK_UP);
    EXPECT_EQ(list->GetCurrent(), 1);
    EXPECT_EQ(list->GetScrollOffset(), 20);
}

TEST_F(ScrollTest, OpeningScrollsTheSelectionIntoView) {
    AddItems(10);
    combo->SetCurSel(8, FALSE);
    ClickCombo();
    EXPECT_EQ(list->GetScrollOffset(), 80);
    EXPECT_FLOAT_EQ(list->GetScrollBar()->GetPos(), 20.0f);
}

TEST_F(ScrollTest, ScrollButtonsStepOneItemAndKeepTheListOpen) {
    AddItems(10);
    ClickCombo();
    // The down button sits at the bottom of the scroll column.
    Mouse(ListWindow(), WM_LBUTTONDOWN, 144, 95);
    Mouse(ListWindow(), WM_LBUTTONUP, 144, 95);
    EXPECT_TRUE(ListShown());
    EXPECT_EQ(list->GetScrollOffset(), 20);
    Mouse(ListWindow(), WM_LBUTTONDOWN, 144, 5);
    Mouse(ListWindow(), WM_LBUTTONUP, 144, 5);
    EXPECT_EQ(list->GetScrollOffset(), 0);
    EXPECT_TRUE(handler.events.empty());

    // A held button clicks from its timer's thread: the step arrives as a posted command.
    std::thread([this] { list->OnClick(L"Button_Scroll_Down"); }).join();
    EXPECT_EQ(list->GetScrollOffset(), 0);
    Pump();
    EXPECT_EQ(list->GetScrollOffset(), 20);
}

TEST_F(ScrollTest, FewItemsHideTheScrollColumn) {
    AddItems(10);
    ClickCombo();
    ::ShowWindow(ListWindow(), SW_HIDE);
    combo->ResetContent();
    AddItems(3);
    ClickCombo();
    EXPECT_FALSE(list->GetScrollBar()->IsVisible());
    EXPECT_FALSE(list->GetScrollButton(true)->IsVisible());
    EXPECT_EQ(list->GetItemArea().right, 150);
    Deliver(ListWindow(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), PointParam(150, 170));
    EXPECT_EQ(list->GetScrollOffset(), 0);
}

// A skin that gives the list no scroll images shows no scroll column, yet the wheel (like the keys) still
// reaches every item, never past either end.
TEST_F(ComboTest, WithoutScrollImagesTheWheelStillScrolls) {
    AddItems(10);
    combo->SetDropListWidth(150);
    ClickCombo();
    EXPECT_FALSE(list->GetScrollBar()->IsCreated() && list->GetScrollBar()->IsVisible());
    EXPECT_EQ(list->GetItemArea().right, 150) << "no column taken";
    const int offsets[] = {20, 40, 60, 80, 100, 100};
    for (int expected : offsets) {
        Deliver(ListWindow(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), PointParam(150, 170));
        EXPECT_EQ(list->GetScrollOffset(), expected);
    }
    Mouse(ListWindow(), WM_MOUSEMOVE, 30, 25);
    EXPECT_EQ(list->GetCurrent(), 6) << "scrolled by 100, the second visible row is item 6";
    for (int i = 0; i < 7; ++i)
        Deliver(ListWindow(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(120)), PointParam(150, 170));
    EXPECT_EQ(list->GetScrollOffset(), 0);
    EXPECT_TRUE(ListShown());
}

TEST_F(ComboTest, PaintsTheLabelBackgroundAndTheItemLooks) {
    AddItems(4);
    combo->SetDropListWidth(150);
    combo->SetCurSel(1, TRUE);
    dialog.CLayerWnd::Invalidate(TRUE);
    // Label background green at the left end, the drop button's normal content at the right.
    const uint32_t label = dialog.GetPixel(12, 30);
    EXPECT_GT(Green(label), 200);
    EXPECT_LT(Red(label), 60);
    const uint32_t button = dialog.GetPixel(148, 22);
    EXPECT_LT(Blue(button), 160);
    EXPECT_GT(Blue(button), 100);

    ClickCombo();
    // The open state: the selected content image.
    const uint32_t open = dialog.GetPixel(148, 22);
    EXPECT_GT(Red(open), 100);
    EXPECT_LT(Blue(open), 60);
    // The highlighted item (the selection) in the selected image, the others in the normal one.
    const uint32_t normal = list->GetPixel(100, 5);
    const uint32_t selected = list->GetPixel(100, 25);
    EXPECT_GT(Red(normal), 200);
    EXPECT_LT(Blue(normal), 60);
    EXPECT_GT(Blue(selected), 200);
    EXPECT_LT(Red(selected), 60);
    Mouse(ListWindow(), WM_MOUSEMOVE, 30, 65);
    EXPECT_GT(Blue(list->GetPixel(100, 65)), 200);
    EXPECT_GT(Red(list->GetPixel(100, 25)), 200);
}

TEST_F(ComboTest, ListBackgroundIsTheColourOrTheImage) {
    combo->SetDropListWidth(150);
    combo->SetBackgroundColor(0, 0xFFFF00FF);
    ClickCombo(); // empty: three item heights, nothing drawn over the background
    const uint32_t plain = list->GetPixel(75, 30);
    EXPECT_GT(Red(plain), 200);
    EXPECT_GT(Blue(plain), 200);
    EXPECT_LT(Green(plain), 60);
    ::ShowWindow(ListWindow(), SW_HIDE);
    combo->SetDropListBkImage(TestImages()[L"listbk"]);
    combo->SetDropListBottomHeight(10);
    ClickCombo();
    for (POINT p : {POINT{2, 2}, POINT{75, 30}, POINT{147, 57}}) {
        const uint32_t pixel = list->GetPixel(p.x, p.y);
        EXPECT_GT(Green(pixel), 200);
        EXPECT_GT(Blue(pixel), 200);
        EXPECT_LT(Red(pixel), 60);
    }
}

TEST_F(ComboTest, CutItemTextsGetATooltipWithTheFullText) {
    combo->SetDropListWidth(60);
    const std::wstring longText(60, L'W');
    combo->AddString(L"a");
    combo->AddString(longText);
    ClickCombo();
    ASSERT_NE(list->GetToolTipControl(), nullptr);
    EXPECT_FALSE(list->GetItem(0)->IsTextCut());
    EXPECT_TRUE(list->GetItem(1)->IsTextCut());
    EXPECT_EQ(list->GetToolTipTools(), 1);
    EXPECT_EQ(::SendMessageW(list->GetToolTipControl(), TTM_GETTOOLCOUNT, 0, 0), 1);
    wchar_t text[128] = {};
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.lpszText = text;
    ASSERT_TRUE(::SendMessageW(list->GetToolTipControl(), TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(std::wstring(text), longText);
    EXPECT_EQ(tool.rect.top, 20);
    // Repainting replaces the tools rather than adding to them.
    list->CLayerWnd::Invalidate(TRUE);
    EXPECT_EQ(::SendMessageW(list->GetToolTipControl(), TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST_F(ComboTest, HandlerMayDestroyTheComboWhileHearingTheChoice) {
    AddItems(3);
    handler.onSelChange = [this] {
        delete combo;
        combo = nullptr;
    };
    ClickCombo();
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_EQ(handler.events, (std::vector<std::wstring>{L"Mode 0"}));
    EXPECT_EQ(combo, nullptr);
    Pump();
}

TEST_F(ComboTest, DestroyingTheComboWithItsListOpenTellsNoOne) {
    AddItems(3);
    ClickCombo();
    ASSERT_TRUE(ListShown());
    const HWND window = ListWindow();
    delete combo;
    combo = nullptr;
    EXPECT_FALSE(::IsWindow(window));
    Pump();
    EXPECT_TRUE(handler.events.empty());
}

TEST_F(ComboTest, HostGoingAwayWithTheListOpenIsSafe) {
    AddItems(12);
    combo->SetScrollBkImage(TestImages()[L"scrollbk"]);
    combo->SetScrollThumbImage(TestImages()[L"thumb"]);
    ClickCombo();
    ASSERT_TRUE(list->GetScrollBar()->IsCreated());
    // The owner's window takes its owned list window with it; the combo goes with the dialog's layers.
    const HWND window = ListWindow();
    dialog.DestroyWindow();
    Pump();
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_TRUE(handler.events.empty());
}

TEST(DropListAlone, ReopeningAfterItsWindowWentKeepsItemsAndScrollBar) {
    TestDialog owner;
    ASSERT_TRUE(OpenDialog(owner));
    ComboHandler results;
    auto list = std::make_unique<CxSkinDropList>(&results);
    list->SetItemHeight(20);
    list->SetScrollBkImage(TestImages()[L"scrollbk"]);
    list->SetScrollThumbImage(TestImages()[L"thumb"]);
    for (int i = 0; i < 8; ++i)
        list->AddString(L"x");
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(list->CreatePopup(&owner));
        EXPECT_TRUE(list->GetExStyle() & WS_EX_TOOLWINDOW);
        list->Open(100, 100, 100, 60, 0);
        EXPECT_TRUE(list->GetScrollBar()->IsVisible());
        EXPECT_EQ(list->GetMaxScrollOffset(), 100);
        list->DestroyWindow();
        EXPECT_EQ(list->GetCount(), 8);
    }
}

} // namespace
