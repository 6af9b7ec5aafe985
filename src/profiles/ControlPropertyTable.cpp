#include "profiles/ControlPropertyTable.h"

#include <array>
#include <cwchar>
#include <initializer_list>

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

// The switches that several pages hold as their own rows.
constexpr wchar_t kSurroundSwitch[] = L"Enable_KESTAL_HPSPK_LFX";
constexpr wchar_t kVirtualSurroundSwitch[] = L"EnableVirtualSurroundEffect";

using Keys = std::initializer_list<const wchar_t*>;

// Fills the table in order: a row at a time, or the run of rows one page holds on one set of endpoints.
class CTableBuilder {
public:
    constexpr void Row(const wchar_t* key, EndpointMask mask, const wchar_t* feature, int32_t kind, int32_t flags,
                       const wchar_t* parentSwitch = L"") {
        m_rows[m_count++] = {key, mask, feature, parentSwitch, kind, flags};
    }
    // Values the program keeps itself, one row each.
    constexpr void UiValues(const wchar_t* feature, EndpointMask mask, Keys keys) {
        for (const wchar_t* key : keys)
            Row(key, mask, feature, I, kUiValue);
    }
    // Matched integer values, under a switch when one is named.
    constexpr void Matched(const wchar_t* feature, EndpointMask mask, Keys keys, const wchar_t* parentSwitch = L"") {
        for (const wchar_t* key : keys)
            Row(key, mask, feature, I, kMatchedValue, parentSwitch);
    }
    // An effect's matched switch, then the matched integer settings under it, on the same endpoints.
    constexpr void Effect(const wchar_t* feature, EndpointMask mask, const wchar_t* switchKey, Keys settings = {}) {
        Row(switchKey, mask, feature, I, kMatchedSwitch);
        Matched(feature, mask, settings, switchKey);
    }
    constexpr std::array<ControlPropertyRow, kControlPropertyRowCount> Rows() const { return m_rows; }

private:
    std::array<ControlPropertyRow, kControlPropertyRowCount> m_rows{};
    int m_count = 0;
};

