// Kept apart from the page itself: only a program that defines the application object links this.
#include "app/OvercoatApp.h"
#include "handlers/effects/EQPageHost.h"
#include "skin/LayerWnd.h"

namespace {

class CAppEQPageHost : public IEQPageHost {
public:
    std::wstring GetDataFolder() override { return theApp.GetDataFolder(); }
    int GetSelectedUserPreset(bool quarter) override {
        const CAppSettings* settings = theApp.GetSettings();
        return settings ? (quarter ? settings->m_nQuarterEQIndex : settings->m_nEQIndex) : 0;
    }
    void StoreSelectedUserPreset(bool quarter, int index) override {
        if (CAppSettings* settings = theApp.GetSettings())
            (quarter ? settings->m_nQuarterEQIndex : settings->m_nEQIndex) = index;
    }
    int ShowMessageBox(CLayerWnd* owner, const std::wstring& text, const std::wstring& caption, UINT type) override {
        return static_cast<int>(theApp.ShowMessageBox(owner ? owner->GetHostDialog() : nullptr, text, caption, type));
    }
};

} // namespace

IEQPageHost& AppEQPageHost() {
    static CAppEQPageHost host;
    return host;
}
