#pragma once
// The driver interface answered as a device that holds no setting at all: every read and write fails, the
// names and lists are empty, one device with stereo endpoints is there and nothing plays. The fake drivers
// of the tests derive from it and answer only the calls they hold something for, like a device would.

#include <cstdint>
#include <string>
#include <vector>

#include "driver/IDriverInstance.h"

namespace oc::test {

class StubDriver : public IDriverInstance {
public:
    // What a device answers to a read or a write of a key it does not hold.
    static constexpr int32_t kUnknownKey = -1;

    bool Initialize() override { return true; }
    int32_t HasOnlyPartlySupportedDevice() override { return 0; }
    void BuildDeviceList() override {}
    int32_t RefreshDefaultDevices() override { return 0; }
    void RegisterCallback(oc::driver::DriverEventCallback) override {}
    void StartHidDevice(oc::driver::HidButtonCallback, oc::driver::HidReportFunction*) override {}
    void ToggleDeviceProperty(int32_t, uint32_t, const wchar_t*, int32_t*, bool) override {}
    void MapButtonToProperty(const oc::driver::ButtonRecord*, int32_t*, uint32_t*, std::wstring*) override {}
    void RefreshHidButtons() override {}
    void CloseHidDevice() override {}

    int32_t SetProperty(const wchar_t*, const void*, int32_t, uint32_t, const void*, int32_t, uint32_t) override {
        return m_unknownKeyWriteResult;
    }
    int32_t SetEndpointProperty(int32_t, const wchar_t*, const void*, int32_t, uint32_t, const void*, int32_t,
                                uint32_t) override {
        return m_unknownKeyWriteResult;
    }
    int32_t SetControlDeviceProperty(const wchar_t*, const void*, int32_t, uint32_t, const void*, int32_t,
                                     uint32_t) override {
        return m_unknownKeyWriteResult;
    }
    void AppendDefaultRenderCode(std::vector<int32_t>&) override {}
    int32_t GetProperty(const wchar_t*, void*, int32_t, uint32_t, void*, int32_t, uint32_t, bool, bool) override {
        return m_unknownKeyReadResult;
    }
    int32_t GetEndpointProperty(int32_t, const wchar_t*, void*, int32_t, uint32_t, void*, int32_t, uint32_t, bool,
                                bool) override {
        return m_unknownKeyReadResult;
    }
    int32_t GetControlDeviceProperty(const wchar_t*, void*, int32_t, uint32_t, void*, int32_t, uint32_t, bool,
                                     bool) override {
        return m_unknownKeyReadResult;
    }
    int32_t GetDefaultRenderProperty(const wchar_t*, void*, int32_t, uint32_t, void*, int32_t, uint32_t, bool,
                                     bool) override {
        return m_unknownKeyReadResult;
    }
    int32_t GetDefaultCaptureProperty(const wchar_t*, void*, int32_t, uint32_t, void*, int32_t, uint32_t, bool,
                                      bool) override {
        return m_unknownKeyReadResult;
    }

    uint32_t GetDeviceKindByName(const std::wstring&) override { return 0; }
    int32_t IsFeatureSupported(const std::wstring&) override { return 0; }
    int32_t DefaultRenderHasFeature2() override { return 0; }
    int32_t SetDefaultRenderEndpointByName(const std::wstring&) override { return 0; }
    int32_t SetDefaultCaptureEndpointByName(const std::wstring&) override { return 0; }
    void SetCurrentContent(const std::wstring&) override {}
    bool IsControlDeviceKind1() override { return false; }
    bool IsControlDevice2Kind1() override { return false; }
    bool PlayTestSound(const std::wstring&, int32_t) override { return false; }
    bool StopTestSound(bool) override { return false; }
    bool CloseTestSound() override { return false; }
    std::wstring GetDefaultRenderEndpointName() override { return {}; }
    std::wstring GetDefaultCaptureEndpointName() override { return {}; }
    std::wstring GetCurrentEndpointName() override { return {}; }
    std::wstring GetControlEndpointName() override { return {}; }
    std::wstring GetControlEndpointName2() override { return {}; }
    uint32_t GetChannelCount(int32_t) override { return 2; }
    std::wstring GetEndpointContent(const std::wstring&) override { return {}; }
    void ShowAsioPanel() override {}
    int32_t RunListen(DeviceRecord*) override { return 0; }
    int32_t StopListen(DeviceRecord*) override { return 0; }
    void RestoreListening() override {}
    void StopAllListening(bool) override {}
    bool RestartListen(int32_t, bool) override { return false; }
    void GetDeviceKeyByCode(oc::driver::DeviceKey*, int32_t) override {}
    int32_t EndpointNameToCode(const std::wstring&) override { return -1; }
    int32_t EndpointPrefixToCode(const std::wstring&) override { return -1; }
    std::wstring EndpointCodeToName(int32_t) override { return {}; }
    uint32_t GetLastWriteTime() override { return 0; }
    void ApplyEffectDefaults() override {}
    int32_t EnumerateDevices() override { return 0; }
    int32_t GetDeviceCount() override { return 1; }
    int32_t CountKind1Devices() override { return 1; }
    int32_t HasHeadphoneAmplifier() override { return 0; }
    std::wstring GetDirectXVersion() override { return {}; }
    void Release() override {}

    // The answers to a read and a write of a key the fake does not hold: a device fails both, and a test of
    // how the program takes another answer sets it here.
    int32_t m_unknownKeyReadResult = kUnknownKey;
    int32_t m_unknownKeyWriteResult = kUnknownKey;
};

} // namespace oc::test
