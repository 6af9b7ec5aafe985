#pragma once
// The start-up and shutdown steps that belong to other parts of the program: the language strings,
// the markup controller, the driver object and its device check, the device messages and the main
// dialog. Each part fills its stages in as it joins the program; a stage left empty is skipped, except
// the device check, whose absence counts as "no device" (there is no driver object to ask).
#include <functional>

class COvercoatApp;

enum class DeviceCheck {
    Ready,     // the driver object opened a device
    Missing,   // no device: the device-missing message
    JackEmpty, // a device that is only partly usable: the jack-empty message
};

struct StartupStages {
    // Loads the language strings for the culture of the settings; false ends start-up with
    // "Failed to find language resource!".
    std::function<bool(COvercoatApp&)> loadLanguage;
    std::function<void(COvercoatApp&)> createMarkupController;
    // Creates the driver object, initialises the library and opens the device.
    std::function<DeviceCheck(COvercoatApp&)> openDevice;
    // Shows the device-missing or jack-empty message (without a parent).
    std::function<void(COvercoatApp&, DeviceCheck)> showDeviceMessage;
    // Runs the main dialog modally; start-up ends when it returns.
    std::function<void(COvercoatApp&)> runMainDialog;
    // Shutdown, in this order, each safe to run when its object was never made.
    std::function<void(COvercoatApp&)> releaseMarkupController;
    std::function<void(COvercoatApp&)> releaseProfileController;
    std::function<void(COvercoatApp&)> releaseDriver;
};
