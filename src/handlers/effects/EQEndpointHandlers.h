#pragma once
// The equalizer pages of the output endpoints. They differ only in their name, which picks the preset
// file, the messages and the settings field of the selected user preset.

#include "handlers/effects/EQHandler.h"

class CSpeakerEQHandler : public CEQHandler {
public:
    explicit CSpeakerEQHandler(IEQPageHost& host = AppEQPageHost()) : CEQHandler(L"SpeakerEQHandler", host) {}
};

class CSpeakerQuarterEQHandler : public CEQHandler {
public:
    explicit CSpeakerQuarterEQHandler(IEQPageHost& host = AppEQPageHost())
        : CEQHandler(L"SpeakerQuarterEQHandler", host) {}
};

class CHeadPhoneEQHandler : public CEQHandler {
public:
    explicit CHeadPhoneEQHandler(IEQPageHost& host = AppEQPageHost()) : CEQHandler(L"HeadPhoneEQHandler", host) {}
};

class CSPDIFOutEQHandler : public CEQHandler {
public:
    explicit CSPDIFOutEQHandler(IEQPageHost& host = AppEQPageHost()) : CEQHandler(L"SPDIFOutEQHandler", host) {}
};
