#pragma once
// The timer side of a control's repeat system as a test drives it: it records the periods asked for and
// the timers killed, keeps the one that runs, and fires its callback only when the test says so.

#include <windows.h>

#include <vector>

namespace oc::test {

template <class Callback> class HandFiredClock {
public:
    UINT Start(UINT periodMs, Callback callback, DWORD_PTR user) {
        periods.push_back(periodMs);
        m_callback = callback;
        m_user = user;
        running = ++m_lastId;
        return running;
    }
    void Kill(UINT id) {
        killed.push_back(id);
        if (id == running)
            running = 0;
    }
    // One tick of the given timer, or of the running one.
    void Fire(UINT id = 0) { m_callback(id ? id : running, 0, m_user, 0, 0); }

    UINT running = 0;
    std::vector<UINT> periods;
    std::vector<UINT> killed;

private:
    Callback m_callback = nullptr;
    DWORD_PTR m_user = 0;
    UINT m_lastId = 0;
};

} // namespace oc::test
