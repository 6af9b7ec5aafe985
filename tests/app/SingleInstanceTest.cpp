// The program started as a second process in the same Wine prefix, while this test plays the first
// instance: it holds the instance mutex and a window with the program's title.
#include "app/OvercoatApp.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>

namespace {

namespace fs = std::filesystem;

UINT g_activationMessage = 0;
std::optional<WPARAM> g_received;

LRESULT CALLBACK FirstInstanceProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == g_activationMessage && g_activationMessage != 0)
        g_received = wParam;
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// Runs the program with the arguments and waits for it, pumping this thread's messages meanwhile.
DWORD RunProgram(const std::wstring& arguments) {
    std::wstring exe = (oc::test::ProgramDir() / "Overcoat.exe").wstring();
    std::wstring line = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0xDEAD;
    DWORD deadline = ::GetTickCount() + 20000;
    while (::MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0 &&
           ::GetTickCount() < deadline) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
    }
    DWORD code = 0xBEEF;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code;
}

void PumpUntilReceived(DWORD timeoutMs) {
    DWORD deadline = ::GetTickCount() + timeoutMs;
    while (!g_received && ::GetTickCount() < deadline) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        ::Sleep(10);
    }
}

class SingleInstanceTest : public testing::Test {
protected:
    std::wstring m_data;
    HANDLE m_mutex = nullptr;
    HWND m_window = nullptr;

    void SetUp() override {
        COvercoatApp probe;
        probe.InitPaths();
        m_data = probe.GetDataFolder();
        RemoveFilesIn(m_data);
        g_received.reset();
    }
    void TearDown() override {
        if (m_window)
            ::DestroyWindow(m_window);
        if (m_mutex)
            ::CloseHandle(m_mutex);
        RemoveFilesIn(m_data);
    }
    void BecomeFirstInstance() {
        // No language texts: the title is the company name and the message name has no title part.
        g_activationMessage = ::RegisterWindowMessageW(L"Korva Software.exe");
        m_mutex = ::CreateMutexW(nullptr, FALSE, L"Korva Software.exeKorva Software");
        ASSERT_NE(m_mutex, nullptr);
        WNDCLASSW wc{};
        wc.lpfnWndProc = &FirstInstanceProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OvercoatFirstInstance";
        ::RegisterClassW(&wc);
        m_window = ::CreateWindowExW(0, wc.lpszClassName, L"Korva Software", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     wc.hInstance, nullptr);
        ASSERT_NE(m_window, nullptr);
    }
    bool Has(const wchar_t* name) { return fs::exists(fs::path(m_data + name)); }
    void Put(const wchar_t* name) { std::ofstream(fs::path(m_data + name)) << "x"; }
};

TEST_F(SingleInstanceTest, SecondStartForwardsItsSwitchesWithoutHiddenAndStillShutsDown) {
    BecomeFirstInstance();
    EXPECT_EQ(RunProgram(L"/h /q"), 0u);
    PumpUntilReceived(5000);
    ASSERT_TRUE(g_received.has_value());
    EXPECT_EQ(*g_received, static_cast<WPARAM>(kSwitchQuit));
    EXPECT_TRUE(::GetWindowLongPtrW(m_window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(Has(L"setting.ini")); // the second instance's shutdown wrote the settings back
}

TEST_F(SingleInstanceTest, SecondStartWithUninstallRemovesTheDataFilesItself) {
    BecomeFirstInstance();
    Put(L"Profile.xml");
    EXPECT_EQ(RunProgram(L"/u"), 0u);
    PumpUntilReceived(5000);
    ASSERT_TRUE(g_received.has_value());
    EXPECT_EQ(*g_received, static_cast<WPARAM>(kSwitchUninstall));
    EXPECT_FALSE(Has(L"Profile.xml"));
}

TEST_F(SingleInstanceTest, AloneQuitWithUninstallRemovesTheDataFilesAndEnds) {
    Put(L"Profile.xml");
    Put(L".keep");
    EXPECT_EQ(RunProgram(L"/q /u"), 0u);
    EXPECT_FALSE(Has(L"Profile.xml"));
    EXPECT_FALSE(Has(L"setting.ini"));
    EXPECT_TRUE(Has(L".keep"));
    EXPECT_FALSE(g_received.has_value());
}

} // namespace
