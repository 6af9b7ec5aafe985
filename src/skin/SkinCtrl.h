#pragma once
// The base of every skinned control: a layer that is also a skin object and carries the properties every
// markup element may set (geometry, name, tag, text, colours, font, tooltip, cursor, opacity, render
// transform, enabled, freeze, shape outline), with the common mouse, focus, cursor and transform
// behaviour the concrete controls build on.

#include <windows.h>
#include <gdiplus.h>

#include <memory>
#include <string>

#include "skin/IxSkinCtrl.h"
#include "skin/LayerBuffer.h"
#include "skin/LayerWnd.h"
#include "skin/SkinObject.h"

class ILayerToolTip;

class CxSkinCtrl : public CLayerWnd, public CxSkinObject, public virtual IxSkinCtrl {
    DECLARE_DYNAMIC(CxSkinCtrl)
public:
    static constexpr int kMaxFontSize = 200;
    static constexpr int kNoShape = 361;
    static constexpr UINT kArrowCursorId = 32512; // IDC_ARROW
    static constexpr UINT kToolId = 1;            // a control registers one tool, under this id

    CxSkinCtrl();
    ~CxSkinCtrl() override;

    // IxSkinObject
    int Create() override;
    const wchar_t* GetTypeName() const override { return L"control"; }
    void SetId(int id) override { m_ctrlId = id; }
    void SetParent(IxSkinObject* parent) override;

    // IxSkinCtrl
    BOOL Create(const RECT& rect, CLayerWnd* parentLayer, UINT id) override;
    void Draw(Gdiplus::Graphics* graphics) override;
    using CLayerWnd::Draw;
    void CaptureBackground(CDC* dc) override;
    BOOL IsContainer() const override { return FALSE; }
    void Redraw(BOOL erase) override;
    void UpdateTransform(BOOL redraw) override;
    void SetRotation(double degrees, BOOL redraw) override;
    void SetScale(double sx, double sy, BOOL redraw) override;
    void SetName(const std::wstring& name) override { m_ctrlName = name; }
    const std::wstring& GetName() const override { return m_ctrlName; }
    void SetLeft(int x) override { m_designLeft = x; }
    void SetTop(int y) override { m_designTop = y; }
    void SetWidth(int width) override { m_designWidth = width; }
    void SetHeight(int height) override { m_designHeight = height; }
    void SetText(const std::wstring& text) override { m_text = text; }
    void SetBackColor(SkinColor argb) override {
        m_backColor = argb;
        m_hasBackColor = TRUE;
    }
    void SetForeColor(SkinColor argb) override { m_foreColor = argb; }
    void SetDisabledTextColor(SkinColor argb) override { m_disabledTextColor = argb; }
    void SetFontSize(int size) override;
    void SetFontStyle(int style) override { m_fontStyle = style; }
    void SetFontFamily(const std::wstring& face) override { m_fontFamily = face; }
    void SetTag(const std::wstring& tag) override { m_tag = tag; }
    const std::wstring& GetTag() const override { return m_tag; }
    void SetToolTip(const std::wstring& text) override;
    void SetTransparency(int percent) override { m_transparency = percent; }
    void SetTextAlign(int alignment) override { m_textAlign = alignment; }
    void SetTextLineAlign(int alignment) override { m_lineAlign = alignment; }
    void SetScaleX(double sx) override { m_scaleX = sx; }
    void SetScaleY(double sy) override { m_scaleY = sy; }
    void SetCursor(UINT id, BOOL system) override;
    void SetFreeze(BOOL freeze) override { m_freeze = freeze; }
    void Enable(BOOL enable, BOOL redraw) override;
    void SetShapePolygon(int angle, BOOL redraw) override;

    // Layer behaviour
    RECT GetPaintRect() const override;
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnRButtonDown(UINT flags, POINT point) override;
    BOOL HitTest(POINT point) const override;
    void DrawChildren(CDC* dc, const RECT* clip) override;

    virtual void CopyTextStyleTo(CxSkinCtrl* control) const;
    // A copy of the control under the same parent; null for kinds that cannot copy themselves.
    virtual CxSkinCtrl* Clone() const { return nullptr; }
    // Shows the control's own cursor (apply) or the standard arrow; nothing when the control has none.
    virtual void ApplyCursor(BOOL apply);

    // Interpolation, smoothing, text hint and the render transform, before a control draws.
    void ApplyTransform(Gdiplus::Graphics& graphics) const;
    // The text's size in the control's font, width plus 5; (0, 0) for no text.
    SIZE GetTextExtent() const;
    void ResizeToContent();
    // Registers, retexts or (for an empty text) removes this control's tooltip.
    void UpdateToolTip(const std::wstring& text);
    BOOL IsTransformed() const;

    // The face new controls draw their text in: the one set for the culture's script, or else the face
    // "MS Shell Dlg 2" stands for on this system, or "Tahoma" (looked up once per process).
    static const std::wstring& GetDefaultFontFace();
    // Sets the face for the texts of the current culture; an empty face goes back to the system's face.
    // Controls made afterwards take it; the program rebuilds its windows when the culture changes.
    static void SetDefaultFontFace(const std::wstring& face);
    // The string value under root\subKey, or "Tahoma" when it cannot be read whole.
    static std::wstring ReadFontFace(HKEY root, const wchar_t* subKey, const wchar_t* valueName);

