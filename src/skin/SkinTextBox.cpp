#include "skin/SkinTextBox.h"

#include <imm.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>

#include "skin/SkinDraw.h"
#include "skin/SkinTextBoxDetail.h"

using namespace Gdiplus;
using skin_text_box::IsDigit;
using skin_text_box::IsNumberChar;

IMPLEMENT_DYNAMIC(CxSkinTextBox, CxSkinCtrl)

// The text and its settings, the caret blink and the focus. Layout and painting, mouse and keys, and the
// clipboard each have their own file.

namespace {

constexpr UINT kTimerResolutionMs = 10;
constexpr LONG kLargestComposition = CxSkinTextBox::kMaxTextLength * static_cast<LONG>(sizeof(wchar_t));

class CxDefaultTextBoxSystem : public IxSkinTextBoxSystem {
public:
    CxDefaultTextBoxSystem() {
        LARGE_INTEGER frequency{};
        ::QueryPerformanceFrequency(&frequency);
        m_frequency = frequency.QuadPart > 0 ? static_cast<double>(frequency.QuadPart) : 1.0;
    }

    bool IsKeyHeld(int virtualKey) override { return ::GetKeyState(virtualKey) < 0; }

    double Now() override {
        LARGE_INTEGER counter{};
        ::QueryPerformanceCounter(&counter);
        return static_cast<double>(counter.QuadPart) / m_frequency;
    }

