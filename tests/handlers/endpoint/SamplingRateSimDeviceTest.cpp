// The sampling-rate pages against the simulated device through the real driver object: the device's own
// format table decides what the page offers, and the page's writes land on the device.
#include <gtest/gtest.h>

#include <memory>

#include "../TonePageFixture.h"
#include "DriverTestSupport.h"
#include "handlers/endpoint/HeadPhoneSamplingRateHandler.h"
#include "handlers/endpoint/MicInSamplingRateHandler.h"
#include "handlers/endpoint/SPDIFOutSamplingRateHandler.h"
#include "handlers/endpoint/StereoMixSamplingRateHandler.h"

namespace oc::test {
namespace {

using Access = CDriverInstanceTestAccess;

class SamplingRateSimDeviceTest : public TonePageTest {
protected:
    void SetUp() override {
        TonePageTest::SetUp();
        session = std::make_unique<DriverSession>(sim.Get());
        services.m_driver = session->Get();
    }
    void TearDown() override {
        TonePageTest::TearDown(); // the page goes before the driver object
        session.reset();
    }
    // The driver object's own device list, so the render capabilities (the encoded outputs) are probed.
    void UseEndpoint(int32_t code, uint32_t flow = 0) {
        session->Get()->BuildDeviceList();
        DeviceRecord* record = nullptr;
        for (DeviceRecord* listed : Access::Devices(session->Get()))
            if (listed->Code() == code && listed->Flow() == flow)
                record = listed;
        ASSERT_NE(record, nullptr) << "the simulated device has no endpoint " << code;
        Access::SetRole(session->Get(), Access::kCurrent, record);
    }
    uint32_t Device(const wchar_t* key) {
        uint32_t value = 0;
        session->Get()->GetProperty(key, &value, 1, 0, nullptr, 0, 0, false, false);
        return value;
    }
    bool Visible(const std::wstring& name) const {
        CxSkinCtrl* control = Control(name);
        return control && control->IsVisible();
    }

    TempDir simDir;
    SimEnvironment sim{simDir};
    std::unique_ptr<DriverSession> session;
};

TEST_F(SamplingRateSimDeviceTest, HeadphoneOffersTheDeviceFormatsAndWritesThem) {
    UseEndpoint(7); // 44.1, 48, 96 and 192 kHz at 16 and 24 bits
    auto* handler = Open(L"HeadPhoneSamplingRate", new CHeadPhoneSamplingRateHandler);
    for (const wchar_t* shown : {L"Canvas44100", L"Canvas48000", L"Canvas96000", L"Canvas192000"})
        EXPECT_TRUE(Visible(shown)) << shown;
    for (const wchar_t* hidden : {L"Canvas88200", L"Canvas176400", L"Canvas384000"})
        EXPECT_FALSE(Visible(hidden)) << hidden;
    EXPECT_TRUE(Visible(L"Canvas16"));
    EXPECT_TRUE(Visible(L"Canvas24"));
    EXPECT_FALSE(Visible(L"Canvas32"));
    EXPECT_EQ(Check(L"Hz48000"), 1);

    Click(L"Hz96000");
    EXPECT_EQ(Device(L"DevSampleRateControl"), 96000u);
    EXPECT_EQ(Check(L"Hz96000"), 1);
    Click(L"BitDepth24");
    EXPECT_EQ(Device(L"DevBitDepthControl"), 24u);
    EXPECT_EQ(handler->GetBitDepth(), 24);
    EXPECT_EQ(handler->UpdateFromDriver(), 0);
}

TEST_F(SamplingRateSimDeviceTest, SpdifOutEncodedOutputs) {
    UseEndpoint(4);
    Open(L"SPDIFOutSamplingRate", new CSPDIFOutSamplingRateHandler);
    EXPECT_TRUE(Visible(L"CanvasDolbyDigitalLive"));
    EXPECT_TRUE(Visible(L"CanvasDTSInteractive"));
    EXPECT_TRUE(Enabled(L"CanvasBitDepth"));

    Click(L"DolbyDigitalLive");
    EXPECT_EQ(Device(L"DolbyDigitalLiveControl"), 1u);
    EXPECT_EQ(Check(L"DolbyDigitalLive"), 1);
    EXPECT_FALSE(Enabled(L"CanvasBitDepth"));
    Click(L"DTSInteractive");
    EXPECT_EQ(Device(L"DTSInteractiveControl"), 1u);
    EXPECT_EQ(Device(L"DolbyDigitalLiveControl"), 0u) << "one encoded stream at a time";
    EXPECT_EQ(Check(L"DTSInteractive"), 1);
    EXPECT_EQ(Check(L"DolbyDigitalLive"), 0);
    EXPECT_TRUE(Visible(L"Canvas24")) << "the depths stay in view, greyed";
    EXPECT_FALSE(Enabled(L"CanvasBitDepth"));

    // Back to PCM, by the mouse as a user goes: the rate in force.
    MouseClick(L"Hz48000");
    EXPECT_EQ(Device(L"DTSInteractiveControl"), 0u);
    EXPECT_EQ(Device(L"DolbyDigitalLiveControl"), 0u);
    EXPECT_EQ(Device(L"DevSampleRateControl"), 48000u);
    EXPECT_EQ(Check(L"Hz48000"), 1);
    EXPECT_EQ(Check(L"DTSInteractive"), 0);
    EXPECT_TRUE(Enabled(L"CanvasBitDepth"));
}

TEST_F(SamplingRateSimDeviceTest, SingleDepthInputsNameTheirDepthWithoutAnEmptyChoice) {
    for (const auto& [code, panel] : {std::pair{2, L"MicInSamplingRate"}, std::pair{8, L"StereoMixSamplingRate"}}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(panel)));
        UseEndpoint(code, 1);
        Open(panel, code == 2 ? static_cast<CSamplingRateHandler*>(new CMicInSamplingRateHandler)
                             : new CStereoMixSamplingRateHandler);
        EXPECT_FALSE(Visible(L"CanvasBitDepth")) << "no heading over an empty depth choice";
        EXPECT_TRUE(Visible(L"DiagramBits")) << "the current format names its depth";
        EXPECT_TRUE(Visible(L"Diagram16Bits"));
        delete page->GetOwner();
    }
}

} // namespace
} // namespace oc::test
