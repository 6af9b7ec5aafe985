#include "RunningProgram.h"

#include "app/OvercoatDlg.h"
#include "app/WindowProbe.h"
#include "markup/Utf8.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace oc::journey {

namespace fs = std::filesystem;

namespace {

std::vector<std::wstring> SplitTabs(const std::wstring& line) {
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find(L'\t', start);
        fields.push_back(line.substr(start, tab == std::wstring::npos ? std::wstring::npos : tab - start));
        if (tab == std::wstring::npos)
            return fields;
        start = tab + 1;
    }
}

std::optional<ProbedControl> ParseControl(const std::wstring& line) {
    const std::vector<std::wstring> fields = SplitTabs(line);
    if (fields.size() < 7)
        return std::nullopt;
    ProbedControl control;
    control.name = fields[0];
    control.kind = fields[1];
    control.shown = fields[2] == L"1";
    control.enabled = fields[3] == L"1";
    control.state = fields[4];
    std::wistringstream place(fields[5]);
    place >> control.rect.left >> control.rect.top >> control.rect.right >> control.rect.bottom;
    control.text = fields[6];
    return control;
}

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

bool ProbedControl::Inside(const RECT& area) const {
    const POINT center = Center();
    return ::PtInRect(&area, center) != FALSE;
}

const ProbedControl* ProbedWindow::Find(const std::wstring& controlName) const {
    const ProbedControl* hidden = nullptr;
    for (const ProbedControl& control : controls) {
        if (control.name != controlName)
            continue;
        if (control.shown)
            return &control;
        if (!hidden)
            hidden = &control;
    }
    return hidden;
}

const ProbedControl* ProbedWindow::FindIn(const RECT& area, const std::wstring& controlName) const {
    for (const ProbedControl& control : controls) {
        if (control.name == controlName && control.Inside(area))
            return &control;
    }
    return nullptr;
}

std::vector<const ProbedControl*> ProbedWindow::ShownIn(const RECT& area, const std::wstring& kind) const {
    std::vector<const ProbedControl*> found;
    for (const ProbedControl& control : controls) {
        if (control.kind == kind && control.shown && control.Inside(area))
            found.push_back(&control);
    }
    return found;
}

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
}

RunningProgram::RunningProgram(const fs::path& exe, const fs::path& scratch, const std::wstring& arguments)
    : m_scratch(scratch) {
    ::SetEnvironmentVariableW(L"OC_TEST_PROBE", L"1");
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    const std::wstring folder = exe.parent_path().wstring();
    if (!::CreateProcessW(exe.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &m_process))
        m_process = {};
    ::SetEnvironmentVariableW(L"OC_TEST_PROBE", nullptr);
}

RunningProgram::~RunningProgram() {
    if (IsRunning()) {
        ::TerminateProcess(m_process.hProcess, 1);
        ::WaitForSingleObject(m_process.hProcess, 5000);
    }
    if (m_process.hProcess)
        ::CloseHandle(m_process.hProcess);
    if (m_process.hThread)
        ::CloseHandle(m_process.hThread);
}

