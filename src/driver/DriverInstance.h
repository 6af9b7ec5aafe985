#pragma once
// The driver access object: loads the device maker's configuration and HID libraries, keeps the endpoint
// list and the endpoints that play a role, and runs every property read and write under its locks.
//
// Locks: the device lock guards the list and the role pointers and is always taken first; the read lock
// and the write lock each guard their pair of buffers and are never held together; the value cache and
// the device description store have small locks of their own, taken last.

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "driver/CriticalSection.h"
#include "driver/DeviceInfoSetting.h"
#include "driver/DeviceRecord.h"
#include "driver/DirectXVersionWorker.h"
#include "driver/DriverEnvironment.h"
#include "driver/DriverLibraryAbi.h"
#include "driver/IDriverInstance.h"
#include "driver/PropertyValue.h"

class CDriverInstance final : public IDriverInstance {
public:
    // The process's instance: made by the first call, returned by every later one.
    static IDriverInstance* CreateInstance(const DriverEnvironment& environment);

    bool Initialize() override;
    int32_t HasOnlyPartlySupportedDevice() override;
    void BuildDeviceList() override;
    int32_t RefreshDefaultDevices() override;
    void RegisterCallback(oc::driver::DriverEventCallback callback) override;
    void StartHidDevice(oc::driver::HidButtonCallback callback, oc::driver::HidReportFunction* reportFunction) override;
    void ToggleDeviceProperty(int32_t endpointCode, uint32_t flow, const wchar_t* name, int32_t* result,
                              bool toggle) override;
    void MapButtonToProperty(const oc::driver::ButtonRecord* record, int32_t* endpointCode, uint32_t* flow,
                             std::wstring* name) override;
    void RefreshHidButtons() override;
    void CloseHidDevice() override;

    int32_t SetProperty(const wchar_t* name, const void* value, int32_t valueType, uint32_t valueSize,
                        const void* arguments, int32_t argumentType, uint32_t argumentSize) override;
    int32_t SetEndpointProperty(int32_t endpointCode, const wchar_t* name, const void* value, int32_t valueType,
                                uint32_t valueSize, const void* arguments, int32_t argumentType,
                                uint32_t argumentSize) override;
    int32_t SetControlDeviceProperty(const wchar_t* name, const void* value, int32_t valueType, uint32_t valueSize,
                                     const void* arguments, int32_t argumentType, uint32_t argumentSize) override;
    void AppendDefaultRenderCode(std::vector<int32_t>& codes) override;
    int32_t GetProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t valueSize, void* arguments,
                        int32_t argumentType, uint32_t argumentSize, bool storeInCache, bool fromCache) override;
    int32_t GetEndpointProperty(int32_t endpointCode, const wchar_t* name, void* result, int32_t valueType,
                                uint32_t valueSize, void* arguments, int32_t argumentType, uint32_t argumentSize,
                                bool storeInCache, bool fromCache) override;
    int32_t GetControlDeviceProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t valueSize,
                                     void* arguments, int32_t argumentType, uint32_t argumentSize, bool storeInCache,
                                     bool fromCache) override;
    int32_t GetDefaultRenderProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t valueSize,
                                     void* arguments, int32_t argumentType, uint32_t argumentSize, bool storeInCache,
                                     bool fromCache) override;
    int32_t GetDefaultCaptureProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t valueSize,
                                      void* arguments, int32_t argumentType, uint32_t argumentSize, bool storeInCache,
                                      bool fromCache) override;

    uint32_t GetDeviceKindByName(const std::wstring& endpointName) override;
    int32_t IsFeatureSupported(const std::wstring& feature) override;
    int32_t DefaultRenderHasFeature2() override;
    int32_t SetDefaultRenderEndpointByName(const std::wstring& endpointName) override;
    int32_t SetDefaultCaptureEndpointByName(const std::wstring& endpointName) override;
    void SetCurrentContent(const std::wstring& contentName) override;
    bool IsControlDeviceKind1() override;
    bool IsControlDevice2Kind1() override;
    bool PlayTestSound(const std::wstring& wavePath, int32_t channel) override;
    bool StopTestSound(bool waitAfter) override;
    bool CloseTestSound() override;
    std::wstring GetDefaultRenderEndpointName() override;
    std::wstring GetDefaultCaptureEndpointName() override;
    std::wstring GetCurrentEndpointName() override;
    std::wstring GetControlEndpointName() override;
    std::wstring GetControlEndpointName2() override;
    uint32_t GetChannelCount(int32_t which) override;
    std::wstring GetEndpointContent(const std::wstring& endpointName) override;
    void ShowAsioPanel() override;
    int32_t RunListen(DeviceRecord* record) override;
    int32_t StopListen(DeviceRecord* record) override;
    void RestoreListening() override;
    void StopAllListening(bool force) override;
    bool RestartListen(int32_t endpointCode, bool restart) override;
    void GetDeviceKeyByCode(oc::driver::DeviceKey* key, int32_t endpointCode) override;
    int32_t EndpointNameToCode(const std::wstring& name) override;
    int32_t EndpointPrefixToCode(const std::wstring& name) override;
    std::wstring EndpointCodeToName(int32_t endpointCode) override;
    uint32_t GetLastWriteTime() override;
    void ApplyEffectDefaults() override;
    int32_t EnumerateDevices() override;
    int32_t GetDeviceCount() override;
    int32_t CountKind1Devices() override;
    int32_t HasHeadphoneAmplifier() override;
    std::wstring GetDirectXVersion() override;
    void Release() override;

    // A driver reporting an absurd endpoint count must not make enumeration run on for ever.
    static constexpr int32_t kMaxEndpointsPerFlow = 64;

