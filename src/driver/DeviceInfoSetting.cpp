#include "driver/DeviceInfoSetting.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <mutex>
#include <utility>

#include <windows.h>

#include "driver/EndpointCodes.h"
#include "driver/PropertyValue.h"
#include "markup/FileIo.h"

namespace {

const PropertySetDefault kSpeakerVolume[] = {
    {L"__FrontBalance", L"1"}, {L"__CWBalance", L"1"}, {L"__RearBalance", L"1"}, {L"__SideBalance", L"1"}};
const PropertySetDefault kRotation[] = {
    {L"__WiseArround", L"0"}, {L"__CounterClockwise", L"0"}, {L"__Clockwise", L"0"}, {L"__Manual", L"0"}};
const PropertySetDefault kBalance[] = {{L"__Balance", L"1"}};
const PropertySetDefault kBalanceAndAA[] = {{L"__Balance", L"1"}, {L"__AABalance", L"1"}};

// The rows a virtual property of an endpoint may live in, searched in order.
struct RowsOfCode {
    int32_t code;
    int rows[2]; // -1 when there is no second row
};

const RowsOfCode kRowsByCode[] = {
    {kEndpointSpeaker, {0, 1}},          {kEndpointMicIn, {4, -1}},       {kEndpointLineIn, {5, -1}},
    {kEndpointSPDIFOut, {2, 3}},         {kEndpointHeadPhone, {7, 8}},    {kEndpointStereoMix, {9, -1}},
    {kEndpointHDMI, {10, -1}},           {kEndpointDesktopMic, {11, -1}}, {kEndpointSPDIFInRCA, {12, -1}},
    {kEndpointSpeakerQuarter, {13, 14}}, {kEndpointSPDIFIn, {6, -1}},
};

constexpr size_t kMaxStoredTextChars = 255;

// Rows of one or two records name them by position, so every balance row answers the same two names;
// rows of four compare the name with each record.
ProfileProperty* MatchInRow(std::vector<ProfileProperty>& records, const std::wstring& name) {
    switch (records.size()) {
    case 1:
    case 2:
        if (name == L"__Balance")
            return &records[0];
        if (name == L"__AABalance" && records.size() == 2)
            return &records[1];
        return nullptr;
    case 4: {
        auto match = std::find_if(records.begin(), records.end(),
                                  [&](const ProfileProperty& record) { return record.UIName == name; });
        return match == records.end() ? nullptr : &*match;
    }
    default:
        return nullptr;
    }
}

bool ValueToText(const void* value, int32_t type, uint32_t byteCount, std::wstring& text) {
    switch (type) {
    case kValueInt:
    case kValueUInt:
    case kValueFloat:
        text = FormatPropertyNumber(value, type, byteCount);
        return true;
    case kValueText: {
        if (!value)
            return false;
        const auto* chars = static_cast<const wchar_t*>(value);
        text.assign(chars, wcsnlen(chars, std::min<size_t>(kMaxStoredTextChars, byteCount / sizeof(wchar_t))));
        return true;
    }
    default:
        return false; // a raw block has no text form to keep
    }
}

} // namespace

const PropertySetRow g_PropertySetTable[kPropertySetRowCount] = {
    {kEndpointSpeaker, L"SpeakerVolume", kSpeakerVolume, 4, 0},
    {kEndpointSpeaker, L"VirtualSpeaker", kRotation, 4, 1},
    {kEndpointSPDIFOut, L"SPDIFOutVolume", kBalance, 1, 2},
    {kEndpointSPDIFOut, L"SPDIFOutVirtual", kRotation, 4, 3},
    {kEndpointMicIn, L"MicInVolume", kBalanceAndAA, 2, 4},
    {kEndpointLineIn, L"LineInVolume", kBalanceAndAA, 2, 5},
    {kEndpointSPDIFIn, L"SPDIFInVolume", kBalance, 1, 6},
    {kEndpointHeadPhone, L"HeadphoneVolume", kBalance, 1, 7},
    {kEndpointHeadPhone, L"HeadphoneVirtual", kRotation, 4, 8},
    {kEndpointStereoMix, L"StereoMixVolume", kBalance, 1, 9},
    {kEndpointHDMI, L"HDMIVolume", kBalance, 1, 10},
    {kEndpointDesktopMic, L"DesktopMicVolume", kBalanceAndAA, 2, 11},
    {kEndpointSPDIFInRCA, L"SPDIFInRCAVolume", kBalance, 1, 12},
    {kEndpointSpeakerQuarter, L"SpeakerQuarterVolume", kSpeakerVolume, 4, 0},
    {kEndpointSpeakerQuarter, L"VirtualSpeakerQuarter", kRotation, 4, 1},
};

