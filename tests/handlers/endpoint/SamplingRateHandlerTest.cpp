// The sampling-rate pages on their shipped markup, against a driver that answers the format query from a
// table of accepted {channels, depth, rate} formats.

#include <cstring>
#include <set>
#include <tuple>

#include "../TonePageFixture.h"
#include "handlers/endpoint/MicInSamplingRateHandler.h"
#include "handlers/endpoint/SpeakerSamplingRateHandler.h"

namespace oc::test {
namespace {

class FormatDriver : public ToneDriver {
public:
    // The bit depth travels as a 16-bit value: widen it so the log shows the value, not the bytes beyond it.
    int32_t SetProperty(const wchar_t* name, const void* value, int32_t valueType, uint32_t valueSize,
                        const void* arguments, int32_t argumentType, uint32_t argumentSize) override {
        uint32_t wide = 0;
        if (valueSize == 2) {
            wide = *static_cast<const uint16_t*>(value);
            value = &wide;
        }
        return ToneDriver::SetProperty(name, value, valueType, valueSize, arguments, argumentType, argumentSize);
    }
    int32_t GetProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t valueSize, void* arguments,
                        int32_t argumentType, uint32_t argumentSize, bool storeInCache, bool fromCache) override {
        if (std::wstring(name) != L"IsSupportFormat")
            return ToneDriver::GetProperty(name, result, valueType, valueSize, arguments, argumentType, argumentSize,
                                           storeInCache, fromCache);
        if (argumentType != 4 || argumentSize != 8 || !arguments)
            return 87;
        const auto* b = static_cast<const uint8_t*>(arguments);
        const unsigned channels = b[0] | b[1] << 8;
        const unsigned depth = b[2] | b[3] << 8;
        const unsigned rate = b[4] | b[5] << 8 | b[6] << 16 | unsigned(b[7]) << 24;
        *static_cast<uint32_t*>(result) = m_formats.contains({channels, depth, rate}) ? 1 : 0;
        return 0;
    }
    void Accept(unsigned channels, std::initializer_list<unsigned> depths, std::initializer_list<unsigned> rates) {
        for (unsigned d : depths)
            for (unsigned r : rates)
                m_formats.insert({channels, d, r});
    }
    std::set<std::tuple<unsigned, unsigned, unsigned>> m_formats;
};

constexpr std::initializer_list<unsigned> kAllRates = {44100, 48000, 88200, 96000, 176400, 192000, 384000};

class SamplingRatePageTest : public TonePageTest {
protected:
    void SetUp() override {
        TonePageTest::SetUp();
        services.m_driver = &formats;
        formats.PutCached(L"DevChannelNumControl", 2);
        formats.PutCached(L"DevSampleRateControl", 48000);
        formats.PutCached(L"DevBitDepthControl", 16);
        formats.PutCached(L"DolbyDigitalLiveControl", 0);
        formats.PutCached(L"DTSInteractiveControl", 0);
    }
    CSamplingRateHandler* OpenSpeaker() { return Open(L"SpeakerSamplingRate", new CSpeakerSamplingRateHandler); }
    bool Visible(const std::wstring& name) const {
        CxSkinCtrl* control = Control(name);
        return control && control->IsVisible();
    }
    POINT Where(const std::wstring& name) const {
        CxSkinCtrl* control = Control(name);
        return control ? control->GetPos() : POINT{-1, -1};
    }

