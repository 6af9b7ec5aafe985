#include "app/PromptDialogs.h"

#include "app/HandlerServices.h"
#include "app/OvercoatApp.h"
#include "app/OvercoatDlg.h"
#include "app/UIDialog.h"

namespace {

void RunMarkupDialog(CWnd* parent, const wchar_t* name) {
    CUIDialog dialog(CDialog::IDD_POPUP, parent);
    dialog.SetMarkupPath(CUIDialog::MarkupPathOf(AppHandlerServices().GetSkinFolder(), name));
    dialog.DoModal();
}

} // namespace

void RunWelcomeDialog(COvercoatDlg& owner) {
    RunMarkupDialog(&owner, L"Dialog_WelcomeMsg");
}

void ShowENCPromptDialog(CWnd* parent) {
    RunMarkupDialog(parent ? parent : theApp.m_pMainWnd, L"Dialog_ENCPromptMsg");
}
