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
    // Resumes a thread started with CREATE_SUSPENDED.
    void Resume() { ::ResumeThread(m_hThread); }
    // The procedure's result once the thread has ended.
    BOOL GetExitCode(DWORD* code) const { return ::GetExitCodeThread(m_hThread, code); }

    HANDLE m_hThread = nullptr;
    unsigned m_nThreadID = 0;

private:
    static unsigned __stdcall Entry(void* self);

    AFX_THREADPROC m_proc;
    LPVOID m_param;
};

// Starts proc(param) on a new thread. Null when the thread could not be started.
std::unique_ptr<CWorkerThread> AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                                              UINT stackSize = 0, DWORD createFlags = 0);
