// The XML reader over a table of documents, file limits, and hostile input: nesting, truncation, junk.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "MarkupTestUtil.h"
#include "TestPaths.h"
#include "markup/XmlReader.h"

namespace {

using oc::test::TempDir;
using oc::test::WidePath;
using oc::test::WriteBytes;

// A compact picture of the node table: name[attr=value,...]"text"(children) with siblings space-separated.
std::wstring DumpNode(CXmlReader& reader, std::uint32_t index) {
    std::wstring out;
    for (; index; index = reader.GetNode(index).nextSibling) {
        if (!out.empty())
            out += L' ';
        out += reader.GetName(index);
        reader.BuildIndex(index);
        if (reader.GetAttributeCount()) {
            out += L'[';
            for (std::uint32_t a = 0; a < reader.GetAttributeCount(); ++a) {
                out += a ? L"," : L"";
                out += std::wstring(reader.GetAttributeName(a)) + L"=" + reader.GetAttributeValue(a);
            }
            out += L']';
        }
        if (*reader.GetText(index))
            out += L"\"" + std::wstring(reader.GetText(index)) + L"\"";
        if (std::uint32_t child = reader.GetNode(index).firstChild)
            out += L"(" + DumpNode(reader, child) + L")";
    }
    return out;
}

std::wstring Dump(CXmlReader& reader) {
    return reader.HasRoot() ? DumpNode(reader, 1) : L"";
}

// The reader is given its input in a heap block of exactly the input's size, so that ASan reports any
// read past the end of it.
bool Parse(CXmlReader& reader, const std::string& bytes) {
    std::unique_ptr<unsigned char[]> exact(new unsigned char[bytes.size()]);
    std::memcpy(exact.get(), bytes.data(), bytes.size());
    return reader.SetUtf8Text(exact.get(), bytes.size());
}

struct DocumentCase {
    std::string input;
    std::wstring nodes; // the dump on success
    std::wstring error; // the error message on failure
};

TEST(XmlReader, ParsesDocumentsIntoTheNodeTable) {
    const DocumentCase cases[] = {
        {"<a b=\"1\"/>", L"a[b=1]", L""},
        {"<a />", L"a", L""},
        {"<a/>", L"a", L""},
        {"<a x=\"1\">t</a>", L"a[x=1]\"t\"", L""},
        {"<a x=\"a&amp;b\" y=\"2\"/>", L"a[x=a&b,y=2]", L""},
        {"<a >t</a>", L"a\"t\"", L""},
        {"<a x = \"1\"\ty=\"\" ></a>", L"a[x=1,y=]", L""},
        {"<a>x<b/></a>", L"a\"x\"(b)", L""},
        {"<a><b c=\"&lt;&gt;\"/><d>e</d></a>", L"a(b[c=<>] d\"e\")", L""},
        {"<a>&amp;lt;</a>", L"a\"&lt;\"", L""},
        {"<a>&#65; &amp &quot;&apos;</a>", L"a\"&#65; &amp \"'\"", L""},
        {"<a>", L"a", L""},
        {"<a><b>", L"a(b)", L""},
        {"<a><b/>", L"a(b)", L""},
        {"<?xml version=\"1.0\"?>\n<!-- note -->\n<a><!-- inner --><b/></a>", L"a(b)", L""},
        {"<a/><b/>", L"a b", L""},
        {"<a/></x>trailing junk", L"a", L""},
        {"<a> x\r\n\ty </a>", L"a\" x\r\n\ty \"", L""},
        {"<sys:String x:Key=\"ml_Main_Title\">Title</sys:String>", L"sys:String[x:Key=ml_Main_Title]\"Title\"", L""},
        {"", L"", L""},
        {" \r\n\t", L"", L""},
        {"\xEF\xBB\xBF", L"", L""},
        {"\xEF\xBB\xBF<a/>", L"a", L""},
        {std::string("<a>x\0</a>", 9), L"a\"x\"", L""},
        {"<a>\xFF\xC3\xA9</a>", L"a\"\xFFFD\xE9\"", L""},
        {"<a>x<b/>y</a>", L"", L"Expected start tag"},
        {"<a><b><c>", L"", L"Expected end-tag start"},
        {"<a><b><c/>", L"", L"Expected start tag"},
        {"text", L"", L"Expected start tag"},
        {"<a x='1'/>", L"", L"Expected attribute value"},
        {"<a x=", L"", L"Expected attribute value"},
        {"<a x=\"1", L"", L"Error while parsing attribute string"},
        {std::string("<a x=\"1\0\"/>", 11), L"", L"Error while parsing attribute string"},
        {"<a x>", L"", L"Error while parsing attributes"},
        {"<a x=\"1\"", L"", L"Expected start-tag closing"},
        {"<a x=\"1\" ?>", L"", L"Error while parsing attributes"},
        {"<a", L"", L"Error parsing element name"},
        {"<>", L"", L"Error parsing element name"},
        {"<a><-x=\"1\" /></a>", L"", L"Error parsing element name"},
        {"<a-x=\"1\"/>", L"a[x=1]", L""},
        {"<ab></abc>", L"", L"Unmatched closing tag"},
        {"<a></b>", L"", L"Unmatched closing tag"},
        {"<a></a", L"", L"Unmatched closing tag"},
    };
    for (const DocumentCase& c : cases) {
        SCOPED_TRACE(c.input);
        CXmlReader reader;
        bool ok = Parse(reader, c.input);
        EXPECT_EQ(ok, c.error.empty());
        if (ok) {
            EXPECT_EQ(Dump(reader), c.nodes);
        } else {
            EXPECT_EQ(std::wstring(reader.GetErrorMessage()), c.error);
            EXPECT_EQ(reader.GetNodeCount(), 0u);
        }
    }
}

TEST(XmlReader, ErrorContextIsTheTextAtTheFailureAndAtMost49Characters) {
    CXmlReader reader;
    ASSERT_FALSE(Parse(reader, "<a><b></c></a>"));
    EXPECT_STREQ(reader.GetErrorContext(), L"c></a>");

    ASSERT_FALSE(Parse(reader, std::string(200, 'x')));
    EXPECT_EQ(std::wstring(reader.GetErrorContext()), std::wstring(49, L'x'));

    // Failing on the very last byte of the input leaves an empty context, read without over-running.
    ASSERT_FALSE(Parse(reader, "<a><b><c>" + std::string(100, 'y')));
    EXPECT_STREQ(reader.GetErrorMessage(), L"Expected end-tag start");
    EXPECT_STREQ(reader.GetErrorContext(), L"");
}

// A strict reader refuses bytes that are not UTF-8 wherever they stand; a U+FFFD written as UTF-8 is a
// character like any other. The lenient reader reads each bad sequence as U+FFFD.
TEST(XmlReader, StrictEncodingRefusesBytesThatAreNotUtf8) {
    struct Case {
        std::string input;
        bool strictReads;
    };
    const Case cases[] = {
        {"<a v=\"\xC3\xA9\xEF\xBF\xBD\">\xF0\x9F\x8E\xB5</a>", true},
        {"<a v=\"9\xC3\x28\"/>", false},          // a lead byte without its continuation
        {"<a>\xFF</a>", false},                      // a byte that never stands in UTF-8
        {"<a>\xED\xA0\x80</a>", false},              // an encoded surrogate
        {"<!-- \xC0\xAF --><a/>", false},            // an overlong form, in a comment
        {"<a>\xE2\x82</a>", false},                  // cut short
    };
    for (const Case& c : cases) {
        CXmlReader strict;
        strict.SetStrictEncoding(true);
        EXPECT_EQ(Parse(strict, c.input), c.strictReads) << c.input;
        if (!c.strictReads) {
            EXPECT_STREQ(strict.GetErrorMessage(), L"Invalid UTF-8");
        }
        CXmlReader lenient;
        EXPECT_TRUE(Parse(lenient, c.input)) << c.input;
    }
}

TEST(XmlReader, CollapseModeDropsWhitespaceAfterASpace) {
    CXmlReader reader;
    reader.SetPreserveWhitespace(false);
    ASSERT_TRUE(Parse(reader, "<a v=\"p  \t q\">x \r\n y</a>"));
    EXPECT_EQ(Dump(reader), L"a[v=p q]\"x y\"");
}

TEST(XmlReader, ListsOnlyTheFirst64Attributes) {
    std::string input = "<a";
    for (int i = 0; i < 70; ++i)
        input += " n" + std::to_string(i) + "=\"v" + std::to_string(i) + "\"";
    input += "/>";
    CXmlReader reader;
    ASSERT_TRUE(Parse(reader, input));
    reader.BuildIndex(1);
    ASSERT_EQ(reader.GetAttributeCount(), 64u);
    EXPECT_STREQ(reader.GetAttributeName(0), L"n0");
    EXPECT_STREQ(reader.GetAttributeName(63), L"n63");
    EXPECT_STREQ(reader.GetAttributeValue(63), L"v63");
}

TEST(XmlReader, NestingPastTheLimitFailsCleanly) {
    auto nested = [](std::size_t depth) {
        std::string open, close;
        for (std::size_t i = 0; i < depth; ++i) {
            open += "<a>";
            close += "</a>";
        }
        return open + close;
    };
    CXmlReader reader;
    EXPECT_TRUE(Parse(reader, nested(CXmlReader::kMaxDepth)));
    EXPECT_EQ(reader.GetNodeCount(), CXmlReader::kMaxDepth + 1);
    EXPECT_FALSE(Parse(reader, nested(CXmlReader::kMaxDepth + 1)));
    EXPECT_STREQ(reader.GetErrorMessage(), L"Elements nested too deeply");

    std::string flood;
    while (flood.size() + 3 <= CXmlReader::kMaxFileSize)
        flood += "<a>";
    EXPECT_FALSE(Parse(reader, flood));
    EXPECT_STREQ(reader.GetErrorMessage(), L"Elements nested too deeply");
}

TEST(XmlReader, ManyNodesGrowTheTable) {
    std::string input = "<r>";
    for (int i = 0; i < 5000; ++i)
        input += "<i n=\"" + std::to_string(i) + "\"/>";
    input += "</r>";
    CXmlReader reader;
    ASSERT_TRUE(Parse(reader, input));
    ASSERT_EQ(reader.GetNodeCount(), 5002u);
    reader.BuildIndex(5001);
    EXPECT_STREQ(reader.GetAttributeValue(0), L"4999");
    EXPECT_EQ(reader.GetNode(5001).parent, 1u);
}

// Every prefix of a real markup file must parse or fail with a message; none may crash or over-read.
TEST(XmlReader, EveryTruncatedPrefixOfAMarkupFileIsHandled) {
    std::string file =
        oc::test::ReadBytes(oc::test::SourceDir() / "fuzz" / "corpus" / "xml_reader_fuzzer" / "markup-MainWindow.lyt");
    ASSERT_GT(file.size(), 500u);
    std::size_t succeeded = 0;
    for (std::size_t length = 0; length <= file.size(); ++length) {
        CXmlReader reader;
        if (Parse(reader, file.substr(0, length)))
            ++succeeded;
        else
            ASSERT_NE(reader.GetErrorMessage()[0], L'\0') << length;
    }
    EXPECT_GT(succeeded, 0u);
    CXmlReader whole;
    EXPECT_TRUE(Parse(whole, file));
}

// The seed files are the formats the program reads: each parses. Inputs the fuzzers once crashed on
// (regression-*) must be handled without a crash.
TEST(XmlReader, ParsesEverySeedOfTheFuzzCorpora) {
    int seeds = 0;
    for (const char* target : {"xml_reader_fuzzer", "profile_roundtrip_fuzzer", "lyt_parser_fuzzer"}) {
        auto folder = oc::test::SourceDir() / "fuzz" / "corpus" / target;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            std::string name = entry.path().filename().string();
            CXmlReader reader;
            bool ok = Parse(reader, oc::test::ReadBytes(entry.path()));
            if (name.rfind("regression-", 0) == 0)
                continue;
            EXPECT_TRUE(ok) << name << ": " << oc::test::Utf8(reader.GetErrorMessage());
            EXPECT_TRUE(reader.HasRoot()) << name;
            ++seeds;
        }
    }
    EXPECT_GE(seeds, 12);
}

