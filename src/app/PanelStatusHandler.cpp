#include "app/PanelStatusHandler.h"

#include <cstdio>
#include <set>
#include <string_view>
#include <utility>

#include "driver/IDriverInstance.h"
#include "driver/PropertyValue.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

namespace {

using namespace oc::driver;

constexpr wchar_t kRenderMethod[] = L"Render_Method";
constexpr wchar_t kCaptureMethod[] = L"Capture_Method";
constexpr wchar_t kRateText[] = L"KHzVaule";
constexpr wchar_t kChannelKey[] = L"DevChannelNumControl";
constexpr wchar_t kRateKey[] = L"DevSampleRateControl";
constexpr wchar_t kMicEcho[] = L"Enable_MICECHO";
constexpr wchar_t kMagicVoice[] = L"Enable_MAGICVOICE";
constexpr wchar_t kHpSpeakerSurround[] = L"Enable_KESTAL_HPSPK_LFX";
constexpr wchar_t kHpSpeakerUseHp[] = L"KESTAL_HPSPK_USEHP";
constexpr wchar_t kSurroundHeadPhoneFeature[] = L"VimoSurroundHeadPhone";
// Without a readable channel count the device is taken for stereo.
constexpr int kDefaultChannels = 2;
// Icons of a group stack three to a column; a full column moves the next one this far right.
constexpr int kRowsPerColumn = 3;
constexpr int kColumnStep = 25;

struct EndpointText {
    const wchar_t* endpoint;
    const wchar_t* text;
    const wchar_t* control;
};

const EndpointText kEndpointTexts[] = {
    {L"Speaker", L"Speakers Out", kRenderMethod},
    {L"SpeakerQuarter", L"Speakers Out", kRenderMethod},
    {L"HeadPhone", L"HeadPhone", kRenderMethod},
    {L"SPDIFOut", L"SPDIF Out", kRenderMethod},
    {L"HDMI", L"HDMI", kRenderMethod},
    {L"MicIn", L"Mic In", kCaptureMethod},
    {L"SPDIFIn", L"SPDIF In", kCaptureMethod},
    {L"SPDIFInRCA", L"SPDIF In", kCaptureMethod},
    {L"LineIn", L"Line in", kCaptureMethod},
    {L"StereoMix", L"Stereo Mix", kCaptureMethod},
    {L"DesktopMic", L"Desktop Mic", kCaptureMethod},
};

struct ChannelRow {
    const wchar_t* count;
    const wchar_t* icon;
    const wchar_t* separator; // shown before the icon; null for the first
};

const ChannelRow kChannelRows[] = {
    {L"2", L"2", nullptr},
    {L"4", L"4", L"2/"},
    {L"6", L"5.1", L"4/"},
    {L"8", L"7.1", L"5.1/"},
};

struct RateUnit {
    const wchar_t* hundreds; // the rate divided by 100
    const wchar_t* control;
};

const RateUnit kRateUnits[] = {
    {L"441", L"KHz2"}, {L"480", L"KHz3"}, {L"882", L"KHz2"}, {L"960", L"KHz3"}, {L"1764", L"KHz"}, {L"1920", L"KHz2"},
};

struct EffectRow {
    const wchar_t* key;
    const wchar_t* code;
    const wchar_t* feature;
};

// Rows 11 to 39; the first eleven rows of the table are the endpoint names above.
const EffectRow kEffectRows[] = {
    {L"Enable_MICECHO", L"CX", L"Karaoke"},
    {L"Enable_MAGICVOICE", L"MV", L"VimoMagicVoice"},
    {L"Enable_MICARRAY_LFX", L"BF", L"BeamForming"},
    {L"Enable_ENC_LFX", L"ENC", L"ENC"},
    {L"Enable_AEC_LFX", L"AEC", L"AEC"},
    {L"Enable_NOISEREDUCTION_LFX", L"NR", L"NoiseReduction"},
    {L"Enable_EQ_GFX", L"EQ", L"EQ"},
    {L"Enable_RFX_GFX", L"EM", L"EM"},
    {L"Enable_SS_LFX", L"VSS", L"Virtual"},
    {L"Enable_KEYSHIFT_GFX", L"KS", L"Karaoke"},
    {L"Enable_VOCALCANCEL_GFX", L"VF", L"Karaoke"},
    {L"Enable_BM_GFX", L"SR", L"Subroute"},
    {L"Enable_KESTAL_HPSPK_LFX", L"ZSS", L"VimoSurroundSpeakers"},
    {L"Enable_KESTAL_HPSPK_LFX", L"ZSH", L"VimoSurroundHeadPhone"},
    {L"EnableVirtualSurroundEffect", L"VirtualVimoSurroundHP", L"VirtualVimoSurroundHeadPhone"},
    {L"Enable_Channel_COPY_LFX", L"SPL", L"Spaceline"},
    {L"Enable_AUDIOBRILLIANT_LFX", L"AB", L"VimoAudioBrilliant"},
    {L"Enable_VIRTUALBASS_LFX", L"DB", L"VimoDynamicBass"},
    {L"Enable_ADAPTIVEVOLUME_GFX", L"SVN", L"VimoSmartVolume"},
    {L"Enable_VOICECLARITY_LFX", L"VC", L"VimoVoiceClarity"},
    {L"Enable_DHDVS_LFX", L"DS", L"DolbyHPVS"},
    {L"Enable_DHV2_LFX", L"DS", L"DolbyHPV2"},
    {L"EnableVirtualSurroundEffect", L"VirtualDolbyHP", L"VirtualDolbyHPVS"},
    {L"EnableVirtualSurroundEffect", L"VirtualDolbyHPV2", L"VirtualDolbyHPV2"},
    {L"Enable_PLIIX_LFX", L"PLIIX", L"DolbyPLIIx"},
    {L"DolbyDigitalLiveControl", L"DL", L"IsSupportDolbyDigitalLive"},
    {L"Enable_SURRSENS_LFX", L"SS", L"DTSSS"},
    {L"Enable_NEOPC_LFX", L"Neo:PC", L"DTSNeoPC"},
    {L"DTSInteractiveControl", L"Interactive", L"IsSupportDTSInteractive"},
};
static_assert(std::size(kEffectRows) ==
              CPanelStatusHandler::kEffectRowCount - CPanelStatusHandler::kFirstCaptureEffectRow);

// How a lit effect depends on the channel count: some only make sense on a stereo signal, the upmixers
// only with more than two channels.
enum class ChannelRule { None, FewerThanThree, MoreThanTwo };

struct ChannelRuleRow {
    const wchar_t* key;
    ChannelRule rule;
};

const ChannelRuleRow kChannelRules[] = {
    {L"Enable_DHDVS_LFX", ChannelRule::FewerThanThree},
    {L"Enable_SURRSENS_LFX", ChannelRule::FewerThanThree},
    {L"Enable_PLIIX_LFX", ChannelRule::MoreThanTwo},
    {L"Enable_NEOPC_LFX", ChannelRule::MoreThanTwo},
};

struct EffectGroup {
    const wchar_t* group;
    const wchar_t* codes;
    const wchar_t* wrapPanel;
};

const EffectGroup kEffectGroups[] = {
    {L"Out", L"EQ|EM|VSS|SR|KS|VF|ZSS|ZSH|VirtualVimoSurroundHP|AB|DB|SVN|VC|SPL", L"OutWrapPanel"},
    {L"In", L"CX|ENC|AEC|BF|NR", L"InWrapPanel"},
    {L"Dolby", L"DS|VirtualDolbyHP|VirtualDolbyHPV2|PLIIX|DL", L"DolbyWrapPanel"},
    {L"dts", L"SS|Neo:PC|Interactive", L"DTSWrapPanel"},
};

struct MaskRow {
    int32_t code;
    uint32_t mask;
};

const MaskRow kEndpointMasks[] = {{2, 16}, {3, 32}, {4, 4}, {7, 2}, {8, 64}, {10, 128}, {12, 512}, {104, 8}};

const EffectRow& Effect(int row) {
    return kEffectRows[row - CPanelStatusHandler::kFirstCaptureEffectRow];
}

bool IsCaptureRow(int row) {
    return row < CPanelStatusHandler::kFirstRenderEffectRow;
}

ChannelRule RuleOf(std::wstring_view key) {
    for (const auto& row : kChannelRules) {
        if (key == row.key)
            return row.rule;
    }
    return ChannelRule::None;
}

// Reads an integer property; false when the driver answers anything but success.
using Reader = int32_t (IDriverInstance::*)(const wchar_t*, void*, int32_t, uint32_t, void*, int32_t, uint32_t, bool,
                                            bool);

bool ReadInt(IDriverInstance* driver, Reader reader, const wchar_t* key, int32_t* value, uint32_t size = 4) {
    int32_t read = 0;
    if ((driver->*reader)(key, &read, kValueInt, size, nullptr, 0, 0, false, false) != kDriverOk)
        return false;
    *value = read;
    return true;
}

void SetVisible(CxSkinCtrl* control, bool visible) {
    if (control)
        control->SetVisible(visible ? TRUE : FALSE, TRUE);
}

} // namespace

