#include "app/OvercoatApp.h"

#include "app/OvercoatDlg.h"
#include "driver/DriverInstance.h"
#include "driver/DriverStartup.h"
#include "handlers/effects/EffectStartupWriters.h"
#include "markup/ILytController.h"
#include "markup/LytSkinElements.h"
#include "skin/ItemAnimation.h"
#include "markup/IProfileController.h"
#include "markup/StringUtils.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <shellapi.h>
#include <system_error>

namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus
#include <gdiplus.h>

#include "skin/SkinImageCache.h"

namespace {

constexpr wchar_t kCompanyName[] = L"Korva Software";
constexpr wchar_t kSkinName[] = L"Overcoat";

struct SwitchEntry {
    const wchar_t* text;
    unsigned bit;
};

constexpr SwitchEntry kSwitches[] = {
    {L"/d", kSwitchNoDevice}, {L"/h", kSwitchHidden}, {L"/u", kSwitchUninstall},
    {L"/q", kSwitchQuit},     {L"/i", kSwitchReinit},
};

std::wstring ModuleFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return L"";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // a long path is not cut short
    }
    return path.substr(0, path.rfind(L'\\') + 1);
}

// True when the folder is there afterwards; a file of its name in its place makes that impossible.
bool CreateFolders(const std::wstring& folder) {
    const std::filesystem::path path(folder);
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

// The real system version: the version functions of the API answer what the manifest allows.
void ReadSystemVersion(DWORD& major, DWORD& minor) {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    auto getVersion =
        ntdll ? reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")))
              : nullptr;
    if (getVersion && getVersion(&info) == 0) {
        major = info.dwMajorVersion;
        minor = info.dwMinorVersion;
    } else {
        major = 6;
        minor = 1;
    }
}

// A string value of any length; empty when it is missing or not a string. The stored data need not
// end with a terminator.
std::wstring ReadStringValue(HKEY key, const wchar_t* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return L"";
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    DWORD read = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &read) != ERROR_SUCCESS)
        return L"";
    text.resize(std::min<size_t>(read / sizeof(wchar_t), text.size()));
    text.resize(std::wcslen(text.c_str()));
    return text;
}

} // namespace

unsigned ParseSwitches(const std::vector<std::wstring>& arguments) {
    unsigned bits = 0;
    for (const std::wstring& argument : arguments) {
        for (const SwitchEntry& entry : kSwitches) {
            if (argument == entry.text) {
                bits |= entry.bit;
                break;
            }
        }
    }
    return bits;
}

std::wstring GetCommonAppDataPath(const std::wstring& programFolder, HKEY root, const wchar_t* subKey) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return programFolder;
    std::wstring text = ReadStringValue(key, L"Common AppData");
    ::RegCloseKey(key);
    size_t percent = text.find(L'%');
    if (percent != std::wstring::npos && text.find(L'%', percent + 1) == std::wstring::npos)
        return programFolder;
    return text + L"\\";
}

