#pragma once
// Animates one layer over a normalised time 0..1 from key frames: position, rotation, scale, shear,
// translation and a fade ratio. The registered effect (zoom or fade, see ItemAnimationEffect.h) fills the
// tracks; each applied frame moves the layer, hands it the frame's transform matrix and fade value, and
// invalidates it. It lives for one run of the layer tree's show or hide animation.

#include <windows.h>
#include <gdiplus.h>

#include <memory>

#include "skin/KeyFrameSet.h"
#include "skin/LayerAnimation.h"

class CItemAnimation : public ILayerAnimation {
public:
    CItemAnimation();
    // Takes the frame matrix back from the layer if it still points at it, so the layer never keeps a
    // dangling matrix; the bound layer must outlive the animation.
    ~CItemAnimation() override;
    CItemAnimation(const CItemAnimation&) = delete;
    CItemAnimation& operator=(const CItemAnimation&) = delete;

    void SetItem(CLayerWnd* item) { m_keys.Bind(item); }
    CLayerWnd* GetItem() const { return m_keys.GetItem(); }
    // 1 hides the layer at the end of the run, 0 shows it.
    void SetDirection(int direction) { m_direction = direction; }
    int GetDirection() const { return m_direction; }
    // 1 zoom, 2 fade.
    void SetEffect(int effect) { m_effect = effect; }
    int GetEffect() const { return m_effect; }

    void setPosAt(float step, Gdiplus::PointF point);
    void setScaleAt(float step, float scaleX, float scaleY);
    void setRatioAt(float step, int ratio);

    // Nothing happens for a step outside 0..1.
    void ApplyFrame(float step) override;
    // The layer tree's frame contract: bind, configure, build the effect's keys; the frame count.
    int Prepare(CLayerWnd* layer, int direction, int effect) override;

    const CKeyFrameSet& GetKeyFrames() const { return m_keys; }
    CKeyFrameSet& GetKeyFrames() { return m_keys; }
    Gdiplus::Matrix* GetMatrix() const { return m_matrix.get(); }

protected:
    virtual void OnFrameBegin(float step);
    virtual void OnFrameEnd(float step);

private:
    bool HasTransformKeys() const;
    void RebuildMatrix(float step);

    CKeyFrameSet m_keys;
    int m_direction = 0;
    int m_effect = 0;
    std::unique_ptr<Gdiplus::Matrix> m_matrix;
};

// Makes CItemAnimation the layer tree's animation; called once at start-up.
void RegisterItemAnimation();
