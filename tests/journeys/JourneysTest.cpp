// Journeys through the real program, in the order a user meets it: the welcome prompt over the main window,
// the device list as first drawn, every row opening and writing its own endpoint whatever the click order,
// a jack menu's pages changing the speakers' format with the status panel following, a profile applied
// while a page is shown, the language switched in the settings, hiding to the tray and coming back, and an
// endpoint unplugged and plugged in again. They share one start of the program and run in this order.
#include "JourneyFixture.h"
#include "ScreenPicture.h"
#include "TestPaths.h"
#include "markup/Utf8.h"

#include "app/OvercoatDlg.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <regex>

namespace oc::journey {
namespace {

using namespace std::chrono_literals;

TEST_F(Journey, StartShowsTheWelcomePromptOverTheMainWindowAndItsButtonDismissesIt) {
    std::optional<ProbedWindow> welcome = Program().WaitFor(RunningProgram::Named(L"Dialog_WelcomeMsg"));
    ASSERT_TRUE(welcome) << "no welcome prompt at the first start";
    const ProbedWindow main = Main();
    ASSERT_TRUE(main.hwnd);
    EXPECT_TRUE(::IsWindowVisible(main.hwnd));

    // The main window under the prompt is drawn whole: its picture is opaque inside the rounded corners.
    RECT window{};
    ::GetWindowRect(main.hwnd, &window);
    ASSERT_TRUE(Program().SavePicture(main.hwnd, Pictures() / "start.png"));
    {
        const Picture picture = Picture::FromFile(Pictures() / "start.png");
        ASSERT_TRUE(picture.Loaded());
        const RECT inner{20, 20, window.right - window.left - 20, window.bottom - window.top - 20};
        EXPECT_GT(picture.OpaqueShare(inner), 0.99) << "the main window is not drawn whole";
    }

    ASSERT_TRUE(ClickControl(*welcome, L"BtnExit"));
    EXPECT_TRUE(Eventually([] { return !Program().Find(RunningProgram::Named(L"Dialog_WelcomeMsg")); }))
        << "the welcome prompt stayed open";
    EXPECT_TRUE(::IsWindowVisible(main.hwnd));
}

// As first drawn, before any row was clicked: only the device's endpoints have rows, each inside the list,
// and the default output and input are marked.
TEST_F(Journey, DeviceListShowsOnlyTheDevicesEndpointsWithTheDefaultsMarked) {
    const ProbedWindow main = Main();
    const ProbedControl* list = main.Find(L"PanelDeviceIconList");
    ASSERT_TRUE(list);
    for (const DeviceRow& row : kDeviceRows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.row)));
        const ProbedControl* control = main.Find(row.row);
        ASSERT_TRUE(control);
        const bool present = *row.endpoint != L'\0';
        EXPECT_EQ(control->shown, present);
        if (present) {
            EXPECT_TRUE(control->Inside(list->rect)) << "the row lies outside the list";
        }
    }
    const ProbedControl* defaultOut = main.Find(L"DefaultSpeakers");
    const ProbedControl* defaultIn = main.Find(L"DefaultMicIn");
    ASSERT_TRUE(defaultOut && defaultIn);
    EXPECT_TRUE(defaultOut->Checked()) << "the default output is not marked";
    EXPECT_TRUE(defaultIn->Checked()) << "the default input is not marked";
}

