// The main window's master volume, speaker mute and quick toggles, and the surround consistency rules the
// main handler enforces when the channel configuration or a surround switch changes.
#include <algorithm>
#include <utility>

#include "app/AppSettings.h"
#include "app/MainHandler.h"
#include "app/MainPanelHandlers.h"
#include "app/OvercoatApp.h"
#include "app/PromptDialogs.h"
#include "framework/Wnd.h"
#include "driver/IDriverInstance.h"
#include "driver/PropertyValue.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinSlider.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinParse.h"

namespace {

constexpr wchar_t kSpeakerVol[] = L"SpeakerVol";
constexpr wchar_t kSpeakerMute[] = L"SpeakerMute";
constexpr wchar_t kVolume[] = L"VolumeScalarControl";
constexpr wchar_t kMute[] = L"MuteControl";
constexpr wchar_t kSmartVolume[] = L"Enable_SMART_VOLUME_GFX";
constexpr wchar_t kGX[] = L"EXControl";
constexpr wchar_t kENC[] = L"Enable_ENC_LFX";
constexpr wchar_t kHpSpkSurround[] = L"Enable_KESTAL_HPSPK_LFX";
constexpr wchar_t kChannelCopy[] = L"Enable_Channel_COPY_LFX";
constexpr wchar_t kGFS[] = L"GFSControl";
constexpr wchar_t kSurroundSS[] = L"Enable_SS_LFX";
constexpr wchar_t kChannelNumber[] = L"DevChannelNumControl";

// The switches and mutes go to the driver as unsigned numbers (kValueUInt), the volumes as floats; both
// with their size given: 4 bytes.
constexpr uint32_t kNumberSize = sizeof(int32_t);

// Speaker, HeadPhone, SPDIFOut and SpeakerQuarter: the master volume follows the loudest of them.
constexpr int32_t kMasterEndpoints[] = {1, 7, 4, 12};
// Mutes are written with both speaker endpoints first.
constexpr int32_t kMuteWriteOrder[] = {1, 12, 7, 4};
constexpr size_t kMasterCount = std::size(kMasterEndpoints);

// The quick toggles: smart volume and GX switch the default render endpoint, noise cancellation the default
// capture endpoint. Each is shown while that endpoint offers the feature and follows the device's value.
struct QuickToggle {
    const wchar_t* button;
    const wchar_t* property;
    const wchar_t* suffix;
    bool capture;
};
constexpr QuickToggle kQuickToggles[] = {
    {L"EnableSmartVol", kSmartVolume, L"SVN", false},
    {L"EnableGX", kGX, L"EX", false},
    {L"EnableENC", kENC, L"ENC", true},
};

// Two volumes closer than this are the same slider step.
constexpr float kVolumeTolerance = 0.0019f;

// A mute read that finds no endpoint counts as muted, so missing endpoints never keep the button clear.
constexpr int32_t kNoSuchEndpoint = -1;

IxSkinButton* AsButton(CxSkinCtrl* control) {
    return dynamic_cast<IxSkinButton*>(control);
}

// The master volume slider. The speakers' volume page bears the same name and, loaded at start-up into the
// content frame, comes first in the window: only a slider of that name is the one meant.
CxSkinCtrl* FindSlider(const CLayerWnd* layer, const std::wstring& name) {
    if (!layer)
        return nullptr;
    for (CLayerWnd* child = layer->GetFirstChild(); child; child = layer->GetNextChild(child)) {
        auto* control = dynamic_cast<CxSkinCtrl*>(child);
        if (!control)
            continue;
        if (control->GetName() == name && dynamic_cast<IxSkinSlider*>(control))
            return control;
        if (control->IsContainer()) {
            if (CxSkinCtrl* found = FindSlider(control, name))
                return found;
        }
    }
    return nullptr;
}

} // namespace

// ---- Master volume ----

float CMainHandler::ReadMasterVolumes(float volumes[]) {
    IDriverInstance* driver = GetDriver();
    float loudest = 0.0f;
    for (size_t i = 0; i < kMasterCount; ++i) {
        volumes[i] = 0.0f;
        if (!driver)
            continue;
        float value = 0.0f;
        if (driver->GetEndpointProperty(kMasterEndpoints[i], kVolume, &value, kValueFloat, kNumberSize, nullptr, 0, 0,
                                        false, false) == kDriverOk) {
            volumes[i] = value;
            loudest = std::max(loudest, value);
        }
    }
    return loudest;
}

