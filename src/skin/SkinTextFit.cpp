#include "skin/SkinTextFit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cwchar>
#include <iterator>
#include <optional>
#include <unordered_map>
#include <vector>

using namespace Gdiplus;

namespace {

// Sizes tried, largest first: a longer translation gives up a little size rather than letters.
constexpr REAL kScales[] = {1.0f, 0.93f, 0.86f, 0.8f, 0.75f};
constexpr REAL kUnbounded = 100000.0f;
// Pixels fainter than this are the anti-aliased fringe of a glyph, not a part of it.
constexpr uint32_t kInkAlpha = 96;
// How far past its box a text's ink is looked for.
constexpr int kInkMargin = 32;
// Fit choices are remembered by text, font and area: a repaint does not lay a text out again.
constexpr size_t kMaxRemembered = 4096;
constexpr wchar_t kEllipsis = L'\x2026';

// Where a line may part: kBreakable characters part on either side, kSpace characters are no part of a word,
// and a word is a run of characters of one other class.
enum class CharClass { kSpace, kBreakable, kLetter, kKatakana, kThai };

CharClass ClassOf(wchar_t c) {
    if (c <= L' ' || std::wcschr(L"-/()[],.;:!?\x2013\x2014\x3001\x3002\x300C\x300D\xFF08\xFF09\x30FB", c))
        return CharClass::kSpace;
    if ((c >= L'\x30A0' && c <= L'\x30FF') || (c >= L'\x31F0' && c <= L'\x31FF'))
        return CharClass::kKatakana;
    // Thai writes no spaces between words, and where a word ends takes a dictionary: a run stays whole, or a
    // line could part a syllable ("...\x0E23\x0E1A\x0E01\x0E27 / \x0E19").
    if (c >= L'\x0E00' && c <= L'\x0E7F')
        return CharClass::kThai;
    // Chinese characters and hiragana: no spaces between words, a line may part between characters.
    if ((c >= L'\x3040' && c <= L'\x309F') || (c >= L'\x3400' && c <= L'\x9FFF') ||
        (c >= L'\xF900' && c <= L'\xFAFF') || (c >= L'\xFF00' && c <= L'\xFFEF'))
        return CharClass::kBreakable;
    return CharClass::kLetter;
}

std::vector<CharacterRange> Words(const std::wstring& text) {
    std::vector<CharacterRange> words;
    size_t i = 0;
    while (i < text.size()) {
        const CharClass kind = ClassOf(text[i]);
        size_t end = i + 1;
        while (end < text.size() && ClassOf(text[end]) == kind)
            ++end;
        if ((kind == CharClass::kLetter || kind == CharClass::kKatakana || kind == CharClass::kThai) && end - i > 1)
            words.emplace_back(static_cast<INT>(i), static_cast<INT>(end - i));
        i = end;
    }
    return words;
}

// Where each line after the first starts as DrawString lays the text out in a box `width` wide: the characters
// the first k lines hold, measured in a box k and a half lines tall that keeps only whole lines. The character
// ranges GDI+ measures are no guide: they may stay on one line where the drawn text wraps.
std::vector<size_t> LineStarts(Graphics& graphics, const std::wstring& text, const Font& font,
                               const StringFormat& format, REAL width) {
    const std::unique_ptr<StringFormat> measure(format.Clone());
    measure->SetLineAlignment(StringAlignmentNear);
    measure->SetTrimming(StringTrimmingNone);
    measure->SetFormatFlags(format.GetFormatFlags() | StringFormatFlagsLineLimit);
    const INT length = static_cast<INT>(text.size());
    const REAL line = font.GetHeight(&graphics);
    RectF bounds;
    INT fitted = 0, lines = 0;
    std::vector<size_t> starts;
    if (graphics.MeasureString(text.c_str(), length, &font, RectF(0, 0, width, kUnbounded), measure.get(), &bounds,
                               &fitted, &lines) != Ok)
        return starts;
    for (INT k = 1; k < lines; ++k) {
        const RectF box(0, 0, width, line * (static_cast<REAL>(k) + 0.5f));
        if (graphics.MeasureString(text.c_str(), length, &font, box, measure.get(), &bounds, &fitted, nullptr) != Ok)
            break;
        starts.push_back(static_cast<size_t>(fitted));
    }
    return starts;
}

std::unique_ptr<StringFormat> CopyOf(const StringFormat* format) {
    return format ? std::unique_ptr<StringFormat>(format->Clone()) : std::make_unique<StringFormat>();
}

// The format without the sixth of an em GDI+ keeps free at each end of a line, on one line: the last resort
// of a box barely wider than its text.
std::unique_ptr<StringFormat> TightOf(const StringFormat& format) {
    std::unique_ptr<StringFormat> tight(StringFormat::GenericTypographic()->Clone());
    tight->SetFormatFlags((tight->GetFormatFlags() & ~StringFormatFlagsLineLimit) | StringFormatFlagsNoWrap);
    tight->SetAlignment(format.GetAlignment());
    tight->SetLineAlignment(format.GetLineAlignment());
    return tight;
}

bool Wraps(const StringFormat& format) {
    return !(format.GetFormatFlags() & StringFormatFlagsNoWrap);
}

bool Elides(const StringFormat& format) {
    return format.GetTrimming() != StringTrimmingNone && format.GetTrimming() != StringTrimmingCharacter;
}

// Whether the text laid out in `box` leaves all its ink inside the visible area at (0, 0), whole words on
// every line.
bool Shows(Graphics& graphics, const std::wstring& text, const Font& font, const StringFormat& format,
           const RectF& box, const SizeF& visible) {
    if (!xSkinTextLaidOutWhole(graphics, text, font, format, box))
        return false;
    RectF ink;
    if (!xSkinTextInk(text, font, format, box, &ink))
        return true;
    if (ink.X < 0 || ink.Y < 0 || ink.GetRight() > visible.Width || ink.GetBottom() > visible.Height)
        return false;
    return !Wraps(format) || !xSkinTextBreaksWord(graphics, text, font, format, box.Width);
}

// What was chosen for a text: the size (an index into kScales), one line or not, the characters kept before
// an ellipsis (npos: the whole text), and whether it shows whole.
struct Choice {
    size_t scale = 0;
    bool oneLine = false;
    size_t kept = std::wstring::npos;
    bool visibleBox = false;
    bool tight = false;
    bool whole = true;
};

std::wstring KeyOf(const std::wstring& text, const Font& font, const StringFormat& format, const SizeF& layout,
                   const SizeF& visible) {
    FontFamily family;
    wchar_t face[LF_FACESIZE] = {};
    if (font.GetFamily(&family) == Ok)
        family.GetFamilyName(face);
    const REAL numbers[] = {font.GetSize(),
                            static_cast<REAL>(font.GetStyle()),
                            static_cast<REAL>(font.GetUnit()),
                            static_cast<REAL>(format.GetFormatFlags()),
                            static_cast<REAL>(format.GetAlignment()),
                            static_cast<REAL>(format.GetLineAlignment()),
                            static_cast<REAL>(format.GetTrimming()),
                            layout.Width,
                            layout.Height,
                            visible.Width,
                            visible.Height};
    std::wstring key = text + L'\n' + face + L'\n';
    key.append(reinterpret_cast<const wchar_t*>(numbers), sizeof(numbers) / (sizeof(wchar_t)));
    return key;
}

std::unordered_map<std::wstring, Choice>& Remembered() {
    // Drawing runs on the UI thread only.
    static std::unordered_map<std::wstring, Choice> remembered;
    return remembered;
}

std::unique_ptr<Font> Scaled(const Font& font, size_t scale) {
    FontFamily family;
    if (font.GetFamily(&family) != Ok)
        return nullptr;
    auto scaled = std::make_unique<Font>(&family, font.GetSize() * kScales[scale], font.GetStyle(), font.GetUnit());
    return scaled->GetLastStatus() == Ok ? std::move(scaled) : nullptr;
}

std::wstring Elided(const std::wstring& text, size_t kept) {
    std::wstring shown = text.substr(0, kept);
    while (!shown.empty() && shown.back() == L' ')
        shown.pop_back();
    return shown + kEllipsis;
}

class Chooser {
public:
    Chooser(Graphics& graphics, const std::wstring& text, const Font& font, const StringFormat& format,
            const SizeF& layout, const SizeF& visible)
        : m_graphics(graphics), m_text(text), m_font(font), m_format(format), m_layout(layout), m_visible(visible),
          m_oneLine(CopyOf(&format)) {
        m_oneLine->SetFormatFlags(format.GetFormatFlags() | StringFormatFlagsNoWrap);
    }

