#include "skin/SkinPanel.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "framework/DC.h"
#include "skin/LayerDialog.h"
#include "skin/SkinDraw.h"
#include "skin/SkinGraphics.h"
#include "skin/SkinObject.h"
#include "skin/IxSkinPanelListener.h"

using namespace Gdiplus;

IMPLEMENT_DYNAMIC(CxSkinPanel, CxSkinCtrl)

namespace {

// Narrows a DC's clip to a rectangle for one paint and puts the clip back afterwards.
class ClipForOnePaint {
public:
    ClipForOnePaint(CDC& dc, const RECT& rect) : m_dc(dc), m_saved(::SaveDC(dc.GetSafeHdc())) {
        m_dc.IntersectClipRect(rect);
    }
    ~ClipForOnePaint() {
        if (m_saved)
            ::RestoreDC(m_dc.GetSafeHdc(), m_saved);
    }
    ClipForOnePaint(const ClipForOnePaint&) = delete;
    ClipForOnePaint& operator=(const ClipForOnePaint&) = delete;

private:
    CDC& m_dc;
    int m_saved;
};

// Splits a total move into a number of whole-pixel steps that differ by at most one pixel and add up to
// the total exactly: the fraction left over by the even split is accumulated, and the last step takes
// whatever the others did not.
class StepSplitter {
public:
    StepSplitter(std::int64_t total, int steps)
        : m_total(total), m_quotient(total / steps),
          m_fraction(static_cast<float>(total - m_quotient * steps) / static_cast<float>(steps)) {}

    std::int64_t Next(bool last) {
        std::int64_t move = m_quotient;
        if (last) {
            move = m_total - m_moved;
        } else {
            m_accumulator += m_fraction;
            if (m_accumulator > 1.0f) {
                ++move;
                m_accumulator -= 1.0f;
            } else if (m_accumulator < -1.0f) {
                --move;
                m_accumulator += 1.0f;
            }
        }
        m_moved += move;
        return move;
    }

private:
    std::int64_t m_total;
    std::int64_t m_quotient;
    float m_fraction;
    float m_accumulator = 0.0f;
    std::int64_t m_moved = 0;
};

// Positions are not clamped, so a far-off scroll target must not wrap a rectangle around.
LONG Shifted(LONG coordinate, std::int64_t by) {
    constexpr std::int64_t low = std::numeric_limits<LONG>::min(), high = std::numeric_limits<LONG>::max();
    return static_cast<LONG>(std::clamp(std::int64_t{coordinate} + by, low, high));
}

int ShiftedInt(int coordinate, std::int64_t by) {
    constexpr std::int64_t low = std::numeric_limits<int>::min(), high = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(std::int64_t{coordinate} + by, low, high));
}

// A GDI+ view of the pixels of a layer buffer, which are premultiplied and bottom-up (seen top-down through
// a negative stride, the layout Wine's GDI+ reads correctly). Null when the buffer has no 32-bit DIB.
std::unique_ptr<Bitmap> BitmapOver(const CLayerBuffer& buffer) {
    CDC* dc = buffer.GetDC();
    HGDIOBJ selected = dc ? ::GetCurrentObject(dc->GetSafeHdc(), OBJ_BITMAP) : nullptr;
    DIBSECTION dib{};
    if (!selected || ::GetObjectW(selected, sizeof(dib), &dib) != sizeof(dib) || dib.dsBm.bmBitsPixel != 32 ||
        !dib.dsBm.bmBits)
        return nullptr;
    const int stride = dib.dsBm.bmWidthBytes;
    BYTE* bits = static_cast<BYTE*>(dib.dsBm.bmBits);
    const bool bottomUp = dib.dsBmih.biHeight > 0;
    BYTE* scan0 = bottomUp ? bits + static_cast<ptrdiff_t>(dib.dsBm.bmHeight - 1) * stride : bits;
    ::GdiFlush();
    return std::make_unique<Bitmap>(dib.dsBm.bmWidth, dib.dsBm.bmHeight, bottomUp ? -stride : stride,
                                    PixelFormat32bppPARGB, scan0);
}

} // namespace

int CxSkinPanel::Create() {
    // A panel that a load wraps as its root already stands in its tree.
    if (IsCreated())
        return TRUE;
    return CxSkinCtrl::Create();
}

BOOL CxSkinPanel::SetBackgroundImage(std::unique_ptr<Bitmap> image) {
    m_background = std::move(image);
    return TRUE;
}

