#include "handlers/effects/VimoDynamicBassHandler.h"

#include "app/HandlerServices.h"

// clang-format off
const EffectPageTable CVimoDynamicBassHandler::kTable =
    {L"Enable_VIRTUALBASS_LFX", L"BtnEnableDynamicBass", L"DynamicBass_Logo",
     {{L"VIRTUALBASS_Level", L"BassLevel", L"LevelTextBox", L"ResetBassLevel", 5, 0, 10, false, 5, 5},
      {L"VIRTUALBASS_CutOffFrequency", L"CutoffFrequency", L"FrequencyTextBox", L"ResetFrequency", 200, 100, 400,
       false, 200, 200}},
     2, nullptr, nullptr, L"VIRTUALBASS_Mode"};
// clang-format on

void CVimoDynamicBassHandler::InitDefaults(int32_t endpointCode) {
    InitDefaults(AppHandlerServices().GetDriver(), endpointCode);
}
