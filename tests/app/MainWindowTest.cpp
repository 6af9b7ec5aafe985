// The program's main window as a user meets it: the shipped markup with the handlers it binds, over the
// application object they reach and the simulated device of the assembled program folder. What the window
// shows is checked on its controls and its back buffer, what it does on the device through the simulated
// device's control export.
#include <windows.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HandlerTestSupport.h"
#include "PanelGallery.h"
#include "ShippedDialogFixture.h"
#include "TestPaths.h"
#include "app/AppSettings.h"
#include "app/HandlerFactory.h"
#include "app/MainHandler.h"
#include "app/OvercoatApp.h"
#include "app/OvercoatDlg.h"
#include "app/PanelDeviceListHandler.h"
#include "markup/IProfileController.h"
#include "profiles/PanelProfileHandler.h"
#include "profiles/ProfileCapture.h"
#include "profiles/ProfilePaths.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinPanel.h"
#include "skin/IxSkinSlider.h"
#include "skin/IxSkinTextBox.h"
#include "skin/ItemAnimation.h"
#include "skin/LayerAnimation.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinRadioButton.h"

using namespace oc::test;
namespace fs = std::filesystem;

namespace {

// Pumps for a while, so that what the device announces has reached the window.
void Settle(int ms = 300) {
    PumpFor(ms, 10);
}

class QuietTray : public IMainTray {
public:
    explicit QuietTray(CallLog* log) : m_log(log) {}
    void ShowIcon() override { m_log->push_back(L"tray show"); }
    void HideIcon() override { m_log->push_back(L"tray hide"); }
    void RefreshPopup() override {}
    void ClosePopups() override {}
    CallLog* m_log;
};

// The services of the application object the bound handlers reach themselves.
class ProgramServices : public IHandlerServices {
public:
    IDriverInstance* GetDriver() override { return theApp.GetDriver(); }
    ILytController* GetLytController() override { return theApp.GetLytController(); }
    std::wstring GetSkinFolder() override { return theApp.GetSkinFolder(); }
    std::wstring GetLanguageText(const std::wstring& key) override { return theApp.GetLanguageText(key); }
    std::wstring FindLanguageKey(const std::wstring& text) override { return theApp.FindLanguageKey(text); }
    std::wstring TranslateText(const std::wstring& text) override { return theApp.TranslateText(text); }
    int GetUITransparent() override { return 0; }
};

class MainWindowTest : public ShippedDialogTest {
protected:
    void SetUp() override {
        ::SetEnvironmentVariableW(L"OC_SIM_STATE", (scratch / "device.state").c_str());
        ::SetEnvironmentVariableW(
            L"OC_SIM_PIPE", (L"\\\\.\\pipe\\OvercoatMainWindow" + std::to_wstring(::GetCurrentProcessId())).c_str());
        // The layers zoom and fade as in the program.
        RegisterItemAnimation();
        ASSERT_NO_FATAL_FAILURE(PrepareApplication(theApp));
        ASSERT_EQ(theApp.OpenDevice(), DeviceCheck::Ready);
        settings.m_nUITransparent = 0;
        settings.m_nWelcomeMsg = 0;
        settings.m_nNoiseCancelPrompt = 0;
    }
    void TearDown() override {
        if (dialog && dialog->GetSafeHwnd())
            dialog->DestroyWindow();
        Pump();
        dialog.reset();
        theApp.m_pMainWnd = nullptr;
        theApp.ReleaseDriver();
        theApp.ReleaseLytController();
        SetLayerAnimationFactory(nullptr);
        ::SetEnvironmentVariableW(L"OC_SIM_STATE", nullptr);
        ::SetEnvironmentVariableW(L"OC_SIM_PIPE", nullptr);
    }

    // Opens the main window the way start-up does, with the factory's handlers; the welcome message and
    // the tray icon are recorded instead of shown.
    void Open() {
        dialog = std::make_unique<COvercoatDlg>(theApp, services, &settings);
        dialog->m_createHandler = [this](const std::wstring& name) {
            IHandler* handler = CreateHandler(name);
            if (auto* made = dynamic_cast<CMainHandler*>(handler)) {
                made->SetSettings(&settings);
                main = made;
            }
            return handler;
        };
        dialog->m_makeTray = [this](COvercoatDlg&, const std::wstring&, UINT, HICON) {
            return std::make_unique<QuietTray>(&calls);
        };
        dialog->m_runWelcome = [this](COvercoatDlg&) {
            calls.push_back(L"welcome");
            if (onWelcome)
                onWelcome();
        };
        theApp.m_pMainWnd = dialog.get();
        ASSERT_TRUE(dialog->Create(CDialog::IDD_MAIN));
        ASSERT_NE(main, nullptr);
        dialog->ShowWindow(SW_SHOW);
        Settle();
    }

