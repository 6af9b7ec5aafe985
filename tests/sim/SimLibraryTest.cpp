// The stand-in driver configuration library as the program uses it: enumeration, typed property reads and
// writes, capability failures, and many threads at once.
#include "SimTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <thread>

namespace oc::test {
namespace {

constexpr int32_t kSpeaker = 1, kMicIn = 2, kLineIn = 3, kSpdif = 4, kHeadPhone = 7, kStereoMix = 8;

class SimLibraryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(lib.Load(L"default", temp / L"device.state")); }

    TempDir temp;
    SysTuneLib lib;
};

struct Block3 {
    int32_t a, b, c;
};

struct FormatQuery {
    uint16_t channels;
    uint16_t bits;
    uint32_t rate;
};

TEST_F(SimLibraryTest, EnumeratesTheDefaultDeviceWithStableIds) {
    ASSERT_EQ(lib.CreateDeviceList(), 0);
    auto render = lib.Keys(kFlowRender);
    auto capture = lib.Keys(kFlowCapture);
    ASSERT_EQ(render.size(), 3u);
    ASSERT_EQ(capture.size(), 4u);
    EXPECT_EQ(render[0].id, 1u);
    EXPECT_EQ(render[0].code, kSpeaker);
    EXPECT_EQ(render[1].code, kHeadPhone);
    EXPECT_EQ(render[2].code, kSpdif);
    EXPECT_EQ(capture[0].code, kMicIn);
    EXPECT_EQ(capture[1].code, kLineIn);
    EXPECT_EQ(capture[2].code, kSpdif) << "the driver reports its S/PDIF input with the output's code";
    EXPECT_EQ(capture[3].code, kStereoMix);
    for (const auto& key : capture) {
        EXPECT_EQ(key.flow, kFlowCapture);
        EXPECT_EQ(key.kind, 1u);
    }

    // A bad index fails and leaves the record alone; the count is always written.
    DeviceKey untouched{0xAAAA, 0xBB, 0xCC, 0xDD};
    EXPECT_NE(lib.GetDeviceById(kFlowRender, 3, &untouched), 0);
    EXPECT_NE(lib.GetDeviceById(7, 0, &untouched), 0);
    EXPECT_EQ(untouched.id, 0xAAAAu);
    EXPECT_EQ(untouched.kind, 0xDDu);
    int32_t count = -1;
    lib.GetDeviceCount(5, &count);
    EXPECT_EQ(count, 0);

    // Rebuilding after an endpoint went away keeps the ids of the ones still there.
    uint32_t spdifOut = render[2].id;
    ASSERT_EQ(lib.SimPlugEndpoint(L"HeadPhone", 0), 0);
    ASSERT_EQ(lib.CreateDeviceList(), 0);
    auto rebuilt = lib.Keys(kFlowRender);
    ASSERT_EQ(rebuilt.size(), 2u);
    EXPECT_EQ(rebuilt[0].id, render[0].id);
    EXPECT_EQ(rebuilt[1].id, spdifOut);

    // An injected list failure is reported and keeps the old list.
    EXPECT_EQ(lib.Control(L"failcreate 1"), L"ok");
    EXPECT_NE(lib.CreateDeviceList(), 0);
    EXPECT_EQ(lib.Keys(kFlowRender).size(), 2u);
}

TEST_F(SimLibraryTest, IdentifiesAnEndpointByItsIdAloneWhateverTheProgramRewrote) {
    DeviceKey key = lib.KeyOf(kSpdif, kFlowCapture);
    ASSERT_NE(key.id, 0u);
    key.code = 104;
    key.flow = 7;
    key.kind = 99;
    std::wstring text;
    ASSERT_EQ(lib.Read(key, L"GetDeviceFriendlyName", text), 0);
    EXPECT_EQ(text, L"SPDIF In (USB Audio Device)");
}

struct TypedCase {
    const wchar_t* label;
    int32_t code;
    uint32_t flow;
    const wchar_t* name;
    std::vector<unsigned char> value;
    std::vector<unsigned char> args;
    const wchar_t* readName; // read back through this name with the same arguments
    const wchar_t* expected;
};

template <typename T> std::vector<unsigned char> Bytes(T value) {
    std::vector<unsigned char> bytes(sizeof(T));
    std::memcpy(bytes.data(), &value, sizeof(T));
    return bytes;
}

