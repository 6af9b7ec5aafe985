#pragma once
// What the handler framework needs of the main window's speaker-test player to stop it from a worker
// thread: whether it plays, its listener, and the stop itself.

class ISoundPlayListener;

class ISoundPlayer {
public:
    virtual bool IsPlaying() const = 0;
    // Not owned; null stops the notices.
    virtual void SetListener(ISoundPlayListener* listener) = 0;
    // Stops playback; with waitAfter set it returns only after the device's settle time. Returns 0.
    virtual int Stop(int waitAfter) = 0;

protected:
    ~ISoundPlayer() = default;
};
