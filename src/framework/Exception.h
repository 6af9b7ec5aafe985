#pragma once
// The base of every error object the framework's users throw. Errors travel as pointers made with
// `new` (throw new CxSkinControlsException(...)); whoever catches one owns it and calls Delete().
#include "framework/Object.h"

#include <windows.h>

class CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    CException() = default;
    CException(const CException&) = delete;
    CException& operator=(const CException&) = delete;

    // Copies the message with its terminator into the buffer when it fits; the base has no message.
    virtual BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext = nullptr) const;

    // Frees an exception that was thrown as a pointer.
    void Delete() { delete this; }
};
