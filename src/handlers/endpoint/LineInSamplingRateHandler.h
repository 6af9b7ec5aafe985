#pragma once
// The sampling-rate page of the line input; all behaviour is the shared page's.

#include "handlers/endpoint/SamplingRateHandler.h"

class CLineInSamplingRateHandler : public CSamplingRateHandler {
public:
    CLineInSamplingRateHandler() { m_name = L"LineInSamplingRateHandler"; }
};
