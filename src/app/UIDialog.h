#pragma once
// The dialog of every markup window of the program: a skinned dialog that loads its content from a .lyt
// file when it initialises, keeps the handler the file's "Window" element binds, stands on the main
// window's stack of open dialogs while it lives, and redraws controls on request of other threads.

#include <windows.h>

#include <map>
#include <string>

#include "skin/SkinDialog.h"

class CxSkinCtrl;
class IChildDialogStack;
class IHandler;
class ILytController;

// Messages other threads and deferred code post to a markup dialog (1133, the text box's redraw request,
// is kMsgRedrawControl of the handler framework).
enum UIDialogMessage : UINT {
    kMsgDeferredInitControls = 1125, // wParam: the handler (IHandler*) whose InitControls runs now
    kMsgRedrawOwnControl = 1126,     // wParam: the control (CxSkinCtrl*) to redraw
};

class CUIDialog : public CxSkinDialog {
    DECLARE_DYNAMIC(CUIDialog)
public:
    CUIDialog(UINT templateId, CWnd* parent);
    ~CUIDialog() override;

    // "<skin folder><name>.lyt"; set before the dialog runs. Empty (the main window): nothing is loaded.
    void SetMarkupPath(const std::wstring& path) { m_markupPath = path; }
    const std::wstring& GetMarkupPath() const { return m_markupPath; }
    // The markup file of a dialog name in the skin folder.
    static std::wstring MarkupPathOf(const std::wstring& skinFolder, const std::wstring& name);

    // The callers' values (the profile dialogs keep theirs here).
    void SetControlName(const std::wstring& key, const std::wstring& value) { m_controlNames[key] = value; }
    std::wstring GetControlName(const std::wstring& key) const;
    void ClearControlNames() { m_controlNames.clear(); }

    // Repairs a layered window after a display change: a visible dialog is hidden and shown again in place,
    // without activation, and its layers are repainted.
    void ShowDialog();

    // The handler the markup's "Window" element bound; null when it bound none.
    IHandler* GetHandler() const;
    bool IsMainWindow() const { return m_nIDTemplate == IDD_MAIN; }

    // Tests load through their own controller; null goes back to the application's.
    void SetLytController(ILytController* controller) { m_controller = controller; }
    // Whether the markup failed to load (the dialog then closed at once with IDCANCEL).
    bool MarkupFailed() const { return m_markupFailed; }
    // The dialog ends with IDCANCEL when the registered message arrives with the bit set in its wParam (a
    // second start of the program asking it to quit while this dialog is the only window).
    void EndOnMessage(UINT message, WPARAM bit) {
        m_endMessage = message;
        m_endBit = bit;
    }

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // Escape cancels a markup dialog as its close button does; the main window is no dialog to cancel.
    BOOL OnEscapeKey() override;

private:
    ILytController* Controller() const;
    // The stack of the application's main window when that window exists and is not this dialog.
    IChildDialogStack* ChildDialogStack() const;
    // Whether the handler is still the listener of this dialog or of a skinned object in its layer tree.
    bool HoldsHandler(const IHandler* handler) const;
    // The control of a redraw request, when it still lies in this dialog's layer tree.
    CxSkinCtrl* ControlInTree(WPARAM wParam) const;
    void OnDeferredInitControls(WPARAM wParam);
    void OnRedrawControl(WPARAM wParam);

    std::wstring m_markupPath;
    std::map<std::wstring, std::wstring> m_controlNames;
    ILytController* m_controller = nullptr;
    bool m_onStack = false;
    bool m_markupFailed = false;
    UINT m_endMessage = 0;
    WPARAM m_endBit = 0;
};
