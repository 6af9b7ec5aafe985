// Every text of every window, page and menu fits its control in every culture: the shipped markup and
// language files drawn over the simulated device, with the skin telling of every text it has to cut.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <map>
#include <memory>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "../handlers/PageFiles.h"
#include "DialogGallery.h"
#include "MainWindowOnDevice.h"
#include "app/AppSettingHandler.h"
#include "app/AppSettings.h"
#include "app/InfoHandler.h"
#include "app/PanelStatusHandler.h"
#include "driver/PropertyValue.h"
#include "skin/SkinDraw.h"
#include "skin/SkinMenu.h"
#include "skin/SkinToolTip.h"

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
    const auto sizes =
        Matches(ReadText(file), std::regex(std::string("<Window[^>]*\\b") + attribute + "=\"(\\d+)\""), 1);
    return sizes.empty() ? fallback : std::stoi(*sizes.begin());
}

// ---- What a user sees of a text ----

// How far past its area a text's ink is looked for.
constexpr int kMargin = 48;
// Ink fainter than this is anti-aliasing fringe, not a part of a letter.
constexpr BYTE kInkAlpha = 96;
// The least room, in pixels, between the ink of two texts of one window.
constexpr float kNeighbourGap = 2.0f;

// Where the ink of a text drawn as the skin drew it falls outside the area that shows it: the text drawn
// again, unclipped, into a surface with a margin all round the area.
struct Spill {
    bool sideways = false;
    bool vertical = false;
    // The ink inside the area, from the area's top-left; empty when the text leaves none there.
    Gdiplus::RectF ink;
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
        const Gdiplus::RectF layout(drawn.layout.X - drawn.visible.X + kMargin,
                                    drawn.layout.Y - drawn.visible.Y + kMargin, drawn.layout.Width,
                                    drawn.layout.Height);
        g.DrawString(drawn.shown.c_str(), static_cast<INT>(drawn.shown.size()), drawn.font, layout, format.get(),
                     &black);
    }
    Spill spill;
    const int right = kMargin + static_cast<int>(drawn.visible.Width);
    const int bottom = kMargin + static_cast<int>(drawn.visible.Height);
    int inkLeft = width, inkTop = height, inkRight = -1, inkBottom = -1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Gdiplus::Color pixel;
            surface.GetPixel(x, y, &pixel);
            if (pixel.GetA() < kInkAlpha)
                continue;
            const bool outsideX = x < kMargin || x >= right, outsideY = y < kMargin || y >= bottom;
            spill.sideways |= outsideX;
            spill.vertical |= outsideY;
            if (outsideX || outsideY)
                continue;
            inkLeft = std::min(inkLeft, x);
            inkRight = std::max(inkRight, x);
            inkTop = std::min(inkTop, y);
            inkBottom = std::max(inkBottom, y);
        }
    }
    if (inkRight >= 0)
        spill.ink =
            Gdiplus::RectF(static_cast<float>(inkLeft - kMargin), static_cast<float>(inkTop - kMargin),
                           static_cast<float>(inkRight - inkLeft + 1), static_cast<float>(inkBottom - inkTop + 1));
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
// that separates its words, katakana included, or a run of Thai (its words end where only a dictionary
// knows, so a run is kept whole). Chinese characters and hiragana may part anywhere.
bool JoinsWord(wchar_t a, wchar_t b) {
    const auto thai = [](wchar_t c) { return c >= 0x0E00 && c <= 0x0E7F; };
    const auto parts = [](wchar_t c) { return (c >= 0x3040 && c <= 0x309F) || (c >= 0x3400 && c <= 0x9FFF); };
    const auto letter = [](wchar_t c) { return ::IsCharAlphaNumericW(c) || c == 0x30FC; };
    return (thai(a) && thai(b)) || (letter(a) && letter(b) && !parts(a) && !parts(b) && !thai(a) && !thai(b));
}

