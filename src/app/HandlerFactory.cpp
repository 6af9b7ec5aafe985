#include "app/HandlerFactory.h"

#include <new>

#include "app/AppSettingHandler.h"
#include "app/ENCPromptMsgHandler.h"
#include "app/IHandler.h"
#include "app/InfoHandler.h"
#include "app/MainHandler.h"
#include "app/MessageBoxHandler.h"
#include "app/PanelDeviceListHandler.h"
#include "app/PanelJackMenuHandler.h"
#include "app/PanelStatusHandler.h"
#include "app/SystemTrayHandler.h"
#include "app/WelcomeMsgHandler.h"
#include "profiles/PanelProfileHandler.h"
#include "profiles/ProfileAddingDlgHandler.h"
#include "profiles/ProfileDeletingDlgHandler.h"
#include "handlers/effects/DTSSSHandler.h"
#include "handlers/effects/DolbyHPV2Handler.h"
#include "handlers/effects/DolbyHPVSHandler.h"
#include "handlers/effects/EMHandler.h"
#include "handlers/effects/EQEndpointHandlers.h"
#include "handlers/effects/KaraokeHandler.h"
#include "handlers/effects/MicInBoostHandler.h"
#include "handlers/effects/MicInKaraokeHandler.h"
#include "handlers/effects/MicInSwitchHandlers.h"
#include "handlers/effects/SpacelineHandler.h"
#include "handlers/effects/SpeakerDTSNeoPCHandler.h"
#include "handlers/effects/SpeakerDolbyPLIIxHandler.h"
#include "handlers/effects/SubrouteHandler.h"
#include "handlers/effects/VimoAudioBrilliantHandler.h"
#include "handlers/effects/VimoDynamicBassHandler.h"
#include "handlers/effects/VimoSmartVolHandler.h"
#include "handlers/effects/VimoSurroundHeadPhoneHandler.h"
#include "handlers/effects/VimoSurroundSpeakersHandler.h"
#include "handlers/effects/VimoVoiceClarityHandler.h"
#include "handlers/effects/VirtualHandler.h"
#include "handlers/endpoint/AGCHandler.h"
#include "handlers/endpoint/HDMIVolHandler.h"
#include "handlers/endpoint/HDMISamplingRateHandler.h"
#include "handlers/endpoint/HeadPhoneSamplingRateHandler.h"
#include "handlers/endpoint/HeadPhoneSettingHandler.h"
#include "handlers/endpoint/LineInSamplingRateHandler.h"
#include "handlers/endpoint/MicInSamplingRateHandler.h"
#include "handlers/endpoint/SPDIFInSamplingRateHandler.h"
#include "handlers/endpoint/SPDIFOutSamplingRateHandler.h"
#include "handlers/endpoint/SPDIFOutSettingHandler.h"
#include "handlers/endpoint/SpeakerSamplingRateHandler.h"
#include "handlers/endpoint/SpeakerSettingHandler.h"
#include "handlers/endpoint/StereoMixSamplingRateHandler.h"
#include "handlers/endpoint/HeadPhoneVolHandler.h"
#include "handlers/endpoint/LineInVolHandler.h"
#include "handlers/endpoint/MicrophoneVolHandler.h"
#include "handlers/endpoint/SPDIFInVolHandler.h"
#include "handlers/endpoint/SPDIFOutVolHandler.h"
#include "handlers/endpoint/SpeakerHWEQHandler.h"
#include "handlers/endpoint/SpeakerVolHandler.h"
#include "handlers/endpoint/StereoMixVolHandler.h"

