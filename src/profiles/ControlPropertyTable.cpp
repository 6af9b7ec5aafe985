#include "profiles/ControlPropertyTable.h"

#include <cwchar>

#include "driver/IDriverInstance.h"

const EndpointMask g_EndpointMaskBits[kEndpointMaskBitCount] = {
    0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x40, 0x80, 0x100, 0x200,
};

namespace {

struct MaskCode {
    EndpointMask bit;
    int32_t code;
};

// Speaker, HeadPhone, SPDIFOut, SPDIFIn, MicIn, LineIn, StereoMix, DesktopMic, SPDIFInRCA, SpeakerQuarter.
constexpr MaskCode kMaskCodes[kEndpointMaskBitCount] = {
    {0x1, 1}, {0x2, 7}, {0x4, 4}, {0x8, 104}, {0x10, 2}, {0x20, 3}, {0x40, 8}, {0x80, 10}, {0x100, 11}, {0x200, 12},
};

constexpr int32_t kSpeakerCode = 1;
constexpr EndpointMask kSpeakerBit = 0x1;

// The masks the rows use.
constexpr uint32_t kAllButRca = 767;        // every endpoint but SPDIFInRCA
constexpr uint32_t kRenderAndSpdif = 519;   // Speaker, HeadPhone, SPDIFOut, SpeakerQuarter
constexpr uint32_t kSpeakerHeadphone = 515; // Speaker, HeadPhone, SpeakerQuarter
constexpr uint32_t kSpeakers = 513;         // Speaker, SpeakerQuarter
constexpr uint32_t kQuarter = 512;          // SpeakerQuarter
constexpr uint32_t kStereo = 254;           // the two-channel endpoints
constexpr uint32_t kAnalogueIn = 176;       // MicIn, LineIn, DesktopMic
constexpr uint32_t kSpdifOut = 4;

constexpr int32_t I = kControlValueInt;
constexpr int32_t F = kControlValueFloat;
constexpr int32_t U = kControlValueU16;

// The four kinds of row the table holds.
constexpr int32_t kUiValue = 0; // a "__" value the driver access object keeps itself
constexpr int32_t kDeviceValue = kControlRowDevice;
constexpr int32_t kMatchedValue = kControlRowDevice | kControlRowMatched;
constexpr int32_t kMatchedSwitch = kControlRowSwitch | kControlRowDevice | kControlRowMatched;

} // namespace

