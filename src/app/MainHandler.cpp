#include "app/MainHandler.h"

#include <shellapi.h>

#include <algorithm>
#include <cmath>

#include "app/AppLytEnvironment.h"
#include "app/AppSettings.h"
#include "app/HandlerServices.h"
#include "app/MainPanelHandlers.h"
#include "app/OvercoatApp.h"
#include "app/UIDialog.h"
#include "driver/IDriverInstance.h"
#include "driver/PropertyValue.h"
#include "markup/ILytController.h"
#include "markup/LytWindow.h"
#include "framework/Wnd.h"
#include "skin/Flip3D.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinDialog.h"
#include "skin/IxSkinPanel.h"
#include "skin/IxSkinSlider.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinDialog.h"
#include "skin/SkinDraw.h"
#include "skin/SkinParse.h"

namespace {

constexpr wchar_t kStatusPanelName[] = L"PanelStatus";
constexpr wchar_t kProfilePanelName[] = L"PanelProfile";
constexpr wchar_t kPanelDeviceList[] = L"PanelDeviceList";
constexpr wchar_t kVirtualSurround[] = L"EnableVirtualSurroundEffect";

// The virtual-surround switch is read as an unsigned number of 4 bytes.
constexpr uint32_t kSwitchSize = sizeof(int32_t);

// The outside effects panels: the launcher is another vendor's program.
struct OutsideEffects {
    const wchar_t* content;
    const wchar_t* parameters;
};
constexpr OutsideEffects kOutsideEffects[] = {
    {L"VexaroAudioEffects", L"/SHOW_AUDIO"},
    {L"VexaroMicEffects", L"/SHOW_MIC"},
};
constexpr wchar_t kOutsideLauncher[] = L"%ProgramFiles%\\Vexaro\\Vexaro2\\UserInterface\\Vexaro2UILauncher.exe";

// Contents that need the microphone's listen-to-device restarted when they appear.
constexpr const wchar_t* kListenContents[] = {L"MicInENC", L"MicInBeamForming"};

bool Contains(const std::wstring& text, const wchar_t* part) {
    return text.find(part) != std::wstring::npos;
}

} // namespace

CMainHandler::CMainHandler() {
    m_name = L"MainWindow";
    m_player.SetListener(this);
}

CMainHandler::~CMainHandler() {
    // The panels that may still be the player's listener are gone or going: the player's own stop at its
    // end reports to nobody.
    m_player.SetListener(nullptr);
    // A stop worker, this handler's or a page's, may still be inside the player. It gets a bounded wait;
    // one hung in the driver keeps the player, which the ending process then takes with it.
    if (!WaitForStopWorker(kStopWaitMs) || !m_player.WaitForStops(kStopWaitMs))
        static_cast<void>(m_playerOwner.release());
    for (const ContentCacheEntry& entry : m_cache) {
        if (entry.control == m_content)
            continue; // the current content goes with the owner window
        entry.control->DestroyChildren();
        delete entry.control;
    }
    m_cache.clear();
}

CAppSettings* CMainHandler::Settings() const {
    return m_settings ? m_settings : theApp.GetSettings();
}

ILytEnvironment* CMainHandler::Environment() {
    if (m_environment)
        return m_environment;
    if (!m_appEnvironment)
        m_appEnvironment = std::make_unique<CAppLytEnvironment>(theApp);
    return m_appEnvironment.get();
}

IHandler* CMainHandler::HandlerOf(const CxSkinCtrl* control) {
    return control ? dynamic_cast<IHandler*>(control->GetListener()) : nullptr;
}

void CMainHandler::SetWindow(CLayerWnd* owner) {
    CBaseHandler::SetWindow(owner);
    m_player.SetDriver(GetDriver());
    m_player.SetWaveFolder(theApp.GetProgramFolder() + L"sound\\");
}

void CMainHandler::PostCommand(UINT command) {
    if (m_owner)
        m_owner->PostMessage(WM_COMMAND, command, 0);
}

// ---- IMainHandler ----

void CMainHandler::RunMarkupDialog(const wchar_t* name) {
    const std::wstring path = CUIDialog::MarkupPathOf(Services().GetSkinFolder(), name);
    if (m_runMarkupDialog) {
        m_runMarkupDialog(path);
        return;
    }
    // Not under the lock: the dialog runs its own modal loop, in which the poll goes on.
    CUIDialog dialog(CDialog::IDD_POPUP, dynamic_cast<CWnd*>(m_owner ? m_owner->GetRootLayer() : nullptr));
    dialog.SetMarkupPath(path);
    dialog.DoModal();
}

