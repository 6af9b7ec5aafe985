#pragma once
// A GDI+ Graphics for painting into a device context. When a 32-bit DIB section is selected into the DC
// (the host's back buffer, a layer buffer), GDI+ draws straight into its bits as premultiplied ARGB, so
// per-pixel alpha survives; a Graphics on the HDC itself would treat the surface as opaque RGB. The DC's
// viewport origin becomes a translation and its clip region the clip. Any other DC gets a plain Graphics.
// The toolkit's surfaces are bottom-up DIBs, seen top-down through a negative stride: Wine's GDI+ mirrors
// some unscaled and scaled draws into positive-stride user bitmaps, but handles this layout everywhere.

#include <windows.h>
#include <gdiplus.h>

#include <memory>

// The GDI+ bitmap over the bits of one 32-bit DIB section, kept while its owner keeps the DIB: every control
// of a repaint paints the back buffer through a CxSkinGraphics of its own, and GDI+ asks the window system for
// the screen's resolution each time it makes a bitmap, which costs more than many a control's painting. The
// owner attaches its DIB after making it and resets before deleting it; the bitmap is made at the first paint.
class CxSkinSurface {
public:
    CxSkinSurface() = default;
    ~CxSkinSurface() { Reset(); }
    CxSkinSurface(const CxSkinSurface&) = delete;
    CxSkinSurface& operator=(const CxSkinSurface&) = delete;

    void Attach(HBITMAP dib);
    void Reset();

    // The kept bitmap of the DIB (made now if need be); null when no surface holds the DIB.
    static Gdiplus::Bitmap* Find(HBITMAP dib, const DIBSECTION& info);

private:
    HBITMAP m_dib = nullptr;
    std::unique_ptr<Gdiplus::Bitmap> m_bitmap;
};

class CxSkinGraphics {
public:
    explicit CxSkinGraphics(HDC dc);
    ~CxSkinGraphics();
    CxSkinGraphics(const CxSkinGraphics&) = delete;
    CxSkinGraphics& operator=(const CxSkinGraphics&) = delete;

    Gdiplus::Graphics& operator*() { return *m_graphics; }
    Gdiplus::Graphics* operator->() { return m_graphics.get(); }
    Gdiplus::Graphics* Get() { return m_graphics.get(); }
    // True when drawing goes into DIB bits with alpha.
    bool HasAlpha() const { return m_surface != nullptr; }

private:
    void ClipToDC(HDC dc);

    Gdiplus::Bitmap* m_surface = nullptr;
    std::unique_ptr<Gdiplus::Bitmap> m_ownSurface; // for a DIB that no CxSkinSurface holds; outlives m_graphics
    std::unique_ptr<Gdiplus::Graphics> m_graphics;
};
