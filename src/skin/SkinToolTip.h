#pragma once
// The tooltip of one skinned dialog. Windowless controls cannot use the system tooltip control, so this
// small top-level window does its job: layers register texts with it, the dialog relays its mouse and
// key messages to it, and after the pointer has rested on a layer it shows that layer's text in the
// classic tooltip look. A text with a carriage return has two parts that a click on the tip flips.
//
// Timer 1 waits for the pointer to rest; timer 2 polls while the tip shows and ends it after the
// auto-pop time or when the pointer has left.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Font.h"
#include "framework/Wnd.h"
#include "skin/LayerToolTip.h"
#include "skin/SkinTipFont.h"
#include "skin/SkinToolTipInfo.h"

class CLayerWnd;

class CxSkinToolTip : public CWnd, public ILayerToolTip {
    DECLARE_DYNAMIC(CxSkinToolTip)
public:
    enum : UINT_PTR { kShowTimer = 1, kPollTimer = 2 };
    // Where the pointer is, in screen coordinates.
    using CursorSource = std::function<POINT()>;

    CxSkinToolTip();
    ~CxSkinToolTip() override;

    // A topmost popup owned by the dialog's window. FALSE when the window cannot be made.
    BOOL Create(CWnd* owner);

    // ILayerToolTip. A text of LPSTR_TEXTCALLBACKW asks the owner window whenever the tip shows.
    BOOL AddTool(CLayerWnd* owner, const wchar_t* text, const RECT* rect, UINT id) override;
    void RemoveTool(CLayerWnd* owner, UINT id) override;
    void SetToolText(const wchar_t* text, CLayerWnd* owner) override;
    BOOL HasTool(CLayerWnd* owner, UINT id) const override { return FindTool(owner, id) != nullptr; }
    void ShowWhileDisabled(CLayerWnd* owner, UINT id) override;

    CxSkinToolTipInfo* FindTool(CLayerWnd* owner, UINT id) const;
    // Drops every tool of a layer that is going away; compares addresses only.
    void ForgetOwner(const CLayerWnd* owner);
    void RelayEvent(const MSG* msg);
    void Hide();
    void SetFont(const LOGFONTW& font, BOOL redraw);

    // The window rectangle for a text rectangle placed at point, kept on the nearest monitor.
    virtual RECT PlaceRect(POINT point, const CxSkinToolTipInfo* tool, const RECT& textRect);
    // The text's rectangle at (0, 0), margins included, in the font the text is drawn in.
    virtual RECT CalcTextRect(const std::wstring& text, int maxWidth);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The status-bar font of the system, or a fixed fallback when it cannot be read.
    static LOGFONTW GetSystemStatusFont();

    void SetCursorSource(CursorSource source) { m_cursorSource = std::move(source); }
    const CxSkinToolTipInfo* GetCurrentTool() const { return m_current; }
    // The text as shown (a two-part text with its padding).
    const std::wstring& GetShownText() const { return m_shownText; }
    // The font the shown text is measured and drawn in: the tip's font, in a face that has the text's script.
    HFONT GetShownTextFont() { return m_textFont.For(m_shownText); }
    BOOL IsTwoPart() const { return m_twoParts; }
    BOOL IsSecondPartShown() const { return m_secondPart; }
    int GetToolCount() const { return static_cast<int>(m_tools.size()); }
    POINT GetCursorOffset() const { return m_cursorOffset; }

private:
    void Arm(CxSkinToolTipInfo* tool);
    void ClearCurrent();
    void OnShowTimer();
    void OnPollTimer();
    void StopAndHide();
    void ShowAt(POINT topLeft);
    void OnPaint();
    void OnTipClicked();
    std::wstring ToolText(const CxSkinToolTipInfo* tool) const;
    void BuildShownText();

    POINT CursorPos() const;
    POINT CursorInOwner() const;
    BOOL IsCursorOverTip() const;
    // The tool whose layer is under the point (owner client coordinates), or null.
    CxSkinToolTipInfo* ToolAt(POINT point) const;
    BOOL IsPointOnTool(const CxSkinToolTipInfo* tool, POINT point) const;
    void RecreateFont();

    CWnd* m_ownerWnd = nullptr;
    CLayerWnd* m_ownerRoot = nullptr; // the owner dialog's root layer, when it has one
    RECT m_margins{2, 2, 3, 3};
    int m_defaultMaxWidth = 0;
    POINT m_cursorOffset{0, 20};
    CFont m_font;
    CxSkinTipFont m_textFont; // m_font, moved to the face of each text's script
    LOGFONTW m_logFont{};
    BOOL m_systemFont = TRUE;
    UINT m_format = DT_WORDBREAK | DT_EXPANDTABS | DT_EXTERNALLEADING | DT_NOPREFIX;
    CxSkinToolTipInfo* m_current = nullptr;
    UINT m_pollPeriod = 500;
    UINT m_autoPop = 5000;
    UINT m_elapsed = 0;
    UINT m_showDelay = 500;
    BOOL m_hidden = FALSE;
    BOOL m_twoParts = FALSE;
    BOOL m_secondPart = FALSE;
    COLORREF m_defaultBackColor = CxSkinToolTipInfo::kSystemColor;
    COLORREF m_defaultTextColor = CxSkinToolTipInfo::kSystemColor;
    HWND m_focusWnd = nullptr;
    std::vector<std::unique_ptr<CxSkinToolTipInfo>> m_tools;
    std::wstring m_shownText;
    CursorSource m_cursorSource;
};
