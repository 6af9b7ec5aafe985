#include "handlers/effects/EQHandler.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "app/IMainHandler.h"
#include "driver/EffectDefaultWriters.h"
#include "driver/IDriverInstance.h"
#include "driver/PropertyValue.h"
#include "handlers/PageKeys.h"
#include "handlers/effects/EQPresetFile.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinComboBox.h"
#include "skin/IxSkinSlider.h"
#include "skin/IxSkinTextBox.h"
#include "skin/SkinCtrl.h"

using oc::eq::BandGains;
using oc::eq::kBandCount;

const EqBandRow g_EqBandTable[kBandCount] = {
    {L"EQ_Slider1", L"Hz30"},  {L"EQ_Slider2", L"Hz60"},   {L"EQ_Slider3", L"Hz120"}, {L"EQ_Slider4", L"Hz250"},
    {L"EQ_Slider5", L"Hz500"}, {L"EQ_Slider6", L"Hz1K"},   {L"EQ_Slider7", L"Hz2K"},  {L"EQ_Slider8", L"Hz4K"},
    {L"EQ_Slider9", L"Hz8K"},  {L"EQ_Slider10", L"Hz16K"},
};

const wchar_t* const g_EqScaleLabels[16] = {L"Text30", L"Text60",  L"Text120", L"Text250", L"Text500", L"Text1K",
                                            L"Text2K", L"Text4K",  L"Text8K",  L"Text16K", L"Text+20", L"Text-20",
                                            L"Text0",  L"TextDB1", L"TextDB2", L"TextDB3"};

const wchar_t* const g_EqPresetButtons[13] = {L"BtnDance", L"BtnRap",     L"BtnMetal",     L"BtnJazz", L"BtnSoftRock",
                                              L"BtnRock",  L"BtnLive",    L"BtnTreble",    L"BtnBass", L"BtnClassic",
                                              L"BtnVocal", L"BtnDefault", L"BtnUserDefine"};

const BandGains g_EqPresetGains[12] = {
    {5, 2, 0, -10, -5, 0, 6, 12, 11, 10},    {-13, -9, -4, 2, 8, 12, 2, -11, -2, 8},
    {12, 7, -3, 4, 13, 8, 3, -3, 8, 12},     {-8, 6, 0, 8, -8, 10, -2, 13, 8, 1},
    {5, 5, 2, -2, -8, -12, -4, 0, 7, 9},     {6, 3, -8, -12, -4, 3, 8, 10, 10, 7},
    {-6, 0, 4, 8, 9, 9, 5, 3, 2, 1},         {-10, -11, -12, -6, 2, 8, 13, 13, 11, 14},
    {11, 7, 3, 0, 0, -6, -10, -10, -2, -2},  {0, 7, -1, -7, -12, -8, 0, 10, 4, -5},
    {-13, -8, 0, 6, 14, 4, -4, -7, -8, -10}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
};

