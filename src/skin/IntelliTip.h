#pragma once
// The slider's value tip: a tiny window whose right edge sits at an anchor point, showing one line in the
// tooltip look. It hides itself one second after the last Show, so a drag keeps it up and a pause lets it go.

#include <windows.h>

#include <string>

#include "framework/Wnd.h"
#include "skin/SkinTipFont.h"

class CIntelliTip : public CWnd {
    DECLARE_DYNAMIC(CIntelliTip)
public:
    enum : UINT_PTR { kHideTimer = 2003 };
    static constexpr UINT kHideDelay = 1000;

    CIntelliTip() = default;
    ~CIntelliTip() override;

    // A popup owned by parent (null: the desktop), 0 x 0 and hidden until shown.
    BOOL Create(CWnd* parent);
    // Sizes the tip to the text's extent in the font it is drawn in, plus (8, 4); a visible tip moves to keep its
    // right edge.
    void SetText(const std::wstring& text);
    // The anchor: x is the tip's right edge, y its top, in screen coordinates.
    void SetPosition(POINT anchor);
    // Shows (or repaints) the tip and restarts the hide timer.
    void Show();
    void Hide();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    const std::wstring& GetText() const { return m_text; }
    SIZE GetSize() const { return m_size; }
    // The font the text is measured and drawn in: the status font, in a face that has the text's script.
    HFONT GetDrawFont() { return m_font.For(m_text); }
    POINT GetAnchor() const { return m_anchor; }

private:
    HDC OwnDC();
    void MoveToAnchor(UINT flags);
    void Paint(HDC dc);

    CWnd* m_parent = nullptr;
    CxSkinTipFont m_font;
    POINT m_anchor{};
    SIZE m_size{};
    std::wstring m_text;
    HDC m_dc = nullptr; // the window's own DC, taken on first use
};
