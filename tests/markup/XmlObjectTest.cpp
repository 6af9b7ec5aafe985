// The document tree: attribute order and replacement, look-ups, depth and release of whole trees.
#include <gtest/gtest.h>

#include "markup/ProfileObject.h"
#include "markup/XmlObject.h"

namespace {

// Counts its destructions so that a released tree shows each node freed exactly once (ASan catches twice).
class CountedObject : public CXmlObject {
public:
    explicit CountedObject(int& released) : m_released(released) {}

protected:
    ~CountedObject() override { ++m_released; }

private:
    int& m_released;
};

TEST(XmlObject, SettingAnAttributeAgainKeepsItsPositionAndTakesTheLastValue) {
    XmlObjectPtr object(new CXmlObject);
    EXPECT_EQ(object->SetAttribute(L"Name", L"a"), 1);
    EXPECT_EQ(object->SetAttribute(L"Value", L"1"), 1);
    EXPECT_EQ(object->SetAttribute(L"Name", L"b"), 1);
    ASSERT_EQ(object->GetAttributeCount(), 2u);
    std::wstring name, value;
    EXPECT_EQ(object->GetAttributeAt(name, value, 0), 1);
    EXPECT_EQ(name, L"Name");
    EXPECT_EQ(value, L"b");
    EXPECT_EQ(object->GetAttributeAt(name, value, 1), 1);
    EXPECT_EQ(name, L"Value");
    EXPECT_EQ(value, L"1");
    // Names compare exactly: a different case is a different attribute.
    object->SetAttribute(L"name", L"c");
    EXPECT_EQ(object->GetAttributeCount(), 3u);
}

TEST(XmlObject, LooksUpAttributesAndRefusesANullText) {
    XmlObjectPtr object(new CProfileObject);
    object->SetAttribute(L"UIName", L"__Balance");
    std::wstring value = L"stale";
    EXPECT_EQ(object->GetAttribute(L"UIName", value), 1);
    EXPECT_EQ(value, L"__Balance");
    EXPECT_EQ(object->GetAttribute(L"Missing", value), 0);
    EXPECT_EQ(value, L"");
    EXPECT_EQ(object->SetText(L"text"), 1);
    EXPECT_EQ(object->SetText(nullptr), 0);
    EXPECT_EQ(object->GetText(), L"text");
    EXPECT_EQ(object->GetChild(0), nullptr);
}

TEST(XmlObject, DepthCountsParentsAndReleaseFreesEveryNodeOnce) {
    int released = 0;
    IXmlObject* root = new CountedObject(released);
    EXPECT_EQ(root->SetName(L"Profile", nullptr), 0);
    IXmlObject* parent = root;
    for (int level = 1; level <= 3; ++level) {
        for (int i = 0; i < 2; ++i) {
            IXmlObject* child = new CountedObject(released);
            child->SetName(L"Item", parent);
            EXPECT_EQ(parent->AddChild(child), 1);
        }
        parent = parent->GetChild(1);
    }
    EXPECT_EQ(root->GetDepth(), 0u);
    EXPECT_EQ(root->GetChild(0)->GetDepth(), 1u);
    EXPECT_EQ(parent->GetDepth(), 3u);
    EXPECT_EQ(parent->GetParent()->GetParent()->GetParent(), root);
    EXPECT_EQ(root->AddChild(nullptr), 0);
    EXPECT_EQ(root->Release(), 1);
    EXPECT_EQ(released, 7);
}

} // namespace
