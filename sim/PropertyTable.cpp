#include "PropertyTable.h"

#include "driver/DriverLibraryAbi.h"

#include <algorithm>
#include <iterator>
#include <map>

namespace oc::sim {
namespace {

using oc::driver::kEventAgc;
using oc::driver::kEventAnalogVolume;
using oc::driver::kEventBoost;
using oc::driver::kEventDevice;
using oc::driver::kEventEffectState;
using oc::driver::kEventFormat;
using oc::driver::kEventMute;
using oc::driver::kEventVolume;

constexpr ValueKind I = ValueKind::Int;
constexpr ValueKind F = ValueKind::Float;
constexpr ValueKind U = ValueKind::U16;
constexpr ValueKind T = ValueKind::Text;
constexpr ValueKind B = ValueKind::Block;
constexpr Behaviour P = Behaviour::Plain;
constexpr Slot N = Slot::None;
constexpr int32_t FX = kEventEffectState;

// A switch: 0 off, 1 on, off at first.
#define OC_SWITCH(name, group)                                                                                         \
    { name, group, I, P, N, 0, 1, 0, FX }
// A stored integer with its range and starting value.
#define OC_VALUE(name, group, min, max, initial)                                                                       \
    { name, group, I, P, N, min, max, initial, FX }

const PropertyDef kProperties[] = {
    // Identity and capabilities, on every endpoint.
    {L"GetDeviceID", kCoreGroup, T, Behaviour::DeviceText, Slot::DeviceId, 0, 0, 0, 0},
    {L"GetSupportFeature", kCoreGroup, T, Behaviour::Features, N, 0, 0, 0, 0},
    {L"GetDeviceFriendlyName", kCoreGroup, T, Behaviour::DeviceText, Slot::Friendly, 0, 0, 0, 0},
    {L"GetAudioCodecName", kCoreGroup, T, Behaviour::DeviceText, Slot::Codec, 0, 0, 0, 0},
    {L"GetDriverVer", kCoreGroup, T, Behaviour::DeviceText, Slot::Driver, 0, 0, 0, 0},
    {L"GetFirmwareVer", kCoreGroup, T, Behaviour::DeviceText, Slot::Firmware, 0, 0, 0, 0},
    {L"GetDirectXVer", kCoreGroup, T, Behaviour::DeviceText, Slot::DirectX, 0, 0, 0, 0},
    {L"IsSupportDolbyDigitalLive", kCoreGroup, I, Behaviour::ReadOnlyNumber, N, 0, 1, 0, 0},
    {L"IsSupportDTSInteractive", kCoreGroup, I, Behaviour::ReadOnlyNumber, N, 0, 1, 0, 0},
    {L"IsSupportVimoSurround71", kCoreGroup, I, Behaviour::ReadOnlyNumber, N, 0, 1, 0, 0},
    {L"IsSupportFormat", kCoreGroup, I, Behaviour::FormatQuery, N, 0, 1, 0, 0},
    {L"DefaultDeviceControl", kCoreGroup, I, Behaviour::DefaultDevice, N, 0, 1, 0, kEventDevice},
    {L"DevSampleRateControl", kCoreGroup, I, Behaviour::SampleRate, N, 0, 0, 0, kEventFormat},
    {L"DevBitDepthControl", kCoreGroup, U, Behaviour::BitDepth, N, 0, 0, 0, kEventFormat},
    {L"DevChannelNumControl", kCoreGroup, U, Behaviour::ChannelCount, N, 0, 0, 2, kEventFormat},
    {L"DevFormatControl", kCoreGroup, B, Behaviour::Format, N, 0, 0, 0, kEventFormat},

    // Levels and mutes of the main and the analog path.
    {L"MuteControl", L"volume", I, P, N, 0, 1, 0, kEventMute},
    {L"VolumeControl", L"volume", F, Behaviour::Volume, Slot::Primary, 0, 0, 0, kEventVolume},
    {L"VolumeScalarControl", L"volume", F, Behaviour::VolumeScalar, Slot::Primary, 0, 1, 0, kEventVolume},
    {L"GetMinVol", L"volume", F, Behaviour::VolumeLimit, Slot::Minimum, 0, 0, 0, 0},
    {L"GetMaxVol", L"volume", F, Behaviour::VolumeLimit, Slot::Maximum, 0, 0, 0, 0},
    {L"AAMuteControl", L"aavolume", I, P, N, 0, 1, 0, kEventAnalogVolume},
    {L"AAVolumeControl", L"aavolume", F, Behaviour::Volume, Slot::Analog, 0, 0, 0, kEventAnalogVolume},
    {L"AAVolumeScalarControl", L"aavolume", F, Behaviour::VolumeScalar, Slot::Analog, 0, 1, 0, kEventAnalogVolume},
    {L"GetAAMinVol", L"aavolume", F, Behaviour::VolumeLimit, Slot::AnalogMinimum, 0, 0, 0, 0},
    {L"GetAAMaxVol", L"aavolume", F, Behaviour::VolumeLimit, Slot::AnalogMaximum, 0, 0, 0, 0},

    // Output path.
    {L"OutputTerminalTypeControl", L"terminal", I, Behaviour::OutputTerminal, N, 1, 3, 1, kEventDevice},
    {L"HPAmplifierControl", L"amplifier", I, Behaviour::Levels, Slot::Amplifier, 0, 0, 0, FX},
    OC_VALUE(L"DeviceSpecificControl", L"rca", 0, 1, 0),
    OC_SWITCH(L"Enable_Channel_COPY_LFX", L"channelfx"),
    OC_SWITCH(L"Enable_SwapSrBk_LFX", L"channelfx"),
    OC_SWITCH(L"Enable_SwapLfeCn_LFX", L"channelfx"),
    OC_SWITCH(L"GFSControl", L"channelfx"),
    {L"HWEQBassControl", L"hweq", F, P, N, -12, 12, 0, FX},
    {L"HWEQTrebleControl", L"hweq", F, P, N, -12, 12, 0, FX},
    {L"AGCControl", L"agc", I, P, N, 0, 1, 0, kEventAgc},
    {L"BoostControl", L"boost", F, Behaviour::Levels, Slot::Boost, 0, 0, 0, kEventBoost},
    OC_SWITCH(L"DolbyDigitalLiveControl", L"spdif"),
    OC_SWITCH(L"DTSInteractiveControl", L"spdif"),
    OC_SWITCH(L"EXControl", L"ex"),

    // Ten-band equalizer, signed dB per band.
    OC_SWITCH(L"Enable_EQ_GFX", L"eq"),
    OC_VALUE(L"EQ_Slider1", L"eq", -20, 20, 0),
    OC_VALUE(L"EQ_Slider2", L"eq", -20, 20, 0),
    OC_VALUE(L"EQ_Slider3", L"eq", -20, 20, 0),
    OC_VALUE(L"EQ_Slider4", L"eq", -20, 20, 0),
    OC_VALUE(L"EQ_Slider5", L"eq", -20, 20, 0),
    OC_VALUE(L"EQ_Slider6", L"eq", -20, 20, 0),
    OC_VALUE(L"EQ_Slider7", L"eq", -20, 20, 0),
    OC_VALUE(L"EQ_Slider8", L"eq", -20, 20, 0),
    OC_VALUE(L"EQ_Slider9", L"eq", -20, 20, 0),
    OC_VALUE(L"EQ_Slider10", L"eq", -20, 20, 0),

    // Environment modelling: environment numbers start at 1.
    OC_SWITCH(L"Enable_RFX_GFX", L"em"),
    OC_VALUE(L"RFX_ENVIRONMENT", L"em", 1, 32, 1),
    OC_VALUE(L"RFX_ROOMSIZE", L"em", 0, 2, 0),

    // Virtual speaker room: angles in degrees from straight ahead, distances 19..50.
    OC_SWITCH(L"Enable_SS_LFX", L"virtual"),
    OC_VALUE(L"SS_C_ANGLE", L"virtual", -180, 180, 0),
    OC_VALUE(L"SS_LF_ANGLE", L"virtual", -180, 180, -45),
    OC_VALUE(L"SS_LB_ANGLE", L"virtual", -180, 180, -135),
    OC_VALUE(L"SS_LS_ANGLE", L"virtual", -180, 180, -90),
    OC_VALUE(L"SS_RF_ANGLE", L"virtual", -180, 180, 45),
    OC_VALUE(L"SS_RB_ANGLE", L"virtual", -180, 180, 135),
    OC_VALUE(L"SS_RS_ANGLE", L"virtual", -180, 180, 90),
    OC_VALUE(L"SS_LFE_ANGLE", L"virtual", -180, 180, 15),
    OC_VALUE(L"SS_C_DIST", L"virtual", 19, 50, 34),
    OC_VALUE(L"SS_LF_DIST", L"virtual", 19, 50, 34),
    OC_VALUE(L"SS_LB_DIST", L"virtual", 19, 50, 34),
    OC_VALUE(L"SS_LS_DIST", L"virtual", 19, 50, 34),
    OC_VALUE(L"SS_RF_DIST", L"virtual", 19, 50, 34),
    OC_VALUE(L"SS_RB_DIST", L"virtual", 19, 50, 34),
    OC_VALUE(L"SS_RS_DIST", L"virtual", 19, 50, 34),
    OC_VALUE(L"SS_LFE_DIST", L"virtual", 19, 50, 34),
    {L"GetSpeakerShiftVolumeLevel", L"virtual", I, Behaviour::SpeakerShift, Slot::LevelFromDistance, 0, 0, 0, 0},
    {L"GetSpeakerShiftDistanceByDB", L"virtual", I, Behaviour::SpeakerShift, Slot::DistanceFromLevel, 0, 0, 0, 0},
    {L"VirtualSurroundEffectControl", L"virtualsurround", I, Behaviour::VirtualSurround, N, 0, 0, 0, FX},

    // Surround headphone and surround speakers share one switch.
    OC_SWITCH(L"Enable_KESTAL_HPSPK_LFX", L"surround"),
    OC_VALUE(L"KESTAL_HPSPK_USEHP", L"surround", 0, 1, 1),
    OC_VALUE(L"KESTAL_HPSPK_ROOMSIZE", L"surround", 0, 2, 1),
    OC_VALUE(L"KESTAL_HPSPK_MODE", L"surround", 0, 1, 0),
    OC_VALUE(L"KESTAL_HPSPK_SFX", L"surround", 0, 100, 50),
    OC_VALUE(L"KESTAL_HPSPK_SPKANGLE", L"surround", 0, 4, 0),

    // DTS Surround Sensation.
    OC_SWITCH(L"Enable_SURRSENS_LFX", L"dtsss"),
    OC_VALUE(L"Enable_SURRSENS_USEHP", L"dtsss", 0, 1, 0),
    OC_VALUE(L"SURRSENS_CONTENTTYPE", L"dtsss", 0, 1, 0),
    OC_VALUE(L"SURRSENS_EXPFACTOR", L"dtsss", 0, 100, 0),
    OC_VALUE(L"SURRSENS_SPEAKERANGLE", L"dtsss", 0, 100, 5),
    OC_VALUE(L"SURRSENS_MIXLFE", L"dtsss", 0, 1, 0),
    OC_VALUE(L"ENABLE_SURRSENS_DIALOGCLARITY", L"dtsss", 0, 1, 0),
    OC_VALUE(L"SURRSENS_DIALOGCLARITY_GAIN", L"dtsss", 0, 100, 0),

    // Dolby Headphone / Virtual Speaker, Headphone V2, Pro Logic IIx; DTS Neo:PC.
    OC_SWITCH(L"Enable_DHDVS_LFX", L"dolby"),
    OC_VALUE(L"DHDVS_USEDH", L"dolby", 0, 1, 0),
    OC_VALUE(L"DH_Mode", L"dolby", 0, 2, 0),
    OC_VALUE(L"DVS_Mode", L"dolby", 0, 1, 0),
    OC_SWITCH(L"Enable_DHV2_LFX", L"dolbyv2"),
    OC_SWITCH(L"Enable_PLIIX_LFX", L"pliix"),
    OC_VALUE(L"PLIIX_MODE", L"pliix", 0, 1, 0),
    OC_VALUE(L"PLIIX_PANORAMA", L"pliix", 0, 1, 0),
    OC_VALUE(L"PLIIX_SLIDER_CENTERWIDTH", L"pliix", 0, 100, 4),
    OC_VALUE(L"PLIIX_SLIDER_DIMENSION", L"pliix", 0, 100, 7),
    OC_SWITCH(L"Enable_NEOPC_LFX", L"neopc"),
    OC_VALUE(L"NEOPC_MODE", L"neopc", 0, 1, 0),
    OC_VALUE(L"NEOPC_SLIDER_CENTERGAIN", L"neopc", 0, 100, 5),
    OC_VALUE(L"NEOPC_SLIDER_DIMENSION", L"neopc", 0, 100, 7),

    // Karaoke on outputs; echo and magic voice on microphones.
    OC_SWITCH(L"Enable_KEYSHIFT_GFX", L"karaoke"),
    OC_VALUE(L"KEYSHIFT_LEVEL", L"karaoke", -100, 100, 0),
    OC_SWITCH(L"Enable_VOCALCANCEL_GFX", L"karaoke"),
    OC_VALUE(L"VOCALCANCEL_LEVEL", L"karaoke", 0, 100, 50),
    OC_SWITCH(L"Enable_MICECHO", L"micecho"),
    OC_VALUE(L"MICECHO_Level", L"micecho", 0, 100, 0),
    OC_SWITCH(L"Enable_MAGICVOICE", L"micecho"),
    OC_VALUE(L"MagicVoice_Selection", L"micecho", 0, 3, 0),

    // Microphone effects.
    OC_SWITCH(L"Enable_AEC_LFX", L"micfx"),
    OC_SWITCH(L"Enable_MICARRAY_LFX", L"micfx"),
    OC_SWITCH(L"Enable_ENC_LFX", L"micfx"),
    OC_SWITCH(L"Enable_NOISEREDUCTION_LFX", L"micfx"),

    // Bass management: cut-off in Hz, level 0..24 around 12, large speakers as channel-mask bits.
    OC_SWITCH(L"Enable_BM_GFX", L"subroute"),
    OC_VALUE(L"BM_Slider_Frequency", L"subroute", 0, 1000, 100),
    OC_VALUE(L"BM_Slider_BassLevel", L"subroute", 0, 24, 12),
    OC_VALUE(L"BM_LargeSpeaker", L"subroute", 0, 0x7FF, 0),

    // Single-slider effects. Brilliance and voice clarity hold 0 or the shown level + 4.
    OC_SWITCH(L"Enable_SMART_VOLUME_GFX", L"smartvolume"),
    OC_SWITCH(L"Enable_ADAPTIVEVOLUME_GFX", L"smartvolume"),
    OC_VALUE(L"ADAPTIVEVOLUME_LEVEL", L"smartvolume", 0, 100, 70),
    OC_VALUE(L"ADAPTIVEVOLUME_MODE", L"smartvolume", 0, 1, 0),
    OC_SWITCH(L"Enable_VIRTUALBASS_LFX", L"dynamicbass"),
    OC_VALUE(L"VIRTUALBASS_Mode", L"dynamicbass", 0, 1, 1),
    OC_VALUE(L"VIRTUALBASS_Level", L"dynamicbass", 0, 10, 5),
    OC_VALUE(L"VIRTUALBASS_CutOffFrequency", L"dynamicbass", 100, 400, 200),
    OC_SWITCH(L"Enable_AUDIOBRILLIANT_LFX", L"brilliant"),
    OC_VALUE(L"AUDIOBRILLIANT_LEVEL", L"brilliant", 0, 10, 7),
    OC_SWITCH(L"Enable_VOICECLARITY_LFX", L"voiceclarity"),
    OC_VALUE(L"VOICECLARITY_LEVEL", L"voiceclarity", 0, 10, 7),
    OC_VALUE(L"VOICECLARITY_NOISESUPP_LEVEL", L"voiceclarity", 0, 20, 0),
};

#undef OC_SWITCH
#undef OC_VALUE

} // namespace

const PropertyDef* PropertyTable::Find(const std::wstring& name) {
    static const std::map<std::wstring, const PropertyDef*> index = [] {
        std::map<std::wstring, const PropertyDef*> built;
        for (const auto& def : kProperties)
            built.emplace(def.name, &def);
        return built;
    }();
    auto found = index.find(name);
    return found == index.end() ? nullptr : found->second;
}

const PropertyDef* PropertyTable::Begin() {
    return std::begin(kProperties);
}
const PropertyDef* PropertyTable::End() {
    return std::end(kProperties);
}

} // namespace oc::sim
