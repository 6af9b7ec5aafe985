#pragma once
// The feature interface of the hardware bass and treble page. The page has nothing to offer beyond its two
// sliders, so every operation answers 1 and does nothing.

class ISpeakerHWEQHandler {
public:
    virtual int HWEQReserved1() { return 1; }
    virtual int HWEQReserved2() { return 1; }
    virtual int HWEQReserved3() { return 1; }

protected:
    ~ISpeakerHWEQHandler() = default;
};
