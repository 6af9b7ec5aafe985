// Hardware buttons, the ASIO panel, the test sound, listen-to-device, the start-up writers and the DirectX
// worker, over the scripted libraries.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cwchar>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "DriverTestSupport.h"
#include "ProbeLibrary.h"
#include "driver/DirectXVersionWorker.h"
#include "driver/DriverInstance.h"
#include "driver/EffectDefaultWriters.h"
#include "driver/PropertyValue.h"

namespace {

using oc::driver::ButtonRecord;
using oc::driver::DeviceKey;
using oc::test::CountLines;
using oc::test::DriverLibrary;
using oc::test::DriverProgramFolder;
using oc::test::DriverSession;
using oc::test::ProbeHidHistory;
using oc::test::ProbeHistory;
using Access = CDriverInstanceTestAccess;

constexpr wchar_t kUsbId[] = L"usb\\vid_0d8c&pid_0014&mi_00";
constexpr wchar_t kAsioId[] = L"8D6A3F2C-4B1E-4C7A-9E5D-2F0B7C91A6E4";

class FakeSettings : public IDriverSettings {
public:
    int32_t listen[3] = {};
    std::wstring GetLastApoName() override { return {}; }
    void SetAudioDevice(const std::wstring&) override {}
    int32_t GetListenToDevice(ListenSource source) override { return listen[source]; }
};

template <class Fn> Fn Lib(const char* name) {
    return oc::test::LibraryExport<Fn>(L"sysTuneLib.dll", name);
}

void Script(const wchar_t* name, int32_t result, const wchar_t* reply = L"") {
    Lib<ProbeScriptFn>("ProbeScript")(name, result, reply, 0, nullptr, 0);
}

void HidScript(int32_t sizeAnswer, uint32_t byteCount, const std::vector<ButtonRecord>& records,
               int32_t startAnswer = 0) {
    oc::test::LibraryExport<ProbeHidScriptFn>(L"PLHID_X64.dll", "ProbeHidScript")(
        sizeAnswer, byteCount, records.data(), static_cast<uint32_t>(records.size()), startAnswer);
}

ButtonRecord Button(uint32_t id, int32_t code, uint32_t flow, uint64_t report) {
    ButtonRecord record{};
    record.buttonId = id;
    record.endpointCode = code;
    record.flow = flow;
    record.report = report;
    record.state = 7; // never a state the program writes
    return record;
}

void ButtonCallback(ButtonRecord*) {}

class ServicesTest : public ::testing::Test {
protected:
    FakeSettings m_settings;
    std::unique_ptr<DriverProgramFolder> m_folder;
    std::unique_ptr<DriverSession> m_session;
    DeviceRecord* m_speaker = nullptr;

    void SetUp() override { Make(DriverLibrary::Probe); }

