#pragma once
// A dialog window built from one of the program's in-memory templates, run modally by our own
// modal loop (the program's only message loop) or created modeless.
//
// Templates: 102 the main window, 200 the message box, 201 every other dialog and pop-up.
#include "framework/Wnd.h"

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    enum : UINT { IDD_MAIN = 102, IDD_MESSAGE_BOX = 200, IDD_POPUP = 201 };

    CDialog() = default;
    CDialog(UINT templateId, CWnd* parent);

    // Creates the dialog, shows it and pumps messages until EndDialog is called or the window is
    // destroyed; the window is destroyed before returning. The result is EndDialog's, or -1 when the
    // dialog could not be created or was destroyed without EndDialog.
    virtual INT_PTR DoModal();
    // Modeless: the window is created hidden and stays until it is destroyed.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    // Ends a modal dialog with this result; a modeless one is only hidden.
    void EndDialog(int result);

    // WM_INITDIALOG; TRUE lets the system give the focus to the first control.
    virtual BOOL OnInitDialog() { return TRUE; }
    // WM_COMMAND; the default runs OnOK for IDOK and OnCancel for IDCANCEL (Escape, the close box).
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Keyboard navigation of the dialog's own controls (IsDialogMessage).
    BOOL PreTranslateMessage(MSG* msg) override;

    // Offers the message to the window it is for and then to each parent or owner, until one takes it.
    static BOOL WalkPreTranslate(MSG* msg);

    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;

private:
    HWND CreateFromTemplate(UINT templateId, HWND parent);
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

    bool m_modal = false;
    bool m_endModal = false;
    INT_PTR m_modalResult = -1;
};