CPanelStatusHandler::CPanelStatusHandler() {
    m_name = L"PanelStatus";
}

uint32_t CPanelStatusHandler::EndpointCodeToMask(int32_t endpointCode) {
    for (const auto& row : kEndpointMasks) {
        if (row.code == endpointCode)
            return row.mask;
    }
    return 1;
}

void CPanelStatusHandler::Initialize() {
    UpdateMethodText();
    UpdateChannelIcon();
    UpdateSampleRateText();
    UpdateEffectIcons();
    LayoutEffectGroups();
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

void CPanelStatusHandler::ClosePanel() {
    FillControlTexts(m_owner, true);
}

void CPanelStatusHandler::UpdateMethodText() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return;
    const std::wstring names[] = {driver->GetDefaultRenderEndpointName(), driver->GetDefaultCaptureEndpointName()};
    const wchar_t* controls[] = {kRenderMethod, kCaptureMethod};
    for (int i = 0; i < 2; ++i) {
        CxSkinCtrl* control = FindControl(controls[i]);
        if (!control)
            continue;
        if (names[i].empty()) {
            control->SetText(std::wstring());
            continue;
        }
        for (const auto& row : kEndpointTexts) {
            if (names[i] == row.endpoint) {
                control->SetText(row.text);
                break;
            }
        }
    }
}

