// The control base: render transform, font size limit, freeze, cursor, shape outline, tooltip tools,
// default font face and the error object.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <utility>

#include "LayerTestTree.h"
#include "SkinTestSupport.h"
#include "skin/LayerDialog.h"
#include "skin/LayerToolTip.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinGraphics.h"

using namespace oc::test;

namespace {

CxSkinCtrl* MakeCtrl(CLayerWnd* parent, int left, int top, int width, int height) {
    auto* ctrl = new CxSkinCtrl;
    ctrl->SetLeft(left);
    ctrl->SetTop(top);
    ctrl->SetWidth(width);
    ctrl->SetHeight(height);
    ctrl->Create({left, top, left + width, top + height}, parent, 1);
    ctrl->UpdateTransform(FALSE);
    return ctrl;
}

void ExpectRect(const RECT& actual, const RECT& expected, int tolerance = 1) {
    EXPECT_NEAR(actual.left, expected.left, tolerance);
    EXPECT_NEAR(actual.top, expected.top, tolerance);
    EXPECT_NEAR(actual.right, expected.right, tolerance);
    EXPECT_NEAR(actual.bottom, expected.bottom, tolerance);
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(SkinCtrl, TransformsMoveTheLayerRectangleAroundTheSameCentre) {
    FakeRoot root;
    const struct {
        double rotation, sx, sy;
        RECT expected;
    } cases[] = {
        {90, 1, 1, {40, -40, 60, 60}},                                       // 100 x 20 turned upright about (50, 10)
        {-30, 1, 1, {0, 0, 100, 20}},                                        // negative angles do not rotate
        {0, 2.0, 0.5, {-50, 5, 150, 15}}, {0, 1.0005, 1.0, {0, 0, 100, 20}}, // within 0.001: no transform
        {180, 1, 1, {0, 0, 100, 20}},
    };
    for (const auto& c : cases) {
        CxSkinCtrl* ctrl = MakeCtrl(&root, 0, 0, 100, 20);
        ctrl->SetRotation(c.rotation, TRUE);
        ctrl->SetScale(c.sx, c.sy, TRUE);
        ExpectRect(ctrl->GetRect(), c.expected);
        delete ctrl;
    }

    CxSkinCtrl* ctrl = MakeCtrl(&root, 0, 0, 100, 20);
    ctrl->SetScale(2.0, 0.5, TRUE);
    EXPECT_EQ(ctrl->GetScaleX(), 2.0);
    EXPECT_EQ(ctrl->GetScaleY(), 0.5);
    EXPECT_TRUE(ctrl->IsTransformed());
    EXPECT_TRUE(SameRect(ctrl->GetPaintRect(), {0, 0, 100, 20})); // painted at design size, then transformed
    delete ctrl;

    ctrl = MakeCtrl(&root, 0, 0, 100, 20);
    root.m_invalidated.clear();
    ctrl->SetScale(1.0005, 1.0, TRUE); // changes nothing at all
    EXPECT_EQ(ctrl->GetScaleX(), 1.0);
    EXPECT_EQ(ctrl->GetTransformMatrix(), nullptr);
    EXPECT_TRUE(root.m_invalidated.empty());
    delete ctrl;
}

TEST(SkinCtrl, RepeatedTransformsDoNotDrift) {
    FakeRoot root;
    for (const RECT design : {RECT{3, 4, 104, 25}, RECT{0, 0, 100, 20}, RECT{7, 9, 40, 71}}) {
        CxSkinCtrl* ctrl =
            MakeCtrl(&root, design.left, design.top, design.right - design.left, design.bottom - design.top);
        for (double angle : {45.0, 90.0, 33.0}) {
            ctrl->SetRotation(angle, FALSE);
            const RECT first = ctrl->GetRect();
            for (int i = 0; i < 50; ++i)
                ctrl->UpdateTransform(FALSE);
            EXPECT_TRUE(SameRect(ctrl->GetRect(), first)) << angle;
        }
        ctrl->SetScale(1.7, 0.6, FALSE);
        for (int i = 0; i < 20; ++i)
            ctrl->SetRotation(i % 2 ? 30.0 : 60.0, FALSE);
        ctrl->SetScale(1.0, 1.0, FALSE);
        ctrl->SetRotation(0, FALSE);
        EXPECT_TRUE(SameRect(ctrl->GetRect(), design)); // back exactly where it started
        delete ctrl;
    }
}

TEST(SkinCtrl, FontSizeAboveTwoHundredThrowsItsText) {
    CxSkinCtrl ctrl;
    ctrl.SetFontSize(200);
    EXPECT_EQ(ctrl.GetFontSize(), 200.0);
    try {
        ctrl.SetFontSize(201);
        FAIL() << "no exception";
    } catch (CException* error) { // also the framework's exception base
        ASSERT_TRUE(error->IsKindOf(RUNTIME_CLASS(CxSkinControlsException)));
        wchar_t text[128];
        EXPECT_TRUE(error->GetErrorMessage(text, 128));
        EXPECT_STREQ(text, L"CxSkinCtrl::SetFontSize: font size is invalid (nFontSize=201)!");
        error->Delete();
    }
    EXPECT_EQ(ctrl.GetFontSize(), 200.0);
}

TEST(SkinCtrl, ExceptionCopiesItsMessageOnlyWhenItFits) {
    CxSkinControlsException error(L"abc");
    wchar_t buffer[8] = L"xxxxxxx";
    EXPECT_FALSE(error.GetErrorMessage(buffer, 3)); // no room for the terminator
    EXPECT_EQ(buffer[0], L'x');
    EXPECT_TRUE(error.GetErrorMessage(buffer, 4));
    EXPECT_STREQ(buffer, L"abc");
    EXPECT_FALSE(error.GetErrorMessage(nullptr, 8));

    CxSkinControlsException empty(nullptr);
    EXPECT_TRUE(empty.GetErrorMessage(buffer, 1));
    EXPECT_STREQ(buffer, L"");
}

TEST(SkinCtrl, ClicksTakeFocusAndCaptureAndPassFrozenControls) {
    FakeRoot root;
    CxSkinCtrl* below = MakeCtrl(&root, 0, 0, 50, 50);
    CxSkinCtrl* above = MakeCtrl(&root, 0, 0, 50, 50);
    root.OnLButtonDown(0, {10, 10});
    EXPECT_EQ(root.GetFocusLayer(), above);
    EXPECT_EQ(root.GetCaptureLayer(), above);

    above->SetFreeze(TRUE);
    root.SetCaptureLayer(nullptr);
    root.OnRButtonDown(0, {10, 10});
    EXPECT_EQ(root.GetFocusLayer(), below); // a right click focuses but does not capture
    EXPECT_EQ(root.GetCaptureLayer(), nullptr);

    below->SetCapture();
    delete below; // gives up focus and capture on its way out
    EXPECT_EQ(root.GetFocusLayer(), nullptr);
    EXPECT_EQ(root.GetCaptureLayer(), nullptr);
}

TEST(SkinCtrl, DisablingRestoresTheArrowCursor) {
    FakeRoot root;
    CxSkinCtrl* ctrl = MakeCtrl(&root, 0, 0, 50, 50);
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    ctrl->SetCursor(32649, TRUE); // the system hand
    EXPECT_EQ(ctrl->GetCursor(), hand);
    ctrl->ApplyCursor(TRUE);
    EXPECT_EQ(GetCursor(), hand);

    root.m_invalidated.clear();
    ctrl->Enable(FALSE, TRUE);
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_FALSE(ctrl->IsEnabled(FALSE));
    EXPECT_EQ(root.m_invalidated.size(), 1u);
    ctrl->Enable(FALSE, TRUE); // unchanged: nothing
    EXPECT_EQ(root.m_invalidated.size(), 1u);

    ctrl->SetCursor(CxSkinCtrl::kArrowCursorId, TRUE);
    EXPECT_EQ(ctrl->GetCursor(), arrow);
    ctrl->ApplyCursor(TRUE); // the arrow is never applied by the control
    delete ctrl;
}

TEST(SkinCtrl, ShapeOutlineIsAPointedBottomOrNone) {
    FakeRoot root;
    CxSkinCtrl* wide = MakeCtrl(&root, 0, 0, 100, 20);
    wide->SetShapePolygon(90, TRUE); // room for a full triangle of 90 degrees
    ASSERT_NE(wide->GetShapeOutline(), nullptr);
    Gdiplus::RectF bounds;
    wide->GetShapeOutline()->GetBounds(&bounds);
    EXPECT_NEAR(bounds.X, 30, 0.5);
    EXPECT_NEAR(bounds.Width, 40, 0.5);
    EXPECT_NEAR(bounds.Height, 20, 0.5);
    wide->SetShapePolygon(200, TRUE);
    EXPECT_EQ(wide->GetShapeOutline(), nullptr);

    CxSkinCtrl* tall = MakeCtrl(&root, 0, 0, 20, 100);
    tall->SetShapePolygon(90, FALSE); // a rectangle with a pointed bottom
    ASSERT_NE(tall->GetShapeOutline(), nullptr);
    tall->GetShapeOutline()->GetBounds(&bounds);
    EXPECT_NEAR(bounds.Width, 20, 0.5);
    EXPECT_NEAR(bounds.Height, 100, 0.5);
    EXPECT_TRUE(tall->GetShapeOutline()->IsVisible(10.0f, 50.0f));
    EXPECT_FALSE(tall->GetShapeOutline()->IsVisible(1.0f, 98.0f));

    // A negative opening leaves the outline as it was; the next real angle still takes effect.
    const Gdiplus::GraphicsPath* outline = tall->GetShapeOutline();
    tall->SetShapePolygon(-5, TRUE);
    EXPECT_EQ(tall->GetShapeOutline(), outline);
    tall->SetShapePolygon(200, FALSE);
    EXPECT_EQ(tall->GetShapeOutline(), nullptr);
}

// Records tools as the dialog's tooltip window would hold them.
class FakeToolTip : public ILayerToolTip {
public:
    BOOL AddTool(CLayerWnd* owner, const wchar_t* text, const RECT* rect, UINT id) override {
        m_tools.push_back({owner, id, text, *rect});
        return TRUE;
    }
    void RemoveTool(CLayerWnd* owner, UINT id) override {
        auto it =
            std::find_if(m_tools.begin(), m_tools.end(), [&](const Tool& t) { return t.owner == owner && t.id == id; });
        if (it != m_tools.end())
            m_tools.erase(it);
    }
    void SetToolText(const wchar_t* text, CLayerWnd* owner) override {
        for (Tool& t : m_tools)
            if (t.owner == owner) {
                t.text = text;
                return;
            }
    }
    BOOL HasTool(CLayerWnd* owner, UINT id) const override {
        return std::any_of(m_tools.begin(), m_tools.end(),
                           [&](const Tool& t) { return t.owner == owner && t.id == id; });
    }
    void ShowWhileDisabled(CLayerWnd*, UINT) override {}
    int CountFor(const CLayerWnd* owner) const {
        return static_cast<int>(
            std::count_if(m_tools.begin(), m_tools.end(), [&](const Tool& t) { return t.owner == owner; }));
    }

    struct Tool {
        CLayerWnd* owner;
        UINT id;
        std::wstring text;
        RECT rect;
    };
    std::vector<Tool> m_tools;
};

class ControlInDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_root.Attach(&m_window));
        m_root.SetBackground(300, 200, nullptr, 0, 0);
        m_root.SetToolTip(&m_toolTip);
    }
    void TearDown() override { m_root.DestroyChildren(); }

    TestWindow m_window;
    CLayerDialog m_root;
    FakeToolTip m_toolTip;
};