TEST_F(SimLibraryTest, WritesRawNativeBytesByTheNamesTypeAndReadsText) {
    // The library is never told a value's type: each name decides how its bytes are read.
    uint32_t sixInLowBytes = 0xFFFF0006; // a 16-bit value: the upper bytes are not part of it
    const TypedCase cases[] = {
        {L"int", kSpeaker, 0, L"MuteControl", Bytes<int32_t>(1), {}, L"MuteControl", L"1"},
        {L"signed int", kSpeaker, 0, L"EQ_Slider3", Bytes<int32_t>(-7), {}, L"EQ_Slider3", L"-7"},
        {L"float", kSpeaker, 0, L"HWEQBassControl", Bytes<float>(3.5f), {}, L"HWEQBassControl", L"3.500000"},
        {L"u16",
         kSpeaker,
         0,
         L"DevChannelNumControl",
         Bytes<uint32_t>(sixInLowBytes),
         {},
         L"DevChannelNumControl",
         L"6"},
        {L"channel dB", kSpeaker, 0, L"VolumeControl", Bytes<float>(-20.25f), Bytes<int32_t>(2), L"VolumeControl",
         L"-20.250000"},
        {L"dB seen as scalar", kSpeaker, 0, L"VolumeControl", Bytes<float>(-9.0f), Bytes<int32_t>(-1),
         L"VolumeScalarControl", L"0.800000"},
        {L"scalar seen as dB", kSpeaker, 0, L"VolumeScalarControl", Bytes<float>(0.5f), Bytes<int32_t>(1),
         L"VolumeControl", L"-22.500000"},
        {L"analog path", kMicIn, 1, L"AAVolumeScalarControl", Bytes<float>(1.0f), Bytes<int32_t>(0), L"AAVolumeControl",
         L"12.000000"},
        {L"amplifier level", kHeadPhone, 0, L"HPAmplifierControl", Bytes<int32_t>(8), Bytes<int32_t>(0),
         L"HPAmplifierControl", L"8"},
        {L"boost level", kMicIn, 1, L"BoostControl", Bytes<float>(20.0f), Bytes<int32_t>(0), L"BoostControl",
         L"20.000000"},
        {L"routed room size", kSpeaker, 0, L"VirtualSurroundEffectControl", Bytes<int32_t>(2), Bytes(Block3{4, 0, 0}),
         L"VirtualSurroundEffectControl", L"2"},
        {L"default device", kHeadPhone, 0, L"DefaultDeviceControl", Bytes<int32_t>(1), Bytes<int32_t>(2),
         L"DefaultDeviceControl", L"1"},
        {L"format record",
         kSpeaker,
         0,
         L"DevFormatControl",
         Bytes(Block3{96000, 24, 8}),
         {},
         L"DevFormatControl",
         L"96000,24,8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        DeviceKey key = lib.KeyOf(c.code, c.flow);
        const void* args = c.args.empty() ? nullptr : c.args.data();
        ASSERT_EQ(lib.Write(key, c.name, c.value.data(), c.value.size(), args, c.args.size()), 0);
        std::wstring text;
        ASSERT_EQ(lib.Read(key, c.readName, text, args, c.args.size()), 0);
        EXPECT_EQ(text, c.expected);
    }
    // The three format parts followed the record.
    std::wstring text;
    DeviceKey speaker = lib.KeyOf(kSpeaker, 0);
    ASSERT_EQ(lib.Read(speaker, L"DevSampleRateControl", text), 0);
    EXPECT_EQ(text, L"96000");
    ASSERT_EQ(lib.Read(speaker, L"DevBitDepthControl", text), 0);
    EXPECT_EQ(text, L"24");
    // Making HeadPhone the default took the role from Speaker.
    ASSERT_EQ(lib.Read(speaker, L"DefaultDeviceControl", text, Bytes<int32_t>(0).data(), 4), 0);
    EXPECT_EQ(text, L"0");
}

TEST_F(SimLibraryTest, OneStreamFormatAtATimeOnTheDigitalOutput) {
    const DeviceKey spdif = lib.KeyOf(kSpdif, 0);
    auto state = [&] {
        std::wstring ddl, dts;
        EXPECT_EQ(lib.Read(spdif, L"DolbyDigitalLiveControl", ddl), 0);
        EXPECT_EQ(lib.Read(spdif, L"DTSInteractiveControl", dts), 0);
        return ddl + L"," + dts;
    };
    auto write = [&](const wchar_t* name, std::vector<uint8_t> value) {
        ASSERT_EQ(lib.Write(spdif, name, value.data(), value.size()), 0) << testing::PrintToString(std::wstring(name));
    };
    const struct {
        const wchar_t* name;
        std::vector<uint8_t> value;
        const wchar_t* after; // Dolby Digital Live, DTS Interactive
    } steps[] = {
        {L"DolbyDigitalLiveControl", Bytes<uint32_t>(1), L"1,0"},
        {L"DTSInteractiveControl", Bytes<uint32_t>(1), L"0,1"},    // one encoded stream replaces the other
        {L"DevSampleRateControl", Bytes<uint32_t>(48000), L"0,0"}, // a PCM rate ends both
        {L"DolbyDigitalLiveControl", Bytes<uint32_t>(1), L"1,0"},
        {L"DTSInteractiveControl", Bytes<uint32_t>(0), L"1,0"}, // switching one off leaves the other
        {L"DevBitDepthControl", Bytes<uint32_t>(16), L"0,0"},   // so does a PCM depth
        {L"DTSInteractiveControl", Bytes<uint32_t>(1), L"0,1"},
        {L"DevFormatControl", Bytes(Block3{0, 0, 2}), L"0,1"},     // a channel count alone is no PCM choice
        {L"DevFormatControl", Bytes(Block3{44100, 0, 0}), L"0,0"}, // a rate through the record is
    };
    for (const auto& step : steps) {
        write(step.name, step.value);
        EXPECT_EQ(state(), step.after) << testing::PrintToString(std::wstring(step.name));
    }
    // A refused rate changes nothing.
    write(L"DolbyDigitalLiveControl", Bytes<uint32_t>(1));
    const auto odd = Bytes<uint32_t>(22050);
    EXPECT_NE(lib.Write(spdif, L"DevSampleRateControl", odd.data(), odd.size()), 0);
    EXPECT_EQ(state(), L"1,0");
}

TEST_F(SimLibraryTest, AnswersCapabilityQueries) {
    DeviceKey speaker = lib.KeyOf(kSpeaker, 0);
    DeviceKey headphone = lib.KeyOf(kHeadPhone, 0);
    std::wstring text;

    ASSERT_EQ(lib.Read(speaker, L"GetDeviceID", text), 0);
    EXPECT_NE(text.find(L"vid_0d8c"), std::wstring::npos);
    EXPECT_NE(text.find(L"pid_0014"), std::wstring::npos);

    ASSERT_EQ(lib.Read(speaker, L"GetSupportFeature", text), 0);
    std::vector<std::wstring> pieces;
    for (size_t start = 0;;) {
        size_t comma = text.find(L',', start);
        pieces.push_back(text.substr(start, comma - start));
        if (comma == std::wstring::npos)
            break;
        start = comma + 1;
    }
    ASSERT_GE(pieces.size(), 7u);
    for (const auto& piece : pieces)
        EXPECT_FALSE(piece.empty());
    EXPECT_EQ(std::stoul(pieces[0]), 0x3860cful);
    EXPECT_EQ(std::stoul(pieces[4]), 0xcaul);
    EXPECT_EQ(std::stoul(pieces[6]), 0x1ul);

    const FormatQuery eightChannels{8, 16, 44100};
    ASSERT_EQ(lib.Read(speaker, L"IsSupportFormat", text, &eightChannels, sizeof(eightChannels)), 0);
    EXPECT_EQ(text, L"1");
    ASSERT_EQ(lib.Read(headphone, L"IsSupportFormat", text, &eightChannels, sizeof(eightChannels)), 0);
    EXPECT_EQ(text, L"0");

    const Block3 guidRoute{1, -1, 0};
    ASSERT_EQ(lib.Read(speaker, L"VirtualSurroundEffectControl", text, &guidRoute, sizeof(guidRoute)), 0);
    EXPECT_EQ(text, L"{C7600B33-1AA6-4383-918D-30D848BBAD3E}");

    ASSERT_EQ(lib.Read(speaker, L"OutputTerminalTypeControl", text, Bytes<int32_t>(2).data(), 4), 0);
    EXPECT_EQ(text, L"7");
    ASSERT_EQ(lib.Read(lib.KeyOf(kSpdif, 0), L"IsSupportDolbyDigitalLive", text), 0);
    EXPECT_EQ(text, L"1");
    ASSERT_EQ(lib.Read(headphone, L"HPAmplifierControl", text, Bytes<int32_t>(3).data(), 4), 0);
    EXPECT_EQ(text, L"2") << "the amplifier step";

    const wchar_t* versions[] = {L"GetAudioCodecName", L"GetDriverVer", L"GetFirmwareVer"};
    for (const wchar_t* name : versions) {
        ASSERT_EQ(lib.Read(speaker, name, text), 0) << name;
        EXPECT_FALSE(text.empty()) << name;
    }
    // The device-independent key reaches the system information only.
    DeviceKey none{};
    ASSERT_EQ(lib.Read(none, L"GetDirectXVer", text), 0);
    EXPECT_EQ(text, L"DirectX 12");
    EXPECT_NE(lib.Read(none, L"MuteControl", text), 0);
}

TEST_F(SimLibraryTest, SpeakerLevelAndDistanceAreEachOthersInverse) {
    DeviceKey speaker = lib.KeyOf(kSpeaker, 0);
    auto query = [&](const wchar_t* name, int32_t input) {
        const int32_t block[2] = {28, input};
        std::wstring text;
        EXPECT_EQ(lib.Read(speaker, name, text, block, sizeof(block)), 0);
        return std::stoi(text);
    };
    EXPECT_EQ(query(L"GetSpeakerShiftVolumeLevel", 19), 4);
    EXPECT_EQ(query(L"GetSpeakerShiftVolumeLevel", 50), -13);
    for (int32_t level = -13; level <= 4; ++level) {
        int32_t distance = query(L"GetSpeakerShiftDistanceByDB", level);
        EXPECT_GE(distance, 19);
        EXPECT_LE(distance, 50);
        EXPECT_EQ(query(L"GetSpeakerShiftVolumeLevel", distance), level) << "level " << level;
    }
}

struct FailureCase {
    const wchar_t* label;
    int32_t code;
    uint32_t flow;
    const wchar_t* name;
    bool write;
    std::vector<unsigned char> value;
    std::vector<unsigned char> args;
    int32_t expected;
};

TEST_F(SimLibraryTest, RefusesWhatTheDeviceCannotDo) {
    const FailureCase cases[] = {
        {L"the program's own name", kSpeaker, 0, L"__Balance", false, {}, {}, kSimReservedName},
        {L"misspelt name", kSpeaker, 0, L"VolumeControll", false, {}, {}, kSimUnknownName},
        {L"wrong case", kSpeaker, 0, L"mutecontrol", true, Bytes<int32_t>(1), {}, kSimUnknownName},
        {L"routed name sent unrouted", kSpeaker, 0, L"EnableVirtualSurroundEffect", false, {}, {}, kSimUnknownName},
        {L"effect the microphone lacks", kMicIn, 1, L"Enable_EQ_GFX", false, {}, {}, kSimNotSupported},
        {L"boost on line in", kLineIn, 1, L"BoostControl", false, {}, Bytes<int32_t>(0), kSimNotSupported},
        {L"no virtual surround on headphones",
         kHeadPhone,
         0,
         L"VirtualSurroundEffectControl",
         false,
         {},
         Bytes(Block3{1, -1, 0}),
         kSimNotSupported},
        {L"level above the maximum", kSpeaker, 0, L"VolumeControl", true, Bytes<float>(5.0f), {}, kSimBadValue},
        {L"channel beyond the endpoint",
         kHeadPhone,
         0,
         L"VolumeControl",
         false,
         {},
         Bytes<int32_t>(2),
         kSimBadArgument},
        {L"rate the endpoint lacks",
         kSpeaker,
         0,
         L"DevSampleRateControl",
         true,
         Bytes<int32_t>(12345),
         {},
         kSimBadValue},
        {L"odd channel count", kSpeaker, 0, L"DevChannelNumControl", true, Bytes<uint16_t>(3), {}, kSimBadValue},
        {L"amplifier between steps", kHeadPhone, 0, L"HPAmplifierControl", true, Bytes<int32_t>(7), Bytes<int32_t>(0),
         kSimBadValue},
        {L"amplifier limits are read-only", kHeadPhone, 0, L"HPAmplifierControl", true, Bytes<int32_t>(6),
         Bytes<int32_t>(1), kSimReadOnly},
        {L"switch out of range", kSpeaker, 0, L"Enable_EQ_GFX", true, Bytes<int32_t>(2), {}, kSimBadValue},
        {L"format with a bad part changes nothing",
         kSpeaker,
         0,
         L"DevFormatControl",
         true,
         Bytes(Block3{96000, 20, 8}),
         {},
         kSimBadValue},
        {L"unknown terminal", kSpeaker, 0, L"OutputTerminalTypeControl", true, Bytes<int32_t>(4), Bytes<int32_t>(0),
         kSimBadValue},
        {L"shift query without its tag",
         kSpeaker,
         0,
         L"GetSpeakerShiftVolumeLevel",
         false,
         {},
         Bytes(Block3{27, 19, 0}),
         kSimBadArgument},
        {L"unknown routing block",
         kSpeaker,
         0,
         L"VirtualSurroundEffectControl",
         false,
         {},
         Bytes(Block3{9, 9, 9}),
         kSimBadArgument},
        {L"format query without its record", kSpeaker, 0, L"IsSupportFormat", false, {}, {}, kSimBadArgument},
        {L"identity is read-only", kSpeaker, 0, L"GetDeviceID", true, Bytes<int32_t>(0), {}, kSimReadOnly},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        DeviceKey key = lib.KeyOf(c.code, c.flow);
        ASSERT_NE(key.id, 0u);
        const void* args = c.args.empty() ? nullptr : c.args.data();
        std::wstring text = L"untouched";
        int32_t result = c.write ? lib.Write(key, c.name, c.value.data(), c.value.size(), args, c.args.size())
                                 : lib.Read(key, c.name, text, args, c.args.size());
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(text, L"untouched");
    }
    // The rejected format record left all three parts as they were.
    std::wstring text;
    ASSERT_EQ(lib.Read(lib.KeyOf(kSpeaker, 0), L"DevFormatControl", text), 0);
    EXPECT_EQ(text, L"48000,16,2");

    // Names that must never reach a driver are reported loudly.
    std::wstring log = lib.CallLog();
    EXPECT_NE(log.find(L"ERROR the program's own property \"__Balance\""), std::wstring::npos);
    EXPECT_NE(log.find(L"ERROR unknown property \"VolumeControll\""), std::wstring::npos);

    // Absent endpoints, null places.
    DeviceKey unknown{99, 1, 0, 1};
    EXPECT_EQ(lib.Read(unknown, L"MuteControl", text), kSimNoDevice);
    DeviceKey speaker = lib.KeyOf(kSpeaker, 0);
    EXPECT_EQ(lib.PropertyControl(&speaker, L"MuteControl", nullptr, nullptr, kPropertyRead), kSimBadArgument);
    ASSERT_EQ(lib.SimPlugEndpoint(L"Speaker", 0), 0);
    EXPECT_EQ(lib.Read(speaker, L"MuteControl", text), kSimNoDevice);
}

TEST_F(SimLibraryTest, ServesManyThreadsAtOnce) {
    // Each thread owns its properties, so every read must return exactly what that thread wrote last.
    struct Lane {
        int32_t code;
        uint32_t flow;
        const wchar_t* name;
    };
    const Lane lanes[] = {{kSpeaker, 0, L"EQ_Slider1"},
                          {kSpeaker, 0, L"KEYSHIFT_LEVEL"},
                          {kHeadPhone, 0, L"EQ_Slider1"},
                          {kSpdif, 0, L"EQ_Slider2"},
                          {kMicIn, 1, L"MICECHO_Level"}};
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (const auto& lane : lanes) {
        threads.emplace_back([&, lane] {
            DeviceKey key = lib.KeyOf(lane.code, lane.flow);
            for (int i = 0; i < 300; ++i) {
                int32_t value = i % 20;
                std::wstring text;
                if (lib.WriteValue(key, lane.name, value) != 0 || lib.Read(key, lane.name, text) != 0 ||
                    text != std::to_wstring(value))
                    ++mismatches;
            }
        });
    }
    threads.emplace_back([&] {
        for (int i = 0; i < 200; ++i) {
            if (lib.CreateDeviceList() != 0 || lib.Keys(kFlowCapture).size() != 4)
                ++mismatches;
        }
    });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
}

TEST_F(SimLibraryTest, ListensOnCaptureEndpointsOnly) {
    wchar_t listening[256];
    DeviceKey mic = lib.KeyOf(kMicIn, 1);
    DeviceKey line = lib.KeyOf(kLineIn, 1);
    ASSERT_EQ(lib.RunListen2Device(&mic), 0);
    ASSERT_EQ(lib.RunListen2Device(&line), 0);
    ASSERT_EQ(lib.SimGetListening(listening, 256), 0);
    EXPECT_STREQ(listening, L"MicIn LineIn");
    ASSERT_EQ(lib.StopListen2Device(&mic), 0);
    ASSERT_EQ(lib.SimGetListening(listening, 256), 0);
    EXPECT_STREQ(listening, L"LineIn");
    DeviceKey speaker = lib.KeyOf(kSpeaker, 0);
    EXPECT_EQ(lib.RunListen2Device(&speaker), kSimNotSupported);
    DeviceKey unknown{77, 2, 1, 1};
    EXPECT_EQ(lib.StopListen2Device(&unknown), kSimNoDevice);
}

} // namespace
} // namespace oc::test
