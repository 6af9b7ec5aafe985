// The device list and its jack menu on a real skinned dialog against a recording driver: which rows show
// and where, the default markers, scrolling, the tooltips, clicks that choose a default endpoint, and the
// jack menu a right click opens.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "../skin/SkinDialogFixture.h"
#include "DialogGallery.h"
#include "HandlerTestSupport.h"
#include "PanelGallery.h"
#include "app/PanelDeviceListHandler.h"
#include "app/PanelJackMenuHandler.h"
#include "skin/SkinButton.h"
#include "skin/SkinMenu.h"
#include "skin/SkinMenuItem.h"
#include "skin/SkinPanel.h"
#include "skin/SkinRadioButton.h"

using namespace oc::test;

namespace {

struct Row {
    const wchar_t* endpoint;
    const wchar_t* panel;
    const wchar_t* icon;
    const wchar_t* marker;
};

const Row kRows[] = {
    {L"Speaker", L"PanelSpeaker", L"MenuSpeakers", L"DefaultSpeakers"},
    {L"SpeakerQuarter", L"PanelSpeakerQuarter", L"MenuSpeakersQuarter", L"DefaultSpeakersQuarter"},
    {L"HeadPhone", L"PanelHeadPhone", L"MenuHeadPhone", L"DefaultHeadPhone"},
    {L"HDMI", L"PanelHDMI", L"MenuHDMI", L"DefaultHDMI"},
    {L"SPDIFOut", L"PanelSPDIFOut", L"MenuSPDIFOut", L"DefaultSPDIFOut"},
    {L"MicIn", L"PanelMicIn", L"MenuMicIn", L"DefaultMicIn"},
    {L"DesktopMic", L"PanelDesktopMic", L"MenuDesktopMic", L"DefaultDesktopMic"},
    {L"LineIn", L"PanelLineIn", L"MenuLineIn", L"DefaultLineIn"},
    {L"SPDIFIn", L"PanelSPDIFIn", L"MenuSPDIFIn", L"DefaultSPDIFIn"},
    {L"SPDIFInRCA", L"PanelSPDIFInRCA", L"MenuSPDIFInRCA", L"DefaultSPDIFInRCA"},
    {L"StereoMix", L"PanelStereoMixer", L"MenuStereoMixer", L"DefaultStereoMixer"},
};

// Rows are 48 high, 50 apart; the marker's bottom lies 2 above the row's.
constexpr int kStep = 50;

class DeviceDriver : public RecordingDriver {
public:
    uint32_t GetDeviceKindByName(const std::wstring& name) override {
        auto it = m_kinds.find(name);
        return it == m_kinds.end() ? 0 : it->second;
    }
    int32_t GetDeviceCount() override { return m_deviceCount; }
    std::wstring GetDefaultRenderEndpointName() override { return m_render; }
    std::wstring GetDefaultCaptureEndpointName() override { return m_capture; }
    int32_t SetDefaultRenderEndpointByName(const std::wstring& name) override {
        m_log.push_back(L"render " + name);
        m_render = name;
        return 0;
    }
    int32_t SetDefaultCaptureEndpointByName(const std::wstring& name) override {
        m_log.push_back(L"capture " + name);
        m_capture = name;
        return 0;
    }
    void RestoreListening() override { m_log.push_back(L"restore listening"); }
    std::wstring GetEndpointContent(const std::wstring& name) override { return name + L"Setting"; }
    int32_t IsFeatureSupported(const std::wstring& feature) override { return m_features.count(feature) ? 1 : 0; }

