#include "skin/ISliderRepeatEnvironment.h"

#include <mmsystem.h>

namespace {

class CSystemRepeatEnvironment final : public ISliderRepeatEnvironment {
public:
    UINT StartTimer(UINT periodMs, TickFunction tick, DWORD_PTR user) override {
        // Synchronous kill: once timeKillEvent returns, no tick of that timer is still running, so the
        // repeat may go away right after stopping it.
        return ::timeSetEvent(periodMs, 0, tick, user, TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
    }
    void KillTimer(UINT timerId) override { ::timeKillEvent(timerId); }
    bool IsLeftButtonDown() override {
        // The swapped-buttons setting makes the physical right button the logical left one.
        const int button = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
        return (::GetAsyncKeyState(button) & 0x8000) != 0;
    }
    int GetKeyboardDelay() override {
        int delay = 0;
        if (!::SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0))
            return 0;
        return delay;
    }
};

} // namespace

ISliderRepeatEnvironment* ISliderRepeatEnvironment::System() {
    static CSystemRepeatEnvironment environment;
    return &environment;
}
