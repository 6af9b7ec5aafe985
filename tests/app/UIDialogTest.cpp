// Markup dialogs and the skinned message box on the test display, loaded from the program folder's own skin
// and English texts: the box's icon and buttons per type, the result of each button, the device message at
// start-up, the main window's dialog stack, and the redraw and deferred-init requests of other threads.

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "../skin/SkinDialogFixture.h"
#include "../skin/SkinTestSupport.h"
#include "DialogGallery.h"
#include "HandlerTestSupport.h"
#include "TestPaths.h"
#include "app/BaseHandler.h"
#include "app/IChildDialogStack.h"
#include "app/MessageBoxHandler.h"
#include "app/OvercoatApp.h"
#include "app/UIDialog.h"
#include "skin/SkinCtrl.h"

namespace {

using oc::test::PointParam;

// Actions that run once a dialog is on screen, from inside its modal loop (a thread timer's dispatch).
struct PendingAction {
    UINT_PTR timer;
    std::function<bool(CUIDialog&)> match;
    std::function<void(CUIDialog&)> action;
};
std::vector<PendingAction> g_pending;

CUIDialog* FindShownDialog(const std::function<bool(CUIDialog&)>& match) {
    struct Search {
        const std::function<bool(CUIDialog&)>* match;
        CUIDialog* found;
    } search{&match, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            auto* dialog = dynamic_cast<CUIDialog*>(CWnd::FromHandlePermanent(hwnd));
            if (dialog && ::IsWindowVisible(hwnd) && (*s->match)(*dialog)) {
                s->found = dialog;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void CALLBACK RunPendingAction(HWND, UINT, UINT_PTR timer, DWORD) {
    for (auto it = g_pending.begin(); it != g_pending.end(); ++it) {
        if (it->timer != timer)
            continue;
        CUIDialog* dialog = FindShownDialog(it->match);
        if (!dialog)
            return;
        ::KillTimer(nullptr, timer);
        PendingAction pending = std::move(*it);
        g_pending.erase(it);
        const HWND hwnd = dialog->GetSafeHwnd();
        pending.action(*dialog);
        // A failed check must not leave the test waiting on a dialog nobody closes.
        if (::IsWindow(hwnd))
            ::PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
        return;
    }
}

void WhenShown(std::function<bool(CUIDialog&)> match, std::function<void(CUIDialog&)> action) {
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &RunPendingAction);
    g_pending.push_back({timer, std::move(match), std::move(action)});
}

void WhenShown(CUIDialog& dialog, std::function<void(CUIDialog&)> action) {
    WhenShown([&dialog](CUIDialog& shown) { return &shown == &dialog; }, std::move(action));
}

bool IsMessageBox(CUIDialog& dialog) {
    return dialog.m_nIDTemplate == CDialog::IDD_MESSAGE_BOX;
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

CxSkinCtrl* Control(CUIDialog& dialog, const wchar_t* name) {
    return CBaseHandler::FindControlIn(static_cast<CLayerWnd*>(&dialog), name);
}

// The names of the box's icons and buttons that are showing, in a fixed order.
std::wstring Shown(CUIDialog& dialog) {
    std::wstring shown;
    for (const wchar_t* name : {L"ConfirmIcon", L"WarningIcon", L"ErrorIcon", L"BtnClose", L"BtnYes", L"BtnNo"}) {
        if (CxSkinCtrl* control = Control(dialog, name); control && control->IsVisible())
            shown += (shown.empty() ? L"" : L" ") + std::wstring(name);
    }
    return shown;
}

// A press and release in the middle of the control, as the mouse delivers them.
void Click(CUIDialog& dialog, const wchar_t* name) {
    CxSkinCtrl* control = Control(dialog, name);
    ASSERT_NE(control, nullptr) << name;
    ASSERT_TRUE(control->IsVisible()) << name;
    const RECT r = control->GetRectInHost();
    const LPARAM at = PointParam((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::SendMessageW(dialog.GetSafeHwnd(), WM_MOUSEMOVE, 0, at);
    ::SendMessageW(dialog.GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(dialog.GetSafeHwnd(), WM_LBUTTONUP, 0, at);
}

std::wstring MessageBoxPath() {
    return CUIDialog::MarkupPathOf(theApp.GetSkinFolder(), L"DialogMessageBox");
}

// The main window as the markup dialogs see it: a real window that logs its stack.
class StackWindow : public oc::test::TestWindow, public IChildDialogStack {
public:
    void AddChildDialog(CUIDialog* dialog) override { m_stack.push_back(dialog); }
    void RemoveChildDialog(CUIDialog* dialog) override { std::erase(m_stack, dialog); }
    std::vector<CUIDialog*> m_stack;
};

// A control that counts the redraws asked of it.
class CountingCtrl : public CxSkinCtrl {
public:
    void Redraw(BOOL erase) override {
        ++m_redraws;
        CxSkinCtrl::Redraw(erase);
    }
    int m_redraws = 0;
};

class CountingHandler : public oc::test::TestHandler {
public:
    void InitControls() override { ++m_inits; }
    int m_inits = 0;
};

class DeactivationHandler : public oc::test::TestHandler {
public:
    void OnDeactivate() override { ++m_deactivations; }
    int m_deactivations = 0;
};

class UIDialogTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        theApp.UseProgramFolder(oc::test::ProgramDir().wstring() + L"\\");
        theApp.InitPaths();
        ASSERT_EQ(theApp.LoadLanguage(L"en-US"), 1);
        theApp.CreateLytController();
        ASSERT_NE(theApp.GetLytController(), nullptr);
    }
    static void TearDownTestSuite() { theApp.ReleaseLytController(); }
    void TearDown() override {
        for (const PendingAction& pending : g_pending)
            ::KillTimer(nullptr, pending.timer);
        g_pending.clear();
        theApp.m_pMainWnd = nullptr;
    }

    // The box's texts as ShowMessageBox passes them, then the dialog created modeless.
    static void OpenBox(CUIDialog& dialog, const std::wstring& type, const std::wstring& text = L"Some text") {
        theApp.SetLanguageString(L"Message_Text", text);
        theApp.SetLanguageString(L"Message_Title", L"Some title");
        theApp.SetLanguageString(L"Message_Type", type);
        dialog.SetMarkupPath(MessageBoxPath());
        ASSERT_TRUE(dialog.Create(CDialog::IDD_MESSAGE_BOX));
    }
};

TEST_F(UIDialogTest, MessageBoxKeepsTheIconAndButtonsOfItsType) {
    struct Case {
        const wchar_t* type;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {L"16", L"ErrorIcon BtnClose"},       // the device messages
        {L"36", L"BtnYes BtnNo"},             // 0x24: question bits and yes/no, no icon of its own
        {L"52", L"WarningIcon BtnYes BtnNo"}, // 0x34
        {L"64", L"ConfirmIcon BtnClose"},     // 0x40
        {L"0", L"BtnClose"},                  // plain
        {L"error", L"BtnClose"},              // not a number: 0
        {L"", L"BtnClose"},
    };
    for (const Case& c : cases) {
        CUIDialog dialog(CDialog::IDD_MESSAGE_BOX, nullptr);
        OpenBox(dialog, c.type);
        EXPECT_EQ(Shown(dialog), c.shown) << "type " << c.type;
        ASSERT_NE(Control(dialog, L"Message_Text"), nullptr);
        EXPECT_EQ(Control(dialog, L"Message_Text")->GetText(), L"Some text");
        EXPECT_EQ(Control(dialog, L"Message_Title")->GetText(), L"Some title");
        dialog.DestroyWindow();
    }
}

TEST_F(UIDialogTest, EachButtonEndsTheBoxWithItsResult) {
    struct Case {
        UINT type;
        const wchar_t* button;
        INT_PTR result;
    };
    const Case cases[] = {
        {MB_ICONERROR, L"BtnClose", IDOK},
        {MB_ICONERROR, L"BtnWinClose", IDCANCEL},
        {MB_ICONQUESTION | MB_YESNO, L"BtnYes", IDYES},
        {MB_ICONQUESTION | MB_YESNO, L"BtnNo", IDNO},
        {MB_ICONQUESTION | MB_YESNO, L"BtnWinClose", IDCANCEL},
    };
    for (const Case& c : cases) {
        std::wstring title;
        WhenShown(IsMessageBox, [&](CUIDialog& box) {
            title = Control(box, L"Message_Title")->GetText();
            Click(box, c.button);
        });
        EXPECT_EQ(theApp.ShowMessageBox(nullptr, L"Continue?", L"Question", c.type), c.result) << c.button;
        EXPECT_EQ(title, L"Question");
    }
}

TEST_F(UIDialogTest, KeyCommandsActLikeTheBoxButtons) {
    CUIDialog dialog(CDialog::IDD_MESSAGE_BOX, nullptr);
    OpenBox(dialog, L"36");
    auto* handler = dynamic_cast<CMessageBoxHandler*>(dialog.GetHandler());
    ASSERT_NE(handler, nullptr);
    EXPECT_EQ(handler->OnControlCommand(Control(dialog, L"Message_Text")->GetId()), -1);
    EXPECT_EQ(handler->OnControlCommand(0xFFFF), -1);
    EXPECT_EQ(handler->OnClick(L"SomethingElse"), 1);
    EXPECT_TRUE(::IsWindow(dialog.GetSafeHwnd()));
    dialog.DestroyWindow();

    // Modal, the command of the "No" button's identifier ends the box with IDNO.
    WhenShown(IsMessageBox, [](CUIDialog& box) {
        auto* boxHandler = dynamic_cast<CMessageBoxHandler*>(box.GetHandler());
        ASSERT_NE(boxHandler, nullptr);
        EXPECT_EQ(boxHandler->OnControlCommand(Control(box, L"BtnNo")->GetId()), 0);
    });
    EXPECT_EQ(theApp.ShowMessageBox(nullptr, L"Continue?", L"Question", MB_YESNO), IDNO);
}

TEST_F(UIDialogTest, EscapeCancelsADialogAndIsTheMainWindowsCloseCommand) {
    // Modal, the key as the keyboard sends it: through the modal loop's filter.
    // As a Windows message box: a box with only its close button answers IDOK.
    const std::pair<UINT, INT_PTR> boxes[] = {{MB_ICONWARNING | MB_YESNOCANCEL, IDCANCEL}, {MB_ICONERROR, IDOK}};
    for (const auto& [type, result] : boxes) {
        WhenShown(IsMessageBox, [](CUIDialog& box) { ::PostMessageW(box.GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 1); });
        EXPECT_EQ(theApp.ShowMessageBox(nullptr, L"Delete it?", L"Confirm", type), result) << type;
    }

    // The handler takes back what it only previewed, as when the main window closes the dialog.
    CUIDialog dialog(CDialog::IDD_POPUP, nullptr);
    ASSERT_TRUE(dialog.Create(CDialog::IDD_POPUP));
    auto* handler = new DeactivationHandler; // the dialog owns its listener
    dialog.SetListener(handler);
    dialog.ShowWindow(SW_SHOW);
    oc::test::Deliver(dialog.GetSafeHwnd(), WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_TRUE(dialog.IsWindowVisible()) << "other keys leave it open";
    EXPECT_EQ(handler->m_deactivations, 0);
    oc::test::Deliver(dialog.GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_FALSE(dialog.IsWindowVisible());
    EXPECT_EQ(handler->m_deactivations, 1);
    dialog.DestroyWindow();

    // The main window is not ended by the key: Escape is its close command, which the main window's own
    // dialog turns into hiding to the tray or quitting.
    struct MainWindow : CUIDialog {
        MainWindow() : CUIDialog(CDialog::IDD_MAIN, nullptr) {}
        BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
            if (LOWORD(wParam) != IDCANCEL)
                return CUIDialog::OnCommand(wParam, lParam);
            ++m_closeCommands;
            return TRUE;
        }
        int m_closeCommands = 0;
    } mainDialog;
    ASSERT_TRUE(mainDialog.Create(CDialog::IDD_MAIN));
    mainDialog.ShowWindow(SW_SHOW);
    oc::test::Deliver(mainDialog.GetSafeHwnd(), WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_EQ(mainDialog.m_closeCommands, 0) << "other keys are no close command";
    oc::test::Deliver(mainDialog.GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(mainDialog.m_closeCommands, 1) << "Escape did not ask the main window to close";
    EXPECT_TRUE(mainDialog.IsWindowVisible());
    mainDialog.DestroyWindow();
}

// Enter acts on the box's first button and Escape on its close button (a question box is cancelled), as in
// any dialog; the device-missing box at start-up is one of these.
TEST_F(UIDialogTest, EnterAndEscapeActOnTheBoxButtons) {
    struct Case {
        UINT type;
        WPARAM key;
        INT_PTR result;
    };
    const Case cases[] = {
        {MB_ICONERROR, VK_RETURN, IDOK},
        {MB_ICONERROR, VK_ESCAPE, IDOK},
        {MB_ICONQUESTION | MB_YESNO, VK_RETURN, IDYES},
        {MB_ICONQUESTION | MB_YESNO, VK_ESCAPE, IDCANCEL},
    };
    for (const Case& c : cases) {
        // Through the box's own modal loop, as a key press arrives.
        WhenShown(IsMessageBox, [&](CUIDialog& box) { box.PostMessage(WM_KEYDOWN, c.key, 0); });
        EXPECT_EQ(theApp.ShowMessageBox(nullptr, L"Device missing", L"Info", c.type), c.result)
            << c.type << "/" << c.key;
    }
    // Other keys leave the box alone.
    CUIDialog dialog(CDialog::IDD_MESSAGE_BOX, nullptr);
    OpenBox(dialog, L"16");
    auto* handler = dynamic_cast<CMessageBoxHandler*>(dialog.GetHandler());
    ASSERT_NE(handler, nullptr);
    EXPECT_FALSE(handler->OnDialogKey(VK_SPACE));
    dialog.DestroyWindow();
}

// A message box whose markup does not load is shown by the system instead, with the same text, caption and
// type, and its answer is the box's answer: no message is lost to a damaged skin file.
TEST_F(UIDialogTest, ADamagedMessageBoxMarkupFallsBackToTheSystemBox) {
    oc::test::TempDir scratch;
    const std::filesystem::path skin = scratch / "Skin" / "Overcoat";
    std::filesystem::create_directories(skin);
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<Canvas>";
    const struct {
        const char* name;
        const char* content; // null: no file
        std::string bytes;
    } cases[] = {
        {"missing", nullptr, {}},
        {"empty", "", {}},
        {"truncated", "<Window Handler=\"DialogMessageBox\" Width=\"300\"><TextBlock Name=\"Mess", {}},
        {"garbage", "\x01\xff\xfe<<<&&&", {}},
        {"deep", "", deep},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(skin / "DialogMessageBox.lyt");
        if (c.content)
            std::ofstream(skin / "DialogMessageBox.lyt", std::ios::binary) << c.content << c.bytes;
        COvercoatApp app;
        app.UseProgramFolder(scratch.Path().wstring() + L"\\");
        app.InitPaths();
        std::vector<std::wstring> shown;
        app.m_showSystemMessage = [&](HWND, const std::wstring& text, const std::wstring& caption, UINT type) {
            shown.push_back(text + L"|" + caption + L"|" + std::to_wstring(type));
            return IDNO;
        };
        EXPECT_EQ(app.ShowMessageBox(nullptr, L"Replace it?", L"Confirm", MB_ICONQUESTION | MB_YESNO), IDNO);
        EXPECT_EQ(shown, std::vector<std::wstring>{L"Replace it?|Confirm|36"});
    }
}

TEST_F(UIDialogTest, DeviceMessageShowsTheSkinnedBoxWithTheErrorIcon) {
    std::wstring text, shown;
    WhenShown(IsMessageBox, [&](CUIDialog& box) {
        text = Control(box, L"Message_Text")->GetText();
        shown = Shown(box);
        // The gallery keeps the box as the user first meets it.
        EXPECT_FALSE(oc::test::SaveDialogPicture(box, L"DialogMessageBox_DeviceNotExist").empty());
        const RECT close = Control(box, L"BtnClose")->GetRectInHost();
        // The primary button in the accent colour (away from its caption), the corner outside the outline clear.
        const uint32_t accent = box.GetPixel(close.left + 6, (close.top + close.bottom) / 2);
        EXPECT_EQ(oc::test::Alpha(accent), 255);
        EXPECT_NEAR(oc::test::Red(accent), 0x3F, 8);
        EXPECT_NEAR(oc::test::Green(accent), 0xA7, 8);
        EXPECT_NEAR(oc::test::Blue(accent), 0xF5, 8);
        EXPECT_EQ(oc::test::Alpha(box.GetPixel(0, 0)), 0);
        EXPECT_EQ(oc::test::Alpha(box.GetPixel(box.GetSurfaceWidth() / 2, box.GetSurfaceHeight() / 2)), 255);
        Click(box, L"BtnClose");
    });
    theApp.ShowDeviceMessage(DeviceCheck::Missing);
    EXPECT_EQ(text, theApp.GetLanguageText(L"ml_Main_DeviceNotExist"));
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(shown, L"ErrorIcon BtnClose");

    WhenShown(IsMessageBox, [&](CUIDialog& box) {
        oc::test::SaveDialogPicture(box, L"DialogMessageBox_YesNo");
        Click(box, L"BtnYes");
    });
    EXPECT_EQ(theApp.ShowMessageBox(nullptr, L"Restore the default settings of every effect?", L"Confirm",
                                    MB_ICONQUESTION | MB_YESNO),
              IDYES);
}

TEST_F(UIDialogTest, NoEffectPanelMessageIsDroppedWhileItIsOnScreen) {
    std::wstring text, title, shown;
    bool secondShown = false;
    WhenShown(IsMessageBox, [&](CUIDialog& box) {
        text = Control(box, L"Message_Text")->GetText();
        title = Control(box, L"Message_Title")->GetText();
        shown = Shown(box);
        CUIDialog* first = &box;
        // Closes a second box at once, should one open.
        WhenShown([first](CUIDialog& d) { return IsMessageBox(d) && &d != first; },
                  [&](CUIDialog& second) {
                      secondShown = true;
                      Click(second, L"BtnClose");
                  });
        theApp.ShowNoEffectPanelMessage();
        Click(box, L"BtnClose");
    });
    theApp.ShowNoEffectPanelMessage();
    // What happened and what to do, in the user's language, under a title that matches the error icon.
    EXPECT_EQ(text, theApp.GetLanguageText(L"ml_Main_EffectPanelMissing"));
    EXPECT_NE(text.find(L"Install"), std::wstring::npos) << "the English text says what to do";
    EXPECT_EQ(title, theApp.GetLanguageText(L"ml_DialogMsgBox_Error"));
    EXPECT_EQ(shown, L"ErrorIcon BtnClose");
    EXPECT_FALSE(secondShown);
}

// The box belongs to the main window, so clicking the main window cannot bury it; a second request while it
// is up raises the one on screen rather than opening another.
TEST_F(UIDialogTest, NoEffectPanelMessageStaysAboveTheMainWindow) {
    StackWindow main;
    theApp.m_pMainWnd = &main;
    HWND owner = nullptr;
    bool aboveMain = false;
    bool secondShown = false;
    WhenShown(IsMessageBox, [&](CUIDialog& box) {
        owner = ::GetWindow(box.GetSafeHwnd(), GW_OWNER);
        CUIDialog* first = &box;
        WhenShown([first](CUIDialog& d) { return IsMessageBox(d) && &d != first; },
                  [&](CUIDialog& second) {
                      secondShown = true;
                      Click(second, L"BtnClose");
                  });
        ::SetWindowPos(main.GetSafeHwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        theApp.ShowNoEffectPanelMessage();
        for (HWND below = ::GetWindow(box.GetSafeHwnd(), GW_HWNDNEXT); below; below = ::GetWindow(below, GW_HWNDNEXT))
            aboveMain = aboveMain || below == main.GetSafeHwnd();
        Click(box, L"BtnClose");
    });
    theApp.ShowNoEffectPanelMessage();
    EXPECT_EQ(owner, main.GetSafeHwnd());
    EXPECT_TRUE(aboveMain);
    EXPECT_FALSE(secondShown);
}

TEST_F(UIDialogTest, MarkupThatDoesNotLoadClosesTheDialogWithCancel) {
    CUIDialog dialog(CDialog::IDD_POPUP, nullptr);
    dialog.SetMarkupPath(CUIDialog::MarkupPathOf(theApp.GetSkinFolder(), L"DialogThatDoesNotExist"));
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(UIDialogTest, DialogsStackOnTheMainWindowWhileTheyAreOpen) {
    StackWindow main;
    theApp.m_pMainWnd = &main;
    CUIDialog lower(CDialog::IDD_POPUP, nullptr);
    CUIDialog upper(CDialog::IDD_POPUP, nullptr);
    std::vector<CUIDialog*> whileBothOpen, afterUpperClosed;
    WhenShown(lower, [&](CUIDialog&) {
        WhenShown(upper, [&](CUIDialog&) {
            whileBothOpen = main.m_stack;
            upper.EndDialog(IDOK);
        });
        EXPECT_EQ(upper.DoModal(), IDOK);
        afterUpperClosed = main.m_stack;
        lower.EndDialog(IDOK);
    });
    EXPECT_EQ(lower.DoModal(), IDOK);
    EXPECT_EQ(whileBothOpen, (std::vector<CUIDialog*>{&lower, &upper}));
    EXPECT_EQ(afterUpperClosed, (std::vector<CUIDialog*>{&lower}));
    EXPECT_TRUE(main.m_stack.empty());

    // The main window itself never stands on its own stack.
    CUIDialog mainDialog(CDialog::IDD_MAIN, nullptr);
    ASSERT_TRUE(mainDialog.Create(CDialog::IDD_MAIN));
    EXPECT_TRUE(main.m_stack.empty());
    mainDialog.DestroyWindow();
}

TEST_F(UIDialogTest, RedrawRequestsReachOnlyControlsStillInTheDialog) {
    CUIDialog dialog(CDialog::IDD_POPUP, nullptr);
    ASSERT_TRUE(dialog.Create(CDialog::IDD_POPUP));
    CountingCtrl control;
    ASSERT_TRUE(control.Create(RECT{10, 10, 40, 30}, static_cast<CLayerWnd*>(&dialog), 7));
    for (UINT message : {static_cast<UINT>(kMsgRedrawOwnControl), static_cast<UINT>(kMsgRedrawControl)}) {
        const int before = control.m_redraws;
        dialog.PostMessage(message, reinterpret_cast<WPARAM>(&control), 0);
        Pump();
        EXPECT_EQ(control.m_redraws, before + 1) << message;
    }
    // A panel switch took the control out of the tree while the requests were queued.
    static_cast<CLayerWnd&>(dialog).RemoveChild(&control);
    const int before = control.m_redraws;
    dialog.PostMessage(kMsgRedrawOwnControl, reinterpret_cast<WPARAM>(&control), 0);
    dialog.PostMessage(kMsgRedrawControl, reinterpret_cast<WPARAM>(&control), 0);
    Pump();
    EXPECT_EQ(control.m_redraws, before);
    dialog.DestroyWindow();
}

TEST_F(UIDialogTest, DeferredInitReachesOnlyHandlersTheDialogStillHolds) {
    CUIDialog dialog(CDialog::IDD_POPUP, nullptr);
    ASSERT_TRUE(dialog.Create(CDialog::IDD_POPUP));
    auto* bound = new CountingHandler; // the dialog owns its listener
    dialog.SetListener(bound);
    CountingHandler released; // stands for a handler whose panel went while the request was queued
    dialog.PostMessage(kMsgDeferredInitControls, reinterpret_cast<WPARAM>(static_cast<IHandler*>(bound)), 0);
    dialog.PostMessage(kMsgDeferredInitControls, reinterpret_cast<WPARAM>(static_cast<IHandler*>(&released)), 0);
    Pump();
    EXPECT_EQ(bound->m_inits, 1);
    EXPECT_EQ(released.m_inits, 0);
    dialog.DestroyWindow();
}

TEST_F(UIDialogTest, ShowDialogRepairsOnlyAVisibleDialogAndKeepsItInPlace) {
    CUIDialog dialog(CDialog::IDD_POPUP, nullptr);
    ASSERT_TRUE(dialog.Create(CDialog::IDD_POPUP));
    dialog.ShowDialog();
    EXPECT_FALSE(dialog.IsWindowVisible()); // a hidden dialog stays hidden
    dialog.SetWindowPos(nullptr, 40, 50, 200, 100, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    RECT before{}, after{};
    ::GetWindowRect(dialog.GetSafeHwnd(), &before);
    dialog.ShowDialog();
    ::GetWindowRect(dialog.GetSafeHwnd(), &after);
    EXPECT_TRUE(dialog.IsWindowVisible());
    EXPECT_TRUE(::EqualRect(&before, &after));
    dialog.DestroyWindow();
}

TEST_F(UIDialogTest, ControlNamesKeepTheCallersValues) {
    CUIDialog dialog(CDialog::IDD_POPUP, nullptr);
    dialog.SetControlName(L"Profile", L"Movie");
    dialog.SetControlName(L"Profile", L"Music");
    EXPECT_EQ(dialog.GetControlName(L"Profile"), L"Music");
    EXPECT_EQ(dialog.GetControlName(L"Missing"), L"");
    dialog.ClearControlNames();
    EXPECT_EQ(dialog.GetControlName(L"Profile"), L"");
}

} // namespace
