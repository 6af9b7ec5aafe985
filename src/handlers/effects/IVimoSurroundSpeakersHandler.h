#pragma once
// The surround speakers page's own operations, in the order other pages call them.

class IVimoSurroundSpeakersHandler {
public:
    virtual int SetEnable() = 0;
    virtual int SetChannelCopy() = 0;
    virtual int SetSoundFieldExpansion(float position) = 0;
    virtual int SetSpeakerAngle(float degrees) = 0;

protected:
    ~IVimoSurroundSpeakersHandler() = default;
};