TEST_F(ControlInDialog, TooltipToolFollowsTheControl) {
    auto* ctrl = new CxSkinCtrl;
    ctrl->SetLeft(10);
    ctrl->SetTop(20);
    ctrl->SetWidth(100);
    ctrl->SetHeight(20);
    ctrl->SetToolTip(L"Volume");
    ctrl->Create(ctrl->GetDesignRect(), &m_root, 1);
    ctrl->UpdateTransform(FALSE);
    ASSERT_EQ(m_toolTip.CountFor(ctrl), 1);
    EXPECT_EQ(m_toolTip.m_tools[0].text, L"Volume");
    EXPECT_TRUE(SameRect(m_toolTip.m_tools[0].rect, {10, 20, 110, 40}));

    ctrl->SetRotation(90, FALSE); // the tool moves with the turned rectangle
    ASSERT_EQ(m_toolTip.CountFor(ctrl), 1);
    ExpectRect(m_toolTip.m_tools[0].rect, {50, -20, 70, 80});

    ctrl->SetToolTip(L"Balance");
    EXPECT_EQ(m_toolTip.m_tools[0].text, L"Balance");
    ctrl->SetToolTip(L"");
    EXPECT_EQ(m_toolTip.CountFor(ctrl), 0);

    // A tool registered while the control's own text is empty still goes with the control.
    ctrl->UpdateToolTip(L"orphan");
    EXPECT_EQ(m_toolTip.CountFor(ctrl), 1);
    delete ctrl;
    EXPECT_TRUE(m_toolTip.m_tools.empty());
}

