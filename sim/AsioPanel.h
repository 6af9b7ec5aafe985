#pragma once
// The simulated device's ASIO control panel: a small modeless top-level window, made on the calling thread
// (the program's user-interface thread) and owned by that thread's active window, as a driver's own panel
// is. Every panel is closed before the library goes away: its window procedure lives in this module.
#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

namespace oc::sim {

class AsioPanels {
public:
    AsioPanels() = default;
    ~AsioPanels();
    AsioPanels(const AsioPanels&) = delete;
    AsioPanels& operator=(const AsioPanels&) = delete;

    // Zero when the panel is open; the caption holds "ASIO" and the driver identifier.
    int32_t Show(const void* classId16, const std::wstring& deviceName);
    void CloseAll();
    size_t OpenCount() const;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Forget(HWND window);

    mutable std::mutex m_mutex;
    std::vector<HWND> m_windows;
    ATOM m_class = 0;
};

} // namespace oc::sim
