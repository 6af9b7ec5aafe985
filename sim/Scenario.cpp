#include "Scenario.h"

#include "IniText.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <functional>

namespace oc::sim {
namespace {

using EndpointSetter = std::function<bool(ScenarioEndpoint&, const std::wstring&)>;
using DeviceSetter = std::function<bool(Scenario&, const std::wstring&)>;

template <typename T> bool SetInteger(T& field, const std::wstring& text) {
    long long value = 0;
    if (!ParseInteger(text, value))
        return false;
    field = static_cast<T>(value);
    return true;
}

// Only a value inside [min, max] replaces the field.
template <typename T> bool SetIntegerIn(T& field, const std::wstring& text, long long min, long long max) {
    long long value = 0;
    if (!ParseInteger(text, value) || value < min || value > max)
        return false;
    field = static_cast<T>(value);
    return true;
}

bool SetFlag(bool& field, const std::wstring& text) {
    long long value = 0;
    if (!ParseInteger(text, value) || (value != 0 && value != 1))
        return false;
    field = value == 1;
    return true;
}

std::set<std::wstring> ToSet(const std::wstring& text) {
    auto items = SplitList(text);
    return {items.begin(), items.end()};
}

template <typename T> bool SetNumberList(std::vector<T>& field, const std::wstring& text) {
    std::vector<T> values;
    for (const auto& item : SplitList(text)) {
        long long value = 0;
        if (!ParseInteger(item, value) || value <= 0)
            return false;
        values.push_back(static_cast<T>(value));
    }
    if (values.empty())
        return false;
    field = values;
    return true;
}

// "min, max, step, initial": the step must be positive and the initial value inside the range.
bool SetRange(LevelRange& range, const std::wstring& text) {
    auto items = SplitList(text);
    if (items.size() != 4)
        return false;
    double values[4];
    for (size_t i = 0; i < 4; ++i) {
        if (!ParseNumber(items[i], values[i]))
            return false;
    }
    if (values[0] > values[1] || values[2] <= 0 || values[3] < values[0] || values[3] > values[1])
        return false;
    range = LevelRange{values[0], values[1], values[2], values[3]};
    return true;
}

bool SetFeatures(ScenarioEndpoint& endpoint, const std::wstring& text) {
    auto items = SplitList(text);
    if (items.size() != 3)
        return false;
    for (size_t i = 0; i < 3; ++i) {
        if (!SetInteger(endpoint.features[i], items[i]))
            return false;
    }
    return true;
}

const std::map<std::wstring, EndpointSetter>& EndpointKeys() {
    static const std::map<std::wstring, EndpointSetter> keys = {
        {L"code", [](auto& e, auto& v) { return SetInteger(e.code, v); }},
        {L"flow", [](auto& e, auto& v) { return SetIntegerIn(e.flow, v, 0, 1); }},
        {L"kind", [](auto& e, auto& v) { return SetIntegerIn(e.kind, v, 1, 8); }},
        {L"friendly", [](auto& e, auto& v) { return e.friendlyName = v, true; }},
        {L"features", [](auto& e, auto& v) { return SetFeatures(e, v); }},
        {L"groups", [](auto& e, auto& v) { return e.groups = ToSet(v), true; }},
        {L"unsupported", [](auto& e, auto& v) { return e.unsupported = ToSet(v), true; }},
        {L"fail", [](auto& e, auto& v) { return e.failing = ToSet(v), true; }},
        {L"unset", [](auto& e, auto& v) { return e.unset = ToSet(v), true; }},
        {L"channels", [](auto& e, auto& v) { return SetIntegerIn(e.channels, v, 1, 8); }},
        {L"rates", [](auto& e, auto& v) { return SetNumberList(e.rates, v); }},
        {L"bits", [](auto& e, auto& v) { return SetNumberList(e.bitDepths, v); }},
        {L"volume", [](auto& e, auto& v) { return SetRange(e.volume, v); }},
        {L"aavolume", [](auto& e, auto& v) { return SetRange(e.analogVolume, v); }},
        {L"amplifier", [](auto& e, auto& v) { return SetRange(e.amplifier, v); }},
        {L"boost", [](auto& e, auto& v) { return SetRange(e.boost, v); }},
        {L"terminal", [](auto& e, auto& v) { return SetIntegerIn(e.terminal, v, 0, 3); }},
        {L"jack", [](auto& e, auto& v) { return SetFlag(e.jack, v); }},
        {L"present", [](auto& e, auto& v) { return SetFlag(e.present, v); }},
        {L"default", [](auto& e, auto& v) { return SetFlag(e.isDefault, v); }},
        {L"virtual_guid", [](auto& e, auto& v) { return e.virtualSurroundGuid = v, true; }},
    };
    return keys;
}

const std::map<std::wstring, DeviceSetter>& DeviceKeys() {
    static const std::map<std::wstring, DeviceSetter> keys = {
        {L"id", [](auto& s, auto& v) { return s.deviceId = v, true; }},
        {L"codec", [](auto& s, auto& v) { return s.codecName = v, true; }},
        {L"driver", [](auto& s, auto& v) { return s.driverVersion = v, true; }},
        {L"firmware", [](auto& s, auto& v) { return s.firmwareVersion = v, true; }},
        {L"directx", [](auto& s, auto& v) { return s.directXVersion = v, true; }},
        {L"terminal", [](auto& s, auto& v) { return SetIntegerIn(s.terminal, v, 1, 3); }},
        {L"terminals", [](auto& s, auto& v) { return SetIntegerIn(s.terminalsAvailable, v, 0, 7); }},
        {L"create_list_fails", [](auto& s, auto& v) { return SetFlag(s.createListFails, v); }},
        {L"echo", [](auto& s, auto& v) { return SetFlag(s.echoWrites, v); }},
        {L"hid", [](auto& s, auto& v) { return SetFlag(s.hid, v); }},
    };
    return keys;
}

std::wstring Located(const IniEntry& entry) {
    return L"line " + std::to_wstring(entry.line) + L": " + entry.key + L" = " + entry.value;
}

void ReadEndpoint(Scenario& scenario, const IniSection& section, const std::wstring& name) {
    ScenarioEndpoint endpoint;
    endpoint.name = name;
    for (const auto& entry : section.entries) {
        if (entry.key.rfind(L"set.", 0) == 0) {
            endpoint.initialValues[entry.key.substr(4)] = entry.value;
            continue;
        }
        auto setter = EndpointKeys().find(entry.key);
        if (setter == EndpointKeys().end() || !setter->second(endpoint, entry.value))
            scenario.errors.push_back(Located(entry));
    }
    if (endpoint.code < 1)
        scenario.errors.push_back(L"endpoint " + name + L" has no code");
    scenario.endpoints.push_back(std::move(endpoint));
}

void ReadButton(Scenario& scenario, const IniSection& section, const std::wstring& idText) {
    ScenarioButton button;
    if (!SetInteger(button.id, idText))
        scenario.errors.push_back(L"button id " + idText);
    for (const auto& entry : section.entries) {
        bool ok = false;
        if (entry.key == L"code")
            ok = SetInteger(button.code, entry.value);
        else if (entry.key == L"flow")
            ok = SetInteger(button.flow, entry.value);
        else if (entry.key == L"report")
            ok = SetInteger(button.report, entry.value);
        if (!ok)
            scenario.errors.push_back(Located(entry));
    }
    scenario.buttons.push_back(button);
}

std::wstring IdPart(const std::wstring& id, const wchar_t* prefix) {
    std::wstring lower = id;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](wchar_t c) { return std::towlower(c); });
    size_t at = lower.find(prefix);
    if (at == std::wstring::npos || at + 8 > lower.size())
        return {};
    return lower.substr(at + 4, 4);
}

} // namespace

