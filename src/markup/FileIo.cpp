#include "markup/FileIo.h"

#include <cwchar>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>

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

} // namespace fileio
