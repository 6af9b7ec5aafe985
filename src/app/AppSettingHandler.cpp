#include "app/AppSettingHandler.h"

#include <algorithm>

#include "app/AppSettings.h"
#include "app/HandlerServices.h"
#include "app/MainHandler.h"
#include "app/OvercoatApp.h"
#include "framework/Dialog.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinComboBox.h"
#include "skin/IxSkinSlider.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinDialog.h"

namespace {

constexpr wchar_t kApply[] = L"Apply";
constexpr wchar_t kTransparency[] = L"UITransparent";
constexpr wchar_t kLanguageList[] = L"MultiLanguage";
constexpr wchar_t kSystemTray[] = L"SystemTray";
constexpr wchar_t kDisableWelcome[] = L"DisableWelcomeMsg";

constexpr int kMaxPosition = 10;

template <class Interface> Interface* Find(const CBaseHandler& handler, const wchar_t* name) {
    return dynamic_cast<Interface*>(handler.FindControl(name));
}

} // namespace

CAppSettingHandler::CAppSettingHandler() {
    m_name = L"AppSettingHandler";
}

int CAppSettingHandler::PositionToTransparency(float position) {
    int transparency = static_cast<int>(kMaxPosition - position);
    // The upper positions are spread over the usable range so that the most transparent step still leaves
    // the window readable.
    if (transparency > 1.1)
        transparency = static_cast<int>(transparency * 70 / 9);
    return std::clamp(transparency, 0, 100);
}

int CAppSettingHandler::TransparencyToPosition(int transparency) {
    transparency = std::clamp(transparency, 0, 100);
    return std::clamp(9 - static_cast<int>(transparency * 9 / 70.0), 0, kMaxPosition);
}

CAppSettings* CAppSettingHandler::Settings() const {
    return m_settings ? m_settings : theApp.GetSettings();
}

CxSkinDialog* CAppSettingHandler::MainWindow() const {
    return m_mainWindow ? m_mainWindow : dynamic_cast<CxSkinDialog*>(theApp.m_pMainWnd);
}

int CAppSettingHandler::LoadLanguage(const std::wstring& culture) const {
    return m_loadLanguage ? m_loadLanguage(culture) : theApp.LoadLanguage(culture);
}

// ---- Initialisation ----

void CAppSettingHandler::InitControls() {
    CAppSettings* settings = Settings();
    if (!settings)
        return;
    if (CxSkinCtrl* apply = FindControl(kApply))
        apply->Enable(IsControlEnabled(kApply) ? TRUE : FALSE, FALSE);
    FillReadOnlyCombo(L"AudioDevice", settings->m_strAudioDevice);
    if (auto* tray = Find<IxSkinButton>(*this, kSystemTray)) {
        m_trayChoice = settings->m_nSystemTray;
        tray->SetCheck(m_trayChoice, FALSE);
    }
    if (auto* slider = Find<IxSkinSlider>(*this, kTransparency)) {
        m_savedTransparency = std::clamp(settings->m_nUITransparent, 0, 100);
        slider->SetPos(static_cast<float>(TransparencyToPosition(m_savedTransparency)), FALSE);
    }
    if (auto* languages = Find<IxSkinComboBox>(*this, kLanguageList)) {
        m_language = settings->m_strLanguage;
        if (languages->GetCount() == 0)
            FillLanguageList();
    }
    FillReadOnlyCombo(L"Skin", settings->m_strSkin);
    if (auto* welcome = Find<IxSkinButton>(*this, kDisableWelcome)) {
        m_welcomeOff = !settings->m_nWelcomeMsg;
        welcome->SetCheck(m_welcomeOff, FALSE);
    }
}

void CAppSettingHandler::FillReadOnlyCombo(const wchar_t* name, const std::wstring& text) {
    auto* combo = Find<IxSkinComboBox>(*this, name);
    if (!combo)
        return;
    if (combo->GetCount() == 0) {
        const int item = combo->AddString(text);
        combo->SetItemName(item, text);
    }
    combo->SetCurSel(0, FALSE);
    combo->Enable(FALSE, FALSE);
}

void CAppSettingHandler::FillLanguageList() {
    auto* languages = Find<IxSkinComboBox>(*this, kLanguageList);
    int current = -1;
    for (const wchar_t* culture : LanguageCultures()) {
        // The language files list each culture's own name for itself under the culture.
        const std::wstring description = Services().GetLanguageText(culture);
        if (description.empty())
            continue;
        const int item = languages->AddString(description);
        languages->SetItemName(item, culture);
        if (m_language == culture)
            current = item;
    }
    if (current >= 0)
        languages->SetCurSel(current, FALSE);
}

