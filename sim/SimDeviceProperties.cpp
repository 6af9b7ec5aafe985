// The simulated device's property store: every endpoint's starting values, and the property calls of the
// library, each read or written by the behaviour its property has in the table.
#include "SimDevice.h"

#include "IniText.h"
#include "SimValues.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace oc::sim {

using oc::driver::DeviceKey;

struct SimDevice::Call {
    SimEndpoint* endpoint = nullptr; // null for the device-independent key
    const PropertyDef* def = nullptr;
    const uint8_t* value = nullptr;     // raw bytes of a write
    const uint8_t* arguments = nullptr; // raw argument bytes, or null
    std::wstring reply;                 // text of a read; on a write, the value as the device understood it
};

namespace {

constexpr int32_t kSpeakerShiftTag = 28;
constexpr int32_t kNearestDistance = 19;
constexpr int32_t kFarthestDistance = 50;
constexpr int32_t kLoudestLevel = 4;
constexpr int32_t kQuietestLevel = -13;

int32_t ReadInt(const uint8_t* bytes, size_t index) {
    int32_t value;
    std::memcpy(&value, bytes + index * 4, 4);
    return value;
}

int32_t ArgInt(const SimDevice::Call& call, size_t index, int32_t fallback) {
    return call.arguments ? ReadInt(call.arguments, index) : fallback;
}

// The written value from its raw bytes, by the property's type: the library is never told the type.
bool DecodeNumber(const SimDevice::Call& call, double& value) {
    switch (call.def->kind) {
    case ValueKind::Int:
        value = ReadInt(call.value, 0);
        return true;
    case ValueKind::U16: {
        uint16_t small;
        std::memcpy(&small, call.value, 2);
        value = small;
        return true;
    }
    case ValueKind::Float: {
        float real;
        std::memcpy(&real, call.value, 4);
        value = real;
        return std::isfinite(real);
    }
    default:
        return false;
    }
}

bool InRange(double value, double min, double max) {
    return value >= min - 1e-4 && value <= max + 1e-4;
}

bool OnStep(double value, const LevelRange& range) {
    double steps = (value - range.min) / range.step;
    return std::fabs(steps - std::round(steps)) < 1e-3;
}

bool ChannelCountValid(const ScenarioEndpoint& config, uint32_t count) {
    if (count == config.channels)
        return true;
    return (count == 2 || count == 4 || count == 6 || count == 8) && count <= config.channels;
}

template <typename T> bool Contains(const std::vector<T>& list, uint32_t value) {
    return std::find(list.begin(), list.end(), static_cast<T>(value)) != list.end();
}

// The routing blocks of the virtual-surround property: which quantity a 12-byte argument selects.
struct SurroundRoute {
    int32_t block[3];
    const wchar_t* storage; // null: the read-only effect identifier
    double max;
};
constexpr SurroundRoute kSurroundRoutes[] = {
    {{1, -1, 0}, nullptr, 0},
    {{4, -1, 0}, L"VirtualSurroundEffectControl#enable", 1},
    {{4, 1, 0}, L"VirtualSurroundEffectControl#mode", 1},
    {{4, 0, 0}, L"VirtualSurroundEffectControl#roomsize", 2},
};

const SurroundRoute* FindRoute(const uint8_t* arguments) {
    for (const auto& route : kSurroundRoutes) {
        if (ReadInt(arguments, 0) == route.block[0] && ReadInt(arguments, 1) == route.block[1] &&
            ReadInt(arguments, 2) == route.block[2])
            return &route;
    }
    return nullptr;
}

// The encoded S/PDIF streams. The device sends one stream format at a time: turning one encoded stream on
// turns the other off, and choosing a PCM rate or depth turns both off.
constexpr const wchar_t* kEncodedOutputs[] = {L"DolbyDigitalLiveControl", L"DTSInteractiveControl"};

bool IsEncodedOutput(const std::wstring& name) {
    return std::find(std::begin(kEncodedOutputs), std::end(kEncodedOutputs), name) != std::end(kEncodedOutputs);
}

// Switches off every encoded stream the endpoint holds but the one named `keep` (null: all of them).
void ClearEncodedOutputs(std::map<std::wstring, double>& values, const wchar_t* keep) {
    for (const wchar_t* name : kEncodedOutputs) {
        auto found = values.find(name);
        if (found != values.end() && !(keep && std::wstring(keep) == name))
            found->second = 0;
    }
}

} // namespace

