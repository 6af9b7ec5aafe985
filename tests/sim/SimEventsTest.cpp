// Driver events on the library's own thread: changes made from outside the program, the test sound's end and
// stop notices, output-terminal switches, and silence after ConfLibUnInit.
#include "SimTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <thread>

namespace oc::test {
namespace {

using namespace std::chrono_literals;

constexpr int32_t kSpeaker = 1, kHeadPhone = 7;

class SimEventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        EventRecorder::Reset();
        ASSERT_TRUE(lib.Load(L"default", temp / L"device.state"));
        ASSERT_EQ(lib.RegisterCallbackFunction(&EventRecorder::Callback, 0), 0);
    }

    TempDir temp;
    SysTuneLib lib;
};

TEST_F(SimEventsTest, ChangesFromOutsideTheProgramArriveOnTheLibraryThread) {
    DeviceKey speaker = lib.KeyOf(kSpeaker, 0);
    ASSERT_EQ(lib.SimSetValue(L"Speaker", L"MuteControl", 1), 0);
    ASSERT_EQ(lib.SimSetValue(L"MicIn", L"AGCControl", 1), 0);
    ASSERT_EQ(lib.SimSetValue(L"MicIn", L"BoostControl", 20), 0);
    ASSERT_EQ(lib.SimSetValue(L"Speaker", L"Enable_EQ_GFX", 1), 0);
    ASSERT_EQ(lib.SimFireEvent(kEventDevice, kFlagsListChanged), 0);
    ASSERT_TRUE(EventRecorder::WaitFor(kEventDevice, 1, 2s));
    ASSERT_TRUE(EventRecorder::WaitFor(kEventEffectState, 1, 2s));
    auto events = EventRecorder::Events();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].event, kEventMute);
    EXPECT_EQ(events[0].endpointId, speaker.id);
    EXPECT_EQ(events[1].event, kEventAgc);
    EXPECT_EQ(events[2].event, kEventBoost);
    EXPECT_EQ(events[3].event, kEventEffectState);
    EXPECT_EQ(events[4].flags, static_cast<uint32_t>(kFlagsListChanged));
    for (const auto& event : events) {
        EXPECT_NE(event.thread, GetCurrentThreadId());
        EXPECT_EQ(event.thread, events[0].thread) << "one library thread delivers every event";
    }
    // The program sees the new value.
    std::wstring text;
    ASSERT_EQ(lib.Read(speaker, L"MuteControl", text), 0);
    EXPECT_EQ(text, L"1");
}

// The virtual-surround effect identifier changes at run time and is announced as an effect change of its
// endpoint; a malformed identifier, an endpoint without virtual surround or an unknown endpoint change nothing.
TEST_F(SimEventsTest, TheVirtualSurroundEffectChangesAndIsAnnounced) {
    const DeviceKey speaker = lib.KeyOf(kSpeaker, 0);
    const int32_t identifierArgs[3] = {1, -1, 0};
    auto identifier = [&](std::wstring& text) {
        return lib.Read(speaker, L"VirtualSurroundEffectControl", text, identifierArgs, sizeof(identifierArgs));
    };
    const std::wstring dolbyV2 = L"{AC02E636-CB62-42EF-A97C-5F4C1CDFEC13}";
    EXPECT_EQ(lib.Control(L"surroundfx Speaker " + dolbyV2), L"ok");
    ASSERT_TRUE(EventRecorder::WaitFor(kEventEffectState, 1, 2s));
    EXPECT_EQ(EventRecorder::Events().back().endpointId, speaker.id);
    std::wstring text;
    ASSERT_EQ(identifier(text), 0);
    EXPECT_EQ(text, dolbyV2);

    const struct {
        const wchar_t* command;
        const wchar_t* reply;
    } refused[] = {
        {L"surroundfx Speaker {AC02E636-CB62-42EF-A97C}", L"error: error 3"},
        {L"surroundfx Speaker default", L"error: error 3"},
        {L"surroundfx MicIn {D0456018-89C4-4D6E-8134-D45F4A711CC1}", L"error: error 1"},
        {L"surroundfx Nobody {D0456018-89C4-4D6E-8134-D45F4A711CC1}", L"error: error 5"},
    };
    for (const auto& c : refused)
        EXPECT_EQ(lib.Control(c.command), c.reply) << c.command;
    EXPECT_EQ(lib.Control(L"surroundfx Speaker " + dolbyV2), L"ok") << "the same effect again";
    ASSERT_EQ(identifier(text), 0);
    EXPECT_EQ(text, dolbyV2);

    EXPECT_EQ(lib.Control(L"surroundfx Speaker none"), L"ok");
    ASSERT_TRUE(EventRecorder::WaitFor(kEventEffectState, 2, 2s));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(EventRecorder::Count(kEventEffectState), 2u) << "a refused or unchanged effect is not announced";
    EXPECT_EQ(identifier(text), static_cast<int32_t>(kSimNotSupported)) << "no effect: nothing to name";
}