    CxSkinCtrl* Control(const wchar_t* name) const { return CBaseHandler::FindControlIn(dialog.get(), name); }
    IHandler* HandlerOf(const wchar_t* name) const {
        CxSkinCtrl* control = Control(name);
        return control ? dynamic_cast<IHandler*>(control->GetListener()) : nullptr;
    }
    // The master volume at the bottom: the window's own "SpeakerVol", a slider, not the speakers' page.
    IxSkinSlider* MasterSlider() const {
        for (CLayerWnd* child = dialog->GetFirstChild(); child; child = dialog->GetNextChild(child)) {
            auto* control = dynamic_cast<CxSkinCtrl*>(child);
            if (auto* slider = dynamic_cast<IxSkinSlider*>(control); slider && control->GetName() == L"SpeakerVol")
                return slider;
        }
        return nullptr;
    }
    bool Checked(const wchar_t* name) const {
        auto* button = dynamic_cast<IxSkinButton*>(Control(name));
        return button && button->GetCheck() != 0;
    }
    // A press and release in the middle of a visible control, as the mouse delivers them.
    void Click(const wchar_t* name) {
        CxSkinCtrl* control = Control(name);
        ASSERT_NE(control, nullptr) << name;
        ASSERT_TRUE(control->IsVisible()) << name;
        const RECT r = control->GetRectInHost();
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        const HWND hwnd = dialog->GetSafeHwnd();
        ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, at);
        ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
        Settle(100);
    }
    // The simulated device's answer to a control command.
    static std::wstring Sim(const std::wstring& command) {
        using Control = int32_t (*)(const wchar_t*, wchar_t*, uint32_t);
        auto control = reinterpret_cast<Control>(
            reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"sysTuneLib.dll"), "SimControl")));
        if (!control)
            return L"no control export";
        wchar_t reply[8192] = {};
        control(command.c_str(), reply, 8192);
        return reply;
    }
    // Pixels of the control's area that a full repaint of the window would draw differently: what the last
    // partial redraws left stale.
    int StalePixels(const wchar_t* name) {
        CxSkinCtrl* control = Control(name);
        if (!control)
            return -1;
        const RECT r = control->GetRectInHost();
        std::vector<uint32_t> shown;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x)
                shown.push_back(dialog->GetPixel(x, y));
        }
        dialog->Update();
        int stale = 0;
        size_t i = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x)
                stale += shown[i++] != dialog->GetPixel(x, y) ? 1 : 0;
        }
        return stale;
    }

    TempDir scratch;
    ProgramServices services;
    CAppSettings settings{(scratch / "setting.ini").wstring()};
    CallLog calls;
    std::function<void()> onWelcome;
    CMainHandler* main = nullptr;
    std::unique_ptr<COvercoatDlg> dialog;
};

// The endpoints of the default simulated device in list order, and the ones it lacks.
const wchar_t* const kPresentRows[] = {L"PanelSpeaker", L"PanelHeadPhone", L"PanelSPDIFOut", L"PanelMicIn",
                                       L"PanelLineIn",  L"PanelSPDIFIn",   L"PanelStereoMixer"};
const wchar_t* const kAbsentRows[] = {L"PanelSpeakerQuarter", L"PanelHDMI", L"PanelDesktopMic", L"PanelSPDIFInRCA"};

// From the first frame the list holds only the device's endpoints, stacked and centred in the list, with
// no scroll buttons for rows that fit, the defaults marked: the same list a restore from the tray lays out.
TEST_F(MainWindowTest, TheDeviceListIsLaidOutFromTheFirstFrame) {
    Open();
    const int step = CPanelDeviceListHandler::GetRowStep();
    ASSERT_GT(step, 0);
    const int listHeight = Control(L"PanelDeviceIconList")->GetHeight();
    const int count = static_cast<int>(std::size(kPresentRows));
    int top = (listHeight - count * step) / 2;
    std::vector<RECT> atStart;
    for (const wchar_t* row : kPresentRows) {
        EXPECT_TRUE(Control(row)->IsVisible()) << row;
        EXPECT_EQ(Control(row)->GetRect().top, top) << row;
        atStart.push_back(Control(row)->GetRect());
        top += step;
    }
    for (const wchar_t* row : kAbsentRows)
        EXPECT_FALSE(Control(row)->IsVisible()) << row;
    EXPECT_FALSE(Control(L"ScrollUp")->IsVisible());
    EXPECT_FALSE(Control(L"ScrollDown")->IsVisible());
    EXPECT_TRUE(Checked(L"DefaultSpeakers"));
    EXPECT_TRUE(Checked(L"DefaultMicIn"));
    EXPECT_TRUE(Checked(L"MenuSpeakers")); // the page shown is the speakers'
    EXPECT_EQ(StalePixels(L"PanelDeviceList"), 0);

    dialog->SendMessage(WM_COMMAND, ID_MAIN_HIDE, 0);
    dialog->SendMessage(WM_COMMAND, ID_MAIN_SHOW, 0);
    Settle(100);
    for (size_t i = 0; i < atStart.size(); ++i) {
        const RECT now = Control(kPresentRows[i])->GetRect();
        EXPECT_EQ(now.top, atStart[i].top) << kPresentRows[i];
        EXPECT_EQ(now.bottom, atStart[i].bottom) << kPresentRows[i];
    }
}

