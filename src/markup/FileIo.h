#pragma once
// The few file operations the document code needs, behind one seam: wide (UTF-16) paths open with _wfopen
// on Windows and as UTF-8 paths on the native test build.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace fileio {

struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, Closer>;

// fopen with a wide path and a narrow mode ("rb", "wb").
FilePtr Open(const wchar_t* path, const char* mode);

// The size of an open file in bytes, 64-bit so that a huge file never reads as a small one.
bool Size(std::FILE* file, std::uint64_t& size);

// How a whole-file read went.
enum class ReadResult {
    Missing,    // no such file
    Read,       // every byte is in the buffer
    Unreadable, // it could not be opened or read, or not held in memory: leave it as it is
};
// The whole file, whatever its size; the buffer is empty unless the result is Read.
ReadResult ReadAll(const wchar_t* path, std::string& bytes);

// Closes the file; true only when everything written to it was flushed without error.
bool Close(FilePtr file);

// Moves `from` over `to`, replacing an existing `to` in one step.
bool MoveOver(const wchar_t* from, const wchar_t* to);

bool Remove(const wchar_t* path);

// Keeps the bytes of a file the program could not read whole beside it, so that whatever replaces the file
// later loses nothing: under the first of path + ".bad", ".bad2" ... ".bad9" that is free, written through a
// temporary file and never over an existing copy. Bytes already kept under one of those names are not kept
// twice. False when no copy could be made; the caller must then leave the file as it is.
bool KeepCopy(const wchar_t* path, const void* bytes, std::size_t size);

// Moves the file to the first free one of those names, never over an earlier copy; false when it stays.
bool MoveAside(const wchar_t* path);

// The name the n-th kept copy of the file goes under (0: path + ".bad", then ".bad2" ...).
std::wstring KeptCopyPath(const wchar_t* path, int n);
constexpr int kKeptCopies = 9;

} // namespace fileio
