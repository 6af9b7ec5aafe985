#include "HidDevice.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

namespace oc::sim {
namespace {

std::wstring Lower(const wchar_t* text) {
    std::wstring lower = text ? text : L"";
    std::transform(lower.begin(), lower.end(), lower.begin(), [](wchar_t c) { return std::towlower(c); });
    return lower;
}

} // namespace

HidDevice::HidDevice(const Scenario& scenario)
    : m_available(scenario.hid && !scenario.buttons.empty() && !scenario.endpoints.empty()),
      m_vendorId(L"0x" + scenario.VendorId()), m_productId(L"0x" + scenario.ProductId()) {
    for (const auto& button : scenario.buttons) {
        oc::driver::ButtonRecord record{};
        record.buttonId = button.id;
        record.endpointCode = button.code;
        record.flow = button.flow;
        record.report = button.report;
        m_records.push_back(record);
    }
}

HidDevice::~HidDevice() {
    Close();
}

int32_t HidDevice::Start(oc::driver::HidButtonCallback callback, const wchar_t* vendorId, const wchar_t* productId) {
    if (!callback)
        return oc::driver::kSimBadArgument;
    if (!m_available || Lower(vendorId) != m_vendorId || Lower(productId) != m_productId)
        return oc::driver::kSimNoDevice;
    Close();
    std::lock_guard lock(m_mutex);
    m_callback = callback;
    m_stopping = false;
    m_presses.clear();
    m_watcher = std::thread([this] { Watch(); });
    return oc::driver::kSimOk;
}

int32_t HidDevice::Close() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_watcher.joinable())
            return oc::driver::kSimOk;
        // From inside a button callback the watcher would have to join itself.
        if (std::this_thread::get_id() == m_watcher.get_id())
            return oc::driver::kSimNotReady;
        m_stopping = true;
    }
    m_wake.notify_all();
    m_watcher.join();
    std::lock_guard lock(m_mutex);
    m_callback = nullptr;
    return oc::driver::kSimOk;
}

int32_t HidDevice::Describe(oc::driver::ButtonRecord* buffer, uint32_t* byteCount) {
    if (!byteCount)
        return oc::driver::kHidNeedBuffer;
    std::lock_guard lock(m_mutex);
    uint32_t needed = static_cast<uint32_t>(m_records.size() * sizeof(oc::driver::ButtonRecord));
    if (!buffer || *byteCount < needed) {
        *byteCount = needed;
        return oc::driver::kHidNeedBuffer;
    }
    for (size_t i = 0; i < m_records.size(); ++i) {
        buffer[i] = m_records[i];
        buffer[i].state = m_reported[m_records[i].buttonId].state;
    }
    *byteCount = needed;
    return oc::driver::kSimOk;
}

int32_t HidDevice::Press(uint32_t buttonId) {
    {
        std::lock_guard lock(m_mutex);
        if (!m_watcher.joinable() || m_stopping)
            return oc::driver::kSimNotReady;
        if (!FindRecord(buttonId))
            return oc::driver::kSimBadArgument;
        m_presses.push_back(buttonId);
    }
    m_wake.notify_all();
    return oc::driver::kSimOk;
}

int32_t HidDevice::Report(const oc::driver::ButtonRecord* record) {
    if (!record)
        return oc::driver::kSimBadArgument;
    std::lock_guard lock(m_mutex);
    oc::driver::ButtonRecord* own = FindRecord(record->buttonId);
    if (!own)
        return oc::driver::kSimBadArgument;
    ReportedState& reported = m_reported[record->buttonId];
    reported.state = record->state;
    reported.count++;
    own->state = record->state; // the device's indicator now shows the state
    return oc::driver::kSimOk;
}

int32_t HidDevice::Reported(uint32_t buttonId, uint32_t* state, uint32_t* reports) const {
    std::lock_guard lock(m_mutex);
    auto found = m_reported.find(buttonId);
    if (state)
        *state = found == m_reported.end() ? 0 : found->second.state;
    if (reports)
        *reports = found == m_reported.end() ? 0 : found->second.count;
    return oc::driver::kSimOk;
}

oc::driver::ButtonRecord* HidDevice::FindRecord(uint32_t buttonId) {
    for (auto& record : m_records) {
        if (record.buttonId == buttonId)
            return &record;
    }
    return nullptr;
}

void HidDevice::Watch() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_presses.empty(); });
        if (m_stopping)
            return;
        uint32_t buttonId = m_presses.front();
        m_presses.pop_front();
        oc::driver::ButtonRecord* record = FindRecord(buttonId);
        oc::driver::HidButtonCallback callback = m_callback;
        // The program toggles a property and reports back from inside the callback: never call it locked.
        lock.unlock();
        if (record && callback)
            callback(record);
        lock.lock();
    }
}

} // namespace oc::sim
