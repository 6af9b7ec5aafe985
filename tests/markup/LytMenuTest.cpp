// The menu elements over real skin menus: the menu's and the row's attribute tables, the state-prefixed
// row attributes, rows joining their menu in document order, and whole menu files loaded into a menu.
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include <memory>

#include "LytFakes.h"
#include "MarkupTestUtil.h"
#include "TestPaths.h"
#include "markup/LytController.h"
#include "markup/LytMenu.h"
#include "markup/LytMenuItem.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinMenu.h"
#include "skin/SkinMenuItem.h"

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

// The two menu kinds, and menus wrapped as the program's controller wraps them.
class MenuElementFactory : public ILytElementFactory {
public:
    std::span<const LytElementKind> GetElementKinds() const override {
        static const LytElementKind kinds[] = {
            {L"SkinMenu", &CLytMenu::CreateElement},
            {L"SkinMenuItem", &CLytMenuItem::CreateInstance},
        };
        return kinds;
    }
    ILytObject* WrapSkinObject(IxSkinObject* object, ILytEnvironment& environment) const override {
        return CLytMenu::CreateInstance(environment, object);
    }
};

class LytMenuTest : public testing::Test {
protected:
    void SetUp() override {
        environment.texts[L"ml_Copy"] = L"Copy it";
        environment.skinFolder = WidePath(dir / "");
        wrapper = CLytMenu::CreateInstance(environment, static_cast<CxSkinObject*>(&menu));
    }
    void TearDown() override { wrapper->Destroy(); }

    // A row element under the wrapper, not yet finished.
    CLytMenuItem* NewRow() {
        auto* item = new CLytMenuItem(environment);
        item->SetParent(wrapper);
        return item;
    }
    static CxSkinMenuItem* RowOf(ILytObject* item) { return dynamic_cast<CxSkinMenuItem*>(item->GetControl()); }

    FakeEnvironment environment;
    TempDir dir;
    CxSkinMenu menu;
    CLytMenu* wrapper = nullptr;
};

TEST_F(LytMenuTest, MenuAttributes) {
    EXPECT_EQ(wrapper->GetTypeName(), L"SkinMenu");
    EXPECT_EQ(wrapper->SetAttribute(L"Background", L"#80112233"), 1);
    EXPECT_EQ(menu.GetBackgroundColor(), 0x80112233u);
    wrapper->SetAttribute(L"Margin.Background", L"1,2,3,4");
    EXPECT_EQ(menu.GetBackgroundMargins().left, 1);
    EXPECT_EQ(menu.GetBackgroundMargins().bottom, 4);
    wrapper->SetAttribute(L"Margin.Item", L"5,6,7,8");
    EXPECT_EQ(menu.GetItemMargins().top, 6);
    EXPECT_EQ(menu.GetItemMargins().right, 7);
    wrapper->SetAttribute(L"MaxWidth", L"180px");
    EXPECT_EQ(menu.GetMaxWidth(), 180);
    wrapper->SetAttribute(L"DynamicWidth", L"true");
    EXPECT_FALSE(menu.IsDynamicWidth()) << "only True, whole and case-sensitive";
    wrapper->SetAttribute(L"DynamicWidth", L"True");
    EXPECT_TRUE(menu.IsDynamicWidth());
    wrapper->SetAttribute(L"TrackingOffset", L"-3,9");
    EXPECT_EQ(menu.GetTrackingOffset().x, -3);
    EXPECT_EQ(menu.GetTrackingOffset().y, 9);
    wrapper->SetAttribute(L"Opacity", L"0.25");
    EXPECT_EQ(menu.GetTransparency(), 75);
    wrapper->SetAttribute(L"Opacity", L"1.7");
    EXPECT_EQ(menu.GetTransparency(), 0);
    wrapper->SetAttribute(L"Border", L"3");
    EXPECT_EQ(menu.GetBorder(), 3);
    wrapper->SetAttribute(L"Border.Color", L"Red");
    EXPECT_EQ(menu.GetBorderColor(), 0xFFFF0000u);
}

TEST_F(LytMenuTest, TrackingAlignIsTopOnlyInCapitals) {
    wrapper->SetAttribute(L"TrackingAlign", L"TOP");
    EXPECT_EQ(menu.GetTrackingAlign(), kMenuAlignTop);
    wrapper->SetAttribute(L"TrackingAlign", L"Top");
    EXPECT_EQ(menu.GetTrackingAlign(), kMenuAlignRight);
}

