#include "handlers/endpoint/SettingHandler.h"

#include <iterator>

#include "app/IMainHandler.h"
#include "app/OvercoatApp.h"
#include "app/SoundPlayer.h"
#include "driver/IDriverInstance.h"
#include "handlers/PageKeys.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinComboBox.h"
#include "skin/LayerWnd.h"
#include "skin/SkinButton.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinDraw.h"

namespace {

constexpr wchar_t kOutputKey[] = L"OutputTerminalTypeControl";
constexpr wchar_t kChannelKey[] = L"DevChannelNumControl";
constexpr wchar_t kCopyKey[] = L"Enable_Channel_COPY_LFX";
constexpr wchar_t kSwapLfeKey[] = L"Enable_SwapLfeCn_LFX";
constexpr wchar_t kSwapBackKey[] = L"Enable_SwapSrBk_LFX";
constexpr wchar_t kTestButton[] = L"BtnSpeakerTest";
constexpr int32_t kSelectCurrent = 0;
constexpr int32_t kSelectAvailable = 2;

// The output terminal: a signed number, with a signed selector as its argument.
// The outputs the device can switch to: the list text, its availability bit and the device's value.
struct OutputTerminal {
    const wchar_t* text;
    int bit;
    int32_t value;
};
constexpr OutputTerminal g_OutputDeviceTable[] = {
    {L"Speaker", 1, 1},
    {L"HeadPhone", 2, 2},
    {L"SPDIF Out", 4, 3},
};

// The speaker pictures in the player's channel order.
constexpr const wchar_t* kSpeakerImages[] = {
    L"ImgLF", L"ImgRF", L"ImgLB", L"ImgRB", L"ImgCenter", L"ImgWoofer", L"ImgLS", L"ImgRS",
};

int SpeakerOfImage(const std::wstring& name) {
    for (int i = 0; i < static_cast<int>(std::size(kSpeakerImages)); ++i) {
        if (name == kSpeakerImages[i])
            return i;
    }
    return -1;
}

bool ReadOutput(IDriverInstance* driver, int32_t selector, int32_t& value) {
    int32_t read = 0;
    int32_t argument = selector;
    if (driver->GetProperty(kOutputKey, &read, kValueInt, kDefaultNumberSize, &argument, kValueInt, sizeof argument,
                            true, false) != 0)
        return false;
    value = read;
    return true;
}

} // namespace

bool CSettingHandler::ReadUnsigned(const wchar_t* key, uint32_t& value, uint32_t size, bool storeInCache) const {
    uint32_t read = 0;
    if (!uintkey::Read(GetDriver(), key, read, storeInCache, false, size))
        return false;
    value = size == kChannelCountSize ? (read & 0xFFFF) : read;
    return true;
}

bool CSettingHandler::WriteUnsigned(const wchar_t* key, uint32_t value, uint32_t size) const {
    IDriverInstance* driver = GetDriver();
    return driver && driver->SetProperty(key, &value, kValueUInt, size, nullptr, 0, 0) == kDriverOk;
}

void CSettingHandler::CheckButton(const wchar_t* name, int on, BOOL redraw) const {
    if (auto* button = dynamic_cast<IxSkinButton*>(FindControl(name)))
        button->SetCheck(on, redraw);
}

void CSettingHandler::ShowControl(const wchar_t* name, bool shown, BOOL redraw) const {
    if (CxSkinCtrl* control = FindControl(name))
        control->SetVisible(shown, redraw);
}

CSoundPlayer* CSettingHandler::Player() const {
    IMainHandler* main = GetMainHandler();
    return main ? dynamic_cast<CSoundPlayer*>(main->GetSoundPlayer()) : nullptr;
}

