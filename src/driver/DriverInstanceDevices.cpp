// Enumeration, the device list and its roles, and the feature answers of the driver access object.

#include <objbase.h>

#include <algorithm>
#include <mutex>

#include "driver/DriverInstance.h"
#include "driver/EndpointCodes.h"

namespace {

using oc::driver::kFlowCapture;
using oc::driver::kFlowRender;

// Device IDs and feature lists are asked for as texts of 512 bytes.
constexpr uint32_t kTextBytes = 512;
constexpr size_t kFeaturePieces = 7;

bool IsPartlySupportedKind(uint32_t kind) {
    return kind == 2 || kind == 3 || kind == 4 || kind == 8;
}

bool IsRoleKind(uint32_t kind) {
    return kind >= 1 && kind <= 4;
}

bool IsMicrophoneCode(int32_t code) {
    return code == kEndpointMicIn || code == kEndpointDesktopMic;
}

// The comma-separated pieces of a feature list, empty ones dropped.
std::vector<std::wstring> SplitPieces(const std::wstring& text) {
    std::vector<std::wstring> pieces;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L',', start);
        if (end == std::wstring::npos)
            end = text.size();
        if (end > start)
            pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

// The format record "IsSupportFormat" takes as its argument block.
#pragma pack(push, 1)
struct FormatQuery {
    uint16_t channels;
    uint16_t bitsPerSample;
    uint32_t sampleRate;
};
#pragma pack(pop)
static_assert(sizeof(FormatQuery) == 8);

const GUID kVimoSurroundHeadPhoneEffect = {
    0xC7600B33, 0x1AA6, 0x4383, {0x91, 0x8D, 0x30, 0xD8, 0x48, 0xBB, 0xAD, 0x3E}};
const GUID kDolbyHPVSEffect = {0xD0456018, 0x89C4, 0x4D6E, {0x81, 0x34, 0xD4, 0x5F, 0x4A, 0x71, 0x1C, 0xC1}};
const GUID kDolbyHPV2Effect = {0xAC02E636, 0xCB62, 0x42EF, {0xA9, 0x7C, 0x5F, 0x4C, 0x1C, 0xDF, 0xEC, 0x13}};

} // namespace

// ---------------------------------------------------------------------------------------------------------
// Typed reads

int32_t CDriverInstance::ReadText(DeviceRecord* record, const wchar_t* name, std::wstring& text) {
    wchar_t value[kTextBytes / sizeof(wchar_t)] = {};
    const int32_t answer = ReadProperty(record, name, value, kValueText, sizeof(value), nullptr, 0, 0, true, false);
    if (answer == kDriverOk)
        text = value;
    return answer;
}

int32_t CDriverInstance::ReadInt(DeviceRecord* record, const wchar_t* name, int32_t& value, const int32_t* argument,
                                 int32_t argumentType) {
    // The read path may answer through the argument block; the caller's constant stays as it was.
    int32_t block = argument ? *argument : 0;
    return ReadProperty(record, name, &value, kValueInt, 4, argument ? &block : nullptr, argumentType, 4, true, false);
}

int32_t CDriverInstance::ReadFloat(DeviceRecord* record, const wchar_t* name, float& value, const int32_t* argument,
                                   int32_t argumentType, bool storeInCache) {
    int32_t block = argument ? *argument : 0;
    return ReadProperty(record, name, &value, kValueFloat, 4, argument ? &block : nullptr, argumentType, 4,
                        storeInCache, false);
}

bool CDriverInstance::IsDefaultDevice(DeviceRecord* record) {
    const int32_t selector = 0;
    int32_t isDefault = 0;
    return ReadInt(record, L"DefaultDeviceControl", isDefault, &selector, kValueUInt) == kDriverOk && isDefault != 0;
}

// ---------------------------------------------------------------------------------------------------------
// Enumeration

bool CDriverInstance::CanEnumerate() const {
    return m_sysTune.CreateDeviceList && m_sysTune.GetDeviceCount && m_sysTune.GetDeviceById;
}

