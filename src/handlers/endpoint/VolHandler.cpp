#include "handlers/endpoint/VolHandler.h"

#include <cmath>
#include <cwchar>

#include "app/AppSettings.h"
#include "driver/IDriverInstance.h"
#include "handlers/endpoint/VolumePageServices.h"
#include "markup/StringUtils.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinSlider.h"
#include "skin/IxSkinTextBox.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinParse.h"

namespace {

// Endpoint codes of the inputs that can be listened to.
constexpr int kMicIn = 2;
constexpr int kLineIn = 3;
constexpr int kAuxIn = 5;
constexpr int kDesktopMic = 10;
constexpr int kSPDIFOut = 4;

constexpr UINT kMessageIconError = 16; // MB_ICONERROR | MB_OK

struct NamedKey {
    const wchar_t* control;
    const wchar_t* key;
};

constexpr NamedKey kMuteKeys[] = {{L"Mute", L"MuteControl"}, {L"AAMute", L"AAMuteControl"}};

constexpr NamedKey kBalanceKeys[] = {
    {L"Balance", L"__Balance"},         {L"AABalance", L"__AABalance"}, {L"FrontBalance", L"__FrontBalance"},
    {L"RearBalance", L"__RearBalance"}, {L"CWBalance", L"__CWBalance"}, {L"SideBalance", L"__SideBalance"},
};

template <size_t N> const wchar_t* FindKey(const NamedKey (&table)[N], const std::wstring& name) {
    for (const NamedKey& row : table) {
        if (name == row.control)
            return row.key;
    }
    return nullptr;
}

float ClampUnit(float x) {
    if (x >= 1.0f)
        return 1.0f;
    if (x < 0.0f)
        return 0.0f;
    return x;
}

// The first occurrence of the placeholder becomes the text; a missing placeholder changes nothing.
void ReplaceFirst(std::wstring& text, const wchar_t* placeholder, const std::wstring& value) {
    const size_t at = text.find(placeholder);
    if (at != std::wstring::npos)
        text.replace(at, wcslen(placeholder), value);
}

} // namespace

CVolHandler::CVolHandler() {
    m_name = L"VolHandler";
}

IVolumePageServices& CVolHandler::PageServices() const {
    return m_pageServices ? *m_pageServices : AppVolumePageServices();
}

bool CVolHandler::IsAAName(const std::wstring& name) {
    return name == L"AALeft" || name == L"AARight" || name == L"AALdB" || name == L"AARdB";
}

const wchar_t* CVolHandler::ScalarKey(const std::wstring& name) {
    return IsAAName(name) ? L"AAVolumeScalarControl" : L"VolumeScalarControl";
}

const wchar_t* CVolHandler::dBKey(const std::wstring& name) {
    return IsAAName(name) ? L"AAVolumeControl" : L"VolumeControl";
}

int CVolHandler::GetChannel(const std::wstring& name) const {
    const CxSkinCtrl* control = FindControl(name);
    return control ? static_cast<int>(wcstol(control->GetTag().c_str(), nullptr, 10)) : 0;
}

bool CVolHandler::ReadFloat(const wchar_t* key, float& value, const int* channel, bool storeInCache,
                            bool fromCache) const {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return false;
    int argument = channel ? *channel : 0;
    float read = 0.0f;
    if (driver->GetProperty(key, &read, kValueFloat, kDefaultNumberSize, channel ? &argument : nullptr, kValueInt,
                            kDefaultNumberSize, storeInCache, fromCache) != 0)
        return false;
    value = read;
    return true;
}

bool CVolHandler::ReadInt(const wchar_t* key, int& value, int32_t valueType, bool storeInCache, bool fromCache) const {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return false;
    int read = 0;
    if (driver->GetProperty(key, &read, valueType, kDefaultNumberSize, nullptr, 0, 0, storeInCache, fromCache) != 0)
        return false;
    value = read;
    return true;
}

bool CVolHandler::IsIntChanged(const wchar_t* key, int32_t valueType) const {
    int live = 0;
    int cached = 0;
    ReadInt(key, live, valueType, false, false);
    ReadInt(key, cached, valueType, false, true);
    return live != cached;
}