CDeviceInfoSetting::CDeviceInfoSetting(std::wstring dataFolder) : m_dataFolder(std::move(dataFolder)) {
    for (int row = 0; row < kPropertySetRowCount; ++row) {
        const PropertySetRow& set = g_PropertySetTable[row];
        if (set.storageRow != row)
            continue;
        for (int i = 0; i < set.count; ++i)
            m_records[row].push_back({L"", set.records[i].value, set.records[i].uiName, L"System.Boolean", L"", L""});
    }
    Reload();
}

std::vector<ProfileProperty>& CDeviceInfoSetting::RowRecords(int row) {
    return m_records[g_PropertySetTable[row].storageRow];
}

void CDeviceInfoSetting::Reload() {
    std::lock_guard guard(m_lock);
    ReloadLocked();
}

void CDeviceInfoSetting::ReloadLocked() {
    m_root.Name = L"Backup";
    m_root.Endpoints.clear();
    for (const DeviceKindRow& kind : g_DeviceKindTable) {
        ProfileEndpoint endpoint{kind.name, kind.flow, {}};
        for (int row = 0; row < kPropertySetRowCount; ++row) {
            if (g_PropertySetTable[row].code == kind.code)
                endpoint.Effects.push_back({g_PropertySetTable[row].setName, RowRecords(row)});
        }
        m_root.Endpoints.push_back(std::move(endpoint));
    }
}

int CDeviceInfoSetting::LoadProfileXml() {
    IProfileController* controller = GetProfileController();
    if (!controller)
        return 0;
    controller->SetListener(this);
    // Only the top levels are walked, so the file may nest as deep as it likes.
    const int answer = controller->LoadTopLevels(GetProfilePath().c_str());
    // The controller outlives this object: leave it no listener to call into later.
    controller->SetListener(nullptr);
    return answer;
}

void CDeviceInfoSetting::OnProfileLoaded(IXmlObject* root) {
    if (!root)
        return;
    XmlObjectPtr document(root);
    std::lock_guard guard(m_lock);
    // A child the document cannot give is skipped with what it would hold.
    for (uint32_t e = 0; e < document->GetChildCount(); ++e) {
        const IXmlObject* endpoint = document->GetChild(e);
        if (!endpoint)
            continue;
        for (uint32_t f = 0; f < endpoint->GetChildCount(); ++f) {
            if (const IXmlObject* effect = endpoint->GetChild(f))
                MatchEffect(*effect);
        }
    }
    ReloadLocked();
}

// The effect's name picks the row, whatever endpoint element it stands under; each property then finds
// its record by UIName. The file is the user's to edit: values are taken as they are, and reads bound them.
void CDeviceInfoSetting::MatchEffect(const IXmlObject& effect) {
    std::wstring name;
    effect.GetAttribute(L"Name", name);
    auto set = std::find_if(std::begin(g_PropertySetTable), std::end(g_PropertySetTable),
                            [&](const PropertySetRow& row) { return name == row.setName; });
    if (set == std::end(g_PropertySetTable))
        return;
    std::vector<ProfileProperty>& records = RowRecords(static_cast<int>(set - std::begin(g_PropertySetTable)));
    for (uint32_t p = 0; p < effect.GetChildCount(); ++p) {
        const IXmlObject* property = effect.GetChild(p);
        std::wstring uiName, value;
        if (!property || !property->GetAttribute(L"UIName", uiName))
            continue;
        auto record = std::find_if(records.begin(), records.end(),
                                   [&](const ProfileProperty& candidate) { return candidate.UIName == uiName; });
        if (record != records.end() && property->GetAttribute(L"Value", value))
            record->Value = value;
    }
}

