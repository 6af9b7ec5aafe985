#pragma once
// The volume page of the HDMI endpoint: the common volume page under its own name.
#include "handlers/endpoint/VolHandler.h"

class CHDMIVolHandler : public CVolHandler {
public:
    CHDMIVolHandler() { m_name = L"HDMIVolHandler"; }
};
