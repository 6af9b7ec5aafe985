#pragma once
// Hears the virtual-speaker panel: a dragged speaker, a turned ring and the turning thread's request for a
// repaint. The virtual-room handler implements it beside its other listener interfaces; the panel finds it
// by asking the handler that serves it (CxSkinObject::FindListener) for this interface.

class IPanelVirtualSpeakerListener {
public:
    // After every drag move of one speaker; done is always 1. The result is not used.
    virtual int OnSpeakerMoved(int index, float angle, float distance, int done) = 0;
    // angles points at the eight current angles (radians, in speaker index order); redraw is always 0 from
    // the panel. Called on the user-interface thread while the ring is dragged and on the turning thread
    // after every turning step. The result is not used.
    virtual int OnSpeakersRotated(const float* angles, int redraw) = 0;
    // Right after OnSpeakersRotated of a turning step, on the turning thread. It must not touch any window
    // itself: it hands the repaint to the user-interface thread (a posted message).
    virtual void OnPanelRedraw() = 0;
    // On the user-interface thread, when the panel delivers the message a listener posted from the turning
    // thread (CPanelVirtualSpeaker::PostListenerNotice): the place to tell windows what that thread did.
    virtual void OnTurningNotice() {}

protected:
    ~IPanelVirtualSpeakerListener() = default;
};
