// The four single-slider effect pages on their shipped markup: how the slider, the number box and the device
// value keep in step, the range messages, the switch, and the start-up defaults.
#include <gtest/gtest.h>

#include "../TonePageFixture.h"
#include "handlers/effects/EffectMessageHost.h"
#include "handlers/effects/VimoAudioBrilliantHandler.h"
#include "handlers/effects/VimoDynamicBassHandler.h"
#include "handlers/effects/VimoSmartVolHandler.h"
#include "handlers/effects/VimoVoiceClarityHandler.h"

using namespace oc::test;

namespace {

class RecordingMessageHost : public IEffectMessageHost {
public:
    int ShowMessageBox(CLayerWnd* owner, const std::wstring& text, const std::wstring& caption, UINT type) override {
        m_messages.push_back(text + L" | " + caption + L" | " + std::to_wstring(type));
        m_owner = owner;
        return IDOK;
    }
    std::vector<std::wstring> m_messages;
    CLayerWnd* m_owner = nullptr;
};

class EffectPageTest : public TonePageTest {
protected:
    template <class Handler> Handler* OpenPage(const std::wstring& panel) {
        auto* handler = new Handler;
        handler->SetMessageHost(&messages);
        return Open(panel, handler);
    }
    void ClearLogs() {
        driver.m_writes.clear();
        main.m_announced.clear();
        messages.m_messages.clear();
    }

    RecordingMessageHost messages;
};

// Brilliance and voice clarity show 0..6 and the device holds 0 or level + 4.
TEST_F(EffectPageTest, MappedLevelsReadAndWriteThroughTheMapping) {
    const std::pair<double, int> reads[] = {{0, 0}, {3, 0}, {4, 0}, {5, 1}, {7, 3}, {10, 6}};
    for (const auto& [device, shown] : reads) {
        driver.PutCached(L"AUDIOBRILLIANT_LEVEL", device);
        driver.PutCached(L"VOICECLARITY_LEVEL", device);
        OpenPage<CVimoAudioBrilliantHandler>(L"SpeakerVimoAudioBrilliant");
        EXPECT_FLOAT_EQ(Pos(L"BrilliantLevel"), static_cast<float>(shown)) << device;
        EXPECT_EQ(Text(L"LevelTextBox"), std::to_wstring(shown)) << device;
        delete page->GetOwner();
        OpenPage<CVimoVoiceClarityHandler>(L"HeadPhoneVimoVoiceClarity");
        EXPECT_FLOAT_EQ(Pos(L"VoiceClarityLevel"), static_cast<float>(shown)) << device;
        delete page->GetOwner();
    }

    driver.PutCached(L"AUDIOBRILLIANT_LEVEL", 7);
    auto* handler = OpenPage<CVimoAudioBrilliantHandler>(L"SpeakerVimoAudioBrilliant");
    const std::pair<float, const wchar_t*> writes[] = {{0.0f, L"AUDIOBRILLIANT_LEVEL=0/1"},
                                                       {1.0f, L"AUDIOBRILLIANT_LEVEL=5/1"},
                                                       {6.0f, L"AUDIOBRILLIANT_LEVEL=10/1"},
                                                       {2.7f, L"AUDIOBRILLIANT_LEVEL=6/1"}};
    for (const auto& [pos, written] : writes) {
        ClearLogs();
        EXPECT_EQ(handler->OnSliderChanged(L"BrilliantLevel", pos, 1), 1);
        EXPECT_EQ(driver.m_writes, std::vector<std::wstring>{written});
        EXPECT_EQ(main.m_announced, CallLog{L"AUDIOBRILLIANT_LEVEL 0"});
        EXPECT_EQ(Text(L"LevelTextBox"), std::to_wstring(static_cast<int>(pos)));
    }
}

// Each page reads its keys into its controls; "MainContent" and the logo follow the switch, the mode list
// shows index 1 for any nonzero value, and a value that cannot be read keeps its field.
TEST_F(EffectPageTest, PagesShowTheDeviceState) {
    driver.PutCached(L"Enable_VIRTUALBASS_LFX", 1);
    driver.PutCached(L"VIRTUALBASS_Level", 8);
    driver.PutCached(L"VIRTUALBASS_CutOffFrequency", 250);
    OpenPage<CVimoDynamicBassHandler>(L"SpeakerVimoDynamicBass");
    EXPECT_EQ(Check(L"BtnEnableDynamicBass"), 1);
    EXPECT_FLOAT_EQ(Pos(L"BassLevel"), 8.0f);
    EXPECT_EQ(Text(L"LevelTextBox"), L"8");
    EXPECT_FLOAT_EQ(Pos(L"CutoffFrequency"), 250.0f);
    EXPECT_EQ(Text(L"FrequencyTextBox"), L"250");
    EXPECT_TRUE(Enabled(L"MainContent"));
    EXPECT_TRUE(Enabled(L"DynamicBass_Logo"));
    EXPECT_TRUE(std::find(driver.m_reads.begin(), driver.m_reads.end(), L"VIRTUALBASS_Mode store") ==
                driver.m_reads.end());
    delete page->GetOwner();

    driver.PutCached(L"Enable_ADAPTIVEVOLUME_GFX", 0);
    driver.PutCached(L"ADAPTIVEVOLUME_MODE", 5);
    driver.m_unreadable = {L"ADAPTIVEVOLUME_LEVEL"};
    auto* smart = OpenPage<CVimoSmartVolHandler>(L"SpeakerVimoSmartVolume");
    EXPECT_EQ(Check(L"BtnEnableSmartVol"), 0);
    EXPECT_FALSE(Enabled(L"MainContent"));
    EXPECT_FALSE(Enabled(L"SmartVol_Logo"));
    EXPECT_EQ(Text(L"LevelTextBox"), L"70"); // the field before any read
    EXPECT_EQ(smart->GetModeField(), 1u);
    auto* mode = dynamic_cast<IxSkinComboBox*>(Control(L"Mode"));
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->GetCount(), 2);
    EXPECT_EQ(mode->GetCurSel(), 1);

