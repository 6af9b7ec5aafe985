#pragma once
// An equalizer page's user preset file on disk: read whole at once, written through a temporary file that
// then replaces it, and kept hidden.

#include <string>

#include "handlers/effects/EQPresetFormat.h"

namespace oc::eq {

// The presets in the file; none when it is missing or unreadable.
UserPresetMap ReadPresetFile(const std::wstring& path);

// Writes the presets to a temporary file beside the target and moves it over the target, so a failed
// write leaves the old file whole; the file then carries the hidden attribute. An old file that did not
// read whole (damaged, cut short) is first kept beside (path + ".bad", or the next free ".badN"); one that
// cannot be read at all is never replaced. False when the file could not be replaced.
bool WritePresetFile(const std::wstring& path, const UserPresetMap& presets);

} // namespace oc::eq
