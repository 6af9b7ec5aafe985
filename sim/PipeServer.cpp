#include "PipeServer.h"

namespace oc::sim {
namespace {
constexpr DWORD kBufferBytes = 64 * 1024;
constexpr DWORD kRetryMs = 200;
} // namespace

PipeServer::PipeServer()
    : m_stop(CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_ioEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

PipeServer::~PipeServer() {
    Stop();
}

void PipeServer::Start(const std::wstring& pipeName, Handler handler) {
    if (m_thread.joinable())
        return;
    m_name = pipeName;
    m_handler = std::move(handler);
    ResetEvent(m_stop.Get());
    m_thread = std::thread([this] { Run(); });
}

void PipeServer::Stop() {
    if (!m_thread.joinable())
        return;
    SetEvent(m_stop.Get());
    m_thread.join();
}

void PipeServer::Run() {
    while (WaitForSingleObject(m_stop.Get(), 0) != WAIT_OBJECT_0) {
        UniqueHandle pipe(CreateNamedPipeW(m_name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                           PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, kBufferBytes,
                                           kBufferBytes, 0, nullptr));
        if (!pipe) {
            // Another copy of the library serves this name: wait and try again rather than give up.
            WaitForSingleObject(m_stop.Get(), kRetryMs);
            continue;
        }
        OVERLAPPED overlapped{};
        overlapped.hEvent = m_ioEvent.Get();
        ResetEvent(m_ioEvent.Get());
        DWORD bytes = 0;
        bool connected = ConnectNamedPipe(pipe.Get(), &overlapped) != FALSE;
        DWORD error = connected ? ERROR_SUCCESS : GetLastError();
        if (error == ERROR_PIPE_CONNECTED)
            connected = true;
        else if (error == ERROR_IO_PENDING)
            connected = Complete(pipe.Get(), overlapped, bytes, true);
        if (connected)
            Serve(pipe.Get());
        DisconnectNamedPipe(pipe.Get());
    }
}

void PipeServer::Serve(HANDLE pipe) {
    std::string request;
    while (ReadMessage(pipe, request)) {
        std::string reply = m_handler(request);
        OVERLAPPED overlapped{};
        overlapped.hEvent = m_ioEvent.Get();
        ResetEvent(m_ioEvent.Get());
        DWORD bytes = 0;
        BOOL done = WriteFile(pipe, reply.data(), static_cast<DWORD>(reply.size()), &bytes, &overlapped);
        if (!done && GetLastError() != ERROR_IO_PENDING)
            return;
        if (!Complete(pipe, overlapped, bytes, !done))
            return;
    }
}

// Waits for the overlapped operation or for Stop; a stop cancels the operation and waits for it to end, so
// no pending I/O outlives the OVERLAPPED on this thread's stack.
bool PipeServer::Complete(HANDLE pipe, OVERLAPPED& overlapped, DWORD& bytes, bool started) {
    if (started) {
        HANDLE handles[] = {overlapped.hEvent, m_stop.Get()};
        DWORD which = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (which != WAIT_OBJECT_0) {
            CancelIo(pipe);
            GetOverlappedResult(pipe, &overlapped, &bytes, TRUE);
            return false;
        }
    }
    return GetOverlappedResult(pipe, &overlapped, &bytes, FALSE) != FALSE;
}

bool PipeServer::ReadMessage(HANDLE pipe, std::string& message) {
    message.clear();
    char buffer[4096];
    for (;;) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = m_ioEvent.Get();
        ResetEvent(m_ioEvent.Get());
        DWORD bytes = 0;
        BOOL done = ReadFile(pipe, buffer, sizeof(buffer), &bytes, &overlapped);
        DWORD error = done ? ERROR_SUCCESS : GetLastError();
        if (!done && error == ERROR_IO_PENDING) {
            done = Complete(pipe, overlapped, bytes, true);
            error = done ? ERROR_SUCCESS : GetLastError();
        }
        if (done || error == ERROR_MORE_DATA)
            message.append(buffer, bytes);
        if (done)
            return true;
        if (error != ERROR_MORE_DATA)
            return false; // the client went away, or we are stopping
    }
}

} // namespace oc::sim
