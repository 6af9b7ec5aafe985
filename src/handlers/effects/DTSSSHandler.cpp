#include "handlers/effects/DTSSSHandler.h"

#include "app/HandlerServices.h"
#include "driver/IDriverInstance.h"
#include "handlers/PageKeys.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinSlider.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinRadioButton.h"

namespace {

constexpr wchar_t kEnableKey[] = L"Enable_SURRSENS_LFX";
constexpr wchar_t kUseHeadphoneKey[] = L"Enable_SURRSENS_USEHP";
constexpr wchar_t kContentTypeKey[] = L"SURRSENS_CONTENTTYPE";
constexpr wchar_t kExpansionKey[] = L"SURRSENS_EXPFACTOR";
constexpr wchar_t kAngleKey[] = L"SURRSENS_SPEAKERANGLE";
constexpr wchar_t kMixLfeKey[] = L"SURRSENS_MIXLFE";
constexpr wchar_t kClarityKey[] = L"ENABLE_SURRSENS_DIALOGCLARITY";
constexpr wchar_t kClarityGainKey[] = L"SURRSENS_DIALOGCLARITY_GAIN";
constexpr wchar_t kChannelCountKey[] = L"DevChannelNumControl";

constexpr wchar_t kEnableButton[] = L"EnableDTSSS";
constexpr wchar_t kEnableCanvas[] = L"CanvasEnableDTSSS";
constexpr wchar_t kClarityButton[] = L"DTSVoiceClarity";
constexpr wchar_t kMixLfeButton[] = L"MixLFEChanneltoOutput";
constexpr wchar_t kClarityGainCanvas[] = L"CanvasDTSVoiceClarityGain";
constexpr wchar_t kExpansionSlider[] = L"SoundStageExpansionFactor";
constexpr wchar_t kAngleSlider[] = L"PhysicalSpeakerAngle";
constexpr wchar_t kClarityGainSlider[] = L"DTSVoiceClarityGain";
constexpr wchar_t kExpansionCanvas[] = L"CanvasExpanFactor";
constexpr wchar_t kAngleCanvas[] = L"CanvasSpeakerAngle";

// Written in this order on an endpoint that has never had the effect.
constexpr uintkey::Default kDefaults[] = {
    {kEnableKey, 0},  {kUseHeadphoneKey, 0}, {kContentTypeKey, 0}, {kExpansionKey, 0},
    {kClarityKey, 0}, {kClarityGainKey, 0},  {kMixLfeKey, 0},      {kAngleKey, 5},
};

// Compared against the cache after the switch, while the effect is on.
constexpr const wchar_t* kWatchedWhileOn[] = {kContentTypeKey, kExpansionKey, kClarityKey,     kClarityGainKey,
                                              kAngleKey,       kMixLfeKey,    kUseHeadphoneKey};

// The slider handed to each setter; a position is cut to its whole part.
struct SliderSetter {
    const wchar_t* slider;
    int (CDTSSSHandler::*set)(uint32_t);
};
constexpr SliderSetter kSliderSetters[] = {
    {kExpansionSlider, &CDTSSSHandler::SetExpansionFactor},
    {kAngleSlider, &CDTSSSHandler::SetSpeakerAngle},
    {kClarityGainSlider, &CDTSSSHandler::SetDialogClarityGain},
};

} // namespace

CDTSSSHandler::CDTSSSHandler() {
    m_name = L"DTSSSHandler";
}

void CDTSSSHandler::InitDefaults(int32_t endpointCode) {
    WriteDefaults(AppHandlerServices().GetDriver(), endpointCode);
}

void CDTSSSHandler::WriteDefaults(IDriverInstance* driver, int32_t endpointCode) {
    uintkey::WriteDefaults(driver, endpointCode, kEnableKey, kDefaults);
}

uint32_t CDTSSSHandler::Read(const wchar_t* key) const {
    uint32_t value = 0;
    uintkey::Read(GetDriver(), key, value, true, false);
    return value;
}

