#pragma once
// The up-mix page: one switch on the driver's channel copy, the diagram for the present channel count, and
// a way to the endpoint's surround page. On a two-channel device there is nothing to spread stereo onto
// unless a surround path is on, so the page greys itself then.

#include <cstdint>
#include <string>

#include "app/BaseHandler.h"
#include "handlers/effects/ISpacelineHandler.h"

class CSpacelineHandler : public CBaseHandler, public ISpacelineHandler {
public:
    CSpacelineHandler();

    // ISpacelineHandler
    int SetEnable() override;
    // IHandler
    void InitControls() override;
    int UpdateFromDriver() override;
    int OnClick(const std::wstring& name) override;

    // Shared by every up-mix page of the process; each page's InitControls takes it from the device.
    static uint32_t GetSharedFlag() { return s_enable; }
    static void ResetSharedFlag() { s_enable = 0; }
    // The diagram shown for a channel count while the up-mix is on; null for none.
    static const wchar_t* DiagramForChannels(uint32_t channels);

private:
    void ShowControl(const wchar_t* name, bool visible) const;

    static uint32_t s_enable;
};

class CHeadPhoneSpacelineHandler : public CSpacelineHandler {
public:
    CHeadPhoneSpacelineHandler() { m_name = L"HeadPhoneSpacelineHandler"; }
};

class CSpeakerSpacelineHandler : public CSpacelineHandler {
public:
    CSpeakerSpacelineHandler() { m_name = L"SpeakerSpacelineHandler"; }
};
