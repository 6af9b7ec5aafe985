#include "app/QuitRequestWatch.h"

namespace {

constexpr wchar_t kWindowClass[] = L"OvercoatQuitRequestWatch";

ATOM RegisterWatchClass(WNDPROC procedure) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    return ::RegisterClassW(&windowClass);
}

} // namespace

CQuitRequestWatch::CQuitRequestWatch(UINT message, WPARAM quitBit) : m_message(message), m_quitBit(quitBit) {
    if (message == 0)
        return;
    static const ATOM registered = RegisterWatchClass(&CQuitRequestWatch::WindowProc);
    if (!registered)
        return;
    // Top-level and unowned, though never shown: a broadcast reaches only such windows.
    m_window = ::CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    if (m_window)
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

CQuitRequestWatch::~CQuitRequestWatch() {
    if (m_window)
        ::DestroyWindow(m_window);
}

LRESULT CALLBACK CQuitRequestWatch::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* watch = reinterpret_cast<const CQuitRequestWatch*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (watch && message == watch->m_message && (wParam & watch->m_quitBit) != 0) {
        ::EnumThreadWindows(::GetCurrentThreadId(), &CQuitRequestWatch::EndBox, reinterpret_cast<LPARAM>(hwnd));
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

BOOL CALLBACK CQuitRequestWatch::EndBox(HWND hwnd, LPARAM watchWindow) {
    // Only boxes on screen: a dialog of the program still being made (hidden until it is ready) ends by its
    // own handling of the same message.
    wchar_t className[16] = {};
    if (hwnd != reinterpret_cast<HWND>(watchWindow) && ::IsWindowVisible(hwnd) &&
        ::GetClassNameW(hwnd, className, 16) && ::lstrcmpW(className, L"#32770") == 0)
        ::EndDialog(hwnd, IDCANCEL);
    return TRUE;
}
