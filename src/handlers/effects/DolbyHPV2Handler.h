#pragma once
// The smallest headphone virtualiser page: one switch, with a title and background greyed while it is off.
// The virtual variant drives the driver's virtual-surround switch with the same page.

#include <cstdint>

#include "app/BaseHandler.h"
#include "handlers/effects/IDolbyHandlers.h"

class CDolbyHPV2Handler : public CBaseHandler, public IDolbyHPV2Handler {
public:
    CDolbyHPV2Handler() : CDolbyHPV2Handler(L"Enable_DHV2_LFX") {}

    // IDolbyHPV2Handler: the write's answer is not looked at; the page is read back from the driver.
    int SetEnable() override;
    // IHandler
    void InitControls() override;
    int UpdateFromDriver() override;
    // IxSkinButtonListener
    int OnClick(const std::wstring& name) override;

protected:
    explicit CDolbyHPV2Handler(const wchar_t* enableKey);

private:
    const wchar_t* m_enableKey;
};

class CHeadPhoneDolbyHPV2Handler : public CDolbyHPV2Handler {
public:
    CHeadPhoneDolbyHPV2Handler() { m_name = L"HeadPhoneDolbyHPV2Handler"; }
};

class CSpeakerDolbyHPV2Handler : public CDolbyHPV2Handler {
public:
    CSpeakerDolbyHPV2Handler() { m_name = L"SpeakerDolbyHPV2Handler"; }
};

// Same page on the virtual-surround switch; the driver's cache is not watched for it.
class CVirtualDolbyHPV2Handler : public CDolbyHPV2Handler {
public:
    CVirtualDolbyHPV2Handler() : CDolbyHPV2Handler(L"EnableVirtualSurroundEffect") {}
    int UpdateFromDriver() override { return 0; }
};

class CSpeakerVirtualDolbyHPV2Handler : public CVirtualDolbyHPV2Handler {
public:
    CSpeakerVirtualDolbyHPV2Handler() { m_name = L"SpeakerVirtualDolbyHPV2Handler"; }
};
