#pragma once
// The shipped main window over the simulated device, as the page walk and the text-fit check drive it:
// the application object prepared as the program prepares it, the device set-ups that offer every page,
// and the page names the program folder ships.
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "../skin/SkinDialogFixture.h"
#include "TestPaths.h"
#include "app/BaseHandler.h"
#include "app/HandlerFactory.h"
#include "app/MainHandler.h"
#include "app/OvercoatApp.h"
#include "app/PanelDeviceListHandler.h"
#include "driver/IDriverInstance.h"
#include "markup/ILytController.h"
#include "skin/SkinCtrl.h"

namespace oc::test {

namespace fs = std::filesystem;

constexpr wchar_t kEveryPage[] = L"every-page";

// The pages that the "every-page" device as it starts does not offer, and what offers them: the other
// microphone set-up, or another virtual-surround effect announced through the device's control command.
struct PageSetup {
    const wchar_t* page;
    const wchar_t* scenario;
    const wchar_t* command; // a control command of the simulated device, or null
};
inline const PageSetup kSetups[] = {
    {L"MicInVimoMagicVoice", L"every-page-mics-swapped", nullptr},
    {L"DesktopMicKaraoke", L"every-page-mics-swapped", nullptr},
    {L"SpeakerVirtualDolbyHPVS", kEveryPage, L"surroundfx Speaker {D0456018-89C4-4D6E-8134-D45F4A711CC1}"},
    {L"SpeakerVirtualDolbyHPV2", kEveryPage, L"surroundfx Speaker {AC02E636-CB62-42EF-A97C-5F4C1CDFEC13}"},
    {L"SpeakerQuarterVirtualDolbyHPV2", kEveryPage,
     L"surroundfx SpeakerQuarter {AC02E636-CB62-42EF-A97C-5F4C1CDFEC13}"},
    {L"SpeakerQuarterVirtualVimoSurroundHeadPhone", kEveryPage,
     L"surroundfx SpeakerQuarter {C7600B33-1AA6-4383-918D-30D848BBAD3E}"},
};

inline fs::path SkinFolder() {
    return ProgramDir() / "Skin" / "Overcoat";
}

inline std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// The page names of the shipped "apo<Name>.lyt" files.
inline std::vector<std::wstring> ShippedPages() {
    std::vector<std::wstring> pages;
    for (const auto& entry : fs::directory_iterator(SkinFolder())) {
        const std::wstring file = entry.path().filename().wstring();
        if (file.size() > 7 && file.compare(0, 3, L"apo") == 0 && entry.path().extension() == ".lyt")
            pages.push_back(entry.path().stem().wstring().substr(3));
    }
    std::sort(pages.begin(), pages.end());
    return pages;
}


// The application object as the program prepares it: its folders, the en-US texts and the markup controller.
inline void PrepareApplication() {
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    theApp.UseProgramFolder(ProgramDir().wstring() + L"\\");
    theApp.InitPaths();
    theApp.LoadLanguage(L"en-US");
    theApp.CreateLytController();
}

// The application's driver object on one scenario of the simulated device, with the shipped main window over
// it, built as the main dialog builds it. Everything goes, window first, when the object does.
class MainWindowOnDevice {
public:
    explicit MainWindowOnDevice(const std::wstring& scenario) {
        ::SetEnvironmentVariableW(L"OC_SIM_SCENARIO", scenario.c_str());
        ::SetEnvironmentVariableW(L"OC_SIM_STATE", (m_state / "device.state").c_str());
        ::SetEnvironmentVariableW(L"OC_SIM_PIPE",
                                  (L"\\\\.\\pipe\\OvercoatPageWalk" + std::to_wstring(::GetCurrentProcessId())).c_str());
        m_ready = theApp.OpenDevice() == DeviceCheck::Ready;
        if (m_ready)
            theApp.GetDriver()->BuildDeviceList(); // as the program does before its main window opens
        if (!m_ready || !OpenDialog(m_dialog, {0, 0}, 900, 600))
            return;
        m_main = dynamic_cast<CMainHandler*>(CreateHandler(L"MainWindow"));
        if (!m_main)
            return;
        m_main->SetWindow(&m_dialog);
        m_dialog.SetListener(m_main);
        ILytController* controller = theApp.GetLytController();
        const std::wstring path = (SkinFolder() / "MainWindow.lyt").wstring();
        m_loaded = controller && controller->Load(path.c_str(), &m_dialog, nullptr) == 1;
        if (m_loaded)
            m_main->InitControls();
    }
    ~MainWindowOnDevice() {
        if (m_dialog.IsWindow())
            m_dialog.DestroyWindow();
        m_dialog.SetListener(nullptr); // the main handler and its cached pages go while the driver is there
        theApp.ReleaseDriver();
        for (const wchar_t* name : {L"OC_SIM_SCENARIO", L"OC_SIM_STATE", L"OC_SIM_PIPE"})
            ::SetEnvironmentVariableW(name, nullptr);
    }

    bool Ready() const { return m_ready && m_main && m_loaded; }
    CMainHandler* Main() const { return m_main; }
    CPanelDeviceListHandler* DeviceList() const {
        CxSkinCtrl* list = CBaseHandler::FindControlIn(&m_dialog, L"PanelDeviceList");
        return list ? dynamic_cast<CPanelDeviceListHandler*>(list->GetListener()) : nullptr;
    }
    // A control command of the simulated device, as its control pipe takes it.
    std::wstring Control(const std::wstring& command) const {
        using ControlFn = int32_t (*)(const wchar_t*, wchar_t*, uint32_t);
        HMODULE library = ::GetModuleHandleW(L"sysTuneLib.dll");
        auto control = library ? reinterpret_cast<ControlFn>(
                                     reinterpret_cast<void (*)()>(::GetProcAddress(library, "SimControl")))
                               : nullptr;
        wchar_t reply[256] = {};
        if (!control)
            return L"no control surface";
        control(command.c_str(), reply, static_cast<uint32_t>(std::size(reply)));
        return reply;
    }
    const TestDialog& Dialog() const { return m_dialog; }
    TestDialog& Dialog() { return m_dialog; }

private:
    TempDir m_state;
    TestDialog m_dialog;
    CMainHandler* m_main = nullptr; // owned by the dialog as its listener
    bool m_ready = false;
    bool m_loaded = false;
};

} // namespace oc::test