void CDeviceInfoSetting::LoadOrReplaceProfileXml() {
    if (LoadProfileXml())
        return;
    const std::wstring path = GetProfilePath();
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES && !fileio::MoveAside(path.c_str())) {
        std::lock_guard guard(m_lock);
        m_fileLeftAlone = true;
        return;
    }
    SaveProfileXml();
}

int CDeviceInfoSetting::SaveProfileXml() {
    std::lock_guard guard(m_lock);
    return SaveLocked();
}

int CDeviceInfoSetting::SaveLocked() {
    IProfileController* controller = GetProfileController();
    if (!controller || m_fileLeftAlone)
        return 0;
    XmlObjectPtr root(controller->CreateObject(L"Profile"));
    if (!root)
        return 0;
    root->SetName(L"Profile", nullptr);
    root->SetAttribute(L"Name", m_root.Name.c_str());
    // An element that cannot be made is left out together with what it would hold.
    auto make = [&](const wchar_t* name, IXmlObject* parent) {
        IXmlObject* element = controller->CreateObject(name);
        if (element)
            element->SetName(name, parent);
        return element;
    };
    for (const ProfileEndpoint& endpoint : m_root.Endpoints) {
        IXmlObject* endpointElement = make(L"Endpoint", root.get());
        if (!endpointElement)
            continue;
        endpointElement->SetAttribute(L"Name", endpoint.Name.c_str());
        endpointElement->SetAttribute(L"DataFlow", endpoint.DataFlow.c_str());
        root->AddChild(endpointElement);
        for (const ProfileApoEffect& effect : endpoint.Effects) {
            IXmlObject* effectElement = make(L"ApoEffect", endpointElement);
            if (!effectElement)
                continue;
            effectElement->SetAttribute(L"Name", effect.Name.c_str());
            endpointElement->AddChild(effectElement);
            for (const ProfileProperty& property : effect.Properties) {
                IXmlObject* propertyElement = make(L"Property", effectElement);
                if (!propertyElement)
                    continue;
                const std::pair<const wchar_t*, const std::wstring*> attributes[] = {
                    {L"Name", &property.Name},     {L"Value", &property.Value},
                    {L"UIName", &property.UIName}, {L"ValueType", &property.ValueType},
                    {L"Args", &property.Args},     {L"ArgsType", &property.ArgsType}};
                for (const auto& [attribute, value] : attributes)
                    propertyElement->SetAttribute(attribute, value->c_str());
                effectElement->AddChild(propertyElement);
            }
        }
    }
    return controller->Save(GetProfilePath().c_str(), root.get());
}

ProfileRoot CDeviceInfoSetting::GetDocument() {
    std::lock_guard guard(m_lock);
    return m_root;
}

ProfileProperty* CDeviceInfoSetting::FindRecord(int32_t endpointCode, const std::wstring& name) {
    auto rows = std::find_if(std::begin(kRowsByCode), std::end(kRowsByCode),
                             [&](const RowsOfCode& entry) { return entry.code == endpointCode; });
    if (rows == std::end(kRowsByCode))
        return nullptr;
    for (int row : rows->rows) {
        if (row < 0)
            continue;
        if (ProfileProperty* record = MatchInRow(RowRecords(row), name))
            return record;
    }
    return nullptr;
}

int32_t CDeviceInfoSetting::VirtualPropertyControl(int32_t endpointCode, const std::wstring& name, void* valueBuffer,
                                                   size_t valueCapacityBytes, int32_t valueType,
                                                   uint32_t valueByteCount, const void* /*arguments*/,
                                                   int32_t /*argumentType*/, uint32_t /*argumentByteCount*/,
                                                   bool write) {
    std::wstring text;
    if (write && !ValueToText(valueBuffer, valueType, valueByteCount, text))
        return -1;
    std::lock_guard guard(m_lock);
    ProfileProperty* record = FindRecord(endpointCode, name);
    if (!record)
        return -1;
    if (write) {
        record->Value = std::move(text);
        ReloadLocked();
        SaveLocked();
        return 0;
    }
    // The stored text comes from a file the user may edit: copy only what the buffer holds.
    CopyTextToPlace(valueBuffer, static_cast<uint32_t>(std::min<size_t>(valueCapacityBytes, UINT32_MAX)),
                    record->Value.c_str(), record->Value.size());
    return 0;
}
