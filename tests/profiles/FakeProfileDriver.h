#pragma once
// A driver object for the profile tests: endpoint properties answer from a map per endpoint code (a table
// setting of an offered page without a value answers 0, as a device would), the features offered are a
// set, and every endpoint read and write is logged with its arguments. What the profile code does not reach
// answers as the stub does: a device that holds nothing there.

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "StubDriver.h"
#include "driver/EndpointCodes.h"
#include "profiles/ControlPropertyTable.h"

namespace oc::test {

struct EndpointRead {
    int32_t code;
    std::wstring name;
    int32_t valueType;
    bool hasArguments;
    int32_t argument; // the first word of the argument block, when there is one
    bool storeInCache;
    bool fromCache;
};

struct EndpointWrite {
    int32_t code;
    std::wstring name;
    int32_t value;
    int32_t valueType;
};

class FakeProfileDriver : public StubDriver {
public:
    // A value the endpoint answers; the read converts it to the asked type like the driver does.
    void SetValue(int32_t code, const std::wstring& name, double value) { m_values[{code, name}] = value; }
    void Support(const std::wstring& feature) { m_features.insert(feature); }
    // Like a device, the endpoint holds every setting of the pages it offers, whether or not the test gave
    // it a value; anything else (an unknown key, a page it lacks) fails to read.
    bool HoldsSetting(int32_t code, const wchar_t* name) const {
        const std::wstring endpoint = ::EndpointCodeToName(code);
        for (const ControlPropertyRow& row : g_ControlPropertyTable)
            if (std::wcscmp(row.Key, name) == 0 && (row.EndpointMask & DeviceTypeToMask(code)) &&
                m_features.count(endpoint + row.Feature))
                return true;
        return false;
    }

    int32_t GetEndpointProperty(int32_t code, const wchar_t* name, void* result, int32_t valueType, uint32_t,
                                void* arguments, int32_t, uint32_t, bool storeInCache, bool fromCache) override {
        int32_t argument = 0;
        if (arguments)
            std::memcpy(&argument, arguments, sizeof argument);
        m_reads.push_back({code, name, valueType, arguments != nullptr, argument, storeInCache, fromCache});
        auto found = m_values.find({code, name});
        if (m_unreadable.count({code, name}) || (found == m_values.end() && !HoldsSetting(code, name)))
            return m_unknownKeyReadResult;
        // A setting the test gave no value stands where a device starts it: at 0.
        const double held = found == m_values.end() ? 0.0 : found->second;
        if (valueType == 2) {
            const float value = static_cast<float>(held);
            std::memcpy(result, &value, sizeof value);
        } else {
            const int32_t value = static_cast<int32_t>(held);
            std::memcpy(result, &value, sizeof value);
        }
        return kDriverOk;
    }
    int32_t SetEndpointProperty(int32_t code, const wchar_t* name, const void* value, int32_t valueType, uint32_t,
                                const void*, int32_t, uint32_t) override {
        int32_t written = 0;
        std::memcpy(&written, value, sizeof written);
        m_writes.push_back({code, name, written, valueType});
        return m_deviceKind == 1 ? kDriverOk : kDriverNoEndpoint;
    }
    void AppendDefaultRenderCode(std::vector<int32_t>& codes) override {
        if (m_defaultRender >= 0)
            codes.push_back(m_defaultRender);
    }
    uint32_t GetDeviceKindByName(const std::wstring& name) override {
        return ::EndpointNameToCode(name) == m_defaultRender ? m_deviceKind : 0;
    }
    int32_t IsFeatureSupported(const std::wstring& feature) override { return m_features.count(feature) ? 1 : 0; }
    std::wstring GetDefaultRenderEndpointName() override { return ::EndpointCodeToName(m_defaultRender); }
    std::wstring EndpointCodeToName(int32_t code) override { return ::EndpointCodeToName(code); }
    int32_t EndpointNameToCode(const std::wstring& name) override { return ::EndpointNameToCode(name); }
    int32_t EndpointPrefixToCode(const std::wstring& name) override { return ::EndpointPrefixToCode(name); }
    std::wstring GetCurrentEndpointName() override { return GetDefaultRenderEndpointName(); }

    int32_t m_defaultRender = kEndpointSpeaker; // -1: no default render device
    uint32_t m_deviceKind = 1;
    std::map<std::pair<int32_t, std::wstring>, double> m_values;
    std::set<std::pair<int32_t, std::wstring>> m_unreadable; // reads that fail although the device holds them
    std::set<std::wstring> m_features;
    std::vector<EndpointRead> m_reads;
    std::vector<EndpointWrite> m_writes;
};

} // namespace oc::test
