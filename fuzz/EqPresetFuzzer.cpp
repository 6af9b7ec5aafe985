// The equalizer pages' user preset file: whatever bytes it holds, reading keeps what it can, and what it
// kept is written back so that it reads back the same (the pages rewrite the file after every change).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "handlers/effects/EQPresetFormat.h"

namespace {

void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    const oc::eq::UserPresetMap presets = oc::eq::ParsePresets(bytes);
    for (const auto& [name, gains] : presets) {
        Require(!name.empty());
        Require(name.size() <= oc::eq::kMaxNameLength);
        Require(oc::eq::IsStorableName(name));
    }
    // Compared as bytes: a gain may be NaN, which never equals itself.
    const std::vector<std::uint8_t> written = oc::eq::SerializePresets(presets);
    Require(oc::eq::ParsePresets(written).size() == presets.size());
    Require(oc::eq::SerializePresets(oc::eq::ParsePresets(written)) == written);
    return 0;
}