bool RunningProgram::IsRunning() const {
    return m_process.hProcess && ::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

bool RunningProgram::Quit(HWND mainWindow) {
    if (!IsRunning())
        return true;
    if (mainWindow)
        ::PostMessageW(mainWindow, WM_COMMAND, ID_MAIN_QUIT, 0);
    if (::WaitForSingleObject(m_process.hProcess, 15000) == WAIT_OBJECT_0)
        return true;
    ::TerminateProcess(m_process.hProcess, 1);
    ::WaitForSingleObject(m_process.hProcess, 5000);
    return false;
}

std::vector<HWND> RunningProgram::Windows(bool shownOnly) const {
    struct Search {
        DWORD process;
        bool shownOnly;
        std::vector<HWND> found;
    } search{m_process.dwProcessId, shownOnly, {}};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(data);
            DWORD process = 0;
            ::GetWindowThreadProcessId(window, &process);
            if (process == search.process && (!search.shownOnly || ::IsWindowVisible(window)))
                search.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::optional<ProbedWindow> RunningProgram::Probe(HWND window) const {
    const fs::path answer = m_scratch / ("probe" + std::to_string(++m_requests) + ".txt");
    const std::wstring request = L"controls " + answer.wstring();
    COPYDATASTRUCT data{};
    data.dwData = CWindowProbe::kCopyDataId;
    data.cbData = static_cast<DWORD>((request.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(request.c_str());
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 10000,
                               &result) ||
        !result)
        return std::nullopt;
    const std::wstring text = Utf8ToWide(ReadAll(answer));
    std::error_code ignored;
    fs::remove(answer, ignored);
    ProbedWindow probed;
    probed.hwnd = window;
    std::wistringstream lines(text);
    std::wstring line;
    while (std::getline(lines, line)) {
        if (line.rfind(L"window\t", 0) == 0) {
            probed.name = line.substr(7);
            continue;
        }
        if (auto control = ParseControl(line))
            probed.controls.push_back(std::move(*control));
    }
    return probed;
}

std::optional<ProbedWindow> RunningProgram::Find(const WindowTest& test) const {
    for (HWND window : Windows()) {
        std::optional<ProbedWindow> probed = Probe(window);
        if (probed && test(*probed))
            return probed;
    }
    return std::nullopt;
}

std::optional<ProbedWindow> RunningProgram::WaitFor(const WindowTest& test, std::chrono::milliseconds timeout) const {
    std::optional<ProbedWindow> found;
    Eventually([&] { return (found = Find(test)).has_value(); }, timeout);
    return found;
}

RunningProgram::WindowTest RunningProgram::Named(const std::wstring& name) {
    return [name](const ProbedWindow& window) { return window.name == name; };
}

RunningProgram::WindowTest RunningProgram::Holding(const std::wstring& controlName) {
    return [controlName](const ProbedWindow& window) { return window.Find(controlName) != nullptr; };
}

bool RunningProgram::SavePicture(HWND window, const fs::path& file) const {
    const std::wstring request = L"picture " + file.wstring();
    COPYDATASTRUCT data{};
    data.dwData = CWindowProbe::kCopyDataId;
    data.cbData = static_cast<DWORD>((request.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(request.c_str());
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 10000,
                                 &result) &&
           result;
}

void RunningProgram::Mouse(HWND window, UINT message, WPARAM keys, POINT screen) const {
    POINT client = screen;
    ::ScreenToClient(window, &client);
    ::PostMessageW(window, message, keys, MAKELPARAM(client.x, client.y));
}

void RunningProgram::Click(HWND window, POINT screen) const {
    Mouse(window, WM_MOUSEMOVE, 0, screen);
    Mouse(window, WM_LBUTTONDOWN, MK_LBUTTON, screen);
    Mouse(window, WM_LBUTTONUP, 0, screen);
}

void RunningProgram::RightClick(HWND window, POINT screen) const {
    Mouse(window, WM_MOUSEMOVE, 0, screen);
    Mouse(window, WM_RBUTTONDOWN, MK_RBUTTON, screen);
    Mouse(window, WM_RBUTTONUP, 0, screen);
}

void RunningProgram::Key(HWND window, UINT virtualKey) const {
    const UINT scan = ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    ::PostMessageW(window, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    ::PostMessageW(window, WM_KEYUP, virtualKey, 1 | (scan << 16) | (1u << 30) | (1u << 31));
}

namespace {

// Absolute mouse input is given in 0..65535 over the primary screen.
INPUT MouseInput(POINT screen, DWORD flags, DWORD data = 0) {
    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((screen.x * 65535LL + width / 2) / std::max(width - 1, 1));
    input.mi.dy = static_cast<LONG>((screen.y * 65535LL + height / 2) / std::max(height - 1, 1));
    input.mi.mouseData = data;
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    return input;
}

void Send(std::vector<INPUT> inputs) {
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    // The program takes input on its own thread: a short pause lets one gesture land before the next.
    ::Sleep(60);
}

} // namespace

void RunningProgram::UserMove(POINT screen) {
    Send({MouseInput(screen, 0)});
}

void RunningProgram::UserClick(POINT screen) {
    Send({MouseInput(screen, 0)});
    Send({MouseInput(screen, MOUSEEVENTF_LEFTDOWN), MouseInput(screen, MOUSEEVENTF_LEFTUP)});
}

void RunningProgram::UserRightClick(POINT screen) {
    Send({MouseInput(screen, 0)});
    Send({MouseInput(screen, MOUSEEVENTF_RIGHTDOWN), MouseInput(screen, MOUSEEVENTF_RIGHTUP)});
}

void RunningProgram::UserWheel(POINT screen, int notches) {
    Send({MouseInput(screen, 0)});
    Send({MouseInput(screen, MOUSEEVENTF_WHEEL, static_cast<DWORD>(notches * WHEEL_DELTA))});
}

void RunningProgram::UserKeys(const std::vector<UINT>& virtualKeys) {
    std::vector<INPUT> inputs;
    const auto key = [](UINT virtualKey, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = static_cast<WORD>(virtualKey);
        input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = flags;
        return input;
    };
    for (UINT virtualKey : virtualKeys)
        inputs.push_back(key(virtualKey, 0));
    for (auto it = virtualKeys.rbegin(); it != virtualKeys.rend(); ++it)
        inputs.push_back(key(*it, KEYEVENTF_KEYUP));
    Send(std::move(inputs));
}

void RunningProgram::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
    ::PostMessageW(window, message, wParam, lParam);
}

} // namespace oc::journey