// A row whose endpoint the device lacks does nothing when it is clicked: no default changes and no page of
// another endpoint appears. After any order of clicks the page shown, and written, is the selected row's.
TEST_F(MainWindowTest, PagesFollowTheSelectedRowWhateverTheClickOrder) {
    Open();
    auto* list = dynamic_cast<CPanelDeviceListHandler*>(HandlerOf(L"PanelDeviceList"));
    ASSERT_NE(list, nullptr);
    IDriverInstance* driver = theApp.GetDriver();
    const std::wstring before = main->GetCurrentContentName();
    for (const wchar_t* absent : {L"MenuHDMI", L"DefaultSpeakersQuarter", L"MenuDesktopMic"}) {
        list->OnClick(absent);
        EXPECT_EQ(main->GetCurrentContentName(), before) << absent;
        EXPECT_EQ(driver->GetDefaultRenderEndpointName(), L"Speaker") << absent;
        EXPECT_EQ(driver->GetDefaultCaptureEndpointName(), L"MicIn") << absent;
    }

    struct Step {
        const wchar_t* icon;
        const wchar_t* endpoint; // null: the row is not there
    };
    const Step order[] = {
        {L"MenuSpeakersQuarter", nullptr}, {L"MenuHeadPhone", L"HeadPhone"}, {L"MenuHDMI", nullptr},
        {L"MenuSPDIFOut", L"SPDIFOut"},    {L"MenuMicIn", L"MicIn"},         {L"MenuDesktopMic", nullptr},
        {L"MenuLineIn", L"LineIn"},        {L"MenuSpeakers", L"Speaker"},
    };
    for (const Step& step : order) {
        SCOPED_TRACE(step.icon);
        if (!step.endpoint) {
            list->OnClick(step.icon); // hidden: reachable only by a stray call, which must do nothing
            continue;
        }
        Click(step.icon);
        EXPECT_EQ(main->GetCurrentContentName(), std::wstring(step.endpoint) + L"Vol");
        EXPECT_EQ(driver->GetCurrentEndpointName(), step.endpoint);
        EXPECT_TRUE(Checked(step.icon));
    }

    // The speaker page's master slider writes the speakers' volume and nothing else.
    ASSERT_EQ(main->GetCurrentContentName(), L"SpeakerVol");
    auto* page = dynamic_cast<IHandler*>(main->GetCurrentContent()->GetListener());
    ASSERT_NE(page, nullptr);
    Sim(L"clearlog");
    page->OnSliderChanged(L"MasterVol", 90.0f, 0);
    Settle(100);
    const std::wstring log = Sim(L"log");
    EXPECT_NE(log.find(L"write VolumeScalarControl on Speaker"), std::wstring::npos) << log;
    for (const wchar_t* other : {L"on LineIn", L"on MicIn", L"on HeadPhone", L"on SPDIFOut"})
        EXPECT_EQ(log.find(std::wstring(L"write VolumeScalarControl ") + other), std::wstring::npos) << other;
}

// The first start shows the welcome message; the master volume at the bottom shows the device's volume all
// the same, while the message is up and after it.
TEST_F(MainWindowTest, TheMasterVolumeIsRightAtTheFirstStart) {
    settings.m_nWelcomeMsg = 1;
    float whileWelcome = -1.0f;
    onWelcome = [&] {
        if (IxSkinSlider* slider = MasterSlider())
            whileWelcome = slider->GetPos();
    };
    Open();
    ASSERT_EQ(std::count(calls.begin(), calls.end(), L"welcome"), 1);
    const float expected = main->UpdateMasterVolume() * 100.0f;
    EXPECT_GT(expected, 1.0f);
    EXPECT_NEAR(whileWelcome, expected, 0.5f);
    IxSkinSlider* slider = MasterSlider();
    ASSERT_NE(slider, nullptr);
    EXPECT_NEAR(slider->GetPos(), expected, 0.5f);
}

