// The scripted HID library: only what the unload order needs.
#include <windows.h>

#include <cstring>

#include "ProbeLibrary.h"

#define PROBE_EXPORT extern "C" __declspec(dllexport)

namespace {

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
        LogLine("hid unload");
    return TRUE;
}

PROBE_EXPORT int32_t StartDevice(oc::driver::HidButtonCallback, const wchar_t*, const wchar_t*) {
    LogLine("StartDevice");
    return 0;
}

PROBE_EXPORT int32_t CloseDevice() {
    LogLine("CloseDevice");
    return 0;
}
