// The document parser and writer: the written form, escaping, blank texts, stable rewrites, and saves
// that fail without touching the old file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MarkupTestUtil.h"
#include "TestPaths.h"
#include "markup/ProfileParser.h"
#include "markup/XmlObject.h"

namespace {

using oc::test::ReadBytes;
using oc::test::WidePath;
using oc::test::WriteBytes;

class ProfileParserTest : public testing::Test, protected IProfileParserListener {
protected:
    IXmlObject* CreateObject(const wchar_t* name) override {
        created.push_back(name);
        return new CXmlObject;
    }
    void OnParsed(IXmlObject* root) override { parsed.reset(root); }
    void OnError(const wchar_t* message) override { errors.push_back(message); }

    IXmlObject* Make(const wchar_t* name, IXmlObject* parent) {
        IXmlObject* element = new CXmlObject;
        element->SetName(name, parent);
        if (parent)
            parent->AddChild(element);
        return element;
    }
    std::wstring Path(const char* name) const { return WidePath(dir / name); }
    bool ParseFile(const char* name) { return parser->Parse(Path(name).c_str()) != 0; }
    bool SaveFile(const char* name, IXmlObject* root) { return parser->Save(Path(name).c_str(), root) != 0; }

    oc::test::TempDir dir;
    std::unique_ptr<IProfileParser> parser{CreateProfileParser(this)};
    XmlObjectPtr parsed;
    std::vector<std::wstring> created;
    std::vector<std::wstring> errors;
};

TEST_F(ProfileParserTest, WritesTheIndentedForm) {
    XmlObjectPtr root(Make(L"Profile", nullptr));
    root->SetAttribute(L"Version", L"1");
    Make(L"Item", root.get())->SetAttribute(L"Name", L"a");
    Make(L"Item", root.get())->SetAttribute(L"Name", L"b");
    ASSERT_TRUE(SaveFile("golden.xml", root.get()));
    EXPECT_EQ(ReadBytes(dir / "golden.xml"), "<Profile Version=\"1\">\n"
                                             "  <Item Name=\"a\" />\n"
                                             "  <Item Name=\"b\" />\n"
                                             "</Profile>\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "golden.xml.tmp"));
}

TEST_F(ProfileParserTest, WritesLeavesRootsAndEscapedValues) {
    struct Case {
        const wchar_t* text;
        bool withChild;
        std::string expected;
    };
    const Case cases[] = {
        {L"", false, "<Root >\n</Root>\n"},
        {L"a<b & \"c\"", false, "<Root>a&lt;b &amp; &quot;c&quot;</Root>\n"},
        {L"t", true, "<Root>\n  <Leaf K=\"it&apos;s\">x &gt; y</Leaf>\n  <Empty />\n</Root>\n"},
    };
    for (const Case& c : cases) {
        XmlObjectPtr root(Make(L"Root", nullptr));
        root->SetText(c.text);
        if (c.withChild) {
            IXmlObject* leaf = Make(L"Leaf", root.get());
            leaf->SetAttribute(L"K", L"it's");
            leaf->SetText(L"x > y");
            Make(L"Empty", root.get());
        }
        ASSERT_TRUE(SaveFile("case.xml", root.get()));
        EXPECT_EQ(ReadBytes(dir / "case.xml"), c.expected);
    }
}

TEST_F(ProfileParserTest, EscapedValuesAndTextsReadBackUnchanged) {
    XmlObjectPtr root(Make(L"Profile", nullptr));
    IXmlObject* item = Make(L"Item", root.get());
    item->SetAttribute(L"Value", L"a<b & \"c\" 'd'");
    item->SetAttribute(L"Unicode", L"K\u00f6ln \u20ac");
    item->SetText(L" ");
    ASSERT_TRUE(SaveFile("escaped.xml", root.get()));
    ASSERT_TRUE(ParseFile("escaped.xml"));
    IXmlObject* back = parsed->GetChild(0);
    ASSERT_NE(back, nullptr);
    std::wstring value;
    EXPECT_EQ(back->GetAttribute(L"Value", value), 1);
    EXPECT_EQ(value, L"a<b & \"c\" 'd'");
    EXPECT_EQ(back->GetAttribute(L"Unicode", value), 1);
    EXPECT_EQ(value, L"K\u00f6ln \u20ac");
    EXPECT_EQ(back->GetText(), L" ");
}

TEST_F(ProfileParserTest, BlankTextsAreDroppedAndSpacesKept) {
    WriteBytes(dir / "texts.xml", "<r><a>\r\n\t</a><b> </b><c>\tx\n</c><d/></r>");
    ASSERT_TRUE(ParseFile("texts.xml"));
    ASSERT_EQ(parsed->GetChildCount(), 4u);
    EXPECT_EQ(parsed->GetChild(0)->GetText(), L"");
    EXPECT_EQ(parsed->GetChild(1)->GetText(), L" ");
    EXPECT_EQ(parsed->GetChild(2)->GetText(), L"\tx\n");
    EXPECT_EQ(parsed->GetChild(3)->GetText(), L"");
    EXPECT_EQ(parsed->GetChild(3)->GetDepth(), 1u);
    EXPECT_TRUE(errors.empty());
}

TEST_F(ProfileParserTest, BuildsTheFirstElementInDocumentOrder) {
    WriteBytes(dir / "order.xml", "<?xml version=\"1.0\"?><Profile Name=\"P\"><E A=\"1\" B=\"2\"><P/></E><F/></Profile>"
                                  "<Ignored/>");
    ASSERT_TRUE(ParseFile("order.xml"));
    EXPECT_EQ(created, (std::vector<std::wstring>{L"Profile", L"E", L"P", L"F"}));
    std::wstring name, value;
    IXmlObject* e = parsed->GetChild(0);
    ASSERT_EQ(e->GetAttributeCount(), 2u);
    e->GetAttributeAt(name, value, 1);
    EXPECT_EQ(name + L"=" + value, L"B=2");
    EXPECT_EQ(e->GetChild(0)->GetParent(), e);
}

// Elements with children read their indentation back as text (spaces are text); the file itself must
// still come out the same on every rewrite.
TEST_F(ProfileParserTest, RewritingADocumentKeepsTheFileStable) {
    auto seed = oc::test::SourceDir() / "fuzz" / "corpus" / "xml_reader_fuzzer" / "Rock.profile";
    std::filesystem::copy_file(seed, dir / "first.profile");
    ASSERT_TRUE(ParseFile("first.profile"));
    ASSERT_TRUE(SaveFile("second.profile", parsed.get()));
    ASSERT_TRUE(ParseFile("second.profile"));
    ASSERT_TRUE(SaveFile("third.profile", parsed.get()));
    EXPECT_EQ(ReadBytes(dir / "second.profile"), ReadBytes(dir / "third.profile"));
    EXPECT_EQ(ReadBytes(dir / "second.profile"), ReadBytes(seed));
}

// A document whose reader walks only its top levels (Profile.xml) may nest as deep as it likes and be far
// larger than markup: it is built and freed without recursion, and its elements end after their subtrees.
// The bounded form still refuses both.
TEST_F(ProfileParserTest, TopLevelDocumentsTakeAnyNestingAndLargerFiles) {
    std::string deep = "<Profile Name=\"Backup\">";
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    for (int i = 0; i < 100000; ++i)
        deep += "</a>";
    deep += "<Endpoint Name=\"SPDIF\" /></Profile>";
    const std::string large = "<Profile>" + std::string(5u << 20, 'x') + "<Endpoint Name=\"SPDIF\" /></Profile>";
    for (const std::string& file : {deep, large}) {
        WriteBytes(dir / "store.xml", file);
        EXPECT_FALSE(ParseFile("store.xml"));
        ASSERT_EQ(parser->ParseTopLevels(Path("store.xml").c_str()), 1);
        ASSERT_NE(parsed, nullptr);
        ASSERT_EQ(parsed->GetChildCount(), file == deep ? 2u : 1u);
        std::wstring name;
        parsed->GetChild(parsed->GetChildCount() - 1)->GetAttribute(L"Name", name);
        EXPECT_EQ(name, L"SPDIF");
        parsed.reset();
    }
    std::string nested;
    for (int i = 0; i < 3; ++i)
        nested += "<e" + std::to_string(i) + ">";
    nested += "</e2></e1></e0>";
    WriteBytes(dir / "nested.xml", nested);
    ASSERT_EQ(parser->ParseTopLevels(Path("nested.xml").c_str()), 1);
    EXPECT_EQ(parsed->GetChild(0)->GetChild(0)->GetName(), L"e2");
    EXPECT_EQ(parsed->GetChild(0)->GetChild(0)->GetParent(), parsed->GetChild(0));
}

TEST_F(ProfileParserTest, ReportsLoadFailuresAndAMissingRoot) {
    EXPECT_FALSE(ParseFile("missing.xml"));
    WriteBytes(dir / "comment.xml", "<!-- nothing here -->");
    EXPECT_FALSE(ParseFile("comment.xml"));
    WriteBytes(dir / "broken.xml", "<a><b></a>");
    EXPECT_FALSE(ParseFile("broken.xml"));
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0], L"Fail to load profile file( " + Path("missing.xml") + L" )");
    EXPECT_EQ(errors[1], L"Profile file root node is invalid");
    EXPECT_EQ(errors[2], L"Fail to load profile file( " + Path("broken.xml") + L" )");
    EXPECT_EQ(parsed, nullptr);
}