    void Make(DriverLibrary library, const CEffectDefaultWriters& writers = {}) {
        m_session.reset();
        m_folder.reset();
        m_folder = std::make_unique<DriverProgramFolder>(library);
        DriverEnvironment environment = m_folder->Environment();
        environment.settings = &m_settings;
        environment.effectWriters = writers;
        m_session = std::make_unique<DriverSession>(environment);
        m_speaker = Access::AddRecord(Driver(), 1, 0, 1, 11);
        Access::SetRole(Driver(), Access::kCurrent, m_speaker);
    }
    IDriverInstance* Driver() { return m_session->Get(); }
};

// ---------------------------------------------------------------------------------------------------------
// Hardware buttons

TEST_F(ServicesTest, ButtonsStartWithTheDeviceIdsAndReportTheirStates) {
    struct Case {
        const wchar_t* deviceId;
        const wchar_t* startLine;
    };
    const Case cases[] = {
        {kUsbId, L"StartDevice [0X0D8C] [0X0014]"},
        {L"hdaudio\\func_01&ven_10ec&dev_0888", L"StartDevice [0X10EC] [0X0888]"},
        {L"usb\\vid_0d8c&mi_00", L"StartDevice [] []"}, // no product id: both texts empty
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.startLine, c.startLine + wcslen(c.startLine)));
        Make(DriverLibrary::Probe);
        Access::AddRecord(Driver(), 2, 1, 1, 12);
        Script(L"GetDeviceID", 0, c.deviceId);
        Script(L"Enable_KESTAL_HPSPK_LFX", 0, L"1");
        Script(L"Enable_ENC_LFX", 0, L"0");
        // 70 bytes: two records and six bytes that belong to none; the third record is never read.
        const std::vector<ButtonRecord> buttons = {Button(105, 1, 0, 1), Button(108, 2, 1, 0), Button(108, 2, 1, 1)};
        HidScript(oc::driver::kHidNeedBuffer, 70, buttons);
        oc::driver::HidReportFunction report = nullptr;
        Driver()->StartHidDevice(&ButtonCallback, &report);
        EXPECT_NE(report, nullptr);
        const std::wstring history = ProbeHidHistory();
        EXPECT_EQ(CountLines(history, L"CloseDevice"), 1) << history;
        EXPECT_EQ(CountLines(history, c.startLine), 1) << history;
        EXPECT_EQ(CountLines(history, L"GetCallBack"), 1) << history;
        EXPECT_EQ(CountLines(history, L"GetButtonDescription null size=0"), 1) << history;
        EXPECT_EQ(CountLines(history, L"GetButtonDescription buffer size=64"), 1) << history;
        // Only the surround button wants its state; the noise-cancellation one is left alone.
        EXPECT_EQ(CountLines(history, L"report id=105 state=1 reserved=0"), 1) << history;
        EXPECT_EQ(CountLines(history, L"report id=108"), 0) << history;

        // A refresh reads the states again through the same report function.
        Script(L"Enable_KESTAL_HPSPK_LFX", 0, L"0");
        Driver()->RefreshHidButtons();
        EXPECT_EQ(CountLines(ProbeHidHistory(), L"report id=105 state=0"), 1);
    }
}

