#include "skin/SkinButton.h"

#include <cwchar>

#include "framework/DC.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinDraw.h"
#include "skin/SkinFontFace.h"
#include "skin/SkinGraphics.h"

using namespace Gdiplus;

IMPLEMENT_DYNAMIC(CxSkinButton, CxSkinCtrl)

namespace {

constexpr int kCaptionPadX = 6;
constexpr int kCaptionPadY = 4;
constexpr int kTextInset = 2;
constexpr int kContentMargin = 3;
constexpr int kTextGapAfterContent = 5;
constexpr UINT kAlignLeft = 1;
constexpr UINT kAlignRight = 3;
constexpr UINT kLastValidAlign = 2;

[[noreturn]] void ThrowFailure(const std::wstring& message) {
    throw new CxSkinControlsException(message.c_str());
}

} // namespace

CxSkinButton::~CxSkinButton() = default;

void CxSkinButton::LoadInto(ImagePtr& slot, const std::wstring& path, const wchar_t* message) {
    slot.reset();
    if (path.empty())
        return;
    slot = xSkinShareBitmapOrThrow(path, message);
}

void CxSkinButton::LoadIfGiven(ImagePtr& slot, const std::wstring& path, const wchar_t* message) {
    if (!path.empty())
        LoadInto(slot, path, message);
}

void CxSkinButton::SetPowerSkin(const std::wstring& power, const std::wstring& down, const std::wstring& over,
                                const std::wstring& disabled) {
    LoadIfGiven(m_powerNormal, power, L"SetPowerSkin: failed to load power skin (%ls)!");
    LoadIfGiven(m_powerDown, down, L"SetPowerSkin: failed to load down image (%ls)!");
    LoadIfGiven(m_powerOver, over, L"SetPowerSkin: failed to load over image (%ls)!");
    LoadIfGiven(m_powerDisable, disabled, L"SetPowerSkin: failed to load disabled image (%ls)!");
}

void CxSkinButton::SetContentSkin(const std::wstring& path) {
    LoadIfGiven(m_content, path, L"SetContentSkin: failed to load content skin (%ls)!");
}

void CxSkinButton::SetContentDownSkin(const std::wstring& path) {
    LoadIfGiven(m_contentDown, path, L"SetContentDownSkin: failed to load content down skin (%ls)!");
}

void CxSkinButton::SetContentOverSkin(const std::wstring& path) {
    LoadIfGiven(m_contentOver, path, L"SetContentOverSkin: failed to load content over skin (%ls)!");
}

void CxSkinButton::SetContentDisableSkin(const std::wstring& path) {
    LoadIfGiven(m_contentDisable, path, L"SetContentDisableSkin: failed to load content disable skin (%ls)!");
}

void CxSkinButton::SetNormalSkin(const std::wstring& path) {
    LoadInto(m_normal, path, L"SetNormalSkin: failed to load normal skin (%ls)!");
}

void CxSkinButton::SetOverSkin(const std::wstring& path) {
    LoadInto(m_over, path, L"SetSkin: failed to load over image (%ls)!");
}

void CxSkinButton::SetDisableSkin(const std::wstring& path) {
    LoadInto(m_disable, path, L"SetSkin: failed to load disabled image (%ls)!");
}

void CxSkinButton::SetDownSkin(const std::wstring& path) {
    LoadInto(m_down, path, L"SetSkin: failed to load down image (%ls)!");
}

void CxSkinButton::SetPowerNormalSkin(const std::wstring& path) {
    LoadIfGiven(m_powerNormal, path, L"SetPowerSkin: failed to load power skin (%ls)!");
}

void CxSkinButton::SetPowerOverSkin(const std::wstring& path) {
    LoadIfGiven(m_powerOver, path, L"SetPowerSkin: failed to load over image (%ls)!");
}

void CxSkinButton::SetPowerDownSkin(const std::wstring& path) {
    LoadIfGiven(m_powerDown, path, L"SetPowerSkin: failed to load down image (%ls)!");
}

void CxSkinButton::SetPowerDisableSkin(const std::wstring& path) {
    LoadIfGiven(m_powerDisable, path, L"SetPowerSkin: failed to load disabled image (%ls)!");
}