    Choice Choose() {
        if (Shows(m_graphics, m_text, m_font, m_format, RectF(0, 0, m_layout.Width, m_layout.Height), m_visible))
            return {};
        if (Elides(m_format))
            return Elide();
        // An area one line tall takes a smaller size on one line before a second line that it would cut.
        const bool oneLineArea = !Wraps(m_format) || m_visible.Height < 2 * m_font.GetHeight(&m_graphics);
        if (oneLineArea) {
            if (const auto fitted = Smallest(*m_oneLine, true))
                return *fitted;
        }
        if (Wraps(m_format)) {
            if (const auto fitted = Smallest(m_format, false))
                return *fitted;
        }
        if (oneLineArea) {
            if (auto fitted = Smallest(*TightOf(m_format), true)) {
                fitted->tight = true;
                return *fitted;
            }
        }
        Choice cut;
        cut.scale = std::size(kScales) - 1;
        cut.oneLine = oneLineArea;
        cut.visibleBox = true;
        cut.whole = false;
        return cut;
    }

private:
    // The largest size at which the text shows whole, on one line or wrapped.
    std::optional<Choice> Smallest(const StringFormat& format, bool oneLine) {
        for (size_t scale = oneLine ? 0 : 1; scale < std::size(kScales); ++scale) {
            const std::unique_ptr<Font> font = Scaled(m_font, scale);
            if (!font)
                return std::nullopt;
            if (Shows(m_graphics, m_text, *font, format, VisibleBox(), m_visible)) {
                Choice choice;
                choice.scale = scale;
                choice.oneLine = oneLine;
                choice.visibleBox = true;
                return choice;
            }
        }
        return std::nullopt;
    }

