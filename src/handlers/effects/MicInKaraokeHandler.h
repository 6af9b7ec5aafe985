#pragma once
// The singing page of a microphone input: a singing echo with a level and a magic voice with four
// characters. The two exclude each other; a group the device lacks is hidden, and when only the magic
// voice is offered it moves up into the echo group's place.

#include <cstdint>
#include <string>

#include "app/BaseHandler.h"

class IDriverInstance;

class IMicInKaraokeHandler {
public:
    virtual ~IMicInKaraokeHandler() = default;
    virtual int EnableMicEcho() = 0;
    virtual int SetEchoLevel(float position) = 0;
    virtual int EnableMagicVoice() = 0;
    virtual int SetMagicVoice(uint32_t index) = 0;
};

class CMicInKaraokeHandler : public CBaseHandler, public IMicInKaraokeHandler {
public:
    static const wchar_t* const kMagicVoiceButtons[4];
    static const wchar_t* const kEchoTickNames[4];

    CMicInKaraokeHandler();

    // IMicInKaraokeHandler: 1 on success, 0 when the driver refused the write.
    int EnableMicEcho() override;
    int SetEchoLevel(float position) override;
    int EnableMagicVoice() override;
    int SetMagicVoice(uint32_t index) override;
    int ResetEchoLevel();

    // IHandler
    void InitControls() override;
    int UpdateFromDriver() override;
    int OnClick(const std::wstring& name) override;
    int OnSliderChanged(const std::wstring& name, float position, int done) override;

    // The start-up defaults of one capture endpoint for the groups its device offers.
    static void InitDefaults(int32_t endpointCode, int32_t echo, int32_t magic);
    static void InitDefaults(IDriverInstance* driver, int32_t endpointCode, int32_t echo, int32_t magic);

    uint32_t GetEchoSwitch() const { return m_echoOn; }
    uint32_t GetMagicSwitch() const { return m_magicOn; }
    float GetEchoLevel() const { return m_echoLevel; }
    uint32_t GetVoice() const { return m_voice; }

protected:
    void LoadDriverValues();
    void ApplyControlStates(bool echoGroup, bool magicGroup);

private:
    void ApplyEchoGroup();
    void ApplyMagicGroup();
    void ApplyLogos();
    // Flips the group's switch; switching it on switches the other group off first where the device has it.
    struct Group;
    static const Group kEchoGroup;
    static const Group kMagicGroup;
    int ToggleGroup(const Group& group, const Group& other);
    int Read(const wchar_t* key, int32_t type, uint32_t& value) const;
    bool Write(const wchar_t* key, int32_t type, uint32_t value) const;

    uint32_t m_echoOn = 0;
    uint32_t m_magicOn = 0;
    float m_echoLevel = 0.0f;
    uint32_t m_voice = 0;
    int32_t m_echoSupported = 0;
    int32_t m_magicSupported = 0;
};
