#pragma once
// Counts the presents of layered windows while it lives: this executable's imports of
// UpdateLayeredWindow and UpdateLayeredWindowIndirect are pointed at recorders that pass each call on.
// Every present is logged with its window and dirty rectangle (empty for the whole surface).

#include <windows.h>

#include "ImportHook.h"

#include <mutex>
#include <vector>

namespace oc::test {

class PresentCounter {
public:
    struct Present {
        HWND hwnd;
        RECT dirty; // empty: the whole surface
    };

    PresentCounter() {
        s_active = this;
        // The plain call is imported only where something still makes it (the flip animation).
        HookUser32Import("UpdateLayeredWindow", reinterpret_cast<void*>(&Plain), &s_plain);
        m_hooked = HookUser32Import("UpdateLayeredWindowIndirect", reinterpret_cast<void*>(&Indirect), &s_indirect);
    }
    ~PresentCounter() {
        HookUser32Import("UpdateLayeredWindow", s_plain, nullptr);
        HookUser32Import("UpdateLayeredWindowIndirect", s_indirect, nullptr);
        s_active = nullptr;
    }
    PresentCounter(const PresentCounter&) = delete;
    PresentCounter& operator=(const PresentCounter&) = delete;

    // False when this executable does not import UpdateLayeredWindowIndirect by name: nothing is counted.
    bool IsHooked() const { return m_hooked; }
    std::vector<Present> Presents(HWND hwnd) const {
        std::lock_guard<std::mutex> guard(m_mutex);
        std::vector<Present> mine;
        for (const Present& present : m_presents) {
            if (present.hwnd == hwnd)
                mine.push_back(present);
        }
        return mine;
    }
    int Count(HWND hwnd) const { return static_cast<int>(Presents(hwnd).size()); }
    void Clear() {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_presents.clear();
    }

private:
    using PlainFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);
    using IndirectFn = BOOL(WINAPI*)(HWND, const UPDATELAYEREDWINDOWINFO*);

    static BOOL WINAPI Plain(HWND hwnd, HDC dst, POINT* at, SIZE* size, HDC src, POINT* origin, COLORREF key,
                             BLENDFUNCTION* blend, DWORD flags) {
        Record(hwnd, nullptr);
        return reinterpret_cast<PlainFn>(s_plain)(hwnd, dst, at, size, src, origin, key, blend, flags);
    }
    static BOOL WINAPI Indirect(HWND hwnd, const UPDATELAYEREDWINDOWINFO* info) {
        Record(hwnd, info ? info->prcDirty : nullptr);
        return reinterpret_cast<IndirectFn>(s_indirect)(hwnd, info);
    }
    static void Record(HWND hwnd, const RECT* dirty) {
        if (PresentCounter* counter = s_active) {
            std::lock_guard<std::mutex> guard(counter->m_mutex);
            counter->m_presents.push_back({hwnd, dirty ? *dirty : RECT{}});
        }
    }

    static inline PresentCounter* s_active = nullptr;
    static inline void* s_plain = nullptr;
    static inline void* s_indirect = nullptr;
    mutable std::mutex m_mutex;
    std::vector<Present> m_presents;
    bool m_hooked = false;
};

} // namespace oc::test
