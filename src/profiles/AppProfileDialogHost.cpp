// The profile dialogs' host over the application object and the CUIDialog that holds the handler.
#include "profiles/ProfileDialogHost.h"

#include "app/OvercoatApp.h"
#include "app/UIDialog.h"
#include "markup/IProfileController.h"
#include "skin/LayerWnd.h"

namespace {

// Named values of the key list; no other named value of the profile dialogs starts with a letter, so
// they never clash with the deleted-file entries "0", "1" ...
constexpr wchar_t kKeyCount[] = L"ProfileKeyCount";
constexpr wchar_t kKeyPrefix[] = L"ProfileKey";

CUIDialog* HostDialog(CLayerWnd* owner) {
    return owner ? dynamic_cast<CUIDialog*>(owner->GetHostDialog()) : nullptr;
}

class AppHost : public IProfileDialogHost {
public:
    int ShowMessageBox(CLayerWnd* owner, const std::wstring& text, const std::wstring& caption, UINT type) override {
        return static_cast<int>(theApp.ShowMessageBox(owner ? owner->GetHostDialog() : nullptr, text, caption, type));
    }
    void EndDialog(CLayerWnd* owner, int result) override {
        if (CUIDialog* dialog = HostDialog(owner))
            dialog->EndDialog(result);
    }
    void SetControlName(CLayerWnd* owner, const std::wstring& key, const std::wstring& value) override {
        if (CUIDialog* dialog = HostDialog(owner))
            dialog->SetControlName(key, value);
    }
    std::vector<std::wstring> GetProfileKeys(CLayerWnd* owner) override {
        CUIDialog* dialog = HostDialog(owner);
        return dialog ? GetDialogProfileKeys(*dialog) : std::vector<std::wstring>();
    }
    std::wstring GetDataFolder() override { return theApp.GetDataFolder(); }
    std::wstring GetProgramProfileFolder() override { return theApp.GetProfileFolder(); }
    IProfileController* GetProfileController() override { return ::GetProfileController(); }
};

} // namespace

IProfileDialogHost& AppProfileDialogHost() {
    static AppHost host;
    return host;
}

void SetDialogProfileKeys(CUIDialog& dialog, const std::vector<std::wstring>& keys) {
    dialog.SetControlName(kKeyCount, std::to_wstring(keys.size()));
    for (size_t i = 0; i < keys.size(); ++i)
        dialog.SetControlName(kKeyPrefix + std::to_wstring(i), keys[i]);
}

std::vector<std::wstring> GetDialogProfileKeys(const CUIDialog& dialog) {
    std::vector<std::wstring> keys;
    const int count = _wtoi(dialog.GetControlName(kKeyCount).c_str());
    for (int i = 0; i < count; ++i)
        keys.push_back(dialog.GetControlName(kKeyPrefix + std::to_wstring(i)));
    return keys;
}
