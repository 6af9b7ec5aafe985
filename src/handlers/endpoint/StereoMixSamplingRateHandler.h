#pragma once
// The sampling-rate page of the stereo mix input; all behaviour is the shared page's.

#include "handlers/endpoint/SamplingRateHandler.h"

class CStereoMixSamplingRateHandler : public CSamplingRateHandler {
public:
    CStereoMixSamplingRateHandler() { m_name = L"StereoMixSamplingRateHandler"; }
};
