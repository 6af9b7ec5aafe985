#include "handlers/effects/VimoSurroundHeadPhoneHandler.h"

#include <iterator>

#include "app/HandlerServices.h"
#include "driver/IDriverInstance.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinRadioButton.h"

namespace {

constexpr wchar_t kEnableKey[] = L"Enable_KESTAL_HPSPK_LFX";
constexpr wchar_t kUseHeadphoneKey[] = L"KESTAL_HPSPK_USEHP";
constexpr wchar_t kChannelCopyKey[] = L"Enable_Channel_COPY_LFX";
constexpr wchar_t kRoomSizeKey[] = L"KESTAL_HPSPK_ROOMSIZE";
constexpr wchar_t kModeKey[] = L"KESTAL_HPSPK_MODE";
constexpr wchar_t kChannelCountKey[] = L"DevChannelNumControl";

constexpr wchar_t kEnableButton[] = L"BtnEnableVimoSurroundHeadPhone";

// Indexed by the driver's value: 0 large, 1 medium, 2 small.
constexpr const wchar_t* kRoomButtons[] = {L"RoomSizeL", L"RoomSizeM", L"RoomSizeS"};
// Indexed by the driver's value: 0 music, 1 movie.
constexpr const wchar_t* kModeButtons[] = {L"BtnVimoMusic", L"BtnVimoMovie"};
constexpr const wchar_t* kRoomControls[] = {L"RoomSizeS", L"RoomSizeM", L"RoomSizeL", L"RoomTitle"};

// Written in this order at start-up.
constexpr uintkey::Default kDefaults[] = {
    {kEnableKey, 0}, {kUseHeadphoneKey, 1}, {kChannelCopyKey, 0}, {kRoomSizeKey, 1}, {kModeKey, 0},
};

// Compared against the cache only while the effect is on.
constexpr const wchar_t* kWatchedWhileOn[] = {kUseHeadphoneKey, kChannelCopyKey, kRoomSizeKey, kModeKey};

constexpr CVimoSurroundHeadPhoneHandler::Keys kPlainKeys{
    kEnableKey, kRoomSizeKey, kModeKey, 2, true, 0, {kEnableKey, kUseHeadphoneKey, kChannelCopyKey}};
constexpr CVimoSurroundHeadPhoneHandler::Keys kVirtualKeys{
    L"EnableVirtualSurroundEffect",
    L"VirtualSurroundRoomSize",
    L"VirtualSurroundMode",
    8,
    false,
    1,
    {L"EnableVirtualSurroundEffect", L"VirtualSurroundMode", L"VirtualSurroundRoomSize"}};

} // namespace

CVimoSurroundHeadPhoneHandler::CVimoSurroundHeadPhoneHandler() : CVimoSurroundHeadPhoneHandler(kPlainKeys) {}

CVimoSurroundHeadPhoneHandler::CVimoSurroundHeadPhoneHandler(const Keys& keys) : m_keys(keys) {
    m_name = L"VimoSurroundHeadPhoneHandler";
}

CVirtualVimoSurroundHeadPhoneHandler::CVirtualVimoSurroundHeadPhoneHandler()
    : CVimoSurroundHeadPhoneHandler(kVirtualKeys) {
    m_name = L"VirtualVimoSurroundHeadPhoneHandler";
}

void CVimoSurroundHeadPhoneHandler::ApplyToDevice(int32_t endpointCode) {
    WriteDefaults(AppHandlerServices().GetDriver(), endpointCode);
}

void CVimoSurroundHeadPhoneHandler::WriteDefaults(IDriverInstance* driver, int32_t endpointCode) {
    uintkey::WriteDefaults(driver, endpointCode, kEnableKey, kDefaults);
}

void CVimoSurroundHeadPhoneHandler::SelectRadio(const wchar_t* name, BOOL redraw) const {
    if (auto* radio = dynamic_cast<CxSkinRadioButton*>(FindControl(name)))
        radio->Select(redraw);
}

int CVimoSurroundHeadPhoneHandler::ShowSpeakerTestView(const std::wstring& view) const {
    return view == L"SpeakerTestView" ? static_cast<int>(m_enable) : 1;
}

int CVimoSurroundHeadPhoneHandler::IsControlEnabled(const std::wstring& name) {
    return name == kEnableButton ? 1 : static_cast<int>(m_enable);
}