TEST_F(ProfileParserTest, FailedSavesReturnZeroAndKeepTheOldFile) {
    XmlObjectPtr root(Make(L"Profile", nullptr));
    EXPECT_EQ(parser->Save(Path("null.xml").c_str(), nullptr), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "null.xml"));

    EXPECT_FALSE(SaveFile("no-such-folder/p.xml", root.get()));

    // The temporary file cannot be created: the old file must survive as it was.
    WriteBytes(dir / "kept.xml", "old content");
    std::filesystem::create_directory(dir / "kept.xml.tmp");
    EXPECT_FALSE(SaveFile("kept.xml", root.get()));
    EXPECT_EQ(ReadBytes(dir / "kept.xml"), "old content");

    // The target cannot be replaced (it is a folder): no temporary file is left behind.
    std::filesystem::create_directory(dir / "folder.xml");
    EXPECT_FALSE(SaveFile("folder.xml", root.get()));
    EXPECT_FALSE(std::filesystem::exists(dir / "folder.xml.tmp"));

    // A good save replaces an existing file.
    EXPECT_TRUE(SaveFile("replaced.xml", root.get()));
    WriteBytes(dir / "replaced.xml", "older");
    EXPECT_TRUE(SaveFile("replaced.xml", root.get()));
    EXPECT_EQ(ReadBytes(dir / "replaced.xml"), "<Profile >\n</Profile>\n");
}

} // namespace
