#include "handlers/effects/SubrouteHandler.h"

#include "driver/IDriverInstance.h"
#include "handlers/PageKeys.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinComboBox.h"
#include "skin/IxSkinSlider.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

namespace {

constexpr wchar_t kEnableKey[] = L"Enable_BM_GFX";
constexpr wchar_t kFrequencyKey[] = L"BM_Slider_Frequency";
constexpr wchar_t kBassLevelKey[] = L"BM_Slider_BassLevel";
constexpr wchar_t kLargeKey[] = L"BM_LargeSpeaker";
constexpr wchar_t kChannelKey[] = L"DevChannelNumControl";
// The device holds the bass level shifted so that the slider's -12 is 0.
constexpr int32_t kBassLevelOffset = 12;

// Speakers in flag order; the bit is the speaker's position in the multichannel channel mask.
struct Speaker {
    const wchar_t* small;
    const wchar_t* large;
    uint32_t bit;
    int minChannels; // shown from this channel count on (0: always)
};
constexpr Speaker kSpeakers[CSubrouteHandler::kSpeakerCount] = {
    {L"FrontL", L"FrontL_LARGE", 0x1, 0},   {L"Center", L"Center_LARGE", 0x4, 6},
    {L"FrontR", L"FrontR_LARGE", 0x2, 0},   {L"SideLS", L"SideLS_LARGE", 0x200, 8},
    {L"SideRS", L"SideRS_LARGE", 0x400, 8}, {L"BackLB", L"BackLB_LARGE", 0x10, 4},
    {L"BackRB", L"BackRB_LARGE", 0x20, 4},
};

// The pair combos: the speaker whose flag the combo shows, its title and the channel count it needs.
struct PairCombo {
    const wchar_t* combo;
    const wchar_t* title; // null: none
    int speaker;
    int minChannels;
};
constexpr PairCombo kCombos[] = {
    {L"FrontLR", nullptr, 0, 0},
    {L"BackLR", L"ComboxTitle_LbRb", 5, 4},
    {L"CenterCombox", L"ComboxTitle_C", 1, 6},
    {L"SideLR", L"ComboxTitle_LsRs", 3, 8},
};

// Polled after the switch, while it is on.
constexpr const wchar_t* kWatchedWhileOn[] = {kBassLevelKey, kFrequencyKey, kLargeKey};

constexpr uintkey::Default kDefaults[] = {
    {kEnableKey, 0}, {kFrequencyKey, 100}, {kBassLevelKey, kBassLevelOffset}, {kLargeKey, 0}};

// Counts other than 2, 4 and 6 keep every speaker.
bool IsInLayout(int channels, int minChannels) {
    if (channels != 2 && channels != 4 && channels != 6)
        return true;
    return channels >= minChannels;
}

} // namespace

uint32_t CSubrouteHandler::MaskOf(const uint32_t (&large)[kSpeakerCount]) {
    uint32_t mask = 0;
    for (int i = 0; i < kSpeakerCount; ++i) {
        if (large[i] == 1)
            mask |= kSpeakers[i].bit;
    }
    return mask;
}

void CSubrouteHandler::ShowControl(const wchar_t* name, bool shown, BOOL redraw) {
    if (CxSkinCtrl* control = FindControl(name))
        control->SetVisible(shown, redraw);
}

void CSubrouteHandler::LoadDriverValues() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return;
    uintkey::Read(driver, kEnableKey, m_enable, true, false);
    uintkey::Read(driver, kFrequencyKey, m_cutoff, true, false);
    uint32_t value = 0;
    if (uintkey::Read(driver, kBassLevelKey, value, true, false))
        m_bassLevel = static_cast<int32_t>(value) - kBassLevelOffset;
    if (uintkey::Read(driver, kLargeKey, value, true, false)) {
        for (int i = 0; i < kSpeakerCount; ++i)
            m_large[i] = (value & kSpeakers[i].bit) != 0 ? 1 : 0;
    }
    if (uintkey::Read(driver, kChannelKey, value, true, false, kChannelCountSize))
        m_channels = static_cast<int>(value & 0xFFFF);
}

void CSubrouteHandler::LayOutSpeakers() {
    for (int i = 0; i < kSpeakerCount; ++i) {
        CxSkinCtrl* small = FindControl(kSpeakers[i].small);
        CxSkinCtrl* large = FindControl(kSpeakers[i].large);
        if (!small || !large)
            continue;
        const bool inLayout = IsInLayout(m_channels, kSpeakers[i].minChannels);
        large->SetVisible(inLayout && m_large[i] == 1, FALSE);
        small->SetVisible(inLayout && m_large[i] == 0, FALSE);
    }
}

void CSubrouteHandler::ShowCombos() {
    for (const PairCombo& row : kCombos) {
        auto* combo = dynamic_cast<IxSkinComboBox*>(FindControl(row.combo));
        if (!combo)
            continue;
        combo->SetCurSel(m_large[row.speaker] != 0 ? 1 : 0, FALSE);
        if (row.minChannels == 0)
            continue;
        const bool shown = m_channels >= row.minChannels;
        ShowControl(row.combo, shown, FALSE);
        ShowControl(row.title, shown, FALSE);
    }
}

