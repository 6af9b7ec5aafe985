#include "profiles/PanelProfileHandler.h"

#include <cmath>
#include <cstring>
#include <cwchar>

#include "app/AppLytEnvironment.h"
#include "app/HandlerServices.h"
#include "app/IMainHandler.h"
#include "app/MainHandler.h"
#include "app/OvercoatApp.h"
#include "app/UIDialog.h"
#include "driver/EndpointCodes.h"
#include "framework/Wnd.h"
#include "driver/IDriverInstance.h"
#include "markup/ILytController.h"
#include "markup/LytSkinElements.h"
#include "profiles/ProfileDialogHost.h"
#include "profiles/ProfilePaths.h"
#include "skin/IxSkinPanel.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"
#include "skin/IxSkinButton.h"
#include "skin/SkinCheckbox.h"
#include "skin/SkinRadioButton.h"

namespace {

constexpr wchar_t kListPanel[] = L"PanelProfileList";
constexpr wchar_t kScrollLeft[] = L"ScrollLeft";
constexpr wchar_t kScrollRight[] = L"ScrollRight";
constexpr wchar_t kTemplateFile[] = L"UserDefineFormwork.lyt";
constexpr UINT kMsgRefreshDeviceList = 1129;
constexpr DWORD kTerminalSettleMs = 300;
constexpr float kTolerance = 0.03f;

// The output endpoints whose user profiles the strip lists, in listing order.
constexpr int32_t kUserProfileEndpoints[] = {kEndpointSpeaker, kEndpointHeadPhone, kEndpointSPDIFOut,
                                             kEndpointSpeakerQuarter};

// The stream-format and bitstream keys stay out of the filler: a profile that lacks them leaves the format
// alone rather than stating format 0.
constexpr const wchar_t* kNotFilledKeys[] = {L"DevChannelNumControl", L"DevBitDepthControl", L"DevSampleRateControl",
                                             L"DTSInteractiveControl", L"DolbyDigitalLiveControl"};

bool IsNearlyEqual(float a, float b) {
    return std::fabs(a - b) < kTolerance;
}

bool IsCaptureCode(int32_t code) {
    switch (code) {
    case kEndpointMicIn:
    case kEndpointDesktopMic:
    case kEndpointLineIn:
    case kEndpointSPDIFIn:
    case kEndpointStereoMix:
    case kEndpointSPDIFInRCA:
        return true;
    default:
        return false;
    }
}

// The code of the device-kind row whose name and flow are exactly the element's; `none` when no row is.
int32_t IdentifyEndpoint(const std::wstring& name, const std::wstring& flow, int32_t none) {
    for (const DeviceKindRow& row : g_DeviceKindTable)
        if (name == row.name && flow == row.flow)
            return row.code;
    return none;
}

// The row key of a values-map key: the text after the first ".", the whole key when there is none.
std::wstring PropertyOfKey(const std::wstring& key) {
    const size_t dot = key.find(L'.');
    return dot == std::wstring::npos || dot == 0 ? key : key.substr(dot + 1);
}

bool IsNotFilled(const wchar_t* key) {
    for (const wchar_t* skipped : kNotFilledKeys)
        if (std::wcscmp(key, skipped) == 0)
            return true;
    return false;
}

// Creates the folder and every missing parent, wide all the way so that no character of the path is lost.
void EnsureFolder(const std::wstring& folder) {
    for (size_t at = folder.find(L'\\', 3); at != std::wstring::npos; at = folder.find(L'\\', at + 1))
        ::CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
}

} // namespace

ProfileRecord::~ProfileRecord() {
    if (root)
        root->Release();
}

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

int32_t CPanelProfileHandler::GetValueKind(const std::wstring& key) const {
    auto found = m_controlMap.find(key);
    return found == m_controlMap.end() ? kControlValueInt : found->second.ValueKind;
}

void CPanelProfileHandler::PostToOwner(UINT message) {
    CWnd* host = m_owner ? m_owner->GetHostDialog() : nullptr;
    if (host && host->GetSafeHwnd())
        ::PostMessageW(host->GetSafeHwnd(), message, 0, 0);
}

// ---- Listing ----