void CVolHandler::RedrawControl(const std::wstring& name) {
    if (CxSkinCtrl* control = FindControl(name))
        control->Redraw(FALSE);
}

void CVolHandler::EnableOnly(const std::wstring& name, bool enable) {
    if (CxSkinCtrl* control = FindControl(name))
        control->Enable(enable ? TRUE : FALSE, FALSE);
}

void CVolHandler::DisableChannelControls() {
    for (const wchar_t* name : {L"LeftChannel", L"RightChannel", L"Balance", L"LdB", L"RdB"})
        EnableOnly(name, false);
}

void CVolHandler::RedrawOwner() {
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

void CVolHandler::RefreshMainSpeakerVolume() {
    PageServices().RefreshSpeakerVolume(GetMainHandler());
}

void CVolHandler::RefreshMainMuteButton() {
    PageServices().RefreshMuteButton(GetMainHandler());
}

// IVolHandler: writes ------------------------------------------------------------------------------------

int CVolHandler::SetMute(const std::wstring& name, int on) {
    const wchar_t* key = FindKey(kMuteKeys, name);
    IDriverInstance* driver = GetDriver();
    if (!key || !driver)
        return 0;
    const int value = on != 0;
    return driver->SetProperty(key, &value, kValueInt, kDefaultNumberSize, nullptr, 0, 0) == 0;
}

int CVolHandler::SetBalance(const std::wstring& name, int on) {
    const wchar_t* key = FindKey(kBalanceKeys, name);
    IDriverInstance* driver = GetDriver();
    if (!key || !driver)
        return 0;
    const int value = on != 0;
    return driver->SetProperty(key, &value, kValueInt, kDefaultNumberSize, nullptr, 0, 0) == 0;
}

int CVolHandler::SetVolumeScalar(const std::wstring& name, int channel, float value) {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return 0;
    const int argument = channel;
    return driver->SetProperty(ScalarKey(name), &value, kValueFloat, kDefaultNumberSize, &argument, kValueInt,
                               kDefaultNumberSize) == 0;
}

int CVolHandler::SetVolumedB(const std::wstring& name, int channel, float dB) {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return 0;
    const int argument = channel;
    return driver->SetProperty(dBKey(name), &dB, kValueFloat, kDefaultNumberSize, &argument, kValueInt,
                               kDefaultNumberSize) == 0;
}

// IVolHandler: controls ----------------------------------------------------------------------------------

int CVolHandler::SetSliderPos(const std::wstring& name, float pos) {
    auto* slider = FindAs<IxSkinSlider>(name);
    if (!slider)
        return 0;
    slider->SetPos(pos, FALSE);
    return 1;
}

int CVolHandler::SetControlText(const std::wstring& name, const std::wstring& text) {
    CxSkinCtrl* control = FindControl(name);
    if (!control)
        return 0;
    if (auto* box = dynamic_cast<IxSkinTextBox*>(control))
        box->SetText(text, FALSE);
    else
        control->SetText(text);
    return 1;
}

int CVolHandler::SetControlCheck(const std::wstring& name, int check) {
    auto* button = FindAs<IxSkinButton>(name);
    if (!button)
        return 0;
    button->SetCheck(check, TRUE);
    return 1;
}

// IVolHandler: reads -------------------------------------------------------------------------------------

int CVolHandler::GetMute(const std::wstring& name) {
    const wchar_t* key = FindKey(kMuteKeys, name);
    int value = 0;
    return key && ReadInt(key, value) && value != 0;
}

int CVolHandler::GetBalance(const std::wstring& name) {
    const wchar_t* key = FindKey(kBalanceKeys, name);
    int value = 0;
    return key && ReadInt(key, value) && value != 0;
}

int CVolHandler::RefreshVolumeScalar(const std::wstring& name) {
    const int channel = GetChannel(name);
    float live = 0.0f;
    float cached = 0.0f;
    ReadFloat(ScalarKey(name), live, &channel, false, false);
    ReadFloat(ScalarKey(name), cached, &channel, false, true);
    return !xSkinIsNearlyEqual(live, cached, kScalarTolerance);
}

float CVolHandler::ReadVolume(const std::wstring& name, int channel, int scalar) {
    float value = 0.0f;
    return ReadFloat(scalar ? ScalarKey(name) : dBKey(name), value, &channel) ? value : 0.0f;
}

bool CVolHandler::ShowSliderLevel(const std::wstring& name, int channel) {
    float level = 0.0f;
    const bool read = ReadFloat(ScalarKey(name), level, &channel);
    EnableOnly(name, read);
    SetSliderPos(name, read ? level * 100.0f : 0.0f);
    return read;
}

float CVolHandler::GetVolumeRange(const std::wstring& name, int max) {
    const wchar_t* key = IsAAName(name) ? (max ? L"GetAAMaxVol" : L"GetAAMinVol") : (max ? L"GetMaxVol" : L"GetMinVol");
    float value = 0.0f;
    return ReadFloat(key, value, nullptr) ? value : 0.0f;
}

float CVolHandler::ReadVolumeRange(const std::wstring& name, float value) {
    const float max = GetVolumeRange(name, 1);
    const float min = GetVolumeRange(name, 0);
    if (value >= max)
        return max;
    if (min > value)
        return min;
    return value;
}

std::wstring CVolHandler::FormatVolumedB(float value) {
    std::wstring text;
    FormatString(text, L"%.2f", static_cast<double>(value));
    if (text == L"-0.00")
        text = L"0.00";
    return text;
}

std::wstring CVolHandler::FormatClampedVolumedB(const std::wstring& name, float value) {
    const float max = GetVolumeRange(name, 1);
    const float min = GetVolumeRange(name, 0);
    if (value >= max)
        value = max;
    else if (min >= value)
        value = min;
    return FormatVolumedB(value);
}

bool CVolHandler::IsValiddBText(const std::wstring& text) {
    // A text without a digit ("", "-", ".", "-.") would read as 0 dB and jump the channel to full level.
    if (text.find_first_of(L"0123456789") == std::wstring::npos)
        return false;
    bool dot = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'-') {
            if (i != 0)
                return false;
        } else if (c == L'.') {
            if (dot)
                return false;
            dot = true;
        } else if (c < L'0' || c > L'9') {
            // Anything else would read as 0 dB and silently set the channel to full level.
            return false;
        }
    }
    return true;
}

