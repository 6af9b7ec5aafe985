#include "framework/Bitmap.h"

BOOL CBitmap::CreateCompatibleBitmap(HDC dc, int width, int height) {
    if (m_hObject)
        return FALSE;
    m_hObject = ::CreateCompatibleBitmap(dc, width, height);
    return m_hObject != nullptr;
}

BOOL CBitmap::CreateDIBSection(HDC dc, const BITMAPINFO& info, void** bits) {
    if (m_hObject)
        return FALSE;
    void* pixels = nullptr;
    m_hObject = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bits)
        *bits = m_hObject ? pixels : nullptr;
    return m_hObject != nullptr;
}

BOOL CBitmap::Attach(HBITMAP bitmap) {
    if (m_hObject || !bitmap)
        return FALSE;
    m_hObject = bitmap;
    return TRUE;
}

HBITMAP CBitmap::Detach() {
    HBITMAP bitmap = m_hObject;
    m_hObject = nullptr;
    return bitmap;
}

BOOL CBitmap::DeleteObject() {
    if (!m_hObject)
        return FALSE;
    BOOL deleted = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return deleted;
}

BOOL CBitmap::GetBitmap(BITMAP* info) const {
    return m_hObject && ::GetObjectW(m_hObject, sizeof(BITMAP), info) == sizeof(BITMAP);
}

SIZE CBitmap::GetSize() const {
    BITMAP info{};
    if (!GetBitmap(&info))
        return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}
