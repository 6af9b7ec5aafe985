// The exports of the stand-in sysTuneLib.dll: the driver configuration library's 14 entry points, and the
// control surface (names beginning with "Sim") that only tests and tools use. Every entry point works on
// the one library object that ConfLibInit makes; before it, or after ConfLibUnInit, calls fail.
#include "SimLibrary.h"

#include "driver/DriverLibraryAbi.h"

#include <cstring>
#include <shared_mutex>
#include <string>

using namespace oc::driver;
using oc::sim::SimLibrary;

namespace {

// Init and uninit take the lock exclusively; every other entry point shares it for its whole run, so the
// library cannot go away under a call. The object is deliberately not destroyed at module unload: that runs
// under the loader lock, where its threads could not be joined.
std::shared_mutex g_lifecycle;
SimLibrary* g_library = nullptr;

template <typename Operation> int32_t WithLibrary(Operation&& operation) {
    std::shared_lock lock(g_lifecycle);
    if (!g_library)
        return kSimNoDevice;
    return operation(*g_library);
}

int32_t Init() {
    std::unique_lock lock(g_lifecycle);
    if (g_library)
        return kSimOk;
    g_library = new SimLibrary();
    g_library->Device().Log(L"ConfLibInit -> 0");
    g_library->Start();
    return kSimOk;
}

int32_t CopyReply(const std::wstring& text, wchar_t* buffer, uint32_t chars) {
    if (!buffer || chars == 0)
        return kSimBadArgument;
    size_t length = std::min<size_t>(text.size(), chars - 1);
    std::memcpy(buffer, text.data(), length * sizeof(wchar_t));
    buffer[length] = 0;
    return length == text.size() ? kSimOk : kSimBadArgument;
}

} // namespace

extern "C" {

int32_t ConfLibInit() {
    return Init();
}

int32_t ConfLibInitWithGUID(const void* applicationGuid16) {
    if (!applicationGuid16)
        return kSimBadArgument;
    return Init();
}

int32_t ConfLibUnInit() {
    SimLibrary* library = nullptr;
    {
        std::unique_lock lock(g_lifecycle);
        library = g_library;
        g_library = nullptr;
    }
    if (!library)
        return kSimNotReady;
    // Outside the lock: a callback still running on the event thread may call back in (and is refused).
    library->Shutdown();
    delete library;
    return kSimOk;
}

int32_t GetDeviceById(uint32_t flow, uint32_t index, DeviceKey* record) {
    return WithLibrary([&](SimLibrary& library) { return library.Device().GetDeviceById(flow, index, record); });
}

int32_t PropertyControl(const DeviceKey* key, const wchar_t* name, void** valueBuffer, void** argumentBuffer,
                        uint8_t write) {
    return WithLibrary([&](SimLibrary& library) {
        return library.Device().PropertyControl(key, name, valueBuffer, argumentBuffer, write);
    });
}

int32_t RegisterCallbackFunction(DriverEventCallback callback, int32_t) {
    return WithLibrary([&](SimLibrary& library) {
        library.RegisterCallback(callback);
        return kSimOk;
    });
}

int32_t GetDeviceCount(uint32_t flow, int32_t* count) {
    // The count is written even without a library: callers read it without checking the answer.
    if (count)
        *count = 0;
    return WithLibrary([&](SimLibrary& library) { return library.Device().GetDeviceCount(flow, count); });
}

int32_t CreateDeviceList() {
    return WithLibrary([&](SimLibrary& library) { return library.Device().CreateDeviceList(); });
}

int32_t PlayTestSound(const wchar_t* wavePath, uint32_t channelMask, const DeviceKey* key, int32_t) {
    return WithLibrary([&](SimLibrary& library) { return library.Device().PlayTestSound(wavePath, channelMask, key); });
}

int32_t StopTestSound(void*, int32_t) {
    return WithLibrary([&](SimLibrary& library) { return library.Device().StopTestSound(); });
}

int32_t CloseTestSound(void*, int32_t) {
    return WithLibrary([&](SimLibrary& library) { return library.Device().CloseTestSound(); });
}

int32_t ShowAsioPanel(const void* asioClassId16) {
    return WithLibrary([&](SimLibrary& library) { return library.ShowAsioPanel(asioClassId16); });
}

int32_t StopListen2Device(const DeviceKey* key) {
    return WithLibrary([&](SimLibrary& library) { return library.Device().Listen(key, false); });
}

int32_t RunListen2Device(const DeviceKey* key) {
    return WithLibrary([&](SimLibrary& library) { return library.Device().Listen(key, true); });
}

// ---- control surface

// Runs a control command (the same commands as the control pipe); the reply text goes to the buffer.
int32_t SimControl(const wchar_t* command, wchar_t* reply, uint32_t replyChars) {
    if (!command)
        return kSimBadArgument;
    return WithLibrary([&](SimLibrary& library) {
        std::wstring text;
        bool ok = library.Control(command, text);
        int32_t copied = reply ? CopyReply(text, reply, replyChars) : kSimOk;
        return ok ? copied : kSimBadArgument;
    });
}

int32_t SimFireEvent(int32_t event, uint32_t flags) {
    return WithLibrary([&](SimLibrary& library) {
        library.FireEvent(event, flags);
        return kSimOk;
    });
}

int32_t SimPlugEndpoint(const wchar_t* endpoint, int32_t present) {
    if (!endpoint)
        return kSimBadArgument;
    return WithLibrary([&](SimLibrary& library) { return library.Device().SetPresent(endpoint, present != 0); });
}

int32_t SimSetValue(const wchar_t* endpoint, const wchar_t* valueKey, double value) {
    if (!endpoint || !valueKey)
        return kSimBadArgument;
    return WithLibrary([&](SimLibrary& library) { return library.Device().SetRawValue(endpoint, valueKey, value); });
}

int32_t SimGetValue(const wchar_t* endpoint, const wchar_t* valueKey, double* value) {
    if (!endpoint || !valueKey || !value)
        return kSimBadArgument;
    return WithLibrary([&](SimLibrary& library) { return library.Device().GetRawValue(endpoint, valueKey, *value); });
}

int32_t SimPressButton(uint32_t buttonId) {
    wchar_t command[32];
    std::swprintf(command, std::size(command), L"press %u", buttonId);
    return SimControl(command, nullptr, 0);
}

int32_t SimGetCallLog(wchar_t* buffer, uint32_t chars) {
    return WithLibrary([&](SimLibrary& library) {
        std::wstring text;
        for (const auto& entry : library.Device().CallLog())
            text += entry + L"\n";
        return CopyReply(text, buffer, chars);
    });
}

int32_t SimClearCallLog() {
    return WithLibrary([&](SimLibrary& library) {
        library.Device().ClearCallLog();
        return kSimOk;
    });
}

// Whether a test wave plays now, how many were started, and how many end notices were sent.
int32_t SimGetTestSoundState(int32_t* playing, uint32_t* plays, uint32_t* endEvents) {
    return WithLibrary([&](SimLibrary& library) {
        oc::sim::TestSoundState sound = library.Device().SoundState();
        if (playing)
            *playing = sound.playing ? 1 : 0;
        if (plays)
            *plays = sound.plays;
        if (endEvents)
            *endEvents = sound.endEvents;
        return kSimOk;
    });
}

// The capture endpoints that listen now, by name, separated by spaces.
int32_t SimGetListening(wchar_t* buffer, uint32_t chars) {
    return WithLibrary([&](SimLibrary& library) { return CopyReply(library.Device().ListeningText(), buffer, chars); });
}

} // extern "C"
