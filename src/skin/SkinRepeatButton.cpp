#include "skin/SkinRepeatButton.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CxSkinRepeatButton, CxSkinButton)

namespace {

constexpr int kMaxKeyboardDelay = 3;
constexpr int kMaxKeyboardSpeed = 31;

class CSystemRepeatServices : public CxSkinRepeatButton::System {
public:
    UINT StartTimer(UINT periodMs, LPTIMECALLBACK proc, DWORD_PTR user) override {
        // Synchronous kill: once timeKillEvent returns, no tick can still be on its way into a freed button.
        return ::timeSetEvent(periodMs, 0, proc, user, TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
    }
    void KillTimer(UINT id) override { ::timeKillEvent(id); }
    int GetKeyboardDelay() override { return ReadSetting(SPI_GETKEYBOARDDELAY); }
    int GetKeyboardSpeed() override { return ReadSetting(SPI_GETKEYBOARDSPEED); }
    POINT GetCursorPos() override {
        POINT point{};
        ::GetCursorPos(&point);
        return point;
    }

private:
    static int ReadSetting(UINT action) {
        int value = 0;
        if (!::SystemParametersInfoW(action, 0, &value, 0))
            return 0;
        return value;
    }
};

} // namespace

CxSkinRepeatButton::System& CxSkinRepeatButton::DefaultSystem() {
    static CSystemRepeatServices system;
    return system;
}

CxSkinRepeatButton::~CxSkinRepeatButton() {
    StopTimer();
    // A tick that began before the timer died may still be inside this button (clicking the listener);
    // the object must outlive it.
    while (m_ticksInFlight.load() > 0 && m_tickThread.load() != ::GetCurrentThreadId())
        ::Sleep(1);
}

UINT CxSkinRepeatButton::DetachTimer() {
    CxLockGuard guard(m_lock);
    const UINT id = m_timerId;
    m_timerId = 0;
    m_repeatState = kIdle;
    return id;
}

void CxSkinRepeatButton::StopTimer() {
    // The timer dies outside the lock: a synchronous kill waits for a running tick, which takes the lock.
    if (const UINT id = DetachTimer())
        m_system->KillTimer(id);
}

BOOL CxSkinRepeatButton::IsCursorInButton() {
    const POINT cursor = m_system->GetCursorPos();
    const RECT screen = RectToScreen(GetClientRect());
    return ::PtInRect(&screen, cursor);
}

int CxSkinRepeatButton::GetRepeatState() {
    CxLockGuard guard(m_lock);
    return m_repeatState;
}

void CxSkinRepeatButton::SetRepeatState(int state) {
    CxLockGuard guard(m_lock);
    m_repeatState = state;
}

UINT CxSkinRepeatButton::GetTimerId() {
    CxLockGuard guard(m_lock);
    return m_timerId;
}

void CxSkinRepeatButton::SetTimerId(UINT id) {
    CxLockGuard guard(m_lock);
    m_timerId = id;
}

void CxSkinRepeatButton::OnLButtonDown(UINT flags, POINT point) {
    StopTimer();
    const int delay = std::clamp(m_system->GetKeyboardDelay(), 0, kMaxKeyboardDelay);
    const UINT period = static_cast<UINT>(delay + 1) * kDelayStepMs;
    {
        // The new timer's first tick waits for the lock until its id and state are in place.
        CxLockGuard guard(m_lock);
        m_timerId = m_system->StartTimer(period, &TimerProc, reinterpret_cast<DWORD_PTR>(this));
        m_repeatState = kWaiting;
    }
    CxSkinButton::OnLButtonDown(flags, point);
}

void CxSkinRepeatButton::OnLButtonUp(UINT flags, POINT point) {
    StopTimer();
    CxSkinButton::OnLButtonUp(flags, point);
}

void CxSkinRepeatButton::OnMouseOut() {
    StopTimer();
    CxSkinButton::OnMouseOut();
}

LRESULT CxSkinRepeatButton::OnLayerMessage(UINT msg, LPARAM lParam) {
    if (msg != kRepeatClickMessage)
        return CxSkinButton::OnLayerMessage(msg, lParam);
    // A click posted just before the release still counts: the user held the button that long.
    FireClick();
    return 0;
}

void CALLBACK CxSkinRepeatButton::TimerProc(UINT id, UINT /*message*/, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    if (auto* button = reinterpret_cast<CxSkinRepeatButton*>(user))
        button->OnTick(id);
}

void CxSkinRepeatButton::OnTick(UINT id) {
    ++m_ticksInFlight;
    m_tickThread = ::GetCurrentThreadId();
    bool click = false;
    {
        CxLockGuard guard(m_lock);
        // A tick of a timer already stopped or replaced (a late one of the first period) is stale.
        if (id == m_timerId && m_repeatState != kIdle) {
            if (!IsCursorInButton()) {
                m_system->KillTimer(m_timerId);
                m_timerId = 0;
                m_repeatState = kIdle;
            } else if (m_repeatState == kWaiting) {
                m_system->KillTimer(m_timerId);
                const int speed = std::clamp(m_system->GetKeyboardSpeed(), 0, kMaxKeyboardSpeed);
                const UINT period = kSlowestRepeatMs - kRepeatStepMs * static_cast<UINT>(speed);
                m_timerId = m_system->StartTimer(period, &TimerProc, reinterpret_cast<DWORD_PTR>(this));
                m_repeatState = kRepeating;
                m_clickArmed = 0;
            } else {
                click = true;
            }
        }
    }
    // The listener is told outside the lock, so a listener that asks the button for its state cannot
    // block the user-interface thread's press or release. Pages write the device and redraw controls when
    // they hear a click: from the timer's thread it goes to the host window and comes back as a message.
    if (click) {
        if (::GetCurrentThreadId() == m_uiThread)
            FireClick();
        else
            PostMessage(kRepeatClickMessage, reinterpret_cast<WPARAM>(static_cast<CLayerWnd*>(this)), 0);
    }
    m_tickThread = 0;
    --m_ticksInFlight;
}