    ClearLogs();
    EXPECT_EQ(smart->OnSelChange(L"Mode", 0), 1);
    EXPECT_EQ(driver.m_writes, std::vector<std::wstring>{L"ADAPTIVEVOLUME_MODE=0/1"});
    EXPECT_EQ(main.m_announced, CallLog{L"ADAPTIVEVOLUME_MODE 0"});
    EXPECT_EQ(smart->OnSelChange(L"Other", 0), 0);
}

// Enter in a number box: checked against the box's range as an unsigned number, written only when it
// differs from the stored value; out of range shows the fixed message and the stored value again.
TEST_F(EffectPageTest, CommittedNumbersAreCheckedAndWrittenOnce) {
    struct Case {
        const wchar_t* box;
        const wchar_t* typed;
        const wchar_t* shown;   // the box afterwards
        const wchar_t* written; // null: nothing
        const wchar_t* message; // null: none
    };
    const Case cases[] = {
        {L"LevelTextBox", L"11", L"5", nullptr, L"Please input 0 -- 10"},
        {L"LevelTextBox", L"-1", L"5", nullptr, L"Please input 0 -- 10"},
        {L"LevelTextBox", L"99999999999", L"5", nullptr, L"Please input 0 -- 10"},
        {L"LevelTextBox", L"5", L"5", nullptr, nullptr},
        {L"LevelTextBox", L"07", L"7", L"VIRTUALBASS_Level=7/1", nullptr},
        {L"LevelTextBox", L"abc", L"0", L"VIRTUALBASS_Level=0/1", nullptr},
        {L"FrequencyTextBox", L"abc", L"200", nullptr, L"Please input 100 -- 400"},
        {L"FrequencyTextBox", L"200", L"200", nullptr, nullptr},
        {L"FrequencyTextBox", L" +350Hz", L"350", L"VIRTUALBASS_CutOffFrequency=350/1", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::wstring(c.box) + L" " + c.typed);
        driver.PutCached(L"Enable_VIRTUALBASS_LFX", 1);
        driver.PutCached(L"VIRTUALBASS_Level", 5);
        driver.PutCached(L"VIRTUALBASS_CutOffFrequency", 200);
        auto* handler = OpenPage<CVimoDynamicBassHandler>(L"SpeakerVimoDynamicBass");
        ClearLogs();
        SetText(c.box, c.typed);
        EXPECT_EQ(handler->OnTextCommitted(c.box, c.typed), 1);
        EXPECT_EQ(Text(c.box), c.shown);
        EXPECT_EQ(driver.m_writes, c.written ? std::vector<std::wstring>{c.written} : std::vector<std::wstring>{});
        EXPECT_EQ(main.m_announced.size(), c.written ? 1u : 0u);
        EXPECT_EQ(messages.m_messages, c.message
                                           ? std::vector<std::wstring>{std::wstring(c.message) + L" | Caption | 64"}
                                           : std::vector<std::wstring>{});
        if (c.written) {
            const bool level = std::wstring(c.box) == L"LevelTextBox";
            EXPECT_FLOAT_EQ(Pos(level ? L"BassLevel" : L"CutoffFrequency"), std::stof(c.shown));
        }
        delete page->GetOwner();
    }
}

