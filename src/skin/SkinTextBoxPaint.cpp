// The text box's layout and painting: its font, where each character boundary lies, the scrolling that
// keeps the caret in view, and the drawing of background, selection, text and caret.
#include "skin/SkinTextBox.h"

#include <algorithm>
#include <unordered_map>

#include "skin/SkinDraw.h"
#include "skin/SkinFontFace.h"
#include "skin/SkinGraphics.h"
#include "skin/SkinTextBoxDetail.h"

using namespace Gdiplus;
using skin_text_box::IsHighSurrogate;
using skin_text_box::IsLowSurrogate;

// ---- Geometry ----

bool CxSkinTextBox::MakeFont(int style) {
    const CxSkinFontFace face(m_fontFamily);
    auto font = std::make_unique<Font>(face.Get(), static_cast<REAL>(m_fontSize), style, UnitPoint);
    if (font->GetLastStatus() != Ok)
        return false;
    m_font = std::move(font);
    InvalidateBoundaries();
    return true;
}

const Font* CxSkinTextBox::TextFont() {
    if (!m_font)
        return nullptr;
    if (!m_scriptFontKnown) {
        m_scriptFont = xSkinScriptFont(m_font.get(), m_buffer.c_str());
        m_scriptFontKnown = true;
    }
    return m_scriptFont ? m_scriptFont.get() : m_font.get();
}

const std::vector<float>& CxSkinTextBox::Boundaries() {
    if (!m_boundaries.empty())
        return m_boundaries;
    const size_t length = m_buffer.size();
    m_boundaries.assign(length + 1, 0.0f);
    if (length == 0 || !m_font || !m_measureDc)
        return m_boundaries;
    Graphics graphics(m_measureDc);
    graphics.SetTextRenderingHint(TextRenderingHintAntiAlias);
    std::unique_ptr<StringFormat> format(StringFormat::GenericTypographic()->Clone());
    format->SetFormatFlags(format->GetFormatFlags() | StringFormatFlagsNoWrap | StringFormatFlagsMeasureTrailingSpaces);
    // Character by character, each distinct character measured once: a text of many thousand characters
    // costs as much as its alphabet. A surrogate pair is measured whole and its width given to its first half.
    std::unordered_map<std::wstring, float> widths;
    for (size_t i = 0; i < length; ++i) {
        size_t count = 1;
        if (IsHighSurrogate(m_buffer[i]) && i + 1 < length && IsLowSurrogate(m_buffer[i + 1]))
            count = 2;
        const std::wstring glyph = m_buffer.substr(i, count);
        auto found = widths.find(glyph);
        if (found == widths.end()) {
            RectF box;
            graphics.MeasureString(glyph.c_str(), static_cast<INT>(count), TextFont(), PointF(0, 0), format.get(),
                                   &box);
            found = widths.emplace(glyph, box.Width).first;
        }
        m_boundaries[i + 1] = m_boundaries[i] + found->second;
        if (count == 2) {
            m_boundaries[i + 2] = m_boundaries[i + 1];
            ++i;
        }
    }
    return m_boundaries;
}

bool CxSkinTextBox::Scrolls() {
    return Boundaries().back() > static_cast<float>(m_textRect.right - m_textRect.left);
}

float CxSkinTextBox::AlignmentOffset(float textWidth) const {
    const float room = static_cast<float>(m_textRect.right - m_textRect.left) - textWidth;
    switch (m_textAlign) {
    case StringAlignmentCenter:
        return room / 2;
    case StringAlignmentFar:
        return room;
    default:
        return 0.0f;
    }
}

float CxSkinTextBox::BoundaryX(int index) {
    const std::vector<float>& bounds = Boundaries();
    index = std::clamp(index, 0, static_cast<int>(bounds.size()) - 1);
    const float left = static_cast<float>(m_textRect.left);
    // A text wider than the box is laid out from its first visible character at the left edge; a text
    // that fits is placed by the box's alignment.
    if (Scrolls()) {
        const int first = std::clamp(m_firstVisible, 0, static_cast<int>(bounds.size()) - 1);
        return left + bounds[index] - bounds[first];
    }
    return left + AlignmentOffset(bounds.back()) + bounds[index];
}

void CxSkinTextBox::SetCaretPos(int caret) {
    const int length = static_cast<int>(m_buffer.size());
    m_caret = std::clamp(caret, 0, length);
    m_anchor = std::clamp(m_anchor, 0, length);
    if (!Scrolls()) {
        m_firstVisible = 0;
        return;
    }
    const std::vector<float>& bounds = Boundaries();
    m_firstVisible = std::clamp(m_firstVisible, 0, length);
    const float width = static_cast<float>(m_textRect.right - m_textRect.left);
    const float x0 = bounds[m_firstVisible];
    const float leading = bounds[m_caret];
    const float trailing = m_caret < length ? bounds[m_caret + 1] : bounds[length];
    if (leading < x0) {
        m_firstVisible = m_caret;
    } else if (trailing > x0 + width) {
        // The first character that starts at or right of (trailing - width) keeps the caret's character in view.
        const float target = trailing - width;
        m_firstVisible = static_cast<int>(std::lower_bound(bounds.begin(), bounds.end(), target) - bounds.begin());
        m_firstVisible = std::min(m_firstVisible, m_caret);
    }
}

