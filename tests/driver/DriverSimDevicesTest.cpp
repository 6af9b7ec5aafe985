// The device list, start-up check, buttons, test sound, listening, ASIO panel and start-up writers against
// the simulated device and its scenarios, through the libraries the program really loads.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "DriverTestSupport.h"
#include "TestPaths.h"
#include "driver/DriverInstance.h"
#include "driver/DriverStartup.h"
#include "driver/PropertyValue.h"

namespace {

using oc::test::DriverSession;
using oc::test::SimEnvironment;
using Access = CDriverInstanceTestAccess;

class FakeSettings : public IDriverSettings {
public:
    std::wstring lastApoName;
    std::wstring audioDevice;
    int32_t listen[3] = {};
    std::wstring GetLastApoName() override { return lastApoName; }
    void SetAudioDevice(const std::wstring& name) override { audioDevice = name; }
    int32_t GetListenToDevice(ListenSource source) override { return listen[source]; }
};

template <class Fn> Fn Sim(const char* name) {
    return oc::test::LibraryExport<Fn>(L"sysTuneLib.dll", name);
}

std::wstring SimControl(const std::wstring& command) {
    wchar_t reply[4096] = {};
    auto control = Sim<int32_t (*)(const wchar_t*, wchar_t*, uint32_t)>("SimControl");
    return control && control(command.c_str(), reply, 4096) == 0 ? reply : L"(failed)";
}

std::wstring Listening() {
    wchar_t text[256] = {};
    Sim<int32_t (*)(wchar_t*, uint32_t)>("SimGetListening")(text, 256);
    return text;
}

// A short mono wave the simulated device accepts.
void WriteWave(const std::filesystem::path& path) {
    const uint32_t samples = 44100; // one second: still playing when the test looks
    const uint32_t dataBytes = samples * 2;
    std::ofstream file(path, std::ios::binary);
    auto put32 = [&](uint32_t v) { file.write(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&](uint16_t v) { file.write(reinterpret_cast<const char*>(&v), 2); };
    file.write("RIFF", 4);
    put32(36 + dataBytes);
    file.write("WAVEfmt ", 8);
    put32(16);
    put16(1);
    put16(1);
    put32(44100);
    put32(88200);
    put16(2);
    put16(16);
    file.write("data", 4);
    put32(dataBytes);
    const std::vector<char> silence(dataBytes, 0);
    file.write(silence.data(), silence.size());
}

class SimDevicesTest : public ::testing::Test {
protected:
    oc::test::TempDir m_dir; // for files of the test's own
    FakeSettings m_settings;
    std::unique_ptr<oc::test::TempDir> m_stateDir;
    std::unique_ptr<SimEnvironment> m_environment;
    std::unique_ptr<DriverSession> m_session;

    // Each device gets a fresh state folder, and the old environment goes before the new one is set.
    void Open(const std::wstring& scenario, const CEffectDefaultWriters& writers = {}) {
        m_session.reset();
        m_environment.reset();
        m_stateDir = std::make_unique<oc::test::TempDir>();
        m_environment = std::make_unique<SimEnvironment>(*m_stateDir, scenario);
        m_environment->Get().settings = &m_settings;
        m_environment->Get().effectWriters = writers;
        m_session = std::make_unique<DriverSession>(m_environment->Get());
    }
    void TearDown() override {
        m_session.reset();
        m_environment.reset();
    }
    IDriverInstance* Driver() { return m_session->Get(); }
    std::vector<int32_t> Codes() {
        std::vector<int32_t> codes;
        for (const DeviceRecord* record : Access::Devices(Driver()))
            codes.push_back(record->Code());
        return codes;
    }
};

TEST_F(SimDevicesTest, StartUpTellsAMissingDeviceFromAnEmptyJack) {
    struct Case {
        const wchar_t* scenario;
        DriverDeviceState expected;
    };
    const Case cases[] = {
        {L"", DriverDeviceState::Ready},
        {L"minimal", DriverDeviceState::Ready},
        {L"partly-supported", DriverDeviceState::Ready},
        {L"no-device", DriverDeviceState::Missing},
        {L"jack-empty", DriverDeviceState::JackEmpty},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.scenario, c.scenario + wcslen(c.scenario)));
        oc::test::TempDir stateDir;
        SimEnvironment environment(stateDir, c.scenario);
        IDriverInstance* driver = nullptr;
        EXPECT_EQ(OpenDriverDevice(environment.Get(), &driver), c.expected);
        ASSERT_NE(driver, nullptr);
        driver->Release();
    }
    // Without the library at all there is no device either.
    oc::test::TempDir empty;
    DriverEnvironment nothing;
    nothing.programFolder = empty.Path().wstring() + L"\\";
    nothing.dataFolder = empty.Path().wstring() + L"\\";
    IDriverInstance* driver = nullptr;
    EXPECT_EQ(OpenDriverDevice(nothing, &driver), DriverDeviceState::Missing);
    driver->Release();
}

