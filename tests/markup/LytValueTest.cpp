// The value and display elements over real skin controls: each kind's own table on top of the common
// attributes, the values it turns into control settings, images from the skin folder, and what a failing
// image or control creation leaves behind: one bad attribute stops nothing, a control that cannot come up
// fails its load and leaves nothing half-made in the window.
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "LytFakes.h"
#include "MarkupTestUtil.h"
#include "SkinDialogFixture.h"
#include "SkinTestSupport.h"
#include "TestPaths.h"
#include "markup/LytController.h"
#include "markup/LytPanelVS.h"
#include "markup/LytShape.h"
#include "markup/LytSkinElements.h"
#include "markup/LytSlider.h"
#include "markup/LytStatic.h"
#include "markup/LytTextbox.h"
#include "skin/BaseObj.h"
#include "skin/LayerWnd.h"
#include "skin/PanelVirtualSpeaker.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinDraw.h"
#include "skin/SkinShape.h"
#include "skin/SkinSlider.h"
#include "skin/SkinStatic.h"
#include "skin/SkinTextBox.h"

using namespace oc::test;

namespace {

using Create = ILytObject* (*)(ILytEnvironment&);

struct AttributeCase {
    const wchar_t* name;
    const wchar_t* value;
    int expected;
};

// The skin folder holds a red 30 x 20 "image.png", a 100 x 10 "bar.png", a 10 x 20 "thumb.png", a 12 x 12
// "speaker.png" and a 200 x 200 "room.png".
class LytValueTest : public testing::Test {
protected:
    void SetUp() override {
        SavePng(*SolidImage(30, 20, 0xFFFF0000), skin / L"image.png");
        SavePng(*SolidImage(100, 10, 0xFF808080), skin / L"bar.png");
        SavePng(*SolidImage(10, 20, 0xFF0000FF), skin / L"thumb.png");
        SavePng(*SolidImage(12, 12, 0xFF00FF00), skin / L"speaker.png");
        SavePng(*SolidImage(200, 200, 0xFF202020), skin / L"room.png");
        environment.skinFolder = skin.Path().wstring() + L"\\";
        environment.texts[L"ml_Hint"] = L"Type a name";
        environment.texts[L"ml_Head"] = L"Listener";
        root.Create({0, 0, 400, 300}, nullptr, 0);
    }
    void TearDown() override { root.DestroyChildren(); }

    // Made as the controller makes it: constructed, then its late control.
    ILytObject* Make(Create create) {
        ILytObject* object = create(environment);
        object->CreateControl();
        return object;
    }
    static void Apply(ILytObject* object, const std::vector<AttributeCase>& cases, const wchar_t* kind) {
        for (const AttributeCase& c : cases)
            EXPECT_EQ(object->SetAttribute(c.name, c.value), c.expected) << kind << " " << c.name << "=" << c.value;
    }
    // Gives the control its layer under root, as the end of the element does, and ends the object.
    template <class Control> Control* Finish(ILytObject* object, RECT rect = {0, 0, 100, 20}) {
        auto* control = dynamic_cast<Control*>(object->GetControl());
        EXPECT_NE(control, nullptr);
        if (control)
            control->Create(rect, &root, 1);
        object->Destroy();
        return control;
    }
    void WriteDictionary() {
        WriteBytes(skin / L"DesignDictResource.lyt", "<ResourceDictionary.MergedDictionaries>\n"
                                                     "</ResourceDictionary.MergedDictionaries>\n");
    }

