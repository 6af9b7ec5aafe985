// Hardware buttons, the ASIO panel, the test sound, listen-to-device and the start-up effect writers of
// the driver access object.

#include <rpc.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "driver/DriverInstance.h"
#include "driver/EndpointCodes.h"
#include "driver/HidReportVariable.h"

namespace {

using oc::driver::ButtonRecord;

// A stopped test wave needs this long before the device takes the next one.
constexpr DWORD kTestSoundSettleMs = 100;
// Section names of ASIO.ini are four vendor and four product characters.
constexpr size_t kIdChars = 4;
constexpr DWORD kAsioIdChars = 100;

// The listen sources, in the order they are restored.
const wchar_t* const g_DriverInputNames[] = {L"MicIn", L"LineIn", L"AuxIn"};

struct ListenSourceRow {
    const wchar_t* name;
    int32_t code;
    IDriverSettings::ListenSource setting;
};
// "AuxIn" has no endpoint name, so it carries its code here: the user's choice to listen to the aux
// input is restored like the others.
const ListenSourceRow kListenSources[] = {
    {g_DriverInputNames[0], kEndpointMicIn, IDriverSettings::kListenMicIn},
    {g_DriverInputNames[1], kEndpointLineIn, IDriverSettings::kListenLineIn},
    {g_DriverInputNames[2], kEndpointAux, IDriverSettings::kListenAuxIn},
};

// Speaker-position bits of the Windows channel mask, by test channel; anything else is front left.
uint32_t ChannelMask(int32_t channel) {
    static const uint32_t kMasks[] = {0x1, 0x2, 0x10, 0x20, 0x4, 0x8, 0x200, 0x400};
    return channel >= 0 && channel < static_cast<int32_t>(std::size(kMasks)) ? kMasks[channel] : 0x1;
}

// The four characters after the first of two prefixes, or empty when neither occurs.
std::wstring IdAfter(const std::wstring& deviceId, const wchar_t* prefix, const wchar_t* fallback) {
    size_t at = deviceId.find(prefix);
    if (at == std::wstring::npos)
        at = deviceId.find(fallback);
    if (at == std::wstring::npos)
        return {};
    return deviceId.substr(at + 4, kIdChars);
}

std::wstring AsciiUpper(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return text;
}

struct EffectRow {
    const wchar_t* feature;
    EffectWriter writer;
};

const EffectRow kEffectRows[] = {
    {L"Setting", EffectWriter::SettingApplyToDevice},
    {L"EQ", EffectWriter::EQApplyToDevice},
    {L"EM", EffectWriter::EMInitDefaults},
    {L"DTSSS", EffectWriter::DTSSSInitDefaults},
    {L"DTSNeoPC", EffectWriter::SpeakerDTSNeoPCInitDefaults},
    {L"DolbyPLIIx", EffectWriter::SpeakerDolbyPLIIxInitDefaults},
    {L"DolbyHPVS", EffectWriter::DolbyHPVSIsEffectActive},
    {L"BeamForming", EffectWriter::MicInBeamFormingInitDefaults},
    {L"AEC", EffectWriter::MicInAECInitDefaults},
    {L"ENC", EffectWriter::MicInENCInitDefaults},
    {L"NoiseReduction", EffectWriter::MicInNoiseReductionInitDefaults},
    {L"Boost", EffectWriter::MicInBoostInitDefaults},
    {L"Subroute", EffectWriter::SubrouteInitDefaults},
    {L"VimoSmartVolume", EffectWriter::VimoSmartVolInitDefaults},
    {L"VimoDynamicBass", EffectWriter::VimoDynamicBassInitDefaults},
    {L"VimoAudioBrilliant", EffectWriter::VimoAudioBrilliantInitDefaults},
    {L"VimoVoiceClarity", EffectWriter::VimoVoiceClarityInitDefaults},
    {L"VimoSurroundHeadPhone", EffectWriter::VimoSurroundHeadPhoneApplyToDevice},
    {L"VimoSurroundSpeakers", EffectWriter::VimoSurroundSpeakersInitDefaults},
};

} // namespace

// ---------------------------------------------------------------------------------------------------------
// Hardware buttons

bool CDriverInstance::ReadVendorAndProduct(std::wstring& vendor, std::wstring& product) {
    std::wstring deviceId;
    {
        std::lock_guard device(m_deviceLock);
        if (!m_currentDevice || ReadText(m_currentDevice, L"GetDeviceID", deviceId) != kDriverOk)
            return false;
    }
    vendor = IdAfter(deviceId, L"vid_", L"ven_");
    product = IdAfter(deviceId, L"pid_", L"dev_");
    if (vendor.empty() || product.empty())
        vendor.clear(), product.clear();
    return true;
}

