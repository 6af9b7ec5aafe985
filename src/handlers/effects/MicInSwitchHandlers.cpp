#include "handlers/effects/MicInSwitchHandlers.h"

#include "app/HandlerServices.h"
#include "driver/IDriverInstance.h"
#include "handlers/PageKeys.h"
#include "skin/IxSkinButton.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

// clang-format off
const MicSwitchPage CMicInAECHandler::kPage =
    {L"Enable_AEC_LFX", L"BtnEnableAEC", L"Diagram_AECOn", L"Diagram_AECOff", nullptr};
const MicSwitchPage CMicInBeamFormingHandler::kPage =
    {L"Enable_MICARRAY_LFX", L"BtnEnableBeamForming", L"Diagram_BEAMOn", L"Diagram_BEAMOff", nullptr};
const MicSwitchPage CMicInENCHandler::kPage =
    {L"Enable_ENC_LFX", L"BtnEnableENC", L"Diagram_ENCOn", L"Diagram_ENCOff", L"MicInENC_Logo_Image"};
const MicSwitchPage CMicInNoiseReductionHandler::kPage =
    {L"Enable_NOISEREDUCTION_LFX", L"BtnEnableNR", L"Diagram_NROn", L"Diagram_NROff", L"NR_Logo"};
// clang-format on

CMicInSwitchHandler::CMicInSwitchHandler(const MicSwitchPage& page, const wchar_t* name) : m_page(page) {
    m_name = name;
}

void CMicInSwitchHandler::InitControls() {
    uint32_t state = 0;
    uint32_t value = 0;
    if (uintkey::Read(GetDriver(), m_page.key, value, true, false))
        state = value != 0 ? 1 : 0;
    State() = state;
    if (auto* button = dynamic_cast<IxSkinButton*>(FindControl(m_page.button)))
        button->SetCheck(state, FALSE);
    if (m_page.extra) {
        if (CxSkinCtrl* extra = FindControl(m_page.extra))
            extra->Enable(state, FALSE);
    }
    if (CxSkinCtrl* on = FindControl(m_page.diagramOn))
        on->SetVisible(state == 1, FALSE);
    if (CxSkinCtrl* off = FindControl(m_page.diagramOff))
        off->SetVisible(state == 0, FALSE);
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CMicInSwitchHandler::UpdateFromDriver() {
    return uintkey::Changed(GetDriver(), m_page.key) ? 1 : 0;
}

int CMicInSwitchHandler::WriteSwitch(uint32_t on) {
    return uintkey::Write(GetDriver(), m_page.key, on != 0 ? 1 : 0) ? 1 : 0;
}

void CMicInSwitchHandler::Announce(const wchar_t* key) const {
    AnnounceChange(*this, key, 1);
}

void CMicInSwitchHandler::WriteDefault(IDriverInstance* driver, int32_t endpointCode, const wchar_t* key) {
    const uintkey::Default off[] = {{key, 0}};
    uintkey::WriteDefaults(driver, endpointCode, key, off);
}

IDriverInstance* CMicInSwitchHandler::AppDriver() {
    return AppHandlerServices().GetDriver();
}

int CMicInSharedSwitchHandler::OnClick(const std::wstring&) {
    uint32_t& state = State();
    state = state == 0 ? 1 : 0;
    Enable(state);
    // Sent also after a refused write: the read-back below shows what the device holds.
    Announce(m_page.key);
    InitControls();
    return 1;
}

int CMicInAECHandler::SetEnable(const std::wstring&, uint32_t on) {
    if (!WriteSwitch(on))
        return 0;
    if (on != 0)
        ApplyEffectRuleENC();
    return 1;
}

int CMicInBeamFormingHandler::OnClick(const std::wstring&) {
    m_enabled = m_enabled == 0 ? 1 : 0;
    if (!WriteSwitch(m_enabled))
        return 1;
    Announce(m_page.key);
    if (m_enabled == 1)
        ApplyEffectRuleENC();
    InitControls();
    return 1;
}