TEST_F(LytMenuTest, TheMenuTakesNoCommonAttributes) {
    menu.SetName(L"Keep");
    for (const wchar_t* name : {L"Name", L"Left", L"Tooltip", L"Visibility", L"Unknown"})
        EXPECT_EQ(wrapper->SetAttribute(name, L"7"), 0) << name;
    EXPECT_EQ(menu.GetMenuName(), L"Keep");
    EXPECT_EQ(wrapper->SetAttribute(L"MaxWidth", L""), 0);
    EXPECT_EQ(menu.GetMaxWidth(), 0);
}

TEST_F(LytMenuTest, RowAttributes) {
    CLytMenuItem* item = NewRow();
    CxSkinMenuItem* row = RowOf(item);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(item->GetTypeName(), L"SkinMenuItem");
    item->SetAttribute(L"Name", L"Copy");
    EXPECT_EQ(row->GetName(), L"Copy");
    item->SetAttribute(L"Content", L"ml_Copy");
    EXPECT_EQ(row->GetContent(), L"Copy it");
    item->SetAttribute(L"Height", L"30");
    EXPECT_EQ(row->GetHeight(), 30);
    item->SetAttribute(L"TitleWidth", L"16");
    EXPECT_EQ(row->Measure(nullptr) > 16, true);
    item->SetAttribute(L"DrawTextContent", L"False");
    item->SetAttribute(L"SkipTitleDrawing", L"True");
    EXPECT_EQ(item->SetAttribute(L"Tooltip", L"x"), 0) << "a row takes none of the common attributes";
    EXPECT_EQ(item->SetAttribute(L"Background", L"Red"), 0) << "colours belong to a state";

    struct EffectCase {
        const wchar_t* value;
        int effect;
    } const effects[] = {{L"Image", 1}, {L"ColorMasking", 2}, {L"Light", 3}, {L"image", 3}};
    for (const EffectCase& c : effects) {
        item->SetAttribute(L"Effect", c.value);
        EXPECT_EQ(row->GetEffect(), c.effect) << c.value;
    }
}

TEST_F(LytMenuTest, FlagsTakeTheFirstWordFoundAnywhere) {
    struct Case {
        const wchar_t* value;
        UINT flags;
    } const cases[] = {
        {L"Checked|Disabled", MF_CHECKED}, {L"Disabled,Checked", MF_CHECKED},    {L"MySeparatorLine", MF_SEPARATOR},
        {L"Disabled", MF_DISABLED},        {L"Checked Separator", MF_SEPARATOR},
    };
    for (const Case& c : cases) {
        CLytMenuItem* item = NewRow();
        EXPECT_EQ(item->SetAttribute(L"Flags", c.value), 1);
        EXPECT_EQ(RowOf(item)->GetFlags(), c.flags) << c.value;
    }
    CLytMenuItem* item = NewRow();
    RowOf(item)->SetFlags(MF_GRAYED);
    EXPECT_EQ(item->SetAttribute(L"Flags", L"Enabled"), 1);
    EXPECT_EQ(RowOf(item)->GetFlags(), UINT(MF_GRAYED)) << "no known word: nothing changes";
}

TEST_F(LytMenuTest, StatePrefixedAttributes) {
    environment.dpi = 120;
    CLytMenuItem* item = NewRow();
    CxSkinMenuItem* row = RowOf(item);
    EXPECT_EQ(item->SetAttribute(L"Over.Text.FontWeight", L"Bold"), 1);
    EXPECT_EQ(row->GetFontStyle(kMenuItemHot), 1);
    EXPECT_EQ(row->GetFontStyle(kMenuItemNormal), 0);
    item->SetAttribute(L"Normal.Text.FontHeight", L"12.9");
    EXPECT_EQ(row->GetFontHeight(kMenuItemNormal), 9) << "12 x 96 / 120";
    item->SetAttribute(L"Over.Text.FontHeight", L"250");
    EXPECT_EQ(row->GetFontHeight(kMenuItemHot), 80) << "clamped to 100 first";
    item->SetAttribute(L"Normal.Text.Foreground", L"#FF010203");
    EXPECT_EQ(row->GetTextColor(kMenuItemNormal), 0xFF010203u);
    item->SetAttribute(L"Over.Background", L"Blue");
    EXPECT_EQ(row->GetBackgroundColor(kMenuItemHot), 0xFF0000FFu);
    item->SetAttribute(L"Over.Text.FontName", L"Arial");
    EXPECT_EQ(row->GetFontName(kMenuItemHot), L"Arial");
    item->SetAttribute(L"Normal.LightColor", L"Lime");
    EXPECT_EQ(row->GetLightColor(), 0xFF00FF00u);
    item->SetAttribute(L"Over.LightColor", L"Navy");
    EXPECT_EQ(row->GetLightColor(), 0xFF000080u) << "one light for both states";

    for (const wchar_t* name : {L"Hot.Text.FontWeight", L"Over.Name", L"Over.", L"Normal.Flags"})
        EXPECT_EQ(item->SetAttribute(name, L"Bold"), 0) << name;
    EXPECT_EQ(row->GetFontStyle(kMenuItemNormal), 0);
}

