#pragma once
// The stream-format operations of the sampling-rate page, all on the current device. Results of the set
// operations are the driver's (0 = success); the get operations answer 0 when the read fails.

#include <cstdint>

class ISamplingRateHandler {
public:
    virtual ~ISamplingRateHandler() = default;

    virtual int SetSampleRate(int rateHz) = 0;
    virtual int GetSampleRate() = 0;
    virtual int SetBitDepth(uint16_t depth) = 0;
    virtual uint16_t GetBitDepth() = 0;
    virtual int IsDolbyDigitalLiveSupported() = 0;
    virtual int SetDolbyDigitalLive(int on) = 0;
    virtual int GetDolbyDigitalLive() = 0;
    virtual int IsDTSInteractiveSupported() = 0;
    virtual int SetDTSInteractive(int on) = 0;
    virtual int GetDTSInteractive() = 0;
};
