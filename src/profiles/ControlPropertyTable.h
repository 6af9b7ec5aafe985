#pragma once
// The schema of every setting a profile holds: which driver property, on which endpoints, under which page
// and enable switch, and how its value travels. Capture, apply, matching and the change poll all walk this
// one table, so a setting joins profiles by gaining a row here and nowhere else.

#include <array>
#include <cstdint>

#include "driver/PropertyValue.h"

class IDriverInstance;

// One bit per endpoint; the walks visit the bits in the order of g_EndpointMaskBits.
using EndpointMask = uint32_t;

inline constexpr int kEndpointMaskBitCount = 10;
extern const EndpointMask g_EndpointMaskBits[kEndpointMaskBitCount];

// How a row's value travels through the driver.
enum ControlValueKind : int32_t {
    kControlValueInt = kValueInt,
    kControlValueFloat = kValueFloat,
    kControlValueU16 = 5, // driver value type kValueUInt, two bytes
};

enum ControlRowFlags : int32_t {
    kControlRowSwitch = 0x1,  // an effect's enable switch
    kControlRowDevice = 0x2,  // a device property; clear for the program's own "__" values
    kControlRowMatched = 0x4, // compared when the strip matches profiles and polls for changes
};

// The unused rows keep these defaults: empty texts rather than null, so a walk may read any row.
struct ControlPropertyRow {
    const wchar_t* Key = L"";
    uint32_t EndpointMask = 0;    // an EndpointMask
    const wchar_t* Feature = L""; // page key; the endpoint name followed by it is the feature to ask the driver
    const wchar_t* ParentSwitch = L"";
    int32_t ValueKind = kControlValueInt;
    int32_t Flags = 0;
};

// Rows past the filled ones are empty with mask 0, so every walk skips them.
inline constexpr int kControlPropertyRowCount = 150;
extern const std::array<ControlPropertyRow, kControlPropertyRowCount> g_ControlPropertyTable;

// The endpoint bit of an endpoint code; codes without a bit of their own (HDMI among them) count as Speaker.
EndpointMask DeviceTypeToMask(int32_t endpointCode);
// The endpoint code of a single bit; anything else, several bits included, gives Speaker (1).
int32_t MaskToDeviceType(EndpointMask bit);
// The first row whose key equals the name exactly; -1 when none does.
int32_t FindControlIndex(const wchar_t* name);
// Writes 0 to every enable switch on the endpoints of the mask, so that a profile applied next leaves on
// only the effects it names. Failed writes (no device for the endpoint) are of no concern.
void ResetEffectSwitches(IDriverInstance& driver, EndpointMask mask);
