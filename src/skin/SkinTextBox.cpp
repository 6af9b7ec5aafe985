#include "skin/SkinTextBox.h"

#include <imm.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <unordered_map>

#include "framework/DC.h"
#include "framework/Wnd.h"
#include "skin/SkinDraw.h"
#include "skin/SkinGraphics.h"

using namespace Gdiplus;

IMPLEMENT_DYNAMIC(CxSkinTextBox, CxSkinCtrl)

namespace {

constexpr UINT kTimerResolutionMs = 10;
constexpr LONG kLargestComposition = CxSkinTextBox::kMaxTextLength * static_cast<LONG>(sizeof(wchar_t));
// Another program (a clipboard viewer) may hold the clipboard for a moment.
constexpr int kClipboardAttempts = 3;
constexpr DWORD kClipboardRetryMs = 10;
// Characters a paste refuses: line breaks and other controls, and the quote and backslash that the
// handlers' file names and profile texts cannot take.
constexpr wchar_t kPasteRefused[] = L"\t\n\r\a\b\f\v'\\";
constexpr wchar_t kCtrlA = 0x01, kCtrlC = 0x03, kCtrlV = 0x16, kCtrlX = 0x18;
constexpr wchar_t kBackspace = 0x08, kCarriageReturn = 0x0D;
constexpr wchar_t kLastControlChar = 0x1F, kDeleteChar = 0x7F;

bool IsDigit(wchar_t ch) {
    return ch >= L'0' && ch <= L'9';
}
bool IsNumberChar(wchar_t ch) {
    return IsDigit(ch) || ch == L'-' || ch == L'.';
}
bool IsHighSurrogate(wchar_t ch) {
    return ch >= 0xD800 && ch <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t ch) {
    return ch >= 0xDC00 && ch <= 0xDFFF;
}

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

HWND HostWindow(const CLayerWnd& layer) {
    CWnd* host = layer.GetHostDialog();
    return host ? host->GetSafeHwnd() : nullptr;
}

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
    m_format.reset(StringFormat::GenericTypographic()->Clone());
    m_format->SetFormatFlags(m_format->GetFormatFlags() | StringFormatFlagsNoWrap |
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

// ---- Geometry ----

bool CxSkinTextBox::MakeFont(int style) {
    FontFamily family(m_fontFamily.c_str());
    const FontFamily* face = family.GetLastStatus() == Ok ? &family : FontFamily::GenericSansSerif();
    auto font = std::make_unique<Font>(face, static_cast<REAL>(m_fontSize), style, UnitPoint);
    if (font->GetLastStatus() != Ok)
        return false;
    m_font = std::move(font);
    InvalidateBoundaries();
    return true;
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
            graphics.MeasureString(glyph.c_str(), static_cast<INT>(count), m_font.get(), PointF(0, 0), format.get(),
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
    if (!dc)
        return;
    CxSkinGraphics graphics(dc->GetSafeHdc());
    Draw(graphics.Get());
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
        graphics->DrawString(m_buffer.c_str() + first, count, m_font.get(), textRect, m_format.get(), &brush);
        graphics->Restore(clipped);
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
