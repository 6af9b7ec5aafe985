#include "MainWindowBench.h"

#include <cstdint>

#include "BenchSupport.h"
#include "PresentCounter.h"
#include "app/BaseHandler.h"
#include "app/IMainDialogHandler.h"
#include "app/OvercoatApp.h"
#include "app/OvercoatDlg.h"
#include "skin/SkinCtrl.h"

extern COvercoatApp theApp;

namespace oc::bench {

namespace {

using SimControlFn = int32_t (*)(const wchar_t*, wchar_t*, uint32_t);

SimControlFn SimControl() {
    return reinterpret_cast<SimControlFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"sysTuneLib.dll"), "SimControl")));
}

} // namespace

MainWindowBench::MainWindowBench(IHandlerServices& services, CAppSettings& settings)
    : m_dialog(std::make_unique<COvercoatDlg>(theApp, services, &settings)), m_reply(1 << 16) {
    theApp.m_pMainWnd = m_dialog.get();
    m_dialog->Create(CDialog::IDD_MAIN);
    m_dialog->ShowWindow(SW_SHOW);
    Settle(500);
}

MainWindowBench::~MainWindowBench() {
    if (m_dialog->GetSafeHwnd())
        m_dialog->DestroyWindow();
    Pump();
    theApp.m_pMainWnd = nullptr;
}

HWND MainWindowBench::Hwnd() const {
    return m_dialog->GetSafeHwnd();
}

IMainDialogHandler* MainWindowBench::Main() const {
    return m_dialog->GetMainDialogHandler();
}

CxSkinCtrl* MainWindowBench::Control(const std::wstring& name) const {
    return CBaseHandler::FindControlIn(m_dialog.get(), name);
}

bool MainWindowBench::Click(const std::wstring& name) {
    CxSkinCtrl* control = Control(name);
    if (!control || !control->IsVisible())
        return false;
    const RECT r = control->GetRectInHost();
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::SendMessageW(Hwnd(), WM_MOUSEMOVE, 0, at);
    ::SendMessageW(Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(Hwnd(), WM_LBUTTONUP, 0, at);
    return true;
}

void MainWindowBench::Settle(int quietMs, int limitMs) {
    const auto start = Clock::now();
    auto lastChange = Clock::now();
    int presents = PresentCounter::Presents();
    while (MsSince(start) < limitMs && MsSince(lastChange) < quietMs) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Pump();
        if (PresentCounter::Presents() != presents) {
            presents = PresentCounter::Presents();
            lastChange = Clock::now();
        }
    }
}

std::wstring MainWindowBench::Sim(const std::wstring& command) {
    static const SimControlFn control = SimControl();
    if (!control)
        return L"no control export";
    m_reply[0] = L'\0';
    if (control(command.c_str(), m_reply.data(), static_cast<uint32_t>(m_reply.size())) != 0)
        return L"error";
    return m_reply.data();
}

bool MainWindowBench::LoggedWrite(const std::wstring& property) {
    return Sim(L"log").find(L"PropertyControl write " + property) != std::wstring::npos;
}

} // namespace oc::bench
