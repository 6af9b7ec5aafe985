// Arbitrary markup through the markup parser over a small fixed style dictionary, with a listener that
// checks every call names an object the parse made (or the parent it was given).
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "FuzzTempDir.h"
#include "markup/LytParser.h"
#include "markup/XmlObject.h"

namespace {

void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}

class FakeObject : public ILytObject {
public:
    int SetAttribute(const wchar_t*, const wchar_t*) override { return 0; }
    int OnCreated() override { return ++created, 0; }
    void OnLoadComplete() override {}
    std::wstring GetTypeName() const override { return L""; }
    void SetId(int) override {}
    void SetParent(ILytObject*) override {}
    IxSkinObject* GetControl() const override { return nullptr; }
    ILytObject* GetParent() const override { return nullptr; }
    LytSize GetSize() const override { return {0, 0}; }
    void Destroy() override {}
    void CreateControl() override {}
    ~FakeObject() override = default;

    int created = 0;
};

class Recorder : public ILytParserListener {
public:
    ILytObject* CreateObject(const wchar_t* typeName, ILytObject* parent) override {
        Require(Known(parent));
        static const std::set<std::wstring> kinds = {L"Window", L"Canvas", L"Button", L"RadioButton",
                                                     L"Slider", L"Image",  L"Panel",  L"TextBlock"};
        if (!kinds.count(typeName))
            return nullptr;
        m_objects.push_back(std::make_unique<FakeObject>());
        return m_objects.back().get();
    }
    void SetAttribute(ILytObject* object, const wchar_t* name, const wchar_t* value) override {
        Require(Known(object) && name && value);
    }
    void OnObjectDone(ILytObject* object) override { Require(Known(object)); }
    void OnParseDone(ILytObject* root) override {
        Require(Known(root));
        ++m_parseDone;
    }
    IXmlObject* CreateXmlObject(const wchar_t*) override { return new CXmlObject; }

    void Reset() {
        m_objects.clear();
        m_parseDone = 0;
    }
    bool Known(ILytObject* object) const {
        if (object == &dialog)
            return true;
        for (const auto& own : m_objects) {
            if (own.get() == object)
                return true;
        }
        return false;
    }
    int ParseDoneCount() const { return m_parseDone; }

    FakeObject dialog;

private:
    std::vector<std::unique_ptr<FakeObject>> m_objects;
    int m_parseDone = 0;
};

void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

struct Fixture {
    Fixture() {
        WriteFile(dir / "Design.lyt", "<ResourceDictionary.MergedDictionaries>"
                                      "<R Source=\"ControlStyles.lyt\"/><R Source=\"ButtonStyles.lyt\"/>"
                                      "</ResourceDictionary.MergedDictionaries>");
        WriteFile(dir / "ControlStyles.lyt", "<ControlStyles><Setter Property=\"FontFamily\" Value=\"Segoe UI\"/>"
                                             "</ControlStyles>");
        WriteFile(dir / "ButtonStyles.lyt", "<RadioButtonStyles><Setter Property=\"Cursor\" Value=\"Hand\"/>"
                                            "<Style x:Key=\"Title\"><Setter Property=\"Width\" Value=\"28\"/>"
                                            "<Setter Property=\"Height\" Value=\"28\"/></Style></RadioButtonStyles>");
        parser->SetBasePath(dir.Wide("").c_str());
        Require(parser->LoadStyles(dir.Wide("Design.lyt").c_str()) == 1);
    }
    ~Fixture() { parser->Release(); }

    FuzzTempDir dir;
    Recorder recorder;
    ILytParser* parser = CreateLytParser(&recorder);
    std::wstring markup = dir.Wide("Input.lyt");
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture fixture;
    WriteFile(fixture.dir / "Input.lyt", std::string(reinterpret_cast<const char*>(data), size));
    fixture.recorder.Reset();
    // Odd sizes load as a placed panel (a new root object), even ones fill the existing dialog.
    const LytRect placement{10, 20, 110, 70};
    const LytRect* place = size % 2 ? &placement : nullptr;
    ILytObject* root = fixture.parser->Parse(fixture.markup.c_str(), &fixture.recorder.dialog, place);
    Require(root == nullptr ? fixture.recorder.ParseDoneCount() == 0 : fixture.recorder.ParseDoneCount() == 1);
    Require(root == nullptr || fixture.recorder.Known(root));
    Require(!place || root != &fixture.recorder.dialog);
    return 0;
}
