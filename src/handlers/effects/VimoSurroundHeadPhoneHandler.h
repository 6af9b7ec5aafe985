#pragma once
// The surround headphone page: the effect switch (shared with the surround speakers effect, told apart by
// "KESTAL_HPSPK_USEHP"), room size, music/movie mode, channel copy and the speaker test. The virtual
// variant drives the driver's virtual-surround keys with the same controls minus channel copy.

#include <cstdint>
#include <string>

#include "handlers/effects/IVimoSurroundHeadPhoneHandler.h"
#include "handlers/effects/VimoSurroundPageHandler.h"

class CVimoSurroundHeadPhoneHandler : public CVimoSurroundPageHandler, public IVimoSurroundHeadPhoneHandler {
public:
    // The keys and the few differences of a page family.
    struct Keys {
        const wchar_t* enable;
        const wchar_t* roomSize;
        const wchar_t* mode;
        uint32_t expectedChannels; // the warning shows on any other count
        bool plain;                // the shared surround switch, with USEHP, channel copy and exclusions
        int settingNotice;         // the notice flag after a room size or mode write
        const wchar_t* switchNotices[3];
    };

    CVimoSurroundHeadPhoneHandler();

    // Start-up defaults, written only where the endpoint's switch cannot be read.
    static void ApplyToDevice(int32_t endpointCode);
    static void WriteDefaults(IDriverInstance* driver, int32_t endpointCode);

    // IVimoSurroundHeadPhoneHandler
    int EnableEffect() override;
    int SetRoomSize(uint32_t size) override;

    // IHandler
    void InitControls() override;
    int UpdateFromDriver() override;
    int UpdateView() override { return 1; }
    // "SpeakerTestView" shows only while the effect is on.
    int ShowSpeakerTestView(const std::wstring& view) const;
    // The switch is always live; everything else follows it.
    int IsControlEnabled(const std::wstring& name) override;

    int UpdateChannelCopy();
    // 0 music, 1 movie; answers 0.
    int SetMode(uint32_t mode);

    // Listeners
    int OnClick(const std::wstring& name) override;

    uint32_t GetEnableField() const { return m_enable; }
    uint32_t GetChannelCopyField() const { return m_channelCopy; }

protected:
    explicit CVimoSurroundHeadPhoneHandler(const Keys& keys);

    void SelectRadio(const wchar_t* name, BOOL redraw) const;
    // Writes a room size or mode; a refused write puts the radio buttons back on the driver's value.
    void WriteChoice(const wchar_t* key, uint32_t value, const wchar_t* const* buttons, uint32_t count);

    const Keys& m_keys;
    uint32_t m_enable = 1;
    uint32_t m_channelCopy = 1;
};

class CHeadPhoneVimoSurroundHeadPhoneHandler : public CVimoSurroundHeadPhoneHandler {
public:
    CHeadPhoneVimoSurroundHeadPhoneHandler() { m_name = L"HeadPhoneVimoSurroundHeadPhoneHandler"; }
};

class CSpeakerVimoSurroundHeadPhoneHandler : public CVimoSurroundHeadPhoneHandler {
public:
    CSpeakerVimoSurroundHeadPhoneHandler() { m_name = L"SpeakerVimoSurroundHeadPhoneHandler"; }
};

// The same page on the virtual-surround keys: no channel copy, no exclusions, no start-up defaults, and the
// poll never reports a change.
class CVirtualVimoSurroundHeadPhoneHandler : public CVimoSurroundHeadPhoneHandler {
public:
    CVirtualVimoSurroundHeadPhoneHandler();
    int UpdateFromDriver() override { return 0; }
};

class CSpeakerVirtualVimoSurroundHeadPhoneHandler : public CVirtualVimoSurroundHeadPhoneHandler {
public:
    CSpeakerVirtualVimoSurroundHeadPhoneHandler() { m_name = L"SpeakerVirtualVimoSurroundHeadPhoneHandler"; }
};