TEST_F(EffectPageTest, MappedBoxRejectsSevenAndAFailedWriteKeepsTheField) {
    driver.PutCached(L"AUDIOBRILLIANT_LEVEL", 7);
    auto* handler = OpenPage<CVimoAudioBrilliantHandler>(L"SpeakerVimoAudioBrilliant");
    ClearLogs();
    handler->OnTextCommitted(L"LevelTextBox", L"7");
    EXPECT_EQ(messages.m_messages, std::vector<std::wstring>{L"Please input 0 -- 6 | Caption | 64"});
    EXPECT_EQ(messages.m_owner, page->GetOwner());
    EXPECT_EQ(Text(L"LevelTextBox"), L"3");

    handler->OnTextCommitted(L"LevelTextBox", L"5");
    EXPECT_EQ(driver.m_writes, std::vector<std::wstring>{L"AUDIOBRILLIANT_LEVEL=9/1"});

    // Refused by the device: the box shows the number until it loses the focus, the field stays.
    driver.m_refused = {L"AUDIOBRILLIANT_LEVEL"};
    main.m_announced.clear();
    SetText(L"LevelTextBox", L"2");
    handler->OnTextCommitted(L"LevelTextBox", L"2");
    EXPECT_EQ(Text(L"LevelTextBox"), L"2");
    EXPECT_EQ(handler->GetValueField(0), 5u);
    EXPECT_TRUE(main.m_announced.empty());
    handler->OnTextChanged(L"LevelTextBox", L"2");
    EXPECT_EQ(Text(L"LevelTextBox"), L"5");
    // A refused slider move leaves the box and the field alone.
    EXPECT_EQ(handler->OnSliderChanged(L"BrilliantLevel", 1.0f, 1), 1);
    EXPECT_EQ(Text(L"LevelTextBox"), L"5");
    EXPECT_EQ(handler->GetValueField(0), 5u);
}

// A value typed without Enter is dropped when the box loses the focus.
TEST_F(EffectPageTest, LeavingABoxWithoutEnterRestoresTheStoredValue) {
    driver.PutCached(L"VOICECLARITY_NOISESUPP_LEVEL", 12);
    auto* handler = OpenPage<CVimoVoiceClarityHandler>(L"SpeakerVimoVoiceClarity");
    ClearLogs();
    SetText(L"SuppLevelTextBox", L"4");
    EXPECT_EQ(handler->OnTextChanged(L"SuppLevelTextBox", L"4"), 1);
    EXPECT_EQ(Text(L"SuppLevelTextBox"), L"12");
    EXPECT_TRUE(driver.m_writes.empty());
}

// Reset writes only when the value is elsewhere, mapped where the page maps (3 is written as 7).
TEST_F(EffectPageTest, ResetButtonsWriteOnlyAChange) {
    driver.PutCached(L"VOICECLARITY_LEVEL", 7);
    driver.PutCached(L"VOICECLARITY_NOISESUPP_LEVEL", 9);
    auto* handler = OpenPage<CVimoVoiceClarityHandler>(L"SpeakerVimoVoiceClarity");
    ClearLogs();
    Click(L"ResetVoiceLevel");
    EXPECT_TRUE(driver.m_writes.empty());

    handler->OnSliderChanged(L"VoiceClarityLevel", 6.0f, 1);
    ClearLogs();
    Click(L"ResetVoiceLevel");
    Click(L"ResetSuppLevel");
    EXPECT_EQ(driver.m_writes,
              (std::vector<std::wstring>{L"VOICECLARITY_LEVEL=7/1", L"VOICECLARITY_NOISESUPP_LEVEL=0/1"}));
    EXPECT_EQ(main.m_announced, (CallLog{L"VOICECLARITY_LEVEL 0", L"VOICECLARITY_NOISESUPP_LEVEL 0"}));
    EXPECT_FLOAT_EQ(Pos(L"VoiceClarityLevel"), 3.0f);
    EXPECT_EQ(Text(L"LevelTextBox"), L"3");
    EXPECT_FLOAT_EQ(Pos(L"SuppLevel"), 0.0f);
    EXPECT_EQ(Text(L"SuppLevelTextBox"), L"0");
}