void CVimoSurroundHeadPhoneHandler::InitControls() {
    uint32_t channels = 0; // the 16-bit count lands in the low half
    Read(kChannelCountKey, channels, true, false, kChannelCountSize);
    ShowGreyContent(channels != m_keys.expectedChannels);

    if (FindControl(kEnableButton)) {
        uint32_t enable = 0;
        Read(m_keys.enable, enable, true, false);
        IDriverInstance* driver = GetDriver();
        // The switch is shared with the speakers effect: where both exist it is ours only while USEHP is 1.
        if (m_keys.plain && enable != 0 && driver &&
            driver->IsFeatureSupported(driver->GetCurrentEndpointName() + L"VimoSurroundSpeakers")) {
            uint32_t useHeadphone = 0;
            Read(kUseHeadphoneKey, useHeadphone, true, false);
            enable = useHeadphone == 1 ? 1 : 0;
        }
        m_enable = enable;
        CheckButton(kEnableButton, m_enable != 0, FALSE);
        if (CxSkinCtrl* diagram = FindControl(L"Headphone_Diagram_On"))
            diagram->SetVisible(m_enable != 0, FALSE);
        if (CxSkinCtrl* diagram = FindControl(L"Headphone_Diagram_Off"))
            diagram->SetVisible(m_enable == 0, FALSE);
    }

    if (m_keys.plain) {
        if (CxSkinCtrl* copy = FindControl(L"ChannelCopy")) {
            copy->Enable(IsControlEnabled(L"ChannelCopy"), FALSE);
            Read(kChannelCopyKey, m_channelCopy, true, false);
            CheckButton(L"ChannelCopy", m_channelCopy != 0, FALSE);
        }
        for (const wchar_t* name : {L"ChannelCopy_Text", L"Headphone_Logo"}) {
            if (CxSkinCtrl* control = FindControl(name))
                control->Enable(IsControlEnabled(name), FALSE);
        }
    } else if (CxSkinCtrl* logo = FindControl(L"Headphone_Logo")) {
        logo->Enable(IsControlEnabled(L"Headphone_Logo"), FALSE);
    }

    uint32_t room = 0;
    const bool hasRoom = Read(m_keys.roomSize, room, true, false);
    for (const wchar_t* name : kRoomControls) {
        if (CxSkinCtrl* control = FindControl(name))
            control->Enable(IsControlEnabled(name), FALSE);
    }
    if (hasRoom && room < std::size(kRoomButtons))
        SelectRadio(kRoomButtons[room], FALSE);

    uint32_t mode = 0;
    // The mode controls are live with the switch, as IsControlEnabled says of them.
    const bool hasMode = ShowModeControls(m_keys.mode, static_cast<BOOL>(m_enable), mode);
    if (hasMode && mode < std::size(kModeButtons))
        SelectRadio(kModeButtons[mode], FALSE);
    if (CxSkinCtrl* view = FindControl(L"SpeakerTestView"))
        view->SetVisible(ShowSpeakerTestView(L"SpeakerTestView"), FALSE);
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CVimoSurroundHeadPhoneHandler::UpdateFromDriver() {
    return PollSurround(kWatchedWhileOn);
}

int CVimoSurroundHeadPhoneHandler::EnableEffect() {
    m_enable = m_enable == 0 ? 1 : 0;
    if (!Write(m_keys.enable, m_enable))
        return 0;
    if (m_keys.plain && m_enable != 0) {
        ApplyEffectRuleDHDVSSurrSens();
        Write(kUseHeadphoneKey, 1);
    }
    if (m_enable == 0) {
        if (m_keys.plain)
            ApplyEffectRuleSS();
        ClearTestButtons();
    }
    InitControls();
    for (const wchar_t* key : m_keys.switchNotices)
        AnnounceChange(*this, key, 1);
    return 1;
}

void CVimoSurroundHeadPhoneHandler::WriteChoice(const wchar_t* key, uint32_t value, const wchar_t* const* buttons,
                                                uint32_t count) {
    if (Write(key, value)) {
        AnnounceChange(*this, key, m_keys.settingNotice);
        return;
    }
    uint32_t kept = 0;
    if (Read(key, kept, true, false) && kept < count)
        SelectRadio(buttons[kept], TRUE);
}

int CVimoSurroundHeadPhoneHandler::SetRoomSize(uint32_t size) {
    WriteChoice(m_keys.roomSize, size, kRoomButtons, static_cast<uint32_t>(std::size(kRoomButtons)));
    return 1;
}

int CVimoSurroundHeadPhoneHandler::SetMode(uint32_t mode) {
    WriteChoice(m_keys.mode, mode, kModeButtons, static_cast<uint32_t>(std::size(kModeButtons)));
    return 0;
}

int CVimoSurroundHeadPhoneHandler::UpdateChannelCopy() {
    m_channelCopy = m_channelCopy == 0 ? 1 : 0;
    if (!Write(kChannelCopyKey, m_channelCopy))
        return 0;
    AnnounceChange(*this, kChannelCopyKey, 1);
    return 1;
}

int CVimoSurroundHeadPhoneHandler::OnClick(const std::wstring& name) {
    if (name == kEnableButton)
        return EnableEffect();
    if (name == L"ChannelCopy" && m_keys.plain)
        return UpdateChannelCopy();
    for (uint32_t i = 0; i < std::size(kRoomButtons); ++i) {
        if (name == kRoomButtons[i])
            return SetRoomSize(i);
    }
    if (OnTestClick(name))
        return 1;
    if (name == L"ChannelsSetting") {
        RequestSettingContent();
        return 1;
    }
    for (uint32_t i = 0; i < std::size(kModeButtons); ++i) {
        if (name == kModeButtons[i])
            return SetMode(i);
    }
    return 1;
}
