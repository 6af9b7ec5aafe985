#include "handlers/effects/SpeakerDTSNeoPCHandler.h"

#include "app/HandlerServices.h"

namespace {

constexpr wchar_t kEnableKey[] = L"Enable_NEOPC_LFX";
constexpr wchar_t kModeKey[] = L"NEOPC_MODE";
constexpr wchar_t kCenterGainKey[] = L"NEOPC_SLIDER_CENTERGAIN";
constexpr wchar_t kDimensionKey[] = L"NEOPC_SLIDER_DIMENSION";

constexpr uint32_t kResetCenterGain = 5;
constexpr uint32_t kResetDimension = 7;

constexpr uintkey::Default kDefaults[] = {
    {kEnableKey, 0}, {kModeKey, 0}, {kCenterGainKey, kResetCenterGain}, {kDimensionKey, kResetDimension}};
constexpr const wchar_t* kWatchedWhileOn[] = {kModeKey, kCenterGainKey, kDimensionKey};

// The switch first; the rest grey together with it.
constexpr const wchar_t* kControls[] = {
    L"BtnEnableDTSNeoPC", L"NeoPC_Logo", L"BtnMusicMode", L"BtnMovieMode", L"CenterGain",   L"Dimension",
    L"BtnReset",          L"Fan",        L"Shape",        L"FanNarrow",    L"FanWide",      L"CircleFront",
    L"CircleBack",        L"Circle",     L"Speaker_L",    L"Speaker_C",    L"Speaker_W",    L"Speaker_R",
    L"Speaker_Ls",        L"Speaker_Rs", L"Speaker_Lb",   L"Speaker_Rb",   L"Speaker_Head",
};

constexpr UpmixPage kPage{
    .enableKey = kEnableKey,
    .modeKey = kModeKey,
    .centreKey = kCenterGainKey,
    .dimensionKey = kDimensionKey,
    .centreReset = kResetCenterGain,
    .dimensionReset = kResetDimension,
    .logo = L"NeoPC_Logo",
    .controls = kControls,
    .defaults = kDefaults,
    .watchedWhileOn = kWatchedWhileOn,
    .switchAlwaysRedrawn = true,
};

} // namespace

CSpeakerDTSNeoPCHandler::CSpeakerDTSNeoPCHandler() : CUpmixPageHandler(kPage) {
    m_name = L"SpeakerDTSNeoPC";
}

void CSpeakerDTSNeoPCHandler::InitDefaults(int32_t endpointCode) {
    WriteDefaults(AppHandlerServices().GetDriver(), endpointCode);
}

void CSpeakerDTSNeoPCHandler::WriteDefaults(IDriverInstance* driver, int32_t endpointCode) {
    CUpmixPageHandler::WriteDefaults(driver, endpointCode, kPage);
}

int CSpeakerDTSNeoPCHandler::SetCenterGain(uint32_t value, int notify) {
    return SetLevel(kCenterGainKey, value, notify);
}

int CSpeakerDTSNeoPCHandler::SetDimension(uint32_t value, int notify) {
    return SetLevel(kDimensionKey, value, notify);
}
