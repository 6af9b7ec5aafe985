#include "handlers/effects/VimoSurroundPageHandler.h"

#include <iterator>
#include <vector>

#include "app/IMainHandler.h"
#include "app/SoundPlayer.h"
#include "skin/IxSkinButton.h"
#include "skin/SkinCtrl.h"

namespace {

constexpr wchar_t kEnableKey[] = L"Enable_KESTAL_HPSPK_LFX";
constexpr wchar_t kChannelCountKey[] = L"DevChannelNumControl";
constexpr wchar_t kTestButton[] = L"BtnSpeakerTest";

// Indexed by the player's channel number.
constexpr const wchar_t* kSpeakerImages[CVimoSurroundPageHandler::kSpeakerCount] = {
    L"ImgLF", L"ImgRF", L"ImgLB", L"ImgRB", L"ImgCenter", L"ImgWoofer", L"ImgLS", L"ImgRS",
};

constexpr const wchar_t* kModeControls[] = {L"BtnVimoMusic", L"BtnVimoMusic_Text", L"BtnVimoMovie",
                                            L"BtnVimoMovie_Text"};

} // namespace

int CVimoSurroundPageHandler::SpeakerIndexFromImage(const std::wstring& image) {
    for (int i = 0; i < kSpeakerCount; ++i) {
        if (image == kSpeakerImages[i])
            return i;
    }
    return 0;
}

std::wstring CVimoSurroundPageHandler::ImageFromSpeakerIndex(int index) {
    return index >= 0 && index < kSpeakerCount ? kSpeakerImages[index] : L"";
}

bool CVimoSurroundPageHandler::Read(const wchar_t* key, uint32_t& value, bool storeInCache, bool fromCache,
                                    uint32_t size) const {
    return uintkey::Read(GetDriver(), key, value, storeInCache, fromCache, size);
}

bool CVimoSurroundPageHandler::Write(const wchar_t* key, uint32_t value) const {
    return uintkey::Write(GetDriver(), key, value);
}

void CVimoSurroundPageHandler::CheckButton(const std::wstring& name, bool on, BOOL redraw) const {
    if (auto* button = dynamic_cast<IxSkinButton*>(FindControl(name)))
        button->SetCheck(on ? 1 : 0, redraw);
}

bool CVimoSurroundPageHandler::ShowModeControls(const wchar_t* modeKey, BOOL enable, uint32_t& mode) {
    const bool hasMode = Read(modeKey, mode, true, false);
    for (const wchar_t* name : kModeControls) {
        CxSkinCtrl* control = FindControl(name);
        if (!control)
            continue;
        if (hasMode)
            control->Enable(enable, FALSE);
        else
            control->SetVisible(FALSE, FALSE);
    }
    return hasMode;
}

int CVimoSurroundPageHandler::PollSurround(std::span<const wchar_t* const> watchedWhileOn) const {
    IDriverInstance* driver = GetDriver();
    if (uintkey::Changed(driver, kEnableKey))
        return 1;
    uint32_t enable = 0;
    Read(kEnableKey, enable, false, true);
    // Settings behind a switch that is off are not shown live, so their changes do not matter yet.
    if (enable != 0) {
        for (const wchar_t* key : watchedWhileOn) {
            if (uintkey::Changed(driver, key))
                return 1;
        }
    }
    return uintkey::Changed(driver, kChannelCountKey, nullptr, kChannelCountSize) ? 1 : 0;
}

CSoundPlayer* CVimoSurroundPageHandler::Player() const {
    IMainHandler* main = GetMainHandler();
    return main ? dynamic_cast<CSoundPlayer*>(main->GetSoundPlayer()) : nullptr;
}

void CVimoSurroundPageHandler::RunSpeakerTest() {
    CSoundPlayer* player = Player();
    if (!player)
        return;
    if (!player->IsPlaying()) {
        player->SetListener(this);
        std::vector<uint32_t> sequence(std::begin(kTestSequence), std::end(kTestSequence));
        player->PlaySequence(sequence);
    } else {
        player->Stop(1);
    }
    CheckButton(kTestButton, player->IsPlaying(), FALSE);
}

bool CVimoSurroundPageHandler::OnTestClick(const std::wstring& name) {
    if (name == kTestButton) {
        RunSpeakerTest();
        return true;
    }
    for (int i = 0; i < kSpeakerCount; ++i) {
        if (name != kSpeakerImages[i])
            continue;
        if (CSoundPlayer* player = Player()) {
            player->SetListener(this);
            player->PlayChannel(i);
        }
        return true;
    }
    return false;
}

void CVimoSurroundPageHandler::ClearTestButtons() {
    CheckButton(kTestButton, false, TRUE);
    for (const wchar_t* image : kSpeakerImages)
        CheckButton(image, false, TRUE);
}

void CVimoSurroundPageHandler::ShowTestState(int channel, bool playing) {
    CSoundPlayer* player = Player();
    CheckButton(kTestButton, player && player->IsPlaying(), TRUE);
    const std::wstring image = ImageFromSpeakerIndex(channel);
    if (!image.empty())
        CheckButton(image, playing, TRUE);
}

void CVimoSurroundPageHandler::OnPlayStart(int channel) {
    ShowTestState(channel, true);
}

void CVimoSurroundPageHandler::OnPlayEnd(int channel) {
    ShowTestState(channel, false);
}
