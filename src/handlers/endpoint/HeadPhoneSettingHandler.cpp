#include "handlers/endpoint/HeadPhoneSettingHandler.h"

#include <cstdint>
#include <string>

#include "driver/IDriverInstance.h"
#include "handlers/PageKeys.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinComboBox.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

namespace {

constexpr wchar_t kChannelKey[] = L"DevChannelNumControl";
constexpr wchar_t kCopyKey[] = L"Enable_Channel_COPY_LFX";
constexpr wchar_t kAmplifierKey[] = L"HPAmplifierControl";
constexpr wchar_t kAmplifierCombo[] = L"Amplifier";

constexpr wchar_t kLevelTextKey[] = L"ml_Channels_Amp_Level";

enum AmplifierSelector : int32_t { kCurrent = 0, kMaximum = 1, kMinimum = 2, kStep = 3 };

// The item of one level: the language's pattern with the level for "{0}", or the bare level without one.
std::wstring LevelText(const std::wstring& pattern, int level) {
    const std::wstring number = std::to_wstring(level);
    const size_t at = pattern.find(L"{0}");
    if (at == std::wstring::npos)
        return number;
    return pattern.substr(0, at) + number + pattern.substr(at + 3);
}

} // namespace

bool CHeadPhoneSettingHandler::ReadAmplifier(int selector, int& value, bool storeInCache) const {
    IDriverInstance* driver = GetDriver();
    int32_t read = 0;
    int32_t argument = selector;
    if (!driver || driver->GetProperty(kAmplifierKey, &read, kValueInt, kDefaultNumberSize, &argument, kValueInt,
                                       sizeof argument, storeInCache, false) != 0)
        return false;
    value = read;
    return true;
}

void CHeadPhoneSettingHandler::ShowAmplifier() {
    int current = 0;
    ReadAmplifier(kCurrent, current, true);
    ReadAmplifier(kMaximum, m_ampMax, false);
    ReadAmplifier(kMinimum, m_ampMin, false);
    ReadAmplifier(kStep, m_ampStep, false);
    IDriverInstance* driver = GetDriver();
    auto* combo = dynamic_cast<IxSkinComboBox*>(FindControl(kAmplifierCombo));
    // A step of 0 would leave no way to map levels to items, and a range upside down or of countless levels
    // no list to pick from: such an amplifier is not offered.
    const int64_t levels = m_ampStep > 0 ? (int64_t{m_ampMax} - m_ampMin) / m_ampStep + 1 : 0;
    if (!driver || !driver->HasHeadphoneAmplifier() || levels < 1 || levels > kMaxAmplifierLevels || !combo) {
        ShowControl(L"AmplifierTB", false, FALSE);
        ShowControl(kAmplifierCombo, false, FALSE);
        return;
    }
    // One item per level the device has, lowest first.
    const std::wstring pattern = GetLanguageText(kLevelTextKey, true);
    combo->ResetContent();
    for (int64_t i = 0; i < levels; ++i)
        combo->AddString(LevelText(pattern, static_cast<int>(m_ampMin + i * m_ampStep)));
    combo->SetCurSel((current - m_ampMin) / m_ampStep, FALSE);
}

void CHeadPhoneSettingHandler::InitControls() {
    CSettingHandler::InitControls();
    m_channels = 2;
    uint32_t channels = 0;
    ReadUnsigned(kChannelKey, channels, kChannelCountSize, true);
    // Headphones are always stereo: the device is put back to two channels whenever it says otherwise.
    if (channels != 2)
        WriteUnsigned(kChannelKey, 2, kChannelCountSize);
    if (auto* radio = dynamic_cast<IxSkinButton*>(FindControl(L"HeadPhone")))
        radio->SetCheck(1, FALSE);
    else
        CheckButton(L"Channels2", 1, FALSE);
    IDriverInstance* driver = GetDriver();
    const bool copyOffered = driver && driver->IsFeatureSupported(L"Spaceline");
    // The caption goes with its switch: no caption over an empty place.
    ShowControl(L"ChannelCopy", copyOffered, FALSE);
    ShowControl(L"ChannelCopy_Text", copyOffered, FALSE);
    uint32_t copy = 0;
    if (copyOffered && ReadUnsigned(kCopyKey, copy, kDefaultNumberSize, true))
        CheckButton(L"ChannelCopy", copy == 1 ? 1 : 0, FALSE);
    ShowAmplifier();
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CHeadPhoneSettingHandler::OnComboBoxSelChange(const std::wstring& name, int index) {
    CSettingHandler::OnComboBoxSelChange(name, index);
    IDriverInstance* driver = GetDriver();
    if (name != kAmplifierCombo || !driver)
        return 1;
    int32_t level = m_ampStep * index + m_ampMin;
    int32_t argument = 0;
    driver->SetProperty(kAmplifierKey, &level, kValueInt, kDefaultNumberSize, &argument, kValueInt, sizeof argument);
    return 1;
}

int CHeadPhoneSettingHandler::UpdateFromDriver() {
    // Polled as whole 4-byte numbers, the channel count included.
    IDriverInstance* driver = GetDriver();
    for (const wchar_t* key : {kChannelKey, kAmplifierKey, kCopyKey}) {
        if (uintkey::Changed(driver, key, nullptr, sizeof(uint32_t)))
            return 1;
    }
    return 0;
}
