#include "handlers/effects/KaraokeHandler.h"

#include "app/HandlerServices.h"
#include "driver/IDriverInstance.h"
#include "handlers/PageKeys.h"
#include "markup/StringUtils.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinSlider.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

namespace {

constexpr uint32_t kVocalCancelDefault = 50;

// Key shift goes below zero: its level is signed (kValueInt); the switches and vocal cancellation are
// unsigned (kValueUInt). Both are numbers of the default width.
bool ReadValue(IDriverInstance* driver, const wchar_t* key, int32_t type, int32_t& value, bool store, bool cache) {
    int32_t read = 0;
    if (!driver || driver->GetProperty(key, &read, type, kDefaultNumberSize, nullptr, 0, 0, store, cache) != 0)
        return false;
    value = read;
    return true;
}

bool WriteValue(IDriverInstance* driver, const wchar_t* key, int32_t type, int32_t value) {
    return driver && driver->SetProperty(key, &value, type, kDefaultNumberSize, nullptr, 0, 0) == 0;
}

} // namespace

// Even rows from 2 on belong to key shift, odd rows to vocal cancellation.
const wchar_t* const CKaraokeHandler::kControlNames[20] = {L"BtnEnableKeyShifting",
                                                           L"BtnEnableVocalCanellation",
                                                           L"KeyShifting",
                                                           L"VocalCanellation",
                                                           L"KeyShiftValue",
                                                           L"VocalCancelValue",
                                                           L"Tick1",
                                                           L"Tick6",
                                                           L"Tick2",
                                                           L"Tick7",
                                                           L"Tick3",
                                                           L"Tick8",
                                                           L"Tick4",
                                                           L"Tick9",
                                                           L"Tick5",
                                                           L"Tick10",
                                                           L"Low",
                                                           L"Voice",
                                                           L"High",
                                                           L"NoVoice"};

struct CKaraokeHandler::Group {
    const wchar_t* feature;
    const wchar_t* switchKey;
    const wchar_t* levelKey;
    int32_t levelWriteType; // from the slider
    int32_t resetValue;
    const wchar_t* button;
    const wchar_t* slider;
    const wchar_t* readOut;
    const wchar_t* resetButton;
    int firstRow; // of the rows that follow the switch, every second one from here
};

// clang-format off
const CKaraokeHandler::Group CKaraokeHandler::kGroups[2] = {
    {L"PitchShifter", L"Enable_KEYSHIFT_GFX", L"KEYSHIFT_LEVEL", kValueInt, 0,
     L"BtnEnableKeyShifting", L"KeyShifting", L"KeyShiftValue", L"BtnKSReset", 2},
    {L"VocalFading", L"Enable_VOCALCANCEL_GFX", L"VOCALCANCEL_LEVEL", kValueUInt, kVocalCancelDefault,
     L"BtnEnableVocalCanellation", L"VocalCanellation", L"VocalCancelValue", L"BtnVCReset", 3},
};
// clang-format on

CKaraokeHandler::CKaraokeHandler() {
    m_name = L"KaraokeHandler";
}

uint32_t& CKaraokeHandler::SwitchOf(const Group& group) {
    return &group == &kGroups[0] ? m_keyShiftOn : m_vocalCancelOn;
}

int32_t& CKaraokeHandler::LevelOf(const Group& group) {
    return &group == &kGroups[0] ? m_keyShiftLevel : m_vocalCancelLevel;
}

