#pragma once
// The start-up writers of the effect families: each writes its stored state to one endpoint when a device
// comes up. They belong to the endpoint and effect handlers; the driver access object only calls them, so
// the handlers put their writers in here and the driver object never links against them. A slot left
// empty is skipped.

#include <cstdint>
#include <functional>

// One slot per writer, named after the handler operation that fills it.
enum class EffectWriter : int {
    VirtualInitDefaults,                // CVirtualHandler::InitDefaults
    KaraokeInitDefaults,                // CKaraokeHandler::InitDefaults (render endpoints)
    SettingApplyToDevice,               // CSettingHandler::ApplyToDevice
    EQApplyToDevice,                    // CEQHandler::ApplyToDevice
    EMInitDefaults,                     // CEMHandler::InitDefaults
    DTSSSInitDefaults,                  // CDTSSSHandler::InitDefaults
    SpeakerDTSNeoPCInitDefaults,        // CSpeakerDTSNeoPCHandler::InitDefaults
    SpeakerDolbyPLIIxInitDefaults,      // CSpeakerDolbyPLIIxHandler::InitDefaults
    DolbyHPVSIsEffectActive,            // CDolbyHPVSHandler::IsEffectActive
    MicInBeamFormingInitDefaults,       // CMicInBeamFormingHandler::InitDefaults
    MicInAECInitDefaults,               // CMicInAECHandler::InitDefaults
    MicInENCInitDefaults,               // CMicInENCHandler::InitDefaults
    MicInNoiseReductionInitDefaults,    // CMicInNoiseReductionHandler::InitDefaults
    MicInBoostInitDefaults,             // CMicInBoostHandler::InitDefaults
    SubrouteInitDefaults,               // CSubrouteHandler::InitDefaults
    VimoSmartVolInitDefaults,           // CVimoSmartVolHandler::InitDefaults
    VimoDynamicBassInitDefaults,        // CVimoDynamicBassHandler::InitDefaults
    VimoAudioBrilliantInitDefaults,     // CVimoAudioBrilliantHandler::InitDefaults
    VimoVoiceClarityInitDefaults,       // CVimoVoiceClarityHandler::InitDefaults
    VimoSurroundHeadPhoneApplyToDevice, // CVimoSurroundHeadPhoneHandler::ApplyToDevice
    VimoSurroundSpeakersInitDefaults,   // CVimoSurroundSpeakersHandler::InitDefaults
    Count
};

class CEffectDefaultWriters {
public:
    // (endpoint code)
    using EndpointWriter = std::function<void(int32_t endpointCode)>;
    // CMicInKaraokeHandler::InitDefaults: (endpoint code, karaoke answer, magic-voice answer), the two
    // answers being what the feature query gave (nonzero when supported).
    using MicInKaraokeWriter = std::function<void(int32_t endpointCode, int32_t karaoke, int32_t magicVoice)>;

    void Set(EffectWriter slot, EndpointWriter writer);
    void SetMicInKaraoke(MicInKaraokeWriter writer) { m_micInKaraoke = std::move(writer); }

    // Runs the slot's writer when one is set.
    void Call(EffectWriter slot, int32_t endpointCode) const;
    void CallMicInKaraoke(int32_t endpointCode, int32_t karaoke, int32_t magicVoice) const;

private:
    EndpointWriter m_writers[static_cast<int>(EffectWriter::Count)];
    MicInKaraokeWriter m_micInKaraoke;
};
