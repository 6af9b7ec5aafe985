#pragma once
// The root layer of a window's layer tree and its bridge to the window: a layered window with per-pixel
// alpha presented from a 32-bit back buffer. The background (an image or plain grey, clipped to an
// optional outline and framed by an optional border) is composed once into the back buffer and kept aside
// as runs of equal pixels (or, for a picture that does not shrink so, as a copy); each repaint restores it
// under the invalidated area, paints the layers that meet it and pushes that area alone.
//
// Invalidated areas are gathered into one rectangle and painted together, like WM_PAINT: once per turn of
// the message loop, after the messages already queued (which often change more), while the window shows;
// not at all while it is hidden or minimised, until it is about to show again or somebody reads the back
// buffer. A change of many controls at once (start-up, a page switch, a slider and its value box) costs one
// paint and one push, and a window built hidden is painted once.

#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <memory>

#include "framework/Bitmap.h"
#include "framework/DC.h"
#include "skin/LayerBuffer.h"
#include "skin/LayerWnd.h"
#include "skin/SkinGraphics.h"
#include "skin/Lock.h"
#include "skin/SurfaceRuns.h"

class ILayerToolTip;

class CLayerDialog : public CLayerWnd {
    DECLARE_DYNAMIC(CLayerDialog)
public:
    CLayerDialog() = default;
    ~CLayerDialog() override;

    // Paints and presents the whole tree now.
    void Update() override;
    // Both note where the pointer is, for RefreshHover.
    void OnMouseMove(UINT flags, POINT point) override;
    BOOL OnMouseWheel(UINT flags, short delta, POINT point) override;
    // Layers moved under a still pointer (a scrolled panel): the hover goes to whatever now lies under
    // the place the pointer was last seen, and leaves the layer that moved away. Nothing while the pointer's
    // place is unknown.
    void RefreshHover();
    // The pointer is no longer known to be over the window (it was deactivated).
    void ForgetPointer() { m_pointerKnown = false; }
    // Marks the area (or, with erase, everything) for the next present.
    void InvalidateRect(const RECT& rect, BOOL erase) override;
    // The root's paint: the composed background under the area, then the children that meet it.
    void DrawChildren(CDC* dc, const RECT* clip) override;

    virtual void SetTransparency(int percent) { m_transparency = percent; }
    // An empty path keeps the current image; a file that cannot be loaded leaves none.
    virtual void SetBackgroundImage(const wchar_t* path);
    // Composes the background at the given size (0 takes the image's) and centres the window on its
    // parent, or on the screen.
    virtual void SetBackground(int width, int height, const Gdiplus::GraphicsPath* outline, int borderWidth,
                               Gdiplus::ARGB borderColor);

    // Makes the window the host: layered style and a memory DC compatible with the window's.
    BOOL Attach(CWnd* window);
    void CreateBackBuffer(int width, int height);
    // Marks the layer's area for the next present; the root itself is painted and presented at once.
    void Present(CLayerWnd* layer);
    // Paints what was marked since the last present and pushes what changed; nothing when nothing waits,
    // and nothing while the window is hidden or minimised (it waits for the show).
    void PresentPending();
    // The host's messages that present: the queued present, the window about to show, and the window
    // restored from its minimised state.
    void OnHostMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // The area the next present paints (empty when nothing waits; the surface when everything does).
    RECT GetPendingArea() const;

    // Messages 2025..3023 carry a layer pointer that may have outlived its layer (a queued repeat after a
    // panel switch): the layer gets the message only while it is still in this tree. TRUE when delivered.
    BOOL DispatchLayerMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

    int GetTransparency() const { return m_transparency; }
    // (100 - transparency) x 255 / 100, the percentage clamped to 0..100.
    static BYTE ConstantAlpha(int transparency);
    CLayerWnd* GetHoveredLayer() const { return m_hovered; }
    // The back buffer, brought up to date first.
    CDC* GetMemDC();
    CxLock& GetLock() { return m_lock; }
    int GetSurfaceWidth() const { return m_width; }
    int GetSurfaceHeight() const { return m_height; }
    // The back buffer's premultiplied ARGB pixel at (x, y) from the top-left, as the next present shows it;
    // 0 outside it.
    uint32_t GetPixel(int x, int y) const;
    Gdiplus::Bitmap* GetBackgroundImage() const { return m_backgroundImage.get(); }
    // The memory the composed background takes besides the back buffer.
    size_t GetBackgroundBytes() const;

    void SetToolTip(ILayerToolTip* toolTip) { m_toolTip = toolTip; }
    ILayerToolTip* GetToolTip() const { return m_toolTip; }

protected:
    void ForgetLayer(CLayerWnd* layer) override;

private:
    // Pushes the area of the back buffer to the screen; the whole surface when the screen's copy may
    // differ elsewhere too (a new surface, a window just shown, another constant alpha).
    void Push(const RECT& area);
    // Adds the area (null: everything) to what the next present paints, and queues that present while the
    // window shows.
    void MarkPending(const RECT* area);
    // Paints what is marked into the back buffer, and keeps its area for the next push. Under the lock.
    void PaintPending();
    // Paints what is marked and pushes everything painted since the last push. Under the lock.
    void PaintAndPush();
    // Copies the composed background into the DC under the area (in surface coordinates).
    void RestoreBackground(CDC* dc, const RECT& area);
    RECT SurfaceRect() const { return {0, 0, m_width, m_height}; }
    HWND HostWindow() const;
    // Whether a present would show: the window is visible and not minimised.
    static bool IsShowing(HWND hwnd);
    static UINT PresentMessage();
    // Draws the background (picture or plain colour, outline, border) into a surface's bottom-up rows.
    void ComposeBackground(uint32_t* bits, const Gdiplus::GraphicsPath* outline, int borderWidth,
                           Gdiplus::ARGB borderColor);
    bool CopyBackgroundImage(uint32_t* bits, const Gdiplus::GraphicsPath* outline);
    bool CopyDrawnPicture(uint32_t* bits);
    size_t SurfaceBytes() const;
    void PlaceWindow(int width, int height);

    CLayerWnd* m_hovered = nullptr;
    POINT m_pointer{};
    bool m_pointerKnown = false;
    // The back buffer DIB (bottom-up rows); declared before the DC, which selects it out when it goes.
    CBitmap m_backBitmap;
    // GDI+'s view of the back buffer, shared by every control's paint; goes before the bitmap.
    CxSkinSurface m_backSurface;
    uint32_t* m_backBits = nullptr;
    CDC m_memDC;
    BITMAPINFOHEADER m_header{};
    std::unique_ptr<Gdiplus::Bitmap> m_backgroundImage;
    // The composed background: as runs when it shrinks so, else as a copy of the surface.
    CSurfaceRuns m_backgroundRuns;
    CLayerBuffer m_backgroundCopy;
    int m_width = 0;
    int m_height = 0;
    int m_transparency = 0;
    mutable CxLock m_lock;
    ILayerToolTip* m_toolTip = nullptr;
    // Marked for painting; painted but not pushed yet (the back buffer was read in between).
    RECT m_pending{};
    bool m_pendingAll = false;
    RECT m_unpushed{};
    bool m_presentQueued = false;
    // Times the queued present has stepped back behind other queued messages.
    int m_deferrals = 0;
    // The screen's copy of the window may differ from the back buffer outside any marked area.
    bool m_pushAll = true;
    BYTE m_pushedAlpha = 255;
    bool m_minimised = false;
};
