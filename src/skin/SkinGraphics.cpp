#include "skin/SkinGraphics.h"

#include <map>
#include <type_traits>

#include "skin/Lock.h"

using namespace Gdiplus;

namespace {

struct RegionDeleter {
    void operator()(HRGN region) const { DeleteObject(region); }
};
using UniqueRegion = std::unique_ptr<std::remove_pointer_t<HRGN>, RegionDeleter>;

// The DIB's pixels as GDI+ premultiplied ARGB; a bottom-up DIB is seen top-down through a negative stride
// from its last row.
std::unique_ptr<Bitmap> BitmapOver(const DIBSECTION& dib) {
    const int width = dib.dsBm.bmWidth, height = dib.dsBm.bmHeight;
    const int stride = dib.dsBm.bmWidthBytes;
    BYTE* bits = static_cast<BYTE*>(dib.dsBm.bmBits);
    const bool bottomUp = dib.dsBmih.biHeight > 0;
    BYTE* scan0 = bottomUp ? bits + static_cast<ptrdiff_t>(height - 1) * stride : bits;
    return std::make_unique<Bitmap>(width, height, bottomUp ? -stride : stride, PixelFormat32bppPARGB, scan0);
}

// The surfaces that hold a DIB, by DIB, under a lock: controls may paint off the UI thread in tests. Never
// destroyed, as a surface of a window that outlives the statics may still let go of its DIB.
struct SurfaceTable {
    CxLock lock;
    std::map<HBITMAP, std::unique_ptr<Bitmap>*> surfaces;
};
SurfaceTable& Table() {
    static SurfaceTable* table = new SurfaceTable;
    return *table;
}

} // namespace

void CxSkinSurface::Attach(HBITMAP dib) {
    Reset();
    if (!dib)
        return;
    CxLockGuard hold(Table().lock);
    m_dib = dib;
    Table().surfaces[dib] = &m_bitmap;
}

void CxSkinSurface::Reset() {
    CxLockGuard hold(Table().lock);
    // A DIB made since under the same handle may have a surface of its own by now.
    if (const auto found = Table().surfaces.find(m_dib); found != Table().surfaces.end() && found->second == &m_bitmap)
        Table().surfaces.erase(found);
    m_dib = nullptr;
    m_bitmap.reset();
}

Bitmap* CxSkinSurface::Find(HBITMAP dib, const DIBSECTION& info) {
    CxLockGuard hold(Table().lock);
    const auto found = Table().surfaces.find(dib);
    if (found == Table().surfaces.end())
        return nullptr;
    std::unique_ptr<Bitmap>& bitmap = *found->second;
    if (!bitmap)
        bitmap = BitmapOver(info);
    return bitmap->GetLastStatus() == Ok ? bitmap.get() : nullptr;
}

CxSkinGraphics::CxSkinGraphics(HDC dc) {
    DIBSECTION dib{};
    HGDIOBJ selected = dc ? GetCurrentObject(dc, OBJ_BITMAP) : nullptr;
    if (selected && GetObjectW(selected, sizeof(dib), &dib) == sizeof(dib) && dib.dsBm.bmBitsPixel == 32 &&
        dib.dsBm.bmBits) {
        GdiFlush(); // GDI's pending writes land before GDI+ touches the bits
        m_surface = CxSkinSurface::Find(static_cast<HBITMAP>(selected), dib);
        if (!m_surface) {
            m_ownSurface = BitmapOver(dib);
            m_surface = m_ownSurface.get();
        }
        m_graphics = std::make_unique<Graphics>(m_surface);
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
    m_ownSurface.reset();
}
