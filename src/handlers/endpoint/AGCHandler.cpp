#include "handlers/endpoint/AGCHandler.h"

#include "driver/IDriverInstance.h"
#include "handlers/PageKeys.h"
#include "skin/IxSkinButton.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

namespace {

constexpr wchar_t kKey[] = L"AGCControl";
constexpr wchar_t kFeature[] = L"AGC";
constexpr wchar_t kButton[] = L"BtnEnableAGC";
constexpr wchar_t kSlider[] = L"AGC";

} // namespace

CAGCHandler::CAGCHandler() {
    m_name = L"AGCHandler";
}

bool CAGCHandler::ReadAGC(unsigned& value, bool storeInCache, bool fromCache) const {
    return uintkey::Read(GetDriver(), kKey, value, storeInCache, fromCache);
}

bool CAGCHandler::WriteAGC(int on) {
    // Read unsigned, written signed: both hold the same bits.
    IDriverInstance* driver = GetDriver();
    return driver && driver->SetProperty(kKey, &on, kValueInt, kDefaultNumberSize, nullptr, 0, 0) == 0;
}

int CAGCHandler::GetAGC() {
    unsigned value = 0;
    return ReadAGC(value, true, false) && value != 0 ? 1 : 0;
}

int CAGCHandler::SetAGC(float level) {
    // The whole part is nonzero exactly when |level| >= 1; comparing avoids converting an out-of-range float.
    const bool on = level >= 1.0f || level <= -1.0f;
    return WriteAGC(on ? 1 : 0) ? 1 : 0;
}

int CAGCHandler::ToggleAGC() {
    WriteAGC(GetAGC() ? 0 : 1);
    return 1;
}

void CAGCHandler::InitControls() {
    const int on = GetAGC();
    if (auto* button = dynamic_cast<IxSkinButton*>(FindControl(kButton)))
        button->SetCheck(on, TRUE);
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CAGCHandler::UpdateFromDriver() {
    IDriverInstance* driver = GetDriver();
    if (!driver || !driver->IsFeatureSupported(kFeature))
        return 0;
    unsigned live = 0;
    unsigned cached = 0;
    ReadAGC(live, false, false);
    ReadAGC(cached, false, true);
    return live != cached ? 1 : 0;
}

int CAGCHandler::OnClick(const std::wstring& name) {
    if (name == kButton)
        ToggleAGC();
    return 1;
}

int CAGCHandler::OnSliderChanged(const std::wstring& name, float value, int) {
    return name == kSlider ? SetAGC(value) : 0;
}
