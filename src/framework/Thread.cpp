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
    // Suspended first, so the priority is in place before the procedure runs. The thread gets its own copy
    // of what to run and reads nothing of this object, which may therefore go first (Detach).
    auto* launch = new Launch{m_proc, m_param};
    uintptr_t handle = _beginthreadex(nullptr, stackSize, &CWorkerThread::Entry, launch, CREATE_SUSPENDED, &m_nThreadID);
    if (!handle) {
        delete launch;
        return FALSE;
    }
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

BOOL CWorkerThread::JoinAnsweringSends(DWORD timeoutMs) {
    if (!m_hThread)
        return TRUE;
    return WaitAnsweringSends(m_hThread, timeoutMs);
}

void CWorkerThread::Detach() {
    if (!m_hThread)
        return;
    // The thread reads nothing of this object, so the object may go first.
    ::CloseHandle(m_hThread);
    m_hThread = nullptr;
}

BOOL WaitAnsweringSends(HANDLE handle, DWORD timeoutMs) {
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        DWORD remaining = INFINITE;
        if (timeoutMs != INFINITE) {
            const ULONGLONG elapsed = ::GetTickCount64() - start;
            remaining = elapsed >= timeoutMs ? 0 : static_cast<DWORD>(timeoutMs - elapsed);
        }
        const DWORD result = ::MsgWaitForMultipleObjects(1, &handle, FALSE, remaining, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0)
            return TRUE;
        if (result != WAIT_OBJECT_0 + 1)
            return FALSE; // timed out, or the handle is no good
        // Peeking delivers the sent messages; posted ones stay queued for the message loop.
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

unsigned __stdcall CWorkerThread::Entry(void* launchCopy) {
    const Launch launch = *static_cast<Launch*>(launchCopy);
    delete static_cast<Launch*>(launchCopy);
    try {
        return launch.proc(launch.param);
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
