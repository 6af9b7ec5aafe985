#include "app/AppLytEnvironment.h"

#include "app/HandlerFactory.h"
#include "app/IHandler.h"
#include "app/MainHandler.h"
#include "app/OvercoatApp.h"
#include "profiles/PanelProfileHandler.h"
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
    auto* object = dynamic_cast<CxSkinObject*>(parent);
    auto* main = object ? dynamic_cast<CMainHandler*>(object->GetListener()) : nullptr;
    if (main)
        main->UpdateContentRect(RECT{rect.left, rect.top, rect.right, rect.bottom});
}

void CAppLytEnvironment::EnumerateProfiles(IxSkinListener* handler, IxSkinObject* parent, const LytRect& rect) {
    if (auto* strip = dynamic_cast<CPanelProfileHandler*>(handler))
        strip->EnumerateProfiles(parent, &rect);
}
