#include "handlers/endpoint/SpeakerVolHandler.h"

#include <algorithm>
#include <cmath>

#include "app/IMainHandler.h"
#include "driver/IDriverInstance.h"
#include "handlers/PageKeys.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinSlider.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinParse.h"
#include "skin/SkinRadioButton.h"

namespace {

constexpr const wchar_t* kGroups[] = {L"FrontChannels", L"RearChannels", L"CWChannels", L"SideChannels"};
constexpr const wchar_t* kGroupLocks[] = {L"FrontBalance", L"RearBalance", L"CWBalance", L"SideBalance"};
constexpr const wchar_t* kOutputButtons[] = {L"BtnDeviceSpecificControlHP", L"BtnDeviceSpecificControlRCA"};

// The first speaker channel row of the dB table.
constexpr size_t kFirstSpeakerRow = 4;

struct GroupLayout {
    int count;
    bool shown[4];
    // Shift of the shown groups in half pitches, so that they stay centred.
    int halfPitches;
};

constexpr GroupLayout kGroupLayouts[] = {
    {2, {true, false, false, false}, 3},
    {4, {true, true, false, false}, 2},
    {6, {true, true, true, false}, 1},
    {8, {true, true, true, true}, 0},
};

} // namespace

float CSpeakerVolHandler::ReadMasterVolume(int channel, int scalar) {
    float value = 0.0f;
    return ReadFloat(scalar ? L"VolumeScalarControl" : L"VolumeControl", value, &channel) ? value : 0.0f;
}

float CSpeakerVolHandler::ReadMasterRange(int max) {
    float value = 0.0f;
    return ReadFloat(max ? L"GetMaxVol" : L"GetMinVol", value, nullptr) ? value : 0.0f;
}

int CSpeakerVolHandler::IsVolumeChanged(const std::wstring& controlName, int scalar) {
    const int channel = controlName == L"MasterVol" ? -1 : GetChannel(controlName);
    const wchar_t* key = scalar ? L"VolumeScalarControl" : L"VolumeControl";
    float live = 0.0f;
    float cached = 0.0f;
    ReadFloat(key, live, &channel, false, false);
    ReadFloat(key, cached, &channel, false, true);
    return !xSkinIsNearlyEqual(live, cached, scalar ? kScalarTolerance : kdBTolerance);
}

void CSpeakerVolHandler::MeasureChannelGroups() {
    for (size_t i = 0; i < 4; ++i) {
        if (CxSkinCtrl* group = FindControl(kGroups[i]))
            m_rcGroups[i] = group->GetRect();
    }
    m_nGroupPitch = (m_rcGroups[3].left - m_rcGroups[1].left) / 2;
}

void CSpeakerVolHandler::LayoutChannelGroups() {
    int count = 0;
    if (ReadInt(L"DevChannelNumControl", count, kValueUInt))
        m_nChannelCount = count;
    const GroupLayout* layout = nullptr;
    for (const GroupLayout& row : kGroupLayouts) {
        if (row.count == m_nChannelCount)
            layout = &row;
    }
    for (size_t i = 0; i < 4; ++i) {
        CxSkinCtrl* group = FindControl(kGroups[i]);
        if (!group)
            continue;
        if (!layout) {
            // An unknown count leaves the front group unshifted and the others as they are.
            if (i == 0)
                group->SetRect(m_rcGroups[0], FALSE);
            continue;
        }
        RECT rect = m_rcGroups[i];
        const int shift = m_nGroupPitch * layout->halfPitches / 2;
        rect.left += shift;
        rect.right += shift;
        group->SetRect(rect, FALSE);
        group->SetVisible(layout->shown[i] ? TRUE : FALSE, FALSE);
    }
}

bool CSpeakerVolHandler::TryReadMasterdB(int channel, float& dB) {
    dB = 0.0f;
    return ReadFloat(L"VolumeControl", dB, &channel);
}

void CSpeakerVolHandler::ShowMasterLevel(bool clamped) {
    float dB = 0.0f;
    if (!TryReadMasterdB(-1, dB)) {
        SetControlText(L"MasterdB", kUnknownLevel);
        return;
    }
    SetControlText(L"MasterdB", clamped ? FormatClampedVolumedB(L"MasterVol", dB) : FormatVolumedB(dB));
}

