#pragma once
// What the two up-mix decoder pages (Pro Logic IIx and Neo:PC) do alike: the switch that turns the other
// decoder off, music and movie mode, level writes, which controls are live, and the first fill.

#include <cstdint>
#include <string>

#include "app/BaseHandler.h"

class CUpmixPageHandler : public CBaseHandler {
public:
    virtual void ApplyControlStates(BOOL readEnable, BOOL redraw) = 0;

    // IHandler
    void InitControls() override;
    int IsControlEnabled(const std::wstring& name) override;

protected:
    // The page's switch, its logo and the two keys every up-mix page has.
    CUpmixPageHandler(const wchar_t* switchName, const wchar_t* logoName, const wchar_t* enableKey,
                      const wchar_t* modeKey);

    // The exclusion rule that switches the other decoder off when this one comes on.
    virtual void ApplyExclusionRule() = 0;

    int ToggleEnable();
    int SetMode(uint32_t mode);
    int SetLevel(const wchar_t* key, uint32_t value, int notify);

private:
    const wchar_t* m_switchName;
    const wchar_t* m_logoName;
    const wchar_t* m_enableKey;
    const wchar_t* m_modeKey;
};
