// The endpoint pages that adapt the common volume page: the line-in and microphone second path, the mono
// microphone, the balance lock forced by noise suppression, the greyed S/PDIF pages, and the speaker page's
// channel groups, master level and output choice.
#include <gtest/gtest.h>

#include "VolumePageFixture.h"
#include "handlers/endpoint/LineInVolHandler.h"
#include "handlers/endpoint/MicrophoneVolHandler.h"
#include "handlers/endpoint/SPDIFInVolHandler.h"
#include "handlers/endpoint/SPDIFOutVolHandler.h"
#include "handlers/endpoint/SpeakerVolHandler.h"
#include "skin/SkinRadioButton.h"

using namespace oc::test;

namespace {

class VolumeVariantsTest : public VolumePageTest {
protected:
    void SetUp() override {
        VolumePageTest::SetUp();
        driver.PutLevel(0, 0.25);
        driver.PutLevel(1, 0.75);
        driver.PutLevel(0, 0.5, true);
        driver.PutLevel(1, 0.5, true);
    }
    RECT Rect(const std::wstring& name) const {
        CxSkinCtrl* control = Control(name);
        return control ? control->GetRect() : RECT{-1, -1, -1, -1};
    }
};

TEST_F(VolumeVariantsTest, LineInShowsTheSecondPathOnlyWhenTheDeviceHasIt) {
    driver.m_features = {L"AAVolumeControl"};
    driver.PutCached(L"__AABalance", 1);
    Open<CLineInVolHandler>(L"LineInVol");
    EXPECT_EQ(page->GetName(), L"LineInVolHandler");
    EXPECT_TRUE(Visible(L"AALeft"));
    EXPECT_TRUE(Visible(L"AAGroup"));
    EXPECT_FALSE(Visible(L"ListenToDevice"));
    EXPECT_EQ(Check(L"AABalance"), 1);
    EXPECT_NEAR(Pos(L"AALeft"), 50.0f, 0.01f);
    EXPECT_EQ(Text(L"AALdB"), L"-20.00"); // the second path's own range

    driver.m_features.clear();
    page->InitControls();
    EXPECT_FALSE(Visible(L"AALeft"));
    EXPECT_FALSE(Visible(L"AAGroup"));
    EXPECT_TRUE(Visible(L"ListenToDevice"));
}

TEST_F(VolumeVariantsTest, MonoMicrophoneShowsOneChannel) {
    driver.m_unreadable = {{L"VolumeControl", 1}};
    Open<CMicrophoneVolHandler>(L"MicInVol");
    EXPECT_EQ(page->GetName(), L"MicrophoneVolHandler");
    for (const wchar_t* hidden : {L"RightChannel", L"RdB", L"Balance", L"LeftTB", L"RightTB"})
        EXPECT_FALSE(Visible(hidden)) << hidden;
    EXPECT_TRUE(Visible(L"LeftChannel"));
    EXPECT_EQ(Pos2(L"LeftChannel").x, 90);
    EXPECT_EQ(Pos2(L"LeftChannel").y, 31);
    EXPECT_EQ(Pos2(L"LdB").x, 85);
    EXPECT_EQ(Pos2(L"Mute").y, 275);
}

// Noise suppression runs on both channels: the page locks the pair, greys the lock and starts both equal.
TEST_F(VolumeVariantsTest, NoiseSuppressionLocksTheMicrophoneChannels) {
    driver.m_features = {L"MicInNoiseReduction"};
    driver.PutCached(L"Enable_NOISEREDUCTION_LFX", 1);
    Open<CMicrophoneVolHandler>(L"MicInVol");
    EXPECT_EQ(driver.Live(L"__Balance"), 1.0);
    EXPECT_EQ(Check(L"Balance"), 1);
    EXPECT_FALSE(Enabled(L"Balance"));
    EXPECT_NEAR(driver.Live(L"VolumeScalarControl", 1), 0.25, 0.001);
    EXPECT_NEAR(Pos(L"RightChannel"), 25.0f, 0.01f);

    driver.PutCached(L"Enable_NOISEREDUCTION_LFX", 0);
    page->InitControls();
    EXPECT_TRUE(Enabled(L"Balance"));
    EXPECT_EQ(driver.Live(L"__Balance"), 1.0); // the lock stays as the user left it

    driver.Put(L"Enable_NOISEREDUCTION_LFX", 1); // switched on on another page
    EXPECT_EQ(page->UpdateFromDriver(), 1);
}

TEST_F(VolumeVariantsTest, EchoCancellationFeatureAlwaysLocks) {
    driver.m_features = {L"MicInENC"};
    Open<CMicrophoneVolHandler>(L"DesktopMicVol");
    EXPECT_EQ(driver.Live(L"__Balance"), 1.0);
    EXPECT_FALSE(Enabled(L"Balance"));
}

TEST_F(VolumeVariantsTest, SPDIFPagesGreyChannelsWithoutVolume) {
    pages.m_vista = false;
    Open<CSPDIFInVolHandler>(L"SPDIFInVol");
    for (const wchar_t* name : {L"LeftChannel", L"RightChannel", L"Balance", L"LdB", L"RdB"})
        EXPECT_FALSE(Enabled(name)) << name;
    EXPECT_EQ(Pos(L"LeftChannel"), 100.0f);
    EXPECT_EQ(Text(L"RdB"), L"0.00");
}

TEST_F(VolumeVariantsTest, SPDIFOutGreysOnlyWhenItsLevelCannotBeRead) {
    driver.PutLevel(-1, 0.5);
    Open<CSPDIFOutVolHandler>(L"SPDIFOutVol");
    EXPECT_TRUE(Enabled(L"LeftChannel"));
    EXPECT_NEAR(Pos(L"RightChannel"), 75.0f, 0.01f);

    driver.m_endpoints.erase(4);
    page->InitControls();
    EXPECT_FALSE(Enabled(L"LeftChannel"));
    EXPECT_EQ(Pos(L"RightChannel"), 100.0f);
}

class SpeakerVolTest : public VolumeVariantsTest {
protected:
    CSpeakerVolHandler* OpenSpeaker(int channels) {
        driver.PutCached(L"DevChannelNumControl", channels);
        driver.PutCached(L"MuteControl", 0);
        driver.PutCached(L"DeviceSpecificControl", 1);
        for (int channel = -1; channel < 8; ++channel)
            driver.PutLevel(channel, 0.5);
        return speaker = Open<CSpeakerVolHandler>(L"SpeakerVol");
    }
    CSpeakerVolHandler* speaker = nullptr;
};

TEST_F(SpeakerVolTest, ChannelGroupsFollowTheChannelCountAndStayCentred) {
    struct Case {
        int channels;
        bool shown[4];
        int halfPitches;
    };
    const Case cases[] = {
        {2, {true, false, false, false}, 3},
        {4, {true, true, false, false}, 2},
        {6, {true, true, true, false}, 1},
        {8, {true, true, true, true}, 0},
    };
    OpenSpeaker(8);
    RECT markup[4];
    const wchar_t* groups[] = {L"FrontChannels", L"RearChannels", L"CWChannels", L"SideChannels"};
    for (int i = 0; i < 4; ++i)
        markup[i] = Rect(groups[i]);
    const int pitch = (markup[3].left - markup[1].left) / 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.channels);
        driver.PutCached(L"DevChannelNumControl", c.channels);
        speaker->InitControls();
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(Visible(groups[i]), c.shown[i]) << i;
            EXPECT_EQ(Rect(groups[i]).left, markup[i].left + pitch * c.halfPitches / 2) << i;
        }
    }
}

