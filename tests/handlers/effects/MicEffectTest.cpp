// The karaoke, singing and microphone processing pages on their shipped markup: switches and levels in step
// with the device, the exclusions between effects, the groups a device lacks, and the start-up defaults.
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include "../../skin/SkinTestSupport.h"
#include "../TonePageFixture.h"
#include "handlers/effects/KaraokeHandler.h"
#include "handlers/effects/MicInBoostHandler.h"
#include "handlers/effects/MicInKaraokeHandler.h"
#include "handlers/effects/MicInSwitchHandlers.h"

using namespace oc::test;

namespace {

// The boost key answers per quantity on Vista and later: the argument block selects current, maximum,
// minimum or step, held here under "BoostControl#<selector>" (the current value under the plain key).
class MicDriver : public ToneDriver {
public:
    int32_t GetProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t size, void* arguments,
                        int32_t argumentType, uint32_t argumentSize, bool storeInCache, bool fromCache) override {
        return ToneDriver::GetProperty(Selected(name, arguments).c_str(), result, valueType, size, arguments,
                                       argumentType, argumentSize, storeInCache, fromCache);
    }
    static std::wstring Selected(const wchar_t* name, const void* arguments) {
        if (!arguments || std::wstring(name) != L"BoostControl")
            return name;
        const uint32_t selector = *static_cast<const uint32_t*>(arguments);
        return selector == 0 ? std::wstring(name) : std::wstring(name) + L"#" + std::to_wstring(selector);
    }
};

class MicPageTest : public TonePageTest {
protected:
    void SetUp() override {
        TonePageTest::SetUp();
        services.m_driver = &mic;
        CMicInAECHandler::s_enabled = 0;
        CMicInENCHandler::s_enabled = 0;
        CMicInNoiseReductionHandler::s_enabled = 0;
    }
    template <class Handler> Handler* OpenPage(const std::wstring& panel) { return Open(panel, new Handler); }
    void Reopen() {
        delete page->GetOwner();
        page = nullptr;
    }
    void ClearLogs() {
        mic.m_writes.clear();
        main.m_announced.clear();
    }
    std::wstring Label(const std::wstring& name) const {
        CxSkinCtrl* control = Control(name);
        return control ? control->GetText() : L"(missing)";
    }
    bool Visible(const std::wstring& name) const {
        CxSkinCtrl* control = Control(name);
        return control && control->IsVisible();
    }

    MicDriver mic;
};

using Writes = std::vector<std::wstring>;

// The back buffer (premultiplied, with alpha), saved for a look by eye.
void SaveBackBuffer(CLayerDialog& layer, const std::filesystem::path& file) {
    const int width = layer.GetSurfaceWidth(), height = layer.GetSurfaceHeight();
    Gdiplus::Bitmap image(width, height, PixelFormat32bppPARGB);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y, Gdiplus::Color(layer.GetPixel(x, y)));
    }
    std::filesystem::create_directories(file.parent_path());
    SavePng(image, file);
}

std::filesystem::path Gallery(const std::wstring& page) {
    const char* dir = getenv("OC_BUILD_DIR");
    return std::filesystem::path(dir ? dir : ".") / "gallery" / (L"apo" + page + L".png");
}

// Pixels in the rectangle whose blue clearly leads red: the accent, as the "on" art draws it.
int AccentPixels(CLayerDialog& layer, const RECT& r) {
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            const Gdiplus::ARGB p = layer.GetPixel(x, y);
            if (static_cast<int>(p & 0xFF) > static_cast<int>((p >> 16) & 0xFF) + 80)
                ++count;
        }
    }
    return count;
}

// ---- Karaoke ----

const wchar_t* const kKeyShiftRows[] = {L"KeyShifting", L"KeyShiftValue", L"Tick1", L"Tick2", L"Tick3",
                                        L"Tick4",       L"Tick5",         L"Low",   L"High",  L"BtnKSReset"};
const wchar_t* const kVocalRows[] = {
    L"VocalCanellation", L"VocalCancelValue", L"Tick6", L"Tick7", L"Tick8", L"Tick9", L"Tick10", L"Voice",
    L"NoVoice",          L"BtnVCReset"};

