#pragma once
// An owned bitmap handle, deleted with the object. Select it out of every DC before it goes
// (CDC restores its selections when it ends first).
#include <windows.h>

class CBitmap {
public:
    CBitmap() = default;
    ~CBitmap() { DeleteObject(); }
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    HBITMAP m_hObject = nullptr;

    operator HBITMAP() const { return m_hObject; }
    HBITMAP GetSafeHandle() const { return m_hObject; }

    BOOL CreateCompatibleBitmap(HDC dc, int width, int height);
    // A top-down or bottom-up DIB section as the header says; bits receives its pixels.
    BOOL CreateDIBSection(HDC dc, const BITMAPINFO& info, void** bits);
    BOOL Attach(HBITMAP bitmap);
    HBITMAP Detach();
    BOOL DeleteObject();
    BOOL GetBitmap(BITMAP* info) const;
    SIZE GetSize() const;
};
