#pragma once
// The "Shape" element: a rectangle, ellipse or triangle drawn as an outline, a solid fill or a banded
// gradient between colour stops.
#include "markup/LytOwnedControl.h"

class CLytShape : public CLytOwnedControl {
public:
    explicit CLytShape(ILytEnvironment& environment);

    static ILytObject* CreateInstance(ILytEnvironment& environment) { return new CLytShape(environment); }

    int SetAttribute(const wchar_t* name, const wchar_t* value) override;

protected:
    ~CLytShape() override = default;
};
