#include "framework/WinApp.h"

#include "framework/Exception.h"

IMPLEMENT_DYNAMIC(CWinApp, CObject)

namespace {
CWinApp* g_app = nullptr;
CWinApp* g_previousApp = nullptr;
} // namespace

CWinApp::CWinApp() {
    g_previousApp = g_app;
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = g_previousApp;
}

CWinApp* AfxGetApp() {
    return g_app;
}

int CWinApp::Run(HINSTANCE instance, LPWSTR commandLine, int showCommand) {
    m_hInstance = instance;
    m_lpCmdLine = commandLine ? commandLine : L"";
    m_nCmdShow = showCommand;
    try {
        InitInstance();
    } catch (CException* e) {
        e->Delete();
        ::OutputDebugStringW(L"Overcoat: start-up ended by an exception\n");
    } catch (...) {
        ::OutputDebugStringW(L"Overcoat: start-up ended by an exception\n");
    }
    try {
        return ExitInstance();
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    ::OutputDebugStringW(L"Overcoat: shutdown ended by an exception\n");
    return 1;
}
