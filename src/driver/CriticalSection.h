#pragma once
// A Windows critical section as a standard lockable, so std::lock_guard and std::unique_lock can hold it.
// Critical sections are recursive: an operation holding the device lock may call another one that takes it.

#include <windows.h>

class CCriticalSection {
public:
    CCriticalSection() { InitializeCriticalSection(&m_section); }
    ~CCriticalSection() { DeleteCriticalSection(&m_section); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void lock() { EnterCriticalSection(&m_section); }
    void unlock() { LeaveCriticalSection(&m_section); }
    bool try_lock() { return TryEnterCriticalSection(&m_section) != FALSE; }

private:
    CRITICAL_SECTION m_section;
};
