#pragma once
// What handlers and the markup set on the virtual-speaker panel beyond the common control properties.
// Speakers are indexed 0 C, 1 L, 2 Lb, 3 Ls, 4 R, 5 Rb, 6 Rs, 7 Sw; index 100 is the listener's head.
// Angles are radians, 0 straight ahead (up), growing clockwise; distances are fractions of the circle's
// radius.

#include <string>

#include "skin/IxSkinCtrl.h"

class IPanelVirtualSpeakerListener;

class IPanelVirtualSpeaker : public virtual IxSkinCtrl {
public:
    // An empty path changes nothing. Otherwise the background is replaced by the file's; a file that cannot
    // be loaded leaves no background and throws a CxSkinControlsException (as a pointer). Returns 1.
    virtual int SetBarNormalSkin(const std::wstring& path) = 0;
    virtual int SetBarDisableSkin(const std::wstring& path) = 0;
    // Stores the image path of a speaker (0..7) or of the head (100), loaded when the control is created;
    // any other index returns 0.
    virtual int SetSpeakerSkin(int index, const std::wstring& path) = 0;
    virtual int SetSpeakerDisableSkin(int index, const std::wstring& path) = 0;
    // Not owned; replaces the listener found at creation.
    virtual void SetListener(IPanelVirtualSpeakerListener* listener) = 0;
    // Places one speaker (0..7) without redrawing or notifying. 0 for a bad index or a value that is not a
    // number; the distance is held within the panel's range.
    virtual int SetSpeakerPosition(int index, float angle, float distance) = 0;
    // 0 drag one speaker, 1 turn clockwise, 2 turn counter-clockwise (both on a thread), 3 drag-turn all.
    virtual int GetMode() = 0;
    virtual void SetMode(int mode) = 0;

protected:
    ~IPanelVirtualSpeaker() = default;
};
