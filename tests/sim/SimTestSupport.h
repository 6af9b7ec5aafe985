#pragma once
// Loads the stand-in driver libraries by path from the program folder, the way the program does, with the
// scenario, state file and control pipe of one test.
#include "TestPaths.h"
#include "driver/DriverLibraryAbi.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace oc::test {

using namespace oc::driver;

// The sysTuneLib stand-in, initialised; uninitialised and freed with the object unless done before.
class SysTuneLib {
public:
    SysTuneLib() = default;
    ~SysTuneLib();
    SysTuneLib(const SysTuneLib&) = delete;
    SysTuneLib& operator=(const SysTuneLib&) = delete;

    // Sets the scenario (a name in the scenarios folder or a path), the state file and the pipe name for the
    // library to read at init, loads it and initialises it. False when anything is missing.
    bool Load(const std::wstring& scenario, const std::filesystem::path& stateFile, const std::wstring& pipe = {});
    void UnInit(); // ConfLibUnInit, keeping the module loaded
    void Unload(); // ConfLibUnInit when still initialised, then FreeLibrary

    // The entry points, in lookup order.
    ConfLibInitFn ConfLibInit = nullptr;
    ConfLibInitWithGuidFn ConfLibInitWithGUID = nullptr;
    GetDeviceByIdFn GetDeviceById = nullptr;
    PropertyControlFn PropertyControl = nullptr;
    RegisterCallbackFunctionFn RegisterCallbackFunction = nullptr;
    GetDeviceCountFn GetDeviceCount = nullptr;
    CreateDeviceListFn CreateDeviceList = nullptr;
    PlayTestSoundFn PlayTestSound = nullptr;
    StopTestSoundFn StopTestSound = nullptr;
    CloseTestSoundFn CloseTestSound = nullptr;
    ShowAsioPanelFn ShowAsioPanel = nullptr;
    StopListen2DeviceFn StopListen2Device = nullptr;
    RunListen2DeviceFn RunListen2Device = nullptr;
    ConfLibUnInitFn ConfLibUnInit = nullptr;

    // Control surface.
    int32_t (*SimControl)(const wchar_t*, wchar_t*, uint32_t) = nullptr;
    int32_t (*SimFireEvent)(int32_t, uint32_t) = nullptr;
    int32_t (*SimPlugEndpoint)(const wchar_t*, int32_t) = nullptr;
    int32_t (*SimSetValue)(const wchar_t*, const wchar_t*, double) = nullptr;
    int32_t (*SimGetValue)(const wchar_t*, const wchar_t*, double*) = nullptr;
    int32_t (*SimGetCallLog)(wchar_t*, uint32_t) = nullptr;
    int32_t (*SimGetTestSoundState)(int32_t*, uint32_t*, uint32_t*) = nullptr;
    int32_t (*SimGetListening)(wchar_t*, uint32_t) = nullptr;

    // Conveniences over the entry points.
    std::vector<DeviceKey> Keys(uint32_t flow);
    DeviceKey KeyOf(int32_t code, uint32_t flow); // {0} when there is none
    int32_t Read(const DeviceKey& key, const wchar_t* name, std::wstring& text, const void* args = nullptr,
                 size_t argBytes = 0);
    int32_t Write(const DeviceKey& key, const wchar_t* name, const void* value, size_t valueBytes,
                  const void* args = nullptr, size_t argBytes = 0);
    template <typename T> int32_t WriteValue(const DeviceKey& key, const wchar_t* name, T value) {
        return Write(key, name, &value, sizeof(value));
    }
    std::wstring Control(const std::wstring& command);
    std::wstring CallLog();

private:
    HMODULE m_module = nullptr;
    bool m_initialised = false;
};

// The PLHID stand-in, loaded by path.
class PlHid {
public:
    PlHid() = default;
    ~PlHid();
    PlHid(const PlHid&) = delete;
    PlHid& operator=(const PlHid&) = delete;

    bool Load();

    StartDeviceFn StartDevice = nullptr;
    CloseDeviceFn CloseDevice = nullptr;
    GetButtonDescriptionFn GetButtonDescription = nullptr;
    GetCallBackFn GetCallBack = nullptr;
    int32_t (*SimHidReported)(uint32_t, uint32_t*, uint32_t*) = nullptr;

private:
    HMODULE m_module = nullptr;
};

// Driver events as the callback received them, with the thread each arrived on.
struct ReceivedEvent {
    int32_t event;
    uint32_t flags;
    uint32_t endpointId; // 0 without a key
    DWORD thread;
};

class EventRecorder {
public:
    static void Callback(int32_t event, uint32_t flags, const DeviceKey* key);
    static void Reset();
    static std::vector<ReceivedEvent> Events();
    // Waits until `count` events matching have arrived; false on timeout.
    static bool WaitFor(int32_t event, size_t count, std::chrono::milliseconds timeout);
    static size_t Count(int32_t event);

private:
    static std::mutex s_mutex;
    static std::condition_variable s_arrived;
    static std::vector<ReceivedEvent> s_events;
};

// A PCM wave file of the given length (mono, 16-bit, 8000 Hz), made at run time.
void WriteWaveFile(const std::filesystem::path& path, unsigned milliseconds);

// A pipe name no other test process uses.
std::wstring UniquePipeName();

} // namespace oc::test
