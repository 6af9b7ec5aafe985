// The menu row on its own: measuring, the separator and inactive rules, the click and hover tests, image
// loading failures and what a draw puts on a 32-bit surface.
#include <gtest/gtest.h>

#include <cstdlib>

#include "SkinTestSupport.h"
#include "TestPaths.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinMenu.h"
#include "skin/SkinMenuItem.h"

using namespace oc::test;
using namespace Gdiplus;

namespace {

bool Near(int a, int b, int tolerance = 3) {
    return std::abs(a - b) <= tolerance;
}

class SkinMenuItemTest : public ::testing::Test {
protected:
    // Writes a solid image and answers its path.
    std::wstring Image(const char* name, int width, int height, ARGB color) {
        auto image = SolidImage(width, height, color);
        const auto file = dir / name;
        EXPECT_TRUE(SavePng(*image, file));
        return file.wstring();
    }

    TempDir dir;
    CxSkinMenuItem row;
};

TEST_F(SkinMenuItemTest, MeasuresTextTitleAndContentImage) {
    EXPECT_EQ(row.Measure(nullptr), 24 + 10) << "no text: the title column and the padding";
    row.SetTitleWidth(30);
    EXPECT_EQ(row.Measure(nullptr), 30 + 10);
    row.SetItemContentImage(kMenuItemNormal, Image("content.png", 16, 16, 0xFFFF0000).c_str());
    EXPECT_EQ(row.Measure(nullptr), 30 + 10 + 16 + 4);
    row.SetContent(L"Copy");
    const int withText = row.Measure(nullptr);
    EXPECT_GT(withText, 60);
    // The wider of the two state fonts decides.
    row.SetTextFontHeight(kMenuItemHot, 30);
    EXPECT_GT(row.Measure(nullptr), withText);
}

TEST_F(SkinMenuItemTest, SeparatorsAreAsHighAsTheirImageAndReportNothing) {
    row.SetId(7);
    row.SetContent(L"Text");
    EXPECT_EQ(row.GetHeight(), 24);
    EXPECT_EQ(row.GetId(), 7);
    row.SetFlags(MF_SEPARATOR);
    EXPECT_EQ(row.GetHeight(), 0);
    EXPECT_EQ(row.GetId(), 0) << "a separator reports no identifier even when it has one";
    EXPECT_EQ(row.GetToolTipText(), L"");
    row.SetSeparatorImage(Image("sep.png", 40, 3, 0xFF00FF00).c_str());
    EXPECT_EQ(row.GetHeight(), 3);
}

TEST_F(SkinMenuItemTest, ClickAndHoverTests) {
    struct Case {
        UINT flags;
        int height;
        POINT point;
        BOOL click;
        BOOL hover;
    } const cases[] = {
        {0, 20, {15, 15}, TRUE, TRUE},
        {0, 20, {5, 15}, FALSE, FALSE}, // left of the row
        {MF_DISABLED, 20, {15, 15}, FALSE, FALSE},
        {MF_GRAYED, 20, {15, 15}, FALSE, FALSE},
        {MF_SEPARATOR, 20, {15, 15}, FALSE, FALSE},
        {MF_CHECKED, 20, {15, 15}, TRUE, TRUE},
        {0, 0, {15, 10}, FALSE, FALSE}, // a row of no height
    };
    for (const Case& c : cases) {
        CxSkinMenuItem item;
        item.SetFlags(c.flags);
        item.SetRect({10, 10}, {100, c.height});
        EXPECT_EQ(item.HitTest(c.point), c.click) << "flags " << c.flags;
        EXPECT_EQ(item.HitTestHover(c.point), c.hover) << "flags " << c.flags;
        EXPECT_EQ(item.IsHover(), c.hover);
    }
}

TEST_F(SkinMenuItemTest, HoverTestClearsAnEarlierHover) {
    row.SetRect({0, 0}, {100, 20});
    ASSERT_TRUE(row.HitTestHover({5, 5}));
    EXPECT_FALSE(row.HitTestHover({5, 50}));
    EXPECT_FALSE(row.IsHover());
}

TEST_F(SkinMenuItemTest, ImageSettersIgnoreEmptyPathsAndThrowOnMissingFiles) {
    row.SetCheckImage(L"");
    row.SetItemContentImage(kMenuItemHot, nullptr);
    EXPECT_EQ(row.GetImage(CxSkinMenuItem::kCheckImage), nullptr);

    const std::wstring missing = (dir / "missing.png").wstring();
    struct Case {
        void (*set)(CxSkinMenuItem&, const wchar_t*);
        const wchar_t* message;
    } const cases[] = {
        {[](CxSkinMenuItem& r, const wchar_t* p) { r.SetIconImage(p); }, L"LoadImage: failed to load "},
        {[](CxSkinMenuItem& r, const wchar_t* p) { r.SetCheckImage(p); }, L"LoadImage: failed to load "},
        {[](CxSkinMenuItem& r, const wchar_t* p) { r.SetSubMenuImage(p); }, L"LoadImage: failed to load "},
        {[](CxSkinMenuItem& r, const wchar_t* p) { r.SetSeparatorImage(p); }, L"LoadImage: failed to load "},
        {[](CxSkinMenuItem& r, const wchar_t* p) { r.SetItemContentImage(0, p); },
         L"SetItemContentImage: failed to load "},
        {[](CxSkinMenuItem& r, const wchar_t* p) { r.SetItemBackgroundImage(1, p); },
         L"SetItemContentImage: failed to load "},
    };
    for (const Case& c : cases) {
        try {
            c.set(row, missing.c_str());
            ADD_FAILURE() << "no exception";
        } catch (CxSkinControlsException* e) {
            EXPECT_EQ(e->GetMessage(), std::wstring(c.message) + missing);
            e->Delete();
        }
    }
}

TEST_F(SkinMenuItemTest, DrawsCheckMarkArrowAndContentImage) {
    row.SetFlags(MF_CHECKED);
    row.SetCheckImage(Image("check.png", 8, 8, 0xFF0000FF).c_str());
    row.SetSubMenuImage(Image("arrow.png", 6, 10, 0xFF00FF00).c_str());
    row.SetItemContentImage(kMenuItemNormal, Image("content.png", 10, 10, 0xFFFF0000).c_str());
    auto* sub = new CxSkinMenu;
    row.SetSubMenu(sub); // the row owns it
    row.SetRect({0, 0}, {100, 24});
    Surface surface(120, 40);
    row.Draw(surface.Dc(), FALSE);

    EXPECT_EQ(surface.At(12, 12), 0xFF0000FFu) << "check mark centred in the title column";
    EXPECT_EQ(surface.At(9, 9), 0xFF0000FFu);
    EXPECT_EQ(Alpha(surface.At(5, 12)), 0);
    EXPECT_EQ(surface.At(97, 12), 0xFF00FF00u) << "arrow at the right edge, centred vertically";
    EXPECT_EQ(surface.At(26, 5), 0xFFFF0000u) << "content image at the text column";
}

TEST_F(SkinMenuItemTest, InactiveContentImageIsGreyAtHalfOpacity) {
    row.SetItemContentImage(kMenuItemNormal, Image("content.png", 10, 10, 0xFFFF0000).c_str());
    row.SetRect({0, 0}, {100, 24});
    for (UINT flags : {UINT(MF_DISABLED), UINT(MF_GRAYED)}) {
        row.SetFlags(flags);
        Surface surface(120, 40);
        row.Draw(surface.Dc(), FALSE);
        const uint32_t pixel = surface.At(28, 4);
        EXPECT_TRUE(Near(Alpha(pixel), 127)) << std::hex << pixel;
        // 0.299 of full red, premultiplied by the halved alpha.
        EXPECT_TRUE(Near(Red(pixel), 38)) << std::hex << pixel;
        EXPECT_EQ(Red(pixel), Green(pixel));
        EXPECT_EQ(Green(pixel), Blue(pixel));
    }
}

TEST_F(SkinMenuItemTest, HotRowUsesTheHotContentImageAndItsHighlight) {
    row.SetItemContentImage(kMenuItemNormal, Image("normal.png", 10, 10, 0xFFFF0000).c_str());
    row.SetItemContentImage(kMenuItemHot, Image("hot.png", 10, 10, 0xFF00FF00).c_str());
    row.SetHighlightImage(SolidImage(4, 4, 0xFF0000FF));
    row.SetEffect(kMenuEffectImage);
    row.SetSkipTitleDrawing(TRUE);
    row.SetRect({0, 0}, {100, 24});
    Surface surface(120, 40);
    row.Draw(surface.Dc(), TRUE);
    EXPECT_EQ(surface.At(28, 4), 0xFF00FF00u);
    EXPECT_EQ(surface.At(60, 12), 0xFF0000FFu) << "highlight over the row";
    EXPECT_EQ(Alpha(surface.At(10, 20)), 0) << "skip title drawing leaves the title column";
    EXPECT_TRUE(row.IsHover());
}

TEST_F(SkinMenuItemTest, ReportsTextCutShort) {
    row.SetContent(L"A rather long menu text that cannot fit");
    row.SetTextFontHeight(kMenuItemNormal, 10);
    Surface surface(400, 40);
    row.SetRect({0, 0}, {60, 24});
    row.Draw(surface.Dc(), FALSE);
    EXPECT_TRUE(row.IsTextTruncated());
    row.SetRect({0, 0}, {390, 24});
    row.Draw(surface.Dc(), FALSE);
    EXPECT_FALSE(row.IsTextTruncated());
    row.SetRect({0, 0}, {60, 24});
    row.SetDrawTextContent(FALSE);
    row.Draw(surface.Dc(), FALSE);
    EXPECT_FALSE(row.IsTextTruncated()) << "text that is not drawn is never cut";
}

} // namespace