void CSpeakerVolHandler::RefreshMasterAndChannels() {
    float masterdB = 0.0f;
    if (TryReadMasterdB(-1, masterdB)) {
        const bool atEnd =
            std::fabs(masterdB - ReadMasterRange(1)) < 0.05f || std::fabs(masterdB - ReadMasterRange(0)) < 0.05f;
        SetControlText(L"MasterdB", atEnd ? FormatVolumedB(masterdB) : FormatClampedVolumedB(L"MasterVol", masterdB));
    } else {
        SetControlText(L"MasterdB", kUnknownLevel);
    }
    const size_t last = kFirstSpeakerRow + static_cast<size_t>(std::max(0, std::min(m_nChannelCount, 8)));
    for (size_t row = kFirstSpeakerRow; row < last; ++row) {
        const std::wstring slider = g_VolumedBTable[row].slider;
        const int channel = GetChannel(slider);
        // A failed read is shown as unknown, never as a level the device does not hold.
        float dB = 0.0f;
        SetControlText(g_VolumedBTable[row].dBBox,
                       TryReadMasterdB(channel, dB) ? FormatClampedVolumedB(slider, dB) : kUnknownLevel);
        ShowSliderLevel(slider, channel);
    }
}

void CSpeakerVolHandler::SelectOutput(int value) {
    if (value < 0 || value > 1)
        return;
    if (auto* radio = dynamic_cast<CxSkinRadioButton*>(FindControl(kOutputButtons[value])))
        radio->Select(FALSE);
}

bool CSpeakerVolHandler::ShowOutputInForce() {
    IDriverInstance* driver = GetDriver();
    int output = 0;
    int argument = 0;
    const bool held = driver && driver->GetProperty(L"DeviceSpecificControl", &output, kValueInt, kDefaultNumberSize,
                                                    &argument, kValueInt, kDefaultNumberSize, true, false) == 0;
    if (held) {
        SelectOutput(output);
        return true;
    }
    // No output the device reports: neither choice is shown as made.
    for (const wchar_t* button : kOutputButtons)
        SetControlCheck(button, 0);
    return false;
}

void CSpeakerVolHandler::InitControls() {
    if (m_nFirstStart) {
        m_nFirstStart = 0;
        MeasureChannelGroups();
    }
    LayoutChannelGroups();
    int mute = 0;
    const bool muteRead = ReadInt(L"MuteControl", mute, kValueUInt);
    SetControlCheck(L"BtnMute", mute);
    const bool masterRead = ShowSliderLevel(L"MasterVol", -1);
    RefreshMasterAndChannels();
    if (muteRead || masterRead) {
        for (int i = 0; i < m_nChannelCount / 2 && i < 4; ++i)
            SetControlCheck(kGroupLocks[i], GetBalance(kGroupLocks[i]));
    }
    // The output choice is offered only by a device that reports the output in force.
    const bool outputHeld = ShowOutputInForce();
    for (const wchar_t* button : kOutputButtons)
        EnableOnly(button, outputHeld && IsControlEnabled(button) != 0);
    RedrawOwner();
}

int CSpeakerVolHandler::UpdateFromDriver() {
    IDriverInstance* driver = GetDriver();
    if (driver) {
        int live = 0;
        int cached = 0;
        driver->GetDefaultRenderProperty(L"DevChannelNumControl", &live, kValueUInt, kChannelCountSize, nullptr, 0, 0,
                                         false, false);
        driver->GetDefaultRenderProperty(L"DevChannelNumControl", &cached, kValueUInt, kChannelCountSize, nullptr, 0, 0,
                                         false, true);
        if (live != cached)
            return 1;
    }
    if (IsIntChanged(L"MuteControl", kValueUInt) || IsVolumeChanged(L"MasterVol", 0))
        return 1;
    for (int i = 1; i <= m_nChannelCount && i <= 8; ++i) {
        if (IsVolumeChanged(g_VolumedBTable[3 + i].slider, 1))
            return 1;
    }
    if (driver) {
        int live = 0;
        int cached = 0;
        int argument = 0;
        driver->GetProperty(L"DeviceSpecificControl", &live, kValueInt, kDefaultNumberSize, &argument, kValueInt,
                            kDefaultNumberSize, false, false);
        driver->GetProperty(L"DeviceSpecificControl", &cached, kValueInt, kDefaultNumberSize, &argument, kValueInt,
                            kDefaultNumberSize, false, true);
        if (live != cached)
            return 1;
    }
    return 0;
}

