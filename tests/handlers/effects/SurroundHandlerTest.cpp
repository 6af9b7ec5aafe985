// The surround speakers and up-mix pages on their shipped markup: what they show of the device, what their
// switches, sliders and mode buttons write, the speaker test through the real player, and the drawn pages.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "../TonePageFixture.h"
#include "SkinTestSupport.h"
#include "app/SoundPlayer.h"
#include "handlers/effects/SpacelineHandler.h"
#include "handlers/effects/VimoSurroundSpeakersHandler.h"
#include "skin/LayerDialog.h"

using namespace oc::test;
namespace fs = std::filesystem;

namespace {

using Log = std::vector<std::wstring>;

// Records the test waves the player starts and stops as "play <channel>" and "stop".
class SurroundDriver : public ToneDriver {
public:
    bool PlayTestSound(const std::wstring&, int32_t channel) override {
        m_sounds.push_back(L"play " + std::to_wstring(channel));
        return true;
    }
    bool StopTestSound(bool) override {
        m_sounds.push_back(L"stop");
        return true;
    }
    bool CloseTestSound() override { return true; }

    Log m_sounds;
};

// The main window's handler with the real speaker-test player behind it.
class PlayerMainHandler : public RecordingMainHandler {
public:
    ISoundPlayer* GetSoundPlayer() override { return &m_soundPlayer; }
    CSoundPlayer m_soundPlayer;
};

class SurroundPageTest : public TonePageTest {
protected:
    void SetUp() override {
        TonePageTest::SetUp();
        services.m_driver = &surround;
        dialog.SetListener(&playerMain);
        waves = fs::temp_directory_path() / ("oc_surround_waves_" + std::to_string(::GetCurrentProcessId()));
        fs::create_directories(waves);
        for (const char* name : {"L-Front.wav", "R-Front.wav", "L-BackSurround.wav", "R-BackSurround.wav", "Center.wav",
                                 "Subwoofer.wav", "L-Surround.wav", "R-Surround.wav"})
            std::ofstream(waves / name) << "RIFF";
        playerMain.m_soundPlayer.SetDriver(&surround);
        playerMain.m_soundPlayer.SetWaveFolder(waves.wstring() + L"\\");
        CSpacelineHandler::ResetSharedFlag();
    }
    void TearDown() override {
        playerMain.m_soundPlayer.SetListener(nullptr);
        TonePageTest::TearDown();
        std::error_code ignored;
        fs::remove_all(waves, ignored);
    }

    // A device whose surround speakers run with everything readable.
    void PutSurroundOn() {
        surround.PutCached(L"DevChannelNumControl", 2);
        surround.PutCached(L"Enable_KESTAL_HPSPK_LFX", 1);
        surround.PutCached(L"KESTAL_HPSPK_USEHP", 0);
        surround.PutCached(L"Enable_Channel_COPY_LFX", 1);
        surround.PutCached(L"KESTAL_HPSPK_SFX", 40);
        surround.PutCached(L"KESTAL_HPSPK_SPKANGLE", 4);
        surround.PutCached(L"KESTAL_HPSPK_MODE", 1);
    }
    CVimoSurroundSpeakersHandler* OpenSurround(const std::wstring& panel = L"SpeakerVimoSurroundSpeakers") {
        return Open(panel, new CSpeakerVimoSurroundSpeakersHandler);
    }
    void ClearLogs() {
        surround.m_writes.clear();
        surround.m_sounds.clear();
        playerMain.m_announced.clear();
    }
    bool Visible(const std::wstring& name) const {
        CxSkinCtrl* control = Control(name);
        return control && control->IsVisible();
    }

