#pragma once
// The note shown when noise cancellation is switched on. Its flag lives only for the run of the program, so
// the note comes back at the next start even when switched off.

#include "app/AppSettings.h"
#include "app/PromptMsgHandler.h"

class CENCPromptMsgHandler : public CPromptMsgHandler {
public:
    CENCPromptMsgHandler() : CPromptMsgHandler(L"BtnDisableENCPromptMsg") { m_name = L"Dialog_ENCPromptMsg"; }

protected:
    int& Setting(CAppSettings& settings) const override { return settings.m_nNoiseCancelPrompt; }
};
