// The driver access object against the simulated device: typed values, routing, virtual names and
// several threads at once, through the library the program really loads.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "DriverTestSupport.h"
#include "TestPaths.h"
#include "driver/DriverInstance.h"
#include "driver/PropertyValue.h"

namespace {

using oc::test::DriverSession;
using oc::test::SimEnvironment;
using Access = CDriverInstanceTestAccess;

class SimDriverTest : public ::testing::Test {
protected:
    oc::test::TempDir m_dir;
    SimEnvironment m_simEnvironment{m_dir};
    DriverSession m_driver{m_simEnvironment.Get()};
    DeviceRecord* m_speaker = nullptr;

    void SetUp() override {
        m_speaker = Access::AddEnumerated(Driver(), 1);
        ASSERT_NE(m_speaker, nullptr) << "the simulated device has no speaker endpoint";
        Access::SetRole(Driver(), Access::kCurrent, m_speaker);
    }

    IDriverInstance* Driver() { return m_driver.Get(); }

    std::wstring CallLog() {
        auto getLog = reinterpret_cast<int32_t (*)(wchar_t*, uint32_t)>(
            reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"sysTuneLib.dll"), "SimGetCallLog")));
        std::vector<wchar_t> text(1 << 20);
        if (!getLog || getLog(text.data(), static_cast<uint32_t>(text.size())) != 0)
            return L"";
        return text.data();
    }
};

TEST_F(SimDriverTest, TypedValuesRoundTripThroughTheDevice) {
    int32_t channel = 1;
    const float level = -20.5f;
    ASSERT_EQ(Driver()->SetProperty(L"VolumeControl", &level, kValueFloat, 4, &channel, kValueInt, 4), 0);
    float read = 0;
    ASSERT_EQ(Driver()->GetProperty(L"VolumeControl", &read, kValueFloat, 4, &channel, kValueInt, 4, true, false), 0);
    EXPECT_FLOAT_EQ(read, -20.5f);
    read = 0;
    ASSERT_EQ(Driver()->GetProperty(L"VolumeControl", &read, kValueFloat, 4, &channel, kValueInt, 4, false, true), 0);
    EXPECT_FLOAT_EQ(read, -20.5f);

    const int32_t shift = -13;
    ASSERT_EQ(Driver()->SetProperty(L"KEYSHIFT_LEVEL", &shift, kValueInt, 4, nullptr, 0, 0), 0);
    int32_t readShift = 0;
    ASSERT_EQ(Driver()->GetProperty(L"KEYSHIFT_LEVEL", &readShift, kValueInt, 4, nullptr, 0, 0, false, false), 0);
    EXPECT_EQ(readShift, -13);

    wchar_t deviceId[256] = {};
    ASSERT_EQ(Driver()->GetProperty(L"GetDeviceID", deviceId, kValueText, sizeof(deviceId), nullptr, 0, 0, true, false),
              0);
    EXPECT_EQ(std::wstring(deviceId), L"usb\\vid_0d8c&pid_0014&mi_00");
}

TEST_F(SimDriverTest, VirtualSurroundNamesShareOneDeviceProperty) {
    std::vector<wchar_t> guid(1024, L'#');
    ASSERT_EQ(Driver()->GetProperty(L"GetVirtualSurroundEffectGUID", guid.data(), kValueText, 2048, nullptr, 0, 0,
                                    false, false),
              0);
    EXPECT_EQ(std::wstring(guid.data()), L"{C7600B33-1AA6-4383-918D-30D848BBAD3E}");

    const int32_t on = 1;
    int32_t ignored = 0x1234;
    ASSERT_EQ(Driver()->SetProperty(L"EnableVirtualSurroundEffect", &on, kValueUInt, 4, &ignored, kValueInt, 4), 0);
    int32_t state = 0;
    ASSERT_EQ(Driver()->GetProperty(L"EnableVirtualSurroundEffect", &state, kValueUInt, 4, &ignored, kValueInt, 4,
                                    false, false),
              0);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(ignored, 0x1234);
    const std::wstring log = CallLog();
    EXPECT_NE(log.find(L"PropertyControl write VirtualSurroundEffectControl"), std::wstring::npos);
    EXPECT_EQ(log.find(L"EnableVirtualSurroundEffect"), std::wstring::npos);
}

