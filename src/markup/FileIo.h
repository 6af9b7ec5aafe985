#pragma once
// The few file operations the document code needs, behind one seam: wide (UTF-16) paths open with _wfopen
// on Windows and as UTF-8 paths on the native test build.
#include <cstdint>
#include <cstdio>
#include <memory>

namespace fileio {

struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, Closer>;

// fopen with a wide path and a narrow mode ("rb", "wb").
FilePtr Open(const wchar_t* path, const char* mode);

// The size of an open file in bytes, 64-bit so that a huge file never reads as a small one.
bool Size(std::FILE* file, std::uint64_t& size);

// Closes the file; true only when everything written to it was flushed without error.
bool Close(FilePtr file);

// Moves `from` over `to`, replacing an existing `to` in one step.
bool MoveOver(const wchar_t* from, const wchar_t* to);

bool Remove(const wchar_t* path);

} // namespace fileio
