// The markup controller over recording element kinds: the design dictionary, the element factory, the
// control identifiers, loading into an existing object and placed loads, and containing failures so that
// nothing a failed load made survives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "LytFakes.h"
#include "MarkupTestUtil.h"
#include "TestPaths.h"
#include "markup/LytController.h"

#ifdef _WIN32
#include "skin/SkinControlsException.h"
#endif

using namespace oc::test;

namespace {

struct ControllerRelease {
    void operator()(ILytController* controller) const { controller->Release(); }
};
using ControllerPtr = std::unique_ptr<ILytController, ControllerRelease>;

class LytControllerTest : public testing::Test {
protected:
    void SetUp() override {
        environment.skinFolder = WidePath(dir / "");
        environment.texts = {{L"ml_Ok", L"OK"}};
        WriteBytes(dir / "DesignDictResource.lyt", "<ResourceDictionary.MergedDictionaries>\n"
                                                   "  <ResourceDictionary Source=\"ControlDict.lyt\" />\n"
                                                   "</ResourceDictionary.MergedDictionaries>\n");
        WriteBytes(dir / "ControlDict.lyt", "<ControlResourceDictionary>\n"
                                            "  <Setter Property=\"FontFamily\" Value=\"Tahoma\" />\n"
                                            "</ControlResourceDictionary>\n");
    }
    void TearDown() override { EXPECT_EQ(CountedObject::Live(), 0) << "a markup object outlived its load"; }

    ControllerPtr NewController() { return ControllerPtr(CLytController::CreateInstance(environment, factory)); }
    std::wstring Write(const std::string& markup) {
        WriteBytes(dir / "Test.lyt", markup);
        return WidePath(dir / "Test.lyt");
    }
    static std::vector<int> Ids(const ControlRecord& record) {
        std::vector<int> ids;
        for (const std::wstring& call : record.calls) {
            if (call.starts_with(L"SetId("))
                ids.push_back(std::stoi(call.substr(6)));
        }
        return ids;
    }

