#pragma once
// A content page as the program shows it: the shipped page markup loaded into a real skinned dialog through
// the markup controller, the test's handler bound to the page's named root panel, and what a test asks of
// the page's controls by name. The driver and services behind the handler are the derived fixture's.

#include <gtest/gtest.h>

#include <string>

#include "../app/HandlerTestSupport.h"
#include "../skin/SkinDialogFixture.h"
#include "PageEnvironment.h"
#include "markup/ILytController.h"
#include "markup/LytWindow.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinSlider.h"
#include "skin/IxSkinTextBox.h"
#include "skin/SkinCtrl.h"

namespace oc::test {

class ShippedPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDialog(dialog, {0, 0}, 748, 388));
        dialog.SetListener(&main);
        environment.m_controller = CreateSkinLytController(environment);
        ASSERT_NE(environment.m_controller, nullptr);
    }
    void TearDown() override {
        dialog.DestroyWindow();
        environment.m_controller->Release();
    }

    // Loads apo<panel>.lyt with the prepared handler bound to its root panel, as the main window places a
    // content page: a child panel of the dialog at the content rectangle. The markup runs the page's first
    // InitControls.
    void LoadPage(const std::wstring& panel, CBaseHandler* handler) {
        environment.m_panel = panel;
        environment.m_next = static_cast<IHandler*>(handler);
        const std::wstring path = (ShippedSkinDir() / (L"apo" + panel + L".lyt")).wstring();
        ILytObject* wrapper = CLytWindow::CreateInstance(environment, &dialog);
        const LytRect placement{0, 0, 748, 388};
        EXPECT_NE(environment.m_controller->LoadFile(path.c_str(), wrapper, &placement), nullptr)
            << "apo" << panel << ".lyt";
        wrapper->Destroy();
        EXPECT_EQ(environment.m_next, nullptr) << "the page bound no handler";
        loaded = handler;
    }

    CxSkinCtrl* Control(const std::wstring& name) const { return loaded->FindControl(name); }
    // A slider's position, or `missing` where the page has no such slider.
    float SliderPos(const std::wstring& name, float missing) const {
        auto* slider = dynamic_cast<IxSkinSlider*>(Control(name));
        return slider ? slider->GetPos() : missing;
    }
    std::wstring Text(const std::wstring& name) const {
        auto* box = dynamic_cast<IxSkinTextBox*>(Control(name));
        return box ? box->GetText() : L"(missing)";
    }
    void SetText(const std::wstring& name, const std::wstring& text) {
        if (auto* box = dynamic_cast<IxSkinTextBox*>(Control(name)))
            box->SetText(text, FALSE);
    }
    int Check(const std::wstring& name) const {
        auto* button = dynamic_cast<IxSkinButton*>(Control(name));
        return button ? button->GetCheck() : -1;
    }
    bool Visible(const std::wstring& name) const {
        CxSkinCtrl* control = Control(name);
        return control && control->IsVisible();
    }
    bool Enabled(const std::wstring& name) const {
        CxSkinCtrl* control = Control(name);
        return control && control->IsEnabled(FALSE);
    }
    // A click as the page hears it: a check button has already toggled itself.
    void Click(const std::wstring& name) {
        if (auto* button = dynamic_cast<IxSkinButton*>(Control(name)))
            button->SetCheck(!button->GetCheck(), FALSE);
        loaded->OnClick(name);
    }
    // A click as a user makes it: a press and a release on the middle of the control, through the window, so
    // the control's own rules (a checked radio button ignoring presses, a label passing its click on) apply.
    void MouseClick(const std::wstring& name) {
        CxSkinCtrl* control = Control(name);
        ASSERT_NE(control, nullptr) << "no control " << testing::PrintToString(name);
        const RECT area = control->GetRectInHost();
        const LPARAM at = PointParam((area.left + area.right) / 2, (area.top + area.bottom) / 2);
        Deliver(dialog.GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        Deliver(dialog.GetSafeHwnd(), WM_LBUTTONUP, 0, at);
    }

    RecordingMainHandler main; // outlives the dialog that holds it
    TestDialog dialog;
    PageEnvironment environment;
    // The loaded page's handler, as every page is one.
    CBaseHandler* loaded = nullptr;
};

} // namespace oc::test