const SimDevice::BehaviourHandlers SimDevice::kHandlers[] = {
    {&SimDevice::ReadPlain, &SimDevice::WritePlain},                     // Plain
    {&SimDevice::ReadPlain, &SimDevice::WriteReadOnly},                  // ReadOnlyNumber
    {&SimDevice::ReadVolume, &SimDevice::WriteVolume},                   // Volume
    {&SimDevice::ReadVolumeScalar, &SimDevice::WriteVolumeScalar},       // VolumeScalar
    {&SimDevice::ReadVolumeLimit, &SimDevice::WriteReadOnly},            // VolumeLimit
    {&SimDevice::ReadLevels, &SimDevice::WriteLevels},                   // Levels
    {&SimDevice::ReadFormatPart, &SimDevice::WriteSampleRate},           // SampleRate
    {&SimDevice::ReadFormatPart, &SimDevice::WriteBitDepth},             // BitDepth
    {&SimDevice::ReadFormatPart, &SimDevice::WriteChannelCount},         // ChannelCount
    {&SimDevice::ReadFormat, &SimDevice::WriteFormat},                   // Format
    {&SimDevice::ReadFormatQuery, &SimDevice::WriteReadOnly},            // FormatQuery
    {&SimDevice::ReadDefaultDevice, &SimDevice::WriteDefaultDevice},     // DefaultDevice
    {&SimDevice::ReadOutputTerminal, &SimDevice::WriteOutputTerminal},   // OutputTerminal
    {&SimDevice::ReadDeviceText, &SimDevice::WriteReadOnly},             // DeviceText
    {&SimDevice::ReadFeatures, &SimDevice::WriteReadOnly},               // Features
    {&SimDevice::ReadSpeakerShift, &SimDevice::WriteReadOnly},           // SpeakerShift
    {&SimDevice::ReadVirtualSurround, &SimDevice::WriteVirtualSurround}, // VirtualSurround
};

void SimDevice::FillInitialValues(SimEndpoint& endpoint) {
    const ScenarioEndpoint& config = endpoint.config;
    auto& values = endpoint.values;
    for (const PropertyDef* def = PropertyTable::Begin(); def != PropertyTable::End(); ++def) {
        if (!endpoint.Supports(*def))
            continue;
        switch (def->behaviour) {
        case Behaviour::Plain:
        case Behaviour::ReadOnlyNumber:
            values[def->name] = def->initial;
            break;
        case Behaviour::Volume:
            for (int32_t channel = -1; channel < config.channels; ++channel)
                values[ChannelKey(VolumeStorage(def->slot), channel)] = VolumeRange(config, def->slot).initial;
            break;
        case Behaviour::Levels:
            values[def->name] = (def->slot == Slot::Amplifier ? config.amplifier : config.boost).initial;
            break;
        case Behaviour::SampleRate:
            values[def->name] = Contains(config.rates, 48000) ? 48000 : config.rates.front();
            break;
        case Behaviour::BitDepth:
            values[def->name] = config.bitDepths.front();
            break;
        case Behaviour::ChannelCount:
            values[def->name] = std::min<uint16_t>(config.channels, 2);
            break;
        case Behaviour::VirtualSurround:
            for (const auto& route : kSurroundRoutes) {
                if (route.storage)
                    values[route.storage] = 0;
            }
            break;
        default:
            break;
        }
    }
    for (const auto& [valueKey, text] : config.initialValues) {
        double number = 0;
        if (!PropertyTable::Find(NameOf(valueKey)) || !ParseNumber(text, number)) {
            Complain(L"scenario: endpoint " + config.name + L" cannot start " + valueKey + L" at " + text);
            continue;
        }
        values[valueKey] = number;
    }
    // A fresh device: these have no value until the program writes one.
    for (auto it = values.begin(); it != values.end();) {
        it = config.unset.count(NameOf(it->first)) ? values.erase(it) : std::next(it);
    }
}
// ---------------------------------------------------------------------------------------------------------
// Properties