TEST_F(SpeakerVolTest, MasterLevelMovesAllChannelsAndChannelsShowTheirTags) {
    OpenSpeaker(8);
    EXPECT_NEAR(Pos(L"MasterVol"), 50.0f, 0.01f);
    EXPECT_EQ(Text(L"MasterdB"), L"-30.00");
    EXPECT_EQ(Text(L"RSdB"), L"-30.00");

    driver.m_writes.clear();
    speaker->OnSliderChanged(L"MasterVol", 80.0f, 1);
    EXPECT_EQ(driver.m_writes, (std::vector<std::wstring>{L"VolumeScalarControl[-1]=0.80/2"}));

    // Locked front pair: the partner follows, the master is written back as the driver now reports it.
    driver.PutCached(L"__FrontBalance", 1);
    driver.m_writes.clear();
    speaker->OnSliderChanged(L"FrontLeft", 60.0f, 1);
    EXPECT_NEAR(driver.Live(L"VolumeScalarControl", 1), 0.6, 0.001);
    EXPECT_EQ(driver.m_writes.back(), L"VolumeScalarControl[-1]=0.80/2");

    EXPECT_EQ(speaker->OnTextCommitted(L"MasterdB", L"-12"), 1);
    EXPECT_NEAR(driver.Live(L"VolumeControl", -1), -12.0, 0.001);
    EXPECT_NEAR(Pos(L"MasterVol"), 80.0f, 0.01f);
    EXPECT_EQ(speaker->OnTextCommitted(L"MasterdB", L"3"), 0);
    EXPECT_EQ(Text(L"MasterdB"), L"-12.00");
    // An emptied master box is no request for full level.
    driver.m_writes.clear();
    EXPECT_EQ(speaker->OnTextCommitted(L"MasterdB", L""), 0);
    EXPECT_TRUE(driver.m_writes.empty());
    EXPECT_NEAR(driver.Live(L"VolumeControl", -1), -12.0, 0.001);
    EXPECT_EQ(Text(L"MasterdB"), L"-12.00");
}