    TempDir skin;
    FakeEnvironment environment;
    CLayerWnd root;
};

TEST_F(LytValueTest, EachKindMakesItsControlAndTakesOnlyItsOwnTable) {
    const struct {
        Create create;
        const CRuntimeClass* control;
        const wchar_t* own; // a name of the kind's own table
        const wchar_t* ownValue;
    } kinds[] = {
        {&CLytStatic::CreateInstance, RUNTIME_CLASS(CxSkinStatic), L"TextWrapping", L"Wrap"},
        {&CLytShape::CreateInstance, RUNTIME_CLASS(CxSkinShape), L"Fill", L"Solid"},
        {&CLytSlider::CreateInstance, RUNTIME_CLASS(CxSkinSlider), L"Orientation", L"Horizontal"},
        {&CLytTextbox::CreateInstance, RUNTIME_CLASS(CxSkinTextBox), L"IsReadOnly", L"True"},
        {&CLytPanelVS::CreateInstance, RUNTIME_CLASS(CPanelVirtualSpeaker), L"Tooltip.C", L"Centre"},
    };
    const wchar_t* ownNames[] = {L"TextWrapping", L"Fill", L"Orientation", L"IsReadOnly", L"Tooltip.C"};
    for (const auto& kind : kinds) {
        ILytObject* object = Make(kind.create);
        auto* control = dynamic_cast<CObject*>(object->GetControl());
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->GetRuntimeClass(), kind.control);
        const wchar_t* name = kind.control->m_lpszClassName;
        // A second request for the control keeps the first.
        object->CreateControl();
        EXPECT_EQ(dynamic_cast<CObject*>(object->GetControl()), control) << name;

        Apply(object,
              {
                  {L"Name", L"Band1", 1}, // common
                  {L"Width", L"100", 1},
                  {kind.own, kind.ownValue, 1},
                  {kind.own, L"", 0}, // an empty value is never applied
                  {L"Unknown", L"1", 0},
              },
              name);
        for (const wchar_t* other : ownNames) {
            if (std::wstring(other) == kind.own)
                continue;
            EXPECT_EQ(object->SetAttribute(other, L"True"), 0) << name << " " << other;
        }
        EXPECT_EQ(dynamic_cast<CxSkinCtrl*>(object->GetControl())->GetName(), L"Band1") << name;
        object->Destroy();
    }
    EXPECT_EQ(root.GetChildCount(), 0);
}

TEST_F(LytValueTest, StaticTable) {
    ILytObject* object = Make(&CLytStatic::CreateInstance);
    Apply(object,
          {
              {L"Source", L"image.png", 1},
              {L"Stretch", L"Uniform", 1},
              {L"Stretch", L"uniform", 1}, // recognised, leaves the mode
              {L"TextWrapping", L"Wrap", 1},
              {L"BorderLine", L"1,0,0,1", 1},
              {L"BorderLine", L"1,1,1", 1}, // three parts: ignored
              {L"BorderLineColor", L"#FF00FF", 1},
              {L"Target", L"Channels6", 1},
          },
          L"static");
    auto* image = Finish<CxSkinStatic>(object);
    ASSERT_NE(image->GetContentImage(), nullptr);
    EXPECT_EQ(image->GetContentImage()->GetWidth(), 30u);
    EXPECT_EQ(image->GetBackgroundStretchMode(), kStretchUniform);
    EXPECT_EQ(image->GetTextWrapping(), 0u);
    EXPECT_EQ(image->GetBorderFlags(), (std::array<int, 4>{1, 0, 0, 1}));
    EXPECT_EQ(image->GetBorderLineColor(), 0xFFFF00FFu);
    EXPECT_EQ(image->GetTarget(), L"Channels6");

    // Anything but "Wrap", its lower-case spelling too, keeps the text on one line.
    for (const wchar_t* value : {L"wrap", L"NoWrap"}) {
        ILytObject* text = Make(&CLytStatic::CreateInstance);
        EXPECT_EQ(text->SetAttribute(L"TextWrapping", L"Wrap"), 1);
        EXPECT_EQ(text->SetAttribute(L"TextWrapping", value), 1);
        EXPECT_EQ(Finish<CxSkinStatic>(text)->GetTextWrapping(), CxSkinStatic::kNoWrap) << value;
    }
}

TEST_F(LytValueTest, AStaticWithAMissingImageStillTakesItsOtherAttributes) {
    ILytObject* object = Make(&CLytStatic::CreateInstance);
    EXPECT_EQ(object->SetAttribute(L"Source", L"image.png"), 1);
    EXPECT_EQ(object->SetAttribute(L"Source", L"missing.png"), 1); // the failure is contained
    EXPECT_EQ(object->SetAttribute(L"Text", L"Volume"), 1);
    EXPECT_EQ(object->SetAttribute(L"BorderLine", L"0,1,0,0"), 1);
    auto* image = Finish<CxSkinStatic>(object);
    EXPECT_EQ(image->GetContentImage(), nullptr); // the old image went with the failed load
    EXPECT_EQ(image->GetText(), L"Volume");
    EXPECT_EQ(image->GetBorderFlags()[1], 1);
}

