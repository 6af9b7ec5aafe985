#pragma once
// The program's main window over the simulated device, opened in this process the way start-up opens it
// (the factory's handlers, the layers' animations), driven by mouse messages at named controls.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class CAppSettings;
class COvercoatDlg;
class CxSkinCtrl;
class IHandlerServices;
class IMainDialogHandler;

namespace oc::bench {

class MainWindowBench {
public:
    MainWindowBench(IHandlerServices& services, CAppSettings& settings);
    ~MainWindowBench();
    MainWindowBench(const MainWindowBench&) = delete;
    MainWindowBench& operator=(const MainWindowBench&) = delete;

    COvercoatDlg& Dialog() { return *m_dialog; }
    HWND Hwnd() const;
    IMainDialogHandler* Main() const;

    // The first control of the name, depth first; null when there is none.
    CxSkinCtrl* Control(const std::wstring& name) const;
    // A press and release in the middle of a shown control; false when it is not shown.
    bool Click(const std::wstring& name);
    // Pumps until nothing has been presented for quietMs, for limitMs at most.
    void Settle(int quietMs = 300, int limitMs = 5000);

    // The simulated device's answer to a control command; the reply buffer is kept between calls.
    std::wstring Sim(const std::wstring& command);
    // Whether the device's call log, since the last "clearlog", holds a write of the property.
    bool LoggedWrite(const std::wstring& property);

private:
    std::unique_ptr<COvercoatDlg> m_dialog;
    std::vector<wchar_t> m_reply;
};

} // namespace oc::bench
