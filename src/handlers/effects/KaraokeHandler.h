#pragma once
// The karaoke page of a playback endpoint: key shift and vocal cancellation, each with a switch, a level
// slider, a read-out, a reset button and scale labels that grey out while the effect is off.

#include <cstdint>
#include <string>

#include "app/BaseHandler.h"

class IDriverInstance;

class IKaraokeHandler {
public:
    virtual ~IKaraokeHandler() = default;
    virtual int EnableKeyShift() = 0;
    virtual int SetKeyShiftLevel(float position) = 0;
    virtual int EnableVocalCancel() = 0;
    virtual int SetVocalCancelLevel(float position) = 0;
};

class CKaraokeHandler : public CBaseHandler, public IKaraokeHandler {
public:
    CKaraokeHandler();

    // IKaraokeHandler: 1 on success, 0 when the driver refused the write.
    int EnableKeyShift() override;
    int SetKeyShiftLevel(float position) override;
    int EnableVocalCancel() override;
    int SetVocalCancelLevel(float position) override;
    int ResetKeyShift();
    int ResetVocalCancel();

    // IHandler
    void InitControls() override;
    int UpdateFromDriver() override;
    int OnClick(const std::wstring& name) override;
    int OnSliderChanged(const std::wstring& name, float position, int done) override;

    // The start-up defaults of one endpoint, on the program's driver object or the one given: written only
    // when the endpoint's switch cannot be read, so a configured device keeps its values.
    static void InitDefaults(int32_t endpointCode);
    static void InitDefaults(IDriverInstance* driver, int32_t endpointCode);

    uint32_t GetKeyShiftSwitch() const { return m_keyShiftOn; }
    uint32_t GetVocalCancelSwitch() const { return m_vocalCancelOn; }
    int32_t GetKeyShiftLevel() const { return m_keyShiftLevel; }
    int32_t GetVocalCancelLevel() const { return m_vocalCancelLevel; }

    static const wchar_t* const kControlNames[20];

protected:
    void LoadDriverValues();
    void ApplyControlStates(bool keyShiftGroup, bool vocalCancelGroup);
    void SetValueText(int32_t value, const wchar_t* control);

private:
    struct Group;
    static const Group kGroups[2];
    void ApplyGroup(const Group& group);
    int Toggle(const Group& group);
    int WriteLevel(const Group& group, float position);
    int Reset(const Group& group);
    uint32_t& SwitchOf(const Group& group);
    int32_t& LevelOf(const Group& group);

    uint32_t m_keyShiftOn = 0;
    uint32_t m_vocalCancelOn = 0;
    int32_t m_keyShiftLevel = 0;
    int32_t m_vocalCancelLevel = 50;
};

class CSpeakerKaraokeHandler : public CKaraokeHandler {
public:
    CSpeakerKaraokeHandler() { m_name = L"SpeakerKaraokeHandler"; }
};

class CHeadPhoneKaraokeHandler : public CKaraokeHandler {
public:
    CHeadPhoneKaraokeHandler() { m_name = L"HeadPhoneKaraokeHandler"; }
};

class CSPDIFOutKaraokeHandler : public CKaraokeHandler {
public:
    CSPDIFOutKaraokeHandler() { m_name = L"SPDIFOutKaraokeHandler"; }
};