// Choosing six channels on the speaker setup page moves the status panel's lit channel icon, on screen too.
TEST_F(MainWindowTest, TheStatusPanelFollowsAChannelChange) {
    Open();
    main->ShowContent(L"SpeakerSetting", 0);
    Settle(100);
    ASSERT_EQ(main->GetCurrentContentName(), L"SpeakerSetting");
    ASSERT_TRUE(Control(L"2")->IsEnabled(FALSE));
    EXPECT_GT(AccentPixels(*dialog, *Control(L"2")), 0);
    Click(L"Channels6");
    EXPECT_EQ(Sim(L"get Speaker DevChannelNumControl"), L"6");
    EXPECT_FALSE(Control(L"2")->IsEnabled(FALSE));
    EXPECT_TRUE(Control(L"5.1")->IsEnabled(FALSE));
    // What is on screen is what a full repaint draws: the old count is dark, the new one lit.
    for (const wchar_t* icon : {L"2", L"4", L"5.1", L"7.1"})
        EXPECT_EQ(StalePixels(icon), 0) << icon;
    EXPECT_EQ(AccentPixels(*dialog, *Control(L"2")), 0);
    EXPECT_GT(AccentPixels(*dialog, *Control(L"5.1")), 0);
}

// Flipping to the profile strip leaves nothing of the status panel showing through the cards. The strip is
// hidden when the window opens, so its cards are only made when it is first shown.
TEST_F(MainWindowTest, TheProfileStripHidesTheStatusPanel) {
    Open();
    EXPECT_EQ(Control(L"Game*"), nullptr); // a built-in profile's card
    Click(L"PanelSwitchButton");
    EXPECT_EQ(main->GetPanelMode(), CMainHandler::kPanelProfile);
    EXPECT_TRUE(Control(L"PanelProfile")->IsVisible());
    ASSERT_NE(Control(L"Game*"), nullptr);
    EXPECT_TRUE(Control(L"Game*")->IsVisible());
    EXPECT_FALSE(Control(L"PanelStatus")->IsVisible());
    EXPECT_EQ(StalePixels(L"PanelProfile"), 0);
    Click(L"PanelSwitchButton");
    EXPECT_EQ(main->GetPanelMode(), CMainHandler::kPanelStatus);
    EXPECT_EQ(StalePixels(L"PanelStatus"), 0);
}

// The bottom bar's noise-cancellation switch shows the device's state when the microphone's page turns it
// on, so that the next click on it turns it off.
TEST_F(MainWindowTest, TheNoiseCancellationSwitchFollowsTheDevice) {
    Open();
    ASSERT_TRUE(Control(L"EnableENC")->IsVisible());
    ASSERT_EQ(Sim(L"get MicIn Enable_ENC_LFX"), L"0");
    EXPECT_FALSE(Checked(L"EnableENC"));
    main->ShowContent(L"MicInENC", 0);
    Settle(100);
    Click(L"BtnEnableENC");
    ASSERT_EQ(Sim(L"get MicIn Enable_ENC_LFX"), L"1");
    EXPECT_TRUE(Checked(L"EnableENC"));

    Click(L"EnableENC");
    EXPECT_EQ(Sim(L"get MicIn Enable_ENC_LFX"), L"0");
    EXPECT_FALSE(Checked(L"EnableENC"));
}

