#pragma once
// The sampling-rate page of the S/PDIF output; all behaviour is the shared page's.

#include "handlers/endpoint/SamplingRateHandler.h"

class CSPDIFOutSamplingRateHandler : public CSamplingRateHandler {
public:
    CSPDIFOutSamplingRateHandler() { m_name = L"SPDIFOutSamplingRateHandler"; }
};
