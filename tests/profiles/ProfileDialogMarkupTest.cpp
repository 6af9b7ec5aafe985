// The shipped add and delete profile dialogs, run modally over the skin's markup with their handlers bound
// to the loaded controls: the names the handlers look for exist, typed text reaches the save, the list and
// description fill from the files, and a picture of each lands in the gallery.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "../app/DialogGallery.h"
#include "../app/HandlerTestSupport.h"
#include "../app/ShippedDialogFixture.h"
#include "FakeProfileDriver.h"
#include "TestPaths.h"
#include "app/OvercoatApp.h"
#include "app/UIDialog.h"
#include "markup/IProfileController.h"
#include "profiles/ProfileAddingDlgHandler.h"
#include "profiles/ProfileDeletingDlgHandler.h"
#include "profiles/ProfileDialogHost.h"
#include "skin/IxSkinComboBox.h"
#include "skin/IxSkinTextBox.h"
#include "skin/SkinCtrl.h"

namespace fs = std::filesystem;
using namespace oc::test;

namespace {

// The dialog side (end, named values, key list) is the program's own host; folders, controller and
// message boxes are the test's.
class MarkupHost : public IProfileDialogHost {
public:
    int ShowMessageBox(CLayerWnd*, const std::wstring& text, const std::wstring&, UINT) override {
        m_boxes.push_back(text);
        return IDYES;
    }
    void EndDialog(CLayerWnd* owner, int result) override { AppProfileDialogHost().EndDialog(owner, result); }
    void SetControlName(CLayerWnd* owner, const std::wstring& key, const std::wstring& value) override {
        AppProfileDialogHost().SetControlName(owner, key, value);
    }
    std::vector<std::wstring> GetProfileKeys(CLayerWnd* owner) override {
        return AppProfileDialogHost().GetProfileKeys(owner);
    }
    std::wstring GetDataFolder() override { return m_data; }
    std::wstring GetProgramProfileFolder() override { return m_programProfile; }
    IProfileController* GetProfileController() override { return ::GetProfileController(); }

    std::vector<std::wstring> m_boxes;
    std::wstring m_data, m_programProfile;
};

class AppTextServices : public TestServices {
public:
    explicit AppTextServices(COvercoatApp& app) : m_app(app) {}
    std::wstring GetLanguageText(const std::wstring& key) override { return m_app.GetLanguageText(key); }
    COvercoatApp& m_app;
};

class ProfileDialogMarkupTest : public ShippedDialogTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(PrepareApplication(app));
        fs::create_directories(temp / "Profile" / "Speaker");
        host.m_data = temp.Path().wstring() + L"\\";
        host.m_programProfile = (ProgramDir() / "profile").wstring() + L"\\";
        services.m_driver = &driver;
    }
    void TearDown() override {
        GetProfileController()->SetListener(nullptr);
        Pump();
        app.ReleaseLytController();
    }

    // Runs the dialog with the profile keys it offers; the names its handler set stay in `names`.
    INT_PTR Run(const wchar_t* name, const std::vector<std::wstring>& keys, std::function<void(CUIDialog&)> script) {
        CUIDialog dialog(CDialog::IDD_POPUP, nullptr);
        UseSkinMarkup(dialog, app, name);
        SetDialogProfileKeys(dialog, keys);
        const INT_PTR result = RunScripted(dialog, std::move(script));
        names = {{L"AddingFile", dialog.GetControlName(L"AddingFile")},
                 {L"DescriptionName", dialog.GetControlName(L"DescriptionName")},
                 {L"0", dialog.GetControlName(L"0")},
                 {L"DeletingFileCount", dialog.GetControlName(L"DeletingFileCount")}};
        return result;
    }
    template <typename Handler> void Bind(Handler& handler, CUIDialog& dialog) {
        handler.SetHost(&host);
        handler.SetServices(&services);
        handler.SetWindow(static_cast<CLayerDialog*>(&dialog));
        // A dialog composes its surface once a handler has taken it on; the factory's binding is the
        // program's, so the test composes it for the handler it bound itself.
        static_cast<CxSkinDialog&>(dialog).Create();
    }

    COvercoatApp app;
    TempDir temp;
    MarkupHost host;
    FakeProfileDriver driver;
    AppTextServices services{app};
    std::map<std::wstring, std::wstring> names;
};

