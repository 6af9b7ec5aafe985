#include "skin/KeyFrameSet.h"

#include <algorithm>

#include "skin/LayerWnd.h"

void CKeyFrameSet::Bind(CLayerWnd* item) {
    m_item = item;
    const POINT pos = item ? item->GetPos() : POINT{0, 0};
    m_originX = static_cast<float>(pos.x);
    m_originY = static_cast<float>(pos.y);
}

void CKeyFrameSet::AddKey(Track track, float step, float value) {
    if (!(step >= 0.0f && step <= 1.0f)) // also refuses NaN
        return;
    std::vector<KeyFrame>& keys = m_tracks[track];
    auto at =
        std::lower_bound(keys.begin(), keys.end(), step, [](const KeyFrame& key, float s) { return key.step < s; });
    if (at != keys.end() && at->step == step)
        at->value = value;
    else
        keys.insert(at, KeyFrame{step, value});
}

float CKeyFrameSet::DefaultOf(Track track) const {
    static constexpr float kDefaults[kTrackCount] = {0, 0, 0, 1.0f, 1.0f, 0, 0, 0, 0, 0};
    switch (track) {
    case kPosX:
        return m_originX;
    case kPosY:
        return m_originY;
    default:
        return kDefaults[track];
    }
}

float CKeyFrameSet::ValueAt(Track track, float step) const {
    return Interpolate(m_tracks[track], step, DefaultOf(track));
}

float CKeyFrameSet::Interpolate(const std::vector<KeyFrame>& keys, float step, float fallback) {
    if (keys.empty())
        return fallback;
    const float s = std::clamp(step, 0.0f, 1.0f);
    if (s == 1.0f)
        return keys.back().value;
    // The first key above s; the one before it (if any) is the last key at or below s.
    auto upper =
        std::upper_bound(keys.begin(), keys.end(), s, [](float v, const KeyFrame& key) { return v < key.step; });
    const KeyFrame lower = upper == keys.begin() ? KeyFrame{0.0f, fallback} : *(upper - 1);
    const KeyFrame high = upper == keys.end() ? KeyFrame{1.0f, keys.back().value} : *upper;
    if (high.step <= lower.step) // only when s lies at 1.0, handled above; kept as a guard
        return lower.value;
    return lower.value + (s - lower.step) / (high.step - lower.step) * (high.value - lower.value);
}