TEST_F(MicPageTest, KaraokeShowsBothGroupsAndGreysAKeyShiftTheDeviceLacks) {
    mic.m_features = {L"VocalFading"};
    mic.PutCached(L"Enable_KEYSHIFT_GFX", 1);
    mic.PutCached(L"KEYSHIFT_LEVEL", -2);
    mic.PutCached(L"Enable_VOCALCANCEL_GFX", 1);
    mic.PutCached(L"VOCALCANCEL_LEVEL", 70);
    auto* handler = OpenPage<CSpeakerKaraokeHandler>(L"SpeakerKaraoke");
    EXPECT_EQ(handler->GetName(), L"SpeakerKaraokeHandler");

    // Without the pitch shifter the switch shows off and greys, whatever the device reports.
    EXPECT_FALSE(Enabled(L"BtnEnableKeyShifting"));
    EXPECT_EQ(Check(L"BtnEnableKeyShifting"), 0);
    EXPECT_EQ(handler->GetKeyShiftSwitch(), 0u);
    for (const wchar_t* name : kKeyShiftRows)
        EXPECT_FALSE(Enabled(name)) << name;
    EXPECT_EQ(Label(L"KeyShiftValue"), L"-2");
    EXPECT_EQ(Check(L"BtnEnableVocalCanellation"), 1);
    for (const wchar_t* name : kVocalRows)
        EXPECT_TRUE(Enabled(name)) << name;
    EXPECT_FLOAT_EQ(Pos(L"VocalCanellation"), 70.0f);
    EXPECT_EQ(Label(L"VocalCancelValue"), L"70");
    EXPECT_TRUE(Enabled(L"Chorvex_Logo"));
    EXPECT_TRUE(mic.m_writes.empty()) << "the driver value is left alone";
}

TEST_F(MicPageTest, KaraokeLevelsTruncateTowardZeroAndAFailedWriteChangesNothing) {
    mic.m_features = {L"PitchShifter", L"VocalFading"};
    mic.PutCached(L"Enable_KEYSHIFT_GFX", 1);
    auto* handler = OpenPage<CHeadPhoneKaraokeHandler>(L"HeadPhoneVimoChorvex");
    ClearLogs();

    EXPECT_EQ(handler->OnSliderChanged(L"KeyShifting", -3.7f, 0), 1);
    EXPECT_EQ(mic.m_writes, Writes{L"KEYSHIFT_LEVEL=-3/0"});
    EXPECT_EQ(Label(L"KeyShiftValue"), L"-3");
    EXPECT_EQ(handler->GetKeyShiftLevel(), -3);
    EXPECT_EQ(main.m_announced, CallLog{L"KEYSHIFT_LEVEL 0"});

    ClearLogs();
    EXPECT_EQ(handler->OnSliderChanged(L"VocalCanellation", 42.9f, 1), 1);
    EXPECT_EQ(mic.m_writes, Writes{L"VOCALCANCEL_LEVEL=42/1"});
    EXPECT_EQ(Label(L"VocalCancelValue"), L"42");

    ClearLogs();
    mic.m_refused = {L"KEYSHIFT_LEVEL"};
    EXPECT_EQ(handler->SetKeyShiftLevel(2.0f), 0);
    EXPECT_EQ(handler->GetKeyShiftLevel(), -3);
    EXPECT_EQ(Label(L"KeyShiftValue"), L"-3");
    EXPECT_TRUE(main.m_announced.empty());
    EXPECT_EQ(handler->OnSliderChanged(L"Other", 1.0f, 1), 0);
}

