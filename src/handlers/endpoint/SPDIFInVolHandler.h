#pragma once
// The S/PDIF in page: before Vista the input has no level to set, so its channel controls are greyed.
#include "handlers/endpoint/VolHandler.h"

class CSPDIFInVolHandler : public CVolHandler {
public:
    CSPDIFInVolHandler() { m_name = L"SPDIFInVolHandler"; }
    void InitControls() override;
};