int CDTSSSHandler::Write(const wchar_t* key, uint32_t value) const {
    // Without a driver object the write cannot have happened: it reports a failure, never success.
    return uintkey::WriteResult(GetDriver(), key, value);
}

int CDTSSSHandler::WriteAndAnnounce(const wchar_t* key, uint32_t value) const {
    const int result = Write(key, value);
    AnnounceChange(*this, key, 0);
    return result;
}

void CDTSSSHandler::CheckButton(const wchar_t* name, uint32_t on, BOOL redraw) const {
    if (auto* button = dynamic_cast<IxSkinButton*>(FindControl(name)))
        button->SetCheck(on != 0 ? 1 : 0, redraw);
}

void CDTSSSHandler::SelectRadio(const wchar_t* name) const {
    if (auto* radio = dynamic_cast<CxSkinRadioButton*>(FindControl(name)))
        radio->Select(FALSE);
}

void CDTSSSHandler::SetSlider(const wchar_t* name, uint32_t value) const {
    if (auto* slider = dynamic_cast<IxSkinSlider*>(FindControl(name)))
        slider->SetPos(static_cast<float>(value), FALSE);
}

void CDTSSSHandler::EnableCanvas(const wchar_t* name, uint32_t enable, BOOL redraw) const {
    if (CxSkinCtrl* control = FindControl(name))
        control->Enable(enable != 0 ? TRUE : FALSE, redraw);
}

