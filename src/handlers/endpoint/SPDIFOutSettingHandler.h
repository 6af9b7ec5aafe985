#pragma once
// The digital output's channel page: shown as two channels, channel copy only where the device has the
// digital up-mix.

#include "handlers/endpoint/SettingHandler.h"

class CSPDIFOutSettingHandler : public CSettingHandler {
public:
    CSPDIFOutSettingHandler() { m_name = L"SPDIFOutSettingHandler"; }

    void SetChannelNumber(int channels) override { SetStereoChannelNumber(channels); }
    void InitControls() override;

protected:
    void StartSpeakerTest() override { PlayFrontPair(); }
};
