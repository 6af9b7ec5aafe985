// The text box's mouse and keyboard: caret placement and selection by the mouse, editing keys, typed
// characters and input-method results, and the context-menu requests.
#include "skin/SkinTextBox.h"

#include <imm.h>

#include <algorithm>
#include <cwchar>

#include "skin/SkinTextBoxDetail.h"

using skin_text_box::HostWindow;
using skin_text_box::IsDigit;
using skin_text_box::IsHighSurrogate;
using skin_text_box::IsNumberChar;

namespace {

constexpr wchar_t kCtrlA = 0x01, kCtrlC = 0x03, kCtrlV = 0x16, kCtrlX = 0x18;
constexpr wchar_t kBackspace = 0x08, kCarriageReturn = 0x0D;
constexpr wchar_t kLastControlChar = 0x1F, kDeleteChar = 0x7F;

bool IsKeyboardMessage(UINT message) {
    return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}
bool IsCompositionMessage(UINT message) {
    return message >= WM_IME_STARTCOMPOSITION && message <= WM_IME_COMPOSITION;
}
// What a read-only box eats: typing and composing. System keys still reach the window (Alt+F4 closes it).
bool IsTypingMessage(UINT message) {
    switch (message) {
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
    case WM_SYSDEADCHAR:
        return false;
    default:
        return IsKeyboardMessage(message) || IsCompositionMessage(message);
    }
}

} // namespace

// ---- Mouse ----

bool CxSkinTextBox::Interactive() const {
    return IsEnabled(TRUE) && IsVisible();
}

void CxSkinTextBox::OnLButtonDown(UINT flags, POINT point) {
    if (!Editable())
        return;
    ApplyCursor(TRUE);
    if (!m_noCaret)
        StopBlinkTimer();
    m_selecting = true;
    bool trailing = false;
    int index = XToCharIndex(static_cast<float>(point.x), &trailing);
    if (trailing && index < static_cast<int>(m_buffer.size()))
        ++index;
    SetCaretPos(index);
    m_anchor = m_caret;
    Redraw(FALSE);
    // Focus and capture; a hint or clear-on-focus may empty the text here.
    CxSkinCtrl::OnLButtonDown(flags, point);
    if (!m_noCaret) {
        ResetBlink();
        StartBlinkTimer();
    }
}

void CxSkinTextBox::OnMouseMove(UINT flags, POINT point) {
    if (Editable()) {
        ApplyCursor(TRUE);
        if (m_selecting) {
            if (!m_noCaret)
                StopBlinkTimer();
            bool trailing = false;
            int index = XToCharIndex(static_cast<float>(point.x), &trailing);
            if (trailing && index < static_cast<int>(m_buffer.size()))
                ++index;
            SetCaretPos(index);
            Redraw(FALSE);
            if (!m_noCaret) {
                ResetBlink();
                StartBlinkTimer();
            }
        }
    }
    CxSkinCtrl::OnMouseMove(flags, point);
}

void CxSkinTextBox::OnLButtonUp(UINT flags, POINT point) {
    m_selecting = false;
    CxSkinCtrl::OnLButtonUp(flags, point);
}

void CxSkinTextBox::OnLButtonDblClk(UINT flags, POINT point) {
    if (Editable()) {
        if (!m_noCaret)
            StopBlinkTimer();
        SelectAll();
        Redraw(FALSE);
        if (!m_noCaret) {
            ResetBlink();
            StartBlinkTimer();
        }
    }
    CxSkinCtrl::OnLButtonDblClk(flags, point);
}

void CxSkinTextBox::OnRButtonDown(UINT flags, POINT point) {
    if (!Editable())
        return;
    m_menuPending = true;
    CxSkinCtrl::OnRButtonDown(flags, point);
}

