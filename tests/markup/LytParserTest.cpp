// The markup parser against a recording listener: style dictionaries, defaults, keyed styles, placement.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "MarkupTestUtil.h"
#include "TestPaths.h"
#include "markup/LytParser.h"
#include "markup/XmlObject.h"

namespace {

using oc::test::WidePath;
using oc::test::WriteBytes;

// Stands for a markup object; the listener records what the parser asks of it.
class FakeObject : public ILytObject {
public:
    FakeObject(std::wstring label, std::vector<std::wstring>& log) : m_label(std::move(label)), m_log(log) {}
    ~FakeObject() override = default;
    const std::wstring& Label() const { return m_label; }

    int SetAttribute(const wchar_t*, const wchar_t*) override { return 0; }
    int OnCreated() override {
        m_log.push_back(L"created " + m_label);
        return 0;
    }
    void OnLoadComplete() override {}
    std::wstring GetTypeName() const override { return L""; }
    void SetId(int) override {}
    void SetParent(ILytObject*) override {}
    IxSkinObject* GetControl() const override { return nullptr; }
    ILytObject* GetParent() const override { return nullptr; }
    LytSize GetSize() const override { return {0, 0}; }
    void Destroy() override {}
    void CreateControl() override {}

private:
    std::wstring m_label;
    std::vector<std::wstring>& m_log;
};

class LytParserTest : public testing::Test, protected ILytParserListener {
protected:
    void SetUp() override {
        WriteBytes(dir / "DesignDict.lyt", "<ResourceDictionary.MergedDictionaries>\n"
                                           "  <ResourceDictionary Source=\"ControlStyles.lyt\" />\n"
                                           "  <ResourceDictionary />\n"
                                           "  <ResourceDictionary Source=\"Missing.lyt\" />\n"
                                           "  <ResourceDictionary Source=\"RadioButtonStyles.lyt\" />\n"
                                           "  <ResourceDictionary Source=\"ButtonStyles.lyt\" />\n"
                                           "</ResourceDictionary.MergedDictionaries>\n");
        WriteBytes(dir / "ControlStyles.lyt",
                   "<ControlStyles>\n"
                   "  <Setter Property=\"FontFamily\" Value=\"Segoe UI\" />\n"
                   "  <Setter Value=\"Hand\" Property=\"Cursor\" />\n"
                   "  <Setter Property=\"A\" Value=\"1\" Extra=\"2\" />\n"
                   "  <Style x:Key=\"Skipped\"><Setter Property=\"S\" Value=\"1\" /></Style>\n"
                   "</ControlStyles>\n");
        WriteBytes(dir / "RadioButtonStyles.lyt",
                   "<RadioButtonStyles>\n"
                   "  <Setter Property=\"Group\" Value=\"radio\" />\n"
                   "  <Style x:Key=\"Big\"><Setter Property=\"Width\" Value=\"200\" /></Style>\n"
                   "</RadioButtonStyles>\n");
        WriteBytes(dir / "ButtonStyles.lyt", "<ButtonStyles>\n"
                                             "  <Setter Property=\"Cursor\" Value=\"Hand\" />\n"
                                             "  <Style />\n"
                                             "  <Style x:Key=\"Title\">\n"
                                             "    <Setter Property=\"Width\" Value=\"28\" />\n"
                                             "    <Setter Property=\"Height\" Value=\"28\" />\n"
                                             "  </Style>\n"
                                             "</ButtonStyles>\n");
        parser->SetBasePath(WidePath(dir / "").c_str());
    }

    ILytObject* CreateObject(const wchar_t* typeName, ILytObject* parent) override {
        std::wstring type = typeName;
        log.push_back(L"new " + type + L"@" + Label(parent));
        if (type == L"Unknown")
            return nullptr;
        objects.push_back(std::make_unique<FakeObject>(type + std::to_wstring(objects.size() + 1), log));
        return objects.back().get();
    }
    void SetAttribute(ILytObject* object, const wchar_t* name, const wchar_t* value) override {
        log.push_back(Label(object) + L"." + name + L"=" + value);
    }
    void OnObjectDone(ILytObject* object) override { log.push_back(L"done " + Label(object)); }
    void OnParseDone(ILytObject* root) override { log.push_back(L"parsed " + Label(root)); }
    IXmlObject* CreateXmlObject(const wchar_t*) override { return new CXmlObject; }

