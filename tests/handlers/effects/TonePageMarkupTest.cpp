// The shipped tone and single-slider effect pages themselves: every control their handlers look for, no
// image the build does not produce, no text key the languages lack, and a drawn page.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "../TonePageFixture.h"
#include "../PageFiles.h"
#include "SkinTestSupport.h"
#include "handlers/effects/VimoDynamicBassHandler.h"
#include "handlers/endpoint/SpeakerHWEQHandler.h"
#include "skin/LayerDialog.h"
#include "skin/SkinButton.h"
#include "skin/SkinSlider.h"
#include "skin/SkinStatic.h"

using namespace oc::test;
namespace fs = std::filesystem;

namespace {

struct PageControls {
    const wchar_t* page;
    std::vector<const wchar_t*> controls;
};

const PageControls kPages[] = {
    {L"SpeakerHWEQ", {L"BassLevel", L"TrebleLevel"}},
    {L"SpeakerQuarterHWEQ", {L"BassLevel", L"TrebleLevel"}},
    {L"HeadPhoneHWEQ", {L"BassLevel", L"TrebleLevel"}},
    {L"MicInAGC", {L"BtnEnableAGC"}},
    {L"DesktopMicAGC", {L"BtnEnableAGC"}},
    {L"LineInAGC", {L"BtnEnableAGC"}},
};
const wchar_t* const kEffects[][2] = {
    {L"VimoAudioBrilliant",
     L"BtnEnableAudioBrilliant BrilliantLevel LevelTextBox ResetBrilliant MainContent AudioBrilliant_Logo"},
    {L"VimoDynamicBass", L"BtnEnableDynamicBass BassLevel LevelTextBox CutoffFrequency FrequencyTextBox "
                         L"ResetBassLevel ResetFrequency MainContent DynamicBass_Logo"},
    {L"VimoSmartVolume", L"BtnEnableSmartVol VolumeLevel LevelTextBox Mode MainContent SmartVol_Logo"},
    {L"VimoVoiceClarity", L"BtnEnableVoiceClarity VoiceClarityLevel LevelTextBox SuppLevel SuppLevelTextBox "
                          L"ResetVoiceLevel ResetSuppLevel MainContent VoiceClarity_Logo"},
};

std::vector<std::wstring> Words(const std::wstring& text) {
    std::wistringstream in(text);
    std::vector<std::wstring> words;
    for (std::wstring word; in >> word;)
        words.push_back(word);
    return words;
}

std::vector<std::wstring> AllPageNames() {
    std::vector<std::wstring> names;
    for (const PageControls& page : kPages)
        names.push_back(page.page);
    for (const auto& effect : kEffects) {
        for (const wchar_t* endpoint : {L"Speaker", L"HeadPhone"})
            names.push_back(std::wstring(endpoint) + effect[0]);
    }
    return names;
}

TEST(TonePageFiles, NameOnlyBuiltImagesAndTranslatedTexts) {
    const std::map<std::string, std::string> english = CultureTexts("en-US");
    const std::map<std::string, std::string> german = CultureTexts("de-DE");
    std::vector<fs::path> files = {ShippedSkinDir() / "ToneDictResource.lyt"};
    for (const std::wstring& page : AllPageNames())
        files.push_back(ShippedSkinDir() / (L"apo" + page + L".lyt"));
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string text = ReadText(file);
        ASSERT_FALSE(text.empty());
        for (const std::string& image : Matches(text, std::regex("\"([A-Za-z]+/[A-Za-z0-9_]+\\.png)\""), 1))
            EXPECT_TRUE(fs::exists(ShippedSkinDir() / image)) << image;
        for (const std::string& key : Matches(text, std::regex("ml_[A-Za-z0-9_]+"))) {
            EXPECT_TRUE(english.contains(key)) << key;
            EXPECT_TRUE(german.contains(key)) << key;
        }
    }
    EXPECT_TRUE(english.contains("ml_Message_Caption"));
}

// Every page binds its panel by name and carries every control its handler looks for.
TEST_F(TonePageTest, EveryPageBindsItsHandlerAndHasItsControls) {
    std::vector<std::pair<std::wstring, std::vector<std::wstring>>> pages;
    for (const PageControls& page : kPages)
        pages.push_back({page.page, {page.controls.begin(), page.controls.end()}});
    for (const auto& effect : kEffects) {
        for (const wchar_t* endpoint : {L"Speaker", L"HeadPhone"})
            pages.push_back({std::wstring(endpoint) + effect[0], Words(effect[1])});
    }
    for (const auto& [panel, controls] : pages) {
        SCOPED_TRACE(std::string(panel.begin(), panel.end()));
        // Any handler serves to see that the root panel binds and what lies under it.
        Open(panel, new TestHandler);
        for (const std::wstring& name : controls)
            EXPECT_NE(Control(name), nullptr) << std::string(name.begin(), name.end());
        delete page->GetOwner(); // releases the handler with it
    }
}