TEST_F(LytMenuTest, ImagesComeFromTheSkinFolderAndAMissingOneCostsOnlyThatImage) {
    auto image = std::make_unique<Gdiplus::Bitmap>(8, 8, PixelFormat32bppARGB);
    CLSID png{};
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::vector<BYTE> storage(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(storage.data());
    Gdiplus::GetImageEncoders(count, size, codecs);
    for (UINT i = 0; i < count; ++i) {
        if (wcscmp(codecs[i].MimeType, L"image/png") == 0)
            png = codecs[i].Clsid;
    }
    ASSERT_EQ(image->Save(WidePath(dir / "check.png").c_str(), &png, nullptr), Gdiplus::Ok);

    CLytMenuItem* item = NewRow();
    EXPECT_EQ(item->SetAttribute(L"Image.Check", L"check.png"), 1);
    EXPECT_NE(RowOf(item)->GetImage(CxSkinMenuItem::kCheckImage), nullptr);
    EXPECT_EQ(item->SetAttribute(L"Over.Image.Content", L"check.png"), 1);
    EXPECT_NE(RowOf(item)->GetContentImage(kMenuItemHot), nullptr);
    for (const wchar_t* attribute : {L"Image.SubMenu", L"Normal.Image.Background"}) {
        try {
            EXPECT_EQ(item->SetAttribute(attribute, L"missing.png"), 1) << "recognised, though it failed";
        } catch (CxSkinControlsException* e) {
            ADD_FAILURE() << "escaped: " << std::string(e->GetMessage().begin(), e->GetMessage().end());
            e->Delete();
        }
    }
    EXPECT_EQ(RowOf(item)->GetImage(CxSkinMenuItem::kSubMenuImage), nullptr);
    EXPECT_NE(RowOf(item)->GetImage(CxSkinMenuItem::kCheckImage), nullptr) << "the images that loaded stay";
}

TEST_F(LytMenuTest, FinishedRowsJoinTheMenuInDocumentOrder) {
    CLytMenuItem* first = NewRow();
    first->SetAttribute(L"Name", L"First");
    CLytMenuItem* second = NewRow();
    second->SetAttribute(L"Name", L"Second");
    EXPECT_EQ(second->OnCreated(), 1);
    EXPECT_EQ(first->OnCreated(), 1);
    ASSERT_EQ(menu.GetItemCount(), 2);
    EXPECT_EQ(menu.GetItem(0)->GetName(), L"Second");
    EXPECT_EQ(static_cast<CxSkinMenuItem*>(menu.GetItem(1))->GetOwner(), static_cast<CxSkinObject*>(&menu));
    // A row without a menu above it stays with its object, which frees it.
    auto* loose = new CLytMenuItem(environment);
    EXPECT_EQ(loose->OnCreated(), 1);
    loose->Destroy();
    EXPECT_EQ(menu.GetItemCount(), 2);
}

TEST_F(LytMenuTest, LoadsAMenuFileIntoAnExistingMenu) {
    WriteBytes(dir / "DesignDictResource.lyt", "<ResourceDictionary.MergedDictionaries />");
    WriteBytes(dir / "Menu.lyt", "<SkinMenu Name=\"Renamed\" MaxWidth=\"150\" TrackingAlign=\"TOP\">"
                                 "<SkinMenuItem Name=\"A\" Content=\"ml_Copy\" />"
                                 "<SkinMenuItem Name=\"B\" Flags=\"Separator\" />"
                                 "<SkinMenuItem Name=\"C\" Flags=\"Disabled\" />"
                                 "</SkinMenu>");
    WriteBytes(dir / "Nested.lyt", "<SkinMenu><SkinMenuItem Name=\"More\">"
                                   "<SkinMenu MaxWidth=\"90\"><SkinMenuItem Name=\"Inner\" /></SkinMenu>"
                                   "</SkinMenuItem></SkinMenu>");
    WriteBytes(dir / "Broken.lyt", "<SkinMenu><SkinMenuItem Name=\"D\" />"
                                   "<SkinMenuItem Name=\"E\" Image.Check=\"missing.png\" /></SkinMenu>");
    const MenuElementFactory factory;
    ILytController* controller = CLytController::CreateInstance(environment, factory);
    menu.SetName(L"Jack");
    EXPECT_EQ(controller->Load(WidePath(dir / "Menu.lyt").c_str(), static_cast<CxSkinObject*>(&menu), nullptr), 1);
    ASSERT_EQ(menu.GetItemCount(), 3);
    EXPECT_EQ(menu.GetItem(0)->GetName(), L"A");
    EXPECT_EQ(menu.GetItem(0)->GetToolTipText(), L"Copy it");
    EXPECT_EQ(menu.GetItem(1)->GetId(), 0);
    EXPECT_EQ(menu.GetItem(2)->GetName(), L"C");
    EXPECT_EQ(menu.GetMenuName(), L"Jack") << "the root's Name does not rename the menu";
    EXPECT_EQ(menu.GetMaxWidth(), 150);
    EXPECT_EQ(menu.GetTrackingAlign(), kMenuAlignTop);

    // A menu written inside a row is that row's sub-menu.
    CxSkinMenu nested;
    ASSERT_EQ(controller->Load(WidePath(dir / "Nested.lyt").c_str(), static_cast<CxSkinObject*>(&nested), nullptr), 1);
    ASSERT_EQ(nested.GetItemCount(), 1);
    CxSkinMenu* sub = nested.GetItem(0)->GetSubMenu();
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->GetParentMenu(), &nested);
    EXPECT_EQ(sub->GetMaxWidth(), 90);
    ASSERT_EQ(sub->GetItemCount(), 1);
    EXPECT_EQ(sub->GetItem(0)->GetName(), L"Inner");

    // A missing row image costs that row its image only: the load goes on and every row joins the menu.
    EXPECT_EQ(controller->Load(WidePath(dir / "Broken.lyt").c_str(), static_cast<CxSkinObject*>(&menu), nullptr), 1);
    ASSERT_EQ(menu.GetItemCount(), 5);
    EXPECT_EQ(menu.GetItem(3)->GetName(), L"D");
    EXPECT_EQ(menu.GetItem(4)->GetName(), L"E");
    controller->Release();
}

