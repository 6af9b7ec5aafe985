#include "handlers/effects/VimoSurroundSpeakersHandler.h"

#include <cmath>

#include "app/HandlerServices.h"
#include "skin/IxSkinSlider.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

namespace {

constexpr wchar_t kEnableKey[] = L"Enable_KESTAL_HPSPK_LFX";
constexpr wchar_t kUseHeadphoneKey[] = L"KESTAL_HPSPK_USEHP";
constexpr wchar_t kChannelCopyKey[] = L"Enable_Channel_COPY_LFX";
constexpr wchar_t kSoundFieldKey[] = L"KESTAL_HPSPK_SFX";
constexpr wchar_t kAngleKey[] = L"KESTAL_HPSPK_SPKANGLE";
constexpr wchar_t kModeKey[] = L"KESTAL_HPSPK_MODE";
constexpr wchar_t kChannelCountKey[] = L"DevChannelNumControl";

constexpr wchar_t kEnableButton[] = L"BtnEnableVimoSurroundSpeakers";

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

// Written in this order at start-up; the sound field keeps the device's own value.
constexpr uintkey::Default kDefaults[] = {
    {kEnableKey, 0}, {kUseHeadphoneKey, 0}, {kChannelCopyKey, 0}, {kAngleKey, 0}, {kModeKey, 0}};

// Compared against the cache while the effect is on, after the switch itself.
constexpr const wchar_t* kWatchedWhileOn[] = {kUseHeadphoneKey, kChannelCopyKey, kAngleKey, kSoundFieldKey, kModeKey};

} // namespace

CVimoSurroundSpeakersHandler::CVimoSurroundSpeakersHandler() {
    m_name = L"VimoSurroundSpeakersHandler";
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
    uintkey::WriteDefaults(driver, endpointCode, kEnableKey, kDefaults);
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
    Read(kChannelCountKey, channels, true, false, kChannelCountSize);
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
    if (ShowModeControls(kModeKey, on, mode)) {
        CheckButton(L"BtnVimoMusic", mode == 0, FALSE);
        CheckButton(L"BtnVimoMovie", mode == 1, FALSE);
    }
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CVimoSurroundSpeakersHandler::UpdateFromDriver() {
    return PollSurround(kWatchedWhileOn);
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
        ClearTestButtons();
    }
    InitControls();
    for (const wchar_t* key : {kEnableKey, kUseHeadphoneKey, kChannelCopyKey})
        AnnounceChange(*this, key, 1);
    return 1;
}

int CVimoSurroundSpeakersHandler::SetChannelCopy() {
    m_channelCopy = m_channelCopy == 0 ? 1 : 0;
    if (!Write(kChannelCopyKey, m_channelCopy))
        return 0;
    AnnounceChange(*this, kChannelCopyKey, 1);
    return 1;
}

int CVimoSurroundSpeakersHandler::SetSoundFieldExpansion(float position) {
    if (!std::isfinite(position) || position < 0.0f)
        return 0;
    if (!Write(kSoundFieldKey, static_cast<uint32_t>(position)))
        return 0;
    AnnounceChange(*this, kSoundFieldKey, 0);
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
    AnnounceChange(*this, kAngleKey, 0);
    m_speakerAngle = degrees;
    return 1;
}

int CVimoSurroundSpeakersHandler::SetMode(uint32_t mode) {
    if (Write(kModeKey, mode)) {
        AnnounceChange(*this, kModeKey, 0);
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
    if (OnTestClick(name))
        return 1;
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
