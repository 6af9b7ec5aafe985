#include "app/MessageBoxHandler.h"

#include <cwchar>
#include <iterator>

#include "framework/Dialog.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

namespace {

struct ButtonResult {
    const wchar_t* name;
    int result;
};

constexpr ButtonResult kButtons[] = {
    {L"BtnClose", IDOK},
    {L"BtnWinClose", IDCANCEL},
    {L"BtnYes", IDYES},
    {L"BtnNo", IDNO},
};

// Each icon stays only for its icon bits of the type (MB_ICONINFORMATION, MB_ICONWARNING, MB_ICONERROR).
struct IconRule {
    const wchar_t* name;
    UINT iconBits;
};

constexpr IconRule kIcons[] = {
    {L"ConfirmIcon", MB_ICONINFORMATION},
    {L"WarningIcon", MB_ICONWARNING},
    {L"ErrorIcon", MB_ICONERROR},
};

constexpr UINT kIconMask = 0xF0;
constexpr UINT kButtonMask = 0x7;

} // namespace

CMessageBoxHandler::CMessageBoxHandler() {
    m_name = L"DialogMessageBox";
}

UINT CMessageBoxHandler::ParseType(const std::wstring& text) {
    wchar_t* end = nullptr;
    const long value = std::wcstol(text.c_str(), &end, 10);
    return end == text.c_str() ? 0 : static_cast<UINT>(value);
}

void CMessageBoxHandler::SetControlText(const wchar_t* name) {
    if (CxSkinCtrl* control = FindControl(name))
        control->SetText(GetLanguageText(name, true));
}

void CMessageBoxHandler::Hide(const wchar_t* name) {
    if (CxSkinCtrl* control = FindControl(name))
        control->ShowWindow(SW_HIDE);
}

void CMessageBoxHandler::InitControls() {
    SetControlText(L"Message_Title");
    SetControlText(L"Message_Text");
    const UINT type = ParseType(GetLanguageText(L"Message_Type", true));
    m_type = type;
    for (const IconRule& icon : kIcons) {
        if ((type & kIconMask) != icon.iconBits)
            Hide(icon.name);
    }
    if ((type & kButtonMask) != 0) {
        Hide(L"BtnClose");
    } else {
        Hide(L"BtnYes");
        Hide(L"BtnNo");
    }
}

int CMessageBoxHandler::ResultOf(const std::wstring& name) {
    for (const ButtonResult& button : kButtons) {
        if (name == button.name)
            return button.result;
    }
    return 0;
}

void CMessageBoxHandler::EndDialog(int result) {
    CWnd* host = m_owner ? m_owner->GetHostDialog() : nullptr;
    if (auto* dialog = dynamic_cast<CDialog*>(host))
        dialog->EndDialog(result);
}

int CMessageBoxHandler::OnClick(const std::wstring& name) {
    if (const int result = ResultOf(name))
        EndDialog(result);
    return 1;
}

int CMessageBoxHandler::OnControlCommand(UINT id) {
    const int result = ResultOf(FindControlNameById(id));
    if (!result)
        return -1;
    EndDialog(result);
    return 0;
}

bool CMessageBoxHandler::OnDialogKey(UINT virtualKey) {
    const bool closeButton = (m_type & kButtonMask) == 0;
    if (virtualKey == VK_RETURN)
        EndDialog(closeButton ? IDOK : IDYES);
    else if (virtualKey == VK_ESCAPE)
        EndDialog(closeButton ? IDOK : IDCANCEL);
    else
        return false;
    return true;
}