    // The longest start of the text that shows before an ellipsis on one line.
    Choice Elide() {
        Choice choice;
        choice.oneLine = true;
        choice.visibleBox = true;
        size_t low = 0, high = m_text.size();
        while (low < high) {
            const size_t middle = (low + high + 1) / 2;
            if (Shows(m_graphics, Elided(m_text, middle), m_font, *m_oneLine, VisibleBox(), m_visible))
                low = middle;
            else
                high = middle - 1;
        }
        choice.kept = low;
        return choice;
    }

    RectF VisibleBox() const { return RectF(0, 0, m_visible.Width, m_visible.Height); }

    Graphics& m_graphics;
    const std::wstring& m_text;
    const Font& m_font;
    const StringFormat& m_format;
    const SizeF m_layout;
    const SizeF m_visible;
    std::unique_ptr<StringFormat> m_oneLine;
};

} // namespace

CxSkinTextFit::CxSkinTextFit(Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font,
                             const StringFormat* format, const SizeF& layout, const SizeF& visible)
    : m_given(font), m_text(text), m_format(CopyOf(format)), m_layout(0, 0, layout.Width, layout.Height) {
    const std::wstring key = KeyOf(text, font, *m_format, layout, visible);
    auto& remembered = Remembered();
    auto known = remembered.find(key);
    if (known == remembered.end()) {
        if (remembered.size() >= kMaxRemembered)
            remembered.clear();
        known = remembered.emplace(key, Chooser(graphics, text, font, *m_format, layout, visible).Choose()).first;
    }
    const Choice& choice = known->second;
    m_whole = choice.whole;
    if (choice.scale > 0)
        m_font = Scaled(font, choice.scale);
    if (choice.tight)
        m_format = TightOf(*m_format);
    if (choice.oneLine)
        m_format->SetFormatFlags(m_format->GetFormatFlags() | StringFormatFlagsNoWrap);
    if (choice.kept != std::wstring::npos) {
        m_text = Elided(text, choice.kept);
        m_format->SetTrimming(StringTrimmingNone);
    }
    if (choice.visibleBox)
        m_layout = RectF(0, 0, visible.Width, visible.Height);
}

