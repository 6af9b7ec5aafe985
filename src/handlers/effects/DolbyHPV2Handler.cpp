#include "handlers/effects/DolbyHPV2Handler.h"

#include "handlers/PageKeys.h"
#include "skin/IxSkinButton.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

namespace {

constexpr wchar_t kEnableButton[] = L"BtnEnableDolbySurroundEffect";

} // namespace

CDolbyHPV2Handler::CDolbyHPV2Handler(const wchar_t* enableKey) : m_enableKey(enableKey) {
    m_name = L"DolbyHPV2Handler";
}

void CDolbyHPV2Handler::InitControls() {
    // Only 1 is on: any other value the driver holds shows the effect off, and a click then turns it on.
    uint32_t enable = 0;
    uintkey::Read(GetDriver(), m_enableKey, enable, true, false);
    const bool on = enable == 1;
    if (auto* button = dynamic_cast<IxSkinButton*>(FindControl(kEnableButton)))
        button->SetCheck(on ? 1 : 0, TRUE);
    for (const wchar_t* name : {L"TitleCheckDolbyHP", L"BSDHP"}) {
        if (CxSkinCtrl* control = FindControl(name))
            control->Enable(on, FALSE);
    }
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CDolbyHPV2Handler::SetEnable() {
    IDriverInstance* driver = GetDriver();
    uint32_t enable = 0;
    uintkey::Read(driver, m_enableKey, enable, true, false);
    uintkey::Write(driver, m_enableKey, enable == 1 ? 0 : 1);
    InitControls();
    AnnounceChange(*this, m_enableKey, 1);
    return 1;
}

int CDolbyHPV2Handler::UpdateFromDriver() {
    return uintkey::Changed(GetDriver(), m_enableKey) ? 1 : 0;
}

int CDolbyHPV2Handler::OnClick(const std::wstring& name) {
    return name == kEnableButton ? SetEnable() : 0;
}
