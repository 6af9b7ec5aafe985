#pragma once
// What the main dialog asks of the main window's handler beyond IHandler: the poll, the device-change
// refreshes, the content switches that window messages request and the hardware-button refresh. The main
// window's handler offers it; the dialog finds it on whatever handler it made, so the dialog runs (doing
// nothing of this) while no such handler exists.

#include <cstdint>
#include <string>

// What the 500 ms poll collected: which parts of the main window changed, and the key of the status entry
// the profile panel reported.
struct ChangedState {
    int own = 0;
    int panel = 0;
    int content = 0;
    std::wstring key;
};

class IMainDialogHandler {
public:
    // Nonzero when any part changed since the last poll.
    virtual int CollectChangedState(ChangedState& state) = 0;
    virtual void OnEffectNotify(const ChangedState& state) = 0;
    // Re-reads the shown content when its name holds the text; 1 when it did and it changed.
    virtual int IsCurrentContent(const wchar_t* text) = 0;
    virtual void RefreshDeviceList() = 0;
    virtual void ShowSettingContent(int32_t endpointCode) = 0;
    virtual void ChooseSurroundContent(int32_t value) = 0;
    virtual void ShowContent(const std::wstring& name, int force) = 0;
    virtual void RefreshAfterDeviceChange(int flag) = 0;
    virtual void EnsureContentLoaded() = 0;
    virtual void ResetToFactoryDefault() = 0;
    virtual void OnSoundPlayStep() = 0;
    // Runs on the hardware-button library's thread.
    virtual void OnHidButton(const std::wstring& key) = 0;
    virtual void RefreshDeviceIcons() = 0;
    virtual int OnVolumeChanged() = 0;
    // Before Windows Vista: nonzero when the mixer notice changed the mute or the volume.
    virtual int UpdateVolHandler() = 0;

protected:
    ~IMainDialogHandler() = default;
};

// The tray icon as the main dialog drives it.
class IMainTray {
public:
    virtual ~IMainTray() = default;
    virtual void ShowIcon() = 0;
    virtual void HideIcon() = 0;
    // The left-click pop-up re-reads its mute and volume.
    virtual void RefreshPopup() = 0;
    // The main window went off screen (minimised): pop-ups close.
    virtual void ClosePopups() = 0;
};