int32_t CDriverInstance::ReadEndpointCount(uint32_t flow) {
    // The library's answer is not checked: a count it leaves alone must read as none.
    int32_t count = 0;
    m_sysTune.GetDeviceCount(flow, &count);
    return std::clamp(count, 0, kMaxEndpointsPerFlow);
}

std::unique_ptr<DeviceRecord> CDriverInstance::FetchRecord(uint32_t flow, int32_t index) {
    auto record = std::make_unique<DeviceRecord>();
    if (m_sysTune.GetDeviceById(flow, static_cast<uint32_t>(index), &record->key) != 0)
        return nullptr;
    return record;
}

bool CDriverInstance::AcceptRecord(DeviceRecord& record, bool admitPartlySupported) {
    if (record.Code() < 1)
        return false;
    if (record.Kind() != 1 && !(admitPartlySupported && IsPartlySupportedKind(record.Kind())))
        return false;
    std::wstring text;
    if (ReadText(&record, L"GetDeviceID", text) != kDriverOk)
        return false;
    record.deviceId = text;
    if (ReadText(&record, L"GetSupportFeature", text) != kDriverOk)
        return false;
    const std::vector<std::wstring> pieces = SplitPieces(text);
    if (pieces.size() < kFeaturePieces)
        return false;
    const size_t wordPieces[3] = {0, 4, 6};
    for (int word = 0; word < 3; ++word)
        record.featureWords[word] = static_cast<uint32_t>(ParsePropertyInteger(pieces[wordPieces[word]].c_str()));
    return true;
}

int32_t CDriverInstance::EnumerateDevices() {
    if (!CanEnumerate() || m_sysTune.CreateDeviceList() != 0)
        return 0;
    int32_t reported = 0;
    int32_t fullySupported = 0;
    bool partlySupportedSeen = false;
    for (uint32_t flow : {kFlowRender, kFlowCapture}) {
        const int32_t count = ReadEndpointCount(flow);
        reported += count;
        for (int32_t index = 0; index < count; ++index) {
            std::unique_ptr<DeviceRecord> record = FetchRecord(flow, index);
            if (!record)
                continue;
            if (AcceptRecord(*record, false))
                ++fullySupported;
            else if (AcceptRecord(*record, true))
                partlySupportedSeen = true;
        }
    }
    // A lone endpoint the program cannot fully use: the device is there but nothing is plugged in.
    if (reported == 1 && fullySupported == 0 && partlySupportedSeen)
        m_partlySupported = 1;
    return fullySupported;
}

void CDriverInstance::ClearDeviceList() {
    m_currentDevice = m_defaultRenderDevice = m_defaultCaptureDevice = nullptr;
    m_controlDevice = m_controlDevice2 = nullptr;
    m_micInSource = m_lineInSource = m_auxInSource = nullptr;
    m_headphoneAmplifier = 0;
    m_devices.clear();
}

void CDriverInstance::AssignRoles(DeviceRecord* record) {
    struct RoleRule {
        DeviceRecord* CDriverInstance::*role;
        std::initializer_list<int32_t> codes;
        int32_t flow; // -1: either
    };
    static const RoleRule kRoles[] = {
        {&CDriverInstance::m_controlDevice,
         {kEndpointSpeaker, kEndpointHeadPhone, kEndpointSPDIFOut, kEndpointSpeakerQuarter},
         -1},
        {&CDriverInstance::m_controlDevice2, {kEndpointSpeaker, kEndpointSpeakerQuarter}, -1},
        {&CDriverInstance::m_micInSource, {kEndpointMicIn}, kFlowCapture},
        {&CDriverInstance::m_lineInSource, {kEndpointLineIn}, kFlowCapture},
        {&CDriverInstance::m_auxInSource, {kEndpointAux}, kFlowCapture},
    };
    if (!IsRoleKind(record->Kind()))
        return;
    for (const RoleRule& rule : kRoles) {
        const bool codeFits = std::find(rule.codes.begin(), rule.codes.end(), record->Code()) != rule.codes.end();
        const bool flowFits = rule.flow < 0 || record->Flow() == static_cast<uint32_t>(rule.flow);
        if (!(this->*rule.role) && codeFits && flowFits)
            this->*rule.role = record;
    }
}

