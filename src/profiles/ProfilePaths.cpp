#include "profiles/ProfilePaths.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <iterator>
#include <memory>
#include <set>

namespace {

constexpr wchar_t kProfileExtension[] = L".profile";
constexpr wchar_t kForbiddenCharacters[] = L"\\/:*?\"<>|";
// Windows opens these as devices whatever extension follows.
constexpr const wchar_t* kReservedNames[] = {
    L"CON",  L"PRN",  L"AUX",  L"NUL",  L"COM1", L"COM2", L"COM3", L"COM4", L"COM5", L"COM6", L"COM7",
    L"COM8", L"COM9", L"LPT1", L"LPT2", L"LPT3", L"LPT4", L"LPT5", L"LPT6", L"LPT7", L"LPT8", L"LPT9",
};
// Longest file name a volume takes in one path component.
constexpr size_t kMaxComponent = 255;

// The positions of the title: after the last "\" and before the last "."; false when they do not frame one.
bool FindTitle(const std::wstring& path, size_t& begin, size_t& end) {
    const size_t slash = path.rfind(L'\\');
    const size_t dot = path.rfind(L'.');
    if (slash == std::wstring::npos || dot == std::wstring::npos || dot < slash)
        return false;
    begin = slash + 1;
    end = dot;
    return true;
}

bool EqualsIgnoringCase(const std::wstring& text, const wchar_t* ascii) {
    size_t i = 0;
    for (; ascii[i]; ++i) {
        if (i >= text.size() || std::towupper(text[i]) != static_cast<wint_t>(ascii[i]))
            return false;
    }
    return i == text.size();
}

bool IsReservedName(const std::wstring& title) {
    // "CON.backup" is the device as well: only the part before the first dot counts.
    const std::wstring stem = title.substr(0, title.find(L'.'));
    for (const wchar_t* reserved : kReservedNames) {
        if (EqualsIgnoringCase(stem, reserved))
            return true;
    }
    return false;
}

} // namespace

std::wstring JoinWithUnderscore(const std::wstring& a, const std::wstring& b) {
    return a + L"_" + b;
}

std::wstring MakeProfileFileName(const std::wstring& path) {
    const size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos)
        return {};
    return path.substr(0, dot) + kProfileExtension;
}

std::wstring ExtractFileTitle(const std::wstring& path) {
    size_t begin = 0;
    size_t end = 0;
    if (!FindTitle(path, begin, end))
        return {};
    return path.substr(begin, end - begin);
}

std::wstring GetProfileTitle(const std::wstring& path, int flag) {
    size_t begin = 0;
    size_t end = 0;
    if (!FindTitle(path, begin, end))
        return {};
    const std::wstring title = path.substr(begin, end - begin);
    if (flag)
        return title + L"*";
    const std::wstring folder = path.substr(0, begin - 1);
    const size_t parentSlash = folder.rfind(L'\\');
    if (parentSlash == std::wstring::npos)
        return {};
    return JoinWithUnderscore(folder.substr(parentSlash + 1), title);
}

std::wstring ExtractFolderPath(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos)
        return {};
    return path.substr(0, slash + 1);
}

std::wstring MakeProfileFileTitle(const std::wstring& path) {
    return ExtractFileTitle(path) + kProfileExtension;
}

namespace {

struct FindHandleClose {
    using pointer = HANDLE;
    void operator()(HANDLE handle) const { FindClose(handle); }
};
using FindHandle = std::unique_ptr<void, FindHandleClose>;

FindHandle StartSearch(const std::wstring& pattern, WIN32_FIND_DATAW& data) {
    HANDLE handle = FindFirstFileW(pattern.c_str(), &data);
    return FindHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// File names as the file system compares them: without regard to case.
struct NameLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                      TRUE) == CSTR_LESS_THAN;
    }
};
using NameSet = std::set<std::wstring, NameLess>;

// The names of the folder's settings files, in one search: a search per list item would scan a folder of
// hundreds of profiles once for each of them under some file systems.
NameSet FindSettingsFiles(const std::wstring& folder) {
    NameSet names;
    WIN32_FIND_DATAW data;
    FindHandle search = StartSearch(folder + L"*" + kProfileExtension, data);
    if (!search)
        return names;
    do {
        names.insert(data.cFileName);
    } while (FindNextFileW(search.get(), &data));
    return names;
}

bool IsExcluded(const std::wstring& path, const std::vector<std::wstring>& exclude) {
    for (const std::wstring& entry : exclude) {
        if (entry == path)
            return true;
    }
    return false;
}

} // namespace

void FindFiles(std::vector<std::wstring>& paths, const std::vector<std::wstring>& exclude, const std::wstring& pattern,
               int requireProfile) {
    WIN32_FIND_DATAW data;
    FindHandle search = StartSearch(pattern, data);
    if (!search)
        return;
    const std::wstring folder = ExtractFolderPath(pattern);
    const NameSet settings = requireProfile ? FindSettingsFiles(folder) : NameSet();
    do {
        const std::wstring path = folder + data.cFileName;
        if (IsExcluded(path, exclude))
            continue;
        if (requireProfile && !settings.count(MakeProfileFileName(data.cFileName)))
            continue;
        paths.push_back(path);
    } while (FindNextFileW(search.get(), &data));
}

bool IsValidProfileTitle(const std::wstring& title) {
    if (title.empty() || title == L"." || title == L"..")
        return false;
    for (wchar_t c : title) {
        if (c < 0x20 || std::wcschr(kForbiddenCharacters, c))
            return false;
    }
    return !IsReservedName(title);
}

std::wstring MakeUserProfileFolder(const std::wstring& dataFolder, const std::wstring& endpointFolder) {
    return dataFolder + L"Profile\\" + endpointFolder + L"\\";
}

std::wstring MakeUserProfilePath(const std::wstring& dataFolder, const std::wstring& endpointFolder,
                                 const std::wstring& title, const wchar_t* extension) {
    const std::wstring suffix = extension ? extension : L"";
    if (!IsValidProfileTitle(title) || !IsValidProfileTitle(endpointFolder))
        return {};
    // Both files of the pair must fit, so the longer extension decides.
    const size_t longestSuffix = std::max(suffix.size(), std::size(kProfileExtension) - 1);
    const std::wstring folder = MakeUserProfileFolder(dataFolder, endpointFolder);
    if (title.size() + longestSuffix > kMaxComponent || folder.size() + title.size() + longestSuffix >= MAX_PATH)
        return {};
    return folder + title + suffix;
}

std::wstring MakeTemplatePath(const std::wstring& programProfileFolder) {
    return programProfileFolder + L"/UserDefineFormwork.lyt";
}

std::wstring MakeFactoryDefaultPath(const std::wstring& programFolder) {
    return programFolder + L"FactoryDefault.xml";
}
