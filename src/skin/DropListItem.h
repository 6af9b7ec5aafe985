#pragma once
// One entry of the combo box's drop list: its text, the name and data a handler keeps with it, and the
// fonts, images and colours of its two looks (normal and highlighted). The fonts and images are shared
// with the list's text styles, so a style replaced later never leaves an entry pointing at a freed one.

#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "skin/SkinParse.h"
#include "skin/TextWidthBound.h"

class CDropListItem {
public:
    struct Look {
        std::shared_ptr<Gdiplus::Font> font;
        std::shared_ptr<Gdiplus::Bitmap> image;
        SkinColor background = 0;
        SkinColor textColor = 0xFF000000;
    };
    enum : int { kNormal = 0, kSelected = 1 };

    // The room left of and right of a row's text, so that it does not start at the list's edge.
    static constexpr int kTextInset = 6;

    explicit CDropListItem(std::wstring text) : m_text(std::move(text)) {}

    // The item image stretched over the rectangle and the text, cut with an ellipsis, in the chosen look.
    // Records whether the text had to be cut.
    void Draw(Gdiplus::Graphics& graphics, bool selected);

    // Width of the text in the wider of the two fonts; 0 without fonts.
    int MeasureWidth(Gdiplus::Graphics& graphics) const;
    // A width MeasureWidth never exceeds, from the bounds that boundFor gives for the item's two fonts.
    template <class BoundFor> int WidthBound(BoundFor&& boundFor) const {
        const int text = std::max(boundFor(m_looks[kNormal].font.get()).Of(m_text),
                                  boundFor(m_looks[kSelected].font.get()).Of(m_text));
        return text >= CTextWidthBound::kUnbounded ? text : text + 2 * kTextInset;
    }

    const std::wstring& GetText() const { return m_text; }
    const std::wstring& GetName() const { return m_name; }
    void SetName(const std::wstring& name) { m_name = name; }
    std::int64_t GetData() const { return m_data; }
    void SetData(std::int64_t data) { m_data = data; }
    Look& GetLook(int state) { return m_looks[state == kSelected ? kSelected : kNormal]; }
    const RECT& GetRect() const { return m_rect; }
    void SetRect(const RECT& rect) { m_rect = rect; }
    BOOL IsTextCut() const { return m_textCut; }
    BOOL IsHover() const { return m_hover; }
    void SetHover(BOOL hover) { m_hover = hover; }
    BOOL IsSelected() const { return m_selected; }

private:
    RECT m_rect{};
    std::wstring m_text;
    std::wstring m_name;
    std::int64_t m_data = 0;
    Look m_looks[2];
    BOOL m_selected = FALSE;
    BOOL m_textCut = FALSE;
    BOOL m_hover = FALSE;
};