// Clicks the rows in the order given. A row of an endpoint the device lacks must not be shown; when it is
// (a fault), it is clicked all the same, as a user would, so that the rows after it show whether the list
// still follows. Each present row must open its own volume page and its first slider must write its own
// endpoint.
void ClickRowsInOrder(const std::vector<std::wstring>& order) {
    for (const std::wstring& name : order) {
        SCOPED_TRACE(testing::PrintToString(name));
        const DeviceRow& row = RowOf(name);
        ProbedWindow main = Journey::Main();
        const ProbedControl* list = main.Find(L"PanelDeviceIconList");
        const ProbedControl* control = main.Find(name);
        ASSERT_TRUE(list && control);
        const bool present = *row.endpoint != L'\0';
        if (!present) {
            EXPECT_FALSE(control->shown) << "a row for an endpoint the device does not have";
            if (control->shown && control->Inside(list->rect))
                Journey::ClickAt(main, *control);
            continue;
        }
        ASSERT_TRUE(control->shown && control->Inside(list->rect)) << "the row cannot be reached";
        Journey::ClickAt(main, *control);
        const std::wstring header = Journey::Text(row.header);
        main = Journey::MainWhen([&](const ProbedWindow& window) {
            const ProbedControl* title = window.Find(L"TextVolumeHeader");
            return title && title->shown && title->text == header;
        });
        const ProbedControl* title = main.Find(L"TextVolumeHeader");
        ASSERT_TRUE(title) << "no volume page after the click";
        EXPECT_EQ(title->text, header);

        Journey::Device().Send(L"clearlog");
        ASSERT_TRUE(Journey::MoveFirstSlider(main));
        std::vector<std::wstring> writes;
        EXPECT_TRUE(Eventually([&] { return !(writes = Journey::VolumeWriteEndpoints()).empty(); }, 5s))
            << "moving the slider wrote no volume";
        for (const std::wstring& endpoint : writes)
            EXPECT_EQ(endpoint, row.endpoint) << "a volume write landed on another endpoint";
    }
}

TEST_F(Journey, EveryDeviceRowShowsAndWritesItsOwnEndpointInAnyClickOrder) {
    const std::vector<std::vector<std::wstring>> orders = {
        // The list from top to bottom.
        {L"MenuSpeakers", L"MenuSpeakersQuarter", L"MenuHeadPhone", L"MenuHDMI", L"MenuSPDIFOut", L"MenuMicIn",
         L"MenuDesktopMic", L"MenuLineIn", L"MenuSPDIFIn", L"MenuSPDIFInRCA", L"MenuStereoMixer"},
        // Rear speakers, headphones, HDMI, S/PDIF out, microphone, desktop microphone, line in, speakers:
        // the order after which pages once showed and wrote the wrong endpoint.
        {L"MenuSpeakersQuarter", L"MenuHeadPhone", L"MenuHDMI", L"MenuSPDIFOut", L"MenuMicIn", L"MenuDesktopMic",
         L"MenuLineIn", L"MenuSpeakers"},
        // Bottom to top, inputs before outputs, and the same row twice.
        {L"MenuStereoMixer", L"MenuSPDIFIn", L"MenuLineIn", L"MenuLineIn", L"MenuMicIn", L"MenuSPDIFOut",
         L"MenuHeadPhone", L"MenuSpeakers"},
    };
    for (size_t i = 0; i < orders.size(); ++i) {
        SCOPED_TRACE("click order " + std::to_string(i + 1));
        ClickRowsInOrder(orders[i]);
    }
}

// Opens the row's jack menu with a right click and picks the menu row; false when either is missing.
bool OpenJackPage(const std::wstring& row, const std::wstring& page) {
    const ProbedWindow main = Journey::Main();
    const ProbedControl* control = main.Find(row);
    if (!control || !control->shown) {
        ADD_FAILURE() << testing::PrintToString(row) << " is not shown";
        return false;
    }
    Journey::Program().RightClick(main.hwnd, control->Center());
    std::optional<ProbedWindow> menu = Journey::Program().WaitFor(RunningProgram::Holding(page));
    if (!menu) {
        ADD_FAILURE() << "no jack menu with " << testing::PrintToString(page);
        return false;
    }
    Journey::ClickAt(*menu, *menu->Find(page));
    return true;
}

// Waits for a named control of the main window to be shown.
ProbedWindow MainShowing(const std::wstring& name) {
    return Journey::MainWhen([&](const ProbedWindow& window) {
        const ProbedControl* control = window.Find(name);
        return control && control->shown;
    });
}

