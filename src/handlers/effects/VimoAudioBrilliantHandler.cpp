#include "handlers/effects/VimoAudioBrilliantHandler.h"

#include "app/HandlerServices.h"

// clang-format off
const EffectPageTable CVimoAudioBrilliantHandler::kTable =
    {L"Enable_AUDIOBRILLIANT_LFX", L"BtnEnableAudioBrilliant", L"AudioBrilliant_Logo",
     {{L"AUDIOBRILLIANT_LEVEL", L"BrilliantLevel", L"LevelTextBox", L"ResetBrilliant", 3, 0, 6, true, 3, 7}},
     1, nullptr, nullptr, nullptr};
// clang-format on

void CVimoAudioBrilliantHandler::InitDefaults(int32_t endpointCode) {
    InitDefaults(AppHandlerServices().GetDriver(), endpointCode);
}
