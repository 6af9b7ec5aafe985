#pragma once
// The application object: start-up (paths, switches, settings, language texts, single instance, GDI+,
// the driver object and the device check, then the main dialog) and shutdown, and the paths, settings,
// language texts and driver object that the rest of the program reaches through it.
#include "app/AppDriverSettings.h"
#include "app/AppLytEnvironment.h"
#include "app/AppSettings.h"
#include "app/StartupStages.h"
#include "framework/WinApp.h"
#include "markup/IProfileParser.h"

#include <functional>
#include <map>
#include <memory>
#include <span>
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

class IDriverInstance;
class ILytController;

class COvercoatApp : public CWinApp, public IProfileParserListener {
public:
    // Without stages: start-up runs only its own steps (tests fill in the stages they need).
    COvercoatApp();
    explicit COvercoatApp(StartupStages stages);
    ~COvercoatApp() override;

    // The stages of the program itself: language texts, driver object, device messages and releases.
    static StartupStages ProgramStages();

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

    // Runs from another program folder than the executable's (tests); InitPaths keeps it.
    void UseProgramFolder(const std::wstring& folder);
    // Keeps the data folder under another folder than the system's common application data (tests; ends
    // with a backslash); InitPaths keeps it.
    void UseCommonDataFolder(const std::wstring& folder) { m_commonDataOverride = folder; }

    // Loads every .xaml file of the culture's language folder, falling back to the first culture of the
    // shipped list that has files (and storing it as the chosen language). Each culture's common.xaml
    // is read first so that the language list is complete; the chosen culture's own texts win. Returns 1
    // when any text was loaded.
    int LoadLanguage(const std::wstring& culture);
    // The text of a language key; empty when there is no such key or no texts are loaded.
    std::wstring GetLanguageText(const std::wstring& key) const;
    // The first key, in key order, whose text is exactly the given one; empty when none is.
    std::wstring FindLanguageKey(const std::wstring& text) const;
    // Adds or replaces a text; nothing happens before the first language load.
    void SetLanguageString(const std::wstring& key, const std::wstring& text);
    // A text beginning with "ml_" is a key: its language text, or the key itself when it has none.
    std::wstring TranslateText(const std::wstring& text) const;
    // The language text of a message that names something ("{0}" in the text stands for the value). The
    // English text stands in when the key is missing or its text lacks the placeholder, so that a damaged
    // language file never hides what a message has to name.
    std::wstring FormatLanguageText(const std::wstring& key, const wchar_t* english, const std::wstring& value) const;
    // The language texts; created by the first language load (null until then).
    std::unique_ptr<std::map<std::wstring, std::wstring>>& LanguageStrings() { return m_languageStrings; }
    // One language file read: its "sys:String" entries enter the texts. Releases the root.
    void OnLanguageParsed(IXmlObject* root);

    // The language files' document parser.
    IXmlObject* CreateObject(const wchar_t* name) override;
    void OnParsed(IXmlObject* root) override { OnLanguageParsed(root); }
    void OnError(const wchar_t* message) override;

