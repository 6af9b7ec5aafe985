#include "skin/LayerDialog.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "framework/Wnd.h"
#include "skin/SkinDraw.h"
#include "skin/SkinImageCache.h"
#include "skin/SystemCursor.h"

using namespace Gdiplus;

IMPLEMENT_DYNAMIC(CLayerDialog, CLayerWnd)

namespace {
constexpr ARGB kPlainBackground = 0xFF808080;
// How many times a queued present may step back behind other queued messages before it runs anyway.
constexpr int kMaxDeferrals = 8;
} // namespace

CLayerDialog::~CLayerDialog() {
    // The layers go while the dialog is still whole, so they can still reach its tooltip and pointers.
    DestroyChildren();
    m_hovered = nullptr;
}

BOOL CLayerDialog::Attach(CWnd* window) {
    if (!window || !window->GetSafeHwnd())
        return FALSE;
    SetHost(window);
    window->ModifyStyleEx(0, WS_EX_LAYERED);
    HDC windowDC = window->GetDC();
    const BOOL created = m_memDC.CreateCompatibleDC(windowDC);
    window->ReleaseDC(windowDC);
    if (created)
        m_memDC.SetBkMode(TRANSPARENT);
    return created;
}

void CLayerDialog::CreateBackBuffer(int width, int height) {
    m_memDC.RestoreObjects();
    m_backSurface.Reset();
    m_backBitmap.DeleteObject();
    m_backBits = nullptr;
    if (!m_memDC.GetSafeHdc() || width < 1 || height < 1)
        return;
    m_header = {};
    m_header.biSize = sizeof(m_header);
    m_header.biWidth = width;
    m_header.biHeight = height;
    m_header.biPlanes = 1;
    m_header.biBitCount = 32;
    m_header.biCompression = BI_RGB;
    BITMAPINFO info{};
    info.bmiHeader = m_header;
    void* bits = nullptr;
    if (!m_backBitmap.CreateDIBSection(m_memDC, info, &bits))
        return;
    m_backBits = static_cast<uint32_t*>(bits);
    m_backSurface.Attach(m_backBitmap);
    m_memDC.SelectObject(m_backBitmap);
    m_pushAll = true;
}

void CLayerDialog::SetBackgroundImage(const wchar_t* path) {
    if (!path || !*path)
        return;
    m_backgroundImage = xSkinLoadBitmap(path);
}

void CLayerDialog::SetBackground(int width, int height, const GraphicsPath* outline, int borderWidth,
                                 ARGB borderColor) {
    if (m_backgroundImage) {
        if (width == 0)
            width = static_cast<int>(m_backgroundImage->GetWidth());
        if (height == 0)
            height = static_cast<int>(m_backgroundImage->GetHeight());
    }
    if (width < 1 || height < 1)
        return; // no surface to compose; the current one stays
    m_width = width;
    m_height = height;
    m_backgroundRuns.Release();
    m_backgroundCopy.Release();
    CreateBackBuffer(width, height);
    // Composed once, straight into the back buffer, and kept aside for the repaints that restore it. One
    // surface of the window's size is enough when the picture shrinks to runs, as a skin's flat areas and
    // gradients do; a photograph keeps a copy.
    ComposeBackground(m_backBits, outline, borderWidth, borderColor);
    if (m_backBits && !m_backgroundRuns.Keep(m_backBits, width, height) &&
        m_backgroundCopy.Create(m_memDC, width, height))
        std::memcpy(m_backgroundCopy.GetBits(), m_backBits, SurfaceBytes());
    // The new back buffer holds the background alone: the layers go back on at the next present.
    MarkPending(nullptr);
    PlaceWindow(width, height);
}

size_t CLayerDialog::GetBackgroundBytes() const {
    return m_backgroundCopy.GetBits() ? SurfaceBytes() : m_backgroundRuns.GetBytes();
}

size_t CLayerDialog::SurfaceBytes() const {
    return static_cast<size_t>(m_width) * static_cast<size_t>(m_height) * sizeof(uint32_t);
}

