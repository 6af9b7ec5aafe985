#pragma once
// Endpoint codes: the integers that name an endpoint kind, with their names and flows. The driver library
// reports a code per endpoint; everything above it (handlers, profiles, Profile.xml) speaks in these names.

#include <cstdint>
#include <string>
#include <string_view>

enum EndpointCode : int32_t {
    kEndpointNone = -1,
    kEndpointSpeaker = 1,
    kEndpointMicIn = 2,
    kEndpointLineIn = 3,
    kEndpointSPDIFOut = 4,
    kEndpointAux = 5,
    kEndpointCDPlayer = 6,
    kEndpointHeadPhone = 7,
    kEndpointStereoMix = 8,
    kEndpointHDMI = 9,
    kEndpointDesktopMic = 10,
    kEndpointSPDIFInRCA = 11,
    kEndpointSpeakerQuarter = 12,
    kEndpointSPDIFIn = 104,
};

// The code whose endpoint name equals the whole text (case-sensitive); -1 otherwise.
int32_t EndpointNameToCode(std::wstring_view name);
// The code of the first endpoint name the text begins with, longer names tried before their prefixes
// ("SpeakerQuarterEQ" is 12, not 1); -1 when none fits.
int32_t EndpointPrefixToCode(std::wstring_view text);
// The endpoint name of a code; "Unknown" for codes without one (5, 6 and anything else).
std::wstring EndpointCodeToName(int32_t code);

bool IsRenderEndpointCode(int32_t code);
bool IsCaptureEndpointCode(int32_t code);

// The device kinds as Profile.xml names them: one row per code that may carry stored values.
struct DeviceKindRow {
    int32_t code;
    const wchar_t* name;
    const wchar_t* flow; // "Out" or "In"
};

inline constexpr int kDeviceKindCount = 12;
extern const DeviceKindRow g_DeviceKindTable[kDeviceKindCount];
