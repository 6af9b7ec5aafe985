#pragma once
// The process-wide effect registry of the key-frame animation: which key builder and ratio applier the
// next run uses, and how many frames it takes. Effect 1 is the zoom (7 frames), effect 2 the fade (20).
// User-interface thread only; not locked.

class CItemAnimation;
class CLayerWnd;

using ItemAnimationBuilder = bool (*)(CItemAnimation* animation, int direction);
using ItemAnimationRatioApplier = bool (*)(int direction, int effect, CLayerWnd* layer, float step, int ratio);

// Clears the registered functions, then registers those of the effect and sets its frame count. An
// unknown effect registers nothing and keeps the previous frame count.
void InitItemAnimationEffect(int direction, int effect);
// Fills the animation's tracks through the registered builder; false without one.
bool RunItemAnimationEffect(CItemAnimation* animation, int direction, int effect);
int GetItemAnimationFrameCount();
// Hands a frame's ratio to the registered applier; false without one.
bool ApplyItemAnimationRatio(int direction, int effect, CLayerWnd* layer, float step, int ratio);

// The layer grows from its centre (direction 0) or shrinks towards it (direction 1).
bool ZoomEffect(CItemAnimation* animation, int direction);
// The layer fades in (direction 0) or out (direction 1).
bool FadeEffect(CItemAnimation* animation, int direction);
// The layer's fade value becomes 100 - ratio.
bool FadeApplyRatio(int direction, int effect, CLayerWnd* layer, float step, int ratio);
