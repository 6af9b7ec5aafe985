#include "skin/ItemAnimationEffect.h"

#include "skin/ItemAnimation.h"
#include "skin/LayerWnd.h"

using Gdiplus::PointF;

namespace {

struct EffectEntry {
    int effect;
    int frames;
    ItemAnimationBuilder builder;
    ItemAnimationRatioApplier applier;
};

constexpr EffectEntry kEffects[] = {
    {1, 7, ZoomEffect, nullptr},
    {2, 20, FadeEffect, FadeApplyRatio},
};

struct Registry {
    int frames = 10;
    ItemAnimationBuilder builder = nullptr;
    ItemAnimationRatioApplier applier = nullptr;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

float StepOf(int i, int frames) {
    return static_cast<float>(i) / static_cast<float>(frames);
}

} // namespace

void InitItemAnimationEffect(int, int effect) {
    Registry& registry = TheRegistry();
    registry.builder = nullptr;
    registry.applier = nullptr;
    for (const EffectEntry& entry : kEffects) {
        if (entry.effect == effect) {
            registry.frames = entry.frames;
            registry.builder = entry.builder;
            registry.applier = entry.applier;
        }
    }
}

bool RunItemAnimationEffect(CItemAnimation* animation, int direction, int) {
    const ItemAnimationBuilder builder = TheRegistry().builder;
    return builder ? builder(animation, direction) : false;
}

int GetItemAnimationFrameCount() {
    return TheRegistry().frames;
}

bool ApplyItemAnimationRatio(int direction, int effect, CLayerWnd* layer, float step, int ratio) {
    const ItemAnimationRatioApplier applier = TheRegistry().applier;
    return applier ? applier(direction, effect, layer, step, ratio) : false;
}

bool ZoomEffect(CItemAnimation* animation, int direction) {
    if (!animation)
        return false;
    const int frames = GetItemAnimationFrameCount();
    const CLayerWnd* item = animation->GetItem();
    const POINT origin = item ? item->GetPos() : POINT{0, 0};
    const float x0 = static_cast<float>(origin.x), y0 = static_cast<float>(origin.y);
    const float w = item ? static_cast<float>(item->GetWidth()) : 0.0f;
    const float h = item ? static_cast<float>(item->GetHeight()) : 0.0f;
    for (int i = 0; i <= frames - 2; ++i) {
        const float step = StepOf(i, frames);
        const float scale = direction == 1 ? 1.0f - step : step;
        // Moving the top-left by half the lost size keeps the scaled layer centred on its place.
        const PointF pos((w - w * scale) * 0.5f + x0, (h - h * scale) * 0.5f + y0);
        animation->setScaleAt(step, scale, scale);
        animation->setPosAt(step, pos);
        if (direction == 1 && i == frames - 2) {
            // Holds the smallest size until the layer is hidden at the last frame.
            animation->setScaleAt(0.99f, scale, scale);
            animation->setPosAt(0.99f, pos);
        }
    }
    animation->setScaleAt(1.0f, 1.0f, 1.0f);
    animation->setPosAt(1.0f, PointF(x0, y0));
    return true;
}

bool FadeEffect(CItemAnimation* animation, int direction) {
    if (!animation)
        return false;
    const int frames = GetItemAnimationFrameCount();
    for (int i = 0; i <= frames - 2; ++i) {
        const float step = StepOf(i, frames);
        if (direction == 1) {
            const int ratio = 100 - (100 * i) / frames;
            animation->setRatioAt(step, ratio);
            if (i == frames - 2)
                animation->setRatioAt(0.99f, ratio);
        } else {
            animation->setRatioAt(step, (100 * i) / frames);
        }
    }
    animation->setRatioAt(1.0f, 100);
    return true;
}

bool FadeApplyRatio(int, int, CLayerWnd* layer, float, int ratio) {
    if (!layer)
        return false;
    layer->SetFade(100 - ratio);
    return true;
}
