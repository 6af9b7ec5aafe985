#include "markup/LytRepeatButton.h"

#include "skin/SkinRepeatButton.h"

void CLytRepeatButton::CreateControl() {
    AdoptControl(new CxSkinRepeatButton);
}
