#pragma once
// A control whose layer was never created has joined no layer tree, so nothing but its markup object
// frees it; a created control belongs to the tree and goes with its parent layer.
#include <memory>

// The control to free with its markup object: the control itself while its layer was never created,
// else nothing. The caller holds it until the object has ended, so the object never reaches a freed control.
template <class Control> std::unique_ptr<Control> LytTakeUncreated(Control* control) {
    return std::unique_ptr<Control>(control && !control->IsCreated() ? control : nullptr);
}
