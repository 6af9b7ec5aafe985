#pragma once
// What the main window's handler asks of the panels it drives besides the content: the status panel, the
// profile panel, the device list and the virtual-speaker contents. Each of those handlers offers its
// interface here; the main handler finds it on the panel's bound handler and skips a panel without one.

#include <string>

class IStatusPanelHandler {
public:
    // A driver property (a bare key) changed: the panel re-reads the row that shows it.
    virtual void OnControlChanged(const std::wstring& propertyKey) = 0;

protected:
    ~IStatusPanelHandler() = default;
};

class IProfilePanelHandler {
public:
    virtual void ClearSelectedProfileName() = 0;
    // Nonzero when the changed key ("Endpoint.Property") moves the device away from the selected profile.
    virtual int MatchCurrentProfile(const std::wstring& fullKey) = 0;
    virtual void UpdateUserDefineItem(int select) = 0;
    // Nonzero when the device state of the profile table changed; the key of the change goes to key.
    virtual int ReadDriverStateForTable(std::wstring* key) = 0;
    virtual void Reload() = 0;
    virtual void SetPendingReload() = 0;
    // Nonzero when the factory default reached the device.
    virtual int ApplyFactoryDefault() = 0;

protected:
    ~IProfilePanelHandler() = default;
};

class IDeviceListPanelHandler {
public:
    // Marks the current endpoint's icon.
    virtual void AddDeviceItem() = 0;
    virtual void SelectDeviceItem(int redraw) = 0;
    // The language changed: the captions are read again.
    virtual void RefreshCaptions() = 0;
    virtual void CloseJackMenu() = 0;

protected:
    ~IDeviceListPanelHandler() = default;
};

class IRotatingHandler {
public:
    // Stops the virtual speakers' auto-rotation.
    virtual void StopRotation(int wait, int redraw) = 0;

protected:
    ~IRotatingHandler() = default;
};