const ControlPropertyRow g_ControlPropertyTable[kControlPropertyRowCount] = {
    // Volume, mute and balance: captured and applied, never matched.
    {L"MuteControl", kAllButRca, L"Vol", L"", I, kDeviceValue},
    {L"AAMuteControl", kAnalogueIn, L"Vol", L"", I, kDeviceValue},
    {L"VolumeControl", kAllButRca, L"Vol", L"", F, kDeviceValue},
    {L"AAVolumeControl", kAnalogueIn, L"Vol", L"", F, kDeviceValue},
    {L"__FrontBalance", kSpeakers, L"Vol", L"", I, kUiValue},
    {L"__RearBalance", kSpeakers, L"Vol", L"", I, kUiValue},
    {L"__CWBalance", kSpeakers, L"Vol", L"", I, kUiValue},
    {L"__SideBalance", kSpeakers, L"Vol", L"", I, kUiValue},
    {L"__Balance", kStereo, L"Vol", L"", I, kUiValue},
    {L"__AABalance", kAnalogueIn, L"Vol", L"", I, kUiValue},
    // Channel configuration.
    {L"DevChannelNumControl", kSpeakerHeadphone, L"Setting", L"", U, kMatchedValue},
    {L"Enable_Channel_COPY_LFX", kSpeakers, L"Setting", L"", I, kMatchedSwitch},
    {L"Enable_SwapSrBk_LFX", kSpeakers, L"Setting", L"", I, kMatchedValue},
    {L"Enable_SwapLfeCn_LFX", kSpeakers, L"Setting", L"", I, kMatchedValue},
    {L"Enable_SMART_VOLUME_GFX", kRenderAndSpdif, L"Vol", L"", I, kMatchedSwitch},
    {L"DeviceSpecificControl", kQuarter, L"Vol", L"", I, kMatchedValue},
    {L"EXControl", kSpeakerHeadphone, L"Vol", L"", I, kMatchedSwitch},
    {L"HWEQBassControl", kSpeakerHeadphone, L"HWEQ", L"", F, kMatchedSwitch},
    {L"HWEQTrebleControl", kSpeakerHeadphone, L"HWEQ", L"", F, kMatchedSwitch},
    {L"DevSampleRateControl", kAllButRca, L"SamplingRate", L"", I, kMatchedValue},
    {L"DevBitDepthControl", kAllButRca, L"SamplingRate", L"", U, kMatchedValue},
    {L"DTSInteractiveControl", kSpdifOut, L"SamplingRate", L"", I, kMatchedValue},
    {L"DolbyDigitalLiveControl", kSpdifOut, L"SamplingRate", L"", I, kMatchedValue},
    // Equalizer (rows 23-33).
    {L"Enable_EQ_GFX", kRenderAndSpdif, L"EQ", L"", I, kMatchedSwitch},
    {L"EQ_Slider1", kRenderAndSpdif, L"EQ", L"Enable_EQ_GFX", I, kMatchedValue},
    {L"EQ_Slider2", kRenderAndSpdif, L"EQ", L"Enable_EQ_GFX", I, kMatchedValue},
    {L"EQ_Slider3", kRenderAndSpdif, L"EQ", L"Enable_EQ_GFX", I, kMatchedValue},
    {L"EQ_Slider4", kRenderAndSpdif, L"EQ", L"Enable_EQ_GFX", I, kMatchedValue},
    {L"EQ_Slider5", kRenderAndSpdif, L"EQ", L"Enable_EQ_GFX", I, kMatchedValue},
    {L"EQ_Slider6", kRenderAndSpdif, L"EQ", L"Enable_EQ_GFX", I, kMatchedValue},
    {L"EQ_Slider7", kRenderAndSpdif, L"EQ", L"Enable_EQ_GFX", I, kMatchedValue},
    {L"EQ_Slider8", kRenderAndSpdif, L"EQ", L"Enable_EQ_GFX", I, kMatchedValue},
    {L"EQ_Slider9", kRenderAndSpdif, L"EQ", L"Enable_EQ_GFX", I, kMatchedValue},
    {L"EQ_Slider10", kRenderAndSpdif, L"EQ", L"Enable_EQ_GFX", I, kMatchedValue},
    // Environment modelling.
    {L"Enable_RFX_GFX", kRenderAndSpdif, L"EM", L"", I, kMatchedSwitch},
    {L"RFX_ENVIRONMENT", kRenderAndSpdif, L"EM", L"Enable_RFX_GFX", I, kMatchedValue},
    {L"RFX_ROOMSIZE", kRenderAndSpdif, L"EM", L"Enable_RFX_GFX", I, kMatchedValue},
    // Virtual speaker room (rows 37-58).
    {L"Enable_SS_LFX", kRenderAndSpdif, L"Virtual", L"", I, kMatchedSwitch},
    {L"SS_LF_ANGLE", kRenderAndSpdif, L"Virtual", L"Enable_SS_LFX", I, kMatchedValue},
    {L"SS_RF_ANGLE", kRenderAndSpdif, L"Virtual", L"Enable_SS_LFX", I, kMatchedValue},
    {L"SS_LB_ANGLE", kRenderAndSpdif, L"Virtual", L"Enable_SS_LFX", I, kMatchedValue},
    {L"SS_RB_ANGLE", kRenderAndSpdif, L"Virtual", L"Enable_SS_LFX", I, kMatchedValue},
    {L"SS_LS_ANGLE", kRenderAndSpdif, L"Virtual", L"Enable_SS_LFX", I, kMatchedValue},
    {L"SS_RS_ANGLE", kRenderAndSpdif, L"Virtual", L"Enable_SS_LFX", I, kMatchedValue},
    {L"SS_C_ANGLE", kRenderAndSpdif, L"Virtual", L"Enable_SS_LFX", I, kMatchedValue},
    {L"SS_LFE_ANGLE", kRenderAndSpdif, L"Virtual", L"Enable_SS_LFX", I, kMatchedValue},
    {L"SS_LF_DIST", kRenderAndSpdif, L"Virtual", L"Enable_SS_LFX", I, kMatchedValue},
    {L"SS_RF_DIST", kRenderAndSpdif, L"Virtual", L"Enable_SS_LFX", I, kMatchedValue},
    {L"SS_LB_DIST", kRenderAndSpdif, L"Virtual", L"Enable_SS_LFX", I, kMatchedValue},
    {L"SS_RB_DIST", kRenderAndSpdif, L"Virtual", L"Enable_SS_LFX", I, kMatchedValue},
    {L"SS_LS_DIST", kRenderAndSpdif, L"Virtual", L"Enable_SS_LFX", I, kMatchedValue},
    {L"SS_RS_DIST", kRenderAndSpdif, L"Virtual", L"Enable_SS_LFX", I, kMatchedValue},
    {L"SS_C_DIST", kRenderAndSpdif, L"Virtual", L"Enable_SS_LFX", I, kMatchedValue},
    {L"SS_LFE_DIST", kRenderAndSpdif, L"Virtual", L"Enable_SS_LFX", I, kMatchedValue},
    // A switch of its own that the room's switch also governs.
    {L"Enable_Channel_COPY_LFX", kRenderAndSpdif, L"Virtual", L"Enable_SS_LFX", I, kMatchedSwitch},
    {L"__WiseArround", kRenderAndSpdif, L"Virtual", L"", I, kUiValue},
    {L"__CounterClockwise", kRenderAndSpdif, L"Virtual", L"", I, kUiValue},
    {L"__Clockwise", kRenderAndSpdif, L"Virtual", L"", I, kUiValue},
    {L"__Manual", kRenderAndSpdif, L"Virtual", L"", I, kUiValue},
    // Bass management.
    {L"Enable_BM_GFX", kSpeakers, L"Subroute", L"", I, kMatchedSwitch},
    {L"BM_Slider_Frequency", kSpeakers, L"Subroute", L"Enable_BM_GFX", I, kMatchedValue},
    {L"BM_Slider_BassLevel", kSpeakers, L"Subroute", L"Enable_BM_GFX", I, kMatchedValue},
    {L"BM_LargeSpeaker", kSpeakers, L"Subroute", L"Enable_BM_GFX", I, kMatchedValue},
    // Karaoke.
    {L"Enable_KEYSHIFT_GFX", kRenderAndSpdif, L"PitchShifter", L"", I, kMatchedSwitch},
    {L"KEYSHIFT_LEVEL", kRenderAndSpdif, L"PitchShifter", L"Enable_KEYSHIFT_GFX", I, kMatchedValue},
    {L"Enable_VOCALCANCEL_GFX", kRenderAndSpdif, L"VocalFading", L"", I, kMatchedSwitch},
    {L"VOCALCANCEL_LEVEL", kRenderAndSpdif, L"VocalFading", L"Enable_VOCALCANCEL_GFX", I, kMatchedValue},
    // Surround headphone and surround speakers share their switch; each page holds it as its own row.
    {L"Enable_KESTAL_HPSPK_LFX", kSpeakerHeadphone, L"VimoSurroundHeadPhone", L"", I, kMatchedSwitch},
    {L"KESTAL_HPSPK_USEHP", kSpeakerHeadphone, L"VimoSurroundHeadPhone", L"Enable_KESTAL_HPSPK_LFX", I, kMatchedValue},
    {L"KESTAL_HPSPK_ROOMSIZE", kSpeakerHeadphone, L"VimoSurroundHeadPhone", L"Enable_KESTAL_HPSPK_LFX", I,
     kMatchedValue},
    {L"Enable_Channel_COPY_LFX", kRenderAndSpdif, L"VimoSurroundHeadPhone", L"Enable_KESTAL_HPSPK_LFX", I,
     kMatchedValue},
    {L"KESTAL_HPSPK_MODE", kSpeakerHeadphone, L"VimoSurroundHeadPhone", L"Enable_KESTAL_HPSPK_LFX", I, kMatchedValue},
    {L"Enable_KESTAL_HPSPK_LFX", kSpeakerHeadphone, L"VimoSurroundSpeakers", L"", I, kMatchedSwitch},
    {L"KESTAL_HPSPK_USEHP", kSpeakerHeadphone, L"VimoSurroundSpeakers", L"Enable_KESTAL_HPSPK_LFX", I, kMatchedValue},
    {L"KESTAL_HPSPK_SFX", kSpeakerHeadphone, L"VimoSurroundSpeakers", L"Enable_KESTAL_HPSPK_LFX", I, kMatchedValue},
    {L"KESTAL_HPSPK_SPKANGLE", kSpeakerHeadphone, L"VimoSurroundSpeakers", L"Enable_KESTAL_HPSPK_LFX", I,
     kMatchedValue},
    {L"Enable_Channel_COPY_LFX", kRenderAndSpdif, L"VimoSurroundSpeakers", L"Enable_KESTAL_HPSPK_LFX", I,
     kMatchedValue},
    // DTS Surround Sensation (rows 77-84).
    {L"Enable_SURRSENS_LFX", kSpeakerHeadphone, L"DTSSS", L"", I, kMatchedSwitch},
    {L"Enable_SURRSENS_USEHP", kSpeakerHeadphone, L"DTSSS", L"Enable_SURRSENS_LFX", I, kMatchedValue},
    {L"SURRSENS_CONTENTTYPE", kSpeakerHeadphone, L"DTSSS", L"Enable_SURRSENS_LFX", I, kMatchedValue},
    {L"SURRSENS_EXPFACTOR", kSpeakerHeadphone, L"DTSSS", L"Enable_SURRSENS_LFX", I, kMatchedValue},
    {L"SURRSENS_SPEAKERANGLE", kSpeakerHeadphone, L"DTSSS", L"Enable_SURRSENS_LFX", I, kMatchedValue},
    {L"SURRSENS_MIXLFE", kSpeakerHeadphone, L"DTSSS", L"Enable_SURRSENS_LFX", I, kMatchedValue},
    {L"ENABLE_SURRSENS_DIALOGCLARITY", kSpeakerHeadphone, L"DTSSS", L"Enable_SURRSENS_LFX", I, kMatchedValue},
    {L"SURRSENS_DIALOGCLARITY_GAIN", kSpeakerHeadphone, L"DTSSS", L"Enable_SURRSENS_LFX", I, kMatchedValue},
    // DTS Neo:PC.
    {L"Enable_NEOPC_LFX", kSpeakers, L"DTSNeoPC", L"", I, kMatchedSwitch},
    {L"NEOPC_MODE", kSpeakers, L"DTSNeoPC", L"Enable_NEOPC_LFX", I, kMatchedValue},
    {L"NEOPC_SLIDER_DIMENSION", kSpeakers, L"DTSNeoPC", L"Enable_NEOPC_LFX", I, kMatchedValue},
    {L"NEOPC_SLIDER_CENTERGAIN", kSpeakers, L"DTSNeoPC", L"Enable_NEOPC_LFX", I, kMatchedValue},
    // Dolby Headphone / Virtual Speaker and its second version.
    {L"Enable_DHDVS_LFX", kSpeakerHeadphone, L"DolbyHPVS", L"", I, kMatchedSwitch},
    {L"DHDVS_USEDH", kSpeakerHeadphone, L"DolbyHPVS", L"Enable_DHDVS_LFX", I, kMatchedValue},
    {L"DH_Mode", kSpeakerHeadphone, L"DolbyHPVS", L"Enable_DHDVS_LFX", I, kMatchedValue},
    {L"DVS_Mode", kSpeakerHeadphone, L"DolbyHPVS", L"Enable_DHDVS_LFX", I, kMatchedValue},
    {L"Enable_DHV2_LFX", kSpeakerHeadphone, L"DolbyHPV2", L"", I, kMatchedSwitch},
    // Dolby Pro Logic IIx.
    {L"Enable_PLIIX_LFX", kSpeakers, L"DolbyPLIIx", L"", I, kMatchedSwitch},
    {L"PLIIX_MODE", kSpeakers, L"DolbyPLIIx", L"Enable_PLIIX_LFX", I, kMatchedValue},
    {L"PLIIX_SLIDER_DIMENSION", kSpeakers, L"DolbyPLIIx", L"Enable_PLIIX_LFX", I, kMatchedValue},
    {L"PLIIX_SLIDER_CENTERWIDTH", kSpeakers, L"DolbyPLIIx", L"Enable_PLIIX_LFX", I, kMatchedValue},
    {L"PLIIX_PANORAMA", kSpeakers, L"DolbyPLIIx", L"Enable_PLIIX_LFX", I, kMatchedValue},
    // The single-slider effects (rows 99-110).
    {L"Enable_ADAPTIVEVOLUME_GFX", kRenderAndSpdif, L"VimoSmartVolume", L"", I, kMatchedSwitch},
    {L"ADAPTIVEVOLUME_LEVEL", kRenderAndSpdif, L"VimoSmartVolume", L"Enable_ADAPTIVEVOLUME_GFX", I, kMatchedValue},
    {L"ADAPTIVEVOLUME_MODE", kRenderAndSpdif, L"VimoSmartVolume", L"Enable_ADAPTIVEVOLUME_GFX", I, kMatchedValue},
    {L"Enable_VIRTUALBASS_LFX", kRenderAndSpdif, L"VimoDynamicBass", L"", I, kMatchedSwitch},
    {L"VIRTUALBASS_Mode", kRenderAndSpdif, L"VimoDynamicBass", L"Enable_VIRTUALBASS_LFX", I, kMatchedValue},
    {L"VIRTUALBASS_Level", kRenderAndSpdif, L"VimoDynamicBass", L"Enable_VIRTUALBASS_LFX", I, kMatchedValue},
    {L"VIRTUALBASS_CutOffFrequency", kRenderAndSpdif, L"VimoDynamicBass", L"Enable_VIRTUALBASS_LFX", I, kMatchedValue},
    {L"Enable_AUDIOBRILLIANT_LFX", kRenderAndSpdif, L"VimoAudioBrilliant", L"", I, kMatchedSwitch},
    {L"AUDIOBRILLIANT_LEVEL", kRenderAndSpdif, L"VimoAudioBrilliant", L"Enable_AUDIOBRILLIANT_LFX", I, kMatchedValue},
    {L"Enable_VOICECLARITY_LFX", kRenderAndSpdif, L"VimoVoiceClarity", L"", I, kMatchedSwitch},
    {L"VOICECLARITY_LEVEL", kRenderAndSpdif, L"VimoVoiceClarity", L"Enable_VOICECLARITY_LFX", I, kMatchedValue},
    {L"VOICECLARITY_NOISESUPP_LEVEL", kRenderAndSpdif, L"VimoVoiceClarity", L"Enable_VOICECLARITY_LFX", I,
     kMatchedValue},
    {L"AGCControl", kAllButRca, L"Vol", L"", I, kMatchedSwitch},
    // The virtual-surround routing: one device switch seen from three pages (rows 112-117).
    {L"EnableVirtualSurroundEffect", kSpeakers, L"VirtualVimoSurroundHeadPhone", L"", I, kMatchedSwitch},
    {L"VirtualSurroundMode", kSpeakers, L"VirtualVimoSurroundHeadPhone", L"EnableVirtualSurroundEffect", I,
     kMatchedValue},
    {L"VirtualSurroundRoomSize", kSpeakers, L"VirtualVimoSurroundHeadPhone", L"EnableVirtualSurroundEffect", I,
     kMatchedValue},
    {L"EnableVirtualSurroundEffect", kSpeakers, L"VirtualDolbyHPVS", L"", I, kMatchedSwitch},
    {L"VirtualSurroundRoomSize", kSpeakers, L"VirtualDolbyHPVS", L"EnableVirtualSurroundEffect", I, kMatchedValue},
    {L"EnableVirtualSurroundEffect", kSpeakers, L"VirtualDolbyHPV2", L"", I, kMatchedSwitch},
};

