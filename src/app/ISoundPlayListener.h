#pragma once
// Hears the speaker-test player: a channel's test wave started or ended (or was stopped). Channels are
// 0 to 7. Called on the user-interface thread, except when the handler framework's stop worker stops the
// player while keeping its listener.

class ISoundPlayListener {
public:
    virtual void OnPlayStart(int channel) = 0;
    virtual void OnPlayEnd(int channel) = 0;

protected:
    ~ISoundPlayListener() = default;
};
