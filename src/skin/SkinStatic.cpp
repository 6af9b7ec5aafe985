#include "skin/SkinStatic.h"

#include <algorithm>
#include <vector>

#include "framework/DC.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinDraw.h"
#include "skin/SkinFontFace.h"
#include "skin/SkinGraphics.h"
#include "skin/SkinParse.h"

using namespace Gdiplus;

IMPLEMENT_DYNAMIC(CxSkinStatic, CxSkinCtrl)

namespace {

constexpr size_t kBorderParts = 4;
constexpr REAL kBorderWidth = 1.0f;

} // namespace

int CxSkinStatic::Create() {
    if (!Create(GetDesignRect(), m_parentLayer, static_cast<UINT>(m_ctrlId)))
        return FALSE;
    if (m_formatFlags == kNoWrap && !m_text.empty())
        MeasureNaturalSize();
    if (m_designWidth <= 0 || m_designHeight <= 0) {
        // An unsized control takes its image's size, or else its text's.
        if (m_image) {
            if (m_designWidth <= 0)
                m_designWidth = static_cast<int>(m_image->GetWidth());
            if (m_designHeight <= 0)
                m_designHeight = static_cast<int>(m_image->GetHeight());
        } else if (!m_text.empty()) {
            // A wrapping text was not measured above.
            if (m_naturalSize.cx == 0 || m_naturalSize.cy == 0)
                MeasureNaturalSize();
            if (m_designWidth <= 0)
                m_designWidth = m_naturalSize.cx;
            if (m_designHeight <= 0)
                m_designHeight = m_naturalSize.cy;
        }
        m_rect = {m_designLeft, m_designTop, m_designLeft + m_designWidth, m_designTop + m_designHeight};
    }
    UpdateTransform(FALSE);
    return TRUE;
}

void CxSkinStatic::MeasureNaturalSize() {
    const SIZE extent = GetTextExtent();
    m_naturalSize = {std::min<LONG>(extent.cx, kMaxNaturalWidth), std::min<LONG>(extent.cy, kMaxNaturalHeight)};
}

BOOL CxSkinStatic::SetSkin(const std::wstring& path) {
    m_image.reset();
    m_image = xSkinLoadBitmap(path.c_str());
    if (!m_image)
        throw new CxSkinControlsException((L"SetSkin: failed to load content image (" + path + L")!").c_str());
    return TRUE;
}

BOOL CxSkinStatic::SetTextWrapping(UINT flags) {
    m_formatFlags = flags;
    return TRUE;
}

void CxSkinStatic::SetText(const std::wstring& text) {
    if (text != m_text)
        m_text = text;
}

void CxSkinStatic::SetBorderLine(const std::wstring& text) {
    const std::vector<std::wstring> parts = xSkinSplitString(text, L",");
    if (parts.size() != kBorderParts)
        return;
    m_borderText = text;
    for (size_t i = 0; i < kBorderParts; ++i)
        m_border[i] = xSkinStringToInt(parts[i]);
}

namespace {

CxSkinCtrl* FindNamedControl(const CLayerWnd* layer, const std::wstring& name) {
    for (int i = 0; i < layer->GetChildCount(); ++i) {
        CLayerWnd* child = layer->GetChild(i);
        if (auto* control = dynamic_cast<CxSkinCtrl*>(child); control && control->GetName() == name)
            return control;
        if (child->IsContainer()) {
            if (CxSkinCtrl* found = FindNamedControl(child, name))
                return found;
        }
    }
    return nullptr;
}

bool IsShown(const CLayerWnd* layer) {
    for (; layer; layer = layer->GetParent()) {
        if (!layer->IsVisible())
            return false;
    }
    return true;
}

} // namespace

CxSkinCtrl* CxSkinStatic::FindTarget() const {
    if (m_target.empty() || m_target == GetName())
        return nullptr;
    const CLayerWnd* root = FindListenerLayer();
    if (!root)
        root = GetRootLayer();
    CxSkinCtrl* target = root ? FindNamedControl(root, m_target) : nullptr;
    return target && IsShown(target) && target->IsEnabled(TRUE) ? target : nullptr;
}

BOOL CxSkinStatic::HitTestForDrag(POINT point) const {
    return !m_target.empty() && HitTest(point) && FindTarget() != nullptr;
}

