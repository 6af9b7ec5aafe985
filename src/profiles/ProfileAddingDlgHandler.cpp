// The add-profile dialog: name checks, the capture and the list item.
#include "profiles/ProfileAddingDlgHandler.h"

#include <windows.h>

#include <cwctype>
#include <utility>

#include "driver/IDriverInstance.h"
#include "profiles/ProfileCapture.h"
#include "profiles/ProfileDialogHost.h"
#include "profiles/ProfilePaths.h"
#include "skin/IxSkinTextBox.h"
#include "skin/SkinCtrl.h"

namespace {

constexpr wchar_t kNameBox[] = L"AddProfileName";
constexpr wchar_t kDescriptionBox[] = L"AddProfileDescription";
constexpr wchar_t kYesButton[] = L"AddProFileBtnYes";
constexpr wchar_t kNoButton[] = L"AddProFileBtnNo";
constexpr wchar_t kTemplateName[] = L"UserDefineFormwork.lyt";

constexpr UINT kErrorBox = MB_ICONERROR;                      // 16
constexpr UINT kOverwriteBox = MB_ICONINFORMATION | MB_YESNO; // 68

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

} // namespace

CProfileAddingDlgHandler::CProfileAddingDlgHandler() {
    m_name = L"Dialog_AddProFile";
}

CProfileAddingDlgHandler::~CProfileAddingDlgHandler() {
    // The controller keeps a plain pointer to its listener: never leave it one to a freed handler.
    if (m_listeningTo)
        m_listeningTo->SetListener(nullptr);
}

IProfileDialogHost& CProfileAddingDlgHandler::Host() const {
    return m_host ? *m_host : AppProfileDialogHost();
}

IProfileController* CProfileAddingDlgHandler::Controller() const {
    return Host().GetProfileController();
}

void CProfileAddingDlgHandler::Listen(IProfileController* controller) {
    controller->SetListener(this);
    m_listeningTo = controller;
}

void CProfileAddingDlgHandler::Initialize() {
    if (!m_owner)
        return;
    m_owner->Invalidate(FALSE);
    if (CxSkinCtrl* box = FindControl(kNameBox))
        box->SetFocus();
}

std::wstring CProfileAddingDlgHandler::ControlText(const std::wstring& name) const {
    auto* box = dynamic_cast<IxSkinTextBox*>(FindControl(name));
    return box ? box->GetText() : std::wstring();
}

int CProfileAddingDlgHandler::ShowMessage(const wchar_t* text, const wchar_t* caption, UINT type) {
    return Host().ShowMessageBox(m_owner, GetLanguageText(text, true), GetLanguageText(caption, true), type);
}

void CProfileAddingDlgHandler::EndOwnerDialog(int result) {
    Host().EndDialog(m_owner, result);
}

std::wstring CProfileAddingDlgHandler::TrimSpaces(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos)
        return {};
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

int CProfileAddingDlgHandler::OnButtonClick(const std::wstring& sender) {
    if (sender == kNoButton) {
        EndOwnerDialog(kClosed);
        return 1;
    }
    if (sender != kYesButton)
        return 0;
    return SubmitProfile(ControlText(kNameBox), ControlText(kDescriptionBox));
}

int CProfileAddingDlgHandler::SubmitProfile(std::wstring name, const std::wstring& description) {
    name = TrimSpaces(name);
    if (name.empty()) {
        ShowMessage(L"ml_PanelProfile_ProfileName_Prompt", L"ml_DialogMsgBox_Error", kErrorBox);
        return 1;
    }
    IDriverInstance* driver = GetDriver();
    const std::wstring endpoint = driver ? driver->GetDefaultRenderEndpointName() : std::wstring();
    // Besides the characters no file name may hold, a reserved device name ("CON") or a name whose path
    // would not fit is refused too: the files would be written elsewhere or not at all.
    if (!IsValidProfileTitle(name) ||
        MakeUserProfilePath(Host().GetDataFolder(), endpoint, name, L".profile").empty()) {
        EndOwnerDialog(kClosed);
        ShowMessage(L"ml_PanelProfile_ProfileName_Invalid", L"ml_DialogMsgBox_Error", kErrorBox);
        return 1;
    }
    const std::wstring key = Lower(JoinWithUnderscore(endpoint, name));
    for (const std::wstring& listed : Host().GetProfileKeys(m_owner)) {
        if (Lower(listed) != key)
            continue;
        // Overwrite the existing pair in place, under its own letters.
        name = listed.substr(endpoint.size() + 1);
        if (ShowMessage(L"ml_PanelProfile_HasTheSameUserDefineName", L"ml_DialogMsgBox_Warning", kOverwriteBox) ==
            IDNO) {
            EndOwnerDialog(kClosed);
            return 1;
        }
        break;
    }
    if (!SaveProfile(name, description)) {
        // The strip would list a profile that is not there: say why and let the user try again.
        ShowMessage(m_templateUnreadable ? L"ml_PanelProfile_TemplateDamaged" : L"ml_PanelProfile_SaveFailed",
                    L"ml_DialogMsgBox_Error", kErrorBox);
        return 1;
    }
    EndOwnerDialog(kSaved);
    return 1;
}

int CProfileAddingDlgHandler::SaveProfile(const std::wstring& name, const std::wstring& description) {
    IDriverInstance* driver = GetDriver();
    IProfileController* controller = Controller();
    if (!driver || !controller)
        return 0;
    const std::wstring endpoint = driver->GetDefaultRenderEndpointName();
    const std::wstring settingsPath = MakeUserProfilePath(Host().GetDataFolder(), endpoint, name, L".profile");
    m_listItemPath = MakeUserProfilePath(Host().GetDataFolder(), endpoint, name, L".lyt");
    if (settingsPath.empty() || m_listItemPath.empty())
        return 0;
    m_profileName = name;
    m_description = description.empty() ? name : description;
    Host().SetControlName(m_owner, L"AddingFile", m_profileName);
    Host().SetControlName(m_owner, L"DescriptionName", m_description);

    // The list item comes from the program's template: it is read before anything is written, so that a
    // damaged template leaves no settings file without its list item.
    m_templateUnreadable = !ReloadUserDefineTemplate();
    if (m_templateUnreadable)
        return 0;
    XmlObjectPtr item = std::move(m_template);
    const bool replacing = ::GetFileAttributesW(settingsPath.c_str()) != INVALID_FILE_ATTRIBUTES;

    int written = 0;
    {
        CProfileCapture capture(*driver, *controller);
        written = capture.WriteProfileObject(settingsPath);
    }
    m_listeningTo = nullptr; // the capture let go of the controller
    // Without its settings a list item would offer a profile that cannot be applied.
    if (!written)
        return 0;
    item->SetAttribute(L"Name", m_profileName.c_str());
    item->SetAttribute(L"Tooltip", m_description.c_str());
    item->SetAttribute(L"Tooltip.Check", m_description.c_str());
    m_listItemWritten = controller->Save(m_listItemPath.c_str(), item.get());
    // A new settings file whose list item could not be written would lie there unseen: take it away.
    if (!m_listItemWritten && !replacing)
        ::DeleteFileW(settingsPath.c_str());
    return m_listItemWritten;
}

int CProfileAddingDlgHandler::ReloadUserDefineTemplate() {
    IProfileController* controller = Controller();
    if (!controller)
        return 0;
    m_template.reset();
    Listen(controller);
    controller->Load(MakeTemplatePath(Host().GetProgramProfileFolder()).c_str());
    return m_template ? 1 : 0;
}

void CProfileAddingDlgHandler::OnProfileObject(IXmlObject* root) {
    m_template.reset(root);
}
