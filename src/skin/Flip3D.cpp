#include "skin/Flip3D.h"

#include <cmath>
#include <cstring>

#include "framework/Bitmap.h"
#include "framework/DC.h"
#include "framework/Wnd.h"
#include "skin/LayerDialog.h"
#include "skin/LayerWnd.h"
#include "skin/Lock.h"
#include "skin/SkinGraphics.h"

using namespace Gdiplus;

namespace {

constexpr DWORD kVertexFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
constexpr float kFieldOfView = 0.2094395f; // pi / 15
constexpr float kDegreesToRadians = 0.017453292f;

struct Vertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
static_assert(sizeof(Vertex) == 32);

template <class T> void SafeRelease(T*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}

// The eye sits where a quad two units high just fills the field of view.
float EyeDistance() {
    return 1.0f / std::tan(kFieldOfView / 2.0f);
}

using Direct3DCreate9Fn = IDirect3D9*(WINAPI*)(UINT);

} // namespace

CFlip3D::~CFlip3D() {
    Release();
}

BOOL CFlip3D::SetLayers(CLayerWnd* back, CLayerWnd* front) {
    m_back = back;
    m_front = front;
    return TRUE;
}

BOOL CFlip3D::SetTarget(CLayerWnd* top) {
    m_top = top;
    return TRUE;
}

std::vector<float> CFlip3D::FrameAngles(bool out) {
    std::vector<float> angles;
    if (out) {
        for (int angle = 0;;) {
            angle += angle < 10 ? 3 : 10;
            if (angle >= 90)
                break;
            angles.push_back(static_cast<float>(angle));
        }
        angles.push_back(90.0f);
    } else {
        for (int angle = 90;;) {
            angle -= angle > 10 ? 10 : 3;
            if (angle <= 0)
                break;
            angles.push_back(static_cast<float>(angle));
        }
        angles.push_back(0.0f);
    }
    return angles;
}

float CFlip3D::FrontScale(float angle) {
    return 1.0f - angle * 0.2f / 90.0f;
}

float CFlip3D::FrontHalfWidth(int width, int height) {
    return height > 0 ? static_cast<float>(width) / static_cast<float>(height) : 1.0f;
}

D3DMATRIX CFlip3D::FrontWorld(float angle) {
    const float scale = FrontScale(angle);
    return D3DMatrixMultiply(D3DMatrixRotationX(angle * kDegreesToRadians), D3DMatrixScaling(scale, scale, 1.0f));
}

D3DMATRIX CFlip3D::FrontView() {
    return D3DMatrixLookAtLH({0, 0, -EyeDistance()}, {0, 0, 0}, {0, 1, 0});
}

D3DMATRIX CFlip3D::FrontProjection(int width, int height) {
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    const float farPlane = static_cast<float>(height) / (2.0f * std::tan(kFieldOfView / 2.0f));
    return D3DMatrixPerspectiveFovLH(kFieldOfView, aspect, 1.0f, farPlane);
}

HMODULE CFlip3D::LoadDirect3D() {
    return ::LoadLibraryW(L"D3D9.DLL");
}

bool CFlip3D::Init() {
    if (m_initialised)
        return true;
    if (Build())
        return true;
    // Nothing half-made survives a failure, so a later attempt starts clean and leaks nothing.
    Release();
    return false;
}

