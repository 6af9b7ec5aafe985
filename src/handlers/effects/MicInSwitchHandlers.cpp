#include "handlers/effects/MicInSwitchHandlers.h"

#include "app/HandlerServices.h"
#include "app/IMainHandler.h"
#include "driver/IDriverInstance.h"
#include "skin/IxSkinButton.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

namespace {
constexpr int32_t kUnsigned = 1;
} // namespace

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

uint32_t CMicInAECHandler::s_enabled = 0;
uint32_t CMicInENCHandler::s_enabled = 0;
uint32_t CMicInNoiseReductionHandler::s_enabled = 0;

CMicInSwitchHandler::CMicInSwitchHandler(const MicSwitchPage& page, const wchar_t* name) : m_page(page) {
    m_name = name;
}

void CMicInSwitchHandler::InitControls() {
    uint32_t state = 0;
    uint32_t value = 0;
    IDriverInstance* driver = GetDriver();
    if (driver && driver->GetProperty(m_page.key, &value, kUnsigned, 0, nullptr, 0, 0, true, false) == 0)
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
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return 0;
    uint32_t live = 0;
    uint32_t cached = 0;
    driver->GetProperty(m_page.key, &live, kUnsigned, 0, nullptr, 0, 0, false, false);
    driver->GetProperty(m_page.key, &cached, kUnsigned, 0, nullptr, 0, 0, false, true);
    return live != cached ? 1 : 0;
}

int CMicInSwitchHandler::WriteSwitch(uint32_t on) {
    uint32_t value = on != 0 ? 1 : 0;
    IDriverInstance* driver = GetDriver();
    return driver && driver->SetProperty(m_page.key, &value, kUnsigned, 0, nullptr, 0, 0) == 0 ? 1 : 0;
}

void CMicInSwitchHandler::Announce(const wchar_t* key) const {
    if (IMainHandler* main = GetMainHandler())
        main->UpdateStatusPanel(key, 1);
}

void CMicInSwitchHandler::WriteDefault(IDriverInstance* driver, int32_t endpointCode, const wchar_t* key) {
    if (!driver)
        return;
    uint32_t value = 0;
    if (driver->GetEndpointProperty(endpointCode, key, &value, kUnsigned, 0, nullptr, 0, 0, true, false) == 0)
        return;
    value = 0;
    driver->SetEndpointProperty(endpointCode, key, &value, kUnsigned, 0, nullptr, 0, 0);
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

int CMicInENCHandler::SetEnable(const std::wstring&, uint32_t on) {
    return WriteSwitch(on);
}

int CMicInNoiseReductionHandler::SetEnable(const std::wstring&, uint32_t on) {
    return WriteSwitch(on);
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

void CMicInAECHandler::InitDefaults(int32_t endpointCode) {
    InitDefaults(AppHandlerServices().GetDriver(), endpointCode);
}
void CMicInENCHandler::InitDefaults(int32_t endpointCode) {
    InitDefaults(AppHandlerServices().GetDriver(), endpointCode);
}
void CMicInNoiseReductionHandler::InitDefaults(int32_t endpointCode) {
    InitDefaults(AppHandlerServices().GetDriver(), endpointCode);
}
void CMicInBeamFormingHandler::InitDefaults(int32_t endpointCode) {
    InitDefaults(AppHandlerServices().GetDriver(), endpointCode);
}
