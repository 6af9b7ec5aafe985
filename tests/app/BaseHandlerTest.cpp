// The handler base on a real skinned dialog: finding controls by name and identifier, enabling them,
// finding the main-window handler, the posted content and redraw requests, re-translating texts, the text
// box's context menu and the speaker-test stop worker.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "../skin/SkinDialogFixture.h"
#include "HandlerTestSupport.h"
#include "skin/SkinButton.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinMenu.h"
#include "skin/SkinMenuItem.h"
#include "skin/SkinTextBox.h"

using namespace oc::test;

namespace {

// A skinned container, as a panel is.
class TestPanel : public CxSkinCtrl {
public:
    BOOL IsContainer() const override { return TRUE; }
};

template <class Control = CxSkinCtrl>
Control* AddControl(CLayerWnd* parent, const wchar_t* name, UINT id = 0, RECT rect = {0, 0, 20, 20}) {
    auto* control = new Control;
    control->SetName(name);
    static_cast<CLayerWnd*>(control)->Create(rect, parent, id);
    return control;
}

CLayerWnd* AddPlainLayer(CLayerWnd* parent, const wchar_t* name) {
    auto* layer = new CLayerWnd;
    layer->SetLayerName(name);
    layer->Create({0, 0, 20, 20}, parent, 0);
    return layer;
}

// Takes the next posted message of the kind off the window's queue.
bool TakePosted(HWND hwnd, UINT message, MSG* out) {
    return ::PeekMessageW(out, hwnd, message, message, PM_REMOVE) != FALSE;
}

class BaseHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDialog(dialog));
        services.m_driver = &driver;
        handler.SetServices(&services);
        handler.SetWindow(&dialog);
    }
    void TearDown() override { dialog.DestroyWindow(); }

    RecordingMainHandler main; // outlives the dialog that holds it
    TestDialog dialog;
    RecordingDriver driver;
    TestServices services;
    TestHandler handler{L"SpeakerQuarterEQHandler"};
};

// Root: "First" (plain control), a panel holding "Dup" and "Inner", a plain container layer "Plain"
// holding the control "UnderPlain", then a second "Dup".
TEST_F(BaseHandlerTest, FindsSkinnedControlsDepthFirstOnly) {
    CxSkinCtrl* first = AddControl(&dialog, L"First", 11);
    TestPanel* panel = AddControl<TestPanel>(&dialog, L"Panel", 12);
    CxSkinCtrl* innerDup = AddControl(panel, L"Dup", 13);
    CxSkinCtrl* inner = AddControl(panel, L"Inner", 14);
    CLayerWnd* plain = AddPlainLayer(&dialog, L"Plain");
    AddControl(plain, L"UnderPlain", 15);
    AddControl(&dialog, L"Dup", 16);

    EXPECT_EQ(handler.FindControl(L"First"), first);
    EXPECT_EQ(handler.FindControl(L"Inner"), inner);
    EXPECT_EQ(handler.FindControl(L"Dup"), innerDup);       // the first in depth-first order
    EXPECT_EQ(handler.FindControl(L"Plain"), nullptr);      // a plain layer's name
    EXPECT_EQ(handler.FindControl(L"UnderPlain"), nullptr); // plain layers are not searched
    EXPECT_EQ(handler.FindControl(L"inner"), nullptr);
    EXPECT_EQ(CBaseHandler::FindControlIn(nullptr, L"First"), nullptr);

    EXPECT_EQ(handler.FindControlNameById(14), L"Inner");
    EXPECT_EQ(handler.FindControlNameById(13), L"Dup");
    EXPECT_EQ(handler.FindControlNameById(15), L"");
    EXPECT_EQ(handler.FindControlNameById(99), L"");
}

TEST_F(BaseHandlerTest, EnablesAControlAsTheHandlerDecides) {
    class Deciding : public TestHandler {
    public:
        int IsControlEnabled(const std::wstring& name) override { return name == L"On"; }
    } deciding;
    deciding.SetWindow(&dialog);
    CxSkinCtrl* on = AddControl(&dialog, L"On");
    CxSkinCtrl* off = AddControl(&dialog, L"Off");
    on->SetEnabled(FALSE);
    deciding.EnableControl(L"On", FALSE);
    deciding.EnableControl(L"Off", FALSE);
    deciding.EnableControl(L"Missing", FALSE);
    EXPECT_TRUE(on->IsEnabled(FALSE));
    EXPECT_FALSE(off->IsEnabled(FALSE));
}

