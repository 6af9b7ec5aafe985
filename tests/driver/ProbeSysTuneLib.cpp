// The scripted configuration library. Built twice: complete, and with OC_PROBE_PARTIAL without
// ConfLibInitWithGUID and PropertyControl.
#include <windows.h>

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
    auto script = g_scripts.find(name);
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
#endif

PROBE_EXPORT int32_t GetDeviceById(uint32_t flow, uint32_t index, DeviceKey* record) {
    record->id = index + 1;
    record->code = 1;
    record->flow = flow;
    record->kind = 1;
    return 0;
}

PROBE_EXPORT int32_t RegisterCallbackFunction(DriverEventCallback, int32_t) {
    LogLine("RegisterCallbackFunction");
    return 0;
}

PROBE_EXPORT int32_t GetDeviceCount(uint32_t, int32_t* count) {
    *count = 0;
    return 0;
}

PROBE_EXPORT int32_t CreateDeviceList() {
    return 0;
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
}

PROBE_EXPORT int32_t ProbeCallCount() {
    std::lock_guard guard(g_mutex);
    return g_calls;
}

PROBE_EXPORT void ProbeLastCall(ProbeCall* call) {
    std::lock_guard guard(g_mutex);
    *call = g_last;
}