// A card added through the add dialog stands in the row exactly like the cards listed at start, from the
// moment it appears.
TEST_F(MainWindowTest, AnAddedProfileCardLinesUpWithTheListedCards) {
    Open();
    auto* strip = dynamic_cast<CPanelProfileHandler*>(HandlerOf(L"PanelProfile"));
    ASSERT_NE(strip, nullptr);
    // The user's profiles go to the test's own data folder; the built-in ones are the program's.
    strip->SetFolders(ProgramDir().wstring() + L"\\", scratch.Path().wstring() + L"\\");
    Click(L"PanelSwitchButton");
    ASSERT_NE(Control(L"Game*"), nullptr);
    const RECT listed = Control(L"Game*")->GetRectInHost();

    std::vector<std::wstring> warnings;
    strip->SetMessageBoxRunner([&](const std::wstring& text, const std::wstring&, UINT) {
        warnings.push_back(text);
        return IDOK;
    });
    // What the add dialog leaves when it saves: the settings of the device as they are, and the list item
    // made from the program's template.
    strip->SetDialogRunner([&](CUIDialog& adding) {
        const fs::path folder = scratch / "Profile" / "Speaker";
        fs::create_directories(folder);
        fs::copy_file(ProgramDir() / "profile" / "UserDefineFormwork.lyt", folder / "Late night.lyt");
        CProfileCapture capture(*theApp.GetDriver(), *GetProfileController());
        EXPECT_NE(capture.WriteProfileObject((folder / "Late night.profile").wstring()), 0);
        adding.SetControlName(L"AddingFile", L"Late night");
        return INT_PTR{IDYES};
    });
    Click(L"AddProfile");
    ASSERT_TRUE(warnings.empty()) << "the add dialog did not open";
    const std::wstring key = GetProfileTitle((scratch / "Profile" / "Speaker" / "Late night.lyt").wstring(), 0);
    CxSkinCtrl* added = Control(key.c_str());
    ASSERT_NE(added, nullptr) << "no card for " << std::string(key.begin(), key.end());
    ASSERT_TRUE(added->IsVisible());
    const RECT placed = added->GetRectInHost();
    EXPECT_EQ(placed.top, listed.top);
    EXPECT_EQ(placed.bottom, listed.bottom);
    EXPECT_EQ(StalePixels(L"PanelProfile"), 0);
}

// The main window over the device with every endpoint: ten rows, more than the list shows at once.
class OverflowingListTest : public MainWindowTest {
protected:
    void SetUp() override {
        ::SetEnvironmentVariableW(L"OC_SIM_SCENARIO", L"every-page");
        MainWindowTest::SetUp();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        ::SetEnvironmentVariableW(L"OC_SIM_SCENARIO", nullptr);
    }

    using Picture = std::vector<uint32_t>;

    IxSkinPanel* List() const { return dynamic_cast<IxSkinPanel*>(Control(L"PanelDeviceIconList")); }
    RECT Viewport() const { return Control(L"PanelDeviceIconList")->GetRectInHost(); }
    // The back buffer as the next present shows it, row by row.
    Picture Take() const {
        Picture picture;
        for (int y = 0; y < dialog->GetSurfaceHeight(); ++y) {
            for (int x = 0; x < dialog->GetSurfaceWidth(); ++x)
                picture.push_back(dialog->GetPixel(x, y));
        }
        return picture;
    }
    // Pixels outside the list's viewport that differ between two pictures by more than a few steps in a
    // channel.
    int DifferOutsideTheList(const Picture& a, const Picture& b) const {
        const RECT viewport = Viewport();
        const int width = dialog->GetSurfaceWidth();
        int differing = 0;
        for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
            const POINT at{static_cast<LONG>(i % width), static_cast<LONG>(i / width)};
            if (::PtInRect(&viewport, at))
                continue;
            for (int shift = 0; shift < 32; shift += 8) {
                const int ca = (a[i] >> shift) & 0xFF, cb = (b[i] >> shift) & 0xFF;
                if (std::abs(ca - cb) > 8) {
                    ++differing;
                    break;
                }
            }
        }
        return differing;
    }
    // What the rows left outside the list: the window as it is against the same window painted whole
    // without them.
    int RowPixelsOutsideTheList() {
        CxSkinCtrl* list = Control(L"PanelDeviceIconList");
        const Picture shown = Take();
        list->SetVisible(FALSE, FALSE);
        dialog->Update();
        const Picture bare = Take();
        list->SetVisible(TRUE, FALSE);
        dialog->Update();
        return DifferOutsideTheList(shown, bare);
    }

    void Send(UINT message, WPARAM wParam, POINT client) {
        ::SendMessageW(dialog->GetSafeHwnd(), message, wParam, MAKELPARAM(client.x, client.y));
    }
    // The pointer rests left of the device list, where nothing of the window answers it.
    void Park() {
        Send(WM_MOUSEMOVE, 0, {2, 300});
        Settle(50);
    }
    // One notch of the wheel at a point of the window; towards the user (down) pages on.
    void Wheel(POINT client, bool down) {
        POINT screen = client;
        ::ClientToScreen(dialog->GetSafeHwnd(), &screen);
        ::SendMessageW(dialog->GetSafeHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, down ? -WHEEL_DELTA : WHEEL_DELTA),
                       MAKELPARAM(screen.x, screen.y));
        Settle(50);
    }
    POINT ListCentre() const {
        const RECT v = Viewport();
        return {(v.left + v.right) / 2, (v.top + v.bottom) / 2};
    }
    // Scrolls to one end of the list with the arrow buttons or the wheel, the pointer parked afterwards.
    void ScrollToEnd(bool down, bool wheel) {
        for (int i = 0; i < 10; ++i) {
            const int position = List()->GetScrollPos(TRUE);
            if (position == (down ? List()->GetScrollSize(TRUE) : 0))
                break;
            if (wheel)
                Wheel(ListCentre(), down);
            else
                Click(down ? L"ScrollDown" : L"ScrollUp");
        }
        Park();
    }
    // The visible rows of the list, top to bottom: the row panels of the list's content.
    std::vector<CxSkinCtrl*> Rows() const {
        std::vector<CxSkinCtrl*> rows;
        for (const auto& [panel, icon] : kRowIcons) {
            CxSkinCtrl* row = Control(panel);
            if (row && row->IsVisible())
                rows.push_back(row);
        }
        std::sort(rows.begin(), rows.end(),
                  [](CxSkinCtrl* a, CxSkinCtrl* b) { return a->GetRectInHost().top < b->GetRectInHost().top; });
        return rows;
    }
    // The row whose icon is selected: the endpoint whose page shows.
    CxSkinCtrl* SelectedRow() const {
        for (const auto& [panel, icon] : kRowIcons) {
            if (Checked(icon) && Control(panel)->IsVisible())
                return Control(panel);
        }
        return nullptr;
    }
    bool InView(CxSkinCtrl* row) const {
        const RECT r = row->GetRectInHost(), v = Viewport();
        return r.top >= v.top && r.bottom <= v.bottom;
    }

    struct RowIcon {
        const wchar_t* panel;
        const wchar_t* icon;
    };
    static constexpr RowIcon kRowIcons[] = {
        {L"PanelSpeaker", L"MenuSpeakers"},        {L"PanelSpeakerQuarter", L"MenuSpeakersQuarter"},
        {L"PanelHeadPhone", L"MenuHeadPhone"},     {L"PanelHDMI", L"MenuHDMI"},
        {L"PanelSPDIFOut", L"MenuSPDIFOut"},       {L"PanelMicIn", L"MenuMicIn"},
        {L"PanelDesktopMic", L"MenuDesktopMic"},   {L"PanelLineIn", L"MenuLineIn"},
        {L"PanelSPDIFIn", L"MenuSPDIFIn"},         {L"PanelSPDIFInRCA", L"MenuSPDIFInRCA"},
        {L"PanelStereoMixer", L"MenuStereoMixer"},
    };
};

