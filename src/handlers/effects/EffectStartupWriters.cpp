#include "handlers/effects/EffectStartupWriters.h"

#include "handlers/effects/DTSSSHandler.h"
#include "handlers/effects/DolbyHPVSHandler.h"
#include "handlers/effects/EMHandler.h"
#include "handlers/effects/EQHandler.h"
#include "handlers/effects/KaraokeHandler.h"
#include "handlers/effects/MicInBoostHandler.h"
#include "handlers/effects/MicInKaraokeHandler.h"
#include "handlers/effects/MicInSwitchHandlers.h"
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
#include "handlers/endpoint/SettingHandler.h"

namespace {

using DriverWriter = void (*)(IDriverInstance* driver, int32_t endpointCode);

struct WriterRow {
    EffectWriter slot;
    DriverWriter write;
};

// The writers that take the driver object and an endpoint code.
const WriterRow kDriverWriters[] = {
    {EffectWriter::VirtualInitDefaults, &CVirtualHandler::WriteDefaults},
    {EffectWriter::KaraokeInitDefaults, &CKaraokeHandler::InitDefaults},
    {EffectWriter::SettingApplyToDevice, &CSettingHandler::ApplyToDevice},
    {EffectWriter::EMInitDefaults, &CEMHandler::InitDefaults},
    {EffectWriter::SubrouteInitDefaults, &CSubrouteHandler::InitDefaults},
    {EffectWriter::DTSSSInitDefaults, &CDTSSSHandler::WriteDefaults},
    {EffectWriter::DolbyHPVSIsEffectActive, &CDolbyHPVSHandler::WriteDefaults},
    {EffectWriter::VimoSurroundHeadPhoneApplyToDevice, &CVimoSurroundHeadPhoneHandler::WriteDefaults},
    {EffectWriter::SpeakerDTSNeoPCInitDefaults, &CSpeakerDTSNeoPCHandler::WriteDefaults},
    {EffectWriter::SpeakerDolbyPLIIxInitDefaults, &CSpeakerDolbyPLIIxHandler::WriteDefaults},
    {EffectWriter::MicInBeamFormingInitDefaults, &CMicInBeamFormingHandler::InitDefaults},
    {EffectWriter::MicInAECInitDefaults, &CMicInAECHandler::InitDefaults},
    {EffectWriter::MicInENCInitDefaults, &CMicInENCHandler::InitDefaults},
    {EffectWriter::MicInNoiseReductionInitDefaults, &CMicInNoiseReductionHandler::InitDefaults},
    {EffectWriter::MicInBoostInitDefaults, &CMicInBoostHandler::InitDefaults},
    {EffectWriter::VimoSmartVolInitDefaults, &CVimoSmartVolHandler::InitDefaults},
    {EffectWriter::VimoDynamicBassInitDefaults, &CVimoDynamicBassHandler::InitDefaults},
    {EffectWriter::VimoAudioBrilliantInitDefaults, &CVimoAudioBrilliantHandler::InitDefaults},
    {EffectWriter::VimoVoiceClarityInitDefaults, &CVimoVoiceClarityHandler::InitDefaults},
};

// The writers that reach the driver object through the application themselves.
struct EndpointWriterRow {
    EffectWriter slot;
    void (*write)(int32_t endpointCode);
};

const EndpointWriterRow kEndpointWriters[] = {
    {EffectWriter::VimoSurroundSpeakersInitDefaults, &CVimoSurroundSpeakersHandler::InitDefaults},
};

} // namespace

void RegisterEffectStartupWriters(CEffectDefaultWriters& writers, std::function<IDriverInstance*()> driver) {
    RegisterEQDefaultsWriter(writers, driver);
    for (const WriterRow& row : kDriverWriters) {
        writers.Set(row.slot, [write = row.write, driver](int32_t endpointCode) {
            if (IDriverInstance* instance = driver())
                write(instance, endpointCode);
        });
    }
    for (const EndpointWriterRow& row : kEndpointWriters)
        writers.Set(row.slot, row.write);
    writers.SetMicInKaraoke([driver](int32_t endpointCode, int32_t echo, int32_t magicVoice) {
        if (IDriverInstance* instance = driver())
            CMicInKaraokeHandler::InitDefaults(instance, endpointCode, echo, magicVoice);
    });
}
