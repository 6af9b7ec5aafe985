#include "handlers/effects/MicInKaraokeHandler.h"

#include "app/HandlerServices.h"
#include "driver/IDriverInstance.h"
#include "handlers/PageKeys.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinSlider.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinRadioButton.h"

namespace {

constexpr wchar_t kEchoSwitchKey[] = L"Enable_MICECHO";
constexpr wchar_t kEchoLevelKey[] = L"MICECHO_Level";
constexpr wchar_t kMagicSwitchKey[] = L"Enable_MAGICVOICE";
constexpr wchar_t kVoiceKey[] = L"MagicVoice_Selection";
constexpr wchar_t kEchoCanvas[] = L"CanvasMicEcho";
constexpr wchar_t kMagicCanvas[] = L"CanvasMagicVoice";

} // namespace

// A group's switch key and where the page keeps its state and whether the device offers it.
struct CMicInKaraokeHandler::Group {
    const wchar_t* switchKey;
    uint32_t CMicInKaraokeHandler::*on;
    int32_t CMicInKaraokeHandler::*supported;
};

const CMicInKaraokeHandler::Group CMicInKaraokeHandler::kEchoGroup = {kEchoSwitchKey, &CMicInKaraokeHandler::m_echoOn,
                                                                      &CMicInKaraokeHandler::m_echoSupported};
const CMicInKaraokeHandler::Group CMicInKaraokeHandler::kMagicGroup = {
    kMagicSwitchKey, &CMicInKaraokeHandler::m_magicOn, &CMicInKaraokeHandler::m_magicSupported};

const wchar_t* const CMicInKaraokeHandler::kMagicVoiceButtons[4] = {L"BtnMonster", L"BtnCartoon", L"BtnMan",
                                                                    L"BtnWoman"};
const wchar_t* const CMicInKaraokeHandler::kEchoTickNames[4] = {L"Tick", L"Low", L"Defaul", L"High"};

CMicInKaraokeHandler::CMicInKaraokeHandler() {
    m_name = L"MicInKaraokeHandler";
}

int CMicInKaraokeHandler::Read(const wchar_t* key, int32_t type, uint32_t& value) const {
    IDriverInstance* driver = GetDriver();
    value = 0;
    return driver && driver->GetProperty(key, &value, type, kDefaultNumberSize, nullptr, 0, 0, true, false) == 0;
}

bool CMicInKaraokeHandler::Write(const wchar_t* key, int32_t type, uint32_t value) const {
    IDriverInstance* driver = GetDriver();
    return driver && driver->SetProperty(key, &value, type, kDefaultNumberSize, nullptr, 0, 0) == 0;
}

