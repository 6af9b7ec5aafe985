// The equalizer page on a real skinned dialog loaded from the program's own markup, against a driver that
// records its writes and keeps a property cache as the real one does: band writes, preset matching, the
// switch, change polling, the user presets with their file and messages, and the start-up defaults.
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "../../app/HandlerTestSupport.h"
#include "../../skin/SkinDialogFixture.h"
#include "../../skin/SkinTestSupport.h"
#include "TestPaths.h"
#include "app/AppLytEnvironment.h"
#include "app/OvercoatApp.h"
#include "driver/EffectDefaultWriters.h"
#include "handlers/effects/EQEndpointHandlers.h"
#include "handlers/effects/EQPresetFile.h"
#include "markup/ILytController.h"
#include "markup/LytWindow.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinSlider.h"
#include "skin/IxSkinTextBox.h"
#include "skin/LayerDialog.h"
#include "skin/SkinComboBox.h"
#include "skin/SkinCtrl.h"

namespace fs = std::filesystem;
using namespace oc::test;
using oc::eq::BandGains;
using oc::eq::UserPresetMap;

namespace {

// The recording driver with the property cache of the real one: a successful set and a read with
// store-in-cache fill it, a read from the cache answers from it. Endpoint reads and writes are logged too.
class CachingDriver : public RecordingDriver {
public:
    int32_t SetProperty(const wchar_t* name, const void* value, int32_t type, uint32_t size, const void* args,
                        int32_t argType, uint32_t argSize) override {
        const int32_t result = RecordingDriver::SetProperty(name, value, type, size, args, argType, argSize);
        if (result == kDriverOk)
            m_values[name] = m_cache[name] = *static_cast<const int32_t*>(value);
        return result;
    }
    int32_t GetProperty(const wchar_t* name, void* result, int32_t type, uint32_t size, void* args, int32_t argType,
                        uint32_t argSize, bool store, bool fromCache) override {
        if (fromCache) {
            auto it = m_cache.find(name);
            if (it == m_cache.end())
                return -1;
            *static_cast<int32_t*>(result) = it->second;
            return kDriverOk;
        }
        const int32_t read =
            RecordingDriver::GetProperty(name, result, type, size, args, argType, argSize, store, fromCache);
        if (read == kDriverOk && store)
            m_cache[name] = *static_cast<int32_t*>(result);
        return read;
    }
    int32_t SetEndpointProperty(int32_t code, const wchar_t* name, const void* value, int32_t type, uint32_t,
                                const void*, int32_t, uint32_t) override {
        m_endpointLog.push_back(std::to_wstring(code) + L" set " + name + L"=" +
                                std::to_wstring(*static_cast<const int32_t*>(value)) + L"/" + std::to_wstring(type));
        return kDriverOk;
    }
    int32_t GetEndpointProperty(int32_t code, const wchar_t* name, void* result, int32_t, uint32_t, void*, int32_t,
                                uint32_t, bool, bool) override {
        m_endpointLog.push_back(std::to_wstring(code) + L" get " + name);
        if (!m_endpointReadable)
            return -1;
        *static_cast<int32_t*>(result) = 1;
        return kDriverOk;
    }

    std::map<std::wstring, int32_t> m_cache;
    CallLog m_endpointLog;
    bool m_endpointReadable = false;
};

// The page host: a scratch data folder, the two settings fields and a message box that records and answers.
class FakeHost : public IEQPageHost {
public:
    explicit FakeHost(fs::path data) : m_data(std::move(data)) { fs::create_directories(m_data / "EffectPlugins"); }
    std::wstring GetDataFolder() override { return m_data.wstring() + L"\\"; }
    int GetSelectedUserPreset(bool quarter) override { return quarter ? m_quarterIndex : m_index; }
    void StoreSelectedUserPreset(bool quarter, int index) override { (quarter ? m_quarterIndex : m_index) = index; }
    int ShowMessageBox(CLayerWnd*, const std::wstring& text, const std::wstring& caption, UINT type) override {
        m_messages.push_back(text + L" | " + caption + L" | " + std::to_wstring(type));
        return m_answer;
    }