// ---- Changes ----

int CAppSettingHandler::IsControlEnabled(const std::wstring& name) {
    return name == kApply ? m_changed : 1;
}

void CAppSettingHandler::MarkChanged() {
    m_changed = 1;
    EnableControl(kApply, TRUE);
}

int CAppSettingHandler::OnSelChange(const std::wstring&, int) {
    MarkChanged();
    return 1;
}

int CAppSettingHandler::OnSliderChanged(const std::wstring& name, float position, int) {
    MarkChanged();
    if (name != kTransparency)
        return 0;
    ShowTransparency(PositionToTransparency(position));
    return 1;
}

void CAppSettingHandler::ShowTransparency(int transparency) {
    if (CxSkinDialog* main = MainWindow())
        main->SetTransparency(transparency, TRUE);
    if (CAppSettings* settings = Settings())
        settings->m_nUITransparent = transparency;
}

void CAppSettingHandler::OnDeactivate() {
    if (m_changed)
        ShowTransparency(m_savedTransparency);
}

// ---- Buttons ----

int CAppSettingHandler::OnClick(const std::wstring& name) {
    if (name == L"BtnWinClose" || name == L"Cancel") {
        if (m_changed)
            ShowTransparency(m_savedTransparency);
        EndOwnerDialog(IDCANCEL);
    } else if (name == L"OK") {
        if (m_changed)
            StoreChoices();
        EndOwnerDialog(IDOK);
    } else if (name == kApply) {
        EnableControl(kApply, TRUE);
        StoreChoices();
        // What was applied is what a later cancel goes back to.
        if (auto* slider = Find<IxSkinSlider>(*this, kTransparency))
            m_savedTransparency = PositionToTransparency(slider->GetPos());
    } else if (name == kSystemTray) {
        m_trayChoice = !m_trayChoice;
        MarkChanged();
    } else if (name == kDisableWelcome) {
        m_welcomeOff = !m_welcomeOff;
        MarkChanged();
    } else {
        return 0;
    }
    return 1;
}

void CAppSettingHandler::StoreChoices() {
    ApplySettings();
    CAppSettings* settings = Settings();
    if (!settings)
        return;
    settings->SetSystemTray(m_trayChoice);
    settings->m_nWelcomeMsg = !m_welcomeOff;
    settings->Save();
}

void CAppSettingHandler::ApplySettings() {
    auto* languages = Find<IxSkinComboBox>(*this, kLanguageList);
    const int selected = languages ? languages->GetCurSel() : -1;
    const std::wstring culture = selected >= 0 ? languages->GetItemName(selected) : std::wstring();
    if (!culture.empty() && culture != m_language) {
        CxSkinDialog* main = MainWindow();
        // The main window's handler turns its own texts over, so that the texts it keeps apart (device
        // names, status) follow too.
        auto* mainHandler = main ? dynamic_cast<CMainHandler*>(main->GetListener()) : nullptr;
        const CBaseHandler& mainTexts = mainHandler ? *static_cast<CBaseHandler*>(mainHandler) : *this;
        FillControlTexts(m_owner, false);
        if (main)
            mainTexts.FillControlTexts(main, false);
        // A culture whose files are gone by now must not leave the program without texts: the old
        // language comes back and stays the dialog's.
        const bool loaded = LoadLanguage(culture) != 0;
        if (!loaded)
            LoadLanguage(m_language);
        FillControlTexts(m_owner, true);
        if (main) {
            mainTexts.FillControlTexts(main, true);
            if (mainHandler) {
                mainHandler->RefreshDeviceListPanel();
                mainHandler->RefreshStatusPanel();
                mainHandler->ReloadContents();
            }
            main->Invalidate(TRUE);
        }
        if (m_owner)
            m_owner->Invalidate(TRUE);
        if (loaded)
            m_language = culture;
    }
    if (CAppSettings* settings = Settings())
        settings->m_strLanguage = m_language;
}

void CAppSettingHandler::EndOwnerDialog(int result) {
    CWnd* host = m_owner ? m_owner->GetHostDialog() : nullptr;
    if (auto* dialog = dynamic_cast<CDialog*>(host))
        dialog->EndDialog(result);
}