    UINT StartTimer(UINT periodMs, CxSkinTextBox* box) override {
        // Synchronous kill: once timeKillEvent returns, no tick runs or will run on the box.
        return ::timeSetEvent(periodMs, kTimerResolutionMs, &CxDefaultTextBoxSystem::OnTick,
                              reinterpret_cast<DWORD_PTR>(box),
                              TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
    }

    void StopTimer(UINT id) override { ::timeKillEvent(id); }

    LONG ReadCompositionResult(HWND window, wchar_t* buffer, DWORD bytes) override {
        HIMC context = ::ImmGetContext(window);
        if (!context)
            return -1;
        const LONG needed = ::ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
        // A size no text box could hold is not worth reading; the caller drops the empty result.
        if (needed > 0 && needed <= kLargestComposition) {
            // Read whole into a block of the reported size, so no input method writes past our buffer.
            std::vector<BYTE> whole(static_cast<size_t>(needed));
            const LONG read = ::ImmGetCompositionStringW(context, GCS_RESULTSTR, whole.data(), needed);
            if (read > 0)
                std::memcpy(buffer, whole.data(), std::min<size_t>(static_cast<size_t>(read), bytes));
        }
        ::ImmReleaseContext(window, context);
        return needed;
    }

private:
    static void CALLBACK OnTick(UINT id, UINT /*message*/, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
        reinterpret_cast<CxSkinTextBox*>(user)->OnBlinkTimer(id);
    }

    double m_frequency = 1.0;
};

} // namespace

CxSkinTextBox::CxSkinTextBox()
    : m_blinkTime(::GetCaretBlinkTime()), m_system(std::make_unique<CxDefaultTextBoxSystem>()),
      m_measureDc(::CreateCompatibleDC(nullptr)) {
    m_blinkInterval = m_blinkTime / 1000.0;
}

CxSkinTextBox::~CxSkinTextBox() {
    StopBlinkTimer();
    m_focused = false;
    m_listener = nullptr;
    m_font.reset();
    m_format.reset();
    m_background.reset();
    if (m_measureDc)
        ::DeleteDC(m_measureDc);
}

void CxSkinTextBox::SetSystem(std::unique_ptr<IxSkinTextBoxSystem> system) {
    if (!system)
        return;
    StopBlinkTimer();
    m_system = std::move(system);
}

int CxSkinTextBox::Create() {
    if ((m_designWidth == 0 || m_designHeight == 0) && m_background) {
        m_designWidth = static_cast<int>(m_background->GetWidth());
        m_designHeight = static_cast<int>(m_background->GetHeight());
    }
    if (!CxSkinCtrl::Create(GetDesignRect(), m_parentLayer, static_cast<UINT>(m_ctrlId)))
        return FALSE;
    constexpr int inset = kBorderInset + kInnerInset;
    m_textRect = {inset, inset, std::max(inset, m_designWidth - inset), std::max(inset, m_designHeight - inset)};

    // Each box lays its text out with its own alignment, so each has its own format.
    // Not line-limited: the line of a face with a tall line spacing (Thai ones) would not show at all in a
    // box that holds its glyphs.
    m_format.reset(StringFormat::GenericTypographic()->Clone());
    m_format->SetFormatFlags((m_format->GetFormatFlags() & ~StringFormatFlagsLineLimit) | StringFormatFlagsNoWrap |
                             StringFormatFlagsMeasureTrailingSpaces);
    m_format->SetAlignment(static_cast<StringAlignment>(m_textAlign));
    m_format->SetLineAlignment(static_cast<StringAlignment>(m_lineAlign));
    MakeFont(m_fontStyle);
    if (!m_hint.empty())
        ShowText(m_hint);
    m_listener = dynamic_cast<IxSkinTextBoxListener*>(FindListener());
    UpdateTransform(FALSE);
    return TRUE;
}

// ---- Text ----

bool CxSkinTextBox::PassesFilters(const std::wstring& text) const {
    if (m_numberOnly && !std::all_of(text.begin(), text.end(), IsNumberChar))
        return false;
    if (m_natural && !std::all_of(text.begin(), text.end(), IsDigit))
        return false;
    return true;
}

void CxSkinTextBox::SetText(const std::wstring& text, BOOL redraw) {
    if (text.size() >= static_cast<size_t>(kMaxTextLength) || !PassesFilters(text))
        return;
    ShowText(text);
    if (redraw)
        Redraw(FALSE);
}

void CxSkinTextBox::ShowText(const std::wstring& text) {
    // The hint shows in the italic variant of the box's font; a font that cannot be made keeps the text.
    const int hintStyle = !m_hint.empty() && text == m_hint ? 1 : 0;
    if (!MakeFont(hintStyle ? (m_fontStyle | FontStyleItalic) : m_fontStyle))
        return;
    m_hintStyle = hintStyle;
    ReplaceText(text);
}

void CxSkinTextBox::ReplaceText(const std::wstring& text) {
    m_buffer = text;
    m_caret = m_anchor = m_firstVisible = 0;
    InvalidateBoundaries();
}

std::wstring CxSkinTextBox::GetText() const {
    return m_buffer;
}

int CxSkinTextBox::HasUserText() const {
    if (m_buffer.empty())
        return 0;
    if (m_hint.empty())
        return 1;
    return m_buffer != m_hint ? 1 : 0;
}

bool CxSkinTextBox::InsertAt(int index, const std::wstring& text) {
    if (m_buffer.size() + text.size() > static_cast<size_t>(kMaxTextLength))
        return false;
    index = std::clamp(index, 0, static_cast<int>(m_buffer.size()));
    m_buffer.insert(static_cast<size_t>(index), text);
    InvalidateBoundaries();
    return true;
}

bool CxSkinTextBox::DeleteSelection() {
    const int length = static_cast<int>(m_buffer.size());
    const int from = std::clamp(std::min(m_caret, m_anchor), 0, length);
    const int to = std::clamp(std::max(m_caret, m_anchor), 0, length);
    m_caret = m_anchor = from;
    if (from == to)
        return false;
    m_buffer.erase(static_cast<size_t>(from), static_cast<size_t>(to - from));
    m_firstVisible = std::min(m_firstVisible, static_cast<int>(m_buffer.size()));
    InvalidateBoundaries();
    return true;
}

void CxSkinTextBox::SelectAll() {
    m_anchor = 0;
    SetCaretPos(static_cast<int>(m_buffer.size()));
}

BOOL CxSkinTextBox::SetBackgroundImage(const std::wstring& path) {
    m_background.reset();
    if (path.empty())
        return FALSE;
    m_background = xSkinLoadBitmap(path.c_str());
    return m_background != nullptr;
}

BOOL CxSkinTextBox::SetReadOnly(BOOL readOnly) {
    m_readOnly = readOnly ? TRUE : FALSE;
    m_noCaret = m_readOnly != FALSE;
    if (m_noCaret)
        StopBlinkTimer();
    return m_readOnly;
}

// The number and password settings bring the caret back for an editable box only: a read-only box shows
// no caret whatever else is set on it.
void CxSkinTextBox::SetNumberOnly(BOOL numberOnly) {
    m_numberOnly = numberOnly ? TRUE : FALSE;
    m_noCaret = m_readOnly != FALSE;
}

void CxSkinTextBox::SetNatural(BOOL natural) {
    m_natural = natural ? TRUE : FALSE;
    m_noCaret = m_readOnly != FALSE;
}

void CxSkinTextBox::SetPassword(BOOL password) {
    m_password = password ? TRUE : FALSE;
    m_noCaret = m_readOnly != FALSE;
}

void CxSkinTextBox::GetContextMenuPoint(POINT* point) const {
    if (point)
        *point = m_menuPoint;
}

// ---- Caret blink ----

bool CxSkinTextBox::IsBlinkTimerRunning() const {
    CxLockGuard guard(m_timerLock);
    return m_blinkTimer != 0;
}

void CxSkinTextBox::ResetBlink() {
    m_caretVisible = true;
    m_blinkClock = m_system->Now();
}

void CxSkinTextBox::StartBlinkTimer() {
    // Only a focused box blinks; a blink time of INFINITE means the user turned blinking off.
    if (m_noCaret || !m_focused || m_blinkTime == 0 || m_blinkTime == INFINITE)
        return;
    {
        CxLockGuard guard(m_timerLock);
        if (m_blinkTimer)
            return;
        m_timerListener = m_listener;
        m_timerName = GetName();
    }
    const UINT id = m_system->StartTimer(m_blinkTime, this);
    CxLockGuard guard(m_timerLock);
    m_blinkTimer = id;
}

void CxSkinTextBox::StopBlinkTimer() {
    UINT id = 0;
    {
        CxLockGuard guard(m_timerLock);
        id = m_blinkTimer;
        m_blinkTimer = 0;
    }
    // Outside the lock: stopping waits for a running tick, and that tick may be waiting for the lock.
    if (id && m_system)
        m_system->StopTimer(id);
}

void CxSkinTextBox::OnBlinkTimer(UINT id) {
    CxLockGuard guard(m_timerLock);
    if (id == 0 || id != m_blinkTimer || !m_focused || !m_timerListener)
        return;
    m_timerListener->OnTextBoxNotify(m_timerName);
}

// ---- Focus ----

void CxSkinTextBox::SetFocus() {
    TakeFocus(false);
}

void CxSkinTextBox::TakeFocus(bool fromCommand) {
    if (m_focused)
        return;
    CxSkinCtrl::SetFocus();
    m_focused = true;
    bool changed = false;
    if (m_clearOnFocus && !fromCommand && !m_buffer.empty()) {
        ShowText(L"");
        changed = true;
    }
    if (!m_hint.empty() && ShowsNoOwnText() && !m_buffer.empty()) {
        ShowText(L"");
        changed = true;
    }
    if (!m_noCaret) {
        ResetBlink();
        StartBlinkTimer();
    }
    if (changed)
        Redraw(FALSE);
}

void CxSkinTextBox::KillFocus() {
    const bool wasFocused = m_focused;
    StopBlinkTimer();
    m_caretVisible = false;
    m_focused = false;
    m_selecting = false;
    // Only the box's own focus is given up; another layer's stays.
    CLayerWnd* root = GetRootLayer();
    if (root && root->GetFocusLayer() == this)
        CxSkinCtrl::KillFocus();
    if (wasFocused)
        Redraw(FALSE);
}

void CxSkinTextBox::OnKillFocus(CLayerWnd* /*newFocus*/) {
    if (!m_focused)
        return;
    StopBlinkTimer();
    m_caretVisible = false;
    m_focused = false;
    m_selecting = false;
    if (!m_menuPending) {
        m_caret = m_anchor = m_firstVisible = 0;
        if (!m_hint.empty() && m_buffer.empty())
            ShowText(m_hint);
    }
    if (m_listener)
        m_listener->OnTextChanged(GetName(), m_buffer);
    Redraw(FALSE);
}
