#include "app/SystemTrayHandler.h"

#include <algorithm>
#include <iterator>

#include "app/IMainHandler.h"
#include "app/MainHandler.h"
#include "app/OvercoatDlg.h"
#include "driver/IDriverInstance.h"
#include "driver/PropertyValue.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinSlider.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinObject.h"

namespace {

constexpr wchar_t kMuteControl[] = L"SpeakerMute";
constexpr wchar_t kVolumeControl[] = L"SpeakerVol";
constexpr wchar_t kMuteProperty[] = L"MuteControl";
constexpr wchar_t kVolumeProperty[] = L"VolumeScalarControl";
// The volume's channel argument: the endpoint as a whole.
constexpr int32_t kAllChannels = -1;

enum class TrayCommand { ShowMain, VolumeMixer, MediaPlayer, SoundRecorder, SoundControlPanel, Asio, Settings, Close };

struct TrayMenuRow {
    const wchar_t* item;
    TrayCommand command;
};
constexpr TrayMenuRow kTrayMenu[] = {
    {L"OpenMainWnd", TrayCommand::ShowMain},
    {L"VolumeControl", TrayCommand::VolumeMixer},
    {L"WindowMediaPlayer", TrayCommand::MediaPlayer},
    {L"SoundRecorder", TrayCommand::SoundRecorder},
    {L"MultimediaProperties", TrayCommand::SoundControlPanel},
    {L"ASIO", TrayCommand::Asio},
    {L"Settings", TrayCommand::Settings},
    {L"AppClose", TrayCommand::Close},
};

IHandler* HandlerOfWindow(HWND hwnd) {
    auto* object = dynamic_cast<CxSkinObject*>(hwnd ? CWnd::FromHandlePermanent(hwnd) : nullptr);
    return object ? dynamic_cast<IHandler*>(object->GetListener()) : nullptr;
}

} // namespace

CSystemTrayHandler::CSystemTrayHandler() {
    m_name = L"SystemTrayHandler";
}

IHandler* CSystemTrayHandler::MainWindowHandler() const {
    if (auto* main = dynamic_cast<IHandler*>(GetMainHandler()))
        return main;
    CWnd* host = m_owner ? m_owner->GetHostDialog() : nullptr;
    if (!host || !host->IsWindow())
        return nullptr;
    if (IHandler* handler = HandlerOfWindow(::GetWindow(host->GetSafeHwnd(), GW_OWNER)); handler && handler != this)
        return handler;
    return nullptr;
}

IMainHandler* CSystemTrayHandler::MainServices() const {
    return dynamic_cast<IMainHandler*>(MainWindowHandler());
}

bool CSystemTrayHandler::AllSpeakersMuted() {
    IDriverInstance* driver = GetDriver();
    return std::all_of(std::begin(kSpeakerEndpoints), std::end(kSpeakerEndpoints), [driver](int32_t endpoint) {
        int32_t muted = 1; // an endpoint that cannot be read counts as muted
        if (!driver || driver->GetEndpointProperty(endpoint, kMuteProperty, &muted, kValueInt, 4, nullptr, 0, 0, false,
                                                   false) != kDriverOk)
            return true;
        return muted != 0;
    });
}

void CSystemTrayHandler::RefreshTrayPanel(BOOL redraw) {
    IDriverInstance* driver = GetDriver();
    const bool supported = driver && driver->IsControlDeviceKind1();
    if (CxSkinCtrl* mute = FindControl(kMuteControl)) {
        if (auto* button = dynamic_cast<IxSkinButton*>(mute); supported && button)
            button->SetCheck(AllSpeakersMuted() ? 1 : 0, redraw);
        else
            mute->Enable(FALSE, FALSE);
        if (redraw)
            mute->Redraw(FALSE);
    }
    if (CxSkinCtrl* volume = FindControl(kVolumeControl)) {
        IMainHandler* main = MainServices();
        if (auto* slider = dynamic_cast<IxSkinSlider*>(volume); supported && slider)
            slider->SetPos(main ? main->UpdateMasterVolume() * 100.0f : 0.0f, redraw);
        else
            volume->Enable(FALSE, FALSE);
        if (redraw)
            volume->Redraw(FALSE);
    }
}