void CxSkinTextBox::OnRButtonUp(UINT flags, POINT point) {
    if (!Editable())
        return;
    if (!m_hint.empty() && ShowsNoOwnText()) {
        ShowText(L"");
        Redraw(FALSE);
    }
    if (m_listener) {
        m_menuPoint = point;
        m_listener->OnContextMenu(GetName());
    }
    m_menuPending = false;
    CxSkinCtrl::OnRButtonUp(flags, point);
}

void CxSkinTextBox::OnMouseOut() {
    ApplyCursor(FALSE);
    CxSkinCtrl::OnMouseOut();
}

// ---- Keys ----

BOOL CxSkinTextBox::PreTranslateMessage(MSG* msg) {
    if (!msg || !(IsKeyboardMessage(msg->message) || IsCompositionMessage(msg->message)))
        return FALSE;
    if (m_readOnly)
        return IsTypingMessage(msg->message) ? TRUE : FALSE;
    if (!Interactive())
        return FALSE;
    if (!m_noCaret)
        StopBlinkTimer();
    BOOL handled = OnKeyMessage(*msg);
    if (handled)
        Redraw(FALSE);
    else
        handled = OnCharMessage(*msg) || OnCompositionMessage(*msg);
    if (!m_noCaret) {
        ResetBlink();
        StartBlinkTimer();
    }
    return handled;
}

void CxSkinTextBox::MoveCaret(int caret, bool keepAnchor) {
    SetCaretPos(caret);
    if (!keepAnchor)
        m_anchor = m_caret;
}

BOOL CxSkinTextBox::OnKeyMessage(const MSG& msg) {
    if (msg.message != WM_KEYDOWN)
        return FALSE;
    const bool shift = m_system->IsKeyHeld(VK_SHIFT);
    const bool ctrl = m_system->IsKeyHeld(VK_CONTROL);
    const int length = static_cast<int>(m_buffer.size());
    switch (msg.wParam) {
    case VK_RETURN:
        OnEnter();
        return TRUE;
    case VK_END:
        MoveCaret(length, shift);
        ResetBlink();
        return TRUE;
    case VK_HOME:
        MoveCaret(0, shift);
        ResetBlink();
        return TRUE;
    case VK_LEFT:
        MoveCaret(ctrl ? 0 : std::max(0, m_caret - 1), shift);
        return TRUE;
    case VK_RIGHT:
        MoveCaret(ctrl ? length : std::min(length, m_caret + 1), shift);
        return TRUE;
    case VK_UP:
    case VK_DOWN:
        return TRUE;
    case VK_INSERT:
        if (ctrl)
            Copy();
        else if (shift && Paste())
            Redraw(FALSE);
        return FALSE;
    case VK_DELETE:
        OnDelete();
        ResetBlink();
        return TRUE;
    case VK_APPS:
        OnAppsKey();
        return TRUE;
    default:
        return FALSE;
    }
}

void CxSkinTextBox::OnEnter() {
    if (!m_listener)
        return;
    std::wstring text = m_buffer;
    if (m_natural) {
        size_t zeros = 0;
        while (text.size() - zeros >= 2 && text[zeros] == L'0')
            ++zeros;
        text.erase(0, zeros);
    }
    m_listener->OnTextCommitted(GetName(), text);
}

void CxSkinTextBox::OnAppsKey() {
    if (!m_hint.empty() && ShowsNoOwnText())
        ShowText(L"");
    m_menuPending = true;
    if (m_listener) {
        m_menuPoint = {m_designWidth / 2, m_designHeight / 2};
        m_listener->OnContextMenu(GetName());
    }
    m_menuPending = false;
}

void CxSkinTextBox::OnDelete() {
    if (DeleteSelection())
        return;
    if (m_caret >= static_cast<int>(m_buffer.size()))
        return;
    m_buffer.erase(static_cast<size_t>(m_caret), 1);
    m_anchor = m_caret;
    m_firstVisible = std::max(0, m_firstVisible - 1);
    InvalidateBoundaries();
}