    SurroundDriver surround;
    PlayerMainHandler playerMain;
    fs::path waves;
};

const wchar_t* const kGatedControls[] = {L"VimoSurroundSpeakers_ChannelCopySF",
                                         L"Diagram",
                                         L"Vimo_Logo_BW",
                                         L"VimoSurroundSpeakers_Sound_Field_Expansion",
                                         L"VimoSurroundSpeakers_Speaker_Angle",
                                         L"Tick1",
                                         L"Tick7",
                                         L"VimoSurroundSpeakers_Narrow",
                                         L"VimoSurroundSpeakers_Wide",
                                         L"Angle5",
                                         L"Angle30",
                                         L"ChannelCopy",
                                         L"SFExpansion",
                                         L"SPKAngle",
                                         L"BtnVimoMusic",
                                         L"BtnVimoMovie_Text"};

TEST(SurroundSpeakerTable, ImagesIndexesAndAngles) {
    const wchar_t* const images[] = {L"ImgLF",     L"ImgRF",     L"ImgLB", L"ImgRB",
                                     L"ImgCenter", L"ImgWoofer", L"ImgLS", L"ImgRS"};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(CVimoSurroundSpeakersHandler::SpeakerIndexFromImage(images[i]), i);
        EXPECT_EQ(CVimoSurroundSpeakersHandler::ImageFromSpeakerIndex(i), images[i]);
    }
    EXPECT_EQ(CVimoSurroundSpeakersHandler::SpeakerIndexFromImage(L"ImgTop"), 0);
    EXPECT_EQ(CVimoSurroundSpeakersHandler::ImageFromSpeakerIndex(8), L"");
    EXPECT_EQ(CVimoSurroundSpeakersHandler::ImageFromSpeakerIndex(-1), L"");
    const float degrees[] = {5, 10, 15, 20, 30};
    for (uint32_t index = 0; index < 5; ++index)
        EXPECT_FLOAT_EQ(CVimoSurroundSpeakersHandler::AngleIndexToDegrees(index), degrees[index]);
}

// What the page shows of the device: the switch is the speakers' only while the headphone does not hold it,
// the mode row goes when the mode cannot be read, and a device that is not stereo greys the page.
TEST_F(SurroundPageTest, PageShowsTheDeviceState) {
    PutSurroundOn();
    auto* handler = OpenSurround();
    EXPECT_EQ(Check(L"BtnEnableVimoSurroundSpeakers"), 1);
    EXPECT_TRUE(Visible(L"Speaker_Diagram_On"));
    EXPECT_FALSE(Visible(L"Speaker_Diagram_Off"));
    EXPECT_EQ(Check(L"ChannelCopy"), 1);
    EXPECT_FLOAT_EQ(Pos(L"SFExpansion"), 40.0f);
    EXPECT_FLOAT_EQ(Pos(L"SPKAngle"), 30.0f);
    EXPECT_FLOAT_EQ(handler->GetSpeakerAngleField(), 30.0f);
    for (const wchar_t* name : kGatedControls)
        EXPECT_TRUE(Enabled(name)) << std::string(name, name + wcslen(name));
    EXPECT_EQ(Check(L"BtnVimoMusic"), 0);
    EXPECT_EQ(Check(L"BtnVimoMovie"), 1);
    EXPECT_FALSE(Visible(L"WarningContent"));
    EXPECT_TRUE(Control(L"GreyMainContent")->IsEnabled(FALSE));
    delete page->GetOwner();

    // The headphone holds the shared switch: the speakers' effect is off.
    surround.PutCached(L"KESTAL_HPSPK_USEHP", 1);
    surround.m_unreadable = {L"KESTAL_HPSPK_MODE"};
    surround.PutCached(L"DevChannelNumControl", 6);
    handler = OpenSurround(L"HeadPhoneVimoSurroundSpeakers");
    EXPECT_EQ(handler->GetEnableField(), 0u);
    EXPECT_EQ(Check(L"BtnEnableVimoSurroundSpeakers"), 0);
    EXPECT_FALSE(Visible(L"Speaker_Diagram_On"));
    EXPECT_TRUE(Visible(L"Speaker_Diagram_Off"));
    for (const wchar_t* name : {L"ChannelCopy", L"SFExpansion", L"SPKAngle", L"Diagram", L"Angle20", L"Tick4"})
        EXPECT_FALSE(Enabled(name)) << std::string(name, name + wcslen(name));
    for (const wchar_t* name : {L"BtnVimoMusic", L"BtnVimoMusic_Text", L"BtnVimoMovie", L"BtnVimoMovie_Text"})
        EXPECT_FALSE(Visible(name));
    EXPECT_TRUE(Visible(L"WarningContent"));
    EXPECT_FALSE(Control(L"GreyMainContent")->IsEnabled(FALSE));
}

