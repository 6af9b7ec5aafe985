// The button elements over real skin controls: each kind makes its own control, the attribute tables
// build on each other, image values come from the skin folder, and a failed image load counts as
// recognised without stopping the element.
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include <functional>
#include <string>

#include "LytFakes.h"
#include "MarkupTestUtil.h"
#include "SkinDialogFixture.h"
#include "SkinTestSupport.h"
#include "TestPaths.h"
#include "markup/LytButton.h"
#include "markup/LytCheckbox.h"
#include "markup/LytRadioButton.h"
#include "markup/LytRepeatButton.h"
#include "markup/LytController.h"
#include "markup/LytSkinElements.h"
#include "skin/LayerWnd.h"
#include "skin/SkinButton.h"
#include "skin/SkinCheckbox.h"
#include "skin/SkinGraphics.h"
#include "skin/SkinRadioButton.h"
#include "skin/SkinRepeatButton.h"

using namespace oc::test;

namespace {

// The skin folder holds a red "normal.png" and a yellow "selected.png"; an absolute content image lies
// elsewhere.
class LytButtonTest : public testing::Test {
protected:
    void SetUp() override {
        SavePng(*SolidImage(40, 20, 0xFFFF0000), skin / L"normal.png");
        SavePng(*SolidImage(40, 20, 0xFFFFFF00), skin / L"selected.png");
        SavePng(*SolidImage(10, 10, 0xFFFFFFFF), elsewhere / L"content.png");
        environment.skinFolder = skin.Path().wstring() + L"\\";
        environment.texts[L"ml_Check"] = L"Switch off";
        root.Create({0, 0, 400, 300}, nullptr, 0);
    }
    void TearDown() override { root.DestroyChildren(); }

    // Made as the controller makes it: constructed, then its control.
    ILytObject* Make(ILytObject* (*create)(ILytEnvironment&)) {
        ILytObject* object = create(environment);
        object->CreateControl();
        return object;
    }
    // Gives the control its layer under root, as the end of the element does.
    static CxSkinButton* Finish(ILytObject* object, CLayerWnd& parent) {
        auto* button = dynamic_cast<CxSkinButton*>(object->GetControl());
        button->Create({0, 0, 40, 20}, &parent, 1);
        object->Destroy();
        return button;
    }
    static uint32_t CentrePixel(CxSkinButton& button) {
        Surface surface(40, 20);
        {
            CxSkinGraphics graphics(surface.Dc());
            button.Draw(graphics.Get());
        }
        return surface.At(20, 10) & 0xFFFFFF;
    }

    TempDir skin;
    TempDir elsewhere;
    FakeEnvironment environment;
    CLayerWnd root;
};

TEST_F(LytButtonTest, EachKindMakesItsControlAndAcceptsItsTable) {
    using Create = ILytObject* (*)(ILytEnvironment&);
    const struct {
        Create create;
        const CRuntimeClass* control;
        bool checkboxTable, radioTable;
    } kinds[] = {
        {&CLytButton::CreateInstance, RUNTIME_CLASS(CxSkinButton), false, false},
        {&CLytCheckbox::CreateInstance, RUNTIME_CLASS(CxSkinCheckbox), true, false},
        {&CLytRadioButton::CreateInstance, RUNTIME_CLASS(CxSkinRadioButton), true, true},
        {&CLytRepeatButton::CreateInstance, RUNTIME_CLASS(CxSkinRepeatButton), false, false},
    };
    for (const auto& kind : kinds) {
        ILytObject* object = Make(kind.create);
        auto* control = dynamic_cast<CObject*>(object->GetControl());
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->GetRuntimeClass(), kind.control);
        const wchar_t* name = kind.control->m_lpszClassName;

        const struct {
            const wchar_t* attribute;
            const wchar_t* value;
            int expected;
        } attributes[] = {
            {L"Width", L"40", 1},                // common
            {L"Image.Normal", L"normal.png", 1}, // button
            {L"Image.MouseOver", L"normal.png", 1},
            {L"Image.Down", L"normal.png", 1},
            {L"Image.Disable", L"normal.png", 1},
            {L"Tooltip.Check", L"ml_Check", 1},
            {L"Text.Check", L"ml_Check", 1},
            {L"Image.Normal", L"", 0},           // an empty value is never applied
            {L"image.normal", L"normal.png", 0}, // names are case-sensitive
            {L"Image.Uncheck.Normal", L"normal.png", kind.checkboxTable},
            {L"Image.Uncheck.MouseOver", L"normal.png", kind.checkboxTable},
            {L"Image.Check.Normal", L"selected.png", kind.checkboxTable},
            {L"Image.Check.MouseOver", L"selected.png", kind.checkboxTable},
            {L"Image.Uncheck.Down", L"normal.png", 0}, // the check box has no markup name for these
            {L"GroupName", L"g", kind.radioTable},
            {L"RepeatClick", L"True", kind.radioTable},
        };
        for (const auto& a : attributes)
            EXPECT_EQ(object->SetAttribute(a.attribute, a.value), a.expected) << name << " " << a.attribute;
        auto* button = dynamic_cast<CxSkinButton*>(object->GetControl());
        EXPECT_EQ(button->GetCheckToolTip(), L"Switch off") << name;
        EXPECT_EQ(button->GetCheckText(), L"Switch off") << name;
        EXPECT_EQ(button->GetNormalImageSize().cx, 40) << name;
        Finish(object, root);
    }
}

