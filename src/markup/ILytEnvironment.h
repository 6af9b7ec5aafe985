#pragma once
// What the markup model needs of the application: language texts, the skin folder and the screen's DPI.
// The application implements it; tests give fixed answers.
#include <string>

class ILytEnvironment {
public:
    // A value whose first three characters are "ml_" becomes that key's language text when the text is
    // not empty; anything else comes back unchanged.
    virtual std::wstring TranslateText(const std::wstring& value) const = 0;
    // An empty value or an absolute one (second character ':') unchanged, otherwise the skin folder
    // followed by the value.
    virtual std::wstring GetSkinFilePath(const std::wstring& value) const = 0;
    // The skin folder, ending with a separator.
    virtual std::wstring GetSkinFolder() const = 0;
    // Logical pixels per inch of the screen (96 until the main dialog has read it).
    virtual int GetScreenDpi() const = 0;

protected:
    ~ILytEnvironment() = default;
};