void CVolHandler::ShowVolumeRangeError(const std::wstring& name) {
    std::wstring typeName = GetDriver() ? GetDriver()->GetCurrentEndpointName() : std::wstring();
    if (typeName == L"DesktopMic")
        typeName = L"MicIn";
    else if (typeName == L"SpeakerQuarter")
        typeName = L"Speaker";
    std::wstring key;
    std::wstring text = GetLanguageText(FormatString(key, L"ml_%lsVol_VoldB_Range_Error", typeName.c_str()), true);
    if (text.empty() && typeName == L"HeadPhone")
        text = GetLanguageText(FormatString(key, L"ml_%lsVol_VoldB_Range_Error", L"Headphone"), true);
    if (text.find(L"{0:F2}") != std::wstring::npos) {
        ReplaceFirst(text, L"{0:F2}", FormatVolumedB(GetVolumeRange(name, 0)));
        ReplaceFirst(text, L"{1:F2}", FormatVolumedB(GetVolumeRange(name, 1)));
    }
    if (text.empty())
        return;
    PageServices().ShowMessageBox(m_owner ? m_owner->GetHostDialog() : nullptr, text,
                                  GetLanguageText(L"ml_Message_Caption", true), kMessageIconError);
}

// Page ---------------------------------------------------------------------------------------------------

bool CVolHandler::HasNoVolume() {
    if (!PageServices().IsVistaOrLater() && m_name == L"SPDIFInVolHandler")
        return true;
    if (m_name != L"SPDIFOutVolHandler")
        return false;
    IDriverInstance* driver = GetDriver();
    float value = 0.0f;
    int channel = -1;
    return !driver ||
           driver->GetEndpointProperty(kSPDIFOut, L"VolumeScalarControl", &value, kValueFloat, kDefaultNumberSize,
                                       &channel, kValueInt, kDefaultNumberSize, true, false) != 0;
}

