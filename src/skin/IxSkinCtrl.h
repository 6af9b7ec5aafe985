#pragma once
// The common control interface: everything a markup element or a handler may set on any skinned
// control. Each control's own interface shares it as a virtual base.

#include <windows.h>

#include <string>

#include "skin/SkinParse.h"

class CDC;
class CLayerWnd;
namespace Gdiplus {
class Graphics;
}

class IxSkinCtrl {
public:
    virtual BOOL Create(const RECT& rect, CLayerWnd* parentLayer, UINT id) = 0;
    virtual void Draw(Gdiplus::Graphics* graphics) = 0;
    virtual void CaptureBackground(CDC* dc) = 0;
    virtual BOOL IsContainer() const = 0;
    virtual void Redraw(BOOL erase) = 0;
    virtual void UpdateTransform(BOOL redraw) = 0;
    virtual void SetRotation(double degrees, BOOL redraw) = 0;
    virtual void SetScale(double sx, double sy, BOOL redraw) = 0;
    virtual void SetName(const std::wstring& name) = 0;
    virtual const std::wstring& GetName() const = 0;
    virtual void SetLeft(int x) = 0;
    virtual void SetTop(int y) = 0;
    virtual void SetWidth(int width) = 0;
    virtual void SetHeight(int height) = 0;
    virtual void SetText(const std::wstring& text) = 0;
    virtual void SetBackColor(SkinColor argb) = 0;
    virtual void SetForeColor(SkinColor argb) = 0;
    virtual void SetDisabledTextColor(SkinColor argb) = 0;
    // Throws a CxSkinControlsException (as a pointer) above 200.
    virtual void SetFontSize(int size) = 0;
    virtual void SetFontStyle(int style) = 0;
    virtual void SetFontFamily(const std::wstring& face) = 0;
    virtual void SetTag(const std::wstring& tag) = 0;
    virtual const std::wstring& GetTag() const = 0;
    virtual void SetToolTip(const std::wstring& text) = 0;
    virtual void SetTransparency(int percent) = 0;
    virtual void SetTextAlign(int alignment) = 0;
    virtual void SetTextLineAlign(int alignment) = 0;
    virtual void SetScaleX(double sx) = 0;
    virtual void SetScaleY(double sy) = 0;
    virtual void SetCursor(UINT id, BOOL system) = 0;
    virtual void SetFreeze(BOOL freeze) = 0;
    virtual void Enable(BOOL enable, BOOL redraw) = 0;
    virtual void SetShapePolygon(int angle, BOOL redraw) = 0;

protected:
    ~IxSkinCtrl() = default;
};
