#pragma once
// The markup model's view of one skin control: the skin-object operations and the setters behind the
// attributes every element shares. The skin toolkit's adapter implements it over a real control; it keeps
// the model free of Win32 types, so the model builds and is tested with recording fakes anywhere.
#include <cstdint>
#include <string>

class IxSkinObject;

// 0xAARRGGBB, alpha in the top byte (the markup colour syntax's result).
using LytColor = std::uint32_t;

// Font-style bits of the toolkit.
enum LytFontStyle : int {
    kLytFontBold = 1,
    kLytFontItalic = 2,
    kLytFontUnderline = 4,
};

class ILytControl {
public:
    virtual ~ILytControl() = default;

    // The skin object this stands for: what loads hand back and what children hang from.
    virtual IxSkinObject* GetSkinObject() const = 0;

    // The skin object's own operations.
    virtual int Create() = 0;
    virtual std::wstring GetTypeName() const = 0;
    virtual void SetId(int id) = 0;
    virtual void SetParent(IxSkinObject* parent) = 0;
    // Whether a handler listens to this object itself.
    virtual bool HasListener() const = 0;
    // Lets the handler listening to this object make its first reads; nothing without one.
    virtual void InitListenerControls() = 0;

    // The control's common properties. A skin object that is no control (a dialog, a menu) ignores them.
    virtual void SetName(const std::wstring& name) = 0;
    virtual void SetLeft(int x) = 0;
    virtual void SetTop(int y) = 0;
    virtual void SetWidth(int width) = 0;
    virtual void SetHeight(int height) = 0;
    virtual void SetToolTip(const std::wstring& text) = 0;
    // The language key a tooltip came from, so that a language change can translate it again.
    virtual void SetToolTipKey(const std::wstring& key) = 0;
    virtual void SetTag(const std::wstring& tag) = 0;
    virtual void SetText(const std::wstring& text) = 0;
    // The language key a text came from: texts of two keys may read the same in one language and not in the
    // next, so a language change translates the key again rather than the text.
    virtual void SetTextKey(const std::wstring& key) = 0;
    // The text is literal: a language change must leave it alone.
    virtual void ClearTextTranslation() = 0;
    // Shows or hides the control's layer and redraws it.
    virtual void SetVisible(bool visible) = 0;
    virtual void SetTransparency(int percent) = 0;
    // Fractions of the width and height that rotation, scale and shear turn about.
    virtual void SetTransformOrigin(double x, double y) = 0;
    // Degrees; the control is not redrawn.
    virtual void SetRotation(double degrees) = 0;
    virtual void SetScaleX(double scale) = 0;
    virtual void SetScaleY(double scale) = 0;
    virtual void SetShearX(double factor) = 0;
    virtual void SetShearY(double factor) = 0;
    // A system cursor by its identifier, or (system false) one of the program's own cursor resources.
    virtual void SetCursor(unsigned id, bool system) = 0;
    virtual void SetBackColor(LytColor argb) = 0;
    // No background colour at all: the control is transparent.
    virtual void ClearBackColor() = 0;
    virtual void SetForeColor(LytColor argb) = 0;
    virtual void SetFontFamily(const std::wstring& face) = 0;
    virtual void SetFontSize(int size) = 0;
    virtual int GetFontStyle() const = 0;
    virtual void SetFontStyle(int style) = 0;
    virtual void SetTextAlign(int alignment) = 0;
    virtual void SetTextLineAlign(int alignment) = 0;
    virtual void SetFreeze(bool freeze) = 0;
};
