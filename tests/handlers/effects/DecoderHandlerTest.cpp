// The DTS Surround Sensation, Pro Logic IIx and Neo:PC pages on their shipped markup: what they show of the
// device, what their switches, modes and sliders write, whom they switch off, the sound-field picture and
// the start-up defaults of a fresh endpoint.
#include <gtest/gtest.h>

#include <windows.h>

#include "../TonePageFixture.h"
#include "SkinTestSupport.h"
#include "handlers/effects/DTSSSHandler.h"
#include "handlers/effects/SpeakerDTSNeoPCHandler.h"
#include "handlers/effects/SpeakerDolbyPLIIxHandler.h"
#include "skin/LayerDialog.h"
#include "skin/SkinShape.h"

using namespace oc::test;
namespace fs = std::filesystem;

namespace {

using Log = std::vector<std::wstring>;

class DecoderPageTest : public TonePageTest {
protected:
    bool Visible(const std::wstring& name) const {
        CxSkinCtrl* control = Control(name);
        return control && control->IsVisible();
    }
    void Slide(const std::wstring& name, float position, int notify = 1) {
        if (auto* slider = dynamic_cast<IxSkinSlider*>(Control(name)))
            slider->SetPos(position, FALSE);
        page->OnSliderChanged(name, position, notify);
    }
    int Maximum(const std::wstring& name) const {
        auto* slider = dynamic_cast<IxSkinSlider*>(Control(name));
        return slider ? slider->GetMaximum() : 0;
    }
    double GradientCentre() const {
        auto* shape = dynamic_cast<CxSkinShape*>(Control(L"Shape"));
        return shape && shape->GetStopCount() == 3 ? shape->GetStop(1)->m_offset : -1.0;
    }
    void PutStereoDTSSS() {
        driver.PutCached(L"DevChannelNumControl", 2);
        driver.PutCached(L"Enable_SURRSENS_LFX", 1);
        driver.PutCached(L"Enable_SURRSENS_USEHP", 0);
        driver.PutCached(L"SURRSENS_CONTENTTYPE", 1);
        driver.PutCached(L"SURRSENS_EXPFACTOR", 30);
        driver.PutCached(L"SURRSENS_SPEAKERANGLE", 10);
        driver.PutCached(L"SURRSENS_MIXLFE", 1);
        driver.PutCached(L"ENABLE_SURRSENS_DIALOGCLARITY", 0);
        driver.PutCached(L"SURRSENS_DIALOGCLARITY_GAIN", 12);
    }
    void PutUpmix(const std::wstring& prefix, const std::wstring& centreKey, uint32_t enable, uint32_t mode) {
        driver.PutCached(L"DevChannelNumControl", 6);
        driver.PutCached(L"Enable_" + prefix + L"_LFX", enable);
        driver.PutCached(prefix + L"_MODE", mode);
        driver.PutCached(centreKey, 2);
        driver.PutCached(prefix + L"_SLIDER_DIMENSION", 3);
        driver.PutCached(L"PLIIX_PANORAMA", 1);
    }
};

TEST_F(DecoderPageTest, SurroundSensationShowsTheDeviceOnStereo) {
    PutStereoDTSSS();
    Open(L"SpeakerDTSSS", new CSpeakerDTSSSHandler);
    EXPECT_TRUE(Visible(L"MainContent"));
    EXPECT_FALSE(Visible(L"WarningContent"));
    EXPECT_EQ(Check(L"EnableDTSSS"), 1);
    EXPECT_TRUE(Enabled(L"CanvasEnableDTSSS"));
    EXPECT_EQ(Check(L"ModeSpeaker"), 1);
    EXPECT_EQ(Check(L"ContentTypeMusic"), 1);
    EXPECT_EQ(Check(L"MixLFEChanneltoOutput"), 1);
    EXPECT_EQ(Check(L"DTSVoiceClarity"), 0);
    EXPECT_FALSE(Enabled(L"CanvasDTSVoiceClarityGain"));
    EXPECT_FLOAT_EQ(Pos(L"SoundStageExpansionFactor"), 30.0f);
    EXPECT_FLOAT_EQ(Pos(L"PhysicalSpeakerAngle"), 10.0f);
    EXPECT_FLOAT_EQ(Pos(L"DTSVoiceClarityGain"), 12.0f);
    EXPECT_TRUE(Visible(L"DiagramSpeaker"));
    EXPECT_FALSE(Visible(L"DiagramHeadphone"));
    EXPECT_TRUE(Enabled(L"CanvasExpanFactor"));
}

TEST_F(DecoderPageTest, SurroundSensationOnlyWarnsBesideStereo) {
    PutStereoDTSSS();
    driver.PutCached(L"DevChannelNumControl", 6);
    Open(L"SpeakerDTSSS", new CSpeakerDTSSSHandler);
    EXPECT_FALSE(Visible(L"MainContent"));
    EXPECT_TRUE(Visible(L"WarningContent"));
    EXPECT_EQ(Check(L"EnableDTSSS"), 0) << "no control of the main content is set";
    for (const std::wstring& read : driver.m_reads)
        EXPECT_EQ(read.find(L"SURRSENS"), std::wstring::npos) << read;
    EXPECT_EQ(page->OnClick(L"ChannelsSetting"), 1);
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, kMsgShowSettingContent, kMsgShowSettingContent, PM_REMOVE));
}