// A level the device refuses leaves each knob at the level the device still holds, not where it was dropped.
TEST_F(SpeakerVolTest, ARefusedLevelPutsTheKnobBackAtTheDevicesLevel) {
    OpenSpeaker(2);
    driver.m_refused = {L"VolumeScalarControl"};
    for (const wchar_t* slider : {L"MasterVol", L"FrontLeft"}) {
        SCOPED_TRACE(slider);
        auto* control = dynamic_cast<IxSkinSlider*>(Control(slider));
        ASSERT_NE(control, nullptr);
        control->SetPos(90.0f, FALSE); // where the drag dropped it
        speaker->OnSliderChanged(slider, 90.0f, 1);
        EXPECT_NEAR(Pos(slider), 50.0f, 0.01f);
        EXPECT_TRUE(Enabled(slider));
    }
}

TEST_F(SpeakerVolTest, OutputChoiceSelectsTheOutputInForce) {
    OpenSpeaker(2);
    auto* hp = dynamic_cast<CxSkinRadioButton*>(Control(L"BtnDeviceSpecificControlHP"));
    auto* rca = dynamic_cast<CxSkinRadioButton*>(Control(L"BtnDeviceSpecificControlRCA"));
    ASSERT_TRUE(hp && rca);
    EXPECT_EQ(rca->GetCheck(), 1);

    hp->Select(FALSE);
    speaker->OnClick(L"BtnDeviceSpecificControlHP");
    EXPECT_EQ(driver.Live(L"DeviceSpecificControl"), 0.0);
    EXPECT_EQ(main.m_announced, (std::vector<std::wstring>{L"DeviceSpecificControl 0"}));

    driver.m_refused = {L"DeviceSpecificControl"};
    rca->Select(FALSE);
    speaker->OnClick(L"BtnDeviceSpecificControlRCA");
    EXPECT_EQ(hp->GetCheck(), 1);
    EXPECT_EQ(rca->GetCheck(), 0);
    EXPECT_EQ(main.m_announced.size(), 1u);
}

TEST_F(SpeakerVolTest, PollSeesChannelCountMuteMasterChannelsAndOutput) {
    OpenSpeaker(4);
    EXPECT_EQ(speaker->UpdateFromDriver(), 0);
    struct Change {
        const wchar_t* key;
        double value;
        int channel;
        int expected;
    };
    const Change changes[] = {
        {L"DevChannelNumControl", 6, 0, 1},  {L"MuteControl", 1, 0, 1},           {L"VolumeControl", -29.9995, -1, 0},
        {L"VolumeControl", -20, -1, 1},      {L"VolumeScalarControl", 0.2, 3, 1}, {L"VolumeScalarControl", 0.2, 5, 0},
        {L"DeviceSpecificControl", 0, 0, 1},
    };
    for (const Change& change : changes) {
        driver.Put(change.key, change.value, change.channel);
        EXPECT_EQ(speaker->UpdateFromDriver(), change.expected) << change.channel;
        speaker->InitControls();
        // Channels beyond the count are not on the page; bring the cache level with what the poll skips.
        driver.PutCached(L"VolumeScalarControl", driver.Live(L"VolumeScalarControl", 5), 5);
        driver.PutCached(L"DevChannelNumControl", 4);
    }
}

} // namespace