TEST_F(LytValueTest, ShapeTable) {
    const struct {
        const wchar_t* type;
        int shape;
        const wchar_t* fill;
        int fillType;
    } kinds[] = {
        {L"Ellipse", CxSkinShape::kEllipse, L"Gradient", CxSkinShape::kGradient},
        {L"Triangle", CxSkinShape::kTriangle, L"Solid", CxSkinShape::kSolid},
        {L"ellipse", CxSkinShape::kRectangle, L"solid", CxSkinShape::kOutline},
    };
    for (const auto& kind : kinds) {
        ILytObject* object = Make(&CLytShape::CreateInstance);
        EXPECT_EQ(object->SetAttribute(L"Type", kind.type), 1);
        EXPECT_EQ(object->SetAttribute(L"Fill", kind.fill), 1);
        auto* shape = Finish<CxSkinShape>(object);
        EXPECT_EQ(shape->GetShapeType(), kind.shape) << kind.type;
        EXPECT_EQ(shape->GetFillType(), kind.fillType) << kind.fill;
    }
}

TEST_F(LytValueTest, ShapeGradientPointsAndStops) {
    ILytObject* object = Make(&CLytShape::CreateInstance);
    Apply(object,
          {
              {L"Width", L"100", 1},
              {L"Height", L"50", 1},
              {L"Solid.Color", L"#80112233", 1},
              {L"Gradient.StartPoint", L"0.5,0", 1},
              {L"Gradient.EndPoint", L"0.5,1", 1},
              {L"Gradient.StartPoint", L"0.9", 1},       // one part: ignored
              {L"Gradient.EndPoint", L"0.1,0.2,0.3", 1}, // three parts: ignored
              // The middle entry has no colour and is skipped: two stops.
              {L"Gradient.Stops", L"0,#FF0000;0.5;1,#0000FF", 1},
          },
          L"shape");
    auto* shape = Finish<CxSkinShape>(object, {0, 0, 100, 50});
    EXPECT_EQ(shape->GetSolidColor(), 0x80112233u);
    EXPECT_EQ(shape->GetGradientStartPoint().x, 50);
    EXPECT_EQ(shape->GetGradientStartPoint().y, 0);
    EXPECT_EQ(shape->GetGradientEndPoint().y, 50);
    ASSERT_EQ(shape->GetStopCount(), 2);
    EXPECT_EQ(shape->GetStop(0)->m_color, 0xFFFF0000u);
    EXPECT_DOUBLE_EQ(shape->GetStop(1)->m_offset, 1.0);
    EXPECT_EQ(shape->GetStop(1)->m_color, 0xFF0000FFu);
}

TEST_F(LytValueTest, GradientNumbersThatAreNoFractionsAreHeld) {
    // Not-a-number would slip past the shape's rising-offset check and poison every band after it; an
    // infinite offset would make an infinite band.
    ILytObject* object = Make(&CLytShape::CreateInstance);
    Apply(object,
          {
              {L"Width", L"100", 1},
              {L"Height", L"50", 1},
              {L"Gradient.Stops", L"nan,#FF0000;0.5,#00FF00;inf,#0000FF;0.7,#FFFFFF", 1},
              {L"Gradient.StartPoint", L"nan,1", 1},
              {L"Gradient.EndPoint", L"1e308,-inf", 1},
          },
          L"shape");
    auto* shape = Finish<CxSkinShape>(object, {0, 0, 100, 50});
    ASSERT_EQ(shape->GetStopCount(), 3); // 0, 0.5, 1; the 0.7 after 1 does not rise
    EXPECT_DOUBLE_EQ(shape->GetStop(0)->m_offset, 0.0);
    EXPECT_DOUBLE_EQ(shape->GetStop(1)->m_offset, 0.5);
    EXPECT_DOUBLE_EQ(shape->GetStop(2)->m_offset, 1.0);
    EXPECT_EQ(shape->GetGradientStartPoint().x, 0);
    EXPECT_EQ(shape->GetGradientStartPoint().y, 50);
    EXPECT_EQ(shape->GetGradientEndPoint().x, INT_MAX);
    EXPECT_EQ(shape->GetGradientEndPoint().y, INT_MIN);
}

