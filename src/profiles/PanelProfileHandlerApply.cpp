#include "profiles/PanelProfileHandler.h"

#include <cwchar>

#include "app/IMainHandler.h"
#include "app/MainHandler.h"
#include "driver/EndpointCodes.h"
#include "driver/IDriverInstance.h"
#include "driver/PropertyValue.h"
#include "framework/Wnd.h"
#include "profiles/PanelProfileRules.h"
#include "profiles/ProfilePaths.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

// Writing a settings document to the device: the profile the user clicks, and the factory defaults that
// the reset replays on every output terminal.

using profile_rules::IdentifyEndpoint;
using profile_rules::IsNearlyEqual;

namespace {

constexpr UINT kMsgRefreshDeviceList = 1129;
constexpr DWORD kTerminalSettleMs = 300;

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

} // namespace

int CPanelProfileHandler::SelectProfile(const std::wstring& name) {
    if (m_records.empty() || name == L"UserDefine")
        return 0;
    auto found = m_records.find(name);
    if (found == m_records.end() || !found->second)
        return 0;
    if (name == m_selected)
        return 1;
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return 0;
    // A file that no longer reads is told as one that did not read when listed, and nothing is written.
    const XmlObjectPtr document = ReadSettings(found->second->path);
    if (!document) {
        m_unreadFiles.push_back(found->second->path);
        TellUnreadFiles();
        return 0;
    }
    if (auto* main = dynamic_cast<CMainHandler*>(GetMainHandler()))
        main->StopRotationAndTestSound();
    const int32_t code = CurrentEndpointCode();
    ResetEffectSwitches(*driver, DeviceTypeToMask(code));
    ClearPendingFormat();
    ApplyProfileObject(document.get(), kApply, nullptr);
    ApplyPendingFormat(code);
    m_selected = name;
    RefreshMainWindow();
    return 1;
}

XmlObjectPtr CPanelProfileHandler::ReadSettings(const std::wstring& path) {
    // Takes the one document a load hands over.
    struct Reader : IProfileControllerListener {
        void OnProfileLoaded(IXmlObject* root) override { document.reset(root); }
        void OnProfileError(const wchar_t*) override {}
        XmlObjectPtr document;
    } reader;
    IProfileController* controller = Controller();
    if (!controller || path.empty())
        return nullptr;
    controller->SetListener(&reader);
    controller->Load(path.c_str());
    controller->SetListener(nullptr);
    return std::move(reader.document);
}

void CPanelProfileHandler::RefreshMainWindow() {
    IMainHandler* main = GetMainHandler();
    if (auto* handler = dynamic_cast<IHandler*>(main))
        handler->InitControls();
    // The writes went through the driver's cache, so the page's own poll would never notice them: the page
    // on screen re-reads now. A kept page that is not shown re-reads when the main window shows it again.
    auto* window = dynamic_cast<CMainHandler*>(main);
    CxSkinCtrl* content = window ? window->GetCurrentContent() : nullptr;
    if (auto* page = content ? dynamic_cast<IHandler*>(content->GetListener()) : nullptr)
        page->InitControls();
    if (window)
        window->UpdateDeviceIds();
}

