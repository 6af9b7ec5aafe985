#pragma once
// The skin's own panel markup for the status and device-list tests: the program folder's skin and en-US
// texts through the application's markup controller, and a count of the accent-coloured pixels a control
// shows in a dialog's back buffer.

#include <string>

class CLayerDialog;
class CxSkinCtrl;
class IxSkinObject;

namespace oc::test {

// Loads <skin>/<file> into the panel, whose root element configures it, as an embed fills its own; false
// when the file did not load.
bool LoadSkinPanel(const std::wstring& file, IxSkinObject* panel);
// Gives the dialog the skin's panel surface as its background, so that a picture shows the panel as the main
// window does.
void PaintPanelSurface(CLayerDialog& dialog, int width, int height);
// Pixels of the control's rectangle whose colour is near the skin's accent.
int AccentPixels(const CLayerDialog& dialog, const CxSkinCtrl& control);

} // namespace oc::test