TEST_F(SimDriverTest, VirtualNamesNeverReachTheDriverAndFailuresChangeNothing) {
    const int32_t balance = 3;
    ASSERT_EQ(Driver()->SetEndpointProperty(1, L"__FrontBalance", &balance, kValueInt, 4, nullptr, 0, 0), 0);
    wchar_t text[16] = {};
    ASSERT_EQ(Driver()->GetProperty(L"__FrontBalance", text, kValueText, sizeof(text), nullptr, 0, 0, false, false), 0);
    EXPECT_EQ(std::wstring(text), L"3");
    EXPECT_EQ(CallLog().find(L"__"), std::wstring::npos);

    // The microphone has no equalizer: the read fails, and neither the place nor the cache changes.
    ASSERT_NE(Access::AddEnumerated(Driver(), 2), nullptr);
    int32_t value = 55;
    EXPECT_NE(Driver()->GetEndpointProperty(2, L"Enable_EQ_GFX", &value, kValueUInt, 4, nullptr, 0, 0, true, false), 0);
    EXPECT_EQ(value, 55);
    EXPECT_EQ(Driver()->GetEndpointProperty(2, L"Enable_EQ_GFX", &value, kValueUInt, 4, nullptr, 0, 0, false, true), 1);
    EXPECT_EQ(value, 55);
}

TEST_F(SimDriverTest, ReadsWritesTogglesAndRebuildsFromThreeThreads) {
    ASSERT_NE(Access::AddEnumerated(Driver(), 7), nullptr);
    std::atomic<int> failures{0};
    constexpr int kRounds = 150;
    std::thread volumes([&] {
        for (int i = 0; i < kRounds; ++i) {
            int32_t channel = i % 2;
            const float level = -static_cast<float>(i % 40);
            float read = 0;
            const int32_t written =
                Driver()->SetProperty(L"VolumeControl", &level, kValueFloat, 4, &channel, kValueInt, 4);
            const int32_t answer =
                Driver()->GetProperty(L"VolumeControl", &read, kValueFloat, 4, &channel, kValueInt, 4, true, false);
            if ((written != 0 && written != kDriverNoEndpoint) || (answer != 0 && answer != kDriverNoDevice))
                ++failures;
        }
    });
    std::thread headphone([&] {
        for (int i = 0; i < kRounds; ++i) {
            float level = 0;
            int32_t channel = 0;
            const int32_t answer = Driver()->GetEndpointProperty(7, L"VolumeControl", &level, kValueFloat, 4, &channel,
                                                                 kValueInt, 4, true, false);
            if (answer != 0 && answer != kDriverNoDevice)
                ++failures;
            const int32_t balance = i;
            Driver()->SetEndpointProperty(7, L"__Balance", &balance, kValueInt, 4, nullptr, 0, 0);
        }
    });
    std::thread rebuilds([&] {
        for (int i = 0; i < kRounds; ++i) {
            Access::ClearDevices(Driver());
            DeviceRecord* speaker = Access::AddEnumerated(Driver(), 1);
            Access::SetRole(Driver(), Access::kCurrent, speaker);
            Access::AddEnumerated(Driver(), 7);
            int32_t state = -1;
            Driver()->ToggleDeviceProperty(1, 0, L"Enable_EQ_GFX", &state, true);
            if (state != 0 && state != 1)
                ++failures;
        }
    });
    volumes.join();
    headphone.join();
    rebuilds.join();
    EXPECT_EQ(failures, 0);
    int32_t balance = -1;
    ASSERT_EQ(Driver()->GetEndpointProperty(7, L"__Balance", &balance, kValueInt, 4, nullptr, 0, 0, false, false), 0);
    EXPECT_GE(balance, 0);
}

} // namespace