int32_t SimDevice::PropertyControl(const DeviceKey* key, const wchar_t* name, void** value, void** arguments,
                                   uint8_t write) {
    std::lock_guard lock(m_mutex);
    const bool writing = write != 0;
    std::wstring what = std::wstring(L"PropertyControl ") + (writing ? L"write " : L"read ") +
                        (name ? name : L"(null)") + L" on " + DescribeKey(key);
    auto finish = [&](int32_t result, const std::wstring& detail = {}) {
        LogLocked(what + detail + L" -> " + std::to_wstring(result));
        return result;
    };
    if (!name || !key)
        return finish(oc::driver::kSimBadArgument);
    if (name[0] == L'_' && name[1] == L'_') {
        Complain(std::wstring(L"the program's own property \"") + name + L"\" reached the driver");
        return finish(oc::driver::kSimReservedName);
    }
    Call call;
    call.def = PropertyTable::Find(name);
    if (!call.def) {
        Complain(std::wstring(L"unknown property \"") + name + L"\"");
        return finish(oc::driver::kSimUnknownName);
    }
    if (key->id == 0) {
        // The device-independent key reaches only the system's own information.
        if (call.def->slot != Slot::DirectX)
            return finish(oc::driver::kSimNoDevice);
    } else {
        call.endpoint = FindById(key->id);
        if (!call.endpoint || !call.endpoint->present)
            return finish(oc::driver::kSimNoDevice);
        if (!call.endpoint->Supports(*call.def))
            return finish(oc::driver::kSimNotSupported);
        if (call.endpoint->failing.count(name))
            return finish(oc::driver::kSimInjectedFailure);
    }
    call.arguments = arguments && *arguments ? static_cast<const uint8_t*>(*arguments) : nullptr;
    uint8_t* buffer = value ? static_cast<uint8_t*>(*value) : nullptr;
    if (!buffer)
        return finish(oc::driver::kSimBadArgument);
    static_assert(std::size(kHandlers) == static_cast<size_t>(Behaviour::VirtualSurround) + 1,
                  "one handler pair per behaviour");
    const BehaviourHandlers& handlers = kHandlers[static_cast<size_t>(call.def->behaviour)];
    if (writing) {
        call.value = buffer;
        int32_t result = (this->*handlers.write)(call);
        if (result == oc::driver::kSimOk) {
            MarkDirty();
            if (m_scenario.echoWrites && call.endpoint)
                Announce(*call.endpoint, *call.def);
        }
        return finish(result, L" = " + call.reply);
    }
    int32_t result = (this->*handlers.read)(call);
    if (result != oc::driver::kSimOk)
        return finish(result);
    size_t limit = oc::driver::kPropertyBufferBytes / sizeof(wchar_t) - 1;
    size_t length = std::min(call.reply.size(), limit);
    std::memcpy(buffer, call.reply.data(), length * sizeof(wchar_t));
    std::memset(buffer + length * sizeof(wchar_t), 0, sizeof(wchar_t));
    return finish(result, L" = " + call.reply);
}

int32_t SimDevice::ReadPlain(Call& call) {
    auto found = call.endpoint->values.find(call.def->name);
    if (found == call.endpoint->values.end())
        return oc::driver::kSimNotReady;
    call.reply = FormatNumber(call.def->kind, found->second);
    return oc::driver::kSimOk;
}