// Where each line after the first starts, as DrawString lays the text out: the characters that the first k
// lines hold, measured in a box k and a half lines tall that keeps only whole lines. (The character ranges
// GDI+ measures may stay on one line where the drawn text wraps.) Measured on a surface like the one the skin
// draws texts on.
std::vector<size_t> LineStarts(const SkinDrawnText& drawn) {
    Gdiplus::Bitmap surface(1, 1, PixelFormat32bppARGB);
    Gdiplus::Graphics graphics(&surface);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    std::unique_ptr<Gdiplus::StringFormat> format(drawn.format->Clone());
    format->SetLineAlignment(Gdiplus::StringAlignmentNear);
    format->SetTrimming(Gdiplus::StringTrimmingNone);
    format->SetFormatFlags(format->GetFormatFlags() | Gdiplus::StringFormatFlagsLineLimit);
    const std::wstring& text = drawn.shown;
    const float line = drawn.font->GetHeight(&graphics);
    Gdiplus::RectF bounds;
    INT fitted = 0, lines = 0;
    graphics.MeasureString(text.c_str(), static_cast<INT>(text.size()), drawn.font,
                           Gdiplus::RectF(0, 0, drawn.layout.Width, 100000.0f), format.get(), &bounds, &fitted, &lines);
    std::vector<size_t> starts;
    for (INT k = 1; k < lines; ++k) {
        const Gdiplus::RectF box(0, 0, drawn.layout.Width, line * (static_cast<float>(k) + 0.5f));
        graphics.MeasureString(text.c_str(), static_cast<INT>(text.size()), drawn.font, box, format.get(), &bounds,
                               &fitted, nullptr);
        starts.push_back(static_cast<size_t>(fitted));
    }
    return starts;
}