void CSystemTrayHandler::RefreshMainVolume(bool mute) {
    auto* main = dynamic_cast<CMainHandler*>(MainWindowHandler());
    if (!main)
        return;
    if (mute)
        main->RefreshMuteButton();
    else
        main->RefreshSpeakerVolume();
    main->RecheckContentEndpoint();
}

int CSystemTrayHandler::OnClick(const std::wstring& name) {
    if (name != kMuteControl)
        return 1;
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return 1;
    const int32_t value = AllSpeakersMuted() ? 0 : 1;
    for (int32_t endpoint : kMuteWriteOrder)
        driver->SetEndpointProperty(endpoint, kMuteProperty, &value, kValueInt, 4, nullptr, 0, 0);
    RefreshMainVolume(true);
    return 1;
}

int CSystemTrayHandler::OnSliderChanged(const std::wstring&, float position, int) {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return 0;
    float values[std::size(kSpeakerEndpoints)] = {};
    for (size_t i = 0; i < std::size(kSpeakerEndpoints); ++i) {
        float value = 0.0f;
        int32_t channel = kAllChannels;
        if (driver->GetEndpointProperty(kSpeakerEndpoints[i], kVolumeProperty, &value, kValueFloat, 4, &channel,
                                        kValueInt, 4, false, false) == kDriverOk)
            values[i] = value;
    }
    IMainHandler* main = MainServices();
    const float delta = position / 100.0f - (main ? main->UpdateMasterVolume() : 0.0f);
    for (size_t i = 0; i < std::size(kSpeakerEndpoints); ++i) {
        const float value = std::clamp(values[i] + delta, 0.0f, 1.0f);
        const int32_t channel = kAllChannels;
        driver->SetEndpointProperty(kSpeakerEndpoints[i], kVolumeProperty, &value, kValueFloat, 4, &channel, kValueInt,
                                    4);
    }
    RefreshMainVolume(false);
    return 0;
}

void CSystemTrayHandler::PostToMainWindow(UINT command) {
    CWnd* host = m_owner ? m_owner->GetHostDialog() : nullptr;
    if (host && host->IsWindow())
        host->PostMessage(WM_COMMAND, command, 0);
}

void CSystemTrayHandler::OnMenuCommand(const std::wstring&, int, const std::wstring& itemName) {
    const auto row = std::find_if(std::begin(kTrayMenu), std::end(kTrayMenu),
                                  [&itemName](const TrayMenuRow& r) { return itemName == r.item; });
    if (row == std::end(kTrayMenu))
        return;
    IMainHandler* main = MainServices();
    switch (row->command) {
    case TrayCommand::ShowMain:
        if (main)
            main->ShowMainWindow();
        break;
    case TrayCommand::VolumeMixer:
        m_tools.StartVolumeMixer();
        break;
    case TrayCommand::MediaPlayer:
        m_tools.StartMediaPlayer();
        break;
    case TrayCommand::SoundRecorder:
        m_tools.StartSoundRecorder();
        break;
    case TrayCommand::SoundControlPanel:
        m_tools.StartSoundControlPanel();
        break;
    case TrayCommand::Asio:
        if (main)
            main->ShowAsioPanel();
        break;
    case TrayCommand::Settings:
        PostToMainWindow(ID_MAIN_SETTINGS);
        break;
    case TrayCommand::Close:
        if (main)
            main->ShowMainWindow();
        if (IHandler* handler = MainWindowHandler())
            handler->OnDriverNotify(0, ID_MAIN_CLOSE_PROGRAM);
        PostToMainWindow(ID_MAIN_CLOSE_PROGRAM);
        break;
    }
}
