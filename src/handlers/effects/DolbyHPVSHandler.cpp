#include "handlers/effects/DolbyHPVSHandler.h"

#include <algorithm>
#include <iterator>

#include "app/HandlerServices.h"
#include "driver/IDriverInstance.h"
#include "handlers/PageKeys.h"
#include "skin/IxSkinButton.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

namespace {

constexpr wchar_t kEnableKey[] = L"Enable_DHDVS_LFX";
constexpr wchar_t kUseDHKey[] = L"DHDVS_USEDH";
constexpr wchar_t kDHModeKey[] = L"DH_Mode";
constexpr wchar_t kDVSModeKey[] = L"DVS_Mode";
constexpr wchar_t kChannelCountKey[] = L"DevChannelNumControl";
constexpr wchar_t kVirtualEnableKey[] = L"EnableVirtualSurroundEffect";
constexpr wchar_t kVirtualRoomKey[] = L"VirtualSurroundRoomSize";

constexpr wchar_t kEnableButton[] = L"BtnEnableDolbySurroundEffect";
constexpr const wchar_t* kModeButtons[] = {L"BtnHPDH1", L"BtnHPDH2", L"BtnHPDH3"};
constexpr const wchar_t* kModeImages[] = {L"ImgHPDH1", L"ImgHPDH2", L"ImgHPDH3"};

// Every control the page rebuilds, in the order it is shown.
constexpr const wchar_t* kContent[] = {
    L"WarningContent",
    L"MainContent",
    L"TitleDolbyHPVS",
    L"TitleCheckDolbyHPVS",
    kEnableButton,
    L"BtnEnableHP",
    L"TitleCheckDolbyHP",
    L"BtnEnableVS",
    L"TitleCheckDolbyVS",
    L"BSDHP",
    L"LogoHP",
    L"BtnHPDH1",
    L"ImgHPDH1",
    L"BtnHPDH2",
    L"ImgHPDH2",
    L"BtnHPDH3",
    L"ImgHPDH3",
    L"BSDVS",
    L"LogoVS",
    L"BtnVSSmall",
    L"BtnVSLarge",
    L"ImgVSSmall",
    L"ImgVSLarge",
};

// Greyed while the effect is off; they keep their check marks so the choice returns with the effect.
constexpr const wchar_t* kDependent[] = {
    L"BtnEnableHP", L"TitleCheckDolbyHP", L"LogoHP",     L"BtnHPDH1",    L"ImgHPDH1",          L"BtnHPDH2",
    L"ImgHPDH2",    L"BtnHPDH3",          L"ImgHPDH3",   L"BtnEnableVS", L"TitleCheckDolbyVS", L"LogoVS",
    L"BtnVSSmall",  L"BtnVSLarge",        L"ImgVSSmall", L"ImgVSLarge",
};

// Written in this order where the endpoint's switch cannot be read.
constexpr uintkey::Default kDefaults[] = {{kEnableKey, 0}, {kDHModeKey, 0}, {kDVSModeKey, 0}, {kUseDHKey, 0}};

// Polled after the switch, only while it is on.
constexpr const wchar_t* kWatchedWhileOn[] = {kDHModeKey, kDVSModeKey, kUseDHKey};

bool Contains(const auto& table, const std::wstring& name) {
    return std::find(std::begin(table), std::end(table), name) != std::end(table);
}

struct ButtonValue {
    const wchar_t* name;
    uint32_t value;
};

void CheckIn(CxSkinCtrl* control, bool on, BOOL redraw) {
    if (auto* button = dynamic_cast<IxSkinButton*>(control))
        button->SetCheck(on ? 1 : 0, redraw);
}

} // namespace

CDolbyHPVSHandler::CDolbyHPVSHandler() {
    m_name = L"DolbyHPVSHandler";
}

void CDolbyHPVSHandler::InitDefaults(int32_t endpointCode) {
    WriteDefaults(AppHandlerServices().GetDriver(), endpointCode);
}

void CDolbyHPVSHandler::WriteDefaults(IDriverInstance* driver, int32_t endpointCode) {
    uintkey::WriteDefaults(driver, endpointCode, kEnableKey, kDefaults);
}

