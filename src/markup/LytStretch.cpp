#include "markup/LytStretch.h"

#include <string_view>
#include <utility>

namespace {

constexpr std::pair<std::wstring_view, SkinStretchMode> kStretchModes[] = {
    {L"None", kStretchNone},
    {L"Uniform", kStretchUniform},
    {L"UniformToFill", kStretchUniformFill},
};

} // namespace

std::optional<SkinStretchMode> LytStretchMode(const std::wstring& name) {
    for (const auto& [text, mode] : kStretchModes) {
        if (name == text)
            return mode;
    }
    return std::nullopt;
}
