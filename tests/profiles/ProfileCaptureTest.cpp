#include <gtest/gtest.h>

#include <filesystem>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "FakeProfileDriver.h"
#include "TestPaths.h"
#include "markup/IProfileController.h"
#include "profiles/ControlPropertyTable.h"
#include "profiles/ProfileCapture.h"

namespace {

using oc::test::FakeProfileDriver;
using oc::test::TempDir;
using Attributes = std::vector<std::pair<std::wstring, std::wstring>>;

// Reads a document back the way the profile list and apply do: through the program's controller.
class DocumentReader : public IProfileControllerListener {
public:
    XmlObjectPtr Load(const std::filesystem::path& path) {
        m_root.reset();
        GetProfileController()->SetListener(this);
        GetProfileController()->Load(path.wstring().c_str());
        GetProfileController()->SetListener(nullptr);
        return std::move(m_root);
    }
    void OnProfileLoaded(IXmlObject* root) override { m_root.reset(root); }
    void OnProfileError(const wchar_t*) override {}

private:
    XmlObjectPtr m_root;
};

Attributes AttributesOf(const IXmlObject* element) {
    Attributes result;
    for (uint32_t i = 0; i < element->GetAttributeCount(); ++i) {
        std::wstring name;
        std::wstring value;
        element->GetAttributeAt(name, value, i);
        result.emplace_back(name, value);
    }
    return result;
}

std::wstring Attribute(const IXmlObject* element, const wchar_t* name) {
    std::wstring value;
    element->GetAttribute(name, value);
    return value;
}

std::vector<const IXmlObject*> Children(const IXmlObject* element) {
    std::vector<const IXmlObject*> children;
    for (uint32_t i = 0; i < element->GetChildCount(); ++i)
        children.push_back(element->GetChild(i));
    return children;
}

// The "Property" elements of one page, in document order, by their Name (or UIName for "__" values).
std::vector<std::wstring> PropertyKeys(const IXmlObject* effect) {
    std::vector<std::wstring> keys;
    for (const IXmlObject* property : Children(effect)) {
        const std::wstring name = Attribute(property, L"Name");
        keys.push_back(name.empty() ? Attribute(property, L"UIName") : name);
    }
    return keys;
}

const IXmlObject* FindEffect(const IXmlObject* endpoint, const std::wstring& name) {
    for (const IXmlObject* effect : Children(endpoint)) {
        if (Attribute(effect, L"Name") == name)
            return effect;
    }
    return nullptr;
}

const IXmlObject* FindProperty(const IXmlObject* effect, const std::wstring& key) {
    for (const IXmlObject* property : Children(effect)) {
        if (Attribute(property, L"Name") == key || Attribute(property, L"UIName") == key)
            return property;
    }
    return nullptr;
}

class ProfileCaptureTest : public testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* page : {L"Vol", L"Setting", L"HWEQ", L"SamplingRate", L"EQ", L"Virtual",
                                    L"VimoSurroundHeadPhone", L"VimoSurroundSpeakers", L"Subroute"}) {
            m_driver.Support(std::wstring(L"Speaker") + page);
            m_driver.Support(std::wstring(L"HeadPhone") + page);
        }
        // Every setting of the two endpoints answers, the row index as its value, unless a test says else.
        for (int32_t row = 0; row < 118; ++row) {
            m_driver.SetValue(kEndpointSpeaker, g_ControlPropertyTable[row].Key, row);
            m_driver.SetValue(kEndpointHeadPhone, g_ControlPropertyTable[row].Key, row);
        }
        m_driver.SetValue(kEndpointSpeaker, L"HWEQBassControl", 2.5);
        m_driver.SetValue(kEndpointSpeaker, L"HWEQTrebleControl", 3);
        m_driver.SetValue(kEndpointSpeaker, L"EQ_Slider3", -4);
        m_driver.SetValue(kEndpointSpeaker, L"DevChannelNumControl", 8);
    }

    XmlObjectPtr CaptureAndReload() {
        {
            CProfileCapture capture(m_driver, *GetProfileController());
            EXPECT_NE(capture.WriteProfileObject(Path().wstring()), 0);
        }
        return DocumentReader().Load(Path());
    }
    // The document's only endpoint; fails the test when there is not exactly one.
    const IXmlObject* OnlyEndpoint(const XmlObjectPtr& root) {
        EXPECT_EQ(root->GetChildCount(), 1u);
        return root->GetChildCount() == 1 ? root->GetChild(0) : nullptr;
    }
    std::filesystem::path Path() const { return m_dir / "Rock.profile"; }

    TempDir m_dir;
    FakeProfileDriver m_driver;
};