// A menu that counts its own end, made by the menu element as the program's menu element makes one.
class CountedMenu : public CxSkinMenu {
public:
    explicit CountedMenu(int& ended) : m_ended(ended) {}
    ~CountedMenu() override { ++m_ended; }

private:
    int& m_ended;
};

class CountedMenuElement : public CLytMenu {
public:
    CountedMenuElement(ILytEnvironment& environment, int& ended)
        : CLytMenu(environment, static_cast<CxSkinObject*>(new CountedMenu(ended)), true) {}
};

class CountingMenuFactory : public MenuElementFactory {
public:
    std::span<const LytElementKind> GetElementKinds() const override {
        static const LytElementKind kinds[] = {
            {L"SkinMenu", [](ILytEnvironment& e) -> ILytObject* { return new CountedMenuElement(e, s_ended); }},
            {L"SkinMenuItem", &CLytMenuItem::CreateInstance},
        };
        return kinds;
    }
    static int s_ended;
};
int CountingMenuFactory::s_ended = 0;

// A menu element no row adopts is freed with the load; a row's sub-menu and a placed load's root are not.
TEST_F(LytMenuTest, AMenuNoRowAdoptsGoesWithTheLoad) {
    WriteBytes(dir / "DesignDictResource.lyt", "<ResourceDictionary.MergedDictionaries />");
    WriteBytes(dir / "Stray.lyt", "<SkinMenu><SkinMenuItem Name=\"Kept\">"
                                  "<SkinMenu><SkinMenuItem Name=\"Inner\" /></SkinMenu></SkinMenuItem>"
                                  "<SkinMenu MaxWidth=\"90\"><SkinMenuItem Name=\"Lost\" /></SkinMenu>"
                                  "</SkinMenu>");
    const CountingMenuFactory factory;
    ILytController* controller = CLytController::CreateInstance(environment, factory);
    CountingMenuFactory::s_ended = 0;
    EXPECT_EQ(controller->Load(WidePath(dir / "Stray.lyt").c_str(), static_cast<CxSkinObject*>(&menu), nullptr), 1);
    EXPECT_EQ(CountingMenuFactory::s_ended, 1) << "the stray menu was left behind";
    ASSERT_EQ(menu.GetItemCount(), 1);
    ASSERT_NE(menu.GetItem(0)->GetSubMenu(), nullptr);
    EXPECT_EQ(menu.GetItem(0)->GetSubMenu()->GetItemCount(), 1);

    // The root of a placed load is the caller's.
    CountingMenuFactory::s_ended = 0;
    const LytRect placement{0, 0, 100, 100};
    IxSkinObject* root = controller->LoadFile(WidePath(dir / "Stray.lyt").c_str(), wrapper, &placement);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(CountingMenuFactory::s_ended, 1) << "only the stray menu inside it went";
    delete dynamic_cast<CxSkinMenu*>(root);
    EXPECT_EQ(CountingMenuFactory::s_ended, 3) << "the root and its row's sub-menu";
    controller->Release();
}

} // namespace
