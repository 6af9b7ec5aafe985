// The combo box elements over a real skin combo: the attribute table with its value rules, images from the
// skin folder, failed loads that count as recognised, and items added in document order with translated
// contents and raw names.
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include <string>
#include <vector>

#include "LytFakes.h"
#include "SkinTestSupport.h"
#include "TestPaths.h"
#include "markup/LytComboBox.h"
#include "markup/LytComboBoxItem.h"
#include "markup/LytController.h"
#include "skin/LayerWnd.h"
#include "skin/SkinButton.h"
#include "skin/SkinComboBox.h"
#include "skin/SkinDropList.h"
#include "skin/SkinRepeatButton.h"

using namespace oc::test;

namespace {

class LytComboTest : public testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* name : {L"label.png", L"button.png", L"item.png", L"scroll.png", L"thumb.png"})
            SavePng(*SolidImage(12, 20, 0xFF00FF00), skin / name);
        SavePng(*SolidImage(80, 64, 0xFF0000FF), skin / L"list.png");
        environment.skinFolder = skin.Path().wstring() + L"\\";
        environment.texts[L"ml_Rock"] = L"Rock music";
        object = CLytComboBox::CreateInstance(environment);
        object->CreateControl();
        combo = dynamic_cast<CxSkinComboBox*>(object->GetControl());
        ASSERT_NE(combo, nullptr);
    }
    void TearDown() override {
        if (object)
            object->Destroy(); // the combo never joined a layer tree: it goes with the object
    }

    int Set(const wchar_t* name, const wchar_t* value) { return object->SetAttribute(name, value); }
    ILytObject* AddItem(const wchar_t* name, const wchar_t* content) {
        ILytObject* item = CLytComboBoxItem::CreateInstance(environment);
        item->SetParent(object);
        if (name) {
            EXPECT_EQ(item->SetAttribute(L"Name", name), 1);
        }
        if (content) {
            EXPECT_EQ(item->SetAttribute(L"Content", content), 1);
        }
        EXPECT_EQ(item->OnCreated(), 1);
        return item;
    }

    TempDir skin;
    FakeEnvironment environment;
    ILytObject* object = nullptr;
    CxSkinComboBox* combo = nullptr;
};

TEST_F(LytComboTest, GeometryAndListAttributes) {
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } attributes[] = {
        {L"Label.Left", L"4"},
        {L"Label.Top", L"2"},
        {L"Label.Width", L"100"},
        {L"Label.Height", L"20"},
        {L"Dropbutton.Left", L"110"},
        {L"Dropbutton.Top", L"1"},
        {L"Dropbutton.Width", L"22"},
        {L"Dropbutton.Height", L"21"},
        {L"Droplist.Margin", L"4,2"},
        {L"Droplist.Width", L"180"},
        {L"Droplist.Height", L"120"},
        {L"Item.Height", L"18"},
        {L"Droplist.Image.BottomHeight", L"6"},
    };
    for (const auto& attribute : attributes)
        EXPECT_EQ(Set(attribute.name, attribute.value), 1) << attribute.name;
    EXPECT_EQ(combo->GetLabelRect().left, 4);
    EXPECT_EQ(combo->GetLabelRect().top, 2);
    EXPECT_EQ(combo->GetLabelRect().right, 104);
    EXPECT_EQ(combo->GetLabelRect().bottom, 22);
    const RECT button = combo->GetDropButtonRect();
    EXPECT_EQ(button.left, 110);
    EXPECT_EQ(button.top, 1);
    EXPECT_EQ(button.right, 132);
    EXPECT_EQ(button.bottom, 22);
    const RECT margins = combo->GetDropList()->GetMargins();
    EXPECT_EQ(margins.left, 4); // rectangle syntax: "4,2" is (4, 0, 0, 2)
    EXPECT_EQ(margins.top, 0);
    EXPECT_EQ(margins.right, 0);
    EXPECT_EQ(margins.bottom, 2);
    EXPECT_EQ(combo->GetDropListWidth(), 180);
    EXPECT_EQ(combo->GetDropListHeight(), 120);
    EXPECT_EQ(combo->GetDropList()->GetItemHeight(), 18);
    EXPECT_EQ(combo->GetDropList()->GetBottomHeight(), 6);
}

