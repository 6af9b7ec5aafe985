#include "skin/SkinMenuItem.h"

#include <algorithm>

#include "skin/SkinControlsException.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinDraw.h"
#include "skin/SkinFontFace.h"
#include "skin/SkinGraphics.h"
#include "skin/SkinMenu.h"

using namespace Gdiplus;

namespace {

// The measuring box: wide enough that no menu text is ever cut while it is measured.
constexpr REAL kMeasureWidth = 10000.0f;
constexpr REAL kMeasureHeight = 100.0f;
constexpr REAL kImageGlowWidth = 4.0f;
constexpr REAL kTextGlowWidth = 6.0f;
constexpr int kImageGlowShrink = 4;
constexpr int kImageGlowLead = 2;

[[noreturn]] void ThrowLoadFailure(const wchar_t* format, const wchar_t* path) {
    wchar_t message[1024];
    swprintf(message, std::size(message), format, path);
    throw new CxSkinControlsException(message);
}

std::unique_ptr<Bitmap> LoadOrThrow(const wchar_t* format, const wchar_t* path) {
    std::unique_ptr<Bitmap> image = xSkinLoadBitmap(path);
    if (!image)
        ThrowLoadFailure(format, path);
    return image;
}

int ImageWidth(Image* image) {
    return image ? static_cast<int>(image->GetWidth()) : 0;
}

int ImageHeight(Image* image) {
    return image ? static_cast<int>(image->GetHeight()) : 0;
}

int ScreenDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

// Width of the text laid out on one line, however wide: the box never cuts it.
REAL MeasureTextWidth(Graphics& g, const std::wstring& text, const Font* font, REAL height) {
    if (!font || text.empty())
        return 0;
    StringFormat format;
    xSkinMenuItemFormat(format);
    RectF bounds;
    // In the face the text is drawn in: a text in a script the row's face lacks is drawn in another face.
    const std::unique_ptr<Font> substitute = xSkinScriptFont(font, text.c_str());
    g.MeasureString(text.c_str(), -1, substitute ? substitute.get() : font, RectF(0, 0, kMeasureWidth, height),
                    &format, &bounds);
    return bounds.Width;
}

void PrepareGraphics(Graphics& g) {
    g.SetInterpolationMode(InterpolationModeHighQualityBicubic);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
}

} // namespace

void xSkinMenuItemFormat(StringFormat& format) {
    format.SetFormatFlags(StringFormatFlagsNoWrap);
    format.SetTrimming(StringTrimmingEllipsisCharacter);
    format.SetAlignment(StringAlignmentNear);
    format.SetLineAlignment(StringAlignmentCenter);
}

CxSkinMenuItem::CxSkinMenuItem() {
    for (StateStyle& style : m_styles)
        style.fontName = CxSkinCtrl::GetDefaultFontFace();
}

CxSkinMenuItem::~CxSkinMenuItem() {
    // The sub-menu's window goes with it (its destructor destroys it first).
    delete m_subMenu;
    m_subMenu = nullptr;
}

CxSkinMenuItem::StateStyle* CxSkinMenuItem::Style(int state) {
    return state >= 0 && state < kMenuItemStateCount ? &m_styles[static_cast<size_t>(state)] : nullptr;
}

const CxSkinMenuItem::StateStyle* CxSkinMenuItem::Style(int state) const {
    return state >= 0 && state < kMenuItemStateCount ? &m_styles[static_cast<size_t>(state)] : nullptr;
}

void CxSkinMenuItem::SetOwner(IxSkinObject* owner) {
    m_owner = owner;
    LinkSubMenu();
}

void CxSkinMenuItem::SetBackground(int state, ARGB color) {
    if (StateStyle* style = Style(state))
        style->backgroundColor = color;
}

void CxSkinMenuItem::SetTextForeground(int state, ARGB color) {
    if (StateStyle* style = Style(state))
        style->textColor = color;
}

void CxSkinMenuItem::SetTextFontName(int state, const std::wstring& face) {
    if (StateStyle* style = Style(state)) {
        style->fontName = face;
        style->font.reset();
    }
}

void CxSkinMenuItem::SetTextFontWeight(int state, int fontStyle) {
    if (StateStyle* style = Style(state)) {
        style->fontStyle = fontStyle;
        style->font.reset();
    }
}

