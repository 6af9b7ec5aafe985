#include "app/BaseHandler.h"

#include <memory>

#include "app/HandlerServices.h"
#include "app/IMainHandler.h"
#include "app/ISoundPlayer.h"
#include "driver/IDriverInstance.h"
#include "framework/Dialog.h"
#include "framework/Thread.h"
#include "markup/ILytController.h"
#include "skin/IxSkinTextBox.h"
#include "skin/LayerWnd.h"
#include "skin/SkinButton.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinMenu.h"

namespace {

constexpr wchar_t kMainContent[] = L"MainContent";
constexpr wchar_t kWarningContent[] = L"WarningContent";
constexpr wchar_t kGreyMainContent[] = L"GreyMainContent";
constexpr wchar_t kTextBoxMenuFile[] = L"MenuTextBox.lyt";

// The commands the text box's menu may run on the box.
constexpr const wchar_t* kTextBoxCommands[] = {kTextBoxCut, kTextBoxCopy, kTextBoxPaste, kTextBoxDelete,
                                               kTextBoxSelectAll};

bool IsTextBoxCommand(const std::wstring& name) {
    for (const wchar_t* command : kTextBoxCommands) {
        if (name == command)
            return true;
    }
    return false;
}

UINT StopPlayerProc(LPVOID player) {
    static_cast<ISoundPlayer*>(player)->Stop(0);
    return 0;
}

} // namespace

CBaseHandler::CBaseHandler() = default;

CBaseHandler::~CBaseHandler() {
    DestroyTextBoxMenu();
    // A stop still running finishes on its own; it needs nothing of this handler.
    if (m_stopWorker && !m_stopWorker->Join(0))
        m_stopWorker->Detach();
}

IHandlerServices& CBaseHandler::Services() const {
    return m_services ? *m_services : AppHandlerServices();
}

IDriverInstance* CBaseHandler::GetDriver() const {
    return Services().GetDriver();
}

IMainHandler* CBaseHandler::GetMainHandler() const {
    if (!m_owner)
        return nullptr;
    // The dialog at the root of the owner's tree holds the handler its markup window bound. Only the main
    // window's handler offers the main services; any other dialog's handler is no main handler.
    const auto* dialog = dynamic_cast<const CxSkinObject*>(m_owner->GetRootLayer());
    return dialog ? dynamic_cast<IMainHandler*>(dialog->GetListener()) : nullptr;
}

CxSkinCtrl* CBaseHandler::FindControl(const std::wstring& name) const {
    CxSkinCtrl* found = FindControlIn(m_owner, name);
    if (!found && m_onControlMissing)
        m_onControlMissing(name);
    return found;
}

CxSkinCtrl* CBaseHandler::FindControlIn(const CLayerWnd* layer, const std::wstring& name) {
    if (!layer)
        return nullptr;
    for (CLayerWnd* child = layer->GetFirstChild(); child; child = layer->GetNextChild(child)) {
        auto* control = dynamic_cast<CxSkinCtrl*>(child);
        if (!control)
            continue; // plain layers are neither matched nor searched
        if (control->GetName() == name)
            return control;
        if (control->IsContainer()) {
            if (CxSkinCtrl* found = FindControlIn(control, name))
                return found;
        }
    }
    return nullptr;
}

std::wstring CBaseHandler::FindControlNameByIdIn(const CLayerWnd* layer, UINT id) {
    if (!layer)
        return {};
    for (CLayerWnd* child = layer->GetFirstChild(); child; child = layer->GetNextChild(child)) {
        auto* control = dynamic_cast<CxSkinCtrl*>(child);
        if (!control)
            continue;
        if (control->GetId() == id)
            return control->GetName();
        if (control->IsContainer()) {
            std::wstring found = FindControlNameByIdIn(control, id);
            if (!found.empty())
                return found;
        }
    }
    return {};
}

void CBaseHandler::EnableControl(const std::wstring& name, BOOL redraw) {
    if (CxSkinCtrl* control = FindControl(name))
        control->Enable(IsControlEnabled(name) ? TRUE : FALSE, redraw);
}

void CBaseHandler::RequestSettingContent() {
    IDriverInstance* driver = GetDriver();
    if (!m_owner || !driver)
        return;
    m_owner->PostMessage(kMsgShowSettingContent, static_cast<WPARAM>(driver->EndpointPrefixToCode(m_name)), 0);
}

void CBaseHandler::RequestSurroundContent() {
    IDriverInstance* driver = GetDriver();
    if (!m_owner || !driver)
        return;
    const int32_t code = driver->EndpointPrefixToCode(driver->GetCurrentEndpointName());
    m_owner->PostMessage(kMsgShowSurroundContent, static_cast<WPARAM>(code), 0);
}

std::wstring CBaseHandler::GetLanguageText(const std::wstring& keyOrText, bool forward) const {
    return forward ? Services().GetLanguageText(keyOrText) : Services().FindLanguageKey(keyOrText);
}

void CBaseHandler::ShowMainContent(BOOL show) {
    if (CxSkinCtrl* main = FindControl(kMainContent))
        main->SetVisible(show ? TRUE : FALSE, FALSE);
    if (CxSkinCtrl* warning = FindControl(kWarningContent))
        warning->SetVisible(show ? FALSE : TRUE, FALSE);
}

void CBaseHandler::ShowGreyContent(BOOL grey) {
    if (CxSkinCtrl* content = FindControl(kGreyMainContent))
        content->SetEnabled(grey ? FALSE : TRUE);
    if (CxSkinCtrl* warning = FindControl(kWarningContent))
        warning->SetVisible(grey ? TRUE : FALSE, FALSE);
}

