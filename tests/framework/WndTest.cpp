#include "framework/Exception.h"
#include "framework/Wnd.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

constexpr UINT kThrowFrameworkError = WM_APP + 1;
constexpr UINT kThrowStdError = WM_APP + 2;
constexpr UINT kThrowInt = WM_APP + 3;
constexpr UINT kAnswer = WM_APP + 4;

int g_deletedExceptions = 0;

class CCountedException : public CException {
public:
    ~CCountedException() override { ++g_deletedExceptions; }
};

class CThrowingWnd : public CWnd {
public:
    bool throwOnCreate = false;
    bool finalNotice = false;
    HWND handleAtFinalNotice = reinterpret_cast<HWND>(1);

    BOOL Create() { return CreateEx(0, RegisterWndClass(0), L"throwing", WS_POPUP, 0, 0, 10, 10, nullptr); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_CREATE:
            if (throwOnCreate)
                throw new CCountedException;
            break;
        case kThrowFrameworkError:
            throw new CCountedException;
        case kThrowStdError:
            throw std::runtime_error("handler failed");
        case kThrowInt:
            throw 7;
        case kAnswer:
            return 42;
        default:
            break;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
    void PostNcDestroy() override {
        finalNotice = true;
        handleAtFinalNotice = m_hWnd;
    }
};

TEST(Wnd, ThrowingHandlersAreContainedAtTheWindowProcedure) {
    g_deletedExceptions = 0;
    CThrowingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    for (UINT message : {kThrowFrameworkError, kThrowStdError, kThrowInt}) {
        SCOPED_TRACE(message);
        EXPECT_EQ(wnd.SendMessage(message), 0);
    }
    // The framework's exception object was freed, and the window still answers.
    EXPECT_EQ(g_deletedExceptions, 1);
    EXPECT_EQ(wnd.SendMessage(kAnswer), 42);
    // Through the dispatcher as well (a posted message).
    ASSERT_TRUE(wnd.PostMessage(kThrowStdError));
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&msg);
    EXPECT_EQ(wnd.SendMessage(kAnswer), 42);
}

TEST(Wnd, ThrowingCreateHandlerFailsTheCreation) {
    g_deletedExceptions = 0;
    CThrowingWnd wnd;
    wnd.throwOnCreate = true;
    EXPECT_FALSE(wnd.Create());
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(g_deletedExceptions, 1);
}

TEST(Wnd, DestructionGivesTheFinalNoticeAfterTheHandleIsGone) {
    CThrowingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    HWND hwnd = wnd.m_hWnd;
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), &wnd);
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_TRUE(wnd.finalNotice);
    EXPECT_EQ(wnd.handleAtFinalNotice, nullptr);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(Wnd, OwnedWindowGoesWithItsObjectAttachedOneStays) {
    HWND owned = nullptr;
    {
        CThrowingWnd wnd;
        ASSERT_TRUE(wnd.Create());
        owned = wnd.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(owned));

    HWND foreign =
        ::CreateWindowExW(0, L"STATIC", L"foreign", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(foreign, nullptr);
    {
        CWnd wnd;
        ASSERT_TRUE(wnd.Attach(foreign));
        EXPECT_EQ(CWnd::FromHandlePermanent(foreign), &wnd);
        CWnd second;
        EXPECT_FALSE(second.Attach(foreign)); // one object per window
    }
    EXPECT_TRUE(::IsWindow(foreign));
    EXPECT_EQ(CWnd::FromHandlePermanent(foreign), nullptr);
    ::DestroyWindow(foreign);
}

TEST(Wnd, StyleWrappersReportWhetherAnythingChanged) {
    CThrowingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    EXPECT_TRUE(wnd.ModifyStyleEx(0, WS_EX_LAYERED));
    EXPECT_TRUE(wnd.GetExStyle() & WS_EX_LAYERED);
    EXPECT_FALSE(wnd.ModifyStyleEx(0, WS_EX_LAYERED));
    wnd.SetWindowText(L"Korva");
    EXPECT_EQ(wnd.GetWindowText(), L"Korva");
}

} // namespace
