#pragma once
// What a volume page reaches of the application beyond the handler services: the OS generation, the
// listen-to-device settings, the skinned message box and the main window's volume controls. The program's
// pages use the application's; a test gives a page its own.
#include <windows.h>
#include <string>

class CAppSettings;
class CWnd;
class IMainHandler;

class IVolumePageServices {
public:
    virtual bool IsVistaOrLater() = 0;
    // Null when the settings are not loaded.
    virtual CAppSettings* GetSettings() = 0;
    virtual bool SaveSettings() = 0;
    // The modal skinned message box; the button the user chose.
    virtual int ShowMessageBox(CWnd* parent, const std::wstring& text, const std::wstring& caption, UINT type) = 0;
    // The main window's master level and master mute; nothing without a main window.
    virtual void RefreshSpeakerVolume(IMainHandler* main) = 0;
    virtual void RefreshMuteButton(IMainHandler* main) = 0;

protected:
    ~IVolumePageServices() = default;
};

// The services over the program's application object.
IVolumePageServices& AppVolumePageServices();