TEST_F(BaseHandlerTest, TheMainHandlerIsTheMainDialogsOwn) {
    TestPanel* panel = AddControl<TestPanel>(&dialog, L"Content");
    handler.SetWindow(panel);
    EXPECT_EQ(handler.GetMainHandler(), nullptr); // the dialog has no handler yet

    dialog.SetListener(&main);
    EXPECT_EQ(handler.GetMainHandler(), static_cast<IMainHandler*>(&main));

    RecordingListener other; // a dialog whose handler offers no main services
    dialog.SetListener(&other);
    EXPECT_EQ(handler.GetMainHandler(), nullptr);

    handler.SetWindow(nullptr);
    EXPECT_EQ(handler.GetMainHandler(), nullptr);
    dialog.SetListener(nullptr);
}

TEST_F(BaseHandlerTest, AsksTheMainWindowForContentByEndpointCode) {
    const HWND hwnd = dialog.GetSafeHwnd();
    MSG msg{};
    handler.RequestSettingContent(); // the handler's own name: "SpeakerQuarter..."
    ASSERT_TRUE(TakePosted(hwnd, kMsgShowSettingContent, &msg));
    EXPECT_EQ(msg.wParam, 12u);

    driver.m_currentEndpoint = L"HeadPhone";
    handler.RequestSurroundContent(); // the current endpoint's
    ASSERT_TRUE(TakePosted(hwnd, kMsgShowSurroundContent, &msg));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(BaseHandlerTest, ATextBoxTickOnlyPostsARedrawOfThatBox) {
    CxSkinCtrl* box = AddControl(&dialog, L"Box");
    int found = -1, missing = -1;
    std::thread timer([&] {
        found = handler.OnTextBoxNotify(L"Box");
        missing = handler.OnTextBoxNotify(L"Gone");
    });
    timer.join();
    EXPECT_EQ(found, 1);
    EXPECT_EQ(missing, 0);
    MSG msg{};
    ASSERT_TRUE(TakePosted(dialog.GetSafeHwnd(), kMsgRedrawControl, &msg));
    EXPECT_EQ(msg.wParam, reinterpret_cast<WPARAM>(box));
    EXPECT_FALSE(TakePosted(dialog.GetSafeHwnd(), kMsgRedrawControl, &msg));
}

TEST_F(BaseHandlerTest, MainAndGreyContentSwitchTheWarning) {
    CxSkinCtrl* content = AddControl(&dialog, L"MainContent");
    CxSkinCtrl* grey = AddControl(&dialog, L"GreyMainContent");
    CxSkinCtrl* warning = AddControl(&dialog, L"WarningContent");
    handler.ShowMainContent(FALSE);
    EXPECT_FALSE(content->IsVisible());
    EXPECT_TRUE(warning->IsVisible());
    handler.ShowMainContent(TRUE);
    EXPECT_TRUE(content->IsVisible());
    EXPECT_FALSE(warning->IsVisible());

    handler.ShowGreyContent(TRUE);
    EXPECT_FALSE(grey->IsEnabled(FALSE));
    EXPECT_TRUE(warning->IsVisible());
    handler.ShowGreyContent(FALSE);
    EXPECT_TRUE(grey->IsEnabled(FALSE));
    EXPECT_FALSE(warning->IsVisible());
}

// Backward turns texts into keys, the language changes, forward turns the keys into the new texts.
TEST_F(BaseHandlerTest, ReTranslatesMarkedTextsTooltipsAndCheckTips) {
    services.m_texts = {{L"ml_hello", L"Hello"}, {L"ml_yes", L"Yes"}, {L"ml_on", L"On"}, {L"ml_tip", L"Tip"}};
    CxSkinCtrl* title = AddControl(&dialog, L"Title");
    title->SetText(L"Hello");
    CxSkinCtrl* literal = AddControl(&dialog, L"Literal");
    literal->SetText(L"Hello");
    literal->SetTextTranslatable(FALSE);
    CxSkinCtrl* value = AddControl(&dialog, L"Value");
    value->SetText(L"50 %");
    value->SetToolTip(L"Plain tip");
    TestPanel* panel = AddControl<TestPanel>(&dialog, L"Panel");
    auto* button = AddControl<CxSkinButton>(panel, L"Btn");
    button->SetText(L"Yes");
    button->SetCheckToolTip(L"On");
    button->SetCheckText(L"On");
    button->SetToolTip(L"Tip");
    button->SetToolTipKey(L"ml_tip");
    CxSkinCtrl* fitted = AddControl(&dialog, L"Fitted", 0, {0, 0, 1, 1});
    fitted->SetText(L"Hello");
    fitted->SetFitToText(TRUE);

    handler.FillControlTexts(&dialog, false);
    EXPECT_EQ(title->GetText(), L"ml_hello");
    EXPECT_EQ(literal->GetText(), L"Hello");
    EXPECT_EQ(value->GetText(), L"50 %"); // no key has that text
    EXPECT_EQ(button->GetText(), L"ml_yes");
    EXPECT_EQ(button->GetCheckToolTip(), L"ml_on");
    EXPECT_EQ(button->GetCheckText(), L"ml_on");
    EXPECT_EQ(button->GetToolTip(), L"Tip"); // tooltips are left alone going back
    EXPECT_EQ(fitted->GetWidth(), 1);        // and nothing is resized

    services.m_texts = {{L"ml_hello", L"Hallo"}, {L"ml_yes", L"Ja"}, {L"ml_on", L"An"}, {L"ml_tip", L"Tipp"}};
    handler.FillControlTexts(&dialog, true);
    EXPECT_EQ(title->GetText(), L"Hallo");
    EXPECT_EQ(literal->GetText(), L"Hello");
    EXPECT_EQ(value->GetText(), L"50 %");
    EXPECT_EQ(value->GetToolTip(), L"Plain tip");
    EXPECT_EQ(button->GetText(), L"Ja");
    EXPECT_EQ(button->GetCheckToolTip(), L"An");
    EXPECT_EQ(button->GetCheckText(), L"An");
    EXPECT_EQ(button->GetToolTip(), L"Tipp");
    EXPECT_GT(fitted->GetWidth(), 5); // resized to the new text
}

// ---- The text box's context menu ----

CxSkinMenuItem* MakeRow(const wchar_t* name, int id) {
    auto* row = new CxSkinMenuItem;
    row->SetName(name);
    row->SetId(id);
    row->SetHeight(20);
    return row;
}

UINT RowFlags(CxSkinMenu* menu, const wchar_t* name) {
    for (int i = 0; i < menu->GetItemCount(); ++i) {
        auto* row = dynamic_cast<CxSkinMenuItem*>(menu->GetItem(i));
        if (row && row->GetName() == name)
            return row->GetFlags();
    }
    return 0xFFFFu;
}

class TextBoxMenuTest : public BaseHandlerTest {
protected:
    void SetUp() override {
        BaseHandlerTest::SetUp();
        // The menu's markup, as the controller would load it: the five commands.
        services.m_controller.m_onLoad = [](IxSkinObject* target) {
            auto* menu = dynamic_cast<CxSkinMenu*>(target);
            if (!menu)
                return 0;
            int id = 1;
            for (const wchar_t* name : {kTextBoxCut, kTextBoxCopy, kTextBoxPaste, kTextBoxDelete, kTextBoxSelectAll})
                menu->AddItem(MakeRow(name, id++));
            return 1;
        };
        box = new CxSkinTextBox;
        box->SetParent(&dialog);
        box->SetName(L"Box");
        box->SetLeft(10);
        box->SetTop(10);
        box->SetWidth(120);
        box->SetHeight(24);
        ASSERT_TRUE(box->Create());
        box->SetText(L"abc", FALSE);
    }
    void TearDown() override {
        ::OpenClipboard(nullptr);
        ::EmptyClipboard();
        ::CloseClipboard();
        BaseHandlerTest::TearDown();
    }

    CxSkinTextBox* box = nullptr;
};

TEST_F(TextBoxMenuTest, OpensTheSkinMenuNamedAfterTheBoxWithUnusableCommandsDisabled) {
    ::OpenClipboard(nullptr);
    ::EmptyClipboard(); // nothing to paste
    ::CloseClipboard();
    handler.OnContextMenu(L"Box");
    CxSkinMenu* menu = handler.GetTextBoxMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(services.m_controller.m_paths, (std::vector<std::wstring>{L"Z:\\skin\\MenuTextBox.lyt"}));
    EXPECT_EQ(menu->GetMenuName(), L"Box");
    EXPECT_EQ(handler.GetMenuTextBoxName(), L"Box");
    EXPECT_EQ(menu->GetTransparency(), 7);
    EXPECT_TRUE(menu->GetDestroyLayersAfterWindow());
    EXPECT_EQ(menu->ResolveMenuListener(), static_cast<IxSkinMenuListener*>(&handler));
    EXPECT_EQ(RowFlags(menu, kTextBoxPaste), static_cast<UINT>(MF_DISABLED));
    EXPECT_EQ(RowFlags(menu, kTextBoxCut), static_cast<UINT>(MF_DISABLED)); // no selection
    EXPECT_EQ(RowFlags(menu, kTextBoxCopy), static_cast<UINT>(MF_DISABLED));
    EXPECT_EQ(RowFlags(menu, kTextBoxSelectAll), 0u);
    EXPECT_EQ(RowFlags(menu, kTextBoxDelete), 0u);
    EXPECT_TRUE(::IsWindowVisible(menu->GetSafeHwnd()));
    EXPECT_FALSE(box->IsFocused()); // focused and released again without a notice
}

TEST_F(TextBoxMenuTest, ASecondRequestReplacesTheOpenMenu) {
    handler.OnContextMenu(L"Box");
    const HWND first = handler.GetTextBoxMenu()->GetSafeHwnd();
    handler.OnContextMenu(L"Box");
    ASSERT_NE(handler.GetTextBoxMenu(), nullptr);
    EXPECT_FALSE(::IsWindow(first));
    EXPECT_TRUE(::IsWindow(handler.GetTextBoxMenu()->GetSafeHwnd()));

    handler.OnContextMenu(L"NoSuchBox"); // the old menu goes, no new one opens
    EXPECT_EQ(handler.GetTextBoxMenu(), nullptr);
}

TEST_F(TextBoxMenuTest, RunsTheChosenCommandOnItsOwnBoxOnly) {
    handler.OnContextMenu(L"Box");
    handler.OnMenuCommand(L"Other", 5, kTextBoxSelectAll); // another menu's notice
    EXPECT_FALSE(box->HasSelection());
    EXPECT_EQ(handler.GetMenuTextBoxName(), L"Box");

    handler.OnMenuCommand(L"Box", 5, kTextBoxSelectAll);
    EXPECT_TRUE(box->HasSelection());
    EXPECT_EQ(handler.GetMenuTextBoxName(), L"");

    handler.OnMenuCommand(L"Box", 4, kTextBoxDelete); // the name is forgotten: a late notice does nothing
    EXPECT_EQ(box->GetText(), L"abc");
}

TEST_F(TextBoxMenuTest, ClosingWithoutAChoiceGivesTheBoxItsFocusBack) {
    handler.OnContextMenu(L"Box");
    handler.OnMenuCommand(L"Box", 0, L"");
    EXPECT_TRUE(box->IsFocused());
    EXPECT_EQ(box->GetText(), L"abc");
    box->KillFocus();
}

// The whole way from a right click: the box finds the dialog's handler as its listener and the menu opens
// at the click, in screen coordinates.
TEST_F(TextBoxMenuTest, ARightClickOnABoxOpensItsHandlersMenuAtTheClick) {
    main.SetServices(&services);
    dialog.SetListener(&main);
    main.SetWindow(&dialog);
    auto* clicked = new CxSkinTextBox; // found the listener as it was created
    clicked->SetParent(&dialog);
    clicked->SetName(L"Clicked");
    clicked->SetLeft(20);
    clicked->SetTop(60);
    clicked->SetWidth(120);
    clicked->SetHeight(24);
    ASSERT_TRUE(clicked->Create());

    Deliver(dialog.GetSafeHwnd(), WM_RBUTTONDOWN, MK_RBUTTON, PointParam(30, 65));
    Deliver(dialog.GetSafeHwnd(), WM_RBUTTONUP, 0, PointParam(30, 65));
    CxSkinMenu* menu = main.GetTextBoxMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->GetMenuName(), L"Clicked");
    POINT click{30, 65};
    ::ClientToScreen(dialog.GetSafeHwnd(), &click);
    RECT placed{};
    ::GetWindowRect(menu->GetSafeHwnd(), &placed);
    // The balloon's tail points at the click: the menu lies beside it, not somewhere else on the screen.
    EXPECT_LE(std::abs(placed.left - click.x), 40);
    EXPECT_LE(std::abs(placed.top - click.y), 40);
    dialog.SetListener(nullptr);
}

