#pragma once
// The simulated device's hardware buttons behind the stand-in PLHID: the button records, a watcher thread
// that delivers presses to the program's callback, and the state the program reports back. The watcher
// starts in Start (StartDevice) and is joined in Close (CloseDevice); no callback runs after Close returns.
#include "Scenario.h"
#include "driver/DriverLibraryAbi.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace oc::sim {

class HidDevice {
public:
    explicit HidDevice(const Scenario& scenario);
    ~HidDevice();
    HidDevice(const HidDevice&) = delete;
    HidDevice& operator=(const HidDevice&) = delete;

    // Texts as the program makes them ("0X0D8C"); case does not matter. Nonzero when they do not name
    // this device or it has no buttons to watch.
    int32_t Start(oc::driver::HidButtonCallback callback, const wchar_t* vendorId, const wchar_t* productId);
    int32_t Close();
    int32_t Describe(oc::driver::ButtonRecord* buffer, uint32_t* byteCount);

    // Control surface: a press of a button, and what the program reported for it.
    int32_t Press(uint32_t buttonId);
    int32_t Report(const oc::driver::ButtonRecord* record);
    int32_t Reported(uint32_t buttonId, uint32_t* state, uint32_t* reports) const;

private:
    struct ReportedState {
        uint32_t state = 0;
        uint32_t count = 0;
    };

    void Watch();
    oc::driver::ButtonRecord* FindRecord(uint32_t buttonId);

    bool m_available;
    std::wstring m_vendorId;  // "0x0d8c"
    std::wstring m_productId; // "0x0014"
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<oc::driver::ButtonRecord> m_records; // handed to the callback; never resized while watching
    std::map<uint32_t, ReportedState> m_reported;
    std::deque<uint32_t> m_presses;
    oc::driver::HidButtonCallback m_callback = nullptr;
    bool m_stopping = false;
    std::thread m_watcher;
};

} // namespace oc::sim
