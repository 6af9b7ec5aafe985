#pragma once
// The application-setting dialog: language, tray icon, welcome message and the main window's transparency,
// with the device and skin names shown read-only. Transparency moves show on the main window at once and
// are taken back when the dialog is cancelled; OK and Apply store the choices in the settings file.

#include <functional>
#include <string>

#include "app/BaseHandler.h"

class CAppSettings;
class CxSkinDialog;

class CAppSettingHandler : public CBaseHandler {
public:
    CAppSettingHandler();

    void InitControls() override;
    void OnDeactivate() override;
    int IsControlEnabled(const std::wstring& name) override;
    int OnClick(const std::wstring& name) override;
    int OnSelChange(const std::wstring& name, int index) override;
    int OnSliderChanged(const std::wstring& name, float position, int dragging) override;

    // The slider runs 0..10 from most to least transparent; the main window takes a percentage.
    static int PositionToTransparency(float position);
    static int TransparencyToPosition(int transparency);

    int IsChanged() const { return m_changed; }
    int GetSavedTransparency() const { return m_savedTransparency; }
    const std::wstring& GetLanguage() const { return m_language; }

    // Tests give the handler their own settings, main window and language loader; empty or null goes back
    // to the application's.
    void SetSettings(CAppSettings* settings) { m_settings = settings; }
    void SetMainWindow(CxSkinDialog* mainWindow) { m_mainWindow = mainWindow; }
    std::function<int(const std::wstring& culture)> m_loadLanguage;

private:
    CAppSettings* Settings() const;
    CxSkinDialog* MainWindow() const;
    int LoadLanguage(const std::wstring& culture) const;
    void FillLanguageList();
    void FillReadOnlyCombo(const wchar_t* name, const std::wstring& text);
    void MarkChanged();
    // The main window and the setting take the transparency.
    void ShowTransparency(int transparency);
    void ApplySettings();
    void StoreChoices();
    void EndOwnerDialog(int result);

    int m_changed = 0;
    int m_savedTransparency = 10;
    std::wstring m_language = L"zh-CN";
    int m_trayChoice = 1;
    int m_welcomeOff = 1;

    CAppSettings* m_settings = nullptr;
    CxSkinDialog* m_mainWindow = nullptr;
};
