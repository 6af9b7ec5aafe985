#pragma once
// What an equalizer page reaches beyond the handler framework: the data folder that holds its preset file,
// the settings field of its selected user preset, and the skinned message box. The program's pages use
// the application's; a test gives a page its own.

#include <windows.h>

#include <string>

class CLayerWnd;

class IEQPageHost {
public:
    // With a trailing backslash.
    virtual std::wstring GetDataFolder() = 0;
    // "QuarterEQIndex" when quarter is set, else "EQIndex".
    virtual int GetSelectedUserPreset(bool quarter) = 0;
    virtual void StoreSelectedUserPreset(bool quarter, int index) = 0;
    // A modal message over the dialog that hosts the owner; the button the user chose (IDYES, IDOK, ...).
    virtual int ShowMessageBox(CLayerWnd* owner, const std::wstring& text, const std::wstring& caption, UINT type) = 0;

protected:
    ~IEQPageHost() = default;
};

// The host over the program's application object.
IEQPageHost& AppEQPageHost();
