#pragma once
// The dynamic bass page: a bass level and the cut-off frequency (Hz) below which it acts.

#include <cstdint>
#include <string>

#include "handlers/effects/IVimoEffectHandlers.h"
#include "handlers/effects/SingleSliderEffectHandler.h"

class CVimoDynamicBassHandler : public CSingleSliderEffectHandler, public IVimoDynamicBassHandler {
public:
    static const EffectPageTable kTable;

    CVimoDynamicBassHandler() : CSingleSliderEffectHandler(kTable) {}

    // IVimoDynamicBassHandler
    int SetEnable(uint32_t value) override { return WriteEnable(value); }
    int SetLevel(uint32_t level) override { return WriteChannel(0, level); }
    int SetCutoffFrequency(uint32_t frequency) override { return WriteChannel(1, frequency); }

    // The text-box paths: nothing when the value is already stored; always 1.
    int SetLevelValue(uint32_t value) { return CommitChannel(0, value); }
    int SetFrequencyValue(uint32_t value) { return CommitChannel(1, value); }

    // The start-up defaults of one endpoint, on the program's driver object or the one given.
    static void InitDefaults(int32_t endpointCode);
    static void InitDefaults(IDriverInstance* driver, int32_t endpointCode) {
        WriteDefaults(driver, endpointCode, kTable);
    }

protected:
    int SetEnableValue(uint32_t value) override { return SetEnable(value); }
};
