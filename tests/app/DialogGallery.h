#pragma once
// The gallery of authored windows: a dialog's back buffer saved as a PNG under the build tree, alpha kept
// (the screen of the test display drops it), so a window can be looked at after a test run.

#include <filesystem>
#include <string>

class CLayerDialog;

namespace oc::test {

// <build tree>/gallery, made when missing.
std::filesystem::path GalleryFolder();
// Saves the back buffer as <gallery>/<name>.png; the file, or an empty path when it could not be written.
std::filesystem::path SaveDialogPicture(const CLayerDialog& dialog, const std::wstring& name);

} // namespace oc::test