TEST_F(Journey, ChannelsAndSampleRatePickedOnTheSpeakerPagesShowInTheStatusPanel) {
    ASSERT_TRUE(OpenJackPage(L"MenuSpeakers", L"SpeakerSetting"));
    ProbedWindow main = MainShowing(L"Channels6");
    ASSERT_TRUE(ClickControl(main, L"Channels6"));
    EXPECT_TRUE(Eventually([] { return DeviceValue(L"Speaker", L"DevChannelNumControl") == 6; }))
        << "6 channels did not reach the device";
    main = MainWhen([](const ProbedWindow& window) {
        const ProbedControl* six = window.Find(L"5.1");
        return six && six->enabled;
    });
    const ProbedControl* two = main.Find(L"2");
    const ProbedControl* six = main.Find(L"5.1");
    ASSERT_TRUE(two && six);
    EXPECT_TRUE(six->enabled) << "the status panel does not light 5.1 after 6 channels were chosen";
    EXPECT_FALSE(two->enabled) << "the status panel still lights 2 channels";
    // And as drawn: only the chosen count shows in the accent colour.
    ASSERT_TRUE(Program().SavePicture(main.hwnd, Pictures() / "six-channels.png"));
    {
        const Picture picture = Picture::FromFile(Pictures() / "six-channels.png");
        ASSERT_TRUE(picture.Loaded());
        EXPECT_GT(picture.AccentPixels(InWindow(main.hwnd, six->rect)), 5) << "5.1 is not drawn lit";
        EXPECT_LT(picture.AccentPixels(InWindow(main.hwnd, two->rect)), 3) << "2 is still drawn lit";
    }

    ASSERT_TRUE(OpenJackPage(L"MenuSpeakers", L"SpeakerSamplingRate"));
    main = MainShowing(L"Hz96000");
    ASSERT_TRUE(ClickControl(main, L"Hz96000"));
    EXPECT_TRUE(Eventually([] { return DeviceValue(L"Speaker", L"DevSampleRateControl") == 96000; }))
        << "96 kHz did not reach the device";
    main = MainWhen([](const ProbedWindow& window) {
        const ProbedControl* rate = window.Find(L"KHzVaule");
        return rate && rate->text == L"96";
    });
    const ProbedControl* rate = main.Find(L"KHzVaule");
    ASSERT_TRUE(rate);
    EXPECT_EQ(rate->text, L"96");

    // Back to stereo, as the journeys after this one expect.
    ASSERT_TRUE(OpenJackPage(L"MenuSpeakers", L"SpeakerSetting"));
    main = MainShowing(L"Channels2");
    ASSERT_TRUE(ClickControl(main, L"Channels2"));
    EXPECT_TRUE(Eventually([] { return DeviceValue(L"Speaker", L"DevChannelNumControl") == 2; }));
}

TEST_F(Journey, ProfileAppliedWhileAPageIsShownReachesTheDeviceAndThePage) {
    ASSERT_TRUE(OpenJackPage(L"MenuSpeakers", L"SpeakerEQ"));
    ProbedWindow main = MainShowing(L"BtnEnableEQ");
    ASSERT_TRUE(main.Find(L"Hz30"));
    const std::wstring bandBefore = main.Find(L"Hz30")->state;
    ASSERT_EQ(DeviceValue(L"Speaker", L"EQ_Slider1"), 0) << "the journey expects a flat equalizer";
    ASSERT_TRUE(ClickControl(main, L"PanelSwitchButton"));
    main = MainShowing(L"PanelProfileList");
    const ProbedControl* strip = main.Find(L"PanelProfileList");
    const ProbedControl* game = nullptr;
    for (const ProbedControl& control : main.controls) {
        if (control.text == Text(L"ml_PanelProfile_Item_Game") && control.shown && control.Inside(strip->rect))
            game = &control;
    }
    ASSERT_TRUE(game) << "no Game card in the profile strip";
    ClickAt(main, *game);

    // The profile's speaker equalizer: on, first band +2.
    EXPECT_TRUE(Eventually([] { return DeviceValue(L"Speaker", L"Enable_EQ_GFX") == 1; }))
        << "the profile did not switch the equalizer on";
    EXPECT_EQ(DeviceValue(L"Speaker", L"EQ_Slider1"), 2);
    // The page still shown follows: the switch on and the first band moved up from flat.
    main = MainWhen([&](const ProbedWindow& window) {
        const ProbedControl* band = window.Find(L"Hz30");
        const ProbedControl* enable = window.Find(L"BtnEnableEQ");
        return band && enable && enable->Checked() && band->state != bandBefore;
    });
    const ProbedControl* band = main.Find(L"Hz30");
    const ProbedControl* enable = main.Find(L"BtnEnableEQ");
    ASSERT_TRUE(band && enable) << "the equalizer page went away";
    EXPECT_TRUE(enable->Checked()) << "the shown page does not show the equalizer on";
    EXPECT_NE(band->state, bandBefore) << "the shown page does not show the profile's first band";

    ASSERT_TRUE(ClickControl(main, L"PanelSwitchButton"));
    MainShowing(L"PanelStatus");
}

