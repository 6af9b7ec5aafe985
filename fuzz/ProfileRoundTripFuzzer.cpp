// Any document the parser accepts must survive parse -> save -> parse -> save with both saved files
// byte-identical: the program rewrites Profile.xml and profiles again and again.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzTempDir.h"
#include "markup/ProfileParser.h"
#include "markup/XmlObject.h"

namespace {

class Collector : public IProfileParserListener {
public:
    IXmlObject* CreateObject(const wchar_t*) override { return new CXmlObject; }
    void OnParsed(IXmlObject* root) override { m_root.reset(root); }
    void OnError(const wchar_t*) override {}
    XmlObjectPtr Take() { return std::move(m_root); }

private:
    XmlObjectPtr m_root;
};

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzTempDir dir;
    static const std::wstring input = dir.Wide("input.xml");
    static const std::wstring first = dir.Wide("first.xml");
    static const std::wstring second = dir.Wide("second.xml");
    {
        std::ofstream out(dir / "input.xml", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    Collector collector;
    IProfileParser* parser = CreateProfileParser(&collector);
    if (parser->Parse(input.c_str())) {
        XmlObjectPtr root = collector.Take();
        Require(root != nullptr);
        Require(parser->Save(first.c_str(), root.get()) == 1);
        Require(parser->Parse(first.c_str()) == 1);
        XmlObjectPtr again = collector.Take();
        Require(again != nullptr);
        Require(parser->Save(second.c_str(), again.get()) == 1);
        Require(ReadAll(dir / "first.xml") == ReadAll(dir / "second.xml"));
    }
    parser->Release();
    return 0;
}