// Switching on writes the switch, then the exclusions, then gives the effect to the speakers; switching off
// clears the speaker test marks. A refused switch writes nothing else and announces nothing.
TEST_F(SurroundPageTest, SwitchWritesTheEffectAndItsExclusions) {
    PutSurroundOn();
    surround.PutCached(L"Enable_KESTAL_HPSPK_LFX", 0);
    surround.PutCached(L"Enable_SS_LFX", 0);
    auto* handler = OpenSurround();
    ClearLogs();
    Click(L"BtnEnableVimoSurroundSpeakers");
    EXPECT_EQ(surround.m_writes, (Log{L"Enable_KESTAL_HPSPK_LFX=1/1", L"Enable_DHDVS_LFX=0/1",
                                      L"Enable_SURRSENS_LFX=0/1", L"GFSControl=0/1", L"KESTAL_HPSPK_USEHP=0/1"}));
    ASSERT_GE(playerMain.m_announced.size(), 3u);
    EXPECT_EQ(Log(playerMain.m_announced.end() - 3, playerMain.m_announced.end()),
              (Log{L"Enable_KESTAL_HPSPK_LFX 1", L"KESTAL_HPSPK_USEHP 1", L"Enable_Channel_COPY_LFX 1"}));
    EXPECT_EQ(Check(L"BtnEnableVimoSurroundSpeakers"), 1);
    EXPECT_TRUE(Enabled(L"SPKAngle"));

    dynamic_cast<IxSkinButton*>(Control(L"ImgRS"))->SetCheck(1, FALSE);
    dynamic_cast<IxSkinButton*>(Control(L"BtnSpeakerTest"))->SetCheck(1, FALSE);
    ClearLogs();
    Click(L"BtnEnableVimoSurroundSpeakers");
    EXPECT_EQ(surround.m_writes,
              (Log{L"Enable_KESTAL_HPSPK_LFX=0/1", L"GFSControl=0/1", L"Enable_Channel_COPY_LFX=0/1"}));
    EXPECT_EQ(Check(L"ImgRS"), 0);
    EXPECT_EQ(Check(L"BtnSpeakerTest"), 0);
    EXPECT_FALSE(Enabled(L"SPKAngle"));

    surround.m_refused = {L"Enable_KESTAL_HPSPK_LFX"};
    ClearLogs();
    EXPECT_EQ(handler->SetEnable(), 0);
    EXPECT_EQ(surround.m_writes, Log{L"Enable_KESTAL_HPSPK_LFX=1/1"});
    EXPECT_TRUE(playerMain.m_announced.empty());
    EXPECT_EQ(handler->GetEnableField(), 1u) << "the inverted flag stays until the next read";
}