void CxSkinButton::SetContentImageAlign(UINT align) {
    if (align > kLastValidAlign) {
        wchar_t message[96];
        std::swprintf(message, std::size(message), L"SetContentImageAlign: nAlign is invalid (nAlign=%d)!",
                      static_cast<int>(align));
        ThrowFailure(message);
    }
    m_contentAlign = static_cast<int>(align);
}

void CxSkinButton::SetPowerState(int on, BOOL redraw) {
    if (on == m_powerState)
        return;
    m_powerState = on;
    if (redraw)
        Redraw(FALSE);
    // The tooltip says what a click would do; the control's own text is kept for when it goes off again.
    if (!m_toolTip.empty() && !m_checkToolTip.empty())
        UpdateToolTip(ShownToolTip());
}

const std::wstring& CxSkinButton::ShownToolTip() const {
    return m_powerState && !m_toolTip.empty() && !m_checkToolTip.empty() ? m_checkToolTip : m_toolTip;
}

void CxSkinButton::SetToolTip(const std::wstring& text) {
    m_toolTip = text;
    if (IsCreated())
        UpdateToolTip(ShownToolTip());
}

void CxSkinButton::SetCheckToolTip(const std::wstring& text) {
    m_checkToolTip = text;
    if (IsCreated() && !m_toolTip.empty())
        UpdateToolTip(ShownToolTip());
}

SIZE CxSkinButton::GetNormalImageSize() const {
    if (!m_normal)
        return {0, 0};
    return {static_cast<LONG>(m_normal->GetWidth()), static_cast<LONG>(m_normal->GetHeight())};
}

int CxSkinButton::Create() {
    if (m_designWidth == 0 || m_designHeight == 0) {
        if (m_normal) {
            m_designWidth = static_cast<int>(m_normal->GetWidth());
            m_designHeight = static_cast<int>(m_normal->GetHeight());
        }
        if (!m_text.empty()) {
            const SIZE extent = GetTextExtent();
            if (m_designWidth != 0 && m_designHeight != 0) {
                // Sized by the image: grow only where the caption would not fit.
                if (m_designWidth < extent.cx)
                    m_designWidth = extent.cx + kCaptionPadX;
                if (m_designHeight < extent.cy)
                    m_designHeight = extent.cy + kCaptionPadY;
            } else {
                m_designWidth = extent.cx + kCaptionPadX;
                m_designHeight = extent.cy + kCaptionPadY;
            }
        }
    }
    const BOOL created = Create(GetDesignRect(), m_parentLayer, static_cast<UINT>(m_ctrlId));
    if (!created)
        return FALSE;
    auto* parent = dynamic_cast<CxSkinObject*>(m_parentObject);
    IxSkinListener* handler = parent ? parent->FindListener() : nullptr;
    m_buttonListener = dynamic_cast<IxSkinButtonListener*>(handler);
    UpdateTransform(FALSE);
    return created;
}

void CxSkinButton::FireClick() {
    if (IxSkinButtonListener* listener = m_buttonListener; listener && IsEnabled(TRUE))
        listener->OnClick(GetName());
}

void CxSkinButton::OnLButtonDown(UINT flags, POINT point) {
    CxSkinCtrl::OnLButtonDown(flags, point);
    m_pressed = 1;
}

void CxSkinButton::OnMouseMove(UINT flags, POINT point) {
    if (IsEnabled(TRUE)) {
        ApplyCursor(TRUE);
        if (!m_hot) {
            m_hot = 1;
            Redraw(FALSE);
        }
    }
    CLayerWnd::OnMouseMove(flags, point);
}

void CxSkinButton::OnLButtonUp(UINT flags, POINT point) {
    m_hot = 0;
    m_pressed = 0;
    Redraw(FALSE);
    CLayerWnd::OnLButtonUp(flags, point);
    // After a repetition the release clicks nothing and re-arms the button for the next press.
    if (m_clickArmed.exchange(1) == 0)
        return;
    if (IsInside(point))
        FireClick();
}

void CxSkinButton::OnLButtonDblClk(UINT /*flags*/, POINT point) {
    if (IxSkinButtonListener* listener = m_buttonListener; listener && IsInside(point) && IsEnabled(TRUE))
        listener->OnDblClick(GetName());
}

void CxSkinButton::OnRButtonUp(UINT flags, POINT point) {
    // The listener hears last: a right click that opens a menu or switches the panel may free this button.
    const bool report = m_buttonListener && IsInside(point) && IsEnabled(TRUE);
    m_pressed = 0;
    CLayerWnd::OnRButtonUp(flags, point);
    if (report)
        m_buttonListener->OnRButtonUp(GetName());
}

