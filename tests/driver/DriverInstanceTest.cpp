// The driver access object over the scripted library: loading, the property paths, routing, the value
// cache, endpoint selection, toggling and the locks.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "DriverTestSupport.h"
#include "ProbeLibrary.h"
#include "driver/DriverInstance.h"
#include "driver/PropertyValue.h"

namespace {

using oc::test::DriverLibrary;
using oc::test::DriverProgramFolder;
using oc::test::DriverSession;
using Access = CDriverInstanceTestAccess;

template <class Fn> Fn ProbeExport(const char* name) {
    HMODULE module = GetModuleHandleW(L"sysTuneLib.dll");
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

bool HasLine(const std::string& log, const std::string& line) {
    return ("\n" + log).find("\n" + line + "\n") != std::string::npos;
}

size_t LinePosition(const std::string& log, const std::string& line) {
    return ("\n" + log).find("\n" + line + "\n");
}

// ---------------------------------------------------------------------------------------------------------

TEST(DriverLoading, WithoutTheLibraryEveryOperationAnswersWithoutACall) {
    DriverProgramFolder folder(DriverLibrary::None);
    DriverSession driver(folder.Environment());
    EXPECT_FALSE(driver->Initialize());

    int32_t value = 7;
    int32_t argument = 0;
    EXPECT_EQ(driver->SetProperty(L"Enable_EQ_GFX", &value, kValueUInt, 4, nullptr, 0, 0), kDriverNoEndpoint);
    EXPECT_EQ(driver->GetProperty(L"Enable_EQ_GFX", &value, kValueUInt, 4, nullptr, 0, 0, true, false),
              kDriverNoDevice);
    EXPECT_EQ(driver->SetEndpointProperty(1, L"Enable_EQ_GFX", &value, kValueUInt, 4, nullptr, 0, 0),
              kDriverNoEndpoint);
    EXPECT_EQ(driver->GetEndpointProperty(1, L"Enable_EQ_GFX", &value, kValueUInt, 4, nullptr, 0, 0, false, false),
              kDriverNoDevice);
    EXPECT_EQ(driver->SetControlDeviceProperty(L"X", &value, kValueUInt, 4, nullptr, 0, 0), kDriverNoEndpoint);
    EXPECT_EQ(driver->GetControlDeviceProperty(L"X", &value, kValueUInt, 4, nullptr, 0, 0, false, false),
              kDriverNoEndpoint);
    EXPECT_EQ(driver->GetDefaultRenderProperty(L"X", &value, kValueUInt, 4, nullptr, 0, 0, false, false),
              kDriverNoEndpoint);
    EXPECT_EQ(driver->GetDefaultCaptureProperty(L"X", &value, kValueUInt, 4, nullptr, 0, 0, false, false),
              kDriverNoEndpoint);

    // With endpoints in place the paths still have no library to call, virtual names included.
    DeviceRecord* speaker = Access::AddRecord(driver.Get(), 1, 0, 1, 1);
    for (auto role : {Access::kCurrent, Access::kControl, Access::kDefaultRender})
        Access::SetRole(driver.Get(), role, speaker);
    EXPECT_EQ(driver->SetProperty(L"Enable_EQ_GFX", &value, kValueUInt, 4, nullptr, 0, 0), kDriverNoDevice);
    EXPECT_EQ(driver->GetProperty(L"VolumeControl", &value, kValueUInt, 4, &argument, 1, 4, true, false),
              kDriverNoDevice);
    EXPECT_EQ(driver->SetEndpointProperty(1, L"__FrontBalance", &value, kValueUInt, 4, nullptr, 0, 0), kDriverNoDevice);
    EXPECT_EQ(driver->GetControlDeviceProperty(L"X", &value, kValueUInt, 4, nullptr, 0, 0, false, false),
              kDriverNoDevice);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(driver->GetLastWriteTime(), 0u);
}

TEST(DriverLoading, MissingEntryPointsDisableTheirOperations) {
    DriverProgramFolder folder(DriverLibrary::ProbePartial);
    {
        DriverSession driver(folder.Environment());
        EXPECT_FALSE(driver->Initialize());
        DeviceRecord* speaker = Access::AddRecord(driver.Get(), 1, 0, 1, 1);
        Access::SetRole(driver.Get(), Access::kCurrent, speaker);
        int32_t value = 1;
        EXPECT_EQ(driver->SetProperty(L"Enable_EQ_GFX", &value, kValueUInt, 4, nullptr, 0, 0), kDriverNoDevice);
        EXPECT_EQ(driver->GetProperty(L"Enable_EQ_GFX", &value, kValueUInt, 4, nullptr, 0, 0, false, false),
                  kDriverNoDevice);
    }
    const std::string log = folder.ReadLog();
    EXPECT_TRUE(HasLine(log, "ConfLibInit")) << log;
    EXPECT_FALSE(HasLine(log, "ConfLibInitWithGUID")) << log;
}

TEST(DriverLoading, InitialisesWithTheApplicationIdAndStopsCallbacksBeforeUnloading) {
    DriverProgramFolder folder(DriverLibrary::Probe);
    {
        DriverSession driver(folder.Environment());
        driver->RegisterCallback(nullptr);
        // One object per process.
        EXPECT_EQ(CDriverInstance::CreateInstance(DriverEnvironment{}), driver.Get());
    }
    const std::string log = folder.ReadLog();
    EXPECT_TRUE(HasLine(log, "ConfLibInitWithGUID")) << log;
    EXPECT_FALSE(HasLine(log, "ConfLibInit")) << log;
    EXPECT_TRUE(HasLine(log, "RegisterCallbackFunction")) << log;
    ASSERT_TRUE(HasLine(log, "CloseDevice") && HasLine(log, "ConfLibUnInit")) << log;
    ASSERT_TRUE(HasLine(log, "hid unload") && HasLine(log, "lib unload")) << log;
    EXPECT_LT(LinePosition(log, "CloseDevice"), LinePosition(log, "hid unload"));
    EXPECT_LT(LinePosition(log, "CloseDevice"), LinePosition(log, "lib unload"));
    EXPECT_LT(LinePosition(log, "ConfLibUnInit"), LinePosition(log, "lib unload"));
}

TEST(DriverProfile, AMalformedProfileIsReplacedAndStoredTextsComeBackBounded) {
    DriverProgramFolder folder(DriverLibrary::Probe);
    const std::filesystem::path profile = folder.DataFolder() / "Profile.xml";
    auto writeProfile = [&](const std::string& text) {
        std::ofstream file(profile, std::ios::binary | std::ios::trunc);
        file << text;
    };
    auto readProfile = [&] {
        std::ifstream file(profile, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };

    writeProfile("<Profile Name=\"Broken\"><Endpoint");
    { DriverSession driver(folder.Environment()); }
    EXPECT_EQ(readProfile().rfind("<Profile Name=\"Backup\">\n", 0), 0u);

    writeProfile("<Profile Name=\"Backup\">\n  <Endpoint Name=\"Headphone\" DataFlow=\"Out\">\n"
                 "    <ApoEffect Name=\"HeadphoneVolume\">\n      <Property UIName=\"__Balance\" Value=\"" +
                 std::string(2000, 'x') + "\" />\n    </ApoEffect>\n  </Endpoint>\n</Profile>\n");
    {
        // A file nobody may open leaves the defaults in force.
        HANDLE locked = CreateFileW(profile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(locked, INVALID_HANDLE_VALUE);
        DriverSession driver(folder.Environment());
        Access::AddRecord(driver.Get(), 7, 0, 1, 71);
        wchar_t text[8] = {};
        ASSERT_EQ(
            driver->GetEndpointProperty(7, L"__Balance", text, kValueText, sizeof(text), nullptr, 0, 0, false, false),
            0);
        EXPECT_EQ(std::wstring(text), L"1");
        CloseHandle(locked);
    }

    DriverSession driver(folder.Environment());
    Access::AddRecord(driver.Get(), 7, 0, 1, 71);
    std::vector<wchar_t> place(1024, L'#');
    ASSERT_EQ(driver->GetEndpointProperty(7, L"__Balance", place.data(), kValueText, 2048, nullptr, 0, 0, false, false),
              0);
    EXPECT_EQ(wcslen(place.data()), 511u);
    EXPECT_EQ(place[512], L'#');
}

// ---------------------------------------------------------------------------------------------------------

class ProbeDriverTest : public ::testing::Test {
protected:
    DriverProgramFolder m_folder{DriverLibrary::Probe};
    DriverSession m_driver{m_folder.Environment()};
    DeviceRecord* m_speaker = nullptr;

    void SetUp() override {
        m_speaker = Access::AddRecord(m_driver.Get(), 1, 0, 1, 11);
        Access::SetRole(m_driver.Get(), Access::kCurrent, m_speaker);
    }

    IDriverInstance* Driver() { return m_driver.Get(); }
    void Script(const wchar_t* name, int32_t result, const wchar_t* reply, int32_t fill = 0,
                const void* argumentReply = nullptr, uint32_t argumentBytes = 0) {
        ProbeExport<ProbeScriptFn>("ProbeScript")(name, result, reply, fill, argumentReply, argumentBytes);
    }
    void ScriptWrite(const wchar_t* name, int32_t result) {
        ProbeExport<ProbeScriptWriteFn>("ProbeScriptWrite")(name, result);
    }
    int32_t Calls() { return ProbeExport<ProbeCallCountFn>("ProbeCallCount")(); }
    ProbeCall Last() {
        ProbeCall call{};
        ProbeExport<ProbeLastCallFn>("ProbeLastCall")(&call);
        return call;
    }
    int32_t CachedInt(const wchar_t* name, int32_t channel, bool withChannel, int32_t* value) {
        return Driver()->GetProperty(name, value, kValueInt, 4, withChannel ? &channel : nullptr, kValueInt, 4, false,
                                     true);
    }
};

TEST_F(ProbeDriverTest, RoutedNamesReachTheSharedPropertyWithTheirBlock) {
    Script(L"VirtualSurroundEffectControl", 0, L"1");
    const int32_t on = 1;
    const int32_t callerArguments[2] = {7, 7};
    ASSERT_EQ(Driver()->SetProperty(L"EnableVirtualSurroundEffect", &on, kValueUInt, 4, callerArguments, 0, 8), 0);
    ProbeCall call = Last();
    EXPECT_EQ(std::wstring(call.name), L"VirtualSurroundEffectControl");
    EXPECT_EQ(call.write, 1);
    int32_t block[3];
    std::memcpy(block, call.arguments, sizeof(block));
    EXPECT_EQ((std::array<int32_t, 3>{block[0], block[1], block[2]}), (std::array<int32_t, 3>{4, -1, 0}));

    // Cached under the caller's name, without asking the library again.
    const int32_t calls = Calls();
    int32_t cached = 0;
    EXPECT_EQ(CachedInt(L"EnableVirtualSurroundEffect", 0, false, &cached), 0);
    EXPECT_EQ(cached, 1);
    EXPECT_EQ(Calls(), calls);

    struct Route {
        const wchar_t* name;
        std::array<int32_t, 3> block;
    };
    const Route reads[] = {{L"GetVirtualSurroundEffectGUID", {1, -1, 0}},
                           {L"VirtualSurroundMode", {4, 1, 0}},
                           {L"VirtualSurroundRoomSize", {4, 0, 0}}};
    for (const Route& route : reads) {
        int32_t value = 0;
        ASSERT_EQ(Driver()->GetProperty(route.name, &value, kValueInt, 4, nullptr, 0, 0, false, false), 0);
        call = Last();
        EXPECT_EQ(std::wstring(call.name), L"VirtualSurroundEffectControl");
        EXPECT_EQ(call.hadArguments, 1);
        std::memcpy(block, call.arguments, sizeof(block));
        EXPECT_EQ((std::array<int32_t, 3>{block[0], block[1], block[2]}), route.block)
            << std::wstring(route.name).c_str();
    }
}

TEST_F(ProbeDriverTest, ArgumentsComeBackOnlyIntoTheCallersOwnBlock) {
    const int32_t libraryReply[4] = {9, 9, 9, 9};
    Script(L"VirtualSurroundEffectControl", 0, L"2", 0, libraryReply, sizeof(libraryReply));
    int32_t value = 0;
    int32_t callerArgument = 0x5A5A5A5A;
    ASSERT_EQ(Driver()->GetProperty(L"VirtualSurroundMode", &value, kValueInt, 4, &callerArgument, kValueInt, 4, false,
                                    false),
              0);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(callerArgument, 0x5A5A5A5A);
    EXPECT_EQ(Driver()->GetProperty(L"VirtualSurroundMode", &value, kValueInt, 4, nullptr, 0, 0, false, false), 0);

    // A query answers through its block, up to the caller's size and no further.
    const uint8_t formatReply[16] = {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11,
                                     0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22};
    Script(L"IsSupportFormat", 0, L"1", 0, formatReply, sizeof(formatReply));
    struct {
        uint16_t channels;
        uint16_t bits;
        uint32_t rate;
        uint32_t guard;
    } query = {8, 16, 44100, 0xDEADBEEF};
    ASSERT_EQ(Driver()->GetProperty(L"IsSupportFormat", &value, kValueInt, 4, &query, kValueBlock, 8, false, false), 0);
    const ProbeCall call = Last();
    uint16_t sentChannels = 0;
    std::memcpy(&sentChannels, call.arguments, 2);
    EXPECT_EQ(sentChannels, 8);
    EXPECT_EQ(query.channels, 0x1111);
    EXPECT_EQ(query.rate, 0x11111111u);
    EXPECT_EQ(query.guard, 0xDEADBEEFu);
}

TEST_F(ProbeDriverTest, TextAnswersAreCutToTheBufferAndTerminated) {
    Script(L"VirtualSurroundEffectControl", 0, L"{C7600B33}", 1); // 512 characters, no terminator
    std::vector<wchar_t> place(1024, L'#');
    ASSERT_EQ(Driver()->GetProperty(L"GetVirtualSurroundEffectGUID", place.data(), kValueText, 2048, nullptr, 0, 0,
                                    false, false),
              0);
    EXPECT_EQ(wcslen(place.data()), 511u);
    EXPECT_EQ(place[512], L'#');

    std::fill(place.begin(), place.end(), L'#');
    ASSERT_EQ(Driver()->GetProperty(L"GetVirtualSurroundEffectGUID", place.data(), kValueText, 8, nullptr, 0, 0, false,
                                    false),
              0);
    EXPECT_EQ(std::wstring(place.data()), L"{C7");
    EXPECT_EQ(place[4], L'#');
}

TEST_F(ProbeDriverTest, OversizedValuesAndArgumentsAreRefusedBeforeTheLibrary) {
    Script(L"FriendlyName", 0, L"");
    const std::vector<uint8_t> block(2048, 0x33);
    const std::wstring longText(600, L'x');
    const std::wstring fullText(512, L'x');
    struct Case {
        const char* what;
        const void* value;
        int32_t type;
        uint32_t size;
        const void* arguments;
        int32_t argumentType;
        uint32_t argumentSize;
    };
    const Case cases[] = {
        {"block of 1025 bytes", block.data(), kValueBlock, 1025, nullptr, 0, 0},
        {"text of 600 characters", longText.c_str(), kValueText, 1202, nullptr, 0, 0},
        {"text filling the whole buffer", fullText.c_str(), kValueText, 1024, nullptr, 0, 0},
        {"argument block of 2000 bytes", block.data(), kValueBlock, 4, block.data(), kValueBlock, 2000},
    };
    for (const Case& c : cases) {
        const int32_t calls = Calls();
        EXPECT_EQ(Driver()->SetProperty(L"FriendlyName", c.value, c.type, c.size, c.arguments, c.argumentType,
                                        c.argumentSize),
                  kDriverRefused)
            << c.what;
        EXPECT_EQ(Calls(), calls) << c.what;
    }
    EXPECT_EQ(Driver()->GetLastWriteTime(), 0u);
    int32_t value = 0;
    std::vector<uint8_t> arguments(block);
    EXPECT_EQ(
        Driver()->GetProperty(L"FriendlyName", &value, kValueInt, 4, arguments.data(), kValueBlock, 1025, false, false),
        kDriverRefused);

    const std::wstring fits(511, L'y');
    ASSERT_EQ(Driver()->SetProperty(L"FriendlyName", fits.c_str(), kValueText, 1024, nullptr, 0, 0), 0);
    const ProbeCall call = Last();
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(call.value)), fits);
    EXPECT_EQ(call.hadArguments, 0);
    EXPECT_NE(Driver()->GetLastWriteTime(), 0u);
}

TEST_F(ProbeDriverTest, NumbersConvertWithSignAndSize) {
    struct Case {
        const wchar_t* reply;
        int32_t type;
        uint32_t size;
        uint32_t expected; // the caller's 4-byte place, which starts as 0xAAAAAAAA
    };
    const Case cases[] = {
        {L"-13", kValueInt, 4, static_cast<uint32_t>(-13)},
        {L"-45", kValueUInt, 0, static_cast<uint32_t>(-45)},
        {L"70000", kValueUInt, 2, 0xAAAA1170u}, // the low 16 bits, the rest untouched
        {L"12", kValueUInt, 8, 12u},            // never more than the converted 4 bytes
    };
    for (const Case& c : cases) {
        Script(L"KEYSHIFT_LEVEL", 0, c.reply);
        uint32_t place[2] = {0xAAAAAAAAu, 0xBBBBBBBBu};
        ASSERT_EQ(Driver()->GetProperty(L"KEYSHIFT_LEVEL", place, c.type, c.size, nullptr, 0, 0, false, false), 0);
        EXPECT_EQ(place[0], c.expected) << std::wstring(c.reply).c_str();
        EXPECT_EQ(place[1], 0xBBBBBBBBu);
    }
    Script(L"HWEQBassControl", 0, L"-2.250000");
    float gain = 0;
    ASSERT_EQ(Driver()->GetProperty(L"HWEQBassControl", &gain, kValueFloat, 4, nullptr, 0, 0, false, false), 0);
    EXPECT_FLOAT_EQ(gain, -2.25f);
}

TEST_F(ProbeDriverTest, FailuresLeaveThePlacesAndTheCacheAlone) {
    Script(L"Enable_EQ_GFX", 5, L"1", 0, "\x07\x07\x07\x07", 4);
    int32_t value = 77;
    int32_t argument = 3;
    EXPECT_EQ(Driver()->GetProperty(L"Enable_EQ_GFX", &value, kValueUInt, 4, &argument, kValueInt, 4, true, false), 5);
    EXPECT_EQ(value, 77);
    EXPECT_EQ(argument, 3);
    EXPECT_EQ(Driver()->GetProperty(L"Enable_EQ_GFX", &value, kValueUInt, 4, nullptr, 0, 0, false, true), 1);
    EXPECT_EQ(value, 77);

    ScriptWrite(L"Enable_EQ_GFX", 6);
    const int32_t on = 1;
    EXPECT_EQ(Driver()->SetProperty(L"Enable_EQ_GFX", &on, kValueUInt, 4, nullptr, 0, 0), 6);
    EXPECT_EQ(Driver()->GetProperty(L"Enable_EQ_GFX", &value, kValueUInt, 4, nullptr, 0, 0, false, true), 1);
    EXPECT_EQ(value, 77);

    // A successful read with the store flag fills the cache with the converted value.
    Script(L"KEYSHIFT_LEVEL", 0, L"-3");
    ASSERT_EQ(Driver()->GetProperty(L"KEYSHIFT_LEVEL", &value, kValueInt, 4, nullptr, 0, 0, true, false), 0);
    Script(L"KEYSHIFT_LEVEL", 4, L"");
    value = 0;
    EXPECT_EQ(Driver()->GetProperty(L"KEYSHIFT_LEVEL", &value, kValueInt, 4, nullptr, 0, 0, false, true), 0);
    EXPECT_EQ(value, -3);
}

TEST_F(ProbeDriverTest, CacheKeepsChannelsFlowsAndKindsApart) {
    for (const wchar_t* name :
         {L"VolumeControl", L"AAVolumeControl", L"DefaultDeviceControl", L"FriendlyName", L"DevFormatControl"})
        Script(name, 0, L"");
    struct ChannelWrite {
        const wchar_t* name;
        int32_t channel;
        int32_t value;
    };
    const ChannelWrite writes[] = {{L"VolumeControl", 2, -10},
                                   {L"VolumeControl", 3, -20},
                                   {L"AAVolumeControl", 0, -5},
                                   {L"AAVolumeControl", 1, -6}};
    for (const ChannelWrite& w : writes)
        ASSERT_EQ(Driver()->SetProperty(w.name, &w.value, kValueInt, 4, &w.channel, kValueInt, 4), 0);
    for (const ChannelWrite& w : writes) {
        int32_t cached = 0;
        EXPECT_EQ(CachedInt(w.name, w.channel, true, &cached), 0);
        EXPECT_EQ(cached, w.value) << std::wstring(w.name).c_str() << " " << w.channel;
    }
    int32_t cached = 0;
    EXPECT_EQ(CachedInt(L"VolumeControl", 1, true, &cached), 1);
    EXPECT_EQ(CachedInt(L"AAVolumeControl", 0, false, &cached), 1);

    // The default-device property belongs to a flow: any render endpoint sees what HDMI wrote.
    Access::AddRecord(Driver(), 9, 0, 1, 91);
    Access::AddRecord(Driver(), 2, 1, 1, 21);
    Access::AddRecord(Driver(), 3, 1, 1, 31);
    const int32_t zero = 0, hdmiValue = 1, micValue = 5;
    ASSERT_EQ(Driver()->SetEndpointProperty(9, L"DefaultDeviceControl", &hdmiValue, kValueUInt, 4, &zero, 1, 4), 0);
    ASSERT_EQ(Driver()->SetEndpointProperty(2, L"DefaultDeviceControl", &micValue, kValueUInt, 4, &zero, 1, 4), 0);
    int32_t value = 0;
    ASSERT_EQ(Driver()->GetProperty(L"DefaultDeviceControl", &value, kValueUInt, 4, nullptr, 0, 0, false, true), 0);
    EXPECT_EQ(value, 1);
    ASSERT_EQ(
        Driver()->GetEndpointProperty(3, L"DefaultDeviceControl", &value, kValueUInt, 4, nullptr, 0, 0, false, true),
        0);
    EXPECT_EQ(value, 5);

    // Texts and raw blocks are written as they are and cached empty.
    wchar_t name[32] = L"Speakers";
    ASSERT_EQ(Driver()->SetProperty(L"FriendlyName", name, kValueText, sizeof(name), nullptr, 0, 0), 0);
    EXPECT_EQ(Driver()->GetProperty(L"FriendlyName", name, kValueText, sizeof(name), nullptr, 0, 0, false, true), 1);
    EXPECT_EQ(std::wstring(name), L"Speakers");
    const uint8_t format[8] = {2, 0, 24, 0, 0x80, 0xBB, 0, 0};
    ASSERT_EQ(Driver()->SetProperty(L"DevFormatControl", format, kValueBlock, sizeof(format), nullptr, 0, 0), 0);
    EXPECT_EQ(std::memcmp(Last().value, format, sizeof(format)), 0);
    EXPECT_EQ(Last().value[8], 0);
    EXPECT_EQ(Driver()->GetProperty(L"DevFormatControl", &value, kValueBlock, 4, nullptr, 0, 0, false, true), 1);
}

TEST_F(ProbeDriverTest, EndpointOperationsPickTheFirstFullySupportedRecord) {
    DeviceRecord* partial = Access::AddRecord(Driver(), 7, 0, 2, 71);
    DeviceRecord* headphone = Access::AddRecord(Driver(), 7, 0, 1, 72);
    Script(L"Enable_EQ_GFX", 0, L"1");
    const int32_t on = 1;
    int32_t value = 0;
    ASSERT_EQ(Driver()->SetEndpointProperty(7, L"Enable_EQ_GFX", &on, kValueUInt, 4, nullptr, 0, 0), 0);
    EXPECT_EQ(Last().key.id, 72u);
    ASSERT_EQ(Driver()->GetEndpointProperty(7, L"Enable_EQ_GFX", &value, kValueUInt, 4, nullptr, 0, 0, false, false),
              0);
    EXPECT_EQ(Last().key.id, 72u);
    EXPECT_EQ(Driver()->SetEndpointProperty(4, L"Enable_EQ_GFX", &on, kValueUInt, 4, nullptr, 0, 0), kDriverNoEndpoint);
    EXPECT_EQ(Driver()->GetEndpointProperty(4, L"Enable_EQ_GFX", &value, kValueUInt, 4, nullptr, 0, 0, false, false),
              kDriverNoDevice);

    Access::SetRole(Driver(), Access::kControl, partial);
    EXPECT_FALSE(Driver()->IsControlDeviceKind1());
    EXPECT_EQ(Driver()->GetControlEndpointName(), L"");
    EXPECT_EQ(Driver()->SetControlDeviceProperty(L"Enable_EQ_GFX", &on, kValueUInt, 4, nullptr, 0, 0),
              kDriverNoEndpoint);
    Access::SetRole(Driver(), Access::kControl, headphone);
    EXPECT_TRUE(Driver()->IsControlDeviceKind1());
    EXPECT_EQ(Driver()->GetControlEndpointName(), L"HeadPhone");
    ASSERT_EQ(Driver()->GetControlDeviceProperty(L"Enable_EQ_GFX", &value, kValueUInt, 4, nullptr, 0, 0, false, false),
              0);
    EXPECT_EQ(Last().key.id, 72u);

    EXPECT_EQ(Driver()->GetDefaultRenderProperty(L"Enable_EQ_GFX", &value, kValueUInt, 4, nullptr, 0, 0, false, false),
              kDriverNoEndpoint);
    Access::SetRole(Driver(), Access::kDefaultRender, headphone);
    EXPECT_EQ(Driver()->GetDefaultRenderProperty(L"Enable_EQ_GFX", &value, kValueUInt, 4, nullptr, 0, 0, false, false),
              0);
}

TEST_F(ProbeDriverTest, RoleAndListQueries) {
    DeviceRecord* headphone = Access::AddRecord(Driver(), 7, 0, 2, 71);
    DeviceRecord* mic = Access::AddRecord(Driver(), 2, 1, 1, 21);
    headphone->featureWords[2] = 0x3;

    std::vector<int32_t> codes{5};
    Driver()->AppendDefaultRenderCode(codes);
    EXPECT_EQ(codes, std::vector<int32_t>{5});
    EXPECT_EQ(Driver()->DefaultRenderHasFeature2(), 0);
    EXPECT_EQ(Driver()->GetDefaultRenderEndpointName(), L"");
    Access::SetRole(Driver(), Access::kDefaultRender, headphone);
    Access::SetRole(Driver(), Access::kDefaultCapture, mic);
    Driver()->AppendDefaultRenderCode(codes);
    EXPECT_EQ(codes, (std::vector<int32_t>{5, 7}));
    EXPECT_EQ(Driver()->DefaultRenderHasFeature2(), 2);
    EXPECT_EQ(Driver()->GetDefaultRenderEndpointName(), L"HeadPhone");
    EXPECT_EQ(Driver()->GetDefaultCaptureEndpointName(), L"MicIn");
    EXPECT_EQ(Driver()->GetCurrentEndpointName(), L"Speaker");

    EXPECT_EQ(Driver()->GetDeviceKindByName(L"HeadPhone"), 2u);
    EXPECT_EQ(Driver()->GetDeviceKindByName(L"SPDIFOut"), 0u);
    EXPECT_EQ(Driver()->GetDeviceKindByName(L"AuxIn"), 0u);
    EXPECT_EQ(Driver()->GetDeviceCount(), 3);
    EXPECT_EQ(Driver()->CountKind1Devices(), 2);

    oc::driver::DeviceKey key{99, 99, 99, 99};
    Driver()->GetDeviceKeyByCode(&key, 7); // kind 2 only: unchanged
    EXPECT_EQ(key.id, 99u);
    Driver()->GetDeviceKeyByCode(&key, 0);
    EXPECT_EQ(key.id, 99u);
    Driver()->GetDeviceKeyByCode(&key, 2);
    EXPECT_EQ(key.id, 21u);
    EXPECT_EQ(key.flow, 1u);

    EXPECT_FALSE(Driver()->IsControlDevice2Kind1());
    Access::SetRole(Driver(), Access::kControl2, m_speaker);
    EXPECT_TRUE(Driver()->IsControlDevice2Kind1());
    EXPECT_EQ(Driver()->GetControlEndpointName2(), L"Speaker");
}

TEST_F(ProbeDriverTest, ToggleReportsWhatTheDeviceHolds) {
    const wchar_t* name = L"Enable_KESTAL_HPSPK_LFX";
    Script(name, 0, L"1");
    int32_t state = 99;
    Driver()->ToggleDeviceProperty(1, 0, name, &state, false);
    EXPECT_EQ(state, 1);
    Driver()->ToggleDeviceProperty(1, 0, name, &state, true);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(Last().write, 1);
    int32_t written = -1;
    std::memcpy(&written, Last().value, 4);
    EXPECT_EQ(written, 0);

    // A refused write leaves the light as the device has it.
    ScriptWrite(name, 3);
    Driver()->ToggleDeviceProperty(1, 0, name, &state, true);
    EXPECT_EQ(state, 1);

    // A failed read counts as off, so toggling switches on.
    Script(L"Enable_ENC_LFX", 4, L"");
    ScriptWrite(L"Enable_ENC_LFX", 0);
    Driver()->ToggleDeviceProperty(1, 0, L"Enable_ENC_LFX", &state, true);
    EXPECT_EQ(state, 1);

    // Unknown button, wrong flow, or an endpoint that is not fully supported: nothing happens.
    Access::AddRecord(Driver(), 7, 0, 2, 71);
    const int32_t calls = Calls();
    state = 99;
    Driver()->ToggleDeviceProperty(1, 0, L"", &state, true);
    Driver()->ToggleDeviceProperty(1, 0, nullptr, &state, true);
    Driver()->ToggleDeviceProperty(1, 1, name, &state, true);
    Driver()->ToggleDeviceProperty(7, 0, name, &state, true);
    EXPECT_EQ(state, 99);
    EXPECT_EQ(Calls(), calls);
}

TEST_F(ProbeDriverTest, VirtualPropertiesStayInTheProgram) {
    Access::AddRecord(Driver(), 4, 0, 1, 41);
    Access::AddRecord(Driver(), 7, 0, 1, 71);
    const int32_t calls = Calls();
    const int32_t fifty = 50;
    ASSERT_EQ(Driver()->SetEndpointProperty(4, L"__Balance", &fifty, kValueUInt, 4, nullptr, 0, 0), 0);
    EXPECT_NE(Driver()->GetLastWriteTime(), 0u);
    int32_t value = 0;
    ASSERT_EQ(Driver()->GetEndpointProperty(4, L"__Balance", &value, kValueUInt, 4, nullptr, 0, 0, false, false), 0);
    EXPECT_EQ(value, 50);
    wchar_t text[16] = L"#";
    ASSERT_EQ(
        Driver()->GetEndpointProperty(7, L"__Manual", text, kValueText, sizeof(text), nullptr, 0, 0, false, false), 0);
    EXPECT_EQ(std::wstring(text), L"0");
    EXPECT_EQ(Driver()->GetProperty(L"__Balance", &value, kValueUInt, 4, nullptr, 0, 0, false, false), -1);
    EXPECT_EQ(Driver()->GetProperty(L"__FrontBalance", text, kValueText, sizeof(text), nullptr, 0, 0, false, true),
              0); // the store answers even when the cache is asked
    EXPECT_EQ(std::wstring(text), L"1");
    EXPECT_EQ(Calls(), calls);
}

TEST_F(ProbeDriverTest, ReadsWritesAndRebuildsFromThreeThreads) {
    for (const wchar_t* name : {L"VolumeControl", L"KEYSHIFT_LEVEL", L"Enable_ENC_LFX"})
        Script(name, 0, L"-7");
    std::atomic<bool> unexpected{false};
    auto expectAnswer = [&](int32_t answer) {
        if (answer != kDriverOk && answer != kDriverNoEndpoint && answer != kDriverNoDevice && answer != 1)
            unexpected = true;
    };
    constexpr int kRounds = 400;
    std::thread volumes([&] {
        for (int i = 0; i < kRounds; ++i) {
            int32_t channel = i % 2;
            const float level = -static_cast<float>(i % 40);
            float read = 0;
            expectAnswer(Driver()->SetProperty(L"VolumeControl", &level, kValueFloat, 4, &channel, kValueInt, 4));
            expectAnswer(
                Driver()->GetProperty(L"VolumeControl", &read, kValueFloat, 4, &channel, kValueInt, 4, true, false));
        }
    });
    std::thread endpoints([&] {
        for (int i = 0; i < kRounds; ++i) {
            int32_t value = 0;
            expectAnswer(
                Driver()->GetEndpointProperty(1, L"KEYSHIFT_LEVEL", &value, kValueInt, 4, nullptr, 0, 0, true, false));
            expectAnswer(
                Driver()->GetEndpointProperty(1, L"KEYSHIFT_LEVEL", &value, kValueInt, 4, nullptr, 0, 0, false, true));
            expectAnswer(Driver()->SetEndpointProperty(4, L"__Balance", &i, kValueInt, 4, nullptr, 0, 0));
            (void)Driver()->GetCurrentEndpointName();
        }
    });
    std::thread rebuilds([&] {
        for (int i = 0; i < kRounds; ++i) {
            Access::ClearDevices(Driver());
            DeviceRecord* speaker = Access::AddRecord(Driver(), 1, 0, 1, 11);
            Access::SetRole(Driver(), Access::kCurrent, speaker);
            Access::AddRecord(Driver(), 4, 0, 1, 41);
            int32_t state = 0;
            Driver()->ToggleDeviceProperty(1, 0, L"Enable_ENC_LFX", &state, true);
            (void)Driver()->CountKind1Devices();
        }
    });
    volumes.join();
    endpoints.join();
    rebuilds.join();
    EXPECT_FALSE(unexpected);

    int32_t balance = -1;
    ASSERT_EQ(Driver()->GetEndpointProperty(4, L"__Balance", &balance, kValueInt, 4, nullptr, 0, 0, false, false), 0);
    EXPECT_GE(balance, 0);
    EXPECT_LT(balance, kRounds);
}

} // namespace