int CPanelStatusHandler::ReadRenderChannels() const {
    IDriverInstance* driver = GetDriver();
    int32_t channels = kDefaultChannels;
    if (!driver || !ReadInt(driver, &IDriverInstance::GetDefaultRenderProperty, kChannelKey, &channels, 2))
        return kDefaultChannels;
    return channels;
}

CxSkinCtrl* CPanelStatusHandler::UpdateChannelIcon() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return nullptr;
    const std::wstring channelText = std::to_wstring(ReadRenderChannels());
    const int possible = static_cast<int>(driver->GetChannelCount(0));
    CxSkinCtrl* last = nullptr;
    for (int row = 0; row < static_cast<int>(std::size(kChannelRows)); ++row) {
        const ChannelRow& channel = kChannelRows[row];
        const bool visible = row < possible / 2;
        if (CxSkinCtrl* icon = FindControl(channel.icon)) {
            icon->SetVisible(visible ? TRUE : FALSE, TRUE);
            icon->Enable(channelText == channel.count ? TRUE : FALSE, FALSE);
            last = icon;
        }
        if (channel.separator)
            SetVisible(FindControl(channel.separator), visible);
    }
    return last;
}

void CPanelStatusHandler::UpdateSampleRateText() {
    IDriverInstance* driver = GetDriver();
    int32_t rate = 0;
    const bool known = driver && ReadInt(driver, &IDriverInstance::GetDefaultRenderProperty, kRateKey, &rate);
    // A rate of zero or below is no rate a device runs at: shown as unknown rather than as "0" or "-4.-4".
    const long hundreds = known && rate > 0 ? rate / 100 : 0;
    const std::wstring hundredsText = std::to_wstring(hundreds);
    std::set<std::wstring> shown;
    for (const auto& unit : kRateUnits) {
        CxSkinCtrl* control = FindControl(unit.control);
        if (hundreds > 0 && hundredsText == unit.hundreds) {
            SetVisible(control, true);
            shown.insert(unit.control);
        } else if (!shown.count(unit.control)) {
            SetVisible(control, false);
        }
    }
    CxSkinCtrl* text = FindControl(kRateText);
    if (!text)
        return;
    if (hundreds <= 0) {
        text->SetText(std::wstring());
        return;
    }
    wchar_t buffer[32];
    const long digit = hundreds % 10;
    if (digit == 0)
        swprintf(buffer, std::size(buffer), L"%ld", hundreds / 10);
    else
        swprintf(buffer, std::size(buffer), L"%ld.%d", hundreds / 10, static_cast<int>(digit));
    text->SetText(buffer);
}

