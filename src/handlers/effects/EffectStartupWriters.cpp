#include "handlers/effects/EffectStartupWriters.h"

#include "handlers/effects/EQHandler.h"
#include "handlers/effects/VimoAudioBrilliantHandler.h"
#include "handlers/effects/VimoDynamicBassHandler.h"
#include "handlers/effects/VimoSmartVolHandler.h"
#include "handlers/effects/VimoSurroundSpeakersHandler.h"
#include "handlers/effects/VimoVoiceClarityHandler.h"

namespace {

using DriverWriter = void (*)(IDriverInstance* driver, int32_t endpointCode);

struct WriterRow {
    EffectWriter slot;
    DriverWriter write;
};

// The writers that take the driver object and an endpoint code.
const WriterRow kDriverWriters[] = {
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
}
