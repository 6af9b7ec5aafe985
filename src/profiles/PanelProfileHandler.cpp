#include "profiles/PanelProfileHandler.h"

#include "app/AppLytEnvironment.h"
#include "app/HandlerServices.h"
#include "app/OvercoatApp.h"
#include "driver/EndpointCodes.h"
#include "driver/IDriverInstance.h"
#include "framework/Wnd.h"
#include "markup/ILytController.h"
#include "markup/LytSkinElements.h"
#include "profiles/ProfilePaths.h"
#include "skin/IxSkinPanel.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

// The strip itself: where its files are, which items it lists and in which order, and what a click on one
// of its buttons does. Applying, matching and the two profile dialogs each have a file of their own.

namespace {

constexpr wchar_t kListPanel[] = L"PanelProfileList";
constexpr wchar_t kScrollLeft[] = L"ScrollLeft";
constexpr wchar_t kScrollRight[] = L"ScrollRight";
constexpr wchar_t kTemplateFile[] = L"UserDefineFormwork.lyt";

// The output endpoints whose user profiles the strip lists, in listing order.
constexpr int32_t kUserProfileEndpoints[] = {kEndpointSpeaker, kEndpointHeadPhone, kEndpointSPDIFOut,
                                             kEndpointSpeakerQuarter};

// Creates the folder and every missing parent, wide all the way so that no character of the path is lost.
void EnsureFolder(const std::wstring& folder) {
    for (size_t at = folder.find(L'\\', 3); at != std::wstring::npos; at = folder.find(L'\\', at + 1))
        ::CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
}

} // namespace

CPanelProfileHandler::CPanelProfileHandler() {
    m_name = L"PanelProfile";
    RebuildControlMap();
}

CPanelProfileHandler::~CPanelProfileHandler() = default;

void CPanelProfileHandler::RebuildControlMap() {
    m_controlMap.clear();
    for (const ControlPropertyRow& row : g_ControlPropertyTable)
        if (row.Key[0])
            m_controlMap.emplace(row.Key, row);
}

void CPanelProfileHandler::SetFolders(const std::wstring& programFolder, const std::wstring& dataFolder) {
    m_programFolder = programFolder;
    m_dataFolder = dataFolder;
}

std::wstring CPanelProfileHandler::ProgramFolder() const {
    return m_programFolder.empty() ? theApp.GetProgramFolder() : m_programFolder;
}

std::wstring CPanelProfileHandler::DataFolder() const {
    return m_dataFolder.empty() ? theApp.GetDataFolder() : m_dataFolder;
}

std::wstring CPanelProfileHandler::ProgramProfileFolder() const {
    return ProgramFolder() + L"profile\\";
}

IProfileController* CPanelProfileHandler::Controller() {
    return m_controller ? m_controller : GetProfileController();
}

ILytEnvironment* CPanelProfileHandler::Environment() {
    if (m_environment)
        return m_environment;
    if (!m_appEnvironment)
        m_appEnvironment = std::make_unique<CAppLytEnvironment>(theApp);
    return m_appEnvironment.get();
}

CxSkinCtrl* CPanelProfileHandler::Panel() const {
    return FindControl(kListPanel);
}

int32_t CPanelProfileHandler::CurrentEndpointCode() {
    IDriverInstance* driver = GetDriver();
    return driver ? driver->EndpointPrefixToCode(driver->GetDefaultRenderEndpointName()) : kEndpointNone;
}

int32_t CPanelProfileHandler::GetValueKind(std::wstring_view key) const {
    auto found = m_controlMap.find(key);
    return found == m_controlMap.end() ? kControlValueInt : found->second.ValueKind;
}

void CPanelProfileHandler::PostToOwner(UINT message) {
    CWnd* host = m_owner ? m_owner->GetHostDialog() : nullptr;
    if (host && host->GetSafeHwnd())
        ::PostMessageW(host->GetSafeHwnd(), message, 0, 0);
}

// ---- Listing ----

void CPanelProfileHandler::PlaceProfiles(IxSkinObject* parent, const LytRect* rect) {
    if (parent)
        m_deferredParent = parent;
    if (rect) {
        m_deferredRect = *rect;
        m_hasDeferredRect = true;
    }
}

void CPanelProfileHandler::EnumerateProfiles(IxSkinObject* parent, const LytRect* rect) {
    IDriverInstance* driver = GetDriver();
    PlaceProfiles(parent, rect);
    if (m_enumerated || !driver || driver->GetDeviceCount() < 1)
        return;
    IxSkinObject* parentOfItems = ItemParent();
    const LytRect* placement = ItemPlacement();
    LoadProfileList(ProgramProfileFolder() + L"default\\*.lyt", parentOfItems, placement, 1, 1);
    for (int32_t code : kUserProfileEndpoints) {
        const std::wstring name = driver->EndpointCodeToName(code);
        if (!driver->GetDeviceKindByName(name))
            continue;
        const std::wstring folder = DataFolder() + L"Profile\\" + name + L"\\";
        EnsureFolder(folder);
        LoadProfileList(folder + L"*.lyt", parentOfItems, placement, 1, 0);
    }
    LoadProfileList(ProgramProfileFolder() + L"*.lyt", parentOfItems, placement, 0, 0);
    PrimeDriverCache(*driver);
    m_enumerated = 1;
    m_refresh = 1;
    m_selected.clear();
}