constexpr std::array<ControlPropertyRow, kControlPropertyRowCount> BuildTable() {
    CTableBuilder t;
    // Volume, mute and balance: captured and applied, never matched.
    t.Row(L"MuteControl", kAllButRca, L"Vol", I, kDeviceValue);
    t.Row(L"AAMuteControl", kAnalogueIn, L"Vol", I, kDeviceValue);
    t.Row(L"VolumeControl", kAllButRca, L"Vol", F, kDeviceValue);
    t.Row(L"AAVolumeControl", kAnalogueIn, L"Vol", F, kDeviceValue);
    t.UiValues(L"Vol", kSpeakers, {L"__FrontBalance", L"__RearBalance", L"__CWBalance", L"__SideBalance"});
    t.UiValues(L"Vol", kStereo, {L"__Balance"});
    t.UiValues(L"Vol", kAnalogueIn, {L"__AABalance"});
    // Channel configuration (rows 10-13): the 16-bit channel count, the copy switch and the two swaps.
    t.Row(L"DevChannelNumControl", kSpeakerHeadphone, L"Setting", U, kMatchedValue);
    t.Row(L"Enable_Channel_COPY_LFX", kSpeakers, L"Setting", I, kMatchedSwitch);
    t.Matched(L"Setting", kSpeakers, {L"Enable_SwapSrBk_LFX", L"Enable_SwapLfeCn_LFX"});
    // The main window's quick switches, the quarter speakers' output and the hardware tone (float switches).
    t.Row(L"Enable_SMART_VOLUME_GFX", kRenderAndSpdif, L"Vol", I, kMatchedSwitch);
    t.Matched(L"Vol", kQuarter, {L"DeviceSpecificControl"});
    t.Row(L"EXControl", kSpeakerHeadphone, L"Vol", I, kMatchedSwitch);
    t.Row(L"HWEQBassControl", kSpeakerHeadphone, L"HWEQ", F, kMatchedSwitch);
    t.Row(L"HWEQTrebleControl", kSpeakerHeadphone, L"HWEQ", F, kMatchedSwitch);
    // The sampling rate, the 16-bit bit depth and the encoded outputs (rows 19-22).
    t.Matched(L"SamplingRate", kAllButRca, {L"DevSampleRateControl"});
    t.Row(L"DevBitDepthControl", kAllButRca, L"SamplingRate", U, kMatchedValue);
    t.Matched(L"SamplingRate", kSpdifOut, {L"DTSInteractiveControl", L"DolbyDigitalLiveControl"});
    // Equalizer (rows 23-33).
    t.Effect(L"EQ", kRenderAndSpdif, L"Enable_EQ_GFX",
             {L"EQ_Slider1", L"EQ_Slider2", L"EQ_Slider3", L"EQ_Slider4", L"EQ_Slider5", L"EQ_Slider6", L"EQ_Slider7",
              L"EQ_Slider8", L"EQ_Slider9", L"EQ_Slider10"});
    // Environment modelling.
    t.Effect(L"EM", kRenderAndSpdif, L"Enable_RFX_GFX", {L"RFX_ENVIRONMENT", L"RFX_ROOMSIZE"});
    // Virtual speaker room (rows 37-58): the angles, the distances, a switch of its own that the room's
    // switch also governs, and the turning flags the program keeps.
    t.Effect(L"Virtual", kRenderAndSpdif, L"Enable_SS_LFX",
             {L"SS_LF_ANGLE", L"SS_RF_ANGLE", L"SS_LB_ANGLE", L"SS_RB_ANGLE", L"SS_LS_ANGLE", L"SS_RS_ANGLE",
              L"SS_C_ANGLE", L"SS_LFE_ANGLE", L"SS_LF_DIST", L"SS_RF_DIST", L"SS_LB_DIST", L"SS_RB_DIST", L"SS_LS_DIST",
              L"SS_RS_DIST", L"SS_C_DIST", L"SS_LFE_DIST"});
    t.Row(L"Enable_Channel_COPY_LFX", kRenderAndSpdif, L"Virtual", I, kMatchedSwitch, L"Enable_SS_LFX");
    t.UiValues(L"Virtual", kRenderAndSpdif, {L"__WiseArround", L"__CounterClockwise", L"__Clockwise", L"__Manual"});
    // Bass management.
    t.Effect(L"Subroute", kSpeakers, L"Enable_BM_GFX",
             {L"BM_Slider_Frequency", L"BM_Slider_BassLevel", L"BM_LargeSpeaker"});
    // Karaoke.
    t.Effect(L"PitchShifter", kRenderAndSpdif, L"Enable_KEYSHIFT_GFX", {L"KEYSHIFT_LEVEL"});
    t.Effect(L"VocalFading", kRenderAndSpdif, L"Enable_VOCALCANCEL_GFX", {L"VOCALCANCEL_LEVEL"});
    // Surround headphone and surround speakers share their switch; each page holds it as its own row. The
    // channel copy under it goes to more endpoints.
    t.Effect(L"VimoSurroundHeadPhone", kSpeakerHeadphone, kSurroundSwitch,
             {L"KESTAL_HPSPK_USEHP", L"KESTAL_HPSPK_ROOMSIZE"});
    t.Matched(L"VimoSurroundHeadPhone", kRenderAndSpdif, {L"Enable_Channel_COPY_LFX"}, kSurroundSwitch);
    t.Matched(L"VimoSurroundHeadPhone", kSpeakerHeadphone, {L"KESTAL_HPSPK_MODE"}, kSurroundSwitch);
    t.Effect(L"VimoSurroundSpeakers", kSpeakerHeadphone, kSurroundSwitch,
             {L"KESTAL_HPSPK_USEHP", L"KESTAL_HPSPK_SFX", L"KESTAL_HPSPK_SPKANGLE"});
    t.Matched(L"VimoSurroundSpeakers", kRenderAndSpdif, {L"Enable_Channel_COPY_LFX"}, kSurroundSwitch);
    // DTS Surround Sensation (rows 77-84).
    t.Effect(L"DTSSS", kSpeakerHeadphone, L"Enable_SURRSENS_LFX",
             {L"Enable_SURRSENS_USEHP", L"SURRSENS_CONTENTTYPE", L"SURRSENS_EXPFACTOR", L"SURRSENS_SPEAKERANGLE",
              L"SURRSENS_MIXLFE", L"ENABLE_SURRSENS_DIALOGCLARITY", L"SURRSENS_DIALOGCLARITY_GAIN"});
    // DTS Neo:PC.
    t.Effect(L"DTSNeoPC", kSpeakers, L"Enable_NEOPC_LFX",
             {L"NEOPC_MODE", L"NEOPC_SLIDER_DIMENSION", L"NEOPC_SLIDER_CENTERGAIN"});
    // Dolby Headphone / Virtual Speaker and its second version.
    t.Effect(L"DolbyHPVS", kSpeakerHeadphone, L"Enable_DHDVS_LFX", {L"DHDVS_USEDH", L"DH_Mode", L"DVS_Mode"});
    t.Effect(L"DolbyHPV2", kSpeakerHeadphone, L"Enable_DHV2_LFX");
    // Dolby Pro Logic IIx.
    t.Effect(L"DolbyPLIIx", kSpeakers, L"Enable_PLIIX_LFX",
             {L"PLIIX_MODE", L"PLIIX_SLIDER_DIMENSION", L"PLIIX_SLIDER_CENTERWIDTH", L"PLIIX_PANORAMA"});
    // The single-slider effects (rows 99-110).
    t.Effect(L"VimoSmartVolume", kRenderAndSpdif, L"Enable_ADAPTIVEVOLUME_GFX",
             {L"ADAPTIVEVOLUME_LEVEL", L"ADAPTIVEVOLUME_MODE"});
    t.Effect(L"VimoDynamicBass", kRenderAndSpdif, L"Enable_VIRTUALBASS_LFX",
             {L"VIRTUALBASS_Mode", L"VIRTUALBASS_Level", L"VIRTUALBASS_CutOffFrequency"});
    t.Effect(L"VimoAudioBrilliant", kRenderAndSpdif, L"Enable_AUDIOBRILLIANT_LFX", {L"AUDIOBRILLIANT_LEVEL"});
    t.Effect(L"VimoVoiceClarity", kRenderAndSpdif, L"Enable_VOICECLARITY_LFX",
             {L"VOICECLARITY_LEVEL", L"VOICECLARITY_NOISESUPP_LEVEL"});
    t.Row(L"AGCControl", kAllButRca, L"Vol", I, kMatchedSwitch);
    // The virtual-surround routing: one device switch seen from three pages (rows 112-117).
    t.Effect(L"VirtualVimoSurroundHeadPhone", kSpeakers, kVirtualSurroundSwitch,
             {L"VirtualSurroundMode", L"VirtualSurroundRoomSize"});
    t.Effect(L"VirtualDolbyHPVS", kSpeakers, kVirtualSurroundSwitch, {L"VirtualSurroundRoomSize"});
    t.Effect(L"VirtualDolbyHPV2", kSpeakers, kVirtualSurroundSwitch);
    return t.Rows();
}

} // namespace

// Rows past the filled ones keep the row defaults: empty keys on no endpoint.
constinit const std::array<ControlPropertyRow, kControlPropertyRowCount> g_ControlPropertyTable = BuildTable();

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
                driver.SetEndpointProperty(MaskToDeviceType(bit), row.Key, &off, kValueInt, kDefaultNumberSize, nullptr,
                                           0, 0);
        }
    }
}
