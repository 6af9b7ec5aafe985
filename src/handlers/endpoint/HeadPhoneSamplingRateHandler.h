#pragma once
// The sampling-rate page of the headphone output; all behaviour is the shared page's.

#include "handlers/endpoint/SamplingRateHandler.h"

class CHeadPhoneSamplingRateHandler : public CSamplingRateHandler {
public:
    CHeadPhoneSamplingRateHandler() { m_name = L"HeadPhoneSamplingRateHandler"; }
};
