// Sends control commands to the simulated device over its named pipe, from a process of its own.
// usage: sim_pipe_client <pipe name> <reply file> <command>...
// Each reply is written to the reply file on a line of its own (UTF-8); the exit code is the number of
// commands that could not be sent.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string ToUtf8(const wchar_t* text) {
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length > 0 ? length - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

HANDLE Connect(const wchar_t* name) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE pipe = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (pipe != INVALID_HANDLE_VALUE) {
            DWORD mode = PIPE_READMODE_MESSAGE;
            SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
            return pipe;
        }
        if (GetLastError() == ERROR_PIPE_BUSY)
            WaitNamedPipeW(name, 200);
        else
            Sleep(100);
    }
    return INVALID_HANDLE_VALUE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4)
        return 100;
    HANDLE pipe = Connect(argv[1]);
    if (pipe == INVALID_HANDLE_VALUE)
        return 101;
    FILE* out = _wfopen(argv[2], L"wb");
    if (!out) {
        CloseHandle(pipe);
        return 102;
    }
    int failures = 0;
    for (int i = 3; i < argc; ++i) {
        std::string request = ToUtf8(argv[i]);
        DWORD written = 0;
        if (!WriteFile(pipe, request.data(), static_cast<DWORD>(request.size()), &written, nullptr)) {
            ++failures;
            continue;
        }
        std::string reply;
        char buffer[4096];
        for (;;) {
            DWORD read = 0;
            BOOL done = ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr);
            reply.append(buffer, read);
            if (done)
                break;
            if (GetLastError() != ERROR_MORE_DATA) {
                ++failures;
                break;
            }
        }
        std::fprintf(out, "%s\n", reply.c_str());
    }
    std::fclose(out);
    CloseHandle(pipe);
    return failures;
}