int32_t SimDevice::WritePlain(Call& call) {
    double value = 0;
    if (!DecodeNumber(call, value))
        return oc::driver::kSimBadValue;
    call.reply = FormatNumber(call.def->kind, value);
    if (!InRange(value, call.def->min, call.def->max))
        return oc::driver::kSimBadValue;
    call.endpoint->values[call.def->name] = value;
    if (value != 0 && IsEncodedOutput(call.def->name))
        ClearEncodedOutputs(call.endpoint->values, call.def->name);
    return oc::driver::kSimOk;
}

int32_t SimDevice::WriteReadOnly(Call&) {
    return oc::driver::kSimReadOnly;
}

int32_t SimDevice::ReadVolume(Call& call) {
    int32_t channel = ArgInt(call, 0, -1);
    auto found = call.endpoint->values.find(ChannelKey(VolumeStorage(call.def->slot), channel));
    if (found == call.endpoint->values.end())
        return channel < -1 || channel >= call.endpoint->config.channels ? oc::driver::kSimBadArgument
                                                                         : oc::driver::kSimNotReady;
    call.reply = FormatNumber(ValueKind::Float, found->second);
    return oc::driver::kSimOk;
}

int32_t SimDevice::WriteVolume(Call& call) {
    int32_t channel = ArgInt(call, 0, -1);
    if (channel < -1 || channel >= call.endpoint->config.channels)
        return oc::driver::kSimBadArgument;
    double value = 0;
    if (!DecodeNumber(call, value))
        return oc::driver::kSimBadValue;
    call.reply = FormatNumber(ValueKind::Float, value) + L" dB channel " + std::to_wstring(channel);
    const LevelRange& range = VolumeRange(call.endpoint->config, call.def->slot);
    if (!InRange(value, range.min, range.max))
        return oc::driver::kSimBadValue;
    call.endpoint->values[ChannelKey(VolumeStorage(call.def->slot), channel)] = std::clamp(value, range.min, range.max);
    return oc::driver::kSimOk;
}

// The scalar is the position of the dB level between the endpoint's minimum and maximum, so the two
// properties always describe one level.
int32_t SimDevice::ReadVolumeScalar(Call& call) {
    int32_t result = ReadVolume(call);
    if (result != oc::driver::kSimOk)
        return result;
    const LevelRange& range = VolumeRange(call.endpoint->config, call.def->slot);
    double db = call.endpoint->values[ChannelKey(VolumeStorage(call.def->slot), ArgInt(call, 0, -1))];
    double scalar = range.max > range.min ? (db - range.min) / (range.max - range.min) : 1.0;
    call.reply = FormatNumber(ValueKind::Float, scalar);
    return oc::driver::kSimOk;
}

int32_t SimDevice::WriteVolumeScalar(Call& call) {
    int32_t channel = ArgInt(call, 0, -1);
    if (channel < -1 || channel >= call.endpoint->config.channels)
        return oc::driver::kSimBadArgument;
    double scalar = 0;
    if (!DecodeNumber(call, scalar))
        return oc::driver::kSimBadValue;
    call.reply = FormatNumber(ValueKind::Float, scalar) + L" channel " + std::to_wstring(channel);
    if (!InRange(scalar, 0, 1))
        return oc::driver::kSimBadValue;
    const LevelRange& range = VolumeRange(call.endpoint->config, call.def->slot);
    call.endpoint->values[ChannelKey(VolumeStorage(call.def->slot), channel)] =
        range.min + std::clamp(scalar, 0.0, 1.0) * (range.max - range.min);
    return oc::driver::kSimOk;
}

int32_t SimDevice::ReadVolumeLimit(Call& call) {
    const ScenarioEndpoint& config = call.endpoint->config;
    double value = 0;
    switch (call.def->slot) {
    case Slot::Minimum:
        value = config.volume.min;
        break;
    case Slot::Maximum:
        value = config.volume.max;
        break;
    case Slot::AnalogMinimum:
        value = config.analogVolume.min;
        break;
    default:
        value = config.analogVolume.max;
        break;
    }
    call.reply = FormatNumber(ValueKind::Float, value);
    return oc::driver::kSimOk;
}

