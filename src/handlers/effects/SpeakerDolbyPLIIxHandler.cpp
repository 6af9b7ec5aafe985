#include "handlers/effects/SpeakerDolbyPLIIxHandler.h"

#include <iterator>

#include "app/HandlerServices.h"
#include "app/IMainHandler.h"
#include "driver/IDriverInstance.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinSlider.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinRadioButton.h"
#include "skin/SkinShape.h"

namespace {

constexpr int kUnsigned = 1;

constexpr wchar_t kEnableKey[] = L"Enable_PLIIX_LFX";
constexpr wchar_t kModeKey[] = L"PLIIX_MODE";
constexpr wchar_t kPanoramaKey[] = L"PLIIX_PANORAMA";
constexpr wchar_t kCenterWidthKey[] = L"PLIIX_SLIDER_CENTERWIDTH";
constexpr wchar_t kDimensionKey[] = L"PLIIX_SLIDER_DIMENSION";

constexpr uint32_t kResetCenterWidth = 4;
constexpr uint32_t kResetDimension = 7;

constexpr const wchar_t* kDefaultKeys[] = {kEnableKey, kModeKey, kPanoramaKey, kCenterWidthKey, kDimensionKey};
constexpr uint32_t kDefaultValues[] = {0, 0, 0, kResetCenterWidth, kResetDimension};
constexpr const wchar_t* kWatchedKeys[] = {kEnableKey, kModeKey, kPanoramaKey, kCenterWidthKey, kDimensionKey};

// The switch first; the rest grey together with it.
constexpr const wchar_t* kControls[] = {
    L"BtnEnableDolby_PLIIx",
    L"ProLogic_Logo",
    L"BtnMusicMode",
    L"BtnMovieMode",
    L"CenterGain",
    L"Dimension",
    L"BtnReset",
    L"Fan",
    L"Shape",
    L"BtnPanorama",
    L"Panorama",
    L"FanNarrow",
    L"FanWide",
    L"CircleFront",
    L"CircleBack",
    L"Circle",
    L"Speaker_L",
    L"Speaker_C",
    L"Speaker_W",
    L"Speaker_R",
    L"Speaker_Ls",
    L"Speaker_Rs",
    L"Speaker_Lb",
    L"Speaker_Rb",
    L"Speaker_Head",
};

} // namespace

