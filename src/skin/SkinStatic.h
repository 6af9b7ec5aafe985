#pragma once
// A windowless control that shows a text, a content image, or both, with an optional one-pixel border.
// It takes no input, and a press on it moves a draggable window as a press on the background does; a static
// that labels a control (a check box's or radio button's caption) passes a click on to that control instead.

#include <windows.h>
#include <gdiplus.h>

#include <array>
#include <memory>
#include <string>

#include "skin/IxSkinStatic.h"
#include "skin/SkinCtrl.h"

class CxSkinStatic : public CxSkinCtrl, public virtual IxSkinStatic {
    DECLARE_DYNAMIC(CxSkinStatic)
public:
    static constexpr UINT kNoWrap = 4096; // StringFormatFlagsNoWrap
    // A measured text never makes a control larger than this.
    static constexpr int kMaxNaturalWidth = 600;
    static constexpr int kMaxNaturalHeight = 400;

    CxSkinStatic() = default;
    ~CxSkinStatic() override = default;

    // IxSkinObject: creates the layer, then sizes an unsized control to its image or its text.
    int Create() override;
    using CxSkinCtrl::Create;

    // IxSkinStatic
    BOOL SetSkin(const std::wstring& path) override;
    BOOL SetTextWrapping(UINT flags) override;

    // Stores a changed text; neither measures nor redraws.
    void SetText(const std::wstring& text) override;
    void Draw(Gdiplus::Graphics* graphics) override;
    using CxSkinCtrl::Draw;
    void DrawChildren(CDC* dc, const RECT* clip) override;
    // A label whose control can take the click takes the press; any other static lets it through.
    BOOL HitTestForDrag(POINT point) const override;
    // A release on a label is a release on the middle of its control: the control applies its own rules (a
    // check box flips, a lit radio button stays as it is) and tells its listener as if it had been clicked.
    void OnLButtonUp(UINT flags, POINT point) override;
    // The base text style, then the wrapping, border colour and border lines.
    void CopyTextStyleTo(CxSkinCtrl* control) const override;

    virtual void SetBorderLineColor(SkinColor argb) { m_borderColor = argb; }
    // "l,t,r,b": each part's leading integer switches that line on (non-zero) or off. A text of any other
    // number of parts changes nothing.
    virtual void SetBorderLine(const std::wstring& text);

    // A new static with this one's rectangle, parent and text style, owned by the same parent layer.
    CxSkinStatic* Clone() const override;

    // Names the control this static labels; empty (the default) labels nothing.
    void SetTarget(const std::wstring& name) { m_target = name; }
    const std::wstring& GetTarget() const { return m_target; }
    // The labelled control, found by name under the layer of this static's handler, while it is shown and
    // enabled; otherwise null.
    CxSkinCtrl* FindTarget() const;

    Gdiplus::Bitmap* GetContentImage() const { return m_image.get(); }
    UINT GetTextWrapping() const { return m_formatFlags; }
    SkinColor GetBorderLineColor() const { return m_borderColor; }
    const std::wstring& GetBorderLine() const { return m_borderText; }
    const std::array<int, 4>& GetBorderFlags() const { return m_border; }
    SIZE GetNaturalSize() const { return m_naturalSize; }

private:
    void MeasureNaturalSize();
    // The control in its own coordinates, its transform already applied.
    void Paint(Gdiplus::Graphics& graphics);
    void PaintImage(Gdiplus::Graphics& graphics, const Gdiplus::Rect& area, bool enabled) const;
    void PaintBorder(Gdiplus::Graphics& graphics, int width, int height) const;
    void PaintText(Gdiplus::Graphics& graphics, int width, int height, bool enabled) const;

    std::unique_ptr<Gdiplus::Bitmap> m_image;
    UINT m_formatFlags = kNoWrap;
    SkinColor m_borderColor = 0xFFFFFFFF;
    std::wstring m_borderText;
    std::array<int, 4> m_border{}; // left, top, right, bottom
    SIZE m_naturalSize{0, 0};
    std::wstring m_target;
};
