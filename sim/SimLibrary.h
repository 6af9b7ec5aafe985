#pragma once
// One initialised stand-in sysTuneLib: the device, the library's event thread, the control pipe and the
// ASIO panels. Made by ConfLibInit and destroyed by ConfLibUnInit after Shutdown has joined its threads.
//
// Read at init from the environment:
//   OC_SIM_SCENARIO  scenario file: a path, or a name in the "scenarios" folder beside the DLL ("default")
//   OC_SIM_STATE     state file (default: %LOCALAPPDATA%\OvercoatSim\<scenario name>.state)
//   OC_SIM_PIPE      control pipe name (default: \\.\pipe\OvercoatSim)
//
// Control commands (SimControl export and the pipe, one command per message; endpoints by scenario name):
//   ping | event <number> <flags> | plug <endpoint> <0|1> | set <endpoint> <property>[#qualifier] <number>
//   get <endpoint> <property>[#qualifier] | fail <endpoint> <property> <0|1> | failcreate <0|1>
//   surroundfx <endpoint> <{effect identifier}|none>
//   press <button id> | log | clearlog | sound | listen | endpoints | asio | save | scenario
// Replies: "ok", a value, or "error <code>". "set" acts as the hardware would and raises the property's event.
#include "AsioPanel.h"
#include "EventPump.h"
#include "PipeServer.h"
#include "SimDevice.h"
#include "driver/DriverLibraryAbi.h"

#include <atomic>
#include <memory>
#include <string>

namespace oc::sim {

class SimLibrary {
public:
    SimLibrary();
    ~SimLibrary();
    SimLibrary(const SimLibrary&) = delete;
    SimLibrary& operator=(const SimLibrary&) = delete;

    // Starts the event thread and the control pipe.
    void Start();
    // Stops the pipe and the event thread (joining both: no callback runs after this), closes the ASIO
    // panels and saves the device state.
    void Shutdown();

    SimDevice& Device() { return *m_device; }
    void RegisterCallback(oc::driver::DriverEventCallback callback);
    int32_t ShowAsioPanel(const void* classId16);
    size_t OpenAsioPanels() const { return m_panels.OpenCount(); }

    // Runs one control command ("plug HeadPhone 0", "set Speaker MuteControl 1", ...); false for an error.
    bool Control(const std::wstring& command, std::wstring& reply);
    void FireEvent(int32_t event, uint32_t flags, std::chrono::milliseconds delay = {});

    static std::wstring StatePathFor(const std::wstring& scenarioPath);
    static std::wstring PipeName();

private:
    void Deliver(int32_t event, uint32_t flags, std::optional<oc::driver::DeviceKey> key);

    EventPump m_pump;
    std::atomic<oc::driver::DriverEventCallback> m_callback{nullptr};
    std::unique_ptr<SimDevice> m_device;
    PipeServer m_pipe;
    AsioPanels m_panels;
};

} // namespace oc::sim
