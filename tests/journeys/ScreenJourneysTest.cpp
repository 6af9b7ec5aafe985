// Journeys that look at the screen: the program is driven with real input (SendInput moves the cursor and
// the key state as a user's mouse and keyboard do) and after each step the window's pixels on the display
// are compared with what the program drew. A window whose presentation broke, a list that paints outside
// itself or a key the window ignores shows here, where the program's own back buffer looks right.
// One start against a device with every endpoint (its device list overflows); the journeys run in order and
// the last one ends the program.
#include "JourneyFixture.h"
#include "ScreenPicture.h"
#include "TestPaths.h"

#include <algorithm>

namespace oc::journey {
namespace {

using namespace std::chrono_literals;

class ScreenJourney : public Journey {
public:
    static void SetUpTestSuite() { StartProgram(L"every-page", false); }
};

// The main window once a named control of it is shown (or the last answer after a few seconds).
ProbedWindow MainShowing(const std::wstring& name) {
    return Journey::MainWhen([&](const ProbedWindow& window) {
        const ProbedControl* control = window.Find(name);
        return control && control->shown;
    });
}

// A real click on a named control of the window; false (with a failed expectation) when it is not shown.
bool UserClick(const ProbedWindow& window, const std::wstring& name) {
    const ProbedControl* control = window.Find(name);
    if (!control || !control->shown) {
        ADD_FAILURE() << testing::PrintToString(name) << " is not shown";
        return false;
    }
    RunningProgram::UserClick(control->Center());
    return true;
}

// The pointer rests on the window's title, where nothing lights up or shows a tooltip.
void RestOnTitle(const ProbedWindow& main) {
    if (const ProbedControl* title = main.Find(L"TextMainTitle"))
        RunningProgram::UserMove({title->rect.right - 8, title->Center().y});
    ::Sleep(200);
}

// The keys that close a focused window.
struct CloseGesture {
    const char* name;
    std::vector<UINT> keys;
};
const CloseGesture kCloseGestures[] = {{"Escape", {VK_ESCAPE}}, {"Alt+F4", {VK_MENU, VK_F4}}};

bool Shown(HWND window) {
    return ::IsWindowVisible(window) != FALSE && !::IsIconic(window);
}

TEST_F(ScreenJourney, PanelSwitchFlipsBothWaysAndTheWindowStillShowsAfterHideAndRestore) {
    ProbedWindow main = Main();
    ASSERT_TRUE(main.hwnd);
    RestOnTitle(main);
    ASSERT_TRUE(ScreenShowsBackBuffer(main.hwnd, "screen-start"));

    ASSERT_TRUE(UserClick(main, L"PanelSwitchButton"));
    main = MainShowing(L"PanelProfileList");
    ASSERT_TRUE(main.Find(L"PanelProfileList") && main.Find(L"PanelProfileList")->shown)
        << "the switch did not show the profiles";
    RestOnTitle(main);
    EXPECT_TRUE(ScreenShowsBackBuffer(main.hwnd, "screen-flip-to-profiles"));

    ASSERT_TRUE(UserClick(main, L"PanelSwitchButton"));
    main = MainShowing(L"PanelStatus");
    RestOnTitle(main);
    EXPECT_TRUE(ScreenShowsBackBuffer(main.hwnd, "screen-flip-to-status"));

    // Hidden to the tray and brought back, then minimised and restored: the whole window comes back.
    ASSERT_TRUE(UserClick(main, L"BtnClose"));
    ASSERT_TRUE(Eventually([&] { return !::IsWindowVisible(main.hwnd); })) << "closing did not hide the window";
    RestoreFromTray();
    ASSERT_TRUE(Eventually([&] { return Shown(main.hwnd); })) << "the tray did not restore the window";
    RestOnTitle(main);
    EXPECT_TRUE(ScreenShowsBackBuffer(main.hwnd, "screen-tray-restore"));

    ASSERT_TRUE(UserClick(main, L"BtnMinimize"));
    ASSERT_TRUE(Eventually([&] { return !Shown(main.hwnd); })) << "minimising left the window up";
    RestoreFromTray();
    ASSERT_TRUE(Eventually([&] { return Shown(main.hwnd); })) << "the tray did not restore the minimised window";
    RestOnTitle(main);
    EXPECT_TRUE(ScreenShowsBackBuffer(main.hwnd, "screen-minimise-restore"));
}

// The places around the device list that no row may touch, in window pixels. The arrows themselves change
// with the scroll position (one is greyed at either end), so they are left out.
struct ListPlaces {
    RECT viewport; // where rows may show
    RECT above;    // the title bar, the icon and the "Devices" label, down to the up arrow
    RECT below;    // under the down arrow, to the window's bottom edge
};

ListPlaces PlacesOf(const ProbedWindow& main) {
    const ProbedControl* list = main.Find(L"PanelDeviceIconList");
    const ProbedControl* up = main.Find(L"ScrollUp");
    const ProbedControl* down = main.Find(L"ScrollDown");
    if (!list || !up || !down) {
        ADD_FAILURE() << "the device list or its arrows are missing";
        return {};
    }
    RECT window{};
    ::GetWindowRect(main.hwnd, &window);
    ListPlaces places;
    places.viewport = InWindow(main.hwnd, list->rect);
    places.above = {0, 0, places.viewport.right, InWindow(main.hwnd, up->rect).top};
    places.below = {places.viewport.left, InWindow(main.hwnd, down->rect).bottom, places.viewport.right,
                    window.bottom - window.top};
    return places;
}

// The shown rows of the device list, top to bottom.
std::vector<const ProbedControl*> ShownRows(const ProbedWindow& main) {
    std::vector<const ProbedControl*> rows;
    for (const DeviceRow& row : kDeviceRows) {
        const ProbedControl* control = main.Find(row.row);
        if (control && control->shown)
            rows.push_back(control);
    }
    std::sort(rows.begin(), rows.end(), [](auto* a, auto* b) { return a->rect.top < b->rect.top; });
    return rows;
}

TEST_F(ScreenJourney, OverflowingDeviceListScrollsInsideItselfWithTheHoverFollowingThePointer) {
    ProbedWindow main = Main();
    ListPlaces places = PlacesOf(main);
    const ProbedControl* list = main.Find(L"PanelDeviceIconList");
    ASSERT_TRUE(list);
    RestOnTitle(main);
    const Picture start = Picture::FromScreen(main.hwnd);
    ASSERT_TRUE(start.Loaded());
    start.Save(Pictures() / "screen-list-start.png");

    // Scrolled one step down with the wheel, the pointer resting on a row.
    const POINT overList{list->Center().x, list->rect.top + 80};
    RunningProgram::UserWheel(overList, -1);
    ::Sleep(400);
    ASSERT_TRUE(ScreenShowsBackBuffer(main.hwnd, "screen-list-scrolled"));
    const Picture scrolled = Picture::FromScreen(main.hwnd);
    scrolled.Save(Pictures() / "screen-list-scrolled.png");
    EXPECT_LT(start.WorstTileDifference(scrolled, places.above), 4.0)
        << "scrolling painted rows over the title or the list's header";
    EXPECT_LT(start.WorstTileDifference(scrolled, places.below), 4.0)
        << "a row is drawn below the list's down arrow";
    EXPECT_GT(start.MeanDifference(scrolled, places.viewport), 1.0) << "the wheel did not scroll the list";

    // The row now under the pointer is the lit one: the same picture as a pointer that came to rest there
    // after the scroll.
    RestOnTitle(main);
    RunningProgram::UserMove(overList);
    ::Sleep(400);
    const Picture movedThere = Picture::FromScreen(main.hwnd);
    EXPECT_LT(scrolled.WorstTileDifference(movedThere, places.viewport), 4.0)
        << "the hover stayed on the row that was under the pointer before the scroll";

    // Back up: the whole list looks as at the start.
    RunningProgram::UserWheel(overList, 1);
    RestOnTitle(main);
    ::Sleep(300);
    ASSERT_TRUE(ScreenShowsBackBuffer(main.hwnd, "screen-list-back"));
    const Picture back = Picture::FromScreen(main.hwnd);
    const ProbedControl* frame = main.Find(L"PanelDeviceList");
    ASSERT_TRUE(frame);
    RECT whole = InWindow(main.hwnd, frame->rect);
    whole.top = 0;
    EXPECT_LT(start.WorstTileDifference(back, whole), 4.0) << "scrolling down and back left traces";

    // Scrolled down again, an endpoint is unplugged: the rows close up and the chosen row stays in view.
    main = Main();
    const std::vector<const ProbedControl*> rows = ShownRows(main);
    ASSERT_GE(rows.size(), 9u);
    const std::wstring chosen = rows[rows.size() - 2]->name; // a row below the first page
    RunningProgram::UserWheel(overList, -2);
    main = Main();
    ASSERT_TRUE(UserClick(main, chosen));
    ASSERT_EQ(Device().Send(L"plug HeadPhone 0"), L"ok");
    main = MainWhen([](const ProbedWindow& window) {
        const ProbedControl* row = window.Find(L"MenuHeadPhone");
        return row && !row->shown;
    });
    RestOnTitle(main);
    main = Main();
    places = PlacesOf(main);
    const ProbedControl* chosenRow = main.Find(chosen);
    ASSERT_TRUE(chosenRow && chosenRow->shown);
    RECT viewport = main.Find(L"PanelDeviceIconList")->rect;
    EXPECT_TRUE(chosenRow->rect.top >= viewport.top && chosenRow->rect.bottom <= viewport.bottom)
        << "the chosen row is out of view after the unplug";
    const std::vector<const ProbedControl*> after = ShownRows(main);
    for (size_t i = 1; i < after.size(); ++i) {
        EXPECT_EQ(after[i]->rect.top - after[i - 1]->rect.top, after[1]->rect.top - after[0]->rect.top)
            << "a gap in the list before " << testing::PrintToString(after[i]->name);
    }
    EXPECT_TRUE(ScreenShowsBackBuffer(main.hwnd, "screen-list-unplugged"));
    const Picture unplugged = Picture::FromScreen(main.hwnd);
    EXPECT_LT(start.WorstTileDifference(unplugged, places.above), 4.0)
        << "the unplug painted rows over the title or the list's header";

    ASSERT_EQ(Device().Send(L"plug HeadPhone 1"), L"ok");
    MainShowing(L"MenuHeadPhone");
}

TEST_F(ScreenJourney, NewProfileCardLinesUpWithTheCardsBeside) {
    ProbedWindow main = Main();
    ASSERT_TRUE(UserClick(main, L"PanelSwitchButton"));
    main = MainShowing(L"AddProfile");
    ASSERT_TRUE(UserClick(main, L"AddProfile"));
    std::optional<ProbedWindow> adding = Program().WaitFor(RunningProgram::Named(L"Dialog_AddProFile"));
    ASSERT_TRUE(adding) << "the add-profile dialog did not open";
    ASSERT_TRUE(UserClick(*adding, L"AddProfileName"));
    for (UINT key : std::vector<UINT>{'S', 'C', 'R', 'E', 'E', 'N'})
        RunningProgram::UserKeys({key});
    ASSERT_TRUE(UserClick(*adding, L"AddProFileBtnYes"));
    ASSERT_TRUE(Eventually([] { return !Program().Find(RunningProgram::Named(L"Dialog_AddProFile")); }))
        << "saving left the dialog open";

    main = Main();
    const ProbedControl* strip = main.Find(L"PanelProfileList");
    ASSERT_TRUE(strip);
    std::vector<const ProbedControl*> cards;
    for (const ProbedControl& control : main.controls) {
        const bool card = control.shown && control.Inside(strip->rect) && control.kind == L"button" &&
                          control.rect.bottom - control.rect.top > 40;
        if (card)
            cards.push_back(&control);
    }
    ASSERT_GE(cards.size(), 2u) << "no new card beside the built-in ones";
    for (const ProbedControl* card : cards)
        EXPECT_EQ(card->rect.top, cards.front()->rect.top) << testing::PrintToString(card->name) << " is out of line";
    RestOnTitle(main);
    EXPECT_TRUE(ScreenShowsBackBuffer(main.hwnd, "screen-new-card"));

    ASSERT_TRUE(UserClick(main, L"PanelSwitchButton"));
    MainShowing(L"PanelStatus");
}

// Escape and Alt+F4 typed into the focused main window, with the tray setting on: the window goes to the tray.
TEST_F(ScreenJourney, EscapeAndAltF4HideTheWindowWhileTheTrayIsOn) {
    for (const CloseGesture& gesture : kCloseGestures) {
        SCOPED_TRACE(gesture.name);
        ProbedWindow main = Main();
        RestOnTitle(main);
        RunningProgram::UserClick(main.Find(L"TextMainTitle")->Center());
        RunningProgram::UserKeys(gesture.keys);
        EXPECT_TRUE(Eventually([&] { return !::IsWindowVisible(main.hwnd); }, 3s)) << "the window stayed up";
        EXPECT_TRUE(Program().IsRunning()) << "the program ended with the tray on";
        RestoreFromTray();
        ASSERT_TRUE(Eventually([&] { return Shown(main.hwnd); }));
    }
}

// A message box opened from a jack menu (the outside-effects row, whose program this machine lacks) closes
// with Escape like every other message box, and the main window stays.
TEST_F(ScreenJourney, EscapeClosesTheMessageBoxOpenedFromAJackMenu) {
    // The speakers' row in view (the list may still be settling from a scroll).
    const auto inView = [](const ProbedWindow& window) {
        const ProbedControl* row = window.Find(L"MenuSpeakers");
        const ProbedControl* list = window.Find(L"PanelDeviceIconList");
        return row && row->shown && list && row->rect.top >= list->rect.top && row->rect.bottom <= list->rect.bottom;
    };
    // The list back at its top, where the speakers' row is.
    if (const ProbedControl* list = Main().Find(L"PanelDeviceIconList"))
        RunningProgram::UserWheel(list->Center(), 5);
    ProbedWindow main = MainWhen(inView);
    ASSERT_TRUE(inView(main)) << "the speakers' row is out of view";
    const ProbedControl* row = main.Find(L"MenuSpeakers");
    // The window comes to the front first, as a user's first click on it would bring it.
    RunningProgram::UserClick(main.Find(L"TextMainTitle")->Center());
    RunningProgram::UserRightClick(row->Center());
    std::optional<ProbedWindow> menu = Program().WaitFor(RunningProgram::Holding(L"VexaroAudioEffects"));
    ASSERT_TRUE(menu) << "no jack menu";
    ASSERT_TRUE(UserClick(*menu, L"VexaroAudioEffects"));
    std::optional<ProbedWindow> box = Program().WaitFor(RunningProgram::Named(L"DialogMessageBox"));
    ASSERT_TRUE(box) << "no message for the missing effects program";
    RunningProgram::UserKeys({VK_ESCAPE});
    EXPECT_TRUE(Eventually([] { return !Program().Find(RunningProgram::Named(L"DialogMessageBox")); }, 3s))
        << "Escape left the message open";
    if (Program().Find(RunningProgram::Named(L"DialogMessageBox")))
        ::PostMessageW(box->hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Eventually([&] { return Shown(main.hwnd); }, 3s)) << "the main window went with the message";
}

// With the tray setting off, Escape ends the program; started again (the setting kept), Alt+F4 ends it too.
TEST_F(ScreenJourney, EscapeAndAltF4EndTheProgramWhileTheTrayIsOff) {
    {
        const ProbedWindow main = Main();
        ASSERT_TRUE(UserClick(main, L"BtnSetting"));
        std::optional<ProbedWindow> settings = Program().WaitFor(RunningProgram::Named(L"Dialog_AppSetting"));
        ASSERT_TRUE(settings);
        ASSERT_TRUE(settings->Find(L"SystemTray"));
        if (settings->Find(L"SystemTray")->Checked()) {
            ASSERT_TRUE(UserClick(*settings, L"SystemTray"));
        }
        ASSERT_TRUE(UserClick(*settings, L"OK"));
        ASSERT_TRUE(Eventually([] { return !Program().Find(RunningProgram::Named(L"Dialog_AppSetting")); }));
    }
    for (const CloseGesture& gesture : kCloseGestures) {
        SCOPED_TRACE(gesture.name);
        if (!Program().IsRunning())
            Restart();
        std::optional<ProbedWindow> main = Program().WaitFor(RunningProgram::MainWindow());
        ASSERT_TRUE(main) << "the main window is not shown";
        RestOnTitle(*main);
        RunningProgram::UserClick(main->Find(L"TextMainTitle")->Center());
        RunningProgram::UserKeys(gesture.keys);
        EXPECT_TRUE(Eventually([] { return !Program().IsRunning(); }, 10s)) << "the program did not end";
    }
}

} // namespace
} // namespace oc::journey