void CPanelProfileHandler::EnumerateProfiles(IxSkinObject* parent, const LytRect* rect) {
    IDriverInstance* driver = GetDriver();
    if (parent)
        m_deferredParent = parent;
    if (rect) {
        m_deferredRect = *rect;
        m_hasDeferredRect = true;
    }
    if (m_enumerated || !driver || driver->GetDeviceCount() < 1)
        return;
    const LytRect* placement = m_hasDeferredRect ? &m_deferredRect : nullptr;
    LoadProfileList(ProgramProfileFolder() + L"default\\*.lyt", m_deferredParent, placement, 1, 1);
    for (int32_t code : kUserProfileEndpoints) {
        const std::wstring name = driver->EndpointCodeToName(code);
        if (!driver->GetDeviceKindByName(name))
            continue;
        const std::wstring folder = DataFolder() + L"Profile\\" + name + L"\\";
        EnsureFolder(folder);
        LoadProfileList(folder + L"*.lyt", m_deferredParent, placement, 1, 0);
    }
    LoadProfileList(ProgramProfileFolder() + L"*.lyt", m_deferredParent, placement, 0, 0);
    PrimeDriverCache(*driver);
    m_enumerated = 1;
    m_refresh = 1;
    m_selected.clear();
}

// Reads every table setting once into the driver cache, so that the change poll has a baseline.
void CPanelProfileHandler::PrimeDriverCache(IDriverInstance& driver) {
    for (const ControlPropertyRow& row : g_ControlPropertyTable) {
        for (EndpointMask bit : g_EndpointMaskBits) {
            if (!(row.EndpointMask & bit))
                continue;
            const int32_t code = MaskToDeviceType(bit);
            if (!driver.IsFeatureSupported(driver.EndpointCodeToName(code) + row.Feature))
                continue;
            ReadSetting(code, row.Key, row.ValueKind, true, false);
        }
    }
}

CPanelProfileHandler::Reading CPanelProfileHandler::ReadSetting(int32_t code, const std::wstring& property,
                                                                int32_t kind, bool store, bool fromCache) {
    Reading reading;
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return reading;
    if (kind == kControlValueFloat) {
        float value = 0;
        reading.ok = driver->GetEndpointProperty(code, property.c_str(), &value, 2, sizeof value, nullptr, 0, 0, store,
                                                 fromCache) == kDriverOk;
        reading.f = value;
    } else if (kind == kControlValueU16) {
        uint16_t value = 0;
        reading.ok = driver->GetEndpointProperty(code, property.c_str(), &value, 1, sizeof value, nullptr, 0, 0, store,
                                                 fromCache) == kDriverOk;
        reading.i = value;
    } else {
        int32_t value = 0;
        reading.ok = driver->GetEndpointProperty(code, property.c_str(), &value, store ? 1 : 0, sizeof value, nullptr,
                                                 0, 0, store, fromCache) == kDriverOk;
        reading.i = value;
    }
    return reading;
}

void CPanelProfileHandler::LoadProfileList(const std::wstring& pattern, IxSkinObject* parent, const LytRect* rect,
                                           int loadSettings, int builtIn) {
    std::vector<std::wstring> files;
    FindFiles(files, {ProgramProfileFolder() + kTemplateFile}, pattern, loadSettings);
    for (const std::wstring& path : files) {
        CxSkinCtrl* item = LoadItem(path, parent, rect);
        if (!item)
            continue;
        const std::wstring name = loadSettings ? GetProfileTitle(path, builtIn) : std::wstring(kUserDefinedItem);
        item->SetName(name);
        m_items.emplace(name, item);
        if (loadSettings) {
            const std::wstring settings = MakeProfileFileName(path);
            if (!settings.empty())
                LoadProfile(settings, builtIn);
        }
    }
}

CxSkinCtrl* CPanelProfileHandler::LoadItem(const std::wstring& path, IxSkinObject* parent, const LytRect* rect) {
    ILytController* controller = Services().GetLytController();
    ILytEnvironment* environment = Environment();
    if (!controller || !parent || !environment)
        return nullptr;
    ILytObject* wrapper = CLytSkinElementFactory().WrapSkinObject(parent, *environment);
    if (!wrapper)
        return nullptr;
    auto* item = dynamic_cast<CxSkinCtrl*>(controller->LoadFile(path.c_str(), wrapper, rect));
    wrapper->Destroy();
    return item;
}

void CPanelProfileHandler::LoadProfile(const std::wstring& path, int builtIn) {
    IProfileController* controller = Controller();
    if (!controller)
        return;
    m_loadBuiltIn = builtIn;
    m_loadTitle = GetProfileTitle(path, builtIn);
    controller->SetListener(this);
    controller->Load(path.c_str());
    // Documents arrive inside Load; nothing that comes later may reach a handler that may be gone by then.
    controller->SetListener(nullptr);
    m_loadTitle.clear();
}

void CPanelProfileHandler::OnProfileLoaded(IXmlObject* root) {
    if (!root)
        return;
    if (m_applyOnLoad) {
        ApplyProfileObject(root, kApply, nullptr);
        root->Release();
        m_applyOnLoad = 0;
        return;
    }
    auto record = std::make_unique<ProfileRecord>();
    record->root = root;
    record->builtIn = m_loadBuiltIn;
    ApplyProfileObject(root, kCollect, record.get());
    FillMissingValues(record.get());
    m_records[m_loadTitle] = std::move(record);
    m_loadTitle.clear();
}

