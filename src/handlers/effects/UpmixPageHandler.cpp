#include "handlers/effects/UpmixPageHandler.h"

#include "handlers/effects/SpeakerDolbyPLIIxHandler.h"
#include "skin/LayerWnd.h"

CUpmixPageHandler::CUpmixPageHandler(const wchar_t* switchName, const wchar_t* logoName, const wchar_t* enableKey,
                                     const wchar_t* modeKey)
    : m_switchName(switchName), m_logoName(logoName), m_enableKey(enableKey), m_modeKey(modeKey) {}

void CUpmixPageHandler::InitControls() {
    const bool surround = upmix::IsSurroundOutput(*this);
    ShowMainContent(surround ? TRUE : FALSE);
    if (surround)
        ApplyControlStates(TRUE, FALSE);
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CUpmixPageHandler::IsControlEnabled(const std::wstring& name) {
    if (name == m_switchName)
        return 1;
    uint32_t enable = 0;
    if (!upmix::Read(*this, m_enableKey, enable) || enable == 0)
        return 0;
    if (name == m_logoName || name == L"BtnMusicMode" || name == L"BtnMovieMode")
        return 1;
    // The sliders, the reset, the picture (and the panorama) belong to music mode.
    uint32_t mode = 0;
    return upmix::Read(*this, m_modeKey, mode) && mode == 1 ? 1 : 0;
}

int CUpmixPageHandler::ToggleEnable() {
    uint32_t enable = 0;
    upmix::Read(*this, m_enableKey, enable);
    const uint32_t next = enable == 0 ? 1 : 0;
    const int result = upmix::Write(*this, m_enableKey, next);
    // A refused switch changes nothing on the device: the other effects stay as the user set them, and the
    // switch goes back to what the device still holds.
    if (result == 0 && next == 1)
        ApplyExclusionRule();
    ApplyControlStates(result == 0 ? FALSE : TRUE, FALSE);
    if (m_owner)
        m_owner->Invalidate(FALSE);
    if (result == 0)
        upmix::Announce(*this, m_enableKey, 1);
    return 1;
}

int CUpmixPageHandler::SetMode(uint32_t mode) {
    upmix::Write(*this, m_modeKey, mode);
    ApplyControlStates(FALSE, FALSE);
    if (m_owner)
        m_owner->Invalidate(FALSE);
    upmix::Announce(*this, m_modeKey, 0);
    return 1;
}

int CUpmixPageHandler::SetLevel(const wchar_t* key, uint32_t value, int notify) {
    if (upmix::Write(*this, key, value) != 0)
        return 0;
    if (notify)
        upmix::Announce(*this, key, 0);
    return 1;
}
