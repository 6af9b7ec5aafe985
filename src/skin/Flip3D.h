#pragma once
// A short three-dimensional flip of one panel over another, rendered with Direct3D 9 and shown frame by
// frame in the layered host window: the front panel tilts about its horizontal axis and shrinks while the
// back panel stays flat behind it. Direct3D 9 is bound at run time, so a system without it still starts
// and the caller falls back to the layer tree's zoom or fade when Init fails. The panels are snapshots
// taken at Init. The device renders off-screen into a hidden window of its own and every frame is read back
// and presented through the host's layered surface: a device bound to the layered host itself makes some
// systems (Wine's GL layer among them) put a drawable over the window that hides its picture for good.
// User-interface thread only; every frame is presented under the host's repaint lock.

#include <windows.h>
#include <d3d9.h>
#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Wnd.h"
#include "skin/D3DMatrix.h"

class CLayerDialog;
class CLayerWnd;

class CFlip3D {
public:
    CFlip3D() = default;
    virtual ~CFlip3D();
    CFlip3D(const CFlip3D&) = delete;
    CFlip3D& operator=(const CFlip3D&) = delete;

    BOOL SetLayers(CLayerWnd* back, CLayerWnd* front);
    // The layer painted over every frame (the panel-switch button).
    BOOL SetTarget(CLayerWnd* top);
    // Builds the device, the quads and both panel textures; true at once when already done. False without
    // Direct3D 9, without a suitable device, or for a front panel that is empty or has no host dialog.
    bool Init();
    // Renders the whole flip back to back: out turns the front away (0 to 90 degrees), else in (90 to 0).
    void Run(bool out);
    // Frees every Direct3D and GDI+ object; safe to call more than once and after a failed Init.
    void Release();

    bool IsInitialised() const { return m_initialised; }
    const BLENDFUNCTION& GetBlend() const { return m_blend; }
    const RECT& GetPanelRect() const { return m_panelRect; }

    // The angles of one run, in the order they are rendered.
    static std::vector<float> FrameAngles(bool out);
    // The front panel shrinks to 0.8 of its size as it turns edge-on.
    static float FrontScale(float angle);
    // The front panel's transforms at the angle, for a panel of width x height: world (tilt and shrink),
    // view (the eye where a quad two units high just fills the field of view) and projection.
    static D3DMATRIX FrontWorld(float angle);
    static D3DMATRIX FrontView();
    static D3DMATRIX FrontProjection(int width, int height);
    // Half the width of the front quad: a panel of any proportion fills the viewport when flat.
    static float FrontHalfWidth(int width, int height);

protected:
    // The Direct3D 9 runtime, or null when it is missing.
    virtual HMODULE LoadDirect3D();
    // Renders and presents one frame; nothing unless initialised.
    virtual void RenderFrame(float angle);

private:
    bool Build();
    bool CreateTargetWindow();
    bool CreateDevice();
    bool DeviceCapsFit() const;
    bool CreateQuads();
    void SetStates();
    bool CreatePanelTexture(CLayerWnd* panel, DWORD usage, IDirect3DTexture9** texture);
    void ReadBack();
    void PresentFrame();

    HWND m_hostWindow = nullptr;
    // Never shown: the device's window and focus window, so the device touches no window the user sees.
    CWnd m_target;
    bool m_deviceReady = false;
    bool m_initialised = false;
    D3DFORMAT m_format = D3DFMT_A8R8G8B8;
    HMODULE m_module = nullptr;
    IDirect3D9* m_d3d = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    IDirect3DSurface9* m_scratch = nullptr;
    IDirect3DSurface9* m_readBack = nullptr;
    IDirect3DSurface9* m_renderTarget = nullptr;
    IDirect3DVertexBuffer9* m_backQuad = nullptr;
    IDirect3DVertexBuffer9* m_frontQuad = nullptr;
    IDirect3DTexture9* m_frontTexture = nullptr;
    IDirect3DTexture9* m_backTexture = nullptr;
    RECT m_panelRect{};
    int m_width = 0;
    int m_height = 0;
    // The frame's premultiplied pixels, rows bottom-up like the toolkit's DIBs, seen by GDI+ top-down
    // through a negative stride (declared before the bitmap that wraps them).
    std::vector<uint32_t> m_framePixels;
    std::unique_ptr<Gdiplus::Bitmap> m_frame;
    CLayerWnd* m_back = nullptr;
    CLayerWnd* m_front = nullptr;
    CLayerWnd* m_top = nullptr;
    CLayerDialog* m_host = nullptr;
    BLENDFUNCTION m_blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
};