bool CFlip3D::Build() {
    if (!m_front || !m_back)
        return false;
    m_host = dynamic_cast<CLayerDialog*>(m_front->GetRootLayer());
    CWnd* window = m_host ? m_host->GetHostDialog() : nullptr;
    if (!window || !window->GetSafeHwnd())
        return false;
    m_hostWindow = window->GetSafeHwnd();
    m_panelRect = m_front->GetRect();
    m_width = m_panelRect.right - m_panelRect.left;
    m_height = m_panelRect.bottom - m_panelRect.top;
    if (m_width <= 0 || m_height <= 0)
        return false;

    // Kept loaded until Release: the Direct3D object's code lives in it.
    if (!m_module && !(m_module = LoadDirect3D()))
        return false;
    const auto create = reinterpret_cast<Direct3DCreate9Fn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(m_module, "Direct3DCreate9")));
    if (!create)
        return false;
    SafeRelease(m_d3d);
    m_d3d = create(D3D_SDK_VERSION);
    if (!m_d3d || !CreateTargetWindow() || !CreateDevice() || !DeviceCapsFit() || !CreateQuads())
        return false;
    SetStates();

    if (!m_frame) {
        m_framePixels.assign(static_cast<size_t>(m_width) * m_height, 0);
        BYTE* lastRow = reinterpret_cast<BYTE*>(m_framePixels.data() + static_cast<size_t>(m_height - 1) * m_width);
        m_frame = std::make_unique<Bitmap>(m_width, m_height, -4 * m_width, PixelFormat32bppPARGB, lastRow);
    }
    m_blend = {AC_SRC_OVER, 0, CLayerDialog::ConstantAlpha(m_host->GetTransparency()), AC_SRC_ALPHA};

    if (FAILED(m_device->CreateOffscreenPlainSurface(m_width, m_height, m_format, D3DPOOL_SYSTEMMEM, &m_scratch,
                                                     nullptr)) ||
        !CreatePanelTexture(m_front, 0, &m_frontTexture) ||
        !CreatePanelTexture(m_back, D3DUSAGE_RENDERTARGET, &m_backTexture) ||
        FAILED(m_device->CreateOffscreenPlainSurface(m_width, m_height, m_format, D3DPOOL_SYSTEMMEM, &m_readBack,
                                                     nullptr)) ||
        FAILED(m_device->GetRenderTarget(0, &m_renderTarget)))
        return false;
    m_deviceReady = true;
    m_initialised = true;
    return true;
}

bool CFlip3D::CreateTargetWindow() {
    if (m_target.GetSafeHwnd())
        return true;
    return m_target.CreateEx(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, CWnd::RegisterWndClass(0), L"", WS_POPUP, 0, 0,
                             m_width, m_height, nullptr) != FALSE;
}

bool CFlip3D::CreateDevice() {
    D3DDISPLAYMODE mode{};
    D3DCAPS9 caps{};
    if (FAILED(m_d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode)) ||
        FAILED(m_d3d->CheckDeviceType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, m_format, TRUE)) ||
        FAILED(m_d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, D3DUSAGE_DEPTHSTENCIL,
                                        D3DRTYPE_SURFACE, D3DFMT_D16)) ||
        FAILED(m_d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps)))
        return false;
    const DWORD vertexProcessing =
        caps.VertexProcessingCaps ? D3DCREATE_HARDWARE_VERTEXPROCESSING : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    D3DPRESENT_PARAMETERS present{};
    present.BackBufferWidth = static_cast<UINT>(m_width);
    present.BackBufferHeight = static_cast<UINT>(m_height);
    present.BackBufferFormat = m_format;
    present.BackBufferCount = 1;
    present.MultiSampleType = D3DMULTISAMPLE_NONE;
    present.SwapEffect = D3DSWAPEFFECT_DISCARD;
    present.hDeviceWindow = m_target.GetSafeHwnd();
    present.Windowed = TRUE;
    present.EnableAutoDepthStencil = TRUE;
    present.AutoDepthStencilFormat = D3DFMT_D16;
    present.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    present.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    return SUCCEEDED(
        m_d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_target.GetSafeHwnd(), vertexProcessing, &present,
                            &m_device));
}

bool CFlip3D::DeviceCapsFit() const {
    D3DCAPS9 caps{};
    if (FAILED(m_device->GetDeviceCaps(&caps)))
        return false;
    const bool pow2Only =
        (caps.TextureCaps & D3DPTEXTURECAPS_POW2) && !(caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL);
    return caps.MaxTextureWidth >= static_cast<DWORD>(m_width) && (caps.Caps3 & D3DCAPS3_COPY_TO_VIDMEM) &&
           !(caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) && !pow2Only;
}

bool CFlip3D::CreateQuads() {
    const float w = static_cast<float>(m_width), h = static_cast<float>(m_height);
    // Half a texel of shift maps texel centres onto pixel centres.
    const float u0 = 0.5f / w, u1 = 1.0f + 0.5f / w, v0 = 0.5f / h, v1 = 1.0f + 0.5f / h;
    const auto quad = [&](float halfWidth, float halfHeight, float z) {
        return std::vector<Vertex>{{-halfWidth, halfHeight, z, 0, 0, 1, u0, v0},
                                   {halfWidth, halfHeight, z, 0, 0, 1, u1, v0},
                                   {halfWidth, -halfHeight, z, 0, 0, 1, u1, v1},
                                   {-halfWidth, -halfHeight, z, 0, 0, 1, u0, v1}};
    };
    const struct {
        IDirect3DVertexBuffer9** buffer;
        std::vector<Vertex> vertices;
    } quads[] = {{&m_backQuad, quad(w / 2, h / 2, 1.0f)},
                 {&m_frontQuad, quad(FrontHalfWidth(m_width, m_height), 1.0f, 0.0f)}};
    for (const auto& q : quads) {
        const UINT bytes = static_cast<UINT>(q.vertices.size() * sizeof(Vertex));
        void* data = nullptr;
        if (FAILED(m_device->CreateVertexBuffer(bytes, 0, kVertexFormat, D3DPOOL_MANAGED, q.buffer, nullptr)) ||
            FAILED((*q.buffer)->Lock(0, bytes, &data, 0)))
            return false;
        std::memcpy(data, q.vertices.data(), bytes);
        (*q.buffer)->Unlock();
    }
    return true;
}

