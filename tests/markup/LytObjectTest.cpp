// The markup object base against a recording control: the attributes every element shares, their value
// rules and clamps, contained setter failures, and freeing a markup tree.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LytFakes.h"
#include "markup/LytObject.h"

#ifdef _WIN32
#include "skin/SkinControlsException.h"
#endif

using namespace oc::test;

namespace {

class LytObjectTest : public testing::Test {
protected:
    void SetUp() override { environment.texts = {{L"ml_Known", L"Known text"}, {L"ml_Empty", L""}}; }

    // A fresh object over a fresh record; the record outlives the object.
    CountedObject* NewObject() {
        records.emplace_back();
        return new CountedObject(environment, &records.back());
    }

    FakeEnvironment environment;
    std::deque<ControlRecord> records;
};

TEST_F(LytObjectTest, CommonAttributesReachTheControlWithTheirValueRules) {
    struct Case {
        const wchar_t* name;
        const wchar_t* value;
        int dpi;
        int result;
        std::vector<std::wstring> calls;
    };
    const Case cases[] = {
        {L"Name", L"Volume", 96, 1, {L"SetName(Volume)"}},
        {L"Left", L"12px", 96, 1, {L"SetLeft(12)"}},
        {L"Top", L"-4", 96, 1, {L"SetTop(-4)"}},
        {L"Width", L"-5", 96, 1, {}},
        {L"Height", L"30", 96, 1, {L"SetHeight(30)"}},
        {L"Opacity", L"1.7", 96, 1, {L"SetTransparency(0)"}},
        {L"Opacity", L"-3", 96, 1, {L"SetTransparency(100)"}},
        {L"Opacity", L"0.25", 96, 1, {L"SetTransparency(75)"}},
        {L"Opacity", L"nan", 96, 1, {L"SetTransparency(100)"}},
        {L"Opacity", L"inf", 96, 1, {L"SetTransparency(0)"}},
        {L"RotateAngle", L"400", 96, 1, {L"SetRotation(360.0000)"}},
        {L"RotateAngle", L"-10", 96, 1, {L"SetRotation(0.0000)"}},
        {L"RotateAngle", L"nan", 96, 1, {L"SetRotation(0.0000)"}},
        {L"ScaleX", L"0.05", 96, 1, {L"SetScaleX(1.0000)"}},
        {L"ScaleX", L"12", 96, 1, {L"SetScaleX(10.0000)"}},
        {L"ScaleY", L"-inf", 96, 1, {L"SetScaleY(1.0000)"}},
        {L"ScaleY", L"2.5", 96, 1, {L"SetScaleY(2.5000)"}},
        {L"SkewAngleX", L"-60", 96, 1, {L"SetShearX(-1.0000)"}},
        {L"SkewAngleX", L"30", 96, 1, {L"SetShearX(0.6667)"}},
        {L"SkewAngleY", L"abc", 96, 1, {L"SetShearY(0.0000)"}},
        {L"TransformOrigin", L"0.5", 96, 1, {}},
        {L"TransformOrigin", L"0.1,0.2,0.3", 96, 1, {}},
        {L"TransformOrigin", L"2,-1", 96, 1, {L"SetTransformOrigin(1.0000,0.0000)"}},
        {L"TransformOrigin", L"nan,0.25", 96, 1, {L"SetTransformOrigin(0.0000,0.2500)"}},
        {L"FontSize", L"12", 120, 1, {L"SetFontSize(9)"}},
        {L"FontSize", L"250", 96, 1, {L"SetFontSize(100)"}},
        {L"FontSize", L"1e30", 96, 1, {L"SetFontSize(100)"}},
        {L"FontSize", L"nan", 96, 1, {L"SetFontSize(1)"}},
        {L"FontSize", L"1", 144, 1, {L"SetFontSize(1)"}},
        {L"FontSize", L"12.9", 0, 1, {L"SetFontSize(12)"}},
        {L"FontSize", L"12", -120, 1, {L"SetFontSize(12)"}},
        {L"Cursor", L"Hand", 96, 1, {L"SetCursor(32649,1)"}},
        {L"Cursor", L"hand", 96, 1, {L"SetCursor(32512,1)"}},
        {L"Cursor", L"WaitCursor", 96, 1, {L"SetCursor(32514,1)"}},
        {L"Cursor", L"None", 96, 1, {L"SetCursor(301,0)"}},
        {L"Background", L"Transparent", 96, 1, {L"ClearBackColor()"}},
        {L"Background", L"#80102030", 96, 1, {L"SetBackColor(80102030)"}},
        {L"Foreground", L"#102030", 96, 1, {L"SetForeColor(FF102030)"}},
        {L"FontFamily", L"Tahoma", 96, 1, {L"SetFontFamily(Tahoma)"}},
        {L"Text", L"ml_Known", 96, 1, {L"SetText(Known text)", L"SetTextKey(ml_Known)"}},
        {L"Text", L"ml_Missing", 96, 1, {L"SetText(ml_Missing)", L"ClearTextTranslation()"}},
        {L"Text", L"ml_Empty", 96, 1, {L"SetText(ml_Empty)", L"ClearTextTranslation()"}},
        {L"Text", L"Plain", 96, 1, {L"SetText(Plain)", L"ClearTextTranslation()"}},
        {L"Tooltip", L"ml_Known", 96, 1, {L"SetToolTip(Known text)", L"SetToolTipKey(ml_Known)"}},
        {L"ToolTip", L"Plain", 96, 1, {L"SetToolTip(Plain)"}},
        {L"Tag", L"ml_Known", 96, 1, {L"SetTag(Known text)"}},
        {L"Visibility", L"Hidden", 96, 1, {L"SetVisible(0)"}},
        {L"Visibility", L"hidden", 96, 1, {L"SetVisible(1)"}},
        {L"Text.HorizontalAlignment", L"Right", 96, 1, {L"SetTextAlign(2)"}},
        {L"Text.HorizontalAlignment", L"Center", 96, 1, {}},
        {L"Text.VerticalAlignment", L"Top", 96, 1, {L"SetTextLineAlign(0)"}},
        {L"Freeze", L"True", 96, 1, {L"SetFreeze(1)"}},
        {L"Freeze", L"true", 96, 1, {}},
        {L"Name", L"", 96, 0, {}},
        {L"name", L"Volume", 96, 0, {}},
        {L"Image.Normal", L"a.png", 96, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::wstring(c.name) + L"=" + c.value);
        environment.dpi = c.dpi;
        CountedObject* object = NewObject();
        EXPECT_EQ(object->SetAttribute(c.name, c.value), c.result);
        EXPECT_EQ(records.back().calls, c.calls);
        object->Destroy();
    }
}

TEST_F(LytObjectTest, RecordsOnlyTheSizesTheControlTook) {
    CountedObject* object = NewObject();
    object->SetAttribute(L"Width", L"40");
    object->SetAttribute(L"Width", L"-5");
    object->SetAttribute(L"Height", L"abc");
    EXPECT_EQ(object->GetSize().cx, 40);
    EXPECT_EQ(object->GetSize().cy, 0);
    object->Destroy();
}

TEST_F(LytObjectTest, FontStyleAttributesSwitchOneBitEach) {
    CountedObject* object = NewObject();
    object->SetAttribute(L"FontWeight", L"Bold");
    object->SetAttribute(L"FontItalic", L"True");
    EXPECT_EQ(records.back().fontStyle, kLytFontBold | kLytFontItalic);
    object->SetAttribute(L"FontWeight", L"Normal");
    object->SetAttribute(L"FontUnderline", L"True");
    EXPECT_EQ(records.back().fontStyle, kLytFontItalic | kLytFontUnderline);
    object->Destroy();
}

TEST_F(LytObjectTest, AFailingSetterCountsAsRecognisedAndLaterAttributesStillApply) {
    std::vector<std::function<void()>> throwers = {[] { throw CLytSetterFailure{L"missing image"}; }};
#ifdef _WIN32
    throwers.push_back([] { throw new CxSkinControlsException(L"SetSkin: failed to load normal image (x.png)!"); });
#endif
    for (const auto& thrower : throwers) {
        CountedObject* object = NewObject();
        records.back().failures[L"SetFontFamily"] = thrower;
        EXPECT_EQ(object->SetAttribute(L"FontFamily", L"Missing"), 1);
        EXPECT_EQ(object->SetAttribute(L"Name", L"After"), 1);
        EXPECT_EQ(records.back().calls, std::vector<std::wstring>{L"SetName(After)"});
        object->Destroy();
    }
}

TEST_F(LytObjectTest, OtherExceptionsAreNotSwallowed) {
    CountedObject* object = NewObject();
    records.back().failures[L"SetName"] = [] { throw std::bad_alloc(); };
    EXPECT_THROW(object->SetAttribute(L"Name", L"x"), std::bad_alloc);
    object->Destroy();
}

TEST_F(LytObjectTest, WithoutAControlNothingIsAppliedButTheObjectIsStillOwned) {
    CountedObject* parent = NewObject();
    auto* bare = new CountedObject(environment, nullptr);
    bare->SetParent(parent);
    EXPECT_EQ(bare->SetAttribute(L"Name", L"x"), 0);
    EXPECT_EQ(bare->OnCreated(), 0);
    EXPECT_EQ(bare->GetTypeName(), L"");
    EXPECT_EQ(bare->GetControl(), nullptr);
    bare->OnLoadComplete();
    EXPECT_EQ(parent->GetChildCount(), 1u);
    parent->Destroy();
    EXPECT_EQ(CountedObject::Live(), 0);
}

TEST_F(LytObjectTest, LinksTheControlToItsParentsControl) {
    CountedObject* parent = NewObject();
    records.back().typeName = L"Dialog";
    CountedObject* child = NewObject();
    child->SetId(10001);
    child->SetParent(parent);
    EXPECT_EQ(child->GetParent(), parent);
    EXPECT_EQ(child->GetControl(), records.back().SkinObject());
    EXPECT_EQ(child->OnCreated(), 0);
    EXPECT_EQ(records.back().calls, (std::vector<std::wstring>{L"SetId(10001)", L"SetParent(Dialog)", L"Create()"}));
    parent->Destroy();
}

TEST_F(LytObjectTest, LoadCompleteComposesADialogOnlyWithAHandlerAndLetsOtherRootsInitialise) {
    struct Case {
        const wchar_t* typeName;
        bool listener;
        std::vector<std::wstring> calls;
    };
    const Case cases[] = {
        {L"Dialog", true, {L"Create()"}},
        {L"Dialog", false, {}},
        {L"control", false, {L"InitListenerControls()"}},
    };
    for (const Case& c : cases) {
        CountedObject* object = NewObject();
        records.back().typeName = c.typeName;
        records.back().listener = c.listener;
        object->OnLoadComplete();
        EXPECT_EQ(records.back().calls, c.calls) << c.typeName;
        object->Destroy();
    }
}

// Stands for the kinds that free themselves without leaving their parent's list (embed, combo-box item).
class StayingObject : public CountedObject {
public:
    StayingObject(ILytEnvironment& environment, std::vector<int>& order, int label)
        : CountedObject(environment, nullptr), m_order(order), m_label(label) {}
    void Destroy() override {
        m_order.push_back(m_label);
        delete this;
    }

private:
    std::vector<int>& m_order;
    int m_label;
};

TEST_F(LytObjectTest, DestroyFreesChildrenFromLastToFirstWhetherOrNotTheyUnlink) {
    std::vector<int> order;
    CountedObject* root = NewObject();
    CountedObject* canvas = NewObject();
    canvas->SetParent(root);
    (new StayingObject(environment, order, 1))->SetParent(root);
    (new StayingObject(environment, order, 2))->SetParent(canvas);
    NewObject()->SetParent(root);
    (new StayingObject(environment, order, 3))->SetParent(root);
    (new StayingObject(environment, order, 4))->SetParent(canvas);
    EXPECT_EQ(root->GetChildCount(), 4u);
    root->Destroy();
    EXPECT_EQ(order, (std::vector<int>{3, 1, 4, 2}));
    EXPECT_EQ(CountedObject::Live(), 0);
}

TEST_F(LytObjectTest, AChildDestroyedOnItsOwnLeavesItsParent) {
    CountedObject* root = NewObject();
    CountedObject* first = NewObject();
    CountedObject* second = NewObject();
    first->SetParent(root);
    second->SetParent(root);
    first->Destroy();
    ASSERT_EQ(root->GetChildCount(), 1u);
    EXPECT_EQ(root->GetChild(0), second);
    root->Destroy();
    EXPECT_EQ(CountedObject::Live(), 0);
}

} // namespace
