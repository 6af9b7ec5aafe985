#pragma once
// The slider's page repeat: while the left button stays down after a press on the bar, it posts a layer
// message to the host window, first after the keyboard delay ((delay + 1) x 250 ms) and then every 100 ms.
// The timer runs on its own thread and touches nothing but its own state; the slider steps when the
// message arrives on the user-interface thread.

#include <windows.h>

#include <mutex>

#include "skin/ISliderRepeatEnvironment.h"

class CxSliderRepeat {
public:
    enum State : int { kIdle = 0, kWaiting = 1, kRepeating = 2 };
    static constexpr UINT kDelayUnitMs = 250;
    static constexpr UINT kRepeatMs = 100;

    CxSliderRepeat() = default;
    // Stops the timer, waiting for a running tick: nothing posts for a repeat that is gone.
    ~CxSliderRepeat() { Stop(); }
    CxSliderRepeat(const CxSliderRepeat&) = delete;
    CxSliderRepeat& operator=(const CxSliderRepeat&) = delete;

    // Null restores the system's; a running repeat stops first.
    void SetEnvironment(ISliderRepeatEnvironment* environment);
    ISliderRepeatEnvironment* GetEnvironment() const { return m_environment; }

    // Starts (or restarts) posting `message` with `wParam` to `target`.
    void Start(HWND target, UINT message, WPARAM wParam);
    void Stop();
    State GetState() const;
    UINT GetTimerId() const;

private:
    static void CALLBACK OnTick(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR, DWORD_PTR);
    void Tick(UINT timerId);

    ISliderRepeatEnvironment* m_environment = ISliderRepeatEnvironment::System();
    // Guards the fields below, shared with the timer thread. Never held while the user-interface thread
    // kills a timer: the kill waits for a running tick, and that tick may be waiting for this lock.
    mutable std::mutex m_mutex;
    UINT m_timer = 0;
    State m_state = kIdle;
    HWND m_target = nullptr;
    UINT m_message = 0;
    WPARAM m_wParam = 0;
};
