#pragma once
// The feature interfaces of the headphone virtualiser pages. Every operation answers 1.

#include <cstdint>

class IDolbyHPVSHandler {
public:
    virtual int SetEnable() = 0;
    // 1 the headphone flavour, 0 the virtual speaker flavour.
    virtual int SetUseDH(uint32_t value) = 0;
    // Headphone room mode 0..2 (the virtual page: its room size).
    virtual int SetDHMode(uint32_t value) = 0;
    // Virtual speaker size: 0 small, 1 large.
    virtual int SetDVSMode(uint32_t value) = 0;

protected:
    ~IDolbyHPVSHandler() = default;
};

class IDolbyHPV2Handler {
public:
    virtual int SetEnable() = 0;

protected:
    ~IDolbyHPV2Handler() = default;
};