TEST_F(LytValueTest, SmallChangeCountsDecimalsIntoTheValueScale) {
    const struct {
        const wchar_t* value;
        int step;
        unsigned scale; // as the slider keeps it afterwards (1: unchanged)
    } cases[] = {
        {L"0.5", 5, 10},
        {L"0.25", 25, 100},
        {L"2", 2, 1},
        {L"1.", 1, 1}, // nothing after the point: no decimals
        {L"12.5", 125, 10},
        {L"-0.5", -5, 10},
        // More decimals than a 32-bit scale holds: the scale stops at 10^9 and the step keeps agreeing.
        {L"0.123456789123", 123456789, 1000000000},
    };
    for (const auto& c : cases) {
        ILytObject* object = Make(&CLytSlider::CreateInstance);
        EXPECT_EQ(object->SetAttribute(L"SmallChange", c.value), 1);
        auto* slider = dynamic_cast<CxSkinSlider*>(object->GetControl());
        EXPECT_EQ(slider->GetSmallChange(), c.step) << c.value;
        EXPECT_EQ(slider->GetValueScale(), c.scale) << c.value;
        object->Destroy();
    }
}

TEST_F(LytValueTest, SliderTable) {
    ILytObject* object = Make(&CLytSlider::CreateInstance);
    Apply(object,
          {
              {L"Orientation", L"Horizontal", 1},
              {L"Type", L"ProgressBar", 1},
              {L"Minimum", L"-20", 1},
              {L"Maximum", L"20", 1},
              {L"Ticks", L"0,50,100", 1},
              {L"Tooltip.Show", L"True", 1},
              {L"Pos", L"2.5", 1},
              {L"Image.Bar.Normal", L"bar.png", 1},
              {L"Image.Bar.Color", L"bar.png", 1},
              {L"Image.Bar.Disable", L"bar.png", 1},
              {L"Image.Thumb.Normal", L"thumb.png", 1},
              {L"Image.Thumb.Over", L"thumb.png", 0}, // no markup name
          },
          L"slider");
    auto* slider = dynamic_cast<CxSkinSlider*>(object->GetControl());
    EXPECT_EQ(slider->GetOrientation(), 1);
    EXPECT_EQ(slider->GetType(), 1);
    EXPECT_EQ(slider->GetMinimum(), -20);
    EXPECT_EQ(slider->GetMaximum(), 20);
    EXPECT_EQ(slider->GetTicks(), (std::vector<int>{0, 50, 100}));
    EXPECT_TRUE(slider->IsTooltipShown());
    EXPECT_FLOAT_EQ(slider->GetPos(), 2.5f);
    for (auto slot :
         {CxSkinSlider::kBarNormal, CxSkinSlider::kBarColor, CxSkinSlider::kBarDisable, CxSkinSlider::kThumbNormal})
        EXPECT_NE(slider->GetImage(slot), nullptr) << slot;
    EXPECT_EQ(slider->GetImage(CxSkinSlider::kThumbOver), nullptr);

    // Anything but the exact keywords means vertical slider.
    EXPECT_EQ(object->SetAttribute(L"Orientation", L"horizontal"), 1);
    EXPECT_EQ(object->SetAttribute(L"Type", L"Progressbar"), 1);
    EXPECT_EQ(object->SetAttribute(L"Tooltip.Show", L"true"), 1);
    EXPECT_EQ(slider->GetOrientation(), 0);
    EXPECT_EQ(slider->GetType(), 0);
    EXPECT_FALSE(slider->IsTooltipShown());
    Finish<CxSkinSlider>(object);
}

TEST_F(LytValueTest, SliderPositionIsAlwaysAFiniteNumber) {
    const struct {
        const wchar_t* value;
        float expected;
    } cases[] = {
        {L"nan", 0.0f}, {L"1e300", FLT_MAX}, {L"-inf", -FLT_MAX}, {L"abc", 0.0f}, {L"-3.25", -3.25f},
    };
    for (const auto& c : cases) {
        ILytObject* object = Make(&CLytSlider::CreateInstance);
        EXPECT_EQ(object->SetAttribute(L"Pos", c.value), 1);
        auto* slider = dynamic_cast<CxSkinSlider*>(object->GetControl());
        EXPECT_EQ(slider->GetPos(), c.expected) << c.value;
        object->Destroy();
    }
}

