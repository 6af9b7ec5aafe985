#include "profiles/ProfileCapture.h"

#include <cwchar>
#include <vector>

#include "driver/EndpointCodes.h"
#include "driver/IDriverInstance.h"
#include "driver/PropertyValue.h"
#include "markup/StringUtils.h"
#include "profiles/ControlPropertyTable.h"

namespace {

constexpr const wchar_t* kExcludedKeys[] = {
    L"VolumeControl",  L"AAVolumeControl", L"MuteControl", L"AAMuteControl", L"__Balance",
    L"__FrontBalance", L"__RearBalance",   L"__CWBalance", L"__SideBalance",
};

const DeviceKindRow* FindDeviceKind(int32_t code) {
    for (const DeviceKindRow& row : g_DeviceKindTable) {
        if (row.code == code)
            return &row;
    }
    return nullptr;
}

// The six attributes of a "Property" element, all of them written even when empty.
struct PropertyTexts {
    std::wstring name;
    std::wstring value;
    std::wstring uiName;
    std::wstring args;
};

struct ReleaseElement {
    void operator()(IXmlObject* element) const { element->Release(); }
};

} // namespace

CProfileCapture::CProfileCapture(IDriverInstance& driver, IProfileController& controller)
    : m_driver(driver), m_controller(controller) {}

CProfileCapture::~CProfileCapture() {
    // The controller keeps a plain pointer to its listener: never leave it one to a freed object.
    if (m_listening)
        m_controller.SetListener(nullptr);
}

void CProfileCapture::OnProfileLoaded(IXmlObject* root) {
    if (root)
        root->Release();
}

void CProfileCapture::OnProfileError(const wchar_t* /*message*/) {}

bool CProfileCapture::IsExcludedKey(const wchar_t* key) {
    for (const wchar_t* excluded : kExcludedKeys) {
        if (std::wcscmp(excluded, key) == 0)
            return true;
    }
    return false;
}

// The endpoint's name, or an empty text for a code that names no endpoint.
std::wstring CProfileCapture::GetEndpointTypeName(int32_t endpointCode) {
    std::wstring name = EndpointCodeToName(endpointCode);
    return name == L"Unknown" ? std::wstring() : name;
}

int CProfileCapture::WriteProfileObject(const std::wstring& path) {
    if (path.empty())
        return 0;
    m_controller.SetListener(this);
    m_listening = true;
    XmlObjectPtr root(m_controller.CreateObject(L"Profile"));
    if (!root)
        return 0;
    root->SetName(L"Profile", nullptr);
    root->SetAttribute(L"Name", L"UserDefine");
    CaptureEndpoints(root.get());
    return m_controller.Save(path.c_str(), root.get());
}

void CProfileCapture::CaptureEndpoints(IXmlObject* root) {
    if (!root)
        return;
    std::vector<int32_t> codes;
    m_driver.AppendDefaultRenderCode(codes);
    for (int32_t code : codes) {
        std::unique_ptr<IXmlObject, ReleaseElement> endpoint(m_controller.CreateObject(L"Endpoint"));
        if (!endpoint)
            continue;
        if (m_driver.GetDeviceKindByName(m_driver.EndpointCodeToName(code)) != 1)
            continue;
        const DeviceKindRow* kind = FindDeviceKind(code);
        endpoint->SetName(L"Endpoint", root);
        endpoint->SetAttribute(L"Name", kind ? kind->name : L"");
        endpoint->SetAttribute(L"DataFlow", kind ? kind->flow : L"");
        IXmlObject* element = endpoint.release();
        root->AddChild(element);

        FeatureMap features;
        for (int32_t row = 0; row < kControlPropertyRowCount; ++row) {
            IXmlObject* effect = CaptureApoEffects(element, code, row, features);
            if (!effect || IsExcludedKey(g_ControlPropertyTable[row].Key))
                continue;
            WritePropertyValue(code, effect, row, 0);
        }
    }
}

IXmlObject* CProfileCapture::CaptureApoEffects(IXmlObject* endpoint, int32_t endpointCode, int32_t rowIndex,
                                               FeatureMap& features) {
    if (!endpoint || rowIndex < 0 || rowIndex >= kControlPropertyRowCount)
        return nullptr;
    const ControlPropertyRow& row = g_ControlPropertyTable[rowIndex];
    if (!(row.EndpointMask & DeviceTypeToMask(endpointCode)))
        return nullptr;
    const std::wstring feature = GetEndpointTypeName(endpointCode) + row.Feature;
    if (!m_driver.IsFeatureSupported(feature))
        return nullptr;
    if (auto found = features.find(feature); found != features.end())
        return found->second;
    IXmlObject* effect = m_controller.CreateObject(L"ApoEffect");
    if (!effect)
        return nullptr;
    effect->SetName(L"ApoEffect", endpoint);
    effect->SetAttribute(L"Name", feature.c_str());
    endpoint->AddChild(effect);
    features.emplace(feature, effect);
    return effect;
}

int32_t CProfileCapture::WritePropertyValue(int32_t endpointCode, IXmlObject* parent, int32_t rowIndex,
                                            int32_t channel) {
    if (!parent || rowIndex < 0 || rowIndex >= kControlPropertyRowCount)
        return -1;
    const ControlPropertyRow& row = g_ControlPropertyTable[rowIndex];
    PropertyTexts texts;
    int32_t result = 0;
    if (!(row.Flags & kControlRowDevice)) {
        int32_t value = 0;
        result = m_driver.GetEndpointProperty(endpointCode, row.Key, &value, kValueInt, kDefaultNumberSize, nullptr, 0,
                                              0, true, false);
        texts.uiName = row.Key;
        FormatString(texts.value, L"%ld", static_cast<long>(value));
    } else if (row.ValueKind == kControlValueFloat) {
        float value = 0.0f;
        int32_t arguments = channel;
        result = m_driver.GetEndpointProperty(endpointCode, row.Key, &value, kValueFloat, kDefaultNumberSize,
                                              &arguments, kValueInt, 0, true, false);
        texts.name = row.Key;
        FormatString(texts.value, L"%f", static_cast<double>(value));
        FormatString(texts.args, L"%d", channel);
    } else {
        // 16-bit rows too: the driver converts the device's decimal text into the wider place just as well.
        int32_t value = 0;
        result = m_driver.GetEndpointProperty(endpointCode, row.Key, &value, kValueInt, kDefaultNumberSize, nullptr, 0,
                                              0, true, false);
        texts.name = row.Key;
        FormatString(texts.value, L"%ld", static_cast<long>(value));
    }
    if (result != 0)
        return result;

    IXmlObject* property = m_controller.CreateObject(L"Property");
    if (!property)
        return -1;
    property->SetName(L"Property", parent);
    property->SetAttribute(L"Name", texts.name.c_str());
    property->SetAttribute(L"Value", texts.value.c_str());
    property->SetAttribute(L"UIName", texts.uiName.c_str());
    property->SetAttribute(L"ValueType", L"");
    property->SetAttribute(L"Args", texts.args.c_str());
    property->SetAttribute(L"ArgsType", L"");
    parent->AddChild(property);
    return 0;
}
