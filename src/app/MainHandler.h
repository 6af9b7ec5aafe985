#pragma once
// The handler of the main window: it shows one content panel at a time (a markup file per endpoint
// feature), switches between the status and the profile panel, owns the speaker-test player, keeps the
// master volume, the mute button and the quick toggles in step with the driver, and answers the driver's
// notices and the main dialog's poll. Every other handler reaches the main window through IMainHandler.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/BaseHandler.h"
#include "app/IMainDialogHandler.h"
#include "app/IMainHandler.h"
#include "app/SoundPlayer.h"
#include "skin/Lock.h"

class CAppSettings;
class CAppLytEnvironment;
class CxSkinCtrl;
class ILytEnvironment;
class IProfilePanelHandler;
class IStatusPanelHandler;

// Messages and commands the main handler posts to the main window.
enum MainHandlerMessage : UINT {
    kMsgInitContentHandler = 1125, // wParam: the content's handler (IHandler*)
    kMsgVolumeChanged = 1131,
    kCmdCloseToTray = 1001,
    kCmdMinimize = 1002,
    kCmdShowMainWindow = 32887,
    kCmdQuit = 32888,
};

class CMainHandler : public CBaseHandler, public IMainHandler, public IMainDialogHandler {
public:
    enum PanelMode : int32_t { kPanelNone = 0, kPanelStatus = 1, kPanelProfile = 2 };

    CMainHandler();
    ~CMainHandler() override;

    // IMainHandler
    void ShowInfoDialog() override;
    void ShowAppSettingDialog() override;
    void ShowMainWindow() override;
    void MinimizeMainWindow() override;
    void CloseMainWindow() override;
    void ShowAsioPanel() override;
    int RefreshEffectState(uint64_t unused, uint32_t flags) override { return OnDriverNotify(unused, flags); }
    void OpenWithShell(const std::wstring& target) override;
    void SwitchStatusProfilePanel(uint32_t mode, int animate) override;
    void UpdateStatusPanel(const wchar_t* key, int fromSwitch) override;
    float UpdateMasterVolume() override;
    ISoundPlayer* GetSoundPlayer() override { return &m_player; }

    // IHandler
    void SetWindow(CLayerWnd* owner) override;
    void InitControls() override;
    int OnDriverNotify(uint64_t value, uint32_t flags) override;
    void OnDeactivate() override;
    int UpdateFromDriver() override;
    int OnClick(const std::wstring& name) override;
    int OnSliderChanged(const std::wstring& name, float position, int tracking) override;

    // IMainDialogHandler: the main dialog's poll, its window messages and the device changes.
    int CollectChangedState(ChangedState& state) override;
    void OnEffectNotify(const ChangedState& state) override;
    int IsCurrentContent(const wchar_t* text) override;
    void RefreshDeviceList() override;
    void ShowSettingContent(int32_t endpointCode) override;
    void ChooseSurroundContent(int32_t endpointCode) override;
    void ShowContent(const std::wstring& name, int force) override;
    void RefreshAfterDeviceChange(int flag) override;
    void EnsureContentLoaded() override;
    void ResetToFactoryDefault() override;
    void OnSoundPlayStep() override { m_player.OnPlayEnd(); }
    void OnHidButton(const std::wstring& key) override;
    void RefreshDeviceIcons() override;
    int OnVolumeChanged() override;
    int UpdateVolHandler() override;

    // Content panels.
    int LoadDeviceContent(const std::wstring& name, const RECT& rect);
    void UpdateContentRect(const RECT& rect);
    void ReloadContents();
    void RecheckContentEndpoint();

    void TogglePanelMode();
    void RefreshPanels();
    void RefreshDeviceListPanel();
    // Takes the device's default endpoints again and marks them in the device list; run after a profile was
    // applied.
    void UpdateDeviceIds();
    void RefreshStatusPanel();
    void EnableDialogToolTips(BOOL enable);
    void SelectDefaultEndpoints();
    void StopRotationAndTestSound();

    // Master volume, mute and quick toggles.
    void ToggleSpeakerMute();
    void ToggleSmartVolume();
    void ToggleGX();
    void ToggleENC();
    void UpdateMuteState(BOOL redraw);
    void RefreshMuteButton();
    void RefreshSpeakerVolume();
    void UpdateQuickToggles(BOOL redraw);
    void UpdateSurroundFlags();