void CDriverInstance::MapButtonToProperty(const ButtonRecord* record, int32_t* endpointCode, uint32_t* flow,
                                          std::wstring* name) {
    if (!record)
        return;
    if (endpointCode)
        *endpointCode = record->endpointCode;
    if (flow)
        *flow = record->flow;
    static const struct {
        uint32_t buttonId;
        const wchar_t* property;
    } kButtons[] = {
        {oc::driver::kButtonSurround, L"Enable_KESTAL_HPSPK_LFX"},
        {oc::driver::kButtonNoiseCancellation, L"Enable_ENC_LFX"},
    };
    for (const auto& button : kButtons) {
        if (button.buttonId == record->buttonId && name)
            *name = button.property;
    }
}

void CDriverInstance::ReadButtonStates() {
    if (!m_hid.GetButtonDescription)
        return;
    uint32_t bytes = 0;
    if (m_hid.GetButtonDescription(nullptr, &bytes) != oc::driver::kHidNeedBuffer || bytes < sizeof(ButtonRecord))
        return;
    std::vector<ButtonRecord> records(bytes / sizeof(ButtonRecord));
    bytes = static_cast<uint32_t>(records.size() * sizeof(ButtonRecord));
    if (m_hid.GetButtonDescription(records.data(), &bytes) != 0)
        return;
    for (ButtonRecord& record : records) {
        int32_t code = 0;
        uint32_t flow = 0;
        std::wstring name;
        MapButtonToProperty(&record, &code, &flow, &name);
        int32_t state = 0;
        ToggleDeviceProperty(code, flow, name.c_str(), &state, false);
        if (record.report == 0)
            continue;
        record.state = state == 1 ? 1 : 0;
        if (oc::driver::HidReportFunction report =
                m_hidReportFunction ? oc::driver::LoadReportFunction(m_hidReportFunction) : nullptr)
            report(&record, 0);
    }
}

void CDriverInstance::StartHidDevice(oc::driver::HidButtonCallback callback,
                                     oc::driver::HidReportFunction* reportFunction) {
    if (!m_hidLib)
        return;
    CloseHidDevice();
    m_hidReportFunction = reportFunction;
    std::wstring vendor;
    std::wstring product;
    if (!ReadVendorAndProduct(vendor, product))
        return;
    const std::wstring vendorText = vendor.empty() ? std::wstring() : AsciiUpper(L"0x" + vendor);
    const std::wstring productText = product.empty() ? std::wstring() : AsciiUpper(L"0x" + product);
    if (!m_hid.StartDevice || m_hid.StartDevice(callback, vendorText.c_str(), productText.c_str()) != 0)
        return;
    if (m_hid.GetCallBack && reportFunction) {
        // The library's thread runs from StartDevice on and reads the variable on a press: the function is
        // fetched here first and then published in one store, never written into the variable piecemeal.
        oc::driver::HidReportFunction fetched = nullptr;
        m_hid.GetCallBack(&fetched);
        if (fetched)
            oc::driver::StoreReportFunction(reportFunction, fetched);
    }
    ReadButtonStates();
}

void CDriverInstance::RefreshHidButtons() {
    if (m_hidLib)
        ReadButtonStates();
}

// ---------------------------------------------------------------------------------------------------------
// ASIO panel

void CDriverInstance::LoadAsioDriverId() {
    m_asioDriverId.clear();
    if (!m_currentDevice)
        return;
    std::wstring vendor;
    std::wstring product;
    if (!ReadVendorAndProduct(vendor, product) || vendor.empty())
        return;
    const std::wstring section = AsciiUpper(vendor + product);
    const std::wstring file = m_environment.programFolder + L"ASIO.ini";
    wchar_t identifier[kAsioIdChars + 1] = {};
    GetPrivateProfileStringW(section.c_str(), L"GUID", L"", identifier, kAsioIdChars, file.c_str());
    m_asioDriverId = identifier;
}

void CDriverInstance::ShowAsioPanel() {
    if (!m_sysTune.ShowAsioPanel)
        return;
    std::wstring text;
    {
        std::lock_guard device(m_deviceLock);
        text = m_asioDriverId;
    }
    UUID identifier{};
    // A text that is no identifier opens nothing rather than some other driver's panel.
    if (text.empty() || UuidFromStringW(reinterpret_cast<RPC_WSTR>(text.data()), &identifier) != RPC_S_OK)
        return;
    m_sysTune.ShowAsioPanel(&identifier);
}

// ---------------------------------------------------------------------------------------------------------
// Test sound. The player calls from the user-interface thread and from its stop worker; the device lock
// keeps one call at a time on the device.

bool CDriverInstance::PlayTestSound(const std::wstring& wavePath, int32_t channel) {
    std::lock_guard device(m_deviceLock);
    if (!m_sysTune.PlayTestSound || !m_currentDevice)
        return false;
    const oc::driver::DeviceKey key = m_currentDevice->key;
    return m_sysTune.PlayTestSound(wavePath.c_str(), ChannelMask(channel), &key, -1) == 0;
}