void CBaseHandler::FillControlTexts(CLayerWnd* layer, bool forward) const {
    if (!layer)
        return;
    for (int i = 0; i < layer->GetChildCount(); ++i) {
        CLayerWnd* child = layer->GetChild(i);
        if (!child)
            continue;
        if (child->IsContainer()) {
            FillControlTexts(child, forward);
            continue;
        }
        auto* control = dynamic_cast<CxSkinCtrl*>(child);
        if (!control)
            continue;
        if (control->IsTextTranslatable() && !control->GetText().empty()) {
            // A text that still reads as its markup key's goes back to that key: the reverse look-up finds
            // the first key with the text, which may be another key's in the next language.
            const std::wstring& key = control->GetTextKey();
            const bool keyed = !forward && !key.empty() && Services().GetLanguageText(key) == control->GetText();
            const std::wstring text = keyed ? key : GetLanguageText(control->GetText(), forward);
            if (!text.empty()) {
                control->SetText(text);
                if (forward && control->IsFitToText())
                    control->ResizeToContent();
            }
        }
        // A tooltip that came from a language key is translated again from that key; a literal one stays.
        if (forward) {
            const std::wstring& source =
                control->GetToolTipKey().empty() ? control->GetToolTip() : control->GetToolTipKey();
            if (!source.empty())
                control->SetToolTip(Services().TranslateText(source));
        }
        if (auto* button = dynamic_cast<CxSkinButton*>(control)) {
            const std::wstring checkTip = button->GetCheckToolTip();
            if (!checkTip.empty()) {
                const std::wstring text = GetLanguageText(checkTip, forward);
                if (!text.empty())
                    button->SetCheckToolTip(text);
            }
            if (const std::wstring checkText = button->GetCheckText(); !checkText.empty()) {
                const std::wstring text = GetLanguageText(checkText, forward);
                if (!text.empty())
                    button->SetCheckText(text);
            }
        }
    }
}

void CBaseHandler::DestroyTextBoxMenu() {
    // The menu's destructor takes its window down first, without notices.
    delete m_textBoxMenu;
    m_textBoxMenu = nullptr;
}

void CBaseHandler::OnContextMenu(const std::wstring& name) {
    DestroyTextBoxMenu();
    CxSkinCtrl* control = FindControl(name);
    auto* box = dynamic_cast<IxSkinTextBox*>(control);
    CWnd* host = m_owner ? m_owner->GetHostDialog() : nullptr;
    ILytController* controller = Services().GetLytController();
    if (!box || !host || !controller)
        return;
    // The box gives up the focus without telling anyone, so that the menu's commands act on it as it was.
    control->SetFocus();
    control->KillFocus();

    auto menu = std::make_unique<CxSkinMenu>(CDialog::IDD_POPUP, host);
    menu->m_menuListener = this;
    menu->SetDestroyLayersAfterWindow(TRUE);
    if (!menu->Create(CDialog::IDD_POPUP, host))
        return;
    const std::wstring path = Services().GetSkinFolder() + kTextBoxMenuFile;
    if (!controller->Load(path.c_str(), menu.get(), nullptr))
        return; // a menu without its rows cannot open
    menu->SetTransparency(Services().GetUITransparent(), FALSE);
    if (!box->CanPaste())
        menu->EnableItem(kTextBoxPaste, FALSE);
    if (!box->HasSelection()) {
        menu->EnableItem(kTextBoxCut, FALSE);
        menu->EnableItem(kTextBoxCopy, FALSE);
    }
    POINT at{};
    box->GetContextMenuPoint(&at);
    at = control->ClientToScreen(at);
    // Named before it opens, so that even a notice of its opening carries the text box's name.
    m_menuTextBox = name;
    menu->SetName(name);
    m_textBoxMenu = menu.release();
    m_textBoxMenu->TrackPopup(at.x, at.y);
}

void CBaseHandler::OnMenuCommand(const std::wstring& menuName, int itemId, const std::wstring& itemName) {
    if (m_menuTextBox.empty() || menuName != m_menuTextBox)
        return;
    CxSkinCtrl* control = FindControl(m_menuTextBox);
    if (auto* box = dynamic_cast<IxSkinTextBox*>(control)) {
        if (itemId == 0 && itemName.empty())
            control->SetFocus();
        else if (IsTextBoxCommand(itemName))
            box->ExecuteCommand(itemName);
    }
    m_menuTextBox.clear();
}

int CBaseHandler::OnTextBoxNotify(const std::wstring& name) {
    CxSkinCtrl* control = FindControl(name);
    if (!control)
        return 0;
    // The timer thread touches no window: the dialog redraws the box on the user-interface thread.
    m_owner->PostMessage(kMsgRedrawControl, reinterpret_cast<WPARAM>(control), 0);
    return 1;
}

bool CBaseHandler::WaitForStopWorker(DWORD timeoutMs) {
    if (!m_stopWorker)
        return true;
    if (!m_stopWorker->Join(timeoutMs))
        return false;
    m_stopWorker.reset();
    return true;
}

void CBaseHandler::StopSoundOnWorker(BOOL keepListener) {
    IMainHandler* main = GetMainHandler();
    ISoundPlayer* player = main ? main->GetSoundPlayer() : nullptr;
    if (!player)
        return;
    // A stop still under way from an earlier call is waited for again rather than joined by a second
    // stop racing it on the same player.
    if (!WaitForStopWorker(kStopWaitMs))
        return;
    if (!player->IsPlaying())
        return;
    if (!keepListener)
        player->SetListener(nullptr);
    m_stopWorker = AfxBeginThread(&StopPlayerProc, player);
    if (!m_stopWorker) {
        player->Stop(0); // no thread to be had: stop here rather than leave the test sound playing
        return;
    }
    WaitForStopWorker(kStopWaitMs);
}