TEST_F(ServicesTest, TheButtonPassStopsAtTheFirstFailure) {
    struct Case {
        const char* what;
        int32_t idResult;
        int32_t sizeAnswer;
        uint32_t byteCount;
        int32_t startAnswer;
        int starts;
        int sizeQueries;
        int bufferCalls;
    };
    const Case cases[] = {
        {"no device ID", 5, oc::driver::kHidNeedBuffer, 64, 0, 0, 0, 0},
        {"StartDevice fails", 0, oc::driver::kHidNeedBuffer, 64, 1, 1, 0, 0},
        {"size query answers 0", 0, 0, 64, 0, 1, 1, 0},
        {"less than one record", 0, oc::driver::kHidNeedBuffer, 31, 0, 1, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Make(DriverLibrary::Probe);
        Script(L"GetDeviceID", c.idResult, kUsbId);
        HidScript(c.sizeAnswer, c.byteCount, {Button(105, 1, 0, 1), Button(108, 1, 0, 1)}, c.startAnswer);
        oc::driver::HidReportFunction report = nullptr;
        Driver()->StartHidDevice(&ButtonCallback, &report);
        const std::wstring history = ProbeHidHistory();
        EXPECT_EQ(CountLines(history, L"StartDevice"), c.starts) << history;
        EXPECT_EQ(CountLines(history, L"GetCallBack"), c.starts && !c.startAnswer ? 1 : 0) << history;
        EXPECT_EQ(CountLines(history, L"GetButtonDescription null"), c.sizeQueries) << history;
        EXPECT_EQ(CountLines(history, L"GetButtonDescription buffer"), c.bufferCalls) << history;
        EXPECT_EQ(CountLines(history, L"report"), 0) << history;
    }
}

TEST_F(ServicesTest, ButtonsMapToTheirProperties) {
    const ButtonRecord surround = Button(105, 1, 0, 1);
    const ButtonRecord noise = Button(108, 10, 1, 1);
    const ButtonRecord other = Button(7, 4, 0, 1);
    int32_t code = 0;
    uint32_t flow = 9;
    std::wstring name;
    Driver()->MapButtonToProperty(&surround, &code, &flow, &name);
    EXPECT_EQ(name, L"Enable_KESTAL_HPSPK_LFX");
    EXPECT_EQ(code, 1);
    EXPECT_EQ(flow, 0u);
    Driver()->MapButtonToProperty(&noise, &code, &flow, &name);
    EXPECT_EQ(name, L"Enable_ENC_LFX");
    EXPECT_EQ(code, 10);
    EXPECT_EQ(flow, 1u);
    name.clear();
    Driver()->MapButtonToProperty(&other, &code, &flow, &name);
    EXPECT_EQ(name, L"");
    EXPECT_EQ(code, 4);
}

// ---------------------------------------------------------------------------------------------------------
// Test sound

TEST_F(ServicesTest, TestSoundPlaysOnTheChannelsBitAndNeedsACurrentEndpoint) {
    const std::pair<int32_t, const wchar_t*> masks[] = {
        {0, L"0x1"}, {1, L"0x2"},   {2, L"0x10"},  {3, L"0x20"}, {4, L"0x4"},
        {5, L"0x8"}, {6, L"0x200"}, {7, L"0x400"}, {8, L"0x1"},  {-1, L"0x1"},
    };
    for (const auto& [channel, mask] : masks) {
        const std::wstring line =
            std::wstring(L"PlayTestSound C:\\sound\\L-Front.wav mask=") + mask + L" id=11 reserved=-1";
        const int before = CountLines(ProbeHistory(), line);
        EXPECT_TRUE(Driver()->PlayTestSound(L"C:\\sound\\L-Front.wav", channel));
        EXPECT_EQ(CountLines(ProbeHistory(), line), before + 1) << channel;
    }
    EXPECT_TRUE(Driver()->StopTestSound(false));
    EXPECT_TRUE(Driver()->CloseTestSound());
    const std::wstring history = ProbeHistory();
    EXPECT_EQ(CountLines(history, L"StopTestSound reserved=-1"), 1) << history;
    EXPECT_EQ(CountLines(history, L"CloseTestSound reserved=-1"), 1) << history;

    Script(L"PlayTestSound", 9);
    Script(L"StopTestSound", 9);
    EXPECT_FALSE(Driver()->PlayTestSound(L"x.wav", 0));
    EXPECT_FALSE(Driver()->StopTestSound(false));

    Access::SetRole(Driver(), Access::kCurrent, nullptr);
    const int calls = CountLines(ProbeHistory(), L"");
    EXPECT_FALSE(Driver()->PlayTestSound(L"x.wav", 0));
    EXPECT_FALSE(Driver()->StopTestSound(true));
    EXPECT_FALSE(Driver()->CloseTestSound());
    EXPECT_EQ(CountLines(ProbeHistory(), L""), calls);
}

TEST_F(ServicesTest, StoppingWithWaitAfterGivesTheDeviceItsSettleTime) {
    using Clock = std::chrono::steady_clock;
    auto start = Clock::now();
    ASSERT_TRUE(Driver()->StopTestSound(true));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(90));
    start = Clock::now();
    ASSERT_TRUE(Driver()->StopTestSound(false));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(90));
}

// ---------------------------------------------------------------------------------------------------------
// Listening