// The name a culture's language files give it, as the language list shows it.
std::wstring LanguageName(const std::wstring& culture) {
    std::ifstream file(test::ProgramDir() / "lang" / culture / "common.xaml", std::ios::binary);
    const std::wstring text = Utf8ToWide({std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()});
    static const std::wregex name(LR"re(x:Key="LanguageDescription">([^<]+)<)re");
    std::wsmatch match;
    EXPECT_TRUE(std::regex_search(text, match, name)) << "no language name for " << testing::PrintToString(culture);
    return match.empty() ? std::wstring() : match[1].str();
}

// Picks a language in the settings dialog through its drop list, with the keys a user would press, and
// closes the dialog with OK.
void ChooseLanguage(const std::wstring& culture) {
    std::optional<ProbedWindow> settings;
    {
        const ProbedWindow main = Journey::Main();
        ASSERT_TRUE(Journey::ClickControl(main, L"BtnSetting"));
        settings = Journey::Program().WaitFor(RunningProgram::Named(L"Dialog_AppSetting"));
        ASSERT_TRUE(settings) << "the settings dialog did not open";
    }
    const std::wstring wanted = LanguageName(culture);
    for (int step = 0; step < 20; ++step) {
        const ProbedControl* combo = settings->Find(L"MultiLanguage");
        ASSERT_TRUE(combo);
        if (combo->text == wanted)
            break;
        const std::vector<HWND> before = Journey::Program().Windows();
        Journey::ClickAt(*settings, *combo);
        // The drop list: a new skinned window (a tooltip may come up too, but it answers no probe).
        HWND list = nullptr;
        ASSERT_TRUE(Eventually([&] {
            for (HWND window : Journey::Program().Windows()) {
                if (std::find(before.begin(), before.end(), window) == before.end() && Journey::Program().Probe(window))
                    list = window;
            }
            return list != nullptr;
        })) << "the language list did not drop down";
        // Each try goes to the top row and then one row further down than the last.
        for (int up = 0; up < 20; ++up)
            Journey::Program().Key(list, VK_UP);
        for (int down = 0; down < step; ++down)
            Journey::Program().Key(list, VK_DOWN);
        Journey::Program().Key(list, VK_RETURN);
        ASSERT_TRUE(Eventually([&] { return !::IsWindowVisible(list); })) << "Enter left the list open";
        settings = Journey::Program().WaitFor(RunningProgram::Named(L"Dialog_AppSetting"));
        ASSERT_TRUE(settings);
    }
    ASSERT_EQ(settings->Find(L"MultiLanguage")->text, wanted);
    ASSERT_TRUE(Journey::ClickControl(*settings, L"OK"));
    ASSERT_TRUE(Eventually([] { return !Journey::Program().Find(RunningProgram::Named(L"Dialog_AppSetting")); }))
        << "OK left the settings open";
}

TEST_F(Journey, LanguageChosenInTheSettingsRetextsTheMainWindowAtOnce) {
    ProbedWindow main = Main();
    const ProbedWindow start = main;
    const ProbedControl* label = main.Find(L"TextStatusChannels");
    ASSERT_TRUE(label);
    ASSERT_EQ(label->text, Text(L"ml_Status_Channels"));
    const RECT area = InWindow(main.hwnd, label->rect);
    ASSERT_TRUE(Program().SavePicture(main.hwnd, Pictures() / "english.png"));

    ChooseLanguage(L"de-DE");
    const std::wstring german = Text(L"ml_Status_Channels", L"de-DE");
    main = MainWhen([&](const ProbedWindow& window) {
        const ProbedControl* text = window.Find(L"TextStatusChannels");
        return text && text->text == german;
    });
    ASSERT_TRUE(main.Find(L"TextStatusChannels"));
    EXPECT_EQ(main.Find(L"TextStatusChannels")->text, german);
    ASSERT_TRUE(Program().SavePicture(main.hwnd, Pictures() / "german.png"));
    {
        const Picture english = Picture::FromFile(Pictures() / "english.png");
        const Picture deutsch = Picture::FromFile(Pictures() / "german.png");
        ASSERT_TRUE(english.Loaded() && deutsch.Loaded());
        EXPECT_GT(english.MeanDifference(deutsch, area), 2.0) << "the label's pixels did not change";
    }

    ChooseLanguage(L"en-US");
    main = MainWhen([&](const ProbedWindow& window) {
        const ProbedControl* text = window.Find(L"TextStatusChannels");
        return text && text->text == Text(L"ml_Status_Channels");
    });
    EXPECT_EQ(main.Find(L"TextStatusChannels")->text, Text(L"ml_Status_Channels"));
    // Two keys may share a German text ("Abtastrate"): back in English each label reads as it did at start.
    const ProbedWindow english = Main();
    ASSERT_TRUE(english.Find(L"TextStatusRate"));
    EXPECT_EQ(english.Find(L"TextStatusRate")->text, Text(L"ml_Status_SampleRate"));
    for (const ProbedControl& before : start.controls) {
        const ProbedControl* after = english.Find(before.name);
        if (before.shown && before.kind == L"control" && after) {
            EXPECT_EQ(after->text, before.text) << before.name;
        }
    }
}