    std::map<std::wstring, uint32_t> m_kinds;
    int32_t m_deviceCount = 1;
    std::wstring m_render = L"Speaker";
    std::wstring m_capture = L"MicIn";
    std::set<std::wstring> m_features;
};

// The list's handler with the main window's part recorded.
class TestDeviceListHandler : public CPanelDeviceListHandler {
public:
    explicit TestDeviceListHandler(CallLog* log) : m_mainLog(log) {}
    std::wstring m_device = L"Sound Box";

protected:
    std::wstring GetAudioDeviceName() const override { return m_device; }
    void ShowMainWindowContent(const std::wstring& content) override { m_mainLog->push_back(L"show " + content); }
    void RefreshMainWindowPanels() override { m_mainLog->push_back(L"refresh panels"); }

private:
    CallLog* m_mainLog;
};

// Made the way the markup makes controls, so that buttons find their handler through the panels above.
template <class Control = CxSkinCtrl> Control* Add(CxSkinObject* parent, const std::wstring& name, RECT rect) {
    auto* control = new Control;
    control->SetParent(parent);
    control->SetName(name);
    control->SetLeft(rect.left);
    control->SetTop(rect.top);
    control->SetWidth(rect.right - rect.left);
    control->SetHeight(rect.bottom - rect.top);
    EXPECT_TRUE(control->Create()) << name;
    return control;
}

CxSkinRadioButton* AddRadio(CxSkinObject* parent, const std::wstring& name, const wchar_t* group, RECT rect) {
    auto* radio = Add<CxSkinRadioButton>(parent, name, rect);
    radio->SetGroupName(group);
    return radio;
}

class DeviceListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDialog(dialog, {100, 100}, 140, 600));
        services.m_driver = &driver;
        handler = new TestDeviceListHandler(&mainLog);
        handler->SetServices(&services);
        // The list panel owns its handler, as the markup binds it.
        list = Add<CxSkinPanel>(&dialog, L"PanelDeviceList", {0, 0, 140, 600});
        list->SetListener(handler); // before the buttons, which look for it when they are made
        up = Add<CxSkinButton>(list, L"ScrollUp", {8, 0, 112, 20});
        icons = Add<CxSkinPanel>(list, L"PanelDeviceIconList", {0, 30, 120, 30 + 452});
        down = Add<CxSkinButton>(list, L"ScrollDown", {8, 490, 112, 510});
        for (int i = 0; i < 11; ++i) {
            const Row& row = kRows[i];
            CxSkinPanel* panel = Add<CxSkinPanel>(icons, row.panel, {0, i * kStep, 120, i * kStep + 48});
            CxSkinRadioButton* icon = AddRadio(panel, row.icon, L"Endpoint", {8, 0, 56, 48});
            icon->SetToolTip(row.endpoint);
            AddRadio(panel, row.marker, i < 5 ? L"DefaultRender" : L"DefaultCapture", {64, 30, 80, 46});
        }
        handler->SetWindow(list);
    }
    void TearDown() override { dialog.DestroyWindow(); }

    CxSkinCtrl* Control(const std::wstring& name) const { return handler->FindControl(name); }
    bool Checked(const std::wstring& name) const { return dynamic_cast<CxSkinButton*>(Control(name))->GetCheck(); }
    void Present(std::initializer_list<std::pair<const wchar_t*, uint32_t>> kinds) {
        for (const auto& [name, kind] : kinds)
            driver.m_kinds[name] = kind;
    }

    TestDialog dialog;
    DeviceDriver driver;
    TestServices services;
    CallLog mainLog;
    TestDeviceListHandler* handler = nullptr;
    CxSkinPanel* list = nullptr;
    CxSkinPanel* icons = nullptr;
    CxSkinButton* up = nullptr;
    CxSkinButton* down = nullptr;
};

TEST_F(DeviceListTest, ShowsOnlyThePresentRowsCentredInListOrder) {
    Present({{L"Speaker", 1}, {L"HeadPhone", 2}, {L"MicIn", 1}, {L"LineIn", 5}});
    handler->Initialize();
    EXPECT_EQ(CPanelDeviceListHandler::GetRowStep(), kStep);
    const int top = (452 - 3 * kStep) / 2;
    const std::pair<const wchar_t*, int> shown[] = {
        {L"PanelSpeaker", top}, {L"PanelHeadPhone", top + kStep}, {L"PanelMicIn", top + 2 * kStep}};
    for (const auto& [name, y] : shown) {
        EXPECT_TRUE(Control(name)->IsVisible()) << name;
        EXPECT_EQ(Control(name)->GetRect().top, y) << name;
        EXPECT_EQ(Control(name)->GetHeight(), 48) << name;
    }
    EXPECT_FALSE(Control(L"PanelHeadPhone")->IsEnabled(FALSE)); // partly supported: shown, not usable
    EXPECT_TRUE(Control(L"PanelSpeaker")->IsEnabled(FALSE));
    for (const wchar_t* hidden : {L"PanelSpeakerQuarter", L"PanelHDMI", L"PanelLineIn", L"PanelStereoMixer"})
        EXPECT_FALSE(Control(hidden)->IsVisible()) << hidden;
    EXPECT_FALSE(up->IsVisible());
    EXPECT_FALSE(down->IsVisible());
    EXPECT_EQ(icons->GetScrollSize(TRUE), 0);

    // The step measured first holds for the run, whatever the rows look like later.
    Control(L"PanelSpeakerQuarter")->MoveTo(0, 200);
    handler->Initialize();
    EXPECT_EQ(CPanelDeviceListHandler::GetRowStep(), kStep);
    EXPECT_EQ(Control(L"PanelHeadPhone")->GetRect().top - Control(L"PanelSpeaker")->GetRect().top, kStep);
}

