// The program started as a second process in the same Wine prefix, while this test plays the first
// instance: it holds the instance mutex and a window with the program's title.
#include "app/OvercoatApp.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
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

    std::wstring m_title;

    void SetUp() override {
        COvercoatApp probe;
        probe.InitPaths();
        m_data = probe.GetDataFolder();
        RemoveFilesIn(m_data);
        g_received.reset();
        // The program reads its title from the shipped English texts, whatever the system's language.
        probe.UseProgramFolder(oc::test::ProgramDir().wstring() + L"\\");
        ASSERT_EQ(probe.LoadLanguage(L"en-US"), 1);
        m_title = probe.GetLanguageText(L"ml_Main_Title");
        ASSERT_FALSE(m_title.empty());
        std::ofstream(fs::path(m_data + L"setting.ini")) << "[Setting]\nMultiLanguage=en-US\n";
    }
    void TearDown() override {
        if (m_window)
            ::DestroyWindow(m_window);
        if (m_mutex)
            ::CloseHandle(m_mutex);
        RemoveFilesIn(m_data);
    }
    void BecomeFirstInstance() {
        g_activationMessage = ::RegisterWindowMessageW((L"Korva Software.exe" + m_title).c_str());
        m_mutex = ::CreateMutexW(nullptr, FALSE, (L"Korva Software.exe" + m_title).c_str());
        ASSERT_NE(m_mutex, nullptr);
        WNDCLASSW wc{};
        wc.lpfnWndProc = &FirstInstanceProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OvercoatFirstInstance";
        ::RegisterClassW(&wc);
        m_window = ::CreateWindowExW(0, wc.lpszClassName, m_title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
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
    // Only the running instance writes the settings: the second start left the file as it was.
    std::ifstream in(fs::path(m_data + L"setting.ini")); // as it was written: in text mode
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "[Setting]\nMultiLanguage=en-US\n");
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

// The program started without a device shows the device-missing box and nothing else. Enter closes it like
// its button, and a second start's "/q" reaches it too: either way the program ends.
TEST_F(SingleInstanceTest, DeviceMissingBoxAnswersEnterAndASecondStartsQuit) {
    oc::test::TempDir scratch;
    ::SetEnvironmentVariableW(L"OC_SIM_SCENARIO", L"no-device");
    ::SetEnvironmentVariableW(L"OC_SIM_STATE", (scratch / "device.state").c_str());
    ::SetEnvironmentVariableW(L"OC_SIM_PIPE",
                              (L"\\\\.\\pipe\\OvercoatMissingBox" + std::to_wstring(::GetCurrentProcessId())).c_str());
    for (const bool byKey : {true, false}) {
        SCOPED_TRACE(byKey ? "Enter" : "second start with /q");
        const std::wstring exe = (oc::test::ProgramDir() / "Overcoat.exe").wstring();
        std::wstring line = L"\"" + exe + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                     &process));
        struct Search {
            DWORD pid;
            HWND found = nullptr;
        } search{process.dwProcessId};
        const DWORD deadline = ::GetTickCount() + 20000;
        while (!search.found && ::GetTickCount() < deadline) {
            ::EnumWindows(
                [](HWND hwnd, LPARAM param) -> BOOL {
                    auto* s = reinterpret_cast<Search*>(param);
                    DWORD pid = 0;
                    ::GetWindowThreadProcessId(hwnd, &pid);
                    if (pid != s->pid || !::IsWindowVisible(hwnd))
                        return TRUE;
                    s->found = hwnd;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&search));
            ::Sleep(50);
        }
        EXPECT_NE(search.found, nullptr) << "the device-missing box did not show";
        if (search.found) {
            if (byKey)
                ::PostMessageW(search.found, WM_KEYDOWN, VK_RETURN, 0);
            else
                EXPECT_EQ(RunProgram(L"/q"), 0u);
        }
        const bool ended = ::WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0;
        EXPECT_TRUE(ended) << "the program did not end";
        if (!ended)
            ::TerminateProcess(process.hProcess, 99);
        ::WaitForSingleObject(process.hProcess, 5000);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::SetEnvironmentVariableW(L"OC_SIM_SCENARIO", nullptr);
    ::SetEnvironmentVariableW(L"OC_SIM_STATE", nullptr);
    ::SetEnvironmentVariableW(L"OC_SIM_PIPE", nullptr);
}

} // namespace