EndpointMask DeviceTypeToMask(int32_t endpointCode) {
    for (const MaskCode& entry : kMaskCodes) {
        if (entry.code == endpointCode)
            return entry.bit;
    }
    return kSpeakerBit;
}

int32_t MaskToDeviceType(EndpointMask bit) {
    for (const MaskCode& entry : kMaskCodes) {
        if (entry.bit == bit)
            return entry.code;
    }
    return kSpeakerCode;
}

int32_t FindControlIndex(const wchar_t* name) {
    // The unused rows hold empty keys; an empty name names no setting.
    if (!name || !*name)
        return -1;
    for (int32_t index = 0; index < kControlPropertyRowCount; ++index) {
        if (std::wcscmp(g_ControlPropertyTable[index].Key, name) == 0)
            return index;
    }
    return -1;
}

void ResetEffectSwitches(IDriverInstance& driver, EndpointMask mask) {
    const int32_t off = 0;
    for (const ControlPropertyRow& row : g_ControlPropertyTable) {
        if (!(row.Flags & kControlRowSwitch))
            continue;
        for (EndpointMask bit : g_EndpointMaskBits) {
            if ((bit & mask) && (bit & row.EndpointMask))
                driver.SetEndpointProperty(MaskToDeviceType(bit), row.Key, &off, 0, 0, nullptr, 0, 0);
        }
    }
}
