// The status panel on a real skinned dialog against a recording driver: the endpoint names, the channel
// icons, the sampling rate, which effect icons show and which are lit, the group layout, single changed
// keys and the poll's change detection.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "../skin/SkinDialogFixture.h"
#include "DialogGallery.h"
#include "HandlerTestSupport.h"
#include "PanelGallery.h"
#include "app/PanelStatusHandler.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinPanel.h"

using namespace oc::test;

namespace {

// Answers the default endpoints' properties from maps; a cached read answers from the cache map when the
// key is there, else like a fresh read.
class StatusDriver : public RecordingDriver {
public:
    using Values = std::map<std::wstring, int32_t>;

    int32_t GetDefaultRenderProperty(const wchar_t* name, void* result, int32_t, uint32_t, void*, int32_t, uint32_t,
                                     bool, bool fromCache) override {
        return Answer(fromCache ? m_renderCached : m_render, m_render, name, result);
    }
    int32_t GetDefaultCaptureProperty(const wchar_t* name, void* result, int32_t, uint32_t, void*, int32_t, uint32_t,
                                      bool, bool) override {
        return Answer(m_capture, m_capture, name, result);
    }
    int32_t GetEndpointProperty(int32_t code, const wchar_t* name, void* result, int32_t, uint32_t, void*, int32_t,
                                uint32_t, bool, bool fromCache) override {
        m_log.push_back(L"endpoint " + std::to_wstring(code) + L" " + name);
        const Values& fresh = code == 2 ? m_capture : m_render;
        const Values& cached = code == 2 ? m_captureCached : m_renderCached;
        return Answer(fromCache ? cached : fresh, fresh, name, result);
    }
    std::wstring GetDefaultRenderEndpointName() override { return m_renderName; }
    std::wstring GetDefaultCaptureEndpointName() override { return m_captureName; }
    uint32_t GetChannelCount(int32_t) override { return m_possibleChannels; }
    int32_t IsFeatureSupported(const std::wstring& feature) override { return m_features.count(feature) ? 1 : 0; }

    Values m_render, m_renderCached, m_capture, m_captureCached;
    std::wstring m_renderName = L"Speaker";
    std::wstring m_captureName = L"MicIn";
    uint32_t m_possibleChannels = 8;
    std::set<std::wstring> m_features;

private:
    static int32_t Answer(const Values& first, const Values& fallback, const wchar_t* name, void* result) {
        auto it = first.find(name);
        if (it == first.end()) {
            it = fallback.find(name);
            if (it == fallback.end())
                return -1;
        }
        *static_cast<int32_t*>(result) = it->second;
        return kDriverOk;
    }
};

template <class Control = CxSkinCtrl>
Control* Add(CLayerWnd* parent, const std::wstring& name, RECT rect = {0, 0, 20, 20}) {
    auto* control = new Control;
    control->SetName(name);
    static_cast<CLayerWnd*>(control)->Create(rect, parent, 0);
    return control;
}

const wchar_t* const kGroups[][3] = {
    {L"Out", L"OutWrapPanel", L"EQ|EM|VSS|SR|KS|VF|ZSS|ZSH|VirtualVimoSurroundHP|AB|DB|SVN|VC|SPL"},
    {L"In", L"InWrapPanel", L"CX|ENC|AEC|BF|NR|MV"},
    {L"Dolby", L"DolbyWrapPanel", L"DS|VirtualDolbyHP|VirtualDolbyHPV2|PLIIX|DL"},
    {L"dts", L"DTSWrapPanel", L"SS|Neo:PC|Interactive"},
};

class StatusPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDialog(dialog, {100, 100}, 720, 120));
        services.m_driver = &driver;
        handler.SetServices(&services);
        panel = Add<CxSkinPanel>(&dialog, L"PanelStatus", {0, 0, 720, 120});
        for (const wchar_t* name : {L"Render_Method", L"Capture_Method", L"2", L"2/", L"4", L"4/", L"5.1", L"5.1/",
                                    L"7.1", L"KHz", L"KHz2", L"KHz3", L"KHzVaule"})
            Add(panel, name);
        int left = 200;
        for (const auto& group : kGroups) {
            CxSkinPanel* box = Add<CxSkinPanel>(panel, group[0], {left, 0, left + 100, 90});
            CxSkinPanel* wrap = Add<CxSkinPanel>(box, group[1], {0, 20, 100, 80}); // rows 20 high
            std::wstring codes = group[2];
            for (size_t start = 0; start <= codes.size();) {
                const size_t bar = codes.find(L'|', start);
                const size_t end = bar == std::wstring::npos ? codes.size() : bar;
                Add(wrap, codes.substr(start, end - start), {60, 60, 80, 80});
                start = end + 1;
            }
            left += 110;
        }
        handler.SetWindow(panel);
    }
    void TearDown() override { dialog.DestroyWindow(); }

    CxSkinCtrl* Control(const std::wstring& name) const { return handler.FindControl(name); }
    bool Visible(const std::wstring& name) const { return Control(name)->IsVisible() != FALSE; }
    bool Lit(const std::wstring& name) const { return Control(name)->IsEnabled(FALSE) != FALSE; }
    void Support(const std::wstring& endpoint, std::initializer_list<const wchar_t*> features) {
        for (const wchar_t* feature : features)
            driver.m_features.insert(endpoint + feature);
    }

    TestDialog dialog;
    StatusDriver driver;
    TestServices services;
    CPanelStatusHandler handler;
    CxSkinPanel* panel = nullptr;
};