void CLayerDialog::ComposeBackground(uint32_t* bits, const GraphicsPath* outline, int borderWidth, ARGB borderColor) {
    if (!bits)
        return;
    GdiFlush();
    const bool copied = CopyBackgroundImage(bits, outline);
    const bool border = m_backgroundImage && borderWidth >= 1 && outline;
    if (copied && !border)
        return;
    // GDI+ draws straight into the bottom-up rows: the first row it sees is the last one in memory.
    Bitmap surface(m_width, m_height, -m_width * static_cast<INT>(sizeof(uint32_t)), PixelFormat32bppPARGB,
                   reinterpret_cast<BYTE*>(bits + static_cast<size_t>(m_height - 1) * static_cast<size_t>(m_width)));
    if (surface.GetLastStatus() != Ok)
        return;
    Graphics g(&surface);
    if (!m_backgroundImage) {
        g.Clear(Color(kPlainBackground));
        return;
    }
    g.SetInterpolationMode(InterpolationModeHighQualityBicubic);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    if (!copied) {
        g.Clear(Color(0));
        // Outside the outline the surface stays fully transparent.
        if (outline)
            g.SetClip(outline, CombineModeReplace);
        xSkinDrawImageStretched(g, m_backgroundImage.get(), Rect(0, 0, m_width, m_height), GetBackgroundStretchMode(),
                                0, false);
    }
    if (border) {
        g.ResetClip();
        Pen pen(Color(borderColor), static_cast<REAL>(borderWidth));
        g.DrawPath(&pen, outline);
    }
}

namespace {

// Clears every pixel of the bottom-up rows outside the kept rectangles: GDI+'s scans of a region, bands of
// rows each split into runs from left to right.
void ClearOutside(uint32_t* bits, int width, int height, const std::vector<Rect>& kept) {
    std::vector<std::pair<int, int>> runs;
    for (int y = 0; y < height; ++y) {
        runs.clear();
        for (const Rect& rect : kept) {
            if (rect.Y <= y && y < rect.Y + rect.Height)
                runs.emplace_back(std::max(rect.X, 0), std::min(rect.X + rect.Width, width));
        }
        std::sort(runs.begin(), runs.end());
        uint32_t* row = bits + static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width);
        int x = 0;
        for (const auto& [left, right] : runs) {
            if (left > x)
                std::fill(row + x, row + left, 0u);
            x = std::max(x, right);
        }
        if (x < width)
            std::fill(row + x, row + width, 0u);
    }
}

} // namespace

// A picture of the surface's own size is copied rather than drawn through GDI+ with the outline as its clip,
// which costs many times more; the rectangles kept are the ones GDI+ fills when it clips to the outline, and
// the rest is cleared. A picture not drawn yet is decoded straight into the rows, so the window's largest
// picture never takes memory of its own.
bool CLayerDialog::CopyBackgroundImage(uint32_t* bits, const GraphicsPath* outline) {
    Bitmap* image = m_backgroundImage.get();
    if (!image || static_cast<int>(image->GetWidth()) != m_width || static_cast<int>(image->GetHeight()) != m_height)
        return false;
    std::vector<Rect> kept{Rect(0, 0, m_width, m_height)};
    if (outline) {
        const Region region(outline);
        const Matrix identity;
        kept.resize(region.GetRegionScansCount(&identity));
        INT count = static_cast<INT>(kept.size());
        if (!kept.empty() && region.GetRegionScans(&identity, kept.data(), &count) != Ok)
            return false;
        kept.resize(static_cast<size_t>(std::max(count, 0)));
    }
    const INT stride = m_width * static_cast<INT>(sizeof(uint32_t));
    auto* top = reinterpret_cast<BYTE*>(bits + static_cast<size_t>(m_height - 1) * static_cast<size_t>(m_width));
    if (!CxSkinImageCache::CopyPremultiplied(image, top, -stride) && !CopyDrawnPicture(bits))
        return false;
    ClearOutside(bits, m_width, m_height, kept);
    return true;
}

