// The exports of the stand-in PLHID_X64.dll: the HID library's four entry points, the report function the
// program calls back, and a control surface ("Sim...") for tests and the sysTuneLib control pipe. The button
// set comes from the same scenario as the driver library's device.
#include "HidDevice.h"
#include "Scenario.h"

#include "driver/DriverLibraryAbi.h"

#include <mutex>

using namespace oc::driver;
using oc::sim::HidDevice;

namespace {

// Made on first use, not in DllMain, and never destroyed at unload (the loader lock forbids joining the
// watcher there; CloseDevice joins it).
std::mutex g_mutex;
HidDevice* g_device = nullptr;

HidDevice& Device() {
    std::lock_guard lock(g_mutex);
    if (!g_device) {
        // The scenarios sit beside the driver library: Driver\x64\vista\scenarios from Driver\PLHID.
        std::wstring folder = oc::sim::ModuleFolder() + L"..\\x64\\vista\\scenarios\\";
        g_device = new HidDevice(oc::sim::Scenario::Load(oc::sim::ResolveScenarioPath(folder)));
    }
    return *g_device;
}

int32_t ReportState(ButtonRecord* record, int32_t) {
    return Device().Report(record);
}

} // namespace

extern "C" {

int32_t StartDevice(HidButtonCallback callback, const wchar_t* vendorId, const wchar_t* productId) {
    return Device().Start(callback, vendorId, productId);
}

int32_t CloseDevice() {
    return Device().Close();
}

int32_t GetButtonDescription(ButtonRecord* buffer, uint32_t* byteCount) {
    return Device().Describe(buffer, byteCount);
}

int32_t GetCallBack(HidReportFunction* reportFunction) {
    if (!reportFunction)
        return kSimBadArgument;
    *reportFunction = &ReportState;
    return kSimOk;
}

int32_t SimHidPress(uint32_t buttonId) {
    return Device().Press(buttonId);
}

int32_t SimHidReported(uint32_t buttonId, uint32_t* state, uint32_t* reports) {
    return Device().Reported(buttonId, state, reports);
}

} // extern "C"
