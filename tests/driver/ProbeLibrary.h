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
