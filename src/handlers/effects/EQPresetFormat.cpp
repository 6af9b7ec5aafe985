#include "handlers/effects/EQPresetFormat.h"

#include <algorithm>
#include <cstring>

namespace oc::eq {

namespace {

constexpr size_t kGainBytes = sizeof(float) * kBandCount;

// Reads little-endian fields off the data without ever passing its end.
class ByteReader {
public:
    explicit ByteReader(const std::vector<uint8_t>& data)
        : m_data(data), m_end(data.size()) {}

    bool Has(size_t count) const { return m_end - m_pos >= count; }
    uint32_t U32() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= static_cast<uint32_t>(m_data[m_pos + i]) << (8 * i);
        m_pos += 4;
        return value;
    }
    uint16_t U16() {
        const uint16_t value = static_cast<uint16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
        m_pos += 2;
        return value;
    }
    float F32() {
        const uint32_t bits = U32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    const std::vector<uint8_t>& m_data;
    size_t m_end;
    size_t m_pos = 0;
};

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

} // namespace

bool IsStorableName(const std::wstring& name) {
    if (name.empty() || name.size() > kMaxNameLength)
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](wchar_t unit) { return unit != 0 && (static_cast<uint64_t>(unit) >> 16) == 0; });
}

UserPresetMap ParsePresets(const std::vector<uint8_t>& data) {
    UserPresetMap presets;
    ByteReader reader(data);
    while (reader.Has(4)) {
        const uint32_t length = reader.U32();
        if (length == 0 || length > kMaxNameLength || !reader.Has(2 * size_t{length} + kGainBytes))
            break;
        std::wstring name;
        bool ended = false;
        for (uint32_t i = 0; i < length; ++i) {
            const wchar_t unit = static_cast<wchar_t>(reader.U16());
            ended = ended || unit == 0;
            if (!ended)
                name.push_back(unit);
        }
        BandGains gains;
        for (float& gain : gains)
            gain = reader.F32();
        if (!name.empty())
            presets.emplace(std::move(name), gains);
    }
    return presets;
}

std::vector<uint8_t> SerializePresets(const UserPresetMap& presets) {
    std::vector<uint8_t> out;
    for (const auto& [name, gains] : presets) {
        if (!IsStorableName(name))
            continue;
        PutU32(out, static_cast<uint32_t>(name.size()));
        for (wchar_t unit : name) {
            out.push_back(static_cast<uint8_t>(unit & 0xFF));
            out.push_back(static_cast<uint8_t>((unit >> 8) & 0xFF));
        }
        for (float gain : gains) {
            uint32_t bits;
            std::memcpy(&bits, &gain, sizeof bits);
            PutU32(out, bits);
        }
    }
    return out;
}

} // namespace oc::eq