TEST_F(MicPageTest, KaraokeResetsAndSwitches) {
    mic.m_features = {L"PitchShifter", L"VocalFading"};
    mic.PutCached(L"Enable_VOCALCANCEL_GFX", 1);
    mic.PutCached(L"VOCALCANCEL_LEVEL", 80);
    mic.PutCached(L"KEYSHIFT_LEVEL", 3);
    auto* handler = OpenPage<CSPDIFOutKaraokeHandler>(L"SPDIFOutKaraoke");
    ClearLogs();

    EXPECT_EQ(handler->OnClick(L"BtnVCReset"), 1);
    EXPECT_EQ(handler->OnClick(L"BtnKSReset"), 1);
    EXPECT_EQ(mic.m_writes, (Writes{L"VOCALCANCEL_LEVEL=50/0", L"KEYSHIFT_LEVEL=0/0"}));
    EXPECT_FLOAT_EQ(Pos(L"VocalCanellation"), 50.0f);
    EXPECT_EQ(Label(L"VocalCancelValue"), L"50");
    EXPECT_FLOAT_EQ(Pos(L"KeyShifting"), 0.0f);

    // Switching vocal cancellation off refreshes only its group; the logo follows key shift then.
    ClearLogs();
    Click(L"BtnEnableKeyShifting");
    EXPECT_EQ(mic.m_writes, Writes{L"Enable_KEYSHIFT_GFX=1/1"});
    EXPECT_EQ(main.m_announced, CallLog{L"Enable_KEYSHIFT_GFX 1"});
    Click(L"BtnEnableVocalCanellation");
    EXPECT_EQ(mic.Live(L"Enable_VOCALCANCEL_GFX"), 0.0);
    EXPECT_EQ(mic.Live(L"Enable_KEYSHIFT_GFX"), 1.0) << "switching one effect switches no other off";
    EXPECT_TRUE(Enabled(L"Chorvex_Logo"));
    EXPECT_FALSE(Enabled(L"VocalCanellation"));
    EXPECT_TRUE(Enabled(L"KeyShifting"));

    // A refused switch keeps the inverted field and leaves the controls.
    ClearLogs();
    mic.m_refused = {L"Enable_KEYSHIFT_GFX"};
    EXPECT_EQ(handler->EnableKeyShift(), 0);
    EXPECT_EQ(handler->GetKeyShiftSwitch(), 0u);
    EXPECT_TRUE(Enabled(L"KeyShifting"));
    EXPECT_TRUE(main.m_announced.empty());

    ClearLogs();
    EXPECT_EQ(handler->OnClick(L"Unknown"), 1);
    EXPECT_TRUE(mic.m_writes.empty());
}

TEST_F(MicPageTest, KaraokeReportsLevelChangesOnlyBehindASwitchThatIsOn) {
    mic.m_features = {L"PitchShifter", L"VocalFading"};
    mic.PutCached(L"Enable_KEYSHIFT_GFX", 0);
    mic.PutCached(L"KEYSHIFT_LEVEL", 0);
    mic.PutCached(L"Enable_VOCALCANCEL_GFX", 0);
    mic.PutCached(L"VOCALCANCEL_LEVEL", 50);
    auto* handler = OpenPage<CSpeakerKaraokeHandler>(L"SpeakerQuarterKaraoke");
    mic.Put(L"KEYSHIFT_LEVEL", -2);
    EXPECT_EQ(handler->UpdateFromDriver(), 0);
    mic.PutCached(L"Enable_KEYSHIFT_GFX", 1);
    EXPECT_EQ(handler->UpdateFromDriver(), 1);
    mic.PutCached(L"KEYSHIFT_LEVEL", -2);
    EXPECT_EQ(handler->UpdateFromDriver(), 0);
    mic.Put(L"Enable_VOCALCANCEL_GFX", 1);
    EXPECT_EQ(handler->UpdateFromDriver(), 1);
}

TEST_F(MicPageTest, KaraokeDefaultsOnlyWhereTheSwitchCannotBeRead) {
    CKaraokeHandler::InitDefaults(&mic, 7);
    EXPECT_EQ(mic.m_writes, (Writes{L"7:Enable_KEYSHIFT_GFX=0/1", L"7:Enable_VOCALCANCEL_GFX=0/1",
                                    L"7:VOCALCANCEL_LEVEL=50/1", L"7:KEYSHIFT_LEVEL=0/0"}));
    ClearLogs();
    mic.Put(L"Enable_KEYSHIFT_GFX", 1);
    CKaraokeHandler::InitDefaults(&mic, 7);
    EXPECT_TRUE(mic.m_writes.empty());
}

// ---- Singing echo and magic voice ----

