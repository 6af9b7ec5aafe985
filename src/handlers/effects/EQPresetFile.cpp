#include "handlers/effects/EQPresetFile.h"

#include <windows.h>

#include <memory>

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

UserPresetMap ReadPresetFile(const std::wstring& path) {
    FileHandle file = OpenFile(path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (!file)
        return {};
    // One byte past the limit tells an oversized file, which is read only up to the limit.
    std::vector<uint8_t> data(kMaxPresetFileSize + 1);
    size_t filled = 0;
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), data.data() + filled, static_cast<DWORD>(data.size() - filled), &read, nullptr) ||
            read == 0)
            break;
        filled += read;
        if (filled == data.size())
            break;
    }
    data.resize(filled);
    return ParsePresets(data);
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
    if (!::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(temp.c_str());
        return false;
    }
    MakeHidden(path);
    return true;
}

} // namespace oc::eq
