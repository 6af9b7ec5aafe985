#pragma once
// The microphone page: the AA path as on the line-in page, a one-channel layout for mono microphones, and
// a balance lock forced on while noise suppression runs, because the effects need both channels equal.
#include "handlers/endpoint/LineInVolHandler.h"

class CMicrophoneVolHandler : public CLineInVolHandler {
public:
    CMicrophoneVolHandler() { m_name = L"MicrophoneVolHandler"; }
    void InitControls() override;
    int UpdateFromDriver() override;

    void ApplyMonoLayout();
    void CheckMonoDevice();
    void UpdateEffectButtons();
};
