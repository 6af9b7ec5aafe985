#include "handlers/effects/VimoVoiceClarityHandler.h"

#include "app/HandlerServices.h"

// clang-format off
const EffectPageTable CVimoVoiceClarityHandler::kTable =
    {L"Enable_VOICECLARITY_LFX", L"BtnEnableVoiceClarity", L"VoiceClarity_Logo",
     {{L"VOICECLARITY_LEVEL", L"VoiceClarityLevel", L"LevelTextBox", L"ResetVoiceLevel", 3, 0, 6, true, 3, 7},
      {L"VOICECLARITY_NOISESUPP_LEVEL", L"SuppLevel", L"SuppLevelTextBox", L"ResetSuppLevel", 0, 0, 20, false, 0, 0}},
     2, nullptr, nullptr, nullptr};
// clang-format on

void CVimoVoiceClarityHandler::InitDefaults(int32_t endpointCode) {
    InitDefaults(AppHandlerServices().GetDriver(), endpointCode);
}