void CxSkinPanel::SetScrollSize(int size, BOOL bVertical) {
    Axis(bVertical).scrollSize = std::max(size, 0);
}

void CxSkinPanel::SetPageSize(int size, BOOL bVertical) {
    if (size >= 0)
        Axis(bVertical).pageSize = size;
}

void CxSkinPanel::SetScrollPos(int position, BOOL bVertical, BOOL bAnimate) {
    // Taken as given: a handler may park the list beyond its range; the next page step clamps it.
    Axis(bVertical).position = position;
    ScrollInSteps(bAnimate ? kAnimatedSteps : 1);
}

BOOL CxSkinPanel::ScrollPageForward(BOOL bVertical) {
    if (!MoveBy(bVertical, Axis(bVertical).pageSize))
        return FALSE;
    ScrollInSteps(kAnimatedSteps);
    return TRUE;
}

BOOL CxSkinPanel::ScrollPageBack(BOOL bVertical) {
    if (!MoveBy(bVertical, -Axis(bVertical).pageSize))
        return FALSE;
    ScrollInSteps(kAnimatedSteps);
    return TRUE;
}

BOOL CxSkinPanel::MoveBy(BOOL vertical, int delta) {
    ScrollAxis& axis = Axis(vertical);
    if (axis.scrollSize == 0)
        return FALSE;
    const int beforeX = m_x.position, beforeY = m_y.position;
    const std::int64_t target = std::int64_t{axis.position} + delta;
    axis.position = static_cast<int>(std::clamp<std::int64_t>(target, 0, axis.scrollSize));
    return m_x.position != beforeX || m_y.position != beforeY;
}

void CxSkinPanel::ScrollInSteps(int steps) {
    StepSplitter x(std::int64_t{m_x.applied} - m_x.position, steps);
    StepSplitter y(std::int64_t{m_y.applied} - m_y.position, steps);
    // Each step repaints and presents before the next: the steps are the animation.
    for (int k = 0; k < steps; ++k) {
        const bool last = k == steps - 1;
        MoveChildControls(x.Next(last), y.Next(last));
        Redraw(FALSE);
        InvalidateAnimatedLayers();
    }
    m_x.applied = m_x.position;
    m_y.applied = m_y.position;
    Redraw(FALSE);
    // The pointer stands still while the content moves under it: its hover moves to what is there now.
    CLayerWnd* root = GetRootLayer();
    if (root && root->IsKindOf(RUNTIME_CLASS(CLayerDialog)))
        static_cast<CLayerDialog*>(root)->RefreshHover();
}

void CxSkinPanel::MoveChildControls(std::int64_t dx, std::int64_t dy) {
    if (dx == 0 && dy == 0)
        return;
    for (int i = 0; i < GetChildCount(); ++i) {
        CLayerWnd* child = GetChild(i);
        if (!child->IsKindOf(RUNTIME_CLASS(CxSkinCtrl)))
            continue; // a bare layer is no part of the scrolled content
        auto* control = static_cast<CxSkinCtrl*>(child);
        const RECT rect = control->GetRect();
        control->SetRect(
            {Shifted(rect.left, dx), Shifted(rect.top, dy), Shifted(rect.right, dx), Shifted(rect.bottom, dy)}, FALSE);
        // A transformed control paints at its design rectangle: it moves along, or the picture would stay
        // behind where the control is hit.
        const RECT design = control->GetDesignRect();
        control->SetLeft(ShiftedInt(design.left, dx));
        control->SetTop(ShiftedInt(design.top, dy));
    }
}

void CxSkinPanel::InvalidateAnimatedLayers() const {
    CLayerWnd* root = GetRootLayer();
    if (!root)
        return;
    std::vector<CLayerWnd*> layers;
    root->CollectChildren(layers);
    for (CLayerWnd* layer : layers)
        layer->Invalidate(FALSE);
}

void CxSkinPanel::NotifyListener(BOOL vertical, int position) const {
    if (auto* listener = dynamic_cast<IxSkinPanelListener*>(FindListener()))
        listener->OnPanelNotify(vertical, position);
}

void CxSkinPanel::OnLButtonDown(UINT flags, POINT point) {
    CLayerWnd::OnLButtonDown(flags, point);
}

void CxSkinPanel::OnRButtonDown(UINT flags, POINT point) {
    CLayerWnd::OnRButtonDown(flags, point);
}

