#pragma once
// The floor of a repaint: a composed picture of the window's size blitted into a back buffer and pushed
// into a bare layered window with UpdateLayeredWindow, the least any layered window does per frame; and the
// same for one area of it, pushed with UpdateLayeredWindowIndirect and a dirty rectangle.
#include <windows.h>

namespace oc::bench {

class BarePresent {
public:
    BarePresent(int width, int height);
    ~BarePresent();
    BarePresent(const BarePresent&) = delete;
    BarePresent& operator=(const BarePresent&) = delete;

    void Present();
    // Only the area changes: it alone is blitted and named as the dirty rectangle of the push.
    void PresentArea(const RECT& area);

private:
    struct Surface {
        HDC dc = nullptr;
        HBITMAP bitmap = nullptr;
        HGDIOBJ old = nullptr;
    };
    Surface MakeSurface() const;
    static void Free(Surface& surface);

    int m_width, m_height;
    HWND m_hwnd = nullptr;
    Surface m_back, m_composed;
};

} // namespace oc::bench