TEST_F(ControlInDialog, SnapshotAndTransformForDrawing) {
    CxSkinCtrl* ctrl = MakeCtrl(&m_root, 100, 50, 100, 20);
    m_root.Invalidate(TRUE);
    ctrl->CaptureBackground(m_root.GetMemDC());
    EXPECT_EQ(ctrl->GetBackgroundSnapshot().GetPixel(3, 3), 0xFF808080u); // the grey window background
    EXPECT_EQ(ctrl->GetBackgroundSnapshot().GetWidth(), 100);

    ctrl->SetText(L"x");
    ctrl->SetRotation(90, FALSE);
    Surface surface(10, 10);
    CxSkinGraphics g(surface.Dc());
    ctrl->ApplyTransform(*g);
    EXPECT_EQ(g->GetInterpolationMode(), Gdiplus::InterpolationModeHighQualityBicubic);
    EXPECT_EQ(g->GetSmoothingMode(), Gdiplus::SmoothingModeAntiAlias);
    EXPECT_EQ(g->GetTextRenderingHint(), Gdiplus::TextRenderingHintAntiAlias);
    // Turned about the control's own centre: the centre stays, a corner swings round it.
    Gdiplus::PointF points[2] = {{50, 10}, {0, 0}};
    g->TransformPoints(Gdiplus::CoordinateSpaceDevice, Gdiplus::CoordinateSpaceWorld, points, 2);
    EXPECT_NEAR(points[0].X, 50, 0.01);
    EXPECT_NEAR(points[0].Y, 10, 0.01);
    EXPECT_NEAR(points[1].X, 60, 0.01);
    EXPECT_NEAR(points[1].Y, -40, 0.01);
}

