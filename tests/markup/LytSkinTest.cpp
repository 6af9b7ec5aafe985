// The markup model over real skin controls: the control adapter, the transparent cursor resource, and
// the program's element table, which makes no object until the element kinds join it.
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include <memory>

#include "LytFakes.h"
#include "MarkupTestUtil.h"
#include "TestPaths.h"
#include "markup/LytObject.h"
#include "markup/LytSkinControl.h"
#include "markup/LytSkinElements.h"
#include "skin/SkinCtrl.h"

using namespace oc::test;

namespace {

class GdiplusSession : public testing::Environment {
public:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&m_token, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(m_token); }

private:
    ULONG_PTR m_token = 0;
};

[[maybe_unused]] testing::Environment* const g_gdiplus = testing::AddGlobalTestEnvironment(new GdiplusSession);

// A markup object over a control that the test owns (in the program the layer tree owns it).
class LytSkinTest : public testing::Test {
protected:
    void SetUp() override { root.Create({0, 0, 400, 300}, nullptr, 0); }
    void TearDown() override {
        if (object)
            object->Destroy();
        root.DestroyChildren();
    }
    int Set(const wchar_t* name, const wchar_t* value) { return object->SetAttribute(name, value); }

    FakeEnvironment environment;
    CLayerWnd root;
    CxSkinCtrl* ctrl = new CxSkinCtrl; // a child of root once created, freed with it
    CLytObject* object = new CLytObject(environment, std::make_unique<CLytSkinControl>(ctrl));
};

TEST_F(LytSkinTest, CommonAttributesSetTheControl) {
    Set(L"Name", L"Balance");
    Set(L"Left", L"10");
    Set(L"Top", L"20");
    Set(L"Width", L"100");
    Set(L"Height", L"20");
    Set(L"Text", L"Left");
    Set(L"Opacity", L"0.25");
    Set(L"FontSize", L"12");
    Set(L"FontWeight", L"Bold");
    Set(L"Background", L"#FF102030");
    Set(L"Background", L"Transparent");
    Set(L"Text.HorizontalAlignment", L"Right");
    Set(L"Freeze", L"True");
    EXPECT_EQ(ctrl->GetName(), L"Balance");
    const RECT design = ctrl->GetDesignRect();
    EXPECT_EQ(design.left, 10);
    EXPECT_EQ(design.bottom, 40);
    EXPECT_EQ(ctrl->GetText(), L"Left");
    EXPECT_EQ(ctrl->GetTransparency(), 75);
    EXPECT_EQ(ctrl->GetFontSize(), 12.0);
    EXPECT_EQ(ctrl->GetFontStyle(), 1);
    EXPECT_FALSE(ctrl->HasBackColor());
    EXPECT_EQ(ctrl->GetTextAlign(), 2);
    EXPECT_TRUE(ctrl->IsFrozen());
}

TEST_F(LytSkinTest, VisibilityBeforeTheLayerExistsIsKeptForIt) {
    EXPECT_EQ(Set(L"Visibility", L"Hidden"), 1);
    EXPECT_FALSE(ctrl->IsVisible());
    ctrl->SetParent(nullptr);
    ASSERT_TRUE(ctrl->Create({0, 0, 10, 10}, &root, 1));
    EXPECT_FALSE(ctrl->IsVisible());
}

TEST_F(LytSkinTest, ShearAndOriginShapeTheTransform) {
    Set(L"Width", L"100");
    Set(L"Height", L"20");
    ASSERT_TRUE(ctrl->Create({0, 0, 100, 20}, &root, 1));
    Set(L"SkewAngleX", L"45");
    ctrl->UpdateTransform(FALSE);
    const RECT sheared = ctrl->GetRect();
    EXPECT_GT(sheared.right - sheared.left, 110); // a shear of 1 leans the 20-high box 20 to the side

    Set(L"SkewAngleX", L"0");
    Set(L"RotateAngle", L"90");
    ctrl->UpdateTransform(FALSE);
    const RECT aboutCentre = ctrl->GetRect();
    Set(L"TransformOrigin", L"0,0");
    ctrl->UpdateTransform(FALSE);
    EXPECT_NE(ctrl->GetRect().left, aboutCentre.left);
}

TEST_F(LytSkinTest, CursorNoneIsTheProgramsTransparentCursor) {
    EXPECT_EQ(Set(L"Cursor", L"None"), 1);
    const HCURSOR cursor = ctrl->GetCursor();
    ASSERT_NE(cursor, nullptr);
    EXPECT_NE(cursor, ::LoadCursorW(nullptr, IDC_ARROW));
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 16u);
    EXPECT_EQ(info.yHotspot, 9u);
    if (info.hbmMask)
        ::DeleteObject(info.hbmMask);
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    Set(L"Cursor", L"Arrow");
    EXPECT_EQ(ctrl->GetCursor(), ::LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(LytSkinTest, TheProgramsElementTableKnowsOnlyItsOwnKinds) {
    TempDir dir;
    environment.skinFolder = WidePath(dir / "");
    WriteBytes(dir / "DesignDictResource.lyt", "<ResourceDictionary.MergedDictionaries />");
    // "Window" is only ever a dialog's root; names are compared case-sensitively.
    WriteBytes(dir / "Test.lyt", "<Canvas Name=\"Panel\">"
                                 "<Window /><button /><Unknown /><Button Name=\"Known\" />"
                                 "</Canvas>");
    ASSERT_TRUE(ctrl->Create({0, 0, 10, 10}, &root, 1));
    ILytController* controller = CreateSkinLytController(environment);
    EXPECT_EQ(controller->Load(WidePath(dir / "Test.lyt").c_str(), ctrl, nullptr), 1);
    controller->Release();
    EXPECT_EQ(ctrl->GetName(), L"Panel");
    ASSERT_EQ(ctrl->GetChildCount(), 1);
}

} // namespace