TEST_F(ProfileCaptureTest, CapturesTheSupportedPagesOfTheSpeakerInTableOrder) {
    XmlObjectPtr root = CaptureAndReload();
    ASSERT_TRUE(root);
    EXPECT_EQ(root->GetName(), L"Profile");
    EXPECT_EQ(AttributesOf(root.get()), (Attributes{{L"Name", L"UserDefine"}}));
    const IXmlObject* endpoint = OnlyEndpoint(root);
    ASSERT_TRUE(endpoint);
    EXPECT_EQ(endpoint->GetName(), L"Endpoint");
    EXPECT_EQ(AttributesOf(endpoint), (Attributes{{L"Name", L"Speakers"}, {L"DataFlow", L"Out"}}));

    std::vector<std::wstring> pages;
    for (const IXmlObject* effect : Children(endpoint)) {
        EXPECT_EQ(effect->GetName(), L"ApoEffect");
        pages.push_back(Attribute(effect, L"Name"));
    }
    EXPECT_EQ(pages,
              (std::vector<std::wstring>{L"SpeakerVol", L"SpeakerSetting", L"SpeakerHWEQ", L"SpeakerSamplingRate",
                                         L"SpeakerEQ", L"SpeakerVirtual", L"SpeakerSubroute",
                                         L"SpeakerVimoSurroundHeadPhone", L"SpeakerVimoSurroundSpeakers"}));

    // Volume, mute and balance stay with the listener; "AGCControl" is a page switch like any other.
    EXPECT_EQ(PropertyKeys(FindEffect(endpoint, L"SpeakerVol")),
              (std::vector<std::wstring>{L"Enable_SMART_VOLUME_GFX", L"EXControl", L"AGCControl"}));
    // Switches shared between pages are captured once per page.
    EXPECT_EQ(PropertyKeys(FindEffect(endpoint, L"SpeakerVimoSurroundSpeakers")),
              (std::vector<std::wstring>{L"Enable_KESTAL_HPSPK_LFX", L"KESTAL_HPSPK_USEHP", L"KESTAL_HPSPK_SFX",
                                         L"KESTAL_HPSPK_SPKANGLE", L"Enable_Channel_COPY_LFX"}));
    int channelCopies = 0;
    for (const IXmlObject* effect : Children(endpoint))
        channelCopies += FindProperty(effect, L"Enable_Channel_COPY_LFX") ? 1 : 0;
    EXPECT_EQ(channelCopies, 4);
    EXPECT_EQ(Children(FindEffect(endpoint, L"SpeakerEQ")).size(), 11u);
}

