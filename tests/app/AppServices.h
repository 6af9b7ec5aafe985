#pragma once
// The handler services over a test's own application object: the skin, texts and markup controller of the
// assembled program folder, with the driver the test chooses.

#include <string>

#include "app/HandlerServices.h"
#include "app/OvercoatApp.h"
#include "driver/IDriverInstance.h"
#include "markup/ILytController.h"

namespace oc::test {

class AppServices : public IHandlerServices {
public:
    explicit AppServices(COvercoatApp& app) : m_app(app) {}
    IDriverInstance* GetDriver() override { return m_driver; }
    ILytController* GetLytController() override { return m_app.GetLytController(); }
    // A test that points the window at another skin folder sets m_skinFolder; otherwise the program's.
    std::wstring GetSkinFolder() override { return m_skinFolder.empty() ? m_app.GetSkinFolder() : m_skinFolder; }
    std::wstring GetLanguageText(const std::wstring& key) override { return m_app.GetLanguageText(key); }
    std::wstring FindLanguageKey(const std::wstring& text) override { return m_app.FindLanguageKey(text); }
    std::wstring TranslateText(const std::wstring& text) override { return m_app.TranslateText(text); }
    int GetUITransparent() override { return 0; }

    COvercoatApp& m_app;
    IDriverInstance* m_driver = nullptr;
    std::wstring m_skinFolder;
};

} // namespace oc::test
