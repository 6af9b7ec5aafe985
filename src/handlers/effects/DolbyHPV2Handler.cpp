#include "handlers/effects/DolbyHPV2Handler.h"

#include "app/IMainHandler.h"
#include "driver/IDriverInstance.h"
#include "skin/IxSkinButton.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

namespace {

constexpr int kUnsigned = 1;
constexpr wchar_t kEnableButton[] = L"BtnEnableDolbySurroundEffect";

uint32_t ReadKey(IDriverInstance* driver, const wchar_t* key, bool storeInCache, bool fromCache) {
    uint32_t value = 0;
    if (!driver || driver->GetProperty(key, &value, kUnsigned, 0, nullptr, 0, 0, storeInCache, fromCache) != 0)
        return 0;
    return value;
}

} // namespace

CDolbyHPV2Handler::CDolbyHPV2Handler(const wchar_t* enableKey) : m_enableKey(enableKey) {
    m_name = L"DolbyHPV2Handler";
}

void CDolbyHPV2Handler::InitControls() {
    // Only 1 is on: any other value the driver holds shows the effect off, and a click then turns it on.
    const bool on = ReadKey(GetDriver(), m_enableKey, true, false) == 1;
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
    const uint32_t value = ReadKey(driver, m_enableKey, true, false) == 1 ? 0 : 1;
    if (driver)
        driver->SetProperty(m_enableKey, &value, kUnsigned, 0, nullptr, 0, 0);
    InitControls();
    if (IMainHandler* main = GetMainHandler())
        main->UpdateStatusPanel(m_enableKey, 1);
    return 1;
}

int CDolbyHPV2Handler::UpdateFromDriver() {
    IDriverInstance* driver = GetDriver();
    return ReadKey(driver, m_enableKey, false, false) != ReadKey(driver, m_enableKey, false, true) ? 1 : 0;
}

int CDolbyHPV2Handler::OnClick(const std::wstring& name) {
    return name == kEnableButton ? SetEnable() : 0;
}
