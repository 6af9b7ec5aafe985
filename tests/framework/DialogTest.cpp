#include "framework/Dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

constexpr UINT kStep = WM_APP + 10;

// A dialog that runs a scripted step once its loop is going (a posted message), and records what
// reached it.
class CScriptedDialog : public CDialog {
public:
    CScriptedDialog(CWnd* parent, std::function<void(CScriptedDialog&)> step)
        : CDialog(IDD_POPUP, parent), m_step(std::move(step)) {}

    std::function<void(CScriptedDialog&)> m_step;
    std::function<BOOL(MSG*)> m_filter;
    bool m_endInInit = false;
    bool m_initialised = false;
    bool m_finalNotice = false;
    std::vector<WPARAM> m_keysHandled;

    BOOL OnInitDialog() override {
        m_initialised = true;
        if (m_endInInit)
            EndDialog(5);
        else
            PostMessage(kStep);
        return TRUE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kStep && m_step) {
            auto step = m_step; // a step may install the next one
            step(*this);
            return 0;
        }
        if (message == WM_KEYDOWN)
            m_keysHandled.push_back(wParam);
        return CDialog::WindowProc(message, wParam, lParam);
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        if (m_filter && m_filter(msg))
            return TRUE;
        return CDialog::PreTranslateMessage(msg);
    }
    void PostNcDestroy() override { m_finalNotice = true; }
};

TEST(ModalDialog, EndDialogReturnsItsCodeAndDestroysTheWindow) {
    HWND seen = nullptr;
    CScriptedDialog dialog(nullptr, [&](CScriptedDialog& d) {
        seen = d.m_hWnd;
        EXPECT_TRUE(d.IsWindowVisible());
        d.EndDialog(42);
    });
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_TRUE(dialog.m_finalNotice);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_FALSE(::IsWindow(seen));
}

TEST(ModalDialog, DestroyingTheWindowEndsTheLoop) {
    CScriptedDialog dialog(nullptr, [](CScriptedDialog& d) { d.DestroyWindow(); });
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_TRUE(dialog.m_finalNotice);
}

TEST(ModalDialog, EndDialogDuringInitialisationNeverShowsTheWindow) {
    CScriptedDialog dialog(nullptr, nullptr);
    dialog.m_endInInit = true;
    EXPECT_EQ(dialog.DoModal(), 5);
    EXPECT_TRUE(dialog.m_initialised);
}

TEST(ModalDialog, CloseBoxAndEscapeCancel) {
    CScriptedDialog closed(nullptr, [](CScriptedDialog& d) { d.PostMessage(WM_CLOSE); });
    EXPECT_EQ(closed.DoModal(), IDCANCEL);
    CScriptedDialog escaped(nullptr, [](CScriptedDialog& d) { d.PostMessage(WM_KEYDOWN, VK_ESCAPE); });
    EXPECT_EQ(escaped.DoModal(), IDCANCEL);
}

TEST(ModalDialog, UnknownTemplateFails) {
    CDialog dialog(999, nullptr);
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST(ModalDialog, NestedDialogReturnsToItsParentsLoop) {
    std::vector<int> order;
    bool parentDisabledDuringChild = false;
    CScriptedDialog outer(nullptr, [&](CScriptedDialog& parent) {
        CScriptedDialog inner(&parent, [&](CScriptedDialog& child) {
            parentDisabledDuringChild = !parent.IsWindowEnabled();
            order.push_back(1);
            child.EndDialog(7);
        });
        INT_PTR innerResult = inner.DoModal();
        order.push_back(2);
        EXPECT_EQ(innerResult, 7);
        EXPECT_TRUE(parent.IsWindowEnabled());
        // The parent's loop is still the one running: a message posted now still reaches it.
        parent.m_step = [&order, innerResult](CScriptedDialog& again) {
            order.push_back(3);
            again.EndDialog(static_cast<int>(innerResult) + 1);
        };
        parent.PostMessage(kStep);
    });
    EXPECT_EQ(outer.DoModal(), 8);
    EXPECT_TRUE(parentDisabledDuringChild);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(ModalDialog, QuitMessageEndsTheLoopAndIsPassedOn) {
    CScriptedDialog dialog(nullptr, [](CScriptedDialog&) { ::PostQuitMessage(3); });
    EXPECT_EQ(dialog.DoModal(), -1);
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

// A child window inside the dialog, for messages that travel up the parent chain.
class CChildWnd : public CWnd {
public:
    std::vector<WPARAM> keys;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_KEYDOWN)
            keys.push_back(wParam);
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST(ModalDialog, PreTranslateMessageSeesKeysBeforeDispatchAndCanSwallowThem) {
    CChildWnd child;
    std::vector<std::pair<HWND, WPARAM>> filtered;
    HWND childHwnd = nullptr;
    CScriptedDialog dialog(nullptr, [&](CScriptedDialog& d) {
        ASSERT_TRUE(child.CreateEx(0, CWnd::RegisterWndClass(0), L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, d.m_hWnd));
        childHwnd = child.m_hWnd;
        d.m_filter = [&](MSG* msg) {
            if (msg->message != WM_KEYDOWN)
                return FALSE;
            filtered.emplace_back(msg->hwnd, msg->wParam);
            return msg->wParam == VK_F5 ? TRUE : FALSE;
        };
        for (HWND target : {d.m_hWnd, child.m_hWnd}) {
            ::PostMessageW(target, WM_KEYDOWN, VK_F5, 0);
            ::PostMessageW(target, WM_KEYDOWN, VK_F6, 0);
        }
        d.m_step = [](CScriptedDialog& last) { last.EndDialog(IDOK); };
        d.PostMessage(kStep);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    // The dialog's filter saw all four, the child's included (it walks up from the child).
    ASSERT_EQ(filtered.size(), 4u);
    EXPECT_EQ(filtered[2].first, childHwnd);
    // F5 was swallowed everywhere; F6 reached the window it was posted to.
    EXPECT_EQ(dialog.m_keysHandled, (std::vector<WPARAM>{VK_F6}));
    EXPECT_EQ(child.keys, (std::vector<WPARAM>{VK_F6}));
}

TEST(ModelessDialog, CreateLeavesAHiddenWindowThatEndsWithDestroy) {
    CScriptedDialog dialog(nullptr, nullptr);
    ASSERT_TRUE(dialog.Create(CDialog::IDD_POPUP));
    EXPECT_TRUE(dialog.m_initialised);
    EXPECT_FALSE(dialog.IsWindowVisible());
    dialog.ShowWindow(SW_SHOW);
    dialog.EndDialog(IDOK); // modeless: only hides
    EXPECT_TRUE(dialog.IsWindow());
    EXPECT_FALSE(dialog.IsWindowVisible());
    EXPECT_TRUE(dialog.DestroyWindow());
    EXPECT_TRUE(dialog.m_finalNotice);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) { // the step posted by OnInitDialog
    }
}

TEST(DialogTemplates, TheThreeShapesCreate) {
    for (UINT id : {CDialog::IDD_MAIN, CDialog::IDD_MESSAGE_BOX, CDialog::IDD_POPUP}) {
        SCOPED_TRACE(id);
        CDialog dialog;
        ASSERT_TRUE(dialog.Create(id));
        EXPECT_EQ(dialog.GetStyle() & WS_CHILD, 0u);
        EXPECT_EQ((dialog.GetExStyle() & WS_EX_APPWINDOW) != 0, id == CDialog::IDD_MAIN);
        dialog.DestroyWindow();
    }
}

} // namespace