float CMainHandler::UpdateMasterVolume() {
    float volumes[kMasterCount];
    m_masterVolume = ReadMasterVolumes(volumes);
    return m_masterVolume;
}

int CMainHandler::OnSliderChanged(const std::wstring& name, float position, int) {
    float volumes[kMasterCount];
    m_masterVolume = ReadMasterVolumes(volumes);
    if (name != kSpeakerVol)
        return 0;
    IDriverInstance* driver = GetDriver();
    const float delta = position / 100.0f - m_masterVolume;
    for (size_t i = 0; i < kMasterCount && driver; ++i) {
        // The loudest endpoint follows the slider; the others keep their distance to it.
        const float value = std::clamp(volumes[i] + delta, 0.0f, 1.0f);
        driver->SetEndpointProperty(kMasterEndpoints[i], kVolume, &value, kValueFloat, kNumberSize, nullptr, 0, 0);
    }
    if (m_content && m_contentName.find(L"Vol") != std::wstring::npos && m_owner)
        m_owner->PostMessage(kMsgInitContentHandler, reinterpret_cast<WPARAM>(ContentHandler()), 0);
    return 1;
}

// ---- Mute ----

bool CMainHandler::AllMasterEndpointsMuted() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return true;
    bool allMuted = true;
    for (int32_t code : kMasterEndpoints) {
        int32_t muted = 0;
        const int32_t result =
            driver->GetEndpointProperty(code, kMute, &muted, kValueUInt, kNumberSize, nullptr, 0, 0, false, false);
        if (result == kNoSuchEndpoint)
            continue;
        // Any other failure says nothing about the endpoint: it is not taken as muted.
        if (result != kDriverOk || !muted)
            allMuted = false;
    }
    return allMuted;
}

void CMainHandler::ToggleSpeakerMute() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return;
    const int32_t value = AllMasterEndpointsMuted() ? 0 : 1;
    for (int32_t code : kMuteWriteOrder)
        driver->SetEndpointProperty(code, kMute, &value, kValueUInt, kNumberSize, nullptr, 0, 0);
    if (IxSkinButton* button = AsButton(FindControl(kSpeakerMute)))
        button->SetCheck(value, TRUE);
    if (m_content) {
        const std::wstring& shown = m_content->GetName();
        if (shown == L"SpeakerVol" || shown == L"HeadPhoneVol" || shown == L"SPDIFOutVol")
            InitContent();
    }
}

void CMainHandler::UpdateMuteState(BOOL redraw) {
    IDriverInstance* driver = GetDriver();
    const bool controllable = driver && driver->IsControlDeviceKind1();
    if (CxSkinCtrl* mute = FindControl(kSpeakerMute)) {
        if (controllable) {
            mute->Enable(TRUE, FALSE);
            if (IxSkinButton* button = AsButton(mute))
                button->SetCheck(AllMasterEndpointsMuted() ? 1 : 0, FALSE);
        } else {
            mute->Enable(FALSE, FALSE);
        }
        if (redraw)
            mute->Invalidate(FALSE);
    }
    if (CxSkinCtrl* volume = FindSlider(m_owner, kSpeakerVol)) {
        if (!controllable) {
            volume->Enable(FALSE, FALSE);
        } else {
            volume->Enable(TRUE, FALSE);
            const float master = UpdateMasterVolume();
            m_masterPercent = static_cast<int32_t>(master * 100.0f);
            if (auto* slider = dynamic_cast<IxSkinSlider*>(volume))
                slider->SetPos(master * 100.0f, FALSE);
        }
        if (redraw)
            volume->Invalidate(FALSE);
    }
}

void CMainHandler::RefreshMuteButton() {
    IDriverInstance* driver = GetDriver();
    CxSkinCtrl* mute = FindControl(kSpeakerMute);
    if (!mute)
        return;
    if (driver && driver->IsControlDeviceKind1()) {
        mute->Enable(TRUE, FALSE);
        if (IxSkinButton* button = AsButton(mute))
            button->SetCheck(AllMasterEndpointsMuted() ? 1 : 0, TRUE);
    } else {
        mute->Enable(FALSE, TRUE);
    }
}