    fs::path m_data;
    int m_index = 0;
    int m_quarterIndex = 0;
    int m_answer = IDOK;
    CallLog m_messages;
};

// Saves the back buffer (premultiplied, with alpha) for a look by eye.
void SaveBackBuffer(CLayerDialog& layer, const fs::path& file) {
    const int width = layer.GetSurfaceWidth(), height = layer.GetSurfaceHeight();
    Gdiplus::Bitmap image(width, height, PixelFormat32bppPARGB);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y, Gdiplus::Color(layer.GetPixel(x, y)));
    }
    fs::create_directories(file.parent_path());
    SavePng(image, file);
}

const BandGains kRock = {6, 3, -8, -12, -4, 3, 8, 10, 10, 7};
const BandGains kCurveA = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
const BandGains kCurveB = {-1, -2, -3, -4, -5, -6, -7, -8, -9, -10};
const wchar_t* const kBandKeys[10] = {L"EQ_Slider1", L"EQ_Slider2", L"EQ_Slider3", L"EQ_Slider4", L"EQ_Slider5",
                                      L"EQ_Slider6", L"EQ_Slider7", L"EQ_Slider8", L"EQ_Slider9", L"EQ_Slider10"};

class GdiplusSession : public testing::Environment {
public:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&m_token, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(m_token); }

private:
    ULONG_PTR m_token = 0;
};
[[maybe_unused]] testing::Environment* const g_gdiplus = testing::AddGlobalTestEnvironment(new GdiplusSession);

// The page "SpeakerEQ" (or another) loaded from the assembled program folder into a real dialog, with the
// handler bound to its panel the way the factory binds it.
class EQPageTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        theApp.UseProgramFolder(ProgramDir().wstring() + L"\\");
        theApp.InitPaths();
        ASSERT_EQ(theApp.LoadLanguage(L"en-US"), 1);
        theApp.CreateLytController();
    }
    static void TearDownTestSuite() { theApp.ReleaseLytController(); }

    void TearDown() override {
        handler.reset();
        if (dialog.GetSafeHwnd())
            dialog.DestroyWindow();
    }

    template <class Handler = CSpeakerEQHandler> void Open(const wchar_t* page = L"SpeakerEQ") {
        ASSERT_TRUE(OpenDialog(dialog, {0, 0}, 748, 388));
        dialog.SetListener(&main);
        const std::wstring path = theApp.GetSkinFolder() + L"apo" + page + L".lyt";
        const LytRect placement{0, 0, 748, 388};
        // As the main window loads a content page: through a wrapper of the dialog.
        ILytObject* wrapper = CLytWindow::CreateInstance(environment, &dialog);
        ASSERT_NE(wrapper, nullptr);
        auto* loaded =
            dynamic_cast<CxSkinCtrl*>(theApp.GetLytController()->LoadFile(path.c_str(), wrapper, &placement));
        wrapper->Destroy();
        ASSERT_NE(loaded, nullptr) << path;
        panel = loaded;
        ASSERT_EQ(loaded->GetName(), page);
        AddProfileListWhenMissing();
        services.m_driver = &driver;
        services.m_texts = {{L"ml_SpeakerEQ_ProfileName_Prompt", L"Preset name"},
                            {L"ml_SpeakerEQ_ProfileName_Invalid", L"invalid"},
                            {L"ml_DialogMsgBox_Error", L"Error"}};
        handler.reset(new Handler(host));
        handler->SetServices(&services);
        handler->SetWindow(panel);
    }

    // The markup's combo box element may not make a control yet: put the same control in its place.
    void AddProfileListWhenMissing() {
        if (CBaseHandler::FindControlIn(&dialog, L"EQProfileList"))
            return;
        auto* combo = new CxSkinComboBox;
        combo->SetName(L"EQProfileList");
        combo->SetLeft(336);
        combo->SetTop(332);
        combo->SetWidth(200);
        combo->SetHeight(28);
        combo->SetParent(dynamic_cast<IxSkinObject*>(panel));
        combo->SetLabelRect(10, 0, 160, 28);
        combo->SetDropButtonRect({172, 0, 200, 28});
        ASSERT_EQ(combo->Create(), TRUE);
    }

    void SetDriverGains(const BandGains& gains) {
        for (int band = 0; band < 10; ++band)
            driver.m_values[kBandKeys[band]] = static_cast<int32_t>(gains[band]);
    }
    // Gains through the sliders, as a user drags them.
    void DragTo(const BandGains& gains) {
        for (int band = 0; band < 10; ++band)
            handler->OnSliderChanged(g_EqBandTable[band].slider, gains[band], 1);
    }
    IxSkinButton* Button(const wchar_t* name) { return dynamic_cast<IxSkinButton*>(handler->FindControl(name)); }
    IxSkinSlider* Slider(const wchar_t* name) { return dynamic_cast<IxSkinSlider*>(handler->FindControl(name)); }
    IxSkinComboBox* List() { return dynamic_cast<IxSkinComboBox*>(handler->FindControl(L"EQProfileList")); }
    IxSkinTextBox* NameBox() { return dynamic_cast<IxSkinTextBox*>(handler->FindControl(L"EQProfileName")); }
    std::vector<std::wstring> ListItems() {
        std::vector<std::wstring> items;
        for (int i = 0; i < List()->GetCount(); ++i) {
            std::wstring text;
            List()->GetItemText(i, text);
            items.push_back(text);
        }
        return items;
    }
    int SaveAs(const std::wstring& name) {
        NameBox()->SetText(name, FALSE);
        return handler->OnClick(L"BtnSave");
    }
    std::vector<std::wstring> CheckedPresets() {
        std::vector<std::wstring> checked;
        for (const wchar_t* name : g_EqPresetButtons) {
            if (IxSkinButton* button = Button(name); button && button->GetCheck())
                checked.push_back(name);
        }
        return checked;
    }
    fs::path PresetFile(const char* name = "SpeakerEQProfile.dat") { return scratch / "EffectPlugins" / name; }

    TempDir scratch;
    FakeHost host{scratch.Path()};
    RecordingMainHandler main; // outlives the dialog that holds it
    TestDialog dialog;
    CachingDriver driver;
    TestServices services;
    CAppLytEnvironment environment{theApp};
    CLayerWnd* panel = nullptr;
    std::unique_ptr<CEQHandler> handler;
};

} // namespace

