#include "handlers/effects/SpacelineHandler.h"

#include "handlers/PageKeys.h"
#include "skin/IxSkinButton.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

namespace {

constexpr wchar_t kChannelCopyKey[] = L"Enable_Channel_COPY_LFX";
constexpr wchar_t kPathKey[] = L"GFSControl";
constexpr wchar_t kSurroundKey[] = L"Enable_KESTAL_HPSPK_LFX";
constexpr wchar_t kRoomKey[] = L"Enable_SS_LFX";
constexpr wchar_t kChannelCountKey[] = L"DevChannelNumControl";

struct ChannelDiagram {
    uint32_t channels;
    const wchar_t* diagram;
};

// Stereo is drawn as the full room: the up-mix spreads it onto every speaker the driver renders.
constexpr ChannelDiagram kDiagrams[] = {
    {2, L"Diagram_SQ_8"},
    {4, L"Diagram_SQ_4"},
    {6, L"Diagram_SQ_6"},
    {8, L"Diagram_SQ_8"},
};

constexpr const wchar_t* kChannelDiagrams[] = {L"Diagram_SQ_4", L"Diagram_SQ_6", L"Diagram_SQ_8"};

} // namespace

uint32_t CSpacelineHandler::s_enable = 0;

CSpacelineHandler::CSpacelineHandler() {
    m_name = L"SpacelineHandler";
}

const wchar_t* CSpacelineHandler::DiagramForChannels(uint32_t channels) {
    for (const ChannelDiagram& row : kDiagrams) {
        if (row.channels == channels)
            return row.diagram;
    }
    return nullptr;
}

void CSpacelineHandler::ShowControl(const wchar_t* name, bool visible) const {
    if (CxSkinCtrl* control = FindControl(name))
        control->SetVisible(visible ? TRUE : FALSE, FALSE);
}

int CSpacelineHandler::SetEnable() {
    IDriverInstance* driver = GetDriver();
    s_enable = s_enable == 0 ? 1 : 0;
    if (!uintkey::Write(driver, kChannelCopyKey, s_enable))
        return 0;
    if (s_enable != 0) {
        // The up-mix and the surround path share the driver's selector: the up-mix needs it on 0.
        uint32_t path = 0;
        uintkey::Read(driver, kPathKey, path, false, false);
        if (path == 0)
            return 1;
        return uintkey::Write(driver, kPathKey, 0) ? 1 : 0;
    }
    // Give the selector back to the surround effect when that is still on.
    uint32_t surround = 0;
    if (!uintkey::Read(driver, kSurroundKey, surround, false, false))
        return 0;
    if (surround != 0)
        uintkey::Write(driver, kPathKey, surround);
    return 1;
}

void CSpacelineHandler::InitControls() {
    IDriverInstance* driver = GetDriver();
    uint32_t channels = 0;
    uint32_t room = 0;
    uint32_t surround = 0;
    uintkey::Read(driver, kChannelCountKey, channels, true, false, kChannelCountSize);
    uintkey::Read(driver, kRoomKey, room, true, false);
    uintkey::Read(driver, kSurroundKey, surround, false, false);
    ShowGreyContent(channels == 2 && surround == 0 && room == 0);

    uint32_t copy = 0;
    uintkey::Read(driver, kChannelCopyKey, copy, true, false);
    s_enable = copy != 0 ? 1 : 0;
    const bool on = s_enable != 0;

    if (auto* button = dynamic_cast<IxSkinButton*>(FindControl(L"BtnEnableSQ")))
        button->SetCheck(on ? 1 : 0, FALSE);
    ShowControl(L"Diagram_SQ_Off", !on);
    if (CxSkinCtrl* logo = FindControl(L"Spaceline_Logo_Image"))
        logo->Enable(on, FALSE);
    for (const wchar_t* diagram : kChannelDiagrams)
        ShowControl(diagram, false);
    if (const wchar_t* diagram = DiagramForChannels(channels))
        ShowControl(diagram, on);
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CSpacelineHandler::UpdateFromDriver() {
    // The channel count is polled whole, 4 bytes.
    const std::pair<const wchar_t*, uint32_t> watched[] = {{kChannelCopyKey, kDefaultNumberSize},
                                                           {kSurroundKey, kDefaultNumberSize},
                                                           {kChannelCountKey, sizeof(uint32_t)},
                                                           {kRoomKey, kDefaultNumberSize}};
    IDriverInstance* driver = GetDriver();
    for (const auto& [key, size] : watched) {
        if (uintkey::Changed(driver, key, nullptr, size))
            return 1;
    }
    return 0;
}

int CSpacelineHandler::OnClick(const std::wstring& name) {
    if (name == L"BtnEnableSQ") {
        SetEnable();
        AnnounceChange(*this, kChannelCopyKey, 1);
        InitControls();
    } else if (name == L"ChannelsSetting") {
        RequestSurroundContent();
    }
    return 1;
}
