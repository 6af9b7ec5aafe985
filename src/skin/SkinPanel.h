#pragma once
// The windowless container control of the markup's "Canvas" and "Panel" elements: it holds child controls,
// paints an optional background image behind them, scrolls them by moving every child control in short
// steps, and turns wheel turns into page scrolls that it reports to its listener. Listener lookup and
// radio groups recognise it by its run-time class name, "CxSkinPanel".

#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <memory>

#include "skin/IxSkinPanel.h"
#include "skin/SkinCtrl.h"

class CxSkinPanel : public CxSkinCtrl, public virtual IxSkinPanel {
    DECLARE_DYNAMIC(CxSkinPanel)
public:
    static constexpr int kAnimatedSteps = 20;

    CxSkinPanel() = default;
    ~CxSkinPanel() override = default;

    // IxSkinObject: a panel that already has its layer (a wrapped root) keeps it.
    int Create() override;
    using CxSkinCtrl::Create;

    // IxSkinPanel
    BOOL SetBackgroundImage(std::unique_ptr<Gdiplus::Bitmap> image) override;
    void SetScrollSize(int size, BOOL bVertical) override;
    int GetScrollSize(BOOL bVertical) const override { return Axis(bVertical).scrollSize; }
    void SetScrollPos(int position, BOOL bVertical, BOOL bAnimate) override;
    int GetScrollPos(BOOL bVertical) const override { return Axis(bVertical).position; }
    void SetPageSize(int size, BOOL bVertical) override;
    int GetPageSize(BOOL bVertical) const override { return Axis(bVertical).pageSize; }
    BOOL ScrollPageForward(BOOL bVertical) override;
    BOOL ScrollPageBack(BOOL bVertical) override;
    void SetAnimateStyle(int style) override { m_animateStyle = style; }
    int GetAnimateStyle() const override { return m_animateStyle; }

    // IxSkinCtrl: with a background image, the snapshot is what lies beneath with the image drawn over it.
    void CaptureBackground(CDC* dc) override;
    BOOL IsContainer() const override { return TRUE; }

    // Layer behaviour
    void DrawChildren(CDC* dc, const RECT* clip) override;
    // Presses go to the child under the point; the panel itself takes neither focus nor capture.
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnRButtonDown(UINT flags, POINT point) override;
    // The point is in the host's client coordinates, as the dialog delivers it.
    BOOL OnMouseWheel(UINT flags, short delta, POINT point) override;

    Gdiplus::Bitmap* GetBackgroundImage() const { return m_background.get(); }
    // The offset by which the children are shifted now; equals the scroll position between scrolls.
    POINT GetAppliedOffset() const { return {m_x.applied, m_y.applied}; }

private:
    struct ScrollAxis {
        int applied = 0;    // by which the children are shifted now
        int position = 0;   // where they are to be
        int scrollSize = 0; // the largest position; 0 stops the axis
        int pageSize = 0;
    };

    ScrollAxis& Axis(BOOL vertical) { return vertical ? m_y : m_x; }
    const ScrollAxis& Axis(BOOL vertical) const { return vertical ? m_y : m_x; }
    // Moves the axis's position by delta within 0..scroll size; TRUE when either position changed.
    BOOL MoveBy(BOOL vertical, int delta);
    // Shifts the children from the applied offset to the positions in `steps` moves, repainting each.
    void ScrollInSteps(int steps);
    void MoveChildControls(std::int64_t dx, std::int64_t dy);
    void InvalidateAnimatedLayers() const;
    void NotifyListener(BOOL vertical, int position) const;
    void DrawComposed(CDC* dc, int width, int height);
    void DrawBackground(CDC* dc, int width, int height);
    // Puts the composed panel onto the target through the world transform and the current opacity.
    void PresentTransformed(CDC* dc, const CLayerBuffer& composed) const;

    std::unique_ptr<Gdiplus::Bitmap> m_background;
    ScrollAxis m_x;
    ScrollAxis m_y;
    int m_animateStyle = 0;
};