TEST_F(Journey, ClosingHidesToTheTrayAndTheTrayIconBringsTheSameWindowBack) {
    ProbedWindow main = Main();
    const ProbedControl* frame = main.Find(L"PanelDeviceList");
    ASSERT_TRUE(frame);
    const RECT area = InWindow(main.hwnd, frame->rect);
    // The pointer rests on the title, so that no row is drawn hovered in either picture.
    const POINT rest = main.Find(L"TextMainTitle")->Center();
    Program().MoveMouse(main.hwnd, rest);
    ::Sleep(300);
    ASSERT_TRUE(Program().SavePicture(main.hwnd, Pictures() / "before-tray.png"));

    ASSERT_TRUE(ClickControl(main, L"BtnClose"));
    EXPECT_TRUE(Eventually([&] { return !::IsWindowVisible(main.hwnd); })) << "closing did not hide the window";
    EXPECT_TRUE(Program().IsRunning()) << "closing ended the program instead of hiding it";

    RestoreFromTray();
    EXPECT_TRUE(Eventually([&] { return ::IsWindowVisible(main.hwnd) != FALSE; })) << "the tray did not restore";

    main = Main();
    Program().MoveMouse(main.hwnd, rest);
    ::Sleep(300);
    ASSERT_TRUE(Program().SavePicture(main.hwnd, Pictures() / "after-tray.png"));
    const Picture before = Picture::FromFile(Pictures() / "before-tray.png");
    const Picture after = Picture::FromFile(Pictures() / "after-tray.png");
    ASSERT_TRUE(before.Loaded() && after.Loaded());
    EXPECT_LT(before.MeanDifference(after, area), 4.0) << "the device list looks different after the restore";
}

TEST_F(Journey, UnpluggedEndpointLeavesTheListAndComesBackWritableWhenPluggedIn) {
    ASSERT_EQ(Device().Send(L"plug HeadPhone 0"), L"ok");
    ProbedWindow main = MainWhen([](const ProbedWindow& window) {
        const ProbedControl* row = window.Find(L"MenuHeadPhone");
        return row && !row->shown;
    });
    ASSERT_TRUE(main.Find(L"MenuHeadPhone"));
    EXPECT_FALSE(main.Find(L"MenuHeadPhone")->shown) << "the unplugged headphones keep their row";

    ASSERT_EQ(Device().Send(L"plug HeadPhone 1"), L"ok");
    main = MainShowing(L"MenuHeadPhone");
    const ProbedControl* row = main.Find(L"MenuHeadPhone");
    ASSERT_TRUE(row && row->shown) << "the headphones did not come back";
    ClickAt(main, *row);
    main = MainWhen([](const ProbedWindow& window) {
        const ProbedControl* title = window.Find(L"TextVolumeHeader");
        return title && title->shown && title->text == Text(L"ml_Volume_Header_HeadPhone");
    });
    ASSERT_TRUE(main.Find(L"TextVolumeHeader"));
    Device().Send(L"clearlog");
    ASSERT_TRUE(MoveFirstSlider(main));
    std::vector<std::wstring> writes;
    EXPECT_TRUE(Eventually([&] { return !(writes = VolumeWriteEndpoints()).empty(); }, 5s));
    for (const std::wstring& endpoint : writes)
        EXPECT_EQ(endpoint, L"HeadPhone");
}

} // namespace
} // namespace oc::journey