// Every control the page drives is in the markup, and a driver state equal to "Rock" with the equalizer on
// shows as such: sliders at the gains, "BtnRock" alone checked, everything enabled. Off greys all but the
// switch. The back buffer is kept for a look by eye.
TEST_F(EQPageTest, PageFromMarkupShowsTheDriverState) {
    ASSERT_NO_FATAL_FAILURE(Open());
    for (const EqBandRow& row : g_EqBandTable)
        EXPECT_NE(Slider(row.slider), nullptr) << row.slider;
    for (const wchar_t* name : g_EqScaleLabels)
        EXPECT_NE(handler->FindControl(name), nullptr) << name;
    for (const wchar_t* name : g_EqPresetButtons)
        EXPECT_NE(Button(name), nullptr) << name;
    for (const wchar_t* name : {L"BtnEnableEQ", L"EQ_Logo", L"BtnSave", L"BtnDelete", L"EQProfileName"})
        EXPECT_NE(handler->FindControl(name), nullptr) << name;
    EXPECT_EQ(handler->FindControl(L"BtnRock")->GetText(), L"Rock");

    driver.m_values[L"Enable_EQ_GFX"] = 1;
    SetDriverGains(kRock);
    handler->InitControls();
    EXPECT_EQ(handler->GetPresetIndex(), 5);
    EXPECT_EQ(CheckedPresets(), std::vector<std::wstring>{L"BtnRock"});
    EXPECT_EQ(Button(L"BtnEnableEQ")->GetCheck(), 1);
    EXPECT_FLOAT_EQ(Slider(L"Hz250")->GetPos(), -12.0f);
    EXPECT_TRUE(handler->FindControl(L"Hz250")->IsEnabled(FALSE));
    ::RedrawWindow(dialog.GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    SaveBackBuffer(dialog,
                   fs::path(getenv("OC_BUILD_DIR") ? getenv("OC_BUILD_DIR") : ".") / "gallery" / "apoSpeakerEQ.png");

    driver.m_values[L"Enable_EQ_GFX"] = 0;
    handler->InitControls();
    for (const wchar_t* name : {L"Hz30", L"Text+20", L"BtnRock", L"BtnSave", L"EQProfileName", L"EQ_Logo"})
        EXPECT_FALSE(handler->FindControl(name)->IsEnabled(FALSE)) << name;
    EXPECT_TRUE(handler->FindControl(L"BtnEnableEQ")->IsEnabled(FALSE));
}

TEST_F(EQPageTest, EveryEqualizerPageLoadsItsOwnPanel) {
    for (const wchar_t* page : {L"SpeakerQuarterEQ", L"HeadPhoneEQ", L"SPDIFOutEQ"}) {
        SCOPED_TRACE(page);
        TearDown();
        ASSERT_NO_FATAL_FAILURE(Open<CEQHandler>(page));
        EXPECT_NE(handler->FindControl(L"Hz16K"), nullptr);
    }
}

// A slider writes the whole dB toward zero, keeps its own position for matching and announces the band
// whether or not the write went through; a failed write keeps the old gain.
TEST_F(EQPageTest, SliderWritesTruncatedWholeDecibels) {
    ASSERT_NO_FATAL_FAILURE(Open());
    handler->InitControls();
    driver.m_log.clear();
    EXPECT_EQ(handler->OnSliderChanged(L"Hz30", 7.9f, 0), 1);
    EXPECT_EQ(handler->OnSliderChanged(L"Hz60", -2.9f, 1), 1);
    EXPECT_EQ(driver.m_log, (CallLog{L"set EQ_Slider1=7/0", L"set EQ_Slider2=-2/0"}));
    EXPECT_FLOAT_EQ(handler->GetBandGains()[0], 7.9f);
    EXPECT_EQ(main.m_announced, (CallLog{L"EQ_Slider1 0", L"EQ_Slider2 0"}));
    EXPECT_EQ(handler->GetPresetIndex(), CEQHandler::kUserDefinedPreset);
    EXPECT_EQ(CheckedPresets(), std::vector<std::wstring>{L"BtnUserDefine"});

    driver.m_writeResult = 5;
    EXPECT_EQ(handler->OnSliderChanged(L"Hz30", 3.0f, 1), 0);
    EXPECT_FLOAT_EQ(handler->GetBandGains()[0], 7.9f);
    EXPECT_EQ(main.m_announced.back(), L"EQ_Slider1 0");
    EXPECT_EQ(handler->OnSliderChanged(L"NotABand", 3.0f, 1), 0);
}

TEST(EQPresetMatch, FirstBuiltInPresetWithinTheTolerance) {
    auto withBand = [](BandGains gains, int band, float delta) {
        gains[band] += delta;
        return gains;
    };
    const struct {
        const char* what;
        BandGains gains;
        int preset;
    } cases[] = {
        {"rock exactly", kRock, 5},
        {"rock within 0.05", withBand(kRock, 3, 0.04f), 5},
        {"rock off by 0.06 on one band", withBand(kRock, 9, -0.06f), 12},
        {"all flat is the last row", BandGains{}, 11},
        {"dance", g_EqPresetGains[0], 0},
        {"vocal", g_EqPresetGains[10], 10},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CEQHandler::FindMatchingPreset(c.gains), c.preset) << c.what;
}

TEST_F(EQPageTest, BuiltInPresetWritesEveryBandAndChecksOnlyItsButton) {
    ASSERT_NO_FATAL_FAILURE(Open());
    driver.m_values[L"Enable_EQ_GFX"] = 1;
    handler->InitControls();
    driver.m_log.clear();
    EXPECT_EQ(handler->OnClick(L"BtnRock"), 0);
    ASSERT_EQ(driver.m_log.size(), 10u);
    EXPECT_EQ(driver.m_log[3], L"set EQ_Slider4=-12/0");
    EXPECT_EQ(main.m_announced.size(), 10u);
    EXPECT_EQ(handler->GetPresetIndex(), 5);
    EXPECT_FLOAT_EQ(Slider(L"Hz2K")->GetPos(), 8.0f);

    driver.m_log.clear();
    EXPECT_EQ(handler->SelectPreset(12), 0);
    EXPECT_EQ(handler->SelectPreset(99), 0);
    EXPECT_TRUE(driver.m_log.empty());
    EXPECT_EQ(handler->GetPresetIndex(), 5);
}

// A switch that the driver refuses shows the state the device kept again and announces nothing.
TEST_F(EQPageTest, SwitchWritesAndRefreshesOrRestoresTheButton) {
    ASSERT_NO_FATAL_FAILURE(Open());
    handler->InitControls();
    Button(L"BtnEnableEQ")->SetCheck(1, FALSE); // the check box flips itself under the click
    EXPECT_EQ(handler->OnClick(L"BtnEnableEQ"), 1);
    EXPECT_EQ(driver.m_values[L"Enable_EQ_GFX"], 1);
    EXPECT_EQ(main.m_announced, CallLog{L"Enable_EQ_GFX 1"});
    EXPECT_TRUE(handler->FindControl(L"Hz30")->IsEnabled(FALSE));

    driver.m_writeResult = 100;
    Button(L"BtnEnableEQ")->SetCheck(0, FALSE);
    EXPECT_EQ(handler->ToggleEnable(), 0);
    EXPECT_EQ(Button(L"BtnEnableEQ")->GetCheck(), 1);
    EXPECT_EQ(handler->GetEnableFlag(), 1u);
    EXPECT_EQ(main.m_announced.size(), 1u);
}

// Changes the page made itself are not changes; one made on the device is, until the page reads it; band
// changes of a switched-off equalizer are not.
TEST_F(EQPageTest, PollsReportOnlyOutsideChanges) {
    ASSERT_NO_FATAL_FAILURE(Open());
    driver.m_values[L"Enable_EQ_GFX"] = 1;
    SetDriverGains(kRock);
    handler->InitControls();
    EXPECT_EQ(handler->UpdateFromDriver(), 0);
    handler->OnSliderChanged(L"Hz500", 2.0f, 1);
    EXPECT_EQ(handler->UpdateFromDriver(), 0);

    driver.m_values[L"EQ_Slider7"] = -3; // a hardware button or another program
    EXPECT_EQ(handler->UpdateFromDriver(), 1);
    handler->InitControls();
    EXPECT_EQ(handler->UpdateFromDriver(), 0);

    driver.m_values[L"Enable_EQ_GFX"] = 0;
    EXPECT_EQ(handler->UpdateFromDriver(), 1);
    handler->InitControls();
    driver.m_values[L"EQ_Slider7"] = 9;
    EXPECT_EQ(handler->UpdateFromDriver(), 0);
}

// Names refused before anything is stored, each with its message: blank, the prompt, a forbidden
// character, a built-in preset's caption after trimming, one the file could not hold.
TEST_F(EQPageTest, SaveRefusesBadNames) {
    ASSERT_NO_FATAL_FAILURE(Open());
    driver.m_values[L"Enable_EQ_GFX"] = 1;
    handler->InitControls();
    EXPECT_EQ(SaveAs(L"Mine"), 0); // the bands are "Flat"
    ASSERT_EQ(host.m_messages.size(), 1u);
    EXPECT_EQ(host.m_messages[0], L" | Error | 16"); // no text for that key in this test

    DragTo(kCurveA);
    const struct {
        std::wstring name;
        const wchar_t* expected;
    } cases[] = {
        {L"", L"invalid | Error | 16"},
        {L"    ", L"invalid | Error | 16"},
        {L"Preset name", L"invalid | Error | 16"},
        {L"a/b", L"invalid | Error | 16"},
        {L"a|b", L"invalid | Error | 16"},
        {L"why?", L"invalid | Error | 16"},
        {std::wstring(256, L'n'), L"invalid | Error | 16"},
        {L"  Rock ", L" | Error | 16"},
    };
    for (const auto& c : cases) {
        host.m_messages.clear();
        EXPECT_EQ(SaveAs(c.name), 0) << c.name.size();
        EXPECT_EQ(host.m_messages, CallLog{c.expected}) << c.name.size();
    }
    EXPECT_TRUE(handler->GetUserPresets().empty());
    EXPECT_FALSE(fs::exists(PresetFile()));
}

// Save, the same curve again, the same name again (No keeps, Yes replaces), choose and delete, with the
// file, its hidden attribute, the list and the settings field following every step.
TEST_F(EQPageTest, UserPresetsSaveChooseAndDelete) {
    ASSERT_NO_FATAL_FAILURE(Open());
    driver.m_values[L"Enable_EQ_GFX"] = 1;
    handler->InitControls();
    DragTo(kCurveA);
    EXPECT_EQ(SaveAs(L"  b curve "), 1);
    EXPECT_EQ(NameBox()->GetText(), L"");
    DragTo(kCurveB);
    EXPECT_EQ(SaveAs(L"A curve"), 1);
    EXPECT_EQ(ListItems(), (std::vector<std::wstring>{L"A curve", L"b curve"}));
    EXPECT_EQ(List()->GetCurSel(), 0);
    EXPECT_EQ(host.m_index, 0);
    EXPECT_EQ(oc::eq::ReadPresetFile(PresetFile().wstring()),
              (UserPresetMap{{L"A curve", kCurveB}, {L"b curve", kCurveA}}));
    EXPECT_TRUE(::GetFileAttributesW(PresetFile().c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(host.m_messages.empty());

    // The same curve under another name: refused with the shared message.
    EXPECT_EQ(SaveAs(L"copy"), 0);
    EXPECT_EQ(host.m_messages.size(), 1u);

    // The same name: No keeps, Yes replaces.
    DragTo({0, 1, 0, 1, 0, 1, 0, 1, 0, 1});
    host.m_answer = IDNO;
    EXPECT_EQ(SaveAs(L"b curve"), 1);
    EXPECT_EQ(handler->GetUserPresets().at(L"b curve"), kCurveA);
    host.m_answer = IDYES;
    EXPECT_EQ(SaveAs(L"b curve"), 1);
    EXPECT_EQ(oc::eq::ReadPresetFile(PresetFile().wstring()).at(L"b curve"), (BandGains{0, 1, 0, 1, 0, 1, 0, 1, 0, 1}));
    EXPECT_EQ(host.m_index, 1);

    // Choosing writes the stored curve.
    driver.m_log.clear();
    handler->OnSelChange(L"EQProfileList", 0);
    EXPECT_EQ(driver.m_log.front(), L"set EQ_Slider1=-1/0");
    EXPECT_EQ(handler->GetBandGains()[9], -10.0f);
    EXPECT_EQ(handler->GetPresetIndex(), CEQHandler::kUserDefinedPreset);
    EXPECT_EQ(host.m_index, 0);

    // Delete the chosen one, then the last one: an empty file stays.
    EXPECT_EQ(handler->OnClick(L"BtnDelete"), 1);
    EXPECT_EQ(ListItems(), std::vector<std::wstring>{L"b curve"});
    EXPECT_EQ(handler->GetBandGains()[1], 1.0f); // the remaining preset is put in force
    EXPECT_EQ(handler->OnClick(L"BtnDelete"), 1);
    EXPECT_TRUE(ListItems().empty());
    EXPECT_EQ(fs::file_size(PresetFile()), 0u);
    host.m_messages.clear();
    EXPECT_EQ(handler->DeleteUserPreset(0), 0);
    EXPECT_EQ(host.m_messages.size(), 1u);
}

// A preset file that cannot be replaced: the save and the delete each tell the user, and the list shows
// what the file kept, as the next start will.
TEST_F(EQPageTest, FailedPresetFileWritesShowWhatTheFileKept) {
    ASSERT_NO_FATAL_FAILURE(Open());
    services.m_texts[L"ml_SpeakerEQ_ProfileName_SaveError"] = L"save failed";
    services.m_texts[L"ml_SpeakerEQ_ProfileName_DeleteError"] = L"delete failed";
    driver.m_values[L"Enable_EQ_GFX"] = 1;
    handler->InitControls();
    DragTo(kCurveA);
    ASSERT_EQ(SaveAs(L"kept"), 1);

    // The temporary file's place is taken by a folder: no write can start.
    fs::create_directories(scratch.Path() / "EffectPlugins" / "SpeakerEQProfile.dat.tmp");
    DragTo(kCurveB);
    EXPECT_EQ(SaveAs(L"lost"), 0);
    ASSERT_EQ(host.m_messages.size(), 1u);
    EXPECT_EQ(host.m_messages[0].substr(0, 11), L"save failed");
    EXPECT_EQ(ListItems(), std::vector<std::wstring>{L"kept"});
    EXPECT_EQ(handler->GetUserPresets(), (UserPresetMap{{L"kept", kCurveA}}));
    EXPECT_EQ(List()->GetCurSel(), 0);

    host.m_messages.clear();
    EXPECT_EQ(handler->DeleteUserPreset(0), 0);
    ASSERT_EQ(host.m_messages.size(), 1u);
    EXPECT_EQ(host.m_messages[0].substr(0, 13), L"delete failed");
    EXPECT_EQ(ListItems(), std::vector<std::wstring>{L"kept"});
    EXPECT_EQ(oc::eq::ReadPresetFile(PresetFile().wstring()), (UserPresetMap{{L"kept", kCurveA}}));
}

// The stored index is clamped to the list; "BtnUserDefine" with nothing stored tells so and re-reads.
TEST_F(EQPageTest, StoredSelectionAndEmptyUserPresetChoice) {
    oc::eq::WritePresetFile(PresetFile().wstring(), {{L"one", kCurveA}, {L"two", kCurveB}, {L"three", kRock}});
    host.m_index = 5;
    ASSERT_NO_FATAL_FAILURE(Open());
    handler->InitControls();
    EXPECT_EQ(List()->GetCurSel(), 2);
    EXPECT_EQ(handler->GetSelectedUserPreset(), 2);

    oc::eq::WritePresetFile(PresetFile().wstring(), {});
    TearDown();
    ASSERT_NO_FATAL_FAILURE(Open());
    handler->InitControls();
    driver.m_log.clear();
    EXPECT_EQ(handler->OnClick(L"BtnUserDefine"), 0);
    EXPECT_EQ(host.m_messages.size(), 1u);
    EXPECT_EQ(driver.m_log.front(), L"get Enable_EQ_GFX");
}

// The handler factory makes the pages with no arguments; they then reach the application's host.
static_assert(std::is_default_constructible_v<CSpeakerEQHandler> &&
              std::is_default_constructible_v<CSpeakerQuarterEQHandler> &&
              std::is_default_constructible_v<CHeadPhoneEQHandler> &&
              std::is_default_constructible_v<CSPDIFOutEQHandler>);

// Each page keeps its own file and the quarter-speaker page its own settings field.
TEST_F(EQPageTest, PagesPickTheirFilesAndSettings) {
    host.m_index = 1;
    host.m_quarterIndex = 2;
    const std::wstring folder = host.GetDataFolder() + L"\\EffectPlugins\\";
    const struct {
        std::unique_ptr<CEQHandler> page;
        const wchar_t* file;
        int selected;
    } cases[] = {
        {std::make_unique<CSpeakerEQHandler>(host), L"SpeakerEQProfile.dat", 1},
        {std::make_unique<CSpeakerQuarterEQHandler>(host), L"SpeakerQuarterEQProfile.dat", 2},
        {std::make_unique<CHeadPhoneEQHandler>(host), L"HeadphoneEQProfile.dat", 1},
        {std::make_unique<CSPDIFOutEQHandler>(host), L"SPDIFOutEQProfile.dat", 1},
        {std::make_unique<CEQHandler>(host), L"SPDIFOutEQProfile.dat", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.page->GetPresetFilePath(), folder + c.file);
        EXPECT_EQ(c.page->GetSelectedUserPreset(), c.selected);
    }
}

// The file on disk: a visible file becomes hidden, an unreadable file reads as no presets and is kept beside
// (".bad") when it is replaced, no temporary file is left, and a failed write leaves the old file whole.
TEST(EQPresetFile, ReplacesTheFileWholeAndHidesIt) {
    TempDir dir;
    const fs::path file = dir / "SpeakerEQProfile.dat";
    EXPECT_TRUE(oc::eq::ReadPresetFile(file.wstring()).empty());
    std::ofstream(file) << "x";
    ASSERT_FALSE(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(oc::eq::ReadPresetFile(file.wstring()).empty());

    ASSERT_TRUE(oc::eq::WritePresetFile(file.wstring(), {{L"abc", BandGains{}}}));
    EXPECT_TRUE(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(fs::file_size(file), 50u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);
    {
        std::ifstream kept(dir / "SpeakerEQProfile.dat.bad");
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "x") << "the unreadable file is kept beside";
    }
    // A file that read whole is replaced without a copy.
    fs::remove(dir / "SpeakerEQProfile.dat.bad");
    ASSERT_TRUE(oc::eq::WritePresetFile(file.wstring(), {{L"abc", BandGains{}}}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);

    EXPECT_FALSE(oc::eq::WritePresetFile((dir / "missing" / "x.dat").wstring(), {{L"abc", BandGains{}}}));
    EXPECT_EQ(oc::eq::ReadPresetFile(file.wstring()).size(), 1u);
}

// A file of 100,000 presets (6.5 MB) reads whole, and saving one more keeps every one of them; earlier kept
// copies of a damaged file are never replaced by later ones.
TEST(EQPresetFile, LargeFilesReadWholeAndSavingKeepsEveryPreset) {
    TempDir dir;
    const fs::path file = dir / "SpeakerEQProfile.dat";
    oc::eq::UserPresetMap many;
    for (int i = 0; i < 100000; ++i)
        many.emplace(L"Preset " + std::to_wstring(i), BandGains{static_cast<float>(i % 12)});
    const std::vector<uint8_t> bytes = oc::eq::SerializePresets(many);
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    oc::eq::UserPresetMap read = oc::eq::ReadPresetFile(file.wstring());
    EXPECT_EQ(read.size(), 100000u);
    read.emplace(L"Mine", BandGains{});
    ASSERT_TRUE(oc::eq::WritePresetFile(file.wstring(), read));
    EXPECT_EQ(oc::eq::ReadPresetFile(file.wstring()).size(), 100001u);
    EXPECT_FALSE(fs::exists(dir / "SpeakerEQProfile.dat.bad")) << "a file that read whole needs no copy";

    for (const char* damage : {"first", "second"}) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << damage;
        ASSERT_TRUE(oc::eq::WritePresetFile(file.wstring(), {{L"abc", BandGains{}}}));
    }
    std::ifstream first(dir / "SpeakerEQProfile.dat.bad"), second(dir / "SpeakerEQProfile.dat.bad2");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(first), {}), "first");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(second), {}), "second");
}

// Start-up: an endpoint whose switch can be read keeps its state; one whose cannot gets off and flat.
TEST(EQDefaults, WrittenOnlyWhereTheDeviceHoldsNoState) {
    CachingDriver driver;
    CEffectDefaultWriters writers;
    RegisterEQDefaultsWriter(writers, [&driver] { return &driver; });
    driver.m_endpointReadable = true;
    writers.Call(EffectWriter::EQApplyToDevice, 7);
    EXPECT_EQ(driver.m_endpointLog, CallLog{L"7 get Enable_EQ_GFX"});

    driver.m_endpointLog.clear();
    driver.m_endpointReadable = false;
    writers.Call(EffectWriter::EQApplyToDevice, 12);
    ASSERT_EQ(driver.m_endpointLog.size(), 12u);
    EXPECT_EQ(driver.m_endpointLog[1], L"12 set Enable_EQ_GFX=0/1");
    EXPECT_EQ(driver.m_endpointLog[11], L"12 set EQ_Slider10=0/0");

    CEffectDefaultWriters none;
    RegisterEQDefaultsWriter(none, [] { return static_cast<IDriverInstance*>(nullptr); });
    none.Call(EffectWriter::EQApplyToDevice, 1); // no driver yet: nothing to do
}
