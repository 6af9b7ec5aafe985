#pragma once
// Classic double buffering: draw into this DC, and its destructor copies the result onto the target.

#include <windows.h>

#include "framework/Bitmap.h"
#include "framework/DC.h"

class CMemDC : public CDC {
public:
    CMemDC(HDC target, const RECT& rect);
    ~CMemDC() override;
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

private:
    CBitmap m_bitmap;
    HDC m_target;
    RECT m_rect;
};
