// The channel configuration pages on their shipped markup: the output list, the channel count and the
// layout it shows, the toggles, the speaker test through the real player, the polls and the start-up
// defaults.
#include <gtest/gtest.h>

#include "../ChannelPageFixture.h"
#include "app/OvercoatApp.h"
#include "handlers/endpoint/HeadPhoneSettingHandler.h"
#include "handlers/endpoint/SPDIFOutSettingHandler.h"
#include "handlers/endpoint/SpeakerSettingHandler.h"

using namespace oc::test;

namespace {

DWORD g_now = 10000;
DWORD FakeTick() {
    return g_now;
}

class SettingPageTest : public ChannelPageTest {
protected:
    void PutSpeakerDevice(int channels) {
        channel.PutCached(L"DevChannelNumControl", channels);
        channel.PutCached(L"OutputTerminalTypeControl#0", 1);
        channel.PutCached(L"OutputTerminalTypeControl#2", 7);
        channel.PutCached(L"Enable_Channel_COPY_LFX", 0);
        channel.PutCached(L"Enable_SwapLfeCn_LFX", 1);
        channel.PutCached(L"Enable_SwapSrBk_LFX", 0);
    }
    CSpeakerSettingHandler* OpenSpeaker() {
        auto* handler = Open(L"SpeakerSetting", new CSpeakerSettingHandler);
        handler->SetTickSource(&FakeTick);
        return handler;
    }
};

TEST_F(SettingPageTest, OutputListHoldsTheAvailableOutputsAndSwitches) {
    PutSpeakerDevice(2);
    channel.PutCached(L"OutputTerminalTypeControl#0", 3);
    channel.PutCached(L"OutputTerminalTypeControl#2", 1 | 4);
    auto* handler = OpenSpeaker();
    EXPECT_EQ(handler->GetOutputBitsField(), 5);
    EXPECT_EQ(Items(L"OutputTerminalTypeControl"), (Log{L"Speaker", L"SPDIF Out"}));
    EXPECT_EQ(Selected(L"OutputTerminalTypeControl"), 1);
    EXPECT_TRUE(Visible(L"OutputTerminalTypeControl"));

    ClearLogs();
    theApp.m_nPendingOutputTerminal = 0;
    handler->OnSelChange(L"OutputTerminalTypeControl", 0);
    EXPECT_EQ(channel.m_writes, Log{L"OutputTerminalTypeControl=1/0"});
    EXPECT_EQ(theApp.m_nPendingOutputTerminal, 1) << "the device comes back under the new output";
    // A refused switch leaves nothing pending for the next, unrelated arrival to act on.
    theApp.m_nPendingOutputTerminal = 0;
    channel.m_refused.insert(L"OutputTerminalTypeControl");
    handler->OnSelChange(L"OutputTerminalTypeControl", 1);
    EXPECT_EQ(theApp.m_nPendingOutputTerminal, 0);
    channel.m_refused.clear();
    // Another combo's change writes nothing.
    ClearLogs();
    handler->OnSelChange(L"Other", 0);
    EXPECT_TRUE(channel.m_writes.empty());
}

TEST_F(SettingPageTest, OutputListHiddenWhenUnreadableOrEmpty) {
    for (const bool unreadable : {true, false}) {
        PutSpeakerDevice(2);
        channel.PutCached(L"OutputTerminalTypeControl#2", 0);
        if (unreadable)
            channel.m_unreadable.insert(L"OutputTerminalTypeControl#0");
        Open(L"SpeakerSetting", new CSpeakerSettingHandler);
        EXPECT_FALSE(Visible(L"OutputTerminalTypeControl")) << unreadable;
        channel.m_unreadable.clear();
    }
}

// The channel count decides which speakers, canvases and test steps the page has.
TEST_F(SettingPageTest, SixChannelLayoutAndTestWalk) {
    PutSpeakerDevice(6);
    auto* handler = OpenSpeaker();
    EXPECT_EQ(handler->GetChannelField(), 6);
    EXPECT_EQ(Check(L"Channels6"), 1);
    EXPECT_EQ(Check(L"WooferCenterSwap"), 1);
    for (const wchar_t* shown : {L"ImgCenter", L"ImgWoofer", L"ImgLB", L"ImgRB", L"Canvas_ChannelCopy",
                                 L"Canvas_WooferCenterSwap", L"ImgLF", L"ImgRF"})
        EXPECT_TRUE(Visible(shown)) << shown;
    EXPECT_FALSE(Visible(L"ImgLS"));
    EXPECT_FALSE(Visible(L"ImgRS"));

    ClearLogs();
    g_now += 1000;
    handler->OnClick(L"BtnSpeakerTest");
    EXPECT_EQ(Check(L"BtnSpeakerTest"), 1);
    for (int i = 0; i < 6; ++i)
        playerMain.m_soundPlayer.OnPlayEnd();
    EXPECT_EQ(channel.m_sounds, (Log{L"play 0", L"play 4", L"play 1", L"play 3", L"play 2", L"play 5"}));
    EXPECT_EQ(Check(L"BtnSpeakerTest"), 0);
    EXPECT_EQ(Check(L"ImgWoofer"), 0);
}

// A count changed behind the page moves the check: only the new count's radio shows checked.
TEST_F(SettingPageTest, OutsideChannelChangeChecksOnlyTheNewCount) {
    PutSpeakerDevice(6);
    auto* handler = OpenSpeaker();
    ASSERT_EQ(Check(L"Channels6"), 1);
    channel.Put(L"DevChannelNumControl", 2);
    handler->InitControls();
    for (const auto& [radio, checked] : {std::pair{L"Channels2", 1}, std::pair{L"Channels4", 0},
                                         std::pair{L"Channels6", 0}, std::pair{L"Channels8", 0}})
        EXPECT_EQ(Check(radio), checked) << radio;
    EXPECT_EQ(handler->GetChannelField(), 2);
}

TEST_F(SettingPageTest, DevicePlayingFewerChannelsHidesTheirChoices) {
    PutSpeakerDevice(2);
    channel.m_playable = 4;
    OpenSpeaker();
    EXPECT_TRUE(Visible(L"Canvas_Channels4"));
    EXPECT_FALSE(Visible(L"Canvas_Channels6"));
    EXPECT_FALSE(Visible(L"Canvas_Channels8"));
    EXPECT_FALSE(Visible(L"ImgLB"));
    EXPECT_FALSE(Visible(L"Canvas_ChannelCopy"));
}

// More than two speakers switch the stereo-only surround effect off; going back to two leaves it alone.
TEST_F(SettingPageTest, ChannelCountChangeAndSurroundEffect) {
    PutSpeakerDevice(2);
    channel.PutCached(L"Enable_KESTAL_HPSPK_LFX", 1);
    auto* handler = OpenSpeaker();
    ClearLogs();
    handler->OnClick(L"Channels4");
    EXPECT_EQ(channel.m_writes, (Log{L"DevChannelNumControl=4/1", L"Enable_KESTAL_HPSPK_LFX=0/1", L"GFSControl=0/1"}));
    EXPECT_EQ(playerMain.m_announced, (Log{L"Enable_KESTAL_HPSPK_LFX 1", L"DevChannelNumControl 1"}));
    EXPECT_TRUE(Visible(L"ImgLB"));
    EXPECT_FALSE(Visible(L"ImgCenter"));

    channel.PutCached(L"Enable_KESTAL_HPSPK_LFX", 1);
    ClearLogs();
    handler->OnClick(L"Channels2");
    EXPECT_EQ(channel.m_writes, Log{L"DevChannelNumControl=2/1"});
    // The same count again writes nothing; a refused count leaves the page at its count.
    ClearLogs();
    handler->OnClick(L"Channels2");
    channel.m_refused.insert(L"DevChannelNumControl");
    handler->OnClick(L"Channels8");
    EXPECT_EQ(handler->GetChannelField(), 2);
    EXPECT_EQ(channel.m_writes, Log{L"DevChannelNumControl=8/1"});
    EXPECT_FALSE(Visible(L"ImgLS"));
}

TEST_F(SettingPageTest, TogglesWriteAndRestoreOnFailure) {
    PutSpeakerDevice(8);
    channel.m_features.insert(L"Spaceline");
    channel.PutCached(L"Enable_PLIIX_LFX", 1);
    auto* handler = OpenSpeaker();
    ClearLogs();
    Click(L"ChannelCopy");
    ASSERT_FALSE(channel.m_writes.empty());
    EXPECT_EQ(channel.m_writes.front(), L"Enable_Channel_COPY_LFX=1/1");
    EXPECT_EQ(channel.Live(L"Enable_PLIIX_LFX"), 0) << "channel copy switches the up-mix off";
    EXPECT_EQ(playerMain.m_announced.back(), L"Enable_Channel_COPY_LFX 1");

    channel.m_refused.insert(L"Enable_SwapLfeCn_LFX");
    Click(L"WooferCenterSwap");
    EXPECT_EQ(Check(L"WooferCenterSwap"), 1) << "a refused toggle shows the device's value again";
    Click(L"SideBackSwap");
    EXPECT_EQ(channel.Live(L"Enable_SwapSrBk_LFX"), 1);
    (void)handler;
}

TEST_F(SettingPageTest, ClickingACaptionClicksItsChoiceOrSwitch) {
    PutSpeakerDevice(2);
    channel.m_playable = 6;
    OpenSpeaker();
    ClearLogs();
    MouseClick(L"Channels6_Text");
    EXPECT_EQ(channel.Live(L"DevChannelNumControl"), 6);
    EXPECT_EQ(Check(L"Channels6"), 1);
    EXPECT_EQ(Check(L"Channels2"), 0);
    ClearLogs();
    MouseClick(L"Channels6_Text"); // the choice in force: nothing to write
    EXPECT_TRUE(channel.m_writes.empty());

    MouseClick(L"SideBackSwap_Text");
    EXPECT_EQ(channel.Live(L"Enable_SwapSrBk_LFX"), 1);
    EXPECT_EQ(Check(L"SideBackSwap"), 1);
    MouseClick(L"SideBackSwap_Text");
    EXPECT_EQ(channel.Live(L"Enable_SwapSrBk_LFX"), 0);
    EXPECT_EQ(Check(L"SideBackSwap"), 0);
}

TEST_F(SettingPageTest, TestClicksAreThrottledAndPicturesPlayOneSpeaker) {
    PutSpeakerDevice(8);
    auto* handler = OpenSpeaker();
    ClearLogs();
    g_now += 1000;
    handler->OnClick(L"BtnSpeakerTest");
    g_now += 300;
    handler->OnClick(L"BtnSpeakerTest");
    EXPECT_EQ(channel.m_sounds, Log{L"play 0"}) << "the second click within 500 ms does nothing";
    // A picture while the test runs only unchecks itself.
    g_now += 600;
    handler->OnClick(L"ImgRS");
    EXPECT_EQ(Check(L"ImgRS"), 0);
    g_now += 600;
    handler->OnClick(L"BtnSpeakerTest");
    EXPECT_EQ(channel.m_sounds, (Log{L"play 0", L"stop"}));
    EXPECT_EQ(Check(L"BtnSpeakerTest"), 0);

    ClearLogs();
    g_now += 600;
    handler->OnClick(L"ImgRS");
    EXPECT_EQ(channel.m_sounds, Log{L"play 7"});
    EXPECT_EQ(Check(L"ImgRS"), 1);
    playerMain.m_soundPlayer.OnPlayEnd();
    EXPECT_EQ(Check(L"ImgRS"), 0);
}

TEST_F(SettingPageTest, SpeakerCountChangeStopsTheTest) {
    PutSpeakerDevice(8);
    auto* handler = OpenSpeaker();
    g_now += 1000;
    handler->OnClick(L"BtnSpeakerTest");
    ClearLogs();
    handler->OnClick(L"Channels2");
    EXPECT_EQ(channel.m_sounds, Log{L"stop"});
    EXPECT_FALSE(playerMain.m_soundPlayer.IsPlaying());
}

TEST_F(SettingPageTest, HeadPhonePageKeepsTheDeviceStereo) {
    channel.PutCached(L"DevChannelNumControl", 6);
    channel.PutCached(L"OutputTerminalTypeControl#0", 2);
    channel.PutCached(L"OutputTerminalTypeControl#2", 7);
    channel.PutCached(L"HPAmplifierControl#0", 20);
    channel.PutCached(L"HPAmplifierControl#1", 30);
    channel.PutCached(L"HPAmplifierControl#2", 10);
    channel.PutCached(L"HPAmplifierControl#3", 10);
    channel.m_hasAmplifier = 1;
    auto* handler = Open(L"HeadPhoneSetting", new CHeadPhoneSettingHandler);
    EXPECT_EQ(channel.m_writes, Log{L"DevChannelNumControl=2/1"});
    EXPECT_EQ(Check(L"HeadPhone"), 1);
    EXPECT_EQ(Selected(L"OutputTerminalTypeControl"), 1);
    EXPECT_FALSE(Visible(L"ChannelCopy")) << "no up-mix, no channel copy";
    EXPECT_FALSE(Visible(L"ChannelCopy_Text")) << "and no caption over an empty place";
    // Levels 10, 20, 30: one item each, and the second is chosen.
    EXPECT_EQ(Items(L"Amplifier").size(), 3u);
    EXPECT_EQ(Selected(L"Amplifier"), 1);
    ClearLogs();
    handler->OnSelChange(L"Amplifier", 2);
    EXPECT_EQ(channel.m_writes, Log{L"HPAmplifierControl=30/0"});
}

TEST_F(SettingPageTest, HeadPhoneAmplifierWithoutStepIsNotOffered) {
    channel.PutCached(L"DevChannelNumControl", 2);
    channel.PutCached(L"HPAmplifierControl#3", 0);
    channel.m_hasAmplifier = 1;
    Open(L"HeadPhoneSetting", new CHeadPhoneSettingHandler);
    EXPECT_TRUE(channel.m_writes.empty());
    EXPECT_FALSE(Visible(L"Amplifier"));
    EXPECT_FALSE(Visible(L"AmplifierTB"));
}

TEST_F(SettingPageTest, HeadPhoneAmplifierOffersEveryLevelOfTheDevice) {
    services.m_texts[L"ml_Channels_Amp_Level"] = L"Level {0}";
    channel.PutCached(L"DevChannelNumControl", 2);
    channel.m_hasAmplifier = 1;
    const struct {
        int min, max, step, current;
        Log items; // empty: not offered
        int selected;
    } cases[] = {
        {0, 12, 2, 6, {L"Level 0", L"Level 2", L"Level 4", L"Level 6", L"Level 8", L"Level 10", L"Level 12"}, 3},
        {-6, 6, 6, 6, {L"Level -6", L"Level 0", L"Level 6"}, 2},
        {0, 0, 1, 0, {L"Level 0"}, 0},
        {12, 0, 2, 6, {}, 0},     // a range upside down
        {0, 100000, 1, 0, {}, 0}, // more levels than a list can hold
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.max);
        channel.PutCached(L"HPAmplifierControl#0", c.current);
        channel.PutCached(L"HPAmplifierControl#1", c.max);
        channel.PutCached(L"HPAmplifierControl#2", c.min);
        channel.PutCached(L"HPAmplifierControl#3", c.step);
        auto* handler = Open(L"HeadPhoneSetting", new CHeadPhoneSettingHandler);
        EXPECT_EQ(Visible(L"Amplifier"), !c.items.empty());
        EXPECT_EQ(Visible(L"AmplifierTB"), !c.items.empty());
        if (!c.items.empty()) {
            Log shown;
            if (auto* combo = dynamic_cast<IxSkinComboBox*>(Control(L"Amplifier"))) {
                for (int i = 0; i < combo->GetCount(); ++i) {
                    std::wstring text;
                    combo->GetItemText(i, text);
                    shown.push_back(text);
                }
            }
            EXPECT_EQ(shown, c.items);
            EXPECT_EQ(Selected(L"Amplifier"), c.selected);
            // The top level, which a fixed list of four left out of reach.
            ClearLogs();
            handler->OnSelChange(L"Amplifier", static_cast<int>(c.items.size()) - 1);
            EXPECT_EQ(channel.m_writes, Log{L"HPAmplifierControl=" + std::to_wstring(c.max) + L"/0"});
        }
        delete page->GetOwner();
    }
}