    int GetCtrlId() const { return m_ctrlId; }
    const std::wstring& GetText() const { return m_text; }
    const std::wstring& GetToolTip() const { return m_toolTip; }
    // The text the tooltip shows in the control's present state; a control with a state of its own picks it.
    virtual const std::wstring& ShownToolTip() const { return m_toolTip; }
    double GetRotation() const { return m_rotation; }
    double GetScaleX() const { return m_scaleX; }
    double GetScaleY() const { return m_scaleY; }
    RECT GetDesignRect() const {
        return {m_designLeft, m_designTop, m_designLeft + m_designWidth, m_designTop + m_designHeight};
    }
    int GetTransparency() const { return m_transparency; }
    BOOL IsFrozen() const { return m_freeze; }
    BOOL HasBackColor() const { return m_hasBackColor; }
    // Back to no background of its own: the parent shows through.
    void ClearBackColor() { m_hasBackColor = FALSE; }
    // The point the rotation and scale turn about, as fractions of the control's size (0.5, 0.5 is the centre).
    void SetTransformOrigin(double x, double y) {
        m_originX = x;
        m_originY = y;
    }
    void SetSkewX(double factor) { m_skewX = factor; }
    void SetSkewY(double factor) { m_skewY = factor; }
    SkinColor GetBackColor() const { return m_backColor; }
    SkinColor GetForeColor() const { return m_foreColor; }
    SkinColor GetDisabledTextColor() const { return m_disabledTextColor; }
    double GetFontSize() const { return m_fontSize; }
    const std::wstring& GetFontFamily() const { return m_fontFamily; }
    int GetFontStyle() const { return m_fontStyle; }
    int GetTextAlign() const { return m_textAlign; }
    int GetTextLineAlign() const { return m_lineAlign; }
    HCURSOR GetCursor() const { return m_cursor; }
    const Gdiplus::GraphicsPath* GetShapeOutline() const { return m_shape.get(); }
    const Gdiplus::Matrix* GetTransformMatrix() const { return m_matrix.get(); }
    CLayerBuffer& GetBackgroundSnapshot() { return m_snapshot; }
    IxSkinObject* GetParentObject() const { return m_parentObject; }

    // Marks for re-translating the texts after a language change: whether the text is a language text,
    // whether the control fits its size to the new text, and the language key its tooltip came from.
    void SetTextTranslatable(BOOL translatable) { m_textTranslatable = translatable; }
    BOOL IsTextTranslatable() const { return m_textTranslatable; }
    void SetFitToText(BOOL fit) { m_fitToText = fit; }
    BOOL IsFitToText() const { return m_fitToText; }
    void SetToolTipKey(const std::wstring& key) { m_toolTipKey = key; }
    const std::wstring& GetToolTipKey() const { return m_toolTipKey; }
    void SetTextKey(const std::wstring& key) { m_textKey = key; }
    const std::wstring& GetTextKey() const { return m_textKey; }

protected:
    // The DrawChildren of a control without child layers: it paints itself through GDI+ on the layer's DC.
    void DrawOnDC(CDC* dc);
    // Runs paint with the control's transform applied, then gives the graphics its state back; nothing
    // happens without graphics.
    template <class Painter> void DrawTransformed(Gdiplus::Graphics* graphics, Painter paint) {
        if (!graphics)
            return;
        const Gdiplus::GraphicsState state = graphics->Save();
        ApplyTransform(*graphics);
        paint(*graphics);
        graphics->Restore(state);
    }

    ILayerToolTip* FindToolTip() const;
    void RemoveToolTips();
    void ReleaseCursor();

    IxSkinObject* m_parentObject = nullptr;
    CLayerWnd* m_parentLayer = nullptr;
    int m_ctrlId = 1;
    std::wstring m_ctrlName;
    int m_designLeft = 0;
    int m_designTop = 0;
    int m_designWidth = 0;
    int m_designHeight = 0;
    std::unique_ptr<Gdiplus::Matrix> m_matrix;
    double m_rotation = 0.0;
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
    double m_skewX = 0.0;
    double m_skewY = 0.0;
    double m_originX = 0.5;
    double m_originY = 0.5;
    int m_transparency = 0;
    std::unique_ptr<Gdiplus::GraphicsPath> m_shape;
    int m_shapeAngle = kNoShape;
    HCURSOR m_cursor = nullptr;
    BOOL m_ownsCursor = FALSE;
    BOOL m_cursorApplied = FALSE;
    std::wstring m_toolTip;
    std::wstring m_tag;
    std::wstring m_text;
    BOOL m_freeze = FALSE;
    BOOL m_hasBackColor = FALSE;
    SkinColor m_backColor = 0xFF000000;
    SkinColor m_foreColor = 0xFFD3D3D3;
    SkinColor m_disabledTextColor = 0xFF808080;
    double m_fontSize = 10.0;
    std::wstring m_fontFamily;
    int m_fontStyle = 0;
    int m_textAlign = 1;
    int m_lineAlign = 1;
    CLayerBuffer m_snapshot;
    BOOL m_textTranslatable = TRUE;
    BOOL m_fitToText = FALSE;
    std::wstring m_toolTipKey;
    std::wstring m_textKey;
};
