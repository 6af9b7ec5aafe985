#include "BarePresent.h"

namespace oc::bench {

BarePresent::BarePresent(int width, int height) : m_width(width), m_height(height) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"OvercoatBenchBarePresent";
    ::RegisterClassExW(&windowClass);
    m_hwnd = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, width,
                               height, nullptr, nullptr, windowClass.hInstance, nullptr);
    m_back = MakeSurface();
    m_composed = MakeSurface();
    ::PatBlt(m_composed.dc, 0, 0, width, height, WHITENESS);
    ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
}

BarePresent::~BarePresent() {
    Free(m_back);
    Free(m_composed);
    ::DestroyWindow(m_hwnd);
}

void BarePresent::Present() {
    ::BitBlt(m_back.dc, 0, 0, m_width, m_height, m_composed.dc, 0, 0, SRCCOPY);
    ::GdiFlush();
    POINT position{0, 0}, origin{0, 0};
    SIZE size{m_width, m_height};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    HDC screen = ::GetDC(nullptr);
    ::UpdateLayeredWindow(m_hwnd, screen, &position, &size, m_back.dc, &origin, 0, &blend, ULW_ALPHA);
    ::ReleaseDC(nullptr, screen);
}

void BarePresent::PresentArea(const RECT& area) {
    ::BitBlt(m_back.dc, area.left, area.top, area.right - area.left, area.bottom - area.top, m_composed.dc, area.left,
             area.top, SRCCOPY);
    ::GdiFlush();
    POINT position{0, 0}, origin{0, 0};
    SIZE size{m_width, m_height};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UPDATELAYEREDWINDOWINFO info{};
    info.cbSize = sizeof(info);
    info.pptDst = &position;
    info.psize = &size;
    info.hdcSrc = m_back.dc;
    info.pptSrc = &origin;
    info.pblend = &blend;
    info.dwFlags = ULW_ALPHA;
    info.prcDirty = &area;
    ::UpdateLayeredWindowIndirect(m_hwnd, &info);
}

BarePresent::Surface BarePresent::MakeSurface() const {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = m_width;
    info.bmiHeader.biHeight = m_height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    Surface surface;
    void* bits = nullptr;
    surface.dc = ::CreateCompatibleDC(nullptr);
    surface.bitmap = ::CreateDIBSection(surface.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    surface.old = ::SelectObject(surface.dc, surface.bitmap);
    return surface;
}

void BarePresent::Free(Surface& surface) {
    ::SelectObject(surface.dc, surface.old);
    ::DeleteObject(surface.bitmap);
    ::DeleteDC(surface.dc);
}

} // namespace oc::bench