// Rows are painted only inside the list's viewport: not over the title bar, the window icon and the
// "Devices" label above it, nor over the down arrow and past the panel's edge below it, whether the list
// rests, is scrolled by the arrows or by the wheel, or comes back.
TEST_F(OverflowingListTest, RowsArePaintedOnlyInsideTheListWhereverItIsScrolled) {
    Open();
    ASSERT_TRUE(Control(L"ScrollDown")->IsVisible()) << "ten rows should overflow the list";
    ASSERT_GT(List()->GetScrollSize(TRUE), 0);
    Park();
    EXPECT_EQ(RowPixelsOutsideTheList(), 0) << "at rest";
    const Picture atRest = Take();
    for (const bool wheel : {false, true}) {
        SCOPED_TRACE(wheel ? "wheel" : "arrows");
        ScrollToEnd(true, wheel);
        EXPECT_EQ(List()->GetScrollPos(TRUE), List()->GetScrollSize(TRUE));
        ScrollToEnd(false, wheel);
        EXPECT_EQ(List()->GetScrollPos(TRUE), 0);
        EXPECT_EQ(DifferOutsideTheList(atRest, Take()), 0) << "down and back again";
        ScrollToEnd(true, wheel);
        EXPECT_EQ(RowPixelsOutsideTheList(), 0) << "scrolled to the end";
        ScrollToEnd(false, wheel);
    }
}

