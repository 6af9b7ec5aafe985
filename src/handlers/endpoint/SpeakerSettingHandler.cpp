#include "handlers/endpoint/SpeakerSettingHandler.h"

#include "app/SoundPlayer.h"
#include "driver/IDriverInstance.h"
#include "handlers/PageKeys.h"
#include "skin/LayerWnd.h"
#include "skin/SkinRadioButton.h"

namespace {

constexpr wchar_t kChannelKey[] = L"DevChannelNumControl";
constexpr wchar_t kCopyKey[] = L"Enable_Channel_COPY_LFX";
constexpr wchar_t kSwapLfeKey[] = L"Enable_SwapLfeCn_LFX";
constexpr wchar_t kSwapBackKey[] = L"Enable_SwapSrBk_LFX";
constexpr wchar_t kSurroundKey[] = L"Enable_KESTAL_HPSPK_LFX";

// The controls that belong to a layout from a channel count on, in the order the layout shows them.
struct LayoutControl {
    const wchar_t* name;
    int minChannels;
};
constexpr LayoutControl kLayout[] = {
    {L"ImgCenter", 6},
    {L"ImgWoofer", 6},
    {L"ImgLB", 4},
    {L"ImgRB", 4},
    {L"ImgLS", 8},
    {L"ImgRS", 8},
    {L"Canvas_ChannelCopy", 4},
    {L"Canvas_WooferCenterSwap", 6},
};

// The channel choices and the canvases hidden where the device plays fewer channels.
struct ChannelChoice {
    const wchar_t* radio;
    const wchar_t* canvas; // null: always offered
    int channels;
};
constexpr ChannelChoice kChoices[] = {
    {L"Channels2", nullptr, 2},
    {L"Channels4", L"Canvas_Channels4", 4},
    {L"Channels6", L"Canvas_Channels6", 6},
    {L"Channels8", L"Canvas_Channels8", 8},
};

// The whole test walks round the listener; a speaker plays only where its picture is shown.
struct TestStep {
    uint32_t speaker;
    const wchar_t* image; // null: always played
};
constexpr TestStep kTestWalk[] = {
    {0, nullptr},  {4, L"ImgCenter"}, {1, nullptr},  {7, L"ImgRS"},
    {3, L"ImgRB"}, {2, L"ImgLB"},     {6, L"ImgLS"}, {5, L"ImgWoofer"},
};

} // namespace

bool CSpeakerSettingHandler::IsShownForChannels(const std::wstring& name) const {
    for (const LayoutControl& row : kLayout) {
        if (name == row.name)
            return m_channels >= row.minChannels;
    }
    return true;
}

void CSpeakerSettingHandler::ApplySpeakerLayout(bool repaint) {
    for (const LayoutControl& row : kLayout)
        ShowControl(row.name, IsShownForChannels(row.name), FALSE);
    if (repaint && m_owner)
        m_owner->Invalidate(FALSE);
}

void CSpeakerSettingHandler::InitControls() {
    CSettingHandler::InitControls();
    IDriverInstance* driver = GetDriver();
    const int playable = driver ? static_cast<int>(driver->GetChannelCount(1)) : 2;
    uint32_t channels = 0;
    ReadUnsigned(kChannelKey, channels, kChannelCountSize, true);
    m_channels = static_cast<int>(channels);
    for (const ChannelChoice& choice : kChoices) {
        // Within its group: a count changed behind the page must not leave the old radio checked too.
        if (choice.channels == m_channels)
            if (auto* radio = dynamic_cast<CxSkinRadioButton*>(FindControl(choice.radio)))
                radio->Select(FALSE);
        if (choice.canvas && playable < choice.channels)
            ShowControl(choice.canvas, false, FALSE);
    }
    ApplySpeakerLayout(false);
    const bool copyOffered = driver && driver->IsFeatureSupported(L"Spaceline");
    ShowControl(L"ChannelCopy", copyOffered, FALSE);
    ShowControl(L"ChannelCopy_Text", copyOffered, FALSE);
    uint32_t value = 0;
    if (copyOffered && ReadUnsigned(kCopyKey, value, kDefaultNumberSize, true))
        CheckButton(L"ChannelCopy", value == 1 ? 1 : 0, FALSE);
    value = 0;
    ReadUnsigned(kSwapLfeKey, value, kDefaultNumberSize, true);
    CheckButton(L"WooferCenterSwap", value == 1 ? 1 : 0, FALSE);
    value = 0;
    ReadUnsigned(kSwapBackKey, value, kDefaultNumberSize, true);
    CheckButton(L"SideBackSwap", value == 1 ? 1 : 0, FALSE);
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

void CSpeakerSettingHandler::TurnOffSurroundAboveStereo() {
    // The surround effect renders two speakers only; more channels switch it and its up-mix path off.
    IDriverInstance* driver = GetDriver();
    uint32_t surround = 0;
    if (!uintkey::Read(driver, kSurroundKey, surround, false, false) || surround == 0 ||
        !uintkey::Write(driver, kSurroundKey, 0))
        return;
    uintkey::Write(driver, L"GFSControl", 0);
    AnnounceChange(*this, kSurroundKey, 1);
}

void CSpeakerSettingHandler::SetChannelNumber(int channels) {
    if (channels == m_channels)
        return;
    if (CSoundPlayer* player = Player(); player && player->IsPlaying())
        player->Stop(1);
    if (!WriteUnsigned(kChannelKey, static_cast<uint32_t>(channels), kChannelCountSize))
        return;
    m_channels = channels;
    if (channels > 2)
        TurnOffSurroundAboveStereo();
    ApplySpeakerLayout(true);
    AnnounceChange(*this, kChannelKey, 1);
}

void CSpeakerSettingHandler::StartSpeakerTest() {
    std::vector<uint32_t> speakers;
    for (const TestStep& step : kTestWalk) {
        if (!step.image || IsShownForChannels(step.image))
            speakers.push_back(step.speaker);
    }
    PlaySpeakers(std::move(speakers));
}

int CSpeakerSettingHandler::UpdateFromDriver() {
    // Polled as whole 4-byte numbers, the channel count included.
    IDriverInstance* driver = GetDriver();
    for (const wchar_t* key : {kChannelKey, kCopyKey, kSwapLfeKey, kSwapBackKey}) {
        if (uintkey::Changed(driver, key, nullptr, sizeof(uint32_t)))
            return 1;
    }
    return 0;
}
