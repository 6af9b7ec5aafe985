// The bass management page on its shipped markup: the layout per channel count, the speaker mask, the
// slider value mapping, the switch and the start-up defaults.
#include <gtest/gtest.h>

#include "../ChannelPageFixture.h"
#include "handlers/effects/SubrouteHandler.h"

using namespace oc::test;

namespace {

class SubroutePageTest : public ChannelPageTest {
protected:
    void PutDevice(int channels, int large = 0, int enable = 1) {
        channel.PutCached(L"Enable_BM_GFX", enable);
        channel.PutCached(L"BM_Slider_Frequency", 80);
        channel.PutCached(L"BM_Slider_BassLevel", 12);
        channel.PutCached(L"BM_LargeSpeaker", large);
        channel.PutCached(L"DevChannelNumControl", channels);
    }
    CSubrouteHandler* OpenPage() { return Open(L"SpeakerSubroute", new CSubrouteHandler); }
};

TEST_F(SubroutePageTest, LayoutFollowsTheChannelCount) {
    struct Case {
        int channels;
        std::vector<const wchar_t*> shown;
        std::vector<const wchar_t*> hidden;
    };
    const Case cases[] = {
        {2,
         {L"FrontL", L"FrontR", L"FrontLR"},
         {L"Center", L"Center_LARGE", L"BackLB", L"SideLS", L"BackLR", L"ComboxTitle_LbRb", L"CenterCombox",
          L"ComboxTitle_C", L"SideLR", L"ComboxTitle_LsRs", L"ImgWoofer", L"FrontL_LARGE"}},
        {6,
         {L"Center", L"BackLB", L"BackRB", L"BackLR", L"CenterCombox", L"ImgWoofer"},
         {L"SideLS", L"SideRS", L"SideLR", L"ComboxTitle_LsRs"}},
        {8, {L"SideLS", L"SideRS", L"SideLR", L"Center", L"BackLB"}, {}},
    };
    for (const Case& c : cases) {
        PutDevice(c.channels);
        OpenPage();
        for (const wchar_t* name : c.shown)
            EXPECT_TRUE(Visible(name)) << c.channels << " " << std::wstring(name).c_str();
        for (const wchar_t* name : c.hidden)
            EXPECT_FALSE(Visible(name)) << c.channels << " " << std::wstring(name).c_str();
    }
}

TEST_F(SubroutePageTest, SpeakerMaskFromAndToTheDevice) {
    // 0x204: centre and side left large; the side combo follows side left.
    PutDevice(8, 0x204);
    auto* handler = OpenPage();
    EXPECT_EQ(handler->GetLarge(1), 1u);
    EXPECT_EQ(handler->GetLarge(3), 1u);
    EXPECT_EQ(handler->GetLarge(4), 0u);
    EXPECT_EQ(Selected(L"SideLR"), 1);
    EXPECT_EQ(Selected(L"CenterCombox"), 1);
    EXPECT_EQ(Selected(L"FrontLR"), 0);
    EXPECT_TRUE(Visible(L"Center_LARGE"));
    EXPECT_FALSE(Visible(L"Center"));

    PutDevice(8, 0);
    handler = OpenPage();
    handler->OnSelChange(L"FrontLR", 1);
    ClearLogs();
    EXPECT_EQ(handler->OnSelChange(L"BackLR", 1), 1);
    EXPECT_EQ(channel.m_writes, (Log{L"BM_LargeSpeaker=19/1", L"BM_LargeSpeaker=51/1"}));
    EXPECT_TRUE(Visible(L"BackRB_LARGE"));
    EXPECT_FALSE(Visible(L"BackRB"));
    EXPECT_EQ(playerMain.m_announced, (Log{L"BM_LargeSpeaker 0", L"BM_LargeSpeaker 0"}));
}

// A refused mask keeps the user's flag for the next write but leaves the pictures.
TEST_F(SubroutePageTest, RefusedMaskKeepsTheFlag) {
    PutDevice(8);
    auto* handler = OpenPage();
    channel.m_refused.insert(L"BM_LargeSpeaker");
    EXPECT_EQ(handler->OnSelChange(L"CenterCombox", 1), 0);
    EXPECT_EQ(handler->GetLarge(1), 1u);
    EXPECT_TRUE(Visible(L"Center"));
    EXPECT_FALSE(Visible(L"Center_LARGE"));
    channel.m_refused.clear();
    ClearLogs();
    handler->OnSelChange(L"FrontLR", 1);
    EXPECT_EQ(channel.m_writes, (Log{L"BM_LargeSpeaker=5/1", L"BM_LargeSpeaker=7/1"}));
    EXPECT_EQ(handler->SetSpeakerLarge(7, 1), 0);
}

TEST_F(SubroutePageTest, SlidersMapToTheDevice) {
    PutDevice(2);
    channel.PutCached(L"BM_Slider_BassLevel", 0);
    auto* handler = OpenPage();
    EXPECT_EQ(handler->GetBassLevel(), -12);
    EXPECT_FLOAT_EQ(Pos(L"BassLevel"), -12.0f);
    EXPECT_FLOAT_EQ(Pos(L"CutFrequency"), 80.0f);
    ClearLogs();
    EXPECT_EQ(handler->OnSliderChanged(L"BassLevel", 0.0f, 0), 1);
    EXPECT_EQ(handler->OnSliderChanged(L"CutFrequency", 80.9f, 0), 1);
    EXPECT_EQ(handler->OnSliderChanged(L"Other", 1.0f, 1), 0);
    EXPECT_EQ(channel.m_writes, (Log{L"BM_Slider_BassLevel=12/1", L"BM_Slider_Frequency=80/1"}));
    EXPECT_EQ(playerMain.m_announced, (Log{L"BM_Slider_BassLevel 0", L"BM_Slider_Frequency 0"}));
    channel.m_refused.insert(L"BM_Slider_Frequency");
    handler->OnSliderChanged(L"CutFrequency", 150.0f, 1);
    EXPECT_EQ(handler->GetCutoff(), 80u);
}

TEST_F(SubroutePageTest, SwitchGreysTheBodyAndRereads) {
    PutDevice(6);
    auto* handler = OpenPage();
    EXPECT_TRUE(Enabled(L"MainContent"));
    ClearLogs();
    Click(L"BtnEnableSubroute");
    EXPECT_EQ(channel.m_writes, Log{L"Enable_BM_GFX=0/1"});
    EXPECT_FALSE(Enabled(L"MainContent"));
    EXPECT_FALSE(Enabled(L"SR_Logo"));
    EXPECT_EQ(playerMain.m_announced, Log{L"Enable_BM_GFX 1"});
    // Switching on again re-reads the layout the device has now.
    channel.PutCached(L"DevChannelNumControl", 2);
    Click(L"BtnEnableSubroute");
    EXPECT_EQ(handler->GetChannelCount(), 2);
    EXPECT_FALSE(Visible(L"ImgWoofer"));
    EXPECT_TRUE(Enabled(L"MainContent"));
}

TEST_F(SubroutePageTest, PollAndStartUpDefaults) {
    PutDevice(2);
    auto* handler = OpenPage();
    EXPECT_EQ(handler->UpdateFromDriver(), 0);
    channel.Put(L"BM_LargeSpeaker", 3);
    EXPECT_EQ(handler->UpdateFromDriver(), 1);
    channel.PutCached(L"Enable_BM_GFX", 0);
    EXPECT_EQ(handler->UpdateFromDriver(), 0) << "values behind a switch that is off do not count";
    channel.Put(L"DevChannelNumControl", 6);
    EXPECT_EQ(handler->UpdateFromDriver(), 1);

    ClearLogs();
    CSubrouteHandler::InitDefaults(&channel, 4);
    EXPECT_TRUE(channel.m_writes.empty());
    channel.m_unreadable.insert(L"Enable_BM_GFX");
    CSubrouteHandler::InitDefaults(&channel, 4);
    EXPECT_EQ(channel.m_writes, (Log{L"4:Enable_BM_GFX=0/1", L"4:BM_Slider_Frequency=100/1",
                                     L"4:BM_Slider_BassLevel=12/1", L"4:BM_LargeSpeaker=0/1"}));
}

} // namespace
