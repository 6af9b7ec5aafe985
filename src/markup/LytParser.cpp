#include "markup/LytParser.h"

#include <algorithm>
#include <limits>

#include "markup/StringUtils.h"
#include "markup/XmlReader.h"

namespace {

const wchar_t kMergedDictionaries[] = L"ResourceDictionary.MergedDictionaries";
const wchar_t kControlGroup[] = L"Control";

std::int32_t ClampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// The leading integer of a text, as the C library's conversion reads it: 0 when there are no digits.
std::int32_t LeadingInteger(const std::wstring& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
        negative = text[i++] == L'-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
        value = std::min<std::int64_t>(value * 10 + (text[i] - L'0'), std::int64_t{1} << 32);
    return ClampToInt32(negative ? -value : value);
}

std::wstring FormatInt(std::int64_t value) {
    std::wstring text;
    return FormatString(text, L"%d", ClampToInt32(value));
}

// A setter is exactly Property="..." Value="...", in that order; anything else is not one.
bool ReadSetter(const IXmlObject* element, std::wstring& property, std::wstring& value) {
    if (element->GetName() != L"Setter" || element->GetAttributeCount() != 2)
        return false;
    std::wstring name;
    if (!element->GetAttributeAt(name, property, 0) || name != L"Property")
        return false;
    return element->GetAttributeAt(name, value, 1) && name == L"Value";
}

} // namespace

ILytParser* CreateLytParser(ILytParserListener* listener) {
    return new CLytParser(listener);
}

CLytParser::~CLytParser() = default;

ILytObject* CLytParser::Parse(const wchar_t* path, ILytObject* parent, const LytRect* placement) {
    if (!m_listener || !path)
        return nullptr;
    CXmlReader reader;
    reader.SetPreserveWhitespace(true);
    reader.SetStrictEncoding(true); // a character lost to bad bytes would change a value or a name silently
    if (!reader.LoadFile(path) || !reader.HasRoot())
        return nullptr;
    std::wstring typeName = reader.GetName(1);
    Attributes attributes = ReadAttributes(reader, 1);
    ILytObject* root = parent;
    if (placement) {
        // The rest of the load hangs off the root object: without one there is nothing to parse into.
        root = m_listener->CreateObject(typeName.c_str(), parent);
        if (!root)
            return nullptr;
        ConfigurePlacedRoot(root, typeName, attributes, *placement);
        root->OnCreated();
    } else {
        if (!root)
            return nullptr;
        Configure(root, typeName, attributes);
    }
    ParseChildren(reader, 1, root);
    m_listener->OnParseDone(root);
    return root;
}

CLytParser::Attributes CLytParser::ReadAttributes(CXmlReader& reader, std::uint32_t node) {
    reader.BuildIndex(node);
    Attributes attributes;
    attributes.reserve(reader.GetAttributeCount());
    for (std::uint32_t i = 0; i < reader.GetAttributeCount(); ++i)
        attributes.emplace_back(reader.GetAttributeName(i), reader.GetAttributeValue(i));
    return attributes;
}

// Defaults first, the element's own attributes last, so that the element's values win.
void CLytParser::Configure(ILytObject* object, const std::wstring& typeName, const Attributes& attributes) {
    ApplyDefaultSetters(object, kControlGroup);
    ApplyDefaultSetters(object, typeName);
    for (const auto& [name, value] : attributes) {
        if (name == L"Style")
            ApplyNamedStyle(object, attributes, typeName, value);
        else
            m_listener->SetAttribute(object, name.c_str(), value.c_str());
    }
}

void CLytParser::ConfigurePlacedRoot(ILytObject* object, const std::wstring& typeName, const Attributes& attributes,
                                     const LytRect& placement) {
    ApplyDefaultSetters(object, kControlGroup);
    ApplyDefaultSetters(object, typeName);
    const std::pair<const wchar_t*, std::int64_t> frame[] = {
        {L"Left", placement.left},
        {L"Top", placement.top},
        {L"Width", std::int64_t{placement.right} - placement.left},
        {L"Height", std::int64_t{placement.bottom} - placement.top},
    };
    for (const auto& [name, value] : frame)
        m_listener->SetAttribute(object, name, FormatInt(value).c_str());
    // The root's own position is relative to the placement.
    for (const auto& [name, value] : attributes) {
        if (name == L"Style")
            ApplyNamedStyle(object, attributes, typeName, value);
        else if (name == L"Left")
            m_listener->SetAttribute(object, L"Left",
                                     FormatInt(std::int64_t{LeadingInteger(value)} + placement.left).c_str());
        else if (name == L"Top")
            m_listener->SetAttribute(object, L"Top",
                                     FormatInt(std::int64_t{LeadingInteger(value)} + placement.top).c_str());
        else
            m_listener->SetAttribute(object, name.c_str(), value.c_str());
    }
}