    CSoundPlayer& Player() { return m_player; }
    CxSkinCtrl* GetCurrentContent() const { return m_content; }
    const std::wstring& GetCurrentContentName() const { return m_contentName; }
    int32_t GetPanelMode() const { return m_panelMode; }
    float GetMasterVolume() const { return m_masterVolume; }
    int GetMasterVolumePercent() const { return m_masterPercent; }
    size_t GetCachedContentCount() const { return m_cache.size(); }

    // Seams: tests give their own settings, markup environment, dialog runner, message box, launcher and
    // wave folder; without them the application's are used.
    void SetSettings(CAppSettings* settings) { m_settings = settings; }
    void SetLytEnvironment(ILytEnvironment* environment) { m_environment = environment; }
    void SetWaveFolder(std::wstring folder) { m_player.SetWaveFolder(std::move(folder)); }
    std::function<void(const std::wstring& markupPath)> m_runMarkupDialog;
    std::function<void()> m_showLaunchFailure;
    std::function<HINSTANCE(const wchar_t* file, const wchar_t* parameters)> m_launch;
    // Tests choose the system generation: 1 Vista or later, 0 older, -1 the running system.
    void SetVistaOrLater(int vista) { m_vista = vista; }

private:
    struct ContentCacheEntry {
        std::wstring name;
        CxSkinCtrl* control;
    };

    static IHandler* HandlerOf(const CxSkinCtrl* control);
    IHandler* ContentHandler() const { return HandlerOf(m_content); }
    CAppSettings* Settings() const;
    ILytEnvironment* Environment();
    void StoreLastContentName();
    bool LaunchOutsideEffects(const std::wstring& name);
    CxSkinCtrl* FindContent(const std::wstring& name) const;
    // False for the page of an endpoint the device does not have (or cannot drive) now.
    bool IsEndpointPresent(const std::wstring& content);
    // Shows a cached content again or loads it; false when its markup does not load.
    bool BringUpContent(const std::wstring& name);
    // Shows name, or when it does not load the previous content, else the endpoint's first page; true when
    // name itself is shown.
    bool ShowOrFallBack(const std::wstring& name, const std::wstring& previous);
    void PutAwayCurrentContent(int force);
    void FindPanelHandlers();
    // The Direct3D flip between the two panels; false when it cannot run.
    bool FlipPanels(uint32_t mode, CxSkinCtrl* status, CxSkinCtrl* profile);
    void InitContent();
    void RunMarkupDialog(const wchar_t* name);
    void PostCommand(UINT command);

    int32_t ReadInt(const wchar_t* property, int32_t* value);
    int32_t WriteInt(const wchar_t* property, int32_t value);
    bool ReadsNonzero(const wchar_t* property);
    void SurroundRuleA();
    void SurroundRuleC();
    void ApplySurroundRules();
    bool AllMasterEndpointsMuted();
    bool IsVistaOrLater() const;
    // Before Vista: true when the control device's mute or volume differs from the value last handed out.
    bool MixerChangedMuteOrVolume();
    float ReadMasterVolumes(float volumes[]);
    void RefreshToggle(const wchar_t* button, const wchar_t* property, const wchar_t* suffix, bool capture,
                       BOOL redraw);
    // True for the driver properties the quick toggles show.
    static bool IsQuickToggleProperty(const std::wstring& property);
    void FinishToggle(const wchar_t* button, const std::wstring& endpoint, const wchar_t* property, int32_t value,
                      int32_t writeResult);

    CxSkinCtrl* m_content = nullptr;
    std::wstring m_contentName;
    RECT m_contentRect{};
    int32_t m_panelMode = kPanelNone;
    IStatusPanelHandler* m_statusHandler = nullptr;
    IHandler* m_statusIHandler = nullptr;
    IProfilePanelHandler* m_profileHandler = nullptr;
    IHandler* m_profileIHandler = nullptr;
    // Held on the heap: a stop worker still hung in the driver at exit keeps the player it is inside.
    std::unique_ptr<CSoundPlayer> m_playerOwner = std::make_unique<CSoundPlayer>();
    CSoundPlayer& m_player = *m_playerOwner;
    std::vector<ContentCacheEntry> m_cache;
    CxLock m_lock;
    int32_t m_contentLoaded = 0;
    float m_masterVolume = 0.0f;
    int32_t m_masterPercent = 0;
    int m_vista = -1;

    CAppSettings* m_settings = nullptr;
    ILytEnvironment* m_environment = nullptr;
    std::unique_ptr<CAppLytEnvironment> m_appEnvironment;
};