TEST_F(LytValueTest, ASliderImageThatCannotBeLoadedIsContainedPerAttribute) {
    ILytObject* object = Make(&CLytSlider::CreateInstance);
    EXPECT_EQ(object->SetAttribute(L"Image.Bar.Normal", L"missing.png"), 1);
    EXPECT_EQ(object->SetAttribute(L"Maximum", L"50"), 1);
    auto* slider = dynamic_cast<CxSkinSlider*>(object->GetControl());
    EXPECT_EQ(slider->GetImage(CxSkinSlider::kBarNormal), nullptr);
    EXPECT_EQ(slider->GetMaximum(), 50);
    object->Destroy();
}

TEST_F(LytValueTest, TextBoxTable) {
    ILytObject* object = Make(&CLytTextbox::CreateInstance);
    Apply(object,
          {
              {L"IsReadOnly", L"True", 1},
              {L"Password", L"True", 1},
              {L"Password", L"yes", 1}, // neither keyword: no change
              {L"IsReadOnly", L"true", 1},
              {L"MaxLength", L"12", 1},
              {L"InputHintText", L"ml_Hint", 1},
              {L"SelectedBackColor", L"#102030", 1},
              {L"CaretColor", L"#FF0000", 1},
              {L"ClearText", L"True", 1},
              {L"IsNatural", L"False", 1},
              {L"IsNumberOnly", L"True", 1},
              {L"BackgroundImage", L"missing.png", 1}, // the box answers false, nothing throws
              {L"BackgroundImage", L"image.png", 1},
          },
          L"text box");
    auto* box = Finish<CxSkinTextBox>(object, {0, 0, 30, 20});
    EXPECT_TRUE(box->IsReadOnly());
    EXPECT_TRUE(box->IsPassword());
    EXPECT_EQ(box->GetMaxLength(), 12);
    EXPECT_EQ(box->GetInputHintText(), L"Type a name");
    EXPECT_EQ(box->GetSelectedBackColor(), 0xFF102030u);
    EXPECT_EQ(box->GetCaretColor(), 0xFFFF0000u);
    // Number-only refuses letters and takes a signed decimal.
    box->SetText(L"abc", FALSE);
    EXPECT_NE(box->GetText(), L"abc");
    box->SetText(L"-1.5", FALSE);
    EXPECT_EQ(box->GetText(), L"-1.5");

    ILytObject* second = Make(&CLytTextbox::CreateInstance);
    EXPECT_EQ(second->SetAttribute(L"IsReadOnly", L"True"), 1);
    EXPECT_EQ(second->SetAttribute(L"IsReadOnly", L"False"), 1);
    EXPECT_FALSE(Finish<CxSkinTextBox>(second)->IsReadOnly());
}

TEST_F(LytValueTest, PanelVSTakesEveryOneOfItsTwentyNineNames) {
    const wchar_t* keys[] = {L"Head", L"C", L"L", L"Lb", L"Ls", L"R", L"Rb", L"Rs", L"Sw"};
    ILytObject* object = Make(&CLytPanelVS::CreateInstance);
    int recognised = 0;
    recognised += object->SetAttribute(L"Image.Bg", L"room.png");
    recognised += object->SetAttribute(L"Image.Bg.Disable", L"room.png");
    for (const wchar_t* key : keys) {
        const std::wstring k(key);
        recognised += object->SetAttribute((L"Image." + k).c_str(), L"speaker.png");
        recognised += object->SetAttribute((L"Image." + k + L".Disable").c_str(), L"speaker.png");
        recognised += object->SetAttribute((L"Tooltip." + k).c_str(), k == L"Head" ? L"ml_Head" : key);
    }
    EXPECT_EQ(recognised, 29);
    Apply(object,
          {
              {L"Image.X", L"speaker.png", 0},
              {L"Tooltip.Head.Disable", L"x", 0},
              {L"Image.head", L"speaker.png", 0},
              {L"Image.", L"speaker.png", 0},
              {L"Image.Bg.Normal", L"room.png", 0},
          },
          L"panel");
    auto* panel = Finish<CPanelVirtualSpeaker>(object, {0, 0, 200, 200});
    EXPECT_NE(panel->GetBackground(), nullptr);
    EXPECT_NE(panel->GetDisabledBackground(), nullptr);
    for (int index : {0, 2, 7, CPanelVirtualSpeaker::kHeadId}) {
        CBaseObj* speaker = panel->GetSpeaker(index);
        ASSERT_NE(speaker, nullptr) << index;
        EXPECT_NE(speaker->GetImage(CBaseObj::kStateNormal), nullptr) << index;
        EXPECT_NE(speaker->GetImage(CBaseObj::kStateDisabled), nullptr) << index;
    }
    EXPECT_EQ(panel->GetSpeaker(CPanelVirtualSpeaker::kHeadId)->GetToolTipText(), L"Listener");
    EXPECT_EQ(panel->GetSpeaker(3)->GetToolTipText(), L"Ls");
}

