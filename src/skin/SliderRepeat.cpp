#include "skin/SliderRepeat.h"

#include <algorithm>

namespace {
constexpr int kMaxKeyboardDelay = 3;
}

void CxSliderRepeat::SetEnvironment(ISliderRepeatEnvironment* environment) {
    Stop();
    m_environment = environment ? environment : ISliderRepeatEnvironment::System();
}

void CxSliderRepeat::Start(HWND target, UINT message, WPARAM wParam) {
    Stop();
    const int delay = std::clamp(m_environment->GetKeyboardDelay(), 0, kMaxKeyboardDelay);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_target = target;
        m_message = message;
        m_wParam = wParam;
        m_state = kWaiting;
    }
    // Started outside the lock; a tick that comes before the id is stored finds no match and waits for the
    // next period.
    const UINT timer = m_environment->StartTimer((static_cast<UINT>(delay) + 1) * kDelayUnitMs, &CxSliderRepeat::OnTick,
                                                 reinterpret_cast<DWORD_PTR>(this));
    std::lock_guard<std::mutex> lock(m_mutex);
    m_timer = timer;
    if (!timer)
        m_state = kIdle;
}

void CxSliderRepeat::Stop() {
    UINT timer = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        timer = m_timer;
        m_timer = 0;
        m_state = kIdle;
    }
    // A tick running now finds its timer gone and returns without starting another.
    if (timer)
        m_environment->KillTimer(timer);
}

CxSliderRepeat::State CxSliderRepeat::GetState() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state;
}

UINT CxSliderRepeat::GetTimerId() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_timer;
}

void CALLBACK CxSliderRepeat::OnTick(UINT timerId, UINT /*message*/, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    reinterpret_cast<CxSliderRepeat*>(user)->Tick(timerId);
}

void CxSliderRepeat::Tick(UINT timerId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    // A timer already stopped or replaced: its last tick changes nothing.
    if (timerId == 0 || timerId != m_timer)
        return;
    if (m_state == kWaiting) {
        // The delay is over: the faster timer takes over, and this tick is already its first.
        const UINT next =
            m_environment->StartTimer(kRepeatMs, &CxSliderRepeat::OnTick, reinterpret_cast<DWORD_PTR>(this));
        m_environment->KillTimer(timerId);
        m_timer = next;
        if (!next) {
            m_state = kIdle;
            return;
        }
        m_state = kRepeating;
    }
    if (m_environment->IsLeftButtonDown()) {
        ::PostMessageW(m_target, m_message, m_wParam, 0);
        return;
    }
    m_environment->KillTimer(m_timer);
    m_timer = 0;
    m_state = kIdle;
}