void CSettingHandler::FillOutputTerminals() {
    IDriverInstance* driver = GetDriver();
    auto* combo = dynamic_cast<IxSkinComboBox*>(FindControl(kOutputKey));
    int32_t current = 0;
    if (!driver || !ReadOutput(driver, kSelectCurrent, current)) {
        ShowControl(kOutputKey, false, FALSE);
        return;
    }
    int32_t bits = 0;
    ReadOutput(driver, kSelectAvailable, bits);
    if (combo && bits != m_outputBits) {
        combo->ResetContent();
        for (const OutputTerminal& row : g_OutputDeviceTable) {
            if ((bits & row.bit) == 0)
                continue;
            const int item = combo->AddString(row.text);
            combo->SetItemName(item, row.text);
        }
        m_outputBits = bits;
    }
    if (bits == 0) {
        ShowControl(kOutputKey, false, FALSE);
        return;
    }
    const OutputTerminal* match = &g_OutputDeviceTable[0];
    for (const OutputTerminal& row : g_OutputDeviceTable) {
        if (row.value == current) {
            match = &row;
            break;
        }
    }
    if (!combo)
        return;
    for (int i = 0; i < combo->GetCount(); ++i) {
        if (combo->GetItemName(i) == match->text) {
            ShowControl(kOutputKey, true, FALSE);
            combo->SetCurSel(i, TRUE);
            return;
        }
    }
}

void CSettingHandler::InitControls() {
    FillOutputTerminals();
    if (CSoundPlayer* player = Player())
        player->SetListener(this);
}

int CSettingHandler::OnComboBoxSelChange(const std::wstring& name, int index) {
    if (name != kOutputKey)
        return 1;
    auto* combo = dynamic_cast<IxSkinComboBox*>(FindControl(kOutputKey));
    IDriverInstance* driver = GetDriver();
    if (!combo || !driver || index < 0 || index >= combo->GetCount())
        return 1;
    const std::wstring text = combo->GetItemName(index);
    for (const OutputTerminal& row : g_OutputDeviceTable) {
        if (text != row.text)
            continue;
        int32_t value = row.value;
        int32_t argument = 0;
        // The device comes back under another endpoint; the main window finishes the switch then. A refused
        // write switches nothing, so no later arrival may be taken for it.
        if (driver->SetProperty(kOutputKey, &value, kValueInt, kDefaultNumberSize, &argument, kValueInt,
                                sizeof argument) != 0)
            return 1;
        if (auto* app = dynamic_cast<COvercoatApp*>(AfxGetApp()))
            app->m_nPendingOutputTerminal = 1;
        return 1;
    }
    return 1;
}

void CSettingHandler::Toggle(const wchar_t* key, const wchar_t* button, bool isChannelCopy) {
    uint32_t old = 0;
    ReadUnsigned(key, old, kDefaultNumberSize, true);
    const uint32_t value = old == 1 ? 0 : 1;
    if (!uintkey::Write(GetDriver(), key, value)) {
        CheckButton(button, static_cast<int>(old), FALSE);
        return;
    }
    if (isChannelCopy && value == 1)
        ApplyEffectRulePLIIxNeo();
    AnnounceChange(*this, key, 1);
}

void CSettingHandler::SetChannelCopy() {
    Toggle(kCopyKey, L"ChannelCopy", true);
}

void CSettingHandler::SetWooferCenterSwap() {
    Toggle(kSwapLfeKey, L"WooferCenterSwap", false);
}

void CSettingHandler::SetSideBackSwap() {
    Toggle(kSwapBackKey, L"SideBackSwap", false);
}

bool CSettingHandler::IsClickIntervalElapsed() {
    const DWORD now = Now();
    if (m_lastClick != 0 && now - m_lastClick <= kClickIntervalMs)
        return false;
    m_lastClick = now;
    return true;
}

void CSettingHandler::SetSpeakerImagesClickable(bool clickable) {
    for (const wchar_t* image : kSpeakerImages) {
        if (auto* button = dynamic_cast<CxSkinButton*>(FindControl(image)))
            button->SetClickArmed(clickable ? TRUE : FALSE);
    }
}

void CSettingHandler::PlaySpeakers(std::vector<uint32_t> speakers) {
    if (CSoundPlayer* player = Player())
        player->PlaySequence(speakers);
}

void CSettingHandler::PlayFrontPair() {
    PlaySpeakers({0, 1});
}