    FormatDriver formats;
};

TEST_F(SamplingRatePageTest, AcceptedRatesFillTheFirstPlacesInTableOrder) {
    formats.Accept(2, {16}, {44100, 48000, 96000});
    formats.Accept(6, {16}, kAllRates); // another channel count must not leak in
    OpenSpeaker();
    // The markup's first three places are those of 44100, 96000 and 48000.
    const POINT slot0{16, 84}, slot1{124, 84}, slot2{16, 120};
    const struct {
        const wchar_t* canvas;
        bool shown;
        POINT at;
    } cases[] = {{L"Canvas44100", true, slot0}, {L"Canvas48000", true, slot1}, {L"Canvas96000", true, slot2},
                 {L"Canvas88200", false, {}},   {L"Canvas176400", false, {}},  {L"Canvas192000", false, {}},
                 {L"Canvas384000", false, {}}};
    for (const auto& c : cases) {
        EXPECT_EQ(Visible(c.canvas), c.shown) << c.canvas;
        if (c.shown) {
            EXPECT_EQ(Where(c.canvas).x, c.at.x) << c.canvas;
            EXPECT_EQ(Where(c.canvas).y, c.at.y) << c.canvas;
        }
    }
    EXPECT_EQ(Check(L"Hz48000"), 1);
    EXPECT_TRUE(Visible(L"Diagram48000"));
}

TEST_F(SamplingRatePageTest, DepthChoiceOnlyWhenTwoDepthsAreAccepted) {
    // Without a choice the depth area goes with its heading; the current format still names a known depth.
    struct Case {
        std::initializer_list<unsigned> depths;
        unsigned current;
        bool area, c16, c24, c32, diagram;
    } cases[] = {{{16}, 16, false, false, false, false, true},
                 {{16, 24}, 16, true, true, true, false, true},
                 {{16, 24, 32}, 16, true, true, true, true, true},
                 {{16}, 20, false, false, false, false, false}}; // a depth the page has no name for
    for (const Case& c : cases) {
        formats.m_formats.clear();
        formats.Accept(2, c.depths, {48000});
        formats.PutCached(L"DevBitDepthControl", c.current);
        auto* handler = OpenSpeaker();
        handler->InitControls();
        EXPECT_EQ(Visible(L"CanvasBitDepth"), c.area);
        EXPECT_EQ(Visible(L"Canvas16"), c.c16);
        EXPECT_EQ(Visible(L"Canvas24"), c.c24);
        EXPECT_EQ(Visible(L"Canvas32"), c.c32);
        EXPECT_EQ(Visible(L"DiagramBits"), c.diagram);
        if (c.diagram) {
            EXPECT_TRUE(Visible(L"Diagram16Bits"));
        }
    }
}

TEST_F(SamplingRatePageTest, UnknownRateFallsBackTo48k) {
    formats.PutCached(L"DevSampleRateControl", 22050);
    formats.Accept(2, {16, 24}, kAllRates);
    OpenSpeaker();
    EXPECT_EQ(Check(L"Hz48000"), 1);
    EXPECT_TRUE(Visible(L"Diagram48000"));
    EXPECT_FALSE(Visible(L"Diagram44100"));
}

TEST_F(SamplingRatePageTest, EncodedOutputsTakeTheSelectionAndDisableDepths) {
    struct Case {
        bool ddlSupported, ddlOn, dtsSupported, dtsOn;
        const wchar_t* selected;
        bool depthEnabled;
    } cases[] = {
        {true, true, true, true, L"DTSInteractive", false}, // DTS wins even with Dolby on
        {true, true, true, false, L"DolbyDigitalLive", false},
        {false, true, false, true, L"Hz48000", true}, // unsupported outputs read as off
        {true, false, true, false, L"Hz48000", true},
    };
    formats.Accept(2, {16, 24}, kAllRates);
    for (const Case& c : cases) {
        formats.m_features.clear();
        if (c.ddlSupported)
            formats.m_features.insert(L"IsSupportDolbyDigitalLive");
        if (c.dtsSupported)
            formats.m_features.insert(L"IsSupportDTSInteractive");
        formats.PutCached(L"DolbyDigitalLiveControl", c.ddlOn);
        formats.PutCached(L"DTSInteractiveControl", c.dtsOn);
        OpenSpeaker();
        EXPECT_EQ(Check(c.selected), 1) << c.selected;
        EXPECT_EQ(Enabled(L"CanvasBitDepth"), c.depthEnabled) << c.selected;
        EXPECT_EQ(Visible(L"CanvasDTSInteractive"), c.dtsSupported);
        // Greyed, not gone: the depths stay in view.
        EXPECT_TRUE(Visible(L"CanvasBitDepth")) << c.selected;
        EXPECT_TRUE(Visible(L"Canvas16")) << c.selected;
        EXPECT_TRUE(Visible(L"Canvas24")) << c.selected;
    }
}

TEST_F(SamplingRatePageTest, ClickingADepthWritesItAndAnnouncesInOrder) {
    formats.Accept(2, {16, 24, 32}, kAllRates);
    OpenSpeaker();
    formats.m_writes.clear();
    Click(L"BitDepth24");
    EXPECT_EQ(formats.m_writes, (std::vector<std::wstring>{L"DevBitDepthControl=24/1"}));
    EXPECT_EQ(main.m_announced, (CallLog{L"DevBitDepthControl 0", L"DevSampleRateControl 1",
                                         L"DolbyDigitalLiveControl 1", L"DTSInteractiveControl 1"}));
    EXPECT_TRUE(Visible(L"Diagram24Bits"));
    EXPECT_FALSE(Visible(L"Diagram16Bits"));
}

TEST_F(SamplingRatePageTest, ClickingARateWritesItAndRefreshesThePage) {
    formats.Accept(2, {16, 24}, kAllRates);
    OpenSpeaker();
    formats.m_writes.clear();
    Click(L"Hz96000");
    EXPECT_EQ(formats.m_writes, (std::vector<std::wstring>{L"DevSampleRateControl=96000/1"}));
    EXPECT_EQ(main.m_announced, (CallLog{L"DevSampleRateControl 1", L"DevSampleRateControl 1",
                                         L"DolbyDigitalLiveControl 1", L"DTSInteractiveControl 1"}));
    EXPECT_EQ(Check(L"Hz96000"), 1);
    EXPECT_EQ(Check(L"Hz48000"), 0);
    EXPECT_TRUE(Visible(L"Diagram96000"));
    EXPECT_EQ(page->OnClick(L"NotAControl"), 0);
}

TEST_F(SamplingRatePageTest, EncodedOutputsAreExclusiveAndARateLeavesThem) {
    // The driver here keeps each switch as written, as a device that does not clear the other one itself.
    formats.Accept(2, {16, 24}, kAllRates);
    formats.m_features = {L"IsSupportDolbyDigitalLive", L"IsSupportDTSInteractive"};
    OpenSpeaker();
    const struct {
        const wchar_t* click;
        std::vector<std::wstring> writes;
        const wchar_t* selected;
        bool depthEnabled;
    } steps[] = {
        {L"DolbyDigitalLive", {L"DolbyDigitalLiveControl=1/1"}, L"DolbyDigitalLive", false},
        {L"DTSInteractive", {L"DTSInteractiveControl=1/1", L"DolbyDigitalLiveControl=0/1"}, L"DTSInteractive", false},
        {L"DolbyDigitalLive",
         {L"DolbyDigitalLiveControl=1/1", L"DTSInteractiveControl=0/1"},
         L"DolbyDigitalLive",
         false},
        // The rate in force, picked again, is the way back to PCM.
        {L"Hz48000", {L"DolbyDigitalLiveControl=0/1", L"DevSampleRateControl=48000/1"}, L"Hz48000", true},
        {L"Hz96000", {L"DevSampleRateControl=96000/1"}, L"Hz96000", true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(step.click)));
        formats.m_writes.clear();
        Click(step.click);
        EXPECT_EQ(formats.m_writes, step.writes);
        EXPECT_EQ(Check(step.selected), 1);
        EXPECT_EQ(Enabled(L"CanvasBitDepth"), step.depthEnabled);
        EXPECT_EQ(formats.Live(L"DolbyDigitalLiveControl") + formats.Live(L"DTSInteractiveControl"),
                  step.depthEnabled ? 0 : 1)
            << "at most one encoded output on";
    }
}

