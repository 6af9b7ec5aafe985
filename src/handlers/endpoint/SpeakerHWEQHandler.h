#pragma once
// The hardware bass and treble page of the output endpoints: two sliders bound to the float tone controls
// of the device's output stage. One class serves the speaker, quarter-speaker and headphone pages, which all
// drive the two keys of the current device.

#include <string>

#include "app/BaseHandler.h"
#include "handlers/endpoint/ISpeakerHWEQHandler.h"

class CSpeakerHWEQHandler : public CBaseHandler, public ISpeakerHWEQHandler {
public:
    // The device reports its tone levels rounded; closer values than this count as unchanged.
    static constexpr float kTolerance = 0.03f;

    CSpeakerHWEQHandler();

    // IHandler
    void InitControls() override;
    int UpdateFromDriver() override;
    // IxSkinSliderListener
    int OnSliderChanged(const std::wstring& name, float value, int done) override;

    float GetBass() const { return m_bass; }
    float GetTreble() const { return m_treble; }

private:
    bool ReadLevel(const wchar_t* key, float& value, bool storeInCache, bool fromCache) const;
    bool IsLevelChanged(const wchar_t* key) const;
    void ShowLevel(const wchar_t* slider, float value);

    float m_bass = 0.0f;
    float m_treble = 0.0f;
};
