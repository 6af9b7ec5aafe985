// The single profile controller: results to the client, errors, a document nobody asked for, restart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MarkupTestUtil.h"
#include "TestPaths.h"
#include "markup/IProfileController.h"
#include "markup/ProfileObject.h"

namespace {

class ProfileControlTest : public testing::Test, protected IProfileControllerListener {
protected:
    ~ProfileControlTest() override {
        if (IProfileController* controller = GetProfileController())
            controller->Release();
    }
    void OnProfileLoaded(IXmlObject* root) override { loaded.reset(root); }
    void OnProfileError(const wchar_t* message) override { errors.push_back(message); }

    oc::test::TempDir dir;
    XmlObjectPtr loaded;
    std::vector<std::wstring> errors;
};

TEST_F(ProfileControlTest, LoadsProfileObjectsAndSavesThemBack) {
    IProfileController* controller = GetProfileController();
    EXPECT_EQ(controller, GetProfileController());
    controller->SetListener(this);
    oc::test::WriteBytes(dir / "Profile.xml", "<Profile Name=\"Backup\"><Endpoint Name=\"Speakers\"/></Profile>");
    ASSERT_EQ(controller->Load(oc::test::WidePath(dir / "Profile.xml").c_str()), 1);
    ASSERT_NE(loaded, nullptr);
    EXPECT_NE(dynamic_cast<CProfileObject*>(loaded.get()), nullptr);
    EXPECT_NE(dynamic_cast<CProfileObject*>(loaded->GetChild(0)), nullptr);

    EXPECT_EQ(controller->Save(oc::test::WidePath(dir / "copy.xml").c_str(), loaded.get()), 1);
    EXPECT_EQ(oc::test::ReadBytes(dir / "copy.xml"), "<Profile Name=\"Backup\">\n  <Endpoint Name=\"Speakers\" />\n"
                                                     "</Profile>\n");
    XmlObjectPtr made(controller->CreateObject(L"Profile"));
    EXPECT_NE(dynamic_cast<CProfileObject*>(made.get()), nullptr);
}

TEST_F(ProfileControlTest, AMissingFileReportsItsPath) {
    IProfileController* controller = GetProfileController();
    controller->SetListener(this);
    std::wstring path = oc::test::WidePath(dir / "missing.profile");
    EXPECT_EQ(controller->Load(path.c_str()), 0);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], L"Fail to load profile file( " + path + L" )");
}

// Without a client the parsed document has no owner: the controller frees it (ASan reports a leak).
TEST_F(ProfileControlTest, ADocumentWithoutAClientIsFreed) {
    oc::test::WriteBytes(dir / "p.xml", "<Profile><Endpoint/></Profile>");
    EXPECT_EQ(GetProfileController()->Load(oc::test::WidePath(dir / "p.xml").c_str()), 1);
}

TEST_F(ProfileControlTest, AfterReleaseAFreshInstanceHasNoListener) {
    GetProfileController()->SetListener(this);
    GetProfileController()->Release();
    IProfileController* fresh = GetProfileController();
    oc::test::WriteBytes(dir / "p.xml", "<Profile/>");
    EXPECT_EQ(fresh->Load(oc::test::WidePath(dir / "p.xml").c_str()), 1);
    EXPECT_EQ(fresh->Load(oc::test::WidePath(dir / "missing.xml").c_str()), 0);
    EXPECT_EQ(loaded, nullptr);
    EXPECT_TRUE(errors.empty());
}

} // namespace