int CPanelProfileHandler::ApplyProfileObject(IXmlObject* element, int mode, ProfileRecord* record) {
    if (!element)
        return 1;
    const uint32_t count = element->GetChildCount();
    std::wstring name, value; // reused: a profile has hundreds of attributes
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
            m_collectEndpointKnown = false;
        }
        const uint32_t attributes = child->GetAttributeCount();
        for (uint32_t j = 0; j < attributes; ++j) {
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
            const bool read =
                driver->GetEndpointProperty(code, key.c_str(), &current, kValueFloat, sizeof current, &channel,
                                            kValueInt, sizeof channel, false, false) == kDriverOk;
            if (!read || !IsNearlyEqual(current, value))
                driver->SetEndpointProperty(code, key.c_str(), &value, kValueFloat, kDefaultNumberSize, &channel,
                                            kValueInt, sizeof channel);
        } else {
            const bool read = driver->GetEndpointProperty(code, key.c_str(), &current, kValueFloat, sizeof current,
                                                          nullptr, 0, 0, true, false) == kDriverOk;
            if (!read || !IsNearlyEqual(current, value))
                driver->SetEndpointProperty(code, key.c_str(), &value, kValueFloat, kDefaultNumberSize, nullptr, 0, 0);
        }
        return 0;
    }
    int32_t value = _wtoi(m_propValue.c_str());
    const bool isDefaultDevice = key == L"DefaultDeviceControl";
    if (isDefaultDevice && !IsCaptureCode(code))
        m_defaultDeviceEndpoints.push_back(code);
    Pending* pending = PendingOf(key);
    int32_t current = 0;
    if (driver->GetEndpointProperty(code, key.c_str(), &current, kValueInt, sizeof current, nullptr, 0, 0, true,
                                    false) == kDriverOk &&
        current == value) {
        if (pending)
            *pending = {0, value, true};
        return 0;
    }
    if (isDefaultDevice && IsCaptureCode(code)) {
        int32_t argument = 0;
        driver->SetEndpointProperty(code, key.c_str(), &value, kValueInt, kDefaultNumberSize, &argument, kValueUInt,
                                    sizeof argument);
        PostToOwner(kMsgRefreshDeviceList);
    } else if (isDefaultDevice) {
        int32_t terminal = 0;
        int32_t argument = 0;
        // A device with a switchable output terminal picks its default through the terminal instead.
        if (driver->GetProperty(L"OutputTerminalTypeControl", &terminal, kValueInt, sizeof terminal, &argument,
                                kValueInt, sizeof argument, true, false) != kDriverOk) {
            int32_t renderArgument = 1;
            driver->SetEndpointProperty(code, key.c_str(), &value, kValueInt, kDefaultNumberSize, &renderArgument,
                                        kValueUInt, sizeof renderArgument);
            PostToOwner(kMsgRefreshDeviceList);
        }
    } else if (key == L"DeviceSpecificControl") {
        int32_t argument = 0;
        driver->SetEndpointProperty(code, key.c_str(), &value, kValueInt, kDefaultNumberSize, &argument, kValueUInt,
                                    sizeof argument);
    } else if (pending) {
        *pending = {1, value, true};
        driver->SetEndpointProperty(code, key.c_str(), &pending->value, kValueInt, 4, nullptr, 0, 0);
    } else {
        driver->SetEndpointProperty(code, key.c_str(), &value, kValueInt, kDefaultNumberSize, nullptr, 0, 0);
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
                driver->SetEndpointProperty(code, key, &pending->value, kValueInt, 4, nullptr, 0, 0);
    } else if (driver) {
        const int32_t format[3] = {m_sampleRate.value, m_bitDepth.value, m_channels.value};
        driver->SetEndpointProperty(code, L"DevFormatControl", format, kValueBlock, sizeof format, nullptr, 0, 0);
    }
    ClearPendingFormat();
}

void CPanelProfileHandler::ClearPendingFormat() {
    m_channels = {};
    m_sampleRate = {};
    m_bitDepth = {};
}

int CPanelProfileHandler::ApplyFactoryDefault() {
    LoadPlacedProfiles(); // the cache of device values is primed before the defaults change them
    IDriverInstance* driver = GetDriver();
    IProfileController* controller = Controller();
    if (!driver || !controller)
        return 0;
    const std::wstring path = MakeFactoryDefaultPath(ProgramFolder());
    controller->SetListener(this);
    int applied = 0;
    int32_t saved = 0;
    int32_t argument = 0;
    if (driver->GetControlDeviceProperty(L"OutputTerminalTypeControl", &saved, kValueInt, sizeof saved, &argument,
                                         kValueInt, sizeof argument, false, false) != kDriverOk) {
        m_applyOnLoad = 1;
        applied = controller->Load(path.c_str());
    } else {
        m_defaultDeviceEndpoints.clear();
        int32_t available = 0;
        int32_t availableArgument = 2;
        driver->GetControlDeviceProperty(L"OutputTerminalTypeControl", &available, kValueInt, sizeof available,
                                         &availableArgument, kValueInt, sizeof availableArgument, false, false);
        for (int32_t terminal : {1, 2}) {
            if (!(available & terminal))
                continue;
            SetTerminal(terminal);
            Pause(kTerminalSettleMs);
            driver->BuildDeviceList();
            driver->ApplyEffectDefaults();
            int32_t on = 1;
            int32_t zero = 0;
            driver->SetControlDeviceProperty(L"DefaultDeviceControl", &on, kValueInt, sizeof on, &zero, kValueInt,
                                             sizeof zero);
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
    // The reset writes its format itself; what its walks collected must not reach the next profile click.
    ClearPendingFormat();
    return applied ? 1 : 0;
}

int32_t CPanelProfileHandler::SetTerminal(int32_t terminal) {
    IDriverInstance* driver = GetDriver();
    int32_t argument = 0;
    return driver ? driver->SetControlDeviceProperty(L"OutputTerminalTypeControl", &terminal, kValueInt,
                                                     sizeof terminal, &argument, kValueInt, sizeof argument)
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