// Sliders, channel copy and mode: what each writes and announces, and what a refused write keeps.
TEST_F(SurroundPageTest, SettingsWriteTheirKeys) {
    PutSurroundOn();
    auto* handler = OpenSurround();
    struct Case {
        const wchar_t* control;
        float position; // sliders only
        const wchar_t* written;
        const wchar_t* announced;
    };
    const Case cases[] = {
        {L"SFExpansion", 42.7f, L"KESTAL_HPSPK_SFX=42/1", L"KESTAL_HPSPK_SFX 0"},
        {L"SPKAngle", 5.0f, L"KESTAL_HPSPK_SPKANGLE=0/1", L"KESTAL_HPSPK_SPKANGLE 0"},
        {L"SPKAngle", 10.0f, L"KESTAL_HPSPK_SPKANGLE=1/1", L"KESTAL_HPSPK_SPKANGLE 0"},
        {L"SPKAngle", 15.0f, L"KESTAL_HPSPK_SPKANGLE=2/1", L"KESTAL_HPSPK_SPKANGLE 0"},
        {L"SPKAngle", 20.0f, L"KESTAL_HPSPK_SPKANGLE=3/1", L"KESTAL_HPSPK_SPKANGLE 0"},
        {L"SPKAngle", 25.0f, L"KESTAL_HPSPK_SPKANGLE=4/1", L"KESTAL_HPSPK_SPKANGLE 0"},
        {L"SPKAngle", 30.0f, L"KESTAL_HPSPK_SPKANGLE=4/1", L"KESTAL_HPSPK_SPKANGLE 0"},
        {L"ChannelCopy", 0, L"Enable_Channel_COPY_LFX=0/1", L"Enable_Channel_COPY_LFX 1"},
        {L"BtnVimoMusic", 0, L"KESTAL_HPSPK_MODE=0/1", L"KESTAL_HPSPK_MODE 0"},
        {L"BtnVimoMovie", 0, L"KESTAL_HPSPK_MODE=1/1", L"KESTAL_HPSPK_MODE 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::wstring(c.control) + L" " + std::to_wstring(c.position));
        ClearLogs();
        const bool slider = dynamic_cast<IxSkinSlider*>(Control(c.control)) != nullptr;
        EXPECT_EQ(slider ? handler->OnSliderChanged(c.control, c.position, 1) : handler->OnClick(c.control), 1);
        EXPECT_EQ(surround.m_writes, Log{c.written});
        EXPECT_EQ(playerMain.m_announced, Log{c.announced});
    }
    EXPECT_FLOAT_EQ(handler->GetSpeakerAngleField(), 30.0f);
    EXPECT_FLOAT_EQ(handler->GetSoundFieldField(), 42.7f);

    // Positions the driver has no value for are not handed to it as wrapped unsigned numbers.
    ClearLogs();
    for (float bad : {0.0f, 4.9f, -10.0f, 40.0f})
        EXPECT_EQ(handler->OnSliderChanged(L"SPKAngle", bad, 1), 0) << bad;
    EXPECT_EQ(handler->OnSliderChanged(L"SFExpansion", -3.0f, 1), 0);
    EXPECT_TRUE(surround.m_writes.empty());
    EXPECT_EQ(handler->OnSliderChanged(L"Other", 10.0f, 1), 0);

    // Refused: the fields keep their values, nothing is announced.
    surround.m_refused = {L"KESTAL_HPSPK_SFX", L"KESTAL_HPSPK_SPKANGLE", L"Enable_Channel_COPY_LFX"};
    ClearLogs();
    EXPECT_EQ(handler->OnSliderChanged(L"SFExpansion", 10.0f, 1), 0);
    EXPECT_EQ(handler->OnSliderChanged(L"SPKAngle", 10.0f, 1), 0);
    EXPECT_EQ(handler->SetChannelCopy(), 0);
    EXPECT_FLOAT_EQ(handler->GetSoundFieldField(), 42.7f);
    EXPECT_FLOAT_EQ(handler->GetSpeakerAngleField(), 30.0f);
    EXPECT_TRUE(playerMain.m_announced.empty());
    EXPECT_EQ(handler->OnClick(L"Unknown"), 1);

    // A refused mode puts the radios back on the mode the device kept.
    surround.m_refused = {L"KESTAL_HPSPK_MODE"};
    ClearLogs();
    Click(L"BtnVimoMusic");
    EXPECT_EQ(surround.m_writes, Log{L"KESTAL_HPSPK_MODE=0/1"});
    EXPECT_EQ(Check(L"BtnVimoMusic"), 0);
    EXPECT_EQ(Check(L"BtnVimoMovie"), 1);
    EXPECT_TRUE(playerMain.m_announced.empty());
}

// The test button walks the room in its fixed order and marks the speaker that plays; a second click stops.
TEST_F(SurroundPageTest, SpeakerTestPlaysTheFixedOrder) {
    PutSurroundOn();
    auto* handler = OpenSurround();
    CSoundPlayer& player = playerMain.m_soundPlayer;
    ClearLogs();
    handler->OnClick(L"BtnSpeakerTest");
    EXPECT_EQ(player.GetListener(), static_cast<ISoundPlayListener*>(handler));
    EXPECT_EQ(Check(L"BtnSpeakerTest"), 1);
    const int order[] = {0, 4, 1, 7, 3, 2, 6, 5};
    for (int i = 0; i < 8; ++i) {
        const std::wstring image = CVimoSurroundSpeakersHandler::ImageFromSpeakerIndex(order[i]);
        EXPECT_EQ(Check(image), 1) << i;
        EXPECT_EQ(Check(L"BtnSpeakerTest"), 1) << i;
        player.OnPlayEnd();
        EXPECT_EQ(Check(image), 0) << i;
    }
    Log played;
    for (int channel : order)
        played.push_back(L"play " + std::to_wstring(channel));
    EXPECT_EQ(surround.m_sounds, played);
    EXPECT_EQ(Check(L"BtnSpeakerTest"), 0);
    EXPECT_FALSE(player.IsPlaying());

    // Stopped halfway by a second click.
    ClearLogs();
    handler->OnClick(L"BtnSpeakerTest");
    player.OnPlayEnd();
    handler->OnClick(L"BtnSpeakerTest");
    EXPECT_EQ(surround.m_sounds, (Log{L"play 0", L"play 4", L"stop"}));
    EXPECT_EQ(Check(L"BtnSpeakerTest"), 0);
    EXPECT_EQ(Check(L"ImgCenter"), 0);
}

TEST_F(SurroundPageTest, SpeakerImagesTestOneSpeaker) {
    PutSurroundOn();
    auto* handler = OpenSurround();
    CSoundPlayer& player = playerMain.m_soundPlayer;
    ClearLogs();
    handler->OnClick(L"ImgWoofer");
    EXPECT_EQ(surround.m_sounds, Log{L"play 5"});
    EXPECT_EQ(Check(L"ImgWoofer"), 1);
    EXPECT_EQ(Check(L"BtnSpeakerTest"), 1) << "a single speaker counts as playing";
    // The test button stops a single speaker too.
    handler->OnClick(L"BtnSpeakerTest");
    EXPECT_EQ(surround.m_sounds, (Log{L"play 5", L"stop"}));
    EXPECT_EQ(Check(L"ImgWoofer"), 0);
    EXPECT_EQ(Check(L"BtnSpeakerTest"), 0);

    handler->OnClick(L"ImgLS");
    player.OnPlayEnd();
    EXPECT_EQ(Check(L"ImgLS"), 0);
    EXPECT_EQ(Check(L"BtnSpeakerTest"), 0);
    // A channel without an image touches no image.
    handler->OnPlayStart(8);
    handler->OnPlayEnd(8);
}

// Hiding the page stops a running test without telling the page, which may be going.
TEST_F(SurroundPageTest, DeactivateStopsTheTest) {
    PutSurroundOn();
    auto* handler = OpenSurround();
    handler->OnClick(L"ImgRF");
    ASSERT_TRUE(playerMain.m_soundPlayer.IsPlaying());
    handler->OnDeactivate();
    delete page->GetOwner(); // waits for the stop worker with the handler
    EXPECT_FALSE(playerMain.m_soundPlayer.IsPlaying());
    EXPECT_EQ(playerMain.m_soundPlayer.GetListener(), nullptr);
}

// A change behind the page counts only where the page shows it live.
TEST_F(SurroundPageTest, UpdateFromDriverWatchesShownKeys) {
    struct Case {
        bool on;
        const wchar_t* key;
        double value;
        int changed;
    };
    const Case cases[] = {
        {true, L"Enable_KESTAL_HPSPK_LFX", 0, 1}, {true, L"KESTAL_HPSPK_USEHP", 1, 1},
        {true, L"KESTAL_HPSPK_SPKANGLE", 2, 1},   {true, L"KESTAL_HPSPK_SFX", 3, 1},
        {true, L"KESTAL_HPSPK_MODE", 0, 1},       {true, L"Enable_Channel_COPY_LFX", 0, 1},
        {false, L"KESTAL_HPSPK_SPKANGLE", 2, 0},  {false, L"Enable_Channel_COPY_LFX", 0, 0},
        {false, L"DevChannelNumControl", 6, 1},   {false, L"Enable_KESTAL_HPSPK_LFX", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        PutSurroundOn();
        surround.PutCached(L"Enable_KESTAL_HPSPK_LFX", c.on ? 1 : 0);
        auto* handler = OpenSurround();
        EXPECT_EQ(handler->UpdateFromDriver(), 0);
        surround.Put(c.key, c.value);
        EXPECT_EQ(handler->UpdateFromDriver(), c.changed);
        delete page->GetOwner();
    }
}

TEST_F(SurroundPageTest, StartupDefaultsOnlyForAnUnreadableSwitch) {
    surround.PutCached(L"Enable_KESTAL_HPSPK_LFX", 1);
    CVimoSurroundSpeakersHandler::WriteDefaults(&surround, 7);
    EXPECT_TRUE(surround.m_writes.empty());
    surround.m_unreadable = {L"Enable_KESTAL_HPSPK_LFX"};
    CVimoSurroundSpeakersHandler::WriteDefaults(&surround, 7);
    EXPECT_EQ(surround.m_writes,
              (Log{L"7:Enable_KESTAL_HPSPK_LFX=0/1", L"7:KESTAL_HPSPK_USEHP=0/1", L"7:Enable_Channel_COPY_LFX=0/1",
                   L"7:KESTAL_HPSPK_SPKANGLE=0/1", L"7:KESTAL_HPSPK_MODE=0/1"}));
}

// Greying, the switch and the diagram for each channel count.
TEST_F(SurroundPageTest, SpacelineShowsTheDiagramForTheChannelCount) {
    struct Case {
        double channels, room, surroundOn, copy;
        bool grey;
        const wchar_t* diagram; // the one shown
    };
    const Case cases[] = {
        {2, 0, 0, 1, true, L"Diagram_SQ_8"},    {2, 1, 0, 1, false, L"Diagram_SQ_8"},
        {2, 0, 1, 0, false, L"Diagram_SQ_Off"}, {4, 0, 0, 1, false, L"Diagram_SQ_4"},
        {6, 0, 0, 1, false, L"Diagram_SQ_6"},   {8, 0, 0, 1, false, L"Diagram_SQ_8"},
        {3, 0, 0, 1, false, nullptr},           {8, 0, 0, 0, false, L"Diagram_SQ_Off"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.channels) + " copy " + std::to_string(c.copy));
        surround.PutCached(L"DevChannelNumControl", c.channels);
        surround.PutCached(L"Enable_SS_LFX", c.room);
        surround.PutCached(L"Enable_KESTAL_HPSPK_LFX", c.surroundOn);
        surround.PutCached(L"Enable_Channel_COPY_LFX", c.copy);
        Open(L"SpeakerSpaceline", new CSpeakerSpacelineHandler);
        EXPECT_EQ(Visible(L"WarningContent"), c.grey);
        EXPECT_EQ(Control(L"GreyMainContent")->IsEnabled(FALSE), !c.grey);
        EXPECT_EQ(Check(L"BtnEnableSQ"), c.copy != 0 ? 1 : 0);
        EXPECT_EQ(Enabled(L"Spaceline_Logo_Image"), c.copy != 0);
        for (const wchar_t* diagram : {L"Diagram_SQ_Off", L"Diagram_SQ_4", L"Diagram_SQ_6", L"Diagram_SQ_8"})
            EXPECT_EQ(Visible(diagram), c.diagram && wcscmp(diagram, c.diagram) == 0)
                << std::string(diagram, diagram + wcslen(diagram));
        delete page->GetOwner();
    }
}

// The up-mix takes the path selector when it turns on and hands it back to a running surround effect.
TEST_F(SurroundPageTest, SpacelineSwitchMovesThePathSelector) {
    struct Case {
        double copy, path, surroundOn;
        bool surroundReadable;
        Log written;
        int result;
    };
    const Case cases[] = {
        {0, 1, 0, true, {L"Enable_Channel_COPY_LFX=1/1", L"GFSControl=0/1"}, 1},
        {0, 0, 0, true, {L"Enable_Channel_COPY_LFX=1/1"}, 1},
        {1, 0, 1, true, {L"Enable_Channel_COPY_LFX=0/1", L"GFSControl=1/1"}, 1},
        {1, 0, 0, true, {L"Enable_Channel_COPY_LFX=0/1"}, 1},
        {1, 0, 0, false, {L"Enable_Channel_COPY_LFX=0/1"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.copy) + " " + std::to_string(c.path) + " " + std::to_string(c.surroundOn));
        surround.m_unreadable.clear();
        surround.PutCached(L"DevChannelNumControl", 8);
        surround.PutCached(L"Enable_Channel_COPY_LFX", c.copy);
        surround.PutCached(L"GFSControl", c.path);
        surround.PutCached(L"Enable_KESTAL_HPSPK_LFX", c.surroundOn);
        auto* handler = Open(L"HeadPhoneSpaceline", new CHeadPhoneSpacelineHandler);
        if (!c.surroundReadable)
            surround.m_unreadable = {L"Enable_KESTAL_HPSPK_LFX"};
        ClearLogs();
        EXPECT_EQ(handler->SetEnable(), c.result);
        EXPECT_EQ(surround.m_writes, c.written);
        delete page->GetOwner();
    }

    // A click announces the switch and shows what the device holds; a refused write shows the old state.
    surround.m_unreadable.clear();
    surround.PutCached(L"Enable_Channel_COPY_LFX", 0);
    auto* handler = Open(L"SpeakerSpaceline", new CSpeakerSpacelineHandler);
    ClearLogs();
    Click(L"BtnEnableSQ");
    EXPECT_EQ(playerMain.m_announced, Log{L"Enable_Channel_COPY_LFX 1"});
    EXPECT_EQ(Check(L"BtnEnableSQ"), 1);
    surround.m_refused = {L"Enable_Channel_COPY_LFX"};
    Click(L"BtnEnableSQ");
    EXPECT_EQ(Check(L"BtnEnableSQ"), 1);
    EXPECT_EQ(CSpacelineHandler::GetSharedFlag(), 1u);
    EXPECT_EQ(handler->OnClick(L"Other"), 1);
}

// Two up-mix pages share one flag, but each starts from the device, not the other page's last toggle.
TEST_F(SurroundPageTest, SpacelinePagesStartFromTheDevice) {
    surround.PutCached(L"DevChannelNumControl", 6);
    surround.PutCached(L"Enable_Channel_COPY_LFX", 0);
    surround.m_refused = {L"Enable_Channel_COPY_LFX"};
    auto* speaker = Open(L"SpeakerSpaceline", new CSpeakerSpacelineHandler);
    EXPECT_EQ(speaker->SetEnable(), 0);
    EXPECT_EQ(CSpacelineHandler::GetSharedFlag(), 1u);
    delete page->GetOwner();
    surround.m_refused.clear();
    auto* headphone = Open(L"HeadPhoneSpaceline", new CHeadPhoneSpacelineHandler);
    EXPECT_EQ(CSpacelineHandler::GetSharedFlag(), 0u);
    ClearLogs();
    EXPECT_EQ(headphone->SetEnable(), 1);
    EXPECT_EQ(surround.m_writes, Log{L"Enable_Channel_COPY_LFX=1/1"});
    EXPECT_EQ(headphone->UpdateFromDriver(), 0);
    surround.Put(L"Enable_SS_LFX", 1);
    EXPECT_EQ(headphone->UpdateFromDriver(), 1);
}

// The surround button asks the main window for the current endpoint's surround page; the channel button of
// the speakers page for its own endpoint's settings.
TEST_F(SurroundPageTest, ChannelButtonsPostToTheMainWindow) {
    surround.m_currentEndpoint = L"HeadPhone";
    Open(L"SpeakerSpaceline", new CSpeakerSpacelineHandler)->OnClick(L"ChannelsSetting");
    MSG msg{};
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, kMsgShowSurroundContent, kMsgShowSurroundContent, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    delete page->GetOwner();

    Open(L"HeadPhoneVimoSurroundSpeakers", new CHeadPhoneVimoSurroundSpeakersHandler)->OnClick(L"ChannelsSetting");
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, kMsgShowSettingContent, kMsgShowSettingContent, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u) << "the name without Handler still names the headphone";
}