namespace {

constexpr HandlerMatch E = HandlerMatch::Equal;
constexpr HandlerMatch C = HandlerMatch::Contains;

// Each handler class fills in its own creator as it joins the program, e.g. `&Make<CSpeakerEQHandler>`.
template <class Handler> [[maybe_unused]] IHandler* Make() {
    return new Handler;
}

// The order is the decision: the first row that matches wins, so the "contains" rows stay behind every
// equal row a name of theirs could also meet ("...AGC..." after the Vimo effects).
constexpr HandlerRow kHandlers[] = {
    {{L"MainWindow"}, E, L"CMainHandler", &Make<CMainHandler>},
    {{L"SpeakerEM", L"SpeakerQuarterEM"}, E, L"CSpeakerEMHandler", &Make<CSpeakerEMHandler>},
    {{L"SpeakerSetting", L"SpeakerQuarterSetting"}, E, L"CSpeakerSettingHandler", &Make<CSpeakerSettingHandler>},
    {{L"SpeakerDTSSS", L"SpeakerQuarterDTSSS"}, E, L"CSpeakerDTSSSHandler", &Make<CSpeakerDTSSSHandler>},
    {{L"HeadPhoneDTSSS"}, E, L"CHeadPhoneDTSSSHandler", &Make<CHeadPhoneDTSSSHandler>},
    {{L"HDMISamplingRate"}, E, L"CHDMISamplingRateHandler", &Make<CHDMISamplingRateHandler>},
    {{L"HeadPhoneSamplingRate"}, E, L"CHeadPhoneSamplingRateHandler", &Make<CHeadPhoneSamplingRateHandler>},
    {{L"LineInSamplingRate"}, E, L"CLineInSamplingRateHandler", &Make<CLineInSamplingRateHandler>},
    {{L"MicInSamplingRate", L"DesktopMicSamplingRate"}, E, L"CMicInSamplingRateHandler", &Make<CMicInSamplingRateHandler>},
    {{L"SPDIFInSamplingRate"}, E, L"CSPDIFInSamplingRateHandler", &Make<CSPDIFInSamplingRateHandler>},
    {{L"SPDIFOutSamplingRate"}, E, L"CSPDIFOutSamplingRateHandler", &Make<CSPDIFOutSamplingRateHandler>},
    {{L"SpeakerSamplingRate"}, E, L"CSpeakerSamplingRateHandler", &Make<CSpeakerSamplingRateHandler>},
    {{L"StereoMixSamplingRate"}, E, L"CStereoMixSamplingRateHandler", &Make<CStereoMixSamplingRateHandler>},
    {{L"SpeakerDolbyHPVS", L"SpeakerQuarterDolbyHPVS"}, E, L"CSpeakerDolbyHPVSHandler", &Make<CSpeakerDolbyHPVSHandler>},
    {{L"HeadPhoneDolbyHPVS"}, E, L"CHeadPhoneDolbyHPVSHandler", &Make<CHeadPhoneDolbyHPVSHandler>},
    {{L"SpeakerDolbyHPV2", L"SpeakerQuarterDolbyHPV2"}, E, L"CSpeakerDolbyHPV2Handler", &Make<CSpeakerDolbyHPV2Handler>},
    {{L"HeadPhoneDolbyHPV2"}, E, L"CHeadPhoneDolbyHPV2Handler", &Make<CHeadPhoneDolbyHPV2Handler>},
    {{L"SpeakerVirtual"}, E, L"CSpeakerVirtualHandler", &Make<CSpeakerVirtualHandler>},
    {{L"SpeakerQuarterVirtual"}, E, L"CSpeakerQuarterVirtualHandler", &Make<CSpeakerQuarterVirtualHandler>},
    {{L"HeadPhoneVirtual"}, E, L"CHeadPhoneVirtualHandler", &Make<CHeadPhoneVirtualHandler>},
    {{L"SPDIFOutVirtual"}, E, L"CSPDIFOutVirtualHandler", &Make<CSPDIFOutVirtualHandler>},
    {{L"HeadPhoneEM"}, E, L"CHeadPhoneEMHandler", &Make<CHeadPhoneEMHandler>},
    {{L"SPDIFOutEM"}, E, L"CSPDIFOutEMHandler", &Make<CSPDIFOutEMHandler>},
    {{L"MicInAEC", L"DesktopMicAEC"}, E, L"CMicInAECHandler", &Make<CMicInAECHandler>},
    {{L"MicInENC", L"DesktopMicENC"}, E, L"CMicInENCHandler", &Make<CMicInENCHandler>},
    {{L"MicInNoiseReduction", L"DesktopMicNoiseReduction"}, E, L"CMicInNoiseReductionHandler", &Make<CMicInNoiseReductionHandler>},
    {{L"HeadPhoneSetting"}, E, L"CHeadPhoneSettingHandler", &Make<CHeadPhoneSettingHandler>},
    {{L"SPDIFOutSetting"}, E, L"CSPDIFOutSettingHandler", &Make<CSPDIFOutSettingHandler>},
    {{L"PanelDeviceList"}, E, L"CPanelDeviceListHandler", &Make<CPanelDeviceListHandler>},
    {{L"PanelJackMenu"}, E, L"CPanelJackMenuHandler", &Make<CPanelJackMenuHandler>},
    {{L"SystemTray"}, E, L"CSystemTrayHandler", &Make<CSystemTrayHandler>},
    {{L"DialogMessageBox"}, E, L"CMessageBoxHandler", &Make<CMessageBoxHandler>},
    {{L"Dialog_AppSetting"}, E, L"CAppSettingHandler", &Make<CAppSettingHandler>},
    {{L"Dialog_WelcomeMsg"}, E, L"CWelcomeMsgHandler", &Make<CWelcomeMsgHandler>},
    {{L"Dialog_ENCPromptMsg"}, E, L"CENCPromptMsgHandler", &Make<CENCPromptMsgHandler>},
    {{L"PanelStatus"}, E, L"CPanelStatusHandler", &Make<CPanelStatusHandler>},
    {{L"PanelProfile"}, E, L"CPanelProfileHandler", &Make<CPanelProfileHandler>},
    {{L"Dialog_AddProFile"}, E, L"CProfileAddingDlgHandler", &Make<CProfileAddingDlgHandler>},
    {{L"Dialog_DelProFile"}, E, L"CProfileDeletingDlgHandler", &Make<CProfileDeletingDlgHandler>},
    {{L"HDMIVol"}, E, L"CHDMIVolHandler", &Make<CHDMIVolHandler>},
    {{L"HeadPhoneVol"}, E, L"CHeadPhoneVolHandler", &Make<CHeadPhoneVolHandler>},
    {{L"LineInVol"}, E, L"CLineInVolHandler", &Make<CLineInVolHandler>},
    {{L"MicInVol", L"DesktopMicVol"}, E, L"CMicrophoneVolHandler", &Make<CMicrophoneVolHandler>},
    {{L"SPDIFInVol"}, E, L"CSPDIFInVolHandler", &Make<CSPDIFInVolHandler>},
    {{L"SPDIFOutVol"}, E, L"CSPDIFOutVolHandler", &Make<CSPDIFOutVolHandler>},
    {{L"SpeakerVol", L"SpeakerQuarterVol"}, E, L"CSpeakerVolHandler", &Make<CSpeakerVolHandler>},
    {{L"StereoMixVol"}, E, L"CStereoMixVolHandler", &Make<CStereoMixVolHandler>},
    {{L"SpeakerHWEQ", L"SpeakerQuarterHWEQ", L"HeadPhoneHWEQ"}, E, L"CSpeakerHWEQHandler", &Make<CSpeakerHWEQHandler>},
    {{L"SpeakerSubroute"}, E, L"CSubrouteHandler", &Make<CSubrouteHandler>},
    {{L"SpeakerEQ"}, E, L"CSpeakerEQHandler", &Make<CSpeakerEQHandler>},
    {{L"SpeakerQuarterEQ"}, E, L"CSpeakerQuarterEQHandler", &Make<CSpeakerQuarterEQHandler>},
    {{L"HeadPhoneEQ"}, E, L"CHeadPhoneEQHandler", &Make<CHeadPhoneEQHandler>},
    {{L"SPDIFOutEQ"}, E, L"CSPDIFOutEQHandler", &Make<CSPDIFOutEQHandler>},
    {{L"SpeakerKaraoke", L"SpeakerQuarterKaraoke"}, E, L"CSpeakerKaraokeHandler", &Make<CSpeakerKaraokeHandler>},
    {{L"HeadPhoneVimoChorvex"}, E, L"CHeadPhoneKaraokeHandler", &Make<CHeadPhoneKaraokeHandler>},
    {{L"SPDIFOutKaraoke"}, E, L"CSPDIFOutKaraokeHandler", &Make<CSPDIFOutKaraokeHandler>},
    {{L"MicInKaraoke", L"MicInVimoMagicVoice", L"DesktopMicKaraoke", L"DesktopMicVimoMagicVoice"},
     E,
     L"CMicInKaraokeHandler",
     &Make<CMicInKaraokeHandler>},
    {{L"MicInBoost", L"DesktopMicBoost"}, E, L"CMicInBoostHandler", &Make<CMicInBoostHandler>},
    {{L"SpeakerVimoSurroundSpeakers", L"SpeakerQuarterVimoSurroundSpeakers"},
     E,
     L"CSpeakerVimoSurroundSpeakersHandler",
     &Make<CSpeakerVimoSurroundSpeakersHandler>},
    {{L"SpeakerVimoSurroundHeadPhone", L"SpeakerQuarterVimoSurroundHeadPhone"},
     E,
     L"CSpeakerVimoSurroundHeadPhoneHandler",
     &Make<CSpeakerVimoSurroundHeadPhoneHandler>},
    {{L"HeadPhoneVimoSurroundHeadPhone"}, E, L"CHeadPhoneVimoSurroundHeadPhoneHandler", &Make<CHeadPhoneVimoSurroundHeadPhoneHandler>},
    {{L"HeadPhoneVimoSurroundSpeakers"}, E, L"CHeadPhoneVimoSurroundSpeakersHandler", &Make<CHeadPhoneVimoSurroundSpeakersHandler>},
    {{L"DialogInfo"}, E, L"CInfoHandler(1)", &CInfoHandler::Create<1>},
    {{L"MicInBeamForming"}, E, L"CMicInBeamFormingHandler", &Make<CMicInBeamFormingHandler>},
    {{L"SpeakerDolbyPLIIx", L"SpeakerQuarterDolbyPLIIx"}, E, L"CSpeakerDolbyPLIIxHandler", &Make<CSpeakerDolbyPLIIxHandler>},
    {{L"SpeakerDTSNeoPC", L"SpeakerQuarterDTSNeoPC"}, E, L"CSpeakerDTSNeoPCHandler", &Make<CSpeakerDTSNeoPCHandler>},
    {{L"DialogInfo_DetailWindow"}, E, L"CInfoHandler(0)", &CInfoHandler::Create<0>},
    {{L"VimoSmartVolume"}, C, L"CVimoSmartVolHandler", &Make<CVimoSmartVolHandler>},
    {{L"VimoDynamicBass"}, C, L"CVimoDynamicBassHandler", &Make<CVimoDynamicBassHandler>},
    {{L"VimoAudioBrilliant"}, C, L"CVimoAudioBrilliantHandler", &Make<CVimoAudioBrilliantHandler>},
    {{L"VimoVoiceClarity"}, C, L"CVimoVoiceClarityHandler", &Make<CVimoVoiceClarityHandler>},
    {{L"AGC"}, C, L"CAGCHandler", &Make<CAGCHandler>},
    {{L"SpeakerSpaceline", L"SpeakerQuarterSpaceline"}, E, L"CSpeakerSpacelineHandler", &Make<CSpeakerSpacelineHandler>},
    {{L"HeadPhoneSpaceline"}, E, L"CHeadPhoneSpacelineHandler", &Make<CHeadPhoneSpacelineHandler>},
    {{L"SpeakerVirtualVimoSurroundHeadPhone", L"SpeakerQuarterVirtualVimoSurroundHeadPhone"},
     E,
     L"CSpeakerVirtualVimoSurroundHeadPhoneHandler",
     &Make<CSpeakerVirtualVimoSurroundHeadPhoneHandler>},
    {{L"SpeakerVirtualDolbyHPVS", L"SpeakerQuarterVirtualDolbyHPVS"}, E, L"CSpeakerVirtualDolbyHPVSHandler", &Make<CSpeakerVirtualDolbyHPVSHandler>},
    {{L"SpeakerVirtualDolbyHPV2", L"SpeakerQuarterVirtualDolbyHPV2"}, E, L"CSpeakerVirtualDolbyHPV2Handler", &Make<CSpeakerVirtualDolbyHPV2Handler>},
};

bool Matches(const HandlerRow& row, const std::wstring& name) {
    for (const wchar_t* key : row.names) {
        if (!key)
            break;
        if (row.match == HandlerMatch::Equal ? name == key : name.find(key) != std::wstring::npos)
            return true;
    }
    return false;
}

} // namespace

std::span<const HandlerRow> HandlerTable() {
    return kHandlers;
}

const HandlerRow* FindHandlerRow(const std::wstring& name, std::span<const HandlerRow> table) {
    for (const HandlerRow& row : table) {
        if (Matches(row, name))
            return &row;
    }
    return nullptr;
}

IHandler* CreateHandlerFrom(const std::wstring& name, std::span<const HandlerRow> table) {
    const HandlerRow* row = FindHandlerRow(name, table);
    if (!row || !row->create)
        return nullptr;
    try {
        return row->create();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

IHandler* CreateHandler(const std::wstring& name) {
    return CreateHandlerFrom(name, HandlerTable());
}