// Selector 0 is the level itself; 1, 2 and 3 read the maximum, minimum and step.
int32_t SimDevice::ReadLevels(Call& call) {
    const LevelRange& range =
        call.def->slot == Slot::Amplifier ? call.endpoint->config.amplifier : call.endpoint->config.boost;
    double value = 0;
    switch (ArgInt(call, 0, 0)) {
    case 0: {
        auto found = call.endpoint->values.find(call.def->name);
        if (found == call.endpoint->values.end())
            return oc::driver::kSimNotReady;
        value = found->second;
        break;
    }
    case 1:
        value = range.max;
        break;
    case 2:
        value = range.min;
        break;
    case 3:
        value = range.step;
        break;
    default:
        return oc::driver::kSimBadArgument;
    }
    call.reply = FormatNumber(call.def->kind, value);
    return oc::driver::kSimOk;
}

int32_t SimDevice::WriteLevels(Call& call) {
    const LevelRange& range =
        call.def->slot == Slot::Amplifier ? call.endpoint->config.amplifier : call.endpoint->config.boost;
    if (ArgInt(call, 0, 0) != 0)
        return oc::driver::kSimReadOnly;
    double value = 0;
    if (call.def->kind == ValueKind::Float && !call.arguments) {
        // Without a selector the older on/off form: an integer, nonzero meaning the highest level.
        value = ReadInt(call.value, 0) != 0 ? range.max : range.min;
    } else if (!DecodeNumber(call, value)) {
        return oc::driver::kSimBadValue;
    }
    call.reply = FormatNumber(call.def->kind, value);
    if (!InRange(value, range.min, range.max) || !OnStep(value, range))
        return oc::driver::kSimBadValue;
    call.endpoint->values[call.def->name] = value;
    return oc::driver::kSimOk;
}

int32_t SimDevice::ReadFormatPart(Call& call) {
    auto found = call.endpoint->values.find(call.def->name);
    if (found == call.endpoint->values.end())
        return oc::driver::kSimNotReady;
    call.reply = FormatNumber(ValueKind::Int, found->second);
    return oc::driver::kSimOk;
}

int32_t SimDevice::WriteSampleRate(Call& call) {
    int32_t rate = ReadInt(call.value, 0);
    call.reply = std::to_wstring(rate);
    if (rate <= 0 || !Contains(call.endpoint->config.rates, static_cast<uint32_t>(rate)))
        return oc::driver::kSimBadValue;
    call.endpoint->values[call.def->name] = rate;
    ClearEncodedOutputs(call.endpoint->values, nullptr);
    return oc::driver::kSimOk;
}

int32_t SimDevice::WriteBitDepth(Call& call) {
    double bits = 0;
    DecodeNumber(call, bits);
    call.reply = FormatNumber(ValueKind::Int, bits);
    if (!Contains(call.endpoint->config.bitDepths, static_cast<uint32_t>(bits)))
        return oc::driver::kSimBadValue;
    call.endpoint->values[call.def->name] = bits;
    ClearEncodedOutputs(call.endpoint->values, nullptr);
    return oc::driver::kSimOk;
}

int32_t SimDevice::WriteChannelCount(Call& call) {
    double count = 0;
    DecodeNumber(call, count);
    call.reply = FormatNumber(ValueKind::Int, count);
    if (!ChannelCountValid(call.endpoint->config, static_cast<uint32_t>(count)))
        return oc::driver::kSimBadValue;
    call.endpoint->values[call.def->name] = count;
    return oc::driver::kSimOk;
}

int32_t SimDevice::ReadFormat(Call& call) {
    auto& values = call.endpoint->values;
    const wchar_t* parts[] = {L"DevSampleRateControl", L"DevBitDepthControl", L"DevChannelNumControl"};
    for (const wchar_t* part : parts) {
        if (!values.count(part))
            return oc::driver::kSimNotReady;
        call.reply += (call.reply.empty() ? L"" : L",") + FormatNumber(ValueKind::Int, values[part]);
    }
    return oc::driver::kSimOk;
}

