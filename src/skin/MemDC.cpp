#include "skin/MemDC.h"

CMemDC::CMemDC(HDC target, const RECT& rect) : m_target(target), m_rect(rect) {
    if (CreateCompatibleDC(target) &&
        m_bitmap.CreateCompatibleBitmap(target, rect.right - rect.left, rect.bottom - rect.top))
        SelectObject(m_bitmap);
}

CMemDC::~CMemDC() {
    if (m_hDC && m_bitmap.GetSafeHandle())
        ::BitBlt(m_target, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, m_hDC, 0, 0,
                 SRCCOPY);
    // The bitmap is a member and dies before the CDC base: select it out now so it can be deleted.
    RestoreObjects();
}