// The first word that the layout puts on two lines, as "<first part> / <rest>", or an empty text.
std::wstring BrokenWord(const SkinDrawnText& drawn) {
    const std::wstring& text = drawn.shown;
    if (drawn.format->GetFormatFlags() & Gdiplus::StringFormatFlagsNoWrap || text.size() < 2)
        return L"";
    for (const size_t start : LineStarts(drawn)) {
        if (start > 0 && start < text.size() && JoinsWord(text[start - 1], text[start]))
            return text.substr(0, start) + L" / " + text.substr(start);
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

// Whether resting the pointer on a point of the window brings up its tip with the text whole.
bool TipShowsWhole(CxSkinDialog& window, POINT point, const std::wstring& text) {
    CxSkinToolTip* tip = window.GetToolTipWindow();
    if (!tip)
        return false;
    POINT screen = point;
    ::ClientToScreen(window.GetSafeHwnd(), &screen);
    tip->SetCursorSource([screen] { return screen; });
    MSG move{};
    move.hwnd = window.GetSafeHwnd();
    move.message = WM_MOUSEMOVE;
    move.lParam = MAKELPARAM(point.x, point.y);
    move.pt = screen;
    tip->RelayEvent(&move);
    // The rest the tip waits for, over at once.
    ::SendMessageW(tip->GetSafeHwnd(), WM_TIMER, CxSkinToolTip::kShowTimer, 0);
    const bool whole = tip->IsWindowVisible() && tip->GetShownText() == text;
    tip->Hide();
    tip->SetCursorSource(nullptr);
    return whole;
}

// Every fault of every text the skin draws, as "<where>: "<text>" <fault>": cut sideways or at the top or
// bottom (descenders and marks included), cut short by an ellipsis, broken inside a word, or drawn with
// glyphs its face lacks.
class TextFaults {
public:
    TextFaults() {
        xSkinSetTextObserver(
            [this](Gdiplus::Graphics& graphics, const SkinDrawnText& drawn) { Check(graphics, drawn); });
    }
    ~TextFaults() { xSkinSetTextObserver(nullptr); }
    TextFaults(const TextFaults&) = delete;
    TextFaults& operator=(const TextFaults&) = delete;

    void At(const std::wstring& where) {
        Close();
        m_where = where;
    }
    const std::set<std::wstring>& Faults() {
        Close();
        return m_faults;
    }
    // The texts (those of them drawn here) are read as one table: a cell shrunk to fit among full-size ones
    // makes rows of two sizes.
    void ExpectOneSize(const std::vector<std::wstring>& texts, const std::wstring& what) {
        std::map<float, std::wstring> sizes;
        for (const std::wstring& text : texts)
            if (const auto drawn = m_sizes.find(text); drawn != m_sizes.end())
                sizes.emplace(drawn->second, text);
        if (sizes.size() < 2)
            return;
        std::wstring list;
        for (const auto& [size, text] : sizes)
            list += L" \"" + text + L"\" at " + std::to_wstring(size).substr(0, 4) + L" pt;";
        m_faults.insert(m_where + L": " + what + L" mix sizes:" + list);
    }
    // A text of the window cut short to an ellipsis is whole to a user who can rest the pointer on it and read
    // it in its tip; drawing the window again must not forget what it shows.
    void AcceptElidedShownByTip(CxSkinDialog& window) {
        std::erase_if(m_elided, [&](const Elided& elided) {
            const POINT centre{static_cast<LONG>(elided.area.X + elided.area.Width / 2),
                               static_cast<LONG>(elided.area.Y + elided.area.Height / 2)};
            return TipShowsWhole(window, centre, elided.text);
        });
    }
    size_t Checked() const { return m_checked; }

private:
    // A text cut short to an ellipsis, and where it shows on the window's surface.
    struct Elided {
        std::wstring fault;
        std::wstring text;
        Gdiplus::RectF area;
    };

    void Close() {
        CheckNeighbours();
        m_sizes.clear();
        for (const Elided& elided : m_elided)
            m_faults.insert(elided.fault);
        m_elided.clear();
    }

    // A text's ink and the area that shows it, on the surface the window draws to.
    struct Placed {
        std::wstring text;
        Gdiplus::RectF area;
        Gdiplus::RectF ink;
    };

    static Gdiplus::RectF OnSurface(Gdiplus::Graphics& graphics, const Gdiplus::RectF& rect) {
        Gdiplus::Matrix transform;
        graphics.GetTransform(&transform);
        Gdiplus::PointF corners[] = {{rect.X, rect.Y}, {rect.GetRight(), rect.GetBottom()}};
        transform.TransformPoints(corners, 2);
        return Gdiplus::RectF(std::min(corners[0].X, corners[1].X), std::min(corners[0].Y, corners[1].Y),
                              std::abs(corners[1].X - corners[0].X), std::abs(corners[1].Y - corners[0].Y));
    }

    // Remembers where the text's ink lies on the surface; a text drawn again in the same area replaces the one
    // drawn there before (a value that changed).
    void Place(Gdiplus::Graphics& graphics, const SkinDrawnText& drawn, const Spill& spill) {
        if (spill.ink.Width <= 0)
            return;
        Gdiplus::RectF ink = spill.ink;
        ink.Offset(drawn.visible.X, drawn.visible.Y);
        Placed placed{drawn.text, OnSurface(graphics, drawn.visible), OnSurface(graphics, ink)};
        const auto same = std::find_if(m_placed.begin(), m_placed.end(), [&](const Placed& p) {
            return std::abs(p.area.X - placed.area.X) < 0.5f && std::abs(p.area.Y - placed.area.Y) < 0.5f &&
                   std::abs(p.area.Width - placed.area.Width) < 0.5f;
        });
        if (same != m_placed.end())
            *same = std::move(placed);
        else
            m_placed.push_back(std::move(placed));
    }

    // Two texts whose ink touches or runs into the other's, side by side or one above the other: a reader
    // takes them for one word ("44.1kHz") or sees letters over letters.
    void CheckNeighbours() {
        for (size_t i = 0; i < m_placed.size(); ++i) {
            for (size_t j = i + 1; j < m_placed.size(); ++j) {
                const Gdiplus::RectF& a = m_placed[i].ink;
                const Gdiplus::RectF& b = m_placed[j].ink;
                const float across = std::max(a.X, b.X) - std::min(a.GetRight(), b.GetRight());
                const float down = std::max(a.Y, b.Y) - std::min(a.GetBottom(), b.GetBottom());
                if (across >= kNeighbourGap || down >= kNeighbourGap)
                    continue;
                const bool aFirst = a.X < b.X || (a.X == b.X && a.Y <= b.Y);
                const Placed& first = aFirst ? m_placed[i] : m_placed[j];
                const Placed& second = aFirst ? m_placed[j] : m_placed[i];
                m_faults.insert(m_where + L": \"" + first.text + L"\" touches \"" + second.text + L"\" (" +
                                Gap(across) + L" across, " + Gap(down) + L" down)");
            }
        }
        m_placed.clear();
    }
    static std::wstring Gap(float pixels) {
        return pixels < 0 ? L"overlap " + std::to_wstring(static_cast<int>(-pixels))
                          : L"gap " + std::to_wstring(static_cast<int>(pixels));
    }

    void Check(Gdiplus::Graphics& graphics, const SkinDrawnText& drawn) {
        ++m_checked;
        const Spill spill = InkOutside(drawn);
        Place(graphics, drawn, spill);
        m_sizes[drawn.text] = drawn.font->GetSize();
        if (spill.sideways)
            Add(drawn, L"is cut at a side");
        if (const std::wstring lost = LostCharacters(graphics, drawn); !lost.empty())
            Add(drawn, L"loses \"" + lost + L"\"");
        if (spill.vertical)
            Add(drawn, L"is cut at the top or bottom");
        if (drawn.shown != drawn.text)
            m_elided.push_back({Fault(drawn, L"is cut short to \"" + drawn.shown + L"\""), drawn.text,
                                OnSurface(graphics, drawn.visible)});
        if (const std::wstring broken = BrokenWord(drawn); !broken.empty())
            Add(drawn, L"breaks a word: \"" + broken + L"\"");
        if (const std::wstring missing = MissingGlyphs(drawn); !missing.empty())
            Add(drawn, L"has no glyph for \"" + missing + L"\"");
    }
    void Add(const SkinDrawnText& drawn, const std::wstring& fault) { m_faults.insert(Fault(drawn, fault)); }
    std::wstring Fault(const SkinDrawnText& drawn, const std::wstring& fault) const {
        return m_where + L": \"" + drawn.text + L"\" " + fault + L" (" + Size(drawn.visible) + L")";
    }
    static std::wstring Size(const Gdiplus::RectF& area) {
        return std::to_wstring(static_cast<int>(area.Width + 0.5f)) + L"x" +
               std::to_wstring(static_cast<int>(area.Height + 0.5f));
    }
    std::wstring m_where;
    std::vector<Placed> m_placed;
    std::vector<Elided> m_elided;
    std::map<std::wstring, float> m_sizes; // the size each text of the window was drawn at
    std::set<std::wstring> m_faults;
    size_t m_checked = 0;
};

// The pages, windows and menus the gallery keeps of each culture, as "<culture>_<name>.png".
const std::set<std::wstring> kCulturePictures = {L"SpeakerEQ", L"SpeakerVimoSurroundHeadPhone", L"DialogInfo",
                                                 L"DialogInfo_DetailWindow", L"MenuHeadPhone"};

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

// The windows a handler fills as they open, drawn with that handler over the open device rather than empty.
const std::set<std::wstring> kFilledWindows = {L"DialogInfo", L"DialogInfo_DetailWindow", L"Dialog_AppSetting"};

// The current device's name as the driver reads it for the settings (what the settings dialog shows).
std::wstring DeviceName() {
    IDriverInstance* driver = theApp.GetDriver();
    wchar_t name[256] = {};
    if (!driver || driver->GetProperty(L"GetDeviceFriendlyName", name, kValueText, sizeof(name), nullptr, 0, 0, true,
                                       false) != kDriverOk)
        return L"";
    name[std::size(name) - 1] = L'\0';
    return name;
}

// Every technology the information dialog can name, drawn in the cells its fill placed: a device shows only
// some of them, a family's logo standing in for its members.
void DrawEveryLogoInPlacedCells(CLayerDialog& dialog) {
    std::vector<POINT> cells;
    std::vector<CxSkinCtrl*> others;
    for (int row = 0; row < CInfoHandler::kLogoCount; ++row) {
        CxSkinCtrl* logo = CBaseHandler::FindControlIn(&dialog, CInfoHandler::LogoName(row));
        ASSERT_NE(logo, nullptr) << CInfoHandler::LogoName(row);
        if (logo->IsVisible()) {
            cells.push_back({logo->GetRect().left, logo->GetRect().top});
            logo->SetVisible(FALSE, FALSE);
        } else {
            others.push_back(logo);
        }
    }
    ASSERT_FALSE(cells.empty());
    for (size_t first = 0; first < others.size(); first += cells.size()) {
        const size_t count = std::min(cells.size(), others.size() - first);
        for (size_t k = 0; k < count; ++k) {
            others[first + k]->MoveTo(cells[k].x, cells[k].y);
            others[first + k]->SetVisible(TRUE, FALSE);
        }
        dialog.Invalidate(FALSE);
        dialog.Update();
        for (size_t k = 0; k < count; ++k)
            others[first + k]->SetVisible(FALSE, FALSE);
    }
}

// Draws the markup window with the handler the program gives it, filled by that handler as the window opens.
void DrawFilledWindow(const std::wstring& name, const std::wstring& culture, CAppSettings& settings, TextFaults& cuts) {
    ILytController* controller = theApp.GetLytController();
    ASSERT_NE(controller, nullptr);
    const fs::path file = SkinFolder() / (name + L".lyt");
    TestDialog dialog;
    ASSERT_TRUE(OpenDialog(dialog, {0, 0}, WindowSize(file, "Width", 400), WindowSize(file, "Height", 300)));
    // Loading binds the window's handler, as it does in the program; the program's dialog then fills it.
    EXPECT_TRUE(controller->Load(file.wstring().c_str(), &dialog, nullptr)) << file;
    auto* handler = dynamic_cast<CBaseHandler*>(dialog.GetListener());
    ASSERT_NE(handler, nullptr) << name;
    if (auto* setting = dynamic_cast<CAppSettingHandler*>(handler))
        setting->SetSettings(&settings);
    handler->InitControls();
    dialog.Invalidate(FALSE);
    dialog.Update();
    SaveCulturePicture(dialog, culture, name);
    cuts.AcceptElidedShownByTip(dialog);
    if (const auto* info = dynamic_cast<const CInfoHandler*>(handler); info && name == L"DialogInfo_DetailWindow")
        cuts.ExpectOneSize(info->GetComponents(), L"the component rows");
    if (name == L"DialogInfo")
        DrawEveryLogoInPlacedCells(dialog);
    dialog.DestroyWindow();
}

// The status panel at each sampling rate the device offers: the rate's digits and the unit placed for them.
void ShowEveryRate(MainWindowOnDevice& window, TextFaults& cuts) {
    CxSkinCtrl* value = CBaseHandler::FindControlIn(&window.Dialog(), L"KHzVaule");
    ASSERT_NE(value, nullptr);
    auto* status = dynamic_cast<CPanelStatusHandler*>(value->FindListener());
    ASSERT_NE(status, nullptr);
    const std::pair<const wchar_t*, const wchar_t*> rates[] = {{L"44100", L"44.1"}, {L"88200", L"88.2"},
                                                               {L"96000", L"96"},   {L"176400", L"176.4"},
                                                               {L"192000", L"192"}, {L"48000", L"48"}};
    for (const auto& [rate, shown] : rates) {
        cuts.At(L"MainWindow at " + std::wstring(rate) + L" Hz");
        ASSERT_EQ(window.Control(L"set Speaker DevSampleRateControl " + std::wstring(rate)), L"ok");
        status->OnControlChanged(L"DevSampleRateControl");
        EXPECT_EQ(value->GetText(), shown);
        window.Dialog().Invalidate(FALSE);
        window.Dialog().Update();
    }
}

// A canvas, the skin's face at one size and the white of the window's texts: what the fault checks draw on.
struct TextCanvas {
    TextCanvas(int width, float points)
        : canvas(width, 100, PixelFormat32bppARGB), graphics(&canvas),
          font(&family, points, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint) {}
    Gdiplus::Bitmap canvas;
    Gdiplus::Graphics graphics;
    const Gdiplus::FontFamily family{L"Tahoma"};
    const Gdiplus::Font font;
    const Gdiplus::SolidBrush brush{Gdiplus::Color(255, 255, 255, 255)};
};

// The checks see each kind of fault where the skin cannot help it: a text in a box too small at any size it
// may take, one whose descenders a box one line tall would lose, and a character no installed face draws.
TEST(TextFaultsTest, SeeCutAndMissingTexts) {
    TextCanvas text(200, 11);
    Gdiplus::Graphics& graphics = text.graphics;
    const Gdiplus::Font& font = text.font;
    const Gdiplus::SolidBrush& brush = text.brush;
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

// A word drawn broken across two lines is seen wherever DrawString breaks it: also in a box the word's glyphs
// would fit but for the margin GDI+ keeps free at each end of a line, where the character ranges GDI+ measures
// stay on one line. A box with room for the word's line passes.
TEST(TextFaultsTest, SeeAWordBrokenAcrossLines) {
    TextCanvas text(200, 8);
    Gdiplus::Graphics& graphics = text.graphics;
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    const Gdiplus::Font& font = text.font;
    const std::wstring word = L"Stimmausblendung";
    Gdiplus::RectF glyphs;
    graphics.MeasureString(word.c_str(), static_cast<INT>(word.size()), &font, Gdiplus::PointF(0, 0),
                           Gdiplus::StringFormat::GenericTypographic(), &glyphs);
    const float tight = std::ceil(glyphs.Width) + 1.0f;
    const Gdiplus::StringFormat wrapped;
    for (const auto& [width, broken] : {std::pair{tight, true}, std::pair{tight + 16.0f, false}}) {
        TextFaults faults;
        faults.At(L"case");
        const Gdiplus::RectF area(0, 0, width, 40);
        xSkinTellTextDrawn(graphics, {word, word, &font, &wrapped, area, area});
        std::wstring all;
        for (const std::wstring& fault : faults.Faults())
            all += fault;
        EXPECT_EQ(all.find(L"breaks a word") != std::wstring::npos, broken) << width << ": " << all;
    }
}

// Two texts of one window whose ink touches or overlaps, side by side or one over the other, are seen; texts
// with room between them are not, and a text drawn again in its place replaces the one drawn there before.
TEST(TextFaultsTest, SeeTextsThatTouch) {
    TextCanvas text(300, 11);
    Gdiplus::Graphics& graphics = text.graphics;
    const Gdiplus::Font& font = text.font;
    const Gdiplus::SolidBrush& brush = text.brush;
    Gdiplus::StringFormat right(Gdiplus::StringFormatFlagsNoWrap), left(Gdiplus::StringFormatFlagsNoWrap);
    right.SetAlignment(Gdiplus::StringAlignmentFar);
    left.SetAlignment(Gdiplus::StringAlignmentNear);
    struct Text {
        const wchar_t* text;
        Gdiplus::RectF area;
        const Gdiplus::StringFormat* format;
    };
    struct Case {
        const char* name;
        std::vector<Text> texts;
        bool touch;
    };
    const Case cases[] = {
        {"value against its unit", {{L"44.1", {0, 0, 40, 20}, &right}, {L"kHz", {34, 0, 40, 20}, &left}}, true},
        {"value and unit apart", {{L"44.1", {0, 0, 40, 20}, &right}, {L"kHz", {46, 0, 40, 20}, &left}}, false},
        {"title over a label", {{L"Recording", {0, 0, 120, 18}, &left}, {L"L", {0, 12, 40, 18}, &left}}, true},
        {"rows apart", {{L"Recording", {0, 0, 120, 18}, &left}, {L"L", {0, 24, 40, 18}, &left}}, false},
        {"a value redrawn in its place", {{L"44.1", {0, 0, 40, 20}, &right}, {L"48", {0, 0, 40, 20}, &right}}, false},
    };
    for (const Case& c : cases) {
        TextFaults faults;
        faults.At(L"case");
        for (const Text& t : c.texts)
            xSkinDrawStringToBitmap(graphics, t.text, t.area, &font, t.format, &brush, nullptr);
        std::wstring all;
        for (const std::wstring& fault : faults.Faults())
            all += fault;
        EXPECT_EQ(all.find(L"touches") != std::wstring::npos, c.touch) << c.name << ": " << all;
    }
}

class TextFitTest : public ::testing::TestWithParam<const wchar_t*> {
protected:
    static void SetUpTestSuite() { PrepareApplication(); }
    void TearDown() override { theApp.LoadLanguage(L"en-US"); }

    TempDir m_settingsFolder;
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
        // The settings show the device the driver chose as the window opened, under the name it reads for them.
        CAppSettings settings((m_settingsFolder / L"setting.ini").wstring());
        settings.m_strLanguage = culture;
        settings.m_strAudioDevice = DeviceName();
        EXPECT_FALSE(settings.m_strAudioDevice.empty());
        window.Dialog().Update();
        if (std::wstring(scenario) == kEveryPage) {
            EXPECT_FALSE(
                SaveDialogPicture(window.Dialog(), L"Culture_" + std::wstring(culture) + L"_MainWindow").empty());
            ShowEveryRate(window, cuts);
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
        // Once, over the first set-up: every badge is drawn whichever the device shows.
        if (std::wstring(scenario) != kEveryPage)
            continue;
        for (const std::wstring& name : kFilledWindows) {
            cuts.At(name);
            DrawFilledWindow(name, culture, settings, cuts);
        }
    }
    for (const fs::path& file : windows) {
        if (kFilledWindows.count(file.stem().wstring()) != 0)
            continue;
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

INSTANTIATE_TEST_SUITE_P(Cultures, TextFitTest,
                         ::testing::ValuesIn(LanguageCultures().begin(), LanguageCultures().end()),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) {
                             std::string name(info.param, info.param + 5);
                             name[2] = '_';
                             return name;
                         });

} // namespace