// {sample rate, bit depth, channel count}; a 0 keeps that part. All three change together or none does.
int32_t SimDevice::WriteFormat(Call& call) {
    const ScenarioEndpoint& config = call.endpoint->config;
    int32_t rate = ReadInt(call.value, 0);
    int32_t bits = ReadInt(call.value, 1);
    int32_t channels = ReadInt(call.value, 2);
    call.reply = std::to_wstring(rate) + L"," + std::to_wstring(bits) + L"," + std::to_wstring(channels);
    bool valid = rate >= 0 && bits >= 0 && channels >= 0 &&
                 (rate == 0 || Contains(config.rates, static_cast<uint32_t>(rate))) &&
                 (bits == 0 || Contains(config.bitDepths, static_cast<uint32_t>(bits))) &&
                 (channels == 0 || ChannelCountValid(config, static_cast<uint32_t>(channels)));
    if (!valid)
        return oc::driver::kSimBadValue;
    auto& values = call.endpoint->values;
    if (rate)
        values[L"DevSampleRateControl"] = rate;
    if (bits)
        values[L"DevBitDepthControl"] = bits;
    if (channels)
        values[L"DevChannelNumControl"] = channels;
    if (rate || bits)
        ClearEncodedOutputs(values, nullptr);
    return oc::driver::kSimOk;
}

int32_t SimDevice::ReadFormatQuery(Call& call) {
    if (!call.arguments)
        return oc::driver::kSimBadArgument;
    uint16_t channels;
    uint16_t bits;
    uint32_t rate;
    std::memcpy(&channels, call.arguments, 2);
    std::memcpy(&bits, call.arguments + 2, 2);
    std::memcpy(&rate, call.arguments + 4, 4);
    const ScenarioEndpoint& config = call.endpoint->config;
    bool supported =
        ChannelCountValid(config, channels) && Contains(config.bitDepths, bits) && Contains(config.rates, rate);
    call.reply = supported ? L"1" : L"0";
    return oc::driver::kSimOk;
}

int32_t SimDevice::ReadDefaultDevice(Call& call) {
    call.reply = m_defaultId[call.endpoint->config.flow] == call.endpoint->id ? L"1" : L"0";
    return oc::driver::kSimOk;
}

int32_t SimDevice::WriteDefaultDevice(Call& call) {
    int32_t value = ReadInt(call.value, 0);
    call.reply = std::to_wstring(value);
    // Nothing can be made "not default" directly: another endpoint becomes default instead.
    if (value != 0)
        m_defaultId[call.endpoint->config.flow] = call.endpoint->id;
    return oc::driver::kSimOk;
}

// Selector 0 is the active terminal (1 Speaker, 2 HeadPhone, 3 SPDIF), selector 2 the available ones as bits.
int32_t SimDevice::ReadOutputTerminal(Call& call) {
    switch (ArgInt(call, 0, 0)) {
    case 0:
        call.reply = std::to_wstring(m_terminal);
        return oc::driver::kSimOk;
    case 2:
        call.reply = std::to_wstring(m_scenario.terminalsAvailable);
        return oc::driver::kSimOk;
    default:
        return oc::driver::kSimBadArgument;
    }
}

int32_t SimDevice::WriteOutputTerminal(Call& call) {
    if (ArgInt(call, 0, 0) != 0)
        return oc::driver::kSimReadOnly;
    int32_t terminal = ReadInt(call.value, 0);
    call.reply = std::to_wstring(terminal);
    if (terminal < 1 || terminal > 3 || !(m_scenario.terminalsAvailable & (1u << (terminal - 1))))
        return oc::driver::kSimBadValue;
    SelectTerminal(terminal);
    return oc::driver::kSimOk;
}

