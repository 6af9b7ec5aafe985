#pragma once
// Running the welcome message and the noise-cancellation note as modal markup dialogs.

class COvercoatDlg;
class CWnd;

// The main dialog's welcome command: the welcome dialog over the main window (the main dialog's seam).
void RunWelcomeDialog(COvercoatDlg& owner);
// The noise-cancellation note over the application's main window (or over the parent given).
void ShowENCPromptDialog(CWnd* parent = nullptr);