void CPanelProfileHandler::LoadProfileList(const std::wstring& pattern, IxSkinObject* parent, const LytRect* rect,
                                           int loadSettings, int builtIn) {
    std::vector<std::wstring> files;
    FindFiles(files, {ProgramProfileFolder() + kTemplateFile}, pattern, loadSettings);
    // Without a place for the items or the readers, nothing says anything about the files themselves.
    const bool canRead = parent && Services().GetLytController() && Controller();
    for (const std::wstring& path : files) {
        const std::wstring name = loadSettings ? GetProfileTitle(path, builtIn) : std::wstring(kUserDefinedItem);
        if (!AddListItem(path, name, parent, rect, loadSettings && !builtIn)) {
            if (canRead)
                m_unreadFiles.push_back(path);
            continue;
        }
        if (loadSettings) {
            const std::wstring settings = MakeProfileFileName(path);
            if (settings.empty())
                continue;
            LoadProfile(settings, builtIn);
            // Without its settings the item is never shown.
            if (canRead && !m_records.count(name))
                m_unreadFiles.push_back(settings);
        }
    }
}

IxSkinObject* CPanelProfileHandler::ItemParent() const {
    return m_deferredParent ? m_deferredParent : static_cast<CxSkinObject*>(Panel());
}

const LytRect* CPanelProfileHandler::ItemPlacement() const {
    return m_hasDeferredRect ? &m_deferredRect : nullptr;
}

CxSkinCtrl* CPanelProfileHandler::AddListItem(const std::wstring& path, const std::wstring& name, IxSkinObject* parent,
                                              const LytRect* rect, bool userProfile) {
    CxSkinCtrl* item = LoadItem(path, parent, rect, userProfile);
    if (!item)
        return nullptr;
    item->SetName(name);
    m_items.emplace(name, item);
    return item;
}

CxSkinCtrl* CPanelProfileHandler::LoadItem(const std::wstring& path, IxSkinObject* parent, const LytRect* rect,
                                           bool userProfile) {
    ILytController* controller = Services().GetLytController();
    ILytEnvironment* environment = Environment();
    if (!controller || !parent || !environment)
        return nullptr;
    ILytObject* wrapper = CLytSkinElementFactory().WrapSkinObject(parent, *environment);
    if (!wrapper)
        return nullptr;
    auto* item = dynamic_cast<CxSkinCtrl*>(controller->LoadFile(path.c_str(), wrapper, rect));
    wrapper->Destroy();
    if (item && userProfile) {
        // The name the user typed is shown as typed, in every language.
        item->SetText(ExtractFileTitle(path));
        item->SetTextKey(std::wstring());
        item->SetTextTranslatable(FALSE);
    }
    return item;
}

void CPanelProfileHandler::LoadProfile(const std::wstring& path, int builtIn) {
    IProfileController* controller = Controller();
    if (!controller)
        return;
    m_loadBuiltIn = builtIn;
    m_loadTitle = GetProfileTitle(path, builtIn);
    m_loadPath = path;
    controller->SetListener(this);
    controller->Load(path.c_str());
    // Documents arrive inside Load; nothing that comes later may reach a handler that may be gone by then.
    controller->SetListener(nullptr);
    m_loadTitle.clear();
    m_loadPath.clear();
}

void CPanelProfileHandler::OnProfileLoaded(IXmlObject* root) {
    if (!root)
        return;
    if (m_applyOnLoad) {
        ClearPendingFormat();
        ApplyProfileObject(root, kApply, nullptr);
        root->Release();
        m_applyOnLoad = 0;
        return;
    }
    // The strip keeps what matching needs; the document goes, and a click reads the file again.
    const XmlObjectPtr document(root);
    auto record = std::make_unique<ProfileRecord>();
    record->path = m_loadPath;
    record->builtIn = m_loadBuiltIn;
    m_collectEndpointKnown = false;
    ApplyProfileObject(root, kCollect, record.get());
    FillMissingValues(record.get());
    record->values.Compact();
    record->requirements.Collect(root);
    m_records[m_loadTitle] = std::move(record);
    m_loadTitle.clear();
}

void CPanelProfileHandler::LoadPlacedProfiles() {
    if (!m_enumerated)
        EnumerateProfiles(nullptr, nullptr);
}

