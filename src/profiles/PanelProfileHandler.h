#pragma once
// The handler of the main window's profile strip: lists the profiles of the current output endpoint,
// applies the one the user clicks, replays the factory defaults on every output terminal, and keeps the
// item marked whose settings equal what the device holds now (or the user-defined item when none does).

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/BaseHandler.h"
#include "app/MainPanelHandlers.h"
#include "driver/PropertyValue.h"
#include "markup/IProfileController.h"
#include "profiles/ControlPropertyTable.h"
#include "profiles/ProfileKey.h"
#include "profiles/ProfileRequirements.h"
#include "profiles/ProfileValueTable.h"

#include "markup/ILytParser.h"

class CAppLytEnvironment;
class CUIDialog;
class CxSkinCtrl;
class ILytEnvironment;
class IxSkinObject;

// What the strip keeps of one listed profile: the settings matching compares and what the profile asks of
// the device. The document itself is read again from its file when the profile is applied.
struct ProfileRecord {
    std::wstring path; // the settings file
    CProfileValueTable values;
    CProfileRequirements requirements;
    int applicable = 1;
    int builtIn = 0;
    EndpointMask endpoints = 0;
    int shown = 1;
};

class CPanelProfileHandler : public CBaseHandler, public IProfilePanelHandler, public IProfileControllerListener {
public:
    static constexpr wchar_t kUserDefinedItem[] = L"UserDefine$";
    static constexpr wchar_t kUserDefinedState[] = L"P_UD";

    CPanelProfileHandler();
    ~CPanelProfileHandler() override;

    // IHandler
    void InitControls() override { Initialize(); }
    int OnPanelNotify(BOOL, int) override;
    int IsControlEnabled(const std::wstring& name) override;
    int OnClick(const std::wstring& name) override { return OnButtonClick(name); }

    // IProfilePanelHandler
    void ClearSelectedProfileName() override { m_selected.clear(); }
    int MatchCurrentProfile(const std::wstring& changedKey) override;
    void UpdateUserDefineItem(int redraw) override;
    int ReadDriverStateForTable(std::wstring* key) override { return FindChangedProperty(key); }
    void Reload() override;
    void SetPendingReload() override { m_refresh = 1; }
    int ApplyFactoryDefault() override;

    // IProfileControllerListener
    void OnProfileLoaded(IXmlObject* root) override;
    void OnProfileError(const wchar_t*) override {}

    // Called when the markup creates the strip's list content: where the items go, remembered without
    // loading them. The strip is hidden when the main window first shows, so its files are read the first
    // time the strip is shown or anything asks about its profiles (LoadPlacedProfiles).
    void PlaceProfiles(IxSkinObject* parent, const LytRect* rect);
    // Places the items and lists every profile, once a device exists.
    void EnumerateProfiles(IxSkinObject* parent, const LytRect* rect);
    void LoadProfileList(const std::wstring& pattern, IxSkinObject* parent, const LytRect* rect, int loadSettings,
                         int builtIn);
    void LoadProfile(const std::wstring& path, int builtIn);
    void LoadPlacedProfiles();
    void Initialize();
    void RefreshProfileList();
    int OnButtonClick(const std::wstring& name);
    int SelectProfile(const std::wstring& name);
    int ShowAddProfileDialog();
    int ShowDeleteProfileDialog();
    INT_PTR OpenAddProfileDialog(const std::wstring& markupPath);
    void OpenDeleteProfileDialog(const std::wstring& markupPath);
    int RemoveUserProfileItems(int reinitialise);
    void RemoveStrayProfiles();
    std::vector<std::wstring> CollectUserProfileKeys(bool currentEndpointOnly);

    // Walks a settings document: mode kApply writes it, mode kCollect files it into the record.
    enum WalkMode { kApply = 0, kCollect = 2 };
    int ApplyProfileObject(IXmlObject* element, int mode, ProfileRecord* record);
    int ApplyControlValues();
    void ApplyPendingFormat(int32_t endpointCode);
    // Forgets the stream format a walk collected, so that no later apply writes a format its profile lacks.
    void ClearPendingFormat();

    // Matching.
    void RefreshApplicability();
    int MatchesDeviceState(const ProfileRecord* record);
    std::wstring FindMatchingProfile();
    int CurrentStateMatchesNoProfile();
    int FindChangedProperty(std::wstring* key);
    int32_t GetValueKind(std::wstring_view key) const;

    const std::wstring& GetSelectedName() const { return m_selected; }
    void SetSelectedName(const std::wstring& name) { m_selected = name; }
    const std::map<std::wstring, std::unique_ptr<ProfileRecord>>& GetRecords() const { return m_records; }
    const std::map<std::wstring, CxSkinCtrl*>& GetItems() const { return m_items; }
    // Tests run from their own program and data folders (both end in "\"); empty goes back to the app's.
    void SetFolders(const std::wstring& programFolder, const std::wstring& dataFolder);
    // Tests replace the profile controller and the pause that lets the device switch its output terminal.
    void SetProfileController(IProfileController* controller) { m_controller = controller; }
    void SetSleep(void (*sleep)(DWORD)) { m_sleep = sleep; }
    // Tests answer the modal dialogs and the warning box themselves.
    using DialogRunner = std::function<INT_PTR(CUIDialog&)>;
    using MessageBoxRunner = std::function<INT_PTR(const std::wstring& text, const std::wstring& caption, UINT type)>;
    void SetDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }
    void SetMessageBoxRunner(MessageBoxRunner runner) { m_runMessageBox = std::move(runner); }
    // Tests load the list items through their own markup environment.
    void SetEnvironment(ILytEnvironment* environment) { m_environment = environment; }

