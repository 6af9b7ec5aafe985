#include "SimTestSupport.h"

#include <atomic>
#include <cstring>
#include <fstream>

namespace oc::test {
namespace {

template <typename T> void Resolve(HMODULE module, const char* name, T& function) {
    function = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The application identifier the program passes to ConfLibInitWithGUID; any constant does.
constexpr unsigned char kApplicationGuid[16] = {0x4f, 0x43, 0x53, 0x49, 0x4d, 0x00, 0x10, 0x20,
                                                0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90, 0xa0};

void PutU32(std::string& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

void PutU16(std::string& bytes, uint16_t value) {
    bytes.push_back(static_cast<char>(value & 0xff));
    bytes.push_back(static_cast<char>(value >> 8));
}

} // namespace

SysTuneLib::~SysTuneLib() {
    Unload();
}

bool SysTuneLib::Load(const std::wstring& scenario, const std::filesystem::path& stateFile, const std::wstring& pipe) {
    SetEnvironmentVariableW(L"OC_SIM_SCENARIO", scenario.c_str());
    SetEnvironmentVariableW(L"OC_SIM_STATE", stateFile.wstring().c_str());
    std::wstring pipeName = pipe.empty() ? UniquePipeName() : pipe;
    SetEnvironmentVariableW(L"OC_SIM_PIPE", pipeName.c_str());
    auto path = ProgramDir() / L"Driver" / L"x64" / L"vista" / L"sysTuneLib.dll";
    m_module = LoadLibraryW(path.wstring().c_str());
    if (!m_module)
        return false;
    Resolve(m_module, "ConfLibInit", ConfLibInit);
    Resolve(m_module, "ConfLibInitWithGUID", ConfLibInitWithGUID);
    Resolve(m_module, "GetDeviceById", GetDeviceById);
    Resolve(m_module, "PropertyControl", PropertyControl);
    Resolve(m_module, "RegisterCallbackFunction", RegisterCallbackFunction);
    Resolve(m_module, "GetDeviceCount", GetDeviceCount);
    Resolve(m_module, "CreateDeviceList", CreateDeviceList);
    Resolve(m_module, "PlayTestSound", PlayTestSound);
    Resolve(m_module, "StopTestSound", StopTestSound);
    Resolve(m_module, "CloseTestSound", CloseTestSound);
    Resolve(m_module, "ShowAsioPanel", ShowAsioPanel);
    Resolve(m_module, "StopListen2Device", StopListen2Device);
    Resolve(m_module, "RunListen2Device", RunListen2Device);
    Resolve(m_module, "ConfLibUnInit", ConfLibUnInit);
    Resolve(m_module, "SimControl", SimControl);
    Resolve(m_module, "SimFireEvent", SimFireEvent);
    Resolve(m_module, "SimPlugEndpoint", SimPlugEndpoint);
    Resolve(m_module, "SimSetValue", SimSetValue);
    Resolve(m_module, "SimGetValue", SimGetValue);
    Resolve(m_module, "SimGetCallLog", SimGetCallLog);
    Resolve(m_module, "SimGetTestSoundState", SimGetTestSoundState);
    Resolve(m_module, "SimGetListening", SimGetListening);
    bool complete = ConfLibInit && ConfLibInitWithGUID && GetDeviceById && PropertyControl &&
                    RegisterCallbackFunction && GetDeviceCount && CreateDeviceList && PlayTestSound && StopTestSound &&
                    CloseTestSound && ShowAsioPanel && StopListen2Device && RunListen2Device && ConfLibUnInit &&
                    SimControl && SimFireEvent && SimPlugEndpoint && SimSetValue && SimGetValue && SimGetCallLog &&
                    SimGetTestSoundState && SimGetListening;
    if (!complete)
        return false;
    m_initialised = ConfLibInitWithGUID(kApplicationGuid) == 0;
    return m_initialised;
}

void SysTuneLib::UnInit() {
    if (m_initialised && ConfLibUnInit)
        ConfLibUnInit();
    m_initialised = false;
}

void SysTuneLib::Unload() {
    UnInit();
    if (m_module)
        FreeLibrary(m_module);
    m_module = nullptr;
}

std::vector<DeviceKey> SysTuneLib::Keys(uint32_t flow) {
    std::vector<DeviceKey> keys;
    int32_t count = -1;
    GetDeviceCount(flow, &count);
    for (int32_t i = 0; i < count; ++i) {
        DeviceKey key{};
        if (GetDeviceById(flow, static_cast<uint32_t>(i), &key) == 0)
            keys.push_back(key);
    }
    return keys;
}

DeviceKey SysTuneLib::KeyOf(int32_t code, uint32_t flow) {
    for (const auto& key : Keys(flow)) {
        if (key.code == code)
            return key;
    }
    return DeviceKey{};
}

int32_t SysTuneLib::Read(const DeviceKey& key, const wchar_t* name, std::wstring& text, const void* args,
                         size_t argBytes) {
    // Both buffers are the caller's 1024 bytes, zeroed before use as the program does.
    alignas(8) unsigned char value[kPropertyBufferBytes] = {};
    alignas(8) unsigned char arguments[kPropertyBufferBytes] = {};
    if (args)
        std::memcpy(arguments, args, argBytes);
    void* valuePointer = value;
    void* argumentPointer = arguments;
    int32_t result = PropertyControl(&key, name, &valuePointer, args ? &argumentPointer : nullptr, kPropertyRead);
    if (result == 0)
        text = reinterpret_cast<const wchar_t*>(value);
    return result;
}

int32_t SysTuneLib::Write(const DeviceKey& key, const wchar_t* name, const void* valueBytes, size_t size,
                          const void* args, size_t argBytes) {
    alignas(8) unsigned char value[kPropertyBufferBytes] = {};
    alignas(8) unsigned char arguments[kPropertyBufferBytes] = {};
    std::memcpy(value, valueBytes, size);
    if (args)
        std::memcpy(arguments, args, argBytes);
    void* valuePointer = value;
    void* argumentPointer = arguments;
    return PropertyControl(&key, name, &valuePointer, args ? &argumentPointer : nullptr, kPropertyWrite);
}

std::wstring SysTuneLib::Control(const std::wstring& command) {
    std::vector<wchar_t> reply(64 * 1024);
    if (SimControl(command.c_str(), reply.data(), static_cast<uint32_t>(reply.size())) != 0)
        return L"error: " + std::wstring(reply.data());
    return reply.data();
}

std::wstring SysTuneLib::CallLog() {
    std::vector<wchar_t> text(512 * 1024);
    SimGetCallLog(text.data(), static_cast<uint32_t>(text.size()));
    return text.data();
}

PlHid::~PlHid() {
    if (m_module)
        FreeLibrary(m_module);
}

bool PlHid::Load() {
    auto path = ProgramDir() / L"Driver" / L"PLHID" / L"PLHID_X64.dll";
    m_module = LoadLibraryW(path.wstring().c_str());
    if (!m_module)
        return false;
    Resolve(m_module, "StartDevice", StartDevice);
    Resolve(m_module, "CloseDevice", CloseDevice);
    Resolve(m_module, "GetButtonDescription", GetButtonDescription);
    Resolve(m_module, "GetCallBack", GetCallBack);
    Resolve(m_module, "SimHidReported", SimHidReported);
    return StartDevice && CloseDevice && GetButtonDescription && GetCallBack && SimHidReported;
}

std::mutex EventRecorder::s_mutex;
std::condition_variable EventRecorder::s_arrived;
std::vector<ReceivedEvent> EventRecorder::s_events;

void EventRecorder::Callback(int32_t event, uint32_t flags, const DeviceKey* key) {
    {
        std::lock_guard lock(s_mutex);
        s_events.push_back(ReceivedEvent{event, flags, key ? key->id : 0, GetCurrentThreadId()});
    }
    s_arrived.notify_all();
}

void EventRecorder::Reset() {
    std::lock_guard lock(s_mutex);
    s_events.clear();
}

std::vector<ReceivedEvent> EventRecorder::Events() {
    std::lock_guard lock(s_mutex);
    return s_events;
}

size_t EventRecorder::Count(int32_t event) {
    std::lock_guard lock(s_mutex);
    size_t count = 0;
    for (const auto& received : s_events)
        count += received.event == event ? 1 : 0;
    return count;
}

bool EventRecorder::WaitFor(int32_t event, size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(s_mutex);
    return s_arrived.wait_for(lock, timeout, [&] {
        size_t seen = 0;
        for (const auto& received : s_events)
            seen += received.event == event ? 1 : 0;
        return seen >= count;
    });
}

void WriteWaveFile(const std::filesystem::path& path, unsigned milliseconds) {
    const uint32_t rate = 8000;
    const uint32_t dataBytes = rate * 2 * milliseconds / 1000;
    std::string bytes = "RIFF";
    PutU32(bytes, 36 + dataBytes);
    bytes += "WAVEfmt ";
    PutU32(bytes, 16);
    PutU16(bytes, 1); // PCM
    PutU16(bytes, 1); // mono
    PutU32(bytes, rate);
    PutU32(bytes, rate * 2);
    PutU16(bytes, 2);
    PutU16(bytes, 16);
    bytes += "data";
    PutU32(bytes, dataBytes);
    bytes.append(dataBytes, '\0');
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::wstring UniquePipeName() {
    static std::atomic<unsigned> counter{0};
    return L"\\\\.\\pipe\\OvercoatSimTest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter++);
}

} // namespace oc::test