void CxSkinStatic::OnLButtonUp(UINT flags, POINT point) {
    CxSkinCtrl::OnLButtonUp(flags, point);
    if (point.x < 0 || point.y < 0 || point.x >= GetWidth() || point.y >= GetHeight())
        return;
    if (CxSkinCtrl* target = FindTarget())
        target->OnLButtonUp(flags, {target->GetWidth() / 2, target->GetHeight() / 2});
}

void CxSkinStatic::CopyTextStyleTo(CxSkinCtrl* control) const {
    CxSkinCtrl::CopyTextStyleTo(control);
    if (auto* other = dynamic_cast<CxSkinStatic*>(control)) {
        other->SetTextWrapping(m_formatFlags);
        other->SetBorderLineColor(m_borderColor);
        other->SetBorderLine(m_borderText);
    }
}

CxSkinStatic* CxSkinStatic::Clone() const {
    auto* clone = new CxSkinStatic;
    CopyTextStyleTo(clone);
    return clone;
}

void CxSkinStatic::DrawChildren(CDC* dc, const RECT* /*clip*/) {
    DrawOnDC(dc);
}

void CxSkinStatic::Draw(Graphics* graphics) {
    DrawTransformed(graphics, [this](Graphics& transformed) { Paint(transformed); });
}

void CxSkinStatic::Paint(Graphics& graphics) {
    const RECT paint = GetPaintRect();
    const int width = paint.right - paint.left, height = paint.bottom - paint.top;
    const bool enabled = IsEnabled(TRUE) != FALSE;
    if (m_image) {
        PaintImage(graphics, Rect(0, 0, width, height), enabled);
    } else if (m_hasBackColor) {
        SolidBrush brush{Color(m_backColor)};
        graphics.FillRectangle(&brush, 0, 0, width, height);
    }
    PaintBorder(graphics, width, height);
    if (!m_text.empty())
        PaintText(graphics, width, height, enabled);
}

void CxSkinStatic::PaintImage(Graphics& graphics, const Rect& area, bool enabled) const {
    const int stretch = GetBackgroundStretchMode();
    // A shaped control shows its image through the outline, smoothed at the cut.
    if (m_shape)
        xSkinDrawImageInPath(graphics, m_image.get(), area, stretch, m_transparency, !enabled, m_shape.get());
    else
        xSkinDrawImageStretched(graphics, m_image.get(), area, stretch, m_transparency, !enabled);
}

void CxSkinStatic::PaintBorder(Graphics& graphics, int width, int height) const {
    if (std::none_of(m_border.begin(), m_border.end(), [](int on) { return on != 0; }))
        return;
    // The lines trace (0, -1) to (width, height): the skins are laid out for a frame that starts one pixel
    // above the control and ends one pixel right of and below it.
    Pen pen(Color(m_borderColor), kBorderWidth);
    const REAL w = static_cast<REAL>(width), h = static_cast<REAL>(height);
    if (m_border[0])
        graphics.DrawLine(&pen, 0.0f, h, 0.0f, -1.0f);
    if (m_border[1])
        graphics.DrawLine(&pen, 0.0f, -1.0f, w, -1.0f);
    if (m_border[2])
        graphics.DrawLine(&pen, w, -1.0f, w, h);
    if (m_border[3])
        graphics.DrawLine(&pen, w, h, 0.0f, h);
}

void CxSkinStatic::PaintText(Graphics& graphics, int width, int height, bool enabled) const {
    const CxSkinFontFace face(m_fontFamily);
    const Font font(face.Get(), static_cast<REAL>(m_fontSize), m_fontStyle, UnitPoint);
    const SolidBrush brush{Color(enabled ? m_foreColor : m_disabledTextColor)};
    StringFormat format(static_cast<INT>(m_formatFlags));
    format.SetAlignment(static_cast<StringAlignment>(m_textAlign));
    format.SetLineAlignment(static_cast<StringAlignment>(m_lineAlign));
    const RectF area(0, 0, static_cast<REAL>(width), static_cast<REAL>(height));
    // A one-line text measured wider or taller than the control is laid out in a box big enough for it
    // and cropped to the control, so it is cut rather than squeezed.
    if (m_formatFlags == kNoWrap && (m_naturalSize.cx > width || m_naturalSize.cy > height)) {
        const Size layout(std::max<INT>(width, m_naturalSize.cx), std::max<INT>(height, m_naturalSize.cy));
        xSkinDrawStringToBitmap(graphics, m_text.c_str(), area, &font, &format, &brush, &layout);
    } else {
        xSkinDrawStringToBitmap(graphics, m_text.c_str(), area, &font, &format, &brush, nullptr);
    }
}
