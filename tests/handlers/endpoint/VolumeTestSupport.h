#pragma once
// A driver object for the volume pages that keeps what a device would: live values per key and channel, the
// driver's cache beside them, levels that follow each other in dB and as a scalar, a dB range, features,
// endpoint codes and listening restarts; and application services that record what the pages ask of them.

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "../../app/HandlerTestSupport.h"
#include "handlers/endpoint/VolumePageServices.h"

namespace oc::test {

class VolumeDriver : public RecordingDriver {
public:
    using Slot = std::pair<std::wstring, int>; // key, channel (0 for a key without argument)

    VolumeDriver() {
        Put(L"GetMaxVol", 0.0);
        Put(L"GetMinVol", -60.0);
        Put(L"GetAAMaxVol", 0.0);
        Put(L"GetAAMinVol", -40.0);
    }

    // The device holds the value (live only: as if another program or a hardware button set it).
    void Put(const std::wstring& key, double value, int channel = 0) {
        m_live[{key, channel}] = value;
        Couple(key, channel, value, m_live);
    }
    // The device and the driver's cache hold it, as after a read by the page.
    void PutCached(const std::wstring& key, double value, int channel = 0) {
        Put(key, value, channel);
        m_cache[{key, channel}] = value;
        Couple(key, channel, value, m_cache);
    }
    // A level as a scalar, with its dB twin.
    void PutLevel(int channel, double scalar, bool aa = false) {
        PutCached(aa ? L"AAVolumeScalarControl" : L"VolumeScalarControl", scalar, channel);
    }
    double Live(const std::wstring& key, int channel = 0) const {
        auto it = m_live.find({key, channel});
        return it == m_live.end() ? NAN : it->second;
    }
    double Cached(const std::wstring& key, int channel = 0) const {
        auto it = m_cache.find({key, channel});
        return it == m_cache.end() ? NAN : it->second;
    }

    int32_t SetProperty(const wchar_t* name, const void* value, int32_t valueType, uint32_t, const void* arguments,
                        int32_t, uint32_t) override {
        const int channel = arguments ? *static_cast<const int*>(arguments) : 0;
        const double v = valueType == 2 ? *static_cast<const float*>(value) : *static_cast<const int32_t*>(value);
        m_writes.push_back(Describe(name, channel, v, valueType));
        if (m_refused.contains(name))
            return 5;
        m_live[{name, channel}] = v;
        m_cache[{name, channel}] = v;
        Couple(name, channel, v, m_live);
        Couple(name, channel, v, m_cache);
        return 0;
    }
    int32_t GetProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t, void* arguments, int32_t,
                        uint32_t, bool storeInCache, bool fromCache) override {
        const int channel = arguments ? *static_cast<const int*>(arguments) : 0;
        m_reads.push_back(std::wstring(name) + (fromCache ? L" cached" : L""));
        if (m_unreadable.contains({name, channel}))
            return 5;
        const auto& store = fromCache ? m_cache : m_live;
        auto it = store.find({name, channel});
        if (it == store.end())
            return 5;
        if (storeInCache && !fromCache)
            m_cache[{name, channel}] = it->second;
        if (valueType == 2)
            *static_cast<float*>(result) = static_cast<float>(it->second);
        else
            *static_cast<int32_t*>(result) = static_cast<int32_t>(std::lround(it->second));
        return 0;
    }
    int32_t GetEndpointProperty(int32_t code, const wchar_t* name, void* result, int32_t valueType, uint32_t size,
                                void* arguments, int32_t argumentType, uint32_t argumentSize, bool storeInCache,
                                bool fromCache) override {
        if (!m_endpoints.contains(code))
            return kDriverNoEndpoint;
        return GetProperty(name, result, valueType, size, arguments, argumentType, argumentSize, storeInCache,
                           fromCache);
    }
    int32_t GetDefaultRenderProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t size,
                                     void* arguments, int32_t argumentType, uint32_t argumentSize, bool storeInCache,
                                     bool fromCache) override {
        return GetProperty(name, result, valueType, size, arguments, argumentType, argumentSize, storeInCache,
                           fromCache);
    }
    int32_t IsFeatureSupported(const std::wstring& feature) override { return m_features.contains(feature); }
    int32_t EndpointNameToCode(const std::wstring& name) override {
        static const std::pair<const wchar_t*, int32_t> codes[] = {
            {L"Speaker", 1}, {L"MicIn", 2},     {L"LineIn", 3},      {L"SPDIFOut", 4},
            {L"Aux", 5},     {L"HeadPhone", 7}, {L"DesktopMic", 10}, {L"SPDIFIn", 104}};
        for (const auto& [endpoint, code] : codes) {
            if (name == endpoint)
                return code;
        }
        return -1;
    }
    bool RestartListen(int32_t code, bool on) override {
        m_listens.push_back(std::to_wstring(code) + (on ? L" on" : L" off"));
        return true;
    }

    static std::wstring Describe(const std::wstring& name, int channel, double value, int valueType) {
        wchar_t text[96];
        swprintf(text, 96, L"%ls[%d]=%.2f/%d", name.c_str(), channel, value, valueType);
        return text;
    }

    std::vector<std::wstring> m_writes;
    std::vector<std::wstring> m_reads;
    std::vector<std::wstring> m_listens;
    std::set<std::wstring> m_refused;
    std::set<Slot> m_unreadable;
    std::set<std::wstring> m_features;
    std::set<int> m_endpoints{1, 2, 3, 4, 7};

private:
    // A level set in one unit moves its twin in the other, linearly over the path's dB range.
    void Couple(const std::wstring& key, int channel, double value, std::map<Slot, double>& store) {
        struct Twin {
            const wchar_t* scalar;
            const wchar_t* dB;
            const wchar_t* min;
            const wchar_t* max;
        };
        static const Twin twins[] = {
            {L"VolumeScalarControl", L"VolumeControl", L"GetMinVol", L"GetMaxVol"},
            {L"AAVolumeScalarControl", L"AAVolumeControl", L"GetAAMinVol", L"GetAAMaxVol"},
        };
        for (const Twin& twin : twins) {
            const double min = m_live.contains({twin.min, 0}) ? m_live[{twin.min, 0}] : -60.0;
            const double max = m_live.contains({twin.max, 0}) ? m_live[{twin.max, 0}] : 0.0;
            if (key == twin.scalar)
                store[{twin.dB, channel}] = min + value * (max - min);
            else if (key == twin.dB)
                store[{twin.scalar, channel}] = (value - min) / (max - min);
        }
    }

    std::map<Slot, double> m_live;
    std::map<Slot, double> m_cache;
};

class RecordingPageServices : public IVolumePageServices {
public:
    bool IsVistaOrLater() override { return m_vista; }
    CAppSettings* GetSettings() override { return m_settings; }
    bool SaveSettings() override {
        ++m_saves;
        return true;
    }
    int ShowMessageBox(CWnd* parent, const std::wstring& text, const std::wstring& caption, UINT type) override {
        m_messages.push_back(text + L" | " + caption + L" | " + std::to_wstring(type));
        m_messageParent = parent;
        return IDOK;
    }
    void RefreshSpeakerVolume(IMainHandler* main) override { m_refreshes.push_back(main ? L"volume" : L"volume?"); }
    void RefreshMuteButton(IMainHandler* main) override { m_refreshes.push_back(main ? L"mute" : L"mute?"); }

    bool m_vista = true;
    CAppSettings* m_settings = nullptr;
    int m_saves = 0;
    std::vector<std::wstring> m_messages;
    CWnd* m_messageParent = nullptr;
    std::vector<std::wstring> m_refreshes;
};

} // namespace oc::test
