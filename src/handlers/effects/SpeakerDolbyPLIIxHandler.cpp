#include "handlers/effects/SpeakerDolbyPLIIxHandler.h"

#include "app/HandlerServices.h"

namespace {

constexpr wchar_t kEnableKey[] = L"Enable_PLIIX_LFX";
constexpr wchar_t kModeKey[] = L"PLIIX_MODE";
constexpr wchar_t kPanoramaKey[] = L"PLIIX_PANORAMA";
constexpr wchar_t kCenterWidthKey[] = L"PLIIX_SLIDER_CENTERWIDTH";
constexpr wchar_t kDimensionKey[] = L"PLIIX_SLIDER_DIMENSION";
constexpr wchar_t kPanoramaButton[] = L"BtnPanorama";

constexpr uint32_t kResetCenterWidth = 4;
constexpr uint32_t kResetDimension = 7;

constexpr uintkey::Default kDefaults[] = {{kEnableKey, 0},
                                          {kModeKey, 0},
                                          {kPanoramaKey, 0},
                                          {kCenterWidthKey, kResetCenterWidth},
                                          {kDimensionKey, kResetDimension}};
constexpr const wchar_t* kWatchedWhileOn[] = {kModeKey, kPanoramaKey, kCenterWidthKey, kDimensionKey};

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
    kPanoramaButton,
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

constexpr UpmixPage kPage{
    .enableKey = kEnableKey,
    .modeKey = kModeKey,
    .centreKey = kCenterWidthKey,
    .dimensionKey = kDimensionKey,
    .centreReset = kResetCenterWidth,
    .dimensionReset = kResetDimension,
    .logo = L"ProLogic_Logo",
    .controls = kControls,
    .defaults = kDefaults,
    .watchedWhileOn = kWatchedWhileOn,
    .switchAlwaysRedrawn = false,
};

} // namespace

CSpeakerDolbyPLIIxHandler::CSpeakerDolbyPLIIxHandler() : CUpmixPageHandler(kPage) {
    m_name = L"SpeakerDolbyPLIIx";
}

void CSpeakerDolbyPLIIxHandler::InitDefaults(int32_t endpointCode) {
    WriteDefaults(AppHandlerServices().GetDriver(), endpointCode);
}

void CSpeakerDolbyPLIIxHandler::WriteDefaults(IDriverInstance* driver, int32_t endpointCode) {
    CUpmixPageHandler::WriteDefaults(driver, endpointCode, kPage);
}

void CSpeakerDolbyPLIIxHandler::ApplyOwnStates() {
    if (!FindControl(kPanoramaButton))
        return;
    uint32_t panorama = 0;
    Read(kPanoramaKey, panorama);
    CheckButton(kPanoramaButton, panorama, FALSE);
}

int CSpeakerDolbyPLIIxHandler::TogglePanorama() {
    uint32_t panorama = 0;
    Read(kPanoramaKey, panorama);
    SetPanorama(panorama == 0 ? 1 : 0, FALSE);
    return 1;
}

void CSpeakerDolbyPLIIxHandler::SetPanorama(uint32_t value, BOOL redraw) {
    Write(kPanoramaKey, value);
    AnnounceChange(*this, kPanoramaKey, 0);
    CheckButton(kPanoramaButton, value, redraw);
}

int CSpeakerDolbyPLIIxHandler::SetCenterWidth(uint32_t value, int notify) {
    return SetLevel(kCenterWidthKey, value, notify);
}

int CSpeakerDolbyPLIIxHandler::SetDimension(uint32_t value, int notify) {
    return SetLevel(kDimensionKey, value, notify);
}

int CSpeakerDolbyPLIIxHandler::Reset() {
    CUpmixPageHandler::Reset();
    SetPanorama(0, TRUE);
    return 1;
}

int CSpeakerDolbyPLIIxHandler::OnClick(const std::wstring& name) {
    if (name == kPanoramaButton)
        return TogglePanorama();
    return CUpmixPageHandler::OnClick(name);
}