void CDriverInstance::ProbeRenderCapabilities(DeviceRecord* record) {
    static const struct {
        const wchar_t* name;
        uint32_t DeviceRecord::*flag;
    } kCapabilities[] = {
        {L"IsSupportDolbyDigitalLive", &DeviceRecord::dolbyDigitalLive},
        {L"IsSupportDTSInteractive", &DeviceRecord::dtsInteractive},
        {L"IsSupportVimoSurround71", &DeviceRecord::surround71},
    };
    for (const auto& capability : kCapabilities) {
        int32_t value = 0;
        if (ReadInt(record, capability.name, value) == kDriverOk)
            record->*capability.flag = value == 1 ? 1 : 0;
    }
    const int32_t code = record->Code();
    // The second speaker output has the speakers' bass and treble too (its page and handler are theirs).
    if ((code == kEndpointSpeaker || code == kEndpointSpeakerQuarter || code == kEndpointHeadPhone) &&
        record->Kind() == 1) {
        float bass = 0;
        float treble = 0;
        if (ReadFloat(record, L"HWEQBassControl", bass) == kDriverOk &&
            ReadFloat(record, L"HWEQTrebleControl", treble) == kDriverOk)
            record->hardwareEq = 1;
    }
    if (code == kEndpointHeadPhone) {
        const int32_t currentLevel = 0;
        int32_t level = 0;
        if (ReadInt(record, L"HPAmplifierControl", level, &currentLevel, kValueInt) == kDriverOk)
            m_headphoneAmplifier = 1;
    }
}

void CDriverInstance::ProbeCaptureCapabilities(DeviceRecord* record) {
    if (!IsMicrophoneCode(record->Code()) || record->Kind() != 1)
        return;
    const int32_t selector = 0;
    int32_t answer;
    if (m_environment.vistaOrLater) {
        float gain = 0;
        answer = ReadFloat(record, L"BoostControl", gain, &selector, kValueInt, false);
    } else {
        int32_t gain = 0;
        answer = ReadInt(record, L"BoostControl", gain);
    }
    if (answer == kDriverOk) {
        const bool usbBeforeVista =
            !m_environment.vistaOrLater && record->deviceId.find(L"usb\\") != std::wstring::npos;
        record->boost = usbBeforeVista ? 0 : 1;
    }
}

void CDriverInstance::AddToList(std::unique_ptr<DeviceRecord> record, uint32_t flow) {
    DeviceRecord* entry = record.get();
    // The driver reports its S/PDIF inputs with output codes. Renamed before the roles are handed out, so
    // an input can never become the control device that output settings go to.
    if (flow == kFlowCapture && (entry->Code() == kEndpointSPDIFOut || entry->Code() == kEndpointSPDIFInRCA))
        entry->key.code = kEndpointSPDIFIn;
    AssignRoles(entry);
    if (IsDefaultDevice(entry)) {
        if (entry->Flow() == kFlowRender)
            m_defaultRenderDevice = entry;
        else
            m_defaultCaptureDevice = entry;
    }
    entry->key.flow = flow;
    if (flow == kFlowRender)
        ProbeRenderCapabilities(entry);
    else
        ProbeCaptureCapabilities(entry);
    int32_t agc = 0;
    if (ReadInt(entry, L"AGCControl", agc) == kDriverOk) {
        const bool nonUsbBeforeVista =
            !m_environment.vistaOrLater && entry->deviceId.find(L"usb\\") == std::wstring::npos;
        entry->agc = nonUsbBeforeVista ? 0 : 1;
    }
    m_devices.push_back(std::move(record));
}