void CMainHandler::ShowInfoDialog() {
    RunMarkupDialog(L"DialogInfo");
}

void CMainHandler::ShowAppSettingDialog() {
    RunMarkupDialog(L"Dialog_AppSetting");
}

void CMainHandler::ShowMainWindow() {
    PostCommand(kCmdShowMainWindow);
}

void CMainHandler::MinimizeMainWindow() {
    PostCommand(kCmdMinimize);
}

void CMainHandler::CloseMainWindow() {
    const CAppSettings* settings = Settings();
    PostCommand(settings && settings->m_nSystemTray ? kCmdCloseToTray : kCmdQuit);
}

void CMainHandler::ShowAsioPanel() {
    if (IDriverInstance* driver = GetDriver())
        driver->ShowAsioPanel();
}

void CMainHandler::OpenWithShell(const std::wstring& target) {
    ::ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOW);
}

void CMainHandler::FindPanelHandlers() {
    m_statusIHandler = HandlerOf(FindControl(kStatusPanelName));
    m_statusHandler = dynamic_cast<IStatusPanelHandler*>(m_statusIHandler);
    m_profileIHandler = HandlerOf(FindControl(kProfilePanelName));
    m_profileHandler = dynamic_cast<IProfilePanelHandler*>(m_profileIHandler);
}

void CMainHandler::SwitchStatusProfilePanel(uint32_t mode, int animate) {
    m_panelMode = static_cast<int32_t>(mode);
    CxSkinCtrl* status = FindControl(kStatusPanelName);
    CxSkinCtrl* profile = FindControl(kProfilePanelName);
    FindPanelHandlers();
    if (!status || !profile)
        return;
    auto* profilePanel = dynamic_cast<IxSkinPanel*>(profile);
    if (animate && profilePanel && profilePanel->GetAnimateStyle() == 2 && FlipPanels(mode, status, profile))
        return;
    if (mode == kPanelProfile) {
        if (m_profileHandler)
            m_profileHandler->ClearSelectedProfileName();
        if (m_profileIHandler)
            m_profileIHandler->InitControls();
        if (animate)
            profile->RunAnimation(TRUE);
        // Shown whether or not the zoom ran: without the animation module it never made the panel visible.
        profile->SetVisible(TRUE, TRUE);
        // The two panels share one rectangle and the profile cards do not cover all of it: the area is drawn
        // again once the status panel has gone, or its texts would show through the cards.
        status->SetVisible(FALSE, TRUE);
    } else {
        if (m_statusIHandler)
            m_statusIHandler->InitControls();
        status->SetVisible(TRUE, FALSE);
        if (animate)
            profile->RunAnimation(FALSE);
        profile->SetVisible(FALSE, !animate);
        status->Invalidate(FALSE);
    }
}

bool CMainHandler::FlipPanels(uint32_t mode, CxSkinCtrl* status, CxSkinCtrl* profile) {
    // The panel that appears is read first, so the flip shows its fresh state.
    if (mode == kPanelProfile) {
        if (m_profileHandler)
            m_profileHandler->ClearSelectedProfileName();
        if (m_profileIHandler)
            m_profileIHandler->InitControls();
    } else if (m_statusIHandler) {
        m_statusIHandler->InitControls();
    }
    CFlip3D flip;
    flip.SetLayers(status, profile);
    flip.SetTarget(FindControl(L"PanelSwitchButton"));
    if (!flip.Init())
        return false; // no Direct3D: the caller zooms instead
    auto* dialog = dynamic_cast<IxSkinDialog*>(m_owner->GetRootLayer());
    if (dialog)
        dialog->SetInputBlocked(TRUE);
    flip.Run(mode != kPanelProfile);
    CxSkinCtrl* appearing = mode == kPanelProfile ? profile : status;
    CxSkinCtrl* leaving = mode == kPanelProfile ? status : profile;
    leaving->SetVisible(FALSE, FALSE);
    appearing->SetVisible(TRUE, TRUE);
    flip.Release();
    if (dialog)
        dialog->SetInputBlocked(FALSE);
    xSkinFlushMouseMessages(); // clicks made during the flip are not replayed on the new panel
    return true;
}

