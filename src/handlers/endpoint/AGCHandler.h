#pragma once
// The automatic gain control page: a switch and, where the markup has one, a slider. The device may change
// the setting itself, so the page is also refreshed from the driver's automatic-gain event, on the driver
// library's thread; the handler keeps no state of its own that such a refresh could tear.

#include <string>

#include "app/BaseHandler.h"

class CAGCHandler : public CBaseHandler {
public:
    CAGCHandler();

    // IHandler
    void InitControls() override;
    int UpdateFromDriver() override;
    // Listeners
    int OnClick(const std::wstring& name) override;
    int OnSliderChanged(const std::wstring& name, float value, int done) override;

    // Any level whose whole part is nonzero switches the control on; 1 when the write succeeded.
    virtual int SetAGC(float level);
    // Inverts what the device reports; the button is left showing the user's click either way.
    virtual int ToggleAGC();
    // 1 when the device reports the control on; a failed read counts as off.
    virtual int GetAGC();

private:
    bool ReadAGC(unsigned& value, bool storeInCache, bool fromCache) const;
    bool WriteAGC(int on);
};