void RemoveFilesIn(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folder + L"*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        std::wstring path = folder + found.cFileName;
        if (path.find(L"\\.") == std::wstring::npos)
            ::DeleteFileW(path.c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

COvercoatApp::COvercoatApp() : COvercoatApp(StartupStages{}) {}

COvercoatApp::COvercoatApp(StartupStages stages) : m_stages(std::move(stages)), m_title(kCompanyName) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    m_showPlainMessage = [](const wchar_t* text, const wchar_t* caption) {
        ::MessageBoxW(nullptr, text, caption, MB_OK | MB_ICONERROR);
    };
    m_showSystemMessage = [](HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
        return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
    };
    m_showSkinnedMessage = [this](const std::wstring& text, const std::wstring& caption, UINT type) {
        ShowMessageBox(nullptr, text, caption, type);
    };
}

StartupStages COvercoatApp::ProgramStages() {
    StartupStages stages;
    stages.loadLanguage = [](COvercoatApp& app) { return app.LoadLanguage(app.GetSettings()->GetLanguage()) != 0; };
    stages.createMarkupController = [](COvercoatApp& app) {
        // The layers' zoom and fade run through the key-frame animation once it is registered.
        RegisterItemAnimation();
        app.CreateLytController();
    };
    stages.openDevice = [](COvercoatApp& app) { return app.OpenDevice(); };
    stages.showDeviceMessage = [](COvercoatApp& app, DeviceCheck device) { app.ShowDeviceMessage(device); };
    stages.runMainDialog = [](COvercoatApp& app) { COvercoatDlg::RunProgramMainWindow(app); };
    // The controller may never have been made: asking for it makes one, which its release then frees.
    stages.releaseMarkupController = [](COvercoatApp& app) { app.ReleaseLytController(); };
    stages.releaseProfileController = [](COvercoatApp&) { GetProfileController()->Release(); };
    stages.releaseDriver = [](COvercoatApp& app) { app.ReleaseDriver(); };
    return stages;
}

void COvercoatApp::CreateLytController() {
    m_lytEnvironment = std::make_unique<CAppLytEnvironment>(*this);
    m_lytController = CreateSkinLytController(*m_lytEnvironment);
}

void COvercoatApp::ReleaseLytController() {
    if (m_lytController)
        m_lytController->Release();
    m_lytController = nullptr;
    m_lytEnvironment.reset();
}

COvercoatApp::~COvercoatApp() {
    // The mutex marks the running instance until the process ends.
    if (m_instanceMutex)
        ::CloseHandle(m_instanceMutex);
}

void COvercoatApp::UseProgramFolder(const std::wstring& folder) {
    m_programFolderOverride = folder;
    m_programFolder = folder;
}

void COvercoatApp::InitPaths() {
    m_programFolder = m_programFolderOverride.empty() ? ModuleFolder() : m_programFolderOverride;
    std::wstring dataFolder;
    const std::wstring commonData =
        m_commonDataOverride.empty() ? GetCommonAppDataPath(m_programFolder) : m_commonDataOverride;
    m_dataFolder = FormatString(dataFolder, L"%ls%ls\\", commonData.c_str(), kCompanyName);
    // Wide names throughout: a folder name outside the ANSI code page must not turn into '?'. The first
    // folder that cannot be made is told to the user once the program can show a message.
    m_unusableDataFolder.clear();
    for (const std::wstring& folder : {m_dataFolder, m_dataFolder + L"Profile\\", m_dataFolder + L"EffectPlugins\\"}) {
        if (!CreateFolders(folder) && m_unusableDataFolder.empty())
            m_unusableDataFolder = folder;
    }
    m_skinFolder = m_programFolder + L"Skin\\" + kSkinName + L"\\";
    m_profileFolder = m_programFolder + L"profile\\";

    DWORD major = 0, minor = 0;
    ReadSystemVersion(major, minor);
    m_vista = major > 5 || (major == 5 && minor >= 3);
    m_win7 = major > 6 || (major == 6 && minor != 0);
}

void COvercoatApp::ParseCommandLine() {
    // The command line of the entry holds the arguments only; a stand-in program name lets the system's
    // splitter apply its rules for arguments to all of them.
    std::wstring line = std::wstring(L"Overcoat.exe ") + (m_lpCmdLine ? m_lpCmdLine : L"");
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> arguments;
    for (int i = 1; argv && i < count; ++i)
        arguments.emplace_back(argv[i]);
    if (argv)
        ::LocalFree(argv);
    m_switches = ParseSwitches(arguments);
}

std::wstring COvercoatApp::GetSkinFilePath(const std::wstring& name) const {
    if (name.empty() || (name.size() > 1 && name[1] == L':'))
        return name;
    return m_skinFolder + name;
}

DeviceCheck COvercoatApp::OpenDevice() {
    DriverEnvironment environment;
    environment.programFolder = m_programFolder;
    environment.dataFolder = m_dataFolder;
    environment.vistaOrLater = m_vista;
    environment.settings = &m_driverSettings;
    // The driver object is stored before it initialises, so the writers find it when a device comes up.
    RegisterEffectStartupWriters(environment.effectWriters, [this] { return m_driver; });
    switch (OpenDriverDevice(environment, &m_driver)) {
    case DriverDeviceState::Ready:
        return DeviceCheck::Ready;
    case DriverDeviceState::JackEmpty:
        return DeviceCheck::JackEmpty;
    case DriverDeviceState::Missing:
        break;
    }
    return DeviceCheck::Missing;
}

void COvercoatApp::ReleaseDriver() {
    if (!m_driver)
        return;
    m_driver->Release();
    m_driver = nullptr;
}

void COvercoatApp::ShowDeviceMessage(DeviceCheck device) {
    if (device == DeviceCheck::Ready)
        return;
    const bool jackEmpty = device == DeviceCheck::JackEmpty;
    bool& showing = jackEmpty ? m_jackEmptyShowing : m_deviceMissingShowing;
    if (showing || !m_showSkinnedMessage)
        return;
    // Cleared however the box ends, so that a later request is shown again.
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{showing};
    showing = true;
    m_showSkinnedMessage(GetLanguageText(jackEmpty ? L"ml_Main_DeviceJackEmpty" : L"ml_Main_DeviceNotExist"),
                         GetLanguageText(L"ml_Main_Info"), MB_ICONERROR);
}

bool COvercoatApp::IsSecondInstance() {
    const std::wstring lookedUpTitle = GetLanguageText(L"ml_Main_Title");
    m_activationMessage = ::RegisterWindowMessageW((std::wstring(kCompanyName) + L".exe" + lookedUpTitle).c_str());
    m_instanceMutex = ::CreateMutexW(nullptr, FALSE, (std::wstring(kCompanyName) + L".exe" + m_title).c_str());
    if (!m_instanceMutex || ::GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    ::CloseHandle(m_instanceMutex);
    m_instanceMutex = nullptr;
    return true;
}

void COvercoatApp::ForwardToFirstInstance() {
    m_switches &= ~kSwitchHidden;
    // The first instance may have no main window yet (it shows a device message at start-up): the switches
    // still reach it, so that "/q" ends it from there too.
    if (HWND first = ::FindWindowW(nullptr, m_title.c_str()))
        ::SetWindowPos(first, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    // Posted, not sent: a first instance that hangs must not hang this one too.
    ::PostMessageW(HWND_BROADCAST, m_activationMessage, m_switches, 0);
}

BOOL COvercoatApp::InitInstance() {
    InitPaths();
    ParseCommandLine();
    m_settings = std::make_unique<CAppSettings>(m_dataFolder + L"setting.ini");

    if (m_stages.loadLanguage && !m_stages.loadLanguage(*this)) {
        m_showPlainMessage(L"Failed to find language resource!", m_title.c_str());
        return FALSE;
    }
    std::wstring title = GetLanguageText(L"ml_Main_Title");
    if (!title.empty())
        m_title = title;

    // A start that only hands its switches on, or only quits, writes no setting back: it could race the
    // running instance's own save, and it changed nothing.
    if (IsSecondInstance()) {
        m_savesSettings = false;
        ForwardToFirstInstance();
        return FALSE;
    }
    if (HasSwitch(kSwitchQuit)) {
        if (HasSwitch(kSwitchUninstall))
            RemoveDataFiles();
        if (!HasSwitch(kSwitchReinit)) {
            m_savesSettings = false;
            return FALSE;
        }
    }

    Gdiplus::GdiplusStartupInput gdiplusInput;
    if (Gdiplus::GdiplusStartup(&m_gdiplusToken, &gdiplusInput, nullptr) != Gdiplus::Ok)
        m_gdiplusToken = 0;
    // Every skin image of the run is decoded once and shared by the controls that show it. A control that
    // outlives the cache keeps its pixels.
    CxSkinImageCache images;

    if (m_stages.createMarkupController)
        m_stages.createMarkupController(*this);
    ReportUnusableDataFolder();
    // Without a driver object there is no device to ask about: that is the no-device case.
    DeviceCheck device = m_stages.openDevice ? m_stages.openDevice(*this) : DeviceCheck::Missing;
    if (device != DeviceCheck::Ready) {
        if (!HasSwitch(kSwitchNoDevice)) {
            if (m_stages.showDeviceMessage)
                m_stages.showDeviceMessage(*this, device);
            return FALSE;
        }
        m_switches |= kSwitchRunsNoDevice;
    }
    if (HasSwitch(kSwitchNoDevice) && m_settings->m_nSystemTray == 0)
        return FALSE;

    if (m_stages.runMainDialog)
        m_stages.runMainDialog(*this);
    return FALSE;
}

int COvercoatApp::ExitInstance() {
    if (m_settings) {
        if (m_savesSettings)
            m_settings->Save();
        m_settings.reset();
    }
    if (m_stages.releaseMarkupController)
        m_stages.releaseMarkupController(*this);
    if (m_stages.releaseProfileController)
        m_stages.releaseProfileController(*this);
    if (m_stages.releaseDriver)
        m_stages.releaseDriver(*this);
    m_languageStrings.reset();
    if (HasSwitch(kSwitchUninstall))
        RemoveDataFiles();
    if (m_gdiplusToken) {
        Gdiplus::GdiplusShutdown(m_gdiplusToken);
        m_gdiplusToken = 0;
    }
    const int code = CWinApp::ExitInstance();
    return m_exitCode != 0 ? m_exitCode : code;
}