bool CPanelStatusHandler::IsEffectAvailable(int row) const {
    IDriverInstance* driver = GetDriver();
    if (!driver || row < kFirstCaptureEffectRow || row >= kEffectRowCount)
        return false;
    const std::wstring endpoint =
        IsCaptureRow(row) ? driver->GetDefaultCaptureEndpointName() : driver->GetDefaultRenderEndpointName();
    return !endpoint.empty() && driver->IsFeatureSupported(endpoint + Effect(row).feature) != 0;
}

int CPanelStatusHandler::GetEffectIconIndex(int row) const {
    IDriverInstance* driver = GetDriver();
    if (!driver || row < kFirstCaptureEffectRow || row >= kEffectRowCount)
        return 0;
    const EffectRow& effect = Effect(row);
    int32_t value = 0;
    if (IsCaptureRow(row)) {
        const Reader read = &IDriverInstance::GetDefaultCaptureProperty;
        if (ReadInt(driver, read, effect.key, &value) && value != 0)
            return value;
        // Echo and the magic voice share one place: either lights it.
        int32_t magic = 0;
        if (std::wstring_view(effect.key) == kMicEcho && ReadInt(driver, read, kMagicVoice, &magic))
            return magic;
        return 0;
    }
    const Reader read = &IDriverInstance::GetDefaultRenderProperty;
    if (!ReadInt(driver, read, effect.key, &value) || value == 0)
        return 0;
    const int channels = ReadRenderChannels();
    if (std::wstring_view(effect.key) == kHpSpeakerSurround) {
        // One switch, two icons: the headphone flag says which of them the effect runs as.
        int32_t useHeadPhone = 0;
        if (channels != 2 || !ReadInt(driver, read, kHpSpeakerUseHp, &useHeadPhone))
            return 0;
        const bool headPhoneRow = std::wstring_view(effect.feature) == kSurroundHeadPhoneFeature;
        return (useHeadPhone == 1) == headPhoneRow ? 1 : 0;
    }
    switch (RuleOf(effect.key)) {
    case ChannelRule::FewerThanThree:
        return channels < 3 ? value : 0;
    case ChannelRule::MoreThanTwo:
        return channels > 2 ? value : 0;
    case ChannelRule::None:
        break;
    }
    return value;
}

void CPanelStatusHandler::UpdateEffectIcons() {
    for (int row = kFirstCaptureEffectRow; row < kEffectRowCount; ++row) {
        CxSkinCtrl* icon = FindControl(Effect(row).code);
        if (!icon)
            continue;
        const bool available = IsEffectAvailable(row);
        icon->SetVisible(available ? TRUE : FALSE, TRUE);
        if (available)
            icon->Enable(GetEffectIconIndex(row) != 0 ? TRUE : FALSE, FALSE);
    }
}

