// Every text of every window, page and menu fits its control in every culture: the shipped markup and
// language files drawn over the simulated device, with the skin telling of every text it has to cut.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
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

// Every text the skin draws cut by its control, as "<culture> <file>: "<text>" needs WxH in WxH".
class TextCuts {
public:
    TextCuts() {
        xSkinSetTextCutObserver([this](const std::wstring& text, const Gdiplus::SizeF& needed, const Gdiplus::RectF& area) {
            m_cuts.insert(m_where + L": \"" + text + L"\" needs " + Size(needed.Width, needed.Height) + L" in " +
                          Size(area.Width, area.Height));
        });
    }
    ~TextCuts() { xSkinSetTextCutObserver(nullptr); }
    TextCuts(const TextCuts&) = delete;
    TextCuts& operator=(const TextCuts&) = delete;

    void At(const std::wstring& where) { m_where = where; }
    const std::set<std::wstring>& Cuts() const { return m_cuts; }

private:
    static std::wstring Size(float w, float h) {
        return std::to_wstring(static_cast<int>(w + 0.5f)) + L"x" + std::to_wstring(static_cast<int>(h + 0.5f));
    }
    std::wstring m_where;
    std::set<std::wstring> m_cuts;
};

// Draws the markup file's window (or, for a menu, its rows) once, as the culture's texts make it.
void DrawMarkupWindow(const fs::path& file, bool menu) {
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
        popup.DestroyWindow();
        host.DestroyWindow();
        return;
    }
    TestDialog dialog;
    ASSERT_TRUE(OpenDialog(dialog, {0, 0}, WindowSize(file, "Width", 400), WindowSize(file, "Height", 300)));
    EXPECT_TRUE(controller->Load(file.wstring().c_str(), &dialog, nullptr)) << file;
    dialog.Update();
    dialog.DestroyWindow();
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
    TextCuts cuts;
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
            window.Main()->GetCurrentContent()->Update();
        }
    }
    for (const fs::path& file : windows) {
        cuts.At(file.stem().wstring());
        DrawMarkupWindow(file, false);
    }
    for (const fs::path& file : menus) {
        cuts.At(file.stem().wstring());
        DrawMarkupWindow(file, true);
    }
    std::wstring list;
    for (const std::wstring& cut : cuts.Cuts())
        list += cut + L"\n";
    EXPECT_TRUE(cuts.Cuts().empty()) << cuts.Cuts().size() << " texts are cut:\n" << list;
}

INSTANTIATE_TEST_SUITE_P(Cultures, TextFitTest, ::testing::ValuesIn(LanguageCultures().begin(), LanguageCultures().end()),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) {
                             std::string name(info.param, info.param + 5);
                             name[2] = '_';
                             return name;
                         });

} // namespace
