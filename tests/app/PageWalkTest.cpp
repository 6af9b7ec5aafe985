// Every content page the program folder ships, reached the way a user reaches it: the shipped main window
// over the simulated device, a right click on the endpoint's icon, the jack menu that the feature filter
// left, a click on the page's row. The page must load into the content frame under its own name, its
// handler must be bound and find every control it looks for, and the gallery gets a picture of it.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "../handlers/PageFiles.h"
#include "../skin/SkinDialogFixture.h"
#include "MainWindowOnDevice.h"
#include "DialogGallery.h"
#include "TestPaths.h"
#include "app/BaseHandler.h"
#include "app/HandlerFactory.h"
#include "app/MainHandler.h"
#include "app/OvercoatApp.h"
#include "app/PanelDeviceListHandler.h"
#include "driver/DriverLibraryAbi.h"
#include "driver/IDriverInstance.h"
#include "markup/ILytController.h"
#include "skin/IxSkinMenuItem.h"
#include "skin/IxSkinPanel.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinMenu.h"
#include "skin/SkinTextBox.h"

using namespace oc::test;
namespace fs = std::filesystem;

namespace {


// Controls a handler family looks for on every page it serves though only some of its pages carry them; a
// page without one simply lacks that part (the handler skips it).
struct OptionalControl {
    const wchar_t* pageSuffix;
    const wchar_t* control;
    const wchar_t* carriedBy;
};
const OptionalControl kOptionalControls[] = {
    {L"SamplingRate", L"CanvasDolbyDigitalLive", L"the S/PDIF output, which alone encodes"},
    {L"SamplingRate", L"CanvasDTSInteractive", L"the S/PDIF output, which alone encodes"},
    {L"Vol", L"ListenToDevice", L"the inputs that can be listened to"},
};

bool IsOptional(const std::wstring& page, const std::wstring& control) {
    return std::any_of(std::begin(kOptionalControls), std::end(kOptionalControls), [&](const OptionalControl& c) {
        const std::wstring suffix = c.pageSuffix;
        return control == c.control && page.size() > suffix.size() &&
               page.compare(page.size() - suffix.size(), suffix.size(), suffix) == 0;
    });
}


// Page name -> the endpoint icon whose jack menu ("<icon>.lyt") lists it.
std::map<std::wstring, std::wstring> MenuIcons() {
    std::map<std::wstring, std::wstring> icons;
    const std::regex item("<SkinMenuItem Name=\"([A-Za-z0-9_]+)\"");
    for (const auto& entry : fs::directory_iterator(SkinFolder())) {
        const std::wstring stem = entry.path().stem().wstring();
        if (stem.compare(0, 4, L"Menu") != 0 || entry.path().extension() != ".lyt")
            continue;
        for (const std::string& name : Matches(ReadText(entry.path()), item, 1))
            icons.emplace(Widen(name), stem);
    }
    return icons;
}

std::wstring Join(const std::set<std::wstring>& names) {
    std::wstring text;
    for (const std::wstring& name : names)
        text += (text.empty() ? L"" : L", ") + name;
    return text;
}

// The names of a menu's rows, in order.
std::vector<std::wstring> ItemNames(const CxSkinMenu& menu) {
    std::vector<std::wstring> names;
    for (int i = 0; menu.GetItem(i); ++i)
        names.push_back(menu.GetItem(i)->GetName());
    return names;
}

// Opens the icon's jack menu and clicks the page's row; false when the menu does not offer the page.
bool ChooseFromJackMenu(CPanelDeviceListHandler& list, const std::wstring& icon, const std::wstring& page,
                        std::vector<std::wstring>& offered) {
    list.ShowJackMenu(icon);
    CxSkinMenu* menu = list.GetJackMenu();
    if (!menu)
        return false;
    offered = ItemNames(*menu);
    IxSkinMenuItem* row = nullptr;
    for (int i = 0; menu->GetItem(i); ++i) {
        if (menu->GetItem(i)->GetName() == page)
            row = menu->GetItem(i);
    }
    if (row) {
        const RECT r = row->GetRect();
        Deliver(menu->GetSafeHwnd(), WM_LBUTTONUP, 0, PointParam((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
    list.CloseJackMenu();
    return row != nullptr;
}

class PageWalkTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareApplication(); }

    // Walks the pages on one device set-up.
    void Walk(const std::wstring& scenario, const wchar_t* command, const std::vector<std::wstring>& pages) {
        SCOPED_TRACE(scenario + (command ? L" after \"" + std::wstring(command) + L"\"" : std::wstring()));
        MainWindowOnDevice window(scenario);
        ASSERT_TRUE(window.Ready()) << "the main window did not open on the simulated device";
        if (command) {
            ASSERT_EQ(window.Control(command), L"ok");
        }
        CPanelDeviceListHandler* list = window.DeviceList();
        ASSERT_NE(list, nullptr);
        for (const std::wstring& page : pages)
            ShowPage(window, *list, page);
    }

    void ShowPage(MainWindowOnDevice& window, CPanelDeviceListHandler& list, const std::wstring& page) {
        SCOPED_TRACE(page);
        const auto icon = m_icons.find(page);
        ASSERT_NE(icon, m_icons.end()) << "no jack menu lists apo" << page << ".lyt";
        std::vector<std::wstring> offered;
        ASSERT_TRUE(ChooseFromJackMenu(list, icon->second, page, offered))
            << icon->second << " does not offer it; it offers " << testing::PrintToString(offered);
        CMainHandler* main = window.Main();
        ASSERT_EQ(main->GetCurrentContentName(), page) << "the page did not load";
        CxSkinCtrl* content = main->GetCurrentContent();
        ASSERT_NE(content, nullptr);
        EXPECT_EQ(content->GetName(), page);
        EXPECT_TRUE(content->IsVisible());
        auto* handler = dynamic_cast<CBaseHandler*>(content->GetListener());
        ASSERT_NE(handler, nullptr) << "the page's panel binds no handler";
        EXPECT_NE(FindHandlerRow(page, HandlerTable()), nullptr);

        // The handler reads the device into the page again, listening for controls it looks for in vain.
        std::set<std::wstring> missing;
        handler->m_onControlMissing = [&missing, &page](const std::wstring& name) {
            if (!IsOptional(page, name))
                missing.insert(name);
        };
        handler->InitControls();
        handler->m_onControlMissing = nullptr;
        EXPECT_TRUE(missing.empty()) << "the page lacks controls its handler looks for: " << Join(missing);

        window.Dialog().Update();
        EXPECT_FALSE(SaveDialogPicture(window.Dialog(), L"Page_" + page).empty());
        m_walked.insert(page);
    }

    std::map<std::wstring, std::wstring> m_icons = MenuIcons();
    std::set<std::wstring> m_walked;
};

TEST_F(PageWalkTest, EveryShippedPageIsOfferedShownAndDriven) {
    const std::vector<std::wstring> pages = ShippedPages();
    ASSERT_GT(pages.size(), 90u) << "the program folder lacks its pages";
    std::vector<std::wstring> plain;
    for (const std::wstring& page : pages) {
        const bool special = std::any_of(std::begin(kSetups), std::end(kSetups),
                                         [&](const PageSetup& setup) { return page == setup.page; });
        if (!special)
            plain.push_back(page);
    }
    Walk(kEveryPage, nullptr, plain);
    for (const PageSetup& setup : kSetups)
        Walk(setup.scenario, setup.command, {setup.page});
    for (const std::wstring& page : pages)
        EXPECT_TRUE(m_walked.count(page)) << "apo" << page << ".lyt was never shown";
}

// The gallery keeps, for every culture, the main window on the equalizer page and on an effect page and the
// speakers' jack menu, each drawn in that culture's texts, so that every translation can be looked at where
// the user meets it.
TEST_F(PageWalkTest, TheGalleryShowsTheMainWindowAndAJackMenuInEveryCulture) {
    const std::wstring speakers = m_icons.at(L"SpeakerEQ");
    for (const wchar_t* culture : LanguageCultures()) {
        SCOPED_TRACE(culture);
        ASSERT_EQ(theApp.LoadLanguage(culture), 1);
        MainWindowOnDevice window(kEveryPage);
        ASSERT_TRUE(window.Ready());
        const std::wstring prefix = L"Culture_" + std::wstring(culture) + L"_";
        for (const auto& [page, header] : {std::pair{L"SpeakerEQ", L"ml_EQ_Title"},
                                           std::pair{L"SpeakerVimoSurroundSpeakers", L"ml_Jack_VimoSurroundSpeakers"}}) {
            window.Main()->ShowContent(page, 1);
            ASSERT_EQ(window.Main()->GetCurrentContentName(), page);
            const CxSkinCtrl* title = CBaseHandler::FindControlIn(window.Main()->GetCurrentContent(), L"TextTitle");
            ASSERT_NE(title, nullptr);
            EXPECT_EQ(title->GetText(), theApp.GetLanguageText(header)) << "the page is not in the culture's texts";
            window.Dialog().Update();
            EXPECT_FALSE(SaveDialogPicture(window.Dialog(), prefix + L"Page_" + page).empty());
        }
        CPanelDeviceListHandler* list = window.DeviceList();
        ASSERT_NE(list, nullptr);
        list->ShowJackMenu(speakers);
        CxSkinMenu* menu = list->GetJackMenu();
        ASSERT_NE(menu, nullptr);
        ASSERT_NE(menu->GetItem(0), nullptr);
        menu->Update();
        EXPECT_FALSE(SaveDialogPicture(*menu, prefix + L"JackMenu_Speakers").empty());
        list->CloseJackMenu();
    }
    theApp.LoadLanguage(L"en-US");
}

// A right click on a page's text box opens the skin's text-box menu with the box's commands.
TEST_F(PageWalkTest, ATextBoxOfAPageOffersItsCommandMenu) {
    MainWindowOnDevice window(kEveryPage);
    ASSERT_TRUE(window.Ready());
    CPanelDeviceListHandler* list = window.DeviceList();
    ASSERT_NE(list, nullptr);
    ShowPage(window, *list, L"SpeakerVimoVoiceClarity");
    auto* handler = dynamic_cast<CBaseHandler*>(window.Main()->GetCurrentContent()->GetListener());
    ASSERT_NE(handler, nullptr);
    ASSERT_NE(dynamic_cast<CxSkinTextBox*>(handler->FindControl(L"LevelTextBox")), nullptr);
    handler->OnContextMenu(L"LevelTextBox");
    CxSkinMenu* menu = handler->GetTextBoxMenu();
    ASSERT_NE(menu, nullptr) << "MenuTextBox.lyt did not load";
    EXPECT_EQ(ItemNames(*menu), (std::vector<std::wstring>{L"TextBox_Cut", L"TextBox_Copy", L"TextBox_Paste",
                                                           L"TextBox_Delete", L"SeparatorSelect",
                                                           L"TextBox_SelectAll"}));
    menu->Update();
    EXPECT_FALSE(SaveDialogPicture(*menu, L"MenuTextBox").empty());
}

// The status and profile strip of the shipped main window asks for the 3-D flip; where Direct3D cannot draw
// it the zoom takes over, and either way the switch ends on the other panel with the window taking input.
TEST_F(PageWalkTest, TheShippedStripFlipsBetweenStatusAndProfiles) {
    MainWindowOnDevice window(kEveryPage);
    ASSERT_TRUE(window.Ready());
    CMainHandler* main = window.Main();
    auto* profile = dynamic_cast<IxSkinPanel*>(main->FindControl(L"PanelProfile"));
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(profile->GetAnimateStyle(), 2) << "Animate.Style=\"D3D\"";
    for (const auto mode : {CMainHandler::kPanelProfile, CMainHandler::kPanelStatus}) {
        main->OnClick(L"PanelSwitchButton");
        EXPECT_EQ(main->GetPanelMode(), mode);
        EXPECT_EQ(main->FindControl(L"PanelProfile")->IsVisible() != FALSE, mode == CMainHandler::kPanelProfile);
        EXPECT_EQ(main->FindControl(L"PanelStatus")->IsVisible() != FALSE, mode == CMainHandler::kPanelStatus);
        EXPECT_FALSE(window.Dialog().IsInputBlocked());
    }
}

} // namespace
