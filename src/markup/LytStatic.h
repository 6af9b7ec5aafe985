#pragma once
// The "Image" and "TextBlock" elements: a static control showing a text, a content image or both, with
// an optional one-pixel border. Both names take exactly the same attributes.
#include "markup/LytOwnedControl.h"

class CLytStatic : public CLytOwnedControl {
public:
    explicit CLytStatic(ILytEnvironment& environment);

    // The element table's creation function.
    static ILytObject* CreateInstance(ILytEnvironment& environment) { return new CLytStatic(environment); }

    int SetAttribute(const wchar_t* name, const wchar_t* value) override;

protected:
    ~CLytStatic() override = default;
};
