#include "handlers/effects/VimoSmartVolHandler.h"

#include "app/HandlerServices.h"

// clang-format off
const EffectPageTable CVimoSmartVolHandler::kTable =
    {L"Enable_ADAPTIVEVOLUME_GFX", L"BtnEnableSmartVol", L"SmartVol_Logo",
     {{L"ADAPTIVEVOLUME_LEVEL", L"VolumeLevel", L"LevelTextBox", nullptr, 0, 0, 100, false, 70, 70}},
     1, L"ADAPTIVEVOLUME_MODE", L"Mode", nullptr};
// clang-format on

void CVimoSmartVolHandler::InitDefaults(int32_t endpointCode) {
    InitDefaults(AppHandlerServices().GetDriver(), endpointCode);
}

int CVimoSmartVolHandler::OnSelChange(const std::wstring& name, int index) {
    if (name != kTable.modeList || index < 0)
        return 0;
    return SetMode(static_cast<uint32_t>(index));
}
