#include "framework/Thread.h"

#include "framework/Exception.h"

#include <process.h>

CWorkerThread::CWorkerThread(AFX_THREADPROC proc, LPVOID param) : m_proc(proc), m_param(param) {}

CWorkerThread::~CWorkerThread() {
    if (!m_hThread)
        return;
    Join(INFINITE);
    ::CloseHandle(m_hThread);
}

BOOL CWorkerThread::Start(int priority, UINT stackSize, DWORD createFlags) {
    if (m_hThread || !m_proc)
        return FALSE;
    // Suspended first, so the priority is in place before the procedure runs.
    uintptr_t handle = _beginthreadex(nullptr, stackSize, &CWorkerThread::Entry, this, CREATE_SUSPENDED, &m_nThreadID);
    if (!handle)
        return FALSE;
    m_hThread = reinterpret_cast<HANDLE>(handle);
    ::SetThreadPriority(m_hThread, priority);
    if (!(createFlags & CREATE_SUSPENDED))
        ::ResumeThread(m_hThread);
    return TRUE;
}

BOOL CWorkerThread::Join(DWORD timeoutMs) {
    if (!m_hThread)
        return TRUE;
    return ::WaitForSingleObject(m_hThread, timeoutMs) == WAIT_OBJECT_0;
}

unsigned __stdcall CWorkerThread::Entry(void* self) {
    auto* thread = static_cast<CWorkerThread*>(self);
    try {
        return thread->m_proc(thread->m_param);
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    ::OutputDebugStringW(L"Overcoat: an exception ended a worker thread\n");
    return static_cast<unsigned>(-1);
}

std::unique_ptr<CWorkerThread> AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize,
                                              DWORD createFlags) {
    auto thread = std::make_unique<CWorkerThread>(proc, param);
    if (!thread->Start(priority, stackSize, createFlags))
        return nullptr;
    return thread;
}
