#pragma once
// The Dolby Pro Logic IIx up-mix page of the speaker outputs: switch, music/movie mode and, in music mode,
// panorama, centre width and dimension with a reset, and a small sound-field picture that follows the two
// sliders. It needs more than two output channels; on stereo the page shows its warning.

#include <cstdint>
#include <string>

#include "handlers/effects/UpmixPageHandler.h"

class IDriverInstance;

class ISpeakerDolbyPLIIxHandler {
public:
    virtual int SetEnable() = 0;
    virtual int TogglePanorama() = 0;
    virtual int SetMusicMode() = 0;
    virtual int SetMovieMode() = 0;
    virtual int SetCenterWidth(uint32_t value, int notify) = 0;
    virtual int SetDimension(uint32_t value, int notify) = 0;
    virtual int Reset() = 0;

protected:
    ~ISpeakerDolbyPLIIxHandler() = default;
};

class CSpeakerDolbyPLIIxHandler : public CUpmixPageHandler, public ISpeakerDolbyPLIIxHandler {
public:
    CSpeakerDolbyPLIIxHandler();

    static void InitDefaults(int32_t endpointCode);
    static void WriteDefaults(IDriverInstance* driver, int32_t endpointCode);

    // ISpeakerDolbyPLIIxHandler
    int SetEnable() override { return ToggleEnable(); }
    int TogglePanorama() override;
    int SetMusicMode() override { return SetMode(1); }
    int SetMovieMode() override { return SetMode(0); }
    int SetCenterWidth(uint32_t value, int notify) override;
    int SetDimension(uint32_t value, int notify) override;
    // The levels as on every up-mix page, then the panorama off.
    int Reset() override;

    void SetPanorama(uint32_t value, BOOL redraw);

    // IHandler: the panorama switch besides what every up-mix page handles.
    int OnClick(const std::wstring& name) override;

private:
    void ApplyExclusionRule() override { ApplyEffectRuleNeo(); }
    void ApplyOwnStates() override;
};
