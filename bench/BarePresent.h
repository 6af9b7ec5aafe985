#pragma once
// The floor of a repaint: a composed picture of the window's size blitted into a back buffer and pushed
// into a bare layered window with UpdateLayeredWindow, the least any layered window does per frame.
#include <windows.h>

namespace oc::bench {

class BarePresent {
public:
    BarePresent(int width, int height);
    ~BarePresent();
    BarePresent(const BarePresent&) = delete;
    BarePresent& operator=(const BarePresent&) = delete;

    void Present();

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
