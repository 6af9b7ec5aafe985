// The headphone virtualiser pages on their shipped markup: what they show of the device, what their switches
// and mode buttons write, which other effects they switch off, the change poll and the start-up defaults.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "../TonePageFixture.h"
#include "SkinTestSupport.h"
#include "handlers/effects/DolbyHPV2Handler.h"
#include "handlers/effects/DolbyHPVSHandler.h"
#include "handlers/effects/VimoSurroundHeadPhoneHandler.h"
#include "skin/LayerDialog.h"

using namespace oc::test;
namespace fs = std::filesystem;

namespace {

using Log = std::vector<std::wstring>;

constexpr const wchar_t* kDependent[] = {
    L"BtnEnableHP", L"TitleCheckDolbyHP", L"LogoHP",     L"BtnHPDH1",    L"ImgHPDH1",          L"BtnHPDH2",
    L"ImgHPDH2",    L"BtnHPDH3",          L"ImgHPDH3",   L"BtnEnableVS", L"TitleCheckDolbyVS", L"LogoVS",
    L"BtnVSSmall",  L"BtnVSLarge",        L"ImgVSSmall", L"ImgVSLarge",
};

class DolbyPageTest : public TonePageTest {
protected:
    // A stereo output with the effect in the given state: headphone flavour, room 2, large speakers.
    void PutStereo(uint32_t enable, uint32_t useDH = 1, uint32_t dhMode = 1, uint32_t dvsMode = 1) {
        driver.PutCached(L"DevChannelNumControl", 2);
        driver.PutCached(L"Enable_DHDVS_LFX", enable);
        driver.PutCached(L"DHDVS_USEDH", useDH);
        driver.PutCached(L"DH_Mode", dhMode);
        driver.PutCached(L"DVS_Mode", dvsMode);
    }
    bool Visible(const std::wstring& name) const {
        CxSkinCtrl* control = Control(name);
        return control && control->IsVisible();
    }
    void Reset() {
        driver.m_writes.clear();
        main.m_announced.clear();
    }
};

// A multichannel output shows only the warning; its button asks for the settings of the endpoint the stored
// name gives, which for the quarter panel is still the speakers.
TEST_F(DolbyPageTest, MultichannelOutputShowsTheWarningAndItsChannelButton) {
    PutStereo(1);
    driver.PutCached(L"DevChannelNumControl", 6);
    Open(L"SpeakerQuarterDolbyHPVS", new CSpeakerDolbyHPVSHandler);
    EXPECT_TRUE(Visible(L"WarningContent"));
    EXPECT_FALSE(Visible(L"MainContent"));

    EXPECT_EQ(page->OnClick(L"ChannelsSetting"), 1);
    MSG msg{};
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, kMsgShowSettingContent, kMsgShowSettingContent, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_TRUE(driver.m_writes.empty());
}

// Off, the dependent controls grey out but keep the driver's choices; the flavour not in use hides its
// background and pictures whatever its mode holds.
TEST_F(DolbyPageTest, PageShowsTheDriverStateOnAStereoOutput) {
    PutStereo(0, /*useDH*/ 0, /*dhMode*/ 2, /*dvsMode*/ 1);
    auto* handler = Open(L"SpeakerDolbyHPVS", new CSpeakerDolbyHPVSHandler);
    EXPECT_EQ(handler->GetStereoField(), 1u);
    EXPECT_TRUE(Visible(L"MainContent"));
    EXPECT_FALSE(Visible(L"WarningContent"));
    EXPECT_EQ(Check(L"BtnEnableDolbySurroundEffect"), 0);
    for (const wchar_t* name : kDependent) {
        if (Visible(name)) {
            EXPECT_FALSE(Enabled(name)) << name;
        }
    }
    EXPECT_EQ(Check(L"BtnEnableVS"), 1);
    EXPECT_EQ(Check(L"BtnEnableHP"), 0);
    EXPECT_EQ(Check(L"BtnVSLarge"), 1);
    EXPECT_EQ(Check(L"BtnHPDH3"), 1) << "the headphone room is kept while the other flavour is in use";
    for (const wchar_t* hidden : {L"BSDHP", L"ImgHPDH1", L"ImgHPDH2", L"ImgHPDH3", L"ImgVSSmall"})
        EXPECT_FALSE(Visible(hidden)) << hidden;
    EXPECT_TRUE(Visible(L"BSDVS"));
    EXPECT_TRUE(Visible(L"ImgVSLarge"));

    driver.PutCached(L"Enable_DHDVS_LFX", 1);
    handler->InitControls();
    for (const wchar_t* name : kDependent) {
        if (Visible(name)) {
            EXPECT_TRUE(Enabled(name)) << name;
        }
    }
}

// On switches the other surround effects and the up-mix selector off; off switches nothing else; a refused
// switch leaves the button as the driver kept it and tells nobody.
TEST_F(DolbyPageTest, SwitchWritesAndExcludesTheOtherSurroundEffects) {
    PutStereo(0);
    Open(L"HeadPhoneDolbyHPVS", new CHeadPhoneDolbyHPVSHandler);
    Reset();
    Click(L"BtnEnableDolbySurroundEffect");
    EXPECT_EQ(driver.m_writes, (Log{L"Enable_DHDVS_LFX=1/1", L"Enable_SURRSENS_LFX=0/1", L"Enable_KESTAL_HPSPK_LFX=0/1",
                                    L"GFSControl=0/1"}));
    ASSERT_FALSE(main.m_announced.empty());
    EXPECT_EQ(main.m_announced.back(), L"Enable_DHDVS_LFX 1");
    EXPECT_EQ(Check(L"BtnEnableDolbySurroundEffect"), 1);
    EXPECT_TRUE(Enabled(L"BtnHPDH1"));

    Reset();
    Click(L"BtnEnableDolbySurroundEffect");
    EXPECT_EQ(driver.m_writes, (Log{L"Enable_DHDVS_LFX=0/1"}));
    EXPECT_EQ(main.m_announced, (Log{L"Enable_DHDVS_LFX 1"}));

    Reset();
    driver.m_refused.insert(L"Enable_DHDVS_LFX");
    Click(L"BtnEnableDolbySurroundEffect");
    EXPECT_EQ(driver.m_writes, (Log{L"Enable_DHDVS_LFX=1/1"}));
    EXPECT_TRUE(main.m_announced.empty());
    EXPECT_EQ(Check(L"BtnEnableDolbySurroundEffect"), 0);

    // A refused switch-off leaves the effect on, and the button shows it on.
    driver.m_refused.clear();
    driver.PutCached(L"Enable_DHDVS_LFX", 1);
    driver.m_refused.insert(L"Enable_DHDVS_LFX");
    Reset();
    Click(L"BtnEnableDolbySurroundEffect");
    EXPECT_EQ(driver.m_writes, (Log{L"Enable_DHDVS_LFX=0/1"}));
    EXPECT_TRUE(main.m_announced.empty());
    EXPECT_EQ(Check(L"BtnEnableDolbySurroundEffect"), 1);
}

TEST_F(DolbyPageTest, ChoiceButtonsWriteTheirKeyAndRebuildThePage) {
    struct Case {
        const wchar_t* button;
        const wchar_t* write;
        const wchar_t* announce;
        const wchar_t* shown; // visible afterwards
    };
    const Case cases[] = {
        {L"BtnEnableVS", L"DHDVS_USEDH=0/1", L"DHDVS_USEDH 0", L"ImgVSLarge"},
        {L"BtnVSSmall", L"DVS_Mode=0/1", L"DVS_Mode 0", L"ImgVSSmall"},
        {L"BtnEnableHP", L"DHDVS_USEDH=1/1", L"DHDVS_USEDH 0", L"BSDHP"},
        {L"BtnHPDH1", L"DH_Mode=0/1", L"DH_Mode 0", L"ImgHPDH1"},
        {L"BtnHPDH3", L"DH_Mode=2/1", L"DH_Mode 0", L"ImgHPDH3"},
    };
    PutStereo(1);
    Open(L"SpeakerDolbyHPVS", new CSpeakerDolbyHPVSHandler);
    for (const Case& c : cases) {
        Reset();
        EXPECT_EQ(page->OnClick(c.button), 1) << c.button;
        EXPECT_EQ(driver.m_writes, (Log{c.write})) << c.button;
        EXPECT_EQ(main.m_announced, (Log{c.announce})) << c.button;
        EXPECT_TRUE(Visible(c.shown)) << c.button;
    }
    EXPECT_EQ(page->OnClick(L"Unknown"), 0);
}

TEST_F(DolbyPageTest, PollComparesTheSettingsOnlyWhileTheEffectIsOn) {
    PutStereo(0);
    Open(L"SpeakerDolbyHPVS", new CSpeakerDolbyHPVSHandler);
    EXPECT_EQ(page->UpdateFromDriver(), 0);
    driver.Put(L"DH_Mode", 2);
    EXPECT_EQ(page->UpdateFromDriver(), 0) << "a setting behind a switch that is off";
    driver.Put(L"Enable_DHDVS_LFX", 1);
    EXPECT_EQ(page->UpdateFromDriver(), 1);
    PutStereo(1);
    EXPECT_EQ(page->UpdateFromDriver(), 0);
    driver.Put(L"DHDVS_USEDH", 0);
    EXPECT_EQ(page->UpdateFromDriver(), 1);
}

TEST_F(DolbyPageTest, StartupDefaultsOnlyWhereTheSwitchCannotBeRead) {
    CDolbyHPVSHandler::WriteDefaults(&driver, 7);
    EXPECT_EQ(driver.m_writes,
              (Log{L"7:Enable_DHDVS_LFX=0/1", L"7:DH_Mode=0/1", L"7:DVS_Mode=0/1", L"7:DHDVS_USEDH=0/1"}));
    driver.m_writes.clear();
    driver.PutCached(L"Enable_DHDVS_LFX", 1);
    CDolbyHPVSHandler::WriteDefaults(&driver, 7);
    EXPECT_TRUE(driver.m_writes.empty());
}

// The virtual page switches nothing else off and never reports a change to the poll.
TEST_F(DolbyPageTest, VirtualPageDrivesTheVirtualSurroundKeys) {
    driver.PutCached(L"EnableVirtualSurroundEffect", 2);
    driver.PutCached(L"VirtualSurroundRoomSize", 1);
    Open(L"SpeakerVirtualDolbyHPVS", new CSpeakerVirtualDolbyHPVSHandler);
    EXPECT_EQ(Check(L"BtnEnableDolbySurroundEffect"), 0) << "only 1 is on";
    EXPECT_FALSE(Enabled(L"BSDHP"));
    EXPECT_EQ(Check(L"BtnHPDH2"), 1);
    EXPECT_TRUE(Visible(L"ImgHPDH2"));
    EXPECT_FALSE(Visible(L"ImgHPDH1"));

    Click(L"BtnEnableDolbySurroundEffect");
    EXPECT_EQ(driver.m_writes, (Log{L"EnableVirtualSurroundEffect=1/1"}));
    EXPECT_EQ(main.m_announced, (Log{L"EnableVirtualSurroundEffect 1"}));
    EXPECT_TRUE(Enabled(L"BSDHP"));

    Reset();
    EXPECT_EQ(page->OnClick(L"BtnHPDH3"), 1);
    EXPECT_EQ(driver.m_writes, (Log{L"VirtualSurroundRoomSize=2/1"}));
    EXPECT_EQ(main.m_announced, (Log{L"VirtualSurroundRoomSize 1"}));
    EXPECT_TRUE(Visible(L"ImgHPDH3"));
    EXPECT_EQ(page->OnClick(L"ChannelsSetting"), 0);

    driver.Put(L"EnableVirtualSurroundEffect", 0);
    EXPECT_EQ(page->UpdateFromDriver(), 0);
}

// A driver value other than 1 is off, so a click turns it on; a refused write still shows the driver's
// value and tells the status panel.
TEST_F(DolbyPageTest, V2SwitchTogglesOnlyOneAsOn) {
    driver.PutCached(L"Enable_DHV2_LFX", 2);
    Open(L"HeadPhoneDolbyHPV2", new CHeadPhoneDolbyHPV2Handler);
    EXPECT_EQ(Check(L"BtnEnableDolbySurroundEffect"), 0);
    EXPECT_FALSE(Enabled(L"BSDHP"));
    Click(L"BtnEnableDolbySurroundEffect");
    EXPECT_EQ(driver.m_writes, (Log{L"Enable_DHV2_LFX=1/1"}));
    EXPECT_EQ(main.m_announced, (Log{L"Enable_DHV2_LFX 1"}));
    EXPECT_EQ(Check(L"BtnEnableDolbySurroundEffect"), 1);
    EXPECT_TRUE(Enabled(L"TitleCheckDolbyHP"));

    Reset();
    driver.m_refused.insert(L"Enable_DHV2_LFX");
    Click(L"BtnEnableDolbySurroundEffect");
    EXPECT_EQ(driver.m_writes, (Log{L"Enable_DHV2_LFX=0/1"}));
    EXPECT_EQ(main.m_announced, (Log{L"Enable_DHV2_LFX 1"}));
    EXPECT_EQ(Check(L"BtnEnableDolbySurroundEffect"), 1) << "the page shows what the driver kept";

    EXPECT_EQ(page->UpdateFromDriver(), 0);
    driver.Put(L"Enable_DHV2_LFX", 0);
    EXPECT_EQ(page->UpdateFromDriver(), 1);
}

TEST_F(DolbyPageTest, V2VirtualPageNeverReportsAChange) {
    driver.PutCached(L"EnableVirtualSurroundEffect", 1);
    Open(L"SpeakerVirtualDolbyHPV2", new CSpeakerVirtualDolbyHPV2Handler);
    EXPECT_EQ(Check(L"BtnEnableDolbySurroundEffect"), 1);
    driver.Put(L"EnableVirtualSurroundEffect", 0);
    EXPECT_EQ(page->UpdateFromDriver(), 0);
    Click(L"BtnEnableDolbySurroundEffect");
    EXPECT_EQ(driver.m_writes, (Log{L"EnableVirtualSurroundEffect=1/1"}));
    EXPECT_EQ(page->OnClick(L"Other"), 0);
}

// --- The surround headphone pages ---

class HeadPhonePageTest : public DolbyPageTest {
protected:
    void PutHeadPhone(uint32_t enable, uint32_t useHeadphone = 1) {
        driver.PutCached(L"DevChannelNumControl", 2);
        driver.PutCached(L"Enable_KESTAL_HPSPK_LFX", enable);
        driver.PutCached(L"KESTAL_HPSPK_USEHP", useHeadphone);
        driver.PutCached(L"Enable_Channel_COPY_LFX", 0);
        driver.PutCached(L"KESTAL_HPSPK_ROOMSIZE", 2);
        driver.PutCached(L"KESTAL_HPSPK_MODE", 1);
    }
};

// The switch is shared with the speakers effect: where the endpoint has both, it is the headphone's only
// while USEHP says so.
TEST_F(HeadPhonePageTest, SharedSwitchBelongsToTheHeadphoneOnlyWithUseHeadphone) {
    struct Case {
        bool speakersToo;
        uint32_t useHeadphone;
        int shownOn;
    };
    const Case cases[] = {{true, 0, 0}, {true, 1, 1}, {false, 0, 1}};
    driver.m_currentEndpoint = L"HeadPhone";
    for (const Case& c : cases) {
        PutHeadPhone(1, c.useHeadphone);
        driver.m_features.clear();
        if (c.speakersToo)
            driver.m_features.insert(L"HeadPhoneVimoSurroundSpeakers");
        auto* handler = Open(L"HeadPhoneVimoSurroundHeadPhone", new CHeadPhoneVimoSurroundHeadPhoneHandler);
        EXPECT_EQ(Check(L"BtnEnableVimoSurroundHeadPhone"), c.shownOn) << c.speakersToo << c.useHeadphone;
        EXPECT_EQ(handler->GetEnableField(), static_cast<uint32_t>(c.shownOn));
        EXPECT_EQ(Visible(L"Headphone_Diagram_On"), c.shownOn == 1);
        EXPECT_EQ(Enabled(L"RoomSizeS"), c.shownOn == 1);
        EXPECT_TRUE(Enabled(L"BtnEnableVimoSurroundHeadPhone"));
        EXPECT_EQ(Check(L"RoomSizeS"), 1);
        EXPECT_EQ(Check(L"BtnVimoMovie"), 1);
        delete page->GetOwner();
    }
}

TEST_F(HeadPhonePageTest, WarningFollowsTheChannelsEachPageNeeds) {
    struct Case {
        const wchar_t* panel;
        bool isVirtual;
        uint32_t channels;
        bool warning;
    };
    const Case cases[] = {
        {L"SpeakerVimoSurroundHeadPhone", false, 6, true},
        {L"SpeakerVimoSurroundHeadPhone", false, 2, false},
        {L"SpeakerVirtualVimoSurroundHeadPhone", true, 2, true},
        {L"SpeakerVirtualVimoSurroundHeadPhone", true, 8, false},
    };
    for (const Case& c : cases) {
        PutHeadPhone(1);
        driver.PutCached(L"DevChannelNumControl", c.channels);
        if (c.isVirtual)
            Open(c.panel, new CSpeakerVirtualVimoSurroundHeadPhoneHandler);
        else
            Open(c.panel, new CSpeakerVimoSurroundHeadPhoneHandler);
        EXPECT_EQ(Visible(L"WarningContent"), c.warning) << c.panel << L" " << c.channels;
        delete page->GetOwner();
    }
}

// On: the other surround effects off and USEHP claimed; off: the rule for the shared switch and the test
// speakers unchecked. Each ends with the three notices.
TEST_F(HeadPhonePageTest, SwitchExcludesClaimsTheEffectAndClearsTheTest) {
    PutHeadPhone(0);
    Open(L"HeadPhoneVimoSurroundHeadPhone", new CHeadPhoneVimoSurroundHeadPhoneHandler);
    Reset();
    EXPECT_EQ(page->OnClick(L"BtnEnableVimoSurroundHeadPhone"), 1);
    ASSERT_GE(driver.m_writes.size(), 2u);
    EXPECT_EQ(driver.m_writes.front(), L"Enable_KESTAL_HPSPK_LFX=1/1");
    EXPECT_EQ(driver.m_writes.back(), L"KESTAL_HPSPK_USEHP=1/1");
    EXPECT_EQ(driver.Live(L"Enable_DHDVS_LFX"), 0.0);
    EXPECT_EQ(driver.Live(L"Enable_SURRSENS_LFX"), 0.0);
    ASSERT_GE(main.m_announced.size(), 3u);
    EXPECT_EQ(Log(main.m_announced.end() - 3, main.m_announced.end()),
              (Log{L"Enable_KESTAL_HPSPK_LFX 1", L"KESTAL_HPSPK_USEHP 1", L"Enable_Channel_COPY_LFX 1"}));
    EXPECT_EQ(Check(L"BtnEnableVimoSurroundHeadPhone"), 1);

    for (const wchar_t* name : {L"BtnSpeakerTest", L"ImgLF", L"ImgWoofer"}) {
        if (auto* button = dynamic_cast<IxSkinButton*>(Control(name)))
            button->SetCheck(1, FALSE);
    }
    Reset();
    EXPECT_EQ(page->OnClick(L"BtnEnableVimoSurroundHeadPhone"), 1);
    EXPECT_EQ(driver.m_writes.front(), L"Enable_KESTAL_HPSPK_LFX=0/1");
    for (const wchar_t* name : {L"BtnSpeakerTest", L"ImgLF", L"ImgWoofer"})
        EXPECT_EQ(Check(name), 0) << name;
    EXPECT_FALSE(Visible(L"SpeakerTestView"));

    Reset();
    driver.m_refused.insert(L"Enable_KESTAL_HPSPK_LFX");
    EXPECT_EQ(page->OnClick(L"BtnEnableVimoSurroundHeadPhone"), 0);
    EXPECT_EQ(driver.m_writes, (Log{L"Enable_KESTAL_HPSPK_LFX=1/1"}));
    EXPECT_TRUE(main.m_announced.empty());
}

// A refused room size or mode puts the radio buttons back on what the driver kept.
TEST_F(HeadPhonePageTest, RefusedChoiceResynchronisesTheRadioButtons) {
    PutHeadPhone(1);
    auto* handler = Open(L"SpeakerVimoSurroundHeadPhone", new CSpeakerVimoSurroundHeadPhoneHandler);
    Reset();
    EXPECT_EQ(handler->SetRoomSize(0), 1);
    EXPECT_EQ(main.m_announced, (Log{L"KESTAL_HPSPK_ROOMSIZE 0"}));
    EXPECT_EQ(handler->SetMode(0), 0);
    EXPECT_EQ(main.m_announced.back(), L"KESTAL_HPSPK_MODE 0");

    driver.m_refused = {L"KESTAL_HPSPK_ROOMSIZE", L"KESTAL_HPSPK_MODE"};
    Click(L"RoomSizeS");
    Click(L"BtnVimoMovie");
    EXPECT_EQ(Check(L"RoomSizeL"), 1);
    EXPECT_EQ(Check(L"RoomSizeS"), 0);
    EXPECT_EQ(Check(L"BtnVimoMusic"), 1);
    EXPECT_EQ(Check(L"BtnVimoMovie"), 0);
}

TEST_F(HeadPhonePageTest, DeviceWithoutTheModeKeyShowsNoModeButtons) {
    PutHeadPhone(1);
    driver.m_unreadable.insert(L"KESTAL_HPSPK_MODE");
    Open(L"HeadPhoneVimoSurroundHeadPhone", new CHeadPhoneVimoSurroundHeadPhoneHandler);
    for (const wchar_t* name : {L"BtnVimoMusic", L"BtnVimoMusic_Text", L"BtnVimoMovie", L"BtnVimoMovie_Text"})
        EXPECT_FALSE(Visible(name)) << name;
}

TEST_F(HeadPhonePageTest, ChannelCopyAndPoll) {
    PutHeadPhone(1);
    auto* handler = Open(L"HeadPhoneVimoSurroundHeadPhone", new CHeadPhoneVimoSurroundHeadPhoneHandler);
    Reset();
    EXPECT_EQ(page->OnClick(L"ChannelCopy"), 1);
    EXPECT_EQ(driver.m_writes, (Log{L"Enable_Channel_COPY_LFX=1/1"}));
    EXPECT_EQ(main.m_announced, (Log{L"Enable_Channel_COPY_LFX 1"}));
    driver.m_refused.insert(L"Enable_Channel_COPY_LFX");
    EXPECT_EQ(handler->UpdateChannelCopy(), 0);
    EXPECT_EQ(handler->GetChannelCopyField(), 0u) << "the inverted flag stays until the next read";

    EXPECT_EQ(page->UpdateFromDriver(), 0);
    driver.Put(L"KESTAL_HPSPK_ROOMSIZE", 0);
    EXPECT_EQ(page->UpdateFromDriver(), 1);
    PutHeadPhone(0);
    driver.Put(L"KESTAL_HPSPK_MODE", 0);
    EXPECT_EQ(page->UpdateFromDriver(), 0) << "settings behind a switch that is off";
    driver.Put(L"DevChannelNumControl", 6);
    EXPECT_EQ(page->UpdateFromDriver(), 1);
}

TEST_F(HeadPhonePageTest, VirtualPageSwitchesNothingElseAndNoticesWithFlagOne) {
    driver.PutCached(L"DevChannelNumControl", 8);
    driver.PutCached(L"EnableVirtualSurroundEffect", 0);
    driver.PutCached(L"VirtualSurroundRoomSize", 1);
    driver.PutCached(L"VirtualSurroundMode", 0);
    Open(L"SpeakerVirtualVimoSurroundHeadPhone", new CSpeakerVirtualVimoSurroundHeadPhoneHandler);
    EXPECT_EQ(Control(L"ChannelCopy"), nullptr);
    EXPECT_EQ(Check(L"RoomSizeM"), 1);
    EXPECT_EQ(page->OnClick(L"BtnEnableVimoSurroundHeadPhone"), 1);
    EXPECT_EQ(driver.m_writes, (Log{L"EnableVirtualSurroundEffect=1/1"}));
    EXPECT_EQ(main.m_announced,
              (Log{L"EnableVirtualSurroundEffect 1", L"VirtualSurroundMode 1", L"VirtualSurroundRoomSize 1"}));
    Reset();
    page->OnClick(L"RoomSizeS");
    page->OnClick(L"BtnVimoMovie");
    EXPECT_EQ(driver.m_writes, (Log{L"VirtualSurroundRoomSize=2/1", L"VirtualSurroundMode=1/1"}));
    EXPECT_EQ(main.m_announced, (Log{L"VirtualSurroundRoomSize 1", L"VirtualSurroundMode 1"}));
    driver.Put(L"EnableVirtualSurroundEffect", 0);
    EXPECT_EQ(page->UpdateFromDriver(), 0);
}

TEST_F(HeadPhonePageTest, StartupDefaultsOnlyWhereTheSwitchCannotBeRead) {
    CVimoSurroundHeadPhoneHandler::WriteDefaults(&driver, 7);
    EXPECT_EQ(driver.m_writes,
              (Log{L"7:Enable_KESTAL_HPSPK_LFX=0/1", L"7:KESTAL_HPSPK_USEHP=1/1", L"7:Enable_Channel_COPY_LFX=0/1",
                   L"7:KESTAL_HPSPK_ROOMSIZE=1/1", L"7:KESTAL_HPSPK_MODE=0/1"}));
    driver.m_writes.clear();
    driver.PutCached(L"Enable_KESTAL_HPSPK_LFX", 0);
    CVimoSurroundHeadPhoneHandler::WriteDefaults(&driver, 7);
    EXPECT_TRUE(driver.m_writes.empty());
}

// --- The shipped files ---

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end()); // keys and file names are ASCII
}

