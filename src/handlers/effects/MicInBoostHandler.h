#pragma once
// The microphone boost page: a slider over the device's gain range, or a check box where the device offers
// only two positions (always on systems before Vista, where the boost is only on or off).

#include <cstdint>
#include <string>

#include "app/BaseHandler.h"

class IDriverInstance;

class IMicInBoostHandler {
public:
    virtual ~IMicInBoostHandler() = default;
    virtual int SetBoost(float position) = 0;
};

class CMicInBoostHandler : public CBaseHandler, public IMicInBoostHandler {
public:
    CMicInBoostHandler();

    // IMicInBoostHandler: 1 on success, 0 when the driver refused the write.
    int SetBoost(float position) override;
    // The check box: from off to the maximum, from anything else to the minimum.
    int ToggleBoost();

    // IHandler
    void InitControls() override;
    int UpdateFromDriver() override;
    int OnClick(const std::wstring& name) override;
    int OnSliderChanged(const std::wstring& name, float position, int done) override;

    // The start-up defaults of one endpoint, for the running system or the generation given.
    static void InitDefaults(int32_t endpointCode);
    static void InitDefaults(IDriverInstance* driver, int32_t endpointCode);
    static void InitDefaults(IDriverInstance* driver, int32_t endpointCode, bool vistaOrLater);

    // Tests choose the system generation: 1 Vista or later, 0 older, -1 the running system.
    void SetVistaOrLater(int vista) { m_vista = vista; }

    int32_t GetBoostValue() const { return m_boost; }
    int32_t GetMaximum() const { return m_maximum; }
    int32_t GetMinimum() const { return m_minimum; }
    int32_t GetStep() const { return m_step; }

private:
    bool IsVista() const;
    void ShowBoostControl(bool checkBoxMode);
    void SetNumber(const wchar_t* control, int32_t value, BOOL redraw);
    bool ReadBoost(float& value, bool storeInCache, bool fromCache) const;
    bool WriteBoost(float position) const;

    int32_t m_boost = 0;
    int32_t m_maximum = 20;
    int32_t m_minimum = 0;
    int32_t m_step = 20;
    int m_vista = -1;
};
