#pragma once
// The tone and single-slider effect pages as the program shows them: the shipped page markup loaded into a
// real skinned dialog, the test's handler bound to the page's root panel, and behind it a driver that keeps
// live values beside the driver's cache as a device would.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "../app/HandlerTestSupport.h"
#include "../skin/SkinDialogFixture.h"
#include "TestPaths.h"
#include "markup/ILytContainerHost.h"
#include "markup/ILytController.h"
#include "markup/LytSkinElements.h"
#include "markup/LytWindow.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinComboBox.h"
#include "skin/IxSkinSlider.h"
#include "skin/IxSkinTextBox.h"
#include "skin/SkinCtrl.h"

namespace oc::test {

// Values per key, live and cached; writes logged as "name=value/type" (floats with two decimals).
class ToneDriver : public RecordingDriver {
public:
    // The device holds the value, the driver's cache does not know of it yet (a change behind the page).
    void Put(const std::wstring& key, double value) { m_live[key] = value; }
    // Device and cache agree, as after the page's own read.
    void PutCached(const std::wstring& key, double value) {
        m_live[key] = value;
        m_cache[key] = value;
    }
    double Live(const std::wstring& key) const {
        auto it = m_live.find(key);
        return it == m_live.end() ? NAN : it->second;
    }

    int32_t SetProperty(const wchar_t* name, const void* value, int32_t valueType, uint32_t, const void*, int32_t,
                        uint32_t) override {
        const double v = Decode(value, valueType);
        m_writes.push_back(Describe(name, v, valueType));
        if (m_refused.contains(name))
            return 5;
        m_live[name] = v;
        m_cache[name] = v;
        return 0;
    }
    int32_t GetProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t, void*, int32_t, uint32_t,
                        bool storeInCache, bool fromCache) override {
        m_reads.push_back(std::wstring(name) + (fromCache ? L" cached" : storeInCache ? L" store" : L""));
        if (m_unreadable.contains(name))
            return 5;
        const auto& store = fromCache ? m_cache : m_live;
        auto it = store.find(name);
        if (it == store.end())
            return 5;
        if (storeInCache && !fromCache)
            m_cache[name] = it->second;
        Encode(it->second, result, valueType);
        return 0;
    }
    int32_t SetEndpointProperty(int32_t code, const wchar_t* name, const void* value, int32_t valueType, uint32_t,
                                const void*, int32_t, uint32_t) override {
        m_writes.push_back(std::to_wstring(code) + L":" + Describe(name, Decode(value, valueType), valueType));
        return 0;
    }
    int32_t GetEndpointProperty(int32_t code, const wchar_t* name, void* result, int32_t valueType, uint32_t, void*,
                                int32_t, uint32_t, bool, bool) override {
        m_reads.push_back(std::to_wstring(code) + L":" + name);
        if (m_unreadable.contains(name) || !m_live.contains(name))
            return 5;
        Encode(m_live[name], result, valueType);
        return 0;
    }
    int32_t IsFeatureSupported(const std::wstring& feature) override { return m_features.contains(feature); }

    static std::wstring Describe(const std::wstring& name, double value, int valueType) {
        wchar_t text[96];
        if (valueType == 2)
            swprintf(text, 96, L"%ls=%.2f/2", name.c_str(), value);
        else
            swprintf(text, 96, L"%ls=%lld/%d", name.c_str(), static_cast<long long>(value), valueType);
        return text;
    }

    std::vector<std::wstring> m_writes;
    std::vector<std::wstring> m_reads;
    std::set<std::wstring> m_refused;
    std::set<std::wstring> m_unreadable;
    std::set<std::wstring> m_features;

private:
    static double Decode(const void* value, int valueType) {
        switch (valueType) {
        case 1:
            return *static_cast<const uint32_t*>(value);
        case 2:
            return *static_cast<const float*>(value);
        default:
            return *static_cast<const int32_t*>(value);
        }
    }
    static void Encode(double value, void* result, int valueType) {
        if (valueType == 2)
            *static_cast<float*>(result) = static_cast<float>(value);
        else if (valueType == 1)
            *static_cast<uint32_t*>(result) = static_cast<uint32_t>(std::llround(value));
        else
            *static_cast<int32_t*>(result) = static_cast<int32_t>(std::lround(value));
    }

    std::map<std::wstring, double> m_live;
    std::map<std::wstring, double> m_cache;
};

inline std::filesystem::path ToneSkinDir() {
    return ProgramDir() / "Skin" / "Overcoat";
}

// The program's markup environment in small: the assembled skin folder, texts left as keys, and a factory
// that binds the one handler the test prepared to the panel of the expected name.
class TonePageEnvironment : public ILytEnvironment, public ILytContainerHost {
public:
    // Keys stay keys unless the test gave their texts.
    std::wstring TranslateText(const std::wstring& value) const override {
        auto it = m_texts.find(value);
        return it == m_texts.end() ? value : it->second;
    }
    std::wstring GetSkinFilePath(const std::wstring& value) const override {
        if (value.empty() || (value.size() >= 2 && value[1] == L':'))
            return value;
        return GetSkinFolder() + value;
    }
    std::wstring GetSkinFolder() const override { return ToneSkinDir().wstring() + L"\\"; }
    int GetScreenDpi() const override { return 96; }
    IxSkinListener* CreateHandler(const std::wstring& name) override {
        if (name != m_panel || !m_next)
            return nullptr;
        return std::exchange(m_next, nullptr);
    }
    ILytController* GetController() const override { return m_controller; }
    void UpdateContentRect(IxSkinObject*, const LytRect&) override {}
    void EnumerateProfiles(IxSkinListener*, IxSkinObject*, const LytRect&) override {}

    std::wstring m_panel;
    IxSkinListener* m_next = nullptr;
    ILytController* m_controller = nullptr;
    std::map<std::wstring, std::wstring> m_texts;
};

class TonePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDialog(dialog, {0, 0}, 748, 388));
        dialog.SetListener(&main);
        services.m_driver = &driver;
        services.m_texts[L"ml_Message_Caption"] = L"Caption";
        environment.m_controller = CreateSkinLytController(environment);
        ASSERT_NE(environment.m_controller, nullptr);
    }
    void TearDown() override {
        dialog.DestroyWindow();
        environment.m_controller->Release();
    }

    // Loads apo<panel>.lyt with the prepared handler bound to its root panel, as the main window places a
    // content page; the markup runs the page's first InitControls.
    template <class Handler> Handler* Open(const std::wstring& panel, Handler* handler) {
        handler->SetServices(&services);
        environment.m_panel = panel;
        environment.m_next = static_cast<IHandler*>(handler);
        const std::wstring path = (ToneSkinDir() / (L"apo" + panel + L".lyt")).wstring();
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
        return slider ? slider->GetPos() : -999.0f;
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
    bool Enabled(const std::wstring& name) const {
        CxSkinCtrl* control = Control(name);
        return control && control->IsEnabled(FALSE);
    }
    // A click as the page hears it: a check button has already toggled itself.
    void Click(const std::wstring& name) {
        if (auto* button = dynamic_cast<IxSkinButton*>(Control(name)))
            button->SetCheck(!button->GetCheck(), FALSE);
        page->OnClick(name);
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
    ToneDriver driver;
    TestServices services;
    TonePageEnvironment environment;
    CBaseHandler* page = nullptr;
};

} // namespace oc::test