TEST_F(MicPageTest, EchoOnSwitchesTheMagicVoiceOffFirst) {
    mic.m_features = {L"SingingEcho", L"MagicVoice"};
    mic.PutCached(L"Enable_MAGICVOICE", 1);
    mic.PutCached(L"MagicVoice_Selection", 2);
    auto* handler = OpenPage<CMicInKaraokeHandler>(L"MicInKaraoke");
    EXPECT_EQ(Check(L"BtnMan"), 1);
    EXPECT_TRUE(Enabled(L"BtnWoman"));
    EXPECT_TRUE(Visible(L"MagicVoice_Logo"));
    EXPECT_FALSE(Visible(L"MicEcho_Logo"));
    ClearLogs();

    Click(L"BtnEnableMircophoneEffects");
    EXPECT_EQ(mic.m_writes, (Writes{L"Enable_MAGICVOICE=0/1", L"Enable_MICECHO=1/1"}));
    EXPECT_EQ(main.m_announced, (CallLog{L"Enable_MAGICVOICE 1", L"Enable_MICECHO 1"}));
    EXPECT_EQ(Check(L"BtnEnableMagicVoice"), 0);
    for (const wchar_t* voice : CMicInKaraokeHandler::kMagicVoiceButtons)
        EXPECT_FALSE(Enabled(voice)) << voice;
    EXPECT_TRUE(Visible(L"MicEcho_Logo"));
    EXPECT_FALSE(Visible(L"MagicVoice_Logo"));
    EXPECT_TRUE(Enabled(L"EchoLevel"));

    // Off writes only the echo switch.
    ClearLogs();
    Click(L"BtnEnableMircophoneEffects");
    EXPECT_EQ(mic.m_writes, Writes{L"Enable_MICECHO=0/1"});
    EXPECT_EQ(handler->GetEchoSwitch(), 0u);

    // A refused switch shows off.
    mic.m_refused = {L"Enable_MAGICVOICE"};
    ClearLogs();
    EXPECT_EQ(handler->EnableMagicVoice(), 0);
    EXPECT_EQ(handler->GetMagicSwitch(), 0u);
    EXPECT_EQ(Check(L"BtnEnableMagicVoice"), 0);
    EXPECT_EQ(main.m_announced, (CallLog{L"Enable_MAGICVOICE 1", L"Enable_MICECHO 1"}));
}

// The echo refused after the magic voice went off: both groups show what the device now holds.
TEST_F(MicPageTest, RefusedEchoAfterTheMagicVoiceWentOffShowsBothAsTheDeviceHasThem) {
    mic.m_features = {L"SingingEcho", L"MagicVoice"};
    mic.PutCached(L"Enable_MAGICVOICE", 1);
    mic.PutCached(L"MagicVoice_Selection", 2);
    mic.PutCached(L"Enable_MICECHO", 0);
    auto* handler = OpenPage<CMicInKaraokeHandler>(L"MicInKaraoke");
    ASSERT_EQ(Check(L"BtnEnableMagicVoice"), 1);
    mic.m_refused = {L"Enable_MICECHO"};
    ClearLogs();
    Click(L"BtnEnableMircophoneEffects");
    EXPECT_EQ(mic.m_writes, (Writes{L"Enable_MAGICVOICE=0/1", L"Enable_MICECHO=1/1"}));
    EXPECT_EQ(handler->GetMagicSwitch(), 0u);
    EXPECT_EQ(handler->GetEchoSwitch(), 0u);
    EXPECT_EQ(Check(L"BtnEnableMagicVoice"), 0);
    EXPECT_EQ(Check(L"BtnEnableMircophoneEffects"), 0);
    for (const wchar_t* voice : CMicInKaraokeHandler::kMagicVoiceButtons)
        EXPECT_FALSE(Enabled(voice)) << voice;
    EXPECT_FALSE(Visible(L"MagicVoice_Logo"));
    EXPECT_FALSE(Enabled(L"EchoLevel"));
}

TEST_F(MicPageTest, MagicVoiceMovesIntoTheEchoPlaceAndMissingGroupsHide) {
    mic.m_features = {L"MagicVoice"};
    OpenPage<CMicInKaraokeHandler>(L"DesktopMicVimoMagicVoice");
    EXPECT_FALSE(Visible(L"CanvasMicEcho"));
    EXPECT_TRUE(Visible(L"CanvasMagicVoice"));
    EXPECT_EQ(Control(L"CanvasMagicVoice")->GetRect().top, Control(L"CanvasMicEcho")->GetRect().top);
    Reopen();

    mic.m_features.clear();
    OpenPage<CMicInKaraokeHandler>(L"DesktopMicKaraoke");
    EXPECT_FALSE(Visible(L"CanvasMicEcho"));
    EXPECT_FALSE(Visible(L"CanvasMagicVoice"));
}