int32_t SimDevice::ReadDeviceText(Call& call) {
    switch (call.def->slot) {
    case Slot::DeviceId:
        call.reply = m_scenario.deviceId;
        break;
    case Slot::Friendly:
        call.reply = call.endpoint->config.friendlyName;
        break;
    case Slot::Codec:
        call.reply = m_scenario.codecName;
        break;
    case Slot::Driver:
        call.reply = m_scenario.driverVersion;
        break;
    case Slot::Firmware:
        call.reply = m_scenario.firmwareVersion;
        break;
    default:
        call.reply = m_scenario.directXVersion;
        break;
    }
    return oc::driver::kSimOk;
}

// Seven pieces; the program reads the feature words from pieces 0, 4 and 6.
int32_t SimDevice::ReadFeatures(Call& call) {
    const uint32_t* words = call.endpoint->config.features;
    wchar_t text[96];
    std::swprintf(text, std::size(text), L"%u,0,0,0,%u,0,%u", words[0], words[1], words[2]);
    call.reply = text;
    return oc::driver::kSimOk;
}

int32_t SimDevice::ReadSpeakerShift(Call& call) {
    if (!call.arguments || ArgInt(call, 0, 0) != kSpeakerShiftTag)
        return oc::driver::kSimBadArgument;
    int32_t input = ArgInt(call, 1, 0);
    int32_t result = call.def->slot == Slot::LevelFromDistance ? LevelFromDistance(input) : DistanceFromLevel(input);
    call.reply = std::to_wstring(result);
    return oc::driver::kSimOk;
}

int32_t SimDevice::ReadVirtualSurround(Call& call) {
    const SurroundRoute* route = call.arguments ? FindRoute(call.arguments) : nullptr;
    if (!route)
        return oc::driver::kSimBadArgument;
    if (!route->storage) {
        if (call.endpoint->config.virtualSurroundGuid.empty())
            return oc::driver::kSimNotSupported;
        call.reply = call.endpoint->config.virtualSurroundGuid;
        return oc::driver::kSimOk;
    }
    auto found = call.endpoint->values.find(route->storage);
    if (found == call.endpoint->values.end())
        return oc::driver::kSimNotReady;
    call.reply = FormatNumber(ValueKind::Int, found->second);
    return oc::driver::kSimOk;
}

int32_t SimDevice::WriteVirtualSurround(Call& call) {
    const SurroundRoute* route = call.arguments ? FindRoute(call.arguments) : nullptr;
    if (!route)
        return oc::driver::kSimBadArgument;
    if (!route->storage)
        return oc::driver::kSimReadOnly;
    int32_t value = ReadInt(call.value, 0);
    call.reply = std::to_wstring(value);
    if (value < 0 || value > route->max)
        return oc::driver::kSimBadValue;
    call.endpoint->values[route->storage] = value;
    return oc::driver::kSimOk;
}

// Level falls linearly from +4 dB at the nearest distance to -13 dB at the farthest. A level step is wider
// than 1.8 distance units, so rounding each way loses nothing: distance(level(d)) may move d to the
// distance of its level, but level(distance(l)) == l for every level in range.
int32_t SimDevice::LevelFromDistance(int32_t distance) {
    distance = std::clamp(distance, kNearestDistance, kFarthestDistance);
    double span = static_cast<double>(kLoudestLevel - kQuietestLevel) / (kFarthestDistance - kNearestDistance);
    return kLoudestLevel - static_cast<int32_t>(std::lround((distance - kNearestDistance) * span));
}

int32_t SimDevice::DistanceFromLevel(int32_t level) {
    level = std::clamp(level, kQuietestLevel, kLoudestLevel);
    double span = static_cast<double>(kFarthestDistance - kNearestDistance) / (kLoudestLevel - kQuietestLevel);
    return kNearestDistance + static_cast<int32_t>(std::lround((kLoudestLevel - level) * span));
}

} // namespace oc::sim
