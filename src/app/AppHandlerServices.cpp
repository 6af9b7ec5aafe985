// Kept apart from the handler framework: only a program that defines the application object links this.
#include "app/HandlerServices.h"
#include "app/OvercoatApp.h"

namespace {

class CAppHandlerServices : public IHandlerServices {
public:
    IDriverInstance* GetDriver() override { return theApp.GetDriver(); }
    ILytController* GetLytController() override { return theApp.GetLytController(); }
    std::wstring GetSkinFolder() override { return theApp.GetSkinFolder(); }
    std::wstring GetLanguageText(const std::wstring& key) override { return theApp.GetLanguageText(key); }
    std::wstring FindLanguageKey(const std::wstring& text) override { return theApp.FindLanguageKey(text); }
    std::wstring TranslateText(const std::wstring& text) override { return theApp.TranslateText(text); }
    int GetUITransparent() override {
        const CAppSettings* settings = theApp.GetSettings();
        return settings ? settings->m_nUITransparent : 1; // the setting's default
    }
};

} // namespace

IHandlerServices& AppHandlerServices() {
    static CAppHandlerServices services;
    return services;
}