class XmlReaderFile : public testing::Test {
protected:
    std::wstring Write(const char* name, const std::string& bytes) {
        WriteBytes(m_dir / name, bytes);
        return WidePath(m_dir / name);
    }
    TempDir m_dir;
};

TEST_F(XmlReaderFile, LoadsAFileWithOrWithoutByteOrderMark) {
    CXmlReader reader;
    std::wstring path = Write("plain.xml", "<a k=\"v\">t</a>");
    ASSERT_TRUE(reader.LoadFile(path.c_str()));
    EXPECT_EQ(Dump(reader), L"a[k=v]\"t\"");
    EXPECT_EQ(reader.GetFileName(), path);
    ASSERT_TRUE(reader.LoadFile(Write("bom.xml", "\xEF\xBB\xBF<a k=\"v\">t</a>").c_str()));
    EXPECT_EQ(Dump(reader), L"a[k=v]\"t\"");
}

TEST_F(XmlReaderFile, SizeLimitsAndMissingFiles) {
    std::string exact = "<a>" + std::string(CXmlReader::kMaxFileSize - 7, 'x') + "</a>";
    ASSERT_EQ(exact.size(), 4194304u);
    CXmlReader reader;
    EXPECT_TRUE(reader.LoadFile(Write("exact.xml", exact).c_str()));
    EXPECT_EQ(std::wcslen(reader.GetText(1)), CXmlReader::kMaxFileSize - 7);

    struct Case {
        std::wstring path;
        const wchar_t* error;
    };
    const Case cases[] = {
        {Write("over.xml", exact + " "), L"File too large"},
        {Write("empty.xml", ""), L"File is empty"},
        {WidePath(m_dir / "missing.xml"), L"Error opening file"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(reader.LoadFile(c.path.c_str()));
        EXPECT_STREQ(reader.GetErrorMessage(), c.error);
        EXPECT_STREQ(reader.GetErrorContext(), L"");
        EXPECT_EQ(reader.GetNodeCount(), 0u);
    }
}

TEST_F(XmlReaderFile, AFileAbove4GiBIsNotReadAsASmallOne) {
    // A sparse file: its low 32 bits of size are 5, which a 32-bit size would take for a tiny file.
    auto path = m_dir / "huge.xml";
    WriteBytes(path, "");
    std::error_code error;
    std::filesystem::resize_file(path, (std::uint64_t{1} << 32) + 5, error);
    if (error)
        GTEST_SKIP() << "no sparse files here: " << error.message();
    CXmlReader reader;
    EXPECT_FALSE(reader.LoadFile(WidePath(path).c_str()));
    EXPECT_STREQ(reader.GetErrorMessage(), L"File too large");
}

} // namespace
