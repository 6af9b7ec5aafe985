// Enumeration, the device list and its roles, default endpoints, content names, channel counts and the
// feature answers, over the scripted library.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "DriverTestSupport.h"
#include "ProbeLibrary.h"
#include "driver/DriverInstance.h"
#include "driver/PropertyValue.h"

namespace {

using oc::driver::DeviceKey;
using oc::test::DriverLibrary;
using oc::test::DriverProgramFolder;
using oc::test::DriverSession;
using Access = CDriverInstanceTestAccess;

constexpr wchar_t kUsbId[] = L"usb\\vid_0d8c&pid_0014&mi_00";

class FakeSettings : public IDriverSettings {
public:
    std::wstring lastApoName;
    std::wstring audioDevice = L"(untouched)";
    int32_t listen[3] = {};

    std::wstring GetLastApoName() override { return lastApoName; }
    void SetAudioDevice(const std::wstring& name) override { audioDevice = name; }
    int32_t GetListenToDevice(ListenSource source) override { return listen[source]; }
};

// A probe library with a scripted endpoint list. Every endpoint reports the USB device ID and an empty
// feature list unless a test scripts otherwise.
class ProbeDevices {
public:
    explicit ProbeDevices(bool vistaOrLater = true, IDriverSettings* settings = nullptr) {
        DriverEnvironment environment = m_folder.Environment();
        environment.vistaOrLater = vistaOrLater;
        environment.settings = settings;
        m_session = std::make_unique<DriverSession>(environment);
        Script(L"GetDeviceID", 0, kUsbId);
        Script(L"GetSupportFeature", 0, L"0,0,0,0,0,0,0");
    }

    IDriverInstance* Driver() const { return m_session->Get(); }
    const DriverProgramFolder& Folder() const { return m_folder; }

    void SetDevices(uint32_t flow, std::vector<DeviceKey> keys, int32_t reported = -1, int32_t touch = 1) {
        Export<ProbeSetDevicesFn>("ProbeSetDevices")(flow, keys.data(), static_cast<int32_t>(keys.size()), reported,
                                                     touch);
    }
    void Script(const wchar_t* name, int32_t result, const wchar_t* reply) {
        Export<ProbeScriptFn>("ProbeScript")(name, result, reply, 0, nullptr, 0);
    }
    void ScriptWrite(const wchar_t* name, int32_t result) {
        Export<ProbeScriptWriteFn>("ProbeScriptWrite")(name, result);
    }
    void ScriptDevice(uint32_t id, const wchar_t* name, int32_t result, const wchar_t* reply) {
        Export<ProbeScriptDeviceFn>("ProbeScriptDevice")(id, name, result, reply);
    }
    void MakeDefault(uint32_t id, bool isDefault = true) {
        ScriptDevice(id, L"DefaultDeviceControl", 0, isDefault ? L"1" : L"0");
    }
    void CreateListResult(int32_t result) { Export<ProbeSetCreateListResultFn>("ProbeSetCreateListResult")(result); }

    DeviceRecord* ById(uint32_t id) const {
        for (DeviceRecord* record : Access::Devices(Driver())) {
            if (record->key.id == id)
                return record;
        }
        return nullptr;
    }

private:
    template <class Fn> Fn Export(const char* name) { return oc::test::LibraryExport<Fn>(L"sysTuneLib.dll", name); }