std::set<std::wstring> Keys(const char* culture) {
    std::set<std::wstring> keys;
    const std::regex entry("x:Key=\"(ml_[A-Za-z0-9_]+)\"");
    for (const auto& file : fs::directory_iterator(ProgramDir() / "lang" / culture)) {
        const std::string text = ReadText(file.path());
        for (auto it = std::sregex_iterator(text.begin(), text.end(), entry); it != std::sregex_iterator(); ++it)
            keys.insert(Widen((*it)[1].str()));
    }
    return keys;
}

const wchar_t* const kPages[] = {
    L"SpeakerDolbyHPVS",
    L"SpeakerQuarterDolbyHPVS",
    L"HeadPhoneDolbyHPVS",
    L"SpeakerVirtualDolbyHPVS",
    L"SpeakerQuarterVirtualDolbyHPVS",
    L"SpeakerDolbyHPV2",
    L"SpeakerQuarterDolbyHPV2",
    L"HeadPhoneDolbyHPV2",
    L"SpeakerVirtualDolbyHPV2",
    L"SpeakerQuarterVirtualDolbyHPV2",
    L"HeadPhoneVimoSurroundHeadPhone",
    L"SpeakerVimoSurroundHeadPhone",
    L"SpeakerQuarterVimoSurroundHeadPhone",
    L"SpeakerVirtualVimoSurroundHeadPhone",
    L"SpeakerQuarterVirtualVimoSurroundHeadPhone",
};

