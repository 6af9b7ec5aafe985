#include "markup/XmlReader.h"

#include <algorithm>
#include <cwchar>

#include "markup/FileIo.h"
#include "markup/Utf8.h"

namespace {

// Every delimiter is ASCII, so stepping by UTF-16 code units finds the same boundaries as stepping by
// whole characters, and these classes give the same answer in every build and locale.
bool IsWhitespace(wchar_t c) {
    return c >= 1 && c <= 32;
}

bool IsNameChar(wchar_t c) {
    if ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9'))
        return true;
    // Non-ASCII characters are taken as letters, so names in other scripts (and surrogate pairs) stay whole.
    return c == L'_' || c == L':' || c == L'.' || c >= 0x80;
}

struct Entity {
    const wchar_t* text;
    wchar_t character;
};
constexpr Entity kEntities[] = {
    {L"&amp;", L'&'}, {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&apos;", L'\''},
};

// The length of `prefix` when `text` starts with it, else 0. Stops at the text's NUL.
std::size_t MatchPrefix(const wchar_t* text, const wchar_t* prefix) {
    std::size_t i = 0;
    for (; prefix[i]; ++i) {
        if (text[i] != prefix[i])
            return 0;
    }
    return i;
}

void CopyLimited(wchar_t* field, std::size_t size, const wchar_t* source) {
    std::size_t i = 0;
    for (; i + 1 < size && source[i]; ++i)
        field[i] = source[i];
    field[i] = 0;
}

} // namespace

bool CXmlReader::LoadFile(const wchar_t* path) {
    Clear();
    if (path)
        m_fileName = path;
    fileio::FilePtr file = fileio::Open(path, "rb");
    if (!file) {
        SetFileError(L"Error opening file");
        return false;
    }
    std::uint64_t size = 0;
    if (!fileio::Size(file.get(), size)) {
        SetFileError(L"Could not read file");
        return false;
    }
    if (size == 0) {
        SetFileError(L"File is empty");
        return false;
    }
    if (size > m_maxFileSize) {
        SetFileError(L"File too large");
        return false;
    }
    auto bytes = std::make_unique<unsigned char[]>(static_cast<std::size_t>(size));
    std::size_t read = std::fread(bytes.get(), 1, static_cast<std::size_t>(size), file.get());
    file.reset();
    if (read < size) {
        SetFileError(L"Could not read file");
        return false;
    }
    return SetUtf8Text(bytes.get(), static_cast<std::size_t>(size));
}

bool CXmlReader::SetUtf8Text(const unsigned char* bytes, std::size_t length) {
    FreeDocument();
    if (!bytes)
        length = 0;
    // Offsets are 32-bit; nothing larger than a file we would load is accepted here either.
    if (length > m_maxFileSize) {
        SetFileError(L"File too large");
        return false;
    }
    if (length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        bytes += 3;
        length -= 3;
    }
    m_text = std::make_unique<wchar_t[]>(length + 1);
    std::size_t invalid = 0;
    std::size_t units = length ? DecodeUtf8(bytes, length, m_text.get(), &invalid) : 0;
    if (invalid != 0 && m_strictEncoding) {
        SetFileError(L"Invalid UTF-8");
        return false;
    }
    m_text[units] = 0;
    // An embedded NUL ends the text: every string of the document is NUL-terminated anyway.
    m_length = std::find(m_text.get(), m_text.get() + units, L'\0') - m_text.get();
    if (!ParseDocument()) {
        FreeDocument();
        m_fileName.clear();
        return false;
    }
    return true;
}

void CXmlReader::SetLimits(std::uint64_t maxFileSize, std::uint32_t maxDepth) {
    m_maxFileSize = std::min<std::uint64_t>(maxFileSize, UINT32_MAX - 1);
    m_maxDepth = maxDepth;
}

void CXmlReader::Clear() {
    FreeDocument();
    m_fileName.clear();
}

void CXmlReader::FreeDocument() {
    m_text.reset();
    m_length = 0;
    m_pos = nullptr;
    m_nodes = {};
    m_attributeSpans = {};
    m_attributes = {};
    m_nodeCount = 0;
    m_attributeCount = 0;
}

void CXmlReader::SetFileError(const wchar_t* message) {
    FreeDocument();
    m_fileName.clear();
    CopyLimited(m_errorMessage, kErrorMessageSize, message);
    m_errorContext[0] = 0;
}

bool CXmlReader::Fail(const wchar_t* message) {
    CopyLimited(m_errorMessage, kErrorMessageSize, message);
    CopyLimited(m_errorContext, kErrorContextSize, m_pos);
    return false;
}

CXmlReader::Step CXmlReader::FailStep(const wchar_t* message) {
    Fail(message);
    return Step::Failed;
}

void CXmlReader::BuildIndex(std::uint32_t node) {
    m_attributeCount = 0;
    if (node == 0 || node >= m_nodeCount)
        return;
    const AttributeSpan& span = m_attributeSpans[node];
    m_attributeCount = std::min(span.count, kMaxAttributes);
    std::copy_n(m_attributes.begin() + span.first, m_attributeCount, m_attributeIndex);
}

bool CXmlReader::ParseDocument() {
    m_nodes.assign(500, XmlNode{});
    m_attributeSpans.assign(500, AttributeSpan{});
    m_nodeCount = 1;
    m_errorMessage[0] = 0;
    m_errorContext[0] = 0;
    m_pos = m_text.get();
    // The elements whose children are being parsed; the bottom entry stands for the top level (node 0).
    std::vector<OpenElement> open{{0, 0}};
    for (;;) {
        Step step = ParseItem(open);
        if (step != Step::Continue)
            return step == Step::Done;
    }
}

CXmlReader::Step CXmlReader::ParseItem(std::vector<OpenElement>& open) {
    SkipWhitespace();
    if (*m_pos == 0)
        return AtEndOfText(open.back().node, L"Expected start tag");
    if (*m_pos != L'<')
        return FailStep(L"Expected start tag");
    if (m_pos[1] == L'/') {
        if (open.size() == 1)
            return Step::Done;
        std::uint32_t node = open.back().node;
        open.pop_back();
        return CloseElement(node);
    }
    *m_pos++ = 0;
    SkipWhitespace();
    if (*m_pos == L'!') {
        SkipSection(L"->");
        return Step::Continue;
    }
    if (*m_pos == L'?') {
        SkipSection(L"?>");
        return Step::Continue;
    }
    return ParseStartTag(open);
}

CXmlReader::Step CXmlReader::ParseStartTag(std::vector<OpenElement>& open) {
    if (open.size() > m_maxDepth)
        return FailStep(L"Elements nested too deeply");
    std::uint32_t enclosing = open.back().node;
    std::uint32_t node = AppendNode(enclosing, open.back().lastChild);
    m_nodes[node].name = Offset(m_pos);
    SkipName();
    // A nameless element could not be written back: "<-x=..." would return as an element named "x".
    if (*m_pos == 0 || Offset(m_pos) == m_nodes[node].name)
        return FailStep(L"Error parsing element name");
    wchar_t* nameEnd = m_pos;
    if (!ParseAttributes(node))
        return Step::Failed;
    SkipWhitespace();
    if (m_pos[0] == L'/' && m_pos[1] == L'>') {
        m_nodes[node].text = Offset(m_pos);
        *nameEnd = 0;
        *m_pos = 0;
        m_pos += 2;
        return Step::Continue;
    }
    if (*m_pos != L'>')
        return FailStep(L"Expected start-tag closing");
    ++m_pos;
    *nameEnd = 0;
    m_nodes[node].text = Offset(m_pos);
    wchar_t* textEnd = nullptr;
    ParseText(L'<', textEnd);
    if (*m_pos == 0) {
        *textEnd = 0;
        return AtEndOfText(enclosing, L"Expected end-tag start");
    }
    // The "<" that follows is overwritten by whoever parses it, which also ends the text when nothing shrank.
    if (textEnd < m_pos)
        *textEnd = 0;
    if (m_pos[1] == L'/')
        return CloseElement(node);
    open.push_back({node, 0});
    return Step::Continue;
}

CXmlReader::Step CXmlReader::CloseElement(std::uint32_t node) {
    *m_pos = 0;
    m_pos += 2;
    SkipWhitespace();
    // The name is NUL-terminated by now, so the comparison stops at the end of the text at the latest.
    const wchar_t* name = GetName(node);
    std::size_t length = std::wcslen(name);
    for (std::size_t i = 0; i < length; ++i) {
        if (m_pos[i] != name[i]) {
            m_pos += i;
            return FailStep(L"Unmatched closing tag");
        }
    }
    m_pos += length;
    SkipWhitespace();
    if (*m_pos != L'>')
        return FailStep(L"Unmatched closing tag");
    ++m_pos;
    return Step::Continue;
}

CXmlReader::Step CXmlReader::AtEndOfText(std::uint32_t enclosing, const wchar_t* message) {
    // The root and the top level may be left open at the end of the text; anything deeper may not.
    if (enclosing <= 1)
        return Step::Done;
    return FailStep(message);
}

bool CXmlReader::ParseAttributes(std::uint32_t node) {
    AttributeSpan& span = m_attributeSpans[node];
    span = {static_cast<std::uint32_t>(m_attributes.size()), 0};
    if (*m_pos == L'>' || (m_pos[0] == L'/' && m_pos[1] == L'>'))
        return true;
    *m_pos++ = 0;
    SkipWhitespace();
    // The offsets are recorded here, while the tag is parsed: rescanning the tag later cannot tell a name
    // from the remains of a value whose entities were decoded in place.
    while (*m_pos != 0 && *m_pos != L'>' && *m_pos != L'/') {
        wchar_t* name = m_pos;
        SkipName();
        wchar_t* nameEnd = m_pos;
        SkipWhitespace();
        if (*m_pos != L'=')
            return Fail(L"Error while parsing attributes");
        *m_pos++ = L' ';
        *nameEnd = 0;
        SkipWhitespace();
        if (*m_pos != L'"')
            return Fail(L"Expected attribute value");
        wchar_t* value = ++m_pos;
        wchar_t* valueEnd = nullptr;
        ParseText(L'"', valueEnd);
        if (*m_pos == 0)
            return Fail(L"Error while parsing attribute string");
        *valueEnd = 0;
        *m_pos++ = 0;
        m_attributes.push_back({Offset(name), Offset(value)});
        ++span.count;
        SkipWhitespace();
    }
    return true;
}

void CXmlReader::ParseText(wchar_t stop, wchar_t*& end) {
    wchar_t* write = m_pos;
    while (*m_pos != 0 && *m_pos != stop) {
        if (*m_pos == L'&' && DecodeEntity(write))
            continue;
        wchar_t c = *m_pos++;
        *write++ = c;
        if (c == L' ' && !m_preserveWhitespace) {
            while (IsWhitespace(*m_pos))
                ++m_pos;
        }
    }
    end = write;
    // The decoded text is never longer than its source; the gap before the stop character is filled.
    std::fill(write, m_pos, L' ');
}

bool CXmlReader::DecodeEntity(wchar_t*& write) {
    for (const Entity& entity : kEntities) {
        if (std::size_t length = MatchPrefix(m_pos, entity.text)) {
            *write++ = entity.character;
            m_pos += length;
            return true;
        }
    }
    return false;
}

void CXmlReader::SkipSection(const wchar_t* terminator) {
    // An unclosed section runs to the end of the text.
    wchar_t* p = m_pos + 1;
    while (*p && !(p[0] == terminator[0] && p[1] == terminator[1]))
        ++p;
    m_pos = *p ? p + 2 : p;
}

void CXmlReader::SkipWhitespace() {
    while (IsWhitespace(*m_pos))
        ++m_pos;
}

void CXmlReader::SkipName() {
    while (IsNameChar(*m_pos))
        ++m_pos;
}

std::uint32_t CXmlReader::AppendNode(std::uint32_t parent, std::uint32_t& lastChild) {
    if (m_nodeCount == m_nodes.size()) {
        std::size_t capacity = m_nodes.size() + m_nodes.size() / 2 + 500;
        m_nodes.resize(capacity);
        m_attributeSpans.resize(capacity);
    }
    std::uint32_t index = m_nodeCount++;
    m_nodes[index] = {0, 0, 0, parent, 0};
    m_attributeSpans[index] = {0, 0};
    if (lastChild)
        m_nodes[lastChild].nextSibling = index;
    else if (parent)
        m_nodes[parent].firstChild = index;
    lastChild = index;
    return index;
}