TEST_F(DeviceListTest, WithoutADeviceNoRowIsPlacedOrHidden) {
    driver.m_deviceCount = 0;
    handler->Initialize();
    for (const Row& row : kRows)
        EXPECT_TRUE(Control(row.panel)->IsVisible()) << row.panel;
    EXPECT_EQ(Control(L"PanelMicIn")->GetRect().top, 5 * kStep);
}

TEST_F(DeviceListTest, ScrollsWhenTheRowsOverflowTheList) {
    for (const Row& row : kRows)
        driver.m_kinds[row.endpoint] = 1;
    icons->SetRect({0, 30, 120, 330}, FALSE); // 300 high for 550 of rows
    icons->SetPageSize(100, TRUE);
    handler->Initialize();
    EXPECT_EQ(icons->GetScrollSize(TRUE), 11 * kStep - 2 - 300);
    EXPECT_TRUE(up->IsVisible());
    EXPECT_TRUE(down->IsVisible());
    EXPECT_FALSE(up->IsEnabled(FALSE)); // at the top
    EXPECT_TRUE(down->IsEnabled(FALSE));

    EXPECT_EQ(handler->OnClick(L"ScrollDown"), 1);
    EXPECT_EQ(icons->GetScrollPos(TRUE), 100);
    EXPECT_TRUE(up->IsEnabled(FALSE));
    handler->OnClick(L"ScrollDown");
    handler->OnClick(L"ScrollDown"); // 248 is the end
    EXPECT_EQ(icons->GetScrollPos(TRUE), 248);
    EXPECT_FALSE(down->IsEnabled(FALSE));
    handler->OnClick(L"ScrollUp");
    EXPECT_TRUE(down->IsEnabled(FALSE));

    // A scroll the panel made itself (the wheel) is caught up on through the panel's notice.
    icons->SetScrollPos(0, TRUE, FALSE);
    handler->OnPanelNotify(TRUE, 0);
    EXPECT_FALSE(up->IsEnabled(FALSE));
    EXPECT_EQ(mainLog, (CallLog{L"refresh panels", L"refresh panels", L"refresh panels", L"refresh panels"}));
}

TEST_F(DeviceListTest, MarksTheCurrentEndpointAndTheDefaults) {
    Present({{L"Speaker", 1}, {L"HeadPhone", 1}, {L"MicIn", 1}, {L"LineIn", 1}});
    driver.m_currentEndpoint = L"HeadPhone";
    driver.m_render = L"HeadPhone";
    driver.m_capture = L"LineIn";
    dynamic_cast<CxSkinButton*>(Control(L"DefaultSpeakers"))->SetCheck(1, FALSE);
    dynamic_cast<CxSkinButton*>(Control(L"DefaultMicIn"))->SetCheck(1, FALSE);
    handler->Initialize();
    EXPECT_TRUE(Checked(L"MenuHeadPhone"));
    EXPECT_FALSE(Checked(L"MenuSpeakers"));
    EXPECT_TRUE(Checked(L"DefaultHeadPhone"));
    EXPECT_FALSE(Checked(L"DefaultSpeakers"));
    EXPECT_TRUE(Checked(L"DefaultLineIn"));
    EXPECT_FALSE(Checked(L"DefaultMicIn"));
}

TEST_F(DeviceListTest, AClickMakesTheRowsEndpointTheDefault) {
    Present({{L"Speaker", 1}, {L"HeadPhone", 1}, {L"MicIn", 1}});
    handler->Initialize();
    driver.m_log.clear();

    EXPECT_EQ(handler->OnClick(L"DefaultMicIn"), 1);
    EXPECT_EQ(driver.m_log, (CallLog{L"capture MicIn"})); // listening is a render matter
    EXPECT_TRUE(Checked(L"MenuMicIn"));
    EXPECT_EQ(mainLog, (CallLog{L"show MicInSetting", L"refresh panels"}));

    driver.m_log.clear();
    mainLog.clear();
    EXPECT_EQ(handler->OnClick(L"MenuHeadPhone"), 1);
    EXPECT_EQ(driver.m_log, (CallLog{L"render HeadPhone", L"restore listening"}));
    EXPECT_TRUE(Checked(L"DefaultHeadPhone"));
    EXPECT_FALSE(Checked(L"DefaultSpeakers"));
    EXPECT_EQ(mainLog, (CallLog{L"show HeadPhoneSetting", L"refresh panels"}));

    mainLog.clear();
    EXPECT_EQ(handler->OnClick(L"PanelSpeaker"), 0);
    EXPECT_TRUE(mainLog.empty());
}

