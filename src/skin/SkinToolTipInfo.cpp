#include "skin/SkinToolTipInfo.h"

IMPLEMENT_DYNAMIC(CxSkinToolTipInfo, CObject)
