#pragma once
// The information dialog and its component detail window, one class for both: the main dialog shows the
// codec, driver, firmware, DirectX and control-panel versions and the logos of the sound technologies the
// device supports; the detail window lists the components of Information.info, one cloned row each.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/BaseHandler.h"
#include "app/IInfoHandler.h"

class CInfoHandler : public CBaseHandler, public IInfoHandler {
public:
    static constexpr int kLogoCount = 27;
    static constexpr int kMinRowHeight = 15;

    // main: 1 for the information dialog, 0 for its detail window.
    explicit CInfoHandler(int main);
    // The handler factory's creators: Create<1> for the dialog, Create<0> for the detail window.
    template <int Main> static IHandler* Create() { return new CInfoHandler(Main); }

    void InitControls() override { Initialize(); }
    int IsControlEnabled(const std::wstring& name) override { return UpdateScrollButtons(name); }
    int OnClick(const std::wstring& name) override { return OnButtonClick(name); }

    // IInfoHandler
    void ShowDetailWindow() override;
    void EndCancel() override { EndOwnerDialog(IDCANCEL); }
    void EndOk() override { EndOwnerDialog(IDOK); }
    void ShowLegalDialog();

    void Initialize();
    int OnButtonClick(const std::wstring& name);
    int UpdateScrollButtons(const std::wstring& name);
    void LoadComponentVersions();
    void DrawFeatureLogos();

    // The records of the file's bytes, three values each (name, version, date); a record stops at its first
    // missing field.
    static std::vector<std::wstring> ParseComponentVersions(std::string_view bytes);
    // Which logos show, in the logo table's order, once the families stood in for their members.
    std::vector<bool> FindShownLogos();
    static const wchar_t* LogoName(int row);

    const std::vector<std::wstring>& GetComponents() const { return m_components; }

    // Tests point the handler at their own file and catch what it would run; empty goes back to the
    // program's folder, the markup dialog and the shell.
    std::wstring m_infoPath;
    std::function<void(const std::wstring& markupPath)> m_runDialog;
    std::function<void(const std::wstring& target)> m_open;

private:
    void InitMainDialog();
    void InitDetailWindow();
    bool BuildDetailRows();
    void RunDialog(const wchar_t* name);
    void EndOwnerDialog(int result);
    void ScrollList(bool forward);
    std::wstring InfoPath() const;

    int m_scrollPos = 0;
    int m_main;
    std::vector<std::wstring> m_components;
};
