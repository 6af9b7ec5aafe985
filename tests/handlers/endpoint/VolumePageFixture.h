#pragma once
// A volume page as the program shows it: the shipped page markup loaded into a real skinned dialog through
// the markup controller, with the test's handler bound to the page's named root panel, and the driver,
// services and main-window handler of VolumeTestSupport.h behind it.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "../../skin/SkinDialogFixture.h"
#include "TestPaths.h"
#include "VolumeTestSupport.h"
#include "app/AppSettings.h"
#include "handlers/endpoint/VolHandler.h"
#include "markup/ILytContainerHost.h"
#include "markup/ILytController.h"
#include "markup/LytSkinElements.h"
#include "markup/LytWindow.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinSlider.h"
#include "skin/IxSkinTextBox.h"
#include "skin/SkinCtrl.h"

namespace oc::test {

inline std::filesystem::path SkinDir() {
    return ProgramDir() / "Skin" / "Overcoat";
}

// The program's markup environment in small: the skin folder of the assembled program, texts left as keys,
// and a factory that binds the one handler the test prepared to the panel of the expected name.
class PageEnvironment : public ILytEnvironment, public ILytContainerHost {
public:
    std::wstring TranslateText(const std::wstring& value) const override {
        auto it = m_texts.find(value);
        return it == m_texts.end() ? value : it->second;
    }
    std::wstring GetSkinFilePath(const std::wstring& value) const override {
        if (value.empty() || (value.size() >= 2 && value[1] == L':'))
            return value;
        return GetSkinFolder() + value;
    }
    std::wstring GetSkinFolder() const override { return SkinDir().wstring() + L"\\"; }
    int GetScreenDpi() const override { return 96; }

    IxSkinListener* CreateHandler(const std::wstring& name) override {
        m_created.push_back(name);
        if (name != m_panel || !m_next)
            return nullptr;
        return std::exchange(m_next, nullptr);
    }
    ILytController* GetController() const override { return m_controller; }
    void UpdateContentRect(IxSkinObject*, const LytRect&) override {}
    void EnumerateProfiles(IxSkinListener*, IxSkinObject*, const LytRect&) override {}

    std::map<std::wstring, std::wstring> m_texts;
    std::wstring m_panel;
    IxSkinListener* m_next = nullptr;
    ILytController* m_controller = nullptr;
    std::vector<std::wstring> m_created;
};

class VolumePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDialog(dialog, {0, 0}, 748, 388));
        dialog.SetListener(&main);
        services.m_driver = &driver;
        pages.m_settings = &settings;
        environment.m_controller = CreateSkinLytController(environment);
        ASSERT_NE(environment.m_controller, nullptr);
    }
    void TearDown() override {
        dialog.DestroyWindow();
        environment.m_controller->Release();
    }

    // Loads apo<panel>.lyt with a new handler of the class; the page makes its first reads as it loads.
    template <class Handler> Handler* Open(const std::wstring& panel) {
        auto* handler = new Handler;
        handler->SetServices(&services);
        handler->SetPageServices(&pages);
        environment.m_panel = panel;
        environment.m_next = static_cast<IHandler*>(handler);
        // As the main window places a content page: a child panel of the dialog at the content rectangle.
        const std::wstring path = (SkinDir() / (L"apo" + panel + L".lyt")).wstring();
        ILytObject* wrapper = CLytWindow::CreateInstance(environment, &dialog);
        const LytRect placement{0, 0, 748, 388};
        EXPECT_NE(environment.m_controller->LoadFile(path.c_str(), wrapper, &placement), nullptr)
            << "apo" << panel << ".lyt";
        wrapper->Destroy();
        EXPECT_EQ(environment.m_next, nullptr) << "the page bound no handler";
        page = handler;
        return handler;
    }

    CxSkinCtrl* Control(const std::wstring& name) const { return page->FindControl(name); }
    float Pos(const std::wstring& name) const {
        auto* slider = dynamic_cast<IxSkinSlider*>(Control(name));
        return slider ? slider->GetPos() : -1.0f;
    }
    std::wstring Text(const std::wstring& name) const {
        auto* box = dynamic_cast<IxSkinTextBox*>(Control(name));
        return box ? box->GetText() : L"(missing)";
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
    POINT Pos2(const std::wstring& name) const {
        CxSkinCtrl* control = Control(name);
        return control ? control->GetPos() : POINT{-1, -1};
    }
    // A click as the page hears it: a check button has already toggled itself.
    void Click(const std::wstring& name) {
        if (auto* button = dynamic_cast<IxSkinButton*>(Control(name)))
            button->SetCheck(!button->GetCheck(), FALSE);
        page->OnClick(name);
    }

    TempDir data;
    CAppSettings settings{(data / "setting.ini").wstring()};
    RecordingMainHandler main; // outlives the dialog that holds it
    TestDialog dialog;
    VolumeDriver driver;
    TestServices services;
    RecordingPageServices pages;
    PageEnvironment environment;
    CVolHandler* page = nullptr;
};

} // namespace oc::test
