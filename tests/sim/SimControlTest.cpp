// The stand-in HID library, the control pipe driven from a second process, persistence of the device state
// across an unload, and the shipped scenarios.
#include "SimTestSupport.h"

#include "Scenario.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <sstream>

namespace oc::test {
namespace {

using namespace std::chrono_literals;

// ---- hardware buttons

std::atomic<HidReportFunction> g_report{nullptr};
std::atomic<DWORD> g_pressThread{0};
std::atomic<int> g_presses{0};

// What the program's button callback does: flip the state and report it back.
void OnButton(ButtonRecord* record) {
    g_pressThread = GetCurrentThreadId();
    record->state = record->state ? 0 : 1;
    if (record->report && g_report)
        g_report.load()(record, 0);
    ++g_presses;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    auto until = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

TEST(SimHidTest, APressReachesTheCallbackAndTheReportedStateIsKept) {
    TempDir temp;
    SysTuneLib lib;
    ASSERT_TRUE(lib.Load(L"default", temp / L"device.state"));
    PlHid hid;
    ASSERT_TRUE(hid.Load());

    uint32_t size = 0;
    ASSERT_EQ(hid.GetButtonDescription(nullptr, &size), kHidNeedBuffer);
    ASSERT_EQ(size, 2 * sizeof(ButtonRecord));
    EXPECT_NE(hid.StartDevice(&OnButton, L"0X0D8C", L"0X9999"), 0) << "another device's ids";
    ASSERT_EQ(hid.StartDevice(&OnButton, L"0X0D8C", L"0X0014"), 0);
    HidReportFunction report = nullptr;
    ASSERT_EQ(hid.GetCallBack(&report), 0);
    ASSERT_NE(report, nullptr);
    g_report = report;
    g_presses = 0;

    ButtonRecord records[2] = {};
    ASSERT_EQ(hid.GetButtonDescription(records, &size), 0);
    EXPECT_EQ(records[0].buttonId, kButtonSurround);
    EXPECT_EQ(records[0].endpointCode, 1);
    EXPECT_EQ(records[1].buttonId, kButtonNoiseCancellation);
    EXPECT_EQ(records[1].endpointCode, 2);
    EXPECT_EQ(records[1].flow, 1u);
    EXPECT_NE(records[1].report, 0u);

    // A press arrives through the driver library's control surface, as a test of the program would send it.
    EXPECT_EQ(lib.Control(L"press 108"), L"ok");
    ASSERT_TRUE(WaitUntil([] { return g_presses == 1; }, 2s));
    EXPECT_NE(g_pressThread.load(), GetCurrentThreadId());
    uint32_t state = 0, reports = 0;
    ASSERT_EQ(hid.SimHidReported(kButtonNoiseCancellation, &state, &reports), 0);
    EXPECT_EQ(state, 1u);
    EXPECT_EQ(reports, 1u);
    ASSERT_EQ(hid.GetButtonDescription(records, &size), 0);
    EXPECT_EQ(records[1].state, 1u) << "the reported state shows in the next description";
    EXPECT_NE(lib.Control(L"press 42").find(L"error"), std::wstring::npos);

    // After CloseDevice the watcher is gone: presses are refused and nothing is called.
    ASSERT_EQ(hid.CloseDevice(), 0);
    EXPECT_NE(lib.Control(L"press 108").find(L"error"), std::wstring::npos);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(g_presses.load(), 1);
    g_report = nullptr;
}

// ---- control pipe

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(SimPipeTest, AnotherProcessDrivesTheDeviceThroughThePipe) {
    TempDir temp;
    SysTuneLib lib;
    std::wstring pipe = UniquePipeName();
    EventRecorder::Reset();
    ASSERT_TRUE(lib.Load(L"default", temp / L"device.state", pipe));
    ASSERT_EQ(lib.RegisterCallbackFunction(&EventRecorder::Callback, 0), 0);

    auto replies = temp / L"replies.txt";
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    auto client = std::filesystem::path(self).parent_path() / L"sim_pipe_client.exe";
    std::wstring commandLine = L"\"" + client.wstring() + L"\" " + pipe + L" \"" + replies.wstring() +
                               L"\" ping \"set Speaker MuteControl 1\" \"get Speaker MuteControl\" "
                               L"\"plug HeadPhone 0\" \"set Speaker Bogus 1\" listen";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(client.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
    DWORD exitCode = 99;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_EQ(exitCode, 0u);

    EXPECT_EQ(ReadText(replies), "pong\nok\n1\nok\nerror 4\n\n");
    // The commands acted on the device this process has loaded.
    std::wstring text;
    ASSERT_EQ(lib.Read(lib.KeyOf(1, 0), L"MuteControl", text), 0);
    EXPECT_EQ(text, L"1");
    ASSERT_EQ(lib.CreateDeviceList(), 0);
    EXPECT_EQ(lib.KeyOf(7, 0).id, 0u) << "HeadPhone was unplugged";
    ASSERT_TRUE(EventRecorder::WaitFor(kEventMute, 1, 2s));
    ASSERT_TRUE(EventRecorder::WaitFor(kEventDevice, 1, 2s));

    // The pipe's thread ends with the library: the name is no longer served.
    lib.UnInit();
    EXPECT_FALSE(WaitNamedPipeW(pipe.c_str(), 300));
}

// ---- persistence

TEST(SimStateTest, SettingsSurviveAnUnloadAndReload) {
    TempDir temp;
    auto state = temp / L"device.state";
    const int32_t current = 0;
    {
        SysTuneLib lib;
        ASSERT_TRUE(lib.Load(L"default", state));
        DeviceKey speaker = lib.KeyOf(1, 0);
        ASSERT_EQ(lib.WriteValue(speaker, L"Enable_EQ_GFX", int32_t{1}), 0);
        ASSERT_EQ(lib.WriteValue(speaker, L"DevSampleRateControl", int32_t{96000}), 0);
        const float level = -30.5f;
        const int32_t channel = 3;
        ASSERT_EQ(lib.Write(speaker, L"VolumeControl", &level, 4, &channel, 4), 0);
        const int32_t headphone = 2;
        ASSERT_EQ(lib.Write(speaker, L"OutputTerminalTypeControl", &headphone, 4, &current, 4), 0);
    }
    ASSERT_TRUE(std::filesystem::exists(state));
    EXPECT_FALSE(std::filesystem::exists(state.wstring() + L".tmp"));

    SysTuneLib lib;
    ASSERT_TRUE(lib.Load(L"default", state));
    DeviceKey speaker = lib.KeyOf(1, 0);
    std::wstring text;
    ASSERT_EQ(lib.Read(speaker, L"Enable_EQ_GFX", text), 0);
    EXPECT_EQ(text, L"1");
    ASSERT_EQ(lib.Read(speaker, L"DevSampleRateControl", text), 0);
    EXPECT_EQ(text, L"96000");
    const int32_t channel = 3;
    ASSERT_EQ(lib.Read(speaker, L"VolumeControl", text, &channel, 4), 0);
    EXPECT_EQ(text, L"-30.500000");
    ASSERT_EQ(lib.Read(speaker, L"OutputTerminalTypeControl", text, &current, 4), 0);
    EXPECT_EQ(text, L"2");
    ASSERT_EQ(lib.Read(lib.KeyOf(7, 0), L"DefaultDeviceControl", text, &current, 4), 0);
    EXPECT_EQ(text, L"1");
}

TEST(SimStateTest, ADamagedStateFileLeavesTheScenarioDefaults) {
    TempDir temp;
    auto state = temp / L"device.state";
    std::ofstream(state, std::ios::binary) << "[endpoint Speaker]\nEnable_EQ_GFX = banana\nMuteControl = 1\n"
                                              "garbage line\n[endpoint Nowhere]\nMuteControl = 1\n\xff\xfe";
    SysTuneLib lib;
    ASSERT_TRUE(lib.Load(L"default", state));
    DeviceKey speaker = lib.KeyOf(1, 0);
    std::wstring text;
    ASSERT_EQ(lib.Read(speaker, L"Enable_EQ_GFX", text), 0);
    EXPECT_EQ(text, L"0");
    ASSERT_EQ(lib.Read(speaker, L"MuteControl", text), 0);
    EXPECT_EQ(text, L"1") << "the readable entries are kept";
}

// ---- scenarios

struct ScenarioCase {
    const wchar_t* scenario;
    size_t render;
    size_t capture;
    uint32_t firstKind;
};

TEST(SimScenarioTest, ShippedScenariosDescribeTheirDevices) {
    const ScenarioCase cases[] = {
        {L"default", 3, 4, 1},          {L"no-device", 0, 0, 0}, {L"jack-empty", 1, 0, 2},
        {L"partly-supported", 2, 1, 1}, {L"minimal", 1, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::filesystem::path(c.scenario).string());
        TempDir temp;
        SysTuneLib lib;
        ASSERT_TRUE(lib.Load(c.scenario, temp / L"device.state"));
        ASSERT_EQ(lib.CreateDeviceList(), 0);
        auto render = lib.Keys(kFlowRender);
        EXPECT_EQ(render.size(), c.render);
        EXPECT_EQ(lib.Keys(kFlowCapture).size(), c.capture);
        if (!render.empty()) {
            EXPECT_EQ(render[0].kind, c.firstKind);
        }
        EXPECT_EQ(lib.CallLog().find(L"ERROR"), std::wstring::npos) << "the scenario file has no mistakes";
    }
}

TEST(SimScenarioTest, PartlySupportedDeviceFailsWhereItSays) {
    TempDir temp;
    SysTuneLib lib;
    ASSERT_TRUE(lib.Load(L"partly-supported", temp / L"device.state"));
    DeviceKey speaker = lib.KeyOf(1, 0);
    DeviceKey mic = lib.KeyOf(2, 1);
    std::wstring text;
    EXPECT_EQ(lib.Read(mic, L"AGCControl", text), kSimInjectedFailure);
    EXPECT_EQ(lib.Read(speaker, L"VolumeScalarControl", text), kSimNotSupported);
    EXPECT_EQ(lib.Read(speaker, L"Enable_DHDVS_LFX", text), kSimNotSupported);
    // A fresh installation: the effect switch has no value until the program writes its default.
    EXPECT_EQ(lib.Read(speaker, L"Enable_EQ_GFX", text), kSimNotReady);
    ASSERT_EQ(lib.WriteValue(speaker, L"Enable_EQ_GFX", int32_t{0}), 0);
    ASSERT_EQ(lib.Read(speaker, L"Enable_EQ_GFX", text), 0);
    EXPECT_EQ(text, L"0");
    // Failures can be injected and lifted while the program runs.
    EXPECT_EQ(lib.Control(L"fail Speaker MuteControl 1"), L"ok");
    EXPECT_EQ(lib.Read(speaker, L"MuteControl", text), kSimInjectedFailure);
    EXPECT_EQ(lib.Control(L"fail Speaker MuteControl 0"), L"ok");
    EXPECT_EQ(lib.Read(speaker, L"MuteControl", text), 0);
}

TEST(SimScenarioTest, JackEndpointsComeAndGoWithTheOutputTerminal) {
    TempDir temp;
    auto scenario = temp / L"jack.scn";
    std::ofstream(scenario) << "[device]\nterminal = 1\nterminals = 3\n"
                               "[endpoint Speaker]\ncode = 1\ngroups = volume, terminal\nterminal = 1\njack = 1\n"
                               "[endpoint HeadPhone]\ncode = 7\ngroups = volume, terminal\nterminal = 2\njack = 1\n";
    EventRecorder::Reset();
    SysTuneLib lib;
    ASSERT_TRUE(lib.Load(scenario.wstring(), temp / L"device.state"));
    ASSERT_EQ(lib.RegisterCallbackFunction(&EventRecorder::Callback, 0), 0);
    ASSERT_EQ(lib.Keys(kFlowRender).size(), 1u);
    DeviceKey speaker = lib.KeyOf(1, 0);
    const int32_t current = 0, headphone = 2;
    ASSERT_EQ(lib.Write(speaker, L"OutputTerminalTypeControl", &headphone, 4, &current, 4), 0);
    ASSERT_TRUE(EventRecorder::WaitFor(kEventDevice, 2, 2s));
    auto events = EventRecorder::Events();
    EXPECT_EQ(events[0].flags, static_cast<uint32_t>(kFlagsUnplugged));
    EXPECT_EQ(events[0].endpointId, speaker.id);
    EXPECT_EQ(events[1].flags, static_cast<uint32_t>(kFlagsArrival));
    ASSERT_EQ(lib.CreateDeviceList(), 0);
    auto render = lib.Keys(kFlowRender);
    ASSERT_EQ(render.size(), 1u);
    EXPECT_EQ(render[0].code, 7);
}

TEST(SimScenarioTest, ReportsMistakesInAScenarioAndKeepsSafeValues) {
    oc::sim::Scenario scenario =
        oc::sim::Scenario::FromText("[device]\nterminal = 1\nwhatever = 3\n"
                                    "[endpoint HeadPhone]\ncode = 7\namplifier = 0, 12, 0, 6\nchannels = 9\nflow = 2\n"
                                    "no equals sign here\n[mystery]\n");
    ASSERT_EQ(scenario.endpoints.size(), 1u);
    EXPECT_EQ(scenario.endpoints[0].amplifier.step, 2.0) << "a zero step is refused";
    EXPECT_EQ(scenario.endpoints[0].channels, 2u);
    EXPECT_EQ(scenario.endpoints[0].flow, 0u);
    EXPECT_EQ(scenario.errors.size(), 6u);
    EXPECT_EQ(scenario.VendorId(), L"0d8c");
}

} // namespace
} // namespace oc::test