TEST_F(ServicesTest, ListeningRestartsStopsAndRestoresBySource) {
    DeviceRecord* mic = Access::AddRecord(Driver(), 2, 1, 1, 21);
    DeviceRecord* aux = Access::AddRecord(Driver(), 5, 1, 1, 25);
    Access::SetSource(Driver(), Access::kMicInSource, mic);
    Access::SetSource(Driver(), Access::kAuxInSource, aux);

    // The desktop microphone shares the microphone source.
    EXPECT_TRUE(Driver()->RestartListen(10, true));
    EXPECT_EQ(Access::ListenIdle(Driver(), Access::kMicInSource), 0);
    std::wstring history = ProbeHistory();
    EXPECT_EQ(CountLines(history, L"StopListen2Device id=21"), 1);
    EXPECT_EQ(CountLines(history, L"RunListen2Device id=21"), 1);
    EXPECT_FALSE(Driver()->RestartListen(3, true)); // no line-in source
    EXPECT_FALSE(Driver()->RestartListen(1, true));

    // A stop that fails keeps a listening source marked as listening.
    Script(L"StopListen2Device", 4);
    Driver()->StopAllListening(false);
    EXPECT_EQ(Access::ListenIdle(Driver(), Access::kMicInSource), 0);
    EXPECT_FALSE(Driver()->RestartListen(2, false));
    Driver()->StopAllListening(true);
    EXPECT_EQ(Access::ListenIdle(Driver(), Access::kMicInSource), 1);

    Script(L"StopListen2Device", 0);
    Script(L"RunListen2Device", 4);
    EXPECT_FALSE(Driver()->RestartListen(2, true));
    EXPECT_EQ(Access::ListenIdle(Driver(), Access::kMicInSource), 1);
    Script(L"RunListen2Device", 0);

    // Restored: the microphone and the aux input, not the line input the user did not choose.
    m_settings.listen[IDriverSettings::kListenMicIn] = 1;
    m_settings.listen[IDriverSettings::kListenAuxIn] = 1;
    Driver()->RestoreListening();
    EXPECT_EQ(Access::ListenIdle(Driver(), Access::kMicInSource), 0);
    EXPECT_EQ(Access::ListenIdle(Driver(), Access::kAuxInSource), 0);
    EXPECT_EQ(CountLines(ProbeHistory(), L"RunListen2Device id=25"), 1);
}

TEST_F(ServicesTest, MissingEntryPointsAnswerFailure) {
    Make(DriverLibrary::ProbePartial);
    DeviceRecord* mic = Access::AddRecord(Driver(), 2, 1, 1, 21);
    Access::SetSource(Driver(), Access::kMicInSource, mic);
    EXPECT_EQ(Driver()->RunListen(mic), kDriverNoDevice);
    EXPECT_EQ(Driver()->StopListen(mic), kDriverNoDevice);
    EXPECT_FALSE(Driver()->RestartListen(2, true));
    EXPECT_EQ(Access::ListenIdle(Driver(), Access::kMicInSource), 1);
    EXPECT_FALSE(Driver()->PlayTestSound(L"x.wav", 0));
    EXPECT_FALSE(Driver()->StopTestSound(false));
    EXPECT_FALSE(Driver()->CloseTestSound());
    Driver()->ShowAsioPanel();
    Driver()->ApplyEffectDefaults(); // no worker without the property call
    EXPECT_TRUE(Access::WaitForDirectXWorker(Driver(), 0));
    EXPECT_EQ(Driver()->GetDirectXVersion(), L"");
}

// ---------------------------------------------------------------------------------------------------------
// ASIO panel

