// The simulated device's state file: it keeps the settings across restarts, as the real driver does, and
// is written once a run of changes pauses.
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
constexpr std::chrono::milliseconds kSaveLatest{10000};

} // namespace

void SimDevice::MarkDirty() {
    m_dirty = true;
    m_lastChange = std::chrono::steady_clock::now();
    if (m_saveScheduled)
        return;
    m_saveScheduled = true;
    m_firstUnsaved = m_lastChange;
    m_timers([this] { SaveWhenQuiet(); }, kSaveDelay);
}

void SimDevice::SaveWhenQuiet() {
    {
        std::lock_guard lock(m_mutex);
        const auto now = std::chrono::steady_clock::now();
        const auto quiet = now - m_lastChange;
        if (m_saveScheduled && quiet < kSaveDelay && now - m_firstUnsaved < kSaveLatest) {
            m_timers([this] { SaveWhenQuiet(); },
                     std::chrono::duration_cast<std::chrono::milliseconds>(kSaveDelay - quiet) +
                         std::chrono::milliseconds(1));
            return;
        }
    }
    SaveState();
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