// The hover highlight is on whatever lies under the pointer: after the wheel scrolls the list under a
// still pointer, the row now there is hot and the one that moved away is not.
TEST_F(OverflowingListTest, HoverFollowsThePointerWhenTheListScrollsUnderIt) {
    Open();
    // A point on the icon of the last row shown whole at rest.
    CxSkinCtrl* lastShown = nullptr;
    for (CxSkinCtrl* row : Rows()) {
        if (InView(row))
            lastShown = row;
    }
    ASSERT_NE(lastShown, nullptr);
    const RECT icon = dynamic_cast<CxSkinCtrl*>(lastShown->GetFirstChild())->GetRectInHost();
    const POINT at{(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2};
    Send(WM_MOUSEMOVE, 0, at);
    Settle(50);
    for (const bool down : {true, false}) {
        SCOPED_TRACE(down ? "down" : "up");
        CLayerWnd* before = dialog->LayerFromPoint(at);
        ASSERT_NE(before, nullptr);
        ASSERT_TRUE(before->IsHovered());
        Wheel(at, down);
        CLayerWnd* now = dialog->LayerFromPoint(at);
        ASSERT_NE(now, nullptr);
        ASSERT_NE(now, before) << "the wheel did not move the list";
        EXPECT_TRUE(now->IsHovered());
        EXPECT_EQ(dialog->GetHoveredLayer(), now);
        EXPECT_FALSE(before->IsHovered());
    }
}

// A plug or an unplug lays the list out again: the position stays within the new scroll range (no empty
// slot at the end), the selected row is in view, and nothing of the old layout stays painted.
TEST_F(OverflowingListTest, AfterAPlugOrUnplugTheSelectedRowIsInViewWithNoEmptySlot) {
    Open();
    struct Step {
        bool scrollDown;       // where the list is scrolled before the selection
        bool selectLast;       // the last row shown is selected, else the first
        bool scrollAway;       // the list is scrolled to the other end after the selection
        const wchar_t* device; // the simulated device's command
    };
    const Step steps[] = {
        {true, true, false, L"plug HeadPhone 0"},
        {true, true, false, L"plug HeadPhone 1"},
        {false, false, true, L"plug LineIn 0"},
        {false, false, true, L"plug LineIn 1"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.device);
        ScrollToEnd(step.scrollDown, false);
        std::vector<CxSkinCtrl*> shown;
        for (CxSkinCtrl* row : Rows()) {
            if (InView(row))
                shown.push_back(row);
        }
        ASSERT_FALSE(shown.empty());
        CxSkinCtrl* chosen = step.selectLast ? shown.back() : shown.front();
        Click(dynamic_cast<CxSkinCtrl*>(chosen->GetFirstChild())->GetName().c_str());
        ASSERT_EQ(SelectedRow(), chosen);
        if (step.scrollAway)
            ScrollToEnd(!step.scrollDown, false);
        const size_t rowsBefore = Rows().size();
        ASSERT_EQ(Sim(step.device), L"ok");
        ASSERT_TRUE(PumpUntil([&] { return Rows().size() != rowsBefore; }, 5000)) << "the list did not follow";
        Settle(100);
        CxSkinCtrl* selected = SelectedRow();
        ASSERT_NE(selected, nullptr);
        EXPECT_LE(List()->GetScrollPos(TRUE), List()->GetScrollSize(TRUE)) << "an empty slot ends the list";
        EXPECT_TRUE(InView(selected)) << "the selected row is out of view";
        EXPECT_EQ(StalePixels(L"PanelDeviceList"), 0);
        EXPECT_EQ(RowPixelsOutsideTheList(), 0);
    }
}

// The main window over another set-up of the simulated device.
class MainWindowOnScenario : public MainWindowTest {
protected:
    void OpenOn(const wchar_t* scenario) {
        // The device opened by the fixture goes; the one of the scenario comes up in its place.
        theApp.ReleaseDriver();
        ::SetEnvironmentVariableW(L"OC_SIM_SCENARIO", scenario);
        ASSERT_EQ(theApp.OpenDevice(), DeviceCheck::Ready);
        Open();
        main->ShowContent(L"SpeakerVol", 0);
        Settle(100);
        ASSERT_EQ(main->GetCurrentContentName(), L"SpeakerVol");
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        ::SetEnvironmentVariableW(L"OC_SIM_SCENARIO", nullptr);
    }
    IHandler* SpeakerPage() const { return dynamic_cast<IHandler*>(main->GetCurrentContent()->GetListener()); }
    IxSkinSlider* Slider(const wchar_t* name) const { return dynamic_cast<IxSkinSlider*>(Control(name)); }
    bool Enabled(const wchar_t* name) const { return Control(name) && Control(name)->IsEnabled(FALSE); }
};

// A device without the headphone/RCA choice offers neither radio. A click that reaches the page all the same
// (its write fails) leaves neither shown as chosen.
TEST_F(MainWindowOnScenario, AnOutputChoiceTheDeviceLacksIsNotOffered) {
    ASSERT_NO_FATAL_FAILURE(OpenOn(L"minimal"));
    const wchar_t* radios[] = {L"BtnDeviceSpecificControlHP", L"BtnDeviceSpecificControlRCA"};
    for (const wchar_t* radio : radios) {
        EXPECT_FALSE(Enabled(radio)) << radio;
        EXPECT_FALSE(Checked(radio)) << radio;
    }
    // The labels beside the level: the radios' redraw after the refused write must not draw them again over
    // themselves (their anti-aliased edges would thicken into bold).
    const auto labels = [this] {
        std::vector<uint32_t> pixels;
        for (const wchar_t* name : {L"MasterTB", L"MasterdBTB"}) {
            const RECT area = Control(name)->GetRectInHost();
            for (int y = area.top; y < area.bottom; ++y)
                for (int x = area.left; x < area.right; ++x)
                    pixels.push_back(dialog->GetPixel(x, y));
        }
        return pixels;
    };
    Settle(100);
    const std::vector<uint32_t> before = labels();
    Click(L"BtnDeviceSpecificControlRCA");
    auto* rca = dynamic_cast<CxSkinRadioButton*>(Control(L"BtnDeviceSpecificControlRCA"));
    ASSERT_NE(rca, nullptr);
    rca->Select(TRUE); // as a click on an enabled radio does before the page hears of it
    SpeakerPage()->OnClick(L"BtnDeviceSpecificControlRCA");
    Settle(100);
    for (const wchar_t* radio : radios)
        EXPECT_FALSE(Checked(radio)) << radio;
    const std::vector<uint32_t> after = labels();
    ASSERT_EQ(after.size(), before.size());
    const auto samePixel = [](uint32_t a, uint32_t b) {
        for (int shift = 0; shift < 32; shift += 8) {
            if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 8)
                return false;
        }
        return true;
    };
    int changed = 0;
    for (size_t i = 0; i < before.size(); ++i)
        changed += samePixel(before[i], after[i]) ? 0 : 1;
    EXPECT_EQ(changed, 0) << "\"Master\" and \"dB\" drawn differently after the radios' redraw";
}

