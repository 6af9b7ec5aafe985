#include "app/AppLytEnvironment.h"

#include "app/HandlerFactory.h"
#include "app/IHandler.h"
#include "app/MainHandler.h"
#include "app/OvercoatApp.h"
#include "profiles/PanelProfileHandler.h"
#include "skin/LayerWnd.h"
#include "skin/SkinObject.h"

std::wstring CAppLytEnvironment::TranslateText(const std::wstring& text) const { return m_app.TranslateText(text); }

std::wstring CAppLytEnvironment::GetSkinFilePath(const std::wstring& name) const {
    return m_app.GetSkinFilePath(name);
}

std::wstring CAppLytEnvironment::GetSkinFolder() const { return m_app.GetSkinFolder(); }

int CAppLytEnvironment::GetScreenDpi() const { return m_app.m_nScreenDpi; }

IxSkinListener* CAppLytEnvironment::CreateHandler(const std::wstring& name) { return ::CreateHandler(name); }

ILytController* CAppLytEnvironment::GetController() const { return m_app.GetLytController(); }

void CAppLytEnvironment::UpdateContentRect(IxSkinObject* parent, const LytRect& rect) {
    PlaceContentFrame(parent, rect);
}

void CAppLytEnvironment::PlaceContentFrame(IxSkinObject* parent, const LytRect& rect) {
    auto* object = dynamic_cast<CxSkinObject*>(parent);
    CLayerWnd* layer = object ? object->GetLayer() : nullptr;
    CLayerWnd* root = layer ? layer->GetRootLayer() : nullptr;
    auto* window = dynamic_cast<CxSkinObject*>(root);
    auto* main = window ? dynamic_cast<CMainHandler*>(window->GetListener()) : nullptr;
    if (!main)
        return;
    // The main handler places the content in its window: a frame inside a panel moves by the panel's place.
    POINT offset{0, 0};
    if (layer != root) {
        const RECT inHost = layer->GetRectInHost();
        offset = {inHost.left, inHost.top};
    }
    main->UpdateContentRect(RECT{rect.left + offset.x, rect.top + offset.y, rect.right + offset.x,
                                 rect.bottom + offset.y});
}

void CAppLytEnvironment::EnumerateProfiles(IxSkinListener* handler, IxSkinObject* parent, const LytRect& rect) {
    // Only placed: the strip loads its profiles when it is first shown or asked about them.
    if (auto* strip = dynamic_cast<CPanelProfileHandler*>(handler))
        strip->PlaceProfiles(parent, &rect);
}