namespace {

// A built-in preset is matched loosely, a stored user preset a little more tightly.
constexpr double kPresetTolerance = 0.05;
constexpr float kUserPresetTolerance = 0.03f;
constexpr const wchar_t* kPresetNameBox = L"EQProfileName";
constexpr const wchar_t* kPresetList = L"EQProfileList";
constexpr const wchar_t* kNamePromptKey = L"ml_SpeakerEQ_ProfileName_Prompt";
// Characters no file name may hold; preset names keep to the same rule.
constexpr const wchar_t* kForbiddenNameChars = L"/\\:*?\"<>|";

// The pages by handler name; the last row serves every other name.
struct EQPageRow {
    const wchar_t* handlerName;
    const wchar_t* fileName;
    const wchar_t* messagePage; // the quarter-speaker page has no messages of its own
    bool quarterIndex;
};
constexpr EQPageRow kPages[] = {
    {L"SpeakerEQHandler", L"SpeakerEQProfile.dat", L"SpeakerEQ", false},
    {L"SpeakerQuarterEQHandler", L"SpeakerQuarterEQProfile.dat", L"SpeakerEQ", true},
    {L"HeadPhoneEQHandler", L"HeadphoneEQProfile.dat", L"HeadPhoneEQ", false},
    {nullptr, L"SPDIFOutEQProfile.dat", L"SPDIFOutEQ", false},
};

const EQPageRow& PageOf(const std::wstring& handlerName) {
    for (const EQPageRow& row : kPages) {
        if (!row.handlerName || handlerName == row.handlerName)
            return row;
    }
    return kPages[std::size(kPages) - 1];
}

struct MessageRow {
    const wchar_t* key; // after "ml_<page>", or a whole key when shared
    bool shared;
    const wchar_t* caption;
    UINT type;
};
// In the order of CEQHandler::Message.
constexpr MessageRow kMessages[] = {
    {L"_ProfileName_LoadError", false, L"ml_DialogMsgBox_Error", MB_ICONERROR},
    {L"_ProfileName_ContentSameAsPreset", false, L"ml_DialogMsgBox_Error", MB_ICONERROR},
    {L"_ProfileName_Invalid", false, L"ml_DialogMsgBox_Error", MB_ICONERROR},
    {L"_ProfileName_NameSameAsPreset", false, L"ml_DialogMsgBox_Error", MB_ICONERROR},
    {L"ml_PanelProfile_HasTheSameSettingInProfileList", true, L"ml_DialogMsgBox_Error", MB_ICONERROR},
    {L"_HasTheSameUserDefineName", false, L"ml_DialogMsgBox_Warning", MB_YESNO | MB_ICONINFORMATION},
    {L"_ProfileName_SaveError", false, L"ml_DialogMsgBox_Error", MB_ICONERROR},
    {L"_ProfileName_DeleteError", false, L"ml_DialogMsgBox_Error", MB_ICONERROR},
};

bool SameUserPreset(const BandGains& a, const BandGains& b) {
    for (int band = 0; band < kBandCount; ++band) {
        if (!(std::fabs(a[band] - b[band]) < kUserPresetTolerance))
            return false;
    }
    return true;
}

std::wstring TrimBlanks(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos)
        return {};
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

template <class Interface> Interface* As(CxSkinCtrl* control) {
    return control ? dynamic_cast<Interface*>(control) : nullptr;
}

} // namespace

CEQHandler::CEQHandler(IEQPageHost& host) : CEQHandler(L"EQHandler", host) {}

CEQHandler::CEQHandler(const wchar_t* name, IEQPageHost& host) : m_host(host) {
    m_name = name;
    LoadProfileFile();
}

bool CEQHandler::UsesQuarterIndex() const {
    return PageOf(m_name).quarterIndex;
}

// ---------------------------------------------------------------------------------------------------------
// Driver state

void CEQHandler::ApplyToDevice(IDriverInstance& driver, int32_t endpointCode) {
    // Off, then every band flat: the switch is unsigned, the band gains signed whole dB.
    uintkey::Default defaults[1 + kBandCount] = {{kEnableKey, 0}};
    for (int band = 0; band < kBandCount; ++band)
        defaults[1 + band] = {g_EqBandTable[band].driverKey, 0, kValueInt};
    uintkey::WriteDefaults(&driver, endpointCode, kEnableKey, defaults);
}

void RegisterEQDefaultsWriter(CEffectDefaultWriters& writers, std::function<IDriverInstance*()> driver) {
    writers.Set(EffectWriter::EQApplyToDevice, [driver = std::move(driver)](int32_t endpointCode) {
        if (IDriverInstance* instance = driver())
            CEQHandler::ApplyToDevice(*instance, endpointCode);
    });
}

int CEQHandler::FindMatchingPreset(const BandGains& gains) {
    for (int preset = 0; preset < kBuiltInPresetCount; ++preset) {
        bool matches = true;
        for (int band = 0; band < kBandCount && matches; ++band) {
            const float difference = gains[band] - g_EqPresetGains[preset][band];
            matches = std::fabs(static_cast<double>(difference)) <= kPresetTolerance;
        }
        if (matches)
            return preset;
    }
    return kUserDefinedPreset;
}

void CEQHandler::MatchCurrentPreset() {
    IDriverInstance* driver = GetDriver();
    uint32_t enable = 0;
    uintkey::Read(driver, kEnableKey, enable, true, false);
    m_enable = enable;
    for (int band = 0; band < kBandCount; ++band) {
        int32_t gain = 0;
        if (driver)
            driver->GetProperty(g_EqBandTable[band].driverKey, &gain, kValueInt, kDefaultNumberSize, nullptr, 0, 0,
                                true, false);
        m_gains[band] = static_cast<float>(gain);
    }
    m_presetIndex = FindMatchingPreset(m_gains);
}

