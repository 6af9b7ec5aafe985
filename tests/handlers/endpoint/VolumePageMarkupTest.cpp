// The shipped volume pages themselves: each loads into a skinned dialog with every control its handler
// looks for, names no image the build does not produce and no text key the languages lack, and draws.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "../PageFiles.h"
#include "SkinTestSupport.h"
#include "VolumePageFixture.h"
#include "handlers/endpoint/MicrophoneVolHandler.h"
#include "handlers/endpoint/SpeakerVolHandler.h"

using namespace oc::test;
namespace fs = std::filesystem;

namespace {

const wchar_t* const kPages[] = {L"HDMIVol",   L"StereoMixVol", L"HeadPhoneVol",  L"SPDIFOutVol", L"SPDIFInVol",
                                 L"LineInVol", L"MicInVol",     L"DesktopMicVol", L"SpeakerVol",  L"SpeakerQuarterVol"};

TEST(VolumePageFiles, NameOnlyBuiltImagesAndTranslatedTexts) {
    const std::map<std::string, std::string> english = CultureTexts("en-US");
    const std::map<std::string, std::string> german = CultureTexts("de-DE");
    std::vector<fs::path> files = {ShippedSkinDir() / "VolumeDictResource.lyt"};
    for (const wchar_t* page : kPages)
        files.push_back(ShippedSkinDir() / (std::wstring(L"apo") + page + L".lyt"));
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
    for (const char* endpoint :
         {"Speaker", "HeadPhone", "MicIn", "LineIn", "SPDIFOut", "SPDIFIn", "HDMI", "StereoMix"}) {
        const std::string key = std::string("ml_") + endpoint + "Vol_VoldB_Range_Error";
        EXPECT_TRUE(english.contains(key) && german.contains(key)) << key;
    }
}

// Every page binds its panel by name and carries the controls of its pairs, each slider with a channel Tag.
TEST_F(VolumePageTest, EveryPageBindsItsHandlerAndHasItsControls) {
    for (const wchar_t* panel : kPages) {
        SCOPED_TRACE(std::string(panel, panel + wcslen(panel)));
        const bool speaker = std::wstring(panel).starts_with(L"Speaker");
        if (speaker)
            Open<CSpeakerVolHandler>(panel);
        else
            Open<CVolHandler>(panel);
        std::vector<std::wstring> names = {L"Mute", L"Balance", L"LeftChannel", L"RightChannel", L"LdB", L"RdB"};
        if (speaker)
            names = {L"BtnMute", L"MasterVol", L"MasterdB", L"BtnDeviceSpecificControlHP",
                     L"BtnDeviceSpecificControlRCA"};
        for (size_t i = 0; i < g_BalancePairTable.size(); ++i) {
            const BalancePairNames& row = g_BalancePairTable[i];
            const bool speakerRow = i >= 4;
            const bool inputRow = std::wstring(row.slider).starts_with(L"AA");
            const bool input =
                std::wstring(panel).find(L"Mic") != std::wstring::npos || std::wstring(panel) == L"LineInVol";
            if (speakerRow == speaker && (!inputRow || input)) {
                names.insert(names.end(), {row.slider, row.dBBox, row.balanceButton});
                ASSERT_NE(Control(row.slider), nullptr) << row.slider;
                EXPECT_FALSE(Control(row.slider)->GetTag().empty()) << row.slider;
            }
        }
        for (const std::wstring& name : names)
            EXPECT_NE(Control(name), nullptr) << std::string(name.begin(), name.end());
        delete page->GetOwner(); // releases the handler with it
    }
}

TEST_F(VolumePageTest, PagesDrawTheirControls) {
    const fs::path gallery = ProgramDir().parent_path() / "gallery";
    for (const auto& [key, text] : CultureTexts("en-US"))
        environment.m_texts[std::wstring(key.begin(), key.end())] = std::wstring(text.begin(), text.end());
    driver.m_features = {L"AAVolumeControl"};
    for (int channel = -1; channel < 8; ++channel) {
        driver.PutLevel(channel, 0.3 + 0.08 * (channel + 1));
        driver.PutLevel(channel, 0.6, true);
    }
    driver.PutCached(L"__Balance", 1);
    driver.PutCached(L"MuteControl", 0);
    driver.PutCached(L"DevChannelNumControl", 6);

    Open<CMicrophoneVolHandler>(L"MicInVol");
    // The left slider's filled track is drawn where the markup put it (group at 134,40; slider at 90,31);
    // the corner of the page stays empty.
    const uint32_t empty = dialog.GetPixel(740, 380);
    EXPECT_NE(dialog.GetPixel(134 + 90 + 7, 40 + 31 + 200), empty);
    SaveBackBuffer(dialog, gallery / "apoMicInVol.png");
    delete page->GetOwner(); // releases the handler with it

    Open<CSpeakerVolHandler>(L"SpeakerVol");
    // Six channels: three groups, each shifted right by half the group pitch (140 / 2); no side group.
    EXPECT_NE(dialog.GetPixel(456 + 70 + 21 + 7, 40 + 31 + 200), empty);
    EXPECT_EQ(dialog.GetPixel(596 + 70 + 21 + 7, 40 + 31 + 200), empty);
    SaveBackBuffer(dialog, gallery / "apoSpeakerVol.png");
}

} // namespace