TEST_F(ProfileDialogMarkupTest, AddDialogSavesWhatWasTyped) {
    CProfileAddingDlgHandler handler;
    const INT_PTR result = Run(L"Dialog_AddProFile", {L"Speaker_Jazz"}, [&](CUIDialog& dialog) {
        Bind(handler, dialog);
        handler.Initialize();
        auto* name = dynamic_cast<IxSkinTextBox*>(CBaseHandler::FindControlIn(&dialog, L"AddProfileName"));
        auto* description =
            dynamic_cast<IxSkinTextBox*>(CBaseHandler::FindControlIn(&dialog, L"AddProfileDescription"));
        if (!name || !description) {
            ADD_FAILURE() << "the text boxes are missing";
            dialog.EndDialog(-5);
            return;
        }
        name->SetText(L"  Late night  ", FALSE);
        description->SetText(L"Quiet and clear", FALSE);
        dialog.Invalidate(TRUE);
        EXPECT_FALSE(SaveDialogPicture(dialog, L"Dialog_AddProFile").empty());
        handler.OnButtonClick(L"AddProFileBtnYes");
    });
    EXPECT_EQ(result, IDYES);
    EXPECT_TRUE(host.m_boxes.empty());
    EXPECT_EQ(names[L"AddingFile"], L"Late night");
    EXPECT_EQ(names[L"DescriptionName"], L"Quiet and clear");
    EXPECT_TRUE(fs::exists(temp / "Profile" / "Speaker" / "Late night.profile"));
    EXPECT_TRUE(fs::exists(temp / "Profile" / "Speaker" / "Late night.lyt"));
}

TEST_F(ProfileDialogMarkupTest, DeleteDialogListsAndDeletesTheChosenProfile) {
    std::ofstream(temp / "Profile" / "Speaker" / "Rock.lyt")
        << "<RadioButton Name=\"Rock\" Tooltip=\"Punchy bass for loud music\" />\n";
    std::ofstream(temp / "Profile" / "Speaker" / "Rock.profile") << "<Profile Name=\"UserDefine\" />\n";
    CProfileDeletingDlgHandler handler;
    std::wstring shown, item;
    const INT_PTR result = Run(L"Dialog_DelProFile", {L"Speaker_Rock"}, [&](CUIDialog& dialog) {
        Bind(handler, dialog);
        handler.Initialize();
        auto* box = dynamic_cast<IxSkinComboBox*>(CBaseHandler::FindControlIn(&dialog, L"DelProfileBox"));
        CxSkinCtrl* description = CBaseHandler::FindControlIn(&dialog, L"PanelProfileSeletDescription");
        if (!box || !description) {
            ADD_FAILURE() << "the list or the description is missing";
            dialog.EndDialog(-5);
            return;
        }
        box->GetItemText(0, item);
        shown = description->GetText();
        dialog.Invalidate(TRUE);
        EXPECT_FALSE(SaveDialogPicture(dialog, L"Dialog_DelProFile").empty());
        handler.OnButtonClick(L"DelProFileBtnYes");
    });
    EXPECT_EQ(item, L"Rock.profile");
    EXPECT_EQ(shown, L"Punchy bass for loud music");
    EXPECT_EQ(result, IDNO) << "the last profile gone ends the dialog";
    EXPECT_EQ(names[L"DeletingFileCount"], L"1");
    EXPECT_EQ(names[L"0"], (temp / "Profile" / "Speaker" / "Rock.lyt").wstring());
    EXPECT_FALSE(fs::exists(temp / "Profile" / "Speaker" / "Rock.profile"));
}

} // namespace
