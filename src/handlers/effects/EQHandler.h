#pragma once
// The ten-band graphic equalizer page of an output endpoint: the switch, the band sliders, the twelve
// built-in presets (the button of the preset that the bands match is checked) and the named user presets
// of the endpoint, kept in the page's own preset file. The driver does the filtering; the page only reads
// and writes its properties on the current device.

#include <cstdint>
#include <functional>
#include <string>

#include "app/BaseHandler.h"
#include "handlers/effects/EQPageHost.h"
#include "handlers/effects/EQPresetFormat.h"
#include "handlers/effects/IEQHandler.h"

class CEffectDefaultWriters;
class IxSkinComboBox;

struct EqBandRow {
    const wchar_t* driverKey; // value type 0, whole dB
    const wchar_t* slider;
};
extern const EqBandRow g_EqBandTable[oc::eq::kBandCount];
// The band and scale labels, greyed with the equalizer.
extern const wchar_t* const g_EqScaleLabels[16];
// Index = preset index; the last one stands for the user presets.
extern const wchar_t* const g_EqPresetButtons[13];
extern const oc::eq::BandGains g_EqPresetGains[12];

class CEQHandler : public CBaseHandler, public IEQHandler {
public:
    static constexpr int kBuiltInPresetCount = 12;
    static constexpr int kUserDefinedPreset = 12;
    static constexpr const wchar_t* kEnableKey = L"Enable_EQ_GFX";

    explicit CEQHandler(IEQPageHost& host = AppEQPageHost());

    // IHandler
    void InitControls() override;
    int UpdateFromDriver() override;
    // Listeners
    int OnClick(const std::wstring& name) override { return OnButtonClick(name); }
    int OnSelChange(const std::wstring& name, int index) override { return OnComboBoxSelChange(name, index); }
    int OnSliderChanged(const std::wstring& name, float position, int final) override;

    // IEQHandler
    int ToggleEnable() override;
    int SetBandGain(int band, float gain) override;
    int SelectPreset(unsigned index) override;
    int SelectUserPreset(unsigned index) override;
    int DeleteUserPreset(unsigned index) override;
    int SaveUserPreset() override;

    // The start-up defaults of one endpoint: switch off and flat, written only when the device holds no
    // equalizer state yet (its switch cannot be read).
    static void ApplyToDevice(IDriverInstance& driver, int32_t endpointCode);
    // 0..11 for the first built-in preset within 0.05 dB on every band, else kUserDefinedPreset.
    static int FindMatchingPreset(const oc::eq::BandGains& gains);

    int GetPresetIndex() const { return m_presetIndex; }
    int GetSelectedUserPreset() const { return m_selectedUserPreset; }
    uint32_t GetEnableFlag() const { return m_enable; }
    const oc::eq::BandGains& GetBandGains() const { return m_gains; }
    const oc::eq::UserPresetMap& GetUserPresets() const { return m_userPresets; }
    const std::wstring& GetPresetFilePath() const { return m_presetFilePath; }

protected:
    CEQHandler(const wchar_t* name, IEQPageHost& host);

    int OnButtonClick(const std::wstring& name);
    int OnComboBoxSelChange(const std::wstring& name, int index);
    void MatchCurrentPreset();
    void RefreshPresetControls(bool sliders, bool presetButtons, bool presetBoxes);
    void LoadProfileFile();
    // False when the file could not be replaced; it then still holds the presets it had.
    bool SaveProfileFile();

private:
    enum class Message {
        LoadError,
        ContentSameAsPreset,
        Invalid,
        NameSameAsPreset,
        SameSetting,
        SameName,
        SaveError,
        DeleteError
    };

    int ShowMessage(Message message);
    // After a failed save: shows the presets the file kept, as the next start will, and tells the user.
    int ShowKeptPresets(Message message, int selected);
    bool UsesQuarterIndex() const;
    IxSkinComboBox* FindProfileList() const;
    void EnableByFlag(const wchar_t* name);
    void FillProfileList(IxSkinComboBox& list);
    void WriteGains(const oc::eq::BandGains& gains);
    // Whether a typed, trimmed preset name may be stored (the invalid-name message covers every refusal).
    bool IsValidPresetName(const std::wstring& name) const;
    bool IsBuiltInPresetCaption(const std::wstring& name) const;
    void Invalidate();

    IEQPageHost& m_host;
    uint32_t m_enable = 0;
    oc::eq::BandGains m_gains{};
    int m_presetIndex = 0;
    int m_selectedUserPreset = 0;
    std::wstring m_presetFilePath;
    oc::eq::UserPresetMap m_userPresets;
};

// Fills the equalizer slot of the start-up writers; driver gives the driver object when a device comes up.
void RegisterEQDefaultsWriter(CEffectDefaultWriters& writers, std::function<IDriverInstance*()> driver);
