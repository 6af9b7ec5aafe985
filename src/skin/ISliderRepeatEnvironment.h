#pragma once
// What the slider's page repeat takes from the system: a periodic timer that calls back on its own thread,
// the left button's state and the keyboard delay. Tests put a driven clock and a button of their own here.

#include <windows.h>

class ISliderRepeatEnvironment {
public:
    // The multimedia timer callback's shape (LPTIMECALLBACK), so the system's timer takes it as it is.
    using TickFunction = void(CALLBACK*)(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR, DWORD_PTR);

    virtual ~ISliderRepeatEnvironment() = default;
    // A periodic timer calling tick(id, 0, user, 0, 0), possibly on another thread; its id, or 0 when none could start.
    virtual UINT StartTimer(UINT periodMs, TickFunction tick, DWORD_PTR user) = 0;
    // Once this returns no tick of the timer runs any more, except the one that may be calling it.
    virtual void KillTimer(UINT timerId) = 0;
    // The physical button, not the message state: the repeat runs between messages.
    virtual bool IsLeftButtonDown() = 0;
    // The system's keyboard delay setting, 0 (shortest) to 3.
    virtual int GetKeyboardDelay() = 0;

    // Multimedia timers, GetAsyncKeyState and SPI_GETKEYBOARDDELAY; shared, stateless.
    static ISliderRepeatEnvironment* System();
};
