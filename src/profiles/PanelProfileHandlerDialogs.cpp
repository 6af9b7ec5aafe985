#include "profiles/PanelProfileHandler.h"

#include "app/HandlerServices.h"
#include "app/MainHandler.h"
#include "app/OvercoatApp.h"
#include "app/UIDialog.h"
#include "driver/IDriverInstance.h"
#include "profiles/ProfileDialogHost.h"
#include "profiles/ProfilePaths.h"
#include "skin/IxSkinButton.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCheckbox.h"
#include "skin/SkinCtrl.h"

#include <set>
#include <utility>

// The user's own profiles: adding one (unless the device already holds a listed profile's state), deleting
// some, and clearing them all away.

std::vector<std::wstring> CPanelProfileHandler::CollectUserProfileKeys(bool currentEndpointOnly) {
    std::vector<std::wstring> keys;
    const EndpointMask bit = DeviceTypeToMask(CurrentEndpointCode());
    for (const auto& [name, record] : m_records)
        if (record && name.find(L'*') == std::wstring::npos && (!currentEndpointOnly || (record->endpoints & bit)))
            keys.push_back(name);
    return keys;
}

void CPanelProfileHandler::RemoveItem(const std::wstring& key) {
    auto item = m_items.find(key);
    if (item != m_items.end()) {
        if (CLayerWnd* parent = item->second->GetParent())
            parent->RemoveChild(item->second);
        delete item->second;
        m_items.erase(item);
    }
    m_records.erase(key);
    if (m_selected == key)
        m_selected = kUserDefinedState;
}

int CPanelProfileHandler::RemoveUserProfileItems(int reinitialise) {
    const std::vector<std::wstring> keys = CollectUserProfileKeys(false);
    if (keys.empty())
        return 1;
    RemoveStrayProfiles();
    if (!Panel())
        return 0;
    for (const std::wstring& key : keys)
        RemoveItem(key);
    if (reinitialise)
        Initialize();
    return 1;
}

void CPanelProfileHandler::RemoveStrayProfiles() {
    std::vector<std::wstring> files;
    FindFiles(files, {}, DataFolder() + L"Profile\\*.lyt", 1);
    for (const std::wstring& path : files) {
        ::DeleteFileW(path.c_str());
        ::DeleteFileW(MakeProfileFileName(path).c_str());
    }
}

int CPanelProfileHandler::ShowAddProfileDialog() {
    auto userDefined = m_items.find(kUserDefinedItem);
    auto* check = userDefined == m_items.end() ? nullptr : dynamic_cast<CxSkinCheckbox*>(userDefined->second);
    if (check && check->GetCheck() && CurrentStateMatchesNoProfile())
        return static_cast<int>(OpenAddProfileDialog(Services().GetSkinFolder() + L"Dialog_AddProFile.lyt"));
    // The state is already a listed profile: saving it again would only make a twin.
    ShowWarning(GetLanguageText(L"ml_PanelProfile_HasTheSameSettingInProfileList", true));
    return 0;
}

void CPanelProfileHandler::ShowWarning(const std::wstring& text) {
    const std::wstring caption = GetLanguageText(L"ml_DialogMsgBox_Warning", true);
    // Only a notice: whatever the box answers, the window that holds the strip (the main window) stays.
    if (m_runMessageBox)
        m_runMessageBox(text, caption, MB_ICONWARNING);
    else
        theApp.ShowMessageBox(m_owner ? m_owner->GetHostDialog() : nullptr, text, caption, MB_ICONWARNING);
}

void CPanelProfileHandler::TellUnreadFiles() {
    // Each file once per start: the strip is listed again by a reload or by the next handler of the strip.
    static std::set<std::wstring> told;
    std::wstring list;
    for (const std::wstring& path : std::exchange(m_unreadFiles, {})) {
        if (told.insert(path).second)
            list += L"\n" + path;
    }
    if (list.empty())
        return;
    std::wstring text = GetLanguageText(L"ml_PanelProfile_FilesUnreadable", true);
    if (text.empty())
        text = L"These profile files could not be read, so their profiles are not shown. The files were left as "
               L"they are: replace each with a good copy, or delete it if you no longer need it.";
    ShowWarning(text + L"\n" + list);
}

INT_PTR CPanelProfileHandler::OpenAddProfileDialog(const std::wstring& markupPath) {
    CUIDialog dialog(201, m_owner ? m_owner->GetHostDialog() : nullptr);
    dialog.SetMarkupPath(markupPath);
    SetDialogProfileKeys(dialog, CollectUserProfileKeys(true));
    const INT_PTR result = m_runDialog ? m_runDialog(dialog) : dialog.DoModal();
    if (result != IDYES)
        return result;
    if (auto* main = dynamic_cast<CMainHandler*>(GetMainHandler()))
        main->StopRotationAndTestSound();
    IDriverInstance* driver = GetDriver();
    const std::wstring title = dialog.GetControlName(L"AddingFile");
    const std::wstring path =
        MakeUserProfilePath(DataFolder(), driver ? driver->GetDefaultRenderEndpointName() : L"", title, L".lyt");
    if (path.empty())
        return result;
    const std::wstring key = GetProfileTitle(path, 0);
    auto existing = m_items.find(key);
    if (existing == m_items.end()) {
        // Placed where the listed items were placed: the row lays out only across, so a card loaded
        // anywhere else would keep its own height in the row.
        AddListItem(path, key, ItemParent(), ItemPlacement(), true);
    } else {
        const std::wstring description = dialog.GetControlName(L"DescriptionName");
        existing->second->SetToolTip(description);
        if (auto* button = dynamic_cast<IxSkinButton*>(existing->second))
            button->SetCheckToolTip(description);
    }
    // An item that did not load cannot be marked: the mark stays where it was, and the settings are left
    // unlisted (a record without an item would be offered for deletion but never shown).
    if (m_items.count(key)) {
        m_selected = key;
        LoadProfile(MakeProfileFileName(path), 0);
    }
    Initialize();
    return result;
}

int CPanelProfileHandler::ShowDeleteProfileDialog() {
    if (CollectUserProfileKeys(true).empty())
        return 0;
    OpenDeleteProfileDialog(Services().GetSkinFolder() + L"Dialog_DelProFile.lyt");
    return 1;
}

void CPanelProfileHandler::OpenDeleteProfileDialog(const std::wstring& markupPath) {
    CUIDialog dialog(201, m_owner ? m_owner->GetHostDialog() : nullptr);
    dialog.SetMarkupPath(markupPath);
    SetDialogProfileKeys(dialog, CollectUserProfileKeys(true));
    if (m_runDialog)
        m_runDialog(dialog);
    else
        dialog.DoModal();
    const int count = _wtoi(dialog.GetControlName(L"DeletingFileCount").c_str());
    for (int i = 0; i < count; ++i)
        RemoveItem(GetProfileTitle(dialog.GetControlName(std::to_wstring(i)), 0));
    Initialize();
    if (m_owner)
        m_owner->Invalidate(FALSE);
}
