#pragma once
// What the virtual speaker page offers beyond IHandler: the effect switch, the room's rotation modes, the
// speaker geometry and levels, and the channel copy switch.

class IVirtualHandler {
public:
    virtual int SetEnable() = 0;
    // 0 drag single speakers, 1 turn clockwise, 2 turn counter-clockwise, 3 drag turns the whole ring.
    virtual int SetRotationMode(int mode) = 0;
    virtual int Reset() = 0;
    virtual int IncreaseSpeakerDB() = 0;
    virtual int DecreaseSpeakerDB() = 0;
    // angle in radians, distance as the panel's fraction of its radius; done redraws the level at once.
    virtual int SetSpeakerPosition(int index, float angle, float distance, int done) = 0;
    virtual int SetChannelCopy() = 0;

protected:
    ~IVirtualHandler() = default;
};
