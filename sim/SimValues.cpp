#include "SimValues.h"

#include <cmath>
#include <cstdio>
#include <iterator>

namespace oc::sim {

std::wstring FormatNumber(ValueKind kind, double value) {
    wchar_t text[64];
    if (kind == ValueKind::Float)
        std::swprintf(text, std::size(text), L"%f", value);
    else
        std::swprintf(text, std::size(text), L"%d", static_cast<int>(std::lround(value)));
    return text;
}

const wchar_t* VolumeStorage(Slot slot) {
    return slot == Slot::Analog ? L"AAVolumeControl" : L"VolumeControl";
}

const LevelRange& VolumeRange(const ScenarioEndpoint& config, Slot slot) {
    return slot == Slot::Analog ? config.analogVolume : config.volume;
}

std::wstring ChannelKey(const wchar_t* storage, int32_t channel) {
    return std::wstring(storage) + L"#" + std::to_wstring(channel);
}

std::wstring NameOf(const std::wstring& valueKey) {
    return valueKey.substr(0, valueKey.find(L'#'));
}

} // namespace oc::sim
