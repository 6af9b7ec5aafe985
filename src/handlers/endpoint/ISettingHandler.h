#pragma once
// The channel-configuration operations of the endpoint "Setting" pages.

class ISettingHandler {
public:
    virtual ~ISettingHandler() = default;
    // Channel count 2, 4, 6 or 8.
    virtual void SetChannelNumber(int channels) = 0;
    virtual void SetChannelCopy() = 0;
    virtual void SetWooferCenterSwap() = 0;
    virtual void SetSideBackSwap() = 0;
};
