#pragma once
// The program's markup environment in small, for the content-page tests: the skin folder of the assembled
// program, texts left as keys unless the test gave them, and a factory that binds the one handler the test
// prepared to the panel of the expected name (logging every name it is asked for).

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TestPaths.h"
#include "markup/ILytContainerHost.h"
#include "markup/ILytController.h"
#include "markup/LytSkinElements.h"

namespace oc::test {

inline std::filesystem::path ShippedSkinDir() {
    return ProgramDir() / "Skin" / "Overcoat";
}

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
    std::wstring GetSkinFolder() const override { return ShippedSkinDir().wstring() + L"\\"; }
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

} // namespace oc::test
