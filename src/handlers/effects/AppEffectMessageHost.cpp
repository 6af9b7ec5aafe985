// Kept apart from the pages themselves: only a program that defines the application object links this.
#include "app/OvercoatApp.h"
#include "handlers/effects/EffectMessageHost.h"
#include "skin/LayerWnd.h"

namespace {

class CAppEffectMessageHost : public IEffectMessageHost {
public:
    int ShowMessageBox(CLayerWnd* owner, const std::wstring& text, const std::wstring& caption, UINT type) override {
        return static_cast<int>(theApp.ShowMessageBox(owner ? owner->GetHostDialog() : nullptr, text, caption, type));
    }
};

} // namespace

IEffectMessageHost& AppEffectMessageHost() {
    static CAppEffectMessageHost host;
    return host;
}