    static std::wstring Label(ILytObject* object) {
        return object ? static_cast<FakeObject*>(object)->Label() : L"(null)";
    }
    ILytObject* ParseMarkup(const std::string& markup, ILytObject* parent, const LytRect* placement) {
        WriteBytes(dir / "Test.lyt", markup);
        return parser->Parse(WidePath(dir / "Test.lyt").c_str(), parent, placement);
    }

    oc::test::TempDir dir;
    std::vector<std::wstring> log;
    std::vector<std::unique_ptr<FakeObject>> objects;
    FakeObject dialog{L"Dialog", log};
    std::unique_ptr<ILytParser> parser{CreateLytParser(this)};
};

TEST_F(LytParserTest, AppliesDefaultsStylesAndOwnAttributesInOrder) {
    ASSERT_EQ(parser->LoadStyles(WidePath(dir / "DesignDict.lyt").c_str()), 1);
    ILytObject* root =
        ParseMarkup("<Window Name=\"Main\" Width=\"300\">\n"
                    "  <Button Name=\"B\" Width=\"50\" Style=\"Title\" Text=\"ml_Main_Title\">text</Button>\n"
                    "  <Unknown Name=\"U\"><Button Name=\"Lost\" /></Unknown>\n"
                    "  <Canvas Name=\"C\"><Button Style=\"Nowhere\" Cursor=\"No\" /></Canvas>\n"
                    "</Window>\n",
                    &dialog, nullptr);
    EXPECT_EQ(root, &dialog);
    // Radio-button styles load first and also serve "Button" (a substring match): its default setter and
    // not the button dictionary's is applied; the keyed style is still found in the later dictionary.
    const std::vector<std::wstring> expected = {
        L"Dialog.FontFamily=Segoe UI",
        L"Dialog.Name=Main",
        L"Dialog.Width=300",
        L"new Button@Dialog",
        L"Button1.FontFamily=Segoe UI",
        L"Button1.Group=radio",
        L"Button1.Name=B",
        L"Button1.Width=50",
        L"Button1.Height=28",
        L"Button1.Text=ml_Main_Title",
        L"done Button1",
        L"new Unknown@Dialog",
        L"new Canvas@Dialog",
        L"Canvas2.FontFamily=Segoe UI",
        L"Canvas2.Name=C",
        L"done Canvas2",
        L"new Button@Canvas2",
        L"Button3.FontFamily=Segoe UI",
        L"Button3.Group=radio",
        L"Button3.Cursor=No",
        L"done Button3",
        L"parsed Dialog",
    };
    EXPECT_EQ(log, expected);
}

TEST_F(LytParserTest, APlacedRootBecomesANewObjectInThePlacement) {
    const LytRect placement{10, 20, 110, 70};
    ILytObject* root = ParseMarkup("<Panel Left=\"5\" Width=\"7\"><Image /></Panel>", &dialog, &placement);
    ASSERT_NE(root, nullptr);
    const std::vector<std::wstring> expected = {
        L"new Panel@Dialog", L"Panel1.Left=10", L"Panel1.Top=20",  L"Panel1.Width=100",
        L"Panel1.Height=50", L"Panel1.Left=15", L"Panel1.Width=7", L"created Panel1",
        L"new Image@Panel1", L"done Image2",    L"parsed Panel1",
    };
    EXPECT_EQ(log, expected);
}

TEST_F(LytParserTest, APlacedRootsOwnPositionIsReadAsALeadingInteger) {
    struct Case {
        const char* attributes;
        std::vector<std::wstring> own; // what follows the four placement setters
    };
    const Case cases[] = {
        {"Left=\"abc\"", {L"Panel1.Left=10"}},
        {"Top=\"-4px\" Left=\" 12\"", {L"Panel1.Top=16", L"Panel1.Left=22"}},
        {"Height=\"9\"", {L"Panel1.Height=9"}},
    };
    const LytRect placement{10, 20, 110, 70};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        log.clear();
        objects.clear();
        ASSERT_NE(ParseMarkup(std::string("<Panel ") + c.attributes + " />", &dialog, &placement), nullptr);
        std::vector<std::wstring> expected = {L"new Panel@Dialog", L"Panel1.Left=10", L"Panel1.Top=20",
                                              L"Panel1.Width=100", L"Panel1.Height=50"};
        expected.insert(expected.end(), c.own.begin(), c.own.end());
        expected.insert(expected.end(), {L"created Panel1", L"parsed Panel1"});
        EXPECT_EQ(log, expected);
    }
}

