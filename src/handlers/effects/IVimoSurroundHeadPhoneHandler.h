#pragma once
// The surround headphone page's own operations, in the order other pages call them.

#include <cstdint>

class IVimoSurroundHeadPhoneHandler {
public:
    // 1 when the switch was written, else 0.
    virtual int EnableEffect() = 0;
    // 0 large, 1 medium, 2 small; answers 1.
    virtual int SetRoomSize(uint32_t size) = 0;

protected:
    ~IVimoSurroundHeadPhoneHandler() = default;
};
