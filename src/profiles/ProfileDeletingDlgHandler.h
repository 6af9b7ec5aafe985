#pragma once
// The handler of the delete-profile dialog: offers the user profiles the strip lists for the current
// endpoint, shows the description of the chosen one, and deletes its pair of files after a confirmation.
// The deleted list-item paths are left as the dialog's named values "0", "1" ... with "DeletingFileCount".

#include <string>
#include <vector>

#include "app/BaseHandler.h"
#include "markup/IProfileController.h"

class IProfileDialogHost;
class IxSkinComboBox;

class CProfileDeletingDlgHandler : public CBaseHandler, public IProfileControllerListener {
public:
    CProfileDeletingDlgHandler();
    ~CProfileDeletingDlgHandler() override;

    // IHandler
    void InitControls() override { Initialize(); }
    int OnClick(const std::wstring& name) override { return OnButtonClick(name); }
    int OnSelChange(const std::wstring& name, int index) override {
        OnComboSelChange(name, index);
        return 1;
    }

    // IProfileControllerListener: a list item whose description is shown.
    void OnProfileLoaded(IXmlObject* root) override { OnProfileObject(root); }
    void OnProfileError(const wchar_t*) override {}

    void Initialize();
    void FillProfileList();
    void KeepListedProfiles();
    void OnComboSelChange(const std::wstring& name, int index);
    void OnSelectionChanged(const std::wstring& name, int index, int redraw);
    void ShowDescription(const std::wstring& itemText);
    void OnProfileObject(IXmlObject* root);
    int OnButtonClick(const std::wstring& sender);

    const std::vector<std::wstring>& GetFileList() const { return m_files; }
    int GetDeletedCount() const { return m_deleted; }
    // Tests give the handler their own host; null goes back to the application's.
    void SetHost(IProfileDialogHost* host) { m_host = host; }

private:
    IProfileDialogHost& Host() const;
    IxSkinComboBox* ProfileBox() const;
    std::wstring EndpointFolder() const;
    int DeleteSelected(IxSkinComboBox& box);

    int m_deleted = 0;
    int m_selected = 0;
    std::vector<std::wstring> m_files;
    IProfileDialogHost* m_host = nullptr;
    IProfileController* m_listeningTo = nullptr;
};
