#include "skin/PngFile.h"

#include <array>
#include <cstring>

namespace {

constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr double kInchesPerMetre = 0.0254;

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

std::uint32_t BigEndian32(const unsigned char* at) {
    return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) | (std::uint32_t{at[2]} << 8) | at[3];
}

bool IsType(const unsigned char* type, const char (&name)[5]) {
    return std::memcmp(type, name, 4) == 0;
}

// Where the walk stands in the order a PNG needs: IHDR, anything, one run of IDAT, anything, IEND.
enum class Stage { Start, BeforeData, InData, AfterData };

} // namespace

std::uint32_t PngCrc32(const unsigned char* bytes, std::size_t size, std::uint32_t crc) {
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i)
        crc = kCrcTable[(crc ^ bytes[i]) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

PngCheck CheckPng(const unsigned char* bytes, std::size_t size, PngHeader& header) {
    if (!bytes || size < sizeof(kSignature) || std::memcmp(bytes, kSignature, sizeof(kSignature)) != 0)
        return PngCheck::NotPng;
    PngHeader read;
    bool placed = false;
    Stage stage = Stage::Start;
    for (std::size_t at = sizeof(kSignature);;) {
        // Length, type, data and CRC must all be there.
        if (size - at < 12)
            return PngCheck::Damaged;
        const std::size_t length = BigEndian32(&bytes[at]);
        const unsigned char* type = &bytes[at + 4];
        const std::size_t data = at + 8;
        if (length > size - data - 4)
            return PngCheck::Damaged;
        if (PngCrc32(type, 4 + length) != BigEndian32(&bytes[data + length]))
            return PngCheck::Damaged;
        at = data + length + 4;
        if (stage == Stage::Start) {
            if (!IsType(type, "IHDR") || length != 13)
                return PngCheck::Damaged;
            read.width = BigEndian32(&bytes[data]);
            read.height = BigEndian32(&bytes[data + 4]);
            if (read.width == 0 || read.height == 0)
                return PngCheck::Damaged;
            stage = Stage::BeforeData;
        } else if (IsType(type, "IDAT")) {
            if (stage == Stage::AfterData) // the image data is one run of chunks
                return PngCheck::Damaged;
            stage = Stage::InData;
        } else if (IsType(type, "IEND")) {
            if (stage != Stage::InData && stage != Stage::AfterData)
                return PngCheck::Damaged;
            break; // what follows the end is no part of the picture
        } else if (IsType(type, "IHDR")) {
            return PngCheck::Damaged;
        } else {
            if (stage == Stage::InData)
                stage = Stage::AfterData;
            // The decoders take the first physical size before the image data and ignore the others.
            if (IsType(type, "pHYs") && stage == Stage::BeforeData && !placed) {
                placed = true;
                const std::uint32_t perMetreX = length == 9 ? BigEndian32(&bytes[data]) : 0;
                const std::uint32_t perMetreY = length == 9 ? BigEndian32(&bytes[data + 4]) : 0;
                if (perMetreX && perMetreY && bytes[data + 8] == 1) {
                    read.dpiX = static_cast<float>(perMetreX * kInchesPerMetre);
                    read.dpiY = static_cast<float>(perMetreY * kInchesPerMetre);
                }
            }
        }
    }
    header = read;
    return PngCheck::Good;
}