void CMainHandler::TogglePanelMode() {
    SwitchStatusProfilePanel(m_panelMode != kPanelStatus ? kPanelStatus : kPanelProfile, 1);
}

void CMainHandler::UpdateStatusPanel(const wchar_t* key, int fromSwitch) {
    const std::wstring text(key ? key : L"");
    const size_t dot = text.find(L'.');
    const std::wstring property = dot == std::wstring::npos ? text : text.substr(dot + 1);
    // A page or a hardware button that switches what a quick toggle shows (noise cancellation on the
    // microphone's page, say) leaves the bottom bar showing the device's state, whichever panel is up. The
    // toggles' own clicks (announced with fromSwitch 0) have set their buttons already.
    if (fromSwitch && IsQuickToggleProperty(property))
        UpdateQuickToggles(TRUE);
    CxSkinCtrl* status = FindControl(kStatusPanelName);
    if (status && status->IsVisible()) {
        if (!fromSwitch)
            return;
        if (!key) {
            InitControls();
            if (m_statusIHandler)
                m_statusIHandler->InitControls();
            return;
        }
        if (m_statusHandler)
            m_statusHandler->OnControlChanged(property);
        return;
    }
    CxSkinCtrl* profile = FindControl(kProfilePanelName);
    if (!profile || !profile->IsVisible() || !m_profileHandler)
        return;
    std::wstring fullKey;
    if (key) {
        fullKey = key;
        if (fullKey.find(L'.') == std::wstring::npos) {
            IDriverInstance* driver = GetDriver();
            fullKey = (driver ? driver->GetCurrentEndpointName() : std::wstring()) + L"." + fullKey;
        }
    }
    if (m_profileHandler->MatchCurrentProfile(fullKey))
        m_profileHandler->UpdateUserDefineItem(1);
}

// ---- Button clicks ----

int CMainHandler::OnClick(const std::wstring& name) {
    using Action = void (CMainHandler::*)();
    static constexpr struct {
        const wchar_t* control;
        Action action;
    } kActions[] = {
        {L"BtnClose", &CMainHandler::CloseMainWindow},
        {L"BtnMinimize", &CMainHandler::MinimizeMainWindow},
        {L"BtnSetting", &CMainHandler::ShowAppSettingDialog},
        {L"BtnInfo", &CMainHandler::ShowInfoDialog},
        {L"PanelSwitchButton", &CMainHandler::TogglePanelMode},
        {L"SpeakerMute", &CMainHandler::ToggleSpeakerMute},
        {L"EnableSmartVol", &CMainHandler::ToggleSmartVolume},
        {L"EnableGX", &CMainHandler::ToggleGX},
        {L"EnableENC", &CMainHandler::ToggleENC},
        {L"BtnASIO", &CMainHandler::ShowAsioPanel},
    };
    if (name == L"BtnMainLogo") {
        if (CxSkinCtrl* logo = FindControl(name); logo && !logo->GetTag().empty())
            OpenWithShell(logo->GetTag());
        return 1;
    }
    for (const auto& row : kActions) {
        if (name == row.control) {
            (this->*row.action)();
            break;
        }
    }
    return 1;
}

// ---- Content panels ----

bool CMainHandler::LaunchOutsideEffects(const std::wstring& name) {
    for (const OutsideEffects& outside : kOutsideEffects) {
        if (name != outside.content)
            continue;
        wchar_t path[MAX_PATH] = {};
        ::ExpandEnvironmentStringsW(kOutsideLauncher, path, MAX_PATH);
        const HINSTANCE result = m_launch ? m_launch(path, outside.parameters)
                                          : ::ShellExecuteW(nullptr, nullptr, path, outside.parameters, nullptr, 1);
        if (reinterpret_cast<INT_PTR>(result) <= 32) {
            // The application drops a second message while the first is on screen.
            if (m_showLaunchFailure)
                m_showLaunchFailure();
            else
                theApp.ShowNoEffectPanelMessage();
        }
        return true;
    }
    return false;
}

CxSkinCtrl* CMainHandler::FindContent(const std::wstring& name) const {
    for (const ContentCacheEntry& entry : m_cache) {
        if (entry.name == name)
            return entry.control;
    }
    return nullptr;
}

