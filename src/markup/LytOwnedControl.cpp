#include "markup/LytOwnedControl.h"

#include <algorithm>
#include <cmath>

#include "markup/LytSkinControl.h"
#include "markup/LytUncreatedControl.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinParse.h"

double LytReadDecimal(const std::wstring& value, double low, double high) {
    const double number = xSkinStringToDouble(value);
    return std::clamp(std::isnan(number) ? 0.0 : number, low, high);
}

void CLytOwnedControl::AdoptControl(std::unique_ptr<CxSkinCtrl> control) {
    if (!control || HasControl())
        return;
    SetControl(std::make_unique<CLytSkinControl>(control.get()));
    control.release();
}

CxSkinCtrl* CLytOwnedControl::GetCtrl() const {
    return dynamic_cast<CxSkinCtrl*>(GetControl());
}

int CLytOwnedControl::OnCreated() {
    try {
        return CLytObject::OnCreated();
    } catch (...) {
        DiscardControl();
        throw;
    }
}

// The control is forgotten before it is deleted: the object must not reach a freed control afterwards.
void CLytOwnedControl::DiscardControl() {
    CxSkinCtrl* control = GetCtrl();
    SetControl(nullptr);
    delete control;
}

void CLytOwnedControl::Destroy() {
    const auto orphan = LytTakeUncreated(GetCtrl());
    CLytObject::Destroy();
}
