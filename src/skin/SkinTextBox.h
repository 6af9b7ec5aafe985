#pragma once
// The toolkit's single-line edit control, drawn with GDI+ like every other layer. It takes typed, pasted
// and input-method text within its limits, keeps a caret and a selection, scrolls a text wider than the
// box, and reports Enter, focus loss and context-menu requests to its listener. The host dialog hands it
// key, character and input-method messages while it is the focus layer.
//
// Threads: everything runs on the user-interface thread except the caret blink timer, whose callback
// reads the timer state under its own lock and calls IxSkinTextBoxListener::OnTextBoxNotify, which only
// posts a redraw request. The blink itself flips when the control paints.

#include <windows.h>
#include <gdiplus.h>

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "skin/IxSkinTextBox.h"
#include "skin/IxSkinTextBoxListener.h"
#include "skin/Lock.h"
#include "skin/SkinCtrl.h"

class CxSkinTextBox;

// The clock, keyboard state, blink timer and input-method context a text box uses. Messages made up by a
// test move no key state and no input-method context, and a test wants to tick the timer itself: it gives
// the box its own.
class IxSkinTextBoxSystem {
public:
    virtual ~IxSkinTextBoxSystem() = default;
    // Whether the key is held as the message being handled was sent.
    virtual bool IsKeyHeld(int virtualKey) = 0;
    // Seconds on a monotonic clock.
    virtual double Now() = 0;
    // A periodic timer that calls box->OnBlinkTimer(id) on its own thread; 0 when none could be made.
    // StopTimer returns only once no callback of the timer runs any more.
    virtual UINT StartTimer(UINT periodMs, CxSkinTextBox* box) = 0;
    virtual void StopTimer(UINT id) = 0;
    // The result string of the window's current composition, at most `bytes` bytes into buffer. Returns the
    // byte count the input-method context reports, which may exceed `bytes`, or a negative error.
    virtual LONG ReadCompositionResult(HWND window, wchar_t* buffer, DWORD bytes) = 0;
};

class CxSkinTextBox : public CxSkinCtrl, public virtual IxSkinTextBox {
    DECLARE_DYNAMIC(CxSkinTextBox)
public:
    // A text holds at most this many characters.
    static constexpr int kMaxTextLength = 65534;
    static constexpr int kDefaultMaxLength = 100;
    static constexpr int kBorderInset = 2;
    static constexpr int kInnerInset = 1;
    static constexpr SkinColor kDefaultSelectionColor = 0xFF96B5DA;
    static constexpr SkinColor kDefaultCaretColor = 0xFF000000;
    // An input-method result is read into this many bytes (128 characters).
    static constexpr DWORD kCompositionBytes = 256;
    static constexpr size_t kCompositionChars = 256;

    CxSkinTextBox();
    ~CxSkinTextBox() override;

    // IxSkinObject: sizes an unsized box to its background image, creates the layer and the font, shows
    // the hint and finds the listener.
    int Create() override;
    using CxSkinCtrl::Create;

    // IxSkinTextBox
    void SetText(const std::wstring& text, BOOL redraw) override;
    using CxSkinCtrl::SetText;
    std::wstring GetText() const override;
    BOOL SetBackgroundImage(const std::wstring& path) override;
    BOOL SetReadOnly(BOOL readOnly) override;
    void SetNumberOnly(BOOL numberOnly) override;
    void SetNatural(BOOL natural) override;
    void SetPassword(BOOL password) override;
    void SetMaxLength(int maxLength) override { m_maxLength = maxLength; }
    void SetInputHintText(const std::wstring& hint) override { m_hint = hint; }
    void SetSelectedBackColor(SkinColor argb) override { m_selectionColor = argb; }
    void SetCaretColor(SkinColor argb) override { m_caretColor = argb; }
    int ExecuteCommand(std::wstring name) override;
    BOOL HasSelection() const override { return m_caret != m_anchor; }
    BOOL CanPaste() const override;
    int HasUserText() const override;
    void GetContextMenuPoint(POINT* point) const override;
    void SetClearText(BOOL clear) override { m_clearOnFocus = clear; }

    // Layer behaviour
    void Draw(Gdiplus::Graphics* graphics) override;
    using CxSkinCtrl::Draw;
    void DrawChildren(CDC* dc, const RECT* clip) override;
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnMouseMove(UINT flags, POINT point) override;
    void OnLButtonUp(UINT flags, POINT point) override;
    void OnLButtonDblClk(UINT flags, POINT point) override;
    void OnRButtonDown(UINT flags, POINT point) override;
    void OnRButtonUp(UINT flags, POINT point) override;
    void OnMouseOut() override;
    // Takes the focus from a click (or from the handler framework): clear-on-focus applies.
    void SetFocus() override;
    // Gives the focus up without telling the listener.
    void KillFocus() override;
    // The host moved its focus elsewhere: the listener hears the final text.
    void OnKillFocus(CLayerWnd* newFocus) override;
    // Key, character and input-method messages from the host while this box is its focus layer; TRUE when
    // the message is eaten.
    BOOL PreTranslateMessage(MSG* msg) override;

    // One tick of the blink timer; runs on the timer's thread.
    void OnBlinkTimer(UINT id);
    // Replaces the clock, key state, timer and input-method access (before Create).
    void SetSystem(std::unique_ptr<IxSkinTextBoxSystem> system);

