#pragma once
// What handlers and the markup set on a slider beyond the common control properties. Values are in the
// slider's internal units: displayed units times the value scale (see CxSkinSlider::SetValueScale).

#include <windows.h>

#include <string>
#include <vector>

#include "skin/IxSkinCtrl.h"

class IxSkinSlider : public virtual IxSkinCtrl {
public:
    // 0 vertical (the maximum at the top), 1 horizontal (the minimum at the left).
    virtual void SetOrientation(int orientation) = 0;
    // 0 slider, 1 progress bar (no thumb, no input).
    virtual void SetType(int type) = 0;
    // Each throws a CxSkinControlsException (as a pointer) when the file cannot be loaded; an empty path
    // changes nothing.
    virtual void SetBarNormalImage(const std::wstring& path) = 0;
    virtual void SetBarColorImage(const std::wstring& path) = 0;
    virtual void SetBarDisableImage(const std::wstring& path) = 0;
    virtual void SetThumbNormalImage(const std::wstring& path) = 0;
    virtual void SetThumbOverImage(const std::wstring& path) = 0;
    virtual void SetThumbDownImage(const std::wstring& path) = 0;
    virtual void SetThumbDisableImage(const std::wstring& path) = 0;
    // Enabled together with every parent layer.
    virtual int IsEnabled() = 0;
    // Enables or disables, then redraws.
    virtual void Refresh(int enable) = 0;
    // Throws a CxSkinControlsException (as a pointer) unless max > min; then nothing is stored.
    virtual void SetRange(int min, int max) = 0;
    virtual void SetMaximum(int max) = 0;
    virtual void SetMinimum(int min) = 0;
    // value in displayed units; 1 when it moved the slider, 0 when ignored (unchanged, or during a drag).
    virtual int SetPos(float value, int redraw) = 0;
    virtual int GetMaximum() = 0;
    virtual int GetMinimum() = 0;
    virtual float GetPos() = 0;
    virtual int GetSmallChange() = 0;
    virtual void SetSmallChange(int step) = 0;
    // Appended to the ticks already set.
    virtual void SetTicks(std::vector<int> ticks) = 0;
    virtual void SetTooltipShow(int show) = 0;

protected:
    ~IxSkinSlider() = default;
};