void CSubrouteHandler::InitControls() {
    LoadDriverValues();
    if (auto* button = dynamic_cast<IxSkinButton*>(FindControl(L"BtnEnableSubroute")))
        button->SetCheck(m_enable != 0, FALSE);
    if (auto* slider = dynamic_cast<IxSkinSlider*>(FindControl(L"BassLevel")))
        slider->SetPos(static_cast<float>(m_bassLevel), FALSE);
    if (auto* slider = dynamic_cast<IxSkinSlider*>(FindControl(L"CutFrequency")))
        slider->SetPos(static_cast<float>(m_cutoff), FALSE);
    LayOutSpeakers();
    ShowCombos();
    ShowControl(L"ImgWoofer", m_channels >= 6, FALSE);
    for (const wchar_t* part : {L"MainContent", L"SR_Logo"}) {
        if (CxSkinCtrl* control = FindControl(part))
            control->Enable(m_enable != 0, FALSE);
    }
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CSubrouteHandler::SetEnable(uint32_t on) {
    if (!uintkey::Write(GetDriver(), kEnableKey, on))
        return 0;
    m_enable = on;
    InitControls();
    AnnounceChange(*this, kEnableKey, 1);
    return 1;
}

int CSubrouteHandler::SetCutoffFrequency(uint32_t value) {
    if (!uintkey::Write(GetDriver(), kFrequencyKey, value))
        return 0;
    AnnounceChange(*this, kFrequencyKey, 0);
    m_cutoff = value;
    return 1;
}

int CSubrouteHandler::SetBassLevel(int32_t value) {
    if (!uintkey::Write(GetDriver(), kBassLevelKey, static_cast<uint32_t>(value + kBassLevelOffset)))
        return 0;
    AnnounceChange(*this, kBassLevelKey, 0);
    m_bassLevel = value;
    return 1;
}

int CSubrouteHandler::SetSpeakerLarge(int speaker, uint32_t large) {
    if (speaker < 0 || speaker >= kSpeakerCount)
        return 0;
    // The flag is kept even when the write fails, so the next mask written carries the user's choice.
    m_large[speaker] = large;
    if (!uintkey::Write(GetDriver(), kLargeKey, MaskOf(m_large)))
        return 0;
    ShowControl(kSpeakers[speaker].small, large == 0, FALSE);
    ShowControl(kSpeakers[speaker].large, large == 1, TRUE);
    AnnounceChange(*this, kLargeKey, 0);
    return 1;
}

int CSubrouteHandler::SetFrontLarge(int index) {
    const uint32_t large = index != 0 ? 1 : 0;
    SetSpeakerLarge(0, large);
    return SetSpeakerLarge(2, large);
}

int CSubrouteHandler::SetSideLarge(int index) {
    const uint32_t large = index != 0 ? 1 : 0;
    SetSpeakerLarge(3, large);
    return SetSpeakerLarge(4, large);
}

int CSubrouteHandler::SetBackLarge(int index) {
    const uint32_t large = index != 0 ? 1 : 0;
    SetSpeakerLarge(5, large);
    return SetSpeakerLarge(6, large);
}

int CSubrouteHandler::SetCenterLarge(int index) {
    return SetSpeakerLarge(1, index != 0 ? 1 : 0);
}

int CSubrouteHandler::OnClick(const std::wstring& name) {
    if (name == L"BtnEnableSubroute")
        SetEnable(m_enable == 0 ? 1 : 0);
    return 1;
}

int CSubrouteHandler::OnSliderChanged(const std::wstring& name, float value, int) {
    // Every move writes; the position is truncated toward zero.
    if (name == L"BassLevel") {
        SetBassLevel(static_cast<int32_t>(value));
        return 1;
    }
    if (name == L"CutFrequency") {
        SetCutoffFrequency(static_cast<uint32_t>(static_cast<int32_t>(value)));
        return 1;
    }
    return 0;
}

int CSubrouteHandler::OnSelChange(const std::wstring& name, int index) {
    using Setter = int (CSubrouteHandler::*)(int);
    const struct {
        const wchar_t* combo;
        Setter set;
    } rows[] = {
        {L"FrontLR", &CSubrouteHandler::SetFrontLarge},
        {L"BackLR", &CSubrouteHandler::SetBackLarge},
        {L"CenterCombox", &CSubrouteHandler::SetCenterLarge},
        {L"SideLR", &CSubrouteHandler::SetSideLarge},
    };
    for (const auto& row : rows) {
        if (name == row.combo)
            return (this->*row.set)(index);
    }
    return 1;
}

int CSubrouteHandler::UpdateFromDriver() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return 0;
    // The default render endpoint's 16-bit channel count, in the low half.
    uint32_t liveCount = 0;
    uint32_t cachedCount = 0;
    driver->GetDefaultRenderProperty(kChannelKey, &liveCount, kValueUInt, kChannelCountSize, nullptr, 0, 0, false,
                                     false);
    driver->GetDefaultRenderProperty(kChannelKey, &cachedCount, kValueUInt, kChannelCountSize, nullptr, 0, 0, false,
                                     true);
    if (static_cast<uint16_t>(liveCount) != static_cast<uint16_t>(cachedCount))
        return 1;
    return uintkey::SwitchOrSettingsChanged(driver, kEnableKey, kWatchedWhileOn) ? 1 : 0;
}

void CSubrouteHandler::InitDefaults(IDriverInstance* driver, int32_t endpointCode) {
    uintkey::WriteDefaults(driver, endpointCode, kEnableKey, kDefaults);
}
