// The shipped channel, bass management and environment pages: every text key they use has a text in each
// shipped culture, and each page draws its controls.
#include <gtest/gtest.h>

#include <regex>

#include "../ChannelPageFixture.h"
#include "../PageFiles.h"
#include "handlers/effects/EMHandler.h"
#include "handlers/effects/SubrouteHandler.h"
#include "handlers/endpoint/SpeakerSettingHandler.h"
#include "skin/LayerDialog.h"

using namespace oc::test;
namespace fs = std::filesystem;

namespace {

const char* const kPages[] = {"apoSpeakerSetting.lyt",   "apoSpeakerQuarterSetting.lyt", "apoHeadPhoneSetting.lyt",
                              "apoSPDIFOutSetting.lyt",  "apoSpeakerSubroute.lyt",       "apoSpeakerEM.lyt",
                              "apoSpeakerQuarterEM.lyt", "apoHeadPhoneEM.lyt",           "apoSPDIFOutEM.lyt"};

TEST(ChannelMarkup, EveryTextKeyHasATextInEachCulture) {
    const std::regex key("\"(ml_[A-Za-z0-9_]+)\"");
    for (const char* culture : {"en-US", "de-DE"}) {
        const auto texts = CultureTexts(culture);
        for (const char* page : kPages) {
            for (const std::string& used : Matches(ReadText(ShippedSkinDir() / page), key, 1))
                EXPECT_TRUE(texts.contains(used)) << culture << " " << page << " " << used;
        }
    }
}

TEST_F(ChannelPageTest, PagesDrawTheirControls) {
    const fs::path gallery = ProgramDir().parent_path() / "gallery";
    for (const auto& [key, text] : CultureTexts("en-US"))
        environment.m_texts[std::wstring(key.begin(), key.end())] = std::wstring(text.begin(), text.end());
    channel.PutCached(L"DevChannelNumControl", 8);
    channel.PutCached(L"OutputTerminalTypeControl#0", 1);
    channel.PutCached(L"OutputTerminalTypeControl#2", 7);
    channel.PutCached(L"Enable_BM_GFX", 1);
    channel.PutCached(L"BM_LargeSpeaker", 0x3);
    channel.PutCached(L"Enable_RFX_GFX", 1);
    channel.PutCached(L"RFX_ENVIRONMENT", 8);

    Open(L"SpeakerSetting", new CSpeakerSettingHandler);
    const uint32_t empty = dialog.GetPixel(740, 380);
    // The front left speaker tile (content at 16,64; tile at 64,26).
    EXPECT_NE(dialog.GetPixel(16 + 64 + 18, 64 + 26 + 18), empty);
    SaveBackBuffer(dialog, gallery / "apoSpeakerSetting.png");
    delete page->GetOwner();

    Open(L"SpeakerSubroute", new CSubrouteHandler);
    EXPECT_NE(dialog.GetPixel(16 + 58 + 18, 64 + 20 + 18), empty);
    SaveBackBuffer(dialog, gallery / "apoSpeakerSubroute.png");
    delete page->GetOwner();

    Open(L"SpeakerEM", static_cast<CEMHandler*>(new CSpeakerEMHandler));
    SaveBackBuffer(dialog, gallery / "apoSpeakerEM.png");
}

} // namespace
