#include "PresentCounter.h"

#include "ImportHook.h"

#include <atomic>

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

} // namespace

bool PresentCounter::Install() {
    const bool plain = oc::test::HookUser32Import("UpdateLayeredWindow", reinterpret_cast<void*>(&CountingUpdate),
                                  reinterpret_cast<void**>(&g_update));
    const bool indirect =
        oc::test::HookUser32Import("UpdateLayeredWindowIndirect", reinterpret_cast<void*>(&CountingUpdateIndirect),
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
