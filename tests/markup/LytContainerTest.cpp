// The container elements over real skin controls: a panel file binds its handler and lets it make its
// first reads once the whole file is loaded, the panel's own attributes, the window root of a dialog, and
// embedded files and handler-made contents, including files that embed themselves.
#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "ControlHost.h"
#include "LytFakes.h"
#include "MarkupTestUtil.h"
#include "SkinDialogFixture.h"
#include "SkinTestSupport.h"
#include "TestPaths.h"
#include "markup/ILytContainerHost.h"
#include "markup/LytCanvas.h"
#include "markup/LytController.h"
#include "markup/LytEmbed.h"
#include "markup/LytWindow.h"
#include "skin/SkinDialog.h"
#include "skin/SkinPanel.h"

using namespace oc::test;

namespace {

// A handler as the factory makes it; it records what the markup tells it.
class Handler : public IxSkinListener {
public:
    explicit Handler(std::wstring name) : m_name(std::move(name)) {}
    void Release() override { ++m_releases; }
    void SetWindow(CLayerWnd* owner) override { m_window = owner; }
    void InitControls() override {
        ++m_inits;
        m_childrenAtInit = m_window ? m_window->GetChildCount() : -1;
    }

    std::wstring m_name;
    CLayerWnd* m_window = nullptr;
    int m_releases = 0;
    int m_inits = 0;
    int m_childrenAtInit = -1;
};

struct ContentRequest {
    std::wstring kind;
    IxSkinListener* handler;
    IxSkinObject* parent;
    LytRect rect;
};

// The application's side: language texts and the skin folder, the handler factory, the controller and the
// two handler-made contents.
class ContainerEnvironment : public FakeEnvironment, public ILytContainerHost {
public:
    IxSkinListener* CreateHandler(const std::wstring& name) override {
        if (!handlerNames.contains(name))
            return nullptr;
        handlers.push_back(std::make_unique<Handler>(name));
        return handlers.back().get();
    }
    ILytController* GetController() const override { return controller; }
    void UpdateContentRect(IxSkinObject* parent, const LytRect& rect) override {
        contents.push_back({L"frame", nullptr, parent, rect});
    }
    void EnumerateProfiles(IxSkinListener* handler, IxSkinObject* parent, const LytRect& rect) override {
        contents.push_back({L"profiles", handler, parent, rect});
    }