void CFlip3D::SetStates() {
    const struct {
        D3DRENDERSTATETYPE state;
        DWORD value;
    } renderStates[] = {
        {D3DRS_LIGHTING, TRUE},
        {D3DRS_NORMALIZENORMALS, TRUE},
        {D3DRS_CULLMODE, D3DCULL_NONE},
        {D3DRS_ZENABLE, D3DZB_TRUE},
        {D3DRS_ALPHABLENDENABLE, TRUE},
        {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
        {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
    };
    for (const auto& s : renderStates)
        m_device->SetRenderState(s.state, s.value);

    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    light.Direction = {0.0f, 0.0f, -1.0f};
    m_device->SetLight(0, &light);
    m_device->LightEnable(0, TRUE);
    D3DMATERIAL9 material{};
    material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    m_device->SetMaterial(&material);

    const struct {
        D3DTEXTURESTAGESTATETYPE state;
        DWORD value;
    } stageStates[] = {
        {D3DTSS_COLOROP, D3DTOP_MODULATE}, {D3DTSS_COLORARG1, D3DTA_TEXTURE}, {D3DTSS_COLORARG2, D3DTA_DIFFUSE},
        {D3DTSS_ALPHAOP, D3DTOP_MODULATE}, {D3DTSS_ALPHAARG1, D3DTA_TEXTURE}, {D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
    };
    for (const auto& s : stageStates)
        m_device->SetTextureStageState(0, s.state, s.value);
    m_device->SetVertexShader(nullptr);
    m_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    m_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    m_device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
}

bool CFlip3D::CreatePanelTexture(CLayerWnd* panel, DWORD usage, IDirect3DTexture9** texture) {
    // The panel paints into a bottom-up DIB like every surface of the toolkit (GDI+ under Wine draws
    // top-down surfaces mirrored), starting fully transparent; its rows then go into the scratch surface.
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), m_width, m_height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    CBitmap bitmap; // declared before the DC, which selects it out when it goes
    CDC dc;
    if (!dc.CreateCompatibleDC(nullptr) || !bitmap.CreateDIBSection(dc.GetSafeHdc(), info, &bits))
        return false;
    const size_t rowBytes = static_cast<size_t>(m_width) * 4;
    std::memset(bits, 0, rowBytes * m_height);
    dc.SelectObject(bitmap);
    panel->DrawChildren(&dc, nullptr);
    GdiFlush();
    D3DLOCKED_RECT locked{};
    if (FAILED(m_scratch->LockRect(&locked, nullptr, 0)))
        return false;
    for (int y = 0; y < m_height; ++y)
        std::memcpy(static_cast<BYTE*>(locked.pBits) + static_cast<ptrdiff_t>(y) * locked.Pitch,
                    static_cast<const BYTE*>(bits) + (m_height - 1 - y) * rowBytes, rowBytes);
    m_scratch->UnlockRect();

    IDirect3DSurface9* level = nullptr;
    if (FAILED(m_device->CreateTexture(static_cast<UINT>(m_width), static_cast<UINT>(m_height), 1, usage, m_format,
                                       D3DPOOL_DEFAULT, texture, nullptr)) ||
        FAILED((*texture)->GetSurfaceLevel(0, &level)))
        return false;
    const HRESULT copied = m_device->UpdateSurface(m_scratch, nullptr, level, nullptr);
    level->Release();
    return SUCCEEDED(copied);
}

void CFlip3D::Run(bool out) {
    for (float angle : FrameAngles(out))
        RenderFrame(angle);
}

void CFlip3D::RenderFrame(float angle) {
    if (!m_initialised || !m_deviceReady)
        return;
    m_device->SetRenderTarget(0, m_renderTarget);
    m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    if (FAILED(m_device->BeginScene()))
        return;
    const D3DMATRIX identity = D3DMatrixIdentity();
    const D3DMATRIX ortho = D3DMatrixOrthoLH(static_cast<float>(m_width), static_cast<float>(m_height), 0.0f, 1.0f);
    m_device->SetTransform(D3DTS_PROJECTION, &ortho);
    m_device->SetTransform(D3DTS_WORLD, &identity);
    m_device->SetTransform(D3DTS_VIEW, &identity);
    if (FAILED(m_device->SetTexture(0, m_backTexture))) {
        m_device->EndScene();
        return;
    }
    m_device->SetFVF(kVertexFormat);
    m_device->SetStreamSource(0, m_backQuad, 0, sizeof(Vertex));
    m_device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);

    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    const D3DVIEWPORT9 viewport{0, 0, static_cast<DWORD>(m_width), static_cast<DWORD>(m_height), 0.0f, 1.0f};
    m_device->SetViewport(&viewport);
    const D3DMATRIX projection = FrontProjection(m_width, m_height);
    const D3DMATRIX world = FrontWorld(angle);
    const D3DMATRIX view = FrontView();
    m_device->SetTransform(D3DTS_PROJECTION, &projection);
    m_device->SetTransform(D3DTS_WORLD, &world);
    m_device->SetTransform(D3DTS_VIEW, &view);
    if (FAILED(m_device->SetTexture(0, m_frontTexture))) {
        m_device->EndScene();
        return;
    }
    m_device->SetStreamSource(0, m_frontQuad, 0, sizeof(Vertex));
    m_device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    m_device->EndScene();

    ReadBack();
    PresentFrame();
}

void CFlip3D::ReadBack() {
    if (FAILED(m_device->GetRenderTargetData(m_renderTarget, m_readBack)))
        return;
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT locked{};
    if (FAILED(m_readBack->GetDesc(&desc)) || FAILED(m_readBack->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
        return;
    if (desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_X8R8G8B8) {
        // Bytes blue, green, red, alpha read as one little-endian word are alpha·2^24 + red·2^16 + ...
        for (int y = 0; y < m_height; ++y) {
            const BYTE* source = static_cast<const BYTE*>(locked.pBits) + static_cast<ptrdiff_t>(y) * locked.Pitch;
            uint32_t* target = m_framePixels.data() + static_cast<size_t>(m_height - 1 - y) * m_width;
            std::memcpy(target, source, static_cast<size_t>(m_width) * 4);
        }
    }
    m_readBack->UnlockRect();
}

void CFlip3D::PresentFrame() {
    // The host's repaint lock keeps a frame from interleaving with an ordinary repaint.
    CxLockGuard hold(m_host->GetLock());
    std::vector<CLayerWnd*> animated;
    m_host->CollectChildren(animated);
    for (CLayerWnd* layer : animated)
        layer->Invalidate(FALSE);
    CDC* memDC = m_host->GetMemDC();
    {
        CxSkinGraphics graphics(memDC->GetSafeHdc());
        graphics->DrawImage(m_frame.get(), static_cast<INT>(m_panelRect.left), static_cast<INT>(m_panelRect.top),
                            static_cast<INT>(m_width), static_cast<INT>(m_height));
    }
    if (m_top)
        m_top->DrawAt(memDC);
    GdiFlush();
    RECT window;
    ::GetWindowRect(m_hostWindow, &window);
    POINT position{window.left, window.top}, origin{0, 0};
    SIZE size{window.right - window.left, window.bottom - window.top};
    HDC screen = ::GetDC(nullptr);
    ::UpdateLayeredWindow(m_hostWindow, screen, &position, &size, memDC->GetSafeHdc(), &origin, 0, &m_blend, ULW_ALPHA);
    ::ReleaseDC(nullptr, screen);
}

void CFlip3D::Release() {
    SafeRelease(m_readBack);
    SafeRelease(m_renderTarget);
    SafeRelease(m_scratch);
    SafeRelease(m_frontTexture);
    SafeRelease(m_backTexture);
    m_frame.reset();
    m_framePixels.clear();
    SafeRelease(m_backQuad);
    SafeRelease(m_frontQuad);
    SafeRelease(m_device);
    SafeRelease(m_d3d);
    if (m_target.GetSafeHwnd())
        m_target.DestroyWindow();
    if (m_module) {
        ::FreeLibrary(m_module);
        m_module = nullptr;
    }
    m_deviceReady = false;
    m_initialised = false;
}