TEST_F(ControlInDialog, TextExtentAndResizeToContent) {
    auto* ctrl = new CxSkinCtrl;
    ctrl->Create({5, 6, 10, 10}, &m_root, 1);
    ctrl->SetLeft(5);
    ctrl->SetTop(6);
    EXPECT_EQ(ctrl->GetTextExtent().cx, 0);
    EXPECT_EQ(ctrl->GetTextExtent().cy, 0);
    ctrl->SetText(L"Headphone");
    const SIZE extent = ctrl->GetTextExtent();
    EXPECT_GT(extent.cx, 5);
    EXPECT_GT(extent.cy, 0);
    ctrl->SetFontFamily(L"No Such Face Anywhere"); // falls back to the generic sans-serif family
    EXPECT_GT(ctrl->GetTextExtent().cx, 5);
    ctrl->ResizeToContent();
    EXPECT_EQ(ctrl->GetRect().left, 5);
    EXPECT_EQ(ctrl->GetRect().right - ctrl->GetRect().left, ctrl->GetTextExtent().cx);
}

TEST_F(ControlInDialog, CopyTextStyleMakesASiblingWithTheSameLook) {
    auto* source = MakeCtrl(&m_root, 10, 10, 80, 20);
    source->SetText(L"Mute");
    source->SetForeColor(0xFF112233);
    source->SetFontSize(14);
    source->SetFontFamily(L"Arial");
    source->SetFontStyle(1);
    source->SetTextAlign(2);
    source->SetTextLineAlign(0);
    auto* copy = new CxSkinCtrl;
    source->CopyTextStyleTo(copy);
    EXPECT_EQ(copy->GetParent(), &m_root);
    EXPECT_TRUE(SameRect(copy->GetRect(), source->GetRect()));
    EXPECT_EQ(copy->GetText(), L"Mute");
    EXPECT_EQ(copy->GetForeColor(), 0xFF112233u);
    EXPECT_EQ(copy->GetFontSize(), 14.0);
    EXPECT_EQ(copy->GetFontFamily(), L"Arial");
    EXPECT_EQ(copy->GetFontStyle(), 1);
    EXPECT_EQ(copy->GetTextAlign(), 2);
    EXPECT_EQ(copy->GetTextLineAlign(), 0);
}

