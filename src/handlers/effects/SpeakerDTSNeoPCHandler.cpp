#include "handlers/effects/SpeakerDTSNeoPCHandler.h"

#include <iterator>

#include "app/HandlerServices.h"
#include "handlers/effects/SpeakerDolbyPLIIxHandler.h"
#include "skin/IxSkinSlider.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

namespace {

constexpr wchar_t kEnableKey[] = L"Enable_NEOPC_LFX";
constexpr wchar_t kModeKey[] = L"NEOPC_MODE";
constexpr wchar_t kCenterGainKey[] = L"NEOPC_SLIDER_CENTERGAIN";
constexpr wchar_t kDimensionKey[] = L"NEOPC_SLIDER_DIMENSION";

constexpr uint32_t kResetCenterGain = 5;
constexpr uint32_t kResetDimension = 7;

constexpr const wchar_t* kDefaultKeys[] = {kEnableKey, kModeKey, kCenterGainKey, kDimensionKey};
constexpr uint32_t kDefaultValues[] = {0, 0, kResetCenterGain, kResetDimension};
constexpr const wchar_t* kWatchedKeys[] = {kEnableKey, kModeKey, kCenterGainKey, kDimensionKey};

// The switch first; the rest grey together with it.
constexpr const wchar_t* kControls[] = {
    L"BtnEnableDTSNeoPC", L"NeoPC_Logo", L"BtnMusicMode", L"BtnMovieMode", L"CenterGain",   L"Dimension",
    L"BtnReset",          L"Fan",        L"Shape",        L"FanNarrow",    L"FanWide",      L"CircleFront",
    L"CircleBack",        L"Circle",     L"Speaker_L",    L"Speaker_C",    L"Speaker_W",    L"Speaker_R",
    L"Speaker_Ls",        L"Speaker_Rs", L"Speaker_Lb",   L"Speaker_Rb",   L"Speaker_Head",
};

} // namespace

void CSpeakerDTSNeoPCHandler::InitDefaults(int32_t endpointCode) {
    WriteDefaults(AppHandlerServices().GetDriver(), endpointCode);
}

void CSpeakerDTSNeoPCHandler::WriteDefaults(IDriverInstance* driver, int32_t endpointCode) {
    upmix::WriteDefaults(driver, endpointCode, kDefaultKeys, kDefaultValues, std::size(kDefaultKeys));
}

void CSpeakerDTSNeoPCHandler::DrawSoundField(BOOL redraw) {
    CSpeakerDolbyPLIIxHandler::DrawSoundFieldOn(*this, redraw);
}

void CSpeakerDTSNeoPCHandler::ApplyControlStates(BOOL readEnable, BOOL redraw) {
    if (readEnable && FindControl(kControls[0])) {
        uint32_t enable = 0;
        upmix::Read(*this, kEnableKey, enable);
        upmix::CheckButton(*this, kControls[0], enable, TRUE);
    }
    for (size_t i = 1; i < std::size(kControls); ++i)
        EnableControl(kControls[i], redraw);
    upmix::SelectMode(*this, kModeKey);
    upmix::SetSlider(*this, L"CenterGain", kCenterGainKey, FALSE);
    upmix::SetSlider(*this, L"Dimension", kDimensionKey, FALSE);
    DrawSoundField(FALSE);
    if (redraw && m_owner)
        m_owner->Invalidate(FALSE);
}

CSpeakerDTSNeoPCHandler::CSpeakerDTSNeoPCHandler()
    : CUpmixPageHandler(kControls[0], L"NeoPC_Logo", kEnableKey, kModeKey) {
    m_name = L"SpeakerDTSNeoPC";
}

int CSpeakerDTSNeoPCHandler::SetEnable() {
    return ToggleEnable();
}

void CSpeakerDTSNeoPCHandler::ApplyExclusionRule() {
    ApplyEffectRulePLIIx();
}

int CSpeakerDTSNeoPCHandler::SetMusicMode() {
    return SetMode(1);
}

int CSpeakerDTSNeoPCHandler::SetMovieMode() {
    return SetMode(0);
}

int CSpeakerDTSNeoPCHandler::SetCenterGain(uint32_t value, int notify) {
    return SetLevel(kCenterGainKey, value, notify);
}

int CSpeakerDTSNeoPCHandler::SetDimension(uint32_t value, int notify) {
    return SetLevel(kDimensionKey, value, notify);
}

int CSpeakerDTSNeoPCHandler::Reset() {
    if (auto* slider = dynamic_cast<IxSkinSlider*>(FindControl(L"CenterGain")))
        slider->SetPos(static_cast<float>(kResetCenterGain), TRUE);
    if (auto* slider = dynamic_cast<IxSkinSlider*>(FindControl(L"Dimension")))
        slider->SetPos(static_cast<float>(kResetDimension), TRUE);
    SetCenterGain(kResetCenterGain, 1);
    SetDimension(kResetDimension, 1);
    DrawSoundField(TRUE);
    return 1;
}

int CSpeakerDTSNeoPCHandler::UpdateFromDriver() {
    return upmix::Changed(*this, kWatchedKeys, std::size(kWatchedKeys));
}

int CSpeakerDTSNeoPCHandler::OnClick(const std::wstring& name) {
    if (name == kControls[0])
        SetEnable();
    else if (name == L"BtnMusicMode")
        SetMusicMode();
    else if (name == L"BtnMovieMode")
        SetMovieMode();
    else if (name == L"BtnReset")
        Reset();
    else if (name == L"ChannelsSetting")
        RequestSettingContent();
    return 1;
}

int CSpeakerDTSNeoPCHandler::OnSliderChanged(const std::wstring& name, float position, int notify) {
    if (name == L"CenterGain")
        SetCenterGain(upmix::Truncate(position), notify == 1);
    else if (name == L"Dimension")
        SetDimension(upmix::Truncate(position), notify == 1);
    DrawSoundField(TRUE);
    return 1;
}