private:
    struct Pending {
        int flag = 0;
        int32_t value = 0;
        bool found = false; // written or found equal during the walk
    };
    struct Reading {
        bool ok = false;
        int32_t i = 0;
        float f = 0;
    };

    // Integer rows travel as `integerType` (the driver's signed or unsigned integer); the other kinds have
    // a type of their own.
    Reading ReadSetting(int32_t code, const std::wstring& property, int32_t kind, bool store, bool fromCache,
                        int32_t integerType = kValueInt);
    void PrimeDriverCache(IDriverInstance& driver);
    // Loads one list-item file into the strip. A user profile's item is a copy of the one template, so it
    // is labelled with the profile's own name (the file's title) instead of the template's text.
    CxSkinCtrl* LoadItem(const std::wstring& path, IxSkinObject* parent, const LytRect* rect, bool userProfile);
    static EndpointMask EndpointMaskOfName(const std::wstring& value);
    void StoreProperty(const std::wstring& name, const std::wstring& value);
    void ClearProperty();
    Pending* PendingOf(const std::wstring& key);
    int32_t SetTerminal(int32_t terminal);
    void RestoreTerminal(int32_t saved);
    bool HoldsLiveValue(const ProfileRecord& record, const std::wstring& key, const Reading& live, int32_t kind) const;
    ILytEnvironment* Environment();

    void RebuildControlMap();
    void CollectProperty(ProfileRecord* record);
    int IsGenericValue() const;
    int IsParentEnabled(const ProfileRecord* record, std::wstring_view endpointName, std::wstring_view key) const;
    // "<endpoint name>.<row key>", the key of a profile's value, in a buffer the next call reuses.
    const std::wstring& ValueKey(std::wstring_view endpointName, std::wstring_view key) const;
    void FillMissingValues(ProfileRecord* record);
    int32_t CurrentEndpointCode();
    int32_t CurrentEndpointIdentity() const;
    // 1 when the device's live value equals the profile's by the matching rule; reads never touch the cache.
    int ValueMatchesDevice(int32_t code, const std::wstring& property, const ProfileValue& value);
    int CompareEntries(const ProfileRecord* record, const std::wstring& endpointFilter, bool byContainment);
    void PlaceProfileItem(const std::wstring& name, CxSkinCtrl* item, EndpointMask currentBit, bool hasOutput,
                          int& position, int pageWidth, int scrollPos);
    void RemoveItem(const std::wstring& key);
    void PostToOwner(UINT message);
    // A warning over the strip's window (or to the tests' runner).
    void ShowWarning(const std::wstring& text);
    // Names the profile files that the last listing could not read, each once per start.
    void TellUnreadFiles();
    // The main window re-reads its own controls and the page it shows, which then hold the device's values.
    void RefreshMainWindow();
    // The settings document in the file, read afresh; null when it does not read.
    XmlObjectPtr ReadSettings(const std::wstring& path);
    void Pause(DWORD ms) { m_sleep(ms); }
    IProfileController* Controller();
    std::wstring ProgramProfileFolder() const;
    std::wstring ProgramFolder() const;
    std::wstring DataFolder() const;
    CxSkinCtrl* Panel() const;
    // Where the markup placed the strip's content: every list item, listed at start or added later, is
    // loaded there.
    IxSkinObject* ItemParent() const;
    const LytRect* ItemPlacement() const;
    // Loads one list item, names it and files it in the item map (an existing name keeps its item); null
    // when the item cannot be loaded.
    CxSkinCtrl* AddListItem(const std::wstring& path, const std::wstring& name, IxSkinObject* parent,
                            const LytRect* rect, bool userProfile);

    std::map<std::wstring, CxSkinCtrl*> m_items;
    std::map<std::wstring, std::unique_ptr<ProfileRecord>> m_records;
    std::wstring m_loadTitle, m_loadPath;
    int m_refresh = 1;
    std::wstring m_propName, m_propValue, m_propUIName, m_propValueType, m_propArgs, m_propArgsType;
    std::wstring m_endpointName, m_endpointFlow;
    // The endpoint the collected properties belong to, looked up once per endpoint element.
    bool m_collectEndpointKnown = false;
    int32_t m_collectCode = 0;
    std::wstring m_collectEndpoint;
    mutable std::wstring m_valueKey;
    std::map<std::wstring, ControlPropertyRow, std::less<>> m_controlMap;
    std::wstring m_selected;
    int m_applyOnLoad = 0;
    int m_enumerated = 0;
    IxSkinObject* m_deferredParent = nullptr;
    LytRect m_deferredRect{};
    bool m_hasDeferredRect = false;
    int m_loadBuiltIn = 0;
    // Files of listed profiles that did not read (their profiles stay off the strip), until told.
    std::vector<std::wstring> m_unreadFiles;
    std::vector<int32_t> m_defaultDeviceEndpoints;
    Pending m_channels, m_sampleRate, m_bitDepth;
    std::wstring m_programFolder, m_dataFolder;
    IProfileController* m_controller = nullptr;
    ILytEnvironment* m_environment = nullptr;
    std::unique_ptr<CAppLytEnvironment> m_appEnvironment;
    void (*m_sleep)(DWORD) = ::Sleep;
    DialogRunner m_runDialog;
    MessageBoxRunner m_runMessageBox;
};
