#pragma once
// Reads just enough of a RIFF/WAVE file to know how long it plays: the simulated device plays nothing,
// but it ends a test sound when a real one would.
#include <cstdint>
#include <string>

namespace oc::sim {

struct WaveInfo {
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t bytesPerSecond = 0;
    uint32_t dataBytes = 0;

    uint32_t DurationMs() const;
};

// False for a missing file, a file that is not RIFF/WAVE, or one without "fmt " and "data" chunks.
bool ReadWaveInfo(const std::wstring& path, WaveInfo& info);

} // namespace oc::sim