TEST_F(SettingPageTest, HeadPhoneChannelCopyShowsWithItsCaption) {
    channel.PutCached(L"DevChannelNumControl", 2);
    channel.PutCached(L"Enable_Channel_COPY_LFX", 1);
    channel.m_features.insert(L"Spaceline");
    Open(L"HeadPhoneSetting", new CHeadPhoneSettingHandler);
    EXPECT_TRUE(Visible(L"ChannelCopy"));
    EXPECT_TRUE(Visible(L"ChannelCopy_Text"));
    EXPECT_EQ(Check(L"ChannelCopy"), 1);
    MouseClick(L"ChannelCopy_Text");
    EXPECT_EQ(channel.Live(L"Enable_Channel_COPY_LFX"), 0);
    EXPECT_EQ(Check(L"ChannelCopy"), 0);
}

TEST_F(SettingPageTest, SPDIFOutChannelCopyGatedByItsFeature) {
    channel.PutCached(L"DevChannelNumControl", 2);
    channel.PutCached(L"Enable_Channel_COPY_LFX", 1);
    Open(L"SPDIFOutSetting", new CSPDIFOutSettingHandler);
    EXPECT_FALSE(Visible(L"Canvas_ChannelCopy"));
    EXPECT_EQ(Check(L"Channels2"), 1);
    channel.m_features.insert(L"SPDIFOutSpaceline");
    Open(L"SPDIFOutSetting", new CSPDIFOutSettingHandler);
    EXPECT_TRUE(Visible(L"Canvas_ChannelCopy"));
    EXPECT_EQ(Check(L"ChannelCopy"), 1);
}

TEST_F(SettingPageTest, PollsCompareLiveAndCachedValues) {
    PutSpeakerDevice(2);
    auto* handler = OpenSpeaker();
    EXPECT_EQ(handler->UpdateFromDriver(), 0);
    channel.Put(L"Enable_SwapSrBk_LFX", 1);
    EXPECT_EQ(handler->UpdateFromDriver(), 1);
}

TEST_F(SettingPageTest, StartUpDefaultsOnlyForAnUnreadableEndpoint) {
    channel.Put(L"DevChannelNumControl", 6);
    CSettingHandler::ApplyToDevice(&channel, 3);
    EXPECT_TRUE(channel.m_writes.empty());
    channel.m_unreadable.insert(L"DevChannelNumControl");
    CSettingHandler::ApplyToDevice(&channel, 3);
    EXPECT_EQ(channel.m_writes,
              (Log{L"3:DevChannelNumControl=2/1", L"3:Enable_SwapSrBk_LFX=0/1", L"3:Enable_SwapLfeCn_LFX=0/1",
                   L"3:Enable_Channel_COPY_LFX=0/1", L"3:OutputTerminalTypeControl=1/0"}));
}

} // namespace