void CPanelProfileHandler::Initialize() {
    if (!m_enumerated)
        EnumerateProfiles(nullptr, nullptr);
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

std::vector<std::wstring> CPanelProfileHandler::CollectUserProfileKeys(bool currentEndpointOnly) {
    std::vector<std::wstring> keys;
    const EndpointMask bit = DeviceTypeToMask(CurrentEndpointCode());
    for (const auto& [name, record] : m_records)
        if (record && name.find(L'*') == std::wstring::npos && (!currentEndpointOnly || (record->endpoints & bit)))
            keys.push_back(name);
    return keys;
}

void CPanelProfileHandler::RemoveItem(const std::wstring& key) {
    auto item = m_items.find(key);
    if (item != m_items.end()) {
        if (CLayerWnd* parent = item->second->GetParent())
            parent->RemoveChild(item->second);
        delete item->second;
        m_items.erase(item);
    }
    m_records.erase(key);
    if (m_selected == key)
        m_selected = kUserDefinedState;
}

int CPanelProfileHandler::RemoveUserProfileItems(int reinitialise) {
    const std::vector<std::wstring> keys = CollectUserProfileKeys(false);
    if (keys.empty())
        return 1;
    RemoveStrayProfiles();
    if (!Panel())
        return 0;
    for (const std::wstring& key : keys)
        RemoveItem(key);
    if (reinitialise)
        Initialize();
    return 1;
}

void CPanelProfileHandler::RemoveStrayProfiles() {
    std::vector<std::wstring> files;
    FindFiles(files, {}, DataFolder() + L"Profile\\*.lyt", 1);
    for (const std::wstring& path : files) {
        ::DeleteFileW(path.c_str());
        ::DeleteFileW(MakeProfileFileName(path).c_str());
    }
}

int CPanelProfileHandler::ShowAddProfileDialog() {
    auto userDefined = m_items.find(kUserDefinedItem);
    auto* check = userDefined == m_items.end() ? nullptr : dynamic_cast<CxSkinCheckbox*>(userDefined->second);
    if (check && check->GetCheck() && CurrentStateMatchesNoProfile())
        return static_cast<int>(OpenAddProfileDialog(Services().GetSkinFolder() + L"Dialog_AddProFile.lyt"));
    // The state is already a listed profile: saving it again would only make a twin.
    const std::wstring text = GetLanguageText(L"ml_PanelProfile_HasTheSameSettingInProfileList", true);
    const std::wstring caption = GetLanguageText(L"ml_DialogMsgBox_Warning", true);
    CWnd* host = m_owner ? m_owner->GetHostDialog() : nullptr;
    const INT_PTR answer = m_runMessageBox ? m_runMessageBox(text, caption, MB_ICONWARNING)
                                           : theApp.ShowMessageBox(host, text, caption, MB_ICONWARNING);
    if (answer == IDYES)
        if (auto* dialog = dynamic_cast<CDialog*>(host))
            dialog->EndDialog(IDYES);
    return 0;
}

INT_PTR CPanelProfileHandler::OpenAddProfileDialog(const std::wstring& markupPath) {
    CUIDialog dialog(201, m_owner ? m_owner->GetHostDialog() : nullptr);
    dialog.SetMarkupPath(markupPath);
    SetDialogProfileKeys(dialog, CollectUserProfileKeys(true));
    const INT_PTR result = m_runDialog ? m_runDialog(dialog) : dialog.DoModal();
    if (result != IDYES)
        return result;
    if (auto* main = dynamic_cast<CMainHandler*>(GetMainHandler()))
        main->StopRotationAndTestSound();
    IDriverInstance* driver = GetDriver();
    const std::wstring title = dialog.GetControlName(L"AddingFile");
    const std::wstring path =
        MakeUserProfilePath(DataFolder(), driver ? driver->GetDefaultRenderEndpointName() : L"", title, L".lyt");
    if (path.empty())
        return result;
    const std::wstring key = GetProfileTitle(path, 0);
    auto existing = m_items.find(key);
    if (existing == m_items.end()) {
        CxSkinCtrl* panel = Panel();
        const RECT r = panel ? panel->GetRect() : RECT{};
        const LytRect placement{r.left, r.top, r.right, r.bottom};
        if (CxSkinCtrl* item = LoadItem(path, panel ? static_cast<CxSkinObject*>(panel) : nullptr, &placement)) {
            item->SetName(key);
            m_items.emplace(key, item);
        }
    } else {
        const std::wstring description = dialog.GetControlName(L"DescriptionName");
        existing->second->SetToolTip(description);
        if (auto* button = dynamic_cast<IxSkinButton*>(existing->second))
            button->SetCheckToolTip(description);
    }
    m_selected = key;
    LoadProfile(MakeProfileFileName(path), 0);
    Initialize();
    return result;
}

int CPanelProfileHandler::ShowDeleteProfileDialog() {
    if (CollectUserProfileKeys(true).empty())
        return 0;
    OpenDeleteProfileDialog(Services().GetSkinFolder() + L"Dialog_DelProFile.lyt");
    return 1;
}

void CPanelProfileHandler::OpenDeleteProfileDialog(const std::wstring& markupPath) {
    CUIDialog dialog(201, m_owner ? m_owner->GetHostDialog() : nullptr);
    dialog.SetMarkupPath(markupPath);
    SetDialogProfileKeys(dialog, CollectUserProfileKeys(true));
    if (m_runDialog)
        m_runDialog(dialog);
    else
        dialog.DoModal();
    const int count = _wtoi(dialog.GetControlName(L"DeletingFileCount").c_str());
    for (int i = 0; i < count; ++i)
        RemoveItem(GetProfileTitle(dialog.GetControlName(std::to_wstring(i)), 0));
    Initialize();
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

void CPanelProfileHandler::Reload() {
    m_selected.clear();
    Initialize();
}

// ---- Applying ----

int CPanelProfileHandler::SelectProfile(const std::wstring& name) {
    if (m_records.empty() || name == L"UserDefine")
        return 0;
    auto found = m_records.find(name);
    if (found == m_records.end() || !found->second || !found->second->root)
        return 0;
    if (name == m_selected)
        return 1;
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return 0;
    if (auto* main = dynamic_cast<CMainHandler*>(GetMainHandler()))
        main->StopRotationAndTestSound();
    const int32_t code = CurrentEndpointCode();
    ResetEffectSwitches(*driver, DeviceTypeToMask(code));
    ApplyProfileObject(found->second->root, kApply, nullptr);
    ApplyPendingFormat(code);
    m_selected = name;
    // The pages show what the device now holds.
    if (auto* main = dynamic_cast<IHandler*>(GetMainHandler()))
        main->InitControls();
    return 1;
}

int CPanelProfileHandler::ApplyProfileObject(IXmlObject* element, int mode, ProfileRecord* record) {
    if (!element)
        return 1;
    const uint32_t count = element->GetChildCount();
    for (uint32_t i = 0; i < count; ++i) {
        IXmlObject* child = element->GetChild(i);
        if (!child)
            continue;
        const std::wstring childName = child->GetName();
        const bool isEndpoint = childName == L"Endpoint";
        const bool isProperty = childName == L"Property";
        if (isEndpoint) {
            m_endpointName.clear();
            m_endpointFlow.clear();
        }
        const uint32_t attributes = child->GetAttributeCount();
        for (uint32_t j = 0; j < attributes; ++j) {
            std::wstring name, value;
            child->GetAttributeAt(name, value, j);
            if (isEndpoint) {
                if (name == L"Name") {
                    m_endpointName = value;
                    if (mode == kCollect && record)
                        record->endpoints |= EndpointMaskOfName(value);
                } else if (name == L"DataFlow") {
                    m_endpointFlow = value;
                }
            } else if (isProperty) {
                StoreProperty(name, value);
                if (j + 1 == attributes) {
                    if (mode == kApply)
                        ApplyControlValues();
                    else if (mode == kCollect)
                        CollectProperty(record);
                }
            }
        }
        ClearProperty();
        if (child->GetChildCount())
            ApplyProfileObject(child, mode, record);
    }
    return 1;
}

EndpointMask CPanelProfileHandler::EndpointMaskOfName(const std::wstring& value) {
    // The first row whose name occurs in the value counts, so the longer names listed first win.
    for (const DeviceKindRow& row : g_DeviceKindTable)
        if (value.find(row.name) != std::wstring::npos)
            return DeviceTypeToMask(row.code);
    return 0;
}

void CPanelProfileHandler::StoreProperty(const std::wstring& name, const std::wstring& value) {
    struct Slot {
        const wchar_t* name;
        std::wstring CPanelProfileHandler::*member;
    };
    static const Slot kSlots[] = {
        {L"Name", &CPanelProfileHandler::m_propName},     {L"Value", &CPanelProfileHandler::m_propValue},
        {L"UIName", &CPanelProfileHandler::m_propUIName}, {L"ValueType", &CPanelProfileHandler::m_propValueType},
        {L"Args", &CPanelProfileHandler::m_propArgs},     {L"ArgsType", &CPanelProfileHandler::m_propArgsType},
    };
    for (const Slot& slot : kSlots)
        if (name == slot.name)
            this->*slot.member = value;
}

void CPanelProfileHandler::ClearProperty() {
    m_propName.clear();
    m_propValue.clear();
    m_propUIName.clear();
    m_propValueType.clear();
    m_propArgs.clear();
    m_propArgsType.clear();
}

int32_t CPanelProfileHandler::CurrentEndpointIdentity() const {
    return IdentifyEndpoint(m_endpointName, m_endpointFlow, 0);
}

CPanelProfileHandler::Pending* CPanelProfileHandler::PendingOf(const std::wstring& key) {
    if (key == L"DevChannelNumControl")
        return &m_channels;
    if (key == L"DevSampleRateControl")
        return &m_sampleRate;
    if (key == L"DevBitDepthControl")
        return &m_bitDepth;
    return nullptr;
}

int CPanelProfileHandler::ApplyControlValues() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return -1;
    const int32_t code = CurrentEndpointIdentity();
    if (code != CurrentEndpointCode() && !m_applyOnLoad)
        return -1;
    const std::wstring key = m_propName.empty() ? m_propUIName : m_propName;
    if (GetValueKind(key) == kControlValueFloat) {
        const float value = static_cast<float>(_wtof(m_propValue.c_str()));
        float current = 0;
        if (key == L"VolumeControl" || key == L"AAVolumeControl") {
            int32_t channel = _wtoi(m_propArgs.c_str());
            const bool read = driver->GetEndpointProperty(code, key.c_str(), &current, 2, sizeof current, &channel, 0,
                                                          sizeof channel, false, false) == kDriverOk;
            if (!read || !IsNearlyEqual(current, value))
                driver->SetEndpointProperty(code, key.c_str(), &value, 2, 0, &channel, 0, sizeof channel);
        } else {
            const bool read = driver->GetEndpointProperty(code, key.c_str(), &current, 2, sizeof current, nullptr, 0, 0,
                                                          true, false) == kDriverOk;
            if (!read || !IsNearlyEqual(current, value))
                driver->SetEndpointProperty(code, key.c_str(), &value, 2, 0, nullptr, 0, 0);
        }
        return 0;
    }
    int32_t value = _wtoi(m_propValue.c_str());
    const bool isDefaultDevice = key == L"DefaultDeviceControl";
    if (isDefaultDevice && !IsCaptureCode(code))
        m_defaultDeviceEndpoints.push_back(code);
    Pending* pending = PendingOf(key);
    int32_t current = 0;
    if (driver->GetEndpointProperty(code, key.c_str(), &current, 0, sizeof current, nullptr, 0, 0, true, false) ==
            kDriverOk &&
        current == value) {
        if (pending)
            *pending = {0, value, true};
        return 0;
    }
    if (isDefaultDevice && IsCaptureCode(code)) {
        int32_t argument = 0;
        driver->SetEndpointProperty(code, key.c_str(), &value, 0, 0, &argument, 1, sizeof argument);
        PostToOwner(kMsgRefreshDeviceList);
    } else if (isDefaultDevice) {
        int32_t terminal = 0;
        int32_t argument = 0;
        // A device with a switchable output terminal picks its default through the terminal instead.
        if (driver->GetProperty(L"OutputTerminalTypeControl", &terminal, 0, sizeof terminal, &argument, 0,
                                sizeof argument, true, false) != kDriverOk) {
            int32_t renderArgument = 1;
            driver->SetEndpointProperty(code, key.c_str(), &value, 0, 0, &renderArgument, 1, sizeof renderArgument);
            PostToOwner(kMsgRefreshDeviceList);
        }
    } else if (key == L"DeviceSpecificControl") {
        int32_t argument = 0;
        driver->SetEndpointProperty(code, key.c_str(), &value, 0, 0, &argument, 1, sizeof argument);
    } else if (pending) {
        *pending = {1, value, true};
        driver->SetEndpointProperty(code, key.c_str(), &pending->value, 0, 4, nullptr, 0, 0);
    } else {
        driver->SetEndpointProperty(code, key.c_str(), &value, 0, 0, nullptr, 0, 0);
    }
    return 0;
}

void CPanelProfileHandler::ApplyPendingFormat(int32_t code) {
    IDriverInstance* driver = GetDriver();
    const int count = m_channels.flag + m_sampleRate.flag + m_bitDepth.flag;
    if (code == kEndpointSPDIFOut)
        m_channels.value = 2;
    if (driver && count < 2) {
        const std::pair<const wchar_t*, Pending*> order[] = {
            {L"DevChannelNumControl", &m_channels},
            {L"DevSampleRateControl", &m_sampleRate},
            {L"DevBitDepthControl", &m_bitDepth},
        };
        for (const auto& [key, pending] : order)
            if (pending->flag)
                driver->SetEndpointProperty(code, key, &pending->value, 0, 4, nullptr, 0, 0);
    } else if (driver) {
        const int32_t format[3] = {m_sampleRate.value, m_bitDepth.value, m_channels.value};
        driver->SetEndpointProperty(code, L"DevFormatControl", format, 4, sizeof format, nullptr, 0, 0);
    }
    m_channels = {};
    m_sampleRate = {};
    m_bitDepth = {};
}

int CPanelProfileHandler::ApplyFactoryDefault() {
    IDriverInstance* driver = GetDriver();
    IProfileController* controller = Controller();
    if (!driver || !controller)
        return 0;
    const std::wstring path = MakeFactoryDefaultPath(ProgramFolder());
    controller->SetListener(this);
    int applied = 0;
    int32_t saved = 0;
    int32_t argument = 0;
    if (driver->GetControlDeviceProperty(L"OutputTerminalTypeControl", &saved, 0, sizeof saved, &argument, 0,
                                         sizeof argument, false, false) != kDriverOk) {
        m_applyOnLoad = 1;
        applied = controller->Load(path.c_str());
    } else {
        m_defaultDeviceEndpoints.clear();
        int32_t available = 0;
        int32_t availableArgument = 2;
        driver->GetControlDeviceProperty(L"OutputTerminalTypeControl", &available, 0, sizeof available,
                                         &availableArgument, 0, sizeof availableArgument, false, false);
        for (int32_t terminal : {1, 2}) {
            if (!(available & terminal))
                continue;
            SetTerminal(terminal);
            Pause(kTerminalSettleMs);
            driver->BuildDeviceList();
            driver->ApplyEffectDefaults();
            int32_t on = 1;
            int32_t zero = 0;
            driver->SetControlDeviceProperty(L"DefaultDeviceControl", &on, 0, sizeof on, &zero, 0, sizeof zero);
            m_applyOnLoad = 1;
            applied |= controller->Load(path.c_str());
        }
        RestoreTerminal(saved);
        Pause(kTerminalSettleMs);
        driver->BuildDeviceList();
        PostToOwner(kMsgRefreshDeviceList);
    }
    controller->SetListener(nullptr);
    m_applyOnLoad = 0;
    return applied ? 1 : 0;
}

int32_t CPanelProfileHandler::SetTerminal(int32_t terminal) {
    IDriverInstance* driver = GetDriver();
    int32_t argument = 0;
    return driver ? driver->SetControlDeviceProperty(L"OutputTerminalTypeControl", &terminal, 0, sizeof terminal,
                                                     &argument, 0, sizeof argument)
                  : -1;
}

// Goes back to the output the factory defaults chose as default, the last one first; the saved terminal
// when they chose none.
void CPanelProfileHandler::RestoreTerminal(int32_t saved) {
    IDriverInstance* driver = GetDriver();
    if (m_defaultDeviceEndpoints.empty()) {
        SetTerminal(saved);
        Pause(kTerminalSettleMs);
        return;
    }
    int32_t terminal = saved;
    for (auto code = m_defaultDeviceEndpoints.rbegin(); code != m_defaultDeviceEndpoints.rend(); ++code) {
        if (*code == kEndpointSpeaker || *code == kEndpointSpeakerQuarter)
            terminal = 1;
        else if (*code == kEndpointHeadPhone)
            terminal = 2;
        else if (*code == kEndpointSPDIFOut)
            terminal = 3;
        if (SetTerminal(terminal) == kDriverOk) {
            Pause(kTerminalSettleMs);
            return;
        }
        driver->BuildDeviceList();
        if (SetTerminal(terminal) == kDriverOk) {
            Pause(kTerminalSettleMs);
            return;
        }
    }
    SetTerminal(1);
    Pause(kTerminalSettleMs);
}

// ---- Matching ----

int CPanelProfileHandler::IsGenericValue() const {
    const std::wstring key = m_propName.empty() ? m_propUIName : m_propName;
    auto found = m_controlMap.find(key);
    return found != m_controlMap.end() && (found->second.Flags & kControlRowMatched) ? 1 : 0;
}

void CPanelProfileHandler::CollectProperty(ProfileRecord* record) {
    IDriverInstance* driver = GetDriver();
    if (!record || !driver || !IsGenericValue())
        return;
    const int32_t code = CurrentEndpointIdentity();
    const std::wstring endpointName = driver->EndpointCodeToName(code);
    ProfileValue value;
    value.parentEnabled = IsParentEnabled(record, endpointName, m_propName);
    value.kind = GetValueKind(m_propName);
    value.value = m_propValue;
    value.endpointCode = code;
    // The last occurrence in the document wins.
    record->values[endpointName + L"." + m_propName] = value;
}

int CPanelProfileHandler::IsParentEnabled(const ProfileRecord* record, const std::wstring& endpointName,
                                          const std::wstring& key) const {
    auto row = m_controlMap.find(key);
    if (row == m_controlMap.end() || !row->second.ParentSwitch[0])
        return 1;
    if (!(row->second.Flags & kControlRowMatched))
        return 0;
    auto parent = record->values.find(endpointName + L"." + row->second.ParentSwitch);
    return parent != record->values.end() && parent->second.value == L"0" ? 0 : 1;
}

void CPanelProfileHandler::FillMissingValues(ProfileRecord* record) {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return;
    for (const ControlPropertyRow& row : g_ControlPropertyTable) {
        if (!row.Key[0] || IsNotFilled(row.Key))
            continue;
        for (EndpointMask bit : g_EndpointMaskBits) {
            if (!(row.EndpointMask & bit & record->endpoints))
                continue;
            const int32_t code = MaskToDeviceType(bit);
            ProfileValue value;
            value.kind = GetValueKind(row.Key);
            value.value = L"0";
            value.endpointCode = code;
            record->values.emplace(driver->EndpointCodeToName(code) + L"." + row.Key, value);
        }
    }
}

int CPanelProfileHandler::IsProfileApplicable(IXmlObject* element, const std::wstring& itemName) {
    IDriverInstance* driver = GetDriver();
    if (!element || !driver)
        return 1;
    const uint32_t count = element->GetChildCount();
    for (uint32_t i = 0; i < count; ++i) {
        IXmlObject* child = element->GetChild(i);
        if (!child)
            continue;
        const std::wstring childName = child->GetName();
        bool descend = true;
        if (childName == L"Endpoint") {
            std::wstring endpointName, flow;
            const uint32_t attributes = child->GetAttributeCount();
            for (uint32_t j = 0; j < attributes && descend; ++j) {
                std::wstring name, value;
                child->GetAttributeAt(name, value, j);
                if (name == L"Name")
                    endpointName = value;
                else if (name == L"DataFlow")
                    flow = value;
                if (!endpointName.empty() && !flow.empty()) {
                    const int32_t code = IdentifyEndpoint(endpointName, flow, kEndpointNone);
                    // Effects of an endpoint the device lacks cannot be checked; they do not disable the profile.
                    if (driver->GetDeviceKindByName(driver->EndpointCodeToName(code)) != 1)
                        descend = false;
                }
            }
        } else if (childName == L"ApoEffect" && !itemName.empty()) {
            const uint32_t attributes = child->GetAttributeCount();
            for (uint32_t j = 0; j < attributes; ++j) {
                std::wstring name, value;
                child->GetAttributeAt(name, value, j);
                if (!driver->IsFeatureSupported(value))
                    return 0;
            }
        }
        if (descend && !IsProfileApplicable(child, itemName))
            return 0;
    }
    return 1;
}

void CPanelProfileHandler::RefreshApplicability() {
    if (!m_refresh)
        return;
    for (const auto& [name, record] : m_records) {
        if (!record)
            continue;
        record->applicable = IsProfileApplicable(record->root, name);
        auto item = m_items.find(name);
        if (item != m_items.end())
            item->second->Enable(record->applicable, FALSE);
    }
    m_refresh = 0;
}

int CPanelProfileHandler::ValueMatchesDevice(int32_t code, const std::wstring& property, const ProfileValue& value) {
    if (value.kind == kControlValueFloat) {
        const Reading live = ReadSetting(code, property, kControlValueFloat, false, false);
        return !live.ok || IsNearlyEqual(live.f, static_cast<float>(_wtof(value.value.c_str())));
    }
    const Reading live = ReadSetting(code, property, kControlValueInt, false, false);
    if (live.ok)
        return live.i == _wtoi(value.value.c_str());
    // A switch the profile turns on but the device cannot report is not in the profile's state.
    auto row = m_controlMap.find(property);
    const bool isSwitch = row != m_controlMap.end() && (row->second.Flags & kControlRowSwitch);
    return !(isSwitch && _wtoi(value.value.c_str()) == 1);
}

int CPanelProfileHandler::MatchesDeviceState(const ProfileRecord* record) {
    IDriverInstance* driver = GetDriver();
    if (!record || !record->shown || !record->applicable || !driver)
        return 0;
    const int32_t current = CurrentEndpointCode();
    for (const auto& [key, value] : record->values) {
        if (!value.parentEnabled || driver->EndpointPrefixToCode(key) != current)
            continue;
        if (!ValueMatchesDevice(current, PropertyOfKey(key), value))
            return 0;
    }
    return 1;
}

std::wstring CPanelProfileHandler::FindMatchingProfile() {
    for (const auto& [name, record] : m_records)
        if (record && MatchesDeviceState(record.get()))
            return name;
    return kUserDefinedState;
}

void CPanelProfileHandler::UpdateUserDefineItem(int redraw) {
    auto found = m_records.find(m_selected);
    if (m_selected.empty() || (found != m_records.end() && found->second && !found->second->shown)) {
        RefreshApplicability();
        m_selected = FindMatchingProfile();
    }
    // The strip's items are one group; checking them here does not depend on how the markup hung them.
    const std::wstring marked = m_selected != kUserDefinedState ? m_selected : std::wstring(kUserDefinedItem);
    if (m_items.count(marked))
        for (const auto& [name, item] : m_items)
            if (auto* radio = dynamic_cast<CxSkinRadioButton*>(item))
                radio->SetCheck(name == marked ? 1 : 0, TRUE);
    if (redraw && m_owner)
        m_owner->Invalidate(FALSE);
}

bool CPanelProfileHandler::HoldsLiveValue(const ProfileRecord& record, const std::wstring& key, const Reading& live,
                                          int32_t kind) const {
    auto entry = record.values.find(key);
    if (entry == record.values.end() || !entry->second.parentEnabled)
        return false;
    if (kind == kControlValueFloat)
        return IsNearlyEqual(live.f, static_cast<float>(_wtof(entry->second.value.c_str())));
    return live.i == _wtoi(entry->second.value.c_str());
}

int CPanelProfileHandler::MatchCurrentProfile(const std::wstring& changedKey) {
    IDriverInstance* driver = GetDriver();
    const size_t dot = changedKey.find(L'.');
    if (!driver || changedKey.empty() || dot == std::wstring::npos || dot == 0)
        return 0;
    const std::wstring property = changedKey.substr(dot + 1);
    const int32_t current = CurrentEndpointCode();
    if (driver->EndpointPrefixToCode(changedKey) != current)
        return 0;
    const int32_t kind = GetValueKind(property) == kControlValueFloat ? kControlValueFloat : kControlValueInt;
    const Reading live = ReadSetting(current, property, kind, false, false);
    const std::wstring before = m_selected;
    auto marked = m_records.find(m_selected);
    if (m_selected != kUserDefinedState && marked != m_records.end()) {
        // The mark stays unless the changed setting is one the marked profile compares and now differs.
        const ProfileRecord* record = marked->second.get();
        auto entry = record ? record->values.find(changedKey) : std::map<std::wstring, ProfileValue>::const_iterator();
        const bool left = record && entry != record->values.end() && entry->second.parentEnabled &&
                          !HoldsLiveValue(*record, changedKey, live, kind);
        if (!left)
            return 0;
    }
    std::wstring found;
    for (const auto& [name, record] : m_records) {
        if (name == m_selected || !record || !HoldsLiveValue(*record, changedKey, live, kind))
            continue;
        if (MatchesDeviceState(record.get())) {
            found = name;
            break;
        }
    }
    // The change poll now knows the new value.
    ReadSetting(current, property, kind == kControlValueFloat ? kControlValueFloat : kControlValueInt, true, false);
    m_selected = found.empty() ? std::wstring(kUserDefinedState) : found;
    return m_selected != before ? 1 : 0;
}

int CPanelProfileHandler::CurrentStateMatchesNoProfile() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return 1;
    const EndpointMask bit = DeviceTypeToMask(CurrentEndpointCode());
    const std::wstring endpointName = driver->GetDefaultRenderEndpointName();
    for (const auto& [name, record] : m_records) {
        if (!record || !record->shown || !record->applicable || (record->endpoints && !(record->endpoints & bit)))
            continue;
        bool equal = true;
        for (const auto& [key, value] : record->values) {
            if (key.find(endpointName) == std::wstring::npos || !value.parentEnabled)
                continue;
            if (!ValueMatchesDevice(driver->EndpointPrefixToCode(key), PropertyOfKey(key), value)) {
                equal = false;
                break;
            }
        }
        if (equal)
            return 0;
    }
    return 1;
}

int CPanelProfileHandler::FindChangedProperty(std::wstring* key) {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return 0;
    for (const ControlPropertyRow& row : g_ControlPropertyTable) {
        if (!(row.Flags & kControlRowMatched))
            continue;
        for (EndpointMask bit : g_EndpointMaskBits) {
            if (!(row.EndpointMask & bit))
                continue;
            const int32_t code = MaskToDeviceType(bit);
            const std::wstring endpointName = driver->EndpointCodeToName(code);
            if (!driver->IsFeatureSupported(endpointName + row.Feature))
                continue;
            const Reading live = ReadSetting(code, row.Key, row.ValueKind, false, false);
            const Reading cached = ReadSetting(code, row.Key, row.ValueKind, false, true);
            const bool changed =
                row.ValueKind == kControlValueFloat ? !IsNearlyEqual(live.f, cached.f) : live.i != cached.i;
            if (changed) {
                if (key)
                    *key = endpointName + L"." + row.Key;
                return 1;
            }
        }
    }
    return 0;
}
