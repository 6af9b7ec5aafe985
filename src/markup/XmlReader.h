#pragma once
// A small non-validating XML reader that parses one UTF-8 document in place: the document is decoded once
// into a UTF-16 buffer, and names, texts and attribute values stay inside that buffer, ended by NULs
// written over the markup. The result is a flat, index-linked node table; callers build their own objects.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct XmlNode {
    std::uint32_t name;        // offset of the element name in the text buffer
    std::uint32_t firstChild;  // node index, 0 = none
    std::uint32_t nextSibling; // node index, 0 = none
    std::uint32_t parent;      // node index, 0 = top level
    std::uint32_t text;        // offset of the element text (an empty string for an empty element)
};

class CXmlReader {
public:
    static constexpr std::uint64_t kMaxFileSize = 0x400000;
    static constexpr std::uint32_t kMaxAttributes = 64;
    // Consumers that walk the tree recursively need this limit, which keeps a hostile file from exhausting
    // the stack. The reader itself never recurses.
    static constexpr std::uint32_t kMaxDepth = 256;
    // For documents whose consumers walk only their top levels: parsing is linear in the size, and the
    // nesting costs heap, not stack.
    static constexpr std::uint64_t kMaxStoreFileSize = std::uint64_t{256} << 20;
    static constexpr std::uint32_t kUnlimitedDepth = UINT32_MAX;
    static constexpr std::size_t kErrorMessageSize = 100;
    static constexpr std::size_t kErrorContextSize = 50;

    CXmlReader() = default;
    ~CXmlReader() = default;
    CXmlReader(const CXmlReader&) = delete;
    CXmlReader& operator=(const CXmlReader&) = delete;

    void SetPreserveWhitespace(bool preserve) { m_preserveWhitespace = preserve; }
    // A strict reader refuses a document holding bytes that are not UTF-8, instead of reading each such
    // sequence as U+FFFD: for files whose every value matters (markup), a replaced character is damage.
    void SetStrictEncoding(bool strict) { m_strictEncoding = strict; }
    // The largest file and the deepest nesting accepted (kMaxFileSize and kMaxDepth unless set); the size
    // stays below what the 32-bit offsets can reach.
    void SetLimits(std::uint64_t maxFileSize, std::uint32_t maxDepth);

    bool LoadFile(const wchar_t* path);
    bool SetUtf8Text(const unsigned char* bytes, std::size_t length);
    void Clear();

    // Node 0 is reserved; node 1, when present, is the document root.
    std::uint32_t GetNodeCount() const { return m_nodeCount; }
    bool HasRoot() const { return m_nodeCount > 1; }
    const XmlNode& GetNode(std::uint32_t index) const { return m_nodes[index]; }
    const wchar_t* GetBuffer() const { return m_text.get(); }
    // Units of decoded text before its terminator; every offset of the node table is at most this.
    std::size_t GetBufferLength() const { return m_length; }
    const wchar_t* GetString(std::uint32_t offset) const { return m_text.get() + offset; }
    const wchar_t* GetName(std::uint32_t node) const { return GetString(m_nodes[node].name); }
    const wchar_t* GetText(std::uint32_t node) const { return GetString(m_nodes[node].text); }

    // Lists the attributes of one node (at most the first 64) for the accessors below.
    void BuildIndex(std::uint32_t node);
    std::uint32_t GetAttributeCount() const { return m_attributeCount; }
    const wchar_t* GetAttributeName(std::uint32_t index) const { return GetString(m_attributeIndex[index].name); }
    const wchar_t* GetAttributeValue(std::uint32_t index) const { return GetString(m_attributeIndex[index].value); }

    const wchar_t* GetErrorMessage() const { return m_errorMessage; }
    const wchar_t* GetErrorContext() const { return m_errorContext; }
    const std::wstring& GetFileName() const { return m_fileName; }

private:
    struct Attribute {
        std::uint32_t name;
        std::uint32_t value;
    };
    struct AttributeSpan {
        std::uint32_t first;
        std::uint32_t count;
    };
    // One element whose children are being parsed.
    struct OpenElement {
        std::uint32_t node;
        std::uint32_t lastChild;
    };
    enum class Step { Continue, Done, Failed };

    void FreeDocument();
    void SetFileError(const wchar_t* message);
    // Record a parse error with the text at the current position as its context.
    bool Fail(const wchar_t* message);
    Step FailStep(const wchar_t* message);

    bool ParseDocument();
    Step ParseItem(std::vector<OpenElement>& open);
    Step ParseStartTag(std::vector<OpenElement>& open);
    Step CloseElement(std::uint32_t node);
    Step AtEndOfText(std::uint32_t enclosing, const wchar_t* message);
    bool ParseAttributes(std::uint32_t node);
    // Decodes text in place up to `stop` or the end; `end` receives the end of the decoded text.
    void ParseText(wchar_t stop, wchar_t*& end);
    bool DecodeEntity(wchar_t*& write);
    void SkipSection(const wchar_t* terminator);
    void SkipWhitespace();
    void SkipName();
    std::uint32_t AppendNode(std::uint32_t parent, std::uint32_t& lastChild);
    std::uint32_t Offset(const wchar_t* at) const { return static_cast<std::uint32_t>(at - m_text.get()); }

    std::unique_ptr<wchar_t[]> m_text;
    std::size_t m_length = 0;
    wchar_t* m_pos = nullptr;

    std::vector<XmlNode> m_nodes;
    std::uint32_t m_nodeCount = 0;
    std::vector<AttributeSpan> m_attributeSpans; // parallel to m_nodes
    std::vector<Attribute> m_attributes;         // name/value offsets recorded while the tags are parsed

    std::uint32_t m_attributeCount = 0;
    Attribute m_attributeIndex[kMaxAttributes] = {};

    wchar_t m_errorMessage[kErrorMessageSize] = {};
    wchar_t m_errorContext[kErrorContextSize] = {};
    bool m_preserveWhitespace = true;
    bool m_strictEncoding = false;
    std::uint64_t m_maxFileSize = kMaxFileSize;
    std::uint32_t m_maxDepth = kMaxDepth;
    std::wstring m_fileName;
};