void CDriverInstance::SelectCurrentByCode(int32_t endpointCode) {
    if (endpointCode < 1 || (m_currentDevice && m_currentDevice->Code() == endpointCode))
        return;
    if (DeviceRecord* record = FindFirst(endpointCode))
        m_currentDevice = record->Kind() == 1 ? record : nullptr;
}

void CDriverInstance::ChooseCurrentDevice() {
    if (m_environment.settings) {
        const std::wstring lastPanel = m_environment.settings->GetLastApoName();
        if (!lastPanel.empty())
            SelectCurrentByCode(::EndpointPrefixToCode(lastPanel));
    }
    if (m_currentDevice)
        return;
    for (const auto& record : m_devices) {
        if (record->Kind() == 1 && IsDefaultDevice(record.get())) {
            m_currentDevice = record.get();
            return;
        }
    }
}

void CDriverInstance::BuildDeviceList() {
    std::lock_guard device(m_deviceLock);
    // A list the library cannot rebuild keeps the program on the endpoints it already knows.
    if (CanEnumerate() && m_sysTune.CreateDeviceList() == 0) {
        ClearDeviceList();
        for (uint32_t flow : {kFlowRender, kFlowCapture}) {
            const int32_t count = ReadEndpointCount(flow);
            for (int32_t index = 0; index < count; ++index) {
                std::unique_ptr<DeviceRecord> record = FetchRecord(flow, index);
                if (record && AcceptRecord(*record, true))
                    AddToList(std::move(record), flow);
            }
        }
        if (!m_devices.empty())
            ChooseCurrentDevice();
    }
    std::wstring friendlyName;
    if (m_currentDevice && ReadText(m_currentDevice, L"GetDeviceFriendlyName", friendlyName) == kDriverOk &&
        m_environment.settings)
        m_environment.settings->SetAudioDevice(friendlyName);
    LoadAsioDriverId();
}

