#include "skin/DropListItem.h"

#include <algorithm>
#include <cmath>

#include "skin/SkinDraw.h"

using namespace Gdiplus;

namespace {

// A layout box large enough that no item text wraps or is cut while it is measured.
constexpr REAL kMeasureBox = 65535.0f;

int MeasureIn(Graphics& graphics, const std::wstring& text, const Font* font) {
    if (!font || text.empty())
        return 0;
    StringFormat format(StringFormatFlagsNoWrap);
    RectF bounds;
    graphics.MeasureString(text.c_str(), static_cast<INT>(text.size()), font, RectF(0, 0, kMeasureBox, kMeasureBox),
                           &format, &bounds);
    // Rounded up: a box a fraction narrower than the text makes the fit rule cut its last letters.
    return static_cast<int>(std::ceil(bounds.Width));
}

} // namespace

int CDropListItem::MeasureWidth(Graphics& graphics) const {
    const int text = std::max(MeasureIn(graphics, m_text, m_looks[kNormal].font.get()),
                              MeasureIn(graphics, m_text, m_looks[kSelected].font.get()));
    return text > 0 ? text + 2 * kTextInset : 0;
}

void CDropListItem::Draw(Graphics& graphics, bool selected) {
    m_selected = selected ? TRUE : FALSE;
    const Look& look = m_looks[selected ? kSelected : kNormal];
    const int width = m_rect.right - m_rect.left, height = m_rect.bottom - m_rect.top;
    if (width <= 0 || height <= 0)
        return;
    if (look.image) {
        // Mirrored edges: a stretched image keeps its border pixels instead of fading into nothing.
        ImageAttributes attributes;
        attributes.SetWrapMode(WrapModeTileFlipXY);
        const int w = static_cast<int>(look.image->GetWidth()), h = static_cast<int>(look.image->GetHeight());
        xSkinPrepareImage(look.image.get());
        graphics.DrawImage(look.image.get(), Rect(m_rect.left, m_rect.top, width, height), 0, 0, w, h, UnitPixel,
                           &attributes);
    }
    m_textCut = FALSE;
    if (!look.font || m_text.empty())
        return;
    const int textWidth = width - 2 * kTextInset;
    m_textCut = MeasureIn(graphics, m_text, look.font.get()) > textWidth;
    StringFormat format(StringFormatFlagsNoWrap);
    format.SetTrimming(StringTrimmingEllipsisCharacter);
    format.SetAlignment(StringAlignmentNear);
    format.SetLineAlignment(StringAlignmentCenter);
    const SolidBrush brush{Color(look.textColor)};
    if (textWidth <= 0)
        return;
    const RectF area(static_cast<REAL>(m_rect.left + kTextInset), static_cast<REAL>(m_rect.top),
                     static_cast<REAL>(textWidth), static_cast<REAL>(height));
    xSkinDrawStringToBitmap(graphics, m_text.c_str(), area, look.font.get(), &format, &brush, nullptr);
}