TEST_F(LytButtonTest, SelectedImageIsThePowerImage) {
    ILytObject* object = Make(&CLytCheckbox::CreateInstance);
    EXPECT_EQ(object->SetAttribute(L"Image.Normal", L"normal.png"), 1);
    EXPECT_EQ(object->SetAttribute(L"Image.Selected", L"selected.png"), 1);
    CxSkinButton* button = Finish(object, root);
    EXPECT_EQ(CentrePixel(*button), 0xFF0000u);
    button->SetCheck(1, FALSE);
    EXPECT_EQ(CentrePixel(*button), 0xFFFF00u);
}

TEST_F(LytButtonTest, AFailedImageCountsAsRecognisedAndTheRestStillApplies) {
    ILytObject* object = Make(&CLytButton::CreateInstance);
    EXPECT_EQ(object->SetAttribute(L"Image.Normal", L"missing.png"), 1);
    EXPECT_EQ(object->SetAttribute(L"Image.Content", L"missing.png"), 1);
    EXPECT_EQ(object->SetAttribute(L"Tooltip.Check", L"plain text"), 1);
    // An absolute path is used as it stands, not under the skin folder.
    const std::wstring content = (elsewhere / L"content.png").wstring();
    EXPECT_EQ(object->SetAttribute(L"Image.Content", content.c_str()), 1);
    CxSkinButton* button = Finish(object, root);
    EXPECT_EQ(button->GetNormalImageSize().cx, 0);
    EXPECT_EQ(button->GetCheckToolTip(), L"plain text");
    EXPECT_EQ(CentrePixel(*button), 0xFFFFFFu); // the white content image in the middle
}

TEST_F(LytButtonTest, RepeatClickIsOnOnlyForTrue) {
    for (const auto& [value, expected] :
         {std::pair{L"True", TRUE}, std::pair{L"true", FALSE}, std::pair{L"1", FALSE}}) {
        ILytObject* object = Make(&CLytRadioButton::CreateInstance);
        EXPECT_EQ(object->SetAttribute(L"RepeatClick", value), 1);
        EXPECT_EQ(object->SetAttribute(L"GroupName", L"speakers"), 1);
        auto* radio = static_cast<CxSkinRadioButton*>(Finish(object, root));
        EXPECT_EQ(radio->GetRepeatClick(), expected) << value;
        EXPECT_EQ(radio->GetGroupName(), L"speakers");
    }
}

TEST_F(LytButtonTest, ARepeatButtonTakesNoCheckBoxOrRadioAttributes) {
    ILytObject* object = Make(&CLytRepeatButton::CreateInstance);
    for (const wchar_t* name : {L"GroupName", L"RepeatClick", L"Image.Check.Normal"})
        EXPECT_EQ(object->SetAttribute(name, L"True"), 0) << name;
    Finish(object, root);
}

TEST_F(LytButtonTest, AControlThatNeverJoinedItsTreeGoesWithItsObject) {
    // Built, then abandoned before the element ended (a load that failed further on): nothing leaks and
    // nothing is left in a tree. The controls' destructors run under the heap checker of the sanitizer
    // build; here it must at least not crash or touch the tree.
    for (auto create :
         {&CLytButton::CreateInstance, &CLytRadioButton::CreateInstance, &CLytRepeatButton::CreateInstance}) {
        ILytObject* object = Make(create);
        object->SetAttribute(L"Image.Normal", L"normal.png");
        object->Destroy();
    }
    EXPECT_EQ(root.GetChildCount(), 0);
}

