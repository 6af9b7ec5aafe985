#pragma once
// The application object: one global instance, built before the entry point. The entry calls
// InitInstance and then ExitInstance, whatever InitInstance returned and however it returned, and
// ends the process with ExitInstance's result. The program has no loop of its own: its message loop
// is the modal loop of the dialog InitInstance runs.
#include "framework/Object.h"

#include <windows.h>

class CWnd;

class CWinApp : public CObject {
    DECLARE_DYNAMIC(CWinApp)
public:
    CWinApp();
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return FALSE; }
    // The exit code of the process.
    virtual int ExitInstance() { return 0; }

    // The body of the program entry: InitInstance, then always ExitInstance. An exception that
    // escapes InitInstance is stopped here so that ExitInstance still runs.
    int Run(HINSTANCE instance, LPWSTR commandLine, int showCommand);

    HINSTANCE m_hInstance = nullptr;
    LPCWSTR m_lpCmdLine = L"";
    int m_nCmdShow = SW_SHOWNORMAL;
    CWnd* m_pMainWnd = nullptr;
};

// The application object of this process (the last one constructed that still lives), or null.
CWinApp* AfxGetApp();
