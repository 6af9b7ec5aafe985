#pragma once
// One colour stop of a shape's gradient: the colour at a fraction of the shape's extent along the
// gradient.

#include "framework/Object.h"
#include "skin/SkinParse.h"

class CGradientStop : public CObject {
public:
    CGradientStop(double offset, SkinColor color) : m_offset(offset), m_color(color) {}
    ~CGradientStop() override = default;

    double m_offset = 0.0;
    SkinColor m_color = 0;
};
