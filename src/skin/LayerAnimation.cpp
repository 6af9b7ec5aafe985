#include "skin/LayerAnimation.h"

namespace {
LayerAnimationFactory g_factory = nullptr;
}

void SetLayerAnimationFactory(LayerAnimationFactory factory) {
    g_factory = factory;
}

LayerAnimationFactory GetLayerAnimationFactory() {
    return g_factory;
}