void CxSkinMenuItem::SetTextFontHeight(int state, int points) {
    if (StateStyle* style = Style(state)) {
        style->fontHeight = points;
        style->font.reset();
    }
}

void CxSkinMenuItem::SetItemContentImage(int state, const wchar_t* path) {
    if (!path || !*path)
        return;
    std::unique_ptr<Bitmap> image = LoadOrThrow(L"SetItemContentImage: failed to load %ls", path);
    if (StateStyle* style = Style(state))
        style->contentImage = std::move(image);
}

void CxSkinMenuItem::SetItemBackgroundImage(int state, const wchar_t* path) {
    if (!path || !*path)
        return;
    std::unique_ptr<Bitmap> image = LoadOrThrow(L"SetItemContentImage: failed to load %ls", path);
    if (StateStyle* style = Style(state))
        style->backgroundImage = std::move(image);
}

void CxSkinMenuItem::LoadSlotImage(int slot, const wchar_t* path) {
    if (!path || !*path)
        return;
    m_images[static_cast<size_t>(slot)] = LoadOrThrow(L"LoadImage: failed to load %ls", path);
}

void CxSkinMenuItem::SetSubMenu(CxSkinMenu* menu) {
    if (menu == m_subMenu)
        return;
    delete m_subMenu;
    m_subMenu = menu;
    LinkSubMenu();
}

void CxSkinMenuItem::LinkSubMenu() {
    // The sub-menu finds its listener through the menu that owns this row instead of holding the owner's
    // listener itself: a dialog releases its listener when its window goes, and a shared one would be
    // released twice.
    if (m_subMenu && m_owner)
        m_subMenu->SetParent(m_owner);
}

Font* CxSkinMenuItem::StateFont(int state) {
    StateStyle* style = Style(state);
    if (!style)
        return nullptr;
    if (!style->font) {
        const REAL points = static_cast<REAL>(style->fontHeight > 0 ? style->fontHeight : kFallbackFontPoints);
        auto font = std::make_unique<Font>(style->fontName.c_str(), points, style->fontStyle, UnitPoint);
        if (font->GetLastStatus() != Ok)
            font = std::make_unique<Font>(FontFamily::GenericSansSerif(), points, style->fontStyle, UnitPoint);
        if (font->GetLastStatus() == Ok)
            style->font = std::move(font);
    }
    return style->font.get();
}

int CxSkinMenuItem::Measure(HDC dc) {
    HDC own = dc ? nullptr : ::GetDC(nullptr);
    int textWidth = 0;
    if (!m_content.empty()) {
        Graphics g(dc ? dc : own);
        const REAL hot = MeasureTextWidth(g, m_content, StateFont(kMenuItemHot), kMeasureHeight);
        const REAL normal = MeasureTextWidth(g, m_content, StateFont(kMenuItemNormal), kMeasureHeight);
        textWidth = static_cast<int>(std::max(hot, normal));
    }
    if (own)
        ::ReleaseDC(nullptr, own);
    int width = textWidth + m_titleWidth + kTextPadding;
    if (Bitmap* image = m_styles[kMenuItemNormal].contentImage.get())
        width += ImageWidth(image) + kImagePadding;
    return width;
}

void CxSkinMenuItem::SetRect(POINT position, SIZE size) {
    m_position = position;
    m_size = size;
}

int CxSkinMenuItem::GetHeight() const {
    if (IsSeparator())
        return ImageHeight(m_images[kSeparatorImage].get());
    return m_height;
}

RECT CxSkinMenuItem::GetRect() const {
    return {m_position.x, m_position.y, m_position.x + m_size.cx, m_position.y + m_size.cy};
}

std::wstring CxSkinMenuItem::GetToolTipText() const {
    return IsSeparator() ? std::wstring() : m_content;
}

int CxSkinMenuItem::GetId() const {
    return IsSeparator() ? 0 : m_id;
}

BOOL CxSkinMenuItem::HitTest(POINT point) const {
    if (IsSeparator() || IsInactive() || m_size.cy < 1)
        return FALSE;
    const RECT rect = GetRect();
    return ::PtInRect(&rect, point);
}

