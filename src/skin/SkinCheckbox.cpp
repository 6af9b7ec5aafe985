#include "skin/SkinCheckbox.h"

IMPLEMENT_DYNAMIC(CxSkinCheckbox, CxSkinButton)

void CxSkinCheckbox::OnLButtonUp(UINT flags, POINT point) {
    if (IsInside(point))
        SetCheck(GetCheck() ? 0 : 1, TRUE);
    CxSkinButton::OnLButtonUp(flags, point);
}
