// The application-setting dialog and the information dialog with its detail window, each run modally over
// the skin's own markup on the test display: the handler the markup binds is given the test's settings,
// texts and recording driver, and a script drives it while the dialog runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "../skin/SkinTestSupport.h"
#include "AppServices.h"
#include "DialogGallery.h"
#include "HandlerTestSupport.h"
#include "ShippedDialogFixture.h"
#include "TestPaths.h"
#include "app/AppSettingHandler.h"
#include "app/AppSettings.h"
#include "app/HandlerFactory.h"
#include "app/InfoHandler.h"
#include "app/OvercoatApp.h"
#include "app/UIDialog.h"
#include "driver/PropertyValue.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinComboBox.h"
#include "skin/IxSkinPanel.h"
#include "skin/IxSkinSlider.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinDialog.h"

namespace fs = std::filesystem;
using namespace oc::test;

namespace {

// A driver with version texts and a set of supported features.
class InfoDriver : public RecordingDriver {
public:
    int32_t GetProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t valueSize, void*, int32_t,
                        uint32_t, bool, bool) override {
        m_log.push_back(L"get " + std::wstring(name));
        const auto found = m_texts.find(name);
        if (found == m_texts.end() || valueType != kValueText)
            return -1;
        const size_t chars = valueSize / sizeof(wchar_t);
        const std::wstring text = found->second.substr(0, chars - 1);
        std::copy(text.begin(), text.end(), static_cast<wchar_t*>(result));
        static_cast<wchar_t*>(result)[text.size()] = L'\0';
        return kDriverOk;
    }
    int32_t IsFeatureSupported(const std::wstring& name) override { return m_features.count(name) ? 1 : 0; }
    int32_t DefaultRenderHasFeature2() override { return m_asio; }
    std::wstring GetDefaultRenderEndpointName() override { return L"Speaker"; }
    std::wstring GetDirectXVersion() override { return L"DirectX 12"; }

    std::map<std::wstring, std::wstring> m_texts;
    std::set<std::wstring> m_features;
    int32_t m_asio = 0;
};

template <class Interface> Interface* Control(const CLayerWnd* layer, const wchar_t* name) {
    return dynamic_cast<Interface*>(CBaseHandler::FindControlIn(layer, name));
}

class DialogTest : public ShippedDialogTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(PrepareApplication(app));
        services.m_driver = &driver;
        main = std::make_unique<CxSkinDialog>(CDialog::IDD_POPUP, nullptr);
        ASSERT_TRUE(main->Create(CDialog::IDD_POPUP, nullptr));
        main->SetTransparency(31, FALSE);
    }
    void TearDown() override {
        if (main && main->GetSafeHwnd())
            main->DestroyWindow();
        Pump();
        main.reset();
        app.ReleaseLytController();
    }

    COvercoatApp app;
    AppServices services{app};
    InfoDriver driver;
    std::unique_ptr<CxSkinDialog> main;
};

// ---- Application settings ----

TEST(AppSettingTransparency, SliderPositionsMapToPercentagesAndBack) {
    const int expected[] = {77, 70, 62, 54, 46, 38, 31, 23, 15, 1, 0}; // positions 0..10
    for (int position = 0; position <= 10; ++position)
        EXPECT_EQ(CAppSettingHandler::PositionToTransparency(static_cast<float>(position)), expected[position])
            << position;
    struct Case {
        int stored, position;
    };
    // Out-of-range stored values (a hand-edited file) land on the slider's ends.
    const Case cases[] = {{0, 9}, {77, 0}, {31, 6}, {15, 8}, {-20, 9}, {100, 0}, {5000, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(CAppSettingHandler::TransparencyToPosition(c.stored), c.position) << c.stored;
    EXPECT_EQ(CAppSettingHandler::PositionToTransparency(-4.0f), 100);
}

class AppSettingDialogTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        settings = std::make_unique<CAppSettings>((folder / L"setting.ini").wstring());
        settings->m_strLanguage = L"en-US";
        settings->m_strAudioDevice = L"Overcoat USB Audio";
        settings->m_strSkin = L"Overcoat";
        settings->m_nUITransparent = 31;
        settings->m_nSystemTray = 1;
        settings->m_nWelcomeMsg = 0;
    }

    // Gives the handler of the running dialog the test's settings, main window and texts, and lets it fill
    // the dialog again (at load it met the idle application object's empty settings).
    CAppSettingHandler* Prepare(CUIDialog& dialog) {
        auto* handler = dynamic_cast<CAppSettingHandler*>(dialog.GetHandler());
        if (!handler)
            return nullptr;
        handler->SetServices(&services);
        handler->SetSettings(settings.get());
        handler->SetMainWindow(main.get());
        handler->m_loadLanguage = [this](const std::wstring& culture) {
            loads.push_back(culture);
            return failLoads ? 0 : app.LoadLanguage(culture);
        };
        handler->InitControls();
        return handler;
    }
    bool Saved() const { return fs::exists(folder / L"setting.ini"); }

    TempDir folder;
    std::unique_ptr<CAppSettings> settings;
    std::vector<std::wstring> loads;
    bool failLoads = false;
};

