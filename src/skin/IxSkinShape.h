#pragma once
// What the markup "Shape" element sets on a shape control. None of these redraws.

#include <windows.h>

#include "skin/IxSkinCtrl.h"

class IxSkinShape : public virtual IxSkinCtrl {
public:
    // 0 rectangle, 1 ellipse, 2 triangle with its apex at the top middle.
    virtual void SetShapeType(int type) = 0;
    // 0 a 2-pixel outline, 1 a solid fill, 2 a banded gradient fill.
    virtual void SetFillType(int type) = 0;
    // The fill colour, and the outline's.
    virtual void SetSolidColor(SkinColor argb) = 0;
    // Fractions of the control's size as it is now, kept as whole pixels.
    virtual void SetGradientStartPoint(double x, double y) = 0;
    virtual void SetGradientEndPoint(double x, double y) = 0;
    // Offsets must rise strictly: a stop at or below an existing one is refused (FALSE).
    virtual BOOL AddGradientStop(double offset, SkinColor argb) = 0;

protected:
    ~IxSkinShape() = default;
};
