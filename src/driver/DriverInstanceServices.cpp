// Hardware buttons, the ASIO panel, the test sound, listen-to-device and the start-up effect writers of
// the driver access object. They arrive with the endpoint work; until then each does nothing and reports
// failure, as it would without the library entry point it needs.

#include "driver/DriverInstance.h"

void CDriverInstance::StartHidDevice(oc::driver::HidButtonCallback /*callback*/,
                                     oc::driver::HidReportFunction* /*reportFunction*/) {}

void CDriverInstance::MapButtonToProperty(const oc::driver::ButtonRecord* /*record*/, int32_t* /*endpointCode*/,
                                          uint32_t* /*flow*/, std::wstring* /*name*/) {}

void CDriverInstance::RefreshHidButtons() {}

bool CDriverInstance::PlayTestSound(const std::wstring& /*wavePath*/, int32_t /*channel*/) {
    return false;
}

bool CDriverInstance::StopTestSound() {
    return false;
}

bool CDriverInstance::CloseTestSound() {
    return false;
}

void CDriverInstance::ShowAsioPanel() {}

int32_t CDriverInstance::RunListen(DeviceRecord* /*record*/) {
    return kDriverNoDevice;
}

int32_t CDriverInstance::StopListen(DeviceRecord* /*record*/) {
    return kDriverNoDevice;
}

void CDriverInstance::RestoreListening() {}

void CDriverInstance::StopAllListening(bool /*force*/) {}

bool CDriverInstance::RestartListen(int32_t /*endpointCode*/, bool /*restart*/) {
    return false;
}

void CDriverInstance::ApplyEffectDefaults() {}
