#pragma once
// A worker thread that can be waited for. The owner keeps the object; it waits for the thread when
// it goes, so a worker never outlives the state it was given.
#include <memory>
#include <windows.h>

using AFX_THREADPROC = UINT (*)(LPVOID);

class CWorkerThread {
public:
    CWorkerThread(AFX_THREADPROC proc, LPVOID param);
    ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Starts the thread; FALSE when the system could not create it.
    BOOL Start(int priority, UINT stackSize, DWORD createFlags);
    // Waits up to timeoutMs; TRUE when the thread has ended.
    BOOL Join(DWORD timeoutMs = INFINITE);
    // The same wait for a window's thread: messages other threads send to its windows are answered
    // meanwhile, so a worker that sends to a window while it is being stopped cannot deadlock the two.
    BOOL JoinAnsweringSends(DWORD timeoutMs);
    // Lets the thread run on alone: the object forgets it and no longer waits for it when it goes. Only
    // for a worker that touches nothing its owner frees.
    void Detach();
    // Resumes a thread started with CREATE_SUSPENDED.
    void Resume() { ::ResumeThread(m_hThread); }
    // The procedure's result once the thread has ended.
    BOOL GetExitCode(DWORD* code) const { return ::GetExitCodeThread(m_hThread, code); }

    HANDLE m_hThread = nullptr;
    unsigned m_nThreadID = 0;

private:
    struct Launch {
        AFX_THREADPROC proc;
        LPVOID param;
    };
    static unsigned __stdcall Entry(void* launchCopy);

    AFX_THREADPROC m_proc;
    LPVOID m_param;
};

// Waits up to timeoutMs for handle while answering messages sent to this thread's windows; TRUE when the
// handle was signalled.
BOOL WaitAnsweringSends(HANDLE handle, DWORD timeoutMs);

// Starts proc(param) on a new thread. Null when the thread could not be started.
std::unique_ptr<CWorkerThread> AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                                              UINT stackSize = 0, DWORD createFlags = 0);