// Only the first dictionary whose root name contains the group word serves the group.
void CLytParser::ApplyDefaultSetters(ILytObject* object, const std::wstring& group) {
    for (const XmlObjectPtr& dictionary : m_dictionaries) {
        if (dictionary->GetName().find(group) == std::wstring::npos)
            continue;
        for (std::uint32_t i = 0; i < dictionary->GetChildCount(); ++i)
            ApplySetter(object, dictionary->GetChild(i), nullptr);
        return;
    }
}

void CLytParser::ApplyNamedStyle(ILytObject* object, const Attributes& element, const std::wstring& typeName,
                                 const std::wstring& key) {
    const IXmlObject* style = FindStyle(typeName, key);
    if (!style)
        return;
    for (std::uint32_t i = 0; i < style->GetChildCount(); ++i)
        ApplySetter(object, style->GetChild(i), &element);
}

const IXmlObject* CLytParser::FindStyle(const std::wstring& typeName, const std::wstring& key) const {
    std::wstring name, value;
    for (const XmlObjectPtr& dictionary : m_dictionaries) {
        if (dictionary->GetName().find(typeName) == std::wstring::npos)
            continue;
        for (std::uint32_t i = 0; i < dictionary->GetChildCount(); ++i) {
            const IXmlObject* style = dictionary->GetChild(i);
            if (style->GetName() == L"Style" && style->GetAttributeAt(name, value, 0) && value == key)
                return style;
        }
    }
    return nullptr;
}

// A style's setter gives way to an attribute the element carries itself, wherever that attribute stands.
void CLytParser::ApplySetter(ILytObject* object, const IXmlObject* setter, const Attributes* element) {
    std::wstring property, value;
    if (!ReadSetter(setter, property, value))
        return;
    if (element &&
        std::any_of(element->begin(), element->end(), [&](const auto& own) { return own.first == property; }))
        return;
    m_listener->SetAttribute(object, property.c_str(), value.c_str());
}

// Recursion is bounded by the reader's nesting limit.
void CLytParser::ParseChildren(CXmlReader& reader, std::uint32_t node, ILytObject* parent) {
    for (std::uint32_t child = reader.GetNode(node).firstChild; child; child = reader.GetNode(child).nextSibling) {
        std::wstring typeName = reader.GetName(child);
        ILytObject* object = m_listener->CreateObject(typeName.c_str(), parent);
        if (!object)
            continue; // an unknown kind drops its whole subtree
        Configure(object, typeName, ReadAttributes(reader, child));
        m_listener->OnObjectDone(object);
        ParseChildren(reader, child, object);
    }
}

int CLytParser::LoadStyles(const wchar_t* path) {
    if (!m_listener || !path)
        return 0;
    XmlObjectPtr top(LoadResourceFile(path));
    if (!top)
        return 0;
    if (top->GetName() == kMergedDictionaries) {
        std::wstring name, source;
        for (std::uint32_t i = 0; i < top->GetChildCount(); ++i) {
            if (top->GetChild(i)->GetAttributeAt(name, source, 0))
                m_sources.push_back(source);
        }
    }
    for (const std::wstring& source : m_sources) {
        if (IXmlObject* dictionary = LoadResourceFile(ResolveSource(source)))
            m_dictionaries.emplace_back(dictionary);
    }
    m_sources.clear();
    return 1;
}

std::wstring CLytParser::ResolveSource(const std::wstring& source) const {
    if (source.size() >= 2 && source[1] == L':')
        return source;
    std::wstring path;
    FormatString(path, L"%ls%ls", m_basePath.c_str(), source.c_str());
    return path;
}

IXmlObject* CLytParser::LoadResourceFile(const std::wstring& path) {
    CXmlReader reader;
    reader.SetPreserveWhitespace(true);
    reader.SetStrictEncoding(true); // a character lost to bad bytes would change a value or a name silently
    if (!reader.LoadFile(path.c_str()) || !reader.HasRoot())
        return nullptr;
    return BuildTree(reader, 1, nullptr);
}

IXmlObject* CLytParser::BuildTree(CXmlReader& reader, std::uint32_t node, IXmlObject* parent) {
    const wchar_t* name = reader.GetName(node);
    IXmlObject* element = m_listener->CreateXmlObject(name);
    if (!element)
        return nullptr;
    element->SetName(name, parent);
    reader.BuildIndex(node);
    for (std::uint32_t i = 0; i < reader.GetAttributeCount(); ++i)
        element->SetAttribute(reader.GetAttributeName(i), reader.GetAttributeValue(i));
    for (std::uint32_t child = reader.GetNode(node).firstChild; child; child = reader.GetNode(child).nextSibling) {
        if (IXmlObject* built = BuildTree(reader, child, element))
            element->AddChild(built);
    }
    return element;
}
