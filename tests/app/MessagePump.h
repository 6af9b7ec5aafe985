#pragma once
// The thread's queue run by hand, the way turns of the modal loop run it: the windows of a test get their
// posted messages and timers without a loop of their own.

#include <windows.h>

#include <chrono>

namespace oc::test {

// Runs the queue dry, the way one turn of the modal loop would.
inline void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Pumps for a while, resting stepMs between turns, so that timers and other threads' notices arrive.
inline void PumpFor(int ms, int stepMs = 5) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        Pump();
        ::Sleep(stepMs);
    }
}

// Pumps until the condition holds; false when the time ran out first.
template <class Condition> bool PumpUntil(Condition done, int timeoutMs = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        Pump();
        ::Sleep(5);
    }
    return true;
}

} // namespace oc::test