void CMainHandler::PutAwayCurrentContent(int force) {
    if (!m_content)
        return;
    if (m_owner)
        m_owner->RemoveChild(m_content);
    IHandler* handler = ContentHandler();
    if (!force && handler && handler->KeepContentLoaded()) {
        if (!FindContent(m_contentName))
            m_cache.push_back({m_contentName, m_content});
        m_content->SetVisible(FALSE, TRUE);
        return;
    }
    if (handler)
        handler->OnDeactivate();
    // A panel that asked for the speaker test hears its notices; they must not reach it once it is gone.
    if (handler && m_player.GetListener() == static_cast<ISoundPlayListener*>(handler))
        m_player.SetListener(this);
    // A cached panel that is destroyed (forced reload) leaves the cache with it.
    std::erase_if(m_cache, [this](const ContentCacheEntry& entry) { return entry.control == m_content; });
    m_content->DestroyChildren();
    delete m_content; // releases its handler
    m_content = nullptr;
}

bool CMainHandler::IsEndpointPresent(const std::wstring& content) {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return true;
    const int32_t code = driver->EndpointPrefixToCode(content);
    if (code < 1)
        return true; // not an endpoint's page
    return driver->GetDeviceKindByName(driver->EndpointCodeToName(code)) == 1;
}

void CMainHandler::ShowContent(const std::wstring& name, int force) {
    if (LaunchOutsideEffects(name))
        return;
    // The shown content's own name changes nothing; after a failed load nothing is shown under that name,
    // and asking for it again must load it rather than leave the content area empty.
    if (name.empty() || (!force && name == m_contentName && m_content))
        return;
    // A page reads and writes the driver's current endpoint, which only a present endpoint can become: the
    // page of an absent one would show and change another endpoint's values.
    if (!IsEndpointPresent(name))
        return;
    CxLockGuard guard(m_lock);
    const std::wstring previous = m_content ? m_contentName : std::wstring();
    PutAwayCurrentContent(force);
    ShowOrFallBack(name, previous);
    StoreLastContentName();
    IDriverInstance* driver = GetDriver();
    for (const wchar_t* listen : kListenContents) {
        if (name == listen && driver) {
            const CAppSettings* settings = Settings();
            driver->RestartListen(2, settings && settings->m_nMicInListenToDevice != 0);
        }
    }
}

bool CMainHandler::BringUpContent(const std::wstring& name) {
    CxSkinCtrl* cached = FindContent(name);
    if (!cached) {
        const int loaded = LoadDeviceContent(name, m_contentRect);
        if (!m_contentLoaded)
            m_contentLoaded = loaded;
        return loaded != 0;
    }
    m_content = cached;
    m_content->SetVisible(TRUE, TRUE);
    m_contentName = name;
    if (m_owner)
        m_owner->AddChild(m_content);
    if (IDriverInstance* driver = GetDriver())
        driver->SetCurrentContent(name);
    if (IHandler* handler = ContentHandler())
        handler->InitControls();
    return true;
}

// A page that does not load (a missing or broken markup file) must not leave the content area empty: the
// page shown before comes back, else the endpoint's first page. The failed name is never made current,
// and the driver is given back the page it remembered for the endpoint, so that the endpoint's icon does
// not lead to the broken page again.
bool CMainHandler::ShowOrFallBack(const std::wstring& name, const std::wstring& previous) {
    IDriverInstance* driver = GetDriver();
    const int32_t code = driver ? driver->EndpointPrefixToCode(name) : -1;
    const std::wstring endpoint = code > 0 ? driver->EndpointCodeToName(code) : std::wstring();
    const std::wstring firstPage = endpoint.empty() ? std::wstring() : endpoint + L"Vol";
    const std::wstring remembered = endpoint.empty() ? std::wstring() : driver->GetEndpointContent(endpoint);
    if (BringUpContent(name))
        return true;
    if (driver && !endpoint.empty())
        driver->SetCurrentContent(remembered != name && !remembered.empty() ? remembered : firstPage);
    // The page shown before only while its endpoint is still there (a device change may have taken it).
    const bool previousPresent =
        !previous.empty() && driver &&
        driver->GetDeviceKindByName(driver->EndpointCodeToName(driver->EndpointPrefixToCode(previous))) == 1;
    for (const std::wstring& fallback : {previousPresent ? previous : std::wstring(), firstPage}) {
        if (!fallback.empty() && fallback != name && BringUpContent(fallback))
            return false;
    }
    return false;
}

