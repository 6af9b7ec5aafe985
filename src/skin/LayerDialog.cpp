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
}

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
    m_memDC.SelectObject(m_backBitmap);
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
    m_background.Release();
    CreateBackBuffer(width, height);
    // The background is composed once into its own buffer, which every repaint copies from; the back
    // buffer starts as a copy of it.
    if (m_background.Create(m_memDC, width, height)) {
        ComposeBackground(m_background.GetBits(), outline, borderWidth, borderColor);
        if (m_backBits)
            std::memcpy(m_backBits, m_background.GetBits(), SurfaceBytes());
    } else {
        ComposeBackground(m_backBits, outline, borderWidth, borderColor);
    }
    PlaceWindow(width, height);
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

void CLayerDialog::Push() {
    CWnd* host = GetHostDialog();
    if (!host || !host->GetSafeHwnd() || !m_backBits)
        return;
    GdiFlush();
    RECT window;
    host->GetWindowRect(&window);
    POINT position{window.left, window.top}, origin{0, 0};
    SIZE size{m_width, m_height};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, ConstantAlpha(m_transparency), AC_SRC_ALPHA};
    HDC screen = ::GetDC(nullptr);
    ::UpdateLayeredWindow(host->GetSafeHwnd(), screen, &position, &size, m_memDC, &origin, 0, &blend, ULW_ALPHA);
    ::ReleaseDC(nullptr, screen);
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
    DrawChildren(&m_memDC, nullptr);
    Push();
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
    CWnd* host = GetHostDialog();
    const HWND hwnd = host ? host->GetSafeHwnd() : nullptr;
    {
        CxLockGuard hold(m_lock);
        if (!area)
            m_pendingAll = true;
        else if (!m_pendingAll)
            ::UnionRect(&m_pending, &m_pending, area);
        // Hidden, the window is painted when it is about to show; shown, once the message loop turns.
        if (hwnd && (m_presentQueued || !::IsWindowVisible(hwnd)))
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

void CLayerDialog::PresentPending() {
    CxLockGuard hold(m_lock);
    m_presentQueued = false;
    if (!m_backBits || (!m_pendingAll && ::IsRectEmpty(&m_pending)))
        return;
    // Taken before painting: a layer that reads the back buffer while it paints finds nothing waiting.
    const RECT area = std::exchange(m_pending, RECT{});
    if (std::exchange(m_pendingAll, false)) {
        DrawChildren(&m_memDC, nullptr);
    } else {
        // Painting a layer alone over its last picture would pile its translucent pixels up on every
        // update: the area is rebuilt from the background, with whatever else overlaps it.
        m_memDC.IntersectClipRect(area);
        DrawChildren(&m_memDC, &area);
        m_memDC.SelectClipRgn(nullptr);
    }
    Push();
}

void CLayerDialog::OnHostMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    const bool showing = (msg == WM_SHOWWINDOW && wParam) ||
                         (msg == WM_WINDOWPOSCHANGING && lParam &&
                          (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW));
    if (showing || msg == PresentMessage())
        PresentPending();
}

CDC* CLayerDialog::GetMemDC() {
    PresentPending();
    return &m_memDC;
}

void CLayerDialog::DrawChildren(CDC* dc, const RECT* clip) {
    if (CDC* background = m_background.GetDC()) {
        const RECT all{0, 0, m_width, m_height};
        RECT area = all;
        if (clip && !::IntersectRect(&area, clip, &all))
            return;
        dc->BitBlt(area.left, area.top, area.right - area.left, area.bottom - area.top, *background, area.left,
                   area.top, SRCCOPY);
    }
    CLayerWnd::DrawChildren(dc, clip);
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
    const_cast<CLayerDialog*>(this)->PresentPending();
    GdiFlush();
    return m_backBits[static_cast<size_t>(m_height - 1 - y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
}
