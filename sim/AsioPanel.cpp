#include "AsioPanel.h"

#include "driver/DriverLibraryAbi.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace oc::sim {
namespace {

constexpr wchar_t kClassName[] = L"OvercoatSimAsioPanel";
constexpr DWORD kCloseTimeoutMs = 2000;

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

std::wstring GuidText(const void* classId16) {
    unsigned char bytes[16];
    std::memcpy(bytes, classId16, sizeof(bytes));
    unsigned long data1 = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<unsigned long>(bytes[3]) << 24);
    unsigned data2 = bytes[4] | (bytes[5] << 8);
    unsigned data3 = bytes[6] | (bytes[7] << 8);
    wchar_t text[48];
    std::swprintf(text, std::size(text), L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", data1, data2, data3,
                  bytes[8], bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return text;
}

} // namespace

AsioPanels::~AsioPanels() {
    CloseAll();
}

int32_t AsioPanels::Show(const void* classId16, const std::wstring& deviceName) {
    if (!classId16)
        return oc::driver::kSimBadArgument;
    HINSTANCE module = ThisModule();
    {
        std::lock_guard lock(m_mutex);
        if (!m_class) {
            WNDCLASSEXW windowClass{};
            windowClass.cbSize = sizeof(windowClass);
            windowClass.lpfnWndProc = &AsioPanels::WindowProc;
            windowClass.hInstance = module;
            windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
            windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
            windowClass.lpszClassName = kClassName;
            m_class = RegisterClassExW(&windowClass);
            if (!m_class)
                return oc::driver::kSimNotReady;
        }
    }
    std::wstring caption = L"ASIO Control Panel - " + deviceName + L" " + GuidText(classId16);
    HWND window = CreateWindowExW(0, kClassName, caption.c_str(), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 360, 200, GetActiveWindow(), nullptr, module, this);
    if (!window)
        return oc::driver::kSimNotReady;
    std::lock_guard lock(m_mutex);
    m_windows.push_back(window);
    return oc::driver::kSimOk;
}

void AsioPanels::CloseAll() {
    std::vector<HWND> windows;
    {
        std::lock_guard lock(m_mutex);
        windows = m_windows;
    }
    for (HWND window : windows) {
        // Only the owning thread may destroy a window; another thread asks it to close.
        if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
            DestroyWindow(window);
        else
            SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kCloseTimeoutMs, nullptr);
    }
    std::lock_guard lock(m_mutex);
    if (m_windows.empty() && m_class) {
        UnregisterClassW(kClassName, ThisModule());
        m_class = 0;
    }
}

size_t AsioPanels::OpenCount() const {
    std::lock_guard lock(m_mutex);
    return m_windows.size();
}

void AsioPanels::Forget(HWND window) {
    std::lock_guard lock(m_mutex);
    m_windows.erase(std::remove(m_windows.begin(), m_windows.end(), window), m_windows.end());
}

LRESULT CALLBACK AsioPanels::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_NCDESTROY) {
        if (auto* panels = reinterpret_cast<AsioPanels*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
            panels->Forget(window);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace oc::sim
