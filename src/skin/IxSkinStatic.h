#pragma once
// What the markup "Image" and "TextBlock" elements set on a static control beyond the common control
// properties.

#include <windows.h>

#include <string>

#include "skin/IxSkinCtrl.h"

class IxSkinStatic : public virtual IxSkinCtrl {
public:
    // Replaces the content image with the file's. Throws a CxSkinControlsException (as a pointer) when the
    // file cannot be loaded; the old image is gone by then. Does not redraw.
    virtual BOOL SetSkin(const std::wstring& path) = 0;
    // GDI+ string format flags: StringFormatFlagsNoWrap (4096) keeps the text on one line, 0 wraps it.
    // Does not redraw.
    virtual BOOL SetTextWrapping(UINT flags) = 0;

protected:
    ~IxSkinStatic() = default;
};
