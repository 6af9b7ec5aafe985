// A language file as the program reads it: the document parser, then the walk over the root's
// "sys:String" children whose first attribute is "x:Key". Any bytes end in a bounded map of non-empty keys
// and texts, and the parser's tree is freed whole.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <map>
#include <string>

#include "FuzzTempDir.h"
#include "markup/IProfileParser.h"
#include "markup/XmlObject.h"

namespace {

void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}

class LanguageReader : public IProfileParserListener {
public:
    IXmlObject* CreateObject(const wchar_t*) override { return new CXmlObject; }
    void OnParsed(IXmlObject* root) override {
        XmlObjectPtr owned(root);
        if (!root)
            return;
        for (std::uint32_t i = 0; i < root->GetChildCount(); ++i) {
            const IXmlObject* entry = root->GetChild(i);
            Require(entry != nullptr);
            if (entry->GetName() != L"sys:String")
                continue;
            std::wstring attribute, key;
            if (!entry->GetAttributeAt(attribute, key, 0) || attribute != L"x:Key")
                continue;
            const std::wstring text = entry->GetText();
            if (!key.empty() && !text.empty())
                m_texts[key] = text;
        }
    }
    void OnError(const wchar_t*) override {}

    std::map<std::wstring, std::wstring> m_texts;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzTempDir dir;
    static const std::wstring input = dir.Wide("common.xaml");
    {
        std::ofstream out(dir / "common.xaml", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    LanguageReader reader;
    IProfileParser* parser = CreateProfileParser(&reader);
    parser->Parse(input.c_str());
    parser->Release();
    Require(reader.m_texts.size() <= size);
    for (const auto& [key, text] : reader.m_texts)
        Require(!key.empty() && !text.empty());
    return 0;
}
