#include "driver/EffectDefaultWriters.h"

void CEffectDefaultWriters::Set(EffectWriter slot, EndpointWriter writer) {
    const int index = static_cast<int>(slot);
    if (index >= 0 && index < static_cast<int>(EffectWriter::Count))
        m_writers[index] = std::move(writer);
}

void CEffectDefaultWriters::Call(EffectWriter slot, int32_t endpointCode) const {
    const int index = static_cast<int>(slot);
    if (index >= 0 && index < static_cast<int>(EffectWriter::Count) && m_writers[index])
        m_writers[index](endpointCode);
}

void CEffectDefaultWriters::CallMicInKaraoke(int32_t endpointCode, int32_t karaoke, int32_t magicVoice) const {
    if (m_micInKaraoke)
        m_micInKaraoke(endpointCode, karaoke, magicVoice);
}
