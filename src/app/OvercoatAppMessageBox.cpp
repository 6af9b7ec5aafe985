// The application's skinned message boxes.
#include "app/OvercoatApp.h"

#include <string>

#include "app/UIDialog.h"

namespace {

// Names the running box while it is on screen and forgets it however the box ends, so that a later request
// opens a new one.
class RunningBox {
public:
    RunningBox(CWnd** slot, CWnd* box) : m_slot(slot) {
        if (m_slot)
            *m_slot = box;
    }
    ~RunningBox() {
        if (m_slot)
            *m_slot = nullptr;
    }
    RunningBox(const RunningBox&) = delete;
    RunningBox& operator=(const RunningBox&) = delete;

private:
    CWnd** m_slot;
};

} // namespace

INT_PTR COvercoatApp::ShowMessageBox(CWnd* parent, const std::wstring& text, const std::wstring& title, UINT type) {
    return RunMessageBox(parent, text, title, type, nullptr);
}

INT_PTR COvercoatApp::RunMessageBox(CWnd* parent, const std::wstring& text, const std::wstring& title, UINT type,
                                    CWnd** running) {
    SetLanguageString(L"Message_Text", text);
    SetLanguageString(L"Message_Title", title);
    SetLanguageString(L"Message_Type", std::to_wstring(static_cast<int>(type))); // as "%d" writes it
    CUIDialog dialog(CDialog::IDD_MESSAGE_BOX, parent);
    dialog.SetMarkupPath(CUIDialog::MarkupPathOf(m_skinFolder, L"DialogMessageBox"));
    const RunningBox box(running, &dialog);
    // A second start asking the program to quit ends a box shown before the main window exists (once it
    // does, the main window closes its boxes itself).
    if (!m_pMainWnd)
        dialog.EndOnMessage(m_activationMessage, kSwitchQuit);
    const INT_PTR result = dialog.DoModal();
    if (!dialog.MarkupFailed() || !m_showSystemMessage)
        return result;
    // The skin cannot draw the box: the system's shows the same message.
    return m_showSystemMessage(parent ? parent->GetSafeHwnd() : nullptr, text, title, type);
}

void COvercoatApp::ReportSkinFileFailure(const std::wstring& path) {
    constexpr int kExitSkinFileFailed = 3;
    m_exitCode = kExitSkinFileFailed;
    const std::wstring text = L"The skin file could not be loaded:\n" + path;
    if (m_showPlainMessage)
        m_showPlainMessage(text.c_str(), m_title.c_str());
}

void COvercoatApp::ShowNoEffectPanelMessage() {
    if (m_noEffectPanelBox) {
        // A second box would only repeat the first: the one on screen comes to the front.
        if (const HWND shown = m_noEffectPanelBox->GetSafeHwnd()) {
            ::SetWindowPos(shown, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
            ::SetForegroundWindow(shown);
        }
        return;
    }
    // Owned by the main window, the box cannot slip behind it when the main window is clicked.
    CWnd* owner = m_pMainWnd && m_pMainWnd->GetSafeHwnd() ? m_pMainWnd : nullptr;
    // The panel's name is not translated: the text is fixed.
    RunMessageBox(owner, L"Can't find Vexaro CPL.", GetLanguageText(L"ml_Main_Info"), MB_ICONERROR,
                  &m_noEffectPanelBox);
}
