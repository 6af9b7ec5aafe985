#pragma once
// The application object: start-up (paths, switches, settings, single instance, GDI+, then the steps
// of the other parts and the main dialog) and shutdown, and the paths, settings and language texts
// that the rest of the program reaches through it.
#include "app/AppSettings.h"
#include "app/StartupStages.h"
#include "framework/WinApp.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// Switch bits of the command line (and of the activation message between instances).
enum StartSwitch : unsigned {
    kSwitchNoDevice = 1,     // "/d": start even without a device
    kSwitchHidden = 2,       // "/h": start hidden
    kSwitchUninstall = 4,    // "/u": remove the data files
    kSwitchQuit = 8,         // "/q": quit
    kSwitchReinit = 16,      // "/i": with "/q" go on starting; sent to a running instance, re-read the device
    kSwitchRunsNoDevice = 32 // set by start-up when the program runs without a device
};

// The switch bits of the arguments after the program name: each is compared whole and case-sensitively
// with "/d", "/h", "/u", "/q" and "/i"; anything else is ignored.
unsigned ParseSwitches(const std::vector<std::wstring>& arguments);

// The common application-data folder with a trailing backslash, from the "Common AppData" value under
// root\subKey; the program folder when the key cannot be opened or the value holds a lone '%'.
std::wstring
GetCommonAppDataPath(const std::wstring& programFolder, HKEY root = HKEY_LOCAL_MACHINE,
                     const wchar_t* subKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");

// Deletes the files directly in the folder (which ends with a backslash); subfolders and files whose
// names begin with a dot stay.
void RemoveFilesIn(const std::wstring& folder);

class COvercoatApp : public CWinApp {
public:
    COvercoatApp();
    ~COvercoatApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    void InitPaths();
    void ParseCommandLine();
    void RemoveDataFiles() { RemoveFilesIn(m_dataFolder); }

    const std::wstring& GetProgramFolder() const { return m_programFolder; }
    const std::wstring& GetSkinFolder() const { return m_skinFolder; }
    const std::wstring& GetDataFolder() const { return m_dataFolder; }
    const std::wstring& GetProfileFolder() const { return m_profileFolder; }
    std::wstring GetSkinFilePath(const std::wstring& name) const;
    std::wstring GetTitle() const { return m_title; }
    CAppSettings* GetSettings() const { return m_settings.get(); }
    unsigned GetSwitches() const { return m_switches; }
    void SetSwitches(unsigned switches) { m_switches = switches; }
    bool HasSwitch(unsigned bit) const { return (m_switches & bit) != 0; }
    UINT GetActivationMessage() const { return m_activationMessage; }
    bool IsVistaOrLater() const { return m_vista; }
    bool IsWin7OrLater() const { return m_win7; }

    // The text of a language key; empty when there is no such key or no texts are loaded.
    std::wstring GetLanguageText(const std::wstring& key) const;
    // The language texts; created by the first language load (null until then).
    std::unique_ptr<std::map<std::wstring, std::wstring>>& LanguageStrings() { return m_languageStrings; }

    // The steps that the other parts of the program contribute (see StartupStages).
    StartupStages m_stages;
    // The framework's plain message box; tests replace it so that nothing waits for a click.
    std::function<void(const wchar_t* text, const wchar_t* caption)> m_showPlainMessage;

    int m_nPendingOutputTerminal = 0;
    int m_nScreenDpi = 96;
    std::wstring m_languageName;

private:
    bool IsSecondInstance();
    void ForwardToFirstInstance();

    std::wstring m_programFolder;
    std::wstring m_skinFolder;
    std::wstring m_dataFolder;
    std::wstring m_profileFolder;
    std::wstring m_title;
    unsigned m_switches = 0;
    UINT m_activationMessage = 0;
    std::unique_ptr<std::map<std::wstring, std::wstring>> m_languageStrings;
    std::unique_ptr<CAppSettings> m_settings;
    bool m_vista = false;
    bool m_win7 = false;
    HANDLE m_instanceMutex = nullptr;
    ULONG_PTR m_gdiplusToken = 0;
};

// The program's one application object (defined beside the program entry; a test program that links
// code reaching it defines its own).
extern COvercoatApp theApp;
