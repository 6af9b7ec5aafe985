#pragma once
// The binary interface of the device maker's two libraries: sysTuneLib (driver configuration) and PLHID
// (hardware buttons). The driver access object looks the entry points up by name; the stand-in libraries
// of the simulated device export them. Both sides include this header so the two can never drift apart.
// Everything here is plain C layout: the libraries are built separately and loaded at run time.
#include <cstdint>

namespace oc::driver {

// ---------------------------------------------------------------------------------------------------------
// Device key: 16 bytes, handed out by GetDeviceById and passed back on every device call. The library
// identifies the endpoint by `id` alone: the program rewrites flow and code in its copy and keeps using it.
struct DeviceKey {
    uint32_t id;   // the library's own endpoint id; 0 in the device-independent key
    int32_t code;  // endpoint code (1 Speaker, 2 MicIn, ...)
    uint32_t flow; // 0 render, 1 capture
    uint32_t kind; // 1 fully supported; 2, 3, 4 and 8 partly supported
};
static_assert(sizeof(DeviceKey) == 16, "the device key crosses the library boundary as 16 bytes");

enum DataFlow : uint32_t { kFlowRender = 0, kFlowCapture = 1 };

// Property values and arguments travel in buffers of this size, owned by the caller.
constexpr uint32_t kPropertyBufferBytes = 1024;

// Last argument of PropertyControl.
constexpr uint8_t kPropertyRead = 0;
constexpr uint8_t kPropertyWrite = 1;

// ---------------------------------------------------------------------------------------------------------
// Answers of the stand-in library besides 0 (success). The real library answers other nonzero codes; the
// program treats every nonzero answer as "not done" and never interprets these.
enum SimResult : int32_t {
    kSimOk = 0,
    kSimNotSupported = 1, // the endpoint lacks the property (the program's capability signal)
    kSimBadArgument = 2,  // missing or invalid qualifier
    kSimBadValue = 3,     // value outside the property's range
    kSimUnknownName = 4,  // no such property at all: a misspelt key
    kSimNoDevice = 5,     // unknown or absent endpoint, or the library is not initialised
    kSimReservedName = 6, // "__" names belong to the program and must never arrive here
    kSimInjectedFailure = 7,
    kSimReadOnly = 8,
    kSimBadFile = 9,   // test sound: missing or not a RIFF/WAVE file
    kSimNotReady = 10, // the value was never set (a fresh device) or the call is out of order
};

// ---------------------------------------------------------------------------------------------------------
// Driver events: delivered on the library's own thread through the callback registered with
// RegisterCallbackFunction. `key` names the endpoint concerned, or is null.
using DriverEventCallback = void (*)(int32_t event, uint32_t flags, const DeviceKey* key);

enum DriverEvent : int32_t {
    kEventVolume = 0,       // a channel level changed
    kEventMute = 1,         // a mute changed
    kEventAnalogVolume = 2, // level or mute of the analog ("AA") path changed
    kEventBoost = 5,
    kEventTestSoundEnd = 8, // a test wave ended or was stopped (once per wave)
    kEventEffectState = 12, // an effect switch or value changed
    kEventFormat = 13,      // sampling rate, bit depth or channel count changed
    kEventAgc = 14,
    kEventDevice = 20, // any number outside the ones above: the flags word says what happened
};

enum DriverEventFlags : uint32_t {
    kFlagsNotice = 0,
    kFlagsArrival = 1,
    kFlagsRemoval = 2,
    kFlagsDisabled = 4,
    kFlagsUnplugged = 8,
    kFlagsArrivalDefault = 16,
    kFlagsNotPresent = 32,
    kFlagsListChanged = 64,
    kFlagsStateChanged = 128,
    kFlagsNotice256 = 256,
    kFlagsNotice512 = 512,
    kFlagsNotice1024 = 1024,
};

// ---------------------------------------------------------------------------------------------------------
// sysTuneLib entry points, in the order the program looks them up.
using ConfLibInitFn = int32_t (*)();
using ConfLibInitWithGuidFn = int32_t (*)(const void* applicationGuid16);
using GetDeviceByIdFn = int32_t (*)(uint32_t flow, uint32_t index, DeviceKey* record);
using PropertyControlFn = int32_t (*)(const DeviceKey* key, const wchar_t* name, void** valueBuffer,
                                      void** argumentBuffer, uint8_t write);
using RegisterCallbackFunctionFn = int32_t (*)(DriverEventCallback callback, int32_t reserved);
using GetDeviceCountFn = int32_t (*)(uint32_t flow, int32_t* count);
using CreateDeviceListFn = int32_t (*)();
using PlayTestSoundFn = int32_t (*)(const wchar_t* wavePath, uint32_t channelMask, const DeviceKey* key,
                                    int32_t reserved);
using StopTestSoundFn = int32_t (*)(void* owner, int32_t reserved);
using CloseTestSoundFn = int32_t (*)(void* owner, int32_t reserved);
using ShowAsioPanelFn = int32_t (*)(const void* asioClassId16);
using StopListen2DeviceFn = int32_t (*)(const DeviceKey* key);
using RunListen2DeviceFn = int32_t (*)(const DeviceKey* key);
using ConfLibUnInitFn = int32_t (*)();

constexpr const char* kSysTuneEntryPoints[] = {
    "ConfLibInit",    "ConfLibInitWithGUID", "GetDeviceById",    "PropertyControl", "RegisterCallbackFunction",
    "GetDeviceCount", "CreateDeviceList",    "PlayTestSound",    "StopTestSound",   "CloseTestSound",
    "ShowAsioPanel",  "StopListen2Device",   "RunListen2Device", "ConfLibUnInit",
};

// ---------------------------------------------------------------------------------------------------------
// PLHID: hardware buttons. One 32-byte record per button, little-endian.
struct ButtonRecord {
    uint32_t buttonId; // 105 surround switch, 108 noise-cancellation switch
    uint8_t unused[8];
    uint32_t state;       // written by the program: 1 on, 0 off
    int32_t endpointCode; // endpoint of the property the button toggles
    uint32_t flow;        // flow of that endpoint
    uint64_t report;      // nonzero: the program writes the state and calls the report function
};
static_assert(sizeof(ButtonRecord) == 32, "button records are 32 bytes");

constexpr uint32_t kButtonSurround = 105;
constexpr uint32_t kButtonNoiseCancellation = 108;

// GetButtonDescription with a null buffer answers this (E_INVALIDARG) together with the needed size.
constexpr int32_t kHidNeedBuffer = static_cast<int32_t>(0x80070057u);

using HidButtonCallback = void (*)(ButtonRecord* record);
using HidReportFunction = int32_t (*)(ButtonRecord* record, int32_t reserved);

using StartDeviceFn = int32_t (*)(HidButtonCallback callback, const wchar_t* vendorId, const wchar_t* productId);
using CloseDeviceFn = int32_t (*)();
using GetButtonDescriptionFn = int32_t (*)(ButtonRecord* buffer, uint32_t* byteCount);
using GetCallBackFn = int32_t (*)(HidReportFunction* reportFunction);

constexpr const char* kHidEntryPoints[] = {"StartDevice", "CloseDevice", "GetButtonDescription", "GetCallBack"};

} // namespace oc::driver
