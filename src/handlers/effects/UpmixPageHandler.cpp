#include "handlers/effects/UpmixPageHandler.h"

#include "driver/IDriverInstance.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinSlider.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinRadioButton.h"
#include "skin/SkinShape.h"

namespace {

constexpr wchar_t kChannelCountKey[] = L"DevChannelNumControl";
constexpr wchar_t kCentreSlider[] = L"CenterGain";
constexpr wchar_t kDimensionSlider[] = L"Dimension";

// A slider position as the device's level: cut to its whole part, nothing below 0.
uint32_t SliderLevel(float position) {
    return position > 0.0f ? static_cast<uint32_t>(position) : 0;
}

} // namespace

CUpmixPageHandler::CUpmixPageHandler(const UpmixPage& page) : m_page(page) {}

void CUpmixPageHandler::WriteDefaults(IDriverInstance* driver, int32_t endpointCode, const UpmixPage& page) {
    uintkey::WriteDefaults(driver, endpointCode, page.enableKey, page.defaults);
}

int CUpmixPageHandler::FanAngle(float position, int maximum) {
    // A markup slider without a positive maximum would divide by zero: keep the fan at its narrowest.
    if (maximum <= 0)
        return 10;
    return static_cast<int>(position * 80.0 / maximum + 10.0);
}

double CUpmixPageHandler::GradientCenter(float position, int maximum) {
    if (maximum <= 0)
        return 1.0;
    return (maximum - static_cast<double>(position)) / maximum;
}

bool CUpmixPageHandler::Read(const wchar_t* key, uint32_t& value) const {
    return uintkey::Read(GetDriver(), key, value, true, false);
}

int32_t CUpmixPageHandler::Write(const wchar_t* key, uint32_t value) const {
    return uintkey::WriteResult(GetDriver(), key, value);
}

void CUpmixPageHandler::CheckButton(const wchar_t* name, uint32_t on, BOOL redraw) const {
    if (auto* button = dynamic_cast<IxSkinButton*>(FindControl(name)))
        button->SetCheck(on != 0 ? 1 : 0, redraw);
}

bool CUpmixPageHandler::IsSurroundOutput() const {
    uint32_t channels = 0;
    if (!uintkey::Read(GetDriver(), kChannelCountKey, channels, true, false, kChannelCountSize))
        return false;
    return (channels & 0xFFFF) > 2;
}

void CUpmixPageHandler::SelectMode() {
    uint32_t mode = 0;
    // An unreadable mode leaves the buttons as they are rather than claiming movie mode.
    if (!Read(m_page.modeKey, mode))
        return;
    if (auto* radio = dynamic_cast<CxSkinRadioButton*>(FindControl(mode == 1 ? L"BtnMusicMode" : L"BtnMovieMode")))
        radio->Select(FALSE);
}

void CUpmixPageHandler::SetSlider(const wchar_t* name, const wchar_t* key) {
    auto* slider = dynamic_cast<IxSkinSlider*>(FindControl(name));
    uint32_t value = 0;
    if (slider && Read(key, value))
        slider->SetPos(static_cast<float>(value), FALSE);
}

void CUpmixPageHandler::DrawSoundField(BOOL redraw) {
    if (auto* slider = dynamic_cast<IxSkinSlider*>(FindControl(kCentreSlider))) {
        if (CxSkinCtrl* fan = FindControl(L"Fan"))
            fan->SetShapePolygon(FanAngle(slider->GetPos(), slider->GetMaximum()), FALSE);
    }
    auto* shape = dynamic_cast<CxSkinShape*>(FindControl(L"Shape"));
    if (auto* slider = dynamic_cast<IxSkinSlider*>(FindControl(kDimensionSlider))) {
        if (shape)
            shape->SetGradientCenter(GradientCenter(slider->GetPos(), slider->GetMaximum()));
    }
    if (redraw && shape)
        shape->Redraw(FALSE);
}

