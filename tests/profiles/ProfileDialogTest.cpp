// The add and delete profile dialogs against a recording host, the program's profile controller and
// profile files in a scratch data folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "../app/HandlerTestSupport.h"
#include "../skin/ControlHost.h"
#include "FakeProfileDriver.h"
#include "TestPaths.h"
#include "markup/IProfileController.h"
#include "profiles/ProfileAddingDlgHandler.h"
#include "profiles/ProfileDeletingDlgHandler.h"
#include "profiles/ProfileDialogHost.h"
#include "skin/SkinComboBox.h"

namespace fs = std::filesystem;
using namespace oc::test;

namespace {

// Records message boxes ("<text key> <type>"), the dialog's end and its named values.
class RecordingHost : public IProfileDialogHost {
public:
    int ShowMessageBox(CLayerWnd*, const std::wstring& text, const std::wstring&, UINT type) override {
        m_log.push_back(L"box " + text + L" " + std::to_wstring(type));
        return m_answer;
    }
    void EndDialog(CLayerWnd*, int result) override { m_log.push_back(L"end " + std::to_wstring(result)); }
    void SetControlName(CLayerWnd*, const std::wstring& key, const std::wstring& value) override {
        m_names[key] = value;
    }
    std::vector<std::wstring> GetProfileKeys(CLayerWnd*) override { return m_keys; }
    std::wstring GetDataFolder() override { return m_data; }
    std::wstring GetProgramProfileFolder() override { return m_programProfile; }
    IProfileController* GetProfileController() override { return ::GetProfileController(); }

    CallLog m_log;
    std::map<std::wstring, std::wstring> m_names;
    std::vector<std::wstring> m_keys;
    std::wstring m_data, m_programProfile;
    int m_answer = IDYES;
};

class ProfileDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_temp / "data" / "Profile" / "Speaker");
        fs::create_directories(m_temp / "program" / "profile");
        std::ofstream(m_temp / "program" / "profile" / "UserDefineFormwork.lyt")
            << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
               "<RadioButton Name=\"UserDefine\" Tooltip=\"old\" Width=\"80\" Height=\"60\" />\n";
        m_host.m_data = (m_temp / "data").wstring() + L"\\";
        m_host.m_programProfile = (m_temp / "program" / "profile").wstring() + L"\\";
        m_driver.Support(L"SpeakerEQ");
        m_driver.SetValue(kEndpointSpeaker, L"EQ_Slider1", 3.0);
        m_services.m_texts = {{L"ml_PanelProfile_ProfileName_Prompt", L"prompt"},
                              {L"ml_PanelProfile_ProfileName_Invalid", L"invalid"},
                              {L"ml_PanelProfile_HasTheSameUserDefineName", L"same"},
                              {L"ml_PanelProfile_ProfileName_DeleteConfirm", L"confirm"},
                              {L"ml_PanelProfile_DeleteFailed", L"deletefailed"}};
        m_services.m_driver = &m_driver;
    }
    void TearDown() override { GetProfileController()->SetListener(nullptr); }

    fs::path Speaker(const std::wstring& file) const { return m_temp / "data" / "Profile" / "Speaker" / file; }
    void MakePair(const std::wstring& title, const std::wstring& tooltip, bool withSettings = true) {
        std::ofstream(Speaker(title + L".lyt"))
            << "<RadioButton Name=\"x\" Tooltip=\"" << std::string(tooltip.begin(), tooltip.end()) << "\" />\n";
        if (withSettings)
            std::ofstream(Speaker(title + L".profile")) << "<Profile Name=\"UserDefine\" />\n";
    }
    template <typename Handler> void Attach(Handler& handler) {
        handler.SetHost(&m_host);
        handler.SetServices(&m_services);
    }
    std::wstring Tooltip(const fs::path& path) {
        struct Reader : IProfileControllerListener {
            void OnProfileLoaded(IXmlObject* root) override { m_root.reset(root); }
            void OnProfileError(const wchar_t*) override {}
            XmlObjectPtr m_root;
        } reader;
        GetProfileController()->SetListener(&reader);
        GetProfileController()->Load(path.wstring().c_str());
        GetProfileController()->SetListener(nullptr);
        std::wstring value = L"(missing)";
        if (reader.m_root)
            reader.m_root->GetAttribute(L"Tooltip", value);
        return value;
    }

    TempDir m_temp;
    RecordingHost m_host;
    FakeProfileDriver m_driver;
    TestServices m_services;
};

