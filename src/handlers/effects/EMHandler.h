#pragma once
// The environment-modelling pages: the room effect's switch, its environment list with four shortcut
// buttons and the three room sizes. The page keeps no copy of the device state: every value it shows or
// tests is read from the driver when it is needed.

#include <cstdint>
#include <string>

#include "app/BaseHandler.h"

class IEMHandler {
public:
    virtual ~IEMHandler() = default;
    virtual int SetEnable() = 0;
    virtual void SetEnvironment(uint32_t environment) = 0;
    virtual void SetRoomSize(uint32_t roomSize) = 0;
};

class CEMHandler : public CBaseHandler, public IEMHandler {
public:
    // IEMHandler
    int SetEnable() override;
    void SetEnvironment(uint32_t environment) override;
    void SetRoomSize(uint32_t roomSize) override;

    // IHandler
    void InitControls() override;
    int UpdateFromDriver() override;
    int IsControlEnabled(const std::wstring& name) override;
    // Listeners
    int OnClick(const std::wstring& name) override;
    int OnSelChange(const std::wstring& name, int index) override;

    // Start-up: an endpoint whose switch cannot be read gets off, small room and the first environment.
    static void InitDefaults(IDriverInstance* driver, int32_t endpointCode);

protected:
    void ApplyControlStates(bool fromDriver, bool repaint);

private:
    // The key's value, 0 when it cannot be read.
    uint32_t Read(const wchar_t* key) const;
    void EnableByRule(const wchar_t* name);
    void SetButtonCheck(const wchar_t* name, int on, BOOL redraw);
    void SelectRadio(const wchar_t* name, BOOL redraw);
};

class CSpeakerEMHandler : public CEMHandler {
public:
    CSpeakerEMHandler() { m_name = L"SpeakerEMHandler"; }
};

class CHeadPhoneEMHandler : public CEMHandler {
public:
    CHeadPhoneEMHandler() { m_name = L"HeadPhoneEMHandler"; }
};

class CSPDIFOutEMHandler : public CEMHandler {
public:
    CSPDIFOutEMHandler() { m_name = L"SPDIFOutEMHandler"; }
};