TEST_F(DeviceListTest, AddsTheDeviceNameToTheShownRowsTooltipsOnce) {
    Present({{L"Speaker", 1}, {L"MicIn", 1}});
    handler->Initialize();
    handler->SetDeviceItemCaption();
    handler->SetDeviceItemCaption(); // a language switch runs it again
    EXPECT_EQ(Control(L"MenuSpeakers")->GetToolTip(), L"Speaker(Sound Box)");
    EXPECT_EQ(Control(L"MenuMicIn")->GetToolTip(), L"MicIn(Sound Box)");
    EXPECT_EQ(Control(L"MenuHDMI")->GetToolTip(), L"HDMI"); // hidden rows keep theirs
}

CxSkinMenuItem* MakeItem(const wchar_t* name, int id) {
    auto* item = new CxSkinMenuItem;
    item->SetName(name);
    item->SetId(id);
    item->SetHeight(20);
    return item;
}

std::vector<std::wstring> ItemNames(CxSkinMenu* menu) {
    std::vector<std::wstring> names;
    for (int i = 0; menu->GetItem(i); ++i)
        names.push_back(menu->GetItem(i)->GetName());
    return names;
}

class JackMenuTest : public DeviceListTest {
protected:
    void SetUp() override {
        DeviceListTest::SetUp();
        Present({{L"Speaker", 1}, {L"MicIn", 1}});
        handler->Initialize();
        services.m_controller.m_onLoad = [this](IxSkinObject* target) {
            auto* menu = dynamic_cast<CxSkinMenu*>(target);
            if (!menu || !m_loads)
                return 0;
            int id = 1;
            for (const wchar_t* name : {L"SpeakerSetting", L"SpeakerEM", L"SpeakerDTSSS", L"VexaroAudioEffects",
                                        L"SpeakerEQ", L"VexaroMicEffects"})
                menu->AddItem(MakeItem(name, id++));
            return 1;
        };
        driver.m_features = {L"SpeakerSetting", L"SpeakerEQ"};
    }

    bool m_loads = true;
};

TEST_F(JackMenuTest, ARightClickOnAnIconOpensItsMenuWithTheSupportedItems) {
    EXPECT_EQ(handler->OnRButtonUp(L"MenuSpeakers"), 1);
    CxSkinMenu* menu = handler->GetJackMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(services.m_controller.m_paths, (std::vector<std::wstring>{L"Z:\\skin\\MenuSpeakers.lyt"}));
    EXPECT_EQ(ItemNames(menu),
              (std::vector<std::wstring>{L"SpeakerSetting", L"VexaroAudioEffects", L"SpeakerEQ", L"VexaroMicEffects"}));
    EXPECT_NE(dynamic_cast<CPanelJackMenuHandler*>(menu->GetListener()), nullptr);
    EXPECT_TRUE(::IsWindow(menu->GetSafeHwnd()));

    // A second right click replaces the menu; the old window is gone.
    const HWND first = menu->GetSafeHwnd();
    handler->OnRButtonUp(L"MenuMicIn");
    ASSERT_NE(handler->GetJackMenu(), nullptr);
    EXPECT_FALSE(::IsWindow(first));
    handler->CloseJackMenu();
    EXPECT_EQ(handler->GetJackMenu(), nullptr);
}

TEST_F(JackMenuTest, NoMenuForAMarkerOrAMenuThatFailsToLoad) {
    EXPECT_EQ(handler->OnRButtonUp(L"DefaultSpeakers"), 0);
    EXPECT_EQ(handler->GetJackMenu(), nullptr);
    EXPECT_TRUE(services.m_controller.m_paths.empty());

    handler->OnRButtonUp(L"MenuSpeakers");
    ASSERT_NE(handler->GetJackMenu(), nullptr);
    m_loads = false;
    EXPECT_EQ(handler->OnRButtonUp(L"MenuMicIn"), 1);
    EXPECT_EQ(handler->GetJackMenu(), nullptr); // the old one went, no half-made one took its place
}

