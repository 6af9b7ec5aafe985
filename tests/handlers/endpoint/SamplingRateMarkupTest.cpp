// The shipped sampling-rate pages themselves: every control the handler looks for, no image the build does
// not produce, no text key either language lacks, and a drawn page.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "../TonePageFixture.h"
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

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::set<std::string> Matches(const std::string& text, const std::regex& pattern, int group = 0) {
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it)
        found.insert((*it)[group].str());
    return found;
}

std::map<std::string, std::string> CultureTexts(const char* culture) {
    std::map<std::string, std::string> texts;
    const std::regex entry("x:Key=\"(ml_[A-Za-z0-9_]+)\">([^<]*)<");
    for (const auto& file : fs::directory_iterator(ProgramDir() / "lang" / culture)) {
        if (file.path().extension() != ".xaml")
            continue;
        const std::string text = ReadText(file.path());
        for (auto it = std::sregex_iterator(text.begin(), text.end(), entry); it != std::sregex_iterator(); ++it)
            texts[(*it)[1].str()] = (*it)[2].str();
    }
    return texts;
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

TEST(SamplingRatePageFiles, NameOnlyBuiltImagesAndTranslatedTexts) {
    const std::map<std::string, std::string> english = CultureTexts("en-US");
    const std::map<std::string, std::string> german = CultureTexts("de-DE");
    for (const auto& page : kPages) {
        const fs::path file = ToneSkinDir() / (L"apo" + std::wstring(page.panel) + L".lyt");
        SCOPED_TRACE(file.filename().string());
        const std::string text = ReadText(file);
        ASSERT_FALSE(text.empty());
        for (const std::string& image : Matches(text, std::regex("\"([A-Za-z]+/[A-Za-z0-9_]+\\.png)\""), 1))
            EXPECT_TRUE(fs::exists(ToneSkinDir() / image)) << image;
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
