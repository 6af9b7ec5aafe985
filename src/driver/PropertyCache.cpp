#include "driver/PropertyCache.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <mutex>

#include "driver/EndpointCodes.h"
#include "driver/PropertyValue.h"

namespace {

CPropertyCache* g_cache = nullptr;

CCriticalSection& InstanceLock() {
    static CCriticalSection lock;
    return lock;
}

// Volumes are read per channel, so each channel needs an entry of its own; the analog-path volumes are
// read the same way and would otherwise share one entry between both channels.
const wchar_t* const kPerChannelNames[] = {L"VolumeControl", L"VolumeScalarControl", L"AAVolumeControl",
                                           L"AAVolumeScalarControl"};

bool IsPerChannelName(const std::wstring& name) {
    return std::any_of(std::begin(kPerChannelNames), std::end(kPerChannelNames),
                       [&](const wchar_t* entry) { return name == entry; });
}

} // namespace

CPropertyCache& CPropertyCache::GetInstance() {
    std::lock_guard guard(InstanceLock());
    if (!g_cache)
        g_cache = new CPropertyCache;
    return *g_cache;
}

void CPropertyCache::DestroyInstance() {
    std::lock_guard guard(InstanceLock());
    delete g_cache;
    g_cache = nullptr;
}

std::wstring CPropertyCache::MakeKey(int32_t endpointCode, const std::wstring& name, const void* arguments) {
    if (name.find(L"DefaultDeviceControl") != std::wstring::npos)
        return (IsRenderEndpointCode(endpointCode) ? L"Render." : L"Capture.") + name;
    std::wstring key = EndpointCodeToName(endpointCode) + L"." + name;
    if (arguments && IsPerChannelName(name)) {
        int32_t channel = 0;
        std::memcpy(&channel, arguments, sizeof(channel));
        if (channel >= -1)
            key += L"." + std::to_wstring(channel);
    }
    return key;
}

void CPropertyCache::Store(const std::wstring& key, const void* value, int32_t valueType, uint32_t byteCount) {
    std::wstring text = FormatPropertyNumber(value, valueType, byteCount);
    std::lock_guard guard(m_lock);
    m_entries[key] = std::move(text);
}

int32_t CPropertyCache::Fetch(const std::wstring& key, wchar_t* buffer, size_t bufferChars, int32_t valueType) {
    if (bufferChars == 0)
        return 1;
    std::fill_n(buffer, bufferChars, L'\0');
    std::lock_guard guard(m_lock);
    auto entry = m_entries.find(key);
    if (entry == m_entries.end() || entry->second.empty()) {
        if (valueType != kValueText && bufferChars > 1)
            buffer[0] = L'0';
        return 1;
    }
    const size_t length = std::min(entry->second.size(), bufferChars - 1);
    std::copy_n(entry->second.c_str(), length, buffer);
    return 0;
}
