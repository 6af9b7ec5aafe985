#pragma once
// The welcome message, shown at the first showing of the main window while the stored "WelcomeMsg" setting
// is on.

#include "app/AppSettings.h"
#include "app/PromptMsgHandler.h"

class CWelcomeMsgHandler : public CPromptMsgHandler {
public:
    CWelcomeMsgHandler() : CPromptMsgHandler(L"BtnDisableWelcomeMsg") { m_name = L"Dialog_WelcomeMsg"; }

protected:
    int& Setting(CAppSettings& settings) const override { return settings.m_nWelcomeMsg; }
};
