#pragma once
// A small reader of the line-based "[section]" / "key = value" text that the simulated device uses for its
// scenario and state files. Comments start with '#' or ';'. Keys keep their case; a key may repeat.
#include <string>
#include <vector>

namespace oc::sim {

struct IniEntry {
    std::wstring key;
    std::wstring value;
    int line = 0;
};

struct IniSection {
    std::wstring name; // the text between the brackets, trimmed
    std::vector<IniEntry> entries;

    // The last value of the key, or null.
    const std::wstring* Find(const std::wstring& key) const;
};

class IniText {
public:
    // Parses UTF-8 text. Lines outside any section go to a section with an empty name.
    static IniText Parse(const std::string& utf8);
    // Reads and parses a file; false when it cannot be read.
    static bool Load(const std::wstring& path, IniText& out);

    const std::vector<IniSection>& Sections() const { return m_sections; }
    // Malformed lines (neither a section, a comment nor a key = value pair), for the scenario's error report.
    const std::vector<int>& BadLines() const { return m_badLines; }

private:
    std::vector<IniSection> m_sections;
    std::vector<int> m_badLines;
};

// Helpers shared by the readers of these files.
std::wstring Trim(const std::wstring& text);
std::vector<std::wstring> SplitList(const std::wstring& text, wchar_t separator = L',');
bool ParseInteger(const std::wstring& text, long long& value); // decimal or 0x hexadecimal, whole text
bool ParseNumber(const std::wstring& text, double& value);     // whole text
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

bool ReadWholeFile(const std::wstring& path, std::string& content);
// Writes the file through a temporary file that then replaces it, so a crash never leaves half a file.
bool WriteFileReplacing(const std::wstring& path, const std::string& content);

} // namespace oc::sim
