// The scripted HID library: the unload order, and a scripted button set for the button-state pass.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "ProbeLibrary.h"

#define PROBE_EXPORT extern "C" __declspec(dllexport)

namespace {

using oc::driver::ButtonRecord;

std::mutex g_mutex;
std::wstring g_history;
int32_t g_sizeAnswer = 0;
uint32_t g_byteCount = 0;
std::vector<ButtonRecord> g_records;
int32_t g_startAnswer = 0;

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

void Record(const std::wstring& line) {
    std::lock_guard guard(g_mutex);
    g_history += line + L"\n";
}

int32_t Report(ButtonRecord* record, int32_t reserved) {
    Record(L"report id=" + std::to_wstring(record ? record->buttonId : 0) + L" state=" +
           std::to_wstring(record ? record->state : 0) + L" reserved=" + std::to_wstring(reserved));
    return 0;
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH)
        LogLine("hid unload");
    return TRUE;
}

PROBE_EXPORT int32_t StartDevice(oc::driver::HidButtonCallback, const wchar_t* vendorId, const wchar_t* productId) {
    LogLine("StartDevice");
    Record(std::wstring(L"StartDevice [") + (vendorId ? vendorId : L"(null)") + L"] [" +
           (productId ? productId : L"(null)") + L"]");
    std::lock_guard guard(g_mutex);
    return g_startAnswer;
}

PROBE_EXPORT int32_t CloseDevice() {
    LogLine("CloseDevice");
    Record(L"CloseDevice");
    return 0;
}

PROBE_EXPORT int32_t GetButtonDescription(ButtonRecord* buffer, uint32_t* byteCount) {
    Record(std::wstring(L"GetButtonDescription ") + (buffer ? L"buffer" : L"null") + L" size=" +
           std::to_wstring(byteCount ? *byteCount : 0));
    std::lock_guard guard(g_mutex);
    if (!byteCount)
        return 1;
    if (!buffer) {
        *byteCount = g_byteCount;
        return g_sizeAnswer;
    }
    const size_t bytes = std::min<size_t>(*byteCount, g_records.size() * sizeof(ButtonRecord));
    std::memcpy(buffer, g_records.data(), bytes);
    return 0;
}

PROBE_EXPORT int32_t GetCallBack(oc::driver::HidReportFunction* reportFunction) {
    Record(L"GetCallBack");
    if (reportFunction)
        *reportFunction = &Report;
    return 0;
}

// --- control, for the tests only
PROBE_EXPORT void ProbeHidScript(int32_t sizeAnswer, uint32_t byteCount, const ButtonRecord* records,
                                 uint32_t recordCount, int32_t startAnswer) {
    std::lock_guard guard(g_mutex);
    g_sizeAnswer = sizeAnswer;
    g_byteCount = byteCount;
    g_records.assign(records, records + (records ? recordCount : 0));
    g_startAnswer = startAnswer;
}

PROBE_EXPORT int32_t ProbeHidHistory(wchar_t* buffer, uint32_t chars) {
    std::lock_guard guard(g_mutex);
    if (!buffer || chars == 0)
        return 1;
    const size_t length = std::min<size_t>(g_history.size(), chars - 1);
    std::memcpy(buffer, g_history.data(), length * sizeof(wchar_t));
    buffer[length] = L'\0';
    return 0;
}
