#pragma once
// The volume page's own operations: the writes of mute, balance lock and channel levels, and the control
// updates the endpoint pages share.
#include <string>

class IVolHandler {
public:
    virtual int SetMute(const std::wstring& name, int on) = 0;
    virtual int SetBalance(const std::wstring& name, int on) = 0;
    virtual int SetVolumeScalar(const std::wstring& name, int channel, float value) = 0;
    virtual int SetVolumedB(const std::wstring& name, int channel, float dB) = 0;
    virtual int SetSliderPos(const std::wstring& name, float pos) = 0;
    virtual int SetControlText(const std::wstring& name, const std::wstring& text) = 0;
    virtual int RefreshVolumeScalar(const std::wstring& name) = 0;
    virtual int SetControlCheck(const std::wstring& name, int check) = 0;
    virtual int RefreshVolume(const std::wstring& sliderName) = 0;
    virtual int GetMute(const std::wstring& name) = 0;
    virtual int Reserved() = 0;
    virtual int GetBalance(const std::wstring& name) = 0;

protected:
    ~IVolHandler() = default;
};
