#pragma once
// The volume page of the stereo mix endpoint: the common volume page under its own name.
#include "handlers/endpoint/VolHandler.h"

class CStereoMixVolHandler : public CVolHandler {
public:
    CStereoMixVolHandler() { m_name = L"StereoMixVolHandler"; }
};
