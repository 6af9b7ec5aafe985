#pragma once
// The text of a profile (INI) file as the settings read and write it, held line by line so that one
// damaged line costs only the key it holds: the rest of the file stays readable and is written back as it
// was. Plain standard C++ (the bytes come from the caller), so it is also fuzzed natively.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class CSettingsText {
public:
    // How bytes without a byte-order mark are read (the system's ANSI code page on Windows).
    using AnsiDecoder = std::function<std::wstring(const char* bytes, std::size_t length)>;

    // The longest line the profile functions would ever write; a longer one is damage, not a value.
    static constexpr std::size_t kMaxLine = 32767;

    enum class Lookup {
        Missing, // no such key in any section of that name
        Found,
        Damaged, // the key's line could not be decoded or was too long
    };

    // Replaces the text with the file's bytes: UTF-16 (either order) or UTF-8 after a byte-order mark;
    // without one, UTF-16 when the NUL bytes beside its characters show it (either order), otherwise the
    // ANSI decoder's reading. Lines that cannot be decoded, that are too long, or that a
    // cut-off UTF-16 unit ends are kept as damaged lines, and the text is marked damaged.
    void Parse(const unsigned char* bytes, std::size_t length, const AnsiDecoder& ansi);
    void Clear();
    bool IsDamaged() const { return m_damaged; }
    // Drops the damaged lines, so that what is written back holds only what could be read.
    void DropDamagedLines();

    // The key's value in the first section of that name that holds it; names compare without regard to
    // ASCII case, the value loses its surrounding blanks and one pair of matching quotes.
    Lookup Get(const std::wstring& section, const std::wstring& key, std::wstring& value) const;
    // Replaces the key's line, or adds one after the last entry of the first section of that name (a
    // missing section is added at the end).
    void Set(const std::wstring& section, const std::wstring& key, const std::wstring& value);

    // The text as UTF-16 (little-endian, with a byte-order mark) with CR LF line ends, the form the
    // profile functions keep names outside the ANSI code page in.
    std::string ToUtf16() const;

    std::size_t LineCount() const { return m_lines.size(); }

private:
    struct Line {
        std::wstring text;
        bool damaged = false;
    };
    void AddLine(std::wstring text, bool damaged);
    // Index of the key's line in a section of that name, or npos.
    std::size_t FindKey(const std::wstring& section, const std::wstring& key) const;

    std::vector<Line> m_lines;
    bool m_damaged = false;
};