TEST_F(MicPageTest, EchoLevelAndVoiceWrites) {
    mic.m_features = {L"SingingEcho", L"MagicVoice"};
    auto* handler = OpenPage<CMicInKaraokeHandler>(L"MicInVimoMagicVoice");
    ClearLogs();
    EXPECT_EQ(handler->OnSliderChanged(L"EchoLevel", 7.9f, 0), 1);
    EXPECT_EQ(mic.m_writes, Writes{L"MICECHO_Level=7/0"});
    EXPECT_FLOAT_EQ(handler->GetEchoLevel(), 7.9f);
    EXPECT_TRUE(main.m_announced.empty()) << "no notice while the thumb moves";
    EXPECT_EQ(handler->OnSliderChanged(L"EchoLevel", 9.0f, 1), 1);
    EXPECT_EQ(main.m_announced, CallLog{L"MICECHO_Level 0"});

    ClearLogs();
    mic.m_refused = {L"MagicVoice_Selection"};
    EXPECT_EQ(handler->OnClick(L"BtnCartoon"), 0);
    EXPECT_EQ(main.m_announced, CallLog{L"MagicVoice_Selection 0"}) << "the notice goes out also after a failure";
    EXPECT_EQ(handler->GetVoice(), 0u);
    mic.m_refused.clear();
    EXPECT_EQ(handler->OnClick(L"BtnWoman"), 1);
    EXPECT_EQ(handler->GetVoice(), 3u);

    ClearLogs();
    EXPECT_EQ(handler->OnClick(L"BtnMEReset"), 1);
    EXPECT_EQ(mic.m_writes, Writes{L"MICECHO_Level=0/0"});
    EXPECT_FLOAT_EQ(Pos(L"EchoLevel"), 0.0f);
    EXPECT_EQ(handler->OnClick(L"Unknown"), 0);
}

TEST_F(MicPageTest, SingingDefaultsAndChanges) {
    CMicInKaraokeHandler::InitDefaults(&mic, 3, 1, 0);
    EXPECT_EQ(mic.m_writes, (Writes{L"3:Enable_MICECHO=0/1", L"3:MICECHO_Level=0/1"}));
    ClearLogs();
    mic.Put(L"Enable_MICECHO", 0);
    CMicInKaraokeHandler::InitDefaults(&mic, 3, 1, 1);
    EXPECT_EQ(mic.m_writes, (Writes{L"3:Enable_MAGICVOICE=0/1", L"3:MagicVoice_Selection=0/1"}));

    mic.m_features = {L"SingingEcho"};
    mic.PutCached(L"Enable_MICECHO", 0);
    mic.PutCached(L"MICECHO_Level", 5);
    auto* handler = OpenPage<CMicInKaraokeHandler>(L"MicInKaraoke");
    mic.Put(L"MICECHO_Level", 9);
    EXPECT_EQ(handler->UpdateFromDriver(), 0);
    mic.Put(L"Enable_MICECHO", 1);
    EXPECT_EQ(handler->UpdateFromDriver(), 1);
    mic.Put(L"Enable_MAGICVOICE", 1);
    mic.PutCached(L"Enable_MICECHO", 0);
    EXPECT_EQ(handler->UpdateFromDriver(), 0) << "a feature the device lacks is not polled";
}

// ---- Echo cancellation, beam forming, noise cancellation, noise reduction ----

struct SwitchCase {
    const wchar_t* panel;
    const wchar_t* key;
    const wchar_t* button;
    const wchar_t* on;
    const wchar_t* off;
    const wchar_t* extra;
};
const SwitchCase kSwitchPages[] = {
    {L"MicInAEC", L"Enable_AEC_LFX", L"BtnEnableAEC", L"Diagram_AECOn", L"Diagram_AECOff", nullptr},
    {L"MicInBeamForming", L"Enable_MICARRAY_LFX", L"BtnEnableBeamForming", L"Diagram_BEAMOn", L"Diagram_BEAMOff",
     nullptr},
    {L"DesktopMicENC", L"Enable_ENC_LFX", L"BtnEnableENC", L"Diagram_ENCOn", L"Diagram_ENCOff", L"MicInENC_Logo_Image"},
    {L"MicInNoiseReduction", L"Enable_NOISEREDUCTION_LFX", L"BtnEnableNR", L"Diagram_NROn", L"Diagram_NROff",
     L"NR_Logo"},
};

