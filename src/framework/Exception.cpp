#include "framework/Exception.h"

IMPLEMENT_DYNAMIC(CException, CObject)

BOOL CException::GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext) const {
    if (helpContext)
        *helpContext = 0;
    if (buffer && maxChars > 0)
        buffer[0] = L'\0';
    return FALSE;
}