int CEQHandler::UpdateFromDriver() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return 0;
    // The live value against the one the driver kept from this program's last read or write.
    auto read = [driver](const wchar_t* key, int32_t type, bool fromCache) {
        int32_t value = 0;
        driver->GetProperty(key, &value, type, kDefaultNumberSize, nullptr, 0, 0, false, fromCache);
        return value;
    };
    auto differs = [&read](const wchar_t* key, int32_t type) {
        return read(key, type, false) != read(key, type, true);
    };
    const int32_t enable = read(kEnableKey, kValueUInt, false);
    if (enable != read(kEnableKey, kValueUInt, true))
        return 1;
    // Bands of a switched-off equalizer are not shown as in force.
    if (enable == 0)
        return 0;
    for (const EqBandRow& row : g_EqBandTable) {
        if (differs(row.driverKey, kValueInt))
            return 1;
    }
    return 0;
}

int CEQHandler::SetBandGain(int band, float gain) {
    // A value the driver's integer cannot hold is refused rather than converted.
    if (band < 0 || band >= kBandCount || !std::isfinite(gain) || std::fabs(gain) > 1.0e6f)
        return 0;
    IDriverInstance* driver = GetDriver();
    const int32_t whole = static_cast<int32_t>(gain); // toward zero: the driver keeps whole dB
    if (!driver || driver->SetProperty(g_EqBandTable[band].driverKey, &whole, kValueInt, kDefaultNumberSize, nullptr, 0,
                                       0) != kDriverOk)
        return 0;
    m_gains[band] = gain;
    return 1;
}

void CEQHandler::WriteGains(const BandGains& gains) {
    IMainHandler* main = GetMainHandler();
    for (int band = 0; band < kBandCount; ++band) {
        SetBandGain(band, gains[band]);
        if (main)
            main->UpdateStatusPanel(g_EqBandTable[band].driverKey, 0);
    }
}

int CEQHandler::ToggleEnable() {
    const uint32_t old = m_enable;
    const uint32_t next = old == 1 ? 0 : 1;
    if (!uintkey::Write(GetDriver(), kEnableKey, next)) {
        // The switch has already flipped under the click: show the state the device kept.
        if (auto* button = As<IxSkinButton>(FindControl(L"BtnEnableEQ")))
            button->SetCheck(static_cast<int>(old), FALSE);
        return 0;
    }
    m_enable = next;
    InitControls();
    if (IMainHandler* main = GetMainHandler())
        main->UpdateStatusPanel(kEnableKey, 1);
    return 1;
}

// ---------------------------------------------------------------------------------------------------------
// Controls

