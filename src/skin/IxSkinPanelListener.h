#pragma once
// Hears a panel's wheel scrolling. A handler implements it beside its other listener interfaces; the panel
// finds it by asking the handler that serves it (CxSkinObject::FindListener) for this interface.

#include <windows.h>

class IxSkinPanelListener {
public:
    // After a wheel turn scrolled the panel: the axis (non-zero vertical) and that axis's new scroll
    // position. The result is not used.
    virtual int OnPanelNotify(BOOL bVertical, int position) = 0;

protected:
    ~IxSkinPanelListener() = default;
};