BOOL CxSkinPanel::OnMouseWheel(UINT flags, short delta, POINT point) {
    if (!IsVisible() || !IsEnabled(TRUE))
        return FALSE;
    if (CLayerWnd::OnMouseWheel(flags, delta, point))
        return TRUE;
    const RECT area = GetRectInHost();
    if (!::PtInRect(&area, point))
        return FALSE;
    // A turn towards the user (negative delta) pages on; vertical scrolling goes first.
    if (MoveBy(TRUE, delta < 0 ? m_y.pageSize : -m_y.pageSize)) {
        ScrollInSteps(kAnimatedSteps);
        NotifyListener(TRUE, m_y.position);
        return TRUE;
    }
    if (MoveBy(FALSE, delta >= 0 ? -m_x.pageSize : m_x.pageSize)) {
        ScrollInSteps(kAnimatedSteps);
        NotifyListener(FALSE, m_x.position);
        return TRUE;
    }
    return FALSE;
}

void CxSkinPanel::CaptureBackground(CDC* dc) {
    if (!m_background)
        return;
    CxSkinCtrl::CaptureBackground(dc);
    CDC* snapshot = m_snapshot.GetDC();
    if (!snapshot)
        return;
    CxSkinGraphics graphics(snapshot->GetSafeHdc());
    ApplyTransform(*graphics);
    xSkinDrawImageStretched(*graphics, m_background.get(), Rect(0, 0, m_snapshot.GetWidth(), m_snapshot.GetHeight()),
                            GetBackgroundStretchMode(), GetTransparency(), false);
}

void CxSkinPanel::DrawChildren(CDC* dc, const RECT* clip) {
    if (!dc)
        return;
    const RECT area = GetClientRect();
    const bool faded = IsAnimationRunning() && GetFade() >= 1;
    if (IsTransformed() || faded) {
        DrawComposed(dc, area.right, area.bottom);
        return;
    }
    // Drawn in place, clipped to the panel: a fresh buffer of the panel's size for every paint costs its
    // memory again each time, and only a panel put back transformed or faded needs one.
    const ClipForOnePaint clipped(*dc, area);
    DrawBackground(dc, area.right, area.bottom);
    // Only the children the panel shows are drawn: a strip of hundreds of cards, scrolled, shows a few, and
    // each card drawn outside would cost its picture and caption for nothing.
    RECT shown = GetRectInHost();
    if (clip && !::IntersectRect(&shown, &shown, clip))
        return;
    CLayerWnd::DrawChildren(dc, &shown);
}

// The panel composed off-screen on what lies beneath it, so that it can be put back transformed or faded as
// a whole.
void CxSkinPanel::DrawComposed(CDC* dc, int width, int height) {
    CLayerBuffer composed;
    if (!composed.Create(*dc, width, height))
        return;
    CDC* memory = composed.GetDC();
    memory->BitBlt(0, 0, width, height, *dc, 0, 0, SRCCOPY);
    DrawBackground(memory, width, height);
    // All of it: put back transformed, any part of the panel may land in the area being repainted.
    CLayerWnd::DrawChildren(memory, nullptr);
    PresentTransformed(dc, composed);
}

// The snapshot taken for an animation, or else the background picture.
void CxSkinPanel::DrawBackground(CDC* dc, int width, int height) {
    if (CDC* snapshot = m_snapshot.GetDC()) {
        dc->BitBlt(0, 0, std::min(width, m_snapshot.GetWidth()), std::min(height, m_snapshot.GetHeight()), *snapshot, 0,
                   0, SRCCOPY);
    } else if (m_background) {
        CxSkinGraphics graphics(dc->GetSafeHdc());
        xSkinDrawImageStretched(*graphics, m_background.get(), Rect(0, 0, width, height), GetBackgroundStretchMode(),
                                GetTransparency(), false);
    }
}

void CxSkinPanel::PresentTransformed(CDC* dc, const CLayerBuffer& composed) const {
    std::unique_ptr<Bitmap> picture = BitmapOver(composed);
    if (!picture)
        return;
    int transparency = GetTransparency();
    if (IsAnimationRunning() && GetFade() > 0)
        transparency = (100 - transparency) * GetFade() / 100;
    CxSkinGraphics graphics(dc->GetSafeHdc());
    ApplyTransform(*graphics);
    xSkinDrawImage(*graphics, picture.get(), Rect(0, 0, composed.GetWidth(), composed.GetHeight()), transparency, false,
                   false, 0, 0);
}
