#pragma once
// A suite over the skin's own dialogs on the test display: GDI+ for the pictures it saves, the application
// object prepared over the assembled program folder as the program prepares it, and a markup dialog of the
// skin run modally while a script drives it.

#include <windows.h>
#include <gdiplus.h>

#include <functional>
#include <utility>

#include <gtest/gtest.h>

#include "MessagePump.h"
#include "TestPaths.h"
#include "app/OvercoatApp.h"
#include "app/UIDialog.h"
#include "framework/Dialog.h"

namespace oc::test {

class ShippedDialogTest : public ::testing::Test {
protected:
    // The suite's pictures are encoded through GDI+, whatever else the test binary has started.
    static void SetUpTestSuite() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&s_gdiplus, &input, nullptr);
    }
    static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(s_gdiplus); }

    // Its folders over the assembled program folder, the en-US texts and the markup controller. Callers wrap
    // it in ASSERT_NO_FATAL_FAILURE: without the texts no dialog of the skin says what the test expects.
    static void PrepareApplication(COvercoatApp& app) {
        app.UseProgramFolder(ProgramDir().wstring() + L"\\");
        app.InitPaths();
        ASSERT_EQ(app.LoadLanguage(L"en-US"), 1);
        app.CreateLytController();
    }

    // The dialog reads its markup <name> from the application's skin folder, through its controller.
    static void UseSkinMarkup(CUIDialog& dialog, COvercoatApp& app, const wchar_t* name) {
        dialog.SetLytController(app.GetLytController());
        dialog.SetMarkupPath(CUIDialog::MarkupPathOf(app.GetSkinFolder(), name));
    }

    // Runs the dialog modally; once it shows, the script gets it. A script that stops early (a failed
    // assertion) leaves the dialog to a safety timer that ends it with -6. The result is DoModal's; the
    // dialog object is still there for what the test reads off it afterwards.
    static INT_PTR RunScripted(CUIDialog& dialog, std::function<void(CUIDialog&)> script) {
        // Timer procedures take no context: the running dialog and its script wait in statics.
        static CUIDialog* s_dialog = nullptr;
        static std::function<void(CUIDialog&)> s_script;
        s_dialog = &dialog;
        s_script = std::move(script);
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
            ::KillTimer(nullptr, id);
            if (s_dialog)
                s_script(*s_dialog);
        });
        const UINT_PTR safety = ::SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR id, DWORD) {
            ::KillTimer(nullptr, id);
            if (s_dialog)
                s_dialog->EndDialog(-6);
        });
        EXPECT_NE(timer, 0u);
        const INT_PTR result = dialog.DoModal();
        ::KillTimer(nullptr, safety);
        s_dialog = nullptr;
        s_script = nullptr;
        Pump();
        return result;
    }

    // The skin's markup dialog <name> over the parent, run as above.
    static INT_PTR RunScripted(COvercoatApp& app, CWnd* parent, const wchar_t* name,
                               std::function<void(CUIDialog&)> script) {
        CUIDialog dialog(CDialog::IDD_POPUP, parent);
        UseSkinMarkup(dialog, app, name);
        return RunScripted(dialog, std::move(script));
    }

    static inline ULONG_PTR s_gdiplus = 0;
};

} // namespace oc::test