TEST_F(DecoderPageTest, SurroundSensationHeadphoneModeGreysTheSoundStage) {
    PutStereoDTSSS();
    Open(L"HeadPhoneDTSSS", new CHeadPhoneDTSSSHandler);
    Click(L"ModeHeadphone");
    EXPECT_EQ(driver.Live(L"Enable_SURRSENS_USEHP"), 1);
    EXPECT_FALSE(Visible(L"DiagramSpeaker"));
    EXPECT_TRUE(Visible(L"DiagramHeadphone"));
    EXPECT_FALSE(Enabled(L"CanvasExpanFactor"));
    EXPECT_FALSE(Enabled(L"CanvasSpeakerAngle"));
    Click(L"ModeSpeaker");
    EXPECT_TRUE(Visible(L"DiagramSpeaker"));
    EXPECT_TRUE(Enabled(L"CanvasExpanFactor"));
    EXPECT_TRUE(Enabled(L"CanvasSpeakerAngle"));
    EXPECT_EQ(main.m_announced, (Log{L"Enable_SURRSENS_USEHP 0", L"Enable_SURRSENS_USEHP 0"}));
}

TEST_F(DecoderPageTest, SurroundSensationWritesSlidersAndSwitches) {
    PutStereoDTSSS();
    Open(L"SpeakerDTSSS", new CSpeakerDTSSSHandler);
    driver.m_writes.clear();
    EXPECT_EQ(page->OnSliderChanged(L"SoundStageExpansionFactor", 7.9f, 1), 0);
    EXPECT_EQ(page->OnSliderChanged(L"PhysicalSpeakerAngle", 20.5f, 1), 0);
    EXPECT_EQ(page->OnSliderChanged(L"DTSVoiceClarityGain", 3.2f, 1), 0);
    EXPECT_EQ(page->OnSliderChanged(L"Unknown", 3.2f, 1), 0);
    Click(L"DTSVoiceClarity");
    EXPECT_TRUE(Enabled(L"CanvasDTSVoiceClarityGain"));
    Click(L"MixLFEChanneltoOutput");
    Click(L"ContentTypeMovie");
    EXPECT_EQ(page->OnClick(L"Unknown"), 0);
    EXPECT_EQ(driver.m_writes,
              (Log{L"SURRSENS_EXPFACTOR=7/1", L"SURRSENS_SPEAKERANGLE=20/1", L"SURRSENS_DIALOGCLARITY_GAIN=3/1",
                   L"ENABLE_SURRSENS_DIALOGCLARITY=1/1", L"SURRSENS_MIXLFE=0/1", L"SURRSENS_CONTENTTYPE=0/1"}));

    // A refused level is still announced; a refused dialog clarity changes nothing and is not announced.
    driver.m_refused = {L"SURRSENS_EXPFACTOR", L"ENABLE_SURRSENS_DIALOGCLARITY"};
    main.m_announced.clear();
    EXPECT_NE(page->OnSliderChanged(L"SoundStageExpansionFactor", 9.0f, 1), 0);
    Click(L"DTSVoiceClarity");
    EXPECT_TRUE(Enabled(L"CanvasDTSVoiceClarityGain"));
    EXPECT_EQ(main.m_announced, (Log{L"SURRSENS_EXPFACTOR 0"}));
}

