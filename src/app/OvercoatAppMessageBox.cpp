// The application's skinned message boxes.
#include "app/OvercoatApp.h"

#include <string>

#include "app/UIDialog.h"

namespace {

// Cleared however the box ends, so that a later request is shown again.
class ShowingFlag {
public:
    explicit ShowingFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~ShowingFlag() { m_flag = false; }
    ShowingFlag(const ShowingFlag&) = delete;
    ShowingFlag& operator=(const ShowingFlag&) = delete;

private:
    bool& m_flag;
};

} // namespace

INT_PTR COvercoatApp::ShowMessageBox(CWnd* parent, const std::wstring& text, const std::wstring& title, UINT type) {
    SetLanguageString(L"Message_Text", text);
    SetLanguageString(L"Message_Title", title);
    SetLanguageString(L"Message_Type", std::to_wstring(static_cast<int>(type))); // as "%d" writes it
    CUIDialog dialog(CDialog::IDD_MESSAGE_BOX, parent);
    dialog.SetMarkupPath(CUIDialog::MarkupPathOf(m_skinFolder, L"DialogMessageBox"));
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
    if (m_noEffectPanelShowing)
        return;
    ShowingFlag showing(m_noEffectPanelShowing);
    // The panel's name is not translated: the text is fixed.
    ShowMessageBox(nullptr, L"Can't find Vexaro CPL.", GetLanguageText(L"ml_Main_Info"), MB_ICONERROR);
}
