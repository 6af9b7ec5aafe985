#include "handlers/effects/SingleSliderEffectHandler.h"

#include <cmath>
#include <cwchar>
#include <span>
#include <type_traits>

#include "driver/IDriverInstance.h"
#include "handlers/PageKeys.h"
#include "handlers/effects/EffectMessageHost.h"
#include "markup/StringUtils.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinComboBox.h"
#include "skin/IxSkinSlider.h"
#include "skin/IxSkinTextBox.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"

namespace {

constexpr wchar_t kMainContent[] = L"MainContent";
// MB_OK | MB_ICONINFORMATION.
constexpr UINT kRangeMessageType = 64;

std::wstring FormatValue(uint32_t value) {
    std::wstring text;
    return FormatString(text, L"%d", static_cast<int>(value));
}

} // namespace

CSingleSliderEffectHandler::CSingleSliderEffectHandler(const EffectPageTable& table) : m_table(table) {
    for (int i = 0; i < table.channelCount; ++i)
        m_values[i] = table.channels[i].initialValue;
}

uint32_t CSingleSliderEffectHandler::ToDevice(const EffectValueChannel& channel, uint32_t shown) {
    return channel.mapped && shown != 0 ? shown + 4 : shown;
}

uint32_t CSingleSliderEffectHandler::ToShown(const EffectValueChannel& channel, uint32_t device) {
    if (!channel.mapped)
        return device;
    return device >= 5 ? device - 4 : 0;
}

IEffectMessageHost& CSingleSliderEffectHandler::MessageHost() const {
    return m_messageHost ? *m_messageHost : AppEffectMessageHost();
}

bool CSingleSliderEffectHandler::Read(const wchar_t* key, uint32_t& value, bool storeInCache, bool fromCache) const {
    return uintkey::Read(GetDriver(), key, value, storeInCache, fromCache);
}

bool CSingleSliderEffectHandler::Write(const wchar_t* key, uint32_t value) const {
    return uintkey::Write(GetDriver(), key, value);
}

void CSingleSliderEffectHandler::Announce(const wchar_t* key, int fromSwitch) const {
    AnnounceChange(*this, key, fromSwitch);
}

int CSingleSliderEffectHandler::FindChannel(const std::wstring& name,
                                            const wchar_t* EffectValueChannel::*control) const {
    for (int i = 0; i < m_table.channelCount; ++i) {
        const wchar_t* controlName = m_table.channels[i].*control;
        if (controlName && name == controlName)
            return i;
    }
    return -1;
}

void CSingleSliderEffectHandler::ShowSlider(int channel, BOOL redraw) {
    if (auto* slider = dynamic_cast<IxSkinSlider*>(FindControl(m_table.channels[channel].slider)))
        slider->SetPos(static_cast<float>(m_values[channel]), redraw);
}

void CSingleSliderEffectHandler::ShowText(int channel, BOOL redraw) {
    if (auto* box = dynamic_cast<IxSkinTextBox*>(FindControl(m_table.channels[channel].textBox)))
        box->SetText(FormatValue(m_values[channel]), redraw);
}

