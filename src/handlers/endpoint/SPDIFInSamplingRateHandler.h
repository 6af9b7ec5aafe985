#pragma once
// The sampling-rate page of the S/PDIF input; all behaviour is the shared page's.

#include "handlers/endpoint/SamplingRateHandler.h"

class CSPDIFInSamplingRateHandler : public CSamplingRateHandler {
public:
    CSPDIFInSamplingRateHandler() { m_name = L"SPDIFInSamplingRateHandler"; }
};
