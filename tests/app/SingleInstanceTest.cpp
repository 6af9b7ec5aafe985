// The program started as a second process in the same Wine prefix, while this test plays the first
// instance: it holds the instance mutex and a window with the program's title.
#include "app/OvercoatApp.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
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

// The program started without waiting for it; a shown window of it is awaited, and its end.
class StartedProgram {
public:
    explicit StartedProgram(const fs::path& exe) {
        std::wstring line = L"\"" + exe.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        m_started = ::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                     &m_process) != FALSE;
    }
    ~StartedProgram() {
        if (!m_started)
            return;
        if (::WaitForSingleObject(m_process.hProcess, 0) != WAIT_OBJECT_0)
            ::TerminateProcess(m_process.hProcess, 99);
        ::WaitForSingleObject(m_process.hProcess, 5000);
        ::CloseHandle(m_process.hThread);
        ::CloseHandle(m_process.hProcess);
    }
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    bool Started() const { return m_started; }
    // Its first shown top-level window, within 20 s; null when none shows.
    HWND WaitForShownWindow() const {
        struct Search {
            DWORD pid;
            HWND found = nullptr;
        } search{m_process.dwProcessId};
        const DWORD deadline = ::GetTickCount() + 20000;
        while (m_started && !search.found && ::GetTickCount() < deadline) {
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
        return search.found;
    }
    // Whether it ended by itself within 10 s.
    bool Ended() const { return m_started && ::WaitForSingleObject(m_process.hProcess, 10000) == WAIT_OBJECT_0; }
    DWORD ExitCode() const {
        DWORD code = 0xBEEF;
        ::GetExitCodeProcess(m_process.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION m_process{};
    bool m_started = false;
};

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
        const StartedProgram program(oc::test::ProgramDir() / "Overcoat.exe");
        ASSERT_TRUE(program.Started());
        const HWND box = program.WaitForShownWindow();
        EXPECT_NE(box, nullptr) << "the device-missing box did not show";
        if (box) {
            if (byKey)
                ::PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
            else
                EXPECT_EQ(RunProgram(L"/q"), 0u);
        }
        EXPECT_TRUE(program.Ended()) << "the program did not end";
    }
    ::SetEnvironmentVariableW(L"OC_SIM_SCENARIO", nullptr);
    ::SetEnvironmentVariableW(L"OC_SIM_STATE", nullptr);
    ::SetEnvironmentVariableW(L"OC_SIM_PIPE", nullptr);
}

// Bytes that are not UTF-8 where the shipped main window markup gives its size (in a copy of the program
// folder): the program shows the plain message naming the file instead of a window of no size. A second
// start's "/q" ends the program while that message is up, and it ends on the skin-file exit code.
TEST_F(SingleInstanceTest, ADamagedMainWindowIsNamedAndASecondStartsQuitEndsItsMessage) {
    oc::test::TempDir scratch;
    const fs::path program = scratch / "program";
    fs::copy(oc::test::ProgramDir(), program, fs::copy_options::recursive);
    const fs::path markup = program / "Skin" / "Overcoat" / "MainWindow.lyt";
    std::ifstream in(markup, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    const std::string size = "Width=\"900\" Height=\"600\"";
    const size_t at = text.find(size);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, size.size(), "Width=\"\xC3" "00\" Height=\"\xC3" "00\"");
    std::ofstream(markup, std::ios::binary | std::ios::trunc) << text;
    ::SetEnvironmentVariableW(L"OC_SIM_STATE", (scratch / "device.state").c_str());
    ::SetEnvironmentVariableW(L"OC_SIM_PIPE",
                              (L"\\\\.\\pipe\\OvercoatDamagedSkin" + std::to_wstring(::GetCurrentProcessId())).c_str());

    const StartedProgram started(program / "Overcoat.exe");
    ASSERT_TRUE(started.Started());
    const HWND shown = started.WaitForShownWindow();
    ASSERT_NE(shown, nullptr) << "nothing showed";
    // What the shown window says: its controls' texts.
    std::wstring said;
    ::EnumChildWindows(
        shown,
        [](HWND child, LPARAM param) -> BOOL {
            wchar_t buffer[1024] = {};
            ::GetWindowTextW(child, buffer, 1024);
            *reinterpret_cast<std::wstring*>(param) += buffer;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&said));
    EXPECT_NE(said.find(L"MainWindow.lyt"), std::wstring::npos) << "the message names the damaged file";

    EXPECT_EQ(RunProgram(L"/q"), 0u);
    EXPECT_TRUE(started.Ended()) << "the program did not end";
    EXPECT_EQ(started.ExitCode(), 3u);
    ::SetEnvironmentVariableW(L"OC_SIM_STATE", nullptr);
    ::SetEnvironmentVariableW(L"OC_SIM_PIPE", nullptr);
}

} // namespace