TEST_F(ServicesTest, TheAsioPanelOpensOnlyForAValidIdentifierOfThisDevice) {
    struct Case {
        const wchar_t* deviceId;
        const char* ini;
        const wchar_t* expectedId;
        bool opens;
    };
    const Case cases[] = {
        {kUsbId, "[0D8C0014]\nGUID=8D6A3F2C-4B1E-4C7A-9E5D-2F0B7C91A6E4\n", kAsioId, true},
        {L"USB\\VID_0D8C&PID_0014", "[0D8C0014]\nGUID=8D6A3F2C-4B1E-4C7A-9E5D-2F0B7C91A6E4\n", L"", false},
        {L"usb\\vid_0d8c&mi_00", "[0D8C0014]\nGUID=8D6A3F2C-4B1E-4C7A-9E5D-2F0B7C91A6E4\n", L"", false},
        {L"usb\\vid_0d8c&pid_0015", "[0D8C0014]\nGUID=8D6A3F2C-4B1E-4C7A-9E5D-2F0B7C91A6E4\n", L"", false},
        {kUsbId, "[0D8C0014]\nGUID=not-an-identifier\n", L"not-an-identifier", false},
        {kUsbId, "[0D8C0014]\nGUID={8D6A3F2C-4B1E-4C7A-9E5D-2F0B7C91A6E4}\n", L"{8D6A3F2C-4B1E-4C7A-9E5D-2F0B7C91A6E4}",
         false},
        {kUsbId, "", L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        Make(DriverLibrary::Probe);
        if (*c.ini)
            std::ofstream(m_folder->Path() / "ASIO.ini") << c.ini;
        const DeviceKey speaker{11, 1, 0, 1};
        oc::test::LibraryExport<ProbeSetDevicesFn>(L"sysTuneLib.dll", "ProbeSetDevices")(0, &speaker, 1, -1, 1);
        Script(L"GetDeviceID", 0, c.deviceId);
        Script(L"GetSupportFeature", 0, L"0,0,0,0,0,0,0");
        Script(L"DefaultDeviceControl", 0, L"1");
        Driver()->BuildDeviceList();
        EXPECT_EQ(Access::AsioDriverId(Driver()), c.expectedId);
        Driver()->ShowAsioPanel();
        EXPECT_EQ(CountLines(ProbeHistory(), L"ShowAsioPanel {8D6A3F2C-4B1E-4C7A-9E5D-2F0B7C91A6E4}"), c.opens ? 1 : 0);
        EXPECT_EQ(CountLines(ProbeHistory(), L"ShowAsioPanel"), c.opens ? 1 : 0);
    }
}

// ---------------------------------------------------------------------------------------------------------
// Start-up writers and the DirectX worker

TEST(EffectDefaultWriters, EmptySlotsAreSkipped) {
    CEffectDefaultWriters writers;
    std::vector<int32_t> calls;
    writers.Call(EffectWriter::EQApplyToDevice, 1);
    writers.CallMicInKaraoke(2, 1, 0);
    writers.Set(EffectWriter::EQApplyToDevice, [&](int32_t code) { calls.push_back(code); });
    writers.Set(EffectWriter::Count, [&](int32_t code) { calls.push_back(-code); });
    writers.Call(EffectWriter::EQApplyToDevice, 7);
    writers.Call(EffectWriter::EMInitDefaults, 7);
    writers.Call(EffectWriter::Count, 7);
    EXPECT_EQ(calls, (std::vector<int32_t>{7}));
}

TEST_F(ServicesTest, EveryEndpointGetsTheWritersOfItsFeaturesInOrder) {
    std::vector<std::wstring> calls;
    CEffectDefaultWriters writers;
    const std::pair<EffectWriter, const wchar_t*> named[] = {
        {EffectWriter::VirtualInitDefaults, L"Virtual"},
        {EffectWriter::KaraokeInitDefaults, L"Karaoke"},
        {EffectWriter::SettingApplyToDevice, L"Setting"},
        {EffectWriter::EQApplyToDevice, L"EQ"},
        {EffectWriter::DolbyHPVSIsEffectActive, L"DolbyHPVS"},
        {EffectWriter::MicInAECInitDefaults, L"AEC"},
        {EffectWriter::MicInENCInitDefaults, L"ENC"},
        {EffectWriter::VimoSurroundHeadPhoneApplyToDevice, L"VimoSurroundHeadPhone"},
    };
    for (const auto& [slot, name] : named)
        writers.Set(slot, [&calls, name = std::wstring(name)](int32_t code) {
            calls.push_back(name + L" " + std::to_wstring(code));
        });
    writers.SetMicInKaraoke([&calls](int32_t code, int32_t karaoke, int32_t magicVoice) {
        calls.push_back(L"MicInKaraoke " + std::to_wstring(code) + L" " + std::to_wstring(karaoke != 0) + L" " +
                        std::to_wstring(magicVoice != 0));
    });
    Make(DriverLibrary::Probe, writers);
    Access::ClearDevices(Driver());
    auto add = [&](int32_t code, uint32_t flow, uint32_t id, uint32_t wordA, uint32_t wordB) {
        DeviceRecord* record = Access::AddRecord(Driver(), code, flow, 1, id);
        record->featureWords[0] = wordA;
        record->featureWords[1] = wordB;
    };
    add(7, 0, 1, 0x1 | 0x4 | 0x2000 | 0x20, 0x2);    // HeadPhone: virtual, EQ, karaoke, surround, Dolby
    add(2, 1, 2, 0x20000 | 0x800 | 0x1000 | 0x4, 0); // MicIn: magic voice, AEC, ENC, EQ
    add(3, 1, 3, 0, 0);                              // LineIn: nothing
    Script(L"GetDirectXVer", 0, L"DirectX 12");
    Driver()->ApplyEffectDefaults();
    const std::vector<std::wstring> expected = {
        L"Virtual 7",          L"Karaoke 7", L"Setting 7", L"EQ 7",  L"DolbyHPVS 7", L"VimoSurroundHeadPhone 7",
        L"MicInKaraoke 2 0 1", L"EQ 2",      L"AEC 2",     L"ENC 2",
    };
    EXPECT_EQ(calls, expected);

    ASSERT_TRUE(Access::WaitForDirectXWorker(Driver(), 5000));
    EXPECT_EQ(Driver()->GetDirectXVersion(), L"DirectX 12");
    const std::wstring history = ProbeHistory();
    EXPECT_EQ(CountLines(history, L"read GetDirectXVer id=0"), 1) << history;
}

// A library call that blocks until the test lets it answer.
HANDLE g_release = nullptr;
int32_t g_directXCalls = 0;
int32_t BlockingPropertyControl(const DeviceKey*, const wchar_t* name, void** value, void**, uint8_t) {
    ++g_directXCalls;
    WaitForSingleObject(g_release, 10000);
    wcscpy(static_cast<wchar_t*>(*value), name);
    return 0;
}

TEST(DirectXVersionWorker, OneReadAtATimeAndTheTextUnderItsLock) {
    g_release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_directXCalls = 0;
    {
        CDirectXVersionWorker worker;
        ASSERT_TRUE(worker.Start(&BlockingPropertyControl));
        EXPECT_FALSE(worker.Start(&BlockingPropertyControl)); // still running
        EXPECT_FALSE(worker.Wait(50));
        EXPECT_EQ(worker.Text(), L"");
        SetEvent(g_release);
        ASSERT_TRUE(worker.Wait(5000));
        EXPECT_EQ(worker.Text(), L"GetDirectXVer");
        EXPECT_EQ(g_directXCalls, 1);
        // Done: the next start runs again, and the owner's end waits for it.
        EXPECT_TRUE(worker.Start(&BlockingPropertyControl));
        EXPECT_FALSE(worker.Start(nullptr));
    }
    EXPECT_EQ(g_directXCalls, 2);
    CloseHandle(g_release);
}

// The read waits for the driver's read lock, which the worker keeps alive as long as it needs it.
TEST(DirectXVersionWorker, TheReadWaitsForTheReadLock) {
    g_release = CreateEventW(nullptr, TRUE, TRUE, nullptr); // the library answers at once
    g_directXCalls = 0;
    auto readLock = std::make_shared<CCriticalSection>();
    CDirectXVersionWorker worker;
    {
        std::lock_guard held(*readLock);
        ASSERT_TRUE(worker.Start(&BlockingPropertyControl, readLock));
        EXPECT_FALSE(worker.Wait(200)) << "the read ran while another read held the lock";
        EXPECT_EQ(g_directXCalls, 0);
    }
    ASSERT_TRUE(worker.Wait(5000));
    EXPECT_EQ(g_directXCalls, 1);
    EXPECT_EQ(worker.Text(), L"GetDirectXVer");
    CloseHandle(g_release);
}

TEST_F(ServicesTest, TheDirectXWorkerRunsWithAnEmptyListAndKeepsTheLastText) {
    Access::ClearDevices(Driver());
    Script(L"GetDirectXVer", 0, L"DirectX 11");
    Driver()->ApplyEffectDefaults();
    ASSERT_TRUE(Access::WaitForDirectXWorker(Driver(), 5000));
    EXPECT_EQ(Driver()->GetDirectXVersion(), L"DirectX 11");
    Script(L"GetDirectXVer", 3, L"");
    Driver()->ApplyEffectDefaults();
    ASSERT_TRUE(Access::WaitForDirectXWorker(Driver(), 5000));
    EXPECT_EQ(Driver()->GetDirectXVersion(), L"DirectX 11");
    // Released at once after a start: the object waits for its worker.
    Driver()->ApplyEffectDefaults();
}

} // namespace
