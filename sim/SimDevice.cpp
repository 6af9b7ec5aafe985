// The device itself: its endpoints, the device list, the output terminal and default endpoints, the test
// sound and listening, and its events and log. The property calls, the control surface and the state file
// each have their own file.
#include "SimDevice.h"

#include "WaveFile.h"

#include <windows.h>

#include <algorithm>

namespace oc::sim {

using oc::driver::DeviceKey;

namespace {

constexpr size_t kCallLogLimit = 4000;
constexpr std::chrono::milliseconds kArrivalDelay{300};

} // namespace

// ---------------------------------------------------------------------------------------------------------
DeviceKey SimEndpoint::Key() const {
    return DeviceKey{id, config.code, config.flow, config.kind};
}

bool SimEndpoint::Supports(const PropertyDef& def) const {
    if (config.unsupported.count(def.name))
        return false;
    return def.group == std::wstring(kCoreGroup) || config.groups.count(def.group) > 0;
}

// ---------------------------------------------------------------------------------------------------------
SimDevice::SimDevice(Scenario scenario, std::wstring statePath, EventSink events, TimerSink timers)
    : m_scenario(std::move(scenario)), m_statePath(std::move(statePath)), m_events(std::move(events)),
      m_timers(std::move(timers)) {
    m_terminal = m_scenario.terminal;
    m_createListFails = m_scenario.createListFails;
    uint32_t nextId = 1;
    for (const auto& config : m_scenario.endpoints) {
        SimEndpoint endpoint;
        endpoint.config = config;
        endpoint.id = nextId++;
        endpoint.present = config.present;
        endpoint.failing = config.failing;
        FillInitialValues(endpoint);
        m_endpoints.push_back(std::move(endpoint));
    }
    for (const auto& error : m_scenario.errors)
        Complain(L"scenario " + m_scenario.path + L": " + error);
    for (const auto& endpoint : m_endpoints) {
        if (endpoint.config.isDefault)
            m_defaultId[endpoint.config.flow] = endpoint.id;
    }
    // The saved state wins over the scenario's starting point: it is what the user last set.
    LoadState();
    SelectTerminal(m_terminal);
    ChooseDefaults();
    m_dirty = false;
    for (const auto& endpoint : m_endpoints) {
        if (endpoint.present)
            m_list[endpoint.config.flow].push_back(endpoint.id);
    }
}

SimEndpoint* SimDevice::FindById(uint32_t id) {
    for (auto& endpoint : m_endpoints) {
        if (endpoint.id == id)
            return &endpoint;
    }
    return nullptr;
}

SimEndpoint* SimDevice::FindByName(const std::wstring& name) {
    for (auto& endpoint : m_endpoints) {
        if (endpoint.config.name == name)
            return &endpoint;
    }
    return nullptr;
}

const SimEndpoint* SimDevice::FindByName(const std::wstring& name) const {
    return const_cast<SimDevice*>(this)->FindByName(name);
}

// ---------------------------------------------------------------------------------------------------------
// Enumeration

int32_t SimDevice::CreateDeviceList() {
    std::lock_guard lock(m_mutex);
    if (m_createListFails) {
        LogLocked(L"CreateDeviceList -> " + std::to_wstring(oc::driver::kSimInjectedFailure));
        return oc::driver::kSimInjectedFailure;
    }
    // Ids belong to endpoints, not to list positions: an endpoint keeps its id across rebuilds.
    for (auto& list : m_list)
        list.clear();
    for (const auto& endpoint : m_endpoints) {
        if (endpoint.present)
            m_list[endpoint.config.flow].push_back(endpoint.id);
    }
    LogLocked(L"CreateDeviceList render=" + std::to_wstring(m_list[0].size()) + L" capture=" +
              std::to_wstring(m_list[1].size()) + L" -> 0");
    return oc::driver::kSimOk;
}

int32_t SimDevice::GetDeviceCount(uint32_t flow, int32_t* count) {
    std::lock_guard lock(m_mutex);
    if (!count) {
        LogLocked(L"GetDeviceCount without a count place");
        return oc::driver::kSimBadArgument;
    }
    *count = flow <= 1 ? static_cast<int32_t>(m_list[flow].size()) : 0;
    LogLocked(L"GetDeviceCount flow=" + std::to_wstring(flow) + L" count=" + std::to_wstring(*count));
    return flow <= 1 ? oc::driver::kSimOk : oc::driver::kSimBadArgument;
}

int32_t SimDevice::GetDeviceById(uint32_t flow, uint32_t index, DeviceKey* record) {
    std::lock_guard lock(m_mutex);
    std::wstring what = L"GetDeviceById flow=" + std::to_wstring(flow) + L" index=" + std::to_wstring(index);
    if (!record || flow > 1 || index >= m_list[flow].size()) {
        LogLocked(what + L" -> " + std::to_wstring(oc::driver::kSimBadArgument));
        return oc::driver::kSimBadArgument;
    }
    const SimEndpoint* endpoint = FindById(m_list[flow][index]);
    *record = endpoint->Key();
    LogLocked(what + L" " + endpoint->config.name + L" -> 0");
    return oc::driver::kSimOk;
}

// ---------------------------------------------------------------------------------------------------------
// Output terminal and default endpoints

// Endpoints on the analog jack are present only while their terminal is selected; choosing another
// terminal makes its endpoint the default render endpoint and is announced as a device arrival shortly
// after, the way the system reports a jack change.
void SimDevice::SelectTerminal(int32_t terminal) {
    bool changed = terminal != m_terminal;
    m_terminal = terminal;
    bool jackTerminal = std::any_of(m_endpoints.begin(), m_endpoints.end(), [&](const SimEndpoint& e) {
        return e.config.jack && e.config.terminal == terminal;
    });
    for (auto& endpoint : m_endpoints) {
        if (!endpoint.config.jack || !jackTerminal)
            continue;
        bool present = endpoint.config.terminal == terminal;
        if (present == endpoint.present)
            continue;
        endpoint.present = present;
        if (!present && changed)
            AnnounceDevice(&endpoint, oc::driver::kFlagsUnplugged);
    }
    SimEndpoint* target = nullptr;
    for (auto& endpoint : m_endpoints) {
        if (endpoint.present && endpoint.config.flow == oc::driver::kFlowRender && endpoint.config.terminal == terminal)
            target = &endpoint;
    }
    if (target && changed) {
        m_defaultId[oc::driver::kFlowRender] = target->id;
        AnnounceDevice(target, oc::driver::kFlagsArrival, kArrivalDelay);
    }
    ChooseDefaults();
}

void SimDevice::ChooseDefaults() {
    for (uint32_t flow = 0; flow <= 1; ++flow) {
        const SimEndpoint* current = FindById(m_defaultId[flow]);
        if (current && current->present)
            continue;
        m_defaultId[flow] = 0;
        for (const auto& endpoint : m_endpoints) {
            if (endpoint.present && endpoint.config.flow == flow && endpoint.config.kind == 1) {
                m_defaultId[flow] = endpoint.id;
                break;
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------------------
// Test sound and listening

int32_t SimDevice::PlayTestSound(const wchar_t* path, uint32_t channelMask, const DeviceKey* key) {
    std::lock_guard lock(m_mutex);
    std::wstring what = std::wstring(L"PlayTestSound ") + (path ? path : L"(null)") + L" mask=" +
                        std::to_wstring(channelMask) + L" on " + DescribeKey(key);
    const SimEndpoint* endpoint = key ? FindById(key->id) : nullptr;
    int32_t result = oc::driver::kSimOk;
    WaveInfo wave;
    if (!path || channelMask == 0)
        result = oc::driver::kSimBadArgument;
    else if (!endpoint || !endpoint->present || endpoint->config.flow != oc::driver::kFlowRender)
        result = oc::driver::kSimNoDevice;
    else if (!ReadWaveInfo(path, wave))
        result = oc::driver::kSimBadFile;
    if (result != oc::driver::kSimOk) {
        LogLocked(what + L" -> " + std::to_wstring(result));
        return result;
    }
    // A new wave replaces the one before without an end notice: the program closes before it plays.
    m_sound.open = true;
    m_sound.playing = true;
    m_sound.path = path;
    m_sound.channelMask = channelMask;
    m_sound.endpointId = endpoint->id;
    m_sound.durationMs = wave.DurationMs();
    m_sound.serial++;
    m_sound.plays++;
    unsigned serial = m_sound.serial;
    m_timers([this, serial] { EndSound(serial); }, std::chrono::milliseconds(m_sound.durationMs));
    LogLocked(what + L" duration=" + std::to_wstring(m_sound.durationMs) + L" -> 0");
    return oc::driver::kSimOk;
}

void SimDevice::EndSound(unsigned serial) {
    std::lock_guard lock(m_mutex);
    if (!m_sound.playing || m_sound.serial != serial)
        return;
    m_sound.playing = false;
    m_sound.endEvents++;
    const SimEndpoint* endpoint = FindById(m_sound.endpointId);
    LogLocked(L"test sound ended: " + m_sound.path);
    m_events(oc::driver::kEventTestSoundEnd, 0, endpoint ? std::optional(endpoint->Key()) : std::nullopt, {});
}

// Stopping a playing wave ends it: one end notice, as if it had played to its end.
int32_t SimDevice::StopTestSound() {
    std::lock_guard lock(m_mutex);
    bool wasPlaying = m_sound.playing;
    if (wasPlaying) {
        m_sound.playing = false;
        m_sound.endEvents++;
        const SimEndpoint* endpoint = FindById(m_sound.endpointId);
        m_events(oc::driver::kEventTestSoundEnd, 0, endpoint ? std::optional(endpoint->Key()) : std::nullopt, {});
    }
    LogLocked(std::wstring(L"StopTestSound") + (wasPlaying ? L" (was playing)" : L"") + L" -> 0");
    return oc::driver::kSimOk;
}

int32_t SimDevice::CloseTestSound() {
    std::lock_guard lock(m_mutex);
    m_sound.playing = false;
    m_sound.open = false;
    LogLocked(L"CloseTestSound -> 0");
    return oc::driver::kSimOk;
}

int32_t SimDevice::Listen(const DeviceKey* key, bool run) {
    std::lock_guard lock(m_mutex);
    std::wstring what = std::wstring(run ? L"RunListen2Device" : L"StopListen2Device") + L" on " + DescribeKey(key);
    SimEndpoint* endpoint = key ? FindById(key->id) : nullptr;
    int32_t result = oc::driver::kSimOk;
    if (!endpoint || !endpoint->present)
        result = oc::driver::kSimNoDevice;
    else if (endpoint->config.flow != oc::driver::kFlowCapture)
        result = oc::driver::kSimNotSupported;
    else
        endpoint->listening = run;
    LogLocked(what + L" -> " + std::to_wstring(result));
    return result;
}

// ---------------------------------------------------------------------------------------------------------
// Events and log

void SimDevice::Announce(const SimEndpoint& endpoint, const PropertyDef& def, std::chrono::milliseconds delay) {
    uint32_t flags = def.event == oc::driver::kEventDevice ? uint32_t{oc::driver::kFlagsStateChanged} : 0u;
    m_events(def.event, flags, endpoint.Key(), delay);
}

void SimDevice::AnnounceDevice(const SimEndpoint* endpoint, uint32_t flags, std::chrono::milliseconds delay) {
    m_events(oc::driver::kEventDevice, flags, endpoint ? std::optional(endpoint->Key()) : std::nullopt, delay);
}

std::wstring SimDevice::DescribeKey(const DeviceKey* key) const {
    if (!key)
        return L"(no key)";
    if (key->id == 0)
        return L"(device)";
    for (const auto& endpoint : m_endpoints) {
        if (endpoint.id == key->id)
            return endpoint.config.name;
    }
    return L"#" + std::to_wstring(key->id);
}

void SimDevice::Log(const std::wstring& entry) {
    std::lock_guard lock(m_mutex);
    LogLocked(entry);
}

void SimDevice::LogLocked(const std::wstring& entry) {
    m_callLog.push_back(entry);
    ++m_callCount;
    if (m_callLog.size() > kCallLogLimit)
        m_callLog.pop_front();
}

// A call the real driver would never see means a fault in the program: say so where a developer looks.
void SimDevice::Complain(const std::wstring& text) {
    std::wstring line = L"sysTuneLib (simulated): ERROR " + text;
    OutputDebugStringW((line + L"\n").c_str());
    LogLocked(L"ERROR " + text);
}

} // namespace oc::sim
