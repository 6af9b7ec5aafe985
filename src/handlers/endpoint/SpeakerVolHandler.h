#pragma once
// The speaker page: the master level, up to four channel-pair groups laid out by the device's channel
// count, and the choice between the headphone and the RCA output of devices that have both.
#include <windows.h>

#include "handlers/endpoint/VolHandler.h"

class CSpeakerVolHandler : public CVolHandler {
public:
    // The master level and the dB value compare within these when the page polls the driver.
    static constexpr float kdBTolerance = 0.0009f;
    // Shown for a level the driver could not be asked for.
    static constexpr const wchar_t* kUnknownLevel = L"--";

    CSpeakerVolHandler() { m_name = L"SpeakerVolHandler"; }

    virtual int SetDeviceSpecificControl(int value);

    void InitControls() override;
    int UpdateFromDriver() override;
    int OnClick(const std::wstring& name) override;
    int OnSliderChanged(const std::wstring& name, float pos, int done) override;
    int OnTextCommitted(const std::wstring& name, const std::wstring& text) override;
    int OnTextChanged(const std::wstring& name, const std::wstring& text) override;

    float ReadMasterVolume(int channel, int scalar);
    float ReadMasterRange(int max);
    int IsVolumeChanged(const std::wstring& controlName, int scalar);
    void RefreshMasterAndChannels();
    void MeasureChannelGroups();
    void LayoutChannelGroups();

private:
    void SelectOutput(int value);
    // Checks the output the device reports in force, or neither; false when the device reports none.
    bool ShowOutputInForce();
    // The dB level of a channel (-1 the master); false when the driver could not be asked.
    bool TryReadMasterdB(int channel, float& dB);
    void ShowMasterLevel(bool clamped);

    int m_nChannelCount = 8;
    int m_nFirstStart = 1;
    int m_nGroupPitch = 0;
    RECT m_rcGroups[4]{};
};
