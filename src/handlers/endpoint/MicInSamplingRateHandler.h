#pragma once
// The sampling-rate page of the microphone inputs (front and desktop); all behaviour is the shared page's.

#include "handlers/endpoint/SamplingRateHandler.h"

class CMicInSamplingRateHandler : public CSamplingRateHandler {
public:
    CMicInSamplingRateHandler() { m_name = L"MicInSamplingRateHandler"; }
};
