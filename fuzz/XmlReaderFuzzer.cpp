// Feeds arbitrary bytes to the XML reader in both whitespace modes and checks that the node table it
// builds only points inside its own buffer and node table.
#include <cstddef>
#include <cstdint>
#include <cwchar>

#include "markup/XmlReader.h"

namespace {

void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}

// Reads the string the way a caller does, but refuses to run past the decoded buffer.
void TouchString(const CXmlReader& reader, std::uint32_t offset) {
    Require(offset <= reader.GetBufferLength());
    const wchar_t* text = reader.GetString(offset);
    std::size_t room = reader.GetBufferLength() - offset;
    std::size_t i = 0;
    while (text[i] != 0) {
        Require(i < room);
        Require(static_cast<std::uint32_t>(text[i]) <= 0xFFFF);
        ++i;
    }
}

void CheckDocument(CXmlReader& reader) {
    std::uint32_t count = reader.GetNodeCount();
    for (std::uint32_t index = 1; index < count; ++index) {
        const XmlNode& node = reader.GetNode(index);
        Require(node.parent < index);
        Require(node.firstChild == 0 || (node.firstChild > index && node.firstChild < count));
        Require(node.nextSibling == 0 || (node.nextSibling > index && node.nextSibling < count));
        TouchString(reader, node.name);
        TouchString(reader, node.text);
        reader.BuildIndex(index);
        Require(reader.GetAttributeCount() <= CXmlReader::kMaxAttributes);
        for (std::uint32_t a = 0; a < reader.GetAttributeCount(); ++a) {
            const wchar_t* name = reader.GetAttributeName(a);
            const wchar_t* value = reader.GetAttributeValue(a);
            TouchString(reader, static_cast<std::uint32_t>(name - reader.GetBuffer()));
            TouchString(reader, static_cast<std::uint32_t>(value - reader.GetBuffer()));
        }
    }
    Require(std::wcslen(reader.GetErrorMessage()) < CXmlReader::kErrorMessageSize);
    Require(std::wcslen(reader.GetErrorContext()) < CXmlReader::kErrorContextSize);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (bool preserve : {true, false}) {
        CXmlReader reader;
        reader.SetPreserveWhitespace(preserve);
        bool ok = reader.SetUtf8Text(data, size);
        Require(ok || reader.GetNodeCount() == 0);
        Require(ok || reader.GetErrorMessage()[0] != 0);
        CheckDocument(reader);
    }
    return 0;
}
