#include "app/PanelJackMenuHandler.h"

#include "app/MainHandler.h"

void CPanelJackMenuHandler::EnableMainWindowToolTips(BOOL enable) {
    if (auto* main = dynamic_cast<CMainHandler*>(GetMainHandler()))
        main->EnableDialogToolTips(enable);
}

void CPanelJackMenuHandler::ShowMainWindowContent(const std::wstring& content) {
    if (auto* main = dynamic_cast<CMainHandler*>(GetMainHandler()))
        main->ShowContent(content, 0);
}

void CPanelJackMenuHandler::OnMenuPopup(const std::wstring&, int shown) {
    // The main window's tooltips would pop up through the open menu.
    EnableMainWindowToolTips(shown == 0 ? TRUE : FALSE);
}

void CPanelJackMenuHandler::OnMenuCommand(const std::wstring&, int, const std::wstring& itemName) {
    // A menu closed without a choice names nothing, and the main window shows nothing for it.
    ShowMainWindowContent(itemName);
}