// The picture's pixels, premultiplied by GDI+'s own conversion, into the bottom-up rows.
bool CLayerDialog::CopyDrawnPicture(uint32_t* bits) {
    Bitmap* image = m_backgroundImage.get();
    xSkinPrepareImage(image);
    Rect all(0, 0, m_width, m_height);
    BitmapData data{};
    if (image->LockBits(&all, ImageLockModeRead, PixelFormat32bppPARGB, &data) != Ok)
        return false;
    for (int y = 0; y < m_height; ++y) {
        const auto* row = static_cast<const BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
        std::memcpy(bits + static_cast<size_t>(m_height - 1 - y) * static_cast<size_t>(m_width), row,
                    static_cast<size_t>(m_width) * sizeof(uint32_t));
    }
    image->UnlockBits(&data);
    return true;
}

void CLayerDialog::PlaceWindow(int width, int height) {
    CWnd* host = GetHostDialog();
    POINT centre{GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2};
    if (host && host->GetSafeHwnd()) {
        if (HWND parent = host->GetParent()) {
            RECT r;
            ::GetWindowRect(parent, &r);
            centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        }
    }
    const RECT placed{centre.x - width / 2, centre.y - height / 2, centre.x - width / 2 + width,
                      centre.y - height / 2 + height};
    m_rect = placed;
    if (host && host->GetSafeHwnd())
        host->MoveWindow(placed, FALSE);
}

BYTE CLayerDialog::ConstantAlpha(int transparency) {
    return static_cast<BYTE>((100 - std::clamp(transparency, 0, 100)) * 255 / 100);
}

HWND CLayerDialog::HostWindow() const {
    CWnd* host = GetHostDialog();
    return host ? host->GetSafeHwnd() : nullptr;
}

bool CLayerDialog::IsShowing(HWND hwnd) {
    return ::IsWindowVisible(hwnd) && !::IsIconic(hwnd);
}

void CLayerDialog::Push(const RECT& area) {
    const HWND hwnd = HostWindow();
    if (!hwnd || !m_backBits)
        return;
    RECT window;
    ::GetWindowRect(hwnd, &window);
    const RECT all = SurfaceRect();
    const BYTE alpha = ConstantAlpha(m_transparency);
    // Only the area is pushed while the screen's copy matches the back buffer everywhere else.
    const bool whole = m_pushAll || alpha != m_pushedAlpha || window.right - window.left != m_width ||
                       window.bottom - window.top != m_height;
    RECT dirty{};
    if (!whole && !::IntersectRect(&dirty, &area, &all))
        return;
    GdiFlush();
    POINT position{window.left, window.top}, origin{0, 0};
    SIZE size{m_width, m_height};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    UPDATELAYEREDWINDOWINFO info{};
    info.cbSize = sizeof(info);
    info.pptDst = &position;
    info.psize = &size;
    info.hdcSrc = m_memDC;
    info.pptSrc = &origin;
    info.pblend = &blend;
    info.dwFlags = ULW_ALPHA;
    info.prcDirty = whole ? nullptr : &dirty;
    BOOL pushed = ::UpdateLayeredWindowIndirect(hwnd, &info);
    if (!pushed && info.prcDirty) {
        // Refused with a dirty rectangle: the whole surface then.
        info.prcDirty = nullptr;
        pushed = ::UpdateLayeredWindowIndirect(hwnd, &info);
    }
    if (pushed) {
        m_pushAll = false;
        m_pushedAlpha = alpha;
    }
}

void CLayerDialog::Update() {
    Present(this);
}

void CLayerDialog::Present(CLayerWnd* layer) {
    if (!layer)
        return;
    if (layer != this) {
        const RECT area = layer->GetRectInHost();
        MarkPending(&area);
        return;
    }
    if (!m_backBits)
        return;
    CxLockGuard hold(m_lock);
    m_pending = {};
    m_pendingAll = false;
    m_unpushed = {};
    DrawChildren(&m_memDC, nullptr);
    Push(SurfaceRect());
}

void CLayerDialog::InvalidateRect(const RECT& rect, BOOL erase) {
    MarkPending(erase ? nullptr : &rect);
}

UINT CLayerDialog::PresentMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"OvercoatLayerPresent");
    return message;
}

