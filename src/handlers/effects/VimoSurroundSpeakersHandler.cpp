#include "handlers/effects/VimoSurroundSpeakersHandler.h"

#include <cmath>
#include <vector>

#include "app/HandlerServices.h"
#include "app/IMainHandler.h"
#include "app/SoundPlayer.h"
#include "driver/IDriverInstance.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinSlider.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

namespace {

constexpr int kUnsigned = 1;

constexpr wchar_t kEnableKey[] = L"Enable_KESTAL_HPSPK_LFX";
constexpr wchar_t kUseHeadphoneKey[] = L"KESTAL_HPSPK_USEHP";
constexpr wchar_t kChannelCopyKey[] = L"Enable_Channel_COPY_LFX";
constexpr wchar_t kSoundFieldKey[] = L"KESTAL_HPSPK_SFX";
constexpr wchar_t kAngleKey[] = L"KESTAL_HPSPK_SPKANGLE";
constexpr wchar_t kModeKey[] = L"KESTAL_HPSPK_MODE";
constexpr wchar_t kChannelCountKey[] = L"DevChannelNumControl";

constexpr wchar_t kEnableButton[] = L"BtnEnableVimoSurroundSpeakers";
constexpr wchar_t kTestButton[] = L"BtnSpeakerTest";

// Indexed by the player's channel number.
constexpr const wchar_t* kSpeakerImages[CVimoSurroundSpeakersHandler::kSpeakerCount] = {
    L"ImgLF", L"ImgRF", L"ImgLB", L"ImgRB", L"ImgCenter", L"ImgWoofer", L"ImgLS", L"ImgRS",
};

// Greyed while the speakers do not use the effect.
constexpr const wchar_t* kSurroundSpeakersControls[] = {
    L"VimoSurroundSpeakers_ChannelCopySF",
    L"Diagram",
    L"Vimo_Logo_BW",
    L"VimoSurroundSpeakers_Sound_Field_Expansion",
    L"VimoSurroundSpeakers_Speaker_Angle",
    L"Tick1",
    L"Tick2",
    L"Tick3",
    L"Tick4",
    L"Tick5",
    L"Tick6",
    L"Tick7",
    L"VimoSurroundSpeakers_Narrow",
    L"VimoSurroundSpeakers_Wide",
    L"Angle5",
    L"Angle10",
    L"Angle15",
    L"Angle20",
    L"Angle30",
};

constexpr const wchar_t* kModeControls[] = {L"BtnVimoMusic", L"BtnVimoMusic_Text", L"BtnVimoMovie",
                                            L"BtnVimoMovie_Text"};

// Written in this order at start-up; the sound field keeps the device's own value.
constexpr const wchar_t* kDefaultKeys[] = {kEnableKey, kUseHeadphoneKey, kChannelCopyKey, kAngleKey, kModeKey};

// Compared against the cache while the effect is on, after the switch itself.
constexpr const wchar_t* kWatchedWhileOn[] = {kUseHeadphoneKey, kChannelCopyKey, kAngleKey, kSoundFieldKey, kModeKey};

} // namespace

CVimoSurroundSpeakersHandler::CVimoSurroundSpeakersHandler() {
    m_name = L"VimoSurroundSpeakersHandler";
}

int CVimoSurroundSpeakersHandler::SpeakerIndexFromImage(const std::wstring& image) {
    for (int i = 0; i < kSpeakerCount; ++i) {
        if (image == kSpeakerImages[i])
            return i;
    }
    return 0;
}

std::wstring CVimoSurroundSpeakersHandler::ImageFromSpeakerIndex(int index) {
    return index >= 0 && index < kSpeakerCount ? kSpeakerImages[index] : L"";
}

float CVimoSurroundSpeakersHandler::AngleIndexToDegrees(uint32_t index) {
    return static_cast<float>((index == 4 ? 6 : index + 1) * 5);
}

int32_t CVimoSurroundSpeakersHandler::DegreesToAngleIndex(float degrees) {
    const int32_t q = static_cast<int32_t>(degrees) / 5;
    return q == 6 ? 4 : q - 1;
}

void CVimoSurroundSpeakersHandler::InitDefaults(int32_t endpointCode) {
    WriteDefaults(AppHandlerServices().GetDriver(), endpointCode);
}

void CVimoSurroundSpeakersHandler::WriteDefaults(IDriverInstance* driver, int32_t endpointCode) {
    if (!driver)
        return;
    uint32_t value = 0;
    if (driver->GetEndpointProperty(endpointCode, kEnableKey, &value, kUnsigned, 0, nullptr, 0, 0, true, false) == 0)
        return;
    const uint32_t zero = 0;
    for (const wchar_t* key : kDefaultKeys)
        driver->SetEndpointProperty(endpointCode, key, &zero, kUnsigned, 0, nullptr, 0, 0);
}

