#pragma once
// The brilliance page: high-frequency enhancement, one level shown 0..6.

#include <cstdint>
#include <string>

#include "handlers/effects/IVimoEffectHandlers.h"
#include "handlers/effects/SingleSliderEffectHandler.h"

class CVimoAudioBrilliantHandler : public CSingleSliderEffectHandler, public IVimoAudioBrilliantHandler {
public:
    static const EffectPageTable kTable;

    CVimoAudioBrilliantHandler() : CSingleSliderEffectHandler(kTable) {}

    // IVimoAudioBrilliantHandler
    int SetEnable(uint32_t value) override { return WriteEnable(value); }
    int SetLevel(uint32_t level) override { return WriteChannel(0, level); }

    // The text-box paths: nothing when the value is already stored; always 1.
    int SetLevelValue(uint32_t value) { return CommitChannel(0, value); }

    // The start-up defaults of one endpoint, on the program's driver object or the one given.
    static void InitDefaults(int32_t endpointCode);
    static void InitDefaults(IDriverInstance* driver, int32_t endpointCode) {
        WriteDefaults(driver, endpointCode, kTable);
    }

protected:
    int SetEnableValue(uint32_t value) override { return SetEnable(value); }
};