TEST_F(LytValueTest, APanelVSBackgroundThatCannotBeLoadedIsContainedPerAttribute) {
    ILytObject* object = Make(&CLytPanelVS::CreateInstance);
    EXPECT_EQ(object->SetAttribute(L"Image.Bg", L"missing.png"), 1);
    EXPECT_EQ(object->SetAttribute(L"Image.C", L"speaker.png"), 1);
    auto* panel = Finish<CPanelVirtualSpeaker>(object, {0, 0, 200, 200});
    EXPECT_EQ(panel->GetBackground(), nullptr);
    EXPECT_NE(panel->GetSpeaker(0)->GetImage(CBaseObj::kStateNormal), nullptr);
}

TEST_F(LytValueTest, ControlsThatNeverJoinedTheirTreeGoWithTheirObjects) {
    // Built, then abandoned before the element ended (a load that failed further on). The controls'
    // destructors run; nothing reaches the tree.
    for (Create create : {&CLytStatic::CreateInstance, &CLytShape::CreateInstance, &CLytSlider::CreateInstance,
                          &CLytTextbox::CreateInstance, &CLytPanelVS::CreateInstance}) {
        ILytObject* object = Make(create);
        object->SetAttribute(L"Width", L"20");
        object->Destroy();
    }
    EXPECT_EQ(root.GetChildCount(), 0);
}

TEST_F(LytValueTest, APanelVSWhoseCreationThrowsIsDeletedAndTheFailureGoesOn) {
    // Without a parent the panel refuses to come up. The object lets go of the control at once, so that
    // a later Destroy does not reach a freed one.
    ILytObject* object = Make(&CLytPanelVS::CreateInstance);
    bool failed = false;
    try {
        object->OnCreated();
    } catch (CxSkinControlsException* failure) {
        failed = true;
        failure->Delete();
    }
    EXPECT_TRUE(failed);
    EXPECT_EQ(object->GetControl(), nullptr);
    EXPECT_EQ(object->SetAttribute(L"Image.C", L"speaker.png"), 0);
    object->Destroy();
}

// The program's factory with this area's rows filled in, as the element table will hold them.
class ValueElementFactory : public CLytSkinElementFactory {
public:
    std::span<const LytElementKind> GetElementKinds() const override {
        static const LytElementKind kinds[] = {
            {L"Image", &CLytStatic::CreateInstance},
            {L"TextBlock", &CLytStatic::CreateInstance},
            {L"Shape", &CLytShape::CreateInstance},
            {L"Slider", &CLytSlider::CreateInstance},
            {L"TextBox", &CLytTextbox::CreateInstance},
            {L"PanelVS", &CLytPanelVS::CreateInstance},
            {L"Window", nullptr},
        };
        return kinds;
    }
};

class LytValueLoadTest : public LytValueTest {
protected:
    void SetUp() override {
        LytValueTest::SetUp();
        WriteDictionary();
        ASSERT_TRUE(OpenDialog(dialog, {100, 100}, 300, 250));
        controller = CLytController::CreateInstance(environment, factory);
    }
    void TearDown() override {
        if (controller)
            controller->Release();
        LytValueTest::TearDown();
    }
    int Load(const char* name, const std::string& body) {
        WriteBytes(skin / name, "<Window>\n" + body + "</Window>\n");
        return controller->Load((skin / name).wstring().c_str(), &dialog, nullptr);
    }
    template <class Control> std::vector<Control*> ChildrenOf() const {
        std::vector<Control*> found;
        for (int i = 0; i < dialog.GetChildCount(); ++i) {
            if (auto* control = dynamic_cast<Control*>(dialog.GetChild(i)))
                found.push_back(control);
        }
        return found;
    }

    const ValueElementFactory factory;
    TestDialog dialog;
    ILytController* controller = nullptr;
};

