#pragma once
// What the profile strip's apply walk and its matching agree on: when two float settings count as equal,
// and which endpoint an "Endpoint" element of a settings document names.

#include <cmath>
#include <cstdint>
#include <string>

#include "driver/EndpointCodes.h"

namespace profile_rules {

// Float settings are equal when they differ by strictly less than this.
inline constexpr float kFloatTolerance = 0.03f;

inline bool IsNearlyEqual(float a, float b) {
    return std::fabs(a - b) < kFloatTolerance;
}

// The code of the device-kind row whose name and flow are exactly the element's; `none` when no row is.
inline int32_t IdentifyEndpoint(const std::wstring& name, const std::wstring& flow, int32_t none) {
    for (const DeviceKindRow& row : g_DeviceKindTable)
        if (name == row.name && flow == row.flow)
            return row.code;
    return none;
}

} // namespace profile_rules
