#pragma once
// What the two up-mix decoder pages (Pro Logic IIx and Neo:PC) do alike: the switch that turns the other
// decoder off, music and movie mode, the centre and dimension sliders with their reset, which controls are
// live, the sound-field picture that follows the two sliders, the change poll and the start-up defaults.
// Each page describes its keys and controls with a table; Pro Logic IIx adds its panorama switch.

#include <cstdint>
#include <span>
#include <string>

#include "app/BaseHandler.h"
#include "handlers/PageKeys.h"

// The keys and controls of one up-mix page.
struct UpmixPage {
    const wchar_t* enableKey;
    const wchar_t* modeKey;   // 1 music, 0 movie
    const wchar_t* centreKey; // shown on the "CenterGain" slider
    const wchar_t* dimensionKey;
    uint32_t centreReset;
    uint32_t dimensionReset;
    const wchar_t* logo;
    // The switch first; the rest grey together with it.
    std::span<const wchar_t* const> controls;
    // Written in this order on an endpoint whose switch cannot be read.
    std::span<const uintkey::Default> defaults;
    // Polled after the switch, while it is on.
    std::span<const wchar_t* const> watchedWhileOn;
    // Neo:PC repaints its switch whenever it reads it back; Pro Logic IIx only when the page repaints.
    bool switchAlwaysRedrawn;
};

class CUpmixPageHandler : public CBaseHandler {
public:
    // The picture both pages draw: the fan opens from 10 degrees at position 0 to 90 at the centre
    // slider's maximum; the shape's gradient centre runs from 1 at dimension 0 to 0 at the maximum.
    static int FanAngle(float position, int maximum);
    static double GradientCenter(float position, int maximum);

    // Reads the switch (when asked), greys the controls, shows mode, sliders, picture and what only the
    // page has.
    void ApplyControlStates(BOOL readEnable, BOOL redraw);
    void DrawSoundField(BOOL redraw);

    // IHandler
    void InitControls() override;
    int IsControlEnabled(const std::wstring& name) override;
    int UpdateFromDriver() override;
    int OnClick(const std::wstring& name) override;
    int OnSliderChanged(const std::wstring& name, float position, int notify) override;

protected:
    explicit CUpmixPageHandler(const UpmixPage& page);

    static void WriteDefaults(IDriverInstance* driver, int32_t endpointCode, const UpmixPage& page);

    // The exclusion rule that switches the other decoder off when this one comes on.
    virtual void ApplyExclusionRule() = 0;
    // What only the page shows, after the picture; nothing by default.
    virtual void ApplyOwnStates() {}

    int ToggleEnable();
    int SetMode(uint32_t mode);
    int SetLevel(const wchar_t* key, uint32_t value, int notify);
    // Both sliders back to their reset values, written and drawn. The pages' feature interfaces name it
    // too, so each page overrides it.
    virtual int Reset();

    bool Read(const wchar_t* key, uint32_t& value) const;
    int32_t Write(const wchar_t* key, uint32_t value) const;
    void CheckButton(const wchar_t* name, uint32_t on, BOOL redraw) const;

    const UpmixPage& m_page;

private:
    bool IsSurroundOutput() const;
    void SelectMode();
    void SetSlider(const wchar_t* name, const wchar_t* key);
};
