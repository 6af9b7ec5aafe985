#pragma once
// What the markup model needs of the application object: language texts, the skin folder and the
// screen DPI. Read on every use, so a later DPI or language change takes effect in the next load.
#include "markup/ILytEnvironment.h"

class COvercoatApp;

class CAppLytEnvironment : public ILytEnvironment {
public:
    explicit CAppLytEnvironment(const COvercoatApp& app) : m_app(app) {}
    ~CAppLytEnvironment() = default;

    std::wstring TranslateText(const std::wstring& text) const override;
    std::wstring GetSkinFilePath(const std::wstring& name) const override;
    std::wstring GetSkinFolder() const override;
    int GetScreenDpi() const override;

private:
    const COvercoatApp& m_app;
};