// The handler owns its menu: when the handler goes, so does the menu's window.
TEST_F(TextBoxMenuTest, AHandlerThatGoesTakesItsMenuWithIt) {
    auto* owner = new TestHandler;
    owner->SetServices(&services);
    owner->SetWindow(&dialog);
    owner->OnContextMenu(L"Box");
    ASSERT_NE(owner->GetTextBoxMenu(), nullptr);
    const HWND menu = owner->GetTextBoxMenu()->GetSafeHwnd();
    owner->Release();
    EXPECT_FALSE(::IsWindow(menu));
}

// ---- The speaker-test stop worker ----

class StopWorkerTest : public BaseHandlerTest {
protected:
    void SetUp() override {
        BaseHandlerTest::SetUp();
        dialog.SetListener(&main);
        main.m_player.SetListener(&handler);
    }
    void TearDown() override {
        handler.WaitForStopWorker(INFINITE);
        dialog.SetListener(nullptr);
        BaseHandlerTest::TearDown();
    }
    ScriptedPlayer& player() { return main.m_player; }
};

TEST_F(StopWorkerTest, NothingPlayingReturnsAtOnce) {
    handler.StopSoundOnWorker(FALSE);
    EXPECT_EQ(player().m_stops.load(), 0);
    EXPECT_EQ(player().m_listener, &handler);
}