void CMainHandler::RefreshSpeakerVolume() {
    IDriverInstance* driver = GetDriver();
    CxSkinCtrl* volume = FindSlider(m_owner, kSpeakerVol);
    if (!volume)
        return;
    if (!driver || !driver->IsControlDeviceKind1()) {
        volume->Enable(FALSE, TRUE);
        return;
    }
    volume->Enable(TRUE, FALSE);
    if (auto* slider = dynamic_cast<IxSkinSlider*>(volume))
        slider->SetPos(UpdateMasterVolume() * 100.0f, TRUE);
}

int CMainHandler::OnVolumeChanged() {
    CxLockGuard guard(m_lock);
    UpdateMuteState(TRUE);
    if (m_contentName.find(L"Vol") != std::wstring::npos && ContentHandler()) {
        InitContent();
        return 1;
    }
    return 0;
}

bool CMainHandler::IsVistaOrLater() const {
    return m_vista < 0 ? theApp.IsVistaOrLater() : m_vista != 0;
}

bool CMainHandler::MixerChangedMuteOrVolume() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return false;
    // The mixer notice says only that something changed: the device's value is compared with the one the
    // driver last handed out.
    int32_t mute[2] = {0, 0};
    for (bool fromCache : {false, true})
        driver->GetControlDeviceProperty(kMute, &mute[fromCache], kValueUInt, kNumberSize, nullptr, 0, 0, false,
                                         fromCache);
    if (mute[0] != mute[1])
        return true;
    if (!FindSlider(m_owner, kSpeakerVol) || !driver->IsControlDeviceKind1())
        return false;
    float volume[2] = {0.0f, 0.0f};
    for (bool fromCache : {false, true})
        driver->GetControlDeviceProperty(kVolume, &volume[fromCache], kValueFloat, kNumberSize, nullptr, 0, 0, false,
                                         fromCache);
    return !xSkinIsNearlyEqual(volume[0], volume[1], kVolumeTolerance);
}

int CMainHandler::UpdateVolHandler() {
    // From Windows Vista on the driver's own events report volume and mute changes; before it the mixer's
    // notice is checked against the control device here.
    if (!IsVistaOrLater() && MixerChangedMuteOrVolume())
        return 1;
    IHandler* handler = ContentHandler();
    if (handler && handler->GetName().find(L"VolHandler") != std::wstring::npos)
        return handler->UpdateFromDriver();
    return 0;
}

// ---- Quick toggles ----

void CMainHandler::RefreshToggle(const wchar_t* buttonName, const wchar_t* property, const wchar_t* suffix,
                                 bool capture, BOOL redraw) {
    const QuickToggle toggle{buttonName, property, suffix, capture};
    IDriverInstance* driver = GetDriver();
    CxSkinCtrl* control = FindControl(toggle.button);
    IxSkinButton* button = AsButton(control);
    if (!driver || !control || !button)
        return;
    const std::wstring endpoint =
        toggle.capture ? driver->GetDefaultCaptureEndpointName() : driver->GetDefaultRenderEndpointName();
    if (endpoint.empty() || !driver->IsFeatureSupported(endpoint + toggle.suffix)) {
        if (control->IsVisible())
            control->SetVisible(FALSE, redraw);
        return;
    }
    control->SetVisible(TRUE, redraw);
    int32_t value = 0;
    const int32_t read = toggle.capture ? driver->GetDefaultCaptureProperty(toggle.property, &value, kValueUInt,
                                                                            kNumberSize, nullptr, 0, 0, false, false)
                                        : driver->GetDefaultRenderProperty(toggle.property, &value, kValueUInt,
                                                                           kNumberSize, nullptr, 0, 0, false, false);
    if (read == kDriverOk) {
        if (button->GetPowerState() != value)
            button->SetCheck(value, redraw);
        return;
    }
    // A render switch the device cannot report is put into a known state: off. Noise cancellation is only
    // shown as off; the microphone's own page decides what it holds.
    if (!toggle.capture) {
        const int32_t off = 0;
        driver->SetEndpointProperty(driver->EndpointPrefixToCode(endpoint), toggle.property, &off, kValueUInt,
                                    kNumberSize, nullptr, 0, 0);
    }
    if (button->GetCheck())
        button->SetCheck(0, redraw);
}