TEST_F(SimDevicesTest, TheDefaultDeviceListsItsEndpointsWithRolesAndCapabilities) {
    Open(L"");
    Driver()->BuildDeviceList();
    EXPECT_EQ(Codes(), (std::vector<int32_t>{1, 7, 4, 2, 3, 104, 8}));
    EXPECT_EQ(Driver()->GetCurrentEndpointName(), L"Speaker");
    EXPECT_EQ(Driver()->GetDefaultRenderEndpointName(), L"Speaker");
    EXPECT_EQ(Driver()->GetDefaultCaptureEndpointName(), L"MicIn");
    EXPECT_EQ(Driver()->GetControlEndpointName(), L"Speaker");
    EXPECT_EQ(m_settings.audioDevice, L"Speakers (USB Audio Device)");
    EXPECT_EQ(Access::AsioDriverId(Driver()), L"8D6A3F2C-4B1E-4C7A-9E5D-2F0B7C91A6E4");
    EXPECT_EQ(Driver()->HasHeadphoneAmplifier(), 1);
    EXPECT_EQ(Driver()->GetChannelCount(0), 8u);

    struct Case {
        const wchar_t* feature;
        bool supported;
    };
    const Case cases[] = {
        {L"SpeakerEQ", true},
        {L"SpeakerIsSupportVimoSurround71", true},
        {L"SPDIFOutIsSupportDolbyDigitalLive", true},
        {L"SpeakerIsSupportDolbyDigitalLive", false},
        {L"SpeakerHWEQ", true},
        {L"SpeakerDTSNeoPC", true},
        {L"HeadPhoneDTSNeoPC", false}, // two channels
        {L"SpeakerSetting", true},
        {L"SpeakerVirtualVimoSurroundHeadPhone", true},
        {L"SpeakerVirtualDolbyHPVS", false},
        {L"MicInBoost", true},
        {L"MicInAGC", true},
        {L"LineInAGC", false},
        {L"MicInKaraoke", true},
        {L"StereoMixEQ", false},
        {L"HeadPhoneVimoVoiceClarity", true}, // a playback effect
        {L"MicInVimoVoiceClarity", false},
        {L"HeadPhoneVimoChorvex", true}, // the headphone karaoke page
        {L"MicInVimoChorvex", false},
        {L"HeadPhoneSpaceline", true},
        {L"HeadPhoneVimoSurroundSpeakers", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Driver()->IsFeatureSupported(c.feature) != 0, c.supported) << std::wstring(c.feature).c_str();

    // A new default render endpoint, then nothing left to refresh.
    EXPECT_EQ(Driver()->SetDefaultRenderEndpointByName(L"HeadPhone"), 1);
    EXPECT_EQ(Driver()->GetDefaultRenderEndpointName(), L"HeadPhone");
    EXPECT_EQ(Driver()->RefreshDefaultDevices(), 0);
}

TEST_F(SimDevicesTest, APartlySupportedDeviceFallsBackToAFullySupportedEndpoint) {
    m_settings.lastApoName = L"HeadPhoneEQ";
    Open(L"partly-supported");
    Driver()->BuildDeviceList();
    EXPECT_EQ(Codes(), (std::vector<int32_t>{1, 7, 2}));
    EXPECT_EQ(Driver()->CountKind1Devices(), 2);
    EXPECT_EQ(Driver()->GetCurrentEndpointName(), L"Speaker");
    EXPECT_EQ(Driver()->GetDeviceKindByName(L"HeadPhone"), 3u);
    EXPECT_EQ(Driver()->GetChannelCount(1), 6u);
    EXPECT_EQ(Driver()->IsFeatureSupported(L"MicInAGC"), 0); // the gain control fails on this device
    EXPECT_EQ(Driver()->IsFeatureSupported(L"HeadPhoneEQ"), 0);
    EXPECT_EQ(Access::AsioDriverId(Driver()), L""); // no ASIO driver for this product
    EXPECT_EQ(Driver()->HasHeadphoneAmplifier(), 0);
}

TEST_F(SimDevicesTest, WithoutADeviceNothingIsCurrentAndNothingPlays) {
    for (const wchar_t* scenario : {L"no-device", L"jack-empty"}) {
        SCOPED_TRACE(std::string(scenario, scenario + wcslen(scenario)));
        Open(scenario);
        Driver()->BuildDeviceList();
        EXPECT_EQ(Driver()->GetCurrentEndpointName(), L"");
        EXPECT_EQ(Driver()->CountKind1Devices(), 0);
        EXPECT_FALSE(Driver()->IsControlDeviceKind1());
        EXPECT_FALSE(Driver()->PlayTestSound(L"x.wav", 0));
        EXPECT_EQ(Driver()->GetChannelCount(1), 0u);
        oc::driver::HidReportFunction report = nullptr;
        Driver()->StartHidDevice([](oc::driver::ButtonRecord*) {}, &report);
        EXPECT_EQ(report, nullptr);
    }
    EXPECT_EQ(Codes(), (std::vector<int32_t>{7})); // the empty jack's headphones, kind 2
}

TEST_F(SimDevicesTest, ButtonsReportTheDeviceState) {
    Open(L"");
    Driver()->BuildDeviceList();
    const int32_t on = 1;
    ASSERT_EQ(Driver()->SetEndpointProperty(1, L"Enable_KESTAL_HPSPK_LFX", &on, kValueUInt, 4, nullptr, 0, 0), 0);
    oc::driver::HidReportFunction report = nullptr;
    Driver()->StartHidDevice([](oc::driver::ButtonRecord*) {}, &report);
    ASSERT_NE(report, nullptr);
    auto reported =
        oc::test::LibraryExport<int32_t (*)(uint32_t, uint32_t*, uint32_t*)>(L"PLHID_X64.dll", "SimHidReported");
    uint32_t state = 9;
    uint32_t reports = 0;
    ASSERT_EQ(reported(105, &state, &reports), 0);
    EXPECT_EQ(state, 1u);
    EXPECT_EQ(reports, 1u);
    ASSERT_EQ(reported(108, &state, &reports), 0);
    EXPECT_EQ(state, 0u);
    EXPECT_EQ(reports, 1u);
    Driver()->CloseHidDevice();
}

// The main window's button callback, as it runs on the HID library's thread: toggle, then report.
IDriverInstance* g_buttonDriver = nullptr;
oc::driver::HidReportFunction g_buttonReport = nullptr;
void OnButton(oc::driver::ButtonRecord* record) {
    int32_t code = 0;
    uint32_t flow = 0;
    std::wstring name;
    g_buttonDriver->MapButtonToProperty(record, &code, &flow, &name);
    int32_t value = 0;
    g_buttonDriver->ToggleDeviceProperty(code, flow, name.c_str(), &value, true);
    if (record->report) {
        record->state = value == 1 ? 1 : 0;
        if (g_buttonReport)
            g_buttonReport(record, 0);
    }
}

TEST_F(SimDevicesTest, PressesToggleOnTheButtonThreadWhileTheListIsRebuilt) {
    Open(L"");
    Driver()->BuildDeviceList();
    const int32_t off = 0;
    ASSERT_EQ(Driver()->SetEndpointProperty(1, L"Enable_KESTAL_HPSPK_LFX", &off, kValueUInt, 4, nullptr, 0, 0), 0);
    g_buttonDriver = Driver();
    Driver()->StartHidDevice(&OnButton, &g_buttonReport);
    auto press = oc::test::LibraryExport<int32_t (*)(uint32_t)>(L"PLHID_X64.dll", "SimHidPress");
    auto reported =
        oc::test::LibraryExport<int32_t (*)(uint32_t, uint32_t*, uint32_t*)>(L"PLHID_X64.dll", "SimHidReported");
    ASSERT_TRUE(press && reported);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(press(105), 0);
    uint32_t state = 0;
    uint32_t reports = 0;
    const DWORD deadline = GetTickCount() + 5000;
    while (reports < 4 && GetTickCount() < deadline) {
        Driver()->BuildDeviceList();
        reported(105, &state, &reports);
    }
    EXPECT_EQ(reports, 4u); // the state read at start, then one per press
    EXPECT_EQ(state, 1u);
    int32_t value = -1;
    ASSERT_EQ(
        Driver()->GetEndpointProperty(1, L"Enable_KESTAL_HPSPK_LFX", &value, kValueInt, 4, nullptr, 0, 0, false, false),
        0);
    EXPECT_EQ(value, 1);
    Driver()->CloseHidDevice();
    g_buttonReport = nullptr;
    g_buttonDriver = nullptr;
}

TEST_F(SimDevicesTest, TestSoundListeningAndTheAsioPanel) {
    Open(L"");
    Driver()->BuildDeviceList();
    const std::filesystem::path wave = m_dir / "Center.wav";
    WriteWave(wave);
    ASSERT_TRUE(Driver()->PlayTestSound(wave.wstring(), 4));
    int32_t playing = 0;
    Sim<int32_t (*)(int32_t*, uint32_t*, uint32_t*)>("SimGetTestSoundState")(&playing, nullptr, nullptr);
    EXPECT_EQ(playing, 1);
    EXPECT_TRUE(Driver()->StopTestSound(false));
    Sim<int32_t (*)(int32_t*, uint32_t*, uint32_t*)>("SimGetTestSoundState")(&playing, nullptr, nullptr);
    EXPECT_EQ(playing, 0);
    EXPECT_TRUE(Driver()->CloseTestSound());
    EXPECT_FALSE(Driver()->PlayTestSound((m_dir / "missing.wav").wstring(), 0));

    m_settings.listen[IDriverSettings::kListenMicIn] = 1;
    m_settings.listen[IDriverSettings::kListenLineIn] = 1;
    Driver()->RestoreListening();
    EXPECT_EQ(Listening(), L"MicIn LineIn");
    Driver()->StopAllListening(false);
    EXPECT_EQ(Listening(), L"");
    EXPECT_TRUE(Driver()->RestartListen(10, true)); // the desktop microphone's source is the microphone
    EXPECT_EQ(Listening(), L"MicIn");

    Driver()->ShowAsioPanel();
    EXPECT_EQ(SimControl(L"asio"), L"1");
}

TEST_F(SimDevicesTest, StartUpWritersRunPerEndpointAndTheDirectXTextArrives) {
    std::vector<std::pair<std::wstring, int32_t>> calls;
    CEffectDefaultWriters writers;
    writers.Set(EffectWriter::EQApplyToDevice, [&](int32_t code) { calls.push_back({L"EQ", code}); });
    writers.Set(EffectWriter::MicInAECInitDefaults, [&](int32_t code) { calls.push_back({L"AEC", code}); });
    writers.SetMicInKaraoke([&](int32_t code, int32_t karaoke, int32_t magicVoice) {
        calls.push_back({L"MicInKaraoke", code});
        EXPECT_NE(karaoke, 0);
        EXPECT_EQ(magicVoice, 0);
    });
    Open(L"", writers);
    Driver()->BuildDeviceList();
    Driver()->ApplyEffectDefaults();
    const std::vector<std::pair<std::wstring, int32_t>> expected = {
        {L"EQ", 1}, {L"EQ", 7}, {L"EQ", 4}, {L"MicInKaraoke", 2}, {L"AEC", 2},
    };
    EXPECT_EQ(calls, expected);
    ASSERT_TRUE(Access::WaitForDirectXWorker(Driver(), 5000));
    EXPECT_EQ(Driver()->GetDirectXVersion(), L"DirectX 12");

    // Without endpoints the writers have nothing to do, but the version is still read.
    calls.clear();
    Open(L"no-device", writers);
    Driver()->BuildDeviceList();
    Driver()->ApplyEffectDefaults();
    EXPECT_TRUE(calls.empty());
    ASSERT_TRUE(Access::WaitForDirectXWorker(Driver(), 5000));
    EXPECT_EQ(Driver()->GetDirectXVersion(), L"DirectX 12");
}

} // namespace
