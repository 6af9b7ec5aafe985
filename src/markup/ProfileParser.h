#pragma once
#include <cstdint>
#include <string>

#include "markup/IProfileParser.h"

class CXmlReader;

class CProfileParser : public IProfileParser {
public:
    explicit CProfileParser(IProfileParserListener* listener) : m_listener(listener) {}

    int Parse(const wchar_t* path) override;
    int ParseTopLevels(const wchar_t* path) override;
    int Save(const wchar_t* path, IXmlObject* root) override;
    void Release() override { delete this; }

    // Empty, or only tabs, line feeds and carriage returns; spaces are text.
    static bool IsBlankText(const wchar_t* text);
    static std::wstring EscapeXmlText(const std::wstring& text);

private:
    int Parse(const wchar_t* path, CXmlReader& reader);
    IXmlObject* MakeObject(CXmlReader& reader, std::uint32_t node, IXmlObject* parent);
    void ParseChildren(CXmlReader& reader, std::uint32_t node, IXmlObject* parent);
    void WriteElement(const IXmlObject* element, bool isRoot);
    void WriteStartTag(const IXmlObject* element, const std::wstring& indent);
    static bool WriteFileReplacing(const wchar_t* path, const std::string& bytes);

    IProfileParserListener* m_listener;
    std::wstring m_output;
};