TEST_F(AppSettingDialogTest, OpensWithTheStoredChoicesAndTheShippedLanguages) {
    const INT_PTR result = RunScripted(app, main.get(), L"Dialog_AppSetting", [&](CUIDialog& dialog) {
        CAppSettingHandler* handler = Prepare(dialog);
        ASSERT_NE(handler, nullptr);
        auto* languages = Control<IxSkinComboBox>(&dialog, L"MultiLanguage");
        ASSERT_NE(languages, nullptr);
        // Every culture ships files: all seventeen are offered, in the list's order, named by culture.
        ASSERT_EQ(languages->GetCount(), static_cast<int>(LanguageCultures().size()));
        for (size_t i = 0; i < LanguageCultures().size(); ++i)
            EXPECT_EQ(languages->GetItemName(static_cast<int>(i)), LanguageCultures()[i]);
        EXPECT_EQ(languages->GetItemName(1), L"de-DE");
        EXPECT_EQ(languages->GetCurSel(), 2);
        for (const wchar_t* name : {L"AudioDevice", L"Skin"}) {
            auto* combo = Control<IxSkinComboBox>(&dialog, name);
            ASSERT_NE(combo, nullptr) << name;
            EXPECT_EQ(combo->GetCount(), 1) << name;
            EXPECT_EQ(combo->GetCurSel(), 0) << name;
            EXPECT_FALSE(CBaseHandler::FindControlIn(&dialog, name)->IsEnabled(FALSE)) << name;
        }
        EXPECT_FALSE(CBaseHandler::FindControlIn(&dialog, L"Apply")->IsEnabled(FALSE));
        EXPECT_EQ(Control<IxSkinButton>(&dialog, L"SystemTray")->GetCheck(), 1);
        EXPECT_EQ(Control<IxSkinButton>(&dialog, L"DisableWelcomeMsg")->GetCheck(), 1);
        EXPECT_EQ(Control<IxSkinSlider>(&dialog, L"UITransparent")->GetPos(), 6.0f);
        EXPECT_EQ(Alpha(dialog.GetPixel(200, 24)), 255);
        dialog.Invalidate(FALSE); // the second fill changed the controls without a redraw
        SaveDialogPicture(dialog, L"Dialog_AppSetting");
        dialog.EndDialog(-5);
    });
    EXPECT_EQ(result, -5);
    EXPECT_FALSE(Saved());
}

