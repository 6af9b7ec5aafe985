#pragma once
// The handler of the skinned message box ("DialogMessageBox"): it fills the title and the text from the
// language texts "Message_Title" and "Message_Text", keeps the icon and the buttons that the message-box
// type in "Message_Type" asks for, and ends the dialog with the result of the button the user picks.

#include <windows.h>

#include <string>

#include "app/BaseHandler.h"
#include "app/IMessageBoxHandler.h"

class CMessageBoxHandler : public CBaseHandler, public IMessageBoxHandler {
public:
    CMessageBoxHandler();
    ~CMessageBoxHandler() override = default;

    // IHandler
    void InitControls() override;
    // IxSkinButtonListener: always 1.
    int OnClick(const std::wstring& name) override;

    // IMessageBoxHandler
    void EndWithYes() override { EndDialog(IDYES); }
    void EndWithNo() override { EndDialog(IDNO); }
    void EndWithCancel() override { EndDialog(IDCANCEL); }
    void EndWithOk() override { EndDialog(IDOK); }

    // A key command of the dialog: the control with that identifier acts as if clicked. 0 when it is one of
    // the box's buttons, else -1.
    virtual int OnControlCommand(UINT id);
    // Enter acts on the box's first button (its close or "Yes" button); Escape on its close button, or
    // cancels a box without one, as the window's close button does. True when the key ended the box.
    bool OnDialogKey(UINT virtualKey);

    // The message-box type in "Message_Type"; a text that is not a number reads as 0.
    static UINT ParseType(const std::wstring& text);

private:
    UINT m_type = 0;
    // The result of a button of the box; 0 for any other name.
    static int ResultOf(const std::wstring& name);
    void EndDialog(int result);
    void SetControlText(const wchar_t* name);
    void Hide(const wchar_t* name);
};