namespace upmix {

bool Read(const CBaseHandler& page, const wchar_t* key, uint32_t& value) {
    IDriverInstance* driver = page.GetDriver();
    uint32_t read = 0;
    if (!driver || driver->GetProperty(key, &read, kUnsigned, 0, nullptr, 0, 0, true, false) != 0)
        return false;
    value = read;
    return true;
}

int Write(const CBaseHandler& page, const wchar_t* key, uint32_t value) {
    IDriverInstance* driver = page.GetDriver();
    return driver ? driver->SetProperty(key, &value, kUnsigned, 0, nullptr, 0, 0) : -1;
}

void Announce(const CBaseHandler& page, const wchar_t* key, int fromSwitch) {
    if (IMainHandler* main = page.GetMainHandler())
        main->UpdateStatusPanel(key, fromSwitch);
}

void CheckButton(const CBaseHandler& page, const wchar_t* name, uint32_t on, BOOL redraw) {
    if (auto* button = dynamic_cast<IxSkinButton*>(page.FindControl(name)))
        button->SetCheck(on != 0 ? 1 : 0, redraw);
}

void SelectMode(const CBaseHandler& page, const wchar_t* modeKey) {
    uint32_t mode = 0;
    // An unreadable mode leaves the buttons as they are rather than claiming movie mode.
    if (!Read(page, modeKey, mode))
        return;
    if (auto* radio = dynamic_cast<CxSkinRadioButton*>(page.FindControl(mode == 1 ? L"BtnMusicMode" : L"BtnMovieMode")))
        radio->Select(FALSE);
}

void SetSlider(const CBaseHandler& page, const wchar_t* name, const wchar_t* key, BOOL redraw) {
    auto* slider = dynamic_cast<IxSkinSlider*>(page.FindControl(name));
    uint32_t value = 0;
    if (slider && Read(page, key, value))
        slider->SetPos(static_cast<float>(value), redraw);
}

bool IsSurroundOutput(const CBaseHandler& page) {
    IDriverInstance* driver = page.GetDriver();
    uint32_t channels = 0;
    if (!driver ||
        driver->GetProperty(L"DevChannelNumControl", &channels, kUnsigned, 2, nullptr, 0, 0, true, false) != 0)
        return false;
    return (channels & 0xFFFF) > 2;
}

int Changed(const CBaseHandler& page, const wchar_t* const* keys, size_t count) {
    IDriverInstance* driver = page.GetDriver();
    if (!driver)
        return 0;
    auto read = [driver](const wchar_t* key, bool fromCache) {
        uint32_t value = 0;
        driver->GetProperty(key, &value, kUnsigned, 0, nullptr, 0, 0, false, fromCache);
        return value;
    };
    const uint32_t enable = read(keys[0], false);
    if (enable != read(keys[0], true))
        return 1;
    if (enable == 0)
        return 0;
    for (size_t i = 1; i < count; ++i) {
        if (read(keys[i], false) != read(keys[i], true))
            return 1;
    }
    return 0;
}

void WriteDefaults(IDriverInstance* driver, int32_t endpointCode, const wchar_t* const* keys, const uint32_t* values,
                   size_t count) {
    if (!driver)
        return;
    uint32_t value = 0;
    if (driver->GetEndpointProperty(endpointCode, keys[0], &value, kUnsigned, 0, nullptr, 0, 0, true, false) == 0)
        return;
    for (size_t i = 0; i < count; ++i)
        driver->SetEndpointProperty(endpointCode, keys[i], &values[i], kUnsigned, 0, nullptr, 0, 0);
}

uint32_t Truncate(float position) {
    return position > 0.0f ? static_cast<uint32_t>(position) : 0;
}

} // namespace upmix

void CSpeakerDolbyPLIIxHandler::InitDefaults(int32_t endpointCode) {
    WriteDefaults(AppHandlerServices().GetDriver(), endpointCode);
}

void CSpeakerDolbyPLIIxHandler::WriteDefaults(IDriverInstance* driver, int32_t endpointCode) {
    upmix::WriteDefaults(driver, endpointCode, kDefaultKeys, kDefaultValues, std::size(kDefaultKeys));
}

int CSpeakerDolbyPLIIxHandler::FanAngle(float position, int maximum) {
    // A markup slider without a positive maximum would divide by zero: keep the fan at its narrowest.
    if (maximum <= 0)
        return 10;
    return static_cast<int>(position * 80.0 / maximum + 10.0);
}

double CSpeakerDolbyPLIIxHandler::GradientCenter(float position, int maximum) {
    if (maximum <= 0)
        return 1.0;
    return (maximum - static_cast<double>(position)) / maximum;
}

void CSpeakerDolbyPLIIxHandler::DrawSoundFieldOn(const CBaseHandler& page, BOOL redraw) {
    if (auto* slider = dynamic_cast<IxSkinSlider*>(page.FindControl(L"CenterGain"))) {
        if (CxSkinCtrl* fan = page.FindControl(L"Fan"))
            fan->SetShapePolygon(FanAngle(slider->GetPos(), slider->GetMaximum()), FALSE);
    }
    auto* shape = dynamic_cast<CxSkinShape*>(page.FindControl(L"Shape"));
    if (auto* slider = dynamic_cast<IxSkinSlider*>(page.FindControl(L"Dimension"))) {
        if (shape)
            shape->SetGradientCenter(GradientCenter(slider->GetPos(), slider->GetMaximum()));
    }
    if (redraw && shape)
        shape->Redraw(FALSE);
}

