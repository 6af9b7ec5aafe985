// The application's skinned message boxes.
#include "app/OvercoatApp.h"

#include <string>

#include "app/QuitRequestWatch.h"
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
    const std::wstring text = FormatLanguageText(
        L"ml_Main_SkinFileDamaged",
        L"The program cannot open its window because this skin file is missing or damaged: {0}. Reinstall "
        L"the program to restore the file.",
        path);
    // The box's own loop would leave a second start's "/q" unanswered.
    const CQuitRequestWatch watch(m_activationMessage, kSwitchQuit);
    if (m_showPlainMessage)
        m_showPlainMessage(text.c_str(), m_title.c_str());
}

void COvercoatApp::ReportUnusableDataFolder() {
    if (m_unusableDataFolder.empty() || !m_showSkinnedMessage)
        return;
    const std::wstring text = FormatLanguageText(
        L"ml_Main_DataFolderUnusable",
        L"The folder for your settings and profiles could not be created: {0}. A file with the same name may be "
        L"in its place. Until the folder can be created, the program starts with default settings and cannot "
        L"save changes. Rename or remove that file, then start the program again.",
        m_unusableDataFolder);
    m_showSkinnedMessage(text, GetLanguageText(L"ml_DialogMsgBox_Warning"), MB_ICONWARNING);
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
    RunMessageBox(owner, GetLanguageText(L"ml_Main_EffectPanelMissing"), GetLanguageText(L"ml_DialogMsgBox_Error"),
                  MB_ICONERROR, &m_noEffectPanelBox);
}
