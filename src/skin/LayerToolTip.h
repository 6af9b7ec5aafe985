#pragma once
// What the layers need of their dialog's tooltip window: registering, retexting and removing the tools
// they own. The dialog hands its tooltip window to the root layer.

#include <windows.h>

class CLayerWnd;

class ILayerToolTip {
public:
    // The tool covers the owner's rectangle in host coordinates as it is when added.
    virtual BOOL AddTool(CLayerWnd* owner, const wchar_t* text, const RECT* rect, UINT id) = 0;
    virtual void RemoveTool(CLayerWnd* owner, UINT id) = 0;
    virtual void SetToolText(const wchar_t* text, CLayerWnd* owner) = 0;
    virtual BOOL HasTool(CLayerWnd* owner, UINT id) const = 0;
    // The tool's tip shows while its owner is disabled too: a disabled control may still cut its text short.
    virtual void ShowWhileDisabled(CLayerWnd* owner, UINT id) = 0;

protected:
    ~ILayerToolTip() = default;
};