TEST_F(SimEventsTest, TheProgramsOwnWritesAreNotEchoed) {
    DeviceKey speaker = lib.KeyOf(kSpeaker, 0);
    ASSERT_EQ(lib.WriteValue(speaker, L"MuteControl", int32_t{1}), 0);
    ASSERT_EQ(lib.WriteValue(speaker, L"Enable_EQ_GFX", int32_t{1}), 0);
    ASSERT_EQ(lib.SimFireEvent(99, kFlagsNotice), 0); // a marker: everything before it has been delivered
    ASSERT_TRUE(EventRecorder::WaitFor(99, 1, 2s));
    EXPECT_EQ(EventRecorder::Events().size(), 1u);
}

TEST_F(SimEventsTest, ATestWaveEndsOnceAfterItsLength) {
    auto wave = temp / L"short.wav";
    WriteWaveFile(wave, 300);
    DeviceKey speaker = lib.KeyOf(kSpeaker, 0);
    auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(lib.PlayTestSound(wave.wstring().c_str(), 0x2, &speaker, -1), 0);
    int32_t playing = 0;
    uint32_t plays = 0;
    lib.SimGetTestSoundState(&playing, &plays, nullptr);
    EXPECT_EQ(playing, 1);
    EXPECT_EQ(plays, 1u);
    ASSERT_TRUE(EventRecorder::WaitFor(kEventTestSoundEnd, 1, 3s));
    EXPECT_GE(std::chrono::steady_clock::now() - started, 250ms);
    lib.SimGetTestSoundState(&playing, nullptr, nullptr);
    EXPECT_EQ(playing, 0);
    // Stopping or closing a wave that already ended adds no notice.
    EXPECT_EQ(lib.StopTestSound(this, -1), 0);
    EXPECT_EQ(lib.CloseTestSound(this, -1), 0);
    EXPECT_FALSE(EventRecorder::WaitFor(kEventTestSoundEnd, 2, 400ms));
}

TEST_F(SimEventsTest, StoppingAPlayingWaveReportsItsEndOnce) {
    auto wave = temp / L"long.wav";
    WriteWaveFile(wave, 800);
    DeviceKey speaker = lib.KeyOf(kSpeaker, 0);
    ASSERT_EQ(lib.PlayTestSound(wave.wstring().c_str(), 0x1, &speaker, -1), 0);
    ASSERT_EQ(lib.StopTestSound(this, -1), 0);
    ASSERT_TRUE(EventRecorder::WaitFor(kEventTestSoundEnd, 1, 1s)) << "the stop is reported at once";
    // The wave's own end time passes without a second notice.
    EXPECT_FALSE(EventRecorder::WaitFor(kEventTestSoundEnd, 2, 1200ms));
    uint32_t ends = 0;
    lib.SimGetTestSoundState(nullptr, nullptr, &ends);
    EXPECT_EQ(ends, 1u);
}

TEST_F(SimEventsTest, RefusesTestSoundsItCannotPlay) {
    DeviceKey speaker = lib.KeyOf(kSpeaker, 0);
    DeviceKey mic = lib.KeyOf(2, 1);
    auto notWave = temp / L"text.wav";
    std::ofstream(notWave) << "RIFF....AVI LIST";
    auto wave = temp / L"ok.wav";
    WriteWaveFile(wave, 100);
    EXPECT_EQ(lib.PlayTestSound((temp / L"missing.wav").wstring().c_str(), 1, &speaker, -1), kSimBadFile);
    EXPECT_EQ(lib.PlayTestSound(notWave.wstring().c_str(), 1, &speaker, -1), kSimBadFile);
    EXPECT_EQ(lib.PlayTestSound(wave.wstring().c_str(), 1, &mic, -1), kSimNoDevice);
    EXPECT_EQ(lib.PlayTestSound(nullptr, 1, &speaker, -1), kSimBadArgument);
    uint32_t plays = 0;
    lib.SimGetTestSoundState(nullptr, &plays, nullptr);
    EXPECT_EQ(plays, 0u);
}

TEST_F(SimEventsTest, NoCallbackRunsAfterUnInit) {
    auto wave = temp / L"pending.wav";
    WriteWaveFile(wave, 300);
    DeviceKey speaker = lib.KeyOf(kSpeaker, 0);
    ASSERT_EQ(lib.PlayTestSound(wave.wstring().c_str(), 1, &speaker, -1), 0);
    ASSERT_EQ(lib.SimSetValue(L"Speaker", L"MuteControl", 1), 0);
    ASSERT_TRUE(EventRecorder::WaitFor(kEventMute, 1, 2s));
    lib.UnInit();
    size_t seen = EventRecorder::Events().size();
    // The wave's end would have come now; the library is gone, so nothing does, and calls are refused.
    std::this_thread::sleep_for(600ms);
    EXPECT_EQ(EventRecorder::Events().size(), seen);
    std::wstring text;
    EXPECT_EQ(lib.Read(speaker, L"MuteControl", text), kSimNoDevice);
    int32_t count = -1;
    lib.GetDeviceCount(0, &count);
    EXPECT_EQ(count, 0);
}