void CMainHandler::UpdateQuickToggles(BOOL redraw) {
    for (const QuickToggle& toggle : kQuickToggles)
        RefreshToggle(toggle.button, toggle.property, toggle.suffix, toggle.capture, redraw);
}

bool CMainHandler::IsQuickToggleProperty(const std::wstring& property) {
    for (const QuickToggle& toggle : kQuickToggles) {
        if (property == toggle.property)
            return true;
    }
    return false;
}

void CMainHandler::FinishToggle(const wchar_t* buttonName, const std::wstring& endpoint, const wchar_t* property,
                                int32_t value, int32_t writeResult) {
    IxSkinButton* button = AsButton(FindControl(buttonName));
    if (writeResult != kDriverOk) {
        if (button)
            button->SetCheck(0, TRUE);
        return;
    }
    if (button && button->GetCheck() != value)
        button->SetCheck(value, TRUE);
    const std::wstring key = endpoint + L"." + property;
    UpdateStatusPanel(key.c_str(), 0);
}

void CMainHandler::ToggleSmartVolume() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return;
    const std::wstring endpoint = driver->GetDefaultRenderEndpointName();
    int32_t value = 0;
    driver->GetDefaultRenderProperty(kSmartVolume, &value, kValueUInt, kNumberSize, nullptr, 0, 0, false, false);
    const int32_t toggled = !value;
    const int32_t result = driver->SetEndpointProperty(driver->EndpointPrefixToCode(endpoint), kSmartVolume, &toggled,
                                                       kValueUInt, kNumberSize, nullptr, 0, 0);
    FinishToggle(L"EnableSmartVol", endpoint, kSmartVolume, toggled, result);
}

void CMainHandler::ToggleGX() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return;
    const std::wstring endpoint = driver->GetDefaultRenderEndpointName();
    const int32_t code = driver->EndpointPrefixToCode(endpoint);
    int32_t value = 0;
    driver->GetEndpointProperty(code, kGX, &value, kValueUInt, kNumberSize, nullptr, 0, 0, false, false);
    const int32_t toggled = !value;
    const int32_t result = driver->SetEndpointProperty(code, kGX, &toggled, kValueUInt, kNumberSize, nullptr, 0, 0);
    FinishToggle(L"EnableGX", endpoint, kGX, toggled, result);
}

void CMainHandler::ToggleENC() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return;
    const std::wstring endpoint = driver->GetDefaultCaptureEndpointName();
    const int32_t code = driver->EndpointPrefixToCode(endpoint);
    int32_t value = 0;
    driver->GetEndpointProperty(code, kENC, &value, kValueUInt, kNumberSize, nullptr, 0, 0, false, false);
    const int32_t toggled = value == 0 ? 1 : 0;
    const int32_t result = driver->SetEndpointProperty(code, kENC, &toggled, kValueUInt, kNumberSize, nullptr, 0, 0);
    FinishToggle(L"EnableENC", endpoint, kENC, toggled, result);
    InitContent();
    if (m_statusHandler)
        m_statusHandler->OnControlChanged(kENC);
    CAppSettings* settings = Settings();
    if (toggled == 1 && settings && settings->m_nNoiseCancelPrompt) {
        if (m_runMarkupDialog)
            RunMarkupDialog(L"Dialog_ENCPromptMsg");
        else
            ShowENCPromptDialog(dynamic_cast<CWnd*>(m_owner ? m_owner->GetRootLayer() : nullptr));
    }
}

// ---- Initial state and change detection ----

