#include "PresentCounter.h"

#include <atomic>
#include <cstring>

namespace oc::bench {

namespace {

using UpdateLayeredWindowFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);
using UpdateLayeredWindowIndirectFn = BOOL(WINAPI*)(HWND, const UPDATELAYEREDWINDOWINFO*);

UpdateLayeredWindowFn g_update = nullptr;
UpdateLayeredWindowIndirectFn g_updateIndirect = nullptr;
std::atomic<int> g_presents{0};
std::atomic<long long> g_pixels{0};

long long Area(const SIZE* size, const RECT* dirty) {
    if (dirty)
        return static_cast<long long>(dirty->right - dirty->left) * (dirty->bottom - dirty->top);
    return size ? static_cast<long long>(size->cx) * size->cy : 0;
}

long long WindowArea(HWND hwnd) {
    RECT rect{};
    ::GetWindowRect(hwnd, &rect);
    return static_cast<long long>(rect.right - rect.left) * (rect.bottom - rect.top);
}

BOOL WINAPI CountingUpdate(HWND hwnd, HDC screen, POINT* position, SIZE* size, HDC source, POINT* origin, COLORREF key,
                           BLENDFUNCTION* blend, DWORD flags) {
    ++g_presents;
    if (source) // without a source the call only moves the window
        g_pixels += size ? Area(size, nullptr) : WindowArea(hwnd);
    return g_update(hwnd, screen, position, size, source, origin, key, blend, flags);
}

BOOL WINAPI CountingUpdateIndirect(HWND hwnd, const UPDATELAYEREDWINDOWINFO* info) {
    ++g_presents;
    if (info && info->hdcSrc)
        g_pixels += info->psize || info->prcDirty ? Area(info->psize, info->prcDirty) : WindowArea(hwnd);
    return g_updateIndirect(hwnd, info);
}

// Points this executable's import of `function` from `dll` at `replacement`; the original goes to `original`.
bool HookImport(const char* dll, const char* function, void* replacement, void** original) {
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
         ++entry) {
        if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), dll) != 0)
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
            *original = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection, &protection);
            return true;
        }
    }
    return false;
}

} // namespace

bool PresentCounter::Install() {
    const bool plain = HookImport("user32.dll", "UpdateLayeredWindow", reinterpret_cast<void*>(&CountingUpdate),
                                  reinterpret_cast<void**>(&g_update));
    const bool indirect =
        HookImport("user32.dll", "UpdateLayeredWindowIndirect", reinterpret_cast<void*>(&CountingUpdateIndirect),
                   reinterpret_cast<void**>(&g_updateIndirect));
    return plain || indirect;
}

int PresentCounter::Presents() {
    return g_presents;
}

double PresentCounter::Pixels() {
    return static_cast<double>(g_pixels.load());
}

} // namespace oc::bench