void CDTSSSHandler::RedrawOwner() const {
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CDTSSSHandler::SetEnable() {
    const uint32_t enable = Read(kEnableKey) == 0 ? 1 : 0;
    const int result = Write(kEnableKey, enable);
    if (result != 0)
        return result;
    if (enable == 1)
        ApplyEffectRuleDHDVS();
    CheckButton(kEnableButton, enable, FALSE);
    EnableCanvas(kEnableCanvas, enable, FALSE);
    AnnounceChange(*this, kEnableKey, 1);
    RedrawOwner();
    return 0;
}

uint32_t CDTSSSHandler::GetEnable() {
    return Read(kEnableKey);
}

int CDTSSSHandler::SetUseHeadphone(uint32_t value) {
    const int result = WriteAndAnnounce(kUseHeadphoneKey, value);
    UpdateDiagrams(TRUE);
    return result;
}

uint32_t CDTSSSHandler::GetUseHeadphone() {
    return Read(kUseHeadphoneKey);
}

int CDTSSSHandler::SetContentType(uint32_t value) {
    return WriteAndAnnounce(kContentTypeKey, value);
}

uint32_t CDTSSSHandler::GetContentType() {
    return Read(kContentTypeKey);
}

int CDTSSSHandler::SetExpansionFactor(uint32_t value) {
    return WriteAndAnnounce(kExpansionKey, value);
}

uint32_t CDTSSSHandler::GetExpansionFactor() {
    return Read(kExpansionKey);
}

int CDTSSSHandler::SetSpeakerAngle(uint32_t value) {
    return WriteAndAnnounce(kAngleKey, value);
}

uint32_t CDTSSSHandler::GetSpeakerAngle() {
    return Read(kAngleKey);
}

int CDTSSSHandler::SetMixLFE(uint32_t value) {
    return WriteAndAnnounce(kMixLfeKey, value != 0 ? 1 : 0);
}

uint32_t CDTSSSHandler::GetMixLFE() {
    return Read(kMixLfeKey);
}

int CDTSSSHandler::SetDialogClarity(uint32_t value) {
    const int result = Write(kClarityKey, value != 0 ? 1 : 0);
    if (result != 0)
        return result;
    EnableCanvas(kClarityGainCanvas, value, TRUE);
    AnnounceChange(*this, kClarityKey, 0);
    return 0;
}

uint32_t CDTSSSHandler::GetDialogClarity() {
    return Read(kClarityKey);
}

int CDTSSSHandler::SetDialogClarityGain(uint32_t value) {
    return WriteAndAnnounce(kClarityGainKey, value);
}

uint32_t CDTSSSHandler::GetDialogClarityGain() {
    return Read(kClarityGainKey);
}

void CDTSSSHandler::UpdateDiagrams(BOOL redraw) {
    const bool headphone = GetUseHeadphone() != 0;
    if (CxSkinCtrl* diagram = FindControl(L"DiagramSpeaker"))
        diagram->SetVisible(headphone ? FALSE : TRUE, FALSE);
    if (CxSkinCtrl* diagram = FindControl(L"DiagramHeadphone"))
        diagram->SetVisible(headphone ? TRUE : FALSE, FALSE);
    EnableControl(kExpansionCanvas, FALSE);
    EnableControl(kAngleCanvas, FALSE);
    if (redraw)
        RedrawOwner();
}

void CDTSSSHandler::InitControls() {
    uint32_t channels = 0; // unreadable: not stereo
    uintkey::Read(GetDriver(), kChannelCountKey, channels, true, false, kChannelCountSize);
    const bool stereo = (channels & 0xFFFF) == 2;
    ShowMainContent(stereo ? TRUE : FALSE);
    if (stereo) {
        const uint32_t enable = GetEnable();
        CheckButton(kEnableButton, enable, FALSE);
        EnableCanvas(kEnableCanvas, enable, FALSE);
        SelectRadio(GetUseHeadphone() != 0 ? L"ModeHeadphone" : L"ModeSpeaker");
        UpdateDiagrams(FALSE);
        SelectRadio(GetContentType() != 0 ? L"ContentTypeMusic" : L"ContentTypeMovie");
        const uint32_t clarity = GetDialogClarity();
        CheckButton(kClarityButton, clarity, FALSE);
        EnableCanvas(kClarityGainCanvas, clarity, FALSE);
        CheckButton(kMixLfeButton, GetMixLFE(), FALSE);
        SetSlider(kClarityGainSlider, GetDialogClarityGain());
        SetSlider(kExpansionSlider, GetExpansionFactor());
        SetSlider(kAngleSlider, GetSpeakerAngle());
    }
    RedrawOwner();
}

int CDTSSSHandler::UpdateFromDriver() {
    return uintkey::SwitchOrSettingsChanged(GetDriver(), kEnableKey, kWatchedWhileOn) ? 1 : 0;
}

int CDTSSSHandler::IsControlEnabled(const std::wstring& name) {
    // The sound-stage sliders shape the speakers' image: they mean nothing on headphones.
    if (name == kExpansionCanvas || name == kAngleCanvas)
        return GetUseHeadphone() == 0 ? 1 : 0;
    return 1;
}

int CDTSSSHandler::OnClick(const std::wstring& name) {
    auto checkOf = [this](const wchar_t* button, int (CDTSSSHandler::*set)(uint32_t)) {
        if (auto* control = dynamic_cast<IxSkinButton*>(FindControl(button)))
            (this->*set)(control->GetCheck() != 0 ? 1 : 0);
        return 1;
    };
    if (name == kEnableButton)
        SetEnable();
    else if (name == L"ModeSpeaker")
        SetUseHeadphone(0);
    else if (name == L"ModeHeadphone")
        SetUseHeadphone(1);
    else if (name == L"ContentTypeMovie")
        SetContentType(0);
    else if (name == L"ContentTypeMusic")
        SetContentType(1);
    else if (name == kClarityButton)
        return checkOf(kClarityButton, &CDTSSSHandler::SetDialogClarity);
    else if (name == kMixLfeButton)
        return checkOf(kMixLfeButton, &CDTSSSHandler::SetMixLFE);
    else if (name == L"ChannelsSetting")
        RequestSettingContent();
    else
        return 0;
    return 1;
}

int CDTSSSHandler::OnSliderChanged(const std::wstring& name, float position, int) {
    for (const SliderSetter& entry : kSliderSetters) {
        if (name == entry.slider)
            return (this->*entry.set)(position > 0.0f ? static_cast<uint32_t>(position) : 0);
    }
    return 0;
}
