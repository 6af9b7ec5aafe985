#include "markup/FileIo.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <cwchar>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "markup/Utf8.h"
#endif

namespace {

#ifndef _WIN32
std::string NativePath(const wchar_t* path) {
    return WideToUtf8(path, std::wcslen(path));
}
#endif

// Moves `from` to `to` only when `to` does not exist yet.
bool MoveIfFree(const wchar_t* from, const wchar_t* to) {
#ifdef _WIN32
    return MoveFileExW(from, to, MOVEFILE_WRITE_THROUGH) != 0;
#else
    // A hard link fails on an existing name, which a rename would replace.
    std::error_code error;
    std::filesystem::create_hard_link(NativePath(from), NativePath(to), error);
    if (error)
        return false;
    std::filesystem::remove(NativePath(from), error);
    return true;
#endif
}

// Whether the file holds exactly these bytes.
bool HoldsBytes(const wchar_t* path, const void* bytes, std::size_t size) {
    fileio::FilePtr file = fileio::Open(path, "rb");
    std::uint64_t length = 0;
    if (!file || !fileio::Size(file.get(), length) || length != size)
        return false;
    std::vector<char> block(1u << 16);
    const char* expected = static_cast<const char*>(bytes);
    for (std::size_t done = 0; done < size;) {
        const std::size_t want = std::min(block.size(), size - done);
        if (std::fread(block.data(), 1, want, file.get()) != want || std::memcmp(block.data(), expected + done, want))
            return false;
        done += want;
    }
    return true;
}

// A temporary name of this process beside the file, so that two instances never write the same one.
std::wstring TemporaryBeside(const wchar_t* path) {
#ifdef _WIN32
    const unsigned long process = GetCurrentProcessId();
#else
    const unsigned long process = static_cast<unsigned long>(getpid());
#endif
    return std::wstring(path) + L"." + std::to_wstring(process) + L".tmp";
}

} // namespace

namespace fileio {

FilePtr Open(const wchar_t* path, const char* mode) {
    if (!path || !mode)
        return nullptr;
#ifdef _WIN32
    std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return FilePtr(_wfopen(path, wideMode.c_str()));
#else
    return FilePtr(std::fopen(NativePath(path).c_str(), mode));
#endif
}

bool Size(std::FILE* file, std::uint64_t& size) {
#ifdef _WIN32
    __int64 length = _filelengthi64(_fileno(file));
    if (length < 0)
        return false;
    size = static_cast<std::uint64_t>(length);
#else
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || info.st_size < 0)
        return false;
    size = static_cast<std::uint64_t>(info.st_size);
#endif
    return true;
}

ReadResult ReadAll(const wchar_t* path, std::string& bytes) {
    bytes.clear();
    errno = 0;
    FilePtr file = Open(path, "rb");
    if (!file)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Unreadable;
    // Sized from the file: most are a few kilobytes, and a fixed large block would be allocated and cleared
    // for every one of them (a profile strip reads two files per profile). One byte beyond the size lets the
    // first read meet the end; a file that grew meanwhile, or one whose size is unknown, is read on in blocks.
    constexpr std::size_t kBlock = std::size_t{1} << 16;
    std::uint64_t length = 0;
    const bool sized = Size(file.get(), length) && length < std::uint64_t{SIZE_MAX} - 1;
    try {
        for (std::size_t want = sized ? static_cast<std::size_t>(length) + 1 : kBlock;; want = kBlock) {
            const std::size_t filled = bytes.size();
            bytes.resize(filled + want);
            const std::size_t read = std::fread(bytes.data() + filled, 1, want, file.get());
            bytes.resize(filled + read);
            if (read < want)
                break;
        }
    } catch (const std::bad_alloc&) {
        bytes.clear();
        return ReadResult::Unreadable;
    }
    if (std::ferror(file.get())) {
        bytes.clear();
        return ReadResult::Unreadable;
    }
    return ReadResult::Read;
}

bool Close(FilePtr file) {
    if (!file)
        return false;
    bool flushed = std::fflush(file.get()) == 0 && !std::ferror(file.get());
    return std::fclose(file.release()) == 0 && flushed;
}

bool MoveOver(const wchar_t* from, const wchar_t* to) {
#ifdef _WIN32
    return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    std::error_code error;
    std::filesystem::rename(NativePath(from), NativePath(to), error);
    return !error;
#endif
}

bool Remove(const wchar_t* path) {
#ifdef _WIN32
    return DeleteFileW(path) != 0;
#else
    return std::remove(NativePath(path).c_str()) == 0;
#endif
}

std::wstring KeptCopyPath(const wchar_t* path, int n) {
    std::wstring name = std::wstring(path) + L".bad";
    return n == 0 ? name : name + std::to_wstring(n + 1);
}

bool KeepCopy(const wchar_t* path, const void* bytes, std::size_t size) {
    if (!path || (!bytes && size))
        return false;
    for (int n = 0; n < kKeptCopies; ++n) {
        if (HoldsBytes(KeptCopyPath(path, n).c_str(), bytes, size))
            return true;
    }
    const std::wstring temp = TemporaryBeside(path);
    FilePtr file = Open(temp.c_str(), "wb");
    if (!file)
        return false;
    bool written = size == 0 || std::fwrite(bytes, 1, size, file.get()) == size;
    written = Close(std::move(file)) && written;
    for (int n = 0; written && n < kKeptCopies; ++n) {
        // Another process may take a name between the look and the move: the move then fails, not replaces.
        if (MoveIfFree(temp.c_str(), KeptCopyPath(path, n).c_str()))
            return true;
    }
    Remove(temp.c_str());
    return false;
}

bool MoveAside(const wchar_t* path) {
    if (!path)
        return false;
    for (int n = 0; n < kKeptCopies; ++n) {
        if (MoveIfFree(path, KeptCopyPath(path, n).c_str()))
            return true;
    }
    return false;
}

} // namespace fileio