int32_t CDriverInstance::RefreshDefaultDevices() {
    std::lock_guard device(m_deviceLock);
    DeviceRecord* render = nullptr;
    DeviceRecord* capture = nullptr;
    for (const auto& record : m_devices) {
        if (IsDefaultDevice(record.get()))
            (record->Flow() != kFlowRender ? capture : render) = record.get();
    }
    const bool changed = render != m_defaultRenderDevice || capture != m_defaultCaptureDevice;
    m_defaultRenderDevice = render;
    m_defaultCaptureDevice = capture;
    return changed ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------------------
// Default endpoints, content names and channel counts

int32_t CDriverInstance::SetDefaultEndpointByName(const std::wstring& endpointName, uint32_t flow) {
    const int32_t code = ::EndpointNameToCode(endpointName);
    if (flow == kFlowRender ? !IsRenderEndpointCode(code) : !IsCaptureEndpointCode(code))
        return 0;
    DeviceRecord* record = nullptr;
    {
        std::lock_guard device(m_deviceLock);
        const DeviceRecord* current = flow == kFlowRender ? m_defaultRenderDevice : m_defaultCaptureDevice;
        if (current && current->Code() == code)
            return 0;
        record = FindFirst(code);
        if (!record)
            return 0;
    }
    // The writes run without the device lock, as the driver may announce the change on its own thread
    // while they run. Only the user-interface thread rebuilds the list, and this runs on it.
    int32_t selector = 0;
    const int32_t on = 1;
    if (WriteProperty(record, L"DefaultDeviceControl", &on, kValueUInt, 4, &selector, kValueUInt, 4) != kDriverOk)
        return 1;
    selector = 2;
    if (WriteProperty(record, L"DefaultDeviceControl", &on, kValueUInt, 4, &selector, kValueUInt, 4) == kDriverOk) {
        std::lock_guard device(m_deviceLock);
        if (IsListed(record))
            (record->Flow() == kFlowRender ? m_defaultRenderDevice : m_defaultCaptureDevice) = record;
    }
    return 1;
}

int32_t CDriverInstance::SetDefaultRenderEndpointByName(const std::wstring& endpointName) {
    return SetDefaultEndpointByName(endpointName, kFlowRender);
}

int32_t CDriverInstance::SetDefaultCaptureEndpointByName(const std::wstring& endpointName) {
    return SetDefaultEndpointByName(endpointName, kFlowCapture);
}

void CDriverInstance::SetCurrentContent(const std::wstring& contentName) {
    std::lock_guard device(m_deviceLock);
    const int32_t code = ::EndpointPrefixToCode(contentName);
    SelectCurrentByCode(code);
    // A panel of an endpoint the device lacks stays with no endpoint: remembered for the current one, it
    // would be what that endpoint's menu opens. A panel of no endpoint belongs to the current one.
    if (m_currentDevice && (code < 1 || m_currentDevice->Code() == code))
        m_currentDevice->contentName = contentName;
}

std::wstring CDriverInstance::GetEndpointContent(const std::wstring& endpointName) {
    const int32_t code = ::EndpointNameToCode(endpointName);
    if (code < 1)
        return {};
    std::lock_guard device(m_deviceLock);
    const DeviceRecord* record = FindFirst(code);
    if (record && !record->contentName.empty())
        return record->contentName;
    return endpointName + L"Vol";
}

uint32_t CDriverInstance::ProbeChannelCount(DeviceRecord* record) {
    if (record->channelCount != 0)
        return record->channelCount;
    for (uint16_t channels : {8, 6, 4, 2}) {
        FormatQuery format{channels, 16, 44100};
        int32_t supported = 0;
        if (ReadProperty(record, L"IsSupportFormat", &supported, kValueInt, 4, &format, kValueBlock, sizeof(format),
                         true, false) == kDriverOk &&
            supported == 1) {
            record->channelCount = channels;
            break;
        }
    }
    return record->channelCount;
}

uint32_t CDriverInstance::GetChannelCount(int32_t which) {
    std::lock_guard device(m_deviceLock);
    DeviceRecord* record = which == 0 ? m_defaultRenderDevice : m_currentDevice;
    return record ? ProbeChannelCount(record) : 0;
}

// ---------------------------------------------------------------------------------------------------------
// Features

int32_t CDriverInstance::IsFeatureSupported(const std::wstring& feature) {
    std::lock_guard device(m_deviceLock);
    DeviceRecord* record = nullptr;
    std::wstring rest = feature;
    const int32_t code = ::EndpointPrefixToCode(feature);
    if (code >= 1) {
        auto match = std::find_if(m_devices.begin(), m_devices.end(), [&](const auto& listed) {
            return listed->Code() == code && IsRoleKind(listed->Kind());
        });
        record = match == m_devices.end() ? nullptr : match->get();
        rest = feature.substr(::EndpointCodeToName(code).size());
    } else {
        record = m_currentDevice;
    }
    if (!record || rest.empty())
        return 0;
    return AnswerFeature(*record, rest);
}

int32_t CDriverInstance::EffectIdentifierIs(DeviceRecord& record, const GUID& identifier) {
    wchar_t text[kPropertyBufferChars] = {};
    if (ReadProperty(&record, L"GetVirtualSurroundEffectGUID", text, kValueText, sizeof(text), nullptr, 0, 0, true,
                     false) != kDriverOk)
        return 0;
    CLSID effect{};
    return SUCCEEDED(CLSIDFromString(text, &effect)) && IsEqualGUID(effect, identifier) ? 1 : 0;
}

int32_t CDriverInstance::AnswerFeature(DeviceRecord& record, const std::wstring& feature) {
    using Self = CDriverInstance;
    using Answer = int32_t (*)(Self & self, DeviceRecord & record, const uint32_t* words);
    struct FeatureRow {
        const wchar_t* name;
        Answer answer;
    };
    enum { A, B, C };
    static const FeatureRow kFeatures[] = {
        {L"Vol", [](Self&, DeviceRecord&, const uint32_t*) -> int32_t { return 1; }},
        {L"SamplingRate", [](Self&, DeviceRecord&, const uint32_t*) -> int32_t { return 1; }},
        {L"Setting",
         [](Self& self, DeviceRecord& r, const uint32_t*) -> int32_t {
             const int32_t selector = 0;
             int32_t terminal = 0;
             if (self.ReadInt(&r, L"OutputTerminalTypeControl", terminal, &selector, kValueInt) == kDriverOk)
                 return 1;
             return r.Flow() == kFlowRender && (r.Code() == kEndpointHeadPhone || self.ProbeChannelCount(&r) > 2);
         }},
        {L"Virtual", [](Self&, DeviceRecord&, const uint32_t* w) -> int32_t { return w[A] & 0x1; }},
        {L"EM", [](Self&, DeviceRecord&, const uint32_t* w) -> int32_t { return w[A] & 0x2; }},
        {L"EQ", [](Self&, DeviceRecord&, const uint32_t* w) -> int32_t { return w[A] & 0x4; }},
        {L"Subroute",
         [](Self&, DeviceRecord& r, const uint32_t* w) -> int32_t {
             return (r.Code() == kEndpointSpeaker || r.Code() == kEndpointSpeakerQuarter) && (w[A] & 0x8);
         }},
        {L"VimoSmartVolume", [](Self&, DeviceRecord&, const uint32_t* w) -> int32_t { return w[A] & 0x100000; }},
        {L"VimoDynamicBass", [](Self&, DeviceRecord&, const uint32_t* w) -> int32_t { return w[A] & 0x80000; }},
        {L"VimoAudioBrilliant", [](Self&, DeviceRecord&, const uint32_t* w) -> int32_t { return w[A] & 0x200000; }},
        {L"VimoVoiceClarity", [](Self&, DeviceRecord&, const uint32_t* w) -> int32_t { return w[A] & 0x40000; }},
        {L"HWEQ", [](Self&, DeviceRecord& r, const uint32_t*) -> int32_t { return r.hardwareEq; }},
        {L"VimoSurroundHeadPhone",
         [](Self&, DeviceRecord& r, const uint32_t* w) -> int32_t {
             return r.Flow() == kFlowRender ? w[A] & 0x20 : 0;
         }},
        {L"VimoSurroundSpeakers",
         [](Self&, DeviceRecord& r, const uint32_t* w) -> int32_t {
             return r.Flow() == kFlowRender ? w[A] & 0x40 : 0;
         }},
        {L"Spaceline",
         [](Self&, DeviceRecord& r, const uint32_t* w) -> int32_t {
             return r.Flow() == kFlowRender ? w[A] & 0x80 : 0;
         }},
        {L"BeamForming", [](Self&, DeviceRecord&, const uint32_t* w) -> int32_t { return w[A] & 0x400; }},
        {L"AEC", [](Self&, DeviceRecord&, const uint32_t* w) -> int32_t { return w[A] & 0x800; }},
        {L"ENC",
         [](Self&, DeviceRecord& r, const uint32_t* w) -> int32_t {
             return IsMicrophoneCode(r.Code()) ? w[A] & 0x1000 : 0;
         }},
        {L"NoiseReduction",
         [](Self&, DeviceRecord& r, const uint32_t* w) -> int32_t {
             return IsMicrophoneCode(r.Code()) ? w[A] & 0x200 : 0;
         }},
        {L"Karaoke",
         [](Self&, DeviceRecord& r, const uint32_t* w) -> int32_t {
             if (r.Flow() == kFlowRender)
                 return (w[A] & 0x2000) || (w[A] & 0x4000);
             return IsMicrophoneCode(r.Code()) && (w[A] & 0x20000) && (w[A] & 0x8000);
         }},
        // The headphone karaoke page: the output karaoke effects under the page's own name.
        {L"VimoChorvex",
         [](Self&, DeviceRecord& r, const uint32_t* w) -> int32_t {
             return r.Flow() == kFlowRender && ((w[A] & 0x2000) || (w[A] & 0x4000));
         }},
        {L"DTSNeoPC",
         [](Self& self, DeviceRecord& r, const uint32_t* w) -> int32_t {
             return self.ProbeChannelCount(&r) >= 3 ? w[B] & 0x40 : 0;
         }},
        {L"DTSSS", [](Self&, DeviceRecord&, const uint32_t* w) -> int32_t { return w[B] & 0x80; }},
        {L"DolbyHPVS", [](Self&, DeviceRecord&, const uint32_t* w) -> int32_t { return w[B] & (0x2 | 0x4); }},
        {L"DolbyHPV2", [](Self&, DeviceRecord&, const uint32_t* w) -> int32_t { return w[B] & 0x400; }},
        {L"DolbyPLIIx",
         [](Self& self, DeviceRecord& r, const uint32_t* w) -> int32_t {
             return self.ProbeChannelCount(&r) >= 3 ? w[B] & 0x8 : 0;
         }},
        {L"EX",
         [](Self& self, DeviceRecord&, const uint32_t* w) -> int32_t {
             return self.m_environment.vistaOrLater ? w[C] & 0x1 : 0;
         }},
        {L"SVN",
         [](Self&, DeviceRecord&, const uint32_t* w) -> int32_t { return (w[A] & 0x10) && !(w[A] & 0x100000); }},
        {L"VimoMagicVoice",
         [](Self&, DeviceRecord& r, const uint32_t* w) -> int32_t {
             return IsMicrophoneCode(r.Code()) && (w[A] & 0x20000) && !(w[A] & 0x8000);
         }},
        {L"IsSupportDolbyDigitalLive",
         [](Self&, DeviceRecord& r, const uint32_t*) -> int32_t { return r.dolbyDigitalLive; }},
        {L"IsSupportDTSInteractive",
         [](Self&, DeviceRecord& r, const uint32_t*) -> int32_t { return r.dtsInteractive; }},
        {L"IsSupportVimoSurround71", [](Self&, DeviceRecord& r, const uint32_t*) -> int32_t { return r.surround71; }},
        {L"AAVolumeControl",
         [](Self& self, DeviceRecord&, const uint32_t*) -> int32_t {
             float level = 0;
             return self.GetProperty(L"AAVolumeControl", &level, kValueFloat, 4, nullptr, 0, 0, true, false) ==
                    kDriverOk;
         }},
        {L"PitchShifter", [](Self&, DeviceRecord&, const uint32_t* w) -> int32_t { return w[A] & 0x2000; }},
        {L"VocalFading", [](Self&, DeviceRecord&, const uint32_t* w) -> int32_t { return w[A] & 0x4000; }},
        {L"SingingEcho", [](Self&, DeviceRecord&, const uint32_t* w) -> int32_t { return w[A] & 0x8000; }},
        {L"MagicVoice", [](Self&, DeviceRecord&, const uint32_t* w) -> int32_t { return w[A] & 0x20000; }},
        {L"Boost", [](Self&, DeviceRecord& r, const uint32_t*) -> int32_t { return r.boost; }},
        {L"AGC", [](Self&, DeviceRecord& r, const uint32_t*) -> int32_t { return r.agc; }},
        {L"VirtualVimoSurroundHeadPhone",
         [](Self& self, DeviceRecord& r, const uint32_t*) -> int32_t {
             return self.EffectIdentifierIs(r, kVimoSurroundHeadPhoneEffect);
         }},
        {L"VirtualDolbyHPVS",
         [](Self& self, DeviceRecord& r, const uint32_t*) -> int32_t {
             return self.EffectIdentifierIs(r, kDolbyHPVSEffect);
         }},
        {L"VirtualDolbyHPV2",
         [](Self& self, DeviceRecord& r, const uint32_t*) -> int32_t {
             return self.EffectIdentifierIs(r, kDolbyHPV2Effect);
         }},
    };
    for (const FeatureRow& row : kFeatures) {
        if (feature == row.name)
            return row.answer(*this, record, record.featureWords);
    }
    return 0;
}
