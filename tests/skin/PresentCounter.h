#pragma once
// Counts the presents of layered windows while it lives: this executable's imports of
// UpdateLayeredWindow and UpdateLayeredWindowIndirect are pointed at recorders that pass each call on.
// Every present is logged with its window and dirty rectangle (empty for the whole surface).

#include <windows.h>

#include <cstring>
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
        Hook("UpdateLayeredWindow", reinterpret_cast<void*>(&Plain), &s_plain);
        m_hooked = Hook("UpdateLayeredWindowIndirect", reinterpret_cast<void*>(&Indirect), &s_indirect);
    }
    ~PresentCounter() {
        Hook("UpdateLayeredWindow", s_plain, nullptr);
        Hook("UpdateLayeredWindowIndirect", s_indirect, nullptr);
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

    // Points this executable's import of user32's `function` at `replacement`; the old target goes to
    // `original` when asked for.
    static bool Hook(const char* function, void* replacement, void** original) {
        if (!replacement)
            return false;
        auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
             ++entry) {
            if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), "user32.dll") != 0)
                continue;
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                    continue;
                const auto* named = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(named->Name), function) != 0)
                    continue;
                DWORD protection = 0;
                ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &protection);
                if (original)
                    *original = reinterpret_cast<void*>(slots->u1.Function);
                slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
                ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection, &protection);
                return true;
            }
        }
        return false;
    }

    static inline PresentCounter* s_active = nullptr;
    static inline void* s_plain = nullptr;
    static inline void* s_indirect = nullptr;
    mutable std::mutex m_mutex;
    std::vector<Present> m_presents;
    bool m_hooked = false;
};

} // namespace oc::test
