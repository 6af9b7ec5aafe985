#include "app/PromptMsgHandler.h"

#include "app/AppSettings.h"
#include "app/OvercoatApp.h"
#include "framework/Dialog.h"
#include "skin/LayerWnd.h"

CPromptMsgHandler::CPromptMsgHandler(const wchar_t* turnOffButton) : m_turnOffButton(turnOffButton) {}

CAppSettings* CPromptMsgHandler::Settings() const {
    return m_settings ? m_settings : theApp.GetSettings();
}

void CPromptMsgHandler::InitControls() {
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CPromptMsgHandler::OnClick(const std::wstring& name) {
    if (name == kExitButton) {
        CWnd* host = m_owner ? m_owner->GetHostDialog() : nullptr;
        if (auto* dialog = dynamic_cast<CDialog*>(host))
            dialog->EndDialog(IDCANCEL);
    } else if (name == m_turnOffButton) {
        m_enabled = !m_enabled;
        if (CAppSettings* settings = Settings()) {
            Setting(*settings) = m_enabled;
            settings->Save();
        }
    }
    return 1;
}
