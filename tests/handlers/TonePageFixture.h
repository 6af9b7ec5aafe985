#pragma once
// The tone and single-slider effect pages as the program shows them: the shipped page markup loaded into a
// real skinned dialog, the test's handler bound to the page's root panel, and behind it a driver that keeps
// live values beside the driver's cache as a device would.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "../app/HandlerTestSupport.h"
#include "ShippedPageFixture.h"
#include "skin/IxSkinComboBox.h"

namespace oc::test {

// Values per key, live and cached; writes logged as "name=value/type" (floats with two decimals).
class ToneDriver : public RecordingDriver {
public:
    // The device holds the value, the driver's cache does not know of it yet (a change behind the page).
    void Put(const std::wstring& key, double value) { m_live[key] = value; }
    // Device and cache agree, as after the page's own read.
    void PutCached(const std::wstring& key, double value) {
        m_live[key] = value;
        m_cache[key] = value;
    }
    double Live(const std::wstring& key) const {
        auto it = m_live.find(key);
        return it == m_live.end() ? NAN : it->second;
    }

    int32_t SetProperty(const wchar_t* name, const void* value, int32_t valueType, uint32_t, const void*, int32_t,
                        uint32_t) override {
        const double v = Decode(value, valueType);
        m_writes.push_back(Describe(name, v, valueType));
        if (m_refused.contains(name))
            return 5;
        m_live[name] = v;
        m_cache[name] = v;
        return 0;
    }
    int32_t GetProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t, void*, int32_t, uint32_t,
                        bool storeInCache, bool fromCache) override {
        m_reads.push_back(std::wstring(name) + (fromCache ? L" cached" : storeInCache ? L" store" : L""));
        if (m_unreadable.contains(name))
            return 5;
        const auto& store = fromCache ? m_cache : m_live;
        auto it = store.find(name);
        if (it == store.end())
            return 5;
        if (storeInCache && !fromCache)
            m_cache[name] = it->second;
        Encode(it->second, result, valueType);
        return 0;
    }
    int32_t SetEndpointProperty(int32_t code, const wchar_t* name, const void* value, int32_t valueType, uint32_t,
                                const void*, int32_t, uint32_t) override {
        m_writes.push_back(std::to_wstring(code) + L":" + Describe(name, Decode(value, valueType), valueType));
        return 0;
    }
    int32_t GetEndpointProperty(int32_t code, const wchar_t* name, void* result, int32_t valueType, uint32_t, void*,
                                int32_t, uint32_t, bool, bool) override {
        m_reads.push_back(std::to_wstring(code) + L":" + name);
        if (m_unreadable.contains(name) || !m_live.contains(name))
            return 5;
        Encode(m_live[name], result, valueType);
        return 0;
    }
    int32_t IsFeatureSupported(const std::wstring& feature) override { return m_features.contains(feature); }

    static std::wstring Describe(const std::wstring& name, double value, int valueType) {
        wchar_t text[96];
        if (valueType == 2)
            swprintf(text, 96, L"%ls=%.2f/2", name.c_str(), value);
        else
            swprintf(text, 96, L"%ls=%lld/%d", name.c_str(), static_cast<long long>(value), valueType);
        return text;
    }

    std::vector<std::wstring> m_writes;
    std::vector<std::wstring> m_reads;
    std::set<std::wstring> m_refused;
    std::set<std::wstring> m_unreadable;
    std::set<std::wstring> m_features;

private:
    static double Decode(const void* value, int valueType) {
        switch (valueType) {
        case 1:
            return *static_cast<const uint32_t*>(value);
        case 2:
            return *static_cast<const float*>(value);
        default:
            return *static_cast<const int32_t*>(value);
        }
    }
    static void Encode(double value, void* result, int valueType) {
        if (valueType == 2)
            *static_cast<float*>(result) = static_cast<float>(value);
        else if (valueType == 1)
            *static_cast<uint32_t*>(result) = static_cast<uint32_t>(std::llround(value));
        else
            *static_cast<int32_t*>(result) = static_cast<int32_t>(std::lround(value));
    }

    std::map<std::wstring, double> m_live;
    std::map<std::wstring, double> m_cache;
};

class TonePageTest : public ShippedPageTest {
protected:
    void SetUp() override {
        services.m_driver = &driver;
        services.m_texts[L"ml_Message_Caption"] = L"Caption";
        ShippedPageTest::SetUp();
    }

    // Loads apo<panel>.lyt with the prepared handler bound to its root panel.
    template <class Handler> Handler* Open(const std::wstring& panel, Handler* handler) {
        handler->SetServices(&services);
        LoadPage(panel, handler);
        page = handler;
        return handler;
    }
    float Pos(const std::wstring& name) const { return SliderPos(name, -999.0f); }

    ToneDriver driver;
    TestServices services;
    CBaseHandler* page = nullptr;
};

} // namespace oc::test