bool CVimoSurroundSpeakersHandler::Read(const wchar_t* key, uint32_t& value, bool storeInCache, bool fromCache,
                                        uint32_t size) const {
    IDriverInstance* driver = GetDriver();
    uint32_t read = 0;
    if (!driver || driver->GetProperty(key, &read, kUnsigned, size, nullptr, 0, 0, storeInCache, fromCache) != 0)
        return false;
    value = read;
    return true;
}

bool CVimoSurroundSpeakersHandler::Write(const wchar_t* key, uint32_t value) const {
    IDriverInstance* driver = GetDriver();
    return driver && driver->SetProperty(key, &value, kUnsigned, 0, nullptr, 0, 0) == 0;
}

void CVimoSurroundSpeakersHandler::Announce(const wchar_t* key, int fromSwitch) const {
    if (IMainHandler* main = GetMainHandler())
        main->UpdateStatusPanel(key, fromSwitch);
}

void CVimoSurroundSpeakersHandler::CheckButton(const std::wstring& name, bool on, BOOL redraw) const {
    if (auto* button = dynamic_cast<IxSkinButton*>(FindControl(name)))
        button->SetCheck(on ? 1 : 0, redraw);
}

void CVimoSurroundSpeakersHandler::LoadDriverValues() {
    uint32_t enable = 0;
    Read(kEnableKey, enable, true, false);
    if (enable != 0) {
        // The switch is shared with the headphone effect: it is the speakers' only while USEHP is 0.
        uint32_t useHeadphone = 0;
        Read(kUseHeadphoneKey, useHeadphone, true, false);
        enable = useHeadphone == 0 ? 1 : 0;
    }
    m_enable = enable;
    Read(kChannelCopyKey, m_channelCopy, true, false);
    uint32_t soundField = 0;
    if (Read(kSoundFieldKey, soundField, true, false))
        m_soundField = static_cast<float>(soundField);
    uint32_t angle = 0;
    if (Read(kAngleKey, angle, true, false))
        m_speakerAngle = AngleIndexToDegrees(angle);
}

