#pragma once
// What the markup model needs of the application object: language texts, the skin folder and the
// screen DPI. Read on every use, so a later DPI or language change takes effect in the next load.
#include "markup/ILytContainerHost.h"
#include "markup/ILytEnvironment.h"

class COvercoatApp;

// Also the container elements' host: named panels and windows get their handlers from the handler factory,
// and embedded files load through the application's controller.
class CAppLytEnvironment : public ILytEnvironment, public ILytContainerHost {
public:
    explicit CAppLytEnvironment(const COvercoatApp& app) : m_app(app) {}
    ~CAppLytEnvironment() = default;

    std::wstring TranslateText(const std::wstring& text) const override;
    std::wstring GetSkinFilePath(const std::wstring& name) const override;
    std::wstring GetSkinFolder() const override;
    int GetScreenDpi() const override;

    IxSkinListener* CreateHandler(const std::wstring& name) override;
    ILytController* GetController() const override;
    // The content frame belongs to the main-window handler that serves the parent.
    void UpdateContentRect(IxSkinObject* parent, const LytRect& rect) override;
    // The same without the application: the handler of the window at the root of the parent's layer tree
    // gets the frame, in the window's coordinates, wherever in the markup the frame sits.
    static void PlaceContentFrame(IxSkinObject* parent, const LytRect& rect);
    // The profile strip is filled by the profile panel's handler.
    void EnumerateProfiles(IxSkinListener* handler, IxSkinObject* parent, const LytRect& rect) override;

private:
    const COvercoatApp& m_app;
};
