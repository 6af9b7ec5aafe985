// The hardware bass and treble pages and the automatic gain control pages, each on its shipped markup.
#include <gtest/gtest.h>

#include "../TonePageFixture.h"
#include "handlers/endpoint/AGCHandler.h"
#include "handlers/endpoint/SpeakerHWEQHandler.h"

using namespace oc::test;

namespace {

class HWEQPageTest : public TonePageTest {
protected:
    CSpeakerHWEQHandler* OpenPage(const std::wstring& panel) { return Open(panel, new CSpeakerHWEQHandler); }
};

// The three output pages show and write the same two float keys of the current device, unrounded, and
// announce each level write with the level flag.
TEST_F(HWEQPageTest, EveryOutputPageShowsAndWritesTheTwoLevels) {
    for (const wchar_t* panel : {L"SpeakerHWEQ", L"SpeakerQuarterHWEQ", L"HeadPhoneHWEQ"}) {
        SCOPED_TRACE(std::string(panel, panel + wcslen(panel)));
        driver.PutCached(L"HWEQBassControl", 3.5);
        driver.PutCached(L"HWEQTrebleControl", -2.25);
        main.m_announced.clear();
        driver.m_writes.clear();
        CSpeakerHWEQHandler* handler = OpenPage(panel);
        EXPECT_EQ(handler->GetName(), L"SpeakerHWEQ");
        EXPECT_FLOAT_EQ(Pos(L"BassLevel"), 3.5f);
        EXPECT_FLOAT_EQ(Pos(L"TrebleLevel"), -2.25f);

        EXPECT_EQ(handler->OnSliderChanged(L"BassLevel", 4.37f, 1), 1);
        EXPECT_EQ(handler->OnSliderChanged(L"TrebleLevel", -7.0f, 1), 1);
        EXPECT_EQ(handler->OnSliderChanged(L"Volume", 1.0f, 1), 0);
        EXPECT_EQ(driver.m_writes,
                  (std::vector<std::wstring>{L"HWEQBassControl=4.37/2", L"HWEQTrebleControl=-7.00/2"}));
        EXPECT_EQ(main.m_announced, (CallLog{L"HWEQBassControl 0", L"HWEQTrebleControl 0"}));
        // The page's own writes are no change behind its back.
        EXPECT_EQ(handler->UpdateFromDriver(), 0);
        delete page->GetOwner(); // releases the handler with it
    }
}

TEST_F(HWEQPageTest, FailedWriteSendsNoNoticeAndFailedReadKeepsTheLevel) {
    driver.PutCached(L"HWEQBassControl", 1.5);
    driver.m_unreadable = {L"HWEQTrebleControl"};
    CSpeakerHWEQHandler* handler = OpenPage(L"SpeakerHWEQ");
    EXPECT_FLOAT_EQ(handler->GetBass(), 1.5f);
    EXPECT_FLOAT_EQ(handler->GetTreble(), 0.0f);

    driver.m_refused = {L"HWEQBassControl"};
    EXPECT_EQ(handler->OnSliderChanged(L"BassLevel", 6.0f, 1), 1);
    EXPECT_TRUE(main.m_announced.empty());
    EXPECT_FLOAT_EQ(handler->GetBass(), 1.5f);
}

// Changes behind the page count from 0.03 on; the device reports its levels rounded to hundredths.
TEST_F(HWEQPageTest, DeviceChangesCountFromThreeHundredths) {
    struct Case {
        double cached, live;
        bool treble;
        int changed;
    };
    const Case cases[] = {
        {3.00, 3.02, false, 0},  {3.00, 3.03, false, 1},  {3.03, 3.00, false, 1},
        {-1.00, -1.02, true, 0}, {-1.00, -0.90, true, 1}, {0.00, 0.00, true, 0},
    };
    CSpeakerHWEQHandler* handler = OpenPage(L"SpeakerHWEQ");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cached << " -> " << c.live);
        driver.PutCached(L"HWEQBassControl", 0.0);
        driver.PutCached(L"HWEQTrebleControl", 0.0);
        const wchar_t* key = c.treble ? L"HWEQTrebleControl" : L"HWEQBassControl";
        driver.PutCached(key, c.cached);
        driver.Put(key, c.live);
        EXPECT_EQ(handler->UpdateFromDriver(), c.changed);
    }
    // A level that cannot be read compares as 0 against 0.
    driver.m_unreadable = {L"HWEQBassControl", L"HWEQTrebleControl"};
    EXPECT_EQ(handler->UpdateFromDriver(), 0);
}

