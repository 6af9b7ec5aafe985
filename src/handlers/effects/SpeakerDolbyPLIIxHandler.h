#pragma once
// The Dolby Pro Logic IIx up-mix page of the speaker outputs: switch, music/movie mode and, in music mode,
// panorama, centre width and dimension with a reset, and a small sound-field picture that follows the two
// sliders. It needs more than two output channels; on stereo the page shows its warning.

#include <cstdint>
#include <string>

#include "app/BaseHandler.h"
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
    // The picture both up-mix pages draw: the fan opens from 10 degrees at position 0 to 90 at the
    // centre slider's maximum; the shape's gradient centre runs from 1 at dimension 0 to 0 at the maximum.
    static int FanAngle(float position, int maximum);
    static double GradientCenter(float position, int maximum);
    static void DrawSoundFieldOn(const CBaseHandler& page, BOOL redraw);

    // ISpeakerDolbyPLIIxHandler
    int SetEnable() override;
    int TogglePanorama() override;
    int SetMusicMode() override;
    int SetMovieMode() override;
    int SetCenterWidth(uint32_t value, int notify) override;
    int SetDimension(uint32_t value, int notify) override;
    int Reset() override;

    void ApplyControlStates(BOOL readEnable, BOOL redraw) override;
    void DrawSoundField(BOOL redraw) { DrawSoundFieldOn(*this, redraw); }
    void SetPanorama(uint32_t value, BOOL redraw);

    // IHandler
    int UpdateFromDriver() override;
    int OnClick(const std::wstring& name) override;
    int OnSliderChanged(const std::wstring& name, float position, int notify) override;

private:
    void ApplyExclusionRule() override;
};

namespace upmix {
// Shared by the two up-mix pages: reads and writes of unsigned keys on the current device.
bool Read(const CBaseHandler& page, const wchar_t* key, uint32_t& value);
int Write(const CBaseHandler& page, const wchar_t* key, uint32_t value);
void Announce(const CBaseHandler& page, const wchar_t* key, int fromSwitch);
void CheckButton(const CBaseHandler& page, const wchar_t* name, uint32_t on, BOOL redraw);
void SelectMode(const CBaseHandler& page, const wchar_t* modeKey);
void SetSlider(const CBaseHandler& page, const wchar_t* name, const wchar_t* key, BOOL redraw);
bool IsSurroundOutput(const CBaseHandler& page);
// Live against cached, in order; only the switch while it reads off.
int Changed(const CBaseHandler& page, const wchar_t* const* keys, size_t count);
void WriteDefaults(IDriverInstance* driver, int32_t endpointCode, const wchar_t* const* keys, const uint32_t* values,
                   size_t count);
uint32_t Truncate(float position);
} // namespace upmix
