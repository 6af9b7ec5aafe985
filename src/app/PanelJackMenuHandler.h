#pragma once
// The jack menu's handler: while the menu is open the main window shows no tooltips, and the chosen row
// names the content panel the main window shows next.

#include <windows.h>

#include <string>

#include "app/BaseHandler.h"

class CPanelJackMenuHandler : public CBaseHandler {
public:
    CPanelJackMenuHandler() { m_name = L"PanelJackMenuHandler"; }

    // IxSkinMenuListener
    void OnMenuPopup(const std::wstring& menuName, int shown) override;
    void OnMenuCommand(const std::wstring& menuName, int itemId, const std::wstring& itemName) override;

protected:
    // What the menu asks of the main window; nothing happens outside it.
    virtual void EnableMainWindowToolTips(BOOL enable);
    virtual void ShowMainWindowContent(const std::wstring& content);
};