// The program's factory with the button rows filled in, as the element table will hold them.
class ButtonElementFactory : public CLytSkinElementFactory {
public:
    std::span<const LytElementKind> GetElementKinds() const override {
        static const LytElementKind kinds[] = {
            {L"Button", &CLytButton::CreateInstance},
            {L"CheckBox", &CLytCheckbox::CreateInstance},
            {L"RadioButton", &CLytRadioButton::CreateInstance},
            {L"RepeatButton", &CLytRepeatButton::CreateInstance},
            {L"Window", nullptr},
        };
        return kinds;
    }
};

class ClickLog : public IxSkinListener, public IxSkinButtonListener {
public:
    void Release() override {}
    int OnClick(const std::wstring& name) override {
        clicks.push_back(name);
        return 0;
    }
    int OnRButtonUp(const std::wstring&) override { return 0; }
    int OnDblClick(const std::wstring&) override { return 0; }
    std::vector<std::wstring> clicks;
};

TEST_F(LytButtonTest, AMarkupFileBuildsWorkingButtonsInADialog) {
    WriteBytes(skin / L"Buttons.lyt",
               "<Window>\n"
               "  <Button Name=\"Ok\" Left=\"10\" Top=\"10\" Image.Normal=\"normal.png\" />\n"
               "  <CheckBox Name=\"Mute\" Left=\"60\" Top=\"10\" Image.Uncheck.Normal=\"normal.png\""
               " Image.Check.Normal=\"selected.png\" />\n"
               "  <RadioButton Name=\"Two\" GroupName=\"ch\" Left=\"10\" Top=\"50\" Image.Normal=\"normal.png\" />\n"
               "  <RadioButton Name=\"Six\" GroupName=\"ch\" Left=\"60\" Top=\"50\" Image.Normal=\"missing.png\""
               " Width=\"40\" Height=\"20\" />\n"
               "  <RepeatButton Name=\"Up\" Left=\"110\" Top=\"50\" Image.Normal=\"normal.png\" />\n"
               "</Window>\n");
    // The controller reads the style dictionary first; an empty one will do.
    WriteBytes(skin / L"DesignDictResource.lyt", "<ResourceDictionary.MergedDictionaries>\n"
                                                 "</ResourceDictionary.MergedDictionaries>\n");
    ClickLog handler;
    TestDialog dialog;
    ASSERT_TRUE(OpenDialog(dialog));
    dialog.SetListener(&handler);
    static const ButtonElementFactory factory;
    ILytController* controller = CLytController::CreateInstance(environment, factory);
    ASSERT_EQ(controller->Load((skin / L"Buttons.lyt").wstring().c_str(), &dialog, nullptr), 1);
    controller->Release();
    ASSERT_EQ(dialog.GetChildCount(), 5);

    const HWND hwnd = dialog.GetSafeHwnd();
    const auto click = [&](int x, int y) {
        Deliver(hwnd, WM_LBUTTONDOWN, 0, PointParam(x, y));
        Deliver(hwnd, WM_LBUTTONUP, 0, PointParam(x, y));
    };
    for (const POINT at : {POINT{20, 20}, POINT{70, 20}, POINT{70, 60}, POINT{20, 60}, POINT{120, 60}})
        click(at.x, at.y);
    EXPECT_EQ(handler.clicks, (std::vector<std::wstring>{L"Ok", L"Mute", L"Six", L"Two", L"Up"}));
    auto* mute = dynamic_cast<CxSkinButton*>(dialog.GetChild(1));
    auto* six = dynamic_cast<CxSkinButton*>(dialog.GetChild(3));
    auto* two = dynamic_cast<CxSkinButton*>(dialog.GetChild(2));
    ASSERT_TRUE(mute && six && two);
    EXPECT_EQ(mute->GetCheck(), 1);
    EXPECT_EQ(two->GetCheck(), 1);
    EXPECT_EQ(six->GetCheck(), 0);
    EXPECT_EQ(dialog.GetChild(0)->GetWidth(), 40); // sized by its image
}

} // namespace