BOOL CxSkinMenuItem::HitTestHover(POINT point) {
    if (IsSeparator() || IsInactive())
        return FALSE;
    const RECT rect = GetRect();
    m_hover = m_size.cy > 0 && ::PtInRect(&rect, point);
    return m_hover;
}

Bitmap* CxSkinMenuItem::ActiveContentImage(BOOL hot) const {
    Bitmap* normal = m_styles[kMenuItemNormal].contentImage.get();
    if (!hot)
        return normal;
    Bitmap* hotImage = m_styles[kMenuItemHot].contentImage.get();
    return hotImage ? hotImage : normal;
}

void CxSkinMenuItem::DrawContentImage(Graphics& g, Bitmap* image, int x, int y) const {
    const Rect target(x, y, ImageWidth(image), ImageHeight(image));
    xSkinPrepareImage(image);
    if (!IsInactive()) {
        g.DrawImage(image, target);
        return;
    }
    // Grey at half opacity: luminance into each colour channel, alpha halved.
    ColorMatrix grey = {{{0.299f, 0.299f, 0.299f, 0, 0},
                         {0.587f, 0.587f, 0.587f, 0, 0},
                         {0.114f, 0.114f, 0.114f, 0, 0},
                         {0, 0, 0, 0.5f, 0},
                         {0, 0, 0, 0, 1}}};
    ImageAttributes attributes;
    attributes.SetColorMatrix(&grey);
    g.DrawImage(image, target, 0, 0, target.Width, target.Height, UnitPixel, &attributes);
}

void CxSkinMenuItem::Draw(HDC dc, BOOL hot) {
    if (!dc)
        return;
    const int x = m_position.x, y = m_position.y, width = m_size.cx, height = m_size.cy;
    CxSkinGraphics graphics(dc);
    Graphics& g = *graphics;
    PrepareGraphics(g);
    if (IsSeparator()) {
        if (Bitmap* separator = m_images[kSeparatorImage].get()) {
            xSkinPrepareImage(separator);
            g.DrawImage(separator, Rect(x + m_titleWidth, y, width - m_titleWidth, height));
        }
        return;
    }
    StateFont(kMenuItemNormal);
    StateFont(kMenuItemHot);
    m_hover = hot;
    if (hot)
        DrawHoverDecoration(g, dc);
    Bitmap* check = m_images[kCheckImage].get();
    if ((m_flags & MF_CHECKED) && check) {
        xSkinPrepareImage(check);
        g.DrawImage(check, Rect(x + (m_titleWidth - ImageWidth(check)) / 2, y + (height - ImageHeight(check)) / 2,
                                ImageWidth(check), ImageHeight(check)));
    }
    int textLeft = x + m_titleWidth;
    Bitmap* arrow = m_images[kSubMenuImage].get();
    if (m_subMenu && arrow) {
        xSkinPrepareImage(arrow);
        g.DrawImage(arrow, Rect(x + width - ImageWidth(arrow), y + (height - ImageHeight(arrow)) / 2, ImageWidth(arrow),
                                ImageHeight(arrow)));
    }
    if (Bitmap* content = ActiveContentImage(hot)) {
        DrawContentImage(g, content, textLeft, y);
        textLeft += ImageWidth(content);
    }
    DrawText(g, hot, textLeft);
}

void CxSkinMenuItem::DrawHoverDecoration(Graphics& g, HDC dc) {
    const int left = m_skipTitleDrawing ? m_position.x + m_titleWidth : m_position.x;
    const Rect area(left, m_position.y, m_position.x + m_size.cx - left, m_size.cy);
    switch (m_effect) {
    case kMenuEffectImage:
        if (Bitmap* highlight = m_images[kHighlightImage].get()) {
            xSkinPrepareImage(highlight);
            g.DrawImage(highlight, area);
        }
        break;
    case kMenuEffectOutline: {
        Pen pen(Color(m_styles[kMenuItemHot].backgroundColor), 1.0f);
        g.DrawRectangle(&pen, area);
        break;
    }
    case kMenuEffectLight:
        // The light draws through a Graphics of its own on the same surface.
        g.Flush(FlushIntentionSync);
        DrawLight(dc);
        break;
    default:
        break;
    }
}

