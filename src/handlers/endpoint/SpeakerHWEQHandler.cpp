#include "handlers/endpoint/SpeakerHWEQHandler.h"

#include <cmath>

#include "app/IMainHandler.h"
#include "driver/IDriverInstance.h"
#include "driver/PropertyValue.h"
#include "skin/IxSkinSlider.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

namespace {

constexpr wchar_t kBassKey[] = L"HWEQBassControl";
constexpr wchar_t kTrebleKey[] = L"HWEQTrebleControl";
constexpr wchar_t kBassSlider[] = L"BassLevel";
constexpr wchar_t kTrebleSlider[] = L"TrebleLevel";

} // namespace

CSpeakerHWEQHandler::CSpeakerHWEQHandler() {
    // The status panel and the profiles know this page by its panel name, not by the class name.
    m_name = L"SpeakerHWEQ";
}

bool CSpeakerHWEQHandler::ReadLevel(const wchar_t* key, float& value, bool storeInCache, bool fromCache) const {
    IDriverInstance* driver = GetDriver();
    float read = 0.0f;
    if (!driver ||
        driver->GetProperty(key, &read, kValueFloat, kDefaultNumberSize, nullptr, 0, 0, storeInCache, fromCache) != 0)
        return false;
    value = read;
    return true;
}

bool CSpeakerHWEQHandler::IsLevelChanged(const wchar_t* key) const {
    float live = 0.0f;
    float cached = 0.0f;
    ReadLevel(key, live, false, false);
    ReadLevel(key, cached, false, true);
    // In double, with float rounding allowed for: 3.03 against 3.00 is a change even though the two floats
    // lie a hair closer than 0.03.
    return std::fabs(static_cast<double>(live) - cached) >= kTolerance - 1e-6;
}

void CSpeakerHWEQHandler::ShowLevel(const wchar_t* slider, float value) {
    if (auto* control = dynamic_cast<IxSkinSlider*>(FindControl(slider)))
        control->SetPos(value, TRUE);
}

void CSpeakerHWEQHandler::InitControls() {
    ReadLevel(kBassKey, m_bass, true, false);
    ReadLevel(kTrebleKey, m_treble, true, false);
    ShowLevel(kBassSlider, m_bass);
    ShowLevel(kTrebleSlider, m_treble);
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CSpeakerHWEQHandler::UpdateFromDriver() {
    return IsLevelChanged(kBassKey) || IsLevelChanged(kTrebleKey) ? 1 : 0;
}

int CSpeakerHWEQHandler::OnSliderChanged(const std::wstring& name, float value, int) {
    const wchar_t* key = name == kBassSlider ? kBassKey : name == kTrebleSlider ? kTrebleKey : nullptr;
    if (!key)
        return 0;
    IDriverInstance* driver = GetDriver();
    if (driver && driver->SetProperty(key, &value, kValueFloat, kDefaultNumberSize, nullptr, 0, 0) == 0) {
        if (IMainHandler* main = GetMainHandler())
            main->UpdateStatusPanel(key, 0);
    }
    return 1;
}