TEST_F(ProfileCaptureTest, EachKindOfSettingIsWrittenInItsOwnForm) {
    XmlObjectPtr root = CaptureAndReload();
    ASSERT_TRUE(root);
    const IXmlObject* endpoint = OnlyEndpoint(root);
    ASSERT_TRUE(endpoint);
    const struct {
        const wchar_t* page;
        const wchar_t* key;
        Attributes attributes;
    } cases[] = {
        {L"SpeakerHWEQ",
         L"HWEQBassControl",
         {{L"Name", L"HWEQBassControl"},
          {L"Value", L"2.500000"},
          {L"UIName", L""},
          {L"ValueType", L""},
          {L"Args", L"0"},
          {L"ArgsType", L""}}},
        {L"SpeakerHWEQ",
         L"HWEQTrebleControl",
         {{L"Name", L"HWEQTrebleControl"},
          {L"Value", L"3.000000"},
          {L"UIName", L""},
          {L"ValueType", L""},
          {L"Args", L"0"},
          {L"ArgsType", L""}}},
        {L"SpeakerEQ",
         L"EQ_Slider3",
         {{L"Name", L"EQ_Slider3"},
          {L"Value", L"-4"},
          {L"UIName", L""},
          {L"ValueType", L""},
          {L"Args", L""},
          {L"ArgsType", L""}}},
        // A 16-bit row travels as a plain integer.
        {L"SpeakerSetting",
         L"DevChannelNumControl",
         {{L"Name", L"DevChannelNumControl"},
          {L"Value", L"8"},
          {L"UIName", L""},
          {L"ValueType", L""},
          {L"Args", L""},
          {L"ArgsType", L""}}},
        {L"SpeakerVirtual",
         L"__Manual",
         {{L"Name", L""},
          {L"Value", L"58"},
          {L"UIName", L"__Manual"},
          {L"ValueType", L""},
          {L"Args", L""},
          {L"ArgsType", L""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.key);
        const IXmlObject* effect = FindEffect(endpoint, c.page);
        ASSERT_TRUE(effect);
        const IXmlObject* property = FindProperty(effect, c.key);
        ASSERT_TRUE(property);
        EXPECT_EQ(property->GetName(), L"Property");
        EXPECT_EQ(AttributesOf(property), c.attributes);
    }
}

TEST_F(ProfileCaptureTest, ReadsGoLiveToTheDeviceAndRefreshTheCache) {
    CProfileCapture capture(m_driver, *GetProfileController());
    ASSERT_NE(capture.WriteProfileObject(Path().wstring()), 0);
    ASSERT_FALSE(m_driver.m_reads.empty());
    for (const auto& read : m_driver.m_reads) {
        SCOPED_TRACE(testing::Message() << read.name);
        EXPECT_EQ(read.code, kEndpointSpeaker);
        EXPECT_TRUE(read.storeInCache);
        EXPECT_FALSE(read.fromCache);
        const bool isFloat = read.name == L"HWEQBassControl" || read.name == L"HWEQTrebleControl";
        EXPECT_EQ(read.valueType, isFloat ? 2 : 0);
        EXPECT_EQ(read.hasArguments, isFloat);
        EXPECT_EQ(read.argument, 0);
        EXPECT_FALSE(CProfileCapture::IsExcludedKey(read.name.c_str()));
        // Pages the device lacks are never read.
        EXPECT_NE(read.name, L"Enable_SURRSENS_LFX");
    }
}

TEST_F(ProfileCaptureTest, TheHeadphoneKeepsItsOwnRowsOnly) {
    m_driver.m_defaultRender = kEndpointHeadPhone;
    XmlObjectPtr root = CaptureAndReload();
    ASSERT_TRUE(root);
    const IXmlObject* endpoint = OnlyEndpoint(root);
    ASSERT_TRUE(endpoint);
    EXPECT_EQ(AttributesOf(endpoint), (Attributes{{L"Name", L"Headphone"}, {L"DataFlow", L"Out"}}));
    // The bass management page exists only on the speakers; "__Balance" is a balance all the same.
    EXPECT_FALSE(FindEffect(endpoint, L"HeadPhoneSubroute"));
    const IXmlObject* volume = FindEffect(endpoint, L"HeadPhoneVol");
    ASSERT_TRUE(volume);
    EXPECT_FALSE(FindProperty(volume, L"__Balance"));
    EXPECT_EQ(PropertyKeys(FindEffect(endpoint, L"HeadPhoneSetting")),
              (std::vector<std::wstring>{L"DevChannelNumControl"}));
}

TEST_F(ProfileCaptureTest, FailedReadsLeaveTheSettingOutAndThePageInPlace) {
    for (int i = 1; i <= 10; ++i)
        m_driver.m_unreadable.insert({kEndpointSpeaker, L"EQ_Slider" + std::to_wstring(i)});
    m_driver.m_unreadable.insert({kEndpointSpeaker, L"Enable_EQ_GFX"});
    m_driver.m_unreadable.insert({kEndpointSpeaker, L"EXControl"});
    XmlObjectPtr root = CaptureAndReload();
    ASSERT_TRUE(root);
    const IXmlObject* endpoint = OnlyEndpoint(root);
    ASSERT_TRUE(endpoint);
    const IXmlObject* equalizer = FindEffect(endpoint, L"SpeakerEQ");
    ASSERT_TRUE(equalizer);
    EXPECT_EQ(equalizer->GetChildCount(), 0u);
    EXPECT_EQ(PropertyKeys(FindEffect(endpoint, L"SpeakerVol")),
              (std::vector<std::wstring>{L"Enable_SMART_VOLUME_GFX", L"AGCControl"}));
}

TEST_F(ProfileCaptureTest, WithoutAFullySupportedDefaultRenderDeviceOnlyTheRootIsWritten) {
    const struct {
        int32_t defaultRender;
        uint32_t kind;
    } cases[] = {{-1, 1}, {kEndpointSpeaker, 0}, {kEndpointSpeaker, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.defaultRender << " kind " << c.kind);
        m_driver.m_defaultRender = c.defaultRender;
        m_driver.m_deviceKind = c.kind;
        m_driver.m_reads.clear();
        XmlObjectPtr root = CaptureAndReload();
        ASSERT_TRUE(root);
        EXPECT_EQ(AttributesOf(root.get()), (Attributes{{L"Name", L"UserDefine"}}));
        EXPECT_EQ(root->GetChildCount(), 0u);
        EXPECT_TRUE(m_driver.m_reads.empty());
    }
}

TEST_F(ProfileCaptureTest, HdmiIsCapturedUnderItsOwnNamesWithTheSpeakerRows) {
    m_driver.m_defaultRender = kEndpointHDMI;
    m_driver.Support(L"HDMIEQ");
    m_driver.SetValue(kEndpointHDMI, L"Enable_EQ_GFX", 1);
    m_driver.SetValue(kEndpointHDMI, L"EQ_Slider1", 6);
    XmlObjectPtr root = CaptureAndReload();
    ASSERT_TRUE(root);
    const IXmlObject* endpoint = OnlyEndpoint(root);
    ASSERT_TRUE(endpoint);
    EXPECT_EQ(AttributesOf(endpoint), (Attributes{{L"Name", L"HDMI"}, {L"DataFlow", L"Out"}}));
    // The sliders the test gave no value are held at 0, as the device holds every setting of its page.
    EXPECT_EQ(PropertyKeys(FindEffect(endpoint, L"HDMIEQ")),
              (std::vector<std::wstring>{L"Enable_EQ_GFX", L"EQ_Slider1", L"EQ_Slider2", L"EQ_Slider3", L"EQ_Slider4",
                                         L"EQ_Slider5", L"EQ_Slider6", L"EQ_Slider7", L"EQ_Slider8", L"EQ_Slider9",
                                         L"EQ_Slider10"}));
    EXPECT_EQ(Attribute(FindProperty(FindEffect(endpoint, L"HDMIEQ"), L"EQ_Slider1"), L"Value"), L"6");
}

TEST_F(ProfileCaptureTest, BadArgumentsAddNothing) {
    CProfileCapture capture(m_driver, *GetProfileController());
    XmlObjectPtr effect(GetProfileController()->CreateObject(L"ApoEffect"));
    effect->SetName(L"ApoEffect", nullptr);
    EXPECT_EQ(capture.WritePropertyValue(kEndpointSpeaker, nullptr, 23, 0), -1);
    EXPECT_EQ(capture.WritePropertyValue(kEndpointSpeaker, effect.get(), -1, 0), -1);
    EXPECT_EQ(capture.WritePropertyValue(kEndpointSpeaker, effect.get(), kControlPropertyRowCount, 0), -1);
    m_driver.m_unknownKeyReadResult = 7;
    EXPECT_EQ(capture.WritePropertyValue(kEndpointLineIn, effect.get(), 23, 0), 7);
    EXPECT_EQ(effect->GetChildCount(), 0u);
    EXPECT_EQ(capture.WritePropertyValue(kEndpointSpeaker, effect.get(), 23, 0), 0);
    EXPECT_EQ(effect->GetChildCount(), 1u);

    CProfileCapture::FeatureMap features;
    XmlObjectPtr endpoint(GetProfileController()->CreateObject(L"Endpoint"));
    EXPECT_EQ(capture.CaptureApoEffects(nullptr, kEndpointSpeaker, 23, features), nullptr);
    EXPECT_EQ(capture.CaptureApoEffects(endpoint.get(), kEndpointSpeaker, 150, features), nullptr);
    // The same page answers with the same element.
    IXmlObject* first = capture.CaptureApoEffects(endpoint.get(), kEndpointSpeaker, 23, features);
    ASSERT_TRUE(first);
    EXPECT_EQ(capture.CaptureApoEffects(endpoint.get(), kEndpointSpeaker, 33, features), first);
    EXPECT_EQ(endpoint->GetChildCount(), 1u);

    m_driver.m_reads.clear();
    capture.CaptureEndpoints(nullptr);
    EXPECT_TRUE(m_driver.m_reads.empty());
    EXPECT_EQ(capture.WriteProfileObject(L""), 0);
}

TEST_F(ProfileCaptureTest, SavingReplacesAnOlderFileAndAFailedSaveLeavesNothing) {
    ASSERT_TRUE(CaptureAndReload());
    m_driver.SetValue(kEndpointSpeaker, L"EQ_Slider3", 9);
    XmlObjectPtr root = CaptureAndReload();
    ASSERT_TRUE(root);
    const IXmlObject* property = FindProperty(FindEffect(OnlyEndpoint(root), L"SpeakerEQ"), L"EQ_Slider3");
    ASSERT_TRUE(property);
    EXPECT_EQ(Attribute(property, L"Value"), L"9");

    // The writers never create the endpoint folder: a missing one is a failed save, not a stray file.
    const std::filesystem::path missing = m_dir / "NoFolder" / "Rock.profile";
    CProfileCapture capture(m_driver, *GetProfileController());
    EXPECT_EQ(capture.WriteProfileObject(missing.wstring()), 0);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "NoFolder"));
    const auto entries = std::distance(std::filesystem::directory_iterator(m_dir.Path()), {});
    EXPECT_EQ(entries, 1) << "no temporary file is left behind";
}

TEST_F(ProfileCaptureTest, TheControllerIsNotLeftListeningToAFreedCapture) {
    ASSERT_TRUE(CaptureAndReload());
    // Wipe the capture's memory after it ended, so that a call through a stale listener cannot pass unseen.
    alignas(CProfileCapture) unsigned char storage[sizeof(CProfileCapture)];
    auto* capture = new (storage) CProfileCapture(m_driver, *GetProfileController());
    capture->WriteProfileObject(Path().wstring());
    capture->~CProfileCapture();
    std::memset(storage, 0, sizeof storage);
    // With nobody listening the controller frees the document itself.
    EXPECT_NE(GetProfileController()->Load(Path().wstring().c_str()), 0);
}

} // namespace