bool CDriverInstance::StopTestSound(bool waitAfter) {
    bool stopped;
    {
        std::lock_guard device(m_deviceLock);
        if (!m_sysTune.StopTestSound || !m_currentDevice)
            return false;
        stopped = m_sysTune.StopTestSound(this, -1) == 0;
    }
    if (stopped && waitAfter)
        Sleep(kTestSoundSettleMs);
    return stopped;
}

bool CDriverInstance::CloseTestSound() {
    std::lock_guard device(m_deviceLock);
    if (!m_sysTune.CloseTestSound || !m_currentDevice)
        return false;
    return m_sysTune.CloseTestSound(this, -1) == 0;
}

// ---------------------------------------------------------------------------------------------------------
// Listen-to-device

int32_t CDriverInstance::CallListen(DeviceRecord* record, oc::driver::RunListen2DeviceFn call) {
    if (!call || !record)
        return kDriverNoDevice;
    std::lock_guard device(m_deviceLock);
    const oc::driver::DeviceKey key = record->key;
    return call(&key);
}

int32_t CDriverInstance::RunListen(DeviceRecord* record) {
    return CallListen(record, m_sysTune.RunListen2Device);
}

int32_t CDriverInstance::StopListen(DeviceRecord* record) {
    return CallListen(record, m_sysTune.StopListen2Device);
}

DeviceRecord** CDriverInstance::ListenSource(int32_t endpointCode, int32_t*& idleFlag) {
    switch (endpointCode) {
    case kEndpointMicIn:
    case kEndpointDesktopMic:
        idleFlag = &m_listenIdle[0];
        return &m_micInSource;
    case kEndpointLineIn:
        idleFlag = &m_listenIdle[1];
        return &m_lineInSource;
    case kEndpointAux:
        idleFlag = &m_listenIdle[2];
        return &m_auxInSource;
    default:
        idleFlag = nullptr;
        return nullptr;
    }
}

void CDriverInstance::StopAllListening(bool force) {
    std::lock_guard device(m_deviceLock);
    for (const ListenSourceRow& row : kListenSources) {
        int32_t* idle = nullptr;
        DeviceRecord** source = ListenSource(row.code, idle);
        if (*source && StopListen(*source) == 0)
            *idle = 1;
        if (force)
            *idle = 1;
    }
}

bool CDriverInstance::RestartListen(int32_t endpointCode, bool restart) {
    std::lock_guard device(m_deviceLock);
    int32_t* idle = nullptr;
    DeviceRecord** source = ListenSource(endpointCode, idle);
    if (!source || !*source)
        return false;
    const int32_t stopped = StopListen(*source);
    if (stopped == 0)
        *idle = 1;
    if (!restart || *idle == 0)
        return stopped == 0;
    if (RunListen(*source) != 0)
        return false;
    *idle = 0;
    return true;
}

void CDriverInstance::RestoreListening() {
    if (!m_environment.settings)
        return;
    for (const ListenSourceRow& row : kListenSources) {
        if (m_environment.settings->GetListenToDevice(row.setting) == 1)
            RestartListen(row.code, true);
    }
}

// ---------------------------------------------------------------------------------------------------------
// Start-up writers

void CDriverInstance::ApplyEffectDefaults() {
    struct Endpoint {
        int32_t code;
        uint32_t flow;
    };
    std::vector<Endpoint> endpoints;
    {
        // The writers reach the device through the endpoint operations, which take the lock themselves.
        std::lock_guard device(m_deviceLock);
        for (const auto& record : m_devices)
            endpoints.push_back({record->Code(), record->Flow()});
    }
    const CEffectDefaultWriters& writers = m_environment.effectWriters;
    for (const Endpoint& endpoint : endpoints) {
        const std::wstring name = ::EndpointCodeToName(endpoint.code);
        if (IsFeatureSupported(name + L"Virtual"))
            writers.Call(EffectWriter::VirtualInitDefaults, endpoint.code);
        if (endpoint.flow == oc::driver::kFlowCapture) {
            const int32_t karaoke = IsFeatureSupported(name + L"Karaoke");
            const int32_t magicVoice = IsFeatureSupported(name + L"VimoMagicVoice");
            if (karaoke || magicVoice)
                writers.CallMicInKaraoke(endpoint.code, karaoke, magicVoice);
        } else if (IsFeatureSupported(name + L"Karaoke")) {
            writers.Call(EffectWriter::KaraokeInitDefaults, endpoint.code);
        }
        for (const EffectRow& row : kEffectRows) {
            if (IsFeatureSupported(name + row.feature))
                writers.Call(row.writer, endpoint.code);
        }
    }
    m_directX.Start(m_sysTune.PropertyControl, m_readLockOwner);
}