    TempDir dir;
    FakeEnvironment environment;
    FakeFactory factory;
    ControlRecord panel; // the existing skin object that loads fill
};

TEST_F(LytControllerTest, ControlIdentifiersRunFrom10001To60001AndThenFrom30001) {
    struct Case {
        std::uint32_t counter;
        std::uint32_t next;
    };
    const Case cases[] = {{CLytController::kFirstControlIdCounter, 10001},
                          {59999, 60000},
                          {60000, 60001},
                          {60001, 30001},
                          {4000000000u, 30001}};
    for (const Case& c : cases) {
        std::uint32_t counter = c.counter;
        EXPECT_EQ(CLytController::AdvanceControlId(counter), c.next) << c.counter;
        EXPECT_EQ(counter, c.next);
    }
    const int first = CLytController::NextControlId();
    EXPECT_GE(first, 10001);
    EXPECT_EQ(CLytController::NextControlId(), first == 60001 ? 30001 : first + 1);
}

TEST_F(LytControllerTest, LoadFillsTheWrappedObjectAndCreatesOnlyKnownKinds) {
    ControllerPtr controller = NewController();
    const std::wstring path = Write("<Canvas Name=\"Root\" Text=\"ml_Ok\">\n"
                                    "  <Button Name=\"A\"><Canvas Name=\"Inner\" /></Button>\n"
                                    "  <Window Name=\"W\"><Button Name=\"Lost\" /></Window>\n"
                                    "  <button Name=\"lower\" />\n"
                                    "  <Unknown Name=\"U\" />\n"
                                    "  <Button Name=\"B\" />\n"
                                    "</Canvas>\n");
    EXPECT_EQ(controller->Load(path.c_str(), panel.SkinObject(), nullptr), 1);
    EXPECT_EQ(factory.wraps, 1);
    EXPECT_EQ(panel.calls, (std::vector<std::wstring>{L"SetFontFamily(Tahoma)", L"SetName(Root)", L"SetText(OK)",
                                                      L"SetTextKey(ml_Ok)", L"InitListenerControls()"}));
    ASSERT_EQ(factory.records.size(), 3u);
    const ControlRecord& a = factory.records[0];
    const ControlRecord& inner = factory.records[1];
    const ControlRecord& b = factory.records[2];
    EXPECT_EQ(a.calls.at(1), L"SetParent(control)");
    EXPECT_EQ(inner.calls.at(1), L"SetParent(Button)");
    EXPECT_EQ(b.calls,
              (std::vector<std::wstring>{L"SetId(" + std::to_wstring(Ids(inner).at(0) + 1) + L")",
                                         L"SetParent(control)", L"SetFontFamily(Tahoma)", L"SetName(B)", L"Create()"}));
    // Consecutive identifiers in document order (the counter wraps only after 60001).
    const int id = Ids(a).at(0);
    if (id < 60000) {
        EXPECT_EQ(Ids(inner).at(0), id + 1);
    }
}

TEST_F(LytControllerTest, WithoutTheDesignDictionaryEveryLoadFailsAtOnce) {
    std::filesystem::remove(dir / "DesignDictResource.lyt");
    ControllerPtr controller = NewController();
    const std::wstring path = Write("<Canvas><Button /></Canvas>");
    CountedObject* parent = new CountedObject(environment, &panel);
    EXPECT_EQ(controller->Load(path.c_str(), panel.SkinObject(), nullptr), 0);
    EXPECT_EQ(controller->LoadFile(path.c_str(), parent, nullptr), nullptr);
    EXPECT_EQ(factory.wraps, 0);
    EXPECT_TRUE(factory.records.empty());
    EXPECT_TRUE(panel.calls.empty());
    parent->Destroy();
}

TEST_F(LytControllerTest, LoadReturnsZeroAndFreesTheWrapperWhenNothingLoads) {
    ControllerPtr controller = NewController();
    EXPECT_EQ(controller->Load(WidePath(dir / "Missing.lyt").c_str(), panel.SkinObject(), nullptr), 0);
    EXPECT_EQ(controller->Load(Write("<Canvas />").c_str(), nullptr, nullptr), 0);
    // A placed load makes a new root under the wrapper; it is built and freed, but fills nothing.
    const LytRect placement{10, 20, 110, 70};
    EXPECT_EQ(controller->Load(Write("<Canvas Left=\"5\" />").c_str(), panel.SkinObject(), &placement), 0);
    ASSERT_EQ(factory.records.size(), 1u);
    EXPECT_EQ(factory.records[0].calls.back(), L"InitListenerControls()");
}

TEST_F(LytControllerTest, APlacedLoadFileReturnsTheNewRootsControlAndFreesTheRoot) {
    ControllerPtr controller = NewController();
    CountedObject* parent = new CountedObject(environment, &panel);
    const LytRect placement{10, 20, 110, 70};
    IxSkinObject* control =
        controller->LoadFile(Write("<Canvas Left=\"5\"><Button /></Canvas>").c_str(), parent, &placement);
    ASSERT_EQ(factory.records.size(), 2u);
    EXPECT_EQ(control, factory.records[0].SkinObject());
    EXPECT_EQ(parent->GetChildCount(), 0u);
    const std::vector<std::wstring> placed = {L"SetLeft(10)", L"SetTop(20)", L"SetWidth(100)", L"SetHeight(50)",
                                              L"SetLeft(15)"};
    const auto& calls = factory.records[0].calls;
    EXPECT_NE(std::search(calls.begin(), calls.end(), placed.begin(), placed.end()), calls.end());
    parent->Destroy();
}

TEST_F(LytControllerTest, AnUnplacedLoadFileLeavesTheCallersObjectToTheCaller) {
    ControllerPtr controller = NewController();
    CountedObject* parent = new CountedObject(environment, &panel);
    IxSkinObject* control =
        controller->LoadFile(Write("<Canvas Name=\"Own\"><Button /></Canvas>").c_str(), parent, nullptr);
    EXPECT_EQ(control, panel.SkinObject());
    EXPECT_EQ(parent->GetChildCount(), 1u);
    EXPECT_EQ(panel.calls.at(1), L"SetName(Own)");
    parent->Destroy(); // the caller's own destroy: once, and everything goes
}

TEST_F(LytControllerTest, LoadFileWithoutAParentParsesNothing) {
    ControllerPtr controller = NewController();
    EXPECT_EQ(controller->LoadFile(Write("<Canvas><Button /></Canvas>").c_str(), nullptr, nullptr), nullptr);
    EXPECT_TRUE(factory.records.empty());
}

// Every way a skin failure can arise during a load: it is contained, the load fails, and nothing it made
// survives, while what the caller owned stays.
TEST_F(LytControllerTest, AFailureAnywhereInALoadFailsItWithoutLeaks) {
    struct Case {
        const char* what;
        std::function<void()> creationFailure;     // thrown by a Canvas element making its control
        std::function<void()> loadCompleteFailure; // thrown by the root's first reads
    };
    const auto setterFailure = [] { throw CLytSetterFailure{L"bad slider"}; };
    std::vector<Case> cases = {
        {"at creation", setterFailure, nullptr},
        {"in the root's first reads", nullptr, setterFailure},
    };
#ifdef _WIN32
    cases.push_back({"toolkit exception at creation", [] { throw new CxSkinControlsException(L"bad"); }, nullptr});
#endif
    const std::wstring path = Write("<Canvas><Button /><Button><Canvas /></Button><Button /></Canvas>");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ControllerPtr controller = NewController();
        factory.creationFailures.clear();
        if (c.creationFailure)
            factory.creationFailures[L"Canvas"] = c.creationFailure;
        panel.failures.clear();
        factory.newRecordFailures.clear();
        if (c.loadCompleteFailure) {
            panel.failures[L"InitListenerControls"] = c.loadCompleteFailure;
            factory.newRecordFailures[L"InitListenerControls"] = c.loadCompleteFailure;
        }
        EXPECT_EQ(controller->Load(path.c_str(), panel.SkinObject(), nullptr), 0);
        EXPECT_EQ(CountedObject::Live(), 0);

        CountedObject* parent = new CountedObject(environment, &panel);
        (new CountedObject(environment, nullptr))->SetParent(parent); // the caller's own child
        EXPECT_EQ(controller->LoadFile(path.c_str(), parent, nullptr), nullptr);
        EXPECT_EQ(parent->GetChildCount(), 1u);
        const LytRect placement{0, 0, 10, 10};
        EXPECT_EQ(controller->LoadFile(path.c_str(), parent, &placement), nullptr);
        EXPECT_EQ(parent->GetChildCount(), 1u);
        parent->Destroy();
    }
}

