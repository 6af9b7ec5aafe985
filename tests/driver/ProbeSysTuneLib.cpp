// The scripted configuration library. Built twice: complete, and with OC_PROBE_PARTIAL without
// ConfLibInitWithGUID, PropertyControl and the test-sound, ASIO and listen entry points.
#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "ProbeLibrary.h"

#define PROBE_EXPORT extern "C" __declspec(dllexport)

namespace {

using namespace oc::driver;

struct Script {
    int32_t result = 0;
    int32_t writeResult = 0;
    std::wstring reply;
    bool fill = false;
    std::vector<uint8_t> argumentReply;
};

std::mutex g_mutex;
std::map<std::wstring, Script> g_scripts;
int32_t g_calls = 0;
ProbeCall g_last{};
std::wstring g_history;

struct DeviceList {
    std::vector<DeviceKey> keys;
    int32_t reportedCount = -1;
    bool touchCount = true;
};
DeviceList g_lists[2];
int32_t g_createListResult = 0;

std::wstring DeviceScriptName(uint32_t id, const wchar_t* name) {
    return std::to_wstring(id) + L":" + name;
}

// Callers hold g_mutex.
void Record(const std::wstring& line) {
    g_history += line + L"\n";
}

[[maybe_unused]] int32_t ScriptedResult(const wchar_t* entryPoint) {
    auto script = g_scripts.find(entryPoint);
    return script == g_scripts.end() ? 0 : script->second.result;
}

void LogLine(const char* text) {
    wchar_t path[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"OC_PROBE_LOG", path, MAX_PATH))
        return;
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    WriteFile(file, "\n", 1, &written, nullptr);
    CloseHandle(file);
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH)
        LogLine("lib unload");
    return TRUE;
}

PROBE_EXPORT int32_t ConfLibInit() {
    LogLine("ConfLibInit");
    return 0;
}

#ifndef OC_PROBE_PARTIAL
PROBE_EXPORT int32_t ConfLibInitWithGUID(const void* guid) {
    LogLine(guid ? "ConfLibInitWithGUID" : "ConfLibInitWithGUID null");
    return 0;
}

PROBE_EXPORT int32_t PropertyControl(const DeviceKey* key, const wchar_t* name, void** value, void** arguments,
                                     uint8_t write) {
    std::lock_guard guard(g_mutex);
    ++g_calls;
    g_last = {};
    wcsncpy(g_last.name, name, 127);
    g_last.write = write;
    g_last.hadValue = value != nullptr;
    g_last.hadArguments = arguments != nullptr;
    if (key)
        g_last.key = *key;
    if (value)
        std::memcpy(g_last.value, *value, kPropertyBufferBytes);
    if (arguments)
        std::memcpy(g_last.arguments, *arguments, kPropertyBufferBytes);
    int32_t firstArgument = 0;
    if (arguments)
        std::memcpy(&firstArgument, *arguments, sizeof(firstArgument));
    Record(std::wstring(write ? L"write " : L"read ") + name + L" id=" + std::to_wstring(key ? key->id : 0) + L" arg=" +
           std::to_wstring(firstArgument));
    auto script = g_scripts.find(DeviceScriptName(key ? key->id : 0, name));
    if (script == g_scripts.end())
        script = g_scripts.find(name);
    if (script == g_scripts.end())
        return 1;
    if (!write && value) {
        auto* text = static_cast<wchar_t*>(*value);
        const size_t capacity = kPropertyBufferBytes / sizeof(wchar_t);
        const std::wstring& reply = script->second.reply;
        if (script->second.fill && !reply.empty()) {
            for (size_t i = 0; i < capacity; ++i)
                text[i] = reply[i % reply.size()];
        } else {
            wcsncpy(text, reply.c_str(), capacity - 1);
        }
    }
    if (!write && arguments && !script->second.argumentReply.empty())
        std::memcpy(*arguments, script->second.argumentReply.data(), script->second.argumentReply.size());
    return write ? script->second.writeResult : script->second.result;
}

PROBE_EXPORT int32_t PlayTestSound(const wchar_t* path, uint32_t mask, const DeviceKey* key, int32_t reserved) {
    std::lock_guard guard(g_mutex);
    wchar_t line[64];
    swprintf(line, 64, L" mask=0x%x id=%u reserved=%d", mask, key ? key->id : 0, reserved);
    Record(std::wstring(L"PlayTestSound ") + (path ? path : L"") + line);
    return ScriptedResult(L"PlayTestSound");
}

PROBE_EXPORT int32_t StopTestSound(void* owner, int32_t reserved) {
    std::lock_guard guard(g_mutex);
    Record(std::wstring(L"StopTestSound") + (owner ? L"" : L" null") + L" reserved=" + std::to_wstring(reserved));
    return ScriptedResult(L"StopTestSound");
}

PROBE_EXPORT int32_t CloseTestSound(void* owner, int32_t reserved) {
    std::lock_guard guard(g_mutex);
    Record(std::wstring(L"CloseTestSound") + (owner ? L"" : L" null") + L" reserved=" + std::to_wstring(reserved));
    return ScriptedResult(L"CloseTestSound");
}

