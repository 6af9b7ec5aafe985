#include "EventPump.h"

#include <algorithm>

namespace oc::sim {

EventPump::~EventPump() {
    Stop();
}

void EventPump::Start() {
    std::lock_guard lock(m_mutex);
    if (m_running)
        return;
    m_running = true;
    m_stopping = false;
    m_thread = std::thread([this] { Run(); });
}

void EventPump::Stop() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_running)
            return;
        m_stopping = true;
    }
    m_wake.notify_all();
    // A task that stops the pump from its own thread cannot join itself; the owner joins later.
    if (m_thread.joinable() && !IsPumpThread())
        m_thread.join();
    std::lock_guard lock(m_mutex);
    m_tasks.clear();
    m_running = false;
}

void EventPump::Post(Task task, std::chrono::milliseconds delay) {
    {
        std::lock_guard lock(m_mutex);
        if (!m_running || m_stopping)
            return;
        m_tasks.push_back(Timed{std::chrono::steady_clock::now() + delay, m_nextOrder++, std::move(task)});
    }
    m_wake.notify_all();
}

bool EventPump::IsPumpThread() const {
    return std::this_thread::get_id() == m_thread.get_id();
}

void EventPump::Run() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        auto next = std::min_element(m_tasks.begin(), m_tasks.end(), [](const Timed& a, const Timed& b) {
            return a.due != b.due ? a.due < b.due : a.order < b.order;
        });
        if (next == m_tasks.end()) {
            m_wake.wait(lock);
            continue;
        }
        if (next->due > std::chrono::steady_clock::now()) {
            m_wake.wait_until(lock, next->due);
            continue;
        }
        Task task = std::move(next->task);
        m_tasks.erase(next);
        // Tasks call into the program and the device: never with the queue locked.
        lock.unlock();
        task();
        lock.lock();
    }
}

} // namespace oc::sim
