#include "driver/DirectXVersionWorker.h"

#include <objbase.h>

#include <mutex>

namespace {

// The value is asked for as text of 512 bytes; the library gets its usual 1024-byte buffers.
constexpr size_t kTextChars = 512 / sizeof(wchar_t);

} // namespace

CDirectXVersionWorker::~CDirectXVersionWorker() {
    Wait(kExitWaitMs);
    if (m_thread)
        CloseHandle(m_thread);
}

bool CDirectXVersionWorker::Start(oc::driver::PropertyControlFn propertyControl,
                                  std::shared_ptr<CCriticalSection> readLock) {
    if (!propertyControl || !Wait(0))
        return false;
    if (m_thread) {
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    // Pin the library that holds the entry point for as long as the worker may call it.
    HMODULE library = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(propertyControl)), &library))
        return false;
    auto* job = new Job{m_state, std::move(readLock), propertyControl, library};
    m_thread = CreateThread(nullptr, 0, &CDirectXVersionWorker::Run, job, 0, nullptr);
    if (!m_thread) {
        delete job;
        FreeLibrary(library);
        return false;
    }
    return true;
}

bool CDirectXVersionWorker::Wait(DWORD timeoutMs) {
    return !m_thread || WaitForSingleObject(m_thread, timeoutMs) == WAIT_OBJECT_0;
}

std::wstring CDirectXVersionWorker::Text() const {
    std::lock_guard guard(m_state->lock);
    return m_state->text;
}

DWORD WINAPI CDirectXVersionWorker::Run(void* parameter) {
    HMODULE library = nullptr;
    {
        std::unique_ptr<Job> job(static_cast<Job*>(parameter));
        library = job->library;
        const HRESULT com = CoInitialize(nullptr);
        alignas(8) uint8_t value[oc::driver::kPropertyBufferBytes] = {};
        void* valueBuffer = value;
        const oc::driver::DeviceKey anyDevice{};
        int32_t result = -1;
        {
            // The library's read path is not re-entrant: this read waits for the user-interface thread's.
            std::unique_lock<CCriticalSection> read;
            if (job->readLock)
                read = std::unique_lock<CCriticalSection>(*job->readLock);
            result = job->propertyControl(&anyDevice, L"GetDirectXVer", &valueBuffer, nullptr,
                                          oc::driver::kPropertyRead);
        }
        if (result == 0) {
            auto* text = reinterpret_cast<wchar_t*>(value);
            text[kTextChars - 1] = L'\0';
            std::lock_guard guard(job->state->lock);
            job->state->text = text;
        }
        if (SUCCEEDED(com))
            CoUninitialize();
    }
    FreeLibraryAndExitThread(library, 0);
}
