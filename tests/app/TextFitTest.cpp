// Every text of every window, page and menu fits its control in every culture: the shipped markup and
// language files drawn over the simulated device, with the skin telling of every text it has to cut.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "../handlers/PageFiles.h"
#include "DialogGallery.h"
#include "MainWindowOnDevice.h"
#include "skin/SkinDraw.h"
#include "skin/SkinMenu.h"

using namespace oc::test;
namespace fs = std::filesystem;

namespace {


// ---- Text fit ----

// The markup files of one kind ("Window", "SkinMenu"), by the name of their root element.
std::vector<fs::path> MarkupFilesWithRoot(const std::string& root) {
    std::vector<fs::path> files;
    const std::regex first("<([A-Za-z]+)[ >]");
    for (const auto& entry : fs::directory_iterator(SkinFolder())) {
        if (entry.path().extension() != ".lyt" || entry.path().stem() == "MainWindow")
            continue;
        std::string text = ReadText(entry.path());
        // Past the declaration and the leading comments.
        size_t at = 0;
        while ((at = text.find('<', at)) != std::string::npos && (text[at + 1] == '?' || text[at + 1] == '!'))
            ++at;
        std::smatch match;
        const std::string rest = at == std::string::npos ? std::string() : text.substr(at, 200);
        if (std::regex_search(rest, match, first) && match[1] == root)
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

int WindowSize(const fs::path& file, const char* attribute, int fallback) {
    const auto sizes = Matches(ReadText(file), std::regex(std::string("<Window[^>]*\\b") + attribute + "=\"(\\d+)\""), 1);
    return sizes.empty() ? fallback : std::stoi(*sizes.begin());
}

// ---- What a user sees of a text ----

// How far past its area a text's ink is looked for.
constexpr int kMargin = 48;
// Ink fainter than this is anti-aliasing fringe, not a part of a letter.
constexpr BYTE kInkAlpha = 96;

// Where the ink of a text drawn as the skin drew it falls outside the area that shows it: the text drawn
// again, unclipped, into a surface with a margin all round the area.
struct Spill {
    bool sideways = false;
    bool vertical = false;
};

Spill InkOutside(const SkinDrawnText& drawn) {
    const int width = static_cast<int>(drawn.visible.Width) + 2 * kMargin;
    const int height = static_cast<int>(drawn.visible.Height) + 2 * kMargin;
    Gdiplus::Bitmap surface(width, height, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics g(&surface);
        g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
        std::unique_ptr<Gdiplus::StringFormat> format(drawn.format->Clone());
        format->SetFormatFlags(format->GetFormatFlags() | Gdiplus::StringFormatFlagsNoClip);
        const Gdiplus::SolidBrush black(Gdiplus::Color(255, 0, 0, 0));
        const Gdiplus::RectF layout(drawn.layout.X - drawn.visible.X + kMargin, drawn.layout.Y - drawn.visible.Y + kMargin,
                                    drawn.layout.Width, drawn.layout.Height);
        g.DrawString(drawn.shown.c_str(), static_cast<INT>(drawn.shown.size()), drawn.font, layout, format.get(), &black);
    }
    Spill spill;
    const int right = kMargin + static_cast<int>(drawn.visible.Width);
    const int bottom = kMargin + static_cast<int>(drawn.visible.Height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Gdiplus::Color pixel;
            surface.GetPixel(x, y, &pixel);
            if (pixel.GetA() < kInkAlpha)
                continue;
            spill.sideways |= x < kMargin || x >= right;
            spill.vertical |= y < kMargin || y >= bottom;
        }
    }
    return spill;
}

// The characters the layout leaves out: GDI+ drops the rest of a line too long for a box that does not wrap,
// and the lines past a box's bottom, without drawing any of them.
std::wstring LostCharacters(Gdiplus::Graphics& graphics, const SkinDrawnText& drawn) {
    std::wstring text = drawn.shown;
    while (!text.empty() && text.back() == L' ')
        text.pop_back();
    Gdiplus::RectF bounds;
    INT fitted = 0, lines = 0;
    graphics.MeasureString(drawn.shown.c_str(), static_cast<INT>(drawn.shown.size()), drawn.font, drawn.layout,
                           drawn.format, &bounds, &fitted, &lines);
    return static_cast<size_t>(fitted) < text.size() ? text.substr(static_cast<size_t>(fitted)) : L"";
}

// A line may part between two characters unless both belong to one word: letters and digits of a script
// that separates its words, katakana included. Chinese characters, hiragana and Thai may part anywhere.
bool JoinsWord(wchar_t a, wchar_t b) {
    const auto parts = [](wchar_t c) {
        return (c >= 0x0E00 && c <= 0x0E7F) || (c >= 0x3040 && c <= 0x309F) || (c >= 0x3400 && c <= 0x9FFF);
    };
    const auto letter = [](wchar_t c) { return ::IsCharAlphaNumericW(c) || c == 0x30FC; };
    return letter(a) && letter(b) && !parts(a) && !parts(b);
}

// The first pair of characters of one word that the layout puts on two lines, or an empty text.
std::wstring BrokenWord(Gdiplus::Graphics& graphics, const SkinDrawnText& drawn) {
    const std::wstring& text = drawn.shown;
    if (drawn.format->GetFormatFlags() & Gdiplus::StringFormatFlagsNoWrap || text.size() < 2)
        return L"";
    std::unique_ptr<Gdiplus::StringFormat> format(drawn.format->Clone());
    format->SetLineAlignment(Gdiplus::StringAlignmentNear);
    const Gdiplus::RectF open(0, 0, drawn.layout.Width, 100000.0f);
    // The top of each character's line, 32 characters (the most GDI+ measures at once) at a time.
    std::vector<float> tops(text.size(), -1.0f);
    for (size_t first = 0; first < text.size(); first += 32) {
        std::vector<Gdiplus::CharacterRange> ranges;
        for (size_t i = first; i < std::min(text.size(), first + 32); ++i)
            ranges.emplace_back(static_cast<INT>(i), 1);
        format->SetMeasurableCharacterRanges(static_cast<INT>(ranges.size()), ranges.data());
        std::vector<Gdiplus::Region> regions(ranges.size());
        if (graphics.MeasureCharacterRanges(text.c_str(), static_cast<INT>(text.size()), drawn.font, open, format.get(),
                                            static_cast<INT>(ranges.size()), regions.data()) != Gdiplus::Ok)
            return L"";
        for (size_t i = 0; i < regions.size(); ++i) {
            Gdiplus::RectF bounds;
            if (regions[i].GetBounds(&bounds, &graphics) == Gdiplus::Ok && bounds.Width > 0)
                tops[first + i] = bounds.Y;
        }
    }
    const float line = drawn.font->GetHeight(&graphics);
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (tops[i] >= 0 && tops[i + 1] >= 0 && tops[i + 1] > tops[i] + line / 2 && JoinsWord(text[i], text[i + 1]))
            return text.substr(0, i + 1) + L" / " + text.substr(i + 1);
    }
    return L"";
}

// The characters of the text that the face drawing it has no glyph for.
std::wstring MissingGlyphs(const SkinDrawnText& drawn) {
    Gdiplus::FontFamily family;
    wchar_t face[LF_FACESIZE] = {};
    if (drawn.font->GetFamily(&family) != Gdiplus::Ok || family.GetFamilyName(face) != Gdiplus::Ok)
        return L"(no face)";
    HDC dc = ::CreateCompatibleDC(nullptr);
    LOGFONTW logFont{};
    logFont.lfHeight = -16;
    logFont.lfCharSet = DEFAULT_CHARSET;
    std::wcsncpy(logFont.lfFaceName, face, LF_FACESIZE - 1);
    HFONT font = ::CreateFontIndirectW(&logFont);
    HGDIOBJ old = ::SelectObject(dc, font);
    std::wstring missing;
    std::vector<WORD> glyphs(drawn.shown.size());
    wchar_t selected[LF_FACESIZE] = {};
    ::GetTextFaceW(dc, LF_FACESIZE, selected);
    if (_wcsicmp(selected, face) != 0) {
        missing = L"(face " + std::wstring(face) + L" not installed)";
    } else if (::GetGlyphIndicesW(dc, drawn.shown.c_str(), static_cast<int>(drawn.shown.size()), glyphs.data(),
                                  GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR) {
        for (size_t i = 0; i < glyphs.size(); ++i)
            if (glyphs[i] == 0xFFFF && drawn.shown[i] > L' ')
                missing += drawn.shown[i];
    }
    ::SelectObject(dc, old);
    ::DeleteObject(font);
    ::DeleteDC(dc);
    return missing;
}

// Every fault of every text the skin draws, as "<where>: "<text>" <fault>": cut sideways or at the top or
// bottom (descenders and marks included), cut short by an ellipsis, broken inside a word, or drawn with
// glyphs its face lacks.
class TextFaults {
public:
    TextFaults() {
        xSkinSetTextObserver([this](Gdiplus::Graphics& graphics, const SkinDrawnText& drawn) { Check(graphics, drawn); });
    }
    ~TextFaults() { xSkinSetTextObserver(nullptr); }
    TextFaults(const TextFaults&) = delete;
    TextFaults& operator=(const TextFaults&) = delete;

    void At(const std::wstring& where) { m_where = where; }
    const std::set<std::wstring>& Faults() const { return m_faults; }
    size_t Checked() const { return m_checked; }

private:
    void Check(Gdiplus::Graphics& graphics, const SkinDrawnText& drawn) {
        ++m_checked;
        const Spill spill = InkOutside(drawn);
        if (spill.sideways)
            Add(drawn, L"is cut at a side");
        if (const std::wstring lost = LostCharacters(graphics, drawn); !lost.empty())
            Add(drawn, L"loses \"" + lost + L"\"");
        if (spill.vertical)
            Add(drawn, L"is cut at the top or bottom");
        if (drawn.shown != drawn.text)
            Add(drawn, L"is cut short to \"" + drawn.shown + L"\"");
        if (const std::wstring broken = BrokenWord(graphics, drawn); !broken.empty())
            Add(drawn, L"breaks a word: \"" + broken + L"\"");
        if (const std::wstring missing = MissingGlyphs(drawn); !missing.empty())
            Add(drawn, L"has no glyph for \"" + missing + L"\"");
    }
    void Add(const SkinDrawnText& drawn, const std::wstring& fault) {
        m_faults.insert(m_where + L": \"" + drawn.text + L"\" " + fault + L" (" + Size(drawn.visible) + L")");
    }
    static std::wstring Size(const Gdiplus::RectF& area) {
        return std::to_wstring(static_cast<int>(area.Width + 0.5f)) + L"x" +
               std::to_wstring(static_cast<int>(area.Height + 0.5f));
    }
    std::wstring m_where;
    std::set<std::wstring> m_faults;
    size_t m_checked = 0;
};

// The pages, windows and menus the gallery keeps of each culture, as "<culture>_<name>.png".
const std::set<std::wstring> kCulturePictures = {L"SpeakerEQ", L"SpeakerVimoSurroundHeadPhone", L"DialogInfo",
                                                 L"MenuHeadPhone"};

void SaveCulturePicture(const CLayerDialog& window, const std::wstring& culture, const std::wstring& name) {
    if (kCulturePictures.count(name) != 0) {
        EXPECT_FALSE(SaveDialogPicture(window, L"Culture_" + culture + L"_" + name).empty()) << name;
    }
}

// Draws the markup file's window (or, for a menu, its rows) once, as the culture's texts make it.
void DrawMarkupWindow(const fs::path& file, bool menu, const std::wstring& culture) {
    ILytController* controller = theApp.GetLytController();
    ASSERT_NE(controller, nullptr);
    if (menu) {
        TestDialog host;
        ASSERT_TRUE(OpenDialog(host, {0, 0}, 300, 200));
        CxSkinMenu popup(CDialog::IDD_POPUP, &host);
        popup.SetDestroyLayersAfterWindow(TRUE);
        ASSERT_TRUE(popup.Create(CDialog::IDD_POPUP, &host));
        EXPECT_TRUE(controller->Load(file.wstring().c_str(), &popup, nullptr)) << file;
        popup.TrackPopup(0, 0);
        popup.Update();
        SaveCulturePicture(popup, culture, file.stem().wstring());
        popup.DestroyWindow();
        host.DestroyWindow();
        return;
    }
    TestDialog dialog;
    ASSERT_TRUE(OpenDialog(dialog, {0, 0}, WindowSize(file, "Width", 400), WindowSize(file, "Height", 300)));
    EXPECT_TRUE(controller->Load(file.wstring().c_str(), &dialog, nullptr)) << file;
    dialog.Update();
    SaveCulturePicture(dialog, culture, file.stem().wstring());
    dialog.DestroyWindow();
}

// The checks see each kind of fault where the skin cannot help it: a text in a box too small at any size it
// may take, one whose descenders a box one line tall would lose, and a character no installed face draws.
TEST(TextFaultsTest, SeeCutAndMissingTexts) {
    Gdiplus::Bitmap canvas(200, 100, PixelFormat32bppARGB);
    Gdiplus::Graphics graphics(&canvas);
    const Gdiplus::FontFamily family(L"Tahoma");
    const Gdiplus::Font font(&family, 11, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    const Gdiplus::SolidBrush brush(Gdiplus::Color(255, 255, 255, 255));
    Gdiplus::StringFormat oneLine(Gdiplus::StringFormatFlagsNoWrap);
    oneLine.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    struct Case {
        const wchar_t* text;
        Gdiplus::RectF area;
        const wchar_t* fault;
    };
    const Case cases[] = {
        {L"Virtueller Kopfh\x00F6rer-Surround", Gdiplus::RectF(0, 0, 60, 20), L"loses"},
        {L"Gesang", Gdiplus::RectF(0, 0, 80, 9), L"cut at the top or bottom"},
        {L"\xE000\xE001", Gdiplus::RectF(0, 0, 80, 20), L"has no glyph"},
        {L"Whole", Gdiplus::RectF(0, 0, 80, 24), nullptr},
    };
    for (const Case& c : cases) {
        TextFaults faults;
        faults.At(L"case");
        xSkinDrawStringToBitmap(graphics, c.text, c.area, &font, &oneLine, &brush, nullptr);
        EXPECT_EQ(faults.Checked(), 1u) << c.text;
        std::wstring all;
        for (const std::wstring& fault : faults.Faults())
            all += fault;
        if (c.fault)
            EXPECT_NE(all.find(c.fault), std::wstring::npos) << c.text << ": " << all;
        else
            EXPECT_TRUE(all.empty()) << all;
    }
}

class TextFitTest : public ::testing::TestWithParam<const wchar_t*> {
protected:
    static void SetUpTestSuite() { PrepareApplication(); }
    void TearDown() override { theApp.LoadLanguage(L"en-US"); }
};

// Every text of the main window, of every page, of every other window and of every menu fits its control:
// no label, button, tab or row is cut on either side or broken inside a word.
TEST_P(TextFitTest, EveryTextFitsItsControl) {
    const wchar_t* culture = GetParam();
    const std::vector<std::wstring> pages = ShippedPages();
    const std::vector<fs::path> windows = MarkupFilesWithRoot("Window");
    const std::vector<fs::path> menus = MarkupFilesWithRoot("SkinMenu");
    ASSERT_GT(pages.size(), 90u);
    ASSERT_GT(windows.size(), 8u);
    ASSERT_GT(menus.size(), 10u);
    ASSERT_EQ(theApp.LoadLanguage(culture), 1);
    TextFaults cuts;
    // The device set-ups in turn, each with the pages it offers.
    for (const wchar_t* scenario : {kEveryPage, L"every-page-mics-swapped"}) {
        cuts.At(L"MainWindow");
        MainWindowOnDevice window(scenario);
        ASSERT_TRUE(window.Ready());
        window.Dialog().Update();
        if (std::wstring(scenario) == kEveryPage) {
            EXPECT_FALSE(SaveDialogPicture(window.Dialog(), L"Culture_" + std::wstring(culture) + L"_MainWindow").empty());
        }
        for (const std::wstring& page : pages) {
            const auto setup = std::find_if(std::begin(kSetups), std::end(kSetups),
                                            [&](const PageSetup& s) { return page == s.page; });
            const std::wstring needs = setup != std::end(kSetups) ? setup->scenario : kEveryPage;
            if (needs != scenario)
                continue;
            if (setup != std::end(kSetups) && setup->command) {
                ASSERT_EQ(window.Control(setup->command), L"ok");
            }
            cuts.At(L"apo" + page);
            window.Main()->ShowContent(page, 1);
            ASSERT_EQ(window.Main()->GetCurrentContentName(), page);
            // The page draws as part of the window's back buffer.
            window.Dialog().Update();
            SaveCulturePicture(window.Dialog(), culture, page);
        }
    }
    for (const fs::path& file : windows) {
        cuts.At(file.stem().wstring());
        DrawMarkupWindow(file, false, culture);
    }
    for (const fs::path& file : menus) {
        cuts.At(file.stem().wstring());
        DrawMarkupWindow(file, true, culture);
    }
    std::wstring list;
    for (const std::wstring& fault : cuts.Faults())
        list += fault + L"\n";
    EXPECT_GT(cuts.Checked(), 2000u);
    EXPECT_TRUE(cuts.Faults().empty()) << cuts.Faults().size() << " texts do not show whole:\n" << list;
}

INSTANTIATE_TEST_SUITE_P(Cultures, TextFitTest, ::testing::ValuesIn(LanguageCultures().begin(), LanguageCultures().end()),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) {
                             std::string name(info.param, info.param + 5);
                             name[2] = '_';
                             return name;
                         });

} // namespace