void CVimoSurroundSpeakersHandler::InitControls() {
    uint32_t channels = 0;
    Read(kChannelCountKey, channels, true, false, 2);
    ShowGreyContent(channels != 2);
    LoadDriverValues();

    const BOOL on = m_enable != 0;
    CheckButton(kEnableButton, on, FALSE);
    if (CxSkinCtrl* diagram = FindControl(L"Speaker_Diagram_On"))
        diagram->SetVisible(on, FALSE);
    if (CxSkinCtrl* diagram = FindControl(L"Speaker_Diagram_Off"))
        diagram->SetVisible(!on, FALSE);

    CheckButton(L"ChannelCopy", m_channelCopy != 0, FALSE);
    if (CxSkinCtrl* copy = FindControl(L"ChannelCopy"))
        copy->Enable(on, FALSE);
    const std::pair<const wchar_t*, float> sliders[] = {{L"SFExpansion", m_soundField}, {L"SPKAngle", m_speakerAngle}};
    for (const auto& [name, position] : sliders) {
        CxSkinCtrl* control = FindControl(name);
        if (auto* slider = dynamic_cast<IxSkinSlider*>(control))
            slider->SetPos(position, FALSE);
        if (control)
            control->Enable(on, FALSE);
    }
    for (const wchar_t* name : kSurroundSpeakersControls) {
        if (CxSkinCtrl* control = FindControl(name))
            control->Enable(on, FALSE);
    }

    uint32_t mode = 0;
    const bool hasMode = Read(kModeKey, mode, true, false);
    for (const wchar_t* name : kModeControls) {
        CxSkinCtrl* control = FindControl(name);
        if (!control)
            continue;
        if (hasMode)
            control->Enable(on, FALSE);
        else
            control->SetVisible(FALSE, FALSE);
    }
    if (hasMode) {
        CheckButton(L"BtnVimoMusic", mode == 0, FALSE);
        CheckButton(L"BtnVimoMovie", mode == 1, FALSE);
    }
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CVimoSurroundSpeakersHandler::UpdateFromDriver() {
    auto changed = [this](const wchar_t* key, uint32_t size = 0) {
        uint32_t live = 0;
        uint32_t cached = 0;
        Read(key, live, false, false, size);
        Read(key, cached, false, true, size);
        return live != cached;
    };
    uint32_t enable = 0;
    if (changed(kEnableKey))
        return 1;
    Read(kEnableKey, enable, false, true);
    // Settings behind a switch that is off are not shown live, so their changes do not matter yet.
    if (enable != 0) {
        for (const wchar_t* key : kWatchedWhileOn) {
            if (changed(key))
                return 1;
        }
    }
    return changed(kChannelCountKey, 2) ? 1 : 0;
}

int CVimoSurroundSpeakersHandler::SetEnable() {
    m_enable = m_enable == 0 ? 1 : 0;
    if (!Write(kEnableKey, m_enable))
        return 0;
    if (m_enable != 0) {
        ApplyEffectRuleDHDVSSurrSens();
        Write(kUseHeadphoneKey, 0);
    } else {
        ApplyEffectRuleSS();
        CheckButton(kTestButton, false, TRUE);
        for (int i = 0; i < kSpeakerCount; ++i)
            CheckButton(ImageFromSpeakerIndex(i), false, TRUE);
    }
    InitControls();
    for (const wchar_t* key : {kEnableKey, kUseHeadphoneKey, kChannelCopyKey})
        Announce(key, 1);
    return 1;
}

int CVimoSurroundSpeakersHandler::SetChannelCopy() {
    m_channelCopy = m_channelCopy == 0 ? 1 : 0;
    if (!Write(kChannelCopyKey, m_channelCopy))
        return 0;
    Announce(kChannelCopyKey, 1);
    return 1;
}

int CVimoSurroundSpeakersHandler::SetSoundFieldExpansion(float position) {
    if (!std::isfinite(position) || position < 0.0f)
        return 0;
    if (!Write(kSoundFieldKey, static_cast<uint32_t>(position)))
        return 0;
    Announce(kSoundFieldKey, 0);
    m_soundField = position;
    return 1;
}

int CVimoSurroundSpeakersHandler::SetSpeakerAngle(float degrees) {
    // Below 5 degrees there is no index: writing -1 as an unsigned value would hand the driver 0xFFFFFFFF.
    if (!std::isfinite(degrees) || degrees > 1000.0f)
        return 0;
    const int32_t index = DegreesToAngleIndex(degrees);
    if (index < 0 || index > 4)
        return 0;
    if (!Write(kAngleKey, static_cast<uint32_t>(index)))
        return 0;
    Announce(kAngleKey, 0);
    m_speakerAngle = degrees;
    return 1;
}

int CVimoSurroundSpeakersHandler::SetMode(uint32_t mode) {
    if (Write(kModeKey, mode)) {
        Announce(kModeKey, 0);
        return 1;
    }
    // The radio the user picked has already marked itself: show the mode the device kept.
    uint32_t kept = 0;
    if (Read(kModeKey, kept, true, false)) {
        CheckButton(L"BtnVimoMusic", kept == 0, TRUE);
        CheckButton(L"BtnVimoMovie", kept == 1, TRUE);
    }
    return 0;
}

CSoundPlayer* CVimoSurroundSpeakersHandler::Player() const {
    IMainHandler* main = GetMainHandler();
    return main ? dynamic_cast<CSoundPlayer*>(main->GetSoundPlayer()) : nullptr;
}

void CVimoSurroundSpeakersHandler::RunSpeakerTest() {
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

void CVimoSurroundSpeakersHandler::TestSpeaker(const std::wstring& image) {
    if (CSoundPlayer* player = Player()) {
        player->SetListener(this);
        player->PlayChannel(SpeakerIndexFromImage(image));
    }
}

void CVimoSurroundSpeakersHandler::ShowTestState(int channel, bool playing) {
    CSoundPlayer* player = Player();
    CheckButton(kTestButton, player && player->IsPlaying(), TRUE);
    const std::wstring image = ImageFromSpeakerIndex(channel);
    if (!image.empty())
        CheckButton(image, playing, TRUE);
}

void CVimoSurroundSpeakersHandler::OnPlayStart(int channel) {
    ShowTestState(channel, true);
}

void CVimoSurroundSpeakersHandler::OnPlayEnd(int channel) {
    ShowTestState(channel, false);
}

int CVimoSurroundSpeakersHandler::OnSliderChanged(const std::wstring& name, float position, int) {
    if (name == L"SFExpansion")
        return SetSoundFieldExpansion(position);
    if (name == L"SPKAngle")
        return SetSpeakerAngle(position);
    return 0;
}

int CVimoSurroundSpeakersHandler::OnClick(const std::wstring& name) {
    if (name == kEnableButton)
        return SetEnable();
    if (name == L"ChannelCopy")
        return SetChannelCopy();
    if (name == kTestButton) {
        RunSpeakerTest();
        return 1;
    }
    for (const wchar_t* image : kSpeakerImages) {
        if (name == image) {
            TestSpeaker(name);
            return 1;
        }
    }
    if (name == L"ChannelsSetting") {
        RequestSettingContent();
        return 1;
    }
    if (name == L"BtnVimoMusic")
        return SetMode(0);
    if (name == L"BtnVimoMovie")
        return SetMode(1);
    return 1;
}
