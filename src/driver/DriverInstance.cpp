#include "driver/DriverInstance.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "driver/EndpointCodes.h"
#include "driver/PropertyCache.h"

namespace {

CDriverInstance* g_driverInstance = nullptr;

// The program's identity towards the configuration library.
const GUID kApplicationId = {0x5b2e4e6a, 0x9c3d, 0x4f1b, {0x8a, 0x27, 0x3d, 0x6e, 0x1c, 0x0f, 0x9b, 0x42}};

// The four virtual-surround settings are one library property told apart by its argument block.
const wchar_t kRoutedPropertyName[] = L"VirtualSurroundEffectControl";

template <class Fn> void Resolve(HMODULE module, const char* name, Fn& entryPoint) {
    // Through the generic function type: GetProcAddress's own type does not match any entry point.
    entryPoint = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

bool IsSystem64Bit() {
#ifdef _WIN64
    return true;
#else
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

bool IsVirtualPropertyName(const std::wstring& name) {
    return name.starts_with(L"__");
}

} // namespace

IDriverInstance* CDriverInstance::CreateInstance(const DriverEnvironment& environment) {
    if (!g_driverInstance)
        g_driverInstance = new CDriverInstance(environment);
    return g_driverInstance;
}

void CDriverInstance::Release() {
    if (g_driverInstance == this)
        g_driverInstance = nullptr;
    delete this;
}

CDriverInstance::CDriverInstance(const DriverEnvironment& environment)
    : m_environment(environment), m_deviceInfo(environment.dataFolder) {
    m_routing = {
        {L"GetVirtualSurroundEffectGUID", {1, -1, 0}},
        {L"EnableVirtualSurroundEffect", {4, -1, 0}},
        {L"VirtualSurroundMode", {4, 1, 0}},
        {L"VirtualSurroundRoomSize", {4, 0, 0}},
    };
    std::memset(&m_read, 0, sizeof(m_read));
    std::memset(&m_write, 0, sizeof(m_write));

    LoadConfigurationLibrary();
    LoadHidLibrary();
    m_deviceInfo.LoadOrReplaceProfileXml();
}

CDriverInstance::~CDriverInstance() {
    // The DirectX worker pins the library itself, so a worker still running after the wait is harmless.
    m_directX.Wait(CDirectXVersionWorker::kExitWaitMs);
    // Both libraries call back on threads of their own. Stop them before anything they could reach goes
    // away, and without holding the device lock: a callback waiting for it would never let them end.
    if (m_hid.CloseDevice)
        m_hid.CloseDevice();
    if (m_sysTune.ConfLibUnInit)
        m_sysTune.ConfLibUnInit();
    {
        std::lock_guard device(m_deviceLock);
        m_currentDevice = m_defaultRenderDevice = m_defaultCaptureDevice = nullptr;
        m_controlDevice = m_controlDevice2 = nullptr;
        m_micInSource = m_lineInSource = m_auxInSource = nullptr;
        m_devices.clear();
    }
    m_hidLib.reset();
    m_sysTuneLib.reset();
    CPropertyCache::DestroyInstance();
}

void CDriverInstance::LoadConfigurationLibrary() {
    const std::wstring path = m_environment.programFolder + L"Driver\\" + (IsSystem64Bit() ? L"x64" : L"x86") + L"\\" +
                              (m_environment.vistaOrLater ? L"vista" : L"xp") + L"\\sysTuneLib.dll";
    m_sysTuneLib.reset(LoadLibraryW(path.c_str()));
    if (!m_sysTuneLib)
        return;
    HMODULE module = m_sysTuneLib.get();
    Resolve(module, "ConfLibInit", m_sysTune.ConfLibInit);
    Resolve(module, "ConfLibInitWithGUID", m_sysTune.ConfLibInitWithGUID);
    Resolve(module, "GetDeviceById", m_sysTune.GetDeviceById);
    Resolve(module, "PropertyControl", m_sysTune.PropertyControl);
    Resolve(module, "RegisterCallbackFunction", m_sysTune.RegisterCallbackFunction);
    Resolve(module, "GetDeviceCount", m_sysTune.GetDeviceCount);
    Resolve(module, "CreateDeviceList", m_sysTune.CreateDeviceList);
    Resolve(module, "PlayTestSound", m_sysTune.PlayTestSound);
    Resolve(module, "StopTestSound", m_sysTune.StopTestSound);
    Resolve(module, "CloseTestSound", m_sysTune.CloseTestSound);
    Resolve(module, "ShowAsioPanel", m_sysTune.ShowAsioPanel);
    Resolve(module, "StopListen2Device", m_sysTune.StopListen2Device);
    Resolve(module, "RunListen2Device", m_sysTune.RunListen2Device);
    Resolve(module, "ConfLibUnInit", m_sysTune.ConfLibUnInit);

    if (m_sysTune.ConfLibInitWithGUID) {
        const GUID applicationId = kApplicationId;
        m_sysTune.ConfLibInitWithGUID(&applicationId);
    } else if (m_sysTune.ConfLibInit) {
        m_sysTune.ConfLibInit();
    }
}

void CDriverInstance::LoadHidLibrary() {
    const std::wstring path = m_environment.programFolder +
                              (IsSystem64Bit() ? L"Driver\\PLHID\\PLHID_X64.dll" : L"Driver\\PLHID\\PLHID_X86.dll");
    m_hidLib.reset(LoadLibraryW(path.c_str()));
    if (!m_hidLib)
        return;
    HMODULE module = m_hidLib.get();
    Resolve(module, "StartDevice", m_hid.StartDevice);
    Resolve(module, "CloseDevice", m_hid.CloseDevice);
    Resolve(module, "GetButtonDescription", m_hid.GetButtonDescription);
    Resolve(module, "GetCallBack", m_hid.GetCallBack);
}

bool CDriverInstance::Initialize() {
    const SysTuneEntryPoints& lib = m_sysTune;
    if (!m_sysTuneLib || !lib.ConfLibInit || !lib.GetDeviceById || !lib.GetDeviceCount || !lib.CreateDeviceList ||
        !lib.PropertyControl)
        return false;
    return EnumerateDevices() > 0;
}

int32_t CDriverInstance::HasOnlyPartlySupportedDevice() {
    return m_partlySupported;
}

void CDriverInstance::RegisterCallback(oc::driver::DriverEventCallback callback) {
    if (m_sysTune.RegisterCallbackFunction)
        m_sysTune.RegisterCallbackFunction(callback, 0);
}

void CDriverInstance::CloseHidDevice() {
    if (m_hid.CloseDevice)
        m_hid.CloseDevice();
}

// ---------------------------------------------------------------------------------------------------------
// Endpoint selection. Every operation that looks at the list or a role pointer holds the device lock: the
// HID and driver threads call in here while the user-interface thread may be rebuilding the list.

DeviceRecord* CDriverInstance::FindFullySupported(int32_t endpointCode) const {
    for (const auto& record : m_devices) {
        if (record->Code() == endpointCode && record->Kind() == 1)
            return record.get();
    }
    return nullptr;
}

DeviceRecord* CDriverInstance::FindFirst(int32_t endpointCode) const {
    for (const auto& record : m_devices) {
        if (record->Code() == endpointCode)
            return record.get();
    }
    return nullptr;
}

bool CDriverInstance::IsListed(const DeviceRecord* record) const {
    return std::any_of(m_devices.begin(), m_devices.end(), [&](const auto& listed) { return listed.get() == record; });
}

DeviceRecord* CDriverInstance::ControlDeviceOfKind1() const {
    return m_controlDevice && m_controlDevice->Kind() == 1 ? m_controlDevice : nullptr;
}

int32_t CDriverInstance::SetProperty(const wchar_t* name, const void* value, int32_t valueType, uint32_t valueSize,
                                     const void* arguments, int32_t argumentType, uint32_t argumentSize) {
    std::lock_guard device(m_deviceLock);
    if (!m_currentDevice)
        return kDriverNoEndpoint;
    return WriteProperty(m_currentDevice, name, value, valueType, valueSize, arguments, argumentType, argumentSize);
}

int32_t CDriverInstance::SetEndpointProperty(int32_t endpointCode, const wchar_t* name, const void* value,
                                             int32_t valueType, uint32_t valueSize, const void* arguments,
                                             int32_t argumentType, uint32_t argumentSize) {
    std::lock_guard device(m_deviceLock);
    DeviceRecord* record = FindFullySupported(endpointCode);
    if (!record)
        return kDriverNoEndpoint;
    return WriteProperty(record, name, value, valueType, valueSize, arguments, argumentType, argumentSize);
}

int32_t CDriverInstance::SetControlDeviceProperty(const wchar_t* name, const void* value, int32_t valueType,
                                                  uint32_t valueSize, const void* arguments, int32_t argumentType,
                                                  uint32_t argumentSize) {
    std::lock_guard device(m_deviceLock);
    DeviceRecord* record = ControlDeviceOfKind1();
    if (!record)
        return kDriverNoEndpoint;
    return WriteProperty(record, name, value, valueType, valueSize, arguments, argumentType, argumentSize);
}

int32_t CDriverInstance::GetProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t valueSize,
                                     void* arguments, int32_t argumentType, uint32_t argumentSize, bool storeInCache,
                                     bool fromCache) {
    std::lock_guard device(m_deviceLock);
    if (!m_currentDevice)
        return kDriverNoDevice;
    return ReadProperty(m_currentDevice, name, result, valueType, valueSize, arguments, argumentType, argumentSize,
                        storeInCache, fromCache);
}

int32_t CDriverInstance::GetEndpointProperty(int32_t endpointCode, const wchar_t* name, void* result, int32_t valueType,
                                             uint32_t valueSize, void* arguments, int32_t argumentType,
                                             uint32_t argumentSize, bool storeInCache, bool fromCache) {
    std::lock_guard device(m_deviceLock);
    DeviceRecord* record = FindFullySupported(endpointCode);
    if (!record)
        return kDriverNoDevice;
    return ReadProperty(record, name, result, valueType, valueSize, arguments, argumentType, argumentSize, storeInCache,
                        fromCache);
}

int32_t CDriverInstance::GetControlDeviceProperty(const wchar_t* name, void* result, int32_t valueType,
                                                  uint32_t valueSize, void* arguments, int32_t argumentType,
                                                  uint32_t argumentSize, bool storeInCache, bool fromCache) {
    std::lock_guard device(m_deviceLock);
    DeviceRecord* record = ControlDeviceOfKind1();
    if (!record)
        return kDriverNoEndpoint;
    return ReadProperty(record, name, result, valueType, valueSize, arguments, argumentType, argumentSize, storeInCache,
                        fromCache);
}

int32_t CDriverInstance::GetDefaultRenderProperty(const wchar_t* name, void* result, int32_t valueType,
                                                  uint32_t valueSize, void* arguments, int32_t argumentType,
                                                  uint32_t argumentSize, bool storeInCache, bool fromCache) {
    std::lock_guard device(m_deviceLock);
    if (!m_defaultRenderDevice)
        return kDriverNoEndpoint;
    return ReadProperty(m_defaultRenderDevice, name, result, valueType, valueSize, arguments, argumentType,
                        argumentSize, storeInCache, fromCache);
}

int32_t CDriverInstance::GetDefaultCaptureProperty(const wchar_t* name, void* result, int32_t valueType,
                                                   uint32_t valueSize, void* arguments, int32_t argumentType,
                                                   uint32_t argumentSize, bool storeInCache, bool fromCache) {
    std::lock_guard device(m_deviceLock);
    if (!m_defaultCaptureDevice)
        return kDriverNoEndpoint;
    return ReadProperty(m_defaultCaptureDevice, name, result, valueType, valueSize, arguments, argumentType,
                        argumentSize, storeInCache, fromCache);
}

void CDriverInstance::ToggleDeviceProperty(int32_t endpointCode, uint32_t flow, const wchar_t* name, int32_t* result,
                                           bool toggle) {
    if (!name || !*name)
        return; // a button the program does not know
    std::lock_guard device(m_deviceLock);
    auto match = std::find_if(m_devices.begin(), m_devices.end(), [&](const auto& record) {
        return record->Code() == endpointCode && record->Flow() == flow;
    });
    if (match == m_devices.end() || (*match)->Kind() != 1)
        return;
    int32_t state = 0;
    if (GetEndpointProperty(endpointCode, name, &state, kValueUInt, 4, nullptr, 0, 0, true, false) != kDriverOk)
        state = 0;
    if (toggle) {
        const int32_t next = state != 1 ? 1 : 0;
        // The button's light shows what the device holds: a refused write keeps the state read.
        if (SetEndpointProperty(endpointCode, name, &next, kValueUInt, 4, nullptr, 0, 0) == kDriverOk)
            state = next;
    }
    if (result)
        *result = state;
}

void CDriverInstance::AppendDefaultRenderCode(std::vector<int32_t>& codes) {
    std::lock_guard device(m_deviceLock);
    if (m_defaultRenderDevice)
        codes.push_back(m_defaultRenderDevice->Code());
}

uint32_t CDriverInstance::GetDeviceKindByName(const std::wstring& endpointName) {
    const int32_t code = ::EndpointNameToCode(endpointName);
    if (code < 1)
        return 0;
    std::lock_guard device(m_deviceLock);
    for (const auto& record : m_devices) {
        if (record->Code() == code)
            return record->Kind();
    }
    return 0;
}

int32_t CDriverInstance::DefaultRenderHasFeature2() {
    std::lock_guard device(m_deviceLock);
    return m_defaultRenderDevice ? static_cast<int32_t>(m_defaultRenderDevice->featureWords[2] & 0x2) : 0;
}

bool CDriverInstance::IsControlDeviceKind1() {
    std::lock_guard device(m_deviceLock);
    return ControlDeviceOfKind1() != nullptr;
}

bool CDriverInstance::IsControlDevice2Kind1() {
    std::lock_guard device(m_deviceLock);
    return m_controlDevice2 && m_controlDevice2->Kind() == 1;
}

std::wstring CDriverInstance::GetDefaultRenderEndpointName() {
    std::lock_guard device(m_deviceLock);
    return m_defaultRenderDevice ? ::EndpointCodeToName(m_defaultRenderDevice->Code()) : std::wstring();
}

std::wstring CDriverInstance::GetDefaultCaptureEndpointName() {
    std::lock_guard device(m_deviceLock);
    return m_defaultCaptureDevice ? ::EndpointCodeToName(m_defaultCaptureDevice->Code()) : std::wstring();
}

std::wstring CDriverInstance::GetCurrentEndpointName() {
    std::lock_guard device(m_deviceLock);
    return m_currentDevice ? ::EndpointCodeToName(m_currentDevice->Code()) : std::wstring();
}

std::wstring CDriverInstance::GetControlEndpointName() {
    std::lock_guard device(m_deviceLock);
    const DeviceRecord* record = ControlDeviceOfKind1();
    return record ? ::EndpointCodeToName(record->Code()) : std::wstring();
}

std::wstring CDriverInstance::GetControlEndpointName2() {
    std::lock_guard device(m_deviceLock);
    const bool kind1 = m_controlDevice2 && m_controlDevice2->Kind() == 1;
    return kind1 ? ::EndpointCodeToName(m_controlDevice2->Code()) : std::wstring();
}

void CDriverInstance::GetDeviceKeyByCode(oc::driver::DeviceKey* key, int32_t endpointCode) {
    if (!key || endpointCode < 1)
        return;
    std::lock_guard device(m_deviceLock);
    if (const DeviceRecord* record = FindFullySupported(endpointCode))
        *key = record->key;
}

int32_t CDriverInstance::EndpointNameToCode(const std::wstring& name) {
    return ::EndpointNameToCode(name);
}

int32_t CDriverInstance::EndpointPrefixToCode(const std::wstring& name) {
    return ::EndpointPrefixToCode(name);
}

std::wstring CDriverInstance::EndpointCodeToName(int32_t endpointCode) {
    return ::EndpointCodeToName(endpointCode);
}

uint32_t CDriverInstance::GetLastWriteTime() {
    return m_lastWriteTime.load();
}

int32_t CDriverInstance::GetDeviceCount() {
    std::lock_guard device(m_deviceLock);
    return static_cast<int32_t>(m_devices.size());
}

int32_t CDriverInstance::HasHeadphoneAmplifier() {
    std::lock_guard device(m_deviceLock);
    return m_headphoneAmplifier;
}

std::wstring CDriverInstance::GetDirectXVersion() {
    return m_directX.Text();
}

int32_t CDriverInstance::CountKind1Devices() {
    std::lock_guard device(m_deviceLock);
    return static_cast<int32_t>(
        std::count_if(m_devices.begin(), m_devices.end(), [](const auto& record) { return record->Kind() == 1; }));
}

// ---------------------------------------------------------------------------------------------------------
// The two property paths. Each serves one call at a time through its own pair of buffers.

const CDriverInstance::RoutingBlock* CDriverInstance::FindRoute(const std::wstring& name) const {
    auto route = m_routing.find(name);
    return route == m_routing.end() ? nullptr : &route->second;
}

int32_t CDriverInstance::WriteProperty(DeviceRecord* record, const wchar_t* name, const void* value, int32_t valueType,
                                       uint32_t valueSize, const void* arguments, int32_t argumentType,
                                       uint32_t argumentSize) {
    if (!m_sysTune.PropertyControl || !record || !name)
        return kDriverNoDevice;
    std::lock_guard write(m_writeLock);
    const std::wstring callerName(name);
    const RoutingBlock* route = FindRoute(callerName);
    const uint32_t valueBytes = PropertyByteCount(valueType, valueSize);
    const uint32_t argumentBytes = PropertyByteCount(argumentType, argumentSize);

    if (!PackPropertyBytes(m_write.value, value, valueType, value ? valueBytes : 0))
        return kDriverRefused;
    const bool hasArguments = route || arguments;
    if (route)
        PackPropertyBytes(m_write.arguments, route->data(), kValueBlock, sizeof(RoutingBlock));
    else if (arguments && !PackPropertyBytes(m_write.arguments, arguments, argumentType, argumentBytes))
        return kDriverRefused;

    m_lastWriteTime = GetTickCount();
    if (IsVirtualPropertyName(callerName)) {
        return m_deviceInfo.VirtualPropertyControl(record->Code(), callerName, m_write.value, sizeof(m_write.value),
                                                   valueType, valueBytes, hasArguments ? m_write.arguments : nullptr,
                                                   route ? kValueBlock : argumentType,
                                                   route ? sizeof(RoutingBlock) : argumentBytes, true);
    }

    void* valueBuffer = m_write.value;
    void* argumentBuffer = m_write.arguments;
    const int32_t answer =
        m_sysTune.PropertyControl(&record->key, route ? kRoutedPropertyName : name, value ? &valueBuffer : nullptr,
                                  hasArguments ? &argumentBuffer : nullptr, oc::driver::kPropertyWrite);
    if (answer == kDriverOk && value) {
        const std::wstring key =
            CPropertyCache::MakeKey(record->Code(), callerName, hasArguments ? m_write.arguments : nullptr);
        CPropertyCache::GetInstance().Store(key, m_write.value, valueType, valueBytes);
    }
    return answer;
}

int32_t CDriverInstance::ReadProperty(DeviceRecord* record, const wchar_t* name, void* result, int32_t valueType,
                                      uint32_t valueSize, void* arguments, int32_t argumentType, uint32_t argumentSize,
                                      bool storeInCache, bool fromCache) {
    if (!m_sysTune.PropertyControl || !record || !name)
        return kDriverNoDevice;
    std::lock_guard read(m_readLock);
    const std::wstring callerName(name);
    const RoutingBlock* route = FindRoute(callerName);
    const uint32_t valueBytes = PropertyByteCount(valueType, valueSize);
    const uint32_t argumentBytes = PropertyByteCount(argumentType, argumentSize);

    const bool hasArguments = route || arguments;
    if (route)
        PackPropertyBytes(m_read.arguments, route->data(), kValueBlock, sizeof(RoutingBlock));
    else if (arguments && !PackPropertyBytes(m_read.arguments, arguments, argumentType, argumentBytes))
        return kDriverRefused;
    std::memset(m_read.value, 0, sizeof(m_read.value));

    const std::wstring key =
        CPropertyCache::MakeKey(record->Code(), callerName, hasArguments ? m_read.arguments : nullptr);
    const int32_t answer =
        FetchValue(record, callerName, route, key, valueType, valueBytes, hasArguments,
                   route ? kValueBlock : argumentType, route ? sizeof(RoutingBlock) : argumentBytes, fromCache);
    if (answer != kDriverOk)
        return answer;

    // Whatever filled the buffer, its text ends inside it.
    auto* text = reinterpret_cast<wchar_t*>(m_read.value);
    text[kPropertyBufferChars - 1] = L'\0';

    union {
        int32_t integer;
        float real;
    } native{};
    switch (valueType) {
    case kValueInt:
    case kValueUInt:
        native.integer = ParsePropertyInteger(text);
        break;
    case kValueFloat:
        native.real = ParsePropertyFloat(text);
        break;
    default:
        break;
    }
    if (result) {
        if (valueType == kValueText)
            CopyTextToPlace(result, valueBytes, text, kPropertyBufferChars);
        else if (valueType == kValueInt || valueType == kValueUInt || valueType == kValueFloat)
            std::memcpy(result, &native, std::min<uint32_t>(valueBytes, sizeof(native)));
        else
            std::memcpy(result, m_read.value, std::min<uint32_t>(valueBytes, sizeof(m_read.value)));
    }
    // A query may answer through its argument block. A routed name ran on the routing block, which is
    // none of the caller's business and may be larger than what the caller gave.
    if (arguments && !route)
        std::memcpy(arguments, m_read.arguments, std::min<uint32_t>(argumentBytes, sizeof(m_read.arguments)));
    if (storeInCache)
        CPropertyCache::GetInstance().Store(key, &native, valueType, valueBytes);
    return kDriverOk;
}

int32_t CDriverInstance::FetchValue(DeviceRecord* record, const std::wstring& name, const RoutingBlock* route,
                                    const std::wstring& cacheKey, int32_t valueType, uint32_t valueBytes,
                                    bool hasArguments, int32_t argumentType, uint32_t argumentBytes, bool fromCache) {
    if (IsVirtualPropertyName(name)) {
        return m_deviceInfo.VirtualPropertyControl(record->Code(), name, m_read.value, sizeof(m_read.value), valueType,
                                                   valueBytes, hasArguments ? m_read.arguments : nullptr, argumentType,
                                                   argumentBytes, false);
    }
    if (fromCache) {
        return CPropertyCache::GetInstance().Fetch(cacheKey, reinterpret_cast<wchar_t*>(m_read.value),
                                                   kPropertyBufferChars, valueType);
    }
    void* valueBuffer = m_read.value;
    void* argumentBuffer = m_read.arguments;
    return m_sysTune.PropertyControl(&record->key, route ? kRoutedPropertyName : name.c_str(), &valueBuffer,
                                     hasArguments ? &argumentBuffer : nullptr, oc::driver::kPropertyRead);
}
