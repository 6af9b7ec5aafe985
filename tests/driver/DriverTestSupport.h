#pragma once
// Program folders holding one of the driver libraries, and the test's way to the driver object's device
// list and roles, which the endpoint enumeration would otherwise fill.

#include <cstdint>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestPaths.h"
#include "driver/DeviceRecord.h"
#include "driver/DriverEnvironment.h"
#include "driver/IDriverInstance.h"

namespace oc::test {

enum class DriverLibrary {
    None,         // no library at all
    Probe,        // the scripted library, every entry point
    ProbePartial, // the scripted library without ConfLibInitWithGUID and PropertyControl
};

// A temporary program folder (and data folder inside it) with the chosen library in place. The probe
// libraries log their calls to LogPath().
class DriverProgramFolder {
public:
    explicit DriverProgramFolder(DriverLibrary library);
    ~DriverProgramFolder();

    DriverEnvironment Environment() const;
    const std::filesystem::path& Path() const { return m_dir.Path(); }
    std::filesystem::path DataFolder() const { return m_dir / "data"; }
    std::filesystem::path LogPath() const { return m_dir / "probe.log"; }
    std::string ReadLog() const;

private:
    TempDir m_dir;
};

// The process's driver object for the length of a test.
class DriverSession {
public:
    explicit DriverSession(const DriverEnvironment& environment);
    ~DriverSession();
    DriverSession(const DriverSession&) = delete;
    DriverSession& operator=(const DriverSession&) = delete;

    IDriverInstance* operator->() const { return m_driver; }
    IDriverInstance* Get() const { return m_driver; }

private:
    IDriverInstance* m_driver;
};

// The folder of the running test executable.
std::filesystem::path TestBinaryDir();

// An export of a loaded library, by the library's file name.
template <class Fn> Fn LibraryExport(const wchar_t* module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(module), name)));
}

// The call history of the scripted configuration or HID library.
std::wstring ProbeHistory();
std::wstring ProbeHidHistory();
// Lines of a history that begin with the text.
int CountLines(const std::wstring& history, const std::wstring& prefix);

// The simulated device reads its scenario, state file and control pipe from the environment when the
// library initialises; the program folder is the assembled one, where the stand-in libraries live.
class SimEnvironment {
public:
    // scenario: a name from the scenarios folder; empty for the default device.
    SimEnvironment(const TempDir& dir, const std::wstring& scenario = {});
    ~SimEnvironment();
    const DriverEnvironment& Get() const { return m_environment; }
    DriverEnvironment& Get() { return m_environment; }

private:
    DriverEnvironment m_environment;
};

} // namespace oc::test

class CDriverInstanceTestAccess {
public:
    enum Role { kCurrent, kDefaultRender, kDefaultCapture, kControl, kControl2 };

    // Appends a record to the device list, as enumeration would.
    static DeviceRecord* AddRecord(IDriverInstance* driver, int32_t code, uint32_t flow, uint32_t kind, uint32_t id);
    // Appends the first endpoint with that code that the loaded library enumerates, with the library's key.
    static DeviceRecord* AddEnumerated(IDriverInstance* driver, int32_t code);
    static void SetRole(IDriverInstance* driver, Role role, DeviceRecord* record);
    // Empties the list and the roles under the device lock, as a rebuild does.
    static void ClearDevices(IDriverInstance* driver);

    enum Source { kMicInSource, kLineInSource, kAuxInSource };
    static DeviceRecord* GetRole(IDriverInstance* driver, Role role);
    static DeviceRecord* GetSource(IDriverInstance* driver, Source source);
    static void SetSource(IDriverInstance* driver, Source source, DeviceRecord* record);
    static int32_t ListenIdle(IDriverInstance* driver, Source source);
    static std::vector<DeviceRecord*> Devices(IDriverInstance* driver);
    static std::wstring AsioDriverId(IDriverInstance* driver);
    // Waits for the DirectX worker; false when it is still running after the time.
    static bool WaitForDirectXWorker(IDriverInstance* driver, DWORD timeoutMs);
};