void CxSkinTextBox::OnBackspace() {
    if (!DeleteSelection() && m_caret > 0) {
        m_caret = std::min(m_caret, static_cast<int>(m_buffer.size())) - 1;
        m_buffer.erase(static_cast<size_t>(m_caret), 1);
        m_anchor = m_caret;
        m_firstVisible = std::max(0, m_firstVisible - 1);
        InvalidateBoundaries();
    }
    Redraw(FALSE);
    ResetBlink();
}

BOOL CxSkinTextBox::OnCharMessage(const MSG& msg) {
    if (msg.message != WM_CHAR)
        return FALSE;
    const auto ch = static_cast<wchar_t>(msg.wParam);
    switch (ch) {
    case kCtrlA:
        SelectAll();
        Redraw(FALSE);
        return TRUE;
    case kCtrlC:
        Copy();
        return TRUE;
    case kCtrlX:
        // What could not reach the clipboard stays in the box.
        if (Copy() && DeleteSelection())
            Redraw(FALSE);
        return TRUE;
    case kCtrlV:
        if (Paste())
            Redraw(FALSE);
        return TRUE;
    case kBackspace:
        OnBackspace();
        return TRUE;
    case kCarriageReturn:
        OnEnter();
        return TRUE;
    default:
        break;
    }
    // Other control characters (Ctrl+Backspace brings DEL) are never text.
    if (ch == 0 || ch <= kLastControlChar || ch == kDeleteChar)
        return TRUE;
    InsertTypedChar(ch);
    return TRUE;
}

void CxSkinTextBox::InsertTypedChar(wchar_t ch) {
    if (m_numberOnly && !IsNumberChar(ch))
        return;
    if (m_natural && !IsDigit(ch))
        return;
    if (m_readOnly)
        return;
    // The room is measured before a selection would be replaced.
    if (static_cast<long long>(m_buffer.size()) + 1 > m_maxLength)
        return;
    DeleteSelection();
    if (InsertAt(m_caret, std::wstring(1, ch))) {
        SetCaretPos(m_caret + 1);
        m_anchor = m_caret;
    }
    ResetBlink();
    Redraw(FALSE);
}

BOOL CxSkinTextBox::OnCompositionMessage(const MSG& msg) {
    switch (msg.message) {
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
        m_composition.fill(L'\0');
        return FALSE;
    case WM_IME_COMPOSITION:
        if (!(msg.lParam & GCS_RESULTSTR))
            return FALSE;
        // Eaten whether taken or refused: passed on, it would come back as characters.
        InsertCompositionResult();
        return TRUE;
    default:
        return FALSE;
    }
}

void CxSkinTextBox::InsertCompositionResult() {
    HWND host = HostWindow(*this);
    if (!host)
        return;
    m_composition.fill(L'\0');
    const LONG reported = m_system->ReadCompositionResult(host, m_composition.data(), kCompositionBytes);
    if (reported <= 0)
        return;
    // The reported size may be larger than what was read, odd, or hold a terminator early.
    const size_t chars = std::min<size_t>(static_cast<size_t>(reported), kCompositionBytes) / sizeof(wchar_t);
    std::wstring result(m_composition.data(), wcsnlen(m_composition.data(), chars));
    if (result.empty() || !PassesFilters(result) || m_readOnly)
        return;
    const long long room = static_cast<long long>(m_maxLength) - static_cast<long long>(m_buffer.size());
    if (room <= 0)
        return;
    if (static_cast<long long>(result.size()) > room) {
        result.resize(static_cast<size_t>(room));
        // Never keep half of a surrogate pair.
        if (IsHighSurrogate(result.back()))
            result.pop_back();
        if (result.empty())
            return;
    }
    if (InsertAt(m_caret, result))
        SetCaretPos(m_caret + static_cast<int>(result.size()));
    m_anchor = m_caret;
    Redraw(FALSE);
}
