#include "skin/SkinGraphics.h"

using namespace Gdiplus;

CxSkinGraphics::CxSkinGraphics(HDC dc) {
    DIBSECTION dib{};
    HGDIOBJ selected = dc ? GetCurrentObject(dc, OBJ_BITMAP) : nullptr;
    if (selected && GetObjectW(selected, sizeof(dib), &dib) == sizeof(dib) && dib.dsBm.bmBitsPixel == 32 &&
        dib.dsBm.bmBits) {
        const int width = dib.dsBm.bmWidth, height = dib.dsBm.bmHeight;
        const int stride = dib.dsBm.bmWidthBytes;
        BYTE* bits = static_cast<BYTE*>(dib.dsBm.bmBits);
        // A bottom-up DIB is seen top-down through a negative stride from its last row.
        const bool bottomUp = dib.dsBmih.biHeight > 0;
        BYTE* scan0 = bottomUp ? bits + static_cast<ptrdiff_t>(height - 1) * stride : bits;
        GdiFlush(); // GDI's pending writes land before GDI+ touches the bits
        m_surface = std::make_unique<Bitmap>(width, height, bottomUp ? -stride : stride, PixelFormat32bppPARGB, scan0);
        m_graphics = std::make_unique<Graphics>(m_surface.get());
        HRGN clip = CreateRectRgn(0, 0, 0, 0);
        RECT box;
        if (GetClipRgn(dc, clip) == 1 && GetRgnBox(clip, &box) != NULLREGION)
            m_graphics->SetClip(Rect(box.left, box.top, box.right - box.left, box.bottom - box.top));
        DeleteObject(clip);
        POINT origin{};
        GetViewportOrgEx(dc, &origin);
        m_graphics->TranslateTransform(static_cast<REAL>(origin.x), static_cast<REAL>(origin.y));
    } else {
        m_graphics = std::make_unique<Graphics>(dc);
    }
}

CxSkinGraphics::~CxSkinGraphics() {
    if (m_graphics)
        m_graphics->Flush(FlushIntentionSync);
    m_graphics.reset();
    m_surface.reset();
}
