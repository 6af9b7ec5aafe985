#pragma once
// The real program in a process of its own, driven as a user would: mouse clicks and keys posted to its
// windows at the places of named controls, which its skinned dialogs report through their probe (see
// app/WindowProbe.h), and pictures of those windows' own pixels.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace oc::journey {

struct ProbedControl {
    std::wstring name;
    std::wstring kind; // slider, combo, textbox, button, menuitem or control
    bool shown = false;
    bool enabled = false;
    std::wstring state; // a button's check, a slider's "position minimum maximum", a combo's selection
    RECT rect{};        // screen pixels
    std::wstring text;

    POINT Center() const { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }
    bool Checked() const { return state == L"1"; }
    bool Inside(const RECT& area) const;
};

// One answer of a dialog's probe: the dialog's name and its named controls, depth first.
struct ProbedWindow {
    HWND hwnd = nullptr;
    std::wstring name;
    std::vector<ProbedControl> controls;

    // The first shown control of the name (depth first), else the first hidden one, or null.
    const ProbedControl* Find(const std::wstring& controlName) const;
    // The first control of the name whose centre lies in the area, or null.
    const ProbedControl* FindIn(const RECT& area, const std::wstring& controlName) const;
    // The controls of a kind that lie inside the area and are shown, in order.
    std::vector<const ProbedControl*> ShownIn(const RECT& area, const std::wstring& kind) const;
};

// Waits for a condition, checking it every few milliseconds; true when it held in time.
bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(10));

class RunningProgram {
public:
    // Starts the program with the probe enabled; `scratch` takes the probe's answers.
    RunningProgram(const std::filesystem::path& exe, const std::filesystem::path& scratch,
                   const std::wstring& arguments = {});
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool IsRunning() const;
    DWORD ProcessId() const { return m_process.dwProcessId; }
    // Asks the main window to quit and waits; ends the process when it does not go in time. True when it
    // ended by itself.
    bool Quit(HWND mainWindow);

    // The program's top-level windows, shown ones only unless asked otherwise.
    std::vector<HWND> Windows(bool shownOnly = true) const;
    // What the dialog reports now; empty when it is no skinned dialog or did not answer.
    std::optional<ProbedWindow> Probe(HWND window) const;
    using WindowTest = std::function<bool(const ProbedWindow&)>;
    // The first shown skinned window that passes the test now.
    std::optional<ProbedWindow> Find(const WindowTest& test) const;
    // The same, waiting for it to appear.
    std::optional<ProbedWindow> WaitFor(const WindowTest& test,
                                        std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // Tests: the dialog of a markup name; the window holding a control or menu row of that name (a menu
    // has no name of its own).
    static WindowTest Named(const std::wstring& name);
    static WindowTest Holding(const std::wstring& controlName);
    // The main window: the one holding the device list.
    static WindowTest MainWindow() { return Holding(L"PanelDeviceList"); }
    // The window's back buffer as a PNG file.
    bool SavePicture(HWND window, const std::filesystem::path& file) const;

    // Input as the system delivers a user's: a move to the point, then the button going down and up.
    void Click(HWND window, POINT screen) const;
    void MoveMouse(HWND window, POINT screen) const { Mouse(window, WM_MOUSEMOVE, 0, screen); }
    void RightClick(HWND window, POINT screen) const;
    void Key(HWND window, UINT virtualKey) const;
    // Input as a user's mouse and keyboard make it (SendInput): the cursor and the key state move, and the
    // system routes each event to the window under the cursor or with the focus.
    static void UserMove(POINT screen);
    static void UserClick(POINT screen);
    static void UserRightClick(POINT screen);
    static void UserWheel(POINT screen, int notches); // positive: away from the user (up)
    // The keys pressed in order, then released in reverse order (a chord such as Alt+F4).
    static void UserKeys(const std::vector<UINT>& virtualKeys);
    // A posted message of the program's own kind (the shell's notice to its tray icon).
    void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    void Mouse(HWND window, UINT message, WPARAM keys, POINT screen) const;

    std::filesystem::path m_scratch;
    PROCESS_INFORMATION m_process{};
    mutable unsigned m_requests = 0;
};

} // namespace oc::journey