TEST_F(StopWorkerTest, StopsOnAWorkerAndClearsTheListenerUnlessKept) {
    for (const BOOL keep : {FALSE, TRUE}) {
        SCOPED_TRACE(keep ? "keep" : "clear");
        player().SetListener(&handler);
        player().m_playing = true;
        handler.StopSoundOnWorker(keep);
        EXPECT_FALSE(player().IsPlaying());
        EXPECT_NE(player().m_stopThread.load(), ::GetCurrentThreadId());
        EXPECT_EQ(player().m_stopWaitAfter.load(), 0);
        EXPECT_EQ(player().m_listener, keep ? static_cast<ISoundPlayListener*>(&handler) : nullptr);
    }
    EXPECT_EQ(player().m_stops.load(), 2);
}

TEST_F(StopWorkerTest, WithoutTheMainWindowNothingIsStopped) {
    dialog.SetListener(nullptr);
    player().m_playing = true;
    handler.StopSoundOnWorker(FALSE);
    EXPECT_TRUE(player().IsPlaying());
    EXPECT_EQ(player().m_stops.load(), 0);
}

// A player that hangs is left to its worker after the wait; the caller goes on, and a new request waits for
// that worker instead of starting a second stop on the same player.
TEST_F(StopWorkerTest, AStopThatHangsIsLeftRunningAfterTheWait) {
    player().m_playing = true;
    player().m_stopDelayMs = CBaseHandler::kStopWaitMs + 1500;
    const auto start = std::chrono::steady_clock::now();
    handler.StopSoundOnWorker(FALSE);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(CBaseHandler::kStopWaitMs - 100));
    EXPECT_LT(waited, std::chrono::milliseconds(CBaseHandler::kStopWaitMs + 1200));
    EXPECT_TRUE(player().IsPlaying());

    handler.StopSoundOnWorker(FALSE); // waits for the running worker, starts no second stop
    EXPECT_FALSE(player().IsPlaying());
    EXPECT_EQ(player().m_stops.load(), 1);
}

// A page whose stop hangs goes (a page switch) at once; its worker finishes on its own afterwards.
TEST_F(StopWorkerTest, AHandlerGoesWithoutWaitingForItsHungStop) {
    auto page = std::make_unique<TestHandler>(L"SpeakerVimoSurroundSpeakersHandler");
    page->SetServices(&services);
    page->SetWindow(&dialog);
    player().m_playing = true;
    player().m_stopDelayMs = CBaseHandler::kStopWaitMs + 1500;
    page->StopSoundOnWorker(FALSE);
    ASSERT_TRUE(player().IsPlaying()) << "the stop is still hung";
    const auto start = std::chrono::steady_clock::now();
    page.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    for (int i = 0; i < 300 && player().m_stops.load() < 1; ++i)
        ::Sleep(10);
    EXPECT_EQ(player().m_stops.load(), 1) << "the worker finished on its own";
    EXPECT_FALSE(player().IsPlaying());
}

} // namespace
