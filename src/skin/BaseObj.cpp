#include "skin/BaseObj.h"

#include <algorithm>

#include "skin/LayerDialog.h"
#include "skin/LayerToolTip.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinDraw.h"

using namespace Gdiplus;

IMPLEMENT_DYNAMIC(CBaseObj, CLayerWnd)

namespace {

// Red, green and blue each become the pixel's luminance; alpha is kept.
const ColorMatrix kGreyMatrix = {{{0.299f, 0.299f, 0.299f, 0, 0},
                                  {0.587f, 0.587f, 0.587f, 0, 0},
                                  {0.114f, 0.114f, 0.114f, 0, 0},
                                  {0, 0, 0, 1, 0},
                                  {0, 0, 0, 0, 1}}};

bool NamesNoImage(const std::wstring& path) {
    return path.empty() || path == L"Null";
}

std::unique_ptr<Bitmap> LoadOrThrow(const std::wstring& path, const std::wstring& message) {
    auto image = xSkinLoadBitmap(path.c_str());
    if (!image)
        throw new CxSkinControlsException(message.c_str());
    return image;
}

} // namespace

CBaseObj::~CBaseObj() {
    if (ILayerToolTip* toolTip = FindToolTip(); toolTip && !m_toolTip.empty())
        toolTip->RemoveTool(this, kToolId);
}

BOOL CBaseObj::Create(CLayerWnd* parent, int id, POINT point) {
    // Not CLayerWnd::Create: the object must stay out of the parent's children, which the tree would
    // otherwise paint, hit-test and delete on its own.
    m_visible = TRUE;
    m_objectId = id;
    m_id = static_cast<UINT>(id);
    m_parent = parent;
    m_created = TRUE;
    m_center = point;
    UpdateRect();
    return TRUE;
}

void CBaseObj::SetPosition(POINT point) {
    if (point.x == m_center.x && point.y == m_center.y)
        return;
    m_center = point;
    UpdateRect();
}

void CBaseObj::UpdateRect() {
    m_rect.left = m_center.x - m_size.cx / 2;
    m_rect.top = m_center.y - m_size.cy / 2;
    m_rect.right = m_rect.left + m_size.cx;
    m_rect.bottom = m_rect.top + m_size.cy;
}

BOOL CBaseObj::HitTest(POINT point) const {
    if (!m_visible || m_state == kStateDisabled)
        return FALSE;
    return ::PtInRect(&m_rect, point);
}

int CBaseObj::setSkinImages(const std::wstring& normal, const std::wstring& second, const std::wstring& third,
                            const std::wstring& fourth, const std::wstring& extra, POINT offset) {
    if (NamesNoImage(normal))
        return 0;
    m_paths = {normal, second, third, fourth};
    m_extraPath = extra;
    m_extraOffset = offset;
    for (auto& image : m_images)
        image.reset();
    m_extra.reset();

    // Loaded aside and kept only when every file loads: a failure leaves the object without images rather
    // than with a partial set drawn at a stale size.
    std::array<std::unique_ptr<Bitmap>, kStateImages> images;
    images[0] = LoadOrThrow(normal, L"CBaseObj::setSkinImages: failed to load normal image (" + normal + L")!");
    for (int i = 1; i < kStateImages; ++i) {
        if (!NamesNoImage(m_paths[i]))
            images[i] = LoadOrThrow(m_paths[i], L"CBaseObj::setSkinImages: failed to load image(" + std::to_wstring(i) +
                                                    L") (" + m_paths[i] + L")!");
    }
    std::unique_ptr<Bitmap> extraImage;
    if (!NamesNoImage(extra))
        extraImage = LoadOrThrow(extra, extra);

    m_size = {static_cast<LONG>(images[0]->GetWidth()), static_cast<LONG>(images[0]->GetHeight())};
    if (m_center.x < 0 || m_center.y < 0)
        m_center = {m_size.cx / 2, m_size.cy / 2};
    m_images = std::move(images);
    m_extra = std::move(extraImage);
    UpdateRect();
    return 1;
}

ILayerToolTip* CBaseObj::FindToolTip() const {
    CLayerWnd* root = GetRootLayer();
    if (!root || !root->IsKindOf(RUNTIME_CLASS(CLayerDialog)))
        return nullptr;
    return static_cast<CLayerDialog*>(root)->GetToolTip();
}

void CBaseObj::SetToolTipText(const std::wstring& text) {
    if (text.empty())
        return;
    m_toolTip = text;
    ILayerToolTip* toolTip = FindToolTip();
    if (!toolTip)
        return;
    if (toolTip->HasTool(this, kToolId)) {
        toolTip->SetToolText(text.c_str(), this);
    } else {
        const RECT area = GetRectInHost();
        toolTip->AddTool(this, text.c_str(), &area, kToolId);
    }
}

Bitmap* CBaseObj::GetImage(int state) const {
    if (state < 0 || state >= kStateImages)
        return nullptr;
    return m_images[static_cast<size_t>(state)].get();
}

void CBaseObj::DrawGrey(Graphics& graphics, Image* image, const Rect& rect) {
    if (!image || rect.Width <= 0 || rect.Height <= 0)
        return;
    xSkinPrepareImage(image);
    ImageAttributes attributes;
    attributes.SetColorMatrix(&kGreyMatrix, ColorMatrixFlagsDefault, ColorAdjustTypeBitmap);
    graphics.DrawImage(image, rect, 0, 0, static_cast<INT>(image->GetWidth()), static_cast<INT>(image->GetHeight()),
                       UnitPixel, &attributes);
}

void CBaseObj::Draw(Graphics& graphics) {
    if (!m_visible)
        return;
    // A state outside the four images draws the normal one rather than reading past the set.
    Bitmap* image = GetImage(m_state);
    if (!image)
        image = m_images[0].get();
    const bool disabled = m_state == kStateDisabled;
    const Rect rect(m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top);
    if (image)
        xSkinDrawImage(graphics, image, rect, 0, disabled, false, 0, 0);
    if (!m_extra)
        return;
    const int width = static_cast<int>(m_extra->GetWidth()), height = static_cast<int>(m_extra->GetHeight());
    const int left = m_extraOffset.x < 0 ? m_rect.left + (rect.Width - width) / 2 : m_rect.left + m_extraOffset.x;
    const int top = m_extraOffset.y < 0 ? m_rect.top + (rect.Height - height) / 2 : m_rect.top + m_extraOffset.y;
    const Rect extraRect(left, top, width, height);
    xSkinPrepareImage(m_extra.get());
    if (disabled)
        DrawGrey(graphics, m_extra.get(), extraRect);
    else
        graphics.DrawImage(m_extra.get(), extraRect);
}