void CSettingHandler::ToggleWholeTest() {
    CSoundPlayer* player = Player();
    if (!player || !IsClickIntervalElapsed())
        return;
    if (player->IsPlaying()) {
        SetSpeakerImagesClickable(true);
        player->Stop(1);
    } else {
        SetSpeakerImagesClickable(false);
        player->SetListener(this);
        StartSpeakerTest();
    }
    CheckButton(kTestButton, player->IsPlaying() ? 1 : 0, FALSE);
    xSkinFlushMouseMessages();
}

void CSettingHandler::TestOneSpeaker(const std::wstring& image) {
    CSoundPlayer* player = Player();
    if (player && IsClickIntervalElapsed() && !player->IsPlaying()) {
        SetSpeakerImagesClickable(false);
        player->SetListener(this);
        player->PlayChannel(SpeakerOfImage(image));
    } else {
        CheckButton(image.c_str(), 0, TRUE);
    }
    xSkinFlushMouseMessages();
}

int CSettingHandler::OnButtonClick(const std::wstring& name) {
    static const struct {
        const wchar_t* button;
        int channels;
    } kChannelButtons[] = {
        {L"HeadPhone", 2}, {L"Channels2", 2}, {L"Channels4", 4}, {L"Channels6", 6}, {L"Channels8", 8}};
    for (const auto& row : kChannelButtons) {
        if (name == row.button) {
            SetChannelNumber(row.channels);
            return 1;
        }
    }
    if (name == L"ChannelCopy")
        SetChannelCopy();
    else if (name == L"WooferCenterSwap")
        SetWooferCenterSwap();
    else if (name == L"SideBackSwap")
        SetSideBackSwap();
    else if (name == kTestButton)
        ToggleWholeTest();
    else if (SpeakerOfImage(name) >= 0)
        TestOneSpeaker(name);
    return 1;
}

void CSettingHandler::OnPlayStart(int channel) {
    CSoundPlayer* player = Player();
    CheckButton(kTestButton, player && player->IsPlaying() ? 1 : 0, TRUE);
    if (channel >= 0 && channel < static_cast<int>(std::size(kSpeakerImages)))
        CheckButton(kSpeakerImages[channel], 1, TRUE);
}

void CSettingHandler::OnSoundPlayEnd(int channel) {
    CSoundPlayer* player = Player();
    CheckButton(kTestButton, player && player->IsPlaying() ? 1 : 0, TRUE);
    if (channel >= 0 && channel < static_cast<int>(std::size(kSpeakerImages)))
        CheckButton(kSpeakerImages[channel], 0, TRUE);
    if (!player || !player->IsSequence())
        SetSpeakerImagesClickable(true);
}

void CSettingHandler::OnDeactivate() {
    CSoundPlayer* player = Player();
    if (player && player->IsPlaying())
        StopSoundOnWorker(FALSE);
}

void CSettingHandler::SetStereoChannelNumber(int channels) {
    if (channels == m_channels || !WriteUnsigned(kChannelKey, static_cast<uint32_t>(channels), kChannelCountSize))
        return;
    m_channels = channels;
    AnnounceChange(*this, kChannelKey, 1);
}

void CSettingHandler::ApplyToDevice(IDriverInstance* driver, int32_t endpointCode) {
    if (!driver)
        return;
    // Unlike the effect pages' defaults, these go as whole 4-byte numbers, the channel count included.
    uint32_t channels = 0;
    if (driver->GetEndpointProperty(endpointCode, kChannelKey, &channels, kValueUInt, sizeof channels, nullptr, 0, 0,
                                    true, false) == kDriverOk)
        return;
    const struct {
        const wchar_t* key;
        uint32_t value;
    } defaults[] = {{kChannelKey, 2}, {kSwapBackKey, 0}, {kSwapLfeKey, 0}, {kCopyKey, 0}};
    for (const auto& row : defaults) {
        uint32_t value = row.value;
        driver->SetEndpointProperty(endpointCode, row.key, &value, kValueUInt, sizeof value, nullptr, 0, 0);
    }
    int32_t speaker = 1;
    int32_t argument = 0;
    driver->SetEndpointProperty(endpointCode, kOutputKey, &speaker, kValueInt, kDefaultNumberSize, &argument, kValueInt,
                                sizeof argument);
}