PROBE_EXPORT int32_t ShowAsioPanel(const void* classId) {
    std::lock_guard guard(g_mutex);
    GUID guid{};
    if (classId)
        std::memcpy(&guid, classId, sizeof(guid));
    wchar_t text[64] = {};
    StringFromGUID2(guid, text, 64);
    Record(std::wstring(L"ShowAsioPanel ") + text);
    return ScriptedResult(L"ShowAsioPanel");
}

PROBE_EXPORT int32_t RunListen2Device(const DeviceKey* key) {
    std::lock_guard guard(g_mutex);
    Record(L"RunListen2Device id=" + std::to_wstring(key ? key->id : 0));
    return ScriptedResult(L"RunListen2Device");
}

PROBE_EXPORT int32_t StopListen2Device(const DeviceKey* key) {
    std::lock_guard guard(g_mutex);
    Record(L"StopListen2Device id=" + std::to_wstring(key ? key->id : 0));
    return ScriptedResult(L"StopListen2Device");
}
#endif

PROBE_EXPORT int32_t GetDeviceById(uint32_t flow, uint32_t index, DeviceKey* record) {
    std::lock_guard guard(g_mutex);
    Record(L"GetDeviceById flow=" + std::to_wstring(flow) + L" index=" + std::to_wstring(index));
    // An index past the scripted endpoints fails and leaves the record as the caller gave it.
    if (flow > 1 || index >= g_lists[flow].keys.size())
        return 2;
    *record = g_lists[flow].keys[index];
    return 0;
}

PROBE_EXPORT int32_t RegisterCallbackFunction(DriverEventCallback, int32_t) {
    LogLine("RegisterCallbackFunction");
    return 0;
}

PROBE_EXPORT int32_t GetDeviceCount(uint32_t flow, int32_t* count) {
    std::lock_guard guard(g_mutex);
    if (flow > 1 || !g_lists[flow].touchCount)
        return 1;
    const DeviceList& list = g_lists[flow];
    *count = list.reportedCount >= 0 ? list.reportedCount : static_cast<int32_t>(list.keys.size());
    return 0;
}

PROBE_EXPORT int32_t CreateDeviceList() {
    std::lock_guard guard(g_mutex);
    Record(L"CreateDeviceList");
    return g_createListResult;
}

PROBE_EXPORT int32_t ConfLibUnInit() {
    LogLine("ConfLibUnInit");
    return 0;
}

// --- control, for the tests only
PROBE_EXPORT void ProbeScript(const wchar_t* name, int32_t result, const wchar_t* reply, int32_t fillBuffer,
                              const void* argumentReply, uint32_t argumentReplyBytes) {
    std::lock_guard guard(g_mutex);
    Script& script = g_scripts[name];
    script.result = result;
    script.writeResult = result;
    script.reply = reply ? reply : L"";
    script.fill = fillBuffer != 0;
    const auto* bytes = static_cast<const uint8_t*>(argumentReply);
    script.argumentReply.assign(bytes, bytes + (bytes ? argumentReplyBytes : 0));
}

PROBE_EXPORT void ProbeScriptWrite(const wchar_t* name, int32_t result) {
    std::lock_guard guard(g_mutex);
    g_scripts[name].writeResult = result;
    // Writes of the name on any endpoint, including those scripted per endpoint.
    const std::wstring suffix = std::wstring(L":") + name;
    for (auto& [key, script] : g_scripts) {
        if (key.size() > suffix.size() && key.ends_with(suffix))
            script.writeResult = result;
    }
}

PROBE_EXPORT void ProbeScriptDevice(uint32_t id, const wchar_t* name, int32_t result, const wchar_t* reply) {
    std::lock_guard guard(g_mutex);
    Script& script = g_scripts[DeviceScriptName(id, name)];
    script.result = result;
    script.writeResult = result;
    script.reply = reply ? reply : L"";
}

PROBE_EXPORT void ProbeSetDevices(uint32_t flow, const DeviceKey* keys, int32_t keyCount, int32_t reportedCount,
                                  int32_t touchCount) {
    std::lock_guard guard(g_mutex);
    if (flow > 1)
        return;
    g_lists[flow].keys.assign(keys, keys + (keys && keyCount > 0 ? keyCount : 0));
    g_lists[flow].reportedCount = reportedCount;
    g_lists[flow].touchCount = touchCount != 0;
}

PROBE_EXPORT void ProbeSetCreateListResult(int32_t result) {
    std::lock_guard guard(g_mutex);
    g_createListResult = result;
}

PROBE_EXPORT int32_t ProbeHistory(wchar_t* buffer, uint32_t chars) {
    std::lock_guard guard(g_mutex);
    if (!buffer || chars == 0)
        return 1;
    const size_t length = std::min<size_t>(g_history.size(), chars - 1);
    std::memcpy(buffer, g_history.data(), length * sizeof(wchar_t));
    buffer[length] = L'\0';
    return 0;
}

PROBE_EXPORT int32_t ProbeCallCount() {
    std::lock_guard guard(g_mutex);
    return g_calls;
}

PROBE_EXPORT void ProbeLastCall(ProbeCall* call) {
    std::lock_guard guard(g_mutex);
    *call = g_last;
}
