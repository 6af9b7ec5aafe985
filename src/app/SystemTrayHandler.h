#pragma once
// The handler of both tray pop-ups: the master mute and volume of the left-click panel, and the commands of
// the right-click menu.

#include <string>

#include "app/BaseHandler.h"
#include "app/WindowsTools.h"

class CSystemTrayHandler : public CBaseHandler {
public:
    // The speaker-side endpoints the tray's mute and volume act on, in the order they are read.
    static constexpr int32_t kSpeakerEndpoints[] = {1, 7, 4, 12};
    // The order the mute is written in.
    static constexpr int32_t kMuteWriteOrder[] = {1, 12, 7, 4};

    CSystemTrayHandler();

    void InitControls() override { RefreshTrayPanel(TRUE); }
    int OnClick(const std::wstring& name) override;
    int OnSliderChanged(const std::wstring& name, float position, int tracking) override;
    void OnMenuCommand(const std::wstring& menuName, int itemId, const std::wstring& itemName) override;

    void RefreshTrayPanel(BOOL redraw);

    // Seam: the Windows tools are started through this (tests record instead of starting anything).
    CWindowsTools m_tools;

private:
    // The main window's handler: the menu's owner is the main window; the pop-up's dialog is the main
    // window's child.
    IHandler* MainWindowHandler() const;
    IMainHandler* MainServices() const;
    bool AllSpeakersMuted();
    void RefreshMainVolume(bool mute);
    void PostToMainWindow(UINT command);
};