void CMainHandler::StoreLastContentName() {
    if (CAppSettings* settings = Settings())
        settings->m_strLastAPOName = m_contentName;
}

int CMainHandler::LoadDeviceContent(const std::wstring& name, const RECT& rect) {
    IDriverInstance* driver = GetDriver();
    if (driver)
        driver->SetCurrentContent(name);
    if (auto* list = dynamic_cast<IDeviceListPanelHandler*>(HandlerOf(FindControl(kPanelDeviceList))))
        list->AddDeviceItem();
    ILytController* controller = Services().GetLytController();
    auto* dialog = dynamic_cast<CxSkinObject*>(m_owner);
    ILytEnvironment* environment = Environment();
    if (!controller || !dialog || !environment)
        return 0;
    int loaded = 0;
    ILytObject* wrapper = CLytWindow::CreateInstance(*environment, dialog);
    if (wrapper) {
        const std::wstring path = Services().GetSkinFolder() + L"apo" + name + L".lyt";
        const LytRect placement{rect.left, rect.top, rect.right, rect.bottom};
        auto* control = dynamic_cast<CxSkinCtrl*>(controller->LoadFile(path.c_str(), wrapper, &placement));
        if (control) {
            m_content = control;
            m_contentName = name;
            loaded = 1;
        } else {
            m_owner->Invalidate(FALSE);
        }
        wrapper->Destroy();
    }
    m_owner->OnMouseMove(0, POINT{0, 0}); // renews the hover state over the new panel
    StoreLastContentName();
    return loaded;
}

void CMainHandler::UpdateContentRect(const RECT& rect) {
    IDriverInstance* driver = GetDriver();
    if (!driver || driver->GetDeviceCount() < 1) {
        m_contentRect = rect;
        return;
    }
    const CAppSettings* settings = Settings();
    std::wstring name = settings ? settings->m_strLastAPOName : std::wstring();
    if (!name.empty() && (!driver->IsFeatureSupported(name) || !IsEndpointPresent(name)))
        name.clear();
    if (name.empty())
        name = driver->GetEndpointContent(driver->GetDefaultRenderEndpointName());
    if (name.empty())
        name = driver->GetEndpointContent(driver->GetDefaultCaptureEndpointName());
    if (!::IsRectEmpty(&rect))
        m_contentRect = rect;
    CxLockGuard guard(m_lock);
    // A stored name whose page no longer ships falls back to its endpoint's first page.
    ShowOrFallBack(name, std::wstring());
    m_contentLoaded = m_content ? 1 : 0;
}

void CMainHandler::EnsureContentLoaded() {
    if (!m_contentLoaded)
        UpdateContentRect(RECT{});
}

void CMainHandler::ShowSettingContent(int32_t endpointCode) {
    IDriverInstance* driver = GetDriver();
    const std::wstring endpoint = driver ? driver->EndpointCodeToName(endpointCode) : std::wstring();
    if (!endpoint.empty())
        ShowContent(endpoint + L"Setting", 0);
}

void CMainHandler::ChooseSurroundContent(int32_t endpointCode) {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return;
    const wchar_t* first = nullptr;
    const wchar_t* second = nullptr;
    if (endpointCode == 1 || endpointCode == 12) {
        first = L"VimoSurroundSpeakers";
        second = L"VimoSurroundHeadPhone";
    } else if (endpointCode == 7) {
        first = L"VimoSurroundHeadPhone";
        second = L"VimoSurroundSpeakers";
    } else {
        return;
    }
    const std::wstring endpoint = driver->EndpointCodeToName(endpointCode);
    for (const wchar_t* suffix : {first, second}) {
        if (driver->IsFeatureSupported(endpoint + suffix)) {
            ShowContent(endpoint + suffix, 0);
            return;
        }
    }
}

int CMainHandler::IsCurrentContent(const wchar_t* text) {
    if (!m_content || !text || !Contains(m_content->GetName(), text))
        return 0;
    if (IHandler* handler = ContentHandler(); handler && handler->UpdateFromDriver())
        handler->InitControls();
    return 1;
}

void CMainHandler::OnDeactivate() {
    if (IHandler* handler = ContentHandler())
        handler->OnDeactivate();
}

