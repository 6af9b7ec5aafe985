#pragma once
// The headphone / virtual speaker page: one switch, the choice of flavour, three headphone room modes and
// two virtual speaker sizes. It needs a two-channel output; on any other layout the page shows its warning.
// The reduced virtual variant drives the driver's virtual-surround switch and room size instead.

#include <cstdint>

#include "app/BaseHandler.h"
#include "handlers/effects/IDolbyHandlers.h"

class CDolbyHPVSHandler : public CBaseHandler, public IDolbyHPVSHandler {
public:
    CDolbyHPVSHandler();

    // Start-up defaults, written only where the endpoint's switch cannot be read.
    static void InitDefaults(int32_t endpointCode);
    static void WriteDefaults(IDriverInstance* driver, int32_t endpointCode);

    // IDolbyHPVSHandler
    int SetEnable() override;
    int SetUseDH(uint32_t value) override;
    int SetDHMode(uint32_t value) override;
    int SetDVSMode(uint32_t value) override;

    // IHandler
    void InitControls() override;
    int UpdateFromDriver() override;
    // Visibility of one control of the page, from the driver's values read afresh.
    int IsViewVisible(const std::wstring& name) const;
    int IsControlEnabled(const std::wstring& name) override;
    // IxSkinButtonListener
    int OnClick(const std::wstring& name) override;

    uint32_t GetStereoField() const { return m_stereo; }

protected:
    void BuildContent();
    // The key's value, 0 when it cannot be read.
    uint32_t Value(const wchar_t* key) const;
    void CheckButton(const wchar_t* name, bool on, BOOL redraw) const;
    // Write, rebuild the page from the driver and tell the status panel; the driver's answer is not looked at
    // because the rebuild shows whatever the driver kept.
    int WriteSetting(const wchar_t* key, uint32_t value);

    uint32_t m_stereo = 0;
};

class CHeadPhoneDolbyHPVSHandler : public CDolbyHPVSHandler {
public:
    CHeadPhoneDolbyHPVSHandler() { m_name = L"HeadPhoneDolbyHPVSHandler"; }
};

class CSpeakerDolbyHPVSHandler : public CDolbyHPVSHandler {
public:
    CSpeakerDolbyHPVSHandler() { m_name = L"SpeakerDolbyHPVSHandler"; }
};

class CVirtualDolbyHPVSHandler : public CBaseHandler, public IDolbyHPVSHandler {
public:
    CVirtualDolbyHPVSHandler() { m_name = L"VirtualDolbyHPVSHandler"; }

    int SetEnable() override;
    int SetUseDH(uint32_t) override { return 1; }
    int SetDHMode(uint32_t value) override { return SetRoomSize(value); }
    int SetDVSMode(uint32_t) override { return 1; }
    int SetRoomSize(uint32_t value);

    void InitControls() override;
    int OnClick(const std::wstring& name) override;
};

class CSpeakerVirtualDolbyHPVSHandler : public CVirtualDolbyHPVSHandler {
public:
    CSpeakerVirtualDolbyHPVSHandler() { m_name = L"SpeakerVirtualDolbyHPVSHandler"; }
};
