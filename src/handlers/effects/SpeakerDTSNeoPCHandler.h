#pragma once
// The DTS Neo:PC up-mix page of the speaker outputs: the twin of the Pro Logic IIx page without the
// panorama switch, drawing the same sound-field picture.

#include <cstdint>
#include <string>

#include "handlers/effects/UpmixPageHandler.h"

class IDriverInstance;

class ISpeakerDTSNeoPCHandler {
public:
    virtual int SetEnable() = 0;
    virtual int SetCenterGain(uint32_t value, int notify) = 0;
    virtual int SetDimension(uint32_t value, int notify) = 0;
    virtual int Reset() = 0;

protected:
    ~ISpeakerDTSNeoPCHandler() = default;
};

class CSpeakerDTSNeoPCHandler : public CUpmixPageHandler, public ISpeakerDTSNeoPCHandler {
public:
    CSpeakerDTSNeoPCHandler();

    static void InitDefaults(int32_t endpointCode);
    static void WriteDefaults(IDriverInstance* driver, int32_t endpointCode);

    int SetEnable() override { return ToggleEnable(); }
    int SetCenterGain(uint32_t value, int notify) override;
    int SetDimension(uint32_t value, int notify) override;
    int Reset() override { return CUpmixPageHandler::Reset(); }

    int SetMusicMode() { return SetMode(1); }
    int SetMovieMode() { return SetMode(0); }

private:
    void ApplyExclusionRule() override { ApplyEffectRulePLIIx(); }
};
