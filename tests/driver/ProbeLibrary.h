#pragma once
// A scripted stand-in for the configuration and HID libraries, for the cases the simulated device never
// shows: a library missing entry points, answers that fill the whole buffer, queries that answer through
// the argument block, and the order of the calls at unload. Every call is appended to the file named by
// OC_PROBE_LOG, one line each, so the order survives the library's unloading.

#include <cstdint>

#include "driver/DriverLibraryAbi.h"

struct ProbeCall {
    wchar_t name[128];
    uint8_t write;
    uint8_t hadValue;
    uint8_t hadArguments;
    oc::driver::DeviceKey key;
    alignas(8) uint8_t value[1024];
    alignas(8) uint8_t arguments[1024];
};

// The script of one property name: the answer, the text left in the value buffer on a read (with
// fillBuffer, repeated over all 512 characters with no terminator), and bytes written into the argument
// buffer on a read.
using ProbeScriptFn = void (*)(const wchar_t* name, int32_t result, const wchar_t* reply, int32_t fillBuffer,
                               const void* argumentReply, uint32_t argumentReplyBytes);
// The answer of writes of that name (reads keep the script's own answer).
using ProbeScriptWriteFn = void (*)(const wchar_t* name, int32_t result);
using ProbeCallCountFn = int32_t (*)();
using ProbeLastCallFn = void (*)(ProbeCall* call);
// The script of one property name on one endpoint (by the key's id); it wins over the name's own script.
using ProbeScriptDeviceFn = void (*)(uint32_t id, const wchar_t* name, int32_t result, const wchar_t* reply);

// The endpoints one flow enumerates. reportedCount is what GetDeviceCount answers (-1: the number of keys);
// with touchCount 0 it leaves the caller's count as it was and fails.
using ProbeSetDevicesFn = void (*)(uint32_t flow, const oc::driver::DeviceKey* keys, int32_t keyCount,
                                   int32_t reportedCount, int32_t touchCount);
using ProbeSetCreateListResultFn = void (*)(int32_t result);

// Every library call since load, one line each: property calls as "read <name> id=<id> arg=<first int>",
// and the device calls ("GetDeviceById", "PlayTestSound <path> mask=<hex> id=<id>", "ShowAsioPanel <guid>",
// "RunListen2Device id=<id>", ...). Entry points other than PropertyControl answer the result scripted
// under their own name (0 when none). The HID library keeps its own history of the same form.
using ProbeHistoryFn = int32_t (*)(wchar_t* buffer, uint32_t chars);

// The HID library's script: the answer and byte count of the size query, the records the second call
// copies (at most the count it is given), and the answer of StartDevice.
using ProbeHidScriptFn = void (*)(int32_t sizeAnswer, uint32_t byteCount, const oc::driver::ButtonRecord* records,
                                  uint32_t recordCount, int32_t startAnswer);
