#include "skin/SkinGraphics.h"

#include <type_traits>

using namespace Gdiplus;

namespace {

struct RegionDeleter {
    void operator()(HRGN region) const { DeleteObject(region); }
};
using UniqueRegion = std::unique_ptr<std::remove_pointer_t<HRGN>, RegionDeleter>;

} // namespace

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
        ClipToDC(dc);
        POINT origin{};
        GetViewportOrgEx(dc, &origin);
        m_graphics->TranslateTransform(static_cast<REAL>(origin.x), static_cast<REAL>(origin.y));
    } else {
        m_graphics = std::make_unique<Graphics>(dc);
    }
}

// The DC's clip region, taken before the viewport translation: both are in device pixels. A clip that
// is there but empty (a layer scrolled wholly out of its panel) lets nothing through, as it does for GDI.
void CxSkinGraphics::ClipToDC(HDC dc) {
    const UniqueRegion clip(CreateRectRgn(0, 0, 0, 0));
    if (!clip || GetClipRgn(dc, clip.get()) != 1)
        return; // no clip: the whole surface
    RECT box;
    switch (GetRgnBox(clip.get(), &box)) {
    case SIMPLEREGION:
        m_graphics->SetClip(Rect(box.left, box.top, box.right - box.left, box.bottom - box.top));
        break;
    case COMPLEXREGION: {
        const Region region(clip.get());
        m_graphics->SetClip(&region);
        break;
    }
    default: {
        Region nothing;
        nothing.MakeEmpty();
        m_graphics->SetClip(&nothing);
        break;
    }
    }
}

CxSkinGraphics::~CxSkinGraphics() {
    if (m_graphics)
        m_graphics->Flush(FlushIntentionSync);
    m_graphics.reset();
    m_surface.reset();
}