TEST(DolbyPageFiles, NameOnlyBuiltImagesAndTranslatedTexts) {
    const auto english = Keys("en-US");
    const auto german = Keys("de-DE");
    for (const wchar_t* pageName : kPages) {
        const fs::path file = ShippedSkinDir() / (std::wstring(L"apo") + pageName + L".lyt");
        SCOPED_TRACE(file.filename().string());
        const std::string text = ReadText(file);
        ASSERT_FALSE(text.empty());
        EXPECT_NE(text.find("Name=\"" + fs::path(pageName).string() + "\""), std::string::npos);
        const std::regex image("\"([A-Za-z]+/[A-Za-z0-9_]+\\.png)\"");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), image); it != std::sregex_iterator(); ++it)
            EXPECT_TRUE(fs::exists(ShippedSkinDir() / (*it)[1].str())) << (*it)[1].str();
        const std::regex key("ml_[A-Za-z0-9_]+");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), key); it != std::sregex_iterator(); ++it) {
            EXPECT_TRUE(english.contains(Widen(it->str()))) << it->str();
            EXPECT_TRUE(german.contains(Widen(it->str()))) << it->str();
        }
    }
}

// Back-buffer pixels over the window background, as the main window shows a page.
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

TEST_F(DolbyPageTest, PagesDrawTheirControls) {
    const fs::path gallery = ProgramDir().parent_path() / "gallery";
    const uint32_t empty = dialog.GetPixel(740, 380);
    PutStereo(1);
    Open(L"SpeakerDolbyHPVS", new CSpeakerDolbyHPVSHandler);
    // The switch in the header is drawn.
    EXPECT_NE(dialog.GetPixel(628 + 10, 12 + 10), empty);
    SaveBackBuffer(dialog, gallery / "apoSpeakerDolbyHPVS.png");
    delete page->GetOwner();

    driver.PutCached(L"Enable_KESTAL_HPSPK_LFX", 1);
    driver.PutCached(L"KESTAL_HPSPK_USEHP", 1);
    driver.PutCached(L"KESTAL_HPSPK_MODE", 0);
    Open(L"HeadPhoneVimoSurroundHeadPhone", new CHeadPhoneVimoSurroundHeadPhoneHandler);
    EXPECT_NE(dialog.GetPixel(16 + 20 + 110, 64 + 20 + 80), empty);
    SaveBackBuffer(dialog, gallery / "apoHeadPhoneVimoSurroundHeadPhone.png");
}

} // namespace