void CMainHandler::ReloadContents() {
    for (const ContentCacheEntry& entry : m_cache) {
        if (entry.control == m_content)
            continue;
        entry.control->DestroyChildren();
        delete entry.control;
    }
    m_cache.clear();
    ShowContent(m_contentName, 1);
}

void CMainHandler::RecheckContentEndpoint() {
    CxLockGuard guard(m_lock);
    IDriverInstance* driver = GetDriver();
    if (!m_content || !driver)
        return;
    const std::wstring endpoint = driver->EndpointCodeToName(driver->EndpointPrefixToCode(m_contentName));
    if (driver->GetDeviceKindByName(endpoint) == 1) {
        InitContent();
        return;
    }
    std::wstring name = driver->GetDefaultRenderEndpointName();
    if (name.empty())
        name = driver->GetDefaultCaptureEndpointName();
    ShowContent(driver->GetEndpointContent(name), 0);
}

void CMainHandler::InitContent() {
    if (IHandler* handler = ContentHandler())
        handler->InitControls();
}

// ---- Driver notices and the poll ----

int CMainHandler::OnDriverNotify(uint64_t, uint32_t flags) {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return 0;
    if (flags == 128 || flags == 256)
        ApplySurroundRules();
    int32_t stored = 0;
    int32_t live = 0;
    if (driver->GetDefaultRenderProperty(kVirtualSurround, &stored, kValueUInt, kSwitchSize, nullptr, 0, 0, false,
                                         false) == kDriverOk &&
        driver->GetDefaultRenderProperty(kVirtualSurround, &live, kValueUInt, kSwitchSize, nullptr, 0, 0, false,
                                         true) == kDriverOk &&
        stored != live)
        UpdateStatusPanel(kVirtualSurround, 1);
    switch (flags) {
    case 1:
    case 4:
    case 64:
    case 256:
    case 512:
        driver->RestoreListening();
        break;
    case 32888:
        driver->StopAllListening(false);
        break;
    case 0:
        InitContent();
        break;
    default:
        break;
    }
    return 0;
}

int CMainHandler::CollectChangedState(ChangedState& state) {
    state.own = UpdateFromDriver();
    state.panel = 0;
    state.content = 0;
    if (m_panelMode != kPanelNone && m_statusIHandler) {
        if (m_panelMode == kPanelStatus)
            state.panel = m_statusIHandler->UpdateFromDriver();
        else if (m_profileHandler)
            state.panel = m_profileHandler->ReadDriverStateForTable(&state.key);
    }
    if (IHandler* handler = ContentHandler()) {
        state.content = handler->UpdateFromDriver();
        if (IDriverInstance* driver = GetDriver())
            driver->RefreshHidButtons();
    }
    return state.own || state.panel || state.content;
}

void CMainHandler::OnEffectNotify(const ChangedState& state) {
    CxLockGuard guard(m_lock);
    if (state.own)
        UpdateQuickToggles(TRUE);
    if (state.content)
        InitContent();
    if (state.panel)
        UpdateStatusPanel(state.key.c_str(), 1);
}

// ---- Device changes and other entry points ----

void CMainHandler::RefreshPanels() {
    InitControls();
    if (m_panelMode != kPanelStatus) {
        if (m_profileHandler)
            m_profileHandler->Reload();
    } else if (m_statusIHandler) {
        m_statusIHandler->InitControls();
    }
}

void CMainHandler::RefreshDeviceList() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return;
    // A list built while enumeration failed lacks endpoints that are there now: take them in.
    if (driver->EnumerateDevices() > driver->GetDeviceCount()) {
        driver->BuildDeviceList();
        RefreshAfterDeviceChange(0);
    }
    if (!driver->RefreshDefaultDevices()) {
        // A volume page that could not read its values shows them unknown until a read succeeds.
        OnVolumeChanged();
        return;
    }
    driver->RestoreListening();
    if (auto* list = dynamic_cast<IDeviceListPanelHandler*>(HandlerOf(FindControl(kPanelDeviceList))))
        list->SelectDeviceItem(1);
    RefreshPanels();
}

void CMainHandler::UpdateDeviceIds() {
    CxLockGuard guard(m_lock);
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return;
    // A profile may name other default endpoints: the driver takes the device's defaults again and the list
    // marks them without waiting for the device's notice.
    driver->RefreshDefaultDevices();
    if (IHandler* list = HandlerOf(FindControl(kPanelDeviceList)))
        list->InitControls();
}