TEST_F(DecoderPageTest, SurroundSensationOnSwitchesTheDolbyAndVimoSurroundOff) {
    PutStereoDTSSS();
    driver.PutCached(L"Enable_SURRSENS_LFX", 0);
    Open(L"SpeakerDTSSS", new CSpeakerDTSSSHandler);
    driver.m_writes.clear();
    Click(L"EnableDTSSS");
    EXPECT_EQ(driver.m_writes, (Log{L"Enable_SURRSENS_LFX=1/1", L"Enable_DHDVS_LFX=0/1", L"Enable_KESTAL_HPSPK_LFX=0/1",
                                    L"GFSControl=0/1"}));
    EXPECT_EQ(Check(L"EnableDTSSS"), 1);
    EXPECT_TRUE(Enabled(L"CanvasEnableDTSSS"));
    EXPECT_EQ(main.m_announced.back(), L"Enable_SURRSENS_LFX 1");

    driver.m_writes.clear();
    Click(L"EnableDTSSS");
    EXPECT_EQ(driver.m_writes, (Log{L"Enable_SURRSENS_LFX=0/1"}));
    EXPECT_FALSE(Enabled(L"CanvasEnableDTSSS"));

    // A refused switch leaves the page and the other effects alone.
    driver.m_refused = {L"Enable_SURRSENS_LFX"};
    driver.m_writes.clear();
    main.m_announced.clear();
    auto* handler = dynamic_cast<CDTSSSHandler*>(page);
    EXPECT_NE(handler->SetEnable(), 0);
    EXPECT_EQ(driver.m_writes, (Log{L"Enable_SURRSENS_LFX=1/1"}));
    EXPECT_TRUE(main.m_announced.empty());
    EXPECT_FALSE(Enabled(L"CanvasEnableDTSSS"));
}

TEST_F(DecoderPageTest, PagesNoticeChangesBehindThem) {
    struct Case {
        const wchar_t* panel;
        const wchar_t* enableKey;
        const wchar_t* otherKey;
        int make;
    };
    const Case cases[] = {
        {L"SpeakerDTSSS", L"Enable_SURRSENS_LFX", L"SURRSENS_MIXLFE", 0},
        {L"SpeakerDolbyPLIIx", L"Enable_PLIIX_LFX", L"PLIIX_PANORAMA", 1},
        {L"SpeakerDTSNeoPC", L"Enable_NEOPC_LFX", L"NEOPC_SLIDER_DIMENSION", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.panel);
        driver.PutCached(L"DevChannelNumControl", c.make == 0 ? 2 : 6);
        driver.PutCached(c.enableKey, 0);
        driver.PutCached(c.otherKey, 0);
        IHandler* handler = c.make == 0   ? static_cast<IHandler*>(new CSpeakerDTSSSHandler)
                            : c.make == 1 ? static_cast<IHandler*>(new CSpeakerDolbyPLIIxHandler)
                                          : static_cast<IHandler*>(new CSpeakerDTSNeoPCHandler);
        Open(c.panel, dynamic_cast<CBaseHandler*>(handler));
        EXPECT_EQ(page->UpdateFromDriver(), 0);
        driver.Put(c.otherKey, 1);
        EXPECT_EQ(page->UpdateFromDriver(), 0) << "settings of a switched-off effect are not watched";
        driver.Put(c.enableKey, 1);
        EXPECT_EQ(page->UpdateFromDriver(), 1);
        driver.PutCached(c.enableKey, 1);
        driver.PutCached(c.otherKey, 1);
        EXPECT_EQ(page->UpdateFromDriver(), 0);
        driver.Put(c.otherKey, 0);
        EXPECT_EQ(page->UpdateFromDriver(), 1);
        delete page->GetOwner();
    }
}