class AGCPageTest : public TonePageTest {
protected:
    CAGCHandler* OpenPage(const std::wstring& panel = L"MicInAGC") { return Open(panel, new CAGCHandler); }
};

TEST_F(AGCPageTest, SwitchShowsTheDeviceStateOnEveryInputPage) {
    struct Case {
        const wchar_t* panel;
        double value; // NAN: unreadable
        int check;
    };
    const Case cases[] = {{L"MicInAGC", 1, 1}, {L"DesktopMicAGC", 0, 0}, {L"LineInAGC", 7, 1}, {L"MicInAGC", NAN, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.panel, c.panel + wcslen(c.panel)));
        driver.m_unreadable.clear();
        if (std::isnan(c.value))
            driver.m_unreadable = {L"AGCControl"};
        else
            driver.PutCached(L"AGCControl", c.value);
        CAGCHandler* handler = OpenPage(c.panel);
        EXPECT_EQ(handler->GetName(), L"AGCHandler");
        EXPECT_EQ(Check(L"BtnEnableAGC"), c.check);
        delete page->GetOwner();
    }
}

// The level truncates toward zero: only a whole part other than 0 switches the control on. Written as int.
TEST_F(AGCPageTest, SliderSwitchesOnFromAWholeLevel) {
    const std::pair<float, const wchar_t*> cases[] = {{0.9f, L"AGCControl=0/0"},  {1.0f, L"AGCControl=1/0"},
                                                      {37.5f, L"AGCControl=1/0"}, {-0.5f, L"AGCControl=0/0"},
                                                      {1e20f, L"AGCControl=1/0"}, {0.0f, L"AGCControl=0/0"}};
    CAGCHandler* handler = OpenPage();
    for (const auto& [level, written] : cases) {
        driver.m_writes.clear();
        EXPECT_EQ(handler->OnSliderChanged(L"AGC", level, 1), 1) << level;
        EXPECT_EQ(driver.m_writes, std::vector<std::wstring>{written}) << level;
    }
    EXPECT_EQ(handler->OnSliderChanged(L"Boost", 5.0f, 1), 0);
    driver.m_refused = {L"AGCControl"};
    EXPECT_EQ(handler->OnSliderChanged(L"AGC", 5.0f, 1), 0);
    EXPECT_TRUE(main.m_announced.empty()); // no write of this page sends a notice
}

// The toggle inverts what the device reports, not what the button shows; a refused write leaves the button
// showing the user's click until the next refresh.
TEST_F(AGCPageTest, ToggleInvertsTheDeviceAndLeavesTheButtonAsClicked) {
    driver.PutCached(L"AGCControl", 1);
    CAGCHandler* handler = OpenPage();
    driver.m_writes.clear();
    Click(L"BtnEnableAGC");
    EXPECT_EQ(driver.m_writes, std::vector<std::wstring>{L"AGCControl=0/0"});
    EXPECT_EQ(Check(L"BtnEnableAGC"), 0);

    driver.m_refused = {L"AGCControl"};
    driver.m_writes.clear();
    Click(L"BtnEnableAGC");
    EXPECT_EQ(driver.m_writes, std::vector<std::wstring>{L"AGCControl=1/0"});
    EXPECT_EQ(Check(L"BtnEnableAGC"), 1);
    EXPECT_EQ(handler->ToggleAGC(), 1);
    EXPECT_EQ(handler->OnClick(L"Other"), 1);
    EXPECT_TRUE(main.m_announced.empty());
}

// Polling reports a change behind the page only where the device has the feature; the event-driven
// refresh runs InitControls regardless and brings the switch back in line.
TEST_F(AGCPageTest, PollingNeedsTheFeature) {
    driver.PutCached(L"AGCControl", 0);
    CAGCHandler* handler = OpenPage();
    driver.Put(L"AGCControl", 1); // the device's own button
    EXPECT_EQ(handler->UpdateFromDriver(), 0);
    driver.m_features = {L"AGC"};
    EXPECT_EQ(handler->UpdateFromDriver(), 1);
    handler->InitControls();
    EXPECT_EQ(Check(L"BtnEnableAGC"), 1);
    EXPECT_EQ(handler->UpdateFromDriver(), 0);
}

} // namespace