private:
    // Tests reach the device list and the roles through this class only.
    friend class CDriverInstanceTestAccess;

    struct SysTuneEntryPoints {
        oc::driver::ConfLibInitFn ConfLibInit = nullptr;
        oc::driver::ConfLibInitWithGuidFn ConfLibInitWithGUID = nullptr;
        oc::driver::GetDeviceByIdFn GetDeviceById = nullptr;
        oc::driver::PropertyControlFn PropertyControl = nullptr;
        oc::driver::RegisterCallbackFunctionFn RegisterCallbackFunction = nullptr;
        oc::driver::GetDeviceCountFn GetDeviceCount = nullptr;
        oc::driver::CreateDeviceListFn CreateDeviceList = nullptr;
        oc::driver::PlayTestSoundFn PlayTestSound = nullptr;
        oc::driver::StopTestSoundFn StopTestSound = nullptr;
        oc::driver::CloseTestSoundFn CloseTestSound = nullptr;
        oc::driver::ShowAsioPanelFn ShowAsioPanel = nullptr;
        oc::driver::StopListen2DeviceFn StopListen2Device = nullptr;
        oc::driver::RunListen2DeviceFn RunListen2Device = nullptr;
        oc::driver::ConfLibUnInitFn ConfLibUnInit = nullptr;
    };

    struct HidEntryPoints {
        oc::driver::StartDeviceFn StartDevice = nullptr;
        oc::driver::CloseDeviceFn CloseDevice = nullptr;
        oc::driver::GetButtonDescriptionFn GetButtonDescription = nullptr;
        oc::driver::GetCallBackFn GetCallBack = nullptr;
    };

    struct ModuleFree {
        void operator()(HMODULE module) const { FreeLibrary(module); }
    };
    using ModuleHandle = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFree>;

    // The library works on these in place; wide text and 32-bit values are read from them directly.
    struct PropertyBuffers {
        alignas(8) uint8_t value[kPropertyBufferBytes];
        alignas(8) uint8_t arguments[kPropertyBufferBytes];
    };

    using RoutingBlock = std::array<int32_t, 3>;

    explicit CDriverInstance(const DriverEnvironment& environment);
    ~CDriverInstance() override;

    void LoadConfigurationLibrary();
    void LoadHidLibrary();

    int32_t WriteProperty(DeviceRecord* record, const wchar_t* name, const void* value, int32_t valueType,
                          uint32_t valueSize, const void* arguments, int32_t argumentType, uint32_t argumentSize);
    int32_t ReadProperty(DeviceRecord* record, const wchar_t* name, void* result, int32_t valueType, uint32_t valueSize,
                         void* arguments, int32_t argumentType, uint32_t argumentSize, bool storeInCache,
                         bool fromCache);
    int32_t FetchValue(DeviceRecord* record, const std::wstring& name, const RoutingBlock* route,
                       const std::wstring& cacheKey, int32_t valueType, uint32_t valueBytes, bool hasArguments,
                       int32_t argumentType, uint32_t argumentBytes, bool fromCache);
    const RoutingBlock* FindRoute(const std::wstring& name) const;

    // Callers hold the device lock.
    DeviceRecord* FindFullySupported(int32_t endpointCode) const;
    DeviceRecord* FindFirst(int32_t endpointCode) const;
    DeviceRecord* ControlDeviceOfKind1() const;
    bool IsListed(const DeviceRecord* record) const;

    // Typed reads on one record through the read path, storing into the value cache.
    int32_t ReadText(DeviceRecord* record, const wchar_t* name, std::wstring& text);
    int32_t ReadInt(DeviceRecord* record, const wchar_t* name, int32_t& value, const int32_t* argument = nullptr,
                    int32_t argumentType = 0);
    int32_t ReadFloat(DeviceRecord* record, const wchar_t* name, float& value, const int32_t* argument = nullptr,
                      int32_t argumentType = 0, bool storeInCache = true);
    bool IsDefaultDevice(DeviceRecord* record);

    // Enumeration.
    bool CanEnumerate() const;
    int32_t ReadEndpointCount(uint32_t flow);
    std::unique_ptr<DeviceRecord> FetchRecord(uint32_t flow, int32_t index);
    bool AcceptRecord(DeviceRecord& record, bool admitPartlySupported);
    void ClearDeviceList();
    void AddToList(std::unique_ptr<DeviceRecord> record, uint32_t flow);
    void AssignRoles(DeviceRecord* record);
    void ProbeRenderCapabilities(DeviceRecord* record);
    void ProbeCaptureCapabilities(DeviceRecord* record);
    void ChooseCurrentDevice();
    void SelectCurrentByCode(int32_t endpointCode);
    int32_t SetDefaultEndpointByName(const std::wstring& endpointName, uint32_t flow);
    uint32_t ProbeChannelCount(DeviceRecord* record);
    int32_t AnswerFeature(DeviceRecord& record, const std::wstring& feature);
    int32_t EffectIdentifierIs(DeviceRecord& record, const GUID& identifier);

    // Hardware buttons, ASIO and listening. The id reader takes the device lock itself.
    bool ReadVendorAndProduct(std::wstring& vendor, std::wstring& product);
    void LoadAsioDriverId();
    void ReadButtonStates();
    DeviceRecord** ListenSource(int32_t endpointCode, int32_t*& idleFlag);
    int32_t CallListen(DeviceRecord* record, oc::driver::RunListen2DeviceFn call);

    DriverEnvironment m_environment;

    ModuleHandle m_sysTuneLib;
    ModuleHandle m_hidLib;
    SysTuneEntryPoints m_sysTune;
    HidEntryPoints m_hid;

    DeviceRecord* m_currentDevice = nullptr;
    DeviceRecord* m_defaultRenderDevice = nullptr;
    DeviceRecord* m_defaultCaptureDevice = nullptr;
    DeviceRecord* m_controlDevice = nullptr;
    DeviceRecord* m_controlDevice2 = nullptr;
    DeviceRecord* m_micInSource = nullptr;
    DeviceRecord* m_lineInSource = nullptr;
    DeviceRecord* m_auxInSource = nullptr;

    std::vector<std::unique_ptr<DeviceRecord>> m_devices;

    PropertyBuffers m_read;
    // Shared with the DirectX worker, which may outlive this object after a bounded wait.
    std::shared_ptr<CCriticalSection> m_readLockOwner = std::make_shared<CCriticalSection>();
    CCriticalSection& m_readLock = *m_readLockOwner;
    PropertyBuffers m_write;
    CCriticalSection m_writeLock;

    CDeviceInfoSetting m_deviceInfo;
    std::atomic<uint32_t> m_lastWriteTime{0};
    CDirectXVersionWorker m_directX;
    CCriticalSection m_deviceLock;
    int32_t m_partlySupported = 0;
    std::wstring m_asioDriverId;                                  // under the device lock
    int32_t m_headphoneAmplifier = 0;                             // under the device lock
    oc::driver::HidReportFunction* m_hidReportFunction = nullptr; // the main window's variable
    int32_t m_listenIdle[3] = {1, 1, 1};                          // microphone, line-in, aux: 1 means not listening
    std::map<std::wstring, RoutingBlock> m_routing;
};
