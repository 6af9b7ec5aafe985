#pragma once
// The last known value of every property the program has written or read with the store flag, keyed by
// endpoint and name. Pages compare a live read against it to see what changed behind their back.
// The read and write paths run under different locks, so the cache has a small lock of its own, always
// taken last.

#include <cstdint>
#include <map>
#include <string>

#include "driver/CriticalSection.h"

class CPropertyCache {
public:
    // The process-wide cache, made on first use.
    static CPropertyCache& GetInstance();
    // Ends the cache with the driver access object; a later GetInstance makes a fresh one.
    static void DestroyInstance();

    // "Speaker.Enable_EQ_GFX"; "Render."/"Capture." plus the name for the default-device property, which
    // belongs to a flow rather than an endpoint; the channel appended for per-channel volumes when an
    // argument block (its first 32-bit integer) is given and the channel is -1 or more.
    static std::wstring MakeKey(int32_t endpointCode, const std::wstring& name, const void* arguments);

    // Sets the key's entry to the text form of a native value (empty for texts and blocks).
    void Store(const std::wstring& key, const void* value, int32_t valueType, uint32_t byteCount);
    // Copies a non-empty entry into the zeroed buffer (cut to fit, terminated) and answers 0. Without one
    // answers 1, and the buffer holds "0" for numbers.
    int32_t Fetch(const std::wstring& key, wchar_t* buffer, size_t bufferChars, int32_t valueType);

private:
    CPropertyCache() = default;

    CCriticalSection m_lock;
    std::map<std::wstring, std::wstring> m_entries;
};