TEST_F(ProfileDialogTest, NamesAreCheckedBeforeAnythingIsWritten) {
    struct Case {
        const wchar_t* typed;
        const wchar_t* listedKey;
        int answer;
        CallLog log;            // boxes and the dialog's end, in order
        const wchar_t* savedAs; // the title of the written pair, or null
    };
    const Case cases[] = {
        {L"  Rock  ", nullptr, IDYES, {L"end 6"}, L"Rock"},
        {L"   ", nullptr, IDYES, {L"box prompt 16"}, nullptr},
        {L"Rock/Pop", nullptr, IDYES, {L"end 7", L"box invalid 16"}, nullptr},
        {L"a|b", nullptr, IDYES, {L"end 7", L"box invalid 16"}, nullptr},
        {L"CON", nullptr, IDYES, {L"end 7", L"box invalid 16"}, nullptr},
        // Windows refuses control characters in file names: the pair could never be written.
        {L"Tab\tMix", nullptr, IDYES, {L"end 7", L"box invalid 16"}, nullptr},
        {L"rock", L"Speaker_Rock", IDYES, {L"box same 68", L"end 6"}, L"Rock"},
        {L"rock", L"Speaker_Rock", IDNO, {L"box same 68", L"end 7"}, nullptr},
        {L"Rock", L"HeadPhone_Rock", IDNO, {L"end 6"}, L"Rock"},
        {L"Speaker", L"Speaker_Rock", IDNO, {L"end 6"}, L"Speaker"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        fs::remove_all(m_temp / "data" / "Profile" / "Speaker");
        fs::create_directories(m_temp / "data" / "Profile" / "Speaker");
        m_host.m_log.clear();
        m_host.m_names.clear();
        m_host.m_keys = c.listedKey ? std::vector<std::wstring>{c.listedKey} : std::vector<std::wstring>{};
        m_host.m_answer = c.answer;
        CProfileAddingDlgHandler handler;
        Attach(handler);
        EXPECT_EQ(handler.SubmitProfile(c.typed, L""), 1);
        EXPECT_EQ(m_host.m_log, c.log);
        size_t files = 0;
        for (const auto& entry : fs::directory_iterator(m_temp / "data" / "Profile" / "Speaker"))
            files += entry.is_regular_file();
        if (!c.savedAs) {
            EXPECT_EQ(files, 0u) << "nothing is written";
            continue;
        }
        EXPECT_EQ(files, 2u) << "the pair and no temporary file";
        EXPECT_TRUE(fs::exists(Speaker(c.savedAs + std::wstring(L".profile"))));
        EXPECT_EQ(m_host.m_names[L"AddingFile"], c.savedAs);
        EXPECT_EQ(Tooltip(Speaker(c.savedAs + std::wstring(L".lyt"))), c.savedAs) << "empty description: the name";
    }
}

TEST_F(ProfileDialogTest, SaveWritesSettingsAndListItemFromTheTemplate) {
    MakePair(L"Rock", L"old text");
    m_host.m_keys = {L"Speaker_Rock"};
    CProfileAddingDlgHandler handler;
    Attach(handler);
    EXPECT_EQ(handler.SubmitProfile(L"Rock", L"Loud & clear"), 1);
    EXPECT_EQ(m_host.m_names[L"DescriptionName"], L"Loud & clear");
    EXPECT_EQ(Tooltip(Speaker(L"Rock.lyt")), L"Loud & clear") << "the overwrite replaces the old item";
    std::ifstream settings(Speaker(L"Rock.profile"));
    const std::string text((std::istreambuf_iterator<char>(settings)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("EQ_Slider1"), std::string::npos) << "the device state is captured";
    EXPECT_NE(text.find("Value=\"3\""), std::string::npos);
}

TEST_F(ProfileDialogTest, SaveFailureKeepsTheDialogOpenAndWritesNoListItem) {
    // The endpoint folder is missing, so the settings file cannot be written.
    fs::remove_all(m_temp / "data" / "Profile" / "Speaker");
    CProfileAddingDlgHandler handler;
    Attach(handler);
    EXPECT_EQ(handler.SubmitProfile(L"Rock", L""), 1);
    ASSERT_EQ(m_host.m_log.size(), 1u);
    EXPECT_EQ(m_host.m_log[0].rfind(L"box ", 0), 0u) << "an error, not the end of the dialog";
    EXPECT_FALSE(fs::exists(Speaker(L"Rock.lyt")));
}

// A template that cannot be read is named as the cause, and no profile is left half-written: neither a new
// settings file without its list item nor a changed pair when an existing one was to be replaced.
TEST_F(ProfileDialogTest, DamagedTemplateIsNamedAndLeavesNoHalfWrittenProfile) {
    m_services.m_texts[L"ml_PanelProfile_TemplateDamaged"] = L"template";
    m_services.m_texts[L"ml_PanelProfile_SaveFailed"] = L"savefailed";
    const fs::path templatePath = m_temp / "program" / "profile" / "UserDefineFormwork.lyt";
    const struct {
        const char* name;
        const char* content; // null: no template at all
    } cases[] = {
        {"missing", nullptr},
        {"empty", ""},
        {"truncated", "<?xml version=\"1.0\"?>\n<RadioButton Name=\"UserDefine\" Tool"},
        {"garbage", "\x01\x02\xff<<&&"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(templatePath);
        if (c.content)
            std::ofstream(templatePath, std::ios::binary) << c.content;
        fs::remove_all(m_temp / "data" / "Profile" / "Speaker");
        fs::create_directories(m_temp / "data" / "Profile" / "Speaker");
        MakePair(L"Rock", L"old text");
        m_host.m_log.clear();
        m_host.m_keys = {L"Speaker_Rock"};
        for (const wchar_t* typed : {L"Jazz", L"Rock"}) {
            CProfileAddingDlgHandler handler;
            Attach(handler);
            EXPECT_EQ(handler.SubmitProfile(typed, L""), 1);
            EXPECT_TRUE(handler.TemplateUnreadable());
        }
        EXPECT_EQ(m_host.m_log, (CallLog{L"box template 16", L"box same 68", L"box template 16"}));
        EXPECT_FALSE(fs::exists(Speaker(L"Jazz.profile"))) << "no settings file without its list item";
        EXPECT_FALSE(fs::exists(Speaker(L"Jazz.lyt")));
        EXPECT_EQ(Tooltip(Speaker(L"Rock.lyt")), L"old text") << "the pair to be replaced stays as it was";
        std::ifstream settings(Speaker(L"Rock.profile"));
        const std::string text((std::istreambuf_iterator<char>(settings)), std::istreambuf_iterator<char>());
        EXPECT_EQ(text, "<Profile Name=\"UserDefine\" />\n");
    }

    // A list item that cannot be written takes its new settings file away with it.
    std::ofstream(templatePath) << "<RadioButton Name=\"UserDefine\" Tooltip=\"old\" />\n";
    fs::create_directories(Speaker(L"Jazz.lyt")); // a folder where the list item should go
    m_host.m_log.clear();
    m_host.m_keys.clear();
    CProfileAddingDlgHandler handler;
    Attach(handler);
    EXPECT_EQ(handler.SubmitProfile(L"Jazz", L""), 1);
    EXPECT_FALSE(handler.TemplateUnreadable());
    EXPECT_EQ(m_host.m_log, (CallLog{L"box savefailed 16"}));
    EXPECT_FALSE(fs::exists(Speaker(L"Jazz.profile")));
}

TEST_F(ProfileDialogTest, CancelLeavesEverythingIntact) {
    MakePair(L"Rock", L"r");
    CProfileAddingDlgHandler adding;
    Attach(adding);
    EXPECT_EQ(adding.OnButtonClick(L"AddProFileBtnNo"), 1);
    EXPECT_EQ(adding.OnButtonClick(L"Other"), 0);
    CProfileDeletingDlgHandler deleting;
    Attach(deleting);
    EXPECT_EQ(deleting.OnButtonClick(L"DelProFileBtnNo"), 1);
    EXPECT_EQ(m_host.m_log, (CallLog{L"end 7", L"end 7"}));
    EXPECT_TRUE(fs::exists(Speaker(L"Rock.lyt")));
    EXPECT_TRUE(fs::exists(Speaker(L"Rock.profile")));
}

// The delete dialog over a real combo box and description control on the test display.
class DeleteDialogTest : public ProfileDialogTest {
protected:
    void SetUp() override {
        ProfileDialogTest::SetUp();
        m_combo = m_window.Place(new CxSkinComboBox, 4, 4, 150, 24);
        m_combo->SetName(L"DelProfileBox");
        ASSERT_EQ(m_combo->Create(), TRUE);
        m_description = m_window.Place(new CxSkinComboBox, 4, 40, 150, 24);
        m_description->SetName(L"PanelProfileSeletDescription");
        ASSERT_EQ(m_description->Create(), TRUE);
        m_handler.SetWindow(&m_window.m_root);
        Attach(m_handler);
    }
    std::wstring Item(int index) {
        std::wstring text;
        m_combo->GetItemText(index, text);
        return text;
    }

    ControlHost m_window;
    CxSkinComboBox* m_combo = nullptr;
    CxSkinComboBox* m_description = nullptr;
    CProfileDeletingDlgHandler m_handler;
};

TEST_F(DeleteDialogTest, OffersOnlyListedPairsAndDeletesThemOneByOne) {
    MakePair(L"Rock", L"Rock tip");
    MakePair(L"Jazz", L"Jazz tip", false); // no settings: never offered
    MakePair(L"Pop", L"Pop tip");
    MakePair(L"Hidden", L"h"); // not listed by the strip
    m_host.m_keys = {L"Speaker_Rock", L"Speaker_Pop", L"Speaker_Jazz"};
    m_handler.Initialize();
    ASSERT_EQ(m_combo->GetCount(), 2);
    const std::wstring first = Item(0);
    EXPECT_TRUE(first == L"Rock.profile" || first == L"Pop.profile") << first;
    EXPECT_EQ(m_description->GetText(), first == L"Rock.profile" ? L"Rock tip" : L"Pop tip");

    m_host.m_answer = IDNO;
    EXPECT_EQ(m_handler.OnButtonClick(L"DelProFileBtnYes"), 1);
    EXPECT_EQ(m_combo->GetCount(), 2) << "declined: nothing deleted";

    m_host.m_answer = IDYES;
    m_handler.OnButtonClick(L"DelProFileBtnYes");
    const std::wstring firstTitle = first.substr(0, first.find(L'.'));
    EXPECT_FALSE(fs::exists(Speaker(firstTitle + L".lyt")));
    EXPECT_FALSE(fs::exists(Speaker(firstTitle + L".profile")));
    EXPECT_EQ(m_host.m_names[L"0"], Speaker(firstTitle + L".lyt").wstring());
    EXPECT_EQ(m_host.m_names[L"DeletingFileCount"], L"1");
    ASSERT_EQ(m_combo->GetCount(), 1);
    EXPECT_NE(Item(0), first);
    EXPECT_EQ(m_host.m_log.back(), L"box confirm 51") << "asked with the warning look; the dialog stays open";

    m_handler.OnButtonClick(L"DelProFileBtnYes");
    EXPECT_EQ(m_host.m_names[L"DeletingFileCount"], L"2");
    EXPECT_EQ(m_combo->GetCount(), 0);
    EXPECT_EQ(m_host.m_log.back(), L"end 7") << "the last profile gone ends the dialog";
    EXPECT_TRUE(fs::exists(Speaker(L"Hidden.lyt")));
    EXPECT_TRUE(fs::exists(Speaker(L"Jazz.lyt")));
}

TEST_F(DeleteDialogTest, ALockedListItemIsKeptWholeAndReported) {
    MakePair(L"Rock", L"r");
    m_host.m_keys = {L"Speaker_Rock"};
    m_handler.Initialize();
    HANDLE locked = ::CreateFileW(Speaker(L"Rock.lyt").wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    m_handler.OnButtonClick(L"DelProFileBtnYes");
    ::CloseHandle(locked);
    EXPECT_TRUE(fs::exists(Speaker(L"Rock.profile")));
    EXPECT_EQ(m_combo->GetCount(), 1);
    EXPECT_EQ(m_host.m_names.count(L"DeletingFileCount"), 0u);
    EXPECT_EQ(m_host.m_log.back(), L"box deletefailed 16");
}

} // namespace