void CxSkinButton::OnMouseOut() {
    if (m_hot || m_pressed) {
        m_hot = 0;
        m_pressed = 0;
        Redraw(FALSE);
    }
    ApplyCursor(FALSE);
    CLayerWnd::OnMouseOut();
}

void CxSkinButton::DrawChildren(CDC* dc, const RECT* /*clip*/) {
    DrawOnDC(dc);
}

Bitmap* CxSkinButton::ChooseStateImage(bool enabled, bool& disabledLook) const {
    Bitmap* rest = m_normal.get();
    if (m_powerState && m_powerNormal)
        rest = m_powerNormal.get();
    disabledLook = false;
    if (enabled) {
        if (!m_hot)
            return rest;
        if (m_powerState)
            return m_powerOver ? m_powerOver.get() : (m_over ? m_over.get() : rest);
        return m_over ? m_over.get() : m_normal.get();
    }
    // A disabled image of its own is shown as it is; otherwise the resting image fades.
    Bitmap* own = m_powerState ? m_powerDisable.get() : m_disable.get();
    if (own)
        return own;
    disabledLook = true;
    return rest;
}

Bitmap* CxSkinButton::ChooseContentImage(bool enabled) const {
    if (!enabled)
        return m_contentDisable ? m_contentDisable.get() : m_content.get();
    if (m_hot && m_contentOver)
        return m_contentOver.get();
    return m_content.get();
}

void CxSkinButton::Draw(Graphics* graphics) {
    DrawTransformed(graphics, [this](Graphics& transformed) { Paint(transformed); });
}

void CxSkinButton::Paint(Graphics& graphics) {
    const RECT paint = GetPaintRect();
    const int width = paint.right - paint.left, height = paint.bottom - paint.top;
    const bool enabled = IsEnabled(TRUE) != FALSE;

    bool disabledLook = false;
    Bitmap* image = ChooseStateImage(enabled, disabledLook);
    // A down image replaces the normal one wherever that would show: skins use it as the resting look.
    if (image && image == m_normal.get() && m_down)
        image = m_down.get();
    if (image)
        xSkinDrawImage(graphics, image, Rect(0, 0, width, height), m_transparency, disabledLook, m_threeSlice != 0,
                       kCapWidth, kCapWidth);

    RectF textArea(static_cast<REAL>(kTextInset), 0, static_cast<REAL>(width - 2 * kTextInset),
                   static_cast<REAL>(height));
    if (Bitmap* content = ChooseContentImage(enabled)) {
        const int w = static_cast<int>(content->GetWidth()), h = static_cast<int>(content->GetHeight());
        int x = (width - w) / 2;
        if (m_contentAlign == static_cast<int>(kAlignLeft))
            x = kContentMargin;
        else if (m_contentAlign == static_cast<int>(kAlignRight))
            x = width - w - kContentMargin;
        xSkinPrepareImage(content);
        graphics.DrawImage(content, x, (height - h + 1) / 2, w, h);
        if (m_contentAlign == static_cast<int>(kAlignLeft)) {
            textArea.X += static_cast<REAL>(w + kTextGapAfterContent);
            textArea.Width -= static_cast<REAL>(w + kTextGapAfterContent);
        } else if (m_contentAlign == static_cast<int>(kAlignRight)) {
            textArea.Width -= static_cast<REAL>(w);
        }
    }
    if (const std::wstring& caption = GetShownText(); !caption.empty())
        PaintText(graphics, caption, textArea, enabled);
}

void CxSkinButton::PaintText(Graphics& graphics, const std::wstring& text, const RectF& area, bool enabled) const {
    if (area.Width <= 0 || area.Height <= 0)
        return;
    const CxSkinFontFace face(m_fontFamily);
    const Font font(face.Get(), static_cast<REAL>(m_fontSize), m_fontStyle, UnitPoint);
    const SolidBrush brush{Color(enabled ? m_foreColor : m_disabledTextColor)};
    StringFormat format;
    format.SetAlignment(static_cast<StringAlignment>(m_textAlign));
    format.SetLineAlignment(static_cast<StringAlignment>(m_lineAlign));
    xSkinDrawStringToBitmap(graphics, text.c_str(), area, &font, &format, &brush, nullptr);
}
