#include "skin/Lock.h"

void CxLock::Init() {
    if (m_initialised)
        return;
    InitializeCriticalSection(&m_section);
    m_initialised = true;
}

void CxLock::Delete() {
    if (!m_initialised)
        return;
    DeleteCriticalSection(&m_section);
    m_initialised = false;
}

void CxLock::Lock() {
    if (m_initialised)
        EnterCriticalSection(&m_section);
}

void CxLock::Unlock() {
    if (m_initialised)
        LeaveCriticalSection(&m_section);
}