void CxSkinMenuItem::DrawText(Graphics& g, BOOL hot, int textLeft) {
    m_textTruncated = FALSE;
    if (m_content.empty() || !m_drawTextContent)
        return;
    const int state = hot ? kMenuItemHot : kMenuItemNormal;
    Font* font = StateFont(state);
    if (!font)
        return;
    ARGB color = m_styles[static_cast<size_t>(state)].textColor;
    if (!hot && IsInactive())
        color = kGreyedTextColor;
    const REAL available = static_cast<REAL>(m_position.x + m_size.cx - textLeft);
    const REAL height = static_cast<REAL>(m_size.cy);
    StringFormat format;
    xSkinMenuItemFormat(format);
    SolidBrush brush{Color(color)};
    xSkinDrawStringToBitmap(g, m_content.c_str(),
                            RectF(static_cast<REAL>(textLeft), static_cast<REAL>(m_position.y), available, height),
                            font, &format, &brush, nullptr);
    // Measured on one unbounded line: a box of the available width would cut the text to fit and never
    // report it as cut.
    m_textTruncated = MeasureTextWidth(g, m_content, font, height) > available;
}

void CxSkinMenuItem::DrawLight(HDC dc) {
    if (!dc || m_effect != kMenuEffectLight || !m_hover)
        return;
    CxSkinGraphics graphics(dc);
    Graphics& g = *graphics;
    PrepareGraphics(g);
    const int x = m_position.x, y = m_position.y, width = m_size.cx, height = m_size.cy;
    int left = x + m_titleWidth;
    if (Bitmap* content = ActiveContentImage(m_hover)) {
        std::unique_ptr<GraphicsPath> outline = xSkinCreatePathFromBitmap(content);
        Pen pen(Color(m_lightColor), kImageGlowWidth);
        xSkinDrawPath(g, outline.get(),
                      RectF(static_cast<REAL>(left - kImageGlowLead), static_cast<REAL>(y),
                            static_cast<REAL>(x + width - left), static_cast<REAL>(height - kImageGlowShrink)),
                      nullptr, &pen);
        left += ImageWidth(content);
    }
    if (m_content.empty() || !m_drawTextContent)
        return;
    const StateStyle& hot = m_styles[kMenuItemHot];
    const CxSkinFontFace face(hot.fontName);
    const int points = hot.fontHeight > 0 ? hot.fontHeight : kFallbackFontPoints;
    const REAL size = static_cast<REAL>(points * ScreenDpi() / 96);
    StringFormat format;
    xSkinMenuItemFormat(format);
    Pen pen(Color(m_lightColor), kTextGlowWidth);
    xSkinDrawOutlinedText(g, m_content.c_str(), face.Get(), hot.fontStyle, size,
                          RectF(static_cast<REAL>(left), static_cast<REAL>(y), static_cast<REAL>(x + width - left),
                                static_cast<REAL>(height)),
                          &format, nullptr, &pen);
}

int CxSkinMenuItem::GetFontHeight(int state) const {
    const StateStyle* style = Style(state);
    return style ? style->fontHeight : 0;
}

int CxSkinMenuItem::GetFontStyle(int state) const {
    const StateStyle* style = Style(state);
    return style ? style->fontStyle : 0;
}

const std::wstring& CxSkinMenuItem::GetFontName(int state) const {
    static const std::wstring none;
    const StateStyle* style = Style(state);
    return style ? style->fontName : none;
}

ARGB CxSkinMenuItem::GetTextColor(int state) const {
    const StateStyle* style = Style(state);
    return style ? style->textColor : 0;
}

ARGB CxSkinMenuItem::GetBackgroundColor(int state) const {
    const StateStyle* style = Style(state);
    return style ? style->backgroundColor : 0;
}

Bitmap* CxSkinMenuItem::GetImage(int slot) const {
    return slot >= 0 && slot < kImageCount ? m_images[static_cast<size_t>(slot)].get() : nullptr;
}

Bitmap* CxSkinMenuItem::GetContentImage(int state) const {
    const StateStyle* style = Style(state);
    return style ? style->contentImage.get() : nullptr;
}

Bitmap* CxSkinMenuItem::GetBackgroundImage(int state) const {
    const StateStyle* style = Style(state);
    return style ? style->backgroundImage.get() : nullptr;
}
