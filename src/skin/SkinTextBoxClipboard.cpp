// The text box's clipboard and its edit commands (cut, copy, delete, paste, select all).
#include "skin/SkinTextBox.h"

#include <algorithm>
#include <cwchar>

#include "skin/SkinTextBoxDetail.h"

using skin_text_box::HostWindow;

namespace {

// Another program (a clipboard viewer) may hold the clipboard for a moment.
constexpr int kClipboardAttempts = 3;
constexpr DWORD kClipboardRetryMs = 10;
// Characters a paste refuses: line breaks and other controls, and the quote and backslash that the
// handlers' file names and profile texts cannot take.
constexpr wchar_t kPasteRefused[] = L"\t\n\r\a\b\f\v'\\";

// The clipboard, open for one scope.
class ClipboardScope {
public:
    explicit ClipboardScope(HWND owner) {
        for (int attempt = 0; attempt < kClipboardAttempts && !m_open; ++attempt) {
            if (attempt > 0)
                ::Sleep(kClipboardRetryMs);
            m_open = ::OpenClipboard(owner) != FALSE;
        }
    }
    ~ClipboardScope() {
        if (m_open)
            ::CloseClipboard();
    }
    ClipboardScope(const ClipboardScope&) = delete;
    ClipboardScope& operator=(const ClipboardScope&) = delete;
    bool IsOpen() const { return m_open; }

private:
    bool m_open = false;
};

// A global block locked for one scope.
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL block) : m_block(block), m_data(block ? ::GlobalLock(block) : nullptr) {}
    ~GlobalLockScope() {
        if (m_data)
            ::GlobalUnlock(m_block);
    }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    void* Data() const { return m_data; }

private:
    HGLOBAL m_block;
    void* m_data;
};

// The clipboard's Unicode text. Another program wrote the block: the text is read up to its terminator
// or the block's end, whichever comes first.
bool ReadClipboardText(HWND owner, std::wstring* text) {
    ClipboardScope clipboard(owner);
    if (!clipboard.IsOpen())
        return false;
    HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
    if (!data)
        return false;
    const GlobalLockScope lock(data);
    if (!lock.Data())
        return false;
    const size_t capacity = ::GlobalSize(data) / sizeof(wchar_t);
    const auto* chars = static_cast<const wchar_t*>(lock.Data());
    text->assign(chars, wcsnlen(chars, capacity));
    return true;
}

bool WriteClipboardText(HWND owner, const std::wstring& text) {
    // Without an owner window EmptyClipboard leaves the clipboard ownerless and SetClipboardData fails.
    if (!owner)
        return false;
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!block)
        return false;
    {
        const GlobalLockScope lock(block);
        if (!lock.Data()) {
            ::GlobalFree(block);
            return false;
        }
        std::wmemcpy(static_cast<wchar_t*>(lock.Data()), text.c_str(), text.size() + 1);
    }
    ClipboardScope clipboard(owner);
    if (!clipboard.IsOpen() || !::EmptyClipboard() || !::SetClipboardData(CF_UNICODETEXT, block)) {
        // The block is ours until the clipboard takes it.
        ::GlobalFree(block);
        return false;
    }
    return true;
}

} // namespace

// ---- Clipboard and commands ----

bool CxSkinTextBox::Copy() {
    if (!HasSelection())
        return false;
    const int length = static_cast<int>(m_buffer.size());
    const int from = std::clamp(std::min(m_caret, m_anchor), 0, length);
    const int to = std::clamp(std::max(m_caret, m_anchor), 0, length);
    return WriteClipboardText(HostWindow(*this),
                              m_buffer.substr(static_cast<size_t>(from), static_cast<size_t>(to - from)));
}

bool CxSkinTextBox::PassesPasteFilter(const std::wstring& text) const {
    return !m_pasteFilter || text.find_first_of(kPasteRefused) == std::wstring::npos;
}

bool CxSkinTextBox::Paste() {
    if (m_readOnly)
        return false;
    std::wstring text;
    if (!ReadClipboardText(HostWindow(*this), &text) || text.empty())
        return false;
    if (!PassesPasteFilter(text) || !PassesFilters(text))
        return false;
    // Measured before the selection would be replaced, as for a typed character.
    if (static_cast<long long>(m_buffer.size()) + static_cast<long long>(text.size()) > m_maxLength)
        return false;
    DeleteSelection();
    if (!InsertAt(m_caret, text))
        return false;
    SetCaretPos(m_caret + static_cast<int>(text.size()));
    m_anchor = m_caret;
    return true;
}

BOOL CxSkinTextBox::CanPaste() const {
    return ::IsClipboardFormatAvailable(CF_UNICODETEXT);
}

int CxSkinTextBox::ExecuteCommand(std::wstring name) {
    int result = 0;
    if (name == kTextBoxCut) {
        result = HasSelection() && !m_readOnly && Copy() && DeleteSelection() ? 1 : 0;
    } else if (name == kTextBoxCopy) {
        result = HasSelection() ? 1 : 0;
        Copy();
    } else if (name == kTextBoxDelete) {
        result = HasSelection() && !m_readOnly && DeleteSelection() ? 1 : 0;
    } else if (name == kTextBoxPaste) {
        result = Paste() ? 1 : 0;
    } else if (name == kTextBoxSelectAll) {
        SelectAll();
        result = 1;
    }
    TakeFocus(true);
    ResetBlink();
    Redraw(FALSE);
    return result;
}