bool xSkinTextInk(const std::wstring& text, const Font& font, const StringFormat& format,
                  const RectF& box, RectF* ink) {
    if (text.empty() || box.Width <= 0 || box.Height <= 0)
        return false;
    // Drawn unclipped into a surface with a margin all round the box, as the text's own surface draws it.
    const int width = static_cast<int>(std::ceil(box.Width)) + 2 * kInkMargin;
    const int height = static_cast<int>(std::ceil(box.Height)) + 2 * kInkMargin;
    Bitmap surface(width, height, PixelFormat32bppARGB);
    if (surface.GetLastStatus() != Ok)
        return false;
    {
        Graphics g(&surface);
        g.SetTextRenderingHint(TextRenderingHintAntiAlias);
        const std::unique_ptr<StringFormat> unclipped(format.Clone());
        unclipped->SetFormatFlags(format.GetFormatFlags() | StringFormatFlagsNoClip);
        const SolidBrush black(Color(255, 0, 0, 0));
        const RectF at(static_cast<REAL>(kInkMargin), static_cast<REAL>(kInkMargin), box.Width, box.Height);
        g.DrawString(text.c_str(), static_cast<INT>(text.size()), &font, at, unclipped.get(), &black);
    }
    const Rect all(0, 0, width, height);
    BitmapData data{};
    if (surface.LockBits(&all, ImageLockModeRead, PixelFormat32bppARGB, &data) != Ok)
        return false;
    int left = width, right = -1, top = height, bottom = -1;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(data.Scan0) + y * data.Stride);
        for (int x = 0; x < width; ++x) {
            if ((row[x] >> 24) < kInkAlpha)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    surface.UnlockBits(&data);
    if (right < 0)
        return false;
    *ink = RectF(box.X + static_cast<REAL>(left - kInkMargin), box.Y + static_cast<REAL>(top - kInkMargin),
                 static_cast<REAL>(right - left + 1), static_cast<REAL>(bottom - top + 1));
    return true;
}

bool xSkinTextLaidOutWhole(Graphics& graphics, const std::wstring& text, const Font& font,
                           const StringFormat& format, const RectF& box) {
    size_t length = text.size();
    while (length > 0 && text[length - 1] == L' ')
        --length;
    RectF bounds;
    INT fitted = 0, lines = 0;
    if (graphics.MeasureString(text.c_str(), static_cast<INT>(text.size()), &font, box, &format, &bounds, &fitted,
                               &lines) != Ok)
        return true;
    return static_cast<size_t>(fitted) >= length;
}

bool xSkinTextBreaksWord(Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font,
                         const StringFormat& format, REAL width) {
    const std::vector<CharacterRange> words = Words(text);
    if (words.empty())
        return false;
    for (const size_t start : LineStarts(graphics, text, font, format, width)) {
        const bool inside = std::any_of(words.begin(), words.end(), [start](const CharacterRange& word) {
            return static_cast<INT>(start) > word.First && static_cast<INT>(start) < word.First + word.Length;
        });
        if (inside)
            return true;
    }
    return false;
}
