#pragma once
// One endpoint the driver library reported and the program accepted. The device list owns the records;
// the role pointers (current, default render, ...) only point into it.

#include <cstdint>
#include <string>

#include "driver/DriverLibraryAbi.h"

struct DeviceRecord {
    // Filled by the library and handed back on every device call; the program keeps its own flow and
    // code in it (a capture SPDIF endpoint is stored as SPDIFIn).
    oc::driver::DeviceKey key{};
    std::wstring deviceId;
    uint32_t featureWords[3] = {};
    uint32_t dolbyDigitalLive = 0;
    uint32_t dtsInteractive = 0;
    uint32_t surround71 = 0;
    uint32_t hardwareEq = 0;
    uint32_t boost = 0;
    uint32_t agc = 0;
    std::wstring contentName;
    uint32_t channelCount = 0; // 0 until probed

    int32_t Code() const { return key.code; }
    uint32_t Flow() const { return key.flow; }
    uint32_t Kind() const { return key.kind; }
};
