#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "markup/ILytParser.h"

class CXmlReader;

class CLytParser : public ILytParser {
public:
    explicit CLytParser(ILytParserListener* listener) : m_listener(listener) {}
    ~CLytParser() override;
    CLytParser(const CLytParser&) = delete;
    CLytParser& operator=(const CLytParser&) = delete;

    ILytObject* Parse(const wchar_t* path, ILytObject* parent, const LytRect* placement) override;
    int LoadStyles(const wchar_t* path) override;
    void Release() override { delete this; }
    void SetBasePath(const wchar_t* path) override { m_basePath = path ? path : L""; }

private:
    using Attributes = std::vector<std::pair<std::wstring, std::wstring>>;

    static Attributes ReadAttributes(CXmlReader& reader, std::uint32_t node);
    void Configure(ILytObject* object, const std::wstring& typeName, const Attributes& attributes);
    void ConfigurePlacedRoot(ILytObject* object, const std::wstring& typeName, const Attributes& attributes,
                             const LytRect& placement);
    void ApplyDefaultSetters(ILytObject* object, const std::wstring& group);
    void ApplyNamedStyle(ILytObject* object, const Attributes& element, const std::wstring& typeName,
                         const std::wstring& key);
    const IXmlObject* FindStyle(const std::wstring& typeName, const std::wstring& key) const;
    void ApplySetter(ILytObject* object, const IXmlObject* setter, const Attributes* element);
    void ParseChildren(CXmlReader& reader, std::uint32_t node, ILytObject* parent);

    IXmlObject* LoadResourceFile(const std::wstring& path);
    IXmlObject* BuildTree(CXmlReader& reader, std::uint32_t node, IXmlObject* parent);
    std::wstring ResolveSource(const std::wstring& source) const;

    ILytParserListener* m_listener;
    std::vector<std::wstring> m_sources;      // only while a dictionary file loads
    std::vector<XmlObjectPtr> m_dictionaries; // in load order
    std::wstring m_basePath;
};