Scenario Scenario::FromText(const std::string& utf8) {
    Scenario scenario;
    IniText ini = IniText::Parse(utf8);
    for (int line : ini.BadLines())
        scenario.errors.push_back(L"line " + std::to_wstring(line) + L" is not understood");
    for (const auto& section : ini.Sections()) {
        if (section.name.empty()) {
            for (const auto& entry : section.entries)
                scenario.errors.push_back(Located(entry));
        } else if (section.name == L"device") {
            for (const auto& entry : section.entries) {
                auto setter = DeviceKeys().find(entry.key);
                if (setter == DeviceKeys().end() || !setter->second(scenario, entry.value))
                    scenario.errors.push_back(Located(entry));
            }
        } else if (section.name.rfind(L"endpoint ", 0) == 0) {
            ReadEndpoint(scenario, section, Trim(section.name.substr(9)));
        } else if (section.name.rfind(L"button ", 0) == 0) {
            ReadButton(scenario, section, Trim(section.name.substr(7)));
        } else {
            scenario.errors.push_back(L"unknown section [" + section.name + L"]");
        }
    }
    return scenario;
}

Scenario Scenario::Load(const std::wstring& path) {
    std::string content;
    Scenario scenario;
    if (!ReadWholeFile(path, content)) {
        // No scenario: a device without endpoints, which is what the program sees with nothing plugged in.
        scenario.errors.push_back(L"cannot read " + path);
    } else {
        scenario = FromText(content);
    }
    scenario.path = path;
    return scenario;
}

std::wstring Scenario::VendorId() const {
    return IdPart(deviceId, L"vid_");
}
std::wstring Scenario::ProductId() const {
    return IdPart(deviceId, L"pid_");
}

std::wstring ModuleFolder() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ModuleFolder), &module);
    wchar_t path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameW(module, path, static_cast<DWORD>(std::size(path)));
    std::wstring folder(path, length);
    size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

std::wstring ResolveScenarioPath(const std::wstring& scenariosFolder) {
    wchar_t value[MAX_PATH * 4];
    DWORD length = GetEnvironmentVariableW(L"OC_SIM_SCENARIO", value, static_cast<DWORD>(std::size(value)));
    std::wstring name = L"default";
    if (length > 0 && length < std::size(value)) {
        name.assign(value, length);
        if (name.find_first_of(L"\\/:") != std::wstring::npos)
            return name;
    }
    return scenariosFolder + name + L".scn";
}

} // namespace oc::sim