int CxSkinTextBox::XToCharIndex(float x, bool* trailing) {
    if (trailing)
        *trailing = false;
    const std::vector<float>& bounds = Boundaries();
    const int length = static_cast<int>(bounds.size()) - 1;
    const float t = x - BoundaryX(0);
    if (t < 0)
        return 0;
    if (t >= bounds.back())
        return length;
    const int index = static_cast<int>(std::upper_bound(bounds.begin(), bounds.end(), t) - bounds.begin()) - 1;
    const int clamped = std::clamp(index, 0, std::max(0, length - 1));
    if (trailing && clamped < length)
        *trailing = t > (bounds[clamped] + bounds[clamped + 1]) / 2;
    return clamped;
}

void CxSkinTextBox::GetSelectionSpan(float* left, float* right) {
    const float a = BoundaryX(m_caret), b = BoundaryX(m_anchor);
    if (left)
        *left = std::min(a, b);
    if (right)
        *right = std::max(a, b);
}

float CxSkinTextBox::GetCaretX() {
    return BoundaryX(m_caret);
}

Color CxSkinTextBox::TextColor() const {
    return Color(IsEnabled(TRUE) ? m_foreColor : m_disabledTextColor);
}

// ---- Painting ----

void CxSkinTextBox::DrawChildren(CDC* dc, const RECT* /*clip*/) {
    DrawOnDC(dc);
}

void CxSkinTextBox::Draw(Graphics* graphics) {
    if (!graphics || !IsVisible())
        return;
    CxLockGuard guard(m_paintLock);
    const GraphicsState state = graphics->Save();
    ApplyTransform(*graphics);
    graphics->SetTextRenderingHint(TextRenderingHintAntiAlias);
    const bool enabled = IsEnabled(TRUE) != FALSE;
    if (m_background) {
        xSkinDrawImageStretched(*graphics, m_background.get(), Rect(0, 0, m_designWidth, m_designHeight), kStretchFill,
                                m_transparency, !enabled);
    }

    SetCaretPos(m_caret); // scrolls the caret into view for this paint
    const RectF textRect(static_cast<REAL>(m_textRect.left), static_cast<REAL>(m_textRect.top),
                         static_cast<REAL>(m_textRect.right - m_textRect.left),
                         static_cast<REAL>(m_textRect.bottom - m_textRect.top));
    if (m_caret != m_anchor) {
        float left = 0, right = 0;
        GetSelectionSpan(&left, &right);
        RectF span(left, textRect.Y, right - left, textRect.Height);
        if (span.Intersect(textRect)) {
            SolidBrush brush{Color(m_selectionColor)};
            graphics->FillRectangle(&brush, span);
        }
    }

    const int first = std::clamp(m_firstVisible, 0, static_cast<int>(m_buffer.size()));
    if (m_font && m_format && first < static_cast<int>(m_buffer.size())) {
        const bool scrolls = Scrolls();
        m_format->SetAlignment(scrolls ? StringAlignmentNear : static_cast<StringAlignment>(m_textAlign));
        // Only what can show is laid out (one character more for the one cut at the right edge): a text of
        // many thousand characters paints as fast as a short one.
        int count = static_cast<int>(m_buffer.size()) - first;
        if (scrolls) {
            const std::vector<float>& bounds = Boundaries();
            const auto end = std::upper_bound(bounds.begin() + first, bounds.end(), bounds[first] + textRect.Width);
            count = std::min(count, static_cast<int>(end - bounds.begin()) - first + 1);
        }
        const SolidBrush brush{TextColor()};
        const GraphicsState clipped = graphics->Save();
        graphics->SetClip(textRect, CombineModeIntersect);
        graphics->DrawString(m_buffer.c_str() + first, count, TextFont(), textRect, m_format.get(), &brush);
        graphics->Restore(clipped);
        const std::wstring shown = m_buffer.substr(static_cast<size_t>(first), static_cast<size_t>(count));
        xSkinTellTextDrawn(*graphics, {shown, shown, TextFont(), m_format.get(), textRect, textRect});
    }

    // The blink flips here: the timer only asks for this paint.
    if (IsBlinkTimerRunning()) {
        const double now = m_system->Now();
        if (now - m_blinkClock >= m_blinkInterval) {
            m_caretVisible = !m_caretVisible;
            m_blinkClock = now;
        }
    }
    if (m_focused && m_caretVisible && !m_noCaret) {
        SolidBrush brush{Color(m_caretColor)};
        graphics->FillRectangle(&brush, RectF(GetCaretX() - 0.5f, textRect.Y, 1.0f, textRect.Height));
    }
    graphics->Restore(state);
}
