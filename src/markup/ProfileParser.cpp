#include "markup/ProfileParser.h"

#include <vector>

#include "markup/FileIo.h"
#include "markup/StringUtils.h"
#include "markup/Utf8.h"
#include "markup/XmlReader.h"

IProfileParser* CreateProfileParser(IProfileParserListener* listener) {
    return new CProfileParser(listener);
}

int CProfileParser::Parse(const wchar_t* path) {
    CXmlReader reader;
    return Parse(path, reader);
}

int CProfileParser::ParseTopLevels(const wchar_t* path) {
    CXmlReader reader;
    reader.SetLimits(CXmlReader::kMaxStoreFileSize, CXmlReader::kUnlimitedDepth);
    return Parse(path, reader);
}

int CProfileParser::Parse(const wchar_t* path, CXmlReader& reader) {
    if (!m_listener)
        return 0;
    reader.SetPreserveWhitespace(true);
    if (!path || !reader.LoadFile(path)) {
        std::wstring message;
        FormatString(message, L"Fail to load profile file( %ls )", path ? path : L"");
        m_listener->OnError(message.c_str());
        return 0;
    }
    if (!reader.HasRoot()) {
        m_listener->OnError(L"Profile file root node is invalid");
        return 0;
    }
    // Only the first top-level element is the document; anything after it is ignored.
    IXmlObject* root = MakeObject(reader, 1, nullptr);
    if (!root)
        return 0;
    ParseChildren(reader, 1, root);
    m_listener->OnParsed(root);
    return 1;
}

IXmlObject* CProfileParser::MakeObject(CXmlReader& reader, std::uint32_t node, IXmlObject* parent) {
    const wchar_t* name = reader.GetName(node);
    IXmlObject* object = m_listener->CreateObject(name);
    if (!object)
        return nullptr;
    object->SetName(name, parent);
    if (!IsBlankText(reader.GetText(node)))
        object->SetText(reader.GetText(node));
    reader.BuildIndex(node);
    for (std::uint32_t i = 0; i < reader.GetAttributeCount(); ++i)
        object->SetAttribute(reader.GetAttributeName(i), reader.GetAttributeValue(i));
    return object;
}

// Depth first in document order without recursion, so any nesting the reader accepted costs heap only. Each
// element ends (OnEndElement) after its whole subtree, as it would in a recursive walk.
void CProfileParser::ParseChildren(CXmlReader& reader, std::uint32_t node, IXmlObject* parent) {
    struct Level {
        std::uint32_t node;   // the element whose children are being made
        IXmlObject* object;   // its object
        std::uint32_t next;   // the next child to make, 0 when none is left
    };
    std::vector<Level> levels{{node, parent, reader.GetNode(node).firstChild}};
    while (!levels.empty()) {
        Level& level = levels.back();
        const std::uint32_t child = level.next;
        if (!child) {
            if (levels.size() > 1)
                level.object->OnEndElement();
            levels.pop_back();
            continue;
        }
        level.next = reader.GetNode(child).nextSibling;
        IXmlObject* object = MakeObject(reader, child, level.object);
        if (!object)
            continue;
        level.object->AddChild(object);
        levels.push_back({child, object, reader.GetNode(child).firstChild});
    }
}

bool CProfileParser::IsBlankText(const wchar_t* text) {
    for (; *text; ++text) {
        if (*text != L'\t' && *text != L'\n' && *text != L'\r')
            return false;
    }
    return true;
}

std::wstring CProfileParser::EscapeXmlText(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
        case L'&':
            out += L"&amp;";
            break;
        case L'<':
            out += L"&lt;";
            break;
        case L'>':
            out += L"&gt;";
            break;
        case L'"':
            out += L"&quot;";
            break;
        case L'\'':
            out += L"&apos;";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

int CProfileParser::Save(const wchar_t* path, IXmlObject* root) {
    if (!root || !path)
        return 0;
    m_output.clear();
    WriteElement(root, true);
    std::string bytes = WideToUtf8(m_output);
    m_output.clear();
    return WriteFileReplacing(path, bytes) ? 1 : 0;
}

void CProfileParser::WriteStartTag(const IXmlObject* element, const std::wstring& indent) {
    m_output += indent + L"<" + element->GetName();
    std::wstring name, value;
    for (std::uint32_t i = 0; i < element->GetAttributeCount(); ++i) {
        element->GetAttributeAt(name, value, i);
        m_output += L" " + name + L"=\"" + EscapeXmlText(value) + L"\"";
    }
}

void CProfileParser::WriteElement(const IXmlObject* element, bool isRoot) {
    std::wstring indent(element->GetDepth() * 2, L' ');
    std::wstring name = element->GetName();
    WriteStartTag(element, indent);
    if (std::uint32_t count = element->GetChildCount()) {
        m_output += L">\n";
        for (std::uint32_t i = 0; i < count; ++i)
            WriteElement(element->GetChild(i), false);
        m_output += indent + L"</" + name + L">\n";
    } else if (std::wstring text = element->GetText(); !text.empty()) {
        m_output += L">" + EscapeXmlText(text) + L"</" + name + L">\n";
    } else if (isRoot) {
        m_output += L" >\n</" + name + L">\n";
    } else {
        m_output += L" />\n";
    }
}

// The old file stays untouched until the new one is complete: it is written beside it and moved over it.
bool CProfileParser::WriteFileReplacing(const wchar_t* path, const std::string& bytes) {
    std::wstring temp = std::wstring(path) + L".tmp";
    fileio::FilePtr file = fileio::Open(temp.c_str(), "wb");
    if (!file)
        return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    written = fileio::Close(std::move(file)) && written;
    if (written && fileio::MoveOver(temp.c_str(), path))
        return true;
    fileio::Remove(temp.c_str());
    return false;
}
