#pragma once
// How a property value crosses the driver library: callers hold native values (integers, floats, texts,
// raw blocks) described by a type and a size; the library reads raw bytes on a write and answers wide
// text on a read. These helpers do the conversions and keep every copy inside the 1024-byte buffers.

#include <cstddef>
#include <cstdint>
#include <string>

#include "driver/DriverLibraryAbi.h"

enum PropertyValueType : int32_t {
    kValueInt = 0,
    kValueUInt = 1,
    kValueFloat = 2,
    kValueText = 3,
    kValueBlock = 4, // an opaque record ("IsSupportFormat" formats, routing blocks, "DevFormatControl")
};

// The value size that asks for a number of the default width: 4 bytes (see PropertyByteCount).
inline constexpr uint32_t kDefaultNumberSize = 0;

inline constexpr uint32_t kPropertyBufferBytes = oc::driver::kPropertyBufferBytes;
inline constexpr size_t kPropertyBufferChars = kPropertyBufferBytes / sizeof(wchar_t);

// The bytes a value of this type and size occupies: the size itself, or 4 for a number given with size 0.
uint32_t PropertyByteCount(int32_t type, uint32_t size);

// Zeroes the buffer and copies a caller's native value into it. A text is copied up to its terminator and
// keeps one; a value that would not fit is refused (false) so that nothing reaches the library.
bool PackPropertyBytes(uint8_t (&buffer)[kPropertyBufferBytes], const void* source, int32_t type, uint32_t byteCount);

// The driver's decimal text as a 32-bit integer: optional blanks and sign, leading digits, 0 when none.
// Values up to 4294967295 keep their low 32 bits, so unsigned texts survive; larger ones saturate.
int32_t ParsePropertyInteger(const wchar_t* text);
float ParsePropertyFloat(const wchar_t* text);

// The text form of a native number, as the value cache keeps it: "%d" for types 0 and 1 (of the value's
// first bytes, at most 4), "%f" for type 2, empty for texts and blocks.
std::wstring FormatPropertyNumber(const void* value, int32_t type, uint32_t byteCount);

// Copies a text into a caller's place of byteCount bytes: as much as fits, always terminated.
void CopyTextToPlace(void* place, uint32_t byteCount, const wchar_t* text, size_t textCapacity);
