#pragma once
// Hears a slider's user changes. A handler implements it beside its other listener interfaces; the slider
// finds it by asking the handler that serves it (CxSkinObject::FindListener) for this interface.

#include <string>

class IxSkinSliderListener {
public:
    // value in displayed units; final is 1 for a release after a drag, a key step or a page step, 0 for each
    // move of a drag. The result is not used.
    virtual int OnSliderChanged(const std::wstring& name, float value, int final) = 0;

protected:
    ~IxSkinSliderListener() = default;
};