CBaseHandler* MakeSwitchPage(const std::wstring& panel) {
    if (panel == L"MicInAEC")
        return new CMicInAECHandler;
    if (panel == L"MicInBeamForming")
        return new CMicInBeamFormingHandler;
    if (panel == L"DesktopMicENC")
        return new CMicInENCHandler;
    return new CMicInNoiseReductionHandler;
}

TEST_F(MicPageTest, SwitchPagesShowTheStateAndToggleOnAnyButton) {
    for (const SwitchCase& c : kSwitchPages) {
        mic.PutCached(c.key, 1);
        Open(c.panel, MakeSwitchPage(c.panel));
        EXPECT_EQ(Check(c.button), 1) << c.panel;
        EXPECT_TRUE(Visible(c.on)) << c.panel;
        EXPECT_FALSE(Visible(c.off)) << c.panel;
        if (c.extra) {
            EXPECT_TRUE(Enabled(c.extra)) << c.panel;
        }
        ClearLogs();
        Click(c.button);
        EXPECT_EQ(mic.m_writes, Writes{std::wstring(c.key) + L"=0/1"}) << "off writes only its own key";
        EXPECT_EQ(Check(c.button), 0) << c.panel;
        EXPECT_FALSE(Visible(c.on)) << c.panel;
        EXPECT_TRUE(Visible(c.off)) << c.panel;
        if (c.extra) {
            EXPECT_FALSE(Enabled(c.extra)) << c.panel;
        }
        mic.Put(c.key, 1);
        EXPECT_EQ(page->UpdateFromDriver(), 1) << c.panel;
        Reopen();
    }
}

TEST_F(MicPageTest, EchoCancellationAndBeamFormingSwitchNoiseCancellationOff) {
    mic.PutCached(L"Enable_ENC_LFX", 1);
    OpenPage<CMicInAECHandler>(L"DesktopMicAEC");
    ClearLogs();
    Click(L"BtnEnableAEC");
    EXPECT_EQ(mic.m_writes, (Writes{L"Enable_AEC_LFX=1/1", L"Enable_ENC_LFX=0/1"}));
    EXPECT_EQ(main.m_announced, (CallLog{L"Enable_ENC_LFX 1", L"Enable_AEC_LFX 1"}));
    EXPECT_EQ(CMicInAECHandler::s_enabled, 1u);
    Reopen();

    mic.PutCached(L"Enable_ENC_LFX", 1);
    auto* beam = OpenPage<CMicInBeamFormingHandler>(L"MicInBeamForming");
    EXPECT_EQ(beam->GetName(), L"MicInBeamForming");
    ClearLogs();
    Click(L"BtnEnableBeamForming");
    EXPECT_EQ(mic.m_writes, (Writes{L"Enable_MICARRAY_LFX=1/1", L"Enable_ENC_LFX=0/1"}));
    EXPECT_EQ(main.m_announced, (CallLog{L"Enable_MICARRAY_LFX 1", L"Enable_ENC_LFX 1"}));
    Reopen();

    // Noise cancellation switches nothing else off.
    mic.PutCached(L"Enable_AEC_LFX", 1);
    mic.PutCached(L"Enable_ENC_LFX", 0);
    OpenPage<CMicInENCHandler>(L"MicInENC");
    ClearLogs();
    Click(L"BtnEnableENC");
    EXPECT_EQ(mic.m_writes, Writes{L"Enable_ENC_LFX=1/1"});
}

