#pragma once
// Program folders holding one of the driver libraries, and the test's way to the driver object's device
// list and roles, which the endpoint enumeration would otherwise fill.

#include <cstdint>
#include <filesystem>
#include <string>

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
};
