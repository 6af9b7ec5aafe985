#pragma once
// A button that keeps clicking while it is held, at the pace of the keyboard's auto-repeat settings: a
// short press clicks once on release, a long press clicks from a multimedia timer and not again on
// release. The timer's thread never reaches the listener: it posts each click to the host window, and the
// listener hears it on the user-interface thread, as it hears every other click.

#include <windows.h>
#include <mmsystem.h>

#include <atomic>

#include "skin/IxSkinRepeatButton.h"
#include "skin/Lock.h"
#include "skin/SkinButton.h"

class CxSkinRepeatButton : public CxSkinButton, public virtual IxSkinRepeatButton {
    DECLARE_DYNAMIC(CxSkinRepeatButton)
public:
    // What the button takes from the system; tests put in their own clock, cursor and keyboard settings.
    class System {
    public:
        virtual ~System() = default;
        // A periodic timer calling proc with user; 0 when none could be made.
        virtual UINT StartTimer(UINT periodMs, LPTIMECALLBACK proc, DWORD_PTR user) = 0;
        // Once this returns no further tick of the timer starts and a running one has ended, unless the
        // caller is that tick itself.
        virtual void KillTimer(UINT id) = 0;
        virtual int GetKeyboardDelay() = 0; // 0..3
        virtual int GetKeyboardSpeed() = 0; // 0..31
        virtual POINT GetCursorPos() = 0;
    };
    static System& DefaultSystem();

    static constexpr UINT kDelayStepMs = 250; // per keyboard-delay step, starting at one step
    static constexpr UINT kSlowestRepeatMs = 400;
    static constexpr UINT kRepeatStepMs = 12; // per keyboard-speed step
    // The layer message that carries a timer click to the user-interface thread.
    static constexpr UINT kRepeatClickMessage = 2026;

    CxSkinRepeatButton() = default;
    ~CxSkinRepeatButton() override;

    // Null restores the system's own.
    void SetSystem(System* system) { m_system = system ? system : &DefaultSystem(); }

    // IxSkinRepeatButton
    void StopTimer() override;
    BOOL IsCursorInButton() override;
    int GetRepeatState() override;
    void SetRepeatState(int state) override;
    UINT GetTimerId() override;
    void SetTimerId(UINT id) override;

    void OnLButtonDown(UINT flags, POINT point) override;
    void OnLButtonUp(UINT flags, POINT point) override;
    void OnMouseOut() override;
    LRESULT OnLayerMessage(UINT msg, LPARAM lParam) override;

    static void CALLBACK TimerProc(UINT id, UINT message, DWORD_PTR user, DWORD_PTR, DWORD_PTR);

private:
    enum RepeatState : int { kIdle = 0, kWaiting = 1, kRepeating = 2 };

    // One tick of the timer `id`, on the timer's thread.
    void OnTick(UINT id);
    // Takes the running timer out of the state under the lock; the caller kills what it returns.
    UINT DetachTimer();

    System* m_system = &DefaultSystem();
    // The timer thread and the user-interface thread both change the timer and the state: every change
    // happens under this lock, and a tick of a timer that is no longer the button's does nothing.
    CxLock m_lock;
    UINT m_timerId = 0;
    int m_repeatState = kIdle;
    // Ticks running right now, so the destructor can wait for the last one to leave.
    std::atomic<int> m_ticksInFlight{0};
    std::atomic<DWORD> m_tickThread{0};
    // The thread that made the button, the one its listener lives on.
    DWORD m_uiThread = ::GetCurrentThreadId();
};
