#include "DriverTestSupport.h"

#include <windows.h>

#include <fstream>
#include <mutex>
#include <sstream>

#include "ProbeLibrary.h"
#include "driver/DriverInstance.h"

namespace oc::test {

std::filesystem::path TestBinaryDir() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

DriverProgramFolder::DriverProgramFolder(DriverLibrary library) {
    std::filesystem::create_directories(DataFolder());
    SetEnvironmentVariableW(L"OC_PROBE_LOG", LogPath().c_str());
    if (library == DriverLibrary::None)
        return;
    const std::filesystem::path probes = TestBinaryDir() / "driver-probe";
    const std::filesystem::path hidFolder = m_dir / "Driver" / "PLHID";
    std::filesystem::create_directories(hidFolder);
    const char* variant = library == DriverLibrary::Probe ? "full" : "partial";
    // Both system generations: tests run the object as on Vista and later, and as before it.
    for (const char* generation : {"vista", "xp"}) {
        const std::filesystem::path libraryFolder = m_dir / "Driver" / "x64" / generation;
        std::filesystem::create_directories(libraryFolder);
        std::filesystem::copy_file(probes / variant / "sysTuneLib.dll", libraryFolder / "sysTuneLib.dll");
    }
    std::filesystem::copy_file(probes / "hid" / "PLHID_X64.dll", hidFolder / "PLHID_X64.dll");
}

DriverProgramFolder::~DriverProgramFolder() {
    SetEnvironmentVariableW(L"OC_PROBE_LOG", nullptr);
}

DriverEnvironment DriverProgramFolder::Environment() const {
    DriverEnvironment environment;
    environment.programFolder = m_dir.Path().wstring() + L"\\";
    environment.dataFolder = DataFolder().wstring() + L"\\";
    environment.vistaOrLater = true;
    return environment;
}

std::string DriverProgramFolder::ReadLog() const {
    std::ifstream file(LogPath());
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

DriverSession::DriverSession(const DriverEnvironment& environment)
    : m_driver(CDriverInstance::CreateInstance(environment)) {}

DriverSession::~DriverSession() {
    m_driver->Release();
}

std::wstring ProbeHistory() {
    std::vector<wchar_t> text(1 << 20);
    auto history = LibraryExport<ProbeHistoryFn>(L"sysTuneLib.dll", "ProbeHistory");
    return history && history(text.data(), static_cast<uint32_t>(text.size())) == 0 ? text.data() : L"";
}

std::wstring ProbeHidHistory() {
    std::vector<wchar_t> text(1 << 20);
    auto history = LibraryExport<ProbeHistoryFn>(L"PLHID_X64.dll", "ProbeHidHistory");
    return history && history(text.data(), static_cast<uint32_t>(text.size())) == 0 ? text.data() : L"";
}

int CountLines(const std::wstring& history, const std::wstring& prefix) {
    int count = 0;
    size_t start = 0;
    while (start < history.size()) {
        size_t end = history.find(L'\n', start);
        if (end == std::wstring::npos)
            end = history.size();
        if (history.compare(start, prefix.size(), prefix) == 0)
            ++count;
        start = end + 1;
    }
    return count;
}

SimEnvironment::SimEnvironment(const TempDir& dir, const std::wstring& scenario) {
    SetEnvironmentVariableW(L"OC_SIM_SCENARIO", scenario.empty() ? nullptr : scenario.c_str());
    SetEnvironmentVariableW(L"OC_SIM_STATE", (dir / "device.state").c_str());
    const std::wstring pipe = L"\\\\.\\pipe\\OvercoatDriverTests" + std::to_wstring(GetCurrentProcessId());
    SetEnvironmentVariableW(L"OC_SIM_PIPE", pipe.c_str());
    std::filesystem::create_directories(dir / "data");
    m_environment.programFolder = ProgramDir().wstring() + L"\\";
    m_environment.dataFolder = (dir / "data").wstring() + L"\\";
}

SimEnvironment::~SimEnvironment() {
    SetEnvironmentVariableW(L"OC_SIM_SCENARIO", nullptr);
    SetEnvironmentVariableW(L"OC_SIM_STATE", nullptr);
    SetEnvironmentVariableW(L"OC_SIM_PIPE", nullptr);
}

} // namespace oc::test

DeviceRecord* CDriverInstanceTestAccess::AddRecord(IDriverInstance* driver, int32_t code, uint32_t flow, uint32_t kind,
                                                   uint32_t id) {
    auto* instance = static_cast<CDriverInstance*>(driver);
    auto record = std::make_unique<DeviceRecord>();
    record->key = {id, code, flow, kind};
    std::lock_guard device(instance->m_deviceLock);
    instance->m_devices.push_back(std::move(record));
    return instance->m_devices.back().get();
}

void CDriverInstanceTestAccess::SetRole(IDriverInstance* driver, Role role, DeviceRecord* record) {
    auto* instance = static_cast<CDriverInstance*>(driver);
    std::lock_guard device(instance->m_deviceLock);
    DeviceRecord** roles[] = {&instance->m_currentDevice, &instance->m_defaultRenderDevice,
                              &instance->m_defaultCaptureDevice, &instance->m_controlDevice,
                              &instance->m_controlDevice2};
    *roles[role] = record;
}

void CDriverInstanceTestAccess::ClearDevices(IDriverInstance* driver) {
    auto* instance = static_cast<CDriverInstance*>(driver);
    std::lock_guard device(instance->m_deviceLock);
    instance->m_currentDevice = instance->m_defaultRenderDevice = instance->m_defaultCaptureDevice = nullptr;
    instance->m_controlDevice = instance->m_controlDevice2 = nullptr;
    instance->m_micInSource = instance->m_lineInSource = instance->m_auxInSource = nullptr;
    instance->m_devices.clear();
}

DeviceRecord* CDriverInstanceTestAccess::AddEnumerated(IDriverInstance* driver, int32_t code) {
    auto* instance = static_cast<CDriverInstance*>(driver);
    const auto& library = instance->m_sysTune;
    if (!library.CreateDeviceList || !library.GetDeviceCount || !library.GetDeviceById ||
        library.CreateDeviceList() != 0)
        return nullptr;
    for (uint32_t flow = 0; flow < 2; ++flow) {
        int32_t count = 0;
        library.GetDeviceCount(flow, &count);
        for (int32_t index = 0; index < count; ++index) {
            oc::driver::DeviceKey key{};
            if (library.GetDeviceById(flow, static_cast<uint32_t>(index), &key) == 0 && key.code == code)
                return AddRecord(driver, key.code, key.flow, key.kind, key.id);
        }
    }
    return nullptr;
}

DeviceRecord* CDriverInstanceTestAccess::GetRole(IDriverInstance* driver, Role role) {
    auto* instance = static_cast<CDriverInstance*>(driver);
    std::lock_guard device(instance->m_deviceLock);
    DeviceRecord* roles[] = {instance->m_currentDevice, instance->m_defaultRenderDevice,
                             instance->m_defaultCaptureDevice, instance->m_controlDevice, instance->m_controlDevice2};
    return roles[role];
}

DeviceRecord* CDriverInstanceTestAccess::GetSource(IDriverInstance* driver, Source source) {
    auto* instance = static_cast<CDriverInstance*>(driver);
    std::lock_guard device(instance->m_deviceLock);
    DeviceRecord* sources[] = {instance->m_micInSource, instance->m_lineInSource, instance->m_auxInSource};
    return sources[source];
}

void CDriverInstanceTestAccess::SetSource(IDriverInstance* driver, Source source, DeviceRecord* record) {
    auto* instance = static_cast<CDriverInstance*>(driver);
    std::lock_guard device(instance->m_deviceLock);
    DeviceRecord** sources[] = {&instance->m_micInSource, &instance->m_lineInSource, &instance->m_auxInSource};
    *sources[source] = record;
}

int32_t CDriverInstanceTestAccess::ListenIdle(IDriverInstance* driver, Source source) {
    auto* instance = static_cast<CDriverInstance*>(driver);
    std::lock_guard device(instance->m_deviceLock);
    return instance->m_listenIdle[source];
}

std::vector<DeviceRecord*> CDriverInstanceTestAccess::Devices(IDriverInstance* driver) {
    auto* instance = static_cast<CDriverInstance*>(driver);
    std::lock_guard device(instance->m_deviceLock);
    std::vector<DeviceRecord*> records;
    for (const auto& record : instance->m_devices)
        records.push_back(record.get());
    return records;
}

std::wstring CDriverInstanceTestAccess::AsioDriverId(IDriverInstance* driver) {
    auto* instance = static_cast<CDriverInstance*>(driver);
    std::lock_guard device(instance->m_deviceLock);
    return instance->m_asioDriverId;
}

bool CDriverInstanceTestAccess::WaitForDirectXWorker(IDriverInstance* driver, DWORD timeoutMs) {
    return static_cast<CDriverInstance*>(driver)->m_directX.Wait(timeoutMs);
}
