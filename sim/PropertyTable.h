#pragma once
// The simulated driver's property names. The library is told a property's name but never its type, so the
// table fixes for every name how a written value's raw bytes are read, its range and starting value, which
// group of device functions it belongs to (an endpoint supports whole groups), and what event a change of it
// from outside the program raises.
#include <cstdint>
#include <string>

namespace oc::sim {

enum class ValueKind : uint8_t {
    Int,   // 32-bit signed integer; replies "%d"
    Float, // 32-bit float; replies "%f"
    U16,   // 16-bit unsigned in the low two bytes of the value buffer; replies "%d"
    Text,  // read-only wide text
    Block, // a 12-byte record of three 32-bit integers
};

// How the property behaves beyond a stored number. Each has its own read and write in the device.
enum class Behaviour : uint8_t {
    Plain,          // one stored number per endpoint, range-checked
    ReadOnlyNumber, // a number the scenario fixes ("IsSupport..." answers)
    Volume,         // per-channel level in dB (argument: int channel, -1 master)
    VolumeScalar,   // the same level as 0..1 between the endpoint's minimum and maximum
    VolumeLimit,    // read-only minimum or maximum level in dB
    Levels,         // selector argument: 0 current, 1 maximum, 2 minimum, 3 step (amplifier, boost)
    SampleRate,
    BitDepth,
    ChannelCount,
    Format,      // sampling rate, bit depth and channel count at once
    FormatQuery, // "IsSupportFormat": 8-byte argument {u16 channels, u16 bits, u32 rate}
    DefaultDevice,
    OutputTerminal, // selector argument: 0 current terminal, 2 available terminals
    DeviceText,     // a text of the device or endpoint
    Features,
    SpeakerShift,    // argument {28, input}: level from distance or distance from level
    VirtualSurround, // 12-byte routing block selects the quantity
};

// Which slot of the "DeviceText" or limit family a property reads.
enum class Slot : uint8_t {
    None,
    Primary, // main path level
    Analog,  // analog path level
    Minimum,
    Maximum,
    AnalogMinimum,
    AnalogMaximum,
    DeviceId,
    Friendly,
    Codec,
    Driver,
    Firmware,
    DirectX,
    LevelFromDistance,
    DistanceFromLevel,
    Amplifier,
    Boost,
};

struct PropertyDef {
    const wchar_t* name;
    const wchar_t* group; // an endpoint supports a property when its scenario lists the group
    ValueKind kind;
    Behaviour behaviour;
    Slot slot;
    double min;
    double max;
    double initial;
    int32_t event; // driver event raised when the value changes from outside the program
};

class PropertyTable {
public:
    // Null for a name the driver does not know.
    static const PropertyDef* Find(const std::wstring& name);
    static const PropertyDef* Begin();
    static const PropertyDef* End();
};

// Groups that every endpoint has, whatever its scenario lists.
constexpr const wchar_t* kCoreGroup = L"core";

} // namespace oc::sim