int CVolHandler::RefreshVolume(const std::wstring& sliderName) {
    const int channel = GetChannel(sliderName);
    const BalancePair row = FindBalanceRow(sliderName);
    if (HasNoVolume()) {
        SetControlText(row.dBBox, L"0.00");
        SetSliderPos(sliderName, 100.0f);
        return 1;
    }
    SetControlText(row.dBBox, FormatClampedVolumedB(sliderName, ReadVolume(sliderName, channel, 0)));
    float scalar = 0.0f;
    const bool read = ReadFloat(ScalarKey(sliderName), scalar, &channel);
    float position = scalar * 100.0f;
    if (!PageServices().IsVistaOrLater())
        position = std::floor(position + 0.1f);
    SetSliderPos(sliderName, position);
    return read ? 1 : 0;
}

void CVolHandler::InitControls() {
    SetControlCheck(L"Mute", GetMute(L"Mute"));
    SetControlCheck(L"Balance", GetBalance(L"Balance"));
    if (CxSkinCtrl* listen = FindControl(L"ListenToDevice")) {
        IDriverInstance* driver = GetDriver();
        const int code = driver ? driver->EndpointNameToCode(listen->GetTag()) : -1;
        const CAppSettings* settings = PageServices().GetSettings();
        int value = 0;
        if (settings) {
            if (code == kMicIn || code == kDesktopMic)
                value = m_nMicInListen = settings->m_nMicInListenToDevice;
            else if (code == kLineIn)
                value = m_nLineInListen = settings->m_nLineInListenToDevice;
            else if (code == kAuxIn)
                value = m_nAuxInListen = settings->m_nAuxInListenToDevice;
        }
        SetControlCheck(L"ListenToDevice", value);
    }
    RefreshMainSpeakerVolume();
    RefreshVolume(L"LeftChannel");
    RefreshVolume(L"RightChannel");
    RedrawOwner();
}

int CVolHandler::UpdateFromDriver() {
    if (IsIntChanged(L"MuteControl") || IsIntChanged(L"AAMuteControl"))
        return 1;
    for (const wchar_t* slider : {L"LeftChannel", L"RightChannel", L"AALeft", L"AARight"}) {
        if (RefreshVolumeScalar(slider))
            return 1;
    }
    return 0;
}

// Listeners ----------------------------------------------------------------------------------------------

void CVolHandler::ToggleListenToDevice() {
    IDriverInstance* driver = GetDriver();
    const CxSkinCtrl* listen = FindControl(L"ListenToDevice");
    if (!driver || !listen)
        return;
    const int code = driver->EndpointNameToCode(listen->GetTag());
    CAppSettings* settings = PageServices().GetSettings();
    int* flag = nullptr;
    int* stored = nullptr;
    if (code == kMicIn || code == kDesktopMic) {
        flag = &m_nMicInListen;
        stored = settings ? &settings->m_nMicInListenToDevice : nullptr;
    } else if (code == kLineIn) {
        flag = &m_nLineInListen;
        stored = settings ? &settings->m_nLineInListenToDevice : nullptr;
    } else if (code == kAuxIn) {
        flag = &m_nAuxInListen;
        stored = settings ? &settings->m_nAuxInListenToDevice : nullptr;
    }
    int value = 0;
    if (flag) {
        value = *flag = !*flag;
        if (stored)
            *stored = value;
    }
    driver->RestartListen(code, value != 0);
    PageServices().SaveSettings();
}

int CVolHandler::OnClick(const std::wstring& name) {
    if (FindKey(kBalanceKeys, name)) {
        const int old = GetBalance(name);
        // A lock the driver refused stays as it was on screen too.
        const int shown = SetBalance(name, !old) ? !old : old;
        SetControlCheck(name, shown);
    } else if (FindKey(kMuteKeys, name)) {
        const int old = GetMute(name);
        if (!SetMute(name, !old)) {
            // The button toggled itself with the click; it goes back to what the device still holds.
            if (auto* button = FindAs<IxSkinButton>(name))
                button->SetCheck(old, TRUE);
        }
    } else if (name == L"ListenToDevice") {
        ToggleListenToDevice();
    }
    return 1;
}

