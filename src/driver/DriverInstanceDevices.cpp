// Enumeration, the device list and its roles, and the feature answers of the driver access object.
// They arrive with the endpoint work; until then the object enumerates nothing, so it has no endpoint,
// no role and no feature, and every operation answers as it does without a device.

#include "driver/DriverInstance.h"

int32_t CDriverInstance::EnumerateDevices() {
    return 0;
}

void CDriverInstance::BuildDeviceList() {}

int32_t CDriverInstance::RefreshDefaultDevices() {
    return 0;
}

int32_t CDriverInstance::SetDefaultRenderEndpointByName(const std::wstring& /*endpointName*/) {
    return 0;
}

int32_t CDriverInstance::SetDefaultCaptureEndpointByName(const std::wstring& /*endpointName*/) {
    return 0;
}

void CDriverInstance::SetCurrentContent(const std::wstring& /*contentName*/) {}

std::wstring CDriverInstance::GetEndpointContent(const std::wstring& /*endpointName*/) {
    return {};
}

uint32_t CDriverInstance::GetChannelCount(int32_t /*which*/) {
    return 0;
}

int32_t CDriverInstance::IsFeatureSupported(const std::wstring& /*feature*/) {
    return 0;
}