TEST_F(JackMenuTest, ARealRightClickReachesTheListsHandler) {
    const RECT r = Control(L"MenuSpeakers")->GetRectInHost();
    const LPARAM at = PointParam((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    dialog.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, at);
    dialog.SendMessage(WM_RBUTTONUP, 0, at);
    EXPECT_NE(handler->GetJackMenu(), nullptr);
}

class RecordingJackMenuHandler : public CPanelJackMenuHandler {
public:
    CallLog m_log;

protected:
    void EnableMainWindowToolTips(BOOL enable) override { m_log.push_back(L"tooltips " + std::to_wstring(enable)); }
    void ShowMainWindowContent(const std::wstring& content) override { m_log.push_back(L"show " + content); }
};

TEST(JackMenuHandler, SilencesTheMainWindowsTooltipsWhileOpenAndShowsTheChosenContent) {
    RecordingJackMenuHandler menu;
    EXPECT_EQ(menu.GetName(), L"PanelJackMenuHandler");
    menu.OnMenuPopup(L"MenuSpeakers", 1);
    menu.OnMenuCommand(L"MenuSpeakers", 3, L"SpeakerEQ");
    menu.OnMenuPopup(L"MenuSpeakers", 0);
    EXPECT_EQ(menu.m_log, (CallLog{L"tooltips 0", L"show SpeakerEQ", L"tooltips 1"}));
}

// The skin's own device list: every row the handler drives is there, the rows of the present endpoints are
// stacked and the list scrolls, and the current endpoint and the defaults are drawn in the accent.
TEST(DeviceListSkin, TheSkinsListShowsThePresentEndpoints) {
    TestDialog dialog;
    ASSERT_TRUE(OpenDialog(dialog, {40, 40}, 120, 400));
    PaintPanelSurface(dialog, 120, 400);
    DeviceDriver driver;
    TestServices services;
    services.m_driver = &driver;
    CallLog mainLog;
    auto* handler = new TestDeviceListHandler(&mainLog);
    handler->SetServices(&services);
    CxSkinPanel* list = Add<CxSkinPanel>(&dialog, L"PanelDeviceList", {0, 0, 120, 400});
    list->SetListener(handler);
    Add<CxSkinButton>(list, L"ScrollUp", {8, 4, 112, 24});
    CxSkinPanel* icons = Add<CxSkinPanel>(list, L"PanelDeviceIconList", {0, 28, 120, 372});
    Add<CxSkinButton>(list, L"ScrollDown", {8, 376, 112, 396});
    // The main window embeds the rows into the list; here they fill a panel of the list's own.
    CxSkinPanel* rows = Add<CxSkinPanel>(icons, L"", {0, 0, 120, 616});
    ASSERT_TRUE(LoadSkinPanel(L"PanelDeviceListContent.lyt", rows));
    handler->SetWindow(list);
    for (const Row& row : kRows) {
        for (const wchar_t* name : {row.panel, row.icon, row.marker})
            EXPECT_NE(handler->FindControl(name), nullptr) << name;
    }

    for (const wchar_t* present :
         {L"Speaker", L"HeadPhone", L"SPDIFOut", L"MicIn", L"LineIn", L"StereoMix", L"DesktopMic"})
        driver.m_kinds[present] = 1;
    driver.m_currentEndpoint = L"HeadPhone";
    handler->Initialize();
    handler->SetDeviceItemCaption();
    dialog.Update();
    SaveDialogPicture(dialog, L"PanelDeviceList");

    const int step = CPanelDeviceListHandler::GetRowStep();
    EXPECT_GT(step, 48);
    EXPECT_EQ(handler->FindControl(L"PanelHeadPhone")->GetRect().top -
                  handler->FindControl(L"PanelSpeaker")->GetRect().top,
              step);
    EXPECT_FALSE(handler->FindControl(L"PanelHDMI")->IsVisible());
    EXPECT_GT(icons->GetScrollSize(TRUE), 0); // seven rows overflow 344 pixels
    EXPECT_TRUE(handler->FindControl(L"ScrollDown")->IsVisible());
    EXPECT_GT(AccentPixels(dialog, *handler->FindControl(L"MenuHeadPhone")), 20);
    EXPECT_EQ(AccentPixels(dialog, *handler->FindControl(L"MenuSpeakers")), 0);
    EXPECT_GT(AccentPixels(dialog, *handler->FindControl(L"DefaultSpeakers")), 10);
    EXPECT_EQ(AccentPixels(dialog, *handler->FindControl(L"DefaultHeadPhone")), 0);
    EXPECT_EQ(handler->FindControl(L"MenuSpeakers")->GetToolTip(), L"Speakers(Sound Box)");
    dialog.DestroyWindow();
}

} // namespace
