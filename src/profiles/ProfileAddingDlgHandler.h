#pragma once
// The handler of the add-profile dialog: checks the name the user typed, captures the device state of
// the default render endpoint into the profile's settings file, writes its list item from the template,
// and leaves the name and description as the dialog's named values for the strip that opened it.

#include <string>

#include "app/BaseHandler.h"
#include "markup/IProfileController.h"

class IProfileDialogHost;

class CProfileAddingDlgHandler : public CBaseHandler, public IProfileControllerListener {
public:
    // Dialog results, as the message box answers them.
    static constexpr int kSaved = IDYES;
    static constexpr int kClosed = IDNO;

    CProfileAddingDlgHandler();
    ~CProfileAddingDlgHandler() override;

    // IHandler
    void InitControls() override { Initialize(); }
    int OnClick(const std::wstring& name) override { return OnButtonClick(name); }

    // IProfileControllerListener: the parsed list-item template.
    void OnProfileLoaded(IXmlObject* root) override { OnProfileObject(root); }
    void OnProfileError(const wchar_t*) override {}

    void Initialize();
    int OnButtonClick(const std::wstring& sender);
    // Checks the typed name and saves; the body of the Yes button, apart from reading the text boxes.
    int SubmitProfile(std::wstring name, const std::wstring& description);
    // Nonzero when both files were written. Reads the list-item template first: when it cannot be read
    // nothing is written (TemplateUnreadable), and a new settings file whose list item could not be written
    // is taken away again.
    int SaveProfile(const std::wstring& name, const std::wstring& description);
    // Reads the list-item template; nonzero when it was read.
    int ReloadUserDefineTemplate();
    void OnProfileObject(IXmlObject* root);
    bool TemplateUnreadable() const { return m_templateUnreadable; }

    const std::wstring& GetProfileName() const { return m_profileName; }
    const std::wstring& GetDescriptionText() const { return m_description; }
    // Tests give the handler their own host; null goes back to the application's.
    void SetHost(IProfileDialogHost* host) { m_host = host; }

    // Spaces (only spaces) trimmed from both ends.
    static std::wstring TrimSpaces(const std::wstring& text);

private:
    IProfileDialogHost& Host() const;
    IProfileController* Controller() const;
    std::wstring ControlText(const std::wstring& name) const;
    int ShowMessage(const wchar_t* text, const wchar_t* caption, UINT type);
    void EndOwnerDialog(int result);
    void Listen(IProfileController* controller);

    std::wstring m_profileName;
    std::wstring m_description;
    std::wstring m_listItemPath;
    int m_listItemWritten = 0;
    bool m_templateUnreadable = false;
    XmlObjectPtr m_template;
    IProfileDialogHost* m_host = nullptr;
    IProfileController* m_listeningTo = nullptr;
};
