#pragma once
// The sampling-rate page of the HDMI output; all behaviour is the shared page's.

#include "handlers/endpoint/SamplingRateHandler.h"

class CHDMISamplingRateHandler : public CSamplingRateHandler {
public:
    CHDMISamplingRateHandler() { m_name = L"HDMISamplingRateHandler"; }
};