void CLayerDialog::MarkPending(const RECT* area) {
    if (!m_backBits)
        return;
    const HWND hwnd = HostWindow();
    {
        CxLockGuard hold(m_lock);
        if (!area)
            m_pendingAll = true;
        else if (!m_pendingAll)
            ::UnionRect(&m_pending, &m_pending, area);
        // Hidden, the window is painted when it is about to show; shown, once the message loop turns.
        if (hwnd && (m_presentQueued || !IsShowing(hwnd)))
            return;
        if (hwnd) {
            m_presentQueued = ::PostMessageW(hwnd, PresentMessage(), 0, 0) != FALSE;
            if (m_presentQueued)
                return;
        }
    }
    // No window to queue on: painted now.
    PresentPending();
}

RECT CLayerDialog::GetPendingArea() const {
    CxLockGuard hold(m_lock);
    return m_pendingAll ? SurfaceRect() : m_pending;
}

void CLayerDialog::PaintPending() {
    if (!m_backBits || (!m_pendingAll && ::IsRectEmpty(&m_pending)))
        return;
    // Taken before painting: a layer that reads the back buffer while it paints finds nothing waiting.
    RECT area = std::exchange(m_pending, RECT{});
    if (std::exchange(m_pendingAll, false)) {
        area = SurfaceRect();
        DrawChildren(&m_memDC, nullptr);
    } else {
        // Painting a layer alone over its last picture would pile its translucent pixels up on every
        // update: the area is rebuilt from the background, with whatever else overlaps it.
        m_memDC.IntersectClipRect(area);
        DrawChildren(&m_memDC, &area);
        m_memDC.SelectClipRgn(nullptr);
    }
    ::UnionRect(&m_unpushed, &m_unpushed, &area);
}

void CLayerDialog::PaintAndPush() {
    PaintPending();
    if (::IsRectEmpty(&m_unpushed) && !m_pushAll)
        return;
    Push(std::exchange(m_unpushed, RECT{}));
}

void CLayerDialog::PresentPending() {
    CxLockGuard hold(m_lock);
    m_presentQueued = false;
    // Hidden or minimised: nothing is drawn or pushed, the marks wait for the show.
    if (const HWND hwnd = HostWindow(); hwnd && !IsShowing(hwnd))
        return;
    PaintAndPush();
}

void CLayerDialog::OnHostMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == PresentMessage()) {
        // Like WM_PAINT, the present waits behind what is queued already: a posted follow-up of the same
        // change (a handler's refresh of its page, a value box) then costs no present of its own. A bounded
        // number of times, so that a steady stream of messages cannot hold the picture back.
        const HWND hwnd = HostWindow();
        if (hwnd && m_deferrals < kMaxDeferrals && HIWORD(::GetQueueStatus(QS_POSTMESSAGE | QS_INPUT)) != 0 &&
            ::PostMessageW(hwnd, PresentMessage(), 0, 0)) {
            ++m_deferrals;
            return;
        }
        m_deferrals = 0;
        PresentPending();
        return;
    }
    const bool showing = (msg == WM_SHOWWINDOW && wParam) ||
                         (msg == WM_WINDOWPOSCHANGING && lParam &&
                          (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW));
    if (showing) {
        // About to show (not visible yet): what waited while hidden goes out now.
        CxLockGuard hold(m_lock);
        PaintAndPush();
    } else if (msg == WM_SIZE) {
        // Restored from the minimised state: what waited goes out, and the rest with it, as the system may
        // have let go of a minimised window's picture.
        CxLockGuard hold(m_lock);
        const bool restored = m_minimised && wParam != SIZE_MINIMIZED;
        m_minimised = wParam == SIZE_MINIMIZED;
        if (restored) {
            m_pushAll = true;
            PaintAndPush();
        }
    }
}

CDC* CLayerDialog::GetMemDC() {
    // Brought up to date, not pushed: whoever reads or draws over it presents in its turn.
    CxLockGuard hold(m_lock);
    PaintPending();
    return &m_memDC;
}