TEST_F(SamplingRatePageTest, ChangesBehindThePageAreNoticed) {
    formats.Accept(2, {16}, kAllRates);
    auto* handler = OpenSpeaker();
    EXPECT_EQ(handler->UpdateFromDriver(), 0);
    formats.Put(L"DevBitDepthControl", 24);
    EXPECT_EQ(handler->UpdateFromDriver(), 1);
}

TEST_F(SamplingRatePageTest, FailedReadsAnswerZero) {
    formats.m_unreadable = {L"DevSampleRateControl", L"DevBitDepthControl", L"DolbyDigitalLiveControl"};
    formats.m_features = {L"IsSupportDolbyDigitalLive"};
    auto* handler = OpenSpeaker();
    EXPECT_EQ(handler->GetSampleRate(), 0);
    EXPECT_EQ(handler->GetBitDepth(), 0);
    EXPECT_EQ(handler->GetDolbyDigitalLive(), 0);
    EXPECT_EQ(Check(L"Hz48000"), 1);
    EXPECT_EQ(Check(L"BitDepth16"), 1);
}

TEST_F(SamplingRatePageTest, InputPagesHaveNoEncodedOutputs) {
    formats.Accept(2, {16, 24}, kAllRates);
    formats.m_features = {L"IsSupportDolbyDigitalLive", L"IsSupportDTSInteractive"};
    formats.PutCached(L"DTSInteractiveControl", 1);
    auto* handler = Open(L"MicInSamplingRate", new CMicInSamplingRateHandler);
    EXPECT_EQ(handler->GetName(), L"MicInSamplingRateHandler");
    EXPECT_EQ(Check(L"Hz48000"), 1);
    EXPECT_TRUE(Enabled(L"CanvasBitDepth"));
}

} // namespace
} // namespace oc::test