    // Creates the driver object, which loads the device maker's library and opens the device.
    DeviceCheck OpenDevice();
    void ReleaseDriver();
    IDriverInstance* GetDriver() const { return m_driver; }
    // The markup controller, with the style dictionary loaded; null before start-up made it.
    ILytController* GetLytController() const { return m_lytController; }
    void CreateLytController();
    void ReleaseLytController();
    // The device-missing or jack-empty message without a parent, with its own texts. While one of them is
    // on screen, another request for the same message is dropped.
    void ShowDeviceMessage(DeviceCheck device);
    // The skinned message box: the text, the title and the message-box type (MB_ICON* | MB_YESNO ...) reach
    // its handler as the language texts "Message_Text", "Message_Title" and "Message_Type". Runs modally
    // over the parent (or none) and returns the dialog's result: 1 for its close button, 2 for the
    // window's close button, 6 and 7 for yes and no; 2 when the box's markup does not load.
    INT_PTR ShowMessageBox(CWnd* parent, const std::wstring& text, const std::wstring& title, UINT type);
    // The error shown when the outside audio-effects panel cannot be started, owned by the main window so
    // that it stays above it. A request while it is on screen brings that one to the front instead.
    void ShowNoEffectPanelMessage();
    // A core skin file (the main window's markup or the style dictionary) could not be loaded: the skin
    // cannot draw a message, so a plain system message box names the file, and the program's exit code
    // says it ended on an error. A second start's "/q" ends the box as a click would.
    void ReportSkinFileFailure(const std::wstring& path);
    // The data folder (or one of its Profile and EffectPlugins folders) that could not be created, empty when
    // all three are there; the program then runs on defaults and saves nothing.
    const std::wstring& GetUnusableDataFolder() const { return m_unusableDataFolder; }
    // Tells the user, once per start, that the data folder could not be created (nothing when it was).
    void ReportUnusableDataFolder();
    int GetExitCode() const { return m_exitCode; }

    // The steps that the other parts of the program contribute (see StartupStages).
    StartupStages m_stages;
    // The framework's plain message box; tests replace it so that nothing waits for a click.
    std::function<void(const wchar_t* text, const wchar_t* caption)> m_showPlainMessage;
    // The skinned message box of the device messages (text, caption, message-box type); ShowMessageBox
    // without a parent unless replaced. Tests replace it so that nothing waits for a click; empty, the device
    // messages are not shown.
    std::function<void(const std::wstring& text, const std::wstring& caption, UINT type)> m_showSkinnedMessage;
    // The system's message box (owner, text, caption, type), shown instead of the skinned one when its markup
    // does not load, so no message is lost. Tests replace it so that nothing waits for a click.
    std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)>
        m_showSystemMessage;

    int m_nPendingOutputTerminal = 0;
    int m_nScreenDpi = 96;
    std::wstring m_languageName;

private:
    bool IsSecondInstance();
    // ShowMessageBox that names the running box through running while it is on screen.
    INT_PTR RunMessageBox(CWnd* parent, const std::wstring& text, const std::wstring& title, UINT type,
                          CWnd** running);
    void ForwardToFirstInstance();

    std::wstring m_programFolderOverride;
    std::wstring m_commonDataOverride;
    std::wstring m_programFolder;
    std::wstring m_skinFolder;
    std::wstring m_dataFolder;
    std::wstring m_unusableDataFolder;
    std::wstring m_profileFolder;
    std::wstring m_title;
    unsigned m_switches = 0;
    UINT m_activationMessage = 0;
    std::unique_ptr<std::map<std::wstring, std::wstring>> m_languageStrings;
    std::unique_ptr<CAppSettings> m_settings;
    CAppDriverSettings m_driverSettings{*this};
    IDriverInstance* m_driver = nullptr;
    // The environment must outlive the controller that reads it.
    std::unique_ptr<CAppLytEnvironment> m_lytEnvironment;
    ILytController* m_lytController = nullptr;
    bool m_deviceMissingShowing = false;
    bool m_jackEmptyShowing = false;
    CWnd* m_noEffectPanelBox = nullptr; // the box on screen, null when none is
    int m_exitCode = 0;
    bool m_savesSettings = true; // false for a start that only hands its switches on or only quits
    bool m_vista = false;
    bool m_win7 = false;
    HANDLE m_instanceMutex = nullptr;
    ULONG_PTR m_gdiplusToken = 0;
};

// The program's one application object (defined beside the program entry; a test program that links
// code reaching it defines its own).
extern COvercoatApp theApp;

// The cultures the program knows, in the order of the language list and of the fallback search.
std::span<const wchar_t* const> LanguageCultures();

// TranslateText of the program's application object, for markup texts.
std::wstring TranslateText(const std::wstring& text);