TEST_F(LytValueLoadTest, AMarkupFileBuildsEveryKindInADialog) {
    ASSERT_EQ(Load("Values.lyt",
                   "  <Image Name=\"Logo\" Source=\"image.png\" Stretch=\"None\" />\n"
                   "  <TextBlock Name=\"Caption\" Left=\"40\" Text=\"Bass\" Source=\"image.png\" Stretch=\"None\" />\n"
                   "  <Shape Name=\"Bar\" Top=\"30\" Width=\"50\" Height=\"10\" Type=\"Ellipse\" Fill=\"Solid\" />\n"
                   "  <Slider Name=\"Band\" Top=\"50\" Width=\"100\" Height=\"20\" Orientation=\"Horizontal\""
                   " SmallChange=\"0.5\" Minimum=\"0\" Maximum=\"10\" Pos=\"2.5\""
                   " Image.Bar.Normal=\"bar.png\" Image.Thumb.Normal=\"thumb.png\" />\n"
                   "  <TextBox Name=\"Value\" Top=\"80\" Width=\"60\" Height=\"20\" InputHintText=\"ml_Hint\" />\n"
                   "  <PanelVS Name=\"Room\" Left=\"100\" Top=\"40\" Width=\"200\" Height=\"200\" Image.Bg=\"room.png\""
                   " Image.Head=\"speaker.png\" Tooltip.Head=\"ml_Head\" />\n"),
              1);
    ASSERT_EQ(dialog.GetChildCount(), 6);
    // The panel puts itself beneath every other control.
    EXPECT_NE(dynamic_cast<CPanelVirtualSpeaker*>(dialog.GetChild(0)), nullptr);

    const auto statics = ChildrenOf<CxSkinStatic>();
    ASSERT_EQ(statics.size(), 2u); // an Image and a TextBlock are the same control
    for (CxSkinStatic* image : statics) {
        EXPECT_EQ(image->GetWidth(), 30) << image->GetName(); // sized by its image
        EXPECT_EQ(image->GetBackgroundStretchMode(), kStretchNone);
    }
    EXPECT_EQ(statics[1]->GetText(), L"Bass");

    const auto sliders = ChildrenOf<CxSkinSlider>();
    ASSERT_EQ(sliders.size(), 1u);
    // Markup values are displayed units; the slider counts in halves.
    EXPECT_EQ(sliders[0]->GetMaximum(), 100);
    EXPECT_FLOAT_EQ(sliders[0]->GetPos(), 25.0f);
    EXPECT_EQ(sliders[0]->GetSmallChange(), 5);

    const auto boxes = ChildrenOf<CxSkinTextBox>();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->GetText(), L"Type a name"); // the hint shows while the box is empty
    EXPECT_EQ(ChildrenOf<CxSkinShape>()[0]->GetShapeType(), CxSkinShape::kEllipse);
    auto* panel = ChildrenOf<CPanelVirtualSpeaker>()[0];
    EXPECT_EQ(panel->GetSpeaker(CPanelVirtualSpeaker::kHeadId)->GetToolTipText(), L"Listener");
}

TEST_F(LytValueLoadTest, ASliderThatCannotComeUpFailsTheLoadAndLeavesNothingHalfMade) {
    // A missing bar image or, for a slider, a missing thumb: the image attribute is contained, the slider's
    // creation then refuses, and the load fails without a thumbless slider left in the window.
    const struct {
        const char* name;
        const char* images;
    } cases[] = {
        {"NoBar.lyt", "Image.Bar.Normal=\"missing.png\" Image.Thumb.Normal=\"thumb.png\""},
        {"NoThumb.lyt", "Image.Bar.Normal=\"bar.png\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Load(c.name, std::string("  <Slider Name=\"Broken\" Width=\"100\" Height=\"20\" ") + c.images +
                                   " />\n  <Image Name=\"After\" Source=\"image.png\" />\n"),
                  0)
            << c.name;
        EXPECT_TRUE(ChildrenOf<CxSkinSlider>().empty()) << c.name;
        EXPECT_TRUE(ChildrenOf<CxSkinStatic>().empty()) << c.name; // the load stopped there
    }
    // A progress bar needs no thumb.
    EXPECT_EQ(Load("Progress.lyt", "  <Slider Width=\"100\" Height=\"20\" Type=\"ProgressBar\""
                                   " Image.Bar.Normal=\"bar.png\" />\n"),
              1);
    EXPECT_EQ(ChildrenOf<CxSkinSlider>().size(), 1u);
}

} // namespace
