#pragma once
// The library's own thread. Driver events, the end of a test wave and the saving of the device state all
// run here, one task at a time, so the program's callback always arrives on one thread that is not its own.
// The thread starts in Start (called from the library's init) and is joined in Stop (called from its
// uninit): after Stop returns no task runs again, and tasks posted later are dropped.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace oc::sim {

class EventPump {
public:
    using Task = std::function<void()>;

    EventPump() = default;
    ~EventPump();
    EventPump(const EventPump&) = delete;
    EventPump& operator=(const EventPump&) = delete;

    void Start();
    void Stop(); // joins the thread; pending tasks are dropped
    void Post(Task task, std::chrono::milliseconds delay = std::chrono::milliseconds(0));
    bool IsPumpThread() const;

private:
    struct Timed {
        std::chrono::steady_clock::time_point due;
        unsigned long long order; // keeps tasks of the same due time in posting order
        Task task;
    };

    void Run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Timed> m_tasks;
    unsigned long long m_nextOrder = 0;
    bool m_running = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace oc::sim
