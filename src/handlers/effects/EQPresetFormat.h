#pragma once
// The byte layout of an equalizer page's user preset file, apart from any file system: a packed,
// little-endian run of records {uint32 name length in UTF-16 units; the name in UTF-16LE; ten float32
// band gains}, ended by the end of the data or by a record whose length is 0. Names hold UTF-16 code
// units in wchar_t on every platform, so the map sorts the same way everywhere.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace oc::eq {

constexpr int kBandCount = 10;
// The reader's name buffer holds 256 units with a terminating NUL.
constexpr uint32_t kMaxNameLength = 255;

using BandGains = std::array<float, kBandCount>;
// Sorted by plain code-unit comparison, one entry per name.
using UserPresetMap = std::map<std::wstring, BandGains>;

// The presets of the data, in one pass whatever its size. Reading stops, keeping what came before, at a
// length of 0, at a length above kMaxNameLength, and at a record cut short by the end of the data. A name ends at
// its first NUL unit; a record whose name is then empty is skipped (it could not be written back without
// ending the list). The first record of a name wins.
UserPresetMap ParsePresets(const std::vector<uint8_t>& data);

// The records of the map in name order. Entries that could not be read back (an empty name, or one
// longer than kMaxNameLength) are left out.
std::vector<uint8_t> SerializePresets(const UserPresetMap& presets);

// True when the name can be stored and read back unchanged.
bool IsStorableName(const std::wstring& name);

} // namespace oc::eq
