#pragma once
// What a handler reaches through the application object: the driver object, the markup controller, the
// skin folder, the language texts and the window transparency setting. The program's handlers use the
// application's; a test gives a handler its own.

#include <string>

class IDriverInstance;
class ILytController;

class IHandlerServices {
public:
    virtual IDriverInstance* GetDriver() = 0;
    virtual ILytController* GetLytController() = 0;
    // With a trailing backslash.
    virtual std::wstring GetSkinFolder() = 0;
    // The text of a language key; empty when there is none.
    virtual std::wstring GetLanguageText(const std::wstring& key) = 0;
    // The first key, in key order, whose text is exactly the given one; empty when none is.
    virtual std::wstring FindLanguageKey(const std::wstring& text) = 0;
    // A text beginning with "ml_" is a key: its language text, or the key itself when it has none.
    virtual std::wstring TranslateText(const std::wstring& text) = 0;
    // The "UITransparent" setting, percent.
    virtual int GetUITransparent() = 0;

protected:
    ~IHandlerServices() = default;
};

// The services over the program's application object.
IHandlerServices& AppHandlerServices();
