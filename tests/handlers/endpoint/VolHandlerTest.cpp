// The common volume page on the shipped HDMI and input pages: first reads of mute, lock and levels, slider
// and dB writes with the balance lock's follow, the dB entry rules and the range message, the poll that
// tells the page's own writes from changes made elsewhere, and the listen-to-device switch.
#include <gtest/gtest.h>

#include <cmath>

#include "VolumePageFixture.h"
#include "handlers/endpoint/HDMIVolHandler.h"
#include "handlers/endpoint/HeadPhoneVolHandler.h"
#include "handlers/endpoint/MicrophoneVolHandler.h"

using namespace oc::test;

namespace {

constexpr float kScalarPrecision = 0.001f;

class VolHandlerTest : public VolumePageTest {
protected:
    CVolHandler* OpenHDMI(double left, double right, int mute = 0) {
        driver.PutLevel(0, left);
        driver.PutLevel(1, right);
        driver.PutCached(L"MuteControl", mute);
        return Open<CHDMIVolHandler>(L"HDMIVol");
    }
};

TEST_F(VolHandlerTest, FirstReadsShowMuteLockAndBothChannels) {
    driver.PutCached(L"__Balance", 1);
    OpenHDMI(0.25, 0.5, 1);

    EXPECT_EQ(page->GetName(), L"HDMIVolHandler");
    EXPECT_EQ(Check(L"Mute"), 1);
    EXPECT_EQ(Check(L"Balance"), 1);
    EXPECT_NEAR(Pos(L"LeftChannel"), 25.0f, 0.01f);
    EXPECT_NEAR(Pos(L"RightChannel"), 50.0f, 0.01f);
    EXPECT_EQ(Text(L"LdB"), L"-45.00");
    EXPECT_EQ(Text(L"RdB"), L"-30.00");
    EXPECT_EQ(pages.m_refreshes, (std::vector<std::wstring>{L"volume"}));
}

TEST_F(VolHandlerTest, ALevelReadFailureShowsZeroAndDbIsClampedToTheRange) {
    driver.Put(L"GetMinVol", -60.0);
    OpenHDMI(0.5, 0.5);
    driver.m_unreadable = {{L"VolumeScalarControl", 0}};
    driver.PutCached(L"VolumeControl", 12.0, 0); // above the device's maximum
    driver.PutCached(L"VolumeControl", -0.004, 1);
    page->InitControls();

    EXPECT_EQ(Pos(L"LeftChannel"), 0.0f);
    EXPECT_EQ(Text(L"LdB"), L"0.00");
    EXPECT_EQ(Text(L"RdB"), L"0.00"); // never "-0.00"
}

// Moving a slider writes only its own channel unless the pair is locked; a locked partner keeps the
// scalar difference and stops at the ends of 0..1.
TEST_F(VolHandlerTest, SliderWritesItsChannelAndALockedPartnerFollows) {
    struct Case {
        const char* name;
        int lock;
        double left, right;
        float pos;
        double rightAfter;
    };
    const Case cases[] = {
        {"unlocked", 0, 0.30, 0.50, 40.0f, 0.50},
        {"locked keeps the difference", 1, 0.30, 0.50, 40.0f, 0.60},
        {"locked stops at full", 1, 0.80, 0.95, 100.0f, 1.0},
        {"locked stops at silence", 1, 0.50, 0.10, 20.0f, 0.0},
    };
    OpenHDMI(0.3, 0.5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        driver.PutCached(L"__Balance", c.lock);
        driver.PutLevel(0, c.left);
        driver.PutLevel(1, c.right);
        driver.m_writes.clear();

        EXPECT_EQ(page->OnSliderChanged(L"LeftChannel", c.pos, 1), 1);

        EXPECT_NEAR(driver.Live(L"VolumeScalarControl", 0), c.pos / 100.0, kScalarPrecision);
        EXPECT_NEAR(driver.Live(L"VolumeScalarControl", 1), c.rightAfter, kScalarPrecision);
        EXPECT_EQ(driver.m_writes.size(), c.lock ? 2u : 1u);
        EXPECT_EQ(Text(L"LdB"), CVolHandler::FormatVolumedB(static_cast<float>(-60.0 + 60.0 * c.pos / 100.0)));
        if (c.lock) {
            EXPECT_NEAR(Pos(L"RightChannel"), c.rightAfter * 100.0, 0.01);
            EXPECT_EQ(Text(L"RdB"), CVolHandler::FormatVolumedB(static_cast<float>(-60.0 + 60.0 * c.rightAfter)));
        }
    }
}

TEST_F(VolHandlerTest, TypedDbIsWrittenAndMovesItsSlider) {
    OpenHDMI(0.5, 0.5);

    EXPECT_EQ(page->OnTextCommitted(L"LdB", L"-3.5"), 1);

    EXPECT_EQ(driver.m_writes, (std::vector<std::wstring>{L"VolumeControl[0]=-3.50/2"}));
    EXPECT_EQ(Text(L"LdB"), L"-3.50");
    EXPECT_NEAR(Pos(L"LeftChannel"), (60.0 - 3.5) / 60.0 * 100.0, 0.01);
    EXPECT_TRUE(pages.m_messages.empty());
}

// Entries a number box lets through but that are no value in the range: each shows the range message,
// writes nothing and puts the box back to the level in force.
TEST_F(VolHandlerTest, MalformedOrOutOfRangeDbIsRejectedWithTheRangeMessage) {
    services.m_texts[L"ml_HDMIVol_VoldB_Range_Error"] = L"From {0:F2} to {1:F2} dB, not {1:F2}.";
    services.m_texts[L"ml_Message_Caption"] = L"Caption";
    driver.m_currentEndpoint = L"HDMI";
    OpenHDMI(0.5, 0.5);
    // An emptied box, or one with no digit at all, would read as 0 dB: full level, never what was meant.
    for (const wchar_t* entry : {L"3-", L"1.2.3", L"-", L".", L"0.01", L"-60.5", L"12abc", L"1e1", L"", L"-."}) {
        SCOPED_TRACE(testing::Message() << std::string(entry, entry + wcslen(entry)));
        driver.m_writes.clear();
        pages.m_messages.clear();
        page->SetControlText(L"LdB", entry);

        EXPECT_EQ(page->OnTextCommitted(L"LdB", entry), 0);

        EXPECT_TRUE(driver.m_writes.empty());
        EXPECT_EQ(Text(L"LdB"), L"-30.00");
        EXPECT_EQ(pages.m_messages, (std::vector<std::wstring>{L"From -60.00 to 0.00 dB, not {1:F2}. | Caption | 16"}));
    }
    for (const wchar_t* entry : {L"-.5", L"0", L"-60", L"-0.", L"-7"}) {
        SCOPED_TRACE(testing::Message() << std::string(entry, entry + wcslen(entry)));
        EXPECT_EQ(page->OnTextCommitted(L"LdB", entry), 1);
    }
}

TEST_F(VolHandlerTest, RangeMessageKeyFollowsTheEndpointAndPlainTextsStayAsTheyAre) {
    struct Case {
        const wchar_t* endpoint;
        const wchar_t* key;
    };
    const Case cases[] = {
        {L"DesktopMic", L"ml_MicInVol_VoldB_Range_Error"},
        {L"SpeakerQuarter", L"ml_SpeakerVol_VoldB_Range_Error"},
        {L"HeadPhone", L"ml_HeadphoneVol_VoldB_Range_Error"}, // the fallback spelling
        {L"LineIn", L"ml_LineInVol_VoldB_Range_Error"},
    };
    OpenHDMI(0.5, 0.5);
    for (const Case& c : cases) {
        services.m_texts = {{c.key, L"Only {1:F2} here"}};
        driver.m_currentEndpoint = c.endpoint;
        pages.m_messages.clear();
        page->OnTextCommitted(L"LdB", L"5");
        EXPECT_EQ(pages.m_messages, (std::vector<std::wstring>{L"Only {1:F2} here |  | 16"}));
    }
    services.m_texts.clear();
    pages.m_messages.clear();
    page->OnTextCommitted(L"LdB", L"5");
    EXPECT_TRUE(pages.m_messages.empty()); // no text, no empty box
}

// The typed partner keeps the dB difference, clamped to the partner's own range.
TEST_F(VolHandlerTest, LockedDbEntryMovesThePartnerByTheSameDb) {
    struct Case {
        double left, right;
        const wchar_t* typed;
        double rightAfter;
    };
    const Case cases[] = {{-20, -10, L"-30", -20}, {-10, -50, L"-30", -60}, {-30, -5, L"-20", 0}};
    OpenHDMI(0.5, 0.5);
    driver.PutCached(L"__Balance", 1);
    for (const Case& c : cases) {
        driver.PutCached(L"VolumeControl", c.left, 0);
        driver.PutCached(L"VolumeControl", c.right, 1);
        ASSERT_EQ(page->OnTextCommitted(L"LdB", c.typed), 1);
        EXPECT_NEAR(driver.Live(L"VolumeControl", 1), c.rightAfter, 0.001);
        EXPECT_EQ(Text(L"RdB"), CVolHandler::FormatVolumedB(static_cast<float>(c.rightAfter)));
        EXPECT_NEAR(Pos(L"RightChannel"), (c.rightAfter + 60.0) / 60.0 * 100.0, 0.01);
    }
}

TEST_F(VolHandlerTest, LeavingABoxPutsBackTheLevelInForce) {
    OpenHDMI(0.5, 0.5);
    page->SetControlText(L"RdB", L"-7");
    EXPECT_EQ(page->OnTextChanged(L"RdB", L"-7"), 1);
    EXPECT_EQ(Text(L"RdB"), L"-30.00");
    EXPECT_TRUE(driver.m_writes.empty());
}

// Only a change made outside the page counts; the next first reads bring page and cache together again.
TEST_F(VolHandlerTest, PollReportsOnlyChangesMadeElsewhere) {
    driver.PutLevel(0, 0.5, true);
    OpenHDMI(0.5, 0.5);
    EXPECT_EQ(page->UpdateFromDriver(), 0);

    page->OnSliderChanged(L"RightChannel", 70.0f, 1);
    page->OnClick(L"Mute");
    EXPECT_EQ(page->UpdateFromDriver(), 0);

    driver.Put(L"VolumeScalarControl", 0.7 + 0.001, 1); // within the driver's rounding
    EXPECT_EQ(page->UpdateFromDriver(), 0);

    struct Change {
        const wchar_t* key;
        double value;
        int channel;
    };
    for (const Change& change : {Change{L"VolumeScalarControl", 0.2, 0}, Change{L"MuteControl", 0, 0},
                                 Change{L"AAVolumeScalarControl", 0.4, 0}}) {
        driver.Put(change.key, change.value, change.channel);
        EXPECT_EQ(page->UpdateFromDriver(), 1) << change.channel;
        page->InitControls();
        // This page shows no second path: only the poll reads it, so the test brings its cache level.
        driver.PutCached(L"AAVolumeScalarControl", driver.Live(L"AAVolumeScalarControl", 0), 0);
        EXPECT_EQ(page->UpdateFromDriver(), 0);
    }
    EXPECT_NEAR(Pos(L"LeftChannel"), 20.0f, 0.01f);
}

// A lock or mute the driver refuses leaves its button showing what the device still holds.
TEST_F(VolHandlerTest, LockAndMuteButtonsShowTheStateTheDriverHolds) {
    OpenHDMI(0.5, 0.5);
    Click(L"Balance");
    EXPECT_EQ(driver.Live(L"__Balance"), 1.0);
    EXPECT_EQ(Check(L"Balance"), 1);
    Click(L"Mute");
    EXPECT_EQ(driver.Live(L"MuteControl"), 1.0);
    EXPECT_EQ(Check(L"Mute"), 1);

    driver.m_refused = {L"__Balance", L"MuteControl"};
    Click(L"Balance");
    Click(L"Mute");
    EXPECT_EQ(Check(L"Balance"), 1);
    EXPECT_EQ(Check(L"Mute"), 1);
    EXPECT_EQ(driver.Live(L"__Balance"), 1.0);
}

TEST_F(VolHandlerTest, ListenToDeviceTogglesTheInputsSettingAndSavesAtOnce) {
    settings.m_nMicInListenToDevice = 1;
    Open<CMicrophoneVolHandler>(L"DesktopMicVol");
    EXPECT_EQ(Check(L"ListenToDevice"), 1);

    Click(L"ListenToDevice");
    EXPECT_EQ(settings.m_nMicInListenToDevice, 0);
    EXPECT_EQ(driver.m_listens, (std::vector<std::wstring>{L"10 off"}));
    EXPECT_EQ(pages.m_saves, 1);
    Click(L"ListenToDevice");
    EXPECT_EQ(settings.m_nMicInListenToDevice, 1);
    EXPECT_EQ(driver.m_listens.back(), L"10 on");
    EXPECT_EQ(pages.m_saves, 2);
}

TEST_F(VolHandlerTest, HeadphoneChangesRefreshTheMainWindowsMasterControls) {
    driver.PutLevel(0, 0.5);
    driver.PutLevel(1, 0.5);
    Open<CHeadPhoneVolHandler>(L"HeadPhoneVol");
    pages.m_refreshes.clear();
    page->OnSliderChanged(L"LeftChannel", 10.0f, 1);
    page->OnClick(L"Mute");
    EXPECT_EQ(pages.m_refreshes, (std::vector<std::wstring>{L"volume", L"volume", L"mute"}));
}

TEST(VolumeTables, EveryPairIsListedFromBothSidesAndUnknownNamesGiveEmptyRows) {
    for (const BalancePairNames& row : g_BalancePairTable) {
        const BalancePair back = CVolHandler::FindBalanceRow(row.partnerSlider);
        EXPECT_EQ(back.partnerSlider, row.slider);
        EXPECT_EQ(back.balanceButton, row.balanceButton);
        EXPECT_EQ(CVolHandler::FindVolumedBRow(row.dBBox).slider, row.slider);
    }
    const BalancePair none = CVolHandler::FindBalanceRow(L"leftchannel");
    EXPECT_TRUE(none.slider.empty() && none.dBBox.empty() && none.balanceButton.empty());
    EXPECT_TRUE(CVolHandler::FindVolumedBRow(L"MasterdB").slider.empty());
}

} // namespace