TEST_F(LytComboTest, DynamicWidthIsOffOnlyForFalseAsWritten) {
    const struct {
        const wchar_t* value;
        int dynamic;
    } cases[] = {{L"False", 0}, {L"false", 1}, {L"True", 1}, {L"0", 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(Set(L"Droplist.DynamicWidth", c.value), 1);
        EXPECT_EQ(combo->GetDropListDynamicWidth(), c.dynamic) << c.value;
    }
}

TEST_F(LytComboTest, ItemTextStyleGoesToBothLooksAndTheLabel) {
    environment.dpi = 120;
    EXPECT_EQ(Set(L"Item.Text.FontWeight", L"Bold"), 1);
    EXPECT_EQ(Set(L"Item.Text.FontName", L"Arial"), 1);
    EXPECT_EQ(Set(L"Item.Text.FontHeight", L"12.9"), 1); // 12 points at 120 dpi: 12 x 96 / 120
    const CxSkinDropList& list = *combo->GetDropList();
    for (int state : {0, 1}) {
        EXPECT_EQ(list.GetStyleFontStyle(state), 1);
        EXPECT_EQ(list.GetStyleFontName(state), L"Arial");
        EXPECT_EQ(list.GetStyleFontHeight(state), 9);
    }
    EXPECT_EQ(combo->GetFontStyle(), 1);
    EXPECT_EQ(combo->GetFontFamily(), L"Arial");
    EXPECT_DOUBLE_EQ(combo->GetFontSize(), 9.0);

    environment.dpi = 96;
    const struct {
        const wchar_t* value;
        int height;
    } heights[] = {{L"0.5", 1}, {L"300", 100}, {L"11", 11}};
    for (const auto& h : heights) {
        Set(L"Item.Text.FontHeight", h.value);
        EXPECT_EQ(list.GetStyleFontHeight(1), h.height) << h.value;
    }
    Set(L"Item.Text.FontWeight", L"bold");
    EXPECT_EQ(list.GetStyleFontStyle(0), 0);
}

TEST_F(LytComboTest, ColoursGoToTheirStates) {
    EXPECT_EQ(Set(L"Droplist.Background", L"#FF102030"), 1);
    EXPECT_EQ(Set(L"Item.Background.Selected", L"#FF405060"), 1);
    EXPECT_EQ(Set(L"Item.Text.Color.Normal", L"#FF010203"), 1);
    EXPECT_EQ(Set(L"Item.Text.Color.Selected", L"Red"), 1);
    const CxSkinDropList& list = *combo->GetDropList();
    EXPECT_EQ(list.GetStyleBackColor(0), 0xFF102030u); // the selected item's colour leaves the list's alone
    EXPECT_EQ(list.GetStyleBackColor(1), 0xFF405060u);
    EXPECT_EQ(list.GetStyleTextColor(0), 0xFF010203u);
    EXPECT_EQ(list.GetStyleTextColor(1), 0xFFFF0000u);
}

TEST_F(LytComboTest, ImagesComeFromTheSkinFolderAndFailuresAreContained) {
    const wchar_t* images[][2] = {
        {L"Image.Background", L"label.png"},
        {L"Dropbutton.Image.Normal", L"button.png"},
        {L"Dropbutton.Image.MouseOver", L"button.png"},
        {L"Dropbutton.Image.Selected", L"button.png"},
        {L"Dropbutton.Image.Disable", L"button.png"},
        {L"Droplist.Image.Background", L"list.png"},
        {L"Item.Image.Normal", L"item.png"},
        {L"Item.Image.Selected", L"item.png"},
        {L"Scroll.Image.Background", L"scroll.png"},
        {L"Scroll.Image.Thumb", L"thumb.png"},
        {L"ScrollButton.Top.Image.Normal", L"button.png"},
        {L"ScrollButton.Bottom.Image.Normal", L"button.png"},
        {L"ScrollButton.Top.Image.Disable", L"button.png"},
        {L"ScrollButton.Bottom.Image.Selected", L"button.png"},
    };
    for (const auto& image : images)
        EXPECT_EQ(Set(image[0], image[1]), 1) << image[0];
    EXPECT_NE(combo->GetLabelBackground(), nullptr);
    EXPECT_EQ(combo->GetDropButtonImagePath(0), skin.Path().wstring() + L"\\button.png");
    EXPECT_EQ(combo->GetDropListHeight(), 64); // from the list image, no height being set
    EXPECT_NE(combo->GetDropList()->GetItemImage(1), nullptr);
    EXPECT_EQ(combo->GetDropList()->GetScrollBarWidth(), 12);
    EXPECT_EQ(combo->GetDropList()->GetScrollButton(true)->GetNormalImageSize().cy, 20);

    // A missing file is still a recognised attribute, and the next attribute goes on.
    EXPECT_EQ(Set(L"Image.Background", L"missing.png"), 1);
    EXPECT_EQ(Set(L"Scroll.Image.Thumb", L"missing.png"), 1);
    EXPECT_EQ(Set(L"Label.Left", L"7"), 1);
    EXPECT_EQ(combo->GetLabelRect().left, 7);
}

TEST_F(LytComboTest, UnknownNamesAndEmptyValues) {
    EXPECT_EQ(Set(L"Label.Depth", L"3"), 0);
    EXPECT_EQ(Set(L"Label.Left", L""), 0);
    EXPECT_EQ(combo->GetLabelRect().left, 0);
    EXPECT_EQ(Set(L"Name", L"Mode"), 1); // the attributes every control shares come first
    EXPECT_EQ(combo->GetName(), L"Mode");
}

TEST_F(LytComboTest, ItemsAreAddedInOrderWithTranslatedContentAndRawNames) {
    AddItem(L"ml_Rock", L"ml_Rock");
    AddItem(L"Jazz", L"Jazz");
    AddItem(L"Blank", nullptr);
    ASSERT_EQ(combo->GetCount(), 3);
    std::wstring text;
    combo->GetItemText(0, text);
    EXPECT_EQ(text, L"Rock music");
    EXPECT_EQ(combo->GetItemName(0), L"ml_Rock");
    combo->GetItemText(1, text);
    EXPECT_EQ(text, L"Jazz");
    combo->GetItemText(2, text);
    EXPECT_EQ(text, L"");
    EXPECT_EQ(combo->GetItemName(2), L"Blank");

    ILytObject* item = CLytComboBoxItem::CreateInstance(environment);
    EXPECT_EQ(item->SetAttribute(L"Left", L"3"), 0); // no common attributes
    EXPECT_EQ(item->GetControl(), nullptr);
    EXPECT_EQ(item->OnCreated(), 1); // no parent: nothing to add to
    item->Destroy();
    EXPECT_EQ(combo->GetCount(), 3);
}

TEST_F(LytComboTest, AnItemGoingFirstLeavesItsParentWhole) {
    ILytObject* first = AddItem(L"a", L"A");
    AddItem(L"b", L"B");
    first->Destroy();
    object->Destroy(); // would reach the freed item if it were still a child
    object = nullptr;
}

TEST_F(LytComboTest, TheDropButtonTakesTheNextControlIdentifier) {
    const int before = CLytController::NextControlId();
    ILytObject* other = CLytComboBox::CreateInstance(environment);
    other->CreateControl();
    auto* second = dynamic_cast<CxSkinComboBox*>(other->GetControl());
    second->SetDropButtonRect({80, 0, 100, 20});
    second->SetWidth(100);
    second->SetHeight(20);
    ASSERT_EQ(second->Create(), TRUE);
    EXPECT_EQ(second->GetDropButton()->GetCtrlId(), before + 1);
    EXPECT_EQ(second->GetDropButton()->GetParent(), second);
    other->Destroy(); // a created combo stays with its layer
    delete second;
}

} // namespace
