#pragma once
// The sampling-rate page of the speaker output; all behaviour is the shared page's.

#include "handlers/endpoint/SamplingRateHandler.h"

class CSpeakerSamplingRateHandler : public CSamplingRateHandler {
public:
    CSpeakerSamplingRateHandler() { m_name = L"SpeakerSamplingRateHandler"; }
};
