#include "DriverTestSupport.h"

#include <windows.h>

#include <fstream>
#include <mutex>
#include <sstream>

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
    const std::filesystem::path libraryFolder = m_dir / "Driver" / "x64" / "vista";
    const std::filesystem::path hidFolder = m_dir / "Driver" / "PLHID";
    std::filesystem::create_directories(libraryFolder);
    std::filesystem::create_directories(hidFolder);
    const char* variant = library == DriverLibrary::Probe ? "full" : "partial";
    std::filesystem::copy_file(probes / variant / "sysTuneLib.dll", libraryFolder / "sysTuneLib.dll");
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
