#include "handlers/effects/EQPresetFile.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <memory>

#include "markup/FileIo.h"

namespace oc::eq {

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

FileHandle OpenFile(const std::wstring& path, DWORD access, DWORD disposition, DWORD attributes) {
    HANDLE handle = ::CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition, attributes, nullptr);
    return FileHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

bool WriteAll(HANDLE file, const std::vector<uint8_t>& bytes) {
    DWORD written = 0;
    if (bytes.empty())
        return true;
    return ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

void MakeHidden(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_HIDDEN))
        ::SetFileAttributesW(path.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
}

} // namespace

namespace {

// The whole file, whatever its size: the format reads in one pass.
fileio::ReadResult ReadBytes(const std::wstring& path, std::vector<uint8_t>& data) {
    std::string bytes;
    const fileio::ReadResult result = fileio::ReadAll(path.c_str(), bytes);
    data.assign(bytes.begin(), bytes.end());
    return result;
}

// Whether every byte of the data became a preset (an ending record of length 0 aside), so that writing the
// presets back loses nothing of it.
bool ReadsWhole(const std::vector<uint8_t>& data) {
    const size_t used = SerializePresets(ParsePresets(data)).size();
    if (data.size() == used)
        return true;
    return data.size() == used + sizeof(uint32_t) &&
           std::all_of(data.begin() + static_cast<std::ptrdiff_t>(used), data.end(), [](uint8_t b) { return b == 0; });
}

} // namespace

UserPresetMap ReadPresetFile(const std::wstring& path) {
    std::vector<uint8_t> data;
    return ReadBytes(path, data) == fileio::ReadResult::Read ? ParsePresets(data) : UserPresetMap{};
}

bool WritePresetFile(const std::wstring& path, const UserPresetMap& presets) {
    const std::wstring temp = path + L".tmp";
    {
        FileHandle file = OpenFile(temp, GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN);
        if (!file)
            return false;
        if (!WriteAll(file.get(), SerializePresets(presets)) || !::FlushFileBuffers(file.get())) {
            file.reset();
            ::DeleteFileW(temp.c_str());
            return false;
        }
    }
    // A file that was not read whole is kept beside before it is replaced (never over an earlier kept copy);
    // one that cannot be read at all, or not be kept, is left as it is.
    std::vector<uint8_t> existing;
    const fileio::ReadResult state = ReadBytes(path, existing);
    if (state == fileio::ReadResult::Unreadable ||
        (state == fileio::ReadResult::Read && !ReadsWhole(existing) &&
         !fileio::KeepCopy(path.c_str(), existing.data(), existing.size()))) {
        ::DeleteFileW(temp.c_str());
        return false;
    }
    if (!::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(temp.c_str());
        return false;
    }
    MakeHidden(path);
    return true;
}

} // namespace oc::eq
