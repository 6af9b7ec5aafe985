#pragma once
// The bass management page of the speaker output: the switch, cut-off and bass-level sliders, and a
// large/small choice per speaker pair that travels to the device as one speaker bit mask. Only the
// speakers of the current channel layout are shown.

#include <cstdint>
#include <string>

#include "app/BaseHandler.h"

class ISubrouteHandler {
public:
    virtual ~ISubrouteHandler() = default;
    virtual int SetEnable(uint32_t on) = 0;
    virtual int SetCutoffFrequency(uint32_t value) = 0;
    virtual int SetBassLevel(int32_t value) = 0;
    virtual int SetFrontLarge(int index) = 0;
    virtual int SetSideLarge(int index) = 0;
    virtual int SetBackLarge(int index) = 0;
    virtual int SetCenterLarge(int index) = 0;
};

class CSubrouteHandler : public CBaseHandler, public ISubrouteHandler {
public:
    static constexpr int kSpeakerCount = 7;

    CSubrouteHandler() { m_name = L"SubrouteHandler"; }

    // ISubrouteHandler
    int SetEnable(uint32_t on) override;
    int SetCutoffFrequency(uint32_t value) override;
    int SetBassLevel(int32_t value) override;
    int SetFrontLarge(int index) override;
    int SetSideLarge(int index) override;
    int SetBackLarge(int index) override;
    int SetCenterLarge(int index) override;

    // IHandler
    void InitControls() override;
    int UpdateFromDriver() override;
    // Listeners
    int OnClick(const std::wstring& name) override;
    int OnSelChange(const std::wstring& name, int index) override;
    int OnSliderChanged(const std::wstring& name, float value, int done) override;

    int SetSpeakerLarge(int speaker, uint32_t large);
    // The device's mask of large speakers for the given flags.
    static uint32_t MaskOf(const uint32_t (&large)[kSpeakerCount]);

    uint32_t GetSwitch() const { return m_enable; }
    uint32_t GetCutoff() const { return m_cutoff; }
    int32_t GetBassLevel() const { return m_bassLevel; }
    uint32_t GetLarge(int speaker) const { return m_large[speaker]; }
    int GetChannelCount() const { return m_channels; }

    // Start-up: an endpoint whose switch cannot be read gets the whole default set.
    static void InitDefaults(IDriverInstance* driver, int32_t endpointCode);

private:
    void LoadDriverValues();
    void LayOutSpeakers();
    void ShowCombos();
    void ShowControl(const wchar_t* name, bool shown, BOOL redraw);

    uint32_t m_cutoff = 100;
    int32_t m_bassLevel = 0;
    uint32_t m_enable = 0;
    uint32_t m_large[kSpeakerCount] = {};
    int m_channels = 2;
};