void CKaraokeHandler::InitControls() {
    LoadDriverValues();
    ApplyControlStates(true, true);
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

void CKaraokeHandler::LoadDriverValues() {
    IDriverInstance* driver = GetDriver();
    int32_t value = 0;
    if (ReadValue(driver, L"Enable_KEYSHIFT_GFX", kValueUInt, value, true, false))
        m_keyShiftOn = static_cast<uint32_t>(value);
    if (ReadValue(driver, L"Enable_VOCALCANCEL_GFX", kValueUInt, value, true, false))
        m_vocalCancelOn = static_cast<uint32_t>(value);
    if (ReadValue(driver, L"VOCALCANCEL_LEVEL", kValueUInt, value, true, false))
        m_vocalCancelLevel = value;
    // Key shift goes below zero: read it signed.
    if (ReadValue(driver, L"KEYSHIFT_LEVEL", kValueInt, value, true, false))
        m_keyShiftLevel = value;
}

void CKaraokeHandler::ApplyControlStates(bool keyShiftGroup, bool vocalCancelGroup) {
    if (keyShiftGroup)
        ApplyGroup(kGroups[0]);
    if (vocalCancelGroup)
        ApplyGroup(kGroups[1]);
    if (CxSkinCtrl* logo = FindControl(L"Chorvex_Logo"))
        logo->Enable(m_keyShiftOn != 0 || m_vocalCancelOn != 0, FALSE);
}

void CKaraokeHandler::ApplyGroup(const Group& group) {
    uint32_t& on = SwitchOf(group);
    IDriverInstance* driver = GetDriver();
    if (!driver || !driver->IsFeatureSupported(group.feature)) {
        // Shown off only; the device keeps what it holds.
        if (CxSkinCtrl* button = FindControl(group.button))
            button->Enable(FALSE, FALSE);
        on = 0;
    }
    if (auto* button = dynamic_cast<IxSkinButton*>(FindControl(group.button)))
        button->SetCheck(on != 0, FALSE);
    if (auto* slider = dynamic_cast<IxSkinSlider*>(FindControl(group.slider)))
        slider->SetPos(static_cast<float>(LevelOf(group)), FALSE);
    SetValueText(LevelOf(group), group.readOut);
    if (CxSkinCtrl* reset = FindControl(group.resetButton))
        reset->Enable(on != 0, FALSE);
    for (int row = group.firstRow; row < 20; row += 2) {
        if (CxSkinCtrl* control = FindControl(kControlNames[row]))
            control->Enable(on != 0, FALSE);
    }
}

void CKaraokeHandler::SetValueText(int32_t value, const wchar_t* control) {
    auto* ctrl = dynamic_cast<CxSkinCtrl*>(FindControl(control));
    if (!ctrl)
        return;
    std::wstring text;
    ctrl->SetText(FormatString(text, L"%d", static_cast<int>(value)));
    ctrl->Redraw(FALSE);
}

int CKaraokeHandler::WriteLevel(const Group& group, float position) {
    const int32_t value = TruncatePosition(position);
    if (!WriteValue(GetDriver(), group.levelKey, group.levelWriteType, value))
        return 0;
    LevelOf(group) = value;
    SetValueText(value, group.readOut);
    AnnounceChange(*this, group.levelKey, 0);
    if (m_owner)
        m_owner->Invalidate(FALSE);
    return 1;
}

int CKaraokeHandler::Toggle(const Group& group) {
    uint32_t& on = SwitchOf(group);
    on = on == 0 ? 1 : 0;
    if (!WriteValue(GetDriver(), group.switchKey, kValueUInt, on == 1 ? 1 : 0))
        return 0;
    ApplyControlStates(&group == &kGroups[0], &group == &kGroups[1]);
    if (m_owner)
        m_owner->Invalidate(FALSE);
    AnnounceChange(*this, group.switchKey, 1);
    return 1;
}

int CKaraokeHandler::Reset(const Group& group) {
    // The reset writes its value signed, whatever the slider path uses; both hold the same bits.
    if (!WriteValue(GetDriver(), group.levelKey, kValueInt, group.resetValue))
        return 0;
    LevelOf(group) = group.resetValue;
    if (auto* slider = dynamic_cast<IxSkinSlider*>(FindControl(group.slider)))
        slider->SetPos(static_cast<float>(group.resetValue), TRUE);
    SetValueText(group.resetValue, group.readOut);
    AnnounceChange(*this, group.levelKey, 0);
    return 1;
}

int CKaraokeHandler::EnableKeyShift() {
    return Toggle(kGroups[0]);
}
int CKaraokeHandler::SetKeyShiftLevel(float position) {
    return WriteLevel(kGroups[0], position);
}
int CKaraokeHandler::EnableVocalCancel() {
    return Toggle(kGroups[1]);
}
int CKaraokeHandler::SetVocalCancelLevel(float position) {
    return WriteLevel(kGroups[1], position);
}
int CKaraokeHandler::ResetKeyShift() {
    return Reset(kGroups[0]);
}
int CKaraokeHandler::ResetVocalCancel() {
    return Reset(kGroups[1]);
}

int CKaraokeHandler::UpdateFromDriver() {
    IDriverInstance* driver = GetDriver();
    for (const Group& group : kGroups) {
        int32_t live = 0;
        int32_t cached = 0;
        ReadValue(driver, group.switchKey, kValueUInt, live, false, false);
        ReadValue(driver, group.switchKey, kValueUInt, cached, false, true);
        if (live != cached)
            return 1;
        // A level behind a switch that is off is not live yet.
        if (live == 0)
            continue;
        live = cached = 0;
        ReadValue(driver, group.levelKey, group.levelWriteType, live, false, false);
        ReadValue(driver, group.levelKey, group.levelWriteType, cached, false, true);
        if (live != cached)
            return 1;
    }
    return 0;
}

int CKaraokeHandler::OnSliderChanged(const std::wstring& name, float position, int) {
    // Every move writes; the slider stays where it was dragged even when the device refuses.
    if (name == kGroups[0].slider)
        SetKeyShiftLevel(position);
    else if (name == kGroups[1].slider)
        SetVocalCancelLevel(position);
    else
        return 0;
    return 1;
}

int CKaraokeHandler::OnClick(const std::wstring& name) {
    if (name == L"BtnEnableKeyShifting")
        EnableKeyShift();
    else if (name == L"BtnKSReset")
        ResetKeyShift();
    else if (name == L"BtnVCReset")
        ResetVocalCancel();
    else if (name == L"BtnEnableVocalCanellation")
        EnableVocalCancel();
    return 1;
}

void CKaraokeHandler::InitDefaults(int32_t endpointCode) {
    InitDefaults(AppHandlerServices().GetDriver(), endpointCode);
}

void CKaraokeHandler::InitDefaults(IDriverInstance* driver, int32_t endpointCode) {
    static constexpr uintkey::Default kDefaults[] = {{L"Enable_KEYSHIFT_GFX", 0},
                                                     {L"Enable_VOCALCANCEL_GFX", 0},
                                                     {L"VOCALCANCEL_LEVEL", kVocalCancelDefault},
                                                     {L"KEYSHIFT_LEVEL", 0, kValueInt}};
    uintkey::WriteDefaults(driver, endpointCode, L"Enable_KEYSHIFT_GFX", kDefaults);
}
