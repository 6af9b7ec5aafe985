#include "handlers/effects/EMHandler.h"

#include "handlers/PageKeys.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinComboBox.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinRadioButton.h"

namespace {

constexpr wchar_t kEnableKey[] = L"Enable_RFX_GFX";
constexpr wchar_t kRoomSizeKey[] = L"RFX_ROOMSIZE";
constexpr wchar_t kEnvironmentKey[] = L"RFX_ENVIRONMENT";
constexpr wchar_t kEnableButton[] = L"BtnEnableEM";
constexpr wchar_t kEffectList[] = L"EffectList";

// Room size buttons in the order the page refreshes them.
struct RoomButton {
    const wchar_t* name;
    uint32_t size;
};
constexpr RoomButton kRoomButtons[] = {
    {L"BtnLargeRoom", 2},
    {L"BtnMediumRoom", 1},
    {L"BtnSmallRoom", 0},
};

// Shortcut buttons: each names one environment of the list (list index = environment - 1).
struct Shortcut {
    const wchar_t* name;
    uint32_t environment;
};
constexpr Shortcut kShortcuts[] = {
    {L"BtnUnderWater", 23},
    {L"BtnPsychotic", 26},
    {L"BtnBathroom", 4},
    {L"BtnConcertHall", 8},
};

// Polled after the switch, while it is on.
constexpr const wchar_t* kWatchedWhileOn[] = {kRoomSizeKey, kEnvironmentKey};

// Off, small room and the first environment.
constexpr uintkey::Default kDefaults[] = {{kEnableKey, 0}, {kRoomSizeKey, 0}, {kEnvironmentKey, 1}};

} // namespace

uint32_t CEMHandler::Read(const wchar_t* key) const {
    uint32_t value = 0;
    uintkey::Read(GetDriver(), key, value, true, false);
    return value;
}

void CEMHandler::EnableByRule(const wchar_t* name) {
    if (CxSkinCtrl* control = FindControl(name))
        control->Enable(IsControlEnabled(name) != 0, FALSE);
}

void CEMHandler::SetButtonCheck(const wchar_t* name, int on, BOOL redraw) {
    if (auto* button = dynamic_cast<IxSkinButton*>(FindControl(name)))
        button->SetCheck(on, redraw);
}

void CEMHandler::SelectRadio(const wchar_t* name, BOOL redraw) {
    if (auto* radio = dynamic_cast<CxSkinRadioButton*>(FindControl(name)))
        radio->Select(redraw);
}

int CEMHandler::IsControlEnabled(const std::wstring& name) {
    if (name == kEnableButton)
        return 1;
    // A fresh read per control: the device, not the page, knows whether the effect is on.
    return Read(kEnableKey) != 0 ? 1 : 0;
}

void CEMHandler::ApplyControlStates(bool fromDriver, bool repaint) {
    if (fromDriver)
        SetButtonCheck(kEnableButton, Read(kEnableKey) != 0, FALSE);
    const uint32_t roomSize = Read(kRoomSizeKey);
    for (const RoomButton& room : kRoomButtons) {
        EnableByRule(room.name);
        if (fromDriver && roomSize == room.size)
            SelectRadio(room.name, FALSE);
    }
    EnableByRule(L"TextRoomSize");
    EnableByRule(L"EM_Logo");
    const uint32_t environment = Read(kEnvironmentKey);
    EnableByRule(kEffectList);
    if (auto* list = dynamic_cast<IxSkinComboBox*>(FindControl(kEffectList)))
        list->SetCurSel(static_cast<int>(environment) - 1, FALSE);
    if (CxSkinCtrl* inList = FindControl(L"BtnEffectInCombox"))
        inList->SetVisible(UpdateView() != 0, FALSE);
    EnableByRule(L"TextEM");
    for (const Shortcut& shortcut : kShortcuts) {
        EnableByRule(shortcut.name);
        if (environment == shortcut.environment)
            SelectRadio(shortcut.name, FALSE);
        else
            SetButtonCheck(shortcut.name, 0, FALSE);
    }
    if (repaint && m_owner) {
        if (auto* control = dynamic_cast<CxSkinCtrl*>(m_owner))
            control->Redraw(FALSE);
        else
            m_owner->Invalidate(FALSE);
    }
}

void CEMHandler::InitControls() {
    ApplyControlStates(true, false);
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CEMHandler::SetEnable() {
    // Any nonzero device value counts as on, so a click always switches it off.
    const uint32_t value = Read(kEnableKey) == 0 ? 1 : 0;
    if (!uintkey::Write(GetDriver(), kEnableKey, value)) {
        SetButtonCheck(kEnableButton, 0, TRUE);
        return 1;
    }
    SetButtonCheck(kEnableButton, static_cast<int>(value), FALSE);
    ApplyControlStates(false, true);
    AnnounceChange(*this, kEnableKey, 1);
    return 1;
}

void CEMHandler::SetEnvironment(uint32_t environment) {
    if (uintkey::Write(GetDriver(), kEnvironmentKey, environment))
        AnnounceChange(*this, kEnvironmentKey, 0);
}

void CEMHandler::SetRoomSize(uint32_t roomSize) {
    if (uintkey::Write(GetDriver(), kRoomSizeKey, roomSize)) {
        AnnounceChange(*this, kRoomSizeKey, 0);
        return;
    }
    // The device refused: put the group back to what it holds, when that can be read.
    uint32_t held = 0;
    if (!uintkey::Read(GetDriver(), kRoomSizeKey, held, true, false))
        return;
    for (const RoomButton& room : kRoomButtons) {
        if (room.size == held)
            SelectRadio(room.name, TRUE);
    }
}

int CEMHandler::OnClick(const std::wstring& name) {
    if (name == kEnableButton) {
        SetEnable();
        return 1;
    }
    for (const RoomButton& room : kRoomButtons) {
        if (name == room.name) {
            SetRoomSize(room.size);
            return 1;
        }
    }
    for (const Shortcut& shortcut : kShortcuts) {
        if (name == shortcut.name) {
            if (auto* list = dynamic_cast<IxSkinComboBox*>(FindControl(kEffectList)))
                list->SetCurSel(static_cast<int>(shortcut.environment) - 1, TRUE);
            SetEnvironment(shortcut.environment);
            return 1;
        }
    }
    return 1;
}

int CEMHandler::OnSelChange(const std::wstring&, int index) {
    const uint32_t environment = static_cast<uint32_t>(index + 1);
    SetEnvironment(environment);
    // The buttons follow the user's choice even when the device refused it.
    for (const Shortcut& shortcut : kShortcuts)
        SetButtonCheck(shortcut.name, 0, TRUE);
    for (const Shortcut& shortcut : kShortcuts) {
        if (shortcut.environment == environment)
            SetButtonCheck(shortcut.name, 1, TRUE);
    }
    return 1;
}

int CEMHandler::UpdateFromDriver() {
    return uintkey::SwitchOrSettingsChanged(GetDriver(), kEnableKey, kWatchedWhileOn) ? 1 : 0;
}

void CEMHandler::InitDefaults(IDriverInstance* driver, int32_t endpointCode) {
    uintkey::WriteDefaults(driver, endpointCode, kEnableKey, kDefaults);
}
