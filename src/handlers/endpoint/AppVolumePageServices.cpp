// Kept apart from the pages: only a program that defines the application object links this.
#include "app/AppSettings.h"
#include "app/MainHandler.h"
#include "app/OvercoatApp.h"
#include "handlers/endpoint/VolumePageServices.h"

namespace {

class CAppVolumePageServices : public IVolumePageServices {
public:
    bool IsVistaOrLater() override { return theApp.IsVistaOrLater(); }
    CAppSettings* GetSettings() override { return theApp.GetSettings(); }
    bool SaveSettings() override {
        const CAppSettings* settings = theApp.GetSettings();
        return settings && settings->Save();
    }
    int ShowMessageBox(CWnd* parent, const std::wstring& text, const std::wstring& caption, UINT type) override {
        return static_cast<int>(theApp.ShowMessageBox(parent, text, caption, type));
    }
    void RefreshSpeakerVolume(IMainHandler* main) override {
        if (auto* handler = dynamic_cast<CMainHandler*>(main))
            handler->RefreshSpeakerVolume();
    }
    void RefreshMuteButton(IMainHandler* main) override {
        if (auto* handler = dynamic_cast<CMainHandler*>(main))
            handler->RefreshMuteButton();
    }
};

} // namespace

IVolumePageServices& AppVolumePageServices() {
    static CAppVolumePageServices services;
    return services;
}