void CSpeakerDolbyPLIIxHandler::ApplyControlStates(BOOL readEnable, BOOL redraw) {
    if (readEnable && FindControl(kControls[0])) {
        uint32_t enable = 0;
        upmix::Read(*this, kEnableKey, enable);
        upmix::CheckButton(*this, kControls[0], enable, redraw);
    }
    for (size_t i = 1; i < std::size(kControls); ++i)
        EnableControl(kControls[i], redraw);
    upmix::SelectMode(*this, kModeKey);
    upmix::SetSlider(*this, L"CenterGain", kCenterWidthKey, FALSE);
    upmix::SetSlider(*this, L"Dimension", kDimensionKey, FALSE);
    DrawSoundField(FALSE);
    if (FindControl(L"BtnPanorama")) {
        uint32_t panorama = 0;
        upmix::Read(*this, kPanoramaKey, panorama);
        upmix::CheckButton(*this, L"BtnPanorama", panorama, FALSE);
    }
    if (redraw && m_owner)
        m_owner->Invalidate(FALSE);
}

CSpeakerDolbyPLIIxHandler::CSpeakerDolbyPLIIxHandler()
    : CUpmixPageHandler(kControls[0], L"ProLogic_Logo", kEnableKey, kModeKey) {
    m_name = L"SpeakerDolbyPLIIx";
}

int CSpeakerDolbyPLIIxHandler::SetEnable() {
    return ToggleEnable();
}

void CSpeakerDolbyPLIIxHandler::ApplyExclusionRule() {
    ApplyEffectRuleNeo();
}

int CSpeakerDolbyPLIIxHandler::TogglePanorama() {
    uint32_t panorama = 0;
    upmix::Read(*this, kPanoramaKey, panorama);
    SetPanorama(panorama == 0 ? 1 : 0, FALSE);
    return 1;
}

void CSpeakerDolbyPLIIxHandler::SetPanorama(uint32_t value, BOOL redraw) {
    upmix::Write(*this, kPanoramaKey, value);
    upmix::Announce(*this, kPanoramaKey, 0);
    upmix::CheckButton(*this, L"BtnPanorama", value, redraw);
}

int CSpeakerDolbyPLIIxHandler::SetMusicMode() {
    return SetMode(1);
}

int CSpeakerDolbyPLIIxHandler::SetMovieMode() {
    return SetMode(0);
}

int CSpeakerDolbyPLIIxHandler::SetCenterWidth(uint32_t value, int notify) {
    return SetLevel(kCenterWidthKey, value, notify);
}

int CSpeakerDolbyPLIIxHandler::SetDimension(uint32_t value, int notify) {
    return SetLevel(kDimensionKey, value, notify);
}

int CSpeakerDolbyPLIIxHandler::Reset() {
    if (auto* slider = dynamic_cast<IxSkinSlider*>(FindControl(L"CenterGain")))
        slider->SetPos(static_cast<float>(kResetCenterWidth), TRUE);
    if (auto* slider = dynamic_cast<IxSkinSlider*>(FindControl(L"Dimension")))
        slider->SetPos(static_cast<float>(kResetDimension), TRUE);
    SetCenterWidth(kResetCenterWidth, 1);
    SetDimension(kResetDimension, 1);
    DrawSoundField(TRUE);
    SetPanorama(0, TRUE);
    return 1;
}

int CSpeakerDolbyPLIIxHandler::UpdateFromDriver() {
    return upmix::Changed(*this, kWatchedKeys, std::size(kWatchedKeys));
}

int CSpeakerDolbyPLIIxHandler::OnClick(const std::wstring& name) {
    if (name == kControls[0])
        SetEnable();
    else if (name == L"BtnMusicMode")
        SetMusicMode();
    else if (name == L"BtnMovieMode")
        SetMovieMode();
    else if (name == L"BtnPanorama")
        TogglePanorama();
    else if (name == L"BtnReset")
        Reset();
    else if (name == L"ChannelsSetting")
        RequestSettingContent();
    return 1;
}

int CSpeakerDolbyPLIIxHandler::OnSliderChanged(const std::wstring& name, float position, int notify) {
    if (name == L"CenterGain")
        SetCenterWidth(upmix::Truncate(position), notify == 1);
    else if (name == L"Dimension")
        SetDimension(upmix::Truncate(position), notify == 1);
    DrawSoundField(TRUE);
    return 1;
}