int CSpeakerVolHandler::SetDeviceSpecificControl(int value) {
    IDriverInstance* driver = GetDriver();
    const int argument = 0;
    if (driver && driver->SetProperty(L"DeviceSpecificControl", &value, kValueInt, kDefaultNumberSize, &argument,
                                      kValueInt, kDefaultNumberSize) == 0) {
        if (IMainHandler* main = GetMainHandler())
            main->UpdateStatusPanel(L"DeviceSpecificControl", 0);
        return 1;
    }
    // The radio button already moved under the click: it goes back to the output actually in force.
    ShowOutputInForce();
    for (const wchar_t* button : kOutputButtons)
        RedrawControl(button);
    return 0;
}

int CSpeakerVolHandler::OnClick(const std::wstring& name) {
    if (name == L"BtnMute") {
        IDriverInstance* driver = GetDriver();
        int mute = 0;
        ReadInt(L"MuteControl", mute, kValueUInt);
        if (!uintkey::Write(driver, L"MuteControl", mute == 1 ? 0 : 1)) {
            if (auto* button = FindAs<IxSkinButton>(name))
                button->SetCheck(mute, TRUE);
        }
        RefreshMainMuteButton();
    } else if (name == kOutputButtons[0]) {
        SetDeviceSpecificControl(0);
    } else if (name == kOutputButtons[1]) {
        SetDeviceSpecificControl(1);
    }
    return CVolHandler::OnClick(name);
}

int CSpeakerVolHandler::OnSliderChanged(const std::wstring& name, float pos, int done) {
    if (name == L"MasterVol") {
        // A refused level leaves the knob at what the device holds, not where it was dropped.
        if (!SetVolumeScalar(L"MasterVol", -1, pos / 100.0f))
            ShowSliderLevel(L"MasterVol", -1);
        RefreshMainSpeakerVolume();
        RefreshMasterAndChannels();
        RedrawOwner();
        return 1;
    }
    const int result = CVolHandler::OnSliderChanged(name, pos, done);
    // A channel change moves the master level the driver derives from the channels.
    // A master level the device does not report is never written back as silence.
    float master = 0.0f;
    int masterChannel = -1;
    if (ReadFloat(L"VolumeScalarControl", master, &masterChannel))
        SetVolumeScalar(L"MasterVol", -1, master);
    ShowSliderLevel(L"MasterVol", -1);
    ShowMasterLevel(true);
    RedrawControl(L"MasterVol");
    RedrawControl(L"MasterdB");
    RefreshMainSpeakerVolume();
    return result;
}

int CSpeakerVolHandler::OnTextCommitted(const std::wstring& name, const std::wstring& text) {
    if (name != L"MasterdB") {
        const int accepted = CVolHandler::OnTextCommitted(name, text);
        if (accepted) {
            SetSliderPos(L"MasterVol", ReadMasterVolume(-1, 1) * 100.0f);
            ShowMasterLevel(false);
            RedrawControl(L"MasterdB");
            RefreshMainSpeakerVolume();
        }
        return accepted;
    }
    const float value = static_cast<float>(wcstod(text.c_str(), nullptr));
    if (!IsValiddBText(text) || value > ReadMasterRange(1) || value < ReadMasterRange(0)) {
        ShowVolumeRangeError(name);
        ShowMasterLevel(true);
        RedrawControl(name);
        return 0;
    }
    SetVolumedB(L"MasterVol", -1, value);
    SetSliderPos(L"MasterVol", ReadMasterVolume(-1, 1) * 100.0f);
    RefreshMasterAndChannels();
    RedrawOwner();
    SetSliderPos(L"MasterVol", ReadMasterVolume(-1, 1) * 100.0f);
    ShowMasterLevel(false);
    RedrawControl(L"MasterdB");
    RefreshMainSpeakerVolume();
    return 1;
}

int CSpeakerVolHandler::OnTextChanged(const std::wstring& name, const std::wstring& text) {
    if (name != L"MasterdB")
        return CVolHandler::OnTextChanged(name, text);
    const std::wstring current = FormatClampedVolumedB(L"MasterVol", ReadMasterVolume(-1, 0));
    if (current != text) {
        SetControlText(name, current);
        RedrawControl(name);
    }
    return 1;
}
