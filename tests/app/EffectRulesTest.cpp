// The effect-exclusion rules against a recording driver and a recording main-window handler: the exact
// writes and announcements of each rule, the virtual-speaker read of the SS rule, and rules run without a
// device or without a main window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../skin/SkinDialogFixture.h"
#include "HandlerTestSupport.h"

using namespace oc::test;

namespace {

using Rule = void (CBaseHandler::*)();

class EffectRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDialog(dialog));
        dialog.SetListener(&main);
        services.m_driver = &driver;
        handler.SetServices(&services);
        handler.SetWindow(&dialog);
        driver.m_journal = &journal;
        main.m_journal = &journal;
    }
    void TearDown() override { dialog.DestroyWindow(); }

    RecordingMainHandler main; // outlives the dialog that holds it
    TestDialog dialog;
    RecordingDriver driver;
    TestServices services;
    TestHandler handler;
    // The driver's calls and the announcements in the order they happened.
    CallLog journal;
};

// Every write is the integer 0 as value type 1, each announcement follows its write, and "GFSControl" is
// never announced.
TEST_F(EffectRulesTest, EachRuleWritesAndAnnouncesItsKeysInOrder) {
    struct Case {
        const char* name;
        Rule rule;
        CallLog journal;
    };
    const Case cases[] = {
        {"DHDVS",
         &CBaseHandler::ApplyEffectRuleDHDVS,
         {L"set Enable_DHDVS_LFX=0/1", L"announce Enable_DHDVS_LFX 1", L"set Enable_KESTAL_HPSPK_LFX=0/1",
          L"set GFSControl=0/1", L"announce Enable_KESTAL_HPSPK_LFX 1"}},
        {"SurrSens",
         &CBaseHandler::ApplyEffectRuleSurrSens,
         {L"set Enable_SURRSENS_LFX=0/1", L"announce Enable_SURRSENS_LFX 1", L"set Enable_KESTAL_HPSPK_LFX=0/1",
          L"set GFSControl=0/1", L"announce Enable_KESTAL_HPSPK_LFX 1"}},
        {"DHDVSSurrSens",
         &CBaseHandler::ApplyEffectRuleDHDVSSurrSens,
         {L"set Enable_DHDVS_LFX=0/1", L"announce Enable_DHDVS_LFX 1", L"set Enable_SURRSENS_LFX=0/1",
          L"announce Enable_SURRSENS_LFX 1", L"set GFSControl=0/1"}},
        {"PLIIx",
         &CBaseHandler::ApplyEffectRulePLIIx,
         {L"set Enable_PLIIX_LFX=0/1", L"announce Enable_PLIIX_LFX 1", L"set Enable_Channel_COPY_LFX=0/1",
          L"announce Enable_Channel_COPY_LFX 1"}},
        {"PLIIxNeo",
         &CBaseHandler::ApplyEffectRulePLIIxNeo,
         {L"set Enable_PLIIX_LFX=0/1", L"announce Enable_PLIIX_LFX 1", L"set Enable_NEOPC_LFX=0/1",
          L"announce Enable_NEOPC_LFX 1"}},
        {"Neo",
         &CBaseHandler::ApplyEffectRuleNeo,
         {L"set Enable_NEOPC_LFX=0/1", L"announce Enable_NEOPC_LFX 1", L"set Enable_Channel_COPY_LFX=0/1",
          L"announce Enable_Channel_COPY_LFX 1"}},
        {"ENC", &CBaseHandler::ApplyEffectRuleENC, {L"set Enable_ENC_LFX=0/1", L"announce Enable_ENC_LFX 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        journal.clear();
        (handler.*c.rule)();
        EXPECT_EQ(journal, c.journal);
    }
}

TEST_F(EffectRulesTest, SSLeavesTheChannelCopyAloneWhileTheVirtualRoomRuns) {
    struct Case {
        const char* name;
        bool readable;
        int32_t ss;
        CallLog writes;
        CallLog announced;
    };
    const Case cases[] = {
        {"room on", true, 1, {L"set GFSControl=0/1", L"get Enable_SS_LFX"}, {}},
        {"room off",
         true,
         0,
         {L"set GFSControl=0/1", L"get Enable_SS_LFX", L"set Enable_Channel_COPY_LFX=0/1"},
         {L"Enable_Channel_COPY_LFX 1"}},
        {"unreadable",
         false,
         0,
         {L"set GFSControl=0/1", L"get Enable_SS_LFX", L"set Enable_Channel_COPY_LFX=0/1"},
         {L"Enable_Channel_COPY_LFX 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        driver.m_log.clear();
        driver.m_values.clear();
        main.m_announced.clear();
        if (c.readable)
            driver.m_values[L"Enable_SS_LFX"] = c.ss;
        handler.ApplyEffectRuleSS();
        EXPECT_EQ(driver.m_log, c.writes); // a live read: never " cached"
        EXPECT_EQ(main.m_announced, c.announced);
    }
}

TEST_F(EffectRulesTest, RunningTwiceWritesAndAnnouncesAgain) {
    handler.ApplyEffectRuleENC();
    handler.ApplyEffectRuleENC();
    EXPECT_EQ(driver.m_log, (CallLog{L"set Enable_ENC_LFX=0/1", L"set Enable_ENC_LFX=0/1"}));
    EXPECT_EQ(main.m_announced, (CallLog{L"Enable_ENC_LFX 1", L"Enable_ENC_LFX 1"}));
}

// Without a device the writes fail (the driver answers 100) and the announcements still happen; without a
// driver object at all nothing is written and nothing breaks.
TEST_F(EffectRulesTest, FailedOrMissingDriverStillAnnounces) {
    driver.m_writeResult = kDriverNoEndpoint;
    handler.ApplyEffectRulePLIIx();
    EXPECT_EQ(main.m_announced.size(), 2u);

    main.m_announced.clear();
    services.m_driver = nullptr;
    handler.ApplyEffectRuleSS();
    EXPECT_EQ(main.m_announced, (CallLog{L"Enable_Channel_COPY_LFX 1"}));
}

// A rule run by a handler whose dialog is no main window has nobody to announce to: it only writes.
TEST_F(EffectRulesTest, OutsideTheMainWindowOnlyWrites) {
    RecordingListener plain;
    dialog.SetListener(&plain);
    handler.ApplyEffectRuleNeo();
    EXPECT_EQ(driver.m_log, (CallLog{L"set Enable_NEOPC_LFX=0/1", L"set Enable_Channel_COPY_LFX=0/1"}));
    EXPECT_TRUE(main.m_announced.empty());
    handler.SetWindow(nullptr);
    handler.ApplyEffectRuleENC(); // no owner: no main handler either
    EXPECT_TRUE(main.m_announced.empty());
    dialog.SetListener(&main);
}

} // namespace