void CSingleSliderEffectHandler::InitControls() {
    Read(m_table.enableKey, m_enable, true, false);
    if (auto* button = dynamic_cast<IxSkinButton*>(FindControl(m_table.enableButton)))
        button->SetCheck(m_enable != 0, FALSE);
    for (int i = 0; i < m_table.channelCount; ++i) {
        const EffectValueChannel& channel = m_table.channels[i];
        uint32_t device = 0;
        if (Read(channel.key, device, true, false)) {
            m_values[i] = ToShown(channel, device);
            ShowSlider(i, FALSE);
        }
        ShowText(i, FALSE);
    }
    uint32_t mode = 0;
    if (m_table.modeKey && Read(m_table.modeKey, mode, true, false)) {
        m_mode = mode != 0 ? 1 : 0;
        if (auto* list = dynamic_cast<IxSkinComboBox*>(FindControl(m_table.modeList)))
            list->SetCurSel(static_cast<int>(m_mode), FALSE);
    }
    for (const wchar_t* part : {kMainContent, m_table.logo}) {
        if (CxSkinCtrl* control = FindControl(part))
            control->Enable(m_enable != 0, FALSE);
    }
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CSingleSliderEffectHandler::UpdateFromDriver() {
    // The channels' keys, then the mode's.
    const wchar_t* settings[std::extent_v<decltype(EffectPageTable::channels)> + 1] = {};
    size_t count = 0;
    for (int i = 0; i < m_table.channelCount; ++i)
        settings[count++] = m_table.channels[i].key;
    if (m_table.modeKey)
        settings[count++] = m_table.modeKey;
    return uintkey::SwitchOrSettingsChanged(GetDriver(), m_table.enableKey, std::span(settings, count)) ? 1 : 0;
}

int CSingleSliderEffectHandler::WriteEnable(uint32_t value) {
    const bool written = Write(m_table.enableKey, value);
    // The effect's mode is reasserted on every switch-on, even when the switch itself did not take.
    if (value != 0 && m_table.onModeKey)
        Write(m_table.onModeKey, 1);
    if (!written)
        return 0;
    m_enable = value;
    InitControls();
    Announce(m_table.enableKey, 1);
    return 1;
}

int CSingleSliderEffectHandler::WriteChannel(int channel, uint32_t shown) {
    const EffectValueChannel& row = m_table.channels[channel];
    if (!Write(row.key, ToDevice(row, shown)))
        return 0;
    Announce(row.key, 0);
    m_values[channel] = shown;
    ShowText(channel, TRUE);
    return 1;
}

int CSingleSliderEffectHandler::CommitChannel(int channel, uint32_t shown) {
    const EffectValueChannel& row = m_table.channels[channel];
    if (shown == m_values[channel] || !Write(row.key, ToDevice(row, shown)))
        return 1;
    Announce(row.key, 0);
    m_values[channel] = shown;
    ShowSlider(channel, TRUE);
    return 1;
}

int CSingleSliderEffectHandler::WriteMode(uint32_t index) {
    if (!m_table.modeKey || !Write(m_table.modeKey, index))
        return 0;
    Announce(m_table.modeKey, 0);
    return 1;
}

void CSingleSliderEffectHandler::Reset(int channel) {
    const EffectValueChannel& row = m_table.channels[channel];
    if (m_values[channel] == row.resetValue || !Write(row.key, ToDevice(row, row.resetValue)))
        return;
    Announce(row.key, 0);
    m_values[channel] = row.resetValue;
    ShowSlider(channel, TRUE);
    ShowText(channel, TRUE);
}

int CSingleSliderEffectHandler::OnClick(const std::wstring& name) {
    if (name == m_table.enableButton)
        return SetEnableValue(m_enable == 0 ? 1 : 0);
    const int channel = FindChannel(name, &EffectValueChannel::resetButton);
    if (channel < 0)
        return 0;
    Reset(channel);
    return 1;
}

int CSingleSliderEffectHandler::OnSliderChanged(const std::wstring& name, float value, int) {
    const int channel = FindChannel(name, &EffectValueChannel::slider);
    if (channel < 0)
        return 0;
    // A position outside the channel's range (a slider authored wider than the key allows, or below 0,
    // which would wrap as unsigned) is held to the range rather than written as it stands.
    const EffectValueChannel& row = m_table.channels[channel];
    const double whole = std::trunc(static_cast<double>(value));
    const double held = std::isnan(whole) ? row.min : std::fmin(std::fmax(whole, row.min), row.max);
    WriteChannel(channel, static_cast<uint32_t>(held));
    return 1;
}

int CSingleSliderEffectHandler::OnTextCommitted(const std::wstring& name, const std::wstring& text) {
    const int channel = FindChannel(name, &EffectValueChannel::textBox);
    if (channel < 0)
        return 0;
    const EffectValueChannel& row = m_table.channels[channel];
    // Leading blanks and a sign are taken, digits up to the first other character; no digits read as 0.
    const long long number = std::wcstoll(text.c_str(), nullptr, 10);
    auto* box = dynamic_cast<IxSkinTextBox*>(FindControl(name));
    if (number < row.min || number > row.max) {
        if (box)
            box->SetText(FormatValue(m_values[channel]), TRUE);
        std::wstring message;
        FormatString(message, L"Please input %u -- %u", row.min, row.max);
        MessageHost().ShowMessageBox(m_owner, message, GetLanguageText(L"ml_Message_Caption", true), kRangeMessageType);
        return 1;
    }
    const auto value = static_cast<uint32_t>(number);
    if (box)
        box->SetText(FormatValue(value), TRUE);
    CommitChannel(channel, value);
    return 1;
}

int CSingleSliderEffectHandler::OnTextChanged(const std::wstring& name, const std::wstring& text) {
    const int channel = FindChannel(name, &EffectValueChannel::textBox);
    if (channel < 0)
        return 1;
    // A value typed but never committed with Enter is dropped: the box shows the stored value again.
    if (text != FormatValue(m_values[channel])) {
        if (auto* box = dynamic_cast<IxSkinTextBox*>(FindControl(name)))
            box->SetText(FormatValue(m_values[channel]), FALSE);
    }
    return 1;
}

void CSingleSliderEffectHandler::WriteDefaults(IDriverInstance* driver, int32_t endpointCode,
                                               const EffectPageTable& table) {
    if (!driver)
        return;
    auto ensure = [&](const wchar_t* key, uint32_t value) {
        uint32_t read = 0;
        if (driver->GetEndpointProperty(endpointCode, key, &read, kValueUInt, kDefaultNumberSize, nullptr, 0, 0, true,
                                        false) != kDriverOk)
            driver->SetEndpointProperty(endpointCode, key, &value, kValueUInt, kDefaultNumberSize, nullptr, 0, 0);
    };
    ensure(table.enableKey, 0);
    for (int i = 0; i < table.channelCount; ++i)
        ensure(table.channels[i].key, table.channels[i].deviceDefault);
    if (table.modeKey)
        ensure(table.modeKey, 0);
    if (table.onModeKey) {
        const uint32_t on = 1;
        driver->SetEndpointProperty(endpointCode, table.onModeKey, &on, kValueUInt, kDefaultNumberSize, nullptr, 0, 0);
    }
}
