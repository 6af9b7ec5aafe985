#pragma once
// What the markup "Window" element, the handlers and the main window set on a skinned dialog.

#include <windows.h>

#include <string>

class CDC;
class CLayerWnd;

class IxSkinDialog {
public:
    // Percent, 0 opaque; redraw repaints the whole window.
    virtual void SetTransparency(int percent, BOOL redraw) = 0;
    virtual int GetTransparency() const = 0;
    virtual void SetTitle(const std::wstring& text) = 0;
    // The message filter the modal loop runs before dispatching; TRUE swallows the message.
    virtual BOOL PreTranslateMessage(MSG* msg) = 0;
    // Paints the root: the composed background under the area, then the layers.
    virtual void DrawBackground(CDC* dc, const RECT* clip) = 0;
    virtual void SetBackgroundImage(const wchar_t* path) = 0;
    virtual void SetName(const std::wstring& name) = 0;
    virtual void SetFocusLayer(CLayerWnd* layer) = 0;
    virtual CLayerWnd* GetFocusLayer() const = 0;
    // The window hides itself when it loses activation.
    virtual void SetHideOnDeactivate(BOOL hide) = 0;
    // While set, mouse messages are swallowed (an animation or a flip is running).
    virtual void SetInputBlocked(BOOL blocked) = 0;

protected:
    ~IxSkinDialog() = default;
};