// A level the device does not report greys its slider with the knob at the bottom, and a drag the device
// refuses ends there too, not where the knob was dropped.
TEST_F(MainWindowOnScenario, ALevelTheDeviceCannotReportOrSetShowsNoLevel) {
    ASSERT_NO_FATAL_FAILURE(OpenOn(L"partly-supported"));
    IxSkinSlider* master = Slider(L"MasterVol");
    ASSERT_NE(master, nullptr);
    EXPECT_FALSE(Enabled(L"MasterVol"));
    EXPECT_NEAR(master->GetPos(), 0.0f, 0.5f);
    master->SetPos(70.0f, FALSE); // where a drag dropped the knob
    Sim(L"clearlog");
    SpeakerPage()->OnSliderChanged(L"MasterVol", 70.0f, 1);
    EXPECT_NEAR(master->GetPos(), 0.0f, 0.5f);
    EXPECT_FALSE(Enabled(L"MasterVol"));
    // Nor does a channel's move write silence to the master level it could not read.
    SpeakerPage()->OnSliderChanged(L"FrontLeft", 40.0f, 1);
    EXPECT_NEAR(Slider(L"FrontLeft")->GetPos(), 0.0f, 0.5f);
    const std::wstring log = Sim(L"log");
    EXPECT_EQ(log.find(L"VolumeScalarControl on Speaker = 0"), std::wstring::npos) << log;
}

// A volume that becomes unreadable shows "--" and takes the knobs with it: none stays at a level the device
// no longer reports.
TEST_F(MainWindowOnScenario, AVolumeThatTurnsUnreadableLeavesNoKnobBehind) {
    ASSERT_NO_FATAL_FAILURE(OpenOn(L"default"));
    IxSkinSlider* master = Slider(L"MasterVol");
    ASSERT_NE(master, nullptr);
    ASSERT_TRUE(Enabled(L"MasterVol"));
    ASSERT_GT(master->GetPos(), 1.0f);
    ASSERT_EQ(Sim(L"fail Speaker VolumeScalarControl 1"), L"ok");
    ASSERT_EQ(Sim(L"fail Speaker VolumeControl 1"), L"ok");
    SpeakerPage()->InitControls();
    auto* masterdB = dynamic_cast<IxSkinTextBox*>(Control(L"MasterdB"));
    ASSERT_NE(masterdB, nullptr);
    EXPECT_EQ(masterdB->GetText(), L"--");
    for (const wchar_t* slider : {L"MasterVol", L"FrontLeft", L"FrontRight"}) {
        EXPECT_FALSE(Enabled(slider)) << slider;
        EXPECT_NEAR(Slider(slider)->GetPos(), 0.0f, 0.5f) << slider;
    }
    ASSERT_EQ(Sim(L"fail Speaker VolumeScalarControl 0"), L"ok");
    ASSERT_EQ(Sim(L"fail Speaker VolumeControl 0"), L"ok");
    SpeakerPage()->InitControls();
    EXPECT_TRUE(Enabled(L"MasterVol"));
    EXPECT_GT(master->GetPos(), 1.0f);
}


} // namespace
