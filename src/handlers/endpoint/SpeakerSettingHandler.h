#pragma once
// The speaker channel page: 2, 4, 6 or 8 channels as far as the device plays them, a picture per speaker
// of the chosen layout, the swaps, and a test that walks the shown speakers.

#include <string>

#include "handlers/endpoint/SettingHandler.h"

class CSpeakerSettingHandler : public CSettingHandler {
public:
    CSpeakerSettingHandler() { m_name = L"SpeakerSettingHandler"; }

    void SetChannelNumber(int channels) override;
    void InitControls() override;
    int UpdateFromDriver() override;
    // Whether the named control belongs to the current channel count's layout.
    bool IsShownForChannels(const std::wstring& name) const;
    void ApplySpeakerLayout(bool repaint);

protected:
    void StartSpeakerTest() override;

private:
    void TurnOffSurroundAboveStereo();
};
