#include "profiles/PanelProfileHandler.h"

#include <array>
#include <cwchar>

#include "driver/EndpointCodes.h"
#include "driver/IDriverInstance.h"
#include "driver/PropertyValue.h"
#include "profiles/PanelProfileRules.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinRadioButton.h"

// Keeping the strip's mark true: each listed profile's comparable settings, which profiles the device can
// take, the search for the profile the device holds now, and the poll that notices a setting changed.

using profile_rules::IdentifyEndpoint;
using profile_rules::IsNearlyEqual;

namespace {

// The stream-format and bitstream keys stay out of the filler: a profile that lacks them leaves the format
// alone rather than stating format 0.
constexpr const wchar_t* kNotFilledKeys[] = {L"DevChannelNumControl", L"DevBitDepthControl", L"DevSampleRateControl",
                                             L"DTSInteractiveControl", L"DolbyDigitalLiveControl"};

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

} // namespace

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
                                                                int32_t kind, bool store, bool fromCache,
                                                                int32_t integerType) {
    Reading reading;
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return reading;
    if (kind == kControlValueFloat) {
        float value = 0;
        reading.ok = driver->GetEndpointProperty(code, property.c_str(), &value, kValueFloat, sizeof value, nullptr, 0,
                                                 0, store, fromCache) == kDriverOk;
        reading.f = value;
    } else if (kind == kControlValueU16) {
        uint16_t value = 0;
        reading.ok = driver->GetEndpointProperty(code, property.c_str(), &value, kValueUInt, sizeof value, nullptr, 0,
                                                 0, store, fromCache) == kDriverOk;
        reading.i = value;
    } else {
        int32_t value = 0;
        reading.ok = driver->GetEndpointProperty(code, property.c_str(), &value, integerType, sizeof value, nullptr, 0,
                                                 0, store, fromCache) == kDriverOk;
        reading.i = value;
    }
    return reading;
}

int CPanelProfileHandler::IsGenericValue() const {
    const std::wstring& key = m_propName.empty() ? m_propUIName : m_propName;
    auto found = m_controlMap.find(key);
    return found != m_controlMap.end() && (found->second.Flags & kControlRowMatched) ? 1 : 0;
}

void CPanelProfileHandler::CollectProperty(ProfileRecord* record) {
    IDriverInstance* driver = GetDriver();
    if (!record || !driver || !IsGenericValue())
        return;
    // An endpoint element holds dozens of properties: which endpoint it names is looked up once.
    if (!m_collectEndpointKnown) {
        m_collectCode = CurrentEndpointIdentity();
        m_collectEndpoint = driver->EndpointCodeToName(m_collectCode);
        m_collectEndpointKnown = true;
    }
    const ProfileValue value(m_propValue, GetValueKind(m_propName), m_collectCode,
                             IsParentEnabled(record, m_collectEndpoint, m_propName));
    // The last occurrence in the document wins.
    record->values.Assign(ValueKey(m_collectEndpoint, m_propName), value);
}

const std::wstring& CPanelProfileHandler::ValueKey(std::wstring_view endpointName, std::wstring_view key) const {
    m_valueKey.assign(endpointName).append(1, L'.').append(key);
    return m_valueKey;
}

int CPanelProfileHandler::IsParentEnabled(const ProfileRecord* record, std::wstring_view endpointName,
                                          std::wstring_view key) const {
    auto row = m_controlMap.find(key);
    if (row == m_controlMap.end() || !row->second.ParentSwitch[0])
        return 1;
    if (!(row->second.Flags & kControlRowMatched))
        return 0;
    const ProfileValue* parent = record->values.Find(ValueKey(endpointName, row->second.ParentSwitch));
    return parent && parent->off ? 0 : 1;
}

void CPanelProfileHandler::FillMissingValues(ProfileRecord* record) {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return;
    // The profile's endpoints, named once for the whole table.
    std::array<std::wstring, kEndpointMaskBitCount> endpointNames;
    for (int i = 0; i < kEndpointMaskBitCount; ++i)
        if (record->endpoints & g_EndpointMaskBits[i])
            endpointNames[i] = driver->EndpointCodeToName(MaskToDeviceType(g_EndpointMaskBits[i]));
    for (const ControlPropertyRow& row : g_ControlPropertyTable) {
        // Only the rows that matching compares: volume, mute, balance and the program's own "__" values follow
        // the listener, and stating them as 0 would make no device ever equal a profile.
        if (!(row.Flags & kControlRowMatched) || IsNotFilled(row.Key))
            continue;
        for (int i = 0; i < kEndpointMaskBitCount; ++i) {
            const EndpointMask bit = g_EndpointMaskBits[i];
            if (!(row.EndpointMask & bit & record->endpoints))
                continue;
            // An effect the profile leaves out is off in it, and the settings of an effect that is off are not
            // compared; its switch row comes first in the table, so it is filled before them.
            const ProfileValue value(L"0", GetValueKind(row.Key), MaskToDeviceType(bit),
                                     IsParentEnabled(record, endpointNames[i], row.Key));
            record->values.Add(ValueKey(endpointNames[i], row.Key), value);
        }
    }
}

void CPanelProfileHandler::RefreshApplicability() {
    IDriverInstance* driver = GetDriver();
    if (!m_refresh)
        return;
    for (const auto& [name, record] : m_records) {
        if (!record)
            continue;
        record->applicable = driver ? record->requirements.IsMetBy(*driver, !name.empty()) : 1;
        auto item = m_items.find(name);
        if (item != m_items.end())
            item->second->Enable(record->applicable, FALSE);
    }
    m_refresh = 0;
}

int CPanelProfileHandler::ValueMatchesDevice(int32_t code, const std::wstring& property, const ProfileValue& value) {
    if (value.kind == kControlValueFloat) {
        const Reading live = ReadSetting(code, property, kControlValueFloat, false, false);
        return !live.ok || IsNearlyEqual(live.f, value.real);
    }
    const Reading live = ReadSetting(code, property, kControlValueInt, false, false);
    if (live.ok)
        return live.i == value.number;
    // A switch the profile turns on but the device cannot report is not in the profile's state.
    auto row = m_controlMap.find(property);
    const bool isSwitch = row != m_controlMap.end() && (row->second.Flags & kControlRowSwitch);
    return !(isSwitch && value.number == 1);
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
    LoadPlacedProfiles();
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
    const ProfileValue* entry = record.values.Find(key);
    if (!entry || !entry->parentEnabled)
        return false;
    if (kind == kControlValueFloat)
        return IsNearlyEqual(live.f, entry->real);
    return live.i == entry->number;
}

int CPanelProfileHandler::MatchCurrentProfile(const std::wstring& changedKey) {
    LoadPlacedProfiles();
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
        const ProfileValue* entry = record ? record->values.Find(changedKey) : nullptr;
        const bool left = entry && entry->parentEnabled && !HoldsLiveValue(*record, changedKey, live, kind);
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
    ReadSetting(current, property, kind, true, false, kValueUInt);
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
            if (key.Text().find(endpointName) == std::wstring::npos || !value.parentEnabled)
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
    LoadPlacedProfiles();
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
