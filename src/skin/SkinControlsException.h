#pragma once
// The error of a skin setter: a bad argument or an image that failed to load. Thrown as a pointer made
// with `new`; the markup model catches it per attribute and deletes it, so one bad attribute does not
// stop a file.

#include <string>

#include "framework/Exception.h"

class CxSkinControlsException : public CException {
    DECLARE_DYNAMIC(CxSkinControlsException)
public:
    // A null message leaves the text empty.
    explicit CxSkinControlsException(const wchar_t* message);

    // Copies the message with its terminator only when the buffer holds it all (maxChars above the length).
    BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext = nullptr) const override;
    const std::wstring& GetMessage() const { return m_message; }

private:
    std::wstring m_message;
};
