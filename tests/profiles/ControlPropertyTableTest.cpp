#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "FakeProfileDriver.h"
#include "profiles/ControlPropertyTable.h"

namespace {

using oc::test::FakeProfileDriver;

TEST(ControlPropertyTable, FindControlIndexReturnsTheFirstRowWithTheExactKey) {
    const struct {
        const wchar_t* name;
        int32_t index;
    } cases[] = {
        {L"MuteControl", 0},
        {L"Enable_Channel_COPY_LFX", 11}, // also rows 54, 70, 76
        {L"EQ_Slider10", 33},
        {L"Enable_KESTAL_HPSPK_LFX", 67}, // also row 72
        {L"SURRSENS_DIALOGCLARITY_GAIN", 84},
        {L"Enable_DHV2_LFX", 93},
        {L"AGCControl", 111},
        {L"EnableVirtualSurroundEffect", 112}, // also rows 115, 117
        {L"VirtualSurroundRoomSize", 114},     // also row 116
        {L"volumecontrol", -1},                // case matters
        {L"VolumeControl ", -1},               // so does length
        {L"NoSuchProperty", -1},
        {L"", -1}, // the unused rows have empty keys, but an empty name is no setting
        {nullptr, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindControlIndex(c.name), c.index) << (c.name ? c.name : L"(null)");
}

TEST(ControlPropertyTable, FilledRowsAreWellFormedAndTheRestAreEmpty) {
    const std::set<int32_t> flags = {0, 2, 6, 7};
    const std::set<int32_t> kinds = {kControlValueInt, kControlValueFloat, kControlValueU16};
    for (int i = 0; i < kControlPropertyRowCount; ++i) {
        const ControlPropertyRow& row = g_ControlPropertyTable[i];
        ASSERT_NE(row.Key, nullptr);
        ASSERT_NE(row.Feature, nullptr);
        ASSERT_NE(row.ParentSwitch, nullptr);
        if (i >= 118) {
            EXPECT_EQ(row.EndpointMask, 0u) << i;
            EXPECT_STREQ(row.Key, L"") << i;
            continue;
        }
        EXPECT_NE(row.EndpointMask, 0u) << i;
        EXPECT_EQ(row.EndpointMask & 0x100u, 0u) << "no row holds SPDIFInRCA: " << i;
        EXPECT_TRUE(flags.count(row.Flags)) << i;
        EXPECT_TRUE(kinds.count(row.ValueKind)) << i;
        // The program's own values are exactly the "__" rows.
        EXPECT_EQ(std::wstring(row.Key).rfind(L"__", 0) == 0, row.Flags == 0) << i;
        // A parent names a switch that precedes its values.
        if (*row.ParentSwitch) {
            const int32_t parent = FindControlIndex(row.ParentSwitch);
            ASSERT_GE(parent, 0) << i;
            EXPECT_TRUE(g_ControlPropertyTable[parent].Flags & kControlRowSwitch) << i;
        }
    }
    EXPECT_EQ(g_ControlPropertyTable[2].ValueKind, kControlValueFloat);
    EXPECT_EQ(g_ControlPropertyTable[10].ValueKind, kControlValueU16);
    EXPECT_EQ(g_ControlPropertyTable[20].ValueKind, kControlValueU16);
    EXPECT_STREQ(g_ControlPropertyTable[54].ParentSwitch, L"Enable_SS_LFX");
    EXPECT_EQ(g_ControlPropertyTable[54].Flags, 7);
    EXPECT_EQ(g_ControlPropertyTable[70].Flags, 6);
}

TEST(ControlPropertyTable, MaskAndCodeConvertBothWays) {
    const struct {
        EndpointMask bit;
        int32_t code;
    } pairs[] = {{0x1, 1},  {0x2, 7},  {0x4, 4},   {0x8, 104},  {0x10, 2},
                 {0x20, 3}, {0x40, 8}, {0x80, 10}, {0x100, 11}, {0x200, 12}};
    for (int i = 0; i < kEndpointMaskBitCount; ++i) {
        EXPECT_EQ(g_EndpointMaskBits[i], pairs[i].bit) << "walk order " << i;
        EXPECT_EQ(DeviceTypeToMask(pairs[i].code), pairs[i].bit);
        EXPECT_EQ(MaskToDeviceType(pairs[i].bit), pairs[i].code);
    }
    // Codes without a bit of their own count as Speaker; so does anything but a single known bit.
    for (int32_t code : {9, 0, -1, 5, 6, 105, 103})
        EXPECT_EQ(DeviceTypeToMask(code), 0x1u) << code;
    for (EndpointMask mask : {0x0u, 0x3u, 0x400u, 0x2FFu, 0xFFFFFFFFu})
        EXPECT_EQ(MaskToDeviceType(mask), 1) << mask;
}

TEST(ControlPropertyTable, EndpointsSeeOnlyTheirOwnRows) {
    std::set<uint32_t> spdifMasks;
    for (const ControlPropertyRow& row : g_ControlPropertyTable) {
        if (row.EndpointMask & DeviceTypeToMask(kEndpointSPDIFOut))
            spdifMasks.insert(row.EndpointMask);
    }
    EXPECT_EQ(spdifMasks, (std::set<uint32_t>{767, 519, 254, 4}));

    const auto holds = [](const wchar_t* key, int32_t code) {
        for (const ControlPropertyRow& row : g_ControlPropertyTable) {
            if (std::wstring(row.Key) == key && (row.EndpointMask & DeviceTypeToMask(code)))
                return true;
        }
        return false;
    };
    const struct {
        const wchar_t* key;
        int32_t code;
        bool expected;
    } cases[] = {
        {L"DTSInteractiveControl", kEndpointSPDIFOut, true},
        {L"DTSInteractiveControl", kEndpointSpeaker, false},
        {L"DolbyDigitalLiveControl", kEndpointHeadPhone, false},
        {L"DeviceSpecificControl", kEndpointSpeakerQuarter, true},
        {L"DeviceSpecificControl", kEndpointSpeaker, false},
        {L"__Balance", kEndpointHeadPhone, true},
        {L"__Balance", kEndpointSpeaker, false},
        {L"__Balance", kEndpointSpeakerQuarter, false},
        {L"__FrontBalance", kEndpointSpeakerQuarter, true},
        {L"__FrontBalance", kEndpointHeadPhone, false},
        {L"__AABalance", kEndpointMicIn, true},
        {L"Enable_BM_GFX", kEndpointHeadPhone, false},
        {L"VolumeControl", kEndpointSPDIFInRCA, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(holds(c.key, c.code), c.expected) << c.key << L" on " << c.code;
}

TEST(ControlPropertyTable, ResetEffectSwitchesWritesEverySwitchOfTheMaskOnce) {
    FakeProfileDriver driver;
    ResetEffectSwitches(driver, DeviceTypeToMask(kEndpointHeadPhone));

    ASSERT_EQ(driver.m_writes.size(), 20u);
    std::multiset<std::wstring> keys;
    for (const auto& write : driver.m_writes) {
        EXPECT_EQ(write.code, kEndpointHeadPhone);
        EXPECT_EQ(write.value, 0);
        EXPECT_EQ(write.valueType, 0);
        keys.insert(write.name);
    }
    EXPECT_EQ(keys.count(L"Enable_KESTAL_HPSPK_LFX"), 2u);
    for (const wchar_t* key : {L"EXControl", L"AGCControl", L"HWEQBassControl", L"HWEQTrebleControl", L"Enable_EQ_GFX"})
        EXPECT_EQ(keys.count(key), 1u) << key;
    for (const wchar_t* key : {L"Enable_BM_GFX", L"Enable_PLIIX_LFX", L"EnableVirtualSurroundEffect", L"EQ_Slider1"})
        EXPECT_EQ(keys.count(key), 0u) << key;

    // Rows first, endpoints inside: both endpoints of a row are written before the next row.
    driver.m_writes.clear();
    ResetEffectSwitches(driver, 0x1 | 0x200);
    ASSERT_GE(driver.m_writes.size(), 2u);
    EXPECT_EQ(driver.m_writes[0].name, driver.m_writes[1].name);
    EXPECT_EQ(driver.m_writes[0].code, kEndpointSpeaker);
    EXPECT_EQ(driver.m_writes[1].code, kEndpointSpeakerQuarter);

    // Nothing exists on SPDIFInRCA, and a device that refuses every write is no reason to stop.
    driver.m_writes.clear();
    ResetEffectSwitches(driver, 0x100);
    EXPECT_TRUE(driver.m_writes.empty());
    driver.m_deviceKind = 0;
    ResetEffectSwitches(driver, 0x2);
    EXPECT_EQ(driver.m_writes.size(), 20u);
}

} // namespace
