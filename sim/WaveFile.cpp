#include "WaveFile.h"

#include <cstring>
#include <filesystem>
#include <fstream>

namespace oc::sim {
namespace {

uint32_t ReadU32(const unsigned char* bytes) {
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

uint16_t ReadU16(const unsigned char* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

} // namespace

uint32_t WaveInfo::DurationMs() const {
    if (bytesPerSecond == 0)
        return 0;
    return static_cast<uint32_t>(static_cast<uint64_t>(dataBytes) * 1000 / bytesPerSecond);
}

bool ReadWaveInfo(const std::wstring& path, WaveInfo& info) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file)
        return false;
    unsigned char header[12];
    if (!file.read(reinterpret_cast<char*>(header), sizeof(header)) || std::memcmp(header, "RIFF", 4) != 0 ||
        std::memcmp(header + 8, "WAVE", 4) != 0)
        return false;
    WaveInfo found;
    bool haveFormat = false;
    bool haveData = false;
    unsigned char chunk[8];
    while (!(haveFormat && haveData) && file.read(reinterpret_cast<char*>(chunk), sizeof(chunk))) {
        uint32_t size = ReadU32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16)
                return false;
            unsigned char format[16];
            if (!file.read(reinterpret_cast<char*>(format), sizeof(format)))
                return false;
            found.channels = ReadU16(format + 2);
            found.sampleRate = ReadU32(format + 4);
            found.bytesPerSecond = ReadU32(format + 8);
            haveFormat = found.channels > 0 && found.bytesPerSecond > 0;
            file.seekg(static_cast<std::streamoff>(size - 16 + (size & 1)), std::ios::cur);
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            found.dataBytes = size;
            haveData = true;
            file.seekg(static_cast<std::streamoff>(size) + (size & 1), std::ios::cur);
        } else {
            // Chunks are word-aligned: an odd size is followed by a pad byte.
            file.seekg(static_cast<std::streamoff>(size) + (size & 1), std::ios::cur);
        }
    }
    if (!haveFormat || !haveData)
        return false;
    info = found;
    return true;
}

} // namespace oc::sim
