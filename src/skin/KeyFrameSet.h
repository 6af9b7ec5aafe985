#pragma once
// The key frames of one layer animation: ten tracks (position, rotation, scale, shear, translation and a
// fade ratio), each a list of (step, value) keys interpolated linearly over the normalised time 0..1.

#include <array>
#include <vector>

class CItemAnimation;
class CLayerWnd;

struct KeyFrame {
    float step;
    float value;
};

class CKeyFrameSet {
public:
    enum Track {
        kPosX,
        kPosY,
        kRotation,
        kScaleY,
        kScaleX,
        kShearY,
        kShearX,
        kTranslateX,
        kTranslateY,
        kRatio,
        kTrackCount
    };

    explicit CKeyFrameSet(CItemAnimation* owner) : m_owner(owner) {}

    // Binds the layer and records its current position as the origin of the position tracks.
    void Bind(CLayerWnd* item);
    CLayerWnd* GetItem() const { return m_item; }
    CItemAnimation* GetOwner() const { return m_owner; }
    float GetOriginX() const { return m_originX; }
    float GetOriginY() const { return m_originY; }
    float GetCurrentStep() const { return m_currentStep; }
    void SetCurrentStep(float step) { m_currentStep = step; }

    // A step outside 0..1 is ignored. A key at a step the track already holds replaces its value, so the
    // steps stay strictly ascending and interpolation never divides by a zero span.
    void AddKey(Track track, float step, float value);
    bool HasKeys(Track track) const { return !m_tracks[track].empty(); }
    const std::vector<KeyFrame>& GetKeys(Track track) const { return m_tracks[track]; }
    // The track's value at step; an empty track gives its default.
    float ValueAt(Track track, float step) const;

    static float Interpolate(const std::vector<KeyFrame>& keys, float step, float fallback);

private:
    float DefaultOf(Track track) const;

    CItemAnimation* m_owner;
    CLayerWnd* m_item = nullptr;
    float m_originX = 0;
    float m_originY = 0;
    float m_currentStep = 0;
    std::array<std::vector<KeyFrame>, kTrackCount> m_tracks;
};