void CLayerDialog::DrawChildren(CDC* dc, const RECT* clip) {
    RECT area = SurfaceRect();
    if (clip && !::IntersectRect(&area, clip, &area))
        return;
    RestoreBackground(dc, area);
    CLayerWnd::DrawChildren(dc, clip);
}

void CLayerDialog::RestoreBackground(CDC* dc, const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (CDC* copy = m_backgroundCopy.GetDC()) {
        dc->BitBlt(area.left, area.top, width, height, *copy, area.left, area.top, SRCCOPY);
        return;
    }
    if (m_backgroundRuns.IsEmpty())
        return;
    const POINT origin = dc->GetViewportOrg();
    if (m_backBits && dc->GetSafeHdc() == m_memDC.GetSafeHdc() && origin.x == 0 && origin.y == 0) {
        // Straight into the back buffer's bottom-up rows, once GDI is done with them.
        GdiFlush();
        m_backgroundRuns.CopyArea(
            area, m_backBits + static_cast<size_t>(m_height - 1 - area.top) * static_cast<size_t>(m_width) + area.left,
            -static_cast<ptrdiff_t>(m_width));
        return;
    }
    // Another DC: through a buffer of the area's size.
    CLayerBuffer buffer;
    if (!buffer.Create(*dc, width, height))
        return;
    m_backgroundRuns.CopyArea(area, buffer.GetBits() + static_cast<size_t>(height - 1) * static_cast<size_t>(width),
                              -static_cast<ptrdiff_t>(width));
    dc->BitBlt(area.left, area.top, width, height, *buffer.GetDC(), 0, 0, SRCCOPY);
}

void CLayerDialog::OnMouseMove(UINT flags, POINT point) {
    m_pointer = point;
    m_pointerKnown = true;
    CLayerWnd* layer = LayerFromPoint(point);
    if (!layer) {
        if (m_hovered)
            m_hovered->OnMouseOut();
        m_hovered = nullptr;
        ::SetCursor(xSkinSystemCursor(IDC_ARROW));
        return;
    }
    const RECT inHost = layer->GetRectInHost();
    const POINT local{point.x - inHost.left, point.y - inHost.top};
    if (layer == m_hovered) {
        layer->OnMouseMove(flags, local);
        return;
    }
    if (m_hovered)
        m_hovered->OnMouseOut();
    // The old layer has been told; a disabled layer under the mouse becomes nobody's hover.
    m_hovered = nullptr;
    if (layer->IsEnabled(TRUE)) {
        layer->SetHovered(TRUE);
        layer->OnMouseMove(flags, local);
        m_hovered = layer;
    }
}

BOOL CLayerDialog::OnMouseWheel(UINT flags, short delta, POINT point) {
    m_pointer = point;
    m_pointerKnown = true;
    return CLayerWnd::OnMouseWheel(flags, delta, point);
}

void CLayerDialog::RefreshHover() {
    // A layer that holds the capture (a drag) keeps the pointer's moves to itself.
    if (m_pointerKnown && !GetCaptureLayer())
        OnMouseMove(0, m_pointer);
}

void CLayerDialog::ForgetLayer(CLayerWnd* layer) {
    if (m_hovered == layer)
        m_hovered = nullptr;
}

BOOL CLayerDialog::DispatchLayerMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (msg < kFirstLayerMessage || msg > kLastLayerMessage || !wParam)
        return FALSE;
    // Compared by address before anything is read through the pointer.
    auto* layer = reinterpret_cast<CLayerWnd*>(wParam);
    if (!ContainsLayer(layer))
        return FALSE;
    const LRESULT answer = layer->OnLayerMessage(msg, lParam);
    if (result)
        *result = answer;
    return TRUE;
}

uint32_t CLayerDialog::GetPixel(int x, int y) const {
    if (!m_backBits || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    // What is read is what the next present shows: the marked areas are painted first.
    auto* self = const_cast<CLayerDialog*>(this);
    CxLockGuard hold(self->m_lock);
    self->PaintPending();
    GdiFlush();
    return m_backBits[static_cast<size_t>(m_height - 1 - y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
}