TEST_F(MicPageTest, RefusedSwitchWrites) {
    // Echo cancellation reads back what the device holds and announces all the same.
    mic.PutCached(L"Enable_AEC_LFX", 0);
    mic.m_refused = {L"Enable_AEC_LFX"};
    OpenPage<CMicInAECHandler>(L"MicInAEC");
    ClearLogs();
    Click(L"BtnEnableAEC");
    EXPECT_EQ(mic.m_writes, Writes{L"Enable_AEC_LFX=1/1"}) << "no exclusion after a refused write";
    EXPECT_EQ(main.m_announced, CallLog{L"Enable_AEC_LFX 1"});
    EXPECT_EQ(CMicInAECHandler::s_enabled, 0u);
    EXPECT_EQ(Check(L"BtnEnableAEC"), 0);
    Reopen();

    // Beam forming leaves everything as it was.
    mic.m_refused = {L"Enable_MICARRAY_LFX"};
    auto* beam = OpenPage<CMicInBeamFormingHandler>(L"MicInBeamForming");
    ClearLogs();
    beam->OnClick(L"BtnEnableBeamForming");
    EXPECT_TRUE(main.m_announced.empty());
    EXPECT_TRUE(Visible(L"Diagram_BEAMOff"));
}

TEST_F(MicPageTest, SwitchDefaultsOnlyWhereTheKeyCannotBeRead) {
    mic.Put(L"Enable_ENC_LFX", 1);
    CMicInBeamFormingHandler::InitDefaults(&mic, 4);
    CMicInAECHandler::InitDefaults(&mic, 4);
    CMicInENCHandler::InitDefaults(&mic, 4);
    CMicInNoiseReductionHandler::InitDefaults(&mic, 4);
    EXPECT_EQ(mic.m_writes,
              (Writes{L"4:Enable_MICARRAY_LFX=0/1", L"4:Enable_AEC_LFX=0/1", L"4:Enable_NOISEREDUCTION_LFX=0/1"}));
}

