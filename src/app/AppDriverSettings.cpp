#include "app/AppDriverSettings.h"

#include "app/OvercoatApp.h"

#include <iterator>

namespace {

// Indexed by IDriverSettings::ListenSource.
constexpr int CAppSettings::*kListenFields[] = {
    &CAppSettings::m_nMicInListenToDevice,
    &CAppSettings::m_nLineInListenToDevice,
    &CAppSettings::m_nAuxInListenToDevice,
};

} // namespace

std::wstring CAppDriverSettings::GetLastApoName() {
    const CAppSettings* settings = m_app.GetSettings();
    return settings ? settings->m_strLastAPOName : std::wstring();
}

void CAppDriverSettings::SetAudioDevice(const std::wstring& name) {
    if (CAppSettings* settings = m_app.GetSettings())
        settings->m_strAudioDevice = name;
}

int32_t CAppDriverSettings::GetListenToDevice(ListenSource source) {
    const CAppSettings* settings = m_app.GetSettings();
    const auto index = static_cast<size_t>(source);
    if (!settings || index >= std::size(kListenFields))
        return 0;
    return settings->*kListenFields[index];
}
