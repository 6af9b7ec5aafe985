#include "skin/SkinControlsException.h"

#include <cwchar>

IMPLEMENT_DYNAMIC(CxSkinControlsException, CException)

CxSkinControlsException::CxSkinControlsException(const wchar_t* message) : m_message(message ? message : L"") {}

BOOL CxSkinControlsException::GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext) const {
    if (helpContext)
        *helpContext = 0;
    if (!buffer || maxChars <= m_message.size())
        return FALSE;
    std::wmemcpy(buffer, m_message.c_str(), m_message.size() + 1);
    return TRUE;
}
