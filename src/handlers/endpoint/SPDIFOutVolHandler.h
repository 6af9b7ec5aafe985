#pragma once
// The S/PDIF out page: a device without a level on that output gets its channel controls greyed; its mute
// is part of the main window's master mute.
#include "handlers/endpoint/VolHandler.h"

class CSPDIFOutVolHandler : public CVolHandler {
public:
    CSPDIFOutVolHandler() { m_name = L"SPDIFOutVolHandler"; }
    void InitControls() override;
    int OnClick(const std::wstring& name) override {
        const int result = CVolHandler::OnClick(name);
        RefreshMainMuteButton();
        return result;
    }
};