// The switch inverts the page's own field; dynamic bass reasserts its mode on every switch-on, even when
// the switch itself is refused.
TEST_F(EffectPageTest, SwitchFollowsTheFieldAndDynamicBassReassertsItsMode) {
    driver.PutCached(L"Enable_VIRTUALBASS_LFX", 0);
    auto* handler = OpenPage<CVimoDynamicBassHandler>(L"HeadPhoneVimoDynamicBass");
    EXPECT_FALSE(Enabled(L"MainContent"));
    ClearLogs();
    Click(L"BtnEnableDynamicBass");
    EXPECT_EQ(driver.m_writes, (std::vector<std::wstring>{L"Enable_VIRTUALBASS_LFX=1/1", L"VIRTUALBASS_Mode=1/1"}));
    EXPECT_EQ(main.m_announced, CallLog{L"Enable_VIRTUALBASS_LFX 1"});
    EXPECT_TRUE(Enabled(L"MainContent"));
    EXPECT_TRUE(Enabled(L"DynamicBass_Logo"));

    ClearLogs();
    Click(L"BtnEnableDynamicBass");
    EXPECT_EQ(driver.m_writes, std::vector<std::wstring>{L"Enable_VIRTUALBASS_LFX=0/1"});
    EXPECT_FALSE(Enabled(L"MainContent"));

    driver.m_refused = {L"Enable_VIRTUALBASS_LFX"};
    ClearLogs();
    EXPECT_EQ(handler->SetEnable(1), 0);
    EXPECT_EQ(driver.m_writes, (std::vector<std::wstring>{L"Enable_VIRTUALBASS_LFX=1/1", L"VIRTUALBASS_Mode=1/1"}));
    EXPECT_EQ(handler->GetEnableField(), 0u);
    EXPECT_TRUE(main.m_announced.empty());
}

// Polling compares live against cached: the switch first; values behind a switch that is off don't count.
TEST_F(EffectPageTest, DeviceChangesBehindThePage) {
    driver.PutCached(L"Enable_ADAPTIVEVOLUME_GFX", 0);
    driver.PutCached(L"ADAPTIVEVOLUME_LEVEL", 70);
    driver.PutCached(L"ADAPTIVEVOLUME_MODE", 0);
    auto* handler = OpenPage<CVimoSmartVolHandler>(L"SpeakerVimoSmartVolume");
    driver.Put(L"ADAPTIVEVOLUME_LEVEL", 40);
    EXPECT_EQ(handler->UpdateFromDriver(), 0);
    driver.Put(L"Enable_ADAPTIVEVOLUME_GFX", 1);
    EXPECT_EQ(handler->UpdateFromDriver(), 1);
    handler->InitControls();
    EXPECT_EQ(handler->UpdateFromDriver(), 0);
    EXPECT_EQ(Text(L"LevelTextBox"), L"40");
    driver.Put(L"ADAPTIVEVOLUME_MODE", 1);
    EXPECT_EQ(handler->UpdateFromDriver(), 1);
}

// At start-up every key is checked by itself: only one that cannot be read gets its default.
TEST(EffectDefaults, OnlyUnreadableKeysGetTheirDefaults) {
    ToneDriver driver;
    driver.Put(L"Enable_AUDIOBRILLIANT_LFX", 1);
    CVimoAudioBrilliantHandler::InitDefaults(&driver, 7);
    EXPECT_EQ(driver.m_writes, std::vector<std::wstring>{L"7:AUDIOBRILLIANT_LEVEL=7/1"});

    driver.m_writes.clear();
    driver.Put(L"VIRTUALBASS_Level", 3);
    CVimoDynamicBassHandler::InitDefaults(&driver, 1);
    EXPECT_EQ(driver.m_writes,
              (std::vector<std::wstring>{L"1:Enable_VIRTUALBASS_LFX=0/1", L"1:VIRTUALBASS_CutOffFrequency=200/1",
                                         L"1:VIRTUALBASS_Mode=1/1"}));

    driver.m_writes.clear();
    CVimoSmartVolHandler::InitDefaults(&driver, 1);
    CVimoVoiceClarityHandler::InitDefaults(&driver, 1);
    EXPECT_EQ(driver.m_writes,
              (std::vector<std::wstring>{L"1:Enable_ADAPTIVEVOLUME_GFX=0/1", L"1:ADAPTIVEVOLUME_LEVEL=70/1",
                                         L"1:ADAPTIVEVOLUME_MODE=0/1", L"1:Enable_VOICECLARITY_LFX=0/1",
                                         L"1:VOICECLARITY_LEVEL=7/1", L"1:VOICECLARITY_NOISESUPP_LEVEL=0/1"}));
}

} // namespace
