#pragma once
// What the add and delete profile dialogs reach outside their own controls: the message box, the dialog
// that hosts them (its end and its named values, which are the result for the strip that opened it), the
// profile keys the strip listed, the folders and the profile controller. The program's dialogs use the
// application's; a test gives a handler its own.

#include <windows.h>

#include <string>
#include <vector>

class CLayerWnd;
class CUIDialog;
class IProfileController;

class IProfileDialogHost {
public:
    virtual int ShowMessageBox(CLayerWnd* owner, const std::wstring& text, const std::wstring& caption, UINT type) = 0;
    // Ends the modal dialog that holds the owner layer.
    virtual void EndDialog(CLayerWnd* owner, int result) = 0;
    virtual void SetControlName(CLayerWnd* owner, const std::wstring& key, const std::wstring& value) = 0;
    // The keys ("Speaker_Rock") of the user profiles the strip lists for the current endpoint.
    virtual std::vector<std::wstring> GetProfileKeys(CLayerWnd* owner) = 0;
    // Both end in "\".
    virtual std::wstring GetDataFolder() = 0;
    virtual std::wstring GetProgramProfileFolder() = 0;
    virtual IProfileController* GetProfileController() = 0;

protected:
    ~IProfileDialogHost() = default;
};

// The host over the program's application object and the dialog's own CUIDialog.
IProfileDialogHost& AppProfileDialogHost();

// The strip hands its profile keys to a dialog before running it, as named values of the dialog (the
// handler is only made when the dialog loads its markup, so it cannot be handed them directly).
void SetDialogProfileKeys(CUIDialog& dialog, const std::vector<std::wstring>& keys);
std::vector<std::wstring> GetDialogProfileKeys(const CUIDialog& dialog);
