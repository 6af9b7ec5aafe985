#include "IniText.h"

#include <windows.h>

#include <cerrno>
#include <cwchar>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace oc::sim {

const std::wstring* IniSection::Find(const std::wstring& key) const {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->key == key)
            return &it->value;
    }
    return nullptr;
}

std::wstring Trim(const std::wstring& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::iswspace(text[begin]))
        ++begin;
    while (end > begin && std::iswspace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::vector<std::wstring> SplitList(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> items;
    size_t start = 0;
    while (start <= text.size()) {
        size_t stop = text.find(separator, start);
        if (stop == std::wstring::npos)
            stop = text.size();
        std::wstring item = Trim(text.substr(start, stop - start));
        if (!item.empty())
            items.push_back(item);
        start = stop + 1;
    }
    return items;
}

bool ParseInteger(const std::wstring& text, long long& value) {
    std::wstring trimmed = Trim(text);
    if (trimmed.empty())
        return false;
    wchar_t* end = nullptr;
    errno = 0;
    value = std::wcstoll(trimmed.c_str(), &end, 0);
    return errno == 0 && end && *end == 0;
}

bool ParseNumber(const std::wstring& text, double& value) {
    std::wstring trimmed = Trim(text);
    if (trimmed.empty())
        return false;
    wchar_t* end = nullptr;
    value = std::wcstod(trimmed.c_str(), &end);
    return end && *end == 0;
}

std::wstring Utf8ToWide(const std::string& text) {
    if (text.empty())
        return {};
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string WideToUtf8(const std::wstring& text) {
    if (text.empty())
        return {};
    int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

IniText IniText::Parse(const std::string& utf8) {
    IniText result;
    result.m_sections.push_back(IniSection{});
    std::wstring text = Utf8ToWide(utf8);
    if (!text.empty() && text[0] == 0xFEFF)
        text.erase(0, 1);
    std::wistringstream lines(text);
    std::wstring raw;
    int number = 0;
    while (std::getline(lines, raw)) {
        ++number;
        std::wstring line = Trim(raw);
        if (line.empty() || line[0] == L'#' || line[0] == L';')
            continue;
        if (line.front() == L'[') {
            if (line.back() != L']') {
                result.m_badLines.push_back(number);
                continue;
            }
            result.m_sections.push_back(IniSection{Trim(line.substr(1, line.size() - 2)), {}});
            continue;
        }
        size_t equals = line.find(L'=');
        if (equals == std::wstring::npos || equals == 0) {
            result.m_badLines.push_back(number);
            continue;
        }
        result.m_sections.back().entries.push_back(
            IniEntry{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), number});
    }
    return result;
}

bool ReadWholeFile(const std::wstring& path, std::string& content) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file)
        return false;
    std::ostringstream stream;
    stream << file.rdbuf();
    if (file.bad())
        return false;
    content = stream.str();
    return true;
}

bool IniText::Load(const std::wstring& path, IniText& out) {
    std::string content;
    if (!ReadWholeFile(path, content))
        return false;
    out = Parse(content);
    return true;
}

bool WriteFileReplacing(const std::wstring& path, const std::string& content) {
    std::wstring temporary = path + L".tmp";
    {
        std::ofstream file(std::filesystem::path(temporary), std::ios::binary | std::ios::trunc);
        if (!file)
            return false;
        file.write(content.data(), static_cast<std::streamsize>(content.size()));
        file.flush();
        if (!file)
            return false;
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace oc::sim