TEST_F(MicPageTest, PagesRenderTheirArt) {
    mic.PutCached(L"Enable_AEC_LFX", 1);
    OpenPage<CMicInAECHandler>(L"MicInAEC");
    ::RedrawWindow(dialog.GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    SaveBackBuffer(dialog, Gallery(L"MicInAEC"));
    const RECT diagram{16, 80, 496, 280};
    const int on = AccentPixels(dialog, diagram);
    Click(L"BtnEnableAEC");
    ::RedrawWindow(dialog.GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_GT(on, 200) << "the on diagram draws in the accent";
    EXPECT_LT(AccentPixels(dialog, diagram), on / 4) << "the off diagram is grey";
    Reopen();

    mic.m_features = {L"PitchShifter", L"VocalFading", L"SingingEcho", L"MagicVoice"};
    mic.PutCached(L"Enable_KEYSHIFT_GFX", 1);
    mic.PutCached(L"Enable_MAGICVOICE", 1);
    OpenPage<CSpeakerKaraokeHandler>(L"SpeakerKaraoke");
    ::RedrawWindow(dialog.GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    SaveBackBuffer(dialog, Gallery(L"SpeakerKaraoke"));
    Reopen();
    OpenPage<CMicInKaraokeHandler>(L"MicInKaraoke");
    ::RedrawWindow(dialog.GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    SaveBackBuffer(dialog, Gallery(L"MicInKaraoke"));
}

// ---- Boost ----

class BoostPageTest : public MicPageTest {
protected:
    CMicInBoostHandler* OpenBoost(int vista) {
        auto* handler = new CMicInBoostHandler;
        handler->SetVistaOrLater(vista);
        return Open(L"MicInBoost", handler);
    }
    void Range(double max, double min, double step) {
        mic.PutCached(L"BoostControl#1", max);
        mic.PutCached(L"BoostControl#2", min);
        mic.PutCached(L"BoostControl#3", step);
    }
};

TEST_F(BoostPageTest, TheDeviceRangeChoosesSliderOrCheckBox) {
    struct Case {
        double max, min, step;
        bool checkBox;
    };
    // A step of nothing must not divide the range; the page steps by one instead.
    const Case cases[] = {{10, 0, 10, true}, {30, 0, 10, false}, {30, 0, 0.4, false}, {30, 0, -5, false}};
    mic.PutCached(L"BoostControl", 20);
    for (const Case& c : cases) {
        Range(c.max, c.min, c.step);
        auto* handler = OpenBoost(1);
        EXPECT_EQ(Visible(L"ShowCheckBox"), c.checkBox) << c.max << "/" << c.step;
        EXPECT_EQ(Visible(L"ShowSlider"), !c.checkBox) << c.max << "/" << c.step;
        EXPECT_GT(handler->GetStep(), 0);
        if (!c.checkBox) {
            EXPECT_EQ(Label(L"BoostHighValue"), std::to_wstring(static_cast<int>(c.max)));
            EXPECT_EQ(Label(L"BoostValue"), L"20");
            EXPECT_FLOAT_EQ(Pos(L"Boost"), 20.0f);
        } else {
            EXPECT_EQ(Check(L"BtnEnableBoost"), 1);
        }
        Reopen();
    }
}

TEST_F(BoostPageTest, SliderWritesTheGainAndAFailureShowsTheOldValue) {
    Range(30, 0, 1);
    mic.PutCached(L"BoostControl", 10);
    auto* handler = OpenBoost(1);
    ClearLogs();
    EXPECT_EQ(handler->OnSliderChanged(L"Boost", 12.5f, 0), 1);
    EXPECT_EQ(mic.m_writes, Writes{L"BoostControl=12.50/2"});
    EXPECT_EQ(Label(L"BoostValue"), L"12");
    mic.m_refused = {L"BoostControl"};
    EXPECT_EQ(handler->OnSliderChanged(L"Boost", 25.0f, 1), 0);
    EXPECT_EQ(Label(L"BoostValue"), L"12");
    EXPECT_TRUE(main.m_announced.empty());
}

TEST_F(BoostPageTest, OlderSystemsShowACheckBoxThatWritesOneAndZero) {
    mic.PutCached(L"BoostControl", 0);
    auto* handler = OpenBoost(0);
    EXPECT_TRUE(Visible(L"ShowCheckBox"));
    EXPECT_FALSE(Visible(L"ShowSlider"));
    ClearLogs();
    Click(L"BtnEnableBoost");
    EXPECT_EQ(mic.m_writes, Writes{L"BoostControl=1/0"});
    EXPECT_EQ(Label(L"BoostValue"), L"20");
    Click(L"BtnEnableBoost");
    EXPECT_EQ(mic.m_writes, (Writes{L"BoostControl=1/0", L"BoostControl=0/0"}));
    EXPECT_EQ(Label(L"BoostValue"), L"0");
    EXPECT_EQ(handler->GetBoostValue(), 0);

    // A toggle whose read fails writes off.
    ClearLogs();
    mic.m_unreadable = {L"BoostControl"};
    EXPECT_EQ(handler->ToggleBoost(), 1);
    EXPECT_EQ(mic.m_writes, Writes{L"BoostControl=0/0"});
}

TEST_F(BoostPageTest, ChangesOutsideTheProgramAreReportedBeyondTheTolerance) {
    Range(30, 0, 1);
    mic.m_features = {L"Boost"};
    mic.PutCached(L"BoostControl", 10.0);
    auto* handler = OpenBoost(1);
    mic.Put(L"BoostControl", 10.02);
    EXPECT_EQ(handler->UpdateFromDriver(), 0);
    mic.Put(L"BoostControl", 10.05);
    EXPECT_EQ(handler->UpdateFromDriver(), 1);
    mic.m_features.clear();
    EXPECT_EQ(handler->UpdateFromDriver(), 0) << "a device without boost never reports a change";
}

TEST_F(BoostPageTest, StartupDefaults) {
    struct Case {
        bool vista;
        double stored; // NAN: unreadable
        const wchar_t* written;
    };
    const Case cases[] = {{false, 5, L"2:BoostControl=0/1"},
                          {false, 1, nullptr},
                          {false, NAN, L"2:BoostControl=0/1"},
                          {true, 12, nullptr},
                          {true, NAN, L"2:BoostControl=0.00/2"}};
    for (const Case& c : cases) {
        MicDriver driver;
        if (!std::isnan(c.stored))
            driver.Put(L"BoostControl", c.stored);
        CMicInBoostHandler::InitDefaults(&driver, 2, c.vista);
        EXPECT_EQ(driver.m_writes, c.written ? Writes{c.written} : Writes{}) << c.vista << " " << c.stored;
    }
}

} // namespace