std::wstring Utf8ToWide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                          wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::map<std::wstring, std::wstring> Texts(const char* culture) {
    std::map<std::wstring, std::wstring> texts;
    const std::regex entry("x:Key=\"(ml_[A-Za-z0-9_]+)\">([^<]*)<");
    for (const auto& file : fs::directory_iterator(ProgramDir() / "lang" / culture)) {
        const std::string text = ReadText(file.path());
        for (auto it = std::sregex_iterator(text.begin(), text.end(), entry); it != std::sregex_iterator(); ++it)
            texts[Utf8ToWide((*it)[1].str())] = Utf8ToWide((*it)[2].str());
    }
    return texts;
}

const wchar_t* const kPages[] = {L"SpeakerVimoSurroundSpeakers",   L"SpeakerQuarterVimoSurroundSpeakers",
                                 L"HeadPhoneVimoSurroundSpeakers", L"SpeakerSpaceline",
                                 L"SpeakerQuarterSpaceline",       L"HeadPhoneSpaceline"};

TEST(SurroundPageFiles, NameOnlyBuiltImagesAndTranslatedTexts) {
    const auto english = Texts("en-US");
    const auto german = Texts("de-DE");
    std::vector<fs::path> files = {ShippedSkinDir() / "SurroundDictResource.lyt"};
    for (const wchar_t* pageName : kPages)
        files.push_back(ShippedSkinDir() / (std::wstring(L"apo") + pageName + L".lyt"));
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string text = ReadText(file);
        ASSERT_FALSE(text.empty());
        const std::regex image("\"([A-Za-z]+/[A-Za-z0-9_]+\\.png)\"");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), image); it != std::sregex_iterator(); ++it)
            EXPECT_TRUE(fs::exists(ShippedSkinDir() / (*it)[1].str())) << (*it)[1].str();
        const std::regex key("ml_[A-Za-z0-9_]+");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), key); it != std::sregex_iterator(); ++it) {
            EXPECT_TRUE(english.contains(Utf8ToWide(it->str()))) << it->str();
            EXPECT_TRUE(german.contains(Utf8ToWide(it->str()))) << it->str();
        }
    }
}