void CPanelProfileHandler::Initialize() {
    LoadPlacedProfiles();
    // Which profiles the device can take is known before the row is laid out, so that an inapplicable item
    // is hidden from the first frame on rather than shown greyed until the next refresh.
    RefreshApplicability();
    RefreshProfileList();
    auto* panel = dynamic_cast<IxSkinPanel*>(Panel());
    if (panel) {
        const RECT panelRect = Panel()->GetRect();
        const int panelWidth = panelRect.right - panelRect.left;
        bool any = false;
        RECT leftmost{}, rightmost{};
        for (const auto& [name, item] : m_items) {
            auto record = m_records.find(name);
            if (record != m_records.end() && record->second && !record->second->shown)
                continue;
            const RECT r = item->GetRect();
            if (!any || r.left < leftmost.left)
                leftmost = r;
            if (!any || r.left >= rightmost.left)
                rightmost = r;
            any = true;
        }
        panel->SetScrollSize(rightmost.right - leftmost.left - panelWidth, FALSE);
        if (rightmost.right < panelWidth)
            panel->SetScrollPos(0, FALSE, FALSE);
    }
    for (const wchar_t* name : {kScrollLeft, kScrollRight})
        if (CxSkinCtrl* button = FindControl(name))
            button->Enable(IsControlEnabled(name), FALSE);
    UpdateUserDefineItem(0);
    if (m_owner)
        m_owner->Invalidate(FALSE);
    // Last, with the strip in order: the box runs a message loop of its own.
    TellUnreadFiles();
}

void CPanelProfileHandler::RefreshProfileList() {
    auto* panel = dynamic_cast<IxSkinPanel*>(Panel());
    IDriverInstance* driver = GetDriver();
    if (!panel || !driver)
        return;
    const int pageWidth = panel->GetPageSize(FALSE);
    const int scrollPos = panel->GetScrollPos(FALSE);
    const EndpointMask bit = DeviceTypeToMask(CurrentEndpointCode());
    const bool hasOutput = !driver->GetDefaultRenderEndpointName().empty();
    int position = 0;
    for (int builtInPass = 1; builtInPass >= 0; --builtInPass)
        for (const auto& [name, item] : m_items)
            if (name != kUserDefinedItem && (name.find(L'*') != std::wstring::npos) == (builtInPass == 1))
                PlaceProfileItem(name, item, bit, hasOutput, position, pageWidth, scrollPos);
    auto userDefined = m_items.find(kUserDefinedItem);
    if (userDefined != m_items.end()) {
        const RECT r = userDefined->second->GetRect();
        userDefined->second->MoveTo(position * pageWidth - scrollPos, r.top);
    }
}

void CPanelProfileHandler::PlaceProfileItem(const std::wstring& name, CxSkinCtrl* item, EndpointMask currentBit,
                                            bool hasOutput, int& position, int pageWidth, int scrollPos) {
    auto found = m_records.find(name);
    ProfileRecord* record = found == m_records.end() ? nullptr : found->second.get();
    bool visible = item->IsEnabled(TRUE) && hasOutput && record;
    if (record) {
        record->shown = (record->endpoints & currentBit) ? 1 : 0;
        visible = visible && record->shown;
    }
    item->SetVisible(visible, FALSE);
    if (!visible)
        return;
    const RECT r = item->GetRect();
    item->MoveTo(position * pageWidth - scrollPos, r.top);
    ++position;
}

int CPanelProfileHandler::IsControlEnabled(const std::wstring& name) {
    auto* panel = dynamic_cast<IxSkinPanel*>(Panel());
    if (!panel)
        return 1;
    if (name == kScrollLeft)
        return panel->GetScrollPos(FALSE) != 0;
    if (name == kScrollRight)
        return panel->GetScrollPos(FALSE) < panel->GetScrollSize(FALSE);
    return 1;
}

int CPanelProfileHandler::OnPanelNotify(BOOL, int) {
    for (const wchar_t* name : {kScrollLeft, kScrollRight})
        if (CxSkinCtrl* button = FindControl(name))
            button->Enable(IsControlEnabled(name), TRUE);
    return 0;
}

int CPanelProfileHandler::OnButtonClick(const std::wstring& name) {
    if (name == kScrollLeft || name == kScrollRight) {
        if (auto* panel = dynamic_cast<IxSkinPanel*>(Panel())) {
            if (name == kScrollLeft)
                panel->ScrollPageBack(FALSE);
            else
                panel->ScrollPageForward(FALSE);
            OnPanelNotify(FALSE, 0);
        }
        return 1;
    }
    if (name == L"AddProfile") {
        ShowAddProfileDialog();
        return 1;
    }
    if (name == L"DeleteProfile") {
        ShowDeleteProfileDialog();
        return 1;
    }
    CxSkinCtrl* control = FindControl(name);
    if (control) {
        for (const auto& entry : m_items) {
            if (entry.second == control) {
                SelectProfile(name);
                return 1;
            }
        }
    }
    return 0;
}

void CPanelProfileHandler::Reload() {
    m_selected.clear();
    Initialize();
}