TEST_F(StatusPanelTest, NamesTheDefaultEndpoints) {
    struct Case {
        const wchar_t* render;
        const wchar_t* capture;
        const wchar_t* renderText;
        const wchar_t* captureText;
    } cases[] = {
        {L"Speaker", L"MicIn", L"Speakers Out", L"Mic In"},
        {L"SpeakerQuarter", L"SPDIFInRCA", L"Speakers Out", L"SPDIF In"},
        {L"HeadPhone", L"StereoMix", L"HeadPhone", L"Stereo Mix"},
        {L"", L"", L"", L""},
        {L"Unheard", L"LineIn", L"before", L"Line in"}, // an unknown name leaves the text as it was
    };
    for (const Case& c : cases) {
        Control(L"Render_Method")->SetText(L"before");
        Control(L"Capture_Method")->SetText(L"before");
        driver.m_renderName = c.render;
        driver.m_captureName = c.capture;
        handler.UpdateMethodText();
        EXPECT_EQ(Control(L"Render_Method")->GetText(), c.renderText) << c.render;
        EXPECT_EQ(Control(L"Capture_Method")->GetText(), c.captureText) << c.capture;
    }
}

TEST_F(StatusPanelTest, ShowsTheChannelIconsTheDeviceCanHaveAndEnablesTheCurrentOne) {
    struct Case {
        uint32_t possible;
        int current;            // -1: the read fails
        const wchar_t* visible; // "2 4 5.1 7.1" as 0/1
        const wchar_t* enabled;
    } cases[] = {
        {8, 6, L"1111", L"0010"},
        {2, 2, L"1000", L"1000"},
        {6, 4, L"1110", L"0100"},
        {8, -1, L"1111", L"1000"}, // unreadable: stereo
    };
    const wchar_t* icons[] = {L"2", L"4", L"5.1", L"7.1"};
    const wchar_t* separators[] = {nullptr, L"2/", L"4/", L"5.1/"};
    for (const Case& c : cases) {
        driver.m_possibleChannels = c.possible;
        driver.m_render.erase(L"DevChannelNumControl");
        if (c.current >= 0)
            driver.m_render[L"DevChannelNumControl"] = c.current;
        EXPECT_EQ(handler.UpdateChannelIcon(), Control(L"7.1"));
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(std::wstring(icons[i]) + L" of " + std::to_wstring(c.possible));
            EXPECT_EQ(Visible(icons[i]), c.visible[i] == L'1');
            EXPECT_EQ(Lit(icons[i]), c.enabled[i] == L'1');
            if (separators[i]) {
                EXPECT_EQ(Visible(separators[i]), c.visible[i] == L'1');
            }
        }
    }
}