uint32_t CDolbyHPVSHandler::Value(const wchar_t* key) const {
    uint32_t value = 0;
    uintkey::Read(GetDriver(), key, value, true, false);
    return value;
}

void CDolbyHPVSHandler::CheckButton(const wchar_t* name, bool on, BOOL redraw) const {
    CheckIn(FindControl(name), on, redraw);
}

void CDolbyHPVSHandler::InitControls() {
    uint32_t channels = 0; // a failed read counts as not stereo; the 16-bit count lands in the low half
    uintkey::Read(GetDriver(), kChannelCountKey, channels, true, false, kChannelCountSize);
    const bool stereo = channels == 2;
    ShowMainContent(stereo);
    if (stereo)
        BuildContent();
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

void CDolbyHPVSHandler::BuildContent() {
    uint32_t channels = 2; // the default render device unreadable: trust the page's own reading
    if (IDriverInstance* driver = GetDriver())
        driver->GetDefaultRenderProperty(kChannelCountKey, &channels, kValueUInt, kChannelCountSize, nullptr, 0, 0,
                                         true, false);
    m_stereo = channels == 2 ? 1 : 0;

    for (const wchar_t* name : kContent) {
        CxSkinCtrl* control = FindControl(name);
        if (!control)
            continue;
        const BOOL visible = IsViewVisible(name);
        control->SetVisible(visible, FALSE);
        if (visible)
            control->Enable(IsControlEnabled(name), FALSE);
    }

    CheckButton(kEnableButton, Value(kEnableKey) != 0, FALSE);
    const uint32_t useDH = Value(kUseDHKey);
    CheckButton(L"BtnEnableHP", useDH == 1, FALSE);
    CheckButton(L"BtnEnableVS", useDH == 0, FALSE);
    const uint32_t size = Value(kDVSModeKey);
    CheckButton(L"BtnVSSmall", size == 0, FALSE);
    CheckButton(L"BtnVSLarge", size == 1, FALSE);
    const uint32_t mode = Value(kDHModeKey);
    for (uint32_t i = 0; i < std::size(kModeButtons); ++i)
        CheckButton(kModeButtons[i], mode == i, FALSE);
}

int CDolbyHPVSHandler::IsViewVisible(const std::wstring& name) const {
    if (name == L"WarningContent")
        return m_stereo == 0;
    if (name == L"MainContent")
        return m_stereo == 1;
    const ButtonValue headphoneViews[] = {{L"ImgHPDH1", 0}, {L"ImgHPDH2", 1}, {L"ImgHPDH3", 2}};
    const ButtonValue speakerViews[] = {{L"ImgVSSmall", 0}, {L"ImgVSLarge", 1}};
    if (name == L"BSDHP")
        return Value(kUseDHKey) == 1;
    if (name == L"BSDVS")
        return Value(kUseDHKey) == 0;
    for (const auto& [view, value] : headphoneViews) {
        if (name == view)
            return Value(kUseDHKey) == 1 && Value(kDHModeKey) == value;
    }
    for (const auto& [view, value] : speakerViews) {
        if (name == view)
            return Value(kUseDHKey) == 0 && Value(kDVSModeKey) == value;
    }
    return 1;
}

int CDolbyHPVSHandler::IsControlEnabled(const std::wstring& name) {
    if (!Contains(kDependent, name))
        return 1;
    return Value(kEnableKey) != 0 ? 1 : 0;
}

int CDolbyHPVSHandler::SetEnable() {
    const uint32_t before = Value(kEnableKey);
    const uint32_t value = before == 0 ? 1 : 0;
    if (!uintkey::Write(GetDriver(), kEnableKey, value)) {
        // The driver kept its state, on or off; the button must not claim otherwise.
        CheckButton(kEnableButton, before != 0, TRUE);
        return 1;
    }
    if (value == 1)
        ApplyEffectRuleSurrSens();
    BuildContent();
    if (m_owner)
        m_owner->Invalidate(FALSE);
    AnnounceChange(*this, kEnableKey, 1);
    return 1;
}

int CDolbyHPVSHandler::WriteSetting(const wchar_t* key, uint32_t value) {
    uintkey::Write(GetDriver(), key, value);
    BuildContent();
    if (m_owner)
        m_owner->Invalidate(FALSE);
    AnnounceChange(*this, key, 0);
    return 1;
}

int CDolbyHPVSHandler::SetUseDH(uint32_t value) {
    return WriteSetting(kUseDHKey, value);
}

int CDolbyHPVSHandler::SetDHMode(uint32_t value) {
    return WriteSetting(kDHModeKey, value);
}

int CDolbyHPVSHandler::SetDVSMode(uint32_t value) {
    return WriteSetting(kDVSModeKey, value);
}

int CDolbyHPVSHandler::UpdateFromDriver() {
    return uintkey::SwitchOrSettingsChanged(GetDriver(), kEnableKey, kWatchedWhileOn) ? 1 : 0;
}

int CDolbyHPVSHandler::OnClick(const std::wstring& name) {
    struct Action {
        const wchar_t* name;
        int (CDolbyHPVSHandler::*set)(uint32_t);
        uint32_t value;
    };
    static const Action kActions[] = {
        {L"BtnEnableHP", &CDolbyHPVSHandler::SetUseDH, 1},  {L"BtnEnableVS", &CDolbyHPVSHandler::SetUseDH, 0},
        {L"BtnVSSmall", &CDolbyHPVSHandler::SetDVSMode, 0}, {L"BtnVSLarge", &CDolbyHPVSHandler::SetDVSMode, 1},
        {L"BtnHPDH1", &CDolbyHPVSHandler::SetDHMode, 0},    {L"BtnHPDH2", &CDolbyHPVSHandler::SetDHMode, 1},
        {L"BtnHPDH3", &CDolbyHPVSHandler::SetDHMode, 2},
    };
    if (name == L"ChannelsSetting") {
        RequestSettingContent();
        return 1;
    }
    if (name == kEnableButton)
        return SetEnable();
    for (const Action& action : kActions) {
        if (name == action.name)
            return (this->*action.set)(action.value);
    }
    return 0;
}

// --- The virtual variant ---

void CVirtualDolbyHPVSHandler::InitControls() {
    IDriverInstance* driver = GetDriver();
    uint32_t enable = 0;
    uintkey::Read(driver, kVirtualEnableKey, enable, true, false);
    const bool on = enable == 1;
    CheckIn(FindControl(kEnableButton), on, TRUE);
    for (const wchar_t* name : {L"TitleCheckDolbyHPVS", L"BSDHP"}) {
        if (CxSkinCtrl* control = FindControl(name))
            control->Enable(on, FALSE);
    }
    uint32_t room = 0;
    uintkey::Read(driver, kVirtualRoomKey, room, true, false);
    for (uint32_t i = 0; i < std::size(kModeButtons); ++i) {
        CheckIn(FindControl(kModeButtons[i]), room == i, FALSE);
        if (CxSkinCtrl* image = FindControl(kModeImages[i]))
            image->SetVisible(room == i, FALSE);
    }
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CVirtualDolbyHPVSHandler::SetEnable() {
    IDriverInstance* driver = GetDriver();
    uint32_t enable = 0;
    uintkey::Read(driver, kVirtualEnableKey, enable, true, false);
    uintkey::Write(driver, kVirtualEnableKey, enable == 1 ? 0 : 1);
    InitControls();
    AnnounceChange(*this, kVirtualEnableKey, 1);
    return 1;
}

int CVirtualDolbyHPVSHandler::SetRoomSize(uint32_t value) {
    uintkey::Write(GetDriver(), kVirtualRoomKey, value);
    InitControls();
    AnnounceChange(*this, kVirtualRoomKey, 1);
    return 1;
}

int CVirtualDolbyHPVSHandler::OnClick(const std::wstring& name) {
    if (name == kEnableButton)
        return SetEnable();
    for (uint32_t i = 0; i < std::size(kModeButtons); ++i) {
        if (name == kModeButtons[i])
            return SetRoomSize(i);
    }
    return 0;
}
