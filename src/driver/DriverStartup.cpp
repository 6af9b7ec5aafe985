#include "driver/DriverStartup.h"

#include "driver/DriverInstance.h"

DriverDeviceState OpenDriverDevice(const DriverEnvironment& environment, IDriverInstance** driver) {
    IDriverInstance* instance = CDriverInstance::CreateInstance(environment);
    if (driver)
        *driver = instance;
    if (!instance)
        return DriverDeviceState::Missing;
    if (instance->Initialize())
        return DriverDeviceState::Ready;
    return instance->HasOnlyPartlySupportedDevice() ? DriverDeviceState::JackEmpty : DriverDeviceState::Missing;
}
