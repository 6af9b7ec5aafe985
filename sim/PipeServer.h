#pragma once
// Serves the simulated device's control commands to other processes through a named pipe, so a test can
// drive the device while the real program has the library loaded. One client at a time; each message is
// one command and gets one reply message. The serving thread starts with the library's init and is joined
// at its uninit.
#include "UniqueHandle.h"

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

namespace oc::sim {

class PipeServer {
public:
    using Handler = std::function<std::string(const std::string& request)>;

    PipeServer();
    ~PipeServer();
    PipeServer(const PipeServer&) = delete;
    PipeServer& operator=(const PipeServer&) = delete;

    void Start(const std::wstring& pipeName, Handler handler);
    void Stop();

private:
    void Run();
    void Serve(HANDLE pipe);
    bool Complete(HANDLE pipe, OVERLAPPED& overlapped, DWORD& bytes, bool started);
    bool ReadMessage(HANDLE pipe, std::string& message);

    UniqueHandle m_stop;    // manual-reset event: set while stopping
    UniqueHandle m_ioEvent; // the event of the one overlapped operation in flight
    std::wstring m_name;
    Handler m_handler;
    std::thread m_thread;
};

} // namespace oc::sim