// A switch's caption tells its state: "Off" while off, never an "On" beside a switch that is off.
TEST_F(TonePageTest, SwitchCaptionsTellTheirState) {
    for (const auto& [key, text] : CultureTexts("en-US"))
        environment.m_texts[std::wstring(key.begin(), key.end())] = std::wstring(text.begin(), text.end());
    const struct {
        const wchar_t* page;
        const wchar_t* button;
    } switches[] = {{L"SpeakerEQ", L"BtnEnableEQ"},
                    {L"SpeakerEM", L"BtnEnableEM"},
                    {L"SpeakerKaraoke", L"BtnEnableKeyShifting"},
                    {L"MicInKaraoke", L"BtnEnableMircophoneEffects"},
                    {L"SpeakerVimoDynamicBass", L"BtnEnableDynamicBass"}};
    for (const auto& s : switches) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(s.page)));
        Open(s.page, new TestHandler);
        auto* button = dynamic_cast<CxSkinButton*>(Control(s.button));
        ASSERT_NE(button, nullptr);
        for (const auto& [check, caption] : {std::pair{0, L"Off"}, std::pair{1, L"On"}, std::pair{0, L"Off"}}) {
            button->SetCheck(check, FALSE);
            EXPECT_EQ(button->GetShownText(), caption) << check;
        }
        delete page->GetOwner();
    }
}

// The marks under a karaoke slider name the points the thumb's centre takes at the slider's quarters, and
// the echo page's scale caption is not cut.
TEST_F(TonePageTest, KaraokeScalesLineUpWithTheirSliders) {
    for (const auto& [key, text] : CultureTexts("en-US"))
        environment.m_texts[std::wstring(key.begin(), key.end())] = std::wstring(text.begin(), text.end());
    const std::vector<const wchar_t*> keyShift = {L"Tick1", L"Tick2", L"Tick3", L"Tick4", L"Tick5"};
    const std::vector<const wchar_t*> vocalCancel = {L"Tick6", L"Tick7", L"Tick8", L"Tick9", L"Tick10"};
    const struct {
        const wchar_t* page;
        const wchar_t* slider;
        const std::vector<const wchar_t*>& marks;
    } scales[] = {
        {L"SpeakerKaraoke", L"KeyShifting", keyShift},        {L"SpeakerKaraoke", L"VocalCanellation", vocalCancel},
        {L"SpeakerQuarterKaraoke", L"KeyShifting", keyShift}, {L"SPDIFOutKaraoke", L"VocalCanellation", vocalCancel},
        {L"HeadPhoneVimoChorvex", L"KeyShifting", keyShift},
    };
    for (const auto& scale : scales) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(scale.page) + L" " + scale.slider));
        Open(scale.page, new TestHandler);
        auto* slider = dynamic_cast<CxSkinSlider*>(Control(scale.slider));
        ASSERT_NE(slider, nullptr);
        for (size_t i = 0; i < scale.marks.size(); ++i) {
            const int low = slider->GetMinimum(), high = slider->GetMaximum();
            slider->SetPos(static_cast<float>(low + (high - low) * static_cast<int>(i) / 4), FALSE);
            const RECT thumb = slider->GetThumbRect();
            const int point = slider->GetRectInHost().left + (thumb.left + thumb.right) / 2;
            auto* mark = Control(scale.marks[i]);
            ASSERT_NE(mark, nullptr) << i;
            const RECT at = mark->GetRectInHost();
            // Where the text stands: its start, middle or end by its alignment (near, centre, far).
            const int anchor[] = {at.left, (at.left + at.right) / 2, at.right};
            EXPECT_NEAR(anchor[std::clamp(mark->GetTextAlign(), 0, 2)], point, 8)
                << testing::PrintToString(std::wstring(scale.marks[i]));
        }
        delete page->GetOwner();
    }

    for (const wchar_t* echoPage : {L"MicInKaraoke", L"DesktopMicKaraoke"}) {
        Open(echoPage, new TestHandler);
        auto* caption = dynamic_cast<CxSkinStatic*>(Control(L"Tick"));
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(caption->GetText(), L"Echo level");
        EXPECT_LE(caption->GetNaturalSize().cx, caption->GetWidth()) << "the caption is cut";
        delete page->GetOwner();
    }
}

TEST_F(TonePageTest, PagesDrawTheirControls) {
    const fs::path gallery = ProgramDir().parent_path() / "gallery";
    for (const auto& [key, text] : CultureTexts("en-US"))
        environment.m_texts[std::wstring(key.begin(), key.end())] = std::wstring(text.begin(), text.end());

    driver.PutCached(L"Enable_VIRTUALBASS_LFX", 1);
    driver.PutCached(L"VIRTUALBASS_Level", 7);
    driver.PutCached(L"VIRTUALBASS_CutOffFrequency", 300);
    Open(L"SpeakerVimoDynamicBass", new CVimoDynamicBassHandler);
    // The bass slider's filled track is drawn where the markup put it (content at 16,64; slider at 0,31);
    // the corner of the page stays empty.
    const uint32_t empty = dialog.GetPixel(740, 380);
    EXPECT_NE(dialog.GetPixel(16 + 40, 64 + 31 + 7), empty);
    SaveBackBuffer(dialog, gallery / "apoSpeakerVimoDynamicBass.png");
    delete page->GetOwner();

    driver.PutCached(L"HWEQBassControl", 4.0);
    driver.PutCached(L"HWEQTrebleControl", -6.0);
    Open(L"SpeakerHWEQ", new CSpeakerHWEQHandler);
    EXPECT_NE(dialog.GetPixel(16 + 40, 64 + 31 + 7), empty);
    SaveBackBuffer(dialog, gallery / "apoSpeakerHWEQ.png");
}

} // namespace