void CUpmixPageHandler::ApplyControlStates(BOOL readEnable, BOOL redraw) {
    const wchar_t* switchName = m_page.controls[0];
    if (readEnable && FindControl(switchName)) {
        uint32_t enable = 0;
        Read(m_page.enableKey, enable);
        CheckButton(switchName, enable, m_page.switchAlwaysRedrawn ? TRUE : redraw);
    }
    for (const wchar_t* name : m_page.controls.subspan(1))
        EnableControl(name, redraw);
    SelectMode();
    SetSlider(kCentreSlider, m_page.centreKey);
    SetSlider(kDimensionSlider, m_page.dimensionKey);
    DrawSoundField(FALSE);
    ApplyOwnStates();
    if (redraw && m_owner)
        m_owner->Invalidate(FALSE);
}

void CUpmixPageHandler::InitControls() {
    const bool surround = IsSurroundOutput();
    ShowMainContent(surround ? TRUE : FALSE);
    if (surround)
        ApplyControlStates(TRUE, FALSE);
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CUpmixPageHandler::IsControlEnabled(const std::wstring& name) {
    if (name == m_page.controls[0])
        return 1;
    uint32_t enable = 0;
    if (!Read(m_page.enableKey, enable) || enable == 0)
        return 0;
    if (name == m_page.logo || name == L"BtnMusicMode" || name == L"BtnMovieMode")
        return 1;
    // The sliders, the reset, the picture (and the panorama) belong to music mode.
    uint32_t mode = 0;
    return Read(m_page.modeKey, mode) && mode == 1 ? 1 : 0;
}

int CUpmixPageHandler::ToggleEnable() {
    uint32_t enable = 0;
    Read(m_page.enableKey, enable);
    const uint32_t next = enable == 0 ? 1 : 0;
    const int32_t result = Write(m_page.enableKey, next);
    // A refused switch changes nothing on the device: the other effects stay as the user set them, and the
    // switch goes back to what the device still holds.
    if (result == kDriverOk && next == 1)
        ApplyExclusionRule();
    ApplyControlStates(result == kDriverOk ? FALSE : TRUE, FALSE);
    if (m_owner)
        m_owner->Invalidate(FALSE);
    if (result == kDriverOk)
        AnnounceChange(*this, m_page.enableKey, 1);
    return 1;
}

int CUpmixPageHandler::SetMode(uint32_t mode) {
    Write(m_page.modeKey, mode);
    ApplyControlStates(FALSE, FALSE);
    if (m_owner)
        m_owner->Invalidate(FALSE);
    AnnounceChange(*this, m_page.modeKey, 0);
    return 1;
}

int CUpmixPageHandler::SetLevel(const wchar_t* key, uint32_t value, int notify) {
    if (Write(key, value) != kDriverOk)
        return 0;
    if (notify)
        AnnounceChange(*this, key, 0);
    return 1;
}

int CUpmixPageHandler::Reset() {
    if (auto* slider = dynamic_cast<IxSkinSlider*>(FindControl(kCentreSlider)))
        slider->SetPos(static_cast<float>(m_page.centreReset), TRUE);
    if (auto* slider = dynamic_cast<IxSkinSlider*>(FindControl(kDimensionSlider)))
        slider->SetPos(static_cast<float>(m_page.dimensionReset), TRUE);
    SetLevel(m_page.centreKey, m_page.centreReset, 1);
    SetLevel(m_page.dimensionKey, m_page.dimensionReset, 1);
    DrawSoundField(TRUE);
    return 1;
}

int CUpmixPageHandler::UpdateFromDriver() {
    return uintkey::SwitchOrSettingsChanged(GetDriver(), m_page.enableKey, m_page.watchedWhileOn) ? 1 : 0;
}

int CUpmixPageHandler::OnClick(const std::wstring& name) {
    if (name == m_page.controls[0])
        ToggleEnable();
    else if (name == L"BtnMusicMode")
        SetMode(1);
    else if (name == L"BtnMovieMode")
        SetMode(0);
    else if (name == L"BtnReset")
        Reset();
    else if (name == L"ChannelsSetting")
        RequestSettingContent();
    return 1;
}

int CUpmixPageHandler::OnSliderChanged(const std::wstring& name, float position, int notify) {
    if (name == kCentreSlider)
        SetLevel(m_page.centreKey, SliderLevel(position), notify == 1);
    else if (name == kDimensionSlider)
        SetLevel(m_page.dimensionKey, SliderLevel(position), notify == 1);
    DrawSoundField(TRUE);
    return 1;
}
