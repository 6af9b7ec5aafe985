#pragma once
// The "PanelVS" element: the virtual-speaker panel, with a background, an image, a disabled image and a
// tooltip for each speaker and for the listener's head.
#include <string>

#include "markup/LytOwnedControl.h"

class CLytPanelVS : public CLytOwnedControl {
public:
    explicit CLytPanelVS(ILytEnvironment& environment) : CLytOwnedControl(environment) {}

    static ILytObject* CreateInstance(ILytEnvironment& environment) { return new CLytPanelVS(environment); }

    int SetAttribute(const wchar_t* name, const wchar_t* value) override;
    // Makes the panel; the object keeps it until the element is finished.
    void CreateControl() override;

protected:
    ~CLytPanelVS() override = default;

private:
    // The per-speaker names ("Image.Lb", "Image.Sw.Disable", "Tooltip.Head"); 1 when the name is one.
    int SetSpeakerAttribute(const std::wstring& name, const wchar_t* value);
};
