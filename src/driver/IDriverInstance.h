#pragma once
// The one way to the audio device. Every panel, the tray and the start-up code hold the driver access
// object through this interface.
//
// Property operations come in a write form (name, value, value type, value size, arguments, argument
// type, argument size) and a read form (the same with a result place, then "store the result in the value
// cache" and "take the result from the value cache"). Value types are those of PropertyValue.h; a size of
// 0 means 4 bytes for numbers. Results: 0 success, 100 no endpoint for a write or a role read, -1 no
// current endpoint or no library, anything else the library's own answer.

#include <cstdint>
#include <string>
#include <vector>

#include "driver/DeviceRecord.h"
#include "driver/DriverLibraryAbi.h"

enum DriverResult : int32_t {
    kDriverOk = 0,
    kDriverNoEndpoint = 100,
    kDriverNoDevice = -1,
    // A value or argument too large for the property buffers: refused before any library call.
    kDriverRefused = static_cast<int32_t>(0x80070057u),
};

class IDriverInstance {
public:
    // False unless the configuration library and its essential entry points are present; then whether
    // at least one fully supported endpoint is enumerated.
    virtual bool Initialize() = 0;
    virtual int32_t HasOnlyPartlySupportedDevice() = 0;
    virtual void BuildDeviceList() = 0;
    // 1 when a default endpoint changed.
    virtual int32_t RefreshDefaultDevices() = 0;
    virtual void RegisterCallback(oc::driver::DriverEventCallback callback) = 0;
    virtual void StartHidDevice(oc::driver::HidButtonCallback callback,
                                oc::driver::HidReportFunction* reportFunction) = 0;
    // Reads (and with toggle set, flips) an on/off property of the first endpoint with that code and flow.
    // The result receives the state the device now has.
    virtual void ToggleDeviceProperty(int32_t endpointCode, uint32_t flow, const wchar_t* name, int32_t* result,
                                      bool toggle) = 0;
    virtual void MapButtonToProperty(const oc::driver::ButtonRecord* record, int32_t* endpointCode, uint32_t* flow,
                                     std::wstring* name) = 0;
    virtual void RefreshHidButtons() = 0;
    virtual void CloseHidDevice() = 0;

    virtual int32_t SetProperty(const wchar_t* name, const void* value, int32_t valueType, uint32_t valueSize,
                                const void* arguments, int32_t argumentType, uint32_t argumentSize) = 0;
    virtual int32_t SetEndpointProperty(int32_t endpointCode, const wchar_t* name, const void* value, int32_t valueType,
                                        uint32_t valueSize, const void* arguments, int32_t argumentType,
                                        uint32_t argumentSize) = 0;
    virtual int32_t SetControlDeviceProperty(const wchar_t* name, const void* value, int32_t valueType,
                                             uint32_t valueSize, const void* arguments, int32_t argumentType,
                                             uint32_t argumentSize) = 0;
    virtual void AppendDefaultRenderCode(std::vector<int32_t>& codes) = 0;
    virtual int32_t GetProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t valueSize,
                                void* arguments, int32_t argumentType, uint32_t argumentSize, bool storeInCache,
                                bool fromCache) = 0;
    virtual int32_t GetEndpointProperty(int32_t endpointCode, const wchar_t* name, void* result, int32_t valueType,
                                        uint32_t valueSize, void* arguments, int32_t argumentType,
                                        uint32_t argumentSize, bool storeInCache, bool fromCache) = 0;
    virtual int32_t GetControlDeviceProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t valueSize,
                                             void* arguments, int32_t argumentType, uint32_t argumentSize,
                                             bool storeInCache, bool fromCache) = 0;
    virtual int32_t GetDefaultRenderProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t valueSize,
                                             void* arguments, int32_t argumentType, uint32_t argumentSize,
                                             bool storeInCache, bool fromCache) = 0;
    virtual int32_t GetDefaultCaptureProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t valueSize,
                                              void* arguments, int32_t argumentType, uint32_t argumentSize,
                                              bool storeInCache, bool fromCache) = 0;

    // The kind of the first endpoint with the name's code; 0 when there is none.
    virtual uint32_t GetDeviceKindByName(const std::wstring& endpointName) = 0;
    virtual int32_t IsFeatureSupported(const std::wstring& feature) = 0;
    virtual int32_t DefaultRenderHasFeature2() = 0;
    virtual int32_t SetDefaultRenderEndpointByName(const std::wstring& endpointName) = 0;
    virtual int32_t SetDefaultCaptureEndpointByName(const std::wstring& endpointName) = 0;
    virtual void SetCurrentContent(const std::wstring& contentName) = 0;
    virtual bool IsControlDeviceKind1() = 0;
    virtual bool IsControlDevice2Kind1() = 0;
    virtual bool PlayTestSound(const std::wstring& wavePath, int32_t channel) = 0;
    // With waitAfter set the call returns only after the device had the settle time of a stopped wave.
    virtual bool StopTestSound(bool waitAfter) = 0;
    virtual bool CloseTestSound() = 0;
    virtual std::wstring GetDefaultRenderEndpointName() = 0;
    virtual std::wstring GetDefaultCaptureEndpointName() = 0;
    virtual std::wstring GetCurrentEndpointName() = 0;
    virtual std::wstring GetControlEndpointName() = 0;
    virtual std::wstring GetControlEndpointName2() = 0;
    // which 0: the default render endpoint; anything else: the current endpoint.
    virtual uint32_t GetChannelCount(int32_t which) = 0;
    virtual std::wstring GetEndpointContent(const std::wstring& endpointName) = 0;
    virtual void ShowAsioPanel() = 0;
    virtual int32_t RunListen(DeviceRecord* record) = 0;
    virtual int32_t StopListen(DeviceRecord* record) = 0;
    virtual void RestoreListening() = 0;
    virtual void StopAllListening(bool force) = 0;
    virtual bool RestartListen(int32_t endpointCode, bool restart) = 0;
    // Copies the key of the first fully supported endpoint with the code; leaves the place as it was when
    // there is none.
    virtual void GetDeviceKeyByCode(oc::driver::DeviceKey* key, int32_t endpointCode) = 0;
    virtual int32_t EndpointNameToCode(const std::wstring& name) = 0;
    virtual int32_t EndpointPrefixToCode(const std::wstring& name) = 0;
    virtual std::wstring EndpointCodeToName(int32_t endpointCode) = 0;
    // GetTickCount at the last property write; 0 before the first.
    virtual uint32_t GetLastWriteTime() = 0;
    virtual void ApplyEffectDefaults() = 0;
    virtual int32_t EnumerateDevices() = 0;
    virtual int32_t GetDeviceCount() = 0;
    virtual int32_t CountKind1Devices() = 0;
    // Nonzero when the last device list build could read a headphone endpoint's amplifier level.
    virtual int32_t HasHeadphoneAmplifier() = 0;
    // The DirectX version text read in the background after the start-up writers; empty until then.
    virtual std::wstring GetDirectXVersion() = 0;
    // Destroys the process's instance.
    virtual void Release() = 0;

protected:
    virtual ~IDriverInstance() = default;
};
