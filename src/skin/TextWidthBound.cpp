#include "skin/TextWidthBound.h"

#include <algorithm>
#include <cmath>

using namespace Gdiplus;

namespace {

constexpr REAL kMeasureBox = 65535.0f;
// Shaping may set a pair of glyphs a little wider than the two alone (contextual forms): room for that.
constexpr float kShapingSlack = 1.05f;
constexpr float kRoundingSlack = 2.0f;

bool Unbounded(wchar_t c) {
    return c == L'\t' || (c >= 0xD800 && c <= 0xDFFF);
}

} // namespace

CTextWidthBound::CTextWidthBound(Graphics& graphics, const Font* font) : m_graphics(graphics), m_font(font) {}

float CTextWidthBound::Advance(wchar_t c) {
    if (const auto found = m_advances.find(c); found != m_advances.end())
        return found->second;
    // Spaces count inside a text: measured with the trailing ones, or a space would seem to take no room.
    StringFormat format(StringFormatFlagsNoWrap | StringFormatFlagsMeasureTrailingSpaces);
    const wchar_t pair[] = {c, c};
    RectF one, two;
    m_graphics.MeasureString(pair, 1, m_font, RectF(0, 0, kMeasureBox, kMeasureBox), &format, &one);
    m_graphics.MeasureString(pair, 2, m_font, RectF(0, 0, kMeasureBox, kMeasureBox), &format, &two);
    const float advance = std::max(two.Width - one.Width, 0.0f);
    m_padding = std::max(m_padding, one.Width - advance);
    m_advances.emplace(c, advance);
    return advance;
}

int CTextWidthBound::Of(const std::wstring& text) {
    if (!m_font || text.empty())
        return 0;
    float sum = 0;
    for (const wchar_t c : text) {
        if (Unbounded(c))
            return kUnbounded;
        sum += Advance(c);
    }
    return static_cast<int>(std::ceil(sum * kShapingSlack + m_padding + kRoundingSlack));
}