TEST_F(AppSettingDialogTest, CancelTakesBackTheTransparencyAndApplyKeepsIt) {
    struct Case {
        const char* name;
        bool applyFirst;
        const wchar_t* closeWith;
        int expectedTransparency;
        bool saved;
    };
    const Case cases[] = {
        {"cancel restores", false, L"Cancel", 31, false},
        {"close box restores", false, L"BtnWinClose", 31, false},
        {"apply then cancel keeps", true, L"Cancel", 62, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(folder / L"setting.ini");
        settings->m_nUITransparent = 31;
        main->SetTransparency(31, FALSE);
        const INT_PTR result = RunScripted(app, main.get(), L"Dialog_AppSetting", [&](CUIDialog& dialog) {
            CAppSettingHandler* handler = Prepare(dialog);
            ASSERT_NE(handler, nullptr);
            Control<IxSkinSlider>(&dialog, L"UITransparent")->SetPos(2.0f, FALSE);
            EXPECT_EQ(handler->OnSliderChanged(L"UITransparent", 2.0f, 1), 1);
            // Shown on the main window and stored at once.
            EXPECT_EQ(main->GetTransparency(), 62);
            EXPECT_EQ(settings->m_nUITransparent, 62);
            EXPECT_TRUE(CBaseHandler::FindControlIn(&dialog, L"Apply")->IsEnabled(FALSE));
            if (c.applyFirst) {
                handler->OnClick(L"Apply");
                // Still open, and Apply stays on.
                EXPECT_TRUE(CBaseHandler::FindControlIn(&dialog, L"Apply")->IsEnabled(FALSE));
            }
            handler->OnClick(c.closeWith);
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(main->GetTransparency(), c.expectedTransparency);
        EXPECT_EQ(settings->m_nUITransparent, c.expectedTransparency);
        EXPECT_EQ(Saved(), c.saved);
        if (c.saved) {
            EXPECT_EQ(CAppSettings((folder / L"setting.ini").wstring()).m_nUITransparent, 62);
        }
    }
}

TEST_F(AppSettingDialogTest, OkSavesOnlyWhatChanged) {
    // Without a change nothing is written.
    EXPECT_EQ(RunScripted(app, main.get(), L"Dialog_AppSetting",
                          [&](CUIDialog& dialog) {
                              CAppSettingHandler* handler = Prepare(dialog);
                              ASSERT_NE(handler, nullptr);
                              handler->OnClick(L"OK");
                          }),
              IDOK);
    EXPECT_FALSE(Saved());
    EXPECT_TRUE(loads.empty());

    // The toggles flip the stored choices; the current language is stored without a reload.
    EXPECT_EQ(RunScripted(app, main.get(), L"Dialog_AppSetting",
                          [&](CUIDialog& dialog) {
                              CAppSettingHandler* handler = Prepare(dialog);
                              ASSERT_NE(handler, nullptr);
                              EXPECT_EQ(handler->OnClick(L"SystemTray"), 1);
                              EXPECT_EQ(handler->OnClick(L"DisableWelcomeMsg"), 1);
                              EXPECT_EQ(handler->OnClick(L"TextLanguage"), 0);
                              handler->OnClick(L"OK");
                          }),
              IDOK);
    EXPECT_TRUE(Saved());
    EXPECT_TRUE(loads.empty());
    EXPECT_EQ(settings->m_nSystemTray, 0);
    EXPECT_EQ(settings->m_nWelcomeMsg, 1);
    EXPECT_EQ(settings->m_strLanguage, L"en-US");
    CAppSettings reread((folder / L"setting.ini").wstring());
    EXPECT_EQ(reread.m_nSystemTray, 0);
    EXPECT_EQ(reread.m_nWelcomeMsg, 1);
}

TEST_F(AppSettingDialogTest, ChoosingALanguageReloadsTheTexts) {
    const INT_PTR result = RunScripted(app, main.get(), L"Dialog_AppSetting", [&](CUIDialog& dialog) {
        CAppSettingHandler* handler = Prepare(dialog);
        ASSERT_NE(handler, nullptr);
        const CxSkinCtrl* label = CBaseHandler::FindControlIn(&dialog, L"TextLanguage");
        EXPECT_EQ(label->GetText(), L"Language");
        auto* languages = Control<IxSkinComboBox>(&dialog, L"MultiLanguage");
        languages->SetCurSel(1, FALSE);
        handler->OnSelChange(L"MultiLanguage", 1);
        handler->OnClick(L"Apply");
        EXPECT_EQ(label->GetText(), L"Sprache");
        EXPECT_EQ(handler->GetLanguage(), L"de-DE");
        SaveDialogPicture(dialog, L"Dialog_AppSetting_de-DE");
        handler->OnClick(L"OK");
    });
    EXPECT_EQ(result, IDOK);
    // Apply reloaded once; OK met the language already current.
    EXPECT_EQ(loads, std::vector<std::wstring>{L"de-DE"});
    EXPECT_EQ(settings->m_strLanguage, L"de-DE");
    CAppSettings reread((folder / L"setting.ini").wstring());
    EXPECT_EQ(reread.m_strLanguage, L"de-DE");
}

TEST_F(AppSettingDialogTest, ALanguageThatFailsToLoadKeepsTheOldOne) {
    failLoads = true;
    RunScripted(app, main.get(), L"Dialog_AppSetting", [&](CUIDialog& dialog) {
        CAppSettingHandler* handler = Prepare(dialog);
        ASSERT_NE(handler, nullptr);
        Control<IxSkinComboBox>(&dialog, L"MultiLanguage")->SetCurSel(1, FALSE);
        handler->OnSelChange(L"MultiLanguage", 1);
        handler->OnClick(L"Apply");
        EXPECT_EQ(handler->GetLanguage(), L"en-US");
        // The texts went back to keys and came back in the old language.
        EXPECT_EQ(CBaseHandler::FindControlIn(&dialog, L"TextLanguage")->GetText(), L"Language");
        handler->OnClick(L"Cancel");
    });
    EXPECT_EQ(loads, (std::vector<std::wstring>{L"de-DE", L"en-US"}));
    EXPECT_EQ(settings->m_strLanguage, L"en-US");
}

// In every culture the dialog opens in that culture's texts with it chosen in the list; the gallery keeps
// its picture so that each translation can be looked at where it is shown.
TEST_F(AppSettingDialogTest, OpensInEveryCultureWithThatCultureChosen) {
    for (size_t index = 0; index < LanguageCultures().size(); ++index) {
        const std::wstring culture = LanguageCultures()[index];
        ASSERT_EQ(app.LoadLanguage(culture), 1) << culture;
        settings->m_strLanguage = culture;
        RunScripted(app, main.get(), L"Dialog_AppSetting", [&](CUIDialog& dialog) {
            CAppSettingHandler* handler = Prepare(dialog);
            ASSERT_NE(handler, nullptr);
            EXPECT_EQ(CBaseHandler::FindControlIn(&dialog, L"TextLanguage")->GetText(),
                      app.GetLanguageText(L"ml_Setting_Language"))
                << culture;
            EXPECT_EQ(Control<IxSkinComboBox>(&dialog, L"MultiLanguage")->GetCurSel(), static_cast<int>(index))
                << culture;
            dialog.Invalidate(FALSE);
            EXPECT_FALSE(SaveDialogPicture(dialog, L"Culture_" + culture + L"_Dialog_AppSetting").empty());
            handler->OnClick(L"Cancel");
        });
    }
    EXPECT_TRUE(loads.empty());
    EXPECT_FALSE(Saved());
}

// ---- Information.info ----

TEST(InformationFile, RecordsStopAtTheirFirstMissingField) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::wstring> expected;
    };
    const std::string longName(300, 'x');
    static constexpr char kBinary[] = "\0\x01\xff<Module Name=\"\0\"\n";
    const Case cases[] = {
        {"complete",
         "<Module Name=\"Driver\" Version=\"1.2\" ModifiedDate=\"2026-01-02\" />\r\n",
         {L"Driver", L"1.2", L"2026-01-02"}},
        {"no date", "<Module Name=\"Driver\" Version=\"1.2\" />\n", {L"Driver", L"1.2"}},
        {"no version", "<Module Name=\"Driver\" ModifiedDate=\"2026\" />\n", {L"Driver"}},
        {"version before name", "Version=\"9\" <Module Name=\"A\" ModifiedDate=\"1\"\n", {L"A"}},
        {"unclosed name", "<Module Name=\"Driver\n", {}},
        {"other lines", "<?xml version=\"1.0\"?>\n<Components>\nshort\n\n", {}},
        {"last line without newline", "<Module Name=\"A\" Version=\"1\" ModifiedDate=\"2\"", {L"A", L"1", L"2"}},
        {"two records",
         "<Module Name=\"A\" Version=\"1\" ModifiedDate=\"2\"\n<Module Name=\"B\" Version=\"3\"\n",
         {L"A", L"1", L"2", L"B", L"3"}},
        // Only the head of an overlong line counts; its tail does not start a line of its own.
        {"overlong line", "<Module Name=\"A\" Version=\"1\" ModifiedDate=\"" + longName + "\"\n", {L"A", L"1"}},
        {"tail of an overlong line", longName + "<Module Name=\"T\" Version=\"1\" ModifiedDate=\"2\"\n", {}},
        {"binary", std::string(kBinary, sizeof kBinary - 1), {std::wstring(1, L'\0')}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CInfoHandler::ParseComponentVersions(c.bytes), c.expected) << c.name;
}

// ---- Information dialog ----

class InfoDialogTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        driver.m_texts = {
            {L"GetAudioCodecName", L"OC-2040"}, {L"GetDriverVer", L"6.2.1.18"}, {L"GetFirmwareVer", L"1.07"}};
    }
    CInfoHandler* Prepare(CUIDialog& dialog) {
        auto* handler = dynamic_cast<CInfoHandler*>(dialog.GetHandler());
        if (!handler)
            return nullptr;
        handler->SetServices(&services);
        handler->m_runDialog = [this](const std::wstring& path) { ran.push_back(fs::path(path).filename().wstring()); };
        handler->m_open = [this](const std::wstring& target) { ran.push_back(L"open " + target); };
        handler->InitControls();
        return handler;
    }
    std::vector<std::wstring> Shown(const CLayerWnd* dialog) const {
        std::vector<std::wstring> shown;
        for (int row = 0; row < CInfoHandler::kLogoCount; ++row) {
            const CxSkinCtrl* logo = CBaseHandler::FindControlIn(dialog, CInfoHandler::LogoName(row));
            if (logo && logo->IsVisible())
                shown.push_back(CInfoHandler::LogoName(row));
        }
        return shown;
    }

    std::vector<std::wstring> ran;
};