TEST_F(SimEventsTest, SwitchingTheOutputTerminalMovesTheDefaultAndAnnouncesAnArrival) {
    DeviceKey speaker = lib.KeyOf(kSpeaker, 0);
    DeviceKey headphone = lib.KeyOf(kHeadPhone, 0);
    const int32_t current = 0;
    const int32_t noTerminal = 0;
    ASSERT_EQ(lib.Write(speaker, L"OutputTerminalTypeControl", &noTerminal, 4, &current, 4), kSimBadValue);
    const int32_t headphoneTerminal = 2;
    ASSERT_EQ(lib.Write(speaker, L"OutputTerminalTypeControl", &headphoneTerminal, 4, &current, 4), 0);
    std::wstring text;
    ASSERT_EQ(lib.Read(speaker, L"OutputTerminalTypeControl", text, &current, 4), 0);
    EXPECT_EQ(text, L"2");
    ASSERT_EQ(lib.Read(headphone, L"DefaultDeviceControl", text, &current, 4), 0);
    EXPECT_EQ(text, L"1");
    ASSERT_EQ(lib.Read(speaker, L"DefaultDeviceControl", text, &current, 4), 0);
    EXPECT_EQ(text, L"0");
    ASSERT_TRUE(EventRecorder::WaitFor(kEventDevice, 1, 2s));
    auto events = EventRecorder::Events();
    EXPECT_EQ(events.back().flags, static_cast<uint32_t>(kFlagsArrival));
    EXPECT_EQ(events.back().endpointId, headphone.id);
}

TEST_F(SimEventsTest, PluggingAndUnpluggingIsAnnounced) {
    DeviceKey speaker = lib.KeyOf(kSpeaker, 0);
    DeviceKey headphone = lib.KeyOf(kHeadPhone, 0);
    ASSERT_EQ(lib.SimPlugEndpoint(L"HeadPhone", 0), 0);
    ASSERT_EQ(lib.SimPlugEndpoint(L"HeadPhone", 1), 0);
    // Unplugging the default render endpoint hands the role on; plugging it back does not take it back.
    ASSERT_EQ(lib.SimPlugEndpoint(L"Speaker", 0), 0);
    ASSERT_EQ(lib.SimPlugEndpoint(L"Speaker", 1), 0);
    ASSERT_TRUE(EventRecorder::WaitFor(kEventDevice, 4, 2s));
    auto events = EventRecorder::Events();
    EXPECT_EQ(events[0].flags, static_cast<uint32_t>(kFlagsUnplugged));
    EXPECT_EQ(events[1].flags, static_cast<uint32_t>(kFlagsArrival));
    EXPECT_EQ(events[1].endpointId, headphone.id);
    EXPECT_EQ(events[2].endpointId, speaker.id);
    EXPECT_EQ(events[3].flags, static_cast<uint32_t>(kFlagsArrival));
    std::wstring text;
    const int32_t current = 0;
    ASSERT_EQ(lib.Read(headphone, L"DefaultDeviceControl", text, &current, 4), 0);
    EXPECT_EQ(text, L"1");
    EXPECT_EQ(lib.SimPlugEndpoint(L"Nowhere", 0), kSimNoDevice);
}

TEST(SimEchoTest, AScenarioCanAskForTheProgramsWritesToBeEchoed) {
    TempDir temp;
    auto scenario = temp / L"echo.scn";
    std::ofstream(scenario) << "[device]\necho = 1\n[endpoint Speaker]\ncode = 1\ngroups = volume\n";
    EventRecorder::Reset();
    SysTuneLib lib;
    ASSERT_TRUE(lib.Load(scenario.wstring(), temp / L"device.state"));
    ASSERT_EQ(lib.RegisterCallbackFunction(&EventRecorder::Callback, 0), 0);
    const float level = -6.0f;
    ASSERT_EQ(lib.Write(lib.KeyOf(kSpeaker, 0), L"VolumeControl", &level, 4), 0);
    EXPECT_TRUE(EventRecorder::WaitFor(kEventVolume, 1, 2s));
}

TEST_F(SimEventsTest, TheAsioPanelIsATopLevelWindowClosedAtUnInit) {
    const unsigned char classId[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    ASSERT_EQ(lib.ShowAsioPanel(classId), 0);
    auto findPanel = [] {
        HWND found = nullptr;
        EnumWindows(
            [](HWND window, LPARAM context) -> BOOL {
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                wchar_t caption[200] = {};
                GetWindowTextW(window, caption, 100);
                if (process == GetCurrentProcessId() && std::wstring(caption).find(L"ASIO") != std::wstring::npos) {
                    *reinterpret_cast<HWND*>(context) = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    };
    HWND panel = findPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(GetParent(panel), nullptr);
    EXPECT_EQ(lib.Control(L"asio"), L"1");
    EXPECT_EQ(lib.ShowAsioPanel(nullptr), kSimBadArgument);
    lib.UnInit();
    EXPECT_FALSE(IsWindow(panel));
}

} // namespace
} // namespace oc::test
