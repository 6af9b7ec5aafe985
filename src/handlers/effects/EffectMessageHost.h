#pragma once
// The message box the single-slider effect pages show when a typed value is out of range. The program's
// pages use the application's skinned box; a test gives a page its own.

#include <windows.h>

#include <string>

class CLayerWnd;

class IEffectMessageHost {
public:
    // A modal message over the dialog that hosts the owner; the button the user chose.
    virtual int ShowMessageBox(CLayerWnd* owner, const std::wstring& text, const std::wstring& caption, UINT type) = 0;

protected:
    ~IEffectMessageHost() = default;
};

// The host over the program's application object.
IEffectMessageHost& AppEffectMessageHost();
