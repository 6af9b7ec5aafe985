#pragma once
// The shared shape of the single-slider effect pages: an enable switch and one or two value channels, each a
// slider paired with a numeric text box and an optional reset button, kept in step with one driver key.
// Each page describes itself with a table; this class runs the table.

#include <cstdint>
#include <string>

#include "app/BaseHandler.h"

class IEffectMessageHost;

// One shown value: its key, controls, accepted range and defaults. A "mapped" level is shown 0..6 and held
// by the device as 0 or level + 4.
struct EffectValueChannel {
    const wchar_t* key;
    const wchar_t* slider;
    const wchar_t* textBox;
    const wchar_t* resetButton; // null: no reset
    uint32_t resetValue;        // as shown
    uint32_t min;
    uint32_t max;
    bool mapped;
    uint32_t initialValue;  // as shown, before the first read
    uint32_t deviceDefault; // written at start-up when the key cannot be read
};

struct EffectPageTable {
    const wchar_t* enableKey;
    const wchar_t* enableButton;
    const wchar_t* logo;
    EffectValueChannel channels[2];
    int channelCount;
    // A mode chosen in a list (key, list, default); null key: none.
    const wchar_t* modeKey;
    const wchar_t* modeList;
    // Written 1 whenever the effect is switched on and at start-up, never read; null: none.
    const wchar_t* onModeKey;
};

class CSingleSliderEffectHandler : public CBaseHandler {
public:
    explicit CSingleSliderEffectHandler(const EffectPageTable& table);

    // IHandler
    void InitControls() override;
    int UpdateFromDriver() override;
    // Listeners
    int OnClick(const std::wstring& name) override;
    int OnSliderChanged(const std::wstring& name, float value, int done) override;
    int OnTextCommitted(const std::wstring& name, const std::wstring& text) override;
    int OnTextChanged(const std::wstring& name, const std::wstring& text) override;

    uint32_t GetEnableField() const { return m_enable; }
    uint32_t GetValueField(int channel) const { return m_values[channel]; }
    uint32_t GetModeField() const { return m_mode; }

    static uint32_t ToDevice(const EffectValueChannel& channel, uint32_t shown);
    static uint32_t ToShown(const EffectValueChannel& channel, uint32_t device);
    // For each key in table order, the default only where the endpoint's key cannot be read; then the
    // switch-on mode. Write results are ignored: the device comes up with whatever it accepted.
    static void WriteDefaults(IDriverInstance* driver, int32_t endpointCode, const EffectPageTable& table);

    // Tests give a page their own message box; null goes back to the application's.
    void SetMessageHost(IEffectMessageHost* host) { m_messageHost = host; }

protected:
    // The enable setter every page shares: write, and on success follow with the whole page.
    int WriteEnable(uint32_t value);
    // The slider path: write the (mapped) value; on success store it and show it in the text box.
    int WriteChannel(int channel, uint32_t shown);
    // The text-box path: nothing when the field holds it already; on success store it and move the slider.
    int CommitChannel(int channel, uint32_t shown);
    int WriteMode(uint32_t index);
    // The class's enable setter (the first operation of its feature interface).
    virtual int SetEnableValue(uint32_t value) = 0;

    bool Read(const wchar_t* key, uint32_t& value, bool storeInCache, bool fromCache) const;
    bool Write(const wchar_t* key, uint32_t value) const;
    void Announce(const wchar_t* key, int fromSwitch) const;

private:
    int FindChannel(const std::wstring& name, const wchar_t* EffectValueChannel::*control) const;
    void ShowSlider(int channel, BOOL redraw);
    void ShowText(int channel, BOOL redraw);
    void Reset(int channel);
    IEffectMessageHost& MessageHost() const;

    const EffectPageTable& m_table;
    uint32_t m_enable = 0;
    uint32_t m_values[2] = {};
    uint32_t m_mode = 0;
    IEffectMessageHost* m_messageHost = nullptr;
};