    // Stores the caret index (clamped to the text) and scrolls so that it shows.
    void SetCaretPos(int caret);
    // The character index under x (text-rect coordinates); trailing tells whether x lies in the right half
    // of that character.
    int XToCharIndex(float x, bool* trailing);

    int GetCaret() const { return m_caret; }
    int GetAnchor() const { return m_anchor; }
    int GetFirstVisible() const { return m_firstVisible; }
    bool IsFocused() const { return m_focused.load(); }
    bool IsCaretVisible() const { return m_caretVisible; }
    bool IsBlinkTimerRunning() const;
    int GetHintStyle() const { return m_hintStyle; }
    int GetMaxLength() const { return m_maxLength; }
    BOOL IsReadOnly() const { return m_readOnly; }
    BOOL IsPassword() const { return m_password; }
    const std::wstring& GetInputHintText() const { return m_hint; }
    SkinColor GetSelectedBackColor() const { return m_selectionColor; }
    SkinColor GetCaretColor() const { return m_caretColor; }
    const RECT& GetTextRect() const { return m_textRect; }
    UINT GetBlinkTime() const { return m_blinkTime; }
    IxSkinTextBoxListener* GetTextBoxListener() const { return m_listener; }
    // The horizontal extent [left, right) of the selection and the caret's x in the box's coordinates, as
    // the next paint places them.
    void GetSelectionSpan(float* left, float* right);
    float GetCaretX();

private:
    // Where a focus comes from: a command keeps the text even with clear-on-focus.
    void TakeFocus(bool fromCommand);
    void StopBlinkTimer();
    void StartBlinkTimer();
    void ResetBlink();
    bool Interactive() const;
    bool Editable() const { return !m_readOnly && Interactive(); }

    BOOL OnKeyMessage(const MSG& msg);
    BOOL OnCharMessage(const MSG& msg);
    BOOL OnCompositionMessage(const MSG& msg);
    void OnEnter();
    void OnAppsKey();
    void MoveCaret(int caret, bool keepAnchor);
    void InsertTypedChar(wchar_t ch);
    void OnBackspace();
    void OnDelete();
    void InsertCompositionResult();

    // Text edits; each keeps caret, anchor and first visible inside the text.
    bool InsertAt(int index, const std::wstring& text);
    bool DeleteSelection();
    void SelectAll();
    void ReplaceText(const std::wstring& text);
    // Puts the hint back (or the empty text) without the input filters: the hint is ours, not typed.
    void ShowText(const std::wstring& text);
    bool ShowsNoOwnText() const { return m_buffer.empty() || (!m_hint.empty() && m_buffer == m_hint); }
    bool PassesFilters(const std::wstring& text) const;

    bool Copy();
    bool Paste();
    bool PassesPasteFilter(const std::wstring& text) const;

    // Text geometry: x of each character boundary from the start of the text, in the box's font.
    const std::vector<float>& Boundaries();
    void InvalidateBoundaries() {
        m_boundaries.clear();
        m_scriptFontKnown = false;
        m_scriptFont.reset();
    }
    // The box's font, or its size and style in a face that has the text's script when the box's face lacks it.
    const Gdiplus::Font* TextFont();
    bool Scrolls();
    // x of boundary `index` in the box's coordinates, as drawn.
    float BoundaryX(int index);
    float AlignmentOffset(float textWidth) const;
    bool MakeFont(int style);
    Gdiplus::Color TextColor() const;

    std::wstring m_hint;
    int m_hintStyle = 0;
    IxSkinTextBoxListener* m_listener = nullptr;
    std::unique_ptr<Gdiplus::Font> m_font;
    std::unique_ptr<Gdiplus::Font> m_scriptFont;
    bool m_scriptFontKnown = false;
    std::unique_ptr<Gdiplus::StringFormat> m_format;
    std::unique_ptr<Gdiplus::Bitmap> m_background;
    BOOL m_readOnly = FALSE;
    BOOL m_password = FALSE;
    BOOL m_numberOnly = FALSE;
    BOOL m_natural = FALSE;
    int m_maxLength = kDefaultMaxLength;
    RECT m_textRect{};
    double m_blinkInterval = 0.0;
    double m_blinkClock = 0.0;
    bool m_caretVisible = true;
    int m_caret = 0;
    int m_anchor = 0;
    int m_firstVisible = 0;
    SkinColor m_selectionColor = kDefaultSelectionColor;
    SkinColor m_caretColor = kDefaultCaretColor;
    bool m_selecting = false;
    bool m_noCaret = false;
    bool m_menuPending = false;
    std::atomic<bool> m_focused{false};
    std::wstring m_buffer;
    std::array<wchar_t, kCompositionChars> m_composition{};
    UINT m_blinkTime = 0;
    POINT m_menuPoint{};
    BOOL m_clearOnFocus = FALSE;
    BOOL m_pasteFilter = TRUE;
    std::unique_ptr<IxSkinTextBoxSystem> m_system;

    // Measuring needs no window: a memory DC of the screen's kind lives as long as the box.
    HDC m_measureDc = nullptr;
    std::vector<float> m_boundaries;

    // Held while painting.
    CxLock m_paintLock;
    // Guards what the timer thread reads: the running timer's id, the listener and the name it reports.
    mutable CxLock m_timerLock;
    UINT m_blinkTimer = 0;
    IxSkinTextBoxListener* m_timerListener = nullptr;
    std::wstring m_timerName;
};
