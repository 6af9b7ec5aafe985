#pragma once
// The report-function variable the main window owns. The HID library fills it while its own thread may
// already answer a button press with a call through it, so it is only ever written and read whole.
#include <atomic>

#include "driver/DriverLibraryAbi.h"

namespace oc::driver {

inline HidReportFunction LoadReportFunction(HidReportFunction* variable) {
    return std::atomic_ref(*variable).load();
}

inline void StoreReportFunction(HidReportFunction* variable, HidReportFunction function) {
    std::atomic_ref(*variable).store(function);
}

} // namespace oc::driver
