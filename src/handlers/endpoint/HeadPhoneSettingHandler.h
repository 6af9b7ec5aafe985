#pragma once
// The headphone channel page: always two channels, channel copy where the device has the up-mix, and the
// headphone amplifier level chosen from a list of every level the device has.

#include "handlers/endpoint/SettingHandler.h"

class CHeadPhoneSettingHandler : public CSettingHandler {
public:
    CHeadPhoneSettingHandler() { m_name = L"HeadPhoneSettingHandler"; }

    void SetChannelNumber(int channels) override { SetStereoChannelNumber(channels); }
    void InitControls() override;
    int UpdateFromDriver() override;
    int OnComboBoxSelChange(const std::wstring& name, int index) override;

    int GetAmplifierMin() const { return m_ampMin; }
    int GetAmplifierMax() const { return m_ampMax; }
    int GetAmplifierStep() const { return m_ampStep; }

protected:
    void StartSpeakerTest() override { PlayFrontPair(); }

private:
    bool ReadAmplifier(int selector, int& value, bool storeInCache) const;
    void ShowAmplifier();

    // More levels than this make no list a user can pick from: such an amplifier is not offered.
    static constexpr int kMaxAmplifierLevels = 64;

    int m_ampMin = 0;
    int m_ampMax = 0;
    int m_ampStep = 0;
};