void CEQHandler::Invalidate() {
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

void CEQHandler::EnableByFlag(const wchar_t* name) {
    if (CxSkinCtrl* control = FindControl(name))
        control->Enable(m_enable ? TRUE : FALSE, FALSE);
}

IxSkinComboBox* CEQHandler::FindProfileList() const {
    return As<IxSkinComboBox>(FindControl(kPresetList));
}

void CEQHandler::InitControls() {
    MatchCurrentPreset();
    if (auto* button = As<IxSkinButton>(FindControl(L"BtnEnableEQ")))
        button->SetCheck(static_cast<int>(m_enable), FALSE);
    RefreshPresetControls(true, true, true);
    Invalidate();
}

void CEQHandler::FillProfileList(IxSkinComboBox& list) {
    if (list.GetCount() == 0) {
        for (const auto& entry : m_userPresets) {
            const int index = list.AddString(entry.first);
            if (index >= 0)
                list.SetItemName(index, entry.first);
        }
    }
    const int count = list.GetCount();
    if (count == 0 || m_selectedUserPreset < 0)
        m_selectedUserPreset = 0;
    else if (m_selectedUserPreset >= count)
        m_selectedUserPreset = count - 1;
    list.SetCurSel(m_selectedUserPreset, 0);
}

void CEQHandler::RefreshPresetControls(bool sliders, bool presetButtons, bool presetBoxes) {
    if (sliders) {
        for (int band = 0; band < kBandCount; ++band) {
            if (auto* slider = As<IxSkinSlider>(FindControl(g_EqBandTable[band].slider)))
                slider->SetPos(m_gains[band], FALSE);
            EnableByFlag(g_EqBandTable[band].slider);
        }
        for (const wchar_t* label : g_EqScaleLabels)
            EnableByFlag(label);
    }
    EnableByFlag(L"EQ_Logo");
    if (presetButtons) {
        for (int preset = 0; preset < static_cast<int>(std::size(g_EqPresetButtons)); ++preset) {
            if (auto* button = As<IxSkinButton>(FindControl(g_EqPresetButtons[preset])))
                button->SetCheck(preset == m_presetIndex, FALSE);
            EnableByFlag(g_EqPresetButtons[preset]);
        }
    }
    if (presetBoxes) {
        for (const wchar_t* name : {L"BtnSave", L"BtnDelete", kPresetNameBox, kPresetList})
            EnableByFlag(name);
        if (IxSkinComboBox* list = FindProfileList())
            FillProfileList(*list);
    }
}

int CEQHandler::OnSliderChanged(const std::wstring& name, float position, int) {
    int result = 0;
    for (int band = 0; band < kBandCount; ++band) {
        if (name != g_EqBandTable[band].slider)
            continue;
        result = SetBandGain(band, position);
        if (IMainHandler* main = GetMainHandler())
            main->UpdateStatusPanel(g_EqBandTable[band].driverKey, 0);
        break;
    }
    m_presetIndex = FindMatchingPreset(m_gains);
    RefreshPresetControls(false, true, false);
    Invalidate();
    return result;
}

int CEQHandler::OnButtonClick(const std::wstring& name) {
    if (name == L"BtnEnableEQ")
        return ToggleEnable();
    if (name == L"BtnSave")
        return SaveUserPreset();
    if (name == L"BtnDelete")
        return DeleteUserPreset(static_cast<unsigned>(m_selectedUserPreset));
    for (int preset = 0; preset < kBuiltInPresetCount; ++preset) {
        if (name == g_EqPresetButtons[preset])
            return SelectPreset(static_cast<unsigned>(preset));
    }
    if (name == g_EqPresetButtons[kUserDefinedPreset]) {
        SelectUserPreset(static_cast<unsigned>(m_selectedUserPreset));
        InitControls();
    }
    return 0;
}

int CEQHandler::OnComboBoxSelChange(const std::wstring&, int index) {
    m_selectedUserPreset = index;
    SelectUserPreset(static_cast<unsigned>(index));
    m_host.StoreSelectedUserPreset(UsesQuarterIndex(), index);
    return 0;
}

int CEQHandler::SelectPreset(unsigned index) {
    if (index >= static_cast<unsigned>(kBuiltInPresetCount))
        return 0;
    m_presetIndex = static_cast<int>(index);
    WriteGains(g_EqPresetGains[index]);
    RefreshPresetControls(true, false, false);
    Invalidate();
    return 0;
}

// ---------------------------------------------------------------------------------------------------------
// User presets

int CEQHandler::ShowMessage(Message message) {
    const MessageRow& row = kMessages[static_cast<int>(message)];
    const std::wstring key = row.shared ? row.key : L"ml_" + std::wstring(PageOf(m_name).messagePage) + row.key;
    return m_host.ShowMessageBox(m_owner, GetLanguageText(key, true), GetLanguageText(row.caption, true), row.type);
}

int CEQHandler::SelectUserPreset(unsigned index) {
    IxSkinComboBox* list = FindProfileList();
    if (!list)
        return 0;
    if (list->GetCount() == 0) {
        ShowMessage(Message::LoadError);
        return 0;
    }
    std::wstring name;
    list->GetItemText(static_cast<int>(index), name);
    const auto found = m_userPresets.find(name);
    if (found == m_userPresets.end())
        return 0;
    if (!SameUserPreset(m_gains, found->second)) {
        WriteGains(found->second);
        InitControls();
    }
    m_presetIndex = kUserDefinedPreset;
    return 0;
}

bool CEQHandler::IsValidPresetName(const std::wstring& name) const {
    // Longer names could not be read back from the preset file.
    if (name.empty() || name.size() > oc::eq::kMaxNameLength)
        return false;
    if (name == GetLanguageText(kNamePromptKey, true))
        return false;
    return name.find_first_of(kForbiddenNameChars) == std::wstring::npos;
}

bool CEQHandler::IsBuiltInPresetCaption(const std::wstring& name) const {
    for (int preset = 0; preset < kBuiltInPresetCount; ++preset) {
        const CxSkinCtrl* button = FindControl(g_EqPresetButtons[preset]);
        if (!button)
            continue;
        // A caption still in key form is compared as the user sees it.
        const std::wstring& caption = button->GetText();
        const std::wstring shown = caption.rfind(L"ml_", 0) == 0 ? GetLanguageText(caption, true) : caption;
        if (name == caption || name == shown)
            return true;
    }
    return false;
}

int CEQHandler::SaveUserPreset() {
    if (m_presetIndex != kUserDefinedPreset)
        return ShowMessage(Message::ContentSameAsPreset), 0;
    CxSkinCtrl* nameControl = FindControl(kPresetNameBox);
    auto* nameBox = As<IxSkinTextBox>(nameControl);
    if (!nameBox)
        return 1;
    const std::wstring name = TrimBlanks(nameBox->GetText());
    if (!IsValidPresetName(name))
        return ShowMessage(Message::Invalid), 0;
    if (IsBuiltInPresetCaption(name))
        return ShowMessage(Message::NameSameAsPreset), 0;

    // Empty and unfocused, the box shows its prompt again.
    nameBox->SetText(L"", FALSE);
    nameControl->KillFocus();

    const BandGains gains = m_gains;
    for (const auto& entry : m_userPresets) {
        if (SameUserPreset(entry.second, gains))
            return ShowMessage(Message::SameSetting), 0;
    }
    if (const auto existing = m_userPresets.find(name); existing != m_userPresets.end()) {
        if (ShowMessage(Message::SameName) != IDYES)
            return 1;
        m_userPresets.erase(existing);
    }
    const auto [inserted, done] = m_userPresets.emplace(name, gains);
    if (!done)
        return ShowMessage(Message::SaveError), 0;
    const int selectedBefore = m_selectedUserPreset;
    if (FindProfileList())
        m_selectedUserPreset = static_cast<int>(std::distance(m_userPresets.begin(), inserted));
    if (!SaveProfileFile())
        return ShowKeptPresets(Message::SaveError, selectedBefore);
    if (IxSkinComboBox* list = FindProfileList())
        list->ResetContent();
    RefreshPresetControls(false, false, true);
    Invalidate();
    return 1;
}

int CEQHandler::DeleteUserPreset(unsigned index) {
    IxSkinComboBox* list = FindProfileList();
    if (list) {
        std::wstring name;
        list->GetItemText(static_cast<int>(index), name);
        if (name.empty())
            return ShowMessage(Message::DeleteError), 0;
        list->DeleteString(static_cast<int>(index));
        list->ResetContent();
        const auto found = m_userPresets.find(name);
        if (found == m_userPresets.end()) {
            // The list was emptied above: fill it again from the presets that are kept.
            RefreshPresetControls(false, false, true);
            return ShowMessage(Message::DeleteError), 0;
        }
        m_userPresets.erase(found);
        if (!SaveProfileFile())
            return ShowKeptPresets(Message::DeleteError, m_selectedUserPreset);
    }
    RefreshPresetControls(false, false, true);
    if (!list || list->GetCount() == 0)
        return 1;
    if (m_selectedUserPreset >= list->GetCount())
        m_selectedUserPreset = list->GetCount() - 1;
    if (m_presetIndex == kUserDefinedPreset) {
        SelectUserPreset(static_cast<unsigned>(m_selectedUserPreset));
        list->Redraw(FALSE);
    }
    return 1;
}

// ---------------------------------------------------------------------------------------------------------
// Preset file

void CEQHandler::LoadProfileFile() {
    m_presetFilePath = m_host.GetDataFolder() + L"\\EffectPlugins\\" + PageOf(m_name).fileName;
    m_userPresets = oc::eq::ReadPresetFile(m_presetFilePath);
    m_selectedUserPreset = m_host.GetSelectedUserPreset(UsesQuarterIndex());
}

bool CEQHandler::SaveProfileFile() {
    // A failed write keeps the old file whole.
    if (!oc::eq::WritePresetFile(m_presetFilePath, m_userPresets))
        return false;
    m_host.StoreSelectedUserPreset(UsesQuarterIndex(), m_selectedUserPreset);
    return true;
}

int CEQHandler::ShowKeptPresets(Message message, int selected) {
    // A list that differs from the file would lose its changes silently at the next start.
    m_userPresets = oc::eq::ReadPresetFile(m_presetFilePath);
    m_selectedUserPreset = selected;
    if (IxSkinComboBox* list = FindProfileList())
        list->ResetContent();
    RefreshPresetControls(false, false, true);
    Invalidate();
    ShowMessage(message);
    return 0;
}