TEST_F(StatusPanelTest, ShowsTheSamplingRateWithItsUnitLabel) {
    struct Case {
        int32_t rate; // 0: the read fails
        const wchar_t* text;
        const wchar_t* unit; // the one unit label shown, or null
    } cases[] = {
        {44100, L"44.1", L"KHz2"}, {48000, L"48", L"KHz3"},    {88200, L"88.2", L"KHz2"},
        {96000, L"96", L"KHz3"},   {176400, L"176.4", L"KHz"}, {192000, L"192", L"KHz2"},
        {32000, L"32", nullptr},   {0, L"", nullptr},          {-44100, L"", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        driver.m_render.erase(L"DevSampleRateControl");
        if (c.rate != 0)
            driver.m_render[L"DevSampleRateControl"] = c.rate;
        for (const wchar_t* unit : {L"KHz", L"KHz2", L"KHz3"})
            Control(unit)->SetVisible(TRUE, FALSE);
        handler.UpdateSampleRateText();
        EXPECT_EQ(Control(L"KHzVaule")->GetText(), c.text);
        for (const wchar_t* unit : {L"KHz", L"KHz2", L"KHz3"})
            EXPECT_EQ(Visible(unit), c.unit && std::wstring(c.unit) == unit) << unit;
    }
}

TEST_F(StatusPanelTest, ShowsTheSupportedEffectsAndLightsThoseThatAreOn) {
    driver.m_render[L"DevChannelNumControl"] = 2;
    Support(L"Speaker", {L"EQ", L"EM", L"DolbyPLIIx", L"VimoSurroundSpeakers", L"VimoSurroundHeadPhone", L"DolbyHPVS",
                         L"DolbyHPV2", L"DTSSS"});
    Support(L"MicIn", {L"Karaoke", L"AEC"});
    Support(L"HeadPhone", {L"VimoDynamicBass"}); // not the default endpoint
    driver.m_render = {{L"DevChannelNumControl", 2},  {L"Enable_EQ_GFX", 1},           {L"Enable_RFX_GFX", 0},
                       {L"Enable_PLIIX_LFX", 1},      {L"Enable_KESTAL_HPSPK_LFX", 1}, {L"KESTAL_HPSPK_USEHP", 0},
                       {L"Enable_DHDVS_LFX", 1},      {L"Enable_DHV2_LFX", 0},         {L"Enable_SURRSENS_LFX", 1},
                       {L"Enable_VIRTUALBASS_LFX", 1}};
    driver.m_capture = {{L"Enable_MICECHO", 0}, {L"Enable_MAGICVOICE", 1}, {L"Enable_AEC_LFX", 1}};
    handler.UpdateEffectIcons();

    struct Expect {
        const wchar_t* code;
        bool visible;
        bool lit;
    } expected[] = {
        {L"EQ", true, true},     {L"EM", true, false},
        {L"PLIIX", true, false},                        // the upmixer needs more than two channels
        {L"ZSS", true, true},                           // the surround runs on speakers
        {L"ZSH", true, false},   {L"DS", true, false},  // the later of the two rows wins: the second version is off
        {L"SS", true, true},                            // stereo: the surround sensation counts
        {L"CX", true, true},                            // echo off, but the magic voice shares its place
        {L"AEC", true, true},    {L"DB", false, false}, // supported by another endpoint only
        {L"ENC", false, false},
    };
    for (const Expect& e : expected) {
        EXPECT_EQ(Visible(e.code), e.visible) << e.code;
        if (e.visible) {
            EXPECT_EQ(Lit(e.code), e.lit) << e.code;
        }
    }

    // With headphones chosen the other icon of the one switch lights; with six channels neither does.
    driver.m_render[L"KESTAL_HPSPK_USEHP"] = 1;
    handler.UpdateEffectIcons();
    EXPECT_FALSE(Lit(L"ZSS"));
    EXPECT_TRUE(Lit(L"ZSH"));
    driver.m_render[L"DevChannelNumControl"] = 6;
    handler.UpdateEffectIcons();
    EXPECT_FALSE(Lit(L"ZSS"));
    EXPECT_FALSE(Lit(L"ZSH"));
    EXPECT_TRUE(Lit(L"PLIIX"));
    EXPECT_FALSE(Lit(L"SS"));

    // Without a default endpoint nothing of it shows.
    driver.m_renderName.clear();
    handler.UpdateEffectIcons();
    EXPECT_FALSE(Visible(L"EQ"));
    EXPECT_TRUE(Visible(L"AEC"));
}

TEST_F(StatusPanelTest, StacksTheVisibleIconsOfAGroupThreeToAColumnAndHidesEmptyGroups) {
    Support(L"Speaker", {L"EQ", L"Virtual", L"Karaoke", L"Subroute", L"VimoAudioBrilliant"});
    Support(L"MicIn", {L"VimoMagicVoice", L"NoiseReduction"});
    handler.Initialize();
    // Out: EQ VSS SR KS VF AB in layout order (EM is not supported).
    const std::pair<const wchar_t*, POINT> places[] = {
        {L"EQ", {0, 0}},   {L"VSS", {0, 20}}, {L"SR", {0, 40}}, {L"KS", {25, 0}}, {L"VF", {25, 20}},
        {L"AB", {25, 40}}, {L"CX", {0, 0}},   {L"NR", {0, 20}}, // the magic voice takes the echo's place
    };
    for (const auto& [code, at] : places) {
        const POINT pos = Control(code)->GetPos();
        EXPECT_EQ(pos.x, at.x) << code;
        EXPECT_EQ(pos.y, at.y) << code;
    }
    EXPECT_FALSE(Visible(L"CX"));
    EXPECT_TRUE(Visible(L"Out"));
    EXPECT_TRUE(Visible(L"In"));
    EXPECT_FALSE(Visible(L"Dolby"));
    EXPECT_FALSE(Visible(L"dts"));
}

TEST_F(StatusPanelTest, AChangedKeyRelightsItsIconsOnly) {
    Support(L"Speaker", {L"EQ", L"Virtual"});
    Support(L"MicIn", {L"ENC"});
    driver.m_render = {{L"Enable_EQ_GFX", 0}, {L"DevSampleRateControl", 48000}};
    handler.Initialize();
    ASSERT_FALSE(Lit(L"EQ"));
    EXPECT_EQ(Control(L"KHzVaule")->GetText(), L"48");

    driver.m_render[L"Enable_EQ_GFX"] = 1;
    Support(L"Speaker", {L"EM"}); // visibility is not looked at again for one key
    static_cast<IStatusPanelHandler&>(handler).OnControlChanged(L"Enable_EQ_GFX");
    EXPECT_TRUE(Lit(L"EQ"));
    EXPECT_FALSE(Visible(L"EM"));

    driver.m_render[L"DevSampleRateControl"] = 44100;
    handler.OnControlChanged(L"", L"DevSampleRateControl");
    EXPECT_EQ(Control(L"KHzVaule")->GetText(), L"44.1");

    driver.m_possibleChannels = 2;
    handler.OnControlChanged(L"", L"DevChannelNumControl");
    EXPECT_FALSE(Visible(L"4"));

    handler.OnControlChanged(L"", L""); // the whole panel
    EXPECT_TRUE(Visible(L"EM"));
}

TEST_F(StatusPanelTest, APollReportsADifferenceBetweenDeviceAndCache) {
    Support(L"Speaker", {L"EQ"});
    Support(L"MicIn", {L"Karaoke"});
    driver.m_render = {{L"DevChannelNumControl", 2}, {L"DevSampleRateControl", 48000}, {L"Enable_EQ_GFX", 1}};
    driver.m_capture = {{L"Enable_MICECHO", 0}, {L"Enable_MAGICVOICE", 0}};
    EXPECT_EQ(handler.RefreshUI(), 0);

    struct Case {
        StatusDriver::Values* cache;
        const wchar_t* key;
    } cases[] = {
        {&driver.m_renderCached, L"DevChannelNumControl"},
        {&driver.m_renderCached, L"DevSampleRateControl"},
        {&driver.m_renderCached, L"Enable_EQ_GFX"},
        {&driver.m_captureCached, L"Enable_MAGICVOICE"}, // read along with the echo's key
    };
    for (const Case& c : cases) {
        (*c.cache)[c.key] = 7;
        EXPECT_EQ(handler.RefreshUI(), 1) << c.key;
        c.cache->clear();
    }
    // The poll reads the effect keys on the default endpoints' codes.
    driver.m_log.clear();
    EXPECT_EQ(handler.RefreshUI(), 0);
    EXPECT_NE(std::find(driver.m_log.begin(), driver.m_log.end(), L"endpoint 1 Enable_EQ_GFX"), driver.m_log.end());
    EXPECT_NE(std::find(driver.m_log.begin(), driver.m_log.end(), L"endpoint 2 Enable_MICECHO"), driver.m_log.end());
}

TEST(StatusPanelMask, MapsEndpointCodesToProfileMaskBits) {
    const std::pair<int32_t, uint32_t> cases[] = {{2, 16},   {3, 32},   {4, 4},   {7, 2}, {8, 64},
                                                  {10, 128}, {12, 512}, {104, 8}, {1, 1}, {-1, 1}};
    for (const auto& [code, mask] : cases)
        EXPECT_EQ(CPanelStatusHandler::EndpointCodeToMask(code), mask) << code;
}

// The skin's own status panel: it loads, every control the handler drives is there, lit icons are drawn in
// the accent and unlit ones are not.
TEST(StatusPanelSkin, TheSkinsPanelShowsTheDeviceState) {
    TestDialog dialog;
    ASSERT_TRUE(OpenDialog(dialog, {40, 40}, 708, 88));
    PaintPanelSurface(dialog, 708, 88);
    StatusDriver driver;
    TestServices services;
    services.m_driver = &driver;
    CPanelStatusHandler handler;
    handler.SetServices(&services);
    CxSkinPanel* panel = Add<CxSkinPanel>(&dialog, L"PanelStatus", {0, 0, 708, 88});
    ASSERT_TRUE(LoadSkinPanel(L"PanelStatusContent.lyt", panel));
    handler.SetWindow(panel);
    for (const wchar_t* name : {L"Render_Method",
                                L"Capture_Method",
                                L"2",
                                L"2/",
                                L"4",
                                L"4/",
                                L"5.1",
                                L"5.1/",
                                L"7.1",
                                L"KHz",
                                L"KHz2",
                                L"KHz3",
                                L"KHzVaule",
                                L"Out",
                                L"OutWrapPanel",
                                L"In",
                                L"InWrapPanel",
                                L"Dolby",
                                L"DolbyWrapPanel",
                                L"dts",
                                L"DTSWrapPanel",
                                L"EQ",
                                L"MV",
                                L"Neo:PC"})
        EXPECT_NE(handler.FindControl(name), nullptr) << name;

    driver.m_possibleChannels = 8;
    driver.m_render = {{L"DevChannelNumControl", 6}, {L"DevSampleRateControl", 48000}, {L"Enable_EQ_GFX", 1},
                       {L"Enable_RFX_GFX", 0},       {L"Enable_SURRSENS_LFX", 1},      {L"Enable_NEOPC_LFX", 1}};
    driver.m_capture = {{L"Enable_ENC_LFX", 1}};
    for (const wchar_t* feature : {L"SpeakerEQ", L"SpeakerEM", L"SpeakerVirtual", L"SpeakerVimoDynamicBass",
                                   L"SpeakerDTSSS", L"SpeakerDTSNeoPC", L"MicInENC", L"MicInAEC"})
        driver.m_features.insert(feature);
    handler.Initialize();
    dialog.Update();
    SaveDialogPicture(dialog, L"PanelStatus");

    EXPECT_EQ(handler.FindControl(L"Render_Method")->GetText(), L"Speakers Out");
    EXPECT_EQ(handler.FindControl(L"KHzVaule")->GetText(), L"48");
    EXPECT_TRUE(handler.FindControl(L"KHz3")->IsVisible());
    EXPECT_GT(AccentPixels(dialog, *handler.FindControl(L"EQ")), 10);
    EXPECT_GT(AccentPixels(dialog, *handler.FindControl(L"Neo:PC")), 10); // six channels: the upmix counts
    EXPECT_EQ(AccentPixels(dialog, *handler.FindControl(L"EM")), 0);
    EXPECT_EQ(AccentPixels(dialog, *handler.FindControl(L"SS")), 0);
    EXPECT_FALSE(handler.FindControl(L"Dolby")->IsVisible());
    dialog.DestroyWindow();
}

} // namespace