TEST_F(LytControllerTest, OtherExceptionsLeaveTheLoadButFreeItsObjectsFirst) {
    ControllerPtr controller = NewController();
    factory.creationFailures[L"Canvas"] = [] { throw std::runtime_error("out of handles"); };
    const std::wstring path = Write("<Canvas><Button><Canvas /></Button></Canvas>");
    EXPECT_THROW(controller->Load(path.c_str(), panel.SkinObject(), nullptr), std::runtime_error);
    EXPECT_EQ(CountedObject::Live(), 0);
}

TEST_F(LytControllerTest, TheShippedDesignDictionaryGivesEveryControlItsDefaults) {
    environment.skinFolder = WidePath(SourceDir() / "data" / "Skin" / "Overcoat" / "");
    ControllerPtr controller = NewController();
    ASSERT_TRUE(static_cast<CLytController*>(controller.get())->IsReady());
    EXPECT_EQ(controller->Load(Write("<Canvas><Button /></Canvas>").c_str(), panel.SkinObject(), nullptr), 1);
    ASSERT_EQ(factory.records.size(), 1u);
    const auto& calls = factory.records[0].calls;
    for (const wchar_t* expected : {L"SetFontFamily(Tahoma)", L"SetFontSize(12)", L"SetForeColor(FFE8EAED)"})
        EXPECT_NE(std::find(calls.begin(), calls.end(), expected), calls.end()) << expected;
    // A listed dictionary that is missing would be skipped without a word.
    const std::filesystem::path skin = SourceDir() / "data" / "Skin" / "Overcoat";
    const std::string list = ReadBytes(skin / "DesignDictResource.lyt");
    const std::regex source("Source=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(list.begin(), list.end(), source); it != std::sregex_iterator(); ++it)
        EXPECT_TRUE(std::filesystem::exists(skin / (*it)[1].str())) << (*it)[1].str();
}

} // namespace
