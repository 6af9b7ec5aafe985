#pragma once
// The shared part of the endpoint channel-configuration pages: the output terminal list, the channel copy
// and speaker swap toggles, and the speaker test through the main window's player. The endpoint classes
// add the channel count and their own controls.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/BaseHandler.h"
#include "handlers/endpoint/ISettingHandler.h"

class CSoundPlayer;

class CSettingHandler : public CBaseHandler, public ISettingHandler {
public:
    // A test click counts only this long after the previous accepted one.
    static constexpr DWORD kClickIntervalMs = 500;

    CSettingHandler() { m_name = L"SettingHandler"; }

    // ISettingHandler (the channel count is the endpoint's)
    void SetChannelCopy() override;
    void SetWooferCenterSwap() override;
    void SetSideBackSwap() override;

    // IHandler
    void InitControls() override;
    void OnDeactivate() override;
    // Listeners
    int OnClick(const std::wstring& name) override { return OnButtonClick(name); }
    int OnSelChange(const std::wstring& name, int index) override { return OnComboBoxSelChange(name, index); }
    void OnPlayStart(int channel) override;
    void OnPlayEnd(int channel) override { OnSoundPlayEnd(channel); }

    int OnButtonClick(const std::wstring& name);
    virtual int OnComboBoxSelChange(const std::wstring& name, int index);
    void OnSoundPlayEnd(int channel);

    // Start-up: an endpoint whose channel count cannot be read gets stereo, no swaps, no copy and the
    // speaker output.
    static void ApplyToDevice(IDriverInstance* driver, int32_t endpointCode);

    int GetChannelField() const { return m_channels; }
    int GetOutputBitsField() const { return m_outputBits; }
    // Tests move the clock; 0 goes back to GetTickCount.
    void SetTickSource(DWORD (*tick)()) { m_tick = tick; }

protected:
    // Builds the list of speakers the whole test walks and plays it.
    virtual void StartSpeakerTest() = 0;

    CSoundPlayer* Player() const;
    bool IsClickIntervalElapsed();
    void SetSpeakerImagesClickable(bool clickable);
    void PlaySpeakers(std::vector<uint32_t> speakers);
    // The two-channel endpoints' shared bodies.
    void SetStereoChannelNumber(int channels);
    void PlayFrontPair();

    // Unsigned numbers of `size` bytes: the default (kDefaultNumberSize) or the 16-bit channel count
    // (kChannelCountSize), which is read back without whatever a driver left above it.
    bool ReadUnsigned(const wchar_t* key, uint32_t& value, uint32_t size, bool storeInCache) const;
    bool WriteUnsigned(const wchar_t* key, uint32_t value, uint32_t size) const;
    void CheckButton(const wchar_t* name, int on, BOOL redraw) const;
    void ShowControl(const wchar_t* name, bool shown, BOOL redraw) const;

    int m_channels = 2;
    int m_outputBits = 0;
    DWORD m_lastClick = 0;

private:
    void FillOutputTerminals();
    void Toggle(const wchar_t* key, const wchar_t* button, bool isChannelCopy);
    void ToggleWholeTest();
    void TestOneSpeaker(const std::wstring& image);
    DWORD Now() const { return m_tick ? m_tick() : GetTickCount(); }

    DWORD (*m_tick)() = nullptr;
};
