#pragma once
// The equalizer page's own operations, beside the IHandler ones.

class IEQHandler {
public:
    // 1 when the switch was written.
    virtual int ToggleEnable() = 0;
    // band 0..9, gain in dB; 1 when the band was written.
    virtual int SetBandGain(int band, float gain) = 0;
    // A built-in preset 0..11; always 0.
    virtual int SelectPreset(unsigned index) = 0;
    // The user preset at the combo box index; always 0.
    virtual int SelectUserPreset(unsigned index) = 0;
    // 1 when deleted or nothing to do, 0 after an error message.
    virtual int DeleteUserPreset(unsigned index) = 0;
    // 1 when saved, declined or the page has no name box; 0 after an error message.
    virtual int SaveUserPreset() = 0;

protected:
    ~IEQHandler() = default;
};