    DriverProgramFolder m_folder{DriverLibrary::Probe};
    std::unique_ptr<DriverSession> m_session;
};

// {id, code, flow, kind}
DeviceKey Key(uint32_t id, int32_t code, uint32_t flow, uint32_t kind = 1) {
    return DeviceKey{id, code, flow, kind};
}

// ---------------------------------------------------------------------------------------------------------

TEST(DeviceEnumeration, RecordsAreAcceptedOnlyWithAnIdAndSevenFeaturePieces) {
    struct Case {
        const char* what;
        DeviceKey key;
        int32_t idResult;
        const wchar_t* features;
        int32_t fullySupported; // EnumerateDevices
        bool listed;            // BuildDeviceList
        uint32_t words[3];
    };
    const Case cases[] = {
        {"seven pieces", Key(1, 1, 0), 0, L"1,2,3,4,5,6,7", 1, true, {1, 5, 7}},
        {"an empty piece is dropped", Key(1, 1, 0), 0, L"1,,2,3,4,5,6", 0, false, {}},
        {"leading digits, none is 0", Key(1, 1, 0), 0, L"12ab,0,0,0,x,0, 7", 1, true, {12, 0, 7}},
        {"twenty digits saturate",
         Key(1, 1, 0),
         0,
         L"99999999999999999999,0,0,0,4294967295,0,4294967296",
         1,
         true,
         {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu}},
        {"no device ID", Key(1, 1, 0), 5, L"1,2,3,4,5,6,7", 0, false, {}},
        {"code 0", Key(1, 0, 0), 0, L"1,2,3,4,5,6,7", 0, false, {}},
        {"kind 3 is only listed", Key(1, 7, 0, 3), 0, L"1,2,3,4,5,6,7", 0, true, {1, 5, 7}},
        {"kind 5 is never listed", Key(1, 7, 0, 5), 0, L"1,2,3,4,5,6,7", 0, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProbeDevices probe;
        probe.SetDevices(0, {c.key});
        probe.Script(L"GetDeviceID", c.idResult, kUsbId);
        probe.Script(L"GetSupportFeature", 0, c.features);
        EXPECT_EQ(probe.Driver()->EnumerateDevices(), c.fullySupported);
        probe.Driver()->BuildDeviceList();
        ASSERT_EQ(probe.Driver()->GetDeviceCount(), c.listed ? 1 : 0);
        if (c.listed) {
            const DeviceRecord* record = Access::Devices(probe.Driver())[0];
            EXPECT_EQ(record->deviceId, kUsbId);
            for (int word = 0; word < 3; ++word)
                EXPECT_EQ(record->featureWords[word], c.words[word]) << word;
        }
    }
}

TEST(DeviceEnumeration, CountsTheLibraryDoesNotGiveOrInflatesStayBounded) {
    {
        // The count is left alone and the call fails: nothing is enumerated.
        ProbeDevices probe;
        probe.SetDevices(0, {Key(1, 1, 0)}, -1, 0);
        probe.SetDevices(1, {Key(2, 2, 1)}, -1, 0);
        EXPECT_EQ(probe.Driver()->EnumerateDevices(), 0);
        EXPECT_EQ(oc::test::CountLines(oc::test::ProbeHistory(), L"GetDeviceById"), 0);
    }
    {
        // An absurd count is cut; the indexes past the real endpoints fail and add nothing.
        ProbeDevices probe;
        probe.SetDevices(0, {Key(1, 1, 0)}, 1000000);
        EXPECT_EQ(probe.Driver()->EnumerateDevices(), 1);
        EXPECT_EQ(oc::test::CountLines(oc::test::ProbeHistory(), L"GetDeviceById flow=0"),
                  CDriverInstance::kMaxEndpointsPerFlow);
        probe.Driver()->BuildDeviceList();
        EXPECT_EQ(probe.Driver()->GetDeviceCount(), 1);
    }
}

TEST(DeviceEnumeration, ALonePartlySupportedEndpointMeansAnEmptyJack) {
    struct Case {
        const char* what;
        std::vector<DeviceKey> render;
        std::vector<DeviceKey> capture;
        bool initialized;
        int32_t partly;
    };
    const Case cases[] = {
        {"lone kind 2", {Key(1, 7, 0, 2)}, {}, false, 1},
        {"lone kind 2 capture", {}, {Key(1, 2, 1, 2)}, false, 1},
        {"beside a fully supported render endpoint", {Key(1, 1, 0), Key(2, 7, 0, 2)}, {}, true, 0},
        {"two partly supported", {Key(1, 7, 0, 2)}, {Key(2, 2, 1, 3)}, false, 0},
        {"no endpoint", {}, {}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProbeDevices probe;
        probe.SetDevices(0, c.render);
        probe.SetDevices(1, c.capture);
        EXPECT_EQ(probe.Driver()->Initialize(), c.initialized);
        EXPECT_EQ(probe.Driver()->HasOnlyPartlySupportedDevice(), c.partly);
    }
}

// ---------------------------------------------------------------------------------------------------------

class DeviceListTest : public ::testing::Test {
protected:
    FakeSettings m_settings;
    std::unique_ptr<ProbeDevices> m_probe;

    // Speaker (1, default), HeadPhone (2); MicIn (3, default), an S/PDIF input reported as SPDIFOut (4) and
    // one as SPDIFInRCA (5), LineIn (6), Aux (7).
    void Make(bool vistaOrLater = true) {
        Remake(vistaOrLater);
        m_probe->SetDevices(0, {Key(1, 1, 0), Key(2, 7, 0)});
        m_probe->SetDevices(1, {Key(3, 2, 1), Key(4, 4, 1), Key(5, 11, 1), Key(6, 3, 1), Key(7, 5, 1)});
        m_probe->MakeDefault(1);
        m_probe->MakeDefault(3);
        m_probe->ScriptDevice(1, L"GetDeviceFriendlyName", 0, L"Speakers (Probe)");
        m_probe->ScriptDevice(2, L"GetDeviceFriendlyName", 0, L"Headphones (Probe)");
    }
    // One driver object per process: the old one goes before the next is made.
    void Remake(bool vistaOrLater = true) {
        m_probe.reset();
        m_probe = std::make_unique<ProbeDevices>(vistaOrLater, &m_settings);
    }
    IDriverInstance* Driver() { return m_probe->Driver(); }
    DeviceRecord* Role(Access::Role role) { return Access::GetRole(Driver(), role); }
    uint32_t IdOf(const DeviceRecord* record) { return record ? record->key.id : 0; }
};

TEST_F(DeviceListTest, RolesDefaultsAndTheCaptureRewrite) {
    Make();
    Driver()->BuildDeviceList();
    ASSERT_EQ(Driver()->GetDeviceCount(), 7);
    EXPECT_EQ(m_probe->ById(4)->Code(), 104);
    EXPECT_EQ(m_probe->ById(5)->Code(), 104);
    EXPECT_EQ(m_probe->ById(4)->Flow(), 1u);
    EXPECT_EQ(IdOf(Role(Access::kControl)), 1u);
    EXPECT_EQ(IdOf(Role(Access::kControl2)), 1u);
    EXPECT_EQ(IdOf(Role(Access::kDefaultRender)), 1u);
    EXPECT_EQ(IdOf(Role(Access::kDefaultCapture)), 3u);
    EXPECT_EQ(IdOf(Access::GetSource(Driver(), Access::kMicInSource)), 3u);
    EXPECT_EQ(IdOf(Access::GetSource(Driver(), Access::kLineInSource)), 6u);
    EXPECT_EQ(IdOf(Access::GetSource(Driver(), Access::kAuxInSource)), 7u);
    EXPECT_EQ(IdOf(Role(Access::kCurrent)), 1u);
    EXPECT_EQ(m_settings.audioDevice, L"Speakers (Probe)");
    EXPECT_EQ(Driver()->GetDefaultCaptureEndpointName(), L"MicIn");
}

TEST_F(DeviceListTest, AnInputReportedWithAnOutputCodeNeverControlsOutputs) {
    Remake();
    m_probe->SetDevices(1, {Key(4, 4, 1), Key(3, 2, 1)});
    Driver()->BuildDeviceList();
    EXPECT_EQ(Role(Access::kControl), nullptr);
    EXPECT_FALSE(Driver()->IsControlDeviceKind1());
    EXPECT_EQ(Driver()->GetControlEndpointName(), L"");
}

TEST_F(DeviceListTest, CapabilitiesFollowTheReadsAndTheSystemVersion) {
    for (bool vista : {true, false}) {
        SCOPED_TRACE(vista ? "Vista or later" : "before Vista");
        Make(vista);
        m_probe->ScriptDevice(1, L"IsSupportDolbyDigitalLive", 0, L"1");
        m_probe->ScriptDevice(1, L"IsSupportDTSInteractive", 0, L"2");
        m_probe->ScriptDevice(1, L"HWEQBassControl", 0, L"1.5");
        m_probe->ScriptDevice(1, L"HWEQTrebleControl", 0, L"-2");
        m_probe->ScriptDevice(2, L"HWEQBassControl", 0, L"1.5"); // treble fails: no hardware equalizer
        m_probe->ScriptDevice(2, L"HPAmplifierControl", 0, L"6");
        m_probe->ScriptDevice(3, L"BoostControl", 0, L"10");
        m_probe->ScriptDevice(3, L"AGCControl", 0, L"0");
        m_probe->ScriptDevice(1, L"GetSupportFeature", 0, L"0,0,0,0,0,0,1");
        Driver()->BuildDeviceList();
        EXPECT_EQ(Driver()->IsFeatureSupported(L"SpeakerEX"), vista ? 1 : 0);
        EXPECT_EQ(Driver()->IsFeatureSupported(L"SpeakerIsSupportDolbyDigitalLive"), 1);
        EXPECT_EQ(Driver()->IsFeatureSupported(L"SpeakerIsSupportDTSInteractive"), 0);
        EXPECT_EQ(Driver()->IsFeatureSupported(L"SpeakerHWEQ"), 1);
        EXPECT_EQ(Driver()->IsFeatureSupported(L"HeadPhoneHWEQ"), 0);
        EXPECT_EQ(Driver()->HasHeadphoneAmplifier(), 1);
        // A USB device before Vista has no usable boost; its gain control works everywhere.
        EXPECT_EQ(Driver()->IsFeatureSupported(L"MicInBoost"), vista ? 1 : 0);
        EXPECT_EQ(Driver()->IsFeatureSupported(L"MicInAGC"), 1);
        EXPECT_EQ(Driver()->IsFeatureSupported(L"SpeakerAGC"), 0);
        const std::wstring history = oc::test::ProbeHistory();
        EXPECT_EQ(oc::test::CountLines(history, L"read BoostControl id=3"), 1);
        EXPECT_EQ(oc::test::CountLines(history, L"read HPAmplifierControl id=2 arg=0"), 1);
    }
}

TEST_F(DeviceListTest, TheLastPanelPicksTheCurrentEndpointOnlyWhenFullySupported) {
    struct Case {
        const char* what;
        const wchar_t* lastPanel;
        uint32_t headphoneKind;
        uint32_t expectedCurrent;
    };
    const Case cases[] = {
        {"fully supported", L"HeadPhoneEQ", 1, 2},
        {"kind 3 falls back to the default", L"HeadPhoneEQ", 3, 1},
        {"no such endpoint", L"HDMIVol", 1, 1},
        {"no endpoint name", L"Profile", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_settings.lastApoName = c.lastPanel;
        Remake();
        m_probe->SetDevices(0, {Key(1, 1, 0), Key(2, 7, 0, c.headphoneKind)});
        m_probe->MakeDefault(1);
        m_probe->ScriptDevice(2, L"GetDeviceFriendlyName", 0, L"Headphones (Probe)");
        m_probe->ScriptDevice(1, L"GetDeviceFriendlyName", 0, L"Speakers (Probe)");
        Driver()->BuildDeviceList();
        EXPECT_EQ(IdOf(Role(Access::kCurrent)), c.expectedCurrent);
        EXPECT_EQ(m_settings.audioDevice, c.expectedCurrent == 2 ? L"Headphones (Probe)" : L"Speakers (Probe)");
    }
}

TEST_F(DeviceListTest, AFailedRebuildKeepsTheListAndItsRoles) {
    Make();
    Driver()->BuildDeviceList();
    DeviceRecord* speaker = Role(Access::kCurrent);
    m_probe->CreateListResult(3);
    m_probe->SetDevices(0, {});
    m_settings.audioDevice.clear();
    Driver()->BuildDeviceList();
    EXPECT_EQ(Driver()->GetDeviceCount(), 7);
    EXPECT_EQ(Role(Access::kCurrent), speaker);
    EXPECT_EQ(m_settings.audioDevice, L"Speakers (Probe)");
    EXPECT_EQ(Driver()->EnumerateDevices(), 0);
}

TEST_F(DeviceListTest, DefaultEndpointsAreReReadAndSet) {
    Make();
    Driver()->BuildDeviceList();
    EXPECT_EQ(Driver()->RefreshDefaultDevices(), 0);

    m_probe->MakeDefault(1, false);
    m_probe->MakeDefault(2);
    EXPECT_EQ(Driver()->RefreshDefaultDevices(), 1);
    EXPECT_EQ(Driver()->GetDefaultRenderEndpointName(), L"HeadPhone");
    EXPECT_EQ(Driver()->GetDefaultCaptureEndpointName(), L"MicIn");

    m_probe->MakeDefault(3, false);
    EXPECT_EQ(Driver()->RefreshDefaultDevices(), 1);
    EXPECT_EQ(Driver()->GetDefaultCaptureEndpointName(), L"");

    // Setting a default: the wrong flow, the default already, an endpoint not listed.
    EXPECT_EQ(Driver()->SetDefaultRenderEndpointByName(L"MicIn"), 0);
    EXPECT_EQ(Driver()->SetDefaultRenderEndpointByName(L"HeadPhone"), 0);
    EXPECT_EQ(Driver()->SetDefaultRenderEndpointByName(L"HDMI"), 0);
    EXPECT_EQ(Driver()->SetDefaultCaptureEndpointByName(L"Speaker"), 0);

    // A refused first write answers 1 and changes nothing.
    m_probe->ScriptWrite(L"DefaultDeviceControl", 5);
    EXPECT_EQ(Driver()->SetDefaultRenderEndpointByName(L"Speaker"), 1);
    EXPECT_EQ(Driver()->GetDefaultRenderEndpointName(), L"HeadPhone");
    std::wstring history = oc::test::ProbeHistory();
    EXPECT_EQ(oc::test::CountLines(history, L"write DefaultDeviceControl id=1 arg=0"), 1);
    EXPECT_EQ(oc::test::CountLines(history, L"write DefaultDeviceControl id=1 arg=2"), 0);

    m_probe->ScriptWrite(L"DefaultDeviceControl", 0);
    EXPECT_EQ(Driver()->SetDefaultRenderEndpointByName(L"Speaker"), 1);
    EXPECT_EQ(Driver()->GetDefaultRenderEndpointName(), L"Speaker");
    EXPECT_EQ(Driver()->SetDefaultCaptureEndpointByName(L"SPDIFIn"), 1);
    EXPECT_EQ(Driver()->GetDefaultCaptureEndpointName(), L"SPDIFIn");
    history = oc::test::ProbeHistory();
    EXPECT_EQ(oc::test::CountLines(history, L"write DefaultDeviceControl id=1 arg=2"), 1);
    EXPECT_EQ(oc::test::CountLines(history, L"write DefaultDeviceControl id=4 arg=2"), 1);
}

TEST_F(DeviceListTest, ContentNamesFollowTheShownPanel) {
    Make();
    Driver()->BuildDeviceList();
    EXPECT_EQ(Driver()->GetEndpointContent(L"Speaker"), L"SpeakerVol");
    EXPECT_EQ(Driver()->GetEndpointContent(L"HDMI"), L"HDMIVol");
    EXPECT_EQ(Driver()->GetEndpointContent(L"AuxIn"), L"");

    Driver()->SetCurrentContent(L"HeadPhoneEQ");
    EXPECT_EQ(Driver()->GetCurrentEndpointName(), L"HeadPhone");
    EXPECT_EQ(Driver()->GetEndpointContent(L"HeadPhone"), L"HeadPhoneEQ");
    EXPECT_EQ(Driver()->GetEndpointContent(L"Speaker"), L"SpeakerVol");

    // A panel of an endpoint the device lacks, and one of no endpoint, leave the current endpoint. The
    // absent endpoint's panel is not remembered for the current one: its menu would open that panel.
    Driver()->SetCurrentContent(L"SpeakerQuarterEQ");
    EXPECT_EQ(Driver()->GetCurrentEndpointName(), L"HeadPhone");
    EXPECT_EQ(Driver()->GetEndpointContent(L"HeadPhone"), L"HeadPhoneEQ");
    Driver()->SetCurrentContent(L"Profile");
    EXPECT_EQ(Driver()->GetCurrentEndpointName(), L"HeadPhone");
    EXPECT_EQ(Driver()->GetEndpointContent(L"HeadPhone"), L"Profile");
}

TEST_F(DeviceListTest, AFailedChannelProbeIsRetriedAndKeepsTheSurroundDecodersOff) {
    Make();
    m_probe->Script(L"GetSupportFeature", 0, L"0,0,0,0,72,0,0"); // word B: 0x40 | 0x8
    Driver()->BuildDeviceList();
    EXPECT_EQ(Driver()->GetChannelCount(0), 0u);
    EXPECT_EQ(Driver()->IsFeatureSupported(L"SpeakerDTSNeoPC"), 0);
    EXPECT_EQ(Driver()->IsFeatureSupported(L"SpeakerDolbyPLIIx"), 0);
    EXPECT_EQ(oc::test::CountLines(oc::test::ProbeHistory(), L"read IsSupportFormat id=1"), 12);

    // Once the device answers, the first format tried (eight channels) sets the count for good.
    m_probe->Script(L"IsSupportFormat", 0, L"0");
    m_probe->ScriptDevice(1, L"IsSupportFormat", 0, L"1");
    EXPECT_EQ(Driver()->GetChannelCount(1), 8u);
    EXPECT_NE(Driver()->IsFeatureSupported(L"SpeakerDTSNeoPC"), 0);
    EXPECT_NE(Driver()->IsFeatureSupported(L"SpeakerDolbyPLIIx"), 0);
    EXPECT_EQ(oc::test::CountLines(oc::test::ProbeHistory(), L"read IsSupportFormat id=1"), 13);
}

// ---------------------------------------------------------------------------------------------------------

TEST(DeviceFeatures, TheTableAnswersPerEndpointAndFlow) {
    ProbeDevices probe;
    IDriverInstance* driver = probe.Driver();
    struct Endpoint {
        int32_t code;
        uint32_t flow;
        uint32_t kind;
        uint32_t words[3];
    };
    const Endpoint endpoints[] = {
        {1, 0, 1, {0x6000 | 0x10 | 0x8 | 0x20 | 0x1000, 0x4, 0x1}}, // Speaker
        {7, 0, 1, {0x8 | 0x100010, 0, 0}},                          // HeadPhone
        {2, 1, 1, {0x28000 | 0x1000 | 0x20, 0, 0}},                 // MicIn
        {10, 1, 1, {0x20000, 0, 0}},                                // DesktopMic
        {3, 1, 1, {0x28000, 0, 0}},                                 // LineIn
        {9, 0, 8, {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}},            // HDMI, kind 8
    };
    uint32_t id = 1;
    for (const Endpoint& e : endpoints) {
        DeviceRecord* record = Access::AddRecord(driver, e.code, e.flow, e.kind, id++);
        for (int word = 0; word < 3; ++word)
            record->featureWords[word] = e.words[word];
    }
    Access::SetRole(driver, Access::kCurrent, Access::Devices(driver)[0]);
    struct Case {
        const wchar_t* feature;
        bool supported;
    };
    const Case cases[] = {
        {L"SpeakerVol", true},
        {L"SpeakerKaraoke", true},           // render: pitch shifter or vocal fading
        {L"MicInKaraoke", true},             // capture: magic voice and singing echo
        {L"DesktopMicKaraoke", false},       // magic voice alone
        {L"LineInKaraoke", false},           // not a microphone
        {L"DesktopMicVimoMagicVoice", true}, // magic voice without singing echo
        {L"MicInVimoMagicVoice", false},
        {L"SpeakerSVN", true},
        {L"HeadPhoneSVN", false}, // smart volume excludes it
        {L"SpeakerEX", true},
        {L"HeadPhoneEX", false},
        {L"SpeakerSubroute", true},
        {L"HeadPhoneSubroute", false},
        {L"SpeakerENC", false},
        {L"MicInENC", true},
        {L"SpeakerVimoSurroundHeadPhone", true},
        {L"MicInVimoSurroundHeadPhone", false}, // capture endpoints have no surround
        {L"SpeakerDolbyHPVS", true},
        {L"HDMIVol", false}, // kind 8 endpoints answer nothing
        {L"Speaker", false}, // no feature after the name
        {L"SpeakerNothing", false},
        {L"speakerVol", false},
        {L"EX", true}, // no endpoint name: the current endpoint
        {L"Karaoke", true},
        {L"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(driver->IsFeatureSupported(c.feature) != 0, c.supported) << std::wstring(c.feature).c_str();
}

TEST(DeviceFeatures, QueriedFeaturesAskTheDevice) {
    ProbeDevices probe;
    IDriverInstance* driver = probe.Driver();
    Access::AddRecord(driver, 1, 0, 1, 1);
    Access::AddRecord(driver, 7, 0, 1, 2);
    Access::SetRole(driver, Access::kCurrent, Access::AddRecord(driver, 2, 1, 1, 3));

    // "Setting": the terminal read, else headphones or more than two channels.
    EXPECT_EQ(driver->IsFeatureSupported(L"SpeakerSetting"), 0);
    EXPECT_EQ(driver->IsFeatureSupported(L"HeadPhoneSetting"), 1);
    EXPECT_EQ(driver->IsFeatureSupported(L"MicInSetting"), 0);
    probe.ScriptDevice(1, L"IsSupportFormat", 0, L"1");
    EXPECT_EQ(driver->IsFeatureSupported(L"SpeakerSetting"), 1);
    probe.ScriptDevice(3, L"OutputTerminalTypeControl", 0, L"1");
    EXPECT_EQ(driver->IsFeatureSupported(L"MicInSetting"), 1);

    // The analog level is read from the current endpoint whichever endpoint is named.
    EXPECT_EQ(driver->IsFeatureSupported(L"SpeakerAAVolumeControl"), 0);
    probe.ScriptDevice(3, L"AAVolumeControl", 0, L"-3.5");
    EXPECT_EQ(driver->IsFeatureSupported(L"SpeakerAAVolumeControl"), 1);

    // The virtual-surround effect in use, through the routed property.
    EXPECT_EQ(driver->IsFeatureSupported(L"SpeakerVirtualDolbyHPVS"), 0);
    probe.ScriptDevice(1, L"VirtualSurroundEffectControl", 0, L"{D0456018-89C4-4D6E-8134-D45F4A711CC1}");
    EXPECT_EQ(driver->IsFeatureSupported(L"SpeakerVirtualDolbyHPVS"), 1);
    EXPECT_EQ(driver->IsFeatureSupported(L"SpeakerVirtualDolbyHPV2"), 0);
    EXPECT_EQ(driver->IsFeatureSupported(L"SpeakerVirtualVimoSurroundHeadPhone"), 0);
    probe.ScriptDevice(1, L"VirtualSurroundEffectControl", 0, L"not an identifier");
    EXPECT_EQ(driver->IsFeatureSupported(L"SpeakerVirtualDolbyHPVS"), 0);
}

} // namespace
