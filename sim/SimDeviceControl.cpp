// The simulated device's control surface: what tests and the control pipe change and read on it (presence,
// raw values, injected failures, the virtual-surround effect) and the texts they check.
#include "SimDevice.h"

#include "SimValues.h"

#include <regex>

namespace oc::sim {

int32_t SimDevice::SetPresent(const std::wstring& name, bool present) {
    std::lock_guard lock(m_mutex);
    SimEndpoint* endpoint = FindByName(name);
    if (!endpoint)
        return oc::driver::kSimNoDevice;
    if (endpoint->present == present)
        return oc::driver::kSimOk;
    endpoint->present = present;
    if (!present)
        endpoint->listening = false;
    ChooseDefaults();
    LogLocked(L"control: " + name + (present ? L" plugged in" : L" unplugged"));
    uint32_t flags = oc::driver::kFlagsUnplugged;
    if (present) {
        bool becameDefault = m_defaultId[endpoint->config.flow] == endpoint->id;
        flags = becameDefault ? oc::driver::kFlagsArrivalDefault : oc::driver::kFlagsArrival;
    }
    AnnounceDevice(endpoint, flags);
    return oc::driver::kSimOk;
}

// Sets a stored value as the hardware would (a knob, another program) and announces the change.
int32_t SimDevice::SetRawValue(const std::wstring& name, const std::wstring& valueKey, double value) {
    std::lock_guard lock(m_mutex);
    SimEndpoint* endpoint = FindByName(name);
    if (!endpoint)
        return oc::driver::kSimNoDevice;
    const PropertyDef* def = PropertyTable::Find(NameOf(valueKey));
    if (!def)
        return oc::driver::kSimUnknownName;
    if (!endpoint->Supports(*def))
        return oc::driver::kSimNotSupported;
    switch (def->behaviour) {
    case Behaviour::OutputTerminal:
        SelectTerminal(static_cast<int32_t>(value));
        break;
    case Behaviour::DefaultDevice:
        if (value != 0)
            m_defaultId[endpoint->config.flow] = endpoint->id;
        AnnounceDevice(endpoint, oc::driver::kFlagsStateChanged);
        break;
    case Behaviour::VolumeScalar: {
        size_t hash = valueKey.find(L'#');
        int32_t channel = hash == std::wstring::npos ? -1 : std::stoi(valueKey.substr(hash + 1));
        const LevelRange& range = VolumeRange(endpoint->config, def->slot);
        endpoint->values[ChannelKey(VolumeStorage(def->slot), channel)] = range.min + value * (range.max - range.min);
        Announce(*endpoint, *def);
        break;
    }
    case Behaviour::Volume:
        endpoint
            ->values[valueKey.find(L'#') == std::wstring::npos ? ChannelKey(VolumeStorage(def->slot), -1) : valueKey] =
            value;
        Announce(*endpoint, *def);
        break;
    default:
        endpoint->values[valueKey] = value;
        Announce(*endpoint, *def);
        break;
    }
    MarkDirty();
    LogLocked(L"control: set " + name + L" " + valueKey + L" = " + FormatNumber(ValueKind::Float, value));
    return oc::driver::kSimOk;
}

int32_t SimDevice::GetRawValue(const std::wstring& name, const std::wstring& valueKey, double& value) {
    std::lock_guard lock(m_mutex);
    const SimEndpoint* endpoint = FindByName(name);
    if (!endpoint)
        return oc::driver::kSimNoDevice;
    const PropertyDef* def = PropertyTable::Find(NameOf(valueKey));
    if (!def)
        return oc::driver::kSimUnknownName;
    if (def->behaviour == Behaviour::OutputTerminal) {
        value = m_terminal;
        return oc::driver::kSimOk;
    }
    if (def->behaviour == Behaviour::DefaultDevice) {
        value = m_defaultId[endpoint->config.flow] == endpoint->id ? 1 : 0;
        return oc::driver::kSimOk;
    }
    std::wstring storage = valueKey;
    if (def->behaviour == Behaviour::Volume && valueKey.find(L'#') == std::wstring::npos)
        storage = ChannelKey(VolumeStorage(def->slot), -1);
    auto found = endpoint->values.find(storage);
    if (found == endpoint->values.end())
        return oc::driver::kSimNotReady;
    value = found->second;
    return oc::driver::kSimOk;
}

int32_t SimDevice::SetFailing(const std::wstring& name, const std::wstring& property, bool failing) {
    std::lock_guard lock(m_mutex);
    SimEndpoint* endpoint = FindByName(name);
    if (!endpoint)
        return oc::driver::kSimNoDevice;
    if (failing)
        endpoint->failing.insert(property);
    else
        endpoint->failing.erase(property);
    return oc::driver::kSimOk;
}

// The driver names the virtual-surround effect its processing runs by the effect's class identifier; a
// driver update or a change of the installed effect changes it while the program runs, and the driver
// announces it like any other effect change. "none" takes the effect away.
int32_t SimDevice::SetVirtualSurroundEffect(const std::wstring& name, const std::wstring& identifier) {
    static const std::wregex kIdentifier(L"\\{[0-9A-Fa-f]{8}(-[0-9A-Fa-f]{4}){3}-[0-9A-Fa-f]{12}\\}");
    const std::wstring effect = identifier == L"none" ? std::wstring() : identifier;
    if (!effect.empty() && !std::regex_match(effect, kIdentifier))
        return oc::driver::kSimBadValue;
    std::lock_guard lock(m_mutex);
    SimEndpoint* endpoint = FindByName(name);
    if (!endpoint)
        return oc::driver::kSimNoDevice;
    const PropertyDef* def = PropertyTable::Find(L"VirtualSurroundEffectControl");
    if (!def || !endpoint->Supports(*def))
        return oc::driver::kSimNotSupported;
    if (endpoint->config.virtualSurroundGuid == effect)
        return oc::driver::kSimOk;
    endpoint->config.virtualSurroundGuid = effect;
    LogLocked(L"control: surroundfx " + name + L" " + (effect.empty() ? L"none" : effect));
    Announce(*endpoint, *def);
    return oc::driver::kSimOk;
}

void SimDevice::SetCreateListFails(bool fails) {
    std::lock_guard lock(m_mutex);
    m_createListFails = fails;
}

std::vector<std::wstring> SimDevice::CallLog() const {
    std::lock_guard lock(m_mutex);
    return {m_callLog.begin(), m_callLog.end()};
}

unsigned long long SimDevice::CallCount() const {
    std::lock_guard lock(m_mutex);
    return m_callCount;
}

void SimDevice::ClearCallLog() {
    std::lock_guard lock(m_mutex);
    m_callLog.clear();
}

TestSoundState SimDevice::SoundState() const {
    std::lock_guard lock(m_mutex);
    return m_sound;
}

std::wstring SimDevice::ListeningText() const {
    std::lock_guard lock(m_mutex);
    std::wstring text;
    for (const auto& endpoint : m_endpoints) {
        if (endpoint.listening)
            text += (text.empty() ? L"" : L" ") + endpoint.config.name;
    }
    return text;
}

std::wstring SimDevice::EndpointsText() const {
    std::lock_guard lock(m_mutex);
    std::wstring text;
    for (const auto& e : m_endpoints) {
        text += e.config.name + L" id=" + std::to_wstring(e.id) + L" code=" + std::to_wstring(e.config.code) +
                L" flow=" + std::to_wstring(e.config.flow) + L" kind=" + std::to_wstring(e.config.kind) + L" present=" +
                std::to_wstring(e.present ? 1 : 0) + L" default=" +
                std::to_wstring(m_defaultId[e.config.flow] == e.id ? 1 : 0) + L"\n";
    }
    return text;
}

std::wstring SimDevice::ScenarioPath() const {
    std::lock_guard lock(m_mutex);
    return m_scenario.path;
}

std::vector<std::wstring> SimDevice::ScenarioErrors() const {
    std::lock_guard lock(m_mutex);
    return m_scenario.errors;
}

} // namespace oc::sim