void CPanelStatusHandler::LayoutEffectGroups() {
    CxSkinCtrl* magicVoice = FindControl(L"MV");
    for (const auto& group : kEffectGroups) {
        CxSkinCtrl* wrap = FindControl(group.wrapPanel);
        const int rowHeight = wrap ? wrap->GetHeight() / kRowsPerColumn : 0;
        int x = 0;
        int rowIndex = 0;
        bool anyPlaced = false;
        std::wstring_view codes = group.codes;
        while (!codes.empty()) {
            const size_t bar = codes.find(L'|');
            const std::wstring code(codes.substr(0, bar));
            codes = bar == std::wstring_view::npos ? std::wstring_view() : codes.substr(bar + 1);
            CxSkinCtrl* icon = FindControl(code);
            const bool taken = (icon && icon->IsVisible()) || (code == L"CX" && magicVoice && magicVoice->IsVisible());
            if (!taken)
                continue;
            anyPlaced = true;
            if (icon)
                icon->MoveTo(x, rowHeight * rowIndex);
            if (++rowIndex == kRowsPerColumn) {
                rowIndex = 0;
                x += kColumnStep;
            }
        }
        SetVisible(FindControl(group.group), anyPlaced);
    }
}

int CPanelStatusHandler::RefreshUI() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return 0;
    // A value differs when the device's answer and the cached one disagree, in result or in value.
    auto differs = [](auto&& read) {
        int32_t fresh = 0, cached = 0;
        const int32_t freshResult = read(&fresh, false);
        const int32_t cachedResult = read(&cached, true);
        return freshResult != cachedResult || (freshResult == kDriverOk && fresh != cached);
    };
    // The channel count is a 2-byte value, the rate a 4-byte one.
    const std::pair<const wchar_t*, uint32_t> formatKeys[] = {{kChannelKey, 2}, {kRateKey, 4}};
    for (const auto& [key, size] : formatKeys) {
        if (differs([&](int32_t* value, bool fromCache) {
                return driver->GetDefaultRenderProperty(key, value, kValueInt, size, nullptr, 0, 0, false, fromCache);
            }))
            return 1;
    }
    const int32_t renderCode = driver->EndpointPrefixToCode(driver->GetDefaultRenderEndpointName());
    const int32_t captureCode = driver->EndpointPrefixToCode(driver->GetDefaultCaptureEndpointName());
    for (int row = kFirstCaptureEffectRow; row < kEffectRowCount; ++row) {
        const EffectRow& effect = Effect(row);
        if (!FindControl(effect.code) || !IsEffectAvailable(row))
            continue;
        const int32_t code = IsCaptureRow(row) ? captureCode : renderCode;
        std::wstring_view keys[2] = {effect.key, {}};
        if (keys[0] == kMicEcho)
            keys[1] = kMagicVoice;
        else if (keys[0] == kHpSpeakerSurround)
            keys[1] = kHpSpeakerUseHp;
        for (std::wstring_view key : keys) {
            if (key.empty())
                continue;
            const std::wstring name(key);
            if (differs([&](int32_t* value, bool fromCache) {
                    return driver->GetEndpointProperty(code, name.c_str(), value, kValueInt, 4, nullptr, 0, 0, false,
                                                       fromCache);
                }))
                return 1;
        }
    }
    return 0;
}

void CPanelStatusHandler::OnControlChanged(const std::wstring& /*text*/, const std::wstring& propertyKey) {
    if (propertyKey.empty()) {
        Initialize();
        return;
    }
    if (propertyKey == kChannelKey) {
        UpdateChannelIcon();
        UpdateEffectIcons();
        // The icon of the old count goes dark as the new one lights, and effects tied to the count (the
        // up-mixers, the stereo-only ones) change with them: the whole panel is drawn again, not one icon.
        if (m_owner)
            m_owner->Invalidate(FALSE);
        return;
    }
    if (propertyKey == kRateKey) {
        UpdateSampleRateText();
        if (CxSkinCtrl* text = FindControl(kRateText))
            text->Redraw(FALSE);
        return;
    }
    CxSkinCtrl* last = nullptr;
    for (int row = kFirstCaptureEffectRow; row < kEffectRowCount; ++row) {
        if (propertyKey != Effect(row).key)
            continue;
        if (CxSkinCtrl* icon = FindControl(Effect(row).code)) {
            icon->Enable(GetEffectIconIndex(row) != 0 ? TRUE : FALSE, FALSE);
            last = icon;
        }
    }
    if (last)
        last->Redraw(FALSE);
}
