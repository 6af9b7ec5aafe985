#pragma once
// How the simulated device keys and prints its stored values: a value key is "<name>" or
// "<name>#<qualifier>", and a volume keeps one value per channel under its storage name.
#include "PropertyTable.h"
#include "Scenario.h"

#include <cstdint>
#include <string>

namespace oc::sim {

std::wstring FormatNumber(ValueKind kind, double value);
// Where the volume of a slot is stored (analog volume apart from the digital one), and its range.
const wchar_t* VolumeStorage(Slot slot);
const LevelRange& VolumeRange(const ScenarioEndpoint& config, Slot slot);
// The key of one channel's value (-1: the master channel).
std::wstring ChannelKey(const wchar_t* storage, int32_t channel);
// The property name of a value key.
std::wstring NameOf(const std::wstring& valueKey);

} // namespace oc::sim