void CVolHandler::FollowSlider(const BalancePair& row, float pos, float old, float partnerOld) {
    const int partnerChannel = GetChannel(row.partnerSlider);
    const double target = (static_cast<double>(pos) / 100.0 - old) + partnerOld;
    const float clamped = ClampUnit(static_cast<float>(target));
    SetVolumeScalar(row.partnerSlider, partnerChannel, clamped);
    SetSliderPos(row.partnerSlider, clamped * 100.0f);
    SetControlText(row.partnerdBBox,
                   FormatClampedVolumedB(row.partnerSlider, ReadVolume(row.partnerSlider, partnerChannel, 0)));
    RedrawControl(row.partnerSlider);
    RedrawControl(row.partnerdBBox);
}

int CVolHandler::OnSliderChanged(const std::wstring& name, float pos, int) {
    const BalancePair row = FindBalanceRow(name);
    const int channel = GetChannel(name);
    const float old = ReadVolume(name, channel, 1);
    const float partnerOld = ReadVolume(row.partnerSlider, GetChannel(row.partnerSlider), 1);
    const int lock = GetBalance(row.balanceButton);
    // A refused level leaves the knob at what the device holds, not where it was dropped.
    if (!SetVolumeScalar(name, channel, pos / 100.0f))
        ShowSliderLevel(name, channel);
    SetControlText(row.dBBox, FormatClampedVolumedB(name, ReadVolume(name, channel, 0)));
    RedrawControl(row.dBBox);
    RefreshMainSpeakerVolume();
    if (lock)
        FollowSlider(row, pos, old, partnerOld);
    RedrawControl(name);
    return 1;
}

void CVolHandler::FollowdB(const std::wstring& sliderName, float value, float old) {
    const BalancePair row = FindBalanceRow(sliderName);
    if (!GetBalance(row.balanceButton))
        return;
    const int partnerChannel = GetChannel(row.partnerSlider);
    const float partnerOld = ReadVolume(row.partnerdBBox, partnerChannel, 0);
    const float target = ReadVolumeRange(row.partnerdBBox, partnerOld + (value - old));
    SetControlText(row.partnerdBBox, FormatVolumedB(target));
    SetVolumedB(row.partnerdBBox, partnerChannel, target);
    SetSliderPos(row.partnerSlider, ReadVolume(row.partnerSlider, partnerChannel, 1) * 100.0f);
    RedrawControl(row.partnerSlider);
    RedrawControl(row.partnerdBBox);
}

int CVolHandler::OnTextCommitted(const std::wstring& name, const std::wstring& text) {
    const VolumedBPair row = FindVolumedBRow(name);
    const int channel = GetChannel(row.slider);
    const float value = static_cast<float>(wcstod(text.c_str(), nullptr));
    const bool accepted =
        IsValiddBText(text) && !(value > GetVolumeRange(name, 1)) && !(value < GetVolumeRange(name, 0));
    if (!accepted) {
        ShowVolumeRangeError(name);
        SetControlText(name, FormatClampedVolumedB(row.slider, ReadVolume(row.slider, channel, 0)));
        RedrawControl(name);
        return 0;
    }
    const float old = ReadVolume(name, channel, 0);
    SetControlText(name, FormatVolumedB(value));
    SetVolumedB(name, channel, value);
    SetSliderPos(row.slider, ReadVolume(row.slider, channel, 1) * 100.0f);
    RedrawControl(row.slider);
    FollowdB(row.slider, value, old);
    RedrawControl(name);
    return 1;
}

int CVolHandler::OnTextChanged(const std::wstring& name, const std::wstring& text) {
    const VolumedBPair row = FindVolumedBRow(name);
    const std::wstring current = FormatClampedVolumedB(row.slider, ReadVolume(row.slider, GetChannel(row.slider), 0));
    if (current != text) {
        SetControlText(name, current);
        RedrawControl(name);
    }
    return 1;
}
