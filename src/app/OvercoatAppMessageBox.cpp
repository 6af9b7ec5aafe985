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
    return dialog.DoModal();
}

void COvercoatApp::ShowNoEffectPanelMessage() {
    if (m_noEffectPanelShowing)
        return;
    ShowingFlag showing(m_noEffectPanelShowing);
    // The panel's name is not translated: the text is fixed.
    ShowMessageBox(nullptr, L"Can't find Vexaro CPL.", GetLanguageText(L"ml_Main_Info"), MB_ICONERROR);
}