TEST_F(LytParserTest, NothingToParseIntoReturnsNullWithoutFurtherCalls) {
    const LytRect placement{0, 0, 10, 10};
    EXPECT_EQ(ParseMarkup("<Unknown Name=\"x\"><Button /></Unknown>", &dialog, &placement), nullptr);
    EXPECT_EQ(log, std::vector<std::wstring>{L"new Unknown@Dialog"});
    log.clear();
    EXPECT_EQ(ParseMarkup("<Window Name=\"x\" />", nullptr, nullptr), nullptr);
    EXPECT_EQ(ParseMarkup("<Window><Button></Window>", &dialog, nullptr), nullptr);
    EXPECT_EQ(ParseMarkup("<!-- no element -->", &dialog, nullptr), nullptr);
    EXPECT_EQ(parser->Parse(WidePath(dir / "Missing.lyt").c_str(), &dialog, nullptr), nullptr);
    EXPECT_TRUE(log.empty());
}

TEST_F(LytParserTest, LoadStylesReportsWhetherTheDictionaryFileLoaded) {
    EXPECT_EQ(parser->LoadStyles(WidePath(dir / "Missing.lyt").c_str()), 0);
    WriteBytes(dir / "Empty.lyt", "<!-- empty -->");
    EXPECT_EQ(parser->LoadStyles(WidePath(dir / "Empty.lyt").c_str()), 0);
    // Without any dictionary nothing but the element's own attributes is applied.
    ParseMarkup("<Window><Button Style=\"Title\" Name=\"b\" /></Window>", &dialog, nullptr);
    EXPECT_EQ(log,
              (std::vector<std::wstring>{L"new Button@Dialog", L"Button1.Name=b", L"done Button1", L"parsed Dialog"}));
}

TEST_F(LytParserTest, SourcesWithADriveAreUsedAsTheyStand) {
    WriteBytes(dir / "SliderStyles.lyt", "<SliderStyles><Setter Property=\"Max\" Value=\"100\" /></SliderStyles>");
#ifdef _WIN32
    std::string absolute = oc::test::Utf8(WidePath(dir / "SliderStyles.lyt"));
    WriteBytes(dir / "Merged.lyt", "<ResourceDictionary.MergedDictionaries><D Source=\"" + absolute +
                                       "\" /></ResourceDictionary.MergedDictionaries>");
    const std::vector<std::wstring> expected = {L"new Slider@Dialog", L"Slider1.Max=100", L"done Slider1",
                                                L"parsed Dialog"};
#else
    // No drive letters here: a value with ":" as its second character must not get the base path in front,
    // so this one names a file in the working folder, which does not exist.
    WriteBytes(dir / "Q:SliderStyles.lyt", "<SliderStyles><Setter Property=\"Max\" Value=\"100\" /></SliderStyles>");
    WriteBytes(dir / "Merged.lyt", "<ResourceDictionary.MergedDictionaries><D Source=\"Q:SliderStyles.lyt\" />"
                                   "</ResourceDictionary.MergedDictionaries>");
    const std::vector<std::wstring> expected = {L"new Slider@Dialog", L"done Slider1", L"parsed Dialog"};
#endif
    ASSERT_EQ(parser->LoadStyles(WidePath(dir / "Merged.lyt").c_str()), 1);
    ParseMarkup("<Window><Slider /></Window>", &dialog, nullptr);
    EXPECT_EQ(log, expected);
}

} // namespace
