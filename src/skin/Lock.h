#pragma once
// One critical section: the guard of data shared with multimedia-timer callbacks and worker threads,
// and of every repaint of a layered window.

#include <windows.h>

class CxLock {
public:
    CxLock() { Init(); }
    ~CxLock() { Delete(); }
    CxLock(const CxLock&) = delete;
    CxLock& operator=(const CxLock&) = delete;

    // Init and Delete are idempotent, so an explicit Delete before destruction is harmless.
    void Init();
    void Delete();
    void Lock();
    void Unlock();

private:
    CRITICAL_SECTION m_section{};
    bool m_initialised = false;
};

// Holds a CxLock for one scope.
class CxLockGuard {
public:
    explicit CxLockGuard(CxLock& lock) : m_lock(lock) { m_lock.Lock(); }
    ~CxLockGuard() { m_lock.Unlock(); }
    CxLockGuard(const CxLockGuard&) = delete;
    CxLockGuard& operator=(const CxLockGuard&) = delete;

private:
    CxLock& m_lock;
};
