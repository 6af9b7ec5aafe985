#pragma once
// The "Button" element: a skinned push button with its state, power and content images and the tooltip
// shown while it is checked. The check box, radio button and repeat button elements build on it.
#include <memory>

#include "markup/LytObject.h"

class IxSkinButton;
class CxSkinButton;

class CLytButton : public CLytObject {
public:
    explicit CLytButton(ILytEnvironment& environment) : CLytObject(environment, nullptr) {}

    // The element table's creation function.
    static ILytObject* CreateInstance(ILytEnvironment& environment) { return new CLytButton(environment); }

    int SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void CreateControl() override;
    // A control that never joined a layer tree (the load stopped before it was created) has no other owner
    // and goes with the object.
    void Destroy() override;

protected:
    ~CLytButton() override = default;

    // Hands a new control of the kind to the object.
    void AdoptControl(CxSkinButton* button);
    // The button face of the control; null without one.
    IxSkinButton* GetButton() const;
    // The button's table on top of the common attributes; 1 when the name was recognised.
    int SetButtonAttribute(const wchar_t* name, const wchar_t* value);
};
