// The delete-profile dialog: the offered profiles, their descriptions and the deletion of a pair.
#include "profiles/ProfileDeletingDlgHandler.h"

#include <algorithm>

#include "driver/IDriverInstance.h"
#include "profiles/ProfileDialogHost.h"
#include "profiles/ProfilePaths.h"
#include "skin/IxSkinComboBox.h"
#include "skin/SkinCtrl.h"

namespace {

constexpr wchar_t kProfileBox[] = L"DelProfileBox";
constexpr wchar_t kDescription[] = L"PanelProfileSeletDescription";
constexpr wchar_t kYesButton[] = L"DelProFileBtnYes";
constexpr wchar_t kNoButton[] = L"DelProFileBtnNo";

// A deletion cannot be undone: the question wears the warning look.
constexpr UINT kConfirmBox = MB_ICONWARNING | MB_YESNOCANCEL; // 51
constexpr UINT kErrorBox = MB_ICONERROR;                      // 16

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

CProfileDeletingDlgHandler::CProfileDeletingDlgHandler() {
    m_name = L"Dialog_DelProFile";
}

CProfileDeletingDlgHandler::~CProfileDeletingDlgHandler() {
    if (m_listeningTo)
        m_listeningTo->SetListener(nullptr);
}

IProfileDialogHost& CProfileDeletingDlgHandler::Host() const {
    return m_host ? *m_host : AppProfileDialogHost();
}

IxSkinComboBox* CProfileDeletingDlgHandler::ProfileBox() const {
    return dynamic_cast<IxSkinComboBox*>(FindControl(kProfileBox));
}

std::wstring CProfileDeletingDlgHandler::EndpointFolder() const {
    IDriverInstance* driver = GetDriver();
    return driver ? driver->GetDefaultRenderEndpointName() : std::wstring();
}

void CProfileDeletingDlgHandler::Initialize() {
    FillProfileList();
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

void CProfileDeletingDlgHandler::FillProfileList() {
    IxSkinComboBox* box = ProfileBox();
    if (!box)
        return;
    if (box->GetCount() == 0) {
        m_files.clear();
        const std::wstring endpoint = EndpointFolder();
        // Without an output endpoint the pattern would search the profile root, where only stray files lie.
        if (!endpoint.empty())
            FindFiles(m_files, {}, MakeUserProfileFolder(Host().GetDataFolder(), endpoint) + L"*.lyt", 1);
        KeepListedProfiles();
        for (const std::wstring& path : m_files) {
            const std::wstring text = MakeProfileFileTitle(path);
            const int index = box->AddString(text);
            if (index >= 0)
                box->SetItemName(index, text);
        }
    }
    if (box->GetCount() > 0) {
        box->SetCurSel(0, 1);
        OnSelectionChanged(kProfileBox, 0, 0);
    }
}

void CProfileDeletingDlgHandler::KeepListedProfiles() {
    const std::vector<std::wstring> keys = Host().GetProfileKeys(m_owner);
    for (size_t i = m_files.size(); i-- > 0;) {
        const std::wstring key = GetProfileTitle(m_files[i], 0);
        if (std::find(keys.begin(), keys.end(), key) == keys.end())
            m_files.erase(m_files.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void CProfileDeletingDlgHandler::OnComboSelChange(const std::wstring& name, int index) {
    m_selected = index;
    OnSelectionChanged(name, index, 1);
}

void CProfileDeletingDlgHandler::OnSelectionChanged(const std::wstring& name, int index, int redraw) {
    std::wstring text;
    if (auto* box = dynamic_cast<IxSkinComboBox*>(FindControl(name)))
        box->GetItemText(index, text);
    ShowDescription(text);
    if (m_owner && redraw)
        m_owner->Invalidate(FALSE);
}

void CProfileDeletingDlgHandler::ShowDescription(const std::wstring& itemText) {
    if (itemText.empty()) {
        if (CxSkinCtrl* description = FindControl(kDescription))
            description->SetText(L"");
        return;
    }
    const size_t dot = itemText.rfind(L'.');
    const std::wstring title = dot == std::wstring::npos ? itemText : itemText.substr(0, dot);
    const std::wstring path = MakeUserProfilePath(Host().GetDataFolder(), EndpointFolder(), title, L".lyt");
    IProfileController* controller = Host().GetProfileController();
    if (path.empty() || !controller)
        return;
    controller->SetListener(this);
    m_listeningTo = controller;
    controller->Load(path.c_str());
}

void CProfileDeletingDlgHandler::OnProfileObject(IXmlObject* root) {
    if (!root)
        return;
    XmlObjectPtr owned(root);
    CxSkinCtrl* description = FindControl(kDescription);
    if (!description)
        return;
    std::wstring name, value;
    for (uint32_t i = 0; i < root->GetAttributeCount(); ++i) {
        if (root->GetAttributeAt(name, value, i) && name == L"Tooltip")
            description->SetText(value);
    }
}

int CProfileDeletingDlgHandler::OnButtonClick(const std::wstring& sender) {
    if (sender == kNoButton) {
        Host().EndDialog(m_owner, IDNO);
        return 1;
    }
    if (sender != kYesButton)
        return 0;
    if (Host().ShowMessageBox(m_owner, GetLanguageText(L"ml_PanelProfile_ProfileName_DeleteConfirm", true),
                              GetLanguageText(L"ml_DialogMsgBox_Confirm", true), kConfirmBox) != IDYES)
        return 1;
    IxSkinComboBox* box = ProfileBox();
    if (!box || box->GetCount() == 0 || m_selected < 0 || m_selected >= box->GetCount() ||
        m_selected >= static_cast<int>(m_files.size()))
        return 1;
    if (!DeleteSelected(*box))
        return 1;
    if (box->GetCount() == 0)
        Host().EndDialog(m_owner, IDNO);
    return 1;
}

int CProfileDeletingDlgHandler::DeleteSelected(IxSkinComboBox& box) {
    const std::wstring path = m_files[static_cast<size_t>(m_selected)];
    ::DeleteFileW(path.c_str());
    // A list item that is still there (locked, read-only) would come back on the next listing: keep the
    // pair whole and offered, and say so instead of reporting it deleted.
    if (FileExists(path)) {
        Host().ShowMessageBox(m_owner, GetLanguageText(L"ml_PanelProfile_DeleteFailed", true),
                              GetLanguageText(L"ml_DialogMsgBox_Error", true), kErrorBox);
        return 0;
    }
    ::DeleteFileW(MakeProfileFileName(path).c_str());
    Host().SetControlName(m_owner, std::to_wstring(m_deleted), path);
    ++m_deleted;
    m_files.erase(m_files.begin() + m_selected);
    box.DeleteString(m_selected);
    m_selected = 0;
    box.SetCurSel(0, 1);
    OnSelectionChanged(kProfileBox, 0, 1);
    Host().SetControlName(m_owner, L"DeletingFileCount", std::to_wstring(m_deleted));
    return 1;
}
