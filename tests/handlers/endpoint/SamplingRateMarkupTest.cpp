// The shipped sampling-rate pages themselves: every control the handler looks for, no image the build does
// not produce, no text key either language lacks, and a drawn page.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "../TonePageFixture.h"
#include "../PageFiles.h"
#include "SkinTestSupport.h"
#include "handlers/endpoint/SPDIFOutSamplingRateHandler.h"
#include "skin/LayerDialog.h"

namespace oc::test {
namespace {

namespace fs = std::filesystem;

const struct {
    const wchar_t* panel;
    bool encodedOutputs;
} kPages[] = {
    {L"HDMISamplingRate", true},     {L"HeadPhoneSamplingRate", false},  {L"LineInSamplingRate", false},
    {L"MicInSamplingRate", false},   {L"DesktopMicSamplingRate", false}, {L"SPDIFInSamplingRate", false},
    {L"SPDIFOutSamplingRate", true}, {L"SpeakerSamplingRate", true},     {L"StereoMixSamplingRate", false},
};

const wchar_t* const kCommonControls[] = {
    L"BitDepth16", L"BitDepth24",  L"BitDepth32",    L"CanvasBitDepth", L"Canvas16",      L"Canvas24",
    L"Canvas32",   L"DiagramBits", L"Diagram16Bits", L"Diagram24Bits",  L"Diagram32Bits",
};

TEST(SamplingRatePageFiles, NameOnlyBuiltImagesAndTranslatedTexts) {
    const std::map<std::string, std::string> english = CultureTexts("en-US");
    const std::map<std::string, std::string> german = CultureTexts("de-DE");
    for (const auto& page : kPages) {
        const fs::path file = ShippedSkinDir() / (L"apo" + std::wstring(page.panel) + L".lyt");
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
}

TEST_F(TonePageTest, EverySamplingRatePageHasItsControls) {
    for (const auto& entry : kPages) {
        SCOPED_TRACE(std::string(entry.panel, entry.panel + wcslen(entry.panel)));
        Open(entry.panel, new TestHandler);
        std::vector<std::wstring> names(std::begin(kCommonControls), std::end(kCommonControls));
        for (const SamplingRateRow& row : g_SamplingRateTable)
            names.insert(names.end(), {row.canvas, row.radio, row.diagram});
        for (const std::wstring& name : names)
            EXPECT_NE(Control(name), nullptr) << std::string(name.begin(), name.end());
        for (const wchar_t* name :
             {L"CanvasDolbyDigitalLive", L"DolbyDigitalLive", L"CanvasDTSInteractive", L"DTSInteractive"})
            EXPECT_EQ(Control(name) != nullptr, entry.encodedOutputs) << std::string(name, name + wcslen(name));
        delete page->GetOwner(); // releases the handler with it
    }
}

TEST_F(TonePageTest, SamplingRatePageDraws) {
    const fs::path gallery = ProgramDir().parent_path() / "gallery";
    for (const auto& [key, text] : CultureTexts("en-US"))
        environment.m_texts[std::wstring(key.begin(), key.end())] = std::wstring(text.begin(), text.end());
    driver.PutCached(L"DevChannelNumControl", 2);
    driver.PutCached(L"DevSampleRateControl", 96000);
    driver.PutCached(L"DevBitDepthControl", 24);
    driver.m_features = {L"IsSupportDolbyDigitalLive", L"IsSupportDTSInteractive"};
    driver.PutCached(L"IsSupportFormat", 1); // every format accepted, whatever the query's arguments
    Open(L"SPDIFOutSamplingRate", new CSPDIFOutSamplingRateHandler);
    const uint32_t empty = dialog.GetPixel(740, 380);
    // The Dolby Digital Live choice at 16,240 and the last rate place (384 kHz, 16,192) draw their buttons.
    EXPECT_NE(dialog.GetPixel(16 + 40, 240 + 14), empty);
    EXPECT_NE(dialog.GetPixel(16 + 40, 192 + 14), empty);
    SaveBackBuffer(dialog, gallery / "apoSPDIFOutSamplingRate.png");
}

} // namespace
} // namespace oc::test
