// The store of the virtual properties: rows per endpoint, positional balance names, the document.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <fstream>
#include <map>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "TestPaths.h"
#include "driver/DeviceInfoSetting.h"
#include "driver/PropertyValue.h"
#include "markup/IXmlObject.h"

namespace {

class DeviceInfoSettingTest : public ::testing::Test {
protected:
    oc::test::TempDir m_dir;
    CDeviceInfoSetting m_store{m_dir.Path().wstring() + L"\\"};

    int32_t Write(int32_t code, const wchar_t* name, const void* value, int32_t type, uint32_t size) {
        alignas(8) uint8_t buffer[kPropertyBufferBytes] = {};
        if (type == kValueText)
            wcsncpy(reinterpret_cast<wchar_t*>(buffer), static_cast<const wchar_t*>(value), kPropertyBufferChars - 1);
        else
            std::memcpy(buffer, value, size);
        return m_store.VirtualPropertyControl(code, name, buffer, sizeof(buffer), type, size, nullptr, 0, 0, true);
    }
    int32_t WriteInt(int32_t code, const wchar_t* name, int32_t value) {
        return Write(code, name, &value, kValueUInt, 4);
    }
    std::filesystem::path ProfilePath() const { return m_dir / "Profile.xml"; }
    std::string ReadProfile() const {
        std::ifstream file(ProfilePath(), std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    void WriteProfile(const std::string& text) const {
        std::ofstream file(ProfilePath(), std::ios::binary | std::ios::trunc);
        file << text;
    }
    // The stored text, or "<-1>" when the endpoint has no such record.
    std::wstring Read(int32_t code, const wchar_t* name) {
        alignas(8) uint8_t buffer[kPropertyBufferBytes] = {};
        if (m_store.VirtualPropertyControl(code, name, buffer, sizeof(buffer), kValueText, 0, nullptr, 0, 0, false) !=
            0)
            return L"<-1>";
        return reinterpret_cast<const wchar_t*>(buffer);
    }
};

TEST_F(DeviceInfoSettingTest, RowsAnswerPerEndpoint) {
    struct Case {
        int32_t code;
        const wchar_t* name;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {7, L"__Manual", L"0"},     {2, L"__Manual", L"<-1>"},    {9, L"__AABalance", L"<-1>"},
        {9, L"__Balance", L"1"},    {2, L"__AABalance", L"1"},    {1, L"__FrontBalance", L"1"},
        {1, L"__Clockwise", L"0"},  {12, L"__SideBalance", L"1"}, {4, L"__WiseArround", L"0"},
        {1, L"__Balance", L"<-1>"}, {5, L"__Balance", L"<-1>"},   {104, L"__Balance", L"1"},
        {11, L"__Balance", L"1"},   {10, L"__AABalance", L"1"},   {3, L"__FrontBalance", L"<-1>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.code, c.name), c.expected) << c.code << " " << std::wstring(c.name).c_str();
}

TEST_F(DeviceInfoSettingTest, WritesStoreTextAndShareTheSpeakerRows) {
    EXPECT_EQ(WriteInt(4, L"__Balance", 50), 0);
    EXPECT_EQ(Read(4, L"__Balance"), L"50");

    const float half = 0.5f;
    EXPECT_EQ(Write(12, L"__FrontBalance", &half, kValueFloat, 4), 0);
    EXPECT_EQ(Read(1, L"__FrontBalance"), L"0.500000");
    EXPECT_EQ(WriteInt(1, L"__Clockwise", 1), 0);
    EXPECT_EQ(Read(12, L"__Clockwise"), L"1");

    EXPECT_EQ(WriteInt(2, L"__AABalance", -30), 0);
    EXPECT_EQ(Read(2, L"__AABalance"), L"-30");
    EXPECT_EQ(Read(10, L"__AABalance"), L"1"); // DesktopMic keeps its own

    EXPECT_EQ(WriteInt(9, L"__AABalance", 3), -1);
    EXPECT_EQ(WriteInt(5, L"__Balance", 3), -1);

    const int32_t block[3] = {1, 2, 3};
    EXPECT_EQ(Write(4, L"__Balance", block, kValueBlock, 12), -1); // a raw block has no text to keep
    EXPECT_EQ(Read(4, L"__Balance"), L"50");
}

TEST_F(DeviceInfoSettingTest, TextValuesAreKeptUpTo255Characters) {
    const std::wstring text(300, L't');
    ASSERT_EQ(Write(7, L"__Balance", text.c_str(), kValueText, 1000), 0);
    EXPECT_EQ(Read(7, L"__Balance"), std::wstring(255, L't'));
}

TEST_F(DeviceInfoSettingTest, ReadIsBoundedByTheBuffer) {
    const std::wstring text(200, L'v');
    ASSERT_EQ(Write(7, L"__Balance", text.c_str(), kValueText, 402), 0);
    wchar_t small[8];
    std::wmemset(small, L'#', 8);
    ASSERT_EQ(m_store.VirtualPropertyControl(7, L"__Balance", small, 5 * sizeof(wchar_t), kValueText, 0, nullptr, 0, 0,
                                             false),
              0);
    EXPECT_EQ(std::wstring(small), L"vvvv");
    EXPECT_EQ(small[5], L'#');
}

TEST_F(DeviceInfoSettingTest, DocumentFollowsTheKindTable) {
    EXPECT_EQ(WriteInt(4, L"__Balance", 42), 0);
    const ProfileRoot root = m_store.GetDocument();
    EXPECT_EQ(root.Name, L"Backup");
    ASSERT_EQ(root.Endpoints.size(), 12u);

    struct Expected {
        const wchar_t* name;
        const wchar_t* flow;
        std::vector<std::wstring> effects;
    };
    const Expected expected[] = {
        {L"SpeakersQuarter", L"Out", {L"SpeakerQuarterVolume", L"VirtualSpeakerQuarter"}},
        {L"Speakers", L"Out", {L"SpeakerVolume", L"VirtualSpeaker"}},
        {L"SPDIF", L"Out", {L"SPDIFOutVolume", L"SPDIFOutVirtual"}},
        {L"Mic", L"In", {L"MicInVolume"}},
        {L"DesktopMic", L"In", {L"DesktopMicVolume"}},
        {L"Line", L"In", {L"LineInVolume"}},
        {L"SPDIF", L"In", {L"SPDIFInVolume"}},
        {L"Headphone", L"Out", {L"HeadphoneVolume", L"HeadphoneVirtual"}},
        {L"StereoMix", L"In", {L"StereoMixVolume"}},
        {L"Aux", L"Out", {}},
        {L"CDPlayer", L"Out", {}},
        {L"HDMI", L"Out", {L"HDMIVolume"}},
    };
    for (size_t i = 0; i < std::size(expected); ++i) {
        const ProfileEndpoint& endpoint = root.Endpoints[i];
        EXPECT_EQ(endpoint.Name, expected[i].name);
        EXPECT_EQ(endpoint.DataFlow, expected[i].flow);
        std::vector<std::wstring> effects;
        for (const ProfileApoEffect& effect : endpoint.Effects)
            effects.push_back(effect.Name);
        EXPECT_EQ(effects, expected[i].effects) << i;
    }

    const ProfileApoEffect& spdifOut = root.Endpoints[2].Effects[0];
    ASSERT_EQ(spdifOut.Properties.size(), 1u);
    const ProfileProperty& balance = spdifOut.Properties[0];
    EXPECT_EQ(balance.UIName, L"__Balance");
    EXPECT_EQ(balance.Value, L"42");
    EXPECT_EQ(balance.ValueType, L"System.Boolean");
    EXPECT_TRUE(balance.Name.empty() && balance.Args.empty() && balance.ArgsType.empty());

    const ProfileApoEffect& quarterRotation = root.Endpoints[0].Effects[1];
    ASSERT_EQ(quarterRotation.Properties.size(), 4u);
    EXPECT_EQ(quarterRotation.Properties[3].UIName, L"__Manual");
}

TEST_F(DeviceInfoSettingTest, SavedFileHoldsTheDocumentAndEveryWrite) {
    ASSERT_NE(m_store.SaveProfileXml(), 0);
    const std::string defaults = ReadProfile();
    EXPECT_EQ(defaults.rfind("<Profile Name=\"Backup\">\n  <Endpoint Name=\"SpeakersQuarter\" DataFlow=\"Out\">\n"
                             "    <ApoEffect Name=\"SpeakerQuarterVolume\">\n"
                             "      <Property Name=\"\" Value=\"1\" UIName=\"__FrontBalance\" "
                             "ValueType=\"System.Boolean\" Args=\"\" ArgsType=\"\" />\n",
                             0),
              0u)
        << defaults;
    EXPECT_NE(defaults.find("  <Endpoint Name=\"Aux\" DataFlow=\"Out\" />\n"), std::string::npos);
    EXPECT_EQ(defaults.find("SPDIFInRCAVolume"), std::string::npos);

    ASSERT_EQ(WriteInt(4, L"__Balance", 50), 0);
    const std::string saved = ReadProfile();
    const size_t spdifOut = saved.find("<Endpoint Name=\"SPDIF\" DataFlow=\"Out\">");
    const size_t next = saved.find("<Endpoint", spdifOut + 1);
    ASSERT_NE(spdifOut, std::string::npos);
    const std::string section = saved.substr(spdifOut, next - spdifOut);
    EXPECT_NE(section.find("Value=\"50\" UIName=\"__Balance\""), std::string::npos) << section;
}

TEST_F(DeviceInfoSettingTest, LoadTakesValuesByEffectNameAndUIName) {
    WriteProfile("<Profile Name=\"Mine\">\n"
                 "  <Endpoint Name=\"HDMI\" DataFlow=\"Out\">\n"
                 "    <ApoEffect Name=\"MicInVolume\">\n"
                 "      <Property UIName=\"__AABalance\" Value=\"-7\" />\n"
                 "      <Property Value=\"9\" />\n"
                 "      <Property UIName=\"__Unknown\" Value=\"9\" />\n"
                 "      <Property UIName=\"__Balance\" />\n"
                 "    </ApoEffect>\n"
                 "    <ApoEffect Name=\"NoSuchEffect\">\n"
                 "      <Property UIName=\"__Balance\" Value=\"9\" />\n"
                 "    </ApoEffect>\n"
                 "    <ApoEffect Name=\"VirtualSpeakerQuarter\">\n"
                 "      <Property UIName=\"__Clockwise\" Value=\"1\" />\n"
                 "    </ApoEffect>\n"
                 "    <ApoEffect Name=\"HeadphoneVolume\">\n"
                 "      <Property UIName=\"__Balance\" Value=\"3\" />\n"
                 "    </ApoEffect>\n"
                 "    <ApoEffect Name=\"HeadphoneVolume\">\n"
                 "      <Property UIName=\"__Balance\" Value=\"4\" />\n"
                 "    </ApoEffect>\n"
                 "  </Endpoint>\n"
                 "</Profile>\n");
    ASSERT_NE(m_store.LoadProfileXml(), 0);
    EXPECT_EQ(Read(2, L"__AABalance"), L"-7");
    EXPECT_EQ(Read(2, L"__Balance"), L"1");
    EXPECT_EQ(Read(9, L"__Balance"), L"1");
    EXPECT_EQ(Read(1, L"__Clockwise"), L"1");
    EXPECT_EQ(Read(7, L"__Balance"), L"4"); // an effect named twice: the later values stay
    EXPECT_EQ(m_store.GetDocument().Name, L"Backup");
}

// A document node that may answer no child at an index it counts, as a document from elsewhere may.
class GappyNode : public IXmlObject {
public:
    GappyNode(std::map<std::wstring, std::wstring> attributes, std::vector<IXmlObject*> children)
        : m_attributes(std::move(attributes)), m_children(std::move(children)) {}
    int SetName(const wchar_t*, IXmlObject*) override { return 0; }
    int Release() override { return 1; } // the test owns every node
    int AddChild(IXmlObject*) override { return 0; }
    int SetAttribute(const wchar_t*, const wchar_t*) override { return 1; }
    int OnEndElement() override { return 0; }
    std::wstring GetName() const override { return L"Node"; }
    std::wstring GetText() const override { return {}; }
    int SetText(const wchar_t*) override { return 0; }
    std::uint32_t GetChildCount() const override { return static_cast<std::uint32_t>(m_children.size()); }
    IXmlObject* GetParent() const override { return nullptr; }
    std::uint32_t GetDepth() const override { return 0; }
    IXmlObject* GetChild(std::uint32_t index) const override {
        return index < m_children.size() ? m_children[index] : nullptr;
    }
    std::uint32_t GetAttributeCount() const override { return static_cast<std::uint32_t>(m_attributes.size()); }
    int GetAttributeAt(std::wstring&, std::wstring&, std::uint32_t) const override { return 0; }
    int GetAttribute(const wchar_t* name, std::wstring& value) const override {
        auto it = m_attributes.find(name);
        value = it == m_attributes.end() ? std::wstring() : it->second;
        return it != m_attributes.end();
    }

private:
    std::map<std::wstring, std::wstring> m_attributes;
    std::vector<IXmlObject*> m_children;
};

TEST_F(DeviceInfoSettingTest, LoadSkipsChildrenTheDocumentCannotGive) {
    GappyNode balance({{L"UIName", L"__Balance"}, {L"Value", L"5"}}, {});
    GappyNode effect({{L"Name", L"HeadphoneVolume"}}, {nullptr, &balance});
    GappyNode endpoint({{L"Name", L"HeadPhone"}}, {nullptr, &effect, nullptr});
    GappyNode root({{L"Name", L"Mine"}}, {nullptr, &endpoint});
    m_store.OnProfileLoaded(&root);
    EXPECT_EQ(Read(7, L"__Balance"), L"5");
}

TEST_F(DeviceInfoSettingTest, LoadOfAnEmptyRootKeepsDefaultsAndTheFile) {
    const std::string empty = "<Profile Name=\"Empty\" >\n</Profile>\n";
    WriteProfile(empty);
    EXPECT_NE(m_store.LoadProfileXml(), 0);
    EXPECT_EQ(Read(4, L"__Balance"), L"1");
    EXPECT_EQ(ReadProfile(), empty);
    EXPECT_EQ(m_store.GetDocument().Endpoints.size(), 12u);
}

TEST_F(DeviceInfoSettingTest, LoadOfAMissingOrMalformedFileFails) {
    EXPECT_EQ(m_store.LoadProfileXml(), 0);
    WriteProfile("<Profile Name=\"Broken\"><Endpoint");
    EXPECT_EQ(m_store.LoadProfileXml(), 0);
    EXPECT_EQ(Read(4, L"__Balance"), L"1");
}

// Start-up never overwrites a Profile.xml it could not read: the file moves aside, then the defaults are
// written. A file that reads, however large or deep, or none at all, leaves nothing beside.
TEST_F(DeviceInfoSettingTest, StartupMovesAnUnreadableFileAsideBeforeWritingTheDefaults) {
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    const std::string stored =
        "<Profile Name=\"Backup\"><Endpoint Name=\"SPDIF\" DataFlow=\"Out\"><ApoEffect Name=\"SPDIFOutVolume\">"
        "<Property UIName=\"__Balance\" Value=\"7\" /></ApoEffect></Endpoint></Profile>";
    // Well-formed, with what the program does not know: 50 MB of it, or 100,000 levels of it.
    const size_t rootEnd = stored.find('>') + 1;
    std::string huge = stored.substr(0, rootEnd) + "<Notes>";
    huge += std::string(50u << 20, 'n');
    huge += "</Notes>" + stored.substr(rootEnd);
    std::string deepWellFormed = stored.substr(0, rootEnd);
    for (int i = 0; i < 100000; ++i)
        deepWellFormed += "<a>";
    for (int i = 0; i < 100000; ++i)
        deepWellFormed += "</a>";
    deepWellFormed += stored.substr(rootEnd);
    struct Case {
        const char* name;
        std::optional<std::string> file; // none: no file at all
        bool movedAside;
        const wchar_t* balance; // SPDIF out balance after start-up
    };
    const Case cases[] = {
        {"missing", std::nullopt, false, L"1"},
        {"readable", stored, false, L"7"},
        {"empty", "", true, L"1"},
        {"truncated", stored.substr(0, stored.size() / 2), true, L"1"},
        {"garbage", std::string("\x00\xff\x13<<>>&&;", 11), true, L"1"},
        {"50 MB", huge, false, L"7"},
        {"100,000 levels deep, well-formed", deepWellFormed, false, L"7"},
        {"100,000 levels deep, never closed", deep, true, L"1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(ProfilePath());
        std::filesystem::remove(m_dir / "Profile.xml.bad");
        if (c.file)
            WriteProfile(*c.file);
        CDeviceInfoSetting store(m_dir.Path().wstring() + L"\\");
        store.LoadOrReplaceProfileXml();
        EXPECT_EQ(std::filesystem::exists(m_dir / "Profile.xml.bad"), c.movedAside);
        if (c.movedAside) {
            std::ifstream kept(m_dir / "Profile.xml.bad", std::ios::binary);
            EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(kept), {}) == *c.file);
        }
        if (c.file && !c.movedAside) {
            EXPECT_EQ(ReadProfile(), *c.file) << "a file that reads is not rewritten at start-up";
        }
        // What start-up leaves in place reads back.
        CDeviceInfoSetting again(m_dir.Path().wstring() + L"\\");
        EXPECT_NE(again.LoadProfileXml(), 0);
        alignas(8) uint8_t buffer[kPropertyBufferBytes] = {};
        ASSERT_EQ(again.VirtualPropertyControl(4, L"__Balance", buffer, sizeof(buffer), kValueText, 0, nullptr, 0, 0,
                                               false),
                  0);
        EXPECT_STREQ(reinterpret_cast<const wchar_t*>(buffer), c.balance);
    }
}

// A Profile.xml that can be neither read nor moved aside stays as it is for the whole run: the values live
// in memory only, and no write of a virtual property replaces the file.
TEST_F(DeviceInfoSettingTest, AnUnreadableFileThatCannotBeKeptIsNeverWritten) {
    const std::string unreadable = "<Profile Name=\"Backup\"><Endpoint";
    WriteProfile(unreadable);
    {
        // Held open without leave to delete or write: it reads, but it cannot be moved.
        HANDLE held = ::CreateFileW(ProfilePath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        m_store.LoadOrReplaceProfileXml();
        ::CloseHandle(held);
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir / "Profile.xml.bad"));
    EXPECT_EQ(WriteInt(2, L"__Balance", 5), 0);
    EXPECT_EQ(Read(2, L"__Balance"), L"5");
    EXPECT_EQ(ReadProfile(), unreadable);
    EXPECT_EQ(m_store.SaveProfileXml(), 0);
    EXPECT_EQ(ReadProfile(), unreadable);
}

} // namespace
