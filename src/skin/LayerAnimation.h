#pragma once
// What the layer tree needs of a key-frame animation to play a panel's show or hide run. The animation
// module registers its factory; without one a run only blocks and unblocks input.

#include <memory>

class CLayerWnd;

class ILayerAnimation {
public:
    virtual ~ILayerAnimation() = default;
    // Binds the layer and builds the effect's key frames for showing (direction 0) or hiding (1);
    // returns the number of frames to step through.
    virtual int Prepare(CLayerWnd* layer, int direction, int effect) = 0;
    // Applies the frame at step (0..1): moves, transforms or fades the layer and invalidates it.
    virtual void ApplyFrame(float step) = 0;
};

using LayerAnimationFactory = std::unique_ptr<ILayerAnimation> (*)();

// The process has one animation implementation; registering replaces the previous factory.
void SetLayerAnimationFactory(LayerAnimationFactory factory);
LayerAnimationFactory GetLayerAnimationFactory();
