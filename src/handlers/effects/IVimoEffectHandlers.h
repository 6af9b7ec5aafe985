#pragma once
// The feature interfaces of the four single-slider effect pages. Each setter writes the device and answers
// 1 when the write succeeded, else 0.

#include <cstdint>

class IVimoAudioBrilliantHandler {
public:
    virtual int SetEnable(uint32_t value) = 0;
    // The level as the page shows it (0..6).
    virtual int SetLevel(uint32_t level) = 0;

protected:
    ~IVimoAudioBrilliantHandler() = default;
};

class IVimoDynamicBassHandler {
public:
    virtual int SetEnable(uint32_t value) = 0;
    virtual int Reserved() { return 0; }
    virtual int SetLevel(uint32_t level) = 0;
    virtual int SetCutoffFrequency(uint32_t frequency) = 0;

protected:
    ~IVimoDynamicBassHandler() = default;
};

class IVimoSmartVolHandler {
public:
    virtual int SetEnable(uint32_t value) = 0;
    virtual int SetMode(uint32_t index) = 0;
    virtual int SetLevel(uint32_t level) = 0;

protected:
    ~IVimoSmartVolHandler() = default;
};

class IVimoVoiceClarityHandler {
public:
    virtual int SetEnable(uint32_t value) = 0;
    // The level as the page shows it (0..6).
    virtual int SetLevel(uint32_t level) = 0;
    virtual int SetNoiseSuppLevel(uint32_t level) = 0;

protected:
    ~IVimoVoiceClarityHandler() = default;
};
