// The shipped add and delete profile dialogs, run modally over the skin's markup with their handlers bound
// to the loaded controls: the names the handlers look for exist, typed text reaches the save, the list and
// description fill from the files, and a picture of each lands in the gallery.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus
#include <gdiplus.h>

#include "../app/DialogGallery.h"
#include "../app/HandlerTestSupport.h"
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

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

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

class ProfileDialogMarkupTest : public ::testing::Test {
protected:
    // The gallery pictures are encoded through GDI+.
    static void SetUpTestSuite() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&s_gdiplus, &input, nullptr);
    }
    static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(s_gdiplus); }

    void SetUp() override {
        app.UseProgramFolder(ProgramDir().wstring() + L"\\");
        app.InitPaths();
        ASSERT_EQ(app.LoadLanguage(L"en-US"), 1);
        app.CreateLytController();
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

    // Runs the dialog modally; the script gets it once it shows. A safety timer ends a stuck dialog with -6.
    INT_PTR Run(const wchar_t* name, const std::vector<std::wstring>& keys, std::function<void(CUIDialog&)> script) {
        CUIDialog dialog(CDialog::IDD_POPUP, nullptr);
        dialog.SetLytController(app.GetLytController());
        dialog.SetMarkupPath(CUIDialog::MarkupPathOf(app.GetSkinFolder(), name));
        SetDialogProfileKeys(dialog, keys);
        static CUIDialog* s_dialog = nullptr;
        static std::function<void(CUIDialog&)> s_script;
        s_dialog = &dialog;
        s_script = std::move(script);
        ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
            ::KillTimer(nullptr, id);
            if (s_dialog)
                s_script(*s_dialog);
        });
        const UINT_PTR safety = ::SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR id, DWORD) {
            ::KillTimer(nullptr, id);
            if (s_dialog)
                s_dialog->EndDialog(-6);
        });
        const INT_PTR result = dialog.DoModal();
        ::KillTimer(nullptr, safety);
        names = {{L"AddingFile", dialog.GetControlName(L"AddingFile")},
                 {L"DescriptionName", dialog.GetControlName(L"DescriptionName")},
                 {L"0", dialog.GetControlName(L"0")},
                 {L"DeletingFileCount", dialog.GetControlName(L"DeletingFileCount")}};
        s_dialog = nullptr;
        s_script = nullptr;
        Pump();
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

    static inline ULONG_PTR s_gdiplus = 0;
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
