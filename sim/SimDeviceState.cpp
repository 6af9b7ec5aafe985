// The simulated device's state file: it keeps the settings across restarts, as the real driver does, and
// is written shortly after a change.
#include "SimDevice.h"

#include "IniText.h"
#include "SimValues.h"

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <sstream>

namespace oc::sim {

namespace {

constexpr std::chrono::milliseconds kSaveDelay{300};

} // namespace

void SimDevice::MarkDirty() {
    m_dirty = true;
    if (m_saveScheduled)
        return;
    m_saveScheduled = true;
    m_timers([this] { SaveState(); }, kSaveDelay);
}

std::string SimDevice::SerializeState() const {
    std::wostringstream out;
    out << L"# State of the simulated audio device; rewritten by the driver.\n[device]\nterminal = " << m_terminal
        << L"\n";
    const wchar_t* flowNames[] = {L"render", L"capture"};
    for (uint32_t flow = 0; flow <= 1; ++flow) {
        for (const auto& endpoint : m_endpoints) {
            if (endpoint.id == m_defaultId[flow])
                out << L"default." << flowNames[flow] << L" = " << endpoint.config.name << L"\n";
        }
    }
    for (const auto& endpoint : m_endpoints) {
        out << L"\n[endpoint " << endpoint.config.name << L"]\n";
        for (const auto& [key, value] : endpoint.values) {
            wchar_t number[64];
            std::swprintf(number, std::size(number), L"%.9g", value);
            out << key << L" = " << number << L"\n";
        }
    }
    return WideToUtf8(out.str());
}

void SimDevice::LoadState() {
    IniText ini;
    if (m_statePath.empty() || !IniText::Load(m_statePath, ini))
        return;
    for (const auto& section : ini.Sections()) {
        if (section.name == L"device") {
            long long terminal = 0;
            if (const auto* text = section.Find(L"terminal"); text && ParseInteger(*text, terminal))
                m_terminal = static_cast<int32_t>(terminal);
            const wchar_t* keys[] = {L"default.render", L"default.capture"};
            for (uint32_t flow = 0; flow <= 1; ++flow) {
                const std::wstring* name = section.Find(keys[flow]);
                if (const SimEndpoint* endpoint = name ? FindByName(*name) : nullptr)
                    m_defaultId[flow] = endpoint->id;
            }
            continue;
        }
        if (section.name.rfind(L"endpoint ", 0) != 0)
            continue;
        SimEndpoint* endpoint = FindByName(Trim(section.name.substr(9)));
        if (!endpoint)
            continue;
        for (const auto& entry : section.entries) {
            const PropertyDef* def = PropertyTable::Find(NameOf(entry.key));
            double value = 0;
            // Values of properties the scenario no longer gives the endpoint are left behind.
            if (def && endpoint->Supports(*def) && ParseNumber(entry.value, value))
                endpoint->values[entry.key] = value;
        }
    }
}

bool SimDevice::SaveState() {
    std::string content;
    std::wstring path;
    {
        std::lock_guard lock(m_mutex);
        m_saveScheduled = false;
        if (!m_dirty || m_statePath.empty())
            return true;
        content = SerializeState();
        path = m_statePath;
        m_dirty = false;
    }
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    bool saved = WriteFileReplacing(path, content);
    if (!saved) {
        std::lock_guard lock(m_mutex);
        m_dirty = true;
        Complain(L"cannot write the state file " + path);
    }
    return saved;
}

} // namespace oc::sim