void CMainHandler::InitControls() {
    if (m_panelMode == kPanelNone) {
        SwitchStatusProfilePanel(kPanelStatus, 0);
        // The first reads of the main window lay the device list out too: until then it shows every row of
        // the markup, present or not, and no default markers.
        if (IHandler* list = HandlerOf(FindControl(L"PanelDeviceList")))
            list->InitControls();
    }
    UpdateMuteState(FALSE);
    IDriverInstance* driver = GetDriver();
    if (CxSkinCtrl* asio = FindControl(L"BtnASIO"))
        asio->SetVisible(driver && driver->DefaultRenderHasFeature2() ? TRUE : FALSE, FALSE);
    UpdateQuickToggles(FALSE);
    UpdateSurroundFlags();
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CMainHandler::UpdateFromDriver() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return 0;
    const std::wstring render = driver->GetDefaultRenderEndpointName();
    const std::wstring capture = driver->GetDefaultCaptureEndpointName();
    for (const QuickToggle& toggle : kQuickToggles) {
        const std::wstring& endpoint = toggle.capture ? capture : render;
        if (endpoint.empty() || !driver->IsFeatureSupported(endpoint + toggle.suffix))
            continue;
        int32_t stored = 0;
        int32_t live = 0;
        for (auto [value, fromCache] : {std::pair{&stored, false}, std::pair{&live, true}}) {
            if (toggle.capture)
                driver->GetDefaultCaptureProperty(toggle.property, value, kValueUInt, kNumberSize, nullptr, 0, 0, false,
                                                  fromCache);
            else
                driver->GetDefaultRenderProperty(toggle.property, value, kValueUInt, kNumberSize, nullptr, 0, 0, false,
                                                 fromCache);
        }
        if (stored != live)
            return 1;
    }
    return 0;
}

// ---- Surround consistency ----

int32_t CMainHandler::ReadInt(const wchar_t* property, int32_t* value) {
    *value = 0;
    IDriverInstance* driver = GetDriver();
    return driver ? driver->GetProperty(property, value, kValueUInt, kNumberSize, nullptr, 0, 0, false, false)
                  : kDriverNoDevice;
}

int32_t CMainHandler::WriteInt(const wchar_t* property, int32_t value) {
    IDriverInstance* driver = GetDriver();
    return driver ? driver->SetProperty(property, &value, kValueUInt, kNumberSize, nullptr, 0, 0) : kDriverNoDevice;
}

bool CMainHandler::ReadsNonzero(const wchar_t* property) {
    int32_t value = 0;
    return ReadInt(property, &value) == kDriverOk && value != 0;
}

void CMainHandler::UpdateSurroundFlags() {
    int32_t value = 0;
    if (ReadInt(kHpSpkSurround, &value) == kDriverOk && value) {
        int32_t copy = 0;
        if (ReadInt(kChannelCopy, &copy) != kDriverOk)
            return;
        int32_t gfs = 0;
        const bool gfsRead = ReadInt(kGFS, &gfs) == kDriverOk;
        if (copy && gfsRead && gfs)
            WriteInt(kGFS, 0);
        else if (!copy && gfsRead && !gfs)
            WriteInt(kGFS, 1);
        return;
    }
    int32_t channels = 0;
    int32_t ss = 0;
    ReadInt(kChannelNumber, &channels);
    ReadInt(kSurroundSS, &ss);
    if (channels == 2 && ss == 0 && ReadsNonzero(kChannelCopy)) {
        WriteInt(kChannelCopy, 0);
        UpdateStatusPanel(kChannelCopy, 1);
    }
}

void CMainHandler::SurroundRuleA() {
    int32_t copy = 0;
    ReadInt(kChannelCopy, &copy); // a failed read counts as off
    int32_t gfs = 0;
    if (ReadInt(kGFS, &gfs) != kDriverOk)
        return;
    if (copy && gfs)
        WriteInt(kGFS, 0);
    else if (!copy && !gfs)
        WriteInt(kGFS, 1);
}

void CMainHandler::SurroundRuleC() {
    int32_t gfs = 0;
    if (ReadInt(kGFS, &gfs) == kDriverOk && gfs == 1)
        WriteInt(kGFS, 0);
}

void CMainHandler::ApplySurroundRules() {
    const bool surround = ReadsNonzero(kHpSpkSurround);
    const bool ss = ReadsNonzero(kSurroundSS);
    int32_t channels = 0;
    ReadInt(kChannelNumber, &channels);
    if (channels == 2) {
        if (surround) {
            SurroundRuleA();
            return;
        }
        if (!ss && ReadsNonzero(kChannelCopy)) {
            WriteInt(kChannelCopy, 0);
            WriteInt(kGFS, 0);
            UpdateStatusPanel(kChannelCopy, 1);
        }
        SurroundRuleC();
        return;
    }
    if (surround) {
        // The headphone/speaker surround needs two channels: it goes off with the wider layout.
        WriteInt(kHpSpkSurround, 0);
        WriteInt(kGFS, 0);
        UpdateStatusPanel(kHpSpkSurround, 1);
        WriteInt(kGFS, 0);
        SurroundRuleA();
        return;
    }
    SurroundRuleC();
}