    std::set<std::wstring> handlerNames;
    std::deque<std::unique_ptr<Handler>> handlers; // in creation order; they outlive every panel
    ILytController* controller = nullptr;
    std::vector<ContentRequest> contents;
};

// The element rows and wrappers of the container kinds.
class ContainerElements : public ILytElementFactory {
public:
    std::span<const LytElementKind> GetElementKinds() const override { return kKinds; }
    ILytObject* WrapSkinObject(IxSkinObject* object, ILytEnvironment& environment) const override {
        if (std::wstring(object->GetTypeName()) == L"Dialog")
            return CLytWindow::Wrap(object, environment);
        return CLytCanvas::Wrap(object, environment);
    }

private:
    static constexpr LytElementKind kKinds[] = {
        {L"Canvas", &CLytCanvas::CreateElement},
        {L"Panel", &CLytCanvas::CreateElement},
        {L"Embed", &CLytEmbed::CreateElement},
        {L"Window", nullptr},
    };
};

bool Equal(const LytRect& a, const LytRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

CxSkinPanel* PanelAt(CLayerWnd* parent, int index) {
    return dynamic_cast<CxSkinPanel*>(parent->GetChild(index));
}

IxSkinObject* AsObject(CxSkinObject* object) {
    return object;
}

class LytContainerTest : public testing::Test {
protected:
    void SetUp() override {
        WriteBytes(skin / "DesignDictResource.lyt", "<ResourceDictionary.MergedDictionaries />");
        SavePng(*SolidImage(20, 10, 0xFFFF0000), skin / L"bg.png");
        environment.skinFolder = skin.Path().wstring() + L"\\";
        environment.handlerNames = {L"PanelProfile", L"Row", L"DialogInfo"};
        environment.texts[L"ml_Title"] = L"Information";
        environment.controller = CLytController::CreateInstance(environment, elements);
        target = host->Place(new CxSkinPanel, 0, 0, 200, 100);
        target->Create();
    }
    void TearDown() override {
        host.reset();
        environment.controller->Release();
    }

    int Load(const char* name, const std::string& markup, IxSkinObject* into) {
        WriteBytes(skin / name, markup);
        return environment.controller->Load((skin / name).wstring().c_str(), into, nullptr);
    }
    Handler& HandlerAt(size_t index) { return *environment.handlers.at(index); }

    TempDir skin;
    ContainerEnvironment environment; // outlives the panels that hold its handlers
    ContainerElements elements;
    std::unique_ptr<ControlHost> host = std::make_unique<ControlHost>();
    CxSkinPanel* target = nullptr;
};

TEST_F(LytContainerTest, PanelFileBindsItsHandlerAndInitialisesItOnceTheWholeFileIsLoaded) {
    ASSERT_EQ(Load("Panel.lyt",
                   "<Canvas Name=\"PanelProfile\" Left=\"10\" Scroll.cy=\"100\" Page.cy=\"40\" Animate.Style=\"D3D\"\n"
                   "        Background.Image=\"bg.png\" Stretch=\"Uniform\">\n"
                   "  <Panel Name=\"Row\" Left=\"5\" Top=\"5\" Width=\"50\" Height=\"30\" Animate.Style=\"d3d\"\n"
                   "         Scroll.cx=\"-7\" Visibility=\"Hidden\" />\n"
                   "  <Canvas Name=\"Row\" Left=\"5\" Top=\"40\" Width=\"50\" Height=\"30\" Animate.Style=\"2D\" />\n"
                   "</Canvas>\n",
                   AsObject(target)),
              1);
    ASSERT_EQ(environment.handlers.size(), 3u);
    Handler& root = HandlerAt(0);
    EXPECT_EQ(target->GetListener(), &root);
    EXPECT_EQ(root.m_window, target);
    EXPECT_EQ(root.m_inits, 1);
    EXPECT_EQ(root.m_childrenAtInit, 2) << "the handler ran before its controls existed";
    EXPECT_EQ(target->GetName(), L"PanelProfile");
    EXPECT_EQ(target->GetDesignRect().left, 10);
    EXPECT_EQ(target->GetScrollSize(TRUE), 100);
    EXPECT_EQ(target->GetPageSize(TRUE), 40);
    EXPECT_EQ(target->GetAnimateStyle(), 2);
    EXPECT_NE(target->GetBackgroundImage(), nullptr);
    EXPECT_EQ(target->GetBackgroundStretchMode(), 2);

    // "Panel" is a canvas too; two panels of one name get a handler each, and only the root initialises.
    ASSERT_EQ(target->GetChildCount(), 2);
    CxSkinPanel* first = PanelAt(target, 0);
    CxSkinPanel* second = PanelAt(target, 1);
    ASSERT_TRUE(first && second);
    EXPECT_FALSE(first->IsVisible());
    EXPECT_EQ(first->GetAnimateStyle(), 0);
    EXPECT_EQ(first->GetScrollSize(FALSE), 0);
    EXPECT_EQ(second->GetAnimateStyle(), 1);
    EXPECT_EQ(first->GetListener(), &HandlerAt(1));
    EXPECT_EQ(second->GetListener(), &HandlerAt(2));
    EXPECT_EQ(HandlerAt(1).m_window, first);
    EXPECT_EQ(HandlerAt(1).m_inits + HandlerAt(2).m_inits, 0);

    // The panels release their handlers when they go, once each.
    host.reset();
    for (const auto& handler : environment.handlers)
        EXPECT_EQ(handler->m_releases, 1) << handler->m_name;
}

TEST_F(LytContainerTest, CanvasAnswersForItsOwnTableAndKeepsItsBackgroundOnAFailedLoad) {
    ILytObject* canvas = CLytCanvas::Wrap(AsObject(target), environment);
    const struct {
        const wchar_t* name;
        const wchar_t* value;
        int expected;
    } attributes[] = {
        {L"Left", L"10", 0}, // applied by the shared table, but not the panel's own
        {L"Scroll.cy", L"50", 1},
        {L"Scroll.cy", L"", 0},
        {L"Background.Image", L"bg.png", 1},
        {L"Background.Image", L"missing.png", 0},
        {L"Stretch", L"Fill", 1},
        {L"Name", L"Nobody", 1},
        {L"Visibility", L"Hidden", 1},
        {L"Nonsense", L"1", 0},
    };
    Gdiplus::Bitmap* image = nullptr;
    for (const auto& a : attributes) {
        EXPECT_EQ(canvas->SetAttribute(a.name, a.value), a.expected) << a.name << L"=" << a.value;
        if (target->GetBackgroundImage())
            image = image ? image : target->GetBackgroundImage();
    }
    EXPECT_EQ(target->GetDesignRect().left, 10);
    EXPECT_EQ(target->GetScrollSize(TRUE), 50);
    EXPECT_EQ(target->GetBackgroundImage(), image) << "a failed load replaced the background";
    EXPECT_EQ(target->GetBackgroundStretchMode(), 0);
    EXPECT_EQ(target->GetName(), L"Nobody");
    EXPECT_EQ(target->GetListener(), nullptr);
    EXPECT_FALSE(target->IsVisible());
    canvas->Destroy();
    EXPECT_EQ(host->m_root.GetChild(0), target) << "the wrapped panel belongs to its tree";
}

TEST_F(LytContainerTest, AnAbandonedPanelGoesWithItsObjectAndReleasesItsHandlers) {
    ILytObject* canvas = CLytCanvas::CreateElement(environment);
    EXPECT_EQ(canvas->SetAttribute(L"Name", L"PanelProfile"), 1);
    EXPECT_EQ(canvas->SetAttribute(L"Name", L"Row"), 1);
    ASSERT_EQ(environment.handlers.size(), 2u);
    EXPECT_EQ(HandlerAt(0).m_releases, 1) << "a replaced handler must be released";
    EXPECT_EQ(HandlerAt(1).m_releases, 0);
    canvas->Destroy();
    EXPECT_EQ(HandlerAt(1).m_releases, 1);
}

TEST_F(LytContainerTest, WindowRootTakesTheDialogsAttributesOnly) {
    TestDialog dialog;
    ASSERT_TRUE(OpenDialog(dialog));
    ASSERT_EQ(Load("Dialog.lyt",
                   "<Window Name=\"DialogInfo\" Title=\"ml_Title\" Left=\"10\" Width=\"320\" Height=\"-5\"\n"
                   "        Opacity=\"0.25\" Topmost=\"true\" AutoHidden=\"True\" CornerRadius=\"6\"\n"
                   "        AllowsTransparency=\"True\" Stretch=\"UniformToFill\" />\n",
                   AsObject(&dialog)),
              1);
    ASSERT_EQ(environment.handlers.size(), 1u);
    EXPECT_EQ(dialog.GetListener(), &HandlerAt(0));
    EXPECT_EQ(HandlerAt(0).m_window, static_cast<CLayerWnd*>(static_cast<CLayerDialog*>(&dialog)));
    EXPECT_EQ(HandlerAt(0).m_inits, 0) << "a dialog composes itself; its owner makes the first reads";
    EXPECT_EQ(dialog.GetName(), L"DialogInfo");
    wchar_t title[64] = {};
    ::GetWindowTextW(dialog.GetSafeHwnd(), title, 64);
    EXPECT_STREQ(title, L"Information");
    EXPECT_EQ(dialog.GetTransparency(), 75);
    EXPECT_EQ(dialog.GetBackgroundStretchMode(), 3);

    // A second file without a name keeps the bound handler.
    ASSERT_EQ(Load("Topmost.lyt", "<Window Topmost=\"True\" />", AsObject(&dialog)), 1);
    EXPECT_EQ(dialog.GetListener(), &HandlerAt(0));

    ILytObject* window = CLytWindow::Wrap(AsObject(&dialog), environment);
    EXPECT_EQ(window->SetAttribute(L"Left", L"10"), 0);
    EXPECT_EQ(window->SetAttribute(L"Width", L"-5"), 1);
    EXPECT_EQ(window->SetAttribute(L"Width", L"240"), 1);
    EXPECT_EQ(window->GetSize().cx, 240);
    EXPECT_EQ(window->SetAttribute(L"Name", L"Nobody"), 1);
    EXPECT_EQ(dialog.GetName(), L"Nobody");
    EXPECT_EQ(dialog.GetListener(), &HandlerAt(0)) << "an unknown name keeps the bound handler";
    window->Destroy();
    dialog.DestroyWindow();
    EXPECT_EQ(HandlerAt(0).m_releases, 1);
}

TEST_F(LytContainerTest, EmbedsLoadTheirFilesOrAskTheHandlersForTheContent) {
    WriteBytes(skin / "Child.lyt",
               "<Canvas Name=\"ChildPanel\" Left=\"2\" Top=\"3\"><Canvas Width=\"4\" Height=\"4\" />"
               "</Canvas>");
    ASSERT_EQ(
        Load("Main.lyt",
             "<Canvas Name=\"PanelProfile\">\n"
             "  <Embed Name=\"Child\" Left=\"10\" Top=\"20\" Width=\"50\" Height=\"30\" Visibility=\"Hidden\" />\n"
             "  <Embed Name=\"Missing\" Left=\"0\" Top=\"0\" Width=\"5\" Height=\"5\" />\n"
             "  <Embed Name=\"FrameContent\" Left=\"1\" Top=\"2\" Width=\"3\" Height=\"4\" Visibility=\"Hidden\" />\n"
             "  <Embed Name=\"PanelProfileListContent\" Left=\"5\" Top=\"6\" Width=\"7\" Height=\"8\" />\n"
             "</Canvas>\n",
             AsObject(target)),
        1);
    ASSERT_EQ(target->GetChildCount(), 1) << "only the embedded file adds a control";
    CxSkinPanel* child = PanelAt(target, 0);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->GetName(), L"ChildPanel");
    const RECT rect = child->GetRect();
    EXPECT_EQ(rect.left, 12);
    EXPECT_EQ(rect.top, 23);
    EXPECT_EQ(rect.right - rect.left, 50);
    EXPECT_FALSE(child->IsVisible());
    EXPECT_EQ(child->GetChildCount(), 1);

    ASSERT_EQ(environment.contents.size(), 2u);
    EXPECT_EQ(environment.contents[0].kind, L"frame");
    EXPECT_EQ(environment.contents[0].parent, AsObject(target));
    EXPECT_TRUE(Equal(environment.contents[0].rect, {1, 2, 4, 6}));
    EXPECT_EQ(environment.contents[1].kind, L"profiles");
    EXPECT_EQ(environment.contents[1].handler, &HandlerAt(0)) << "the profile list goes to the panel's handler";
    EXPECT_TRUE(Equal(environment.contents[1].rect, {5, 6, 12, 14}));
}

TEST_F(LytContainerTest, FilesThatEmbedThemselvesStop) {
    WriteBytes(skin / "A.lyt", "<Canvas><Embed Name=\"B\" Width=\"10\" Height=\"10\" /></Canvas>");
    WriteBytes(skin / "B.lyt", "<Canvas><Embed Name=\"A\" Width=\"10\" Height=\"10\" /></Canvas>");
    const struct {
        const char* file;
        const char* markup;
        int depth; // nested panels under the target
    } cases[] = {
        {"Loop.lyt", "<Canvas><Embed Name=\"Loop\" Width=\"10\" Height=\"10\" /></Canvas>", 1},
        {"Start.lyt", "<Canvas><Embed Name=\"A\" Width=\"10\" Height=\"10\" /></Canvas>", 2},
    };
    for (const auto& c : cases) {
        target->DestroyChildren();
        ASSERT_EQ(Load(c.file, c.markup, AsObject(target)), 1) << c.file;
        int depth = 0;
        for (CLayerWnd* layer = target; layer->GetChildCount() > 0; layer = layer->GetChild(0))
            ++depth;
        EXPECT_EQ(depth, c.depth) << c.file;
    }
}

} // namespace
