// The environment pages on their shipped markup: greying by the device's switch, the list and its
// shortcut buttons, room sizes, the poll and the start-up defaults.
#include <gtest/gtest.h>

#include "../ChannelPageFixture.h"
#include "handlers/effects/EMHandler.h"

using namespace oc::test;

namespace {

const wchar_t* const kGreyed[] = {L"BtnSmallRoom", L"BtnMediumRoom", L"BtnLargeRoom",  L"TextRoomSize",
                                  L"EM_Logo",      L"EffectList",    L"TextEM",        L"BtnUnderWater",
                                  L"BtnPsychotic", L"BtnBathroom",   L"BtnConcertHall"};
const wchar_t* const kShortcuts[] = {L"BtnBathroom", L"BtnConcertHall", L"BtnUnderWater", L"BtnPsychotic"};

class EMPageTest : public ChannelPageTest {
protected:
    void PutDevice(int enable, int room, int environment) {
        channel.PutCached(L"Enable_RFX_GFX", enable);
        channel.PutCached(L"RFX_ROOMSIZE", room);
        channel.PutCached(L"RFX_ENVIRONMENT", environment);
    }
    CEMHandler* OpenPage(const std::wstring& panel = L"SpeakerEM") {
        return Open(panel, static_cast<CEMHandler*>(new CSpeakerEMHandler));
    }
    Log CheckedShortcuts() const {
        Log checked;
        for (const wchar_t* name : kShortcuts) {
            if (Check(name) == 1)
                checked.push_back(name);
        }
        return checked;
    }
};

TEST_F(EMPageTest, SwitchGreysEverythingButItself) {
    PutDevice(0, 1, 8);
    auto* handler = OpenPage();
    EXPECT_EQ(handler->GetName(), L"SpeakerEMHandler");
    EXPECT_TRUE(Enabled(L"BtnEnableEM"));
    for (const wchar_t* name : kGreyed)
        EXPECT_FALSE(Enabled(name)) << std::wstring(name).c_str();
    EXPECT_EQ(Check(L"BtnMediumRoom"), 1);
    EXPECT_EQ(Selected(L"EffectList"), 7);
    EXPECT_EQ(CheckedShortcuts(), Log{L"BtnConcertHall"});

    // The device moved on behind the page; switching on follows its environment, not its room size.
    channel.PutCached(L"RFX_ROOMSIZE", 2);
    channel.PutCached(L"RFX_ENVIRONMENT", 26);
    ClearLogs();
    Click(L"BtnEnableEM");
    EXPECT_EQ(channel.m_writes, Log{L"Enable_RFX_GFX=1/1"});
    for (const wchar_t* name : kGreyed)
        EXPECT_TRUE(Enabled(name)) << std::wstring(name).c_str();
    EXPECT_EQ(Check(L"BtnMediumRoom"), 1);
    EXPECT_EQ(Selected(L"EffectList"), 25);
    EXPECT_EQ(CheckedShortcuts(), Log{L"BtnPsychotic"});
    EXPECT_EQ(playerMain.m_announced, Log{L"Enable_RFX_GFX 1"});
}

TEST_F(EMPageTest, AnyNonzeroSwitchTurnsOffAndARefusalShowsOff) {
    PutDevice(2, 0, 1);
    OpenPage();
    EXPECT_EQ(Check(L"BtnEnableEM"), 1);
    ClearLogs();
    Click(L"BtnEnableEM");
    EXPECT_EQ(channel.m_writes, Log{L"Enable_RFX_GFX=0/1"});
    channel.m_refused.insert(L"Enable_RFX_GFX");
    Click(L"BtnEnableEM");
    EXPECT_EQ(Check(L"BtnEnableEM"), 0);
    EXPECT_EQ(playerMain.m_announced, Log{L"Enable_RFX_GFX 1"});
}

TEST_F(EMPageTest, ListChoiceChecksOnlyItsShortcut) {
    PutDevice(1, 0, 1);
    auto* handler = OpenPage();
    struct Case {
        int index;
        const wchar_t* write;
        Log checked;
    };
    const Case cases[] = {
        {7, L"RFX_ENVIRONMENT=8/1", {L"BtnConcertHall"}},
        {8, L"RFX_ENVIRONMENT=9/1", {}},
        {22, L"RFX_ENVIRONMENT=23/1", {L"BtnUnderWater"}},
        {3, L"RFX_ENVIRONMENT=4/1", {L"BtnBathroom"}},
    };
    for (const Case& c : cases) {
        ClearLogs();
        handler->OnSelChange(L"EffectList", c.index);
        EXPECT_EQ(channel.m_writes, Log{c.write});
        EXPECT_EQ(CheckedShortcuts(), c.checked) << c.index;
    }
    // A refused write still shows the user's choice.
    channel.m_refused.insert(L"RFX_ENVIRONMENT");
    playerMain.m_announced.clear();
    handler->OnSelChange(L"EffectList", 25);
    EXPECT_EQ(CheckedShortcuts(), Log{L"BtnPsychotic"});
    EXPECT_TRUE(playerMain.m_announced.empty());
}

TEST_F(EMPageTest, ShortcutMovesTheList) {
    PutDevice(1, 0, 1);
    OpenPage();
    ClearLogs();
    Click(L"BtnPsychotic");
    EXPECT_EQ(Selected(L"EffectList"), 25);
    EXPECT_EQ(channel.m_writes, Log{L"RFX_ENVIRONMENT=26/1"});
    EXPECT_EQ(playerMain.m_announced, Log{L"RFX_ENVIRONMENT 0"});
}

TEST_F(EMPageTest, RoomSizes) {
    // An unknown size selects no button; an unreadable environment clears the list.
    PutDevice(1, 5, 1);
    channel.m_unreadable.insert(L"RFX_ENVIRONMENT");
    auto* handler = OpenPage();
    for (const wchar_t* name : {L"BtnSmallRoom", L"BtnMediumRoom", L"BtnLargeRoom"})
        EXPECT_EQ(Check(name), 0) << std::wstring(name).c_str();
    EXPECT_EQ(Selected(L"EffectList"), -1);
    EXPECT_TRUE(CheckedShortcuts().empty());

    ClearLogs();
    handler->OnClick(L"BtnLargeRoom");
    EXPECT_EQ(channel.m_writes, Log{L"RFX_ROOMSIZE=2/1"});
    EXPECT_EQ(playerMain.m_announced, Log{L"RFX_ROOMSIZE 0"});
    // Refused: the group shows the device's size again.
    channel.m_refused.insert(L"RFX_ROOMSIZE");
    if (auto* radio = dynamic_cast<IxSkinButton*>(Control(L"BtnSmallRoom")))
        radio->SetCheck(1, FALSE);
    handler->OnClick(L"BtnSmallRoom");
    EXPECT_EQ(Check(L"BtnLargeRoom"), 1);
}

TEST_F(EMPageTest, PollAndStartUpDefaults) {
    PutDevice(1, 0, 4);
    auto* handler = OpenPage(L"HeadPhoneEM");
    EXPECT_EQ(handler->UpdateFromDriver(), 0);
    channel.Put(L"RFX_ENVIRONMENT", 5);
    EXPECT_EQ(handler->UpdateFromDriver(), 1);
    channel.PutCached(L"Enable_RFX_GFX", 0);
    EXPECT_EQ(handler->UpdateFromDriver(), 0);

    ClearLogs();
    CEMHandler::InitDefaults(&channel, 2);
    EXPECT_TRUE(channel.m_writes.empty()) << "a readable endpoint keeps its settings";
    channel.m_unreadable.insert(L"Enable_RFX_GFX");
    CEMHandler::InitDefaults(&channel, 2);
    EXPECT_EQ(channel.m_writes, (Log{L"2:Enable_RFX_GFX=0/1", L"2:RFX_ROOMSIZE=0/1", L"2:RFX_ENVIRONMENT=1/1"}));
}

} // namespace