TEST_F(InfoDialogTest, ShowsTheVersionsAndTheButtonsReachTheirTargets) {
    driver.m_features = {L"SpeakerEQ", L"MicInAEC"};
    const INT_PTR result = RunScripted(app, main.get(), L"DialogInfo", [&](CUIDialog& dialog) {
        CInfoHandler* handler = Prepare(dialog);
        ASSERT_NE(handler, nullptr);
        EXPECT_EQ(handler->GetName(), L"InfoHandler");
        const std::pair<const wchar_t*, const wchar_t*> texts[] = {{L"AudioCodec", L"OC-2040"},
                                                                   {L"DriverVer", L"6.2.1.18"},
                                                                   {L"FirmwareVer", L"1.07"},
                                                                   {L"DirectXVer", L"DirectX 12"},
                                                                   {L"CPLVer", L"1.0.0.0"}};
        for (const auto& [name, text] : texts)
            EXPECT_EQ(CBaseHandler::FindControlIn(&dialog, name)->GetText(), text) << name;
        // DirectX comes from the driver object's own record, not from the device.
        EXPECT_EQ(std::count(driver.m_log.begin(), driver.m_log.end(), L"get GetDirectXVer"), 0);
        // No ASIO on the default device: no legal notices.
        EXPECT_FALSE(CBaseHandler::FindControlIn(&dialog, L"BtnLegal")->IsVisible());
        EXPECT_EQ(Shown(&dialog), (std::vector<std::wstring>{L"LogoLivingEQ", L"LogoQuietraAEC"}));
        EXPECT_EQ(Alpha(dialog.GetPixel(200, 24)), 255);
        SaveDialogPicture(dialog, L"DialogInfo");
        handler->OnClick(L"BtnDetail");
        handler->OnClick(L"BtnLegal");
        handler->OnClick(L"BtnUrl");
        handler->OnClick(L"BtnClose");
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(ran, (std::vector<std::wstring>{L"DialogInfo_DetailWindow.lyt", L"DialogInfo_Legal.lyt",
                                              L"open https://overcoat.example.com/"}));

    // A version the device cannot tell stays empty; the exit button cancels.
    driver.m_texts.erase(L"GetFirmwareVer");
    driver.m_features.clear();
    driver.m_asio = 1;
    EXPECT_EQ(RunScripted(app, main.get(), L"DialogInfo",
                          [&](CUIDialog& dialog) {
                              // The first fill, at load, met the idle application's missing driver.
                              CBaseHandler::FindControlIn(&dialog, L"BtnLegal")->SetVisible(TRUE, FALSE);
                              CInfoHandler* handler = Prepare(dialog);
                              ASSERT_NE(handler, nullptr);
                              EXPECT_EQ(CBaseHandler::FindControlIn(&dialog, L"FirmwareVer")->GetText(), L"");
                              EXPECT_TRUE(CBaseHandler::FindControlIn(&dialog, L"BtnLegal")->IsVisible());
                              EXPECT_EQ(Shown(&dialog), std::vector<std::wstring>{L"LogoPro"});
                              handler->OnClick(L"BtnExit");
                          }),
              IDCANCEL);
}

// In every culture the dialog opens in that culture's texts; the gallery keeps its picture.
TEST_F(InfoDialogTest, OpensInEveryCulture) {
    driver.m_features = {L"SpeakerEQ", L"SpeakerVimoDynamicBass", L"SpeakerVimoSmartVolume", L"MicInAEC"};
    for (const wchar_t* culture : LanguageCultures()) {
        ASSERT_EQ(app.LoadLanguage(culture), 1) << culture;
        RunScripted(app, main.get(), L"DialogInfo", [&](CUIDialog& dialog) {
            CInfoHandler* handler = Prepare(dialog);
            ASSERT_NE(handler, nullptr);
            EXPECT_EQ(CBaseHandler::FindControlIn(&dialog, L"LogoLivingEQ")->GetText(),
                      app.GetLanguageText(L"ml_Info_Logo_LivingEQ"))
                << culture;
            dialog.Invalidate(FALSE);
            EXPECT_FALSE(SaveDialogPicture(dialog, L"Culture_" + std::wstring(culture) + L"_DialogInfo").empty());
            handler->OnClick(L"BtnClose");
        });
    }
    app.LoadLanguage(L"en-US");
}

TEST_F(InfoDialogTest, FamilyLogosStandInForTheirMembersAndFillLinesOfFive) {
    struct Case {
        const char* name;
        std::set<std::wstring> features;
        std::vector<std::wstring> shown;
    };
    const Case cases[] = {
        {"living family",
         {L"SpeakerEM", L"SpeakerEQ", L"SpeakerSubroute", L"SpeakerSVN", L"SpeakerVirtual"},
         {L"LogoLiving"}},
        {"quietra family keeps the noise reducer",
         {L"MicInNoiseReduction", L"MicInAEC", L"MicInBeamForming", L"MicInENC"},
         {L"LogoQuietra", L"LogoQuietraNR"}},
        {"seven logos",
         {L"SpeakerEM", L"SpeakerEQ", L"SpeakerKaraoke", L"SpeakerPitchShifter", L"MicInSingingEcho",
          L"SpeakerSpaceline", L"SpeakerEX"},
         // The karaoke family lacks vocal fading, so its members show beside the karaoke logo.
         {L"LogoLivingEM", L"LogoLivingEQ", L"LogoChorvex", L"LogoPitchShifting", L"LogoSingingEcho", L"LogoSpaceline",
          L"LogoOmni"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        driver.m_features = c.features;
        RunScripted(app, main.get(), L"DialogInfo", [&](CUIDialog& dialog) {
            CInfoHandler* handler = Prepare(dialog);
            ASSERT_NE(handler, nullptr);
            const std::vector<std::wstring> shown = Shown(&dialog);
            handler->OnClick(L"BtnClose"); // ends the loop once the script returns
            ASSERT_EQ(shown, c.shown);
            if (shown.size() != 7)
                return;
            // Five on the upper line, two on the lower, both from the same x.
            const CxSkinCtrl* canvas = CBaseHandler::FindControlIn(&dialog, L"LogoCanvas");
            const CxSkinCtrl* first = CBaseHandler::FindControlIn(&dialog, shown[0].c_str());
            const int w = first->GetWidth(), h = first->GetHeight();
            const int left = (canvas->GetWidth() - (w + 2) * 5) / 2;
            for (size_t k = 0; k < shown.size(); ++k) {
                const POINT at = CBaseHandler::FindControlIn(&dialog, shown[k].c_str())->GetPos();
                EXPECT_EQ(at.x, left + static_cast<int>(k % 5) * (w + 2)) << k;
                EXPECT_EQ(at.y, canvas->GetHeight() - (k < 5 ? 2 : 1) * h) << k;
            }
            SaveDialogPicture(dialog, L"DialogInfo_SevenLogos");
        });
    }
}

// ---- Detail window ----

class InfoDetailTest : public InfoDialogTest {
protected:
    void SetUp() override {
        InfoDialogTest::SetUp();
        theApp.UseProgramFolder(folder.Path().wstring() + L"\\");
    }
    void TearDown() override {
        theApp.UseProgramFolder(L"");
        InfoDialogTest::TearDown();
    }
    void WriteInfo(const std::string& bytes) {
        std::ofstream out(folder / L"Information.info", std::ios::binary);
        out << bytes;
    }
    // The texts of the list's cells, row by row (top, then left).
    static std::vector<std::wstring> Cells(const CLayerWnd* list) {
        std::vector<std::pair<POINT, std::wstring>> cells;
        for (CLayerWnd* child = list->GetFirstChild(); child; child = list->GetNextChild(child)) {
            const auto* cell = dynamic_cast<const CxSkinCtrl*>(child);
            if (cell && cell->IsVisible())
                cells.push_back({cell->GetPos(), cell->GetText()});
        }
        std::sort(cells.begin(), cells.end(), [](const auto& a, const auto& b) {
            return a.first.y != b.first.y ? a.first.y < b.first.y : a.first.x < b.first.x;
        });
        std::vector<std::wstring> texts;
        for (const auto& cell : cells)
            texts.push_back(cell.second);
        return texts;
    }

    TempDir folder;
};

TEST_F(InfoDetailTest, ListsEveryComponentAndPagesThroughThem) {
    std::string info = "<Components>\n";
    for (int i = 1; i <= 6; ++i)
        info += "<Module Name=\"Part " + std::to_string(i) + "\" Version=\"" + std::to_string(i) +
                ".0\" ModifiedDate=\"2026-0" + std::to_string(i) + "\" />\n";
    WriteInfo(info);
    const INT_PTR result = RunScripted(app, main.get(), L"DialogInfo_DetailWindow", [&](CUIDialog& dialog) {
        auto* handler = dynamic_cast<CInfoHandler*>(dialog.GetHandler());
        ASSERT_NE(handler, nullptr);
        EXPECT_EQ(handler->GetName(), L"InfoDetailHandler");
        const CxSkinCtrl* list = CBaseHandler::FindControlIn(&dialog, L"PanelDetailList");
        ASSERT_NE(list, nullptr);
        const std::vector<std::wstring> cells = Cells(list);
        ASSERT_EQ(cells.size(), 18u);
        EXPECT_EQ(cells[0], L"Part 1");
        EXPECT_EQ(cells[16], L"6.0");
        EXPECT_EQ(cells[17], L"2026-06");
        const int rowHeight = std::max(15, CBaseHandler::FindControlIn(&dialog, L"item")->GetHeight());
        auto* panel = dynamic_cast<IxSkinPanel*>(const_cast<CxSkinCtrl*>(list));
        EXPECT_EQ(panel->GetScrollSize(TRUE), 6 * (rowHeight + 1) - 80);
        EXPECT_FALSE(CBaseHandler::FindControlIn(&dialog, L"ArrowUp")->IsEnabled(FALSE));
        EXPECT_TRUE(CBaseHandler::FindControlIn(&dialog, L"ArrowDown")->IsEnabled(FALSE));
        SaveDialogPicture(dialog, L"DialogInfo_DetailWindow");
        handler->OnClick(L"ArrowDown");
        EXPECT_GT(panel->GetScrollPos(TRUE), 0);
        EXPECT_TRUE(CBaseHandler::FindControlIn(&dialog, L"ArrowUp")->IsEnabled(FALSE));
        handler->OnClick(L"DetailWindowClose");
    });
    EXPECT_EQ(result, IDOK);
}

TEST_F(InfoDetailTest, AMissingOrUnreadableFileLeavesAnEmptyList) {
    for (const char* content : {static_cast<const char*>(nullptr), "\x7f\x45\x4c\x46 not a component list\n",
                                "<Module Name=\"Half\" Version=\"1\"\n"}) {
        fs::remove(folder / L"Information.info");
        if (content)
            WriteInfo(content);
        const INT_PTR result = RunScripted(app, main.get(), L"DialogInfo_DetailWindow", [&](CUIDialog& dialog) {
            auto* handler = dynamic_cast<CInfoHandler*>(dialog.GetHandler());
            ASSERT_NE(handler, nullptr);
            EXPECT_TRUE(Cells(CBaseHandler::FindControlIn(&dialog, L"PanelDetailList")).empty());
            EXPECT_FALSE(CBaseHandler::FindControlIn(&dialog, L"ArrowUp")->IsEnabled(FALSE));
            EXPECT_FALSE(CBaseHandler::FindControlIn(&dialog, L"ArrowDown")->IsEnabled(FALSE));
            handler->OnClick(L"DetailWindowExit");
        });
        EXPECT_EQ(result, IDCANCEL);
    }
}

TEST(InfoHandlerFactory, TheFactoryMakesBothKinds) {
    for (const auto& [name, handlerName] :
         {std::pair{L"DialogInfo", L"InfoHandler"}, std::pair{L"DialogInfo_DetailWindow", L"InfoDetailHandler"},
          std::pair{L"Dialog_AppSetting", L"AppSettingHandler"}}) {
        IHandler* handler = CreateHandler(name);
        ASSERT_NE(handler, nullptr) << name;
        EXPECT_EQ(handler->GetName(), handlerName);
        handler->Release();
    }
}

} // namespace
