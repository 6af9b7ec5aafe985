#pragma once
// Shared by the toolkit's window tests: GDI+ for the whole run, images made at run time, a 32-bit surface
// to draw on and read back, and a plain host window.

#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <filesystem>
#include <memory>

#include "framework/Wnd.h"
#include "skin/LayerBuffer.h"

namespace oc::test {

inline int Alpha(uint32_t argb) {
    return static_cast<int>(argb >> 24);
}
inline int Red(uint32_t argb) {
    return static_cast<int>((argb >> 16) & 0xFF);
}
inline int Green(uint32_t argb) {
    return static_cast<int>((argb >> 8) & 0xFF);
}
inline int Blue(uint32_t argb) {
    return static_cast<int>(argb & 0xFF);
}

// A w x h ARGB image filled with one colour.
std::unique_ptr<Gdiplus::Bitmap> SolidImage(int width, int height, Gdiplus::ARGB color);
// Vertical bands of equal width, one per colour.
std::unique_ptr<Gdiplus::Bitmap> BandedImage(int bandWidth, int height, std::initializer_list<Gdiplus::ARGB> colors);
// Writes the image as a PNG file.
bool SavePng(Gdiplus::Bitmap& image, const std::filesystem::path& file);

// A transparent 32-bit surface read back top-down.
class Surface {
public:
    Surface(int width, int height);
    HDC Dc() const { return m_buffer.GetDC()->GetSafeHdc(); }
    uint32_t At(int x, int y) const;

private:
    CLayerBuffer m_buffer;
};

// A top-level popup window whose messages a test may watch.
class TestWindow : public CWnd {
public:
    explicit TestWindow(HWND parent = nullptr, int x = 0, int y = 0, int width = 300, int height = 200);
    ~TestWindow() override;
};

} // namespace oc::test
