// The headphone page against the simulated device through the real driver object: first reads, slider
// writes, the balance lock kept by the driver object itself, and a level changed on the device.
#include <gtest/gtest.h>

#include <memory>

#include "DriverTestSupport.h"
#include "VolumePageFixture.h"
#include "handlers/endpoint/HeadPhoneVolHandler.h"
#include "handlers/endpoint/SpeakerVolHandler.h"

using namespace oc::test;
using Access = CDriverInstanceTestAccess;

namespace {

std::wstring SimControl(const std::wstring& command) {
    wchar_t reply[1 << 14] = {};
    auto control = LibraryExport<int32_t (*)(const wchar_t*, wchar_t*, uint32_t)>(L"sysTuneLib.dll", "SimControl");
    return control && control(command.c_str(), reply, 1 << 14) == 0 ? reply : L"(failed)";
}

class VolumeSimDeviceTest : public VolumePageTest {
protected:
    void SetUp() override {
        VolumePageTest::SetUp();
        session = std::make_unique<DriverSession>(sim.Get());
        DeviceRecord* headphone = Access::AddEnumerated(session->Get(), 7);
        ASSERT_NE(headphone, nullptr) << "the simulated device has no headphone endpoint";
        Access::SetRole(session->Get(), Access::kCurrent, headphone);
        services.m_driver = session->Get();
    }
    void TearDown() override {
        VolumePageTest::TearDown(); // the page goes before the driver object
        session.reset();
    }
    float Level(int channel, bool scalar) {
        float value = -1000.0f;
        session->Get()->GetProperty(scalar ? L"VolumeScalarControl" : L"VolumeControl", &value, 2, 0, &channel, 0, 0,
                                    false, false);
        return value;
    }

    TempDir simDir;
    SimEnvironment sim{simDir};
    std::unique_ptr<DriverSession> session;
};

TEST_F(VolumeSimDeviceTest, PageFollowsTheDeviceAndKeepsItsLockOffTheDevice) {
    Open<CHeadPhoneVolHandler>(L"HeadPhoneVol");
    EXPECT_NEAR(Pos(L"LeftChannel"), Level(0, true) * 100.0f, 0.01f);
    EXPECT_EQ(Text(L"RdB"), CVolHandler::FormatVolumedB(Level(1, false)));
    EXPECT_EQ(page->UpdateFromDriver(), 0);

    page->OnSliderChanged(L"LeftChannel", 40.0f, 1);
    EXPECT_NEAR(Level(0, true), 0.40f, 0.02f);
    EXPECT_EQ(Text(L"LdB"), CVolHandler::FormatVolumedB(Level(0, false)));
    EXPECT_EQ(page->UpdateFromDriver(), 0); // the page's own write

    // The lock lives in the driver object's store (locked by default), never on the device.
    auto storedLock = [this] {
        int lock = -1;
        session->Get()->GetProperty(L"__Balance", &lock, 0, 0, nullptr, 0, 0, false, false);
        return lock;
    };
    EXPECT_EQ(Check(L"Balance"), 1);
    SimControl(L"clearlog");
    Click(L"Balance");
    EXPECT_EQ(storedLock(), 0);
    EXPECT_EQ(Check(L"Balance"), 0);
    Click(L"Balance");
    EXPECT_EQ(storedLock(), 1);
    const float rightBefore = Level(1, true);
    page->OnSliderChanged(L"LeftChannel", 50.0f, 1);
    EXPECT_NEAR(Level(1, true) - rightBefore, Level(0, true) - 0.40f, 0.02f);
    const std::wstring log = SimControl(L"log");
    EXPECT_NE(log.find(L"VolumeScalarControl"), std::wstring::npos) << "the device log records property calls";
    EXPECT_EQ(log.find(L"Balance"), std::wstring::npos);

    // A level set on the device itself is seen once and read into the page.
    ASSERT_EQ(SimControl(L"set HeadPhone VolumeControl#1 -30"), L"ok");
    EXPECT_EQ(page->UpdateFromDriver(), 1);
    page->InitControls();
    EXPECT_EQ(Text(L"RdB"), L"-30.00");
    EXPECT_EQ(page->UpdateFromDriver(), 0);
}

// While the device cannot be asked for the speaker levels the page says they are unknown, never a level the
// device does not hold; the next re-read (a volume or list notice) shows them again.
TEST_F(VolumeSimDeviceTest, SpeakerLevelsThatCannotBeReadShowAsUnknownUntilARereadSucceeds) {
    DeviceRecord* speaker = Access::AddEnumerated(session->Get(), 1);
    ASSERT_NE(speaker, nullptr);
    Access::SetRole(session->Get(), Access::kCurrent, speaker);
    ASSERT_EQ(SimControl(L"fail Speaker VolumeControl 1"), L"ok");
    Open<CSpeakerVolHandler>(L"SpeakerVol");
    for (const wchar_t* box : {L"MasterdB", L"LFdB", L"RFdB"})
        EXPECT_EQ(Text(box), CSpeakerVolHandler::kUnknownLevel) << box;

    ASSERT_EQ(SimControl(L"fail Speaker VolumeControl 0"), L"ok");
    page->InitControls();
    EXPECT_EQ(Text(L"MasterdB"), CVolHandler::FormatVolumedB(Level(-1, false)));
    EXPECT_EQ(Text(L"MasterdB"), L"-12.00");
    EXPECT_EQ(Text(L"LFdB"), CVolHandler::FormatVolumedB(Level(0, false)));
}

} // namespace