void CMicInKaraokeHandler::InitControls() {
    LoadDriverValues();
    ApplyControlStates(true, true);
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

void CMicInKaraokeHandler::LoadDriverValues() {
    IDriverInstance* driver = GetDriver();
    m_echoSupported = driver ? driver->IsFeatureSupported(L"SingingEcho") : 0;
    m_magicSupported = driver ? driver->IsFeatureSupported(L"MagicVoice") : 0;
    // A read that fails shows 0.
    if (m_echoSupported) {
        Read(kEchoSwitchKey, kValueUInt, m_echoOn);
        uint32_t level = 0;
        Read(kEchoLevelKey, kValueInt, level);
        m_echoLevel = static_cast<float>(static_cast<int32_t>(level));
    }
    if (m_magicSupported) {
        Read(kMagicSwitchKey, kValueUInt, m_magicOn);
        Read(kVoiceKey, kValueUInt, m_voice);
    }
}

void CMicInKaraokeHandler::ApplyControlStates(bool echoGroup, bool magicGroup) {
    if (echoGroup)
        ApplyEchoGroup();
    if (magicGroup)
        ApplyMagicGroup();
    ApplyLogos();
}

void CMicInKaraokeHandler::ApplyEchoGroup() {
    if (!m_echoSupported) {
        if (CxSkinCtrl* canvas = FindControl(kEchoCanvas))
            canvas->SetVisible(FALSE, TRUE);
        m_echoOn = 0;
        return;
    }
    const BOOL on = m_echoOn != 0;
    if (auto* button = dynamic_cast<IxSkinButton*>(FindControl(L"BtnEnableMircophoneEffects")))
        button->SetCheck(on, FALSE);
    if (CxSkinCtrl* slider = FindControl(L"EchoLevel")) {
        if (auto* s = dynamic_cast<IxSkinSlider*>(slider))
            s->SetPos(m_echoLevel, FALSE);
        slider->Enable(on, FALSE);
    }
    if (CxSkinCtrl* reset = FindControl(L"BtnMEReset"))
        reset->Enable(on, FALSE);
    for (const wchar_t* tick : kEchoTickNames) {
        if (CxSkinCtrl* control = FindControl(tick))
            control->Enable(on, FALSE);
    }
}

void CMicInKaraokeHandler::ApplyMagicGroup() {
    CxSkinCtrl* canvas = FindControl(kMagicCanvas);
    if (!canvas)
        return;
    canvas->SetVisible(m_magicSupported != 0, TRUE);
    if (!m_magicSupported) {
        m_magicOn = 0;
        return;
    }
    if (!m_echoSupported) {
        // The magic voice takes the hidden echo group's place when that lies higher.
        if (CxSkinCtrl* echo = FindControl(kEchoCanvas)) {
            const RECT echoRect = echo->GetRect();
            if (echoRect.top < canvas->GetRect().top)
                canvas->SetRect(echoRect, FALSE);
        }
    }
    const BOOL on = m_magicOn != 0;
    if (auto* button = dynamic_cast<IxSkinButton*>(FindControl(L"BtnEnableMagicVoice")))
        button->SetCheck(on, FALSE);
    for (uint32_t i = 0; i < 4; ++i) {
        CxSkinCtrl* control = FindControl(kMagicVoiceButtons[i]);
        if (!control)
            continue;
        control->Enable(on, FALSE);
        // A selection beyond the four voices selects none.
        if (i == m_voice) {
            if (auto* radio = dynamic_cast<CxSkinRadioButton*>(control))
                radio->Select(TRUE);
        }
    }
}

void CMicInKaraokeHandler::ApplyLogos() {
    if (CxSkinCtrl* logo = FindControl(L"MagicVoice_Logo")) {
        logo->Enable(m_magicOn != 0, FALSE);
        logo->SetVisible(m_magicOn != 0, FALSE);
    }
    if (CxSkinCtrl* logo = FindControl(L"MicEcho_Logo")) {
        logo->Enable(m_echoOn != 0, FALSE);
        logo->SetVisible(m_magicOn == 0, FALSE);
    }
}

int CMicInKaraokeHandler::SetEchoLevel(float position) {
    if (!Write(kEchoLevelKey, kValueInt, static_cast<uint32_t>(TruncatePosition(position))))
        return 0;
    m_echoLevel = position;
    return 1;
}

int CMicInKaraokeHandler::SetMagicVoice(uint32_t index) {
    if (!Write(kVoiceKey, kValueUInt, index))
        return 0;
    m_voice = index;
    return 1;
}

int CMicInKaraokeHandler::ToggleGroup(const Group& group, const Group& other) {
    uint32_t& on = this->*group.on;
    on = on == 0 ? 1 : 0;
    if (on == 1 && this->*other.supported) {
        this->*other.on = 0;
        Write(other.switchKey, kValueUInt, 0);
    }
    const bool written = Write(group.switchKey, kValueUInt, on);
    if (!written) {
        // The other group may already have been switched off: show both as the device now has them.
        LoadDriverValues();
        ApplyControlStates(true, true);
    } else {
        // The group itself; the other one too when this one came on and switched it off.
        const bool echo = &group == &kEchoGroup;
        ApplyControlStates(echo || on != 0, !echo || on != 0);
    }
    if (m_owner)
        m_owner->Invalidate(FALSE);
    AnnounceChange(*this, kMagicSwitchKey, 1);
    AnnounceChange(*this, kEchoSwitchKey, 1);
    return written ? 1 : 0;
}

int CMicInKaraokeHandler::EnableMicEcho() {
    return ToggleGroup(kEchoGroup, kMagicGroup);
}

int CMicInKaraokeHandler::EnableMagicVoice() {
    return ToggleGroup(kMagicGroup, kEchoGroup);
}

int CMicInKaraokeHandler::ResetEchoLevel() {
    if (!Write(kEchoLevelKey, kValueInt, 0))
        return 0;
    m_echoLevel = 0.0f;
    if (CxSkinCtrl* slider = FindControl(L"EchoLevel")) {
        if (auto* s = dynamic_cast<IxSkinSlider*>(slider))
            s->SetPos(0.0f, TRUE);
        slider->Enable(m_echoOn != 0, FALSE);
    }
    return 1;
}

int CMicInKaraokeHandler::UpdateFromDriver() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return 0;
    struct Pair {
        const wchar_t* feature;
        const wchar_t* switchKey;
        const wchar_t* valueKey;
    };
    static const Pair kPairs[] = {{L"SingingEcho", kEchoSwitchKey, kEchoLevelKey},
                                  {L"MagicVoice", kMagicSwitchKey, kVoiceKey}};
    for (const Pair& pair : kPairs) {
        if (!driver->IsFeatureSupported(pair.feature))
            continue;
        // Each group's value only while its switch is on.
        const wchar_t* const value[] = {pair.valueKey};
        if (uintkey::SwitchOrSettingsChanged(driver, pair.switchKey, value))
            return 1;
    }
    return 0;
}

int CMicInKaraokeHandler::OnSliderChanged(const std::wstring& name, float position, int done) {
    const int result = name == L"EchoLevel" ? SetEchoLevel(position) : 0;
    // The status panel hears of the level once the thumb comes to rest, not on every move.
    if (done == 1)
        AnnounceChange(*this, kEchoLevelKey, 0);
    return result;
}

int CMicInKaraokeHandler::OnClick(const std::wstring& name) {
    if (name == L"BtnEnableMircophoneEffects")
        return EnableMicEcho();
    if (name == L"BtnEnableMagicVoice")
        return EnableMagicVoice();
    if (name == L"BtnMEReset")
        return ResetEchoLevel();
    for (uint32_t i = 0; i < 4; ++i) {
        if (name == kMagicVoiceButtons[i]) {
            const int result = SetMagicVoice(i);
            AnnounceChange(*this, kVoiceKey, 0);
            return result;
        }
    }
    return 0;
}

void CMicInKaraokeHandler::InitDefaults(int32_t endpointCode, int32_t echo, int32_t magic) {
    InitDefaults(AppHandlerServices().GetDriver(), endpointCode, echo, magic);
}

void CMicInKaraokeHandler::InitDefaults(IDriverInstance* driver, int32_t endpointCode, int32_t echo, int32_t magic) {
    // Each group offered, off and at 0, where its switch cannot be read.
    const uintkey::Default echoDefaults[] = {{kEchoSwitchKey, 0}, {kEchoLevelKey, 0}};
    const uintkey::Default magicDefaults[] = {{kMagicSwitchKey, 0}, {kVoiceKey, 0}};
    if (echo)
        uintkey::WriteDefaults(driver, endpointCode, kEchoSwitchKey, echoDefaults);
    if (magic)
        uintkey::WriteDefaults(driver, endpointCode, kMagicSwitchKey, magicDefaults);
}
