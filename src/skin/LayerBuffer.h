#pragma once
// An off-screen 32-bit surface with its own DC: the composed window background that each repaint copies
// from, and a control's snapshot of what lies beneath it. Alpha is kept, so copies are exact.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/Bitmap.h"
#include "framework/DC.h"
#include "skin/SkinGraphics.h"

class CLayerBuffer {
public:
    CLayerBuffer() = default;
    ~CLayerBuffer() { Release(); }
    CLayerBuffer(const CLayerBuffer&) = delete;
    CLayerBuffer& operator=(const CLayerBuffer&) = delete;

    // Replaces any previous buffer; a null DC or an empty size makes none and answers FALSE.
    BOOL Create(HDC dc, int width, int height);
    CDC* GetDC() const { return m_dc.get(); }
    // The pixels, bottom-up rows, premultiplied ARGB; null without a buffer.
    uint32_t* GetBits() const { return m_bits; }
    void Release();

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    // The premultiplied ARGB pixel at (x, y) from the top-left; 0 outside the buffer.
    uint32_t GetPixel(int x, int y) const;

private:
    // Declared before the DC, so the DC (which selects the bitmap back out) goes first.
    std::unique_ptr<CBitmap> m_bitmap;
    // Lets go of the bitmap's pixels before the bitmap goes.
    CxSkinSurface m_surface;
    std::unique_ptr<CDC> m_dc;
    uint32_t* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
};
