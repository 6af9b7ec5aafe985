#pragma once
// What the driver access object needs from the application: its folders, the system version and the few
// settings it reads and writes. Handed over at creation, so the object stands alone in tests.

#include <cstdint>
#include <string>

#include "driver/EffectDefaultWriters.h"

// The setting.ini fields the driver object uses.
class IDriverSettings {
public:
    enum ListenSource { kListenMicIn, kListenLineIn, kListenAuxIn };

    // "LastAPOName": the content panel shown last; picks the current endpoint at start-up.
    virtual std::wstring GetLastApoName() = 0;
    // "AudioDevice": receives the friendly name of the current device.
    virtual void SetAudioDevice(const std::wstring& name) = 0;
    // "MicInListenToDevice", "LineInListenToDevice", "AuxInListenToDevice".
    virtual int32_t GetListenToDevice(ListenSource source) = 0;

protected:
    ~IDriverSettings() = default;
};

struct DriverEnvironment {
    std::wstring programFolder; // with a trailing backslash
    std::wstring dataFolder;    // with a trailing backslash; holds Profile.xml
    bool vistaOrLater = true;
    IDriverSettings* settings = nullptr; // may be null: nothing is read or stored then
    // The effect families' start-up writers, filled by the handlers before the object is made.
    CEffectDefaultWriters effectWriters;
};