TEST_F(DecoderPageTest, FreshEndpointsGetTheirDefaults) {
    struct Case {
        void (*write)(IDriverInstance*, int32_t);
        const wchar_t* enableKey;
        Log writes;
    };
    const Case cases[] = {
        {&CDTSSSHandler::WriteDefaults,
         L"Enable_SURRSENS_LFX",
         {L"3:Enable_SURRSENS_LFX=0/1", L"3:Enable_SURRSENS_USEHP=0/1", L"3:SURRSENS_CONTENTTYPE=0/1",
          L"3:SURRSENS_EXPFACTOR=0/1", L"3:ENABLE_SURRSENS_DIALOGCLARITY=0/1", L"3:SURRSENS_DIALOGCLARITY_GAIN=0/1",
          L"3:SURRSENS_MIXLFE=0/1", L"3:SURRSENS_SPEAKERANGLE=5/1"}},
        {&CSpeakerDolbyPLIIxHandler::WriteDefaults,
         L"Enable_PLIIX_LFX",
         {L"3:Enable_PLIIX_LFX=0/1", L"3:PLIIX_MODE=0/1", L"3:PLIIX_PANORAMA=0/1", L"3:PLIIX_SLIDER_CENTERWIDTH=4/1",
          L"3:PLIIX_SLIDER_DIMENSION=7/1"}},
        {&CSpeakerDTSNeoPCHandler::WriteDefaults,
         L"Enable_NEOPC_LFX",
         {L"3:Enable_NEOPC_LFX=0/1", L"3:NEOPC_MODE=0/1", L"3:NEOPC_SLIDER_CENTERGAIN=5/1",
          L"3:NEOPC_SLIDER_DIMENSION=7/1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.enableKey);
        ToneDriver fresh;
        c.write(&fresh, 3);
        EXPECT_EQ(fresh.m_writes, c.writes);
        ToneDriver known;
        known.Put(c.enableKey, 1);
        c.write(&known, 3);
        EXPECT_TRUE(known.m_writes.empty()) << "a device that knows the effect keeps its settings";
    }
    CDTSSSHandler::WriteDefaults(nullptr, 3);
}

TEST(UpmixPicture, FanAndGradientFollowTheSliderRange) {
    struct Case {
        float position;
        int maximum;
        int angle;
        double centre;
    };
    const Case cases[] = {
        {0.0f, 10, 10, 1.0}, {10.0f, 10, 90, 0.0}, {5.0f, 10, 50, 0.5}, {3.0f, 7, 44, 4.0 / 7}, {3.0f, 0, 10, 1.0}};
    for (const Case& c : cases) {
        EXPECT_EQ(CSpeakerDolbyPLIIxHandler::FanAngle(c.position, c.maximum), c.angle) << c.position;
        EXPECT_NEAR(CSpeakerDolbyPLIIxHandler::GradientCenter(c.position, c.maximum), c.centre, 1e-9);
    }
}

TEST_F(DecoderPageTest, MovieModeGreysAllButTheSwitchAndModes) {
    struct Case {
        const wchar_t* panel;
        const wchar_t* prefix;
        const wchar_t* centreKey;
        const wchar_t* enable;
        const wchar_t* logo;
        bool plIIx;
    };
    const Case cases[] = {
        {L"SpeakerDolbyPLIIx", L"PLIIX", L"PLIIX_SLIDER_CENTERWIDTH", L"BtnEnableDolby_PLIIx", L"ProLogic_Logo", true},
        {L"SpeakerQuarterDTSNeoPC", L"NEOPC", L"NEOPC_SLIDER_CENTERGAIN", L"BtnEnableDTSNeoPC", L"NeoPC_Logo", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.panel);
        PutUpmix(c.prefix, c.centreKey, 1, 0);
        if (c.plIIx)
            Open(c.panel, new CSpeakerDolbyPLIIxHandler);
        else
            Open(c.panel, new CSpeakerDTSNeoPCHandler);
        EXPECT_TRUE(Visible(L"MainContent"));
        EXPECT_EQ(Check(c.enable), 1);
        EXPECT_EQ(Check(L"BtnMovieMode"), 1);
        EXPECT_FLOAT_EQ(Pos(L"CenterGain"), 2.0f);
        EXPECT_FLOAT_EQ(Pos(L"Dimension"), 3.0f);
        for (const wchar_t* on : {c.enable, c.logo, L"BtnMusicMode", L"BtnMovieMode"})
            EXPECT_TRUE(Enabled(on)) << on;
        for (const wchar_t* off : {L"CenterGain", L"Dimension", L"BtnReset", L"Fan", L"Shape", L"Speaker_Head"})
            EXPECT_FALSE(Enabled(off)) << off;
        if (c.plIIx) {
            EXPECT_FALSE(Enabled(L"BtnPanorama"));
        }

        Click(L"BtnMusicMode");
        EXPECT_EQ(driver.Live(std::wstring(c.prefix) + L"_MODE"), 1);
        for (const wchar_t* on : {L"CenterGain", L"Dimension", L"BtnReset", L"Fan", L"Shape"})
            EXPECT_TRUE(Enabled(on)) << on;

        // With the effect off, only the switch stays live.
        Click(c.enable);
        EXPECT_TRUE(Enabled(c.enable));
        for (const wchar_t* off : {c.logo, L"BtnMusicMode", L"CenterGain"})
            EXPECT_FALSE(Enabled(off)) << off;
        delete page->GetOwner();
    }
}

TEST_F(DecoderPageTest, UpmixPagesOnlyWarnOnStereo) {
    PutUpmix(L"PLIIX", L"PLIIX_SLIDER_CENTERWIDTH", 1, 1);
    driver.PutCached(L"DevChannelNumControl", 2);
    Open(L"SpeakerQuarterDolbyPLIIx", new CSpeakerDolbyPLIIxHandler);
    EXPECT_FALSE(Visible(L"MainContent"));
    EXPECT_TRUE(Visible(L"WarningContent"));
    EXPECT_EQ(Check(L"BtnEnableDolby_PLIIx"), 0);
}

TEST_F(DecoderPageTest, ProLogicSlidersResetAndPicture) {
    PutUpmix(L"PLIIX", L"PLIIX_SLIDER_CENTERWIDTH", 1, 1);
    Open(L"SpeakerDolbyPLIIx", new CSpeakerDolbyPLIIxHandler);
    EXPECT_EQ(Check(L"BtnPanorama"), 1);
    const int centreMax = Maximum(L"CenterGain");
    const int dimensionMax = Maximum(L"Dimension");
    ASSERT_GT(centreMax, 0);
    ASSERT_GT(dimensionMax, 0);

    Slide(L"Dimension", static_cast<float>(dimensionMax));
    EXPECT_NEAR(GradientCentre(), 0.0, 1e-6);
    Slide(L"Dimension", 0.0f);
    EXPECT_NEAR(GradientCentre(), 1.0, 1e-6);

    // A move reported without the flag writes but tells the status panel nothing.
    driver.m_writes.clear();
    main.m_announced.clear();
    Slide(L"CenterGain", 2.7f, 0);
    Slide(L"CenterGain", 3.2f, 1);
    EXPECT_EQ(driver.m_writes, (Log{L"PLIIX_SLIDER_CENTERWIDTH=2/1", L"PLIIX_SLIDER_CENTERWIDTH=3/1"}));
    EXPECT_EQ(main.m_announced, (Log{L"PLIIX_SLIDER_CENTERWIDTH 0"}));

    // A refused slider write is not announced and answers 0 through the interface.
    driver.m_refused = {L"PLIIX_SLIDER_DIMENSION"};
    main.m_announced.clear();
    auto* handler = dynamic_cast<CSpeakerDolbyPLIIxHandler*>(page);
    EXPECT_EQ(handler->SetDimension(5, 1), 0);
    EXPECT_TRUE(main.m_announced.empty());
    driver.m_refused.clear();

    driver.m_writes.clear();
    Click(L"BtnReset");
    EXPECT_EQ(driver.m_writes,
              (Log{L"PLIIX_SLIDER_CENTERWIDTH=4/1", L"PLIIX_SLIDER_DIMENSION=7/1", L"PLIIX_PANORAMA=0/1"}));
    EXPECT_EQ(main.m_announced, (Log{L"PLIIX_SLIDER_CENTERWIDTH 0", L"PLIIX_SLIDER_DIMENSION 0", L"PLIIX_PANORAMA 0"}));
    EXPECT_FLOAT_EQ(Pos(L"CenterGain"), 4.0f);
    EXPECT_FLOAT_EQ(Pos(L"Dimension"), 7.0f);
    EXPECT_EQ(Check(L"BtnPanorama"), 0);
    EXPECT_NEAR(GradientCentre(), (dimensionMax - 7.0) / dimensionMax, 1e-6);

    Click(L"BtnPanorama");
    EXPECT_EQ(driver.Live(L"PLIIX_PANORAMA"), 1);
    EXPECT_EQ(Check(L"BtnPanorama"), 1);
}

TEST_F(DecoderPageTest, NeoPCResetsWithoutPanorama) {
    PutUpmix(L"NEOPC", L"NEOPC_SLIDER_CENTERGAIN", 1, 1);
    Open(L"SpeakerDTSNeoPC", new CSpeakerDTSNeoPCHandler);
    EXPECT_EQ(Control(L"BtnPanorama"), nullptr);
    driver.m_writes.clear();
    main.m_announced.clear();
    Click(L"BtnReset");
    EXPECT_EQ(driver.m_writes, (Log{L"NEOPC_SLIDER_CENTERGAIN=5/1", L"NEOPC_SLIDER_DIMENSION=7/1"}));
    EXPECT_EQ(main.m_announced, (Log{L"NEOPC_SLIDER_CENTERGAIN 0", L"NEOPC_SLIDER_DIMENSION 0"}));
    EXPECT_FLOAT_EQ(Pos(L"CenterGain"), 5.0f);
    EXPECT_EQ(page->OnClick(L"Unknown"), 1);
}

TEST_F(DecoderPageTest, UpmixEffectsSwitchEachOtherOff) {
    struct Case {
        const wchar_t* panel;
        const wchar_t* enable;
        const wchar_t* key;
        const wchar_t* rival;
        bool plIIx;
    };
    const Case cases[] = {
        {L"SpeakerDolbyPLIIx", L"BtnEnableDolby_PLIIx", L"Enable_PLIIX_LFX", L"Enable_NEOPC_LFX", true},
        {L"SpeakerDTSNeoPC", L"BtnEnableDTSNeoPC", L"Enable_NEOPC_LFX", L"Enable_PLIIX_LFX", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.panel);
        driver.PutCached(L"DevChannelNumControl", 8);
        driver.PutCached(c.key, 0);
        driver.PutCached(c.rival, 1);
        driver.PutCached(L"Enable_Channel_COPY_LFX", 1);
        if (c.plIIx)
            Open(c.panel, new CSpeakerDolbyPLIIxHandler);
        else
            Open(c.panel, new CSpeakerDTSNeoPCHandler);
        driver.m_writes.clear();
        main.m_announced.clear();
        Click(c.enable);
        EXPECT_EQ(driver.m_writes, (Log{std::wstring(c.key) + L"=1/1", std::wstring(c.rival) + L"=0/1",
                                        L"Enable_Channel_COPY_LFX=0/1"}));
        EXPECT_EQ(main.m_announced,
                  (Log{std::wstring(c.rival) + L" 1", L"Enable_Channel_COPY_LFX 1", std::wstring(c.key) + L" 1"}));
        driver.m_writes.clear();
        Click(c.enable);
        EXPECT_EQ(driver.m_writes, (Log{std::wstring(c.key) + L"=0/1"})) << "turning off switches nothing";

        // A refused switch-on keeps the rival and channel copy as they were and shows the switch off again.
        driver.PutCached(c.rival, 1);
        driver.PutCached(L"Enable_Channel_COPY_LFX", 1);
        driver.m_refused = {c.key};
        driver.m_writes.clear();
        main.m_announced.clear();
        Click(c.enable);
        EXPECT_EQ(driver.m_writes, (Log{std::wstring(c.key) + L"=1/1"}));
        EXPECT_EQ(driver.Live(c.rival), 1);
        EXPECT_EQ(driver.Live(L"Enable_Channel_COPY_LFX"), 1);
        EXPECT_EQ(Check(c.enable), 0);
        EXPECT_FALSE(Enabled(L"BtnMusicMode"));
        EXPECT_TRUE(main.m_announced.empty());
        driver.m_refused.clear();
        delete page->GetOwner();
    }
}

// Premultiplied back-buffer pixels over the window background, as the main window shows a page.
void SaveBackBuffer(const CLayerDialog& dialog, const fs::path& file) {
    const int width = dialog.GetSurfaceWidth();
    const int height = dialog.GetSurfaceHeight();
    Gdiplus::Bitmap image(width, height, PixelFormat32bppARGB);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = dialog.GetPixel(x, y);
            const int a = Alpha(p);
            auto over = [a](int c, int bg) { return c + bg * (255 - a) / 255; };
            image.SetPixel(x, y, Gdiplus::Color(255, over(Red(p), 0x1E), over(Green(p), 0x21), over(Blue(p), 0x26)));
        }
    }
    fs::create_directories(file.parent_path());
    SavePng(image, file);
}

TEST_F(DecoderPageTest, PagesDrawTheirControls) {
    const fs::path gallery = ProgramDir().parent_path() / "gallery";
    const uint32_t empty = dialog.GetPixel(740, 380);
    PutStereoDTSSS();
    Open(L"SpeakerDTSSS", new CSpeakerDTSSSHandler);
    // The speaker diagram (content at 16,64; diagram at 20,66) is drawn.
    EXPECT_NE(dialog.GetPixel(16 + 20 + 110, 64 + 66 + 80), empty);
    SaveBackBuffer(dialog, gallery / "apoSpeakerDTSSS.png");
    delete page->GetOwner();

    PutUpmix(L"PLIIX", L"PLIIX_SLIDER_CENTERWIDTH", 1, 1);
    Open(L"SpeakerDolbyPLIIx", new CSpeakerDolbyPLIIxHandler);
    // The shaded shape in the middle of the room.
    EXPECT_NE(dialog.GetPixel(16 + 130, 64 + 90), empty);
    SaveBackBuffer(dialog, gallery / "apoSpeakerDolbyPLIIx.png");
}

} // namespace