TEST_F(ControlInDialog, CreatesUnderItsParentObjectsLayer) {
    auto* panel = MakeCtrl(&m_root, 50, 50, 100, 100);
    auto* child = new CxSkinCtrl;
    child->SetParent(panel);
    child->SetLeft(5);
    child->SetTop(5);
    child->SetWidth(10);
    child->SetHeight(10);
    child->SetId(77);
    EXPECT_EQ(child->Create(), 1);
    EXPECT_EQ(child->GetParent(), panel);
    EXPECT_EQ(child->GetId(), 77u);
    EXPECT_TRUE(SameRect(child->GetRectInHost(), {55, 55, 65, 65}));
    EXPECT_STREQ(child->GetTypeName(), L"control");
    EXPECT_STREQ(child->GetClassName(), L"CxSkinCtrl");
}

// A root layer that is also the dialog's skin object, as the skinned dialog is.
class DialogObject : public CLayerDialog, public CxSkinObject {
public:
    const wchar_t* GetTypeName() const override { return L"Dialog"; }
};

TEST(SkinCtrl, UnderADialogTheControlHangsFromItsRootLayer) {
    TestWindow window;
    DialogObject dialog;
    ASSERT_TRUE(dialog.Attach(&window));
    auto* ctrl = new CxSkinCtrl;
    ctrl->SetParent(&dialog); // the dialog's skin object points at no layer: the type decides
    ctrl->SetWidth(10);
    ctrl->SetHeight(10);
    EXPECT_EQ(ctrl->Create(), 1);
    EXPECT_EQ(ctrl->GetParent(), &dialog);
    EXPECT_EQ(ctrl->GetRootLayer(), &dialog);
}

TEST(SkinCtrl, DefaultFontFaceFallsBackToTahoma) {
    const wchar_t* key = L"Software\\OvercoatSkinTests\\FontSubstitutes";
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\OvercoatSkinTests");
    EXPECT_EQ(CxSkinCtrl::ReadFontFace(HKEY_CURRENT_USER, key, L"MS Shell Dlg 2"), L"Tahoma"); // no key

    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    auto setString = [&](const wchar_t* name, const std::wstring& value) {
        RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    };
    setString(L"short", L"Arial");
    setString(L"long", std::wstring(60, L'W')); // more than the 100-byte buffer holds
    setString(L"empty", L"");
    const DWORD number = 7;
    RegSetValueExW(handle, L"number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
    // A string stored without its terminator.
    const wchar_t raw[4] = {L'S', L'e', L'g', L'o'};
    RegSetValueExW(handle, L"unterminated", 0, REG_SZ, reinterpret_cast<const BYTE*>(raw), sizeof(raw));
    RegCloseKey(handle);

    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"short", L"Arial"},   {L"long", L"Tahoma"},       {L"empty", L"Tahoma"},
        {L"number", L"Tahoma"}, {L"unterminated", L"Sego"}, {L"missing", L"Tahoma"},
    };
    for (const auto& [name, face] : cases)
        EXPECT_EQ(CxSkinCtrl::ReadFontFace(HKEY_CURRENT_USER, key, name), face) << name;
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\OvercoatSkinTests");

    EXPECT_FALSE(CxSkinCtrl::GetDefaultFontFace().empty());
    CxSkinCtrl ctrl;
    EXPECT_EQ(ctrl.GetFontFamily(), CxSkinCtrl::GetDefaultFontFace());
}

} // namespace
