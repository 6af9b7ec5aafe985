#pragma once
// The device check of start-up: makes the process's driver access object and asks it for a device.

#include "driver/DriverEnvironment.h"
#include "driver/IDriverInstance.h"

enum class DriverDeviceState {
    Ready,     // at least one fully supported endpoint
    Missing,   // no device, or no usable driver library
    JackEmpty, // the device is there, but its only endpoint is partly supported: nothing is plugged in
};

// Creates (or takes) the driver object, stores it in *driver and initialises it. The object is kept in
// every case: with "/d" the program goes on without a device and waits for one to arrive.
DriverDeviceState OpenDriverDevice(const DriverEnvironment& environment, IDriverInstance** driver);
