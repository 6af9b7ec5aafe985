#include "app/SettingsText.h"

#include <algorithm>
#include <string>

#include "markup/Utf8.h"

namespace {

constexpr std::size_t npos = std::wstring::npos;

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

std::wstring Trim(const std::wstring& text, std::size_t begin = 0, std::size_t end = npos) {
    end = std::min(end, text.size());
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

wchar_t FoldAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}

// "[name]" (blanks around allowed): true with the name.
bool ReadSection(const std::wstring& line, std::wstring& name) {
    const std::wstring text = Trim(line);
    if (text.empty() || text[0] != L'[')
        return false;
    const std::size_t close = text.find(L']');
    if (close == npos)
        return false;
    name = Trim(text, 1, close);
    return true;
}

// "key=value": true with both trimmed; a key needs a name.
bool ReadEntry(const std::wstring& line, std::wstring& key, std::wstring* value) {
    const std::size_t equals = line.find(L'=');
    if (equals == npos)
        return false;
    key = Trim(line, 0, equals);
    if (key.empty() || key[0] == L'[')
        return false;
    if (value) {
        *value = Trim(line, equals + 1);
        if (value->size() >= 2 && (value->front() == L'"' || value->front() == L'\'') &&
            value->back() == value->front())
            *value = value->substr(1, value->size() - 2);
    }
    return true;
}

// A UTF-16 line is damaged by a lone surrogate or a NUL, neither of which a name or number holds.
bool IsSoundUtf16(const std::wstring& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == 0)
            return false;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
                return false;
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

// Text without a byte-order mark: ANSI holds no NUL byte, while UTF-16 of the ASCII that keys, section names
// and numbers are made of puts a NUL beside every character. The file is UTF-16 in the order whose pairs
// (a character byte and a NUL) make up most of the pairs that are not both NUL; a damaged ANSI file (stray
// NULs, a run of zeros) stays ANSI. One pass over the bytes.
Encoding GuessUnmarkedEncoding(const unsigned char* bytes, std::size_t length) {
    std::size_t little = 0, big = 0, other = 0;
    for (std::size_t i = 0; i + 1 < length; i += 2) {
        const bool lowZero = bytes[i] == 0, highZero = bytes[i + 1] == 0;
        if (lowZero && highZero)
            continue;
        if (highZero)
            ++little;
        else if (lowZero)
            ++big;
        else
            ++other;
    }
    const std::size_t counted = little + big + other;
    if (little * 2 > counted)
        return Encoding::Utf16Le;
    if (big * 2 > counted)
        return Encoding::Utf16Be;
    return Encoding::Ansi;
}

Encoding DetectEncoding(const unsigned char*& bytes, std::size_t& length) {
    if (length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        bytes += 3;
        length -= 3;
        return Encoding::Utf8;
    }
    if (length >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        const Encoding encoding = bytes[0] == 0xFF ? Encoding::Utf16Le : Encoding::Utf16Be;
        bytes += 2;
        length -= 2;
        return encoding;
    }
    return GuessUnmarkedEncoding(bytes, length);
}

} // namespace

void CSettingsText::Clear() {
    m_lines.clear();
    m_damaged = false;
}

void CSettingsText::AddLine(std::wstring text, bool damaged) {
    if (!text.empty() && text.back() == L'\r')
        text.pop_back();
    if (text.size() > kMaxLine) {
        text.resize(kMaxLine); // enough to tell which key the line held
        damaged = true;
    }
    m_damaged |= damaged;
    m_lines.push_back({std::move(text), damaged});
}

void CSettingsText::Parse(const unsigned char* bytes, std::size_t length, const AnsiDecoder& ansi) {
    Clear();
    if (!bytes)
        return;
    const Encoding encoding = DetectEncoding(bytes, length);
    if (encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be) {
        if (length % 2 != 0)
            m_damaged = true; // cut off inside a character: the last byte is dropped
        const bool little = encoding == Encoding::Utf16Le;
        std::wstring line;
        for (std::size_t i = 0; i + 1 < length; i += 2) {
            const wchar_t c = static_cast<wchar_t>(little ? bytes[i] | (bytes[i + 1] << 8)
                                                          : (bytes[i] << 8) | bytes[i + 1]);
            if (c == L'\n') {
                AddLine(std::move(line), !IsSoundUtf16(line));
                line.clear();
            } else if (line.size() <= kMaxLine) {
                line += c;
            }
        }
        if (!line.empty())
            AddLine(line, !IsSoundUtf16(line));
        return;
    }
    std::size_t start = 0;
    while (start < length) {
        std::size_t end = start;
        while (end < length && bytes[end] != '\n')
            ++end;
        // A line far beyond the limit is not decoded in full: it is damage either way.
        const std::size_t take = std::min(end - start, kMaxLine + 1);
        const char* text = reinterpret_cast<const char*>(bytes + start);
        bool damaged = std::char_traits<char>::find(text, take, '\0') != nullptr;
        std::wstring line;
        if (encoding == Encoding::Utf8) {
            const std::string raw(text, take);
            line = Utf8ToWide(raw);
            // Only valid UTF-8 survives the way back unchanged.
            damaged |= end - start <= kMaxLine && WideToUtf8(line) != raw;
        } else if (ansi) {
            line = ansi(text, take);
        } else {
            line.assign(text, text + take);
        }
        AddLine(std::move(line), damaged || end - start > kMaxLine);
        start = end + 1;
    }
}

void CSettingsText::DropDamagedLines() {
    std::erase_if(m_lines, [](const Line& line) { return line.damaged; });
    m_damaged = false;
}

std::size_t CSettingsText::FindKey(const std::wstring& section, const std::wstring& key) const {
    bool inSection = false;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        std::wstring name;
        if (ReadSection(m_lines[i].text, name)) {
            inSection = SameName(name, section);
            continue;
        }
        if (inSection && ReadEntry(m_lines[i].text, name, nullptr) && SameName(name, key))
            return i;
    }
    return npos;
}

CSettingsText::Lookup CSettingsText::Get(const std::wstring& section, const std::wstring& key,
                                         std::wstring& value) const {
    const std::size_t index = FindKey(section, key);
    if (index == npos)
        return Lookup::Missing;
    if (m_lines[index].damaged)
        return Lookup::Damaged;
    std::wstring name;
    ReadEntry(m_lines[index].text, name, &value);
    return Lookup::Found;
}

void CSettingsText::Set(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    Line entry{key + L"=" + value, false};
    const std::size_t index = FindKey(section, key);
    if (index != npos) {
        m_lines[index] = std::move(entry);
        return;
    }
    // After the last non-empty line of the first section of that name.
    std::size_t insertAt = npos;
    bool inSection = false;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        std::wstring name;
        if (ReadSection(m_lines[i].text, name)) {
            if (inSection)
                break;
            inSection = SameName(name, section);
            if (inSection)
                insertAt = i + 1;
            continue;
        }
        if (inSection && !Trim(m_lines[i].text).empty())
            insertAt = i + 1;
    }
    if (insertAt == npos) {
        m_lines.push_back({L"[" + section + L"]", false});
        m_lines.push_back(std::move(entry));
        return;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(entry));
}

std::string CSettingsText::ToUtf16() const {
    std::string bytes = "\xFF\xFE";
    auto put = [&bytes](wchar_t c) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    };
    for (const Line& line : m_lines) {
        for (wchar_t c : line.text)
            put(c);
        put(L'\r');
        put(L'\n');
    }
    return bytes;
}
