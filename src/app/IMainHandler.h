#pragma once
// The main window's services for every handler, reached through CBaseHandler::GetMainHandler: the
// information and settings dialogs, showing, minimising and closing the main window, the ASIO panel, the
// driver-notice refresh, opening a target with the shell, the status and profile panel switch, announcing
// a changed driver key, the master volume and the speaker-test player.

#include <cstdint>
#include <string>

class ISoundPlayer;

class IMainHandler {
public:
    virtual void ShowInfoDialog() = 0;
    virtual void ShowAppSettingDialog() = 0;
    virtual void ShowMainWindow() = 0;
    virtual void MinimizeMainWindow() = 0;
    virtual void CloseMainWindow() = 0;
    virtual void ShowAsioPanel() = 0;
    // The same as the main handler's driver notice; the first argument is not used.
    virtual int RefreshEffectState(uint64_t unused, uint32_t flags) = 0;
    virtual void OpenWithShell(const std::wstring& target) = 0;
    // mode 1 the status panel, 2 the profile panel.
    virtual void SwitchStatusProfilePanel(uint32_t mode, int animate) = 0;
    // key: "Endpoint.Property" or a bare property key; null refreshes the whole status panel.
    virtual void UpdateStatusPanel(const wchar_t* key, int fromSwitch) = 0;
    virtual float UpdateMasterVolume() = 0;
    // The speaker-test player the main window owns; null when there is none.
    virtual ISoundPlayer* GetSoundPlayer() = 0;

protected:
    ~IMainHandler() = default;
};