// Premultiplied back-buffer pixels over the window background, as the main window shows a page.
void SaveBackBuffer(const CLayerDialog& dialog, const fs::path& file) {
    const int width = dialog.GetSurfaceWidth();
    const int height = dialog.GetSurfaceHeight();
    Gdiplus::Bitmap image(width, height, PixelFormat32bppARGB);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = dialog.GetPixel(x, y);
            const int a = Alpha(p);
            auto over = [a](int c, int bg) { return c + bg * (255 - a) / 255; };
            image.SetPixel(x, y, Gdiplus::Color(255, over(Red(p), 0x1E), over(Green(p), 0x21), over(Blue(p), 0x26)));
        }
    }
    fs::create_directories(file.parent_path());
    SavePng(image, file);
}

TEST_F(SurroundPageTest, PagesDrawTheirControls) {
    const fs::path gallery = ProgramDir().parent_path() / "gallery";
    environment.m_texts = Texts("en-US");
    PutSurroundOn();
    const uint32_t empty = dialog.GetPixel(740, 380);
    Open(L"SpeakerVimoSurroundSpeakers", new CSpeakerVimoSurroundSpeakersHandler);
    // The room diagram (content at 16,64; diagram at 20,20) and the angle slider's track are drawn.
    EXPECT_NE(dialog.GetPixel(16 + 20 + 110, 64 + 20 + 80), empty);
    EXPECT_NE(dialog.GetPixel(16 + 300 + 20, 64 + 98 + 7), empty);
    SaveBackBuffer(dialog, gallery / "apoSpeakerVimoSurroundSpeakers.png");
    delete page->GetOwner();

    surround.PutCached(L"DevChannelNumControl", 6);
    Open(L"SpeakerSpaceline", new CSpeakerSpacelineHandler);
    EXPECT_NE(dialog.GetPixel(16 + 110, 64 + 80), empty);
    SaveBackBuffer(dialog, gallery / "apoSpeakerSpaceline.png");
}

} // namespace
