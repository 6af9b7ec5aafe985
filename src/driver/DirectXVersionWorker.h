#pragma once
// The one-shot worker that asks the driver library for the DirectX version text, off the user-interface
// thread because the library may take its time. The worker shares nothing with its owner but a small
// state object and the read lock, and keeps its own reference on the library, so an owner that stops
// waiting for it (at exit, after a bounded wait) can go away safely while the worker finishes.

#include <windows.h>

#include <memory>
#include <string>

#include "driver/CriticalSection.h"
#include "driver/DriverLibraryAbi.h"

class CDirectXVersionWorker {
public:
    CDirectXVersionWorker() = default;
    ~CDirectXVersionWorker();
    CDirectXVersionWorker(const CDirectXVersionWorker&) = delete;
    CDirectXVersionWorker& operator=(const CDirectXVersionWorker&) = delete;

    // Starts a read unless one still runs; false when none was started. The read runs under readLock when
    // there is one (the driver's read lock, shared so that it outlives an owner that stops waiting).
    bool Start(oc::driver::PropertyControlFn propertyControl, std::shared_ptr<CCriticalSection> readLock = nullptr);
    // Waits at most timeoutMs for a running read; true when none runs any more.
    bool Wait(DWORD timeoutMs);
    // The last text read; empty before the first success.
    std::wstring Text() const;

    static constexpr DWORD kExitWaitMs = 5000;

private:
    struct State {
        CCriticalSection lock;
        std::wstring text;
    };
    struct Job {
        std::shared_ptr<State> state;
        std::shared_ptr<CCriticalSection> readLock;
        oc::driver::PropertyControlFn propertyControl;
        HMODULE library; // a reference of the worker's own, released as it ends
    };

    static DWORD WINAPI Run(void* parameter);

    std::shared_ptr<State> m_state = std::make_shared<State>();
    HANDLE m_thread = nullptr;
};
