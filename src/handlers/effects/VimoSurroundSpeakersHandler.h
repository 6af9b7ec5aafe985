#pragma once
// The surround speakers page: the effect switch (shared with the surround headphone effect, told apart by
// "KESTAL_HPSPK_USEHP"), sound field expansion, speaker angle, channel copy and the music/movie mode, plus
// the speaker test that every surround page and the channel page share.

#include <cstdint>
#include <string>

#include "handlers/effects/IVimoSurroundSpeakersHandler.h"
#include "handlers/effects/VimoSurroundPageHandler.h"

class CVimoSurroundSpeakersHandler : public CVimoSurroundPageHandler, public IVimoSurroundSpeakersHandler {
public:
    CVimoSurroundSpeakersHandler();

    // Start-up defaults, written only where the endpoint's switch cannot be read.
    static void InitDefaults(int32_t endpointCode);
    static void WriteDefaults(IDriverInstance* driver, int32_t endpointCode);
    // Slider degrees and the driver's angle index 0..4 (5, 10, 15, 20, 30 degrees).
    static float AngleIndexToDegrees(uint32_t index);
    static int32_t DegreesToAngleIndex(float degrees);

    // IVimoSurroundSpeakersHandler
    int SetEnable() override;
    int SetChannelCopy() override;
    int SetSoundFieldExpansion(float position) override;
    int SetSpeakerAngle(float degrees) override;
    // 0 music, 1 movie.
    virtual int SetMode(uint32_t mode);

    // IHandler
    void InitControls() override;
    int UpdateFromDriver() override;
    // Listeners
    int OnClick(const std::wstring& name) override;
    int OnSliderChanged(const std::wstring& name, float position, int done) override;

    uint32_t GetEnableField() const { return m_enable; }
    uint32_t GetChannelCopyField() const { return m_channelCopy; }
    float GetSoundFieldField() const { return m_soundField; }
    float GetSpeakerAngleField() const { return m_speakerAngle; }

protected:
    void LoadDriverValues();

    uint32_t m_enable = 0;
    uint32_t m_channelCopy = 0;
    float m_soundField = 0.0f;
    float m_speakerAngle = 5.0f;
};

class CSpeakerVimoSurroundSpeakersHandler : public CVimoSurroundSpeakersHandler {
public:
    CSpeakerVimoSurroundSpeakersHandler() { m_name = L"SpeakerVimoSurroundSpeakersHandler"; }
};

// Its name carries no "Handler": the endpoint is still found by the name's prefix.
class CHeadPhoneVimoSurroundSpeakersHandler : public CVimoSurroundSpeakersHandler {
public:
    CHeadPhoneVimoSurroundSpeakersHandler() { m_name = L"HeadPhoneVimoSurroundSpeakers"; }
};
