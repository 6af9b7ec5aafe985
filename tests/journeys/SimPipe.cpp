#include "SimPipe.h"

#include <windows.h>

#include "markup/Utf8.h"

namespace oc::journey {

namespace {

struct PipeHandle {
    HANDLE handle = INVALID_HANDLE_VALUE;
    ~PipeHandle() {
        if (handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
    }
};

} // namespace

std::wstring SimPipe::Send(const std::wstring& command) const {
    PipeHandle pipe;
    // The server serves one client at a time and makes a new instance after each: wait for it briefly.
    for (int attempt = 0; attempt < 100 && pipe.handle == INVALID_HANDLE_VALUE; ++attempt) {
        pipe.handle =
            ::CreateFileW(m_name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (pipe.handle != INVALID_HANDLE_VALUE)
            break;
        if (::GetLastError() == ERROR_PIPE_BUSY)
            ::WaitNamedPipeW(m_name.c_str(), 100);
        else
            ::Sleep(50);
    }
    if (pipe.handle == INVALID_HANDLE_VALUE)
        return L"error pipe";
    DWORD mode = PIPE_READMODE_MESSAGE;
    ::SetNamedPipeHandleState(pipe.handle, &mode, nullptr, nullptr);
    const std::string request = WideToUtf8(command);
    DWORD written = 0;
    if (!::WriteFile(pipe.handle, request.data(), static_cast<DWORD>(request.size()), &written, nullptr))
        return L"error pipe";
    std::string reply;
    char buffer[4096];
    for (;;) {
        DWORD read = 0;
        const BOOL done = ::ReadFile(pipe.handle, buffer, sizeof(buffer), &read, nullptr);
        reply.append(buffer, read);
        if (done)
            break;
        if (::GetLastError() != ERROR_MORE_DATA)
            return L"error pipe";
    }
    return Utf8ToWide(reply);
}

} // namespace oc::journey