void CMainHandler::RefreshAfterDeviceChange(int flag) {
    InitControls();
    if (IHandler* list = HandlerOf(FindControl(kPanelDeviceList)))
        list->InitControls();
    if (m_panelMode == kPanelStatus && m_statusIHandler) {
        m_statusIHandler->InitControls();
    } else if (m_panelMode == kPanelProfile && m_profileHandler) {
        m_profileHandler->ClearSelectedProfileName();
        m_profileHandler->SetPendingReload();
        m_profileHandler->UpdateUserDefineItem(!flag);
        if (flag)
            m_profileHandler->Reload();
    }
    RecheckContentEndpoint();
}

void CMainHandler::RefreshDeviceListPanel() {
    if (auto* list = dynamic_cast<IDeviceListPanelHandler*>(HandlerOf(FindControl(kPanelDeviceList))))
        list->RefreshCaptions();
}

void CMainHandler::RefreshStatusPanel() {
    if (m_statusIHandler)
        m_statusIHandler->InitControls();
}

void CMainHandler::RefreshDeviceIcons() {
    if (auto* list = dynamic_cast<IDeviceListPanelHandler*>(HandlerOf(FindControl(kPanelDeviceList))))
        list->CloseJackMenu();
}

void CMainHandler::EnableDialogToolTips(BOOL enable) {
    if (auto* dialog = dynamic_cast<CxSkinDialog*>(m_owner ? m_owner->GetRootLayer() : nullptr))
        dialog->EnableToolTips(enable);
}

void CMainHandler::SelectDefaultEndpoints() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return;
    driver->SetCurrentContent(L"SpeakerVol");
    if (driver->GetCurrentEndpointName().empty())
        driver->SetCurrentContent(L"SpeakerQuarterVol");
    if (driver->SetDefaultRenderEndpointByName(L"Speaker") != kDriverOk)
        driver->SetDefaultRenderEndpointByName(L"SpeakerQuarter");
    if (driver->SetDefaultCaptureEndpointByName(L"MicIn") != kDriverOk)
        driver->SetDefaultCaptureEndpointByName(L"DesktopMic");
}

void CMainHandler::ResetToFactoryDefault() {
    FindPanelHandlers();
    IDriverInstance* driver = GetDriver();
    if (!FindControl(kProfilePanelName) || !m_profileHandler || !driver)
        return;
    StopRotationAndTestSound();
    if (!m_profileHandler->ApplyFactoryDefault())
        return;
    if (driver->GetCurrentEndpointName().empty()) {
        ::Sleep(300);
        driver->BuildDeviceList();
        SelectDefaultEndpoints();
    }
    driver->RefreshDefaultDevices();
    std::wstring name = driver->GetDefaultRenderEndpointName();
    if (name.empty()) {
        ::Sleep(300);
        driver->RefreshDefaultDevices();
        driver->BuildDeviceList();
        name = driver->GetDefaultRenderEndpointName();
    }
    if (name.empty())
        return;
    ShowContent(driver->GetEndpointContent(name), 0);
    if (auto* list = dynamic_cast<IDeviceListPanelHandler*>(HandlerOf(FindControl(kPanelDeviceList))))
        list->SelectDeviceItem(1);
    RecheckContentEndpoint();
    if (m_panelMode == kPanelProfile) {
        m_profileHandler->ClearSelectedProfileName();
        if (m_profileIHandler)
            m_profileIHandler->InitControls();
    } else if (m_panelMode == kPanelStatus && m_statusIHandler) {
        m_statusIHandler->InitControls();
    }
}

void CMainHandler::StopRotationAndTestSound() {
    auto stopRotation = [](IHandler* handler) {
        if (auto* rotating = dynamic_cast<IRotatingHandler*>(handler);
            rotating && Contains(handler->GetName(), L"VirtualHandler"))
            rotating->StopRotation(1, 1);
    };
    stopRotation(ContentHandler());
    for (const ContentCacheEntry& entry : m_cache) {
        if (entry.control != m_content)
            stopRotation(HandlerOf(entry.control));
    }
    StopSoundOnWorker(TRUE);
}

void CMainHandler::OnHidButton(const std::wstring& key) {
    InitContent();
    UpdateStatusPanel(key.c_str(), 1);
}
